#include "display/screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/numeric.h"
#include "display/format_value.h"
#include "i18n/display_texts.h"
#include "measure/measurements.h"
#include "settings/gen_mod_fields.h"

namespace tovan {

namespace {

constexpr int64_t Coord_Bound = int64_t{1} << 30;

int Coord(double v) { return static_cast<int>(std::clamp<int64_t>(Sat_I64(Round_Half(v)), -Coord_Bound, Coord_Bound)); }

double Safe_Ratio(double a, double b) { return b != 0 ? a / b : 0.0; }

std::string Fixed2(double v) { return Format_Fixed(v, 2); }

struct Screen_Painter {
    Canvas& c;
    const Frame_Data& main;
    const Frame_Data& bg;
    const Scope_Settings& s;
    const Device_Params& p;
    const Screen_Inputs& in;
    Display_State& st;
    Trace_Drawer& trace;
    FFT_Analyser& fft;
    const Plot_Geometry& geo;
    const Color_Set& col;

    int X_Pos = 0;
    bool fft_shown = false;
    bool fft_blocked = false;
    bool bg_shown = false;
    uint64_t time_div_ns = 1;
    double volts_div_uv = 1;
    uint32_t c_main = 0, c_ext = 0, c_bg = 0, c_bg_ext = 0;

    int L() const { return geo.Plot_Left; }
    int T() const { return geo.Plot_Top; }
    int W() const { return geo.Plot_W; }
    int H() const { return geo.Plot_H; }
    int Level_Y(double code) const { return T() + Coord((255 - code) * geo.Y_Scale); }

    // --- decorations ---------------------------------------------------
    void Draw_Grid() {
        const uint32_t k = col.Grid;
        for (int i = 0; i <= 10; ++i) {
            const int x = L() + i * (W() / 10);
            c.Line(x, T(), x, T() + H() + 1, k);
        }
        for (int i = 0; i <= 8; ++i) {
            const int y = T() + i * (H() / 8);
            c.Line(L(), y, L() + W() + 1, y, k);
        }
        for (int i = 0; i < 50; ++i) {
            const int x = L() + i * W() / 50;
            c.Line(x, T(), x, T() + 3, k);
            c.Line(x, T() + H() - 2, x, T() + H() + 1, k);
            c.Line(x, T() + H() / 2 - 1, x, T() + H() / 2 + 2, k);
        }
        for (int i = 0; i < 40; ++i) {
            const int y = T() + i * H() / 40;
            c.Line(L(), y, L() + 3, y, k);
            c.Line(L() + W() - 2, y, L() + W() + 1, y, k);
            c.Line(L() + W() / 2 - 1, y, L() + W() / 2 + 2, y, k);
        }
    }

    void Draw_Trig_Pos_Line() {
        const int64_t d = int64_t{main.Info.Trig_Index} - X_Pos;
        if (d < 0) return;
        const int x = L() + Coord(Safe_Ratio(double(d) * geo.Div_W * main.Info.Smpl_Period, time_div_ns * 0.1));
        c.Line(x, T(), x, T() + H(), col.Trig_Pos);
    }

    void Draw_Trig_Arrow(double level, uint32_t k) {
        const int n = Clamp(Round_Half_I32(level), 0, 255);
        const int y = Level_Y(n);
        const int e = L() + 1 + W();
        const Canvas_Point pts[] = {{e + 1, y}, {e + 8, y + 7}, {e + 18, y + 7}, {e + 18, y - 7}, {e + 8, y - 7}};
        c.Polygon(pts, 5, k, col.Background);
        c.Line(e + 12, y + 3, e + 12, y - 3, k);
        c.Line(e + 15, y - 3, e + 8, y - 3, k);
        if (st.Drag_Target == 7) c.Line(L(), y, L() + W(), y, col.Trig_Pos);
        if (s.Debug_Mode)
            c.Text(e + 3, y - 20, std::to_string(Round_Half_I32(level)), "Arial", 10, k, false, col.Border);
    }

