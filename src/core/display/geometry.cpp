#include "display/geometry.h"

#include <algorithm>

namespace tovan {

Plot_Geometry Layout_Plot(int w, int h) {
    Plot_Geometry g;
    // Sizes beyond any screen are capped so that nothing below overflows.
    w = std::clamp(w, 0, 1 << 15);
    h = std::clamp(h, 0, 1 << 15);
    g.Width = w;
    g.Height = h;
    const int q = (w - 60) / 20;
    g.Plot_W = q > 6 ? 20 * q : 125;
    const int r = ((h - 84) / 16) * 16;
    g.Plot_H = r > 64 ? r : 64;
    g.Plot_Left = (w - g.Plot_W) / 2 + 1;
    g.Plot_Top = static_cast<int>((h - g.Plot_H) * 0.2857142857142857 + 1);
    g.Div_W = g.Plot_W / 10;
    g.Div_H = g.Plot_H / 8;
    g.X_Scale = g.Plot_W * 0.002;
    g.Y_Scale = g.Plot_H / 256.0;
    g.Narrow_Plot = g.Plot_W <= 399;
    return g;
}

uint32_t Blend_Color(uint32_t a, uint32_t b, int k) {
    if (k == 0) return a;
    uint32_t out = 0;
    for (int sh = 0; sh < 24; sh += 8) {
        const double ca = (a >> sh) & 0xFF, cb = (b >> sh) & 0xFF;
        const int c = static_cast<int>(cb + (ca - cb) / k);
        out |= static_cast<uint32_t>(std::clamp(c, 0, 255)) << sh;
    }
    return out;
}

}  // namespace tovan
