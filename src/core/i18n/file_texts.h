#pragma once
// Texts of file errors (Russian, English) and the sentence made of a
// File_Error in either language.
#include <string>
#include <system_error>

#include "common/file_error.h"
#include "i18n/text_pair.h"

namespace tovan {

namespace file_text {
inline constexpr Text_Pair Cannot_Read_Existing{"Не удалось прочитать имеющийся файл; он оставлен без изменений.",
                                                "The existing file cannot be read; it is left as it is."};
inline constexpr Text_Pair Cannot_Write{"Не удалось записать файл.", "The file cannot be written."};
inline constexpr Text_Pair Cannot_Read{"Не удалось прочитать файл.", "The file cannot be read."};
// Followed by the size in bytes and Bytes.
inline constexpr Text_Pair Not_FPGA_Image{"Файл не является образом FPGA, размер: ",
                                          "The file is not an FPGA image, size: "};
inline constexpr Text_Pair Bytes{" байт.", " bytes."};
inline constexpr Text_Pair Not_Regular_File{"Это не обычный файл; он оставлен без изменений.",
                                            "It is not a regular file; it is left as it is."};
inline constexpr Text_Pair Too_Large_To_Keep{"Файл больше 1 МБ; он оставлен без изменений.",
                                             "The file is larger than 1 MB; it is left as it is."};

// Reasons the system gives.
inline constexpr Text_Pair No_Such_File{"Файл или папка не существует.", "No such file or folder."};
inline constexpr Text_Pair Access_Denied{"Нет доступа.", "Access denied."};
inline constexpr Text_Pair Read_Only_Disk{"Диск доступен только для чтения.", "The disk is read-only."};
inline constexpr Text_Pair Disk_Full{"Нет места на диске.", "The disk is full."};
inline constexpr Text_Pair Is_A_Folder{"Это папка, а не файл.", "It is a folder, not a file."};
inline constexpr Text_Pair Not_A_Folder{"Часть пути не является папкой.", "A part of the path is not a folder."};
inline constexpr Text_Pair IO_Error{"Ошибка ввода-вывода.", "Input/output error."};
// Followed by the system's code, then its own description in brackets.
inline constexpr Text_Pair System_Error{"Системная ошибка ", "System error "};
}  // namespace file_text

// The system's reason in the language; empty for an empty code.
std::string Reason_Text(const std::error_code& ec, bool lang_russian);

// The path, what went wrong and why, one per line ("\r\n"); empty for no
// error.
std::string File_Error_Text(const File_Error& e, bool lang_russian);

}  // namespace tovan
