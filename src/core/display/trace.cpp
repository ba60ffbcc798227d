#include "display/trace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/numeric.h"
#include "common/sinc_interp.h"

namespace tovan {

namespace {

// Pixel heights far outside any screen are held at this bound; lines to
// them still leave the plot, and nothing overflows.
constexpr double Height_Bound = 1 << 29;
constexpr int64_t Coord_Bound = int64_t{1} << 30;

int32_t Height_Of(int32_t v, double z, double gain, double o, double y_scale) {
    const double h = Round_Half(((static_cast<double>(v) - z) * gain + o) * y_scale);
    if (std::isnan(h)) return 0;
    return static_cast<int32_t>(std::clamp(h, -Height_Bound, Height_Bound));
}

int To_Coord(int64_t v) { return static_cast<int>(std::clamp(v, -Coord_Bound, Coord_Bound)); }

// Round_Half for |v| < 2^62, as an integer: v + 0.5 is rounded exactly as
// there, and truncation equals floor on the non-negative side.
int64_t Round_Half_Small(double v) {
    return v < 0 ? -static_cast<int64_t>(-v + 0.5) : static_cast<int64_t>(v + 0.5);
}

// True when Height_Of never decreases with the code: every step is a
// correctly rounded (hence monotone) operation with a non-negative factor,
// and no int32 code can overflow to an infinity or a NaN. The height of a
// column's smallest (largest) code is then its smallest (largest) height.
bool Heights_Monotone(double z, double gain, double o, double y_scale) {
    if (!(gain >= 0) || !(y_scale >= 0) || !std::isfinite(y_scale)) return false;
    return ((2147483648.0 + std::abs(z)) * gain + std::abs(o)) * y_scale < 1e300;
}

// Below every int32 code: marks a run without an upper end.
constexpr int64_t Run_Empty = std::numeric_limits<int64_t>::min();

}  // namespace

double Pixels_Per_Sample(const Plot_Geometry& geo, const Frame_Info& r, uint64_t time_div_ns) {
    if (time_div_ns == 0) return 0;
    return geo.Div_W * 10.0 * r.Smpl_Period / static_cast<double>(time_div_ns);
}

void Trace_Drawer::Draw_Trace(Canvas& c, const Trace_Context& ctx, int mode, int left, int top, const int32_t* L,
                              const int32_t* U, int64_t n, uint32_t color, double gain, double z, double o,
                              double s, int64_t m, double f, bool dim, const Frame_Info& R) {
    const int W = std::max(ctx.Geo.Plot_W, 1);
    const int H = ctx.Geo.Plot_H;
    const size_t cols = static_cast<size_t>(2 * W + 1);
    if (lo_.size() < cols) {
        lo_.resize(cols);
        hi_.resize(cols);
    }
    std::fill_n(lo_.begin(), cols, No_Sample);
    std::fill_n(hi_.begin(), cols, No_Sample);
    if (!std::isfinite(s) || !std::isfinite(gain) || !std::isfinite(z) || !std::isfinite(o)) return;
    if (!std::isfinite(f)) f = 0;
    // Entries beyond the arrays count as empty: the count is capped there.
    n = std::clamp<int64_t>(n, 0, Smpl_Buf_Size);

    int64_t gap_start = -1, gap_end = -1;
    int64_t g = 5;
    if (R.Smpl_Period != 0)
        g = static_cast<int64_t>(ctx.Time_Div_ns) / (int64_t{R.Smpl_Period} * 10) / 2;
    g = std::max<int64_t>(g, 5);
    const bool ring_gap = dim && R.Ring_Flag == 1;
    const int64_t ring_pos = R.Ring_Pos;

    const bool interp = mode == 2 && R.Smpl_Period == 1 && s > 0.9;
    const int64_t shift = std::clamp<int64_t>(Sat_I64(Round_Half(s * f)), -Coord_Bound, Coord_Bound);
    const int64_t step = interp ? 1 : 10;
    const double y_scale = ctx.Geo.Y_Scale;
    const int32_t n32 = static_cast<int32_t>(n);

    if (run_merge_ && !interp && std::abs(s) < 1e12 && Heights_Monotone(z, gain, o, y_scale)) {
        // Whole samples only (phase 0 reads the arrays directly): codes are
        // merged per run of samples in one column, and only the run's ends
        // become heights. |s| < 1e12 keeps s x k within Round_Half_Small.
        const int64_t last_col = W + shift;
        int64_t run_col = -1;
        int32_t run_lo = No_Sample;  // the largest int32: empty codes never win
        int64_t run_hi = Run_Empty;
        auto flush = [&] {
            if (run_col < 0) return;
            if (run_lo != No_Sample) {
                const int32_t h = Height_Of(run_lo, z, gain, o, y_scale);
                int32_t& e = lo_[static_cast<size_t>(run_col)];
                if (e == No_Sample || h < e) e = h;
            }
            if (run_hi != Run_Empty) {
                const int32_t h = Height_Of(static_cast<int32_t>(run_hi), z, gain, o, y_scale);
                int32_t& e = hi_[static_cast<size_t>(run_col)];
                if (e == No_Sample || h > e) e = h;
            }
        };
        // k = i / 10; starting at -m keeps a = m + k >= 0 (a start beyond
        // n samples before the arrays shows nothing).
        for (int64_t k = m < 0 ? (m < -n ? n : -m) : 0; k < n; ++k) {
            const int64_t col = Round_Half_Small(s * static_cast<double>(k * 10) * 0.1);
            const int64_t a = m + k;
            if (col > 2 * W || a >= n) break;
            if (col < 0) continue;
            if (ring_gap) {
                if (a >= ring_pos && a < ring_pos + g && gap_start == -1) {
                    gap_start = col;
                    gap_end = 2 * W + 1;
                }
                if (a >= ring_pos + g && gap_end == 2 * W + 1) gap_end = col;
            }
            if (col != run_col) {
                flush();
                run_col = col;
                run_lo = No_Sample;
                run_hi = Run_Empty;
            }
            run_lo = std::min(run_lo, L[a]);
            const int32_t u = U[a];
            run_hi = std::max<int64_t>(run_hi, u == No_Sample ? Run_Empty : u);
            if (col > last_col) break;
        }
        flush();
    } else {
        // Per sample, with the interpolated phases when they are on.
        int64_t i = m < 0 ? -m * 10 : 0;  // m >= -2^62 after alignment clamps
        for (; i < n * 10; i += step) {
            const double colf = Round_Half(s * static_cast<double>(i) * 0.1);
            const int64_t a = m + i / 10;
            if (colf > 2.0 * W || a >= n) break;
            if (colf < 0) continue;  // a negative sample width maps left of the plot
            const int64_t col = static_cast<int64_t>(colf);
            const int32_t phase = static_cast<int32_t>(i % 10);
            const int32_t vl = Sinc_Interp(L, static_cast<int32_t>(a), phase, n32);
            const int32_t vu = interp ? vl : Sinc_Interp(U, static_cast<int32_t>(a), phase, n32);
            if (ring_gap) {
                if (a >= ring_pos && a < ring_pos + g && gap_start == -1) {
                    gap_start = col;
                    gap_end = 2 * W + 1;
                }
                if (a >= ring_pos + g && gap_end == 2 * W + 1) gap_end = col;
            }
            if (vl != No_Sample) {
                const int32_t h = Height_Of(vl, z, gain, o, y_scale);
                int32_t& e = lo_[static_cast<size_t>(col)];
                if (e == No_Sample || h < e) e = h;
            }
            if (vu != No_Sample) {
                const int32_t h = Height_Of(vu, z, gain, o, y_scale);
                int32_t& e = hi_[static_cast<size_t>(col)];
                if (e == No_Sample || h > e) e = h;
            }
            if (col > W + shift) break;
        }
    }

    const uint32_t dim_color = Blend_Color(color, ctx.Background, 3);
    const int64_t base_y = int64_t{top} + H;
    auto Y = [&](int32_t h) { return To_Coord(base_y - h); };
    int64_t p = 0;
    int32_t prev_lo = 0, prev_hi = 0;
    bool brk = true;
    for (int64_t j = 0; j <= 2 * W; ++j) {
        const int32_t lo = lo_[static_cast<size_t>(j)], hi = hi_[static_cast<size_t>(j)];
        if (j == gap_start && j != 0) {
            brk = true;
        } else if (lo != No_Sample && hi != No_Sample) {
            const uint32_t pen = (j >= gap_start && j < gap_end) ? dim_color : color;
            const int x = To_Coord(int64_t{left} + j - shift);
            const int px = To_Coord(int64_t{left} + p - shift);
            bool joined = false;
            if (mode != 0 && !brk) {
                if (lo >= prev_hi) {
                    c.Line(px, Y(prev_hi), x, Y(lo), pen);
                    joined = true;
                } else if (prev_lo >= hi) {
                    c.Line(px, Y(prev_lo), x, Y(hi), pen);
                    joined = true;
                }
            }
            if (mode == 0 || lo != hi || !joined) c.Line(x, Y(lo), x, Y(hi) - 1, pen);
            brk = false;
            p = j;
            prev_lo = lo;
            prev_hi = hi;
            // Only a drawn column ends the pass: the step from the last
            // column inside the plot to the first one past its right edge
            // is drawn (the border clips it), empty columns between them
            // are bridged as anywhere else.
            if (j > W + shift) break;
        }
    }
}

BG_Alignment Align_BG(const Frame_Info& main, const Frame_Info& bg, int64_t x_pos) {
    BG_Alignment r;
    if (main.Frame_Count != 0) {
        // A record without a sample period keeps the main one's spacing.
        const double ratio = bg.Smpl_Period != 0 ? static_cast<double>(main.Smpl_Period) / bg.Smpl_Period : 1.0;
        double w = bg.Trig_Index + static_cast<double>(x_pos - main.Trig_Index) * ratio;
        w = std::clamp(w, -4e9, 4e9);
        r.m = static_cast<int64_t>(w);
        r.f = w - static_cast<double>(r.m);
        r.c = bg.Frame_Count;
        if (r.m < 0) r.c -= r.m;
    } else {
        r.m = x_pos;
        r.f = 0;
        r.c = bg.Frame_Count;
    }
    return r;
}

View_Action Swap_BG(Frame_Data& main, Frame_Data& bg, Scope_Settings& s, Display_State& st) {
    s.BG_View = true;
    if (main.Info.Frame_Count == 0 && bg.Info.Frame_Count == 0) return View_Action::None;
    if (!BG_Exists(bg)) {
        s.BG_Trig_Level = s.Trig_Level;
        s.BG_Zero_Level = s.Zero_Level;
        st.BG_File_Name = st.Data_File_Name;
    }
    if (main.Info.Frame_Count == 0) {
        s.Trig_Level = s.BG_Trig_Level;
        s.Zero_Level = s.BG_Zero_Level;
        st.Data_File_Name = st.BG_File_Name;
    }
    std::swap(main.Info, bg.Info);
    std::swap(main.Smpl_Buf_A, bg.Smpl_Buf_A);
    std::swap(main.Smpl_Buf_B, bg.Smpl_Buf_B);
    std::swap(main.Trig_Buf_A, bg.Trig_Buf_A);
    std::swap(main.Trig_Buf_B, bg.Trig_Buf_B);
    std::swap(main.From_File, bg.From_File);
    std::swap(s.Trig_Level, s.BG_Trig_Level);
    std::swap(s.Zero_Level, s.BG_Zero_Level);
    std::swap(st.Data_File_Name, st.BG_File_Name);
    const int64_t count = std::max<int32_t>(main.Info.Smpl_Count, 0);
    s.X_Pos = st.BG_Start >= 0 ? static_cast<int>(std::min<int64_t>(st.BG_Start, count)) : 0;
    st.BG_Swapped = !st.BG_Swapped;
    return View_Action::Apply_Settings;
}

void Clear_Frames(Frame_Data& main, Frame_Data& bg, Display_State& st) {
    main.Clear();
    bg.Clear();
    st.BG_Swapped = false;
}

}  // namespace tovan
