#pragma once
// Texts of the USB link messages (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

inline constexpr Text_Pair Txt_USB_Error_Title{"Ошибка USB", "USB Error"};
inline constexpr Text_Pair Txt_USB_Invalid_Handle{"Неверный дескриптор.", "Invalid handle."};
inline constexpr Text_Pair Txt_USB_Device_Not_Found{"Устройство не найдено.", "Device not found."};
// Followed by the status code in decimal.
inline constexpr Text_Pair Txt_USB_Error_Code{"Ошибка - ", "Error - "};

}  // namespace tovan
