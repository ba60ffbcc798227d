#pragma once
// Vector glyphs of the front-panel buttons. They are painted from paths
// at whatever pixel size and device-pixel ratio the button asks for, so
// they stay sharp on high-density screens.
#include <QIcon>

namespace tovan {

enum class Glyph {
    Coupling,   // off: sine over a double line (DC); on: sine alone (AC)
    Edge,       // off: rising edge; on: falling edge
    Ret_Trig,   // return the view to the trigger point
    Wave_Sin,
    Wave_Rect,
    Wave_Trian,
    Wave_Up_Trian,
    Wave_Dn_Trian
};

QIcon Make_Glyph(Glyph g);

}  // namespace tovan