    void Draw_Zero_Arrow(int z, uint32_t k) {
        z = Clamp(z, -1000, 1000);
        const int y = Level_Y(z);
        const int b = L();
        const Canvas_Point pts[] = {{b - 2, y}, {b - 9, y + 7}, {b - 19, y + 7}, {b - 19, y - 7}, {b - 9, y - 7}};
        c.Polygon(pts, 5, k, col.Background);
        const Canvas_Point glyph[] = {{b - 15, y - 3}, {b - 9, y - 3}, {b - 15, y + 3}, {b - 8, y + 3}};
        c.Polyline(glyph, 4, k);
        if (s.Debug_Mode) c.Text(b - 25, y - 20, std::to_string(z), "Arial", 10, k, false, col.Border);
    }

    void Draw_Trig_Mark(const Frame_Info& f, int64_t a, uint32_t k) {
        int64_t g;
        if (f.Trig_Mark == 1)
            g = a + std::clamp<int64_t>(Sat_I64(Round_Half(Safe_Ratio(
                                                double(int64_t{f.Frame_Trig_Code} - f.Frame_Zero) * f.Frame_uV_Div,
                                                volts_div_uv))),
                                        -Coord_Bound, Coord_Bound);
        else if (f.Trig_Mark == 2)
            g = a;
        else
            return;
        const int u = L() + 1;
        if (g >= 256) {
            const Canvas_Point t[] = {{W() + u + 1, T() - 8}, {W() + u + 4, T() - 5}, {W() + u - 2, T() - 5}};
            c.Polygon(t, 3, k, k);
        } else if (g < 0) {
            const int b = T() + H();
            const Canvas_Point t[] = {{W() + u + 1, b + 7}, {W() + u + 4, b + 4}, {W() + u - 2, b + 4}};
            c.Polygon(t, 3, k, k);
        } else {
            const int y = Level_Y(static_cast<double>(g));
            c.Line(W() + u + 1, y, W() + u + 2, y, k);
            const Canvas_Point t[] = {{W() + u + 2, y}, {W() + u + 6, y + 4}, {W() + u + 6, y - 4}};
            c.Polygon(t, 3, k, k);
        }
    }

    void Draw_Activity() {
        if (in.Activity_Flag) st.Activity_Step = st.Activity_Step >= 90 ? 0 : st.Activity_Step + 10;
        const int x = L() + (W() / 20) * 19, y = T() / 2;
        c.Ellipse(x - 10, y - 10, x + 10, y + 10, col.Signal, col.Background);
        if (in.Run_State || in.Single_State) {
            const double phi = st.Activity_Step * 6.2831852 * 0.01;
            c.Line(x, y, static_cast<int>(x + 10 * std::cos(phi)), static_cast<int>(y + 10 * std::sin(phi)),
                   col.Signal);
        }
    }

    void Draw_FFT_Message() {
        const int m = T() + H() * 13 / 16;
        const int l = L() + static_cast<int>(0.17 * W()), r = static_cast<int>(L() + 0.83 * W() + 1);
        c.Fill_Rect(l, m - 14, r, m + 15, col.Background);
        const Canvas_Point box[] = {{l, m - 14}, {r - 1, m - 14}, {r - 1, m + 14}, {l, m + 14}, {l, m - 14}};
        c.Polyline(box, 5, col.FFT);
        const bool peak = main.Info.Peak_Det != 0;
        const char* text = (peak ? display_text::FFT_Peak_Det : display_text::FFT_Few_Samples)(s.Russian);
        c.Text(static_cast<int>(L() + 0.5 * W() - 105), m - 6, text, "MS Sans Serif", 13, col.FFT, true,
               col.Background);
    }

