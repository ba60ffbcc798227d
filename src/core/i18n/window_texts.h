#pragma once
// Texts of the main window's own messages (Russian, English): the user
// manual, the settings file, the FPGA image, and the buttons of the
// message boxes.
#include "i18n/text_pair.h"

namespace tovan::window_text {

// Help -> Contents.
inline constexpr Text_Pair Help_Title{"Справка", "Help"};
// Followed by the files looked for, one per line.
inline constexpr Text_Pair Manual_Not_Found{"Руководство пользователя не найдено. Искали:",
                                            "The user manual was not found. Looked for:"};
// Followed by the file's path.
inline constexpr Text_Pair Manual_Not_Opened{"Не удалось открыть руководство пользователя:",
                                             "The user manual could not be opened:"};

// Writing the program's settings file when the window closes; followed by
// the file error.
inline constexpr Text_Pair Settings_Save_Title{"Сохранение настроек", "Save Settings"};

// Message box buttons.
inline constexpr Text_Pair Button_Yes{"Да", "Yes"};
inline constexpr Text_Pair Button_No{"Нет", "No"};
inline constexpr Text_Pair Button_OK{"OK", "OK"};

}  // namespace tovan::window_text
