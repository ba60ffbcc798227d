#pragma once
// Mouse handling of the oscillogram area: marker lines, zero-level and
// trigger-level drags, double-click arming. Each function changes the
// view state and the settings record and says what the caller runs next.
#include "display/trace.h"
#include "settings/scope_settings.h"

namespace tovan {

struct Mouse_Buttons {
    bool Left = false;
    bool Right = false;
};

// bg_exists: a background copy exists (its frame count is not 0).
View_Action Mouse_Down(Display_State& st, Scope_Settings& s, bool bg_exists, int x, int y, Mouse_Buttons b);
View_Action Mouse_Move(Display_State& st, Scope_Settings& s, int x, int y, Mouse_Buttons b);
View_Action Mouse_Up(Display_State& st);
// True when compact view is to be toggled (the preceding mouse-down was in
// the band above the plot).
bool Mouse_Dbl_Click(Display_State& st);

// The second press of a double-click. Some toolkits deliver it only as a
// double-click event, never as a press: the double-click rule runs first,
// then the press itself, which acts as any press unless the double-click
// in the band above the plot took it.
struct Dbl_Press_Result {
    bool Toggle_Compact = false;
    View_Action Action = View_Action::None;
};
Dbl_Press_Result Mouse_Dbl_Press(Display_State& st, Scope_Settings& s, bool bg_exists, int x, int y,
                                 Mouse_Buttons b);

}  // namespace tovan