    void Draw_Border_And_Frame() {
        const int bw = c.Width(), bh = c.Height();
        const int bottom = T() + H() + 1, right = L() + W() + 1;
        c.Fill_Rect(0, 0, bw, T(), col.Border);
        c.Fill_Rect(0, bottom, bw, bh, col.Border);
        c.Fill_Rect(0, T(), L(), bottom, col.Border);
        c.Fill_Rect(right, T(), bw, bottom, col.Border);
        const Canvas_Point f[] = {{L() - 1, T() - 1}, {L() - 1, bottom}, {right, bottom}, {right, T() - 1},
                                  {L() - 1, T() - 1}};
        c.Polyline(f, 5, col.Grid_Frame);
    }

    // --- traces ----------------------------------------------------------
    void Draw_Traces() {
        const Trace_Context ctx{geo, col.Background, time_div_ns};
        const int mode = Clamp(s.Trace_Mode, 0, 2);
        const int ext_mode = std::min(mode, 1);
        const Frame_Info& m = main.Info;
        const Frame_Info& b = bg.Info;
        const BG_Alignment al = Align_BG(m, b, X_Pos);
        st.BG_Start = al.m;
        if (bg_shown) {
            const double sb = Pixels_Per_Sample(geo, b, time_div_ns);
            if (sb < W()) {
                if (s.ExtTrig)
                    trace.Draw_Trace(c, ctx, ext_mode, L(), T(), bg.Trig_Buf_A.data(), bg.Trig_Buf_B.data(), al.c,
                                     c_bg_ext, 0.5, 0, st.BG_Swapped ? 16 : 0, sb, al.m,
                                     al.f + b.Ext_Trig_Frac * 0.1, true, b);
                trace.Draw_Trace(c, ctx, mode, L(), T(), bg.Smpl_Buf_A.data(), bg.Smpl_Buf_B.data(), al.c, c_bg,
                                 Safe_Ratio(b.Frame_uV_Div, volts_div_uv), b.Frame_Zero, s.BG_Zero_Level + 1.0, sb,
                                 al.m, b.Trig_Frac * 0.1 + al.f, true, b);
            }
        }
        if (m.Frame_Count != 0) {
            const double sm = Pixels_Per_Sample(geo, m, time_div_ns);
            if (s.ExtTrig)
                trace.Draw_Trace(c, ctx, ext_mode, L(), T(), main.Trig_Buf_A.data(), main.Trig_Buf_B.data(),
                                 m.Frame_Count, c_ext, bg_shown ? 0.5 : 1.0, 0,
                                 bg_shown ? (st.BG_Swapped ? 0 : 16) : 1, sm, X_Pos, m.Ext_Trig_Frac * 0.1, true, m);
            trace.Draw_Trace(c, ctx, mode, L(), T(), main.Smpl_Buf_A.data(), main.Smpl_Buf_B.data(), m.Frame_Count,
                             c_main, Safe_Ratio(m.Frame_uV_Div, volts_div_uv), m.Frame_Zero, s.Zero_Level + 1.0, sm,
                             X_Pos, m.Trig_Frac * 0.1, true, m);
        }
    }

    void Draw_Spectrum() {
        const Trace_Context ctx{geo, col.Background, time_div_ns};
        const int half = fft.N / 2;
        trace.Draw_Trace(c, ctx, 1, L(), T(), fft.Out(), fft.Out(), half, col.FFT, 1.0, 0, 0,
                         static_cast<double>(W()) / half, 0, 0, false, main.Info);
    }

    // --- markers -----------------------------------------------------------
    int Marker_X(int u) const { return L() + Coord(u * geo.X_Scale); }
    int Marker_Y(int u) const { return T() + Coord(u * geo.Y_Scale); }

