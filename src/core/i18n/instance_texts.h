#pragma once
// Texts of the single-instance rule (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

// Followed by the reason (the refused path and why).
inline constexpr Text_Pair Txt_Instance_Unchecked{"Программа запущена без проверки второго экземпляра: ",
                                                  "Started without the single-instance check: "};

}  // namespace tovan
