#pragma once
// Texts of the session: the FPGA image messages and the command-line
// program (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

inline constexpr Text_Pair Txt_FPGA_Image_Title{"Образ FPGA", "FPGA Image"};
// Followed by one line per place looked at.
inline constexpr Text_Pair Txt_FPGA_Image_Missing{
    "Файл образа FPGA не найден, без него прибор не может работать.\r\nГде искали:",
    "The FPGA image file was not found; the instrument cannot work without it.\r\nLooked for:"};
inline constexpr Text_Pair Txt_FPGA_Image_Unusable{
    "Файл образа FPGA не годится, вместо него загружается встроенная замена.\r\nГде искали:",
    "The FPGA image file cannot be used; the built-in stand-in is loaded instead.\r\nLooked for:"};
// After a path in the list.
inline constexpr Text_Pair Txt_FPGA_Image_Not_Found{" - нет файла", " - not found"};
inline constexpr Text_Pair Txt_FPGA_Image_Unreadable{" - не читается: ", " - cannot be read: "};
inline constexpr Text_Pair Txt_FPGA_Image_Bad_Size{" - не образ FPGA, размер ", " - not an FPGA image, size "};
inline constexpr Text_Pair Txt_FPGA_Image_Read_Error{" - ошибка чтения", " - read error"};

// The command-line program.
inline constexpr Text_Pair Txt_Example_No_Device{"Прибор не найден.", "No instrument found."};
inline constexpr Text_Pair Txt_Example_No_Frame{"Получены не все кадры.", "Not all frames were received."};
inline constexpr Text_Pair Txt_Example_Bad_Argument{"Неверный аргумент: ", "Bad argument: "};
inline constexpr Text_Pair Txt_Example_Usage{
    "Использование: tovan1-cli [--demo] [--frames N] [--ini ФАЙЛ] [--fpga-image ФАЙЛ]",
    "Usage: tovan1-cli [--demo] [--frames N] [--ini FILE] [--fpga-image FILE]"};

}  // namespace tovan