    void Draw_Markers() {
        const int mode = s.Marker_Mode;
        auto cross = [&](int mx, int my) {
            const int x = Marker_X(mx), y = Marker_Y(my);
            c.Line(x, T(), x, T() + H() + 1, col.Markers);
            c.Line(L(), y, L() + W() + 1, y, col.Markers);
        };
        if (mode == 1) cross(s.Marker_x, s.Marker_y);
        if (mode == 2) {
            cross(s.Marker1_x, s.Marker1_y);
            cross(s.Marker2_x, s.Marker2_y);
        }
    }

    // --- texts -------------------------------------------------------------
    const char* font = "MS Sans Serif";
    int font_h = 13;
    void Put_Text(int x, int y, const std::string& t, uint32_t k) { c.Text(x, y, t, font, font_h, k, true, col.Border); }

    // Sweep rate in Hz per ns, or -1 without a sweep.
    double Sweep_Rate() const {
        const Frame_Info& f = main.Info;
        if (f.Frame_Count == f.Trig_Index || f.Frame_Sweep_Span == 0 || f.Smpl_Period <= 0) return -1;
        return f.Frame_Sweep_Span * 0.1 / double(int64_t{f.Frame_Count} - f.Trig_Index) / (f.Smpl_Period * 10.0);
    }
    double Sweep_Freq(double t, double rho) const {
        const double f0 = main.Info.Frame_Gen_Freq * 0.1;
        return t > 0 ? f0 + t * rho : f0;
    }

