#pragma once
// Texts of the single-instance rule (Russian, English).
#include "i18n/text_pair.h"

namespace tovan {

// Followed by the reason (the refused path and why).
inline constexpr Text_Pair Txt_Instance_Unchecked{"Программа запущена без проверки второго экземпляра: ",
                                                  "Started without the single-instance check: "};

// After the refused path.
inline constexpr Text_Pair Txt_Instance_Not_A_Folder{" - не папка", " - not a folder"};
inline constexpr Text_Pair Txt_Instance_Other_Owner{" - принадлежит другому пользователю", " - owned by another user"};
inline constexpr Text_Pair Txt_Instance_Writable_By_Others{" - доступна для записи другим пользователям",
                                                           " - writable by other users"};
inline constexpr Text_Pair Txt_Instance_No_Home{"нет ни папки времени выполнения, ни домашней папки",
                                                "no runtime folder and no home folder"};

}  // namespace tovan
