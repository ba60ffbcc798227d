#pragma once
// Coupling of the two frequency bars in sweep and pulse modes: the coarse
// bar (start, pulse width) never stands above the fine bar (stop, period).
#include "settings/scope_settings.h"

namespace tovan {

// ScrollBar_F_fast moved: takes the position; in sweep or pulse mode a
// fine bar below it is moved up to it.
void Gen_F_Fast_Changed(Scope_Settings& s, int position);
// ScrollBar_F_slow moved: takes the position; in sweep or pulse mode a
// coarse bar above it is moved down to it.
void Gen_F_Slow_Changed(Scope_Settings& s, int position);
// Sweep, Pulse or Mod. clicked (the three share a group in which all may
// be up): pressing the pressed one releases it. For Sweep and Pulse the
// fine bar is raised to the coarse bar, also when the button was released.
void Gen_Mode_Clicked(Scope_Settings& s, Gen_Mode_Sel button);

}  // namespace tovan
