#pragma once
// Texts of the chart recorder window and the frequency-meter log
// (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

namespace rec_text {
inline constexpr Text_Pair Title{"Самописец", "Recorder"};
inline constexpr Text_Pair Button_File{"Файл", "File"};
inline constexpr Text_Pair Button_Start{"Старт", "Start"};
inline constexpr Text_Pair Button_Stop{"Стоп", "Stop"};
inline constexpr Text_Pair Button_Exit{"Выход", "Exit"};
inline constexpr Text_Pair Size_Unknown{"Записано = ...", "Size = ..."};
inline constexpr Text_Pair Not_Admitted{"Запустите развертку 0.1 .. 20 S/Div. Отключите синхронизацию.",
                                        "Run 0.1 .. 20 S/Div. Disable Trigger."};

// The information lines.
inline constexpr Text_Pair Not_Ready{"Не готов.", "Not ready."};
inline constexpr Text_Pair Sampling_Rate{"Частота дискретизации = ", "Sampling rate = "};
inline constexpr Text_Pair Peak_On{"Пиковый детектор включен, байт на отсчет = 2",
                                   "Peak detector on, bytes per sample = 2"};
inline constexpr Text_Pair Peak_Off{"Пиковый детектор выключен, байт на отсчет = 1",
                                    "Peak detector off, bytes per sample = 1"};
inline constexpr Text_Pair Write_Speed{"Скорость записи = ", "Write speed = "};
inline constexpr Text_Pair MBytes_Hour{" МБайт/час", " MBytes/hour"};
inline constexpr Text_Pair Time_Step{"Шаг по времени = ", "Time step = "};
inline constexpr Text_Pair Voltage_Step{"Шаг по напряжению = ", "Voltage step = "};
inline constexpr Text_Pair Zero_Level{"Уровень нуля = ", "Zero level = "};
inline constexpr Text_Pair Start_Line{"Начало записи = ", "Start recording = "};
inline constexpr Text_Pair Stop_Line{"Конец записи = ", "Stop recording = "};
// Why a recording ended before Stop, followed by the system's reason.
inline constexpr Text_Pair Write_Failed{"Запись остановлена: файл не удалось записать.",
                                        "Recording stopped: the file could not be written."};
// Stop could not bring the file to the disk, followed by the reason.
inline constexpr Text_Pair Flush_Failed{"Файл мог быть сохранен не полностью.",
                                        "The file may not have been saved completely."};

// The recording file and the companion text file.
inline constexpr Text_Pair File_Title{"Файл самописца", "Recorder File"};
inline constexpr Text_Pair File_Filter{"Файл самописца Tovan1 (*.bin)|*.bin", "Recorder File (*.bin)|*.bin"};
// After the path.
inline constexpr Text_Pair Replace_Question{" уже существует.\r\nЗаменить?",
                                            "\r\nThe file already exists. Replace existing file?"};
inline constexpr Text_Pair Cannot_Open{"\r\nНет доступа к файлу.", "\r\nCan't open file for writing."};
inline constexpr Text_Pair Stop_Question{"Прервать запись самописца?", "Stop recording?"};
inline constexpr Text_Pair Warning_Title{"Предупреждение", "Warning"};
inline constexpr Text_Pair Text_Title{"Сохранение сопутствующего текстового файла.",
                                      "Save Text File For Recorder File"};
inline constexpr Text_Pair Text_File_Line{"Файл самописца = ", "Oscilloscope recorder file = "};
inline constexpr Text_Pair Size{"Записано = ", "Size = "};
inline constexpr Text_Pair Bytes{" Байт", " Bytes"};
inline constexpr Text_Pair Time{"Время = ", "Time = "};
inline constexpr Text_Pair Label_Time{"    Время = ", "    Time = "};
}  // namespace rec_text

namespace fm_log_text {
inline constexpr Text_Pair Title{"Лог файл", "FM Log"};
inline constexpr Text_Pair Fin{"     Fin = ", "     Fin = "};
// After the file name: logging ended because a line could not be written.
inline constexpr Text_Pair Write_Failed{"\r\nЗапись лога прекращена: файл не удалось записать.",
                                        "\r\nLogging stopped: the file could not be written."};
}  // namespace fm_log_text

}  // namespace tovan
