#include "settings/generator_controls.h"

#include "common/numeric.h"

namespace tovan {
namespace {

bool Bars_Coupled(const Scope_Settings& s) { return s.Sweep() || s.Pulse(); }

}  // namespace

void Gen_F_Fast_Changed(Scope_Settings& s, int position) {
    s.F_fast = Clamp(position, 0, 1000);
    if (Bars_Coupled(s) && s.F_slow < s.F_fast) s.F_slow = s.F_fast;
}

void Gen_F_Slow_Changed(Scope_Settings& s, int position) {
    s.F_slow = Clamp(position, 0, 1000);
    if (Bars_Coupled(s) && s.F_slow < s.F_fast) s.F_fast = s.F_slow;
}

void Gen_Mode_Clicked(Scope_Settings& s, Gen_Mode_Sel button) {
    if (button == Gen_Mode_Sel::None) return;
    s.Gen_Mode_Button = (s.Gen_Mode_Button == button) ? Gen_Mode_Sel::None : button;
    if ((button == Gen_Mode_Sel::Sweep || button == Gen_Mode_Sel::Pulse) && s.F_slow < s.F_fast)
        s.F_slow = s.F_fast;
}

}  // namespace tovan
