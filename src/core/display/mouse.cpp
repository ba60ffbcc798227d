#include "display/mouse.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/numeric.h"

namespace tovan {

namespace {

// Click offsets from the plot's corner; the right button snaps them to
// half divisions.
void Plot_Offsets(const Plot_Geometry& g, int x, int y, bool right, int64_t& cx, int64_t& cy) {
    cx = int64_t{x} - g.Plot_Left;
    cy = int64_t{y} - g.Plot_Top;
    if (right) {
        const int64_t hx = std::max(g.Div_W / 2, 1), hy = std::max(g.Div_H / 2, 1);
        cy = ((cy + g.Div_H / 4) / hy) * hy;
        cx = ((cx + g.Div_W / 4) / hx) * hx;
    }
}

int Level_From(const Plot_Geometry& g, int64_t cy) {
    if (cy > g.Plot_H - 1) return 0;
    if (cy < 0) return 255;
    return Clamp(Round_Half_I32((g.Plot_H - cy) / g.Y_Scale) - 1, 0, 255);
}

int Marker_Units(int64_t c, double scale) { return Round_Half_I32(c / scale); }

}  // namespace

View_Action Mouse_Down(Display_State& st, Scope_Settings& s, bool bg_exists, int x, int y, Mouse_Buttons b) {
    if (!b.Left && !b.Right) return View_Action::None;
    const Plot_Geometry& g = st.Geo;
    st.Drag_Target = 0;
    int64_t cx, cy;
    Plot_Offsets(g, x, y, b.Right, cx, cy);
    if (st.Dbl_Pending) {
        st.Dbl_Pending = false;
        return View_Action::None;
    }
    st.Dbl_Armed = y < g.Plot_Top && g.Plot_Left < x && x < g.Plot_Left + g.Plot_W;
    const int level = Level_From(g, cy);

    if (x < g.Plot_Left) {
        const int64_t base = int64_t{g.Plot_H} + g.Plot_Top - y - 1;
        const int64_t dm = std::llabs(base - Round_Half_I32(s.Zero_Level * g.Y_Scale));
        const int64_t db = std::llabs(base - Round_Half_I32(s.BG_Zero_Level * g.Y_Scale));
        if (db < dm && bg_exists && s.BG_View) {
            st.Drag_Target = 9;
            s.BG_Trig_Level += double(level) - s.BG_Zero_Level;
            s.BG_Zero_Level = level;
            return View_Action::Refresh_View;
        }
        st.Drag_Target = 8;
        s.Trig_Level += double(level) - s.Zero_Level;
        s.Zero_Level = level;
        return View_Action::Apply_Settings;
    }
    if (x <= g.Plot_Left + g.Plot_W) {
        if (s.Marker_Mode == 0 || y < g.Plot_Top || y > g.Plot_Top + g.Plot_H) return View_Action::None;
        auto line_x = [&](int u) { return int64_t{g.Plot_Left} + Round_Half_I32(u * g.X_Scale); };
        auto line_y = [&](int u) { return int64_t{g.Plot_Top} + Round_Half_I32(u * g.Y_Scale); };
        if (s.Marker_Mode == 1) {
            const int64_t dx = std::llabs(x - line_x(s.Marker_x)), dy = std::llabs(y - line_y(s.Marker_y));
            if (dy < dx) {
                st.Drag_Target = 2;
                s.Marker_y = Marker_Units(cy, g.Y_Scale);
            } else {
                st.Drag_Target = 1;
                s.Marker_x = Marker_Units(cx, g.X_Scale);
            }
        } else {
            const int64_t d[4] = {std::llabs(x - line_x(s.Marker1_x)), std::llabs(y - line_y(s.Marker1_y)),
                                  std::llabs(x - line_x(s.Marker2_x)), std::llabs(y - line_y(s.Marker2_y))};
            int best = 0;
            for (int i = 1; i < 4; ++i)
                if (d[i] < d[best]) best = i;
            st.Drag_Target = 3 + best;
            switch (best) {
                case 0: s.Marker1_x = Marker_Units(cx, g.X_Scale); break;
                case 1: s.Marker1_y = Marker_Units(cy, g.Y_Scale); break;
                case 2: s.Marker2_x = Marker_Units(cx, g.X_Scale); break;
                default: s.Marker2_y = Marker_Units(cy, g.Y_Scale); break;
            }
        }
        return View_Action::Refresh_View;
    }
    st.Drag_Target = 7;
    s.Trig_Level = level;
    return View_Action::Apply_Settings;
}

View_Action Mouse_Move(Display_State& st, Scope_Settings& s, int x, int y, Mouse_Buttons b) {
    if (!b.Left && !b.Right) return View_Action::None;
    const Plot_Geometry& g = st.Geo;
    int64_t cx, cy;
    Plot_Offsets(g, x, y, b.Right, cx, cy);
    cy = std::clamp<int64_t>(cy, 0, g.Plot_H);
    cx = std::clamp<int64_t>(cx, 0, g.Plot_W);
    const int level = cy <= g.Plot_H - 1 ? Clamp(Round_Half_I32((g.Plot_H - cy) / g.Y_Scale) - 1, 0, 255) : 0;
    switch (st.Drag_Target) {
        case 8:
            s.Trig_Level += double(level) - s.Zero_Level;
            s.Zero_Level = level;
            return View_Action::Apply_Settings;
        case 9:
            s.BG_Trig_Level += double(level) - s.BG_Zero_Level;
            s.BG_Zero_Level = level;
            return View_Action::Refresh_View;
        case 7:
            s.Trig_Level = level;
            return View_Action::Apply_Settings;
        case 1: s.Marker_x = Marker_Units(cx, g.X_Scale); return View_Action::Refresh_View;
        case 3: s.Marker1_x = Marker_Units(cx, g.X_Scale); return View_Action::Refresh_View;
        case 5: s.Marker2_x = Marker_Units(cx, g.X_Scale); return View_Action::Refresh_View;
        case 2: s.Marker_y = Marker_Units(cy, g.Y_Scale); return View_Action::Refresh_View;
        case 4: s.Marker1_y = Marker_Units(cy, g.Y_Scale); return View_Action::Refresh_View;
        case 6: s.Marker2_y = Marker_Units(cy, g.Y_Scale); return View_Action::Refresh_View;
        default: return View_Action::None;
    }
}

View_Action Mouse_Up(Display_State& st) {
    st.Drag_Target = 0;
    return View_Action::Refresh_View;
}

bool Mouse_Dbl_Click(Display_State& st) {
    if (!st.Dbl_Armed) return false;
    st.Dbl_Pending = true;
    return true;
}

Dbl_Press_Result Mouse_Dbl_Press(Display_State& st, Scope_Settings& s, bool bg_exists, int x, int y,
                                 Mouse_Buttons b) {
    Dbl_Press_Result r;
    r.Toggle_Compact = Mouse_Dbl_Click(st);
    r.Action = Mouse_Down(st, s, bg_exists, x, y, b);
    return r;
}

}  // namespace tovan
