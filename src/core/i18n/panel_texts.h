#pragma once
// Texts of the front panels made of parts (Russian, English): the caption
// of the volts/div button follows the probe.
#include "i18n/text_pair.h"

namespace tovan::panel_text {

inline constexpr Text_Pair Volts_Div{"Вольт/Дел", "Volts/Div"};
// Appended for a x10 or x100 probe.
inline constexpr Text_Pair Probe_x10{" (x10)", " (x10)"};
inline constexpr Text_Pair Probe_x100{" (x100)", " (x100)"};

}  // namespace tovan::panel_text
