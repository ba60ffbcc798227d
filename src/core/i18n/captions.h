#pragma once
// Caption tables: every fixed caption of the main window by control name,
// and the texts of the trigger and generator modulation dialogs. Russian
// first in every pair.
#include <array>
#include <span>

#include "i18n/text_pair.h"

namespace tovan {

struct Control_Caption {
    const char* control;  // object name of the control or menu item
    Text_Pair text;
};

// Captions rewritten by Apply_Language. A window that does not carry one
// of the controls (yet) simply skips it.
std::span<const Control_Caption> Main_Window_Captions();

// Looks up a control's pair; nullptr when the table has no such control.
const Text_Pair* Find_Caption(const char* control);

namespace trig_text {
inline constexpr Text_Pair Window{"Установки синхронизации", "Trigger Settings"};
inline constexpr Text_Pair Pre_Trig{"Длина предвыборки ", "Pre trigger"};
inline constexpr Text_Pair Noise_Reject{"Шумоподавление", "Noise reject"};
inline constexpr Text_Pair Cancel{"Отмена", "Cancel"};
inline constexpr Text_Pair OK{"OK", "OK"};
inline constexpr Text_Pair Trig_N_Prefix{"Номер фронта/среза = ", "Trigger N = "};
inline constexpr Text_Pair Off{"Выкл.", "Off"};
inline constexpr Text_Pair Div{"дел", "Div"};
inline constexpr std::array<Text_Pair, 6> NR_Items{{{"Выкл.", "Off"},
                                                    {"0,1 дел", "0,1 Div"},
                                                    {"0,2 дел", "0,2 Div"},
                                                    {"0,5 дел", "0,5 Div"},
                                                    {"1 дел", "1 Div"},
                                                    {"2 дел", "2 Div"}}};
}  // namespace trig_text

namespace gen_mod_text {
inline constexpr Text_Pair Window{"Установки модуляции генератора", "Generator Modulation Settings"};
inline constexpr Text_Pair AM{"AM", "AM"};
inline constexpr Text_Pair FM{"ЧМ", "FM"};
inline constexpr Text_Pair Cancel{"Отмена", "Cancel"};
inline constexpr Text_Pair OK{"OK", "OK"};
// Group captions: the prefix, then the value.
inline constexpr Text_Pair Mod_K{"Коэффициент АМ = ", "K AM = "};
inline constexpr Text_Pair Dev_FM{"Девиация ЧМ = ", "Dev. FM = "};
inline constexpr Text_Pair Mod_Freq{"Модулирующая частота = ", "Mod. Freq. = "};
// Scale buttons beside the bars.
inline constexpr Text_Pair Scale_10K{"10K", "10K"};
inline constexpr Text_Pair Scale_100K{"100K", "100K"};
inline constexpr Text_Pair Scale_100_Percent{"100%", "100%"};
inline constexpr Text_Pair Scale_200_Percent{"200%", "200%"};
}  // namespace gen_mod_text

}  // namespace tovan