    void Draw_Texts() {
        using namespace display_text;
        const bool ru = s.Russian;
        const Frame_Info& f = main.Info;
        if (geo.Narrow_Plot) {
            font = "Arial";
            font_h = 10;
        }
        const int A = (T() - 14) / 2;
        const int y0 = A - 1, y1 = T() + H() + A - 1, y2 = y1 + A + 13, y3 = y2 + A + 13;
        const int x[4] = {L(), L() + W() / 4, L() + 2 * (W() / 4), L() + 3 * (W() / 4)};
        const double uv_code = volts_div_uv * 0.03125;
        const std::string U = (s.FFT_Scale == 0 ? Unit_dBV : Unit_dBm)(ru);
        const char* long_unit = (s.FFT_Scale == 0 ? Unit_dBV : (s.FFT_Scale == 1 ? Unit_dBm_600 : Unit_dBm_50))(ru);
        const double nyq = Safe_Ratio(1e8, 2.0 * f.Smpl_Period);

        // 1. Top row.
        if (!fft_shown) {
            Put_Text(x[0], y0, Format_Value(volts_div_uv, Kind_Voltage, 0) + Per_Div(ru), col.Signal);
            Put_Text(x[1], y0,
                     Format_Value(double(time_div_ns), Kind_Time, 0) + Per_Div(ru) + (f.Peak_Det != 0 ? Peak_Det(ru) : ""),
                     col.Signal);
            const int N = p.Trig_Mode_Byte;
            if (N != 0) {
                std::string t = Trig(ru);
                uint32_t k = col.Signal;
                if (s.Trig_Ext) {
                    t += Trig_Ext(ru);
                    k = col.Trig_Sig;
                } else {
                    const int lv = Clamp(Round_Half_I32(s.Trig_Level), 0, 255);
                    t += Format_Value((lv - s.Zero_Level) * uv_code, Kind_Voltage, -4);
                }
                if (N != 1) t += Trig_N(ru) + std::to_string(N);
                Put_Text(x[2], y0, t, k);
            }
        } else {
            Put_Text(x[0], y0, (fft.Valid ? std::to_string(fft.Top_dB) : std::string("...")) + long_unit, col.FFT);
            Put_Text(x[1], y0, "10" + U + Per_Div(ru), col.FFT);
            Put_Text(x[2], y0, f.Smpl_Period < 1 ? Span(ru) + std::string("...")
                                                 : Span(ru) + Format_Value(nyq, Kind_Frequency, -3),
                     col.FFT);
        }

        // 2. Measurement row.
        const Measurements meas = Measure_Frame(f);
        if (s.Measure) {
            if (!fft_shown) {
                if (meas.Vpp_Valid)
                    Put_Text(x[1], y1, Vpp(ru) + Format_Value(meas.Vpp_uV, Kind_Voltage, -4), col.Signal);
                else
                    Put_Text(x[1], y1, Vpp(ru) + std::string("..."), col.Signal);
                if (meas.Vdc_Valid)
                    Put_Text(x[2], y1, Vdc(ru) + Format_Value(meas.Vdc_uV, Kind_Voltage, -4), col.Signal);
                else
                    Put_Text(x[2], y1, Vdc(ru) + std::string("..."), col.Signal);
            } else {
                const bool ok = fft.Valid && f.Smpl_Period >= 1;
                Put_Text(x[1], y1, Vp(ru) + (ok ? Fixed2(fft.Peak_dB) + U : std::string("...")), col.FFT);
                Put_Text(x[2], y1, Fp(ru) + (ok ? Format_Value(fft.Peak_Rel * nyq, Kind_Frequency, -6) : std::string("...")),
                         col.FFT);
            }
            const uint32_t k = meas.FM_Input != 0 ? col.Trig_Sig : col.Signal;
            Put_Text(x[3], y1,
                     Fin(ru) + (meas.Fin_Valid ? Format_Value(meas.Fin_Hz, Kind_Frequency, -7) : std::string("...")),
                     k);
        }

        // 3. Left-edge time.
        const double tpos = double(int64_t{X_Pos} - f.Trig_Index) * f.Smpl_Period * 10.0;
        const double rho = Sweep_Rate();
        {
            std::string t;
            if (s.Sweep())
                t = rho > 0 ? Format_Value(Sweep_Freq(tpos, rho), Kind_Frequency, -5) : std::string("...");
            else
                t = Format_Value(tpos, Kind_Time, -5);
            Put_Text(x[0], y1, t, fft_shown ? Blend_Color(col.Signal, col.Border, 3) : col.Signal);
        }

        // 4. Marker row.
        const int mm = s.Marker_Mode;
        if (mm == 1 || mm == 2) {
            const uint32_t k = col.Markers;
            if (!fft_shown) {
                const double V = (255.0 - s.Marker_y - s.Zero_Level) * uv_code;
                const double dV = std::abs(double(s.Marker1_y) - s.Marker2_y) * uv_code;
                const double T0 = s.Marker_x * 0.02 * double(time_div_ns) + tpos;
                double T1 = s.Marker1_x * 0.02 * double(time_div_ns) + tpos;
                double T2 = s.Marker2_x * 0.02 * double(time_div_ns) + tpos;
                if (mm == 2 && T1 > T2) std::swap(T1, T2);
                const double dT = std::abs(T2 - T1);
                const double inv_dT = s.Marker1_x != s.Marker2_x ? Safe_Ratio(1e9, dT) : -1;
                const double F = Sweep_Freq(T0, rho), F1 = Sweep_Freq(T1, rho), F2 = Sweep_Freq(T2, rho);
                const double dF = std::abs(F2 - F1);
                const bool no_sweep = rho < 0;
                if (mm == 1) {
                    Put_Text(x[1], y2, V_Is(ru) + Format_Value(V, Kind_Voltage, -4), k);
                    if (s.Sweep())
                        Put_Text(x[2], y2, F_Is(ru) + (no_sweep ? std::string("...") : Format_Value(F, Kind_Frequency, -5)), k);
                    else
                        Put_Text(x[2], y2, T_Is(ru) + Format_Value(T0, Kind_Time, -5), k);
                } else if (s.Sweep()) {
                    Put_Text(x[0], y2, dF_Is(ru) + (no_sweep ? std::string("...") : Format_Value(dF, Kind_Frequency, -4)), k);
                    Put_Text(x[1], y2, dV_Is(ru) + Format_Value(dV, Kind_Voltage, -4), k);
                    Put_Text(x[2], y2, F1_Is(ru) + (no_sweep ? std::string("...") : Format_Value(F1, Kind_Frequency, -5)), k);
                    Put_Text(x[3], y2, F2_Is(ru) + (no_sweep ? std::string("...") : Format_Value(F2, Kind_Frequency, -5)), k);
                } else {
                    Put_Text(x[1], y2, dV_Is(ru) + Format_Value(dV, Kind_Voltage, -4), k);
                    Put_Text(x[2], y2, dT_Is(ru) + Format_Value(dT, Kind_Time, -4), k);
                    Put_Text(x[3], y2,
                             Inv_dT_Is(ru) + (inv_dT == -1 ? std::string("...") : Format_Value(inv_dT, Kind_Frequency, -4)),
                             k);
                }
            } else {
                const double Vm = fft.Top_dB - s.Marker_y * 80.0 / 256;
                const double dVm = std::abs(double(s.Marker1_y) - s.Marker2_y) * 80.0 / 256;
                const double Fm = s.Marker_x * 0.002 * nyq;
                double F1 = s.Marker1_x * 0.002 * nyq, F2 = s.Marker2_x * 0.002 * nyq;
                if (mm == 2 && F1 > F2) std::swap(F1, F2);
                const double dF = std::abs(F2 - F1);
                if (mm == 1) {
                    Put_Text(x[1], y2, V_Is(ru) + Fixed2(Vm) + U, k);
                    Put_Text(x[2], y2, F_Is(ru) + Format_Value(Fm, Kind_Frequency, -4), k);
                    Put_Text(x[1], y2, Name_V(ru), col.FFT);
                    Put_Text(x[2], y2, Name_F(ru), col.FFT);
                } else {
                    Put_Text(x[0], y2, dF_Is(ru) + Format_Value(dF, Kind_Frequency, -4), k);
                    Put_Text(x[1], y2, dV_Is(ru) + Fixed2(dVm) + U, k);
                    Put_Text(x[2], y2, F1_Is(ru) + Format_Value(F1, Kind_Frequency, -4), k);
                    Put_Text(x[3], y2, F2_Is(ru) + Format_Value(F2, Kind_Frequency, -4), k);
                    Put_Text(x[0], y2, Name_dF(ru), col.FFT);
                    Put_Text(x[1], y2, Name_dV(ru), col.FFT);
                    Put_Text(x[2], y2, Name_F1(ru), col.FFT);
                    Put_Text(x[3], y2, Name_F2(ru), col.FFT);
                }
            }
        }

        // 5. Sampling row.
        if (s.Smpl_Info) {
            const uint32_t k = col.Smpl_Info;
            Put_Text(x[0], y3,
                     Fsmpl(ru) + (meas.Fsmpl_Valid ? Format_Value(meas.Fsmpl_Hz, Kind_Frequency, -3) : std::string("...")),
                     k);
            Put_Text(x[1], y3, std::string((f.Peak_Det != 0 ? Smpl_Peak_Det : Smpl)(ru)) + std::to_string(f.Smpl_Count), k);
            Put_Text(x[2], y3, Div_Is(ru) + Fixed2(Safe_Ratio(double(f.Smpl_Count) * f.Smpl_Period * 10, double(time_div_ns))),
                     k);
            Put_Text(x[3], y3,
                     FPS(ru) + std::to_string(in.FPS_Shown) + Lost(ru) +
                         std::to_string(std::max<int64_t>(int64_t{in.FPS_Received} - int64_t{in.FPS_Shown}, 0)) + ")",
                     k);
        }

        // 6. Debug line.
        if (s.Debug_Mode) {
            const uint32_t k = col.Grid_Frame;
            const int y = T() + 1;
            c.Text(x[0] + 3, y, std::to_string(W()) + " x " + std::to_string(H()), "Arial", 10, k, false, col.Border);
            if (in.Vcc_Present) {
                char buf[64];
                const int64_t v = in.Vcc_10mV;
                std::snprintf(buf, sizeof buf, "%s%lld.%02lld V", Vcc(ru), static_cast<long long>(v / 100),
                              static_cast<long long>((v < 0 ? -v : v) % 100));
                c.Text(x[1], y, buf, "Arial", 10, k, false, col.Border);
            }
            c.Text(x[3], y, CRC_Errors(ru) + std::to_string(in.CRC_Errors_PS), "Arial", 10, k, false, col.Border);
        }
    }

