#include "display/screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "display_test_util.h"

namespace tovan {
namespace {

using test::Px;

class Screen_Test : public ::testing::Test {
protected:
    Screen_Renderer r;
    std::unique_ptr<Frame_Data> main = std::make_unique<Frame_Data>();
    std::unique_ptr<Frame_Data> bg = std::make_unique<Frame_Data>();
    Scope_Settings s;
    Device_Params p;
    Screen_Inputs in;
    const Color_Set& col = s.Colors;

    Screen_Test() {
        r.Layout(test::Test_W, test::Test_H);
        s.Marker_Mode = 0;
        p.Time_Div_ns = 1000000;
        p.Volts_Div_uV = 1000000;
    }
    int L() const { return r.State.Geo.Plot_Left; }
    int T() const { return r.State.Geo.Plot_Top; }
    int W() const { return r.State.Geo.Plot_W; }
    int H() const { return r.State.Geo.Plot_H; }

    QImage Render(Screen_Result* out = nullptr) {
        QImage img = test::Black_Image(test::Test_W, test::Test_H);
        Image_Canvas c(img);
        Screen_Result res = r.Draw_Screen(c, *main, *bg, s, p, in);
        if (out) *out = res;
        return img;
    }
    Screen_Result Record(Recording_Canvas& rc) { return r.Draw_Screen(rc, *main, *bg, s, p, in); }
};

TEST_F(Screen_Test, GridLinesAndTicks) {
    s.TrigPosL = false;
    const QImage img = Render();
    for (int k = 0; k <= 10; ++k)
        for (int y = T(); y <= T() + H(); ++y) ASSERT_EQ(Px(img, L() + 20 * k, y), col.Grid) << k << " " << y;
    for (int k = 0; k <= 8; ++k)
        for (int x = L(); x <= L() + W(); ++x) ASSERT_EQ(Px(img, x, T() + 32 * k), col.Grid);
    // Ticks every 4 pixels across: 3 pixels at the top, the bottom and the middle.
    const int x = L() + 4 * 3;
    EXPECT_EQ(Px(img, x, T() + 2), col.Grid);
    EXPECT_EQ(Px(img, x, T() + 3), col.Background);
    EXPECT_EQ(Px(img, x, T() + H() - 2), col.Grid);
    EXPECT_EQ(Px(img, x, T() + H() - 3), col.Background);
    EXPECT_EQ(Px(img, x, T() + H() / 2 - 1), col.Grid);
    EXPECT_EQ(Px(img, x, T() + H() / 2 + 1), col.Grid);
    EXPECT_EQ(Px(img, x, T() + H() / 2 + 2), col.Background);
    // Ticks down every 256/40 pixels at the left, right and centre.
    const int y = T() + 3 * H() / 40;
    EXPECT_EQ(Px(img, L() + 2, y), col.Grid);
    EXPECT_EQ(Px(img, L() + 3, y), col.Background);
    EXPECT_EQ(Px(img, L() + W() - 2, y), col.Grid);
    EXPECT_EQ(Px(img, L() + W() / 2 + 1, y), col.Grid);
    EXPECT_EQ(Px(img, L() + W() / 2 + 2, y), col.Background);
    // Frame one pixel outside the plot, border beyond it.
    EXPECT_EQ(Px(img, L() - 1, T() + 5), col.Grid_Frame);
    EXPECT_EQ(Px(img, L() + W() + 1, T() + 5), col.Grid_Frame);
    EXPECT_EQ(Px(img, L() + 10, T() + H() + 1), col.Grid_Frame);
    s.Grid = false;
    const QImage plain = Render();
    EXPECT_EQ(Px(plain, L() + 20, T() + 50), col.Background);
}

TEST_F(Screen_Test, ArrowsAndGlyphs) {
    s.Zero_Level = 127;
    s.Trig_Level = 127.4;  // rounds to 127
    s.Colors.Border = 0x202020;
    const QImage img = Render();
    const int y = T() + 128;
    const int e = L() + 1 + W();
    EXPECT_EQ(Px(img, e + 1, y), col.Signal);  // tip
    EXPECT_EQ(Px(img, e + 18, y), col.Signal);  // back edge
    EXPECT_EQ(Px(img, e + 12, y), col.Signal);  // T stem
    EXPECT_EQ(Px(img, e + 12, y - 3), col.Signal);
    EXPECT_EQ(Px(img, e + 10, y - 3), col.Signal);  // T bar
    EXPECT_EQ(Px(img, e + 16, y + 5), col.Background);  // brush inside
    EXPECT_EQ(Px(img, e + 20, y), col.Border);
    const int b = L();
    EXPECT_EQ(Px(img, b - 2, y), col.Signal);   // tip
    EXPECT_EQ(Px(img, b - 19, y), col.Signal);  // back edge
    EXPECT_EQ(Px(img, b - 12, y - 3), col.Signal);  // Z top
    EXPECT_EQ(Px(img, b - 12, y), col.Signal);      // Z diagonal
    EXPECT_EQ(Px(img, b - 10, y + 3), col.Signal);  // Z bottom
    EXPECT_EQ(Px(img, b - 16, y + 5), col.Background);
    EXPECT_EQ(Px(img, b - 21, y), col.Border);
}

TEST_F(Screen_Test, BorderErasesWhatLeavesThePlot) {
    s.Colors.Border = 0x303030;
    // The trigger-position line far right of the plot and a trace far
    // above it both end at the border.
    test::Fill_Frame(*main, 2500, 400, [](int k) { return k % 2 ? 255 : 0; });
    main->Info.Trig_Index = 1800;
    main->Info.Frame_uV_Div = 10000000;  // 10x gain: far outside the plot
    const QImage img = Render();
    for (int x = L() + W() + 2; x < test::Test_W; ++x)
        for (int y = T(); y <= T() + H(); ++y) {
            const uint32_t c = Px(img, x, y);
            ASSERT_TRUE(c == col.Border || c == col.Signal || c == col.Background) << x << "," << y;
        }
    for (int x = 0; x < test::Test_W; ++x) ASSERT_EQ(Px(img, x, T() - 2), col.Border) << x;
    for (int x = 0; x < test::Test_W; ++x) ASSERT_EQ(Px(img, x, test::Test_H - 1), col.Border);
}

TEST_F(Screen_Test, ActivityHandTurnsOnlyWhileRunning) {
    const int cx = L() + (W() / 20) * 19, cy = T() / 2;
    QImage img = Render();
    EXPECT_EQ(Px(img, cx - 10, cy), col.Signal);  // circle
    EXPECT_EQ(Px(img, cx + 5, cy), col.Background);  // no hand while stopped
    in.Run_State = true;
    img = Render();
    for (int x = cx; x < cx + 10; ++x) EXPECT_EQ(Px(img, x, cy), col.Signal);  // step 0: pointing right
    in.Activity_Flag = true;
    for (int i = 0; i < 10; ++i) Render();
    EXPECT_EQ(r.State.Activity_Step, 0);  // ten steps make a turn
    img = Render();  // step 10: 36 degrees
    EXPECT_EQ(r.State.Activity_Step, 10);
    EXPECT_EQ(Px(img, cx + 4, cy + 3), col.Signal);
    EXPECT_EQ(Px(img, cx + 5, cy), col.Background);
}

TEST_F(Screen_Test, TextRowsAndColumns) {
    test::Fill_Frame(*main, 2500, 400, [](int k) { return 100 + (k % 50); });
    s.Smpl_Info = true;
    s.Marker_Mode = 2;
    s.Marker1_x = 100;
    s.Marker2_x = 100;
    p.Trig_Mode_Byte = 3;
    s.Trig_Level = 159;  // 32 codes above zero: one division
    s.Zero_Level = 127;
    in.FPS_Shown = 20;
    in.FPS_Received = 23;
    Recording_Canvas rc(test::Test_W, test::Test_H);
    Record(rc);
    // A = (25 - 14) / 2 = 5: rows 4, 285, 303, 321; columns 31, 81, 131, 181.
    struct Want {
        const char* text;
        int x, y;
        uint32_t color;
    };
    const Want wants[] = {
        {"1 V/Div", 31, 4, col.Signal},
        {"1 mS/Div", 81, 4, col.Signal},
        {"Trig. 1.000 V     N = 3", 131, 4, col.Signal},
        {"Vp-p = 1.531 V", 81, 285, col.Signal},
        {"Fin = ...", 181, 285, col.Signal},
        {"-1.0000 mS", 31, 285, col.Signal},
        {"dV = 7.000 V", 81, 303, col.Markers},
        {"dT = 0.000 nS", 131, 303, col.Markers},
        {"1/dT = ...", 181, 303, col.Markers},
        {"Fsmpl = 250 KHz", 31, 321, col.Smpl_Info},
        {"Smpl = 2500", 81, 321, col.Smpl_Info},
        {"Div = 10.00", 131, 321, col.Smpl_Info},
        {"FPS = 20 (Lost = 3)", 181, 321, col.Smpl_Info},
    };
    for (const auto& w : wants) {
        const auto* t = rc.Find_Text(w.text);
        ASSERT_NE(t, nullptr) << w.text;
        EXPECT_EQ(t->text, w.text);
        EXPECT_EQ(t->pts[0].x, w.x) << w.text;
        EXPECT_EQ(t->pts[0].y, w.y) << w.text;
        EXPECT_EQ(t->pen, w.color) << w.text;
        EXPECT_EQ(t->font, "Arial");  // narrow plot
        EXPECT_EQ(t->height, 10);
        EXPECT_TRUE(t->opaque);
    }
    ASSERT_NE(rc.Find_Text("Vdc = "), nullptr);
    EXPECT_EQ(rc.Find_Text("Vdc = ")->text, "Vdc = -78.13 mV");
    // A frame received in one second and shown in the next: never a
    // negative lost count.
    in.FPS_Shown = 74;
    in.FPS_Received = 73;
    rc.Clear();
    Record(rc);
    ASSERT_NE(rc.Find_Text("FPS = "), nullptr);
    EXPECT_EQ(rc.Find_Text("FPS = ")->text, "FPS = 74 (Lost = 0)");
}

TEST_F(Screen_Test, ClippedFrameAndWidePlotTexts) {
    r.Layout(1060, 500);
    test::Fill_Frame(*main, 1000, 400, [](int k) { return k == 3 ? 254 : 100; });
    main->Info.Vpp_Code = -1;  // as the decoder marks a clipped frame
    s.Trig_Ext = true;
    p.Trig_Mode_Byte = 1;
    Recording_Canvas rc(1060, 500);
    Record(rc);
    ASSERT_NE(rc.Find_Text("Vp-p = ..."), nullptr);
    ASSERT_NE(rc.Find_Text("Vdc = ..."), nullptr);
    const auto* trig = rc.Find_Text("Trig. ");
    ASSERT_NE(trig, nullptr);
    EXPECT_EQ(trig->text, "Trig.  ext.");
    EXPECT_EQ(trig->pen, col.Trig_Sig);
    EXPECT_EQ(trig->font, "MS Sans Serif");
    EXPECT_EQ(trig->height, 13);
}

TEST_F(Screen_Test, FFTBlockedByPeakDetectorShowsMessageOverUndimmedTraces) {
    test::Fill_Frame(*main, 1000, 400, [](int) { return 127; });
    main->Info.Peak_Det = 1;
    s.FFT_View = true;
    s.Russian = false;
    Recording_Canvas rc(test::Test_W, test::Test_H);
    const Screen_Result res = Record(rc);
    EXPECT_FALSE(res.FFT_Shown);
    ASSERT_NE(rc.Find_Text("Sampling  must  be  Normal  for  FFT."), nullptr);
    ASSERT_NE(rc.Find_Text("1 V/Div"), nullptr);
    bool undimmed = false;
    for (const auto& c : rc.Calls()) undimmed |= c.kind == Recording_Canvas::Kind::Line && c.pen == col.Signal;
    EXPECT_TRUE(undimmed);
    main->Info.Peak_Det = 0;
    main->Info.Smpl_Count = 100;
    rc.Clear();
    Record(rc);
    ASSERT_NE(rc.Find_Text("    Unsufficient  samples  for  FFT."), nullptr);
}

TEST_F(Screen_Test, FFTTextsAndMarkers) {
    test::Fill_Frame(*main, 2000, 1, [](int k) { return static_cast<int32_t>(std::lround(127.5 + 127.5 * std::sin(k * 0.3))); });
    s.FFT_View = true;
    s.FFT_Scale = 1;
    s.Marker_Mode = 1;
    s.Marker_x = 250;
    s.Marker_y = 0;
    Recording_Canvas rc(test::Test_W, test::Test_H);
    const Screen_Result res = Record(rc);
    EXPECT_TRUE(res.FFT_Shown);
    ASSERT_NE(rc.Find_Text("15 dBm (600 ohm)"), nullptr);
    ASSERT_NE(rc.Find_Text("10 dBm/Div"), nullptr);
    ASSERT_NE(rc.Find_Text("Span 50.0 MHz"), nullptr);
    ASSERT_NE(rc.Find_Text("Vp = 11.2"), nullptr);
    ASSERT_NE(rc.Find_Text("Fp = 4.77"), nullptr);  // 0.3 / 2 pi * 100 MHz
    ASSERT_NE(rc.Find_Text("V = 15.00 dBm"), nullptr);
    ASSERT_NE(rc.Find_Text("F = 25.00 MHz"), nullptr);
    EXPECT_EQ(rc.Find_Text("1 V/Div"), nullptr);
}

TEST_F(Screen_Test, CaptionAndGeneratorLabels) {
    in.Program_Name = "tovan1";
    s.Debug_Mode = true;
    s.Ampl = 0;
    Screen_Result res;
    Render(&res);
    EXPECT_EQ(res.Caption, "tovan1 1.62");
    EXPECT_EQ(res.Label_V, "4.088 V");
    s.Debug_Mode = false;
    test::Fill_Frame(*bg, 100, 1, [](int) { return 1; });
    bg->Info.Frame_No = 9;
    Render(&res);
    EXPECT_EQ(res.Caption, "tovan1  - ...  //   9");
    s.Gen_Mode_Button = Gen_Mode_Sel::Pulse;
    p.Pulse_Period = 400;
    p.Pulse_Width = 100;
    Render(&res);
    EXPECT_EQ(res.Label_F, "1.00 uS  /  4.00 uS");
    EXPECT_EQ(res.Label_Pulse, "25.000 %  F = 250.00 KHz");
    EXPECT_TRUE(res.Label_Pulse_Visible);
    s.Gen_Mode_Button = Gen_Mode_Sel::Mod;
    s.Mod_Type = 1;
    p.Gen_Freq = 10000;
    Render(&res);
    EXPECT_EQ(res.Label_F, "1.0000 KHz");
    EXPECT_EQ(res.Label_Mod, "Dev 3.00 KHz   Fmod 1.00 KHz");
    s.Gen_Mode_Button = Gen_Mode_Sel::None;
    s.Gen_Range = Gen_10uS_Noise;
    Render(&res);
    EXPECT_EQ(res.Label_F, "Noise (uniform spectrum 0..10 MHz)");
    EXPECT_EQ(res.Label_Font_Color, Blend_Color(col.Signal, col.Border, 3));
}

TEST_F(Screen_Test, ScrollPositionPastTheCountResets) {
    test::Fill_Frame(*main, 1000, 400, [](int) { return 100; });
    s.X_Pos = 5000;
    Screen_Result res;
    Render(&res);
    EXPECT_EQ(res.X_Pos, 0);
    EXPECT_EQ(res.X_Max, 1000);
}

}  // namespace
}  // namespace tovan

