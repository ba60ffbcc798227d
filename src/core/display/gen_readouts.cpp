#include "display/gen_readouts.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace tovan {

namespace {

// Designed places in a 449-pixel panel.
constexpr int Design_W = 449;
constexpr int F_X = 8, F_Y = 6;
constexpr int V_X = 364, V_Y = 6;
constexpr int Mod_X = 136, Pulse_X = 180, Small_Y = 12;
constexpr int Gap = 6;       // blank pixels between two read-outs
constexpr int Right_Margin = 4;
constexpr int Min_Big_Px = 9;

QRect Text_Rect(const QFont& font, const QString& text, int x, int y) {
    if (text.isEmpty()) return {};
    const QFontMetrics fm(font);
    const int w = std::max(fm.horizontalAdvance(text), fm.boundingRect(text).width()) + 1;
    return {x, y, w, fm.height()};
}

QFont Sized(const QFont& base, int px) {
    QFont f = base;
    f.setPixelSize(std::max(px, 1));
    return f;
}

int Pixel_Size(const QFont& f) {
    if (f.pixelSize() > 0) return f.pixelSize();
    return std::max(1, static_cast<int>(std::lround(f.pointSizeF() * 96.0 / 72.0)));
}

}  // namespace

Gen_Readout_Layout Layout_Gen_Readouts(const Gen_Readout_Texts& t, const QFont& big, const QFont& small,
                                       int panel_w) {
    const int big_px = Pixel_Size(big), small_px = Pixel_Size(small);
    const int v_design = V_X + (panel_w - Design_W);
    Gen_Readout_Layout r;
    for (int px = big_px;; --px) {
        // The small font shrinks in proportion to the big one.
        const int spx = std::max(1, static_cast<int>(std::lround(small_px * double(px) / big_px)));
        r.Big = Sized(big, px);
        r.Small = Sized(small, spx);
        // Shrunk fonts keep the read-outs centred where the designed ones were.
        const int dy_big = (big_px - px) / 2, dy_small = (small_px - spx) / 2;
        r.F = Text_Rect(r.Big, t.F, F_X, F_Y + dy_big);
        int right = r.F.isEmpty() ? 0 : r.F.right() + 1 + Gap;
        r.Mod = Text_Rect(r.Small, t.Mod, std::max(Mod_X, right), Small_Y + dy_small);
        if (!r.Mod.isEmpty()) right = r.Mod.right() + 1 + Gap;
        r.Pulse = Text_Rect(r.Small, t.Pulse, std::max(Pulse_X, right), Small_Y + dy_small);
        if (!r.Pulse.isEmpty()) right = r.Pulse.right() + 1 + Gap;
        r.V = Text_Rect(r.Big, t.V, std::max(v_design, right), V_Y + dy_big);
        const int end = r.V.isEmpty() ? right - Gap : r.V.right() + 1;
        if (end <= panel_w - Right_Margin || px <= Min_Big_Px) break;
    }
    return r;
}

}  // namespace tovan
