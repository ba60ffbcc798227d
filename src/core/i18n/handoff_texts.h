#pragma once
// Texts of the questions about a file handed over by a second start of the
// program (Russian, English). Each text follows the file's path.
#include "i18n/text_pair.h"

namespace tovan {

inline constexpr Text_Pair Txt_Handoff_Settings_Title{"Открытие файла настроек", "Open Settings"};
inline constexpr Text_Pair Txt_Handoff_Ask_Settings{"\r\nОткрыть файл настроек?", "\r\nOpen settings file?"};
inline constexpr Text_Pair Txt_Handoff_Data_Title{"Открытие файла данных", "Open"};
inline constexpr Text_Pair Txt_Handoff_Running{"\r\nДля открытия файла данных остановите развертку.",
                                               "\r\nCan't open while running."};
inline constexpr Text_Pair Txt_Handoff_Ask_Data{"\r\nОткрыть файл данных?", "\r\nOpen data file?"};

}  // namespace tovan