    // --- caption and generator labels ----------------------------------------
    void Fill_Result(Screen_Result& r) {
        using namespace display_text;
        const bool ru = s.Russian;
        std::string cap = in.Program_Name + " ";
        if (s.Debug_Mode) {
            const int n = in.Version;
            cap += std::to_string(n / 100) + "." + std::to_string((n / 10) % 10) + std::to_string(n % 10);
        }
        const bool bg_exists = BG_Exists(bg);
        if (main.From_File) {
            cap += " - " + st.Data_File_Name;
        } else if (bg.From_File || bg_exists) {
            cap += main.Info.Frame_Count != 0 ? " -  " + std::to_string(main.Info.Frame_No) : std::string(" - ...");
        }
        if (bg.From_File)
            cap += "  //  " + st.BG_File_Name;
        else if (bg_exists)
            cap += "  //  " + std::string(" ") + std::to_string(bg.Info.Frame_No);
        r.Caption = cap;

        r.Panel_Color = col.Border;
        r.Label_Mod_Visible = s.Mod();
        r.Label_Pulse_Visible = s.Pulse();
        r.Label_Font_Color = s.Gen_On ? col.Signal : Blend_Color(col.Signal, col.Border, 3);
        const double gen_freq = static_cast<double>(p.Gen_Freq);
        if (s.Sweep()) {
            r.Label_F = Format_Value(gen_freq * 0.1, Kind_Frequency, -5) + "   ...   " +
                        Format_Value((gen_freq + static_cast<double>(p.Sweep_Span)) * 0.1, Kind_Frequency, -5);
        } else if (s.Pulse()) {
            const double per = static_cast<double>(p.Pulse_Period), wid = static_cast<double>(p.Pulse_Width);
            r.Label_F = Format_Value(wid * 10, Kind_Time, -3) + "  /  " + Format_Value(per * 10, Kind_Time, -3);
            r.Label_Pulse = p.Pulse_Period != 0 ? Format_Fixed(wid * 100 / per, 3) + " %  " : std::string("...    ");
            r.Label_Pulse += (p.Pulse_Period != 0 && p.Pulse_Width != 0 && p.Pulse_Period != p.Pulse_Width)
                                 ? F_Is(ru) + Format_Value(1e8 / per, Kind_Frequency, -5)
                                 : F_Is(ru) + std::string("...");
        } else if (s.Mod() || s.Gen_Range != Gen_10uS_Noise) {
            r.Label_F = Format_Value(gen_freq * 0.1, Kind_Frequency, gen_freq >= 1e8 ? -6 : -5);
            if (s.Mod()) {
                const std::string fmod = Fmod(ru) + Format_Value(Mod_Freq_Hz(s), Kind_Frequency, -3);
                if (Mod_Is_FM(s))
                    r.Label_Mod = Dev(ru) + Format_Value(Dev_Freq_Hz(s), Kind_Frequency, -3) + fmod;
                else
                    r.Label_Mod = K(ru) + Format_Fixed(Mod_Depth_Percent(s), 1) + "%" + fmod;
            }
        } else {
            r.Label_F = Noise(ru);
        }
        r.Label_V = Format_Value((511.0 - s.Ampl) * 2 * 4000, Kind_Voltage, -4);
    }

