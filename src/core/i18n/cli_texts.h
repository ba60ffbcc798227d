#pragma once
// Texts of the command line, the start-up checks and the settings save
// on close (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

// Followed by the program name.
inline constexpr Text_Pair Txt_Cli_Usage{"Использование: ", "Usage: "};
inline constexpr Text_Pair Txt_Cli_Usage_Args{" [ПАРАМЕТРЫ] [ФАЙЛ]", " [OPTIONS] [FILE]"};
inline constexpr Text_Pair Txt_Cli_About{
    "Осциллограф, генератор, частотомер и самописец на USB.",
    "USB oscilloscope, function generator, frequency meter and chart recorder."};
inline constexpr Text_Pair Txt_Cli_Options{"Параметры:", "Options:"};
inline constexpr Text_Pair Txt_Cli_Opt_Demo{"работать с виртуальным прибором вместо моста USB",
                                            "run on the virtual instrument instead of the USB bridge"};
inline constexpr Text_Pair Txt_Cli_Opt_Ini{"файл настроек вместо файла по умолчанию",
                                           "settings file to use instead of the default one"};
inline constexpr Text_Pair Txt_Cli_Opt_Fpga{"образ ПЛИС вместо встроенного",
                                            "FPGA image to load instead of the built-in one"};
inline constexpr Text_Pair Txt_Cli_Opt_Help{"показать эту справку и выйти", "show this help and exit"};
inline constexpr Text_Pair Txt_Cli_Opt_Version{"показать версию и выйти", "show the version and exit"};
inline constexpr Text_Pair Txt_Cli_Opt_End{"конец параметров: всё, что дальше, - имена файлов",
                                           "end of options: everything after it is a file name"};
inline constexpr Text_Pair Txt_Cli_Opt_File{
    "файл, открываемый при запуске: \".tvs\" - файл настроек,\n"
    "иначе файл данных; если программа уже запущена,\n"
    "файл передаётся ей",
    "file to open at start: \".tvs\" is a settings file,\n"
    "anything else a data file; when the program is\n"
    "already running, the file is handed to it"};
inline constexpr Text_Pair Txt_Cli_Path_Arg{"ПУТЬ", "PATH"};
inline constexpr Text_Pair Txt_Cli_File_Arg{"ФАЙЛ", "FILE"};

// Errors; each is followed by the option as written.
inline constexpr Text_Pair Txt_Cli_Unknown_Option{"неизвестный параметр ", "unknown option "};
inline constexpr Text_Pair Txt_Cli_Missing_Argument{"не указан путь после параметра ",
                                                    "missing path after option "};
inline constexpr Text_Pair Txt_Cli_No_Argument_Allowed{"параметр не принимает значения: ",
                                                       "option takes no value: "};
// Followed by the program name.
inline constexpr Text_Pair Txt_Cli_Try_Help{"Справка: ", "Try: "};

inline constexpr Text_Pair Txt_Cli_No_Display{
    "нет дисплея: не заданы ни DISPLAY, ни WAYLAND_DISPLAY.\n"
    "Запустите программу в графическом сеансе или задайте QT_QPA_PLATFORM=offscreen.",
    "no display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
    "Start the program in a desktop session, or set QT_QPA_PLATFORM=offscreen."};

inline constexpr Text_Pair Txt_Cli_Handed_Over{"файл передан запущенному экземпляру программы: ",
                                               "file handed over to the running instance: "};
inline constexpr Text_Pair Txt_Cli_Raised{"передано запущенному экземпляру программы: его окно выводится на передний план",
                                          "handed over to the running instance: its window comes to the front"};
// Followed by the option; the running instance keeps its own.
inline constexpr Text_Pair Txt_Cli_Not_Handed_Over{
    "программа уже запущена; параметр не передаётся ей и не действует (закройте её, чтобы запустить с ним): ",
    "the program is already running; this option cannot be handed over to it and has no effect (close it first "
    "to start with the option): "};
inline constexpr Text_Pair Txt_Cli_Unreachable{
    "программа уже запущена, но связаться с ней не удалось",
    "the program is already running, but the running instance could not be reached"};
inline constexpr Text_Pair Txt_Cli_Instance_Failed{
    "не удалось проверить, запущена ли программа; работа без передачи файлов: ",
    "cannot check whether the program is already running; files from later starts are not handed over: "};

// Followed by the reason (file and error).
inline constexpr Text_Pair Txt_Settings_Not_Saved{"Не удалось сохранить настройки: ",
                                                  "Settings could not be saved: "};

}  // namespace tovan