namespace tovan {
namespace {

// Frame records loaded from files may hold anything: every field at the
// extremes, with every view option, must draw without faults (the ASan
// build checks the memory side).
TEST(Hostile_Frames, ExtremeRecordValuesDrawSafely) {
    const int32_t values[] = {0, 1, -1, 5, 127, 20000, 20001, -20000, 2147483647, -2147483647 - 1};
    Screen_Renderer r;
    r.Layout(400, 300);
    auto main = std::make_unique<Frame_Data>();
    auto bg = std::make_unique<Frame_Data>();
    Scope_Settings s;
    Device_Params p;
    Screen_Inputs in;
    in.Run_State = true;
    QImage img = test::Black_Image(400, 300);
    Image_Canvas c(img);
    for (int k = 0; k < 20000; ++k) main->Smpl_Buf_A[static_cast<size_t>(k)] = bg->Smpl_Buf_B[static_cast<size_t>(k)] = k % 300;
    for (int field = 0; field < Frame_Info::Field_Count; ++field)
        for (int32_t v : values)
            for (int view = 0; view < 4; ++view) {
                for (int i = 0; i < Frame_Info::Field_Count; ++i) {
                    main->Info.data()[i] = i == field ? v : values[(i + view) % 10];
                    bg->Info.data()[i] = i == field ? v : values[(i * 3 + view) % 10];
                }
                s.Trace_Mode = view % 3;
                s.FFT_View = view & 1;
                s.BG_View = view & 2;
                s.Smpl_Info = true;
                s.Debug_Mode = true;
                s.X_Pos = v > 0 ? v : 0;
                r.State.BG_Swapped = view & 1;
                r.Draw_Screen(c, *main, *bg, s, p, in);
            }
    SUCCEED();
}

}  // namespace
}  // namespace tovan

