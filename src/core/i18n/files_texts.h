#pragma once
// Texts of the data-file, settings-file and export commands (Russian,
// English): dialog titles and filters, message-box titles, and the
// messages, each of which follows the file's path. The titles of the
// loaders ("Open", "Open Settings") and the refusal while running are the
// hand-off's own (handoff_texts.h).
#include "i18n/text_pair.h"

namespace tovan::files_text {

// Data file.
inline constexpr Text_Pair Save_Data_Dialog{"Сохранение данных", "Save"};
inline constexpr Text_Pair Data_Save_Filter{"Файл данных Tovan1 (*.tvd)|*.tvd", "Tovan1 Data File (*.tvd)|*.tvd"};
inline constexpr Text_Pair Save_Data_Title{"Сохранение файла данных", "Save"};
inline constexpr Text_Pair Open_Data_Dialog{"Открытие данных", "Open"};
inline constexpr Text_Pair Data_Open_Filter{"Файлы данных Tovan1 (*.tvd)|*.tvd|Все файлы (*.*)|*.*",
                                            "Tovan1 Data File (*.tvd)|*.tvd|All Files (*.*)|*.*"};
inline constexpr Text_Pair Companion_Title{"Сохранение сопутствующего файла настроек.", "Save Settings File"};
inline constexpr Text_Pair Ask_Open_Companion{" найден.\r\nОткрыть сопутствующий файл настроек?",
                                              " found.\r\nOpen settings file?"};

// Settings file.
inline constexpr Text_Pair Save_Settings_Dialog{"Сохранение файла настроек", "Save Settings"};
inline constexpr Text_Pair Settings_Save_Filter{"Файл настроек Tovan1 (*.tvs)|*.tvs",
                                                "Tovan1 Settings File (*.tvs)|*.tvs"};
inline constexpr Text_Pair Open_Settings_Dialog{"Открытие настроек", "Open Settings"};
inline constexpr Text_Pair Settings_Open_Filter{"Файлы настроек Tovan1 (*.tvs)|*.tvs|Все файлы (*.*)|*.*",
                                                "Tovan1 Settings File (*.tvs)|*.tvs|All Files (*.*)|*.*"};

// Exports.
inline constexpr Text_Pair Save_Image_Title{"Сохранение рисунка", "Save Image"};
inline constexpr Text_Pair Image_Filter{"Рисунок (*.bmp)|*.bmp|Рисунок PNG (*.png)|*.png",
                                        "Bitmap File (*.bmp)|*.bmp|PNG Image (*.png)|*.png"};
inline constexpr Text_Pair Save_Text_Title{"Сохранение текстового файла", "Save Text"};
inline constexpr Text_Pair Text_Filter{"Текст (*.txt)|*.txt", "Text File (*.txt)|*.txt"};
inline constexpr Text_Pair Save_Binary_Title{"Сохранение двоичного файла", "Save Row Binary"};
inline constexpr Text_Pair Binary_Filter{"Двоичный файл (*.bin)|*.bin", "Binary File (*.bin)|*.bin"};
inline constexpr Text_Pair Binary_Companion_Title{"Сохранение сопутствующего текстового файла",
                                                  "Save Text For Row Binary"};
inline constexpr Text_Pair Save_CSV_Title{"Сохранение файла CSV", "Save CSV"};
inline constexpr Text_Pair CSV_Filter{"Таблица CSV (*.csv)|*.csv", "CSV File (*.csv)|*.csv"};
inline constexpr Text_Pair Menu_CSV{"CSV...", "CSV..."};

// Messages.
inline constexpr Text_Pair Cannot_Create{"\r\nНет доступа к файлу.", "\r\nCan't open file for writing."};
inline constexpr Text_Pair Not_Found{"\r\nФайл не найден.", "\r\nFile not found."};
inline constexpr Text_Pair Invalid_Format{"\r\nНеверный формат файла.", "\r\nInvalid file format."};
inline constexpr Text_Pair CRC_Error{"\r\nОшибка CRC файла.", "\r\nInvalid file format. (CRC error)"};
inline constexpr Text_Pair Ask_Replace{" уже существует.\r\nЗаменить?",
                                       "\r\nThe file already exists. Replace existing file?"};

}  // namespace tovan::files_text
