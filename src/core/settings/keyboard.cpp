#include "settings/keyboard.h"

namespace tovan {

Key_Result Keyboard_Step(Scope_Settings& s, Scope_Key key, bool shift, int x_pos_max) {
    const bool move_view = shift && s.Service_Mode();
    switch (key) {
    case Scope_Key::Space:
        return Key_Result::Toggle_Run;
    case Scope_Key::Enter:
        return Key_Result::Toggle_Single;
    case Scope_Key::Left:
        if (move_view) {
            if (s.X_Pos > 0) --s.X_Pos;
            return Key_Result::Refresh;
        }
        if (s.Time_Div > 0) --s.Time_Div;  // toward 20S
        return Key_Result::Apply;
    case Scope_Key::Right:
        if (move_view) {
            if (s.X_Pos < x_pos_max) ++s.X_Pos;
            return Key_Result::Refresh;
        }
        if (s.Time_Div < Time_Step_Count - 1) ++s.Time_Div;  // toward 50nS
        return Key_Result::Apply;
    case Scope_Key::Up:
        if (s.Volts_Div > 0) --s.Volts_Div;  // toward 2V
        return Key_Result::Apply;
    case Scope_Key::Down:
        if (s.Volts_Div < Volts_Step_Count - 1) ++s.Volts_Div;  // toward 50mV
        return Key_Result::Apply;
    case Scope_Key::Other:
        break;
    }
    return Key_Result::None;
}

}  // namespace tovan