    Screen_Result Run() {
        Screen_Result r;
        time_div_ns = p.Time_Div_ns != 0 ? p.Time_Div_ns : 1;
        volts_div_uv = p.Volts_Div_uV;
        const Frame_Info& f = main.Info;
        // 2. Scroll position.
        X_Pos = std::max(s.X_Pos, 0);
        if (f.Smpl_Count < X_Pos) X_Pos = 0;
        r.X_Pos = X_Pos;
        r.X_Max = std::max(f.Smpl_Count, 0);
        // 3. Plot background.
        c.Fill_Rect(L(), T(), L() + W() + 1, T() + H() + 1, col.Background);
        // 4. FFT state and colours.
        fft_blocked = f.Peak_Det != 0 || f.Smpl_Count < 128;
        fft_shown = s.FFT_View && !fft_blocked;
        r.FFT_Shown = fft_shown;
        bg_shown = BG_Exists(bg) && s.BG_View;
        c_main = col.Signal;
        c_ext = col.Trig_Sig;
        c_bg = Blend_Color(col.Signal, col.Background, 2);
        c_bg_ext = Blend_Color(col.Trig_Sig, col.Background, 2);
        if (fft_shown) {
            c_main = Blend_Color(c_main, col.Background, 2);
            c_ext = Blend_Color(c_ext, col.Background, 2);
            c_bg = Blend_Color(c_bg, col.Background, 2);
            c_bg_ext = Blend_Color(c_bg_ext, col.Background, 2);
        }
        // 5. Grid and trigger position under the traces.
        if (!fft_shown) {
            if (s.Grid) Draw_Grid();
            if (s.TrigPosL) Draw_Trig_Pos_Line();
        }
        // 6.-8. Traces.
        Draw_Traces();
        // 9. Spectrum.
        if (fft_shown) {
            fft.Analyse(s.FFT_Size, s.FFT_Win, s.FFT_Scale, f, main.Smpl_Buf_A.data());
            if (s.Grid) Draw_Grid();
            if (s.TrigPosL) Draw_Trig_Pos_Line();
            Draw_Spectrum();
        }
        // 10. Markers.
        Draw_Markers();
        // 11. FFT message.
        if (s.FFT_View && fft_blocked) Draw_FFT_Message();
        // 12.-13. Border and frame.
        Draw_Border_And_Frame();
        // 14. Activity indicator.
        Draw_Activity();
        // 15. Texts.
        Draw_Texts();
        // 16. Trigger-level arrow.
        Draw_Trig_Arrow(s.Trig_Level, col.Signal);
        // 17. Acquisition trigger marks.
        if (s.BG_View) {
            const Frame_Info& b = bg.Info;
            if (b.Trig_Mark == 2) Draw_Trig_Mark(b, st.BG_Swapped ? 23 : 7, c_bg_ext);
            if (b.Trig_Mark == 1) Draw_Trig_Mark(b, s.BG_Zero_Level, c_bg);
        }
        if (f.Trig_Mark == 2) Draw_Trig_Mark(f, !bg_shown ? 15 : (st.BG_Swapped ? 7 : 23), col.Trig_Sig);
        if (f.Trig_Mark == 1) Draw_Trig_Mark(f, s.Zero_Level, col.Signal);
        // 18. Zero-level arrows.
        if (bg_shown) Draw_Zero_Arrow(s.BG_Zero_Level, c_bg);
        Draw_Zero_Arrow(s.Zero_Level, col.Signal);
        // 19. The caller copies the bitmap; 20. caption and labels.
        Fill_Result(r);
        return r;
    }
};

}  // namespace

Screen_Result Screen_Renderer::Draw_Screen(Canvas& c, const Frame_Data& main, const Frame_Data& bg,
                                           const Scope_Settings& s, const Device_Params& p, const Screen_Inputs& in) {
    Screen_Painter painter{c, main, bg, s, p, in, State, trace_, fft_, State.Geo, s.Colors};
    return painter.Run();
}

}  // namespace tovan