namespace tovan {
namespace {

// The generator read-outs from the panel's settings, through the parameter
// computation as the window runs it.
struct Readout_Case {
    const char* name;
    int range;
    Gen_Mode_Sel mode;
    int fast, slow;
    bool keep_pulse;
    const char* label_f;
    const char* label_pulse;  // nullptr: not shown
};

class Generator_Readout : public ::testing::TestWithParam<Readout_Case> {};

TEST_P(Generator_Readout, FromThePanel) {
    const Readout_Case& c = GetParam();
    Screen_Renderer r;
    r.Layout(test::Test_W, test::Test_H);
    Scope_Settings s;
    s.Gen_On = true;
    s.Gen_Range = c.range;
    s.Gen_Mode_Button = c.mode;
    s.F_fast = c.fast;
    s.F_slow = c.slow;
    s.Keep_Pulse = c.keep_pulse;
    Device_Params p;
    Compute_Params(s, p);
    Frame_Data main, bg;
    Recording_Canvas rc(test::Test_W, test::Test_H);
    const Screen_Result res = r.Draw_Screen(rc, main, bg, s, p, Screen_Inputs{});
    EXPECT_EQ(res.Label_F, c.label_f);
    EXPECT_EQ(res.Label_Pulse_Visible, c.label_pulse != nullptr);
    if (c.label_pulse) {
        EXPECT_EQ(res.Label_Pulse, c.label_pulse);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Panel, Generator_Readout,
    ::testing::Values(
        Readout_Case{"Range10K", Gen_10K_1S, Gen_Mode_Sel::None, 100, 0, false, "1.0000 KHz", nullptr},
        Readout_Case{"Range10KFine", Gen_10K_1S, Gen_Mode_Sel::None, 100, 1000, false, "1.1000 KHz", nullptr},
        // Sweep on "10M": from the coarse bar to the realised stop, 199999.9 Hz
        // (just below the fine bar's 200 kHz), shown to five digits.
        Readout_Case{"Sweep10M", Gen_10M_1mS, Gen_Mode_Sel::Sweep, 10, 20, false,
                     "100.00 KHz   ...   200.00 KHz", nullptr},
        Readout_Case{"Pulse1mS", Gen_10M_1mS, Gen_Mode_Sel::Pulse, 250, 1000, false, "250 uS  /  1.00 mS",
                     "25.000 %  F = 1.0000 KHz"},
        Readout_Case{"PulseEqual", Gen_10M_1mS, Gen_Mode_Sel::Pulse, 300, 300, false, "300 uS  /  300 uS",
                     "100.000 %  F = ..."},
        Readout_Case{"PulseEqualKept", Gen_10M_1mS, Gen_Mode_Sel::Pulse, 300, 300, true, "299 uS  /  300 uS",
                     "99.667 %  F = 3.3333 KHz"},
        Readout_Case{"Noise", Gen_10uS_Noise, Gen_Mode_Sel::None, 100, 0, false,
                     "Noise (uniform spectrum 0..10 MHz)", nullptr}),
    [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
}  // namespace tovan

namespace tovan {
namespace {

// At the fastest time base a sample is several pixels wide: the step that
// crosses the right edge is drawn (and clipped), so the trace reaches the
// plot's right edge column for every trigger fraction and plot width.
struct Edge_Case {
    const char* name;
    int mode;
    int width;  // paint box width: 560 gives Div_W = 50, s = 10 at 50 nS/div
};

class Trace_Right_Edge : public ::testing::TestWithParam<Edge_Case> {};

TEST_P(Trace_Right_Edge, ReachesTheLastColumnAt50ns) {
    const Edge_Case& c = GetParam();
    Screen_Renderer r;
    r.Layout(c.width, 400);
    const Plot_Geometry& g = r.State.Geo;
    auto main = std::make_unique<Frame_Data>();
    auto bg = std::make_unique<Frame_Data>();
    Scope_Settings s;
    s.Marker_Mode = 0;
    s.Trace_Mode = c.mode;
    s.Zero_Level = 127;
    Device_Params p;
    p.Time_Div_ns = 50;
    p.Volts_Div_uV = 1000000;
    test::Fill_Frame(*main, 1000, 1, [](int k) { return 120 + (k % 3) * 5; });
    for (int frac = 0; frac <= 9; ++frac) {
        main->Info.Trig_Frac = frac;
        QImage img = test::Black_Image(c.width, 400);
        Image_Canvas canvas(img);
        r.Draw_Screen(canvas, *main, *bg, s, p, Screen_Inputs{});
        const int edge = g.Plot_Left + g.Plot_W;
        bool lit = false;
        for (int y = g.Plot_Top; y <= g.Plot_Top + g.Plot_H; ++y) lit |= test::Px(img, edge, y) == s.Colors.Signal;
        EXPECT_TRUE(lit) << "Trig_Frac " << frac << ", plot " << g.Plot_W;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fastest, Trace_Right_Edge,
    ::testing::Values(Edge_Case{"Vectors500", Trace_Vectors, 560}, Edge_Case{"Sinxx500", Trace_Sinxx, 560},
                      Edge_Case{"Vectors600", Trace_Vectors, 660}, Edge_Case{"Sinxx600", Trace_Sinxx, 660},
                      Edge_Case{"Vectors700", Trace_Vectors, 760}, Edge_Case{"Sinxx700", Trace_Sinxx, 760},
                      Edge_Case{"Sinxx900", Trace_Sinxx, 960}),
    [](const ::testing::TestParamInfo<Edge_Case>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace tovan
