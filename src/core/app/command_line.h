#pragma once
// The program's command line and the checks made before any window
// exists: options, help and version texts, whether a display is there, and
// the interface language of a first start.
#include <string>
#include <string_view>
#include <vector>

namespace tovan {

// The software version as the build names it ("1.62").
const char* Software_Version_Text();

struct Command_Line {
    enum class Action {
        Run,      // start (or hand the file over to the running instance)
        Help,     // --help: print the help and exit 0
        Version,  // --version: print the version and exit 0
        Error     // bad command line: print `error` and exit 2
    };
    Action action = Action::Run;
    bool demo = false;               // --demo
    std::string ini_path;            // --ini PATH
    std::string fpga_image;          // --fpga-image PATH
    std::vector<std::string> files;  // the remaining arguments, in order
    std::string error;               // Action::Error: what is wrong (no trailing newline)

    // The options of this start that a running instance cannot take over,
    // as written on the command line ("--ini", "--demo", "--fpga-image").
    std::vector<std::string> Options_Not_Handed_Over() const;
};

// args[0] is the program. "--" ends the options; "--ini=PATH" and
// "--fpga-image=PATH" are accepted as well. --help and --version win over
// everything after them, an error before them wins over them.
Command_Line Parse_Command_Line(const std::vector<std::string>& args, bool lang_russian);

// The program name shown in texts: the file name of args[0] without
// folder and extension, "tovan1" when there is none.
std::string Program_Name(std::string_view argv0);

std::string Help_Text(const std::string& program, bool lang_russian);
std::string Version_Text(const std::string& program);  // "tovan1 1.62\n"

// Whether Qt can open a window at all. On Linux and the other X11/Wayland
// systems a window needs DISPLAY or WAYLAND_DISPLAY unless QT_QPA_PLATFORM
// names a platform that draws without one (offscreen, minimal, vnc, ...).
// Null and empty values count as unset. Always true on Windows and macOS.
bool Display_Available(const char* display, const char* wayland_display, const char* qpa_platform);

// The locale that decides the language of messages: the first non-empty of
// LC_ALL, LC_MESSAGES and LANG (null counts as empty), else `fallback`
// (the platform's own idea of the user's locale).
std::string Messages_Locale(const char* lc_all, const char* lc_messages, const char* lang,
                            std::string_view fallback);

// The interface language before the settings file is read. Without a
// settings file (a first start) the locale decides: Russian for a Russian
// locale ("ru", "ru_RU", "ru_RU.UTF-8", "ru-RU"...), English for every other.
// With a settings file the window starts in Russian, its initial state,
// and the file's "Russian" key then decides.
bool Initial_Lang_Russian(std::string_view locale_name, bool settings_file_exists);

}  // namespace tovan
