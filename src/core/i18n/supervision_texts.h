#pragma once
// Texts of the link supervision's warnings and questions (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

inline constexpr Text_Pair Txt_Supervision_Title{"Предупреждение", "Warning"};

// Messages by error code 1..6, each two lines joined by "\r\n".
inline constexpr Text_Pair Txt_Supervision_Messages[6] = {
    {"Восстановление после потери связи с устройством.\r\nКод ошибки 1.",
     "Recover after USB connection lost.\r\nError code 1."},
    {"Восстановление после сбоя инициализации FPGA.\r\nКод ошибки 2.",
     "Recover after FPGA configuration failure.\r\nError code 2."},
    {"Восстановление после сбоя питания устройства.\r\nКод ошибки 3.",
     "Recover after Power failure.\r\nError code 3."},
    {"Восстановление после потери конфигурации FPGA.\r\nКод ошибки 4.",
     "Recover after FPGA configuration lost.\r\nError code 4."},
    {"Неустойчивая связь с устройством.\r\nКод ошибки 5.", "Unstable USB connection.\r\nError code 5."},
    {"Потеря связи с устройством.\r\nКод ошибки 6.", "Device connection lost.\r\nError code 6."},
};

}  // namespace tovan
