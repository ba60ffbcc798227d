#pragma once
// Keyboard control of the main window: Space and Enter work RUN and
// SINGLE, the arrows step the time base and the input range.
#include "settings/scope_settings.h"

namespace tovan {

enum class Scope_Key { Space, Enter, Left, Right, Up, Down, Other };

enum class Key_Result {
    None,          // key not handled
    Apply,         // the record changed (or an end stop): Apply_Settings
    Refresh,       // the view position changed: Refresh_View
    Toggle_Run,    // invert RUN and run its click handler
    Toggle_Single  // invert SINGLE and run its click handler
};

// Steps the record for one key. x_pos_max is the current maximum of the
// horizontal scroll bar (its minimum is 0). Arrow steps stop at the ends
// of their tables and still ask for an apply. The volts/div steps leave
// Level_Rescale alone: the trigger level keeps its code position.
Key_Result Keyboard_Step(Scope_Settings& s, Scope_Key key, bool shift, int x_pos_max);

}  // namespace tovan
