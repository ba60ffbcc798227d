#pragma once
// Texts of the zero, TDC and time calibration dialogs (Russian, English).
// The values lines of the debug mode and the units are shown in English in
// both languages.
#include "i18n/text_pair.h"

namespace tovan::calib_text {

inline constexpr Text_Pair Start{"Старт", "Start"};
inline constexpr Text_Pair Cancel{"Отмена", "Cancel"};
inline constexpr Text_Pair OK{"OK", "OK"};
inline constexpr Text_Pair Running{"Идет калибровка ...", "Calibration, please wait..."};
inline constexpr Text_Pair Done{"Калибровка закончена.", "Calibration OK."};
inline constexpr Text_Pair Failed{"Ошибка калибровки.", "Calibration failed."};
inline constexpr Text_Pair Unknown{"...", "..."};

// Zero calibration.
inline constexpr Text_Pair Zero_Window{"Калибровка уровня нуля", "Zero Calibrate"};
inline constexpr Text_Pair Zero_Info{"Отключите всё от разъемов устройства.",
                                     "Disconnect anything from BNC's and press Start button."};
inline constexpr Text_Pair Zero_Point1{"Point1 = ", "Point1 = "};
inline constexpr Text_Pair Zero_Point2{"      Point2 = ", "      Point2 = "};
inline constexpr Text_Pair Zero_Offset{"      Offset = ", "      Offset = "};

// TDC calibration; a step is 10/n ns.
inline constexpr Text_Pair TDC_Window{"Калибровка TDC", "TDC Calibrate"};
inline constexpr Text_Pair TDC_Info{"Подключите вход внешней синхр. к выходу генератора.",
                                    "Connect generator to ext. trigger and press Start button."};
inline constexpr Text_Pair TDC_Rise{"Фронт = ", "Rise = "};
inline constexpr Text_Pair TDC_Fall{"     Срез = ", "     Fall = "};
inline constexpr Text_Pair TDC_Step{"10/", "10/"};
inline constexpr Text_Pair TDC_Unit{" nS", " nS"};

// Time calibration.
inline constexpr Text_Pair Time_Window{"Калибровка частотомера", "Time Calibrate"};
inline constexpr Text_Pair Time_PPM{"PPM = ", "PPM = "};

}  // namespace tovan::calib_text
