#pragma once
// Texts of the settings-file messages (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

inline constexpr Text_Pair Txt_Ini_Title{"Файл настроек", "Settings File"};
// Followed by the path, then by one of the reasons below.
inline constexpr Text_Pair Txt_Ini_Not_Read{"Файл настроек не прочитан: ", "The settings file was not read: "};
inline constexpr Text_Pair Txt_Ini_Not_Regular{" - это не обычный файл.", " is not a regular file."};
inline constexpr Text_Pair Txt_Ini_Too_Large{" - файл больше 1 МБ.", " is larger than 1 MB."};
inline constexpr Text_Pair Txt_Ini_Read_Error{" - ошибка чтения.", " could not be read."};
inline constexpr Text_Pair Txt_Ini_Defaults_Used{
    "\nИспользуются настройки по умолчанию; файл оставлен как есть.",
    "\nThe default settings are used; the file is left as it is."};

}  // namespace tovan
