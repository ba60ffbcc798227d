#pragma once
// Texts of the USB link messages (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

inline constexpr Text_Pair Txt_USB_Error_Title{"Ошибка USB", "USB Error"};
inline constexpr Text_Pair Txt_USB_Invalid_Handle{"Неверный дескриптор.", "Invalid handle."};
inline constexpr Text_Pair Txt_USB_Device_Not_Found{"Устройство не найдено.", "Device not found."};
// Followed by the status code in decimal.
inline constexpr Text_Pair Txt_USB_Error_Code{"Ошибка - ", "Error - "};

// Questions of the device search in debug mode; the same in both languages.
// Followed by the number of bridges found, then ". ".
inline constexpr Text_Pair Txt_USB_Device_Count{"Number of devices = ", "Number of devices = "};
inline constexpr Text_Pair Txt_USB_True_Device{"True device found.", "True device found."};
inline constexpr Text_Pair Txt_USB_Other_Device{"Ather device found.", "Ather device found."};
// Each starts a line and is followed by the bridge's value.
inline constexpr Text_Pair Txt_USB_Description{"\r\nDescription = ", "\r\nDescription = "};
inline constexpr Text_Pair Txt_USB_Dev_Index{"\r\nDev_Index = ", "\r\nDev_Index = "};
inline constexpr Text_Pair Txt_USB_Dev_Loc{"\r\nDev_Loc = ", "\r\nDev_Loc = "};
inline constexpr Text_Pair Txt_USB_Open_Question{"\r\nOpen ?", "\r\nOpen ?"};

}  // namespace tovan
