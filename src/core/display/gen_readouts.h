#pragma once
// Places the generator read-outs (frequency, modulation or pulse line,
// amplitude) in the read-out panel so that no two of them overlap with
// the fonts at hand: each keeps its designed place while it fits, moves
// right past its left neighbour when it does not, and all fonts shrink
// together when the line is too long for the panel.
#include <QFont>
#include <QRect>
#include <QString>

namespace tovan {

struct Gen_Readout_Texts {
    QString F, V, Mod, Pulse;  // an empty text is not shown
};

struct Gen_Readout_Layout {
    QRect F, V, Mod, Pulse;  // empty rectangle: not shown
    QFont Big, Small;        // fonts of F and V, of Mod and Pulse
};

// big and small are the designed fonts (19-pixel plain, 13-pixel bold);
// panel_w is the panel's width (449 at design; the amplitude keeps its
// distance from the right edge).
Gen_Readout_Layout Layout_Gen_Readouts(const Gen_Readout_Texts& t, const QFont& big, const QFont& small,
                                       int panel_w);

}  // namespace tovan
