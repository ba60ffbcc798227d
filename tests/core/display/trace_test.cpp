#include "display/trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/sinc_interp.h"
#include "display_test_util.h"

namespace tovan {
namespace {

using test::Px;

constexpr uint32_t Green = 0x00FF00;

// Plot 200 x 256 at (31, 25), one pixel per code: a sample value v of a
// trace with zero 0, offset 0 and gain 1 lands at y = 281 - v.
class Trace_Test : public ::testing::Test {
protected:
    Plot_Geometry geo = Layout_Plot(test::Test_W, test::Test_H);
    Frame_Data fr;
    Trace_Drawer drawer;
    QImage img = test::Black_Image(test::Test_W, test::Test_H);

    int Y(int v) const { return geo.Plot_Top + geo.Plot_H - v; }
    int X(int col) const { return geo.Plot_Left + col; }

    QImage Draw(int mode, double s, int n, uint64_t time_div_ns = 1000000, bool dim = true) {
        QImage out = test::Black_Image(test::Test_W, test::Test_H);
        Image_Canvas c(out);
        const Trace_Context ctx{geo, 0, time_div_ns};
        drawer.Draw_Trace(c, ctx, mode, geo.Plot_Left, geo.Plot_Top, fr.Smpl_Buf_A.data(), fr.Smpl_Buf_B.data(), n,
                          Green, 1.0, 0, 0, s, 0, 0, dim, fr.Info);
        return out;
    }
};

TEST_F(Trace_Test, GeometryOfTheTestPlot) {
    EXPECT_EQ(geo.Plot_W, 200);
    EXPECT_EQ(geo.Plot_H, 256);
    EXPECT_EQ(geo.Plot_Left, 31);
    EXPECT_EQ(geo.Plot_Top, 25);
}

TEST_F(Trace_Test, DotsAtQuarterPixelMergeFourSamplesPerColumn) {
    test::Fill_Frame(fr, 400, 1, [](int k) { return 20 + (k * 7) % 50; });
    const QImage out = Draw(Trace_Dots, 0.25, 400);
    // Column j >= 1 holds samples 4j-2 .. 4j+1 (round half away from zero).
    for (int j = 1; j < 90; ++j) {
        int lo = 1000, hi = -1;
        for (int k = 4 * j - 2; k <= 4 * j + 1; ++k) {
            lo = std::min(lo, fr.Smpl_Buf_A[static_cast<size_t>(k)]);
            hi = std::max(hi, fr.Smpl_Buf_A[static_cast<size_t>(k)]);
        }
        for (int y = geo.Plot_Top; y <= geo.Plot_Top + geo.Plot_H; ++y) {
            const bool inside = y >= Y(hi) && y <= Y(lo);
            ASSERT_EQ(Px(out, X(j), y) == Green, inside) << "column " << j << " y " << y;
        }
    }
}

TEST_F(Trace_Test, VectorsRisingEdgeIsOneJoiningLine) {
    test::Fill_Frame(fr, 2, 1, [](int k) { return k == 0 ? 10 : 200; });
    const QImage out = Draw(Trace_Vectors, 1.0, 2);
    int lit = 0;
    for (int y = 0; y < test::Test_H; ++y)
        for (int x = 0; x < test::Test_W; ++x) lit += Px(out, x, y) == Green;
    EXPECT_EQ(lit, 190);  // Y(10) up to Y(200) + 1
    EXPECT_EQ(Px(out, X(0), Y(10)), Green);
    EXPECT_EQ(Px(out, X(1), Y(200) + 1), Green);
    EXPECT_EQ(Px(out, X(1), Y(200)), 0u);  // end pixel excluded, no span line
}

TEST_F(Trace_Test, SinxxInterpolatesNinePointsPerSampleOnlyAtTenNanoseconds) {
    auto wave = [](int k) { return static_cast<int32_t>(std::lround(128 + 100 * std::sin(k * 0.9))); };
    test::Fill_Frame(fr, 120, 1, wave);
    const QImage sinxx = Draw(Trace_Sinxx, 2.0, 120);
    const QImage vectors = Draw(Trace_Vectors, 2.0, 120);
    EXPECT_NE(sinxx, vectors);
    // Odd columns lie between samples: their spans hold the interpolated
    // points of phases 3..7 of the sample to the left.
    for (int k = 0; k < 60; ++k) {
        int lo = 1000, hi = -1;
        for (int ph = 3; ph <= 7; ++ph) {
            const int v = Sinc_Interp(fr.Smpl_Buf_A.data(), k, ph, 120);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        EXPECT_EQ(Px(sinxx, X(2 * k + 1), Y(lo)), Green) << k;
        EXPECT_EQ(Px(sinxx, X(2 * k + 1), Y(hi)), Green) << k;
    }
    // At 20 ns sampling the same mode draws exactly like vectors.
    test::Fill_Frame(fr, 120, 2, wave);
    EXPECT_EQ(Draw(Trace_Sinxx, 2.0, 120), Draw(Trace_Vectors, 2.0, 120));
}

TEST_F(Trace_Test, RingGapIsDimmedAndBroken) {
    // 1 us/div at 10 ns sampling: g = 1000 / 10 / 2 = 50 samples.
    test::Fill_Frame(fr, 400, 1, [](int) { return 100; });
    fr.Info.Ring_Flag = 1;
    fr.Info.Ring_Pos = 150;
    const QImage out = Draw(Trace_Dots, 1.0, 400, 1000);
    const uint32_t dim = Blend_Color(Green, 0, 3);
    EXPECT_EQ(Px(out, X(149), Y(100)), Green);
    EXPECT_EQ(Px(out, X(150), Y(100)), 0u);  // break column: nothing drawn
    for (int j = 151; j < 200; ++j) ASSERT_EQ(Px(out, X(j), Y(100)), dim) << j;
    EXPECT_EQ(Px(out, X(200), Y(100)), Green);
    // Vectors do not join across the break.
    const QImage vec = Draw(Trace_Vectors, 1.0, 400, 1000);
    EXPECT_EQ(Px(vec, X(150), Y(100)), 0u);
    EXPECT_EQ(Px(vec, X(151), Y(100)), dim);
    EXPECT_EQ(Px(vec, X(120), Y(100)), Green);
    // Without the dimming flag the ring gap is ignored.
    const QImage plain = Draw(Trace_Dots, 1.0, 400, 1000, false);
    for (int j = 0; j <= 200; ++j) ASSERT_EQ(Px(plain, X(j), Y(100)), Green) << j;
}

TEST_F(Trace_Test, EmptySamplesAreBridgedByVectorsAndSkippedByDots) {
    test::Fill_Frame(fr, 40, 1, [](int) { return 50; });
    for (int k = 10; k < 20; ++k) fr.Smpl_Buf_A[static_cast<size_t>(k)] = fr.Smpl_Buf_B[static_cast<size_t>(k)] = No_Sample;
    const QImage v = Draw(Trace_Vectors, 1.0, 40);
    const QImage d = Draw(Trace_Dots, 1.0, 40);
    EXPECT_EQ(Px(v, X(15), Y(50)), Green);
    EXPECT_EQ(Px(d, X(15), Y(50)), 0u);
    EXPECT_EQ(Px(d, X(25), Y(50)), Green);
}

TEST_F(Trace_Test, ColumnsAreBoundedByThePlotWidth) {
    // 8000 samples at 1 px each: nothing beyond 2W + 1 columns is touched.
    test::Fill_Frame(fr, 8000, 1, [](int) { return 60; });
    Recording_Canvas rc(test::Test_W, test::Test_H);
    const Trace_Context ctx{geo, 0, 1000000};
    drawer.Draw_Trace(rc, ctx, Trace_Dots, geo.Plot_Left, geo.Plot_Top, fr.Smpl_Buf_A.data(), fr.Smpl_Buf_B.data(),
                      8000, Green, 1.0, 0, 0, 1.0, 0, 0, true, fr.Info);
    EXPECT_LE(rc.Calls().size(), static_cast<size_t>(geo.Plot_W + 2));
    for (const auto& c : rc.Calls()) EXPECT_LE(c.pts[0].x, geo.Plot_Left + geo.Plot_W + 1);
}

TEST_F(Trace_Test, SubSampleShiftMovesTheTraceLeft) {
    test::Fill_Frame(fr, 100, 1, [](int k) { return k == 50 ? 200 : 20; });
    QImage out = test::Black_Image(test::Test_W, test::Test_H);
    Image_Canvas c(out);
    const Trace_Context ctx{geo, 0, 1000000};
    // s = 2, f = 0.5 sample: shifted left by round(2 * 0.5) = 1 pixel.
    drawer.Draw_Trace(c, ctx, Trace_Dots, geo.Plot_Left, geo.Plot_Top, fr.Smpl_Buf_A.data(), fr.Smpl_Buf_B.data(),
                      100, Green, 1.0, 0, 0, 2.0, 0, 0.5, true, fr.Info);
    EXPECT_EQ(Px(out, X(99), Y(200)), Green);
    EXPECT_EQ(Px(out, X(100), Y(200)), 0u);
}

// --- run merge against the per-sample merge --------------------------------

struct Merge_Case {
    const char* name;
    int mode;
    int32_t period;
    double s;
    int64_t m;
    double f;
    int n;
    int32_t ring_pos;  // < 0: no ring frame
    bool empties;      // empty samples in both arrays, and in U alone
    bool hostile;      // codes near the int32 limits
    double gain, z, o;
};

class Run_Merge_Test : public ::testing::TestWithParam<Merge_Case> {};

// Both merges must issue the same lines in the same order.
TEST_P(Run_Merge_Test, SameLinesAsThePerSampleMerge) {
    const Merge_Case& p = GetParam();
    const Plot_Geometry geo = Layout_Plot(test::Test_W, test::Test_H);
    Frame_Data fr;
    test::Fill_Frame(fr, p.n, p.period, [&](int k) {
        const int32_t v = static_cast<int32_t>(128 + 90 * std::sin(k * 0.07) + (k * 37) % 23);
        return p.hostile && k % 7 == 3 ? (k % 2 ? 2147483646 : -2147483647 + k) : v;
    });
    for (int k = 0; k < p.n; ++k) {
        const size_t i = static_cast<size_t>(k);
        const int64_t upper = int64_t{fr.Smpl_Buf_A[i]} + (k % 5);
        fr.Smpl_Buf_B[i] = static_cast<int32_t>(std::min<int64_t>(upper, INT32_MAX - 1));
        if (p.empties && k % 11 < 4) fr.Smpl_Buf_A[i] = fr.Smpl_Buf_B[i] = No_Sample;
        if (p.empties && k % 13 == 6) fr.Smpl_Buf_B[i] = No_Sample;
    }
    if (p.ring_pos >= 0) {
        fr.Info.Ring_Flag = 1;
        fr.Info.Ring_Pos = p.ring_pos;
    }
    auto render = [&](bool run_merge) {
        Trace_Drawer drawer;
        drawer.Set_Run_Merge(run_merge);
        Recording_Canvas rc(test::Test_W, test::Test_H);
        const Trace_Context ctx{geo, 0, 1000};
        drawer.Draw_Trace(rc, ctx, p.mode, geo.Plot_Left, geo.Plot_Top, fr.Smpl_Buf_A.data(), fr.Smpl_Buf_B.data(),
                          p.n, Green, p.gain, p.z, p.o, p.s, p.m, p.f, true, fr.Info);
        return rc.Calls();
    };
    const auto fast = render(true), general = render(false);
    ASSERT_EQ(fast.size(), general.size());
    EXPECT_FALSE(general.empty());
    for (size_t i = 0; i < fast.size(); ++i) {
        ASSERT_EQ(fast[i].pts.size(), 2u);
        EXPECT_EQ(fast[i].pen, general[i].pen) << i;
        for (int e = 0; e < 2; ++e) {
            EXPECT_EQ(fast[i].pts[e].x, general[i].pts[e].x) << i;
            EXPECT_EQ(fast[i].pts[e].y, general[i].pts[e].y) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Run_Merge_Test,
    ::testing::Values(
        // name, mode, period, s, m, f, n, ring_pos, empties, hostile, gain, z, o
        Merge_Case{"DotsTwentySamplesPerColumn", Trace_Dots, 1, 0.05, 0, 0.5, 8000, -1, false, false, 1, 127, 1},
        Merge_Case{"VectorsOddWidth", Trace_Vectors, 1, 0.37, 0, 0.5, 3000, -1, false, false, 1, 127, 1},
        Merge_Case{"QuarterPixelWithEmpties", Trace_Vectors, 1, 0.25, 0, 0, 2000, -1, true, false, 1, 127, 1},
        Merge_Case{"DotsWithEmpties", Trace_Dots, 1, 0.3, 0, 0, 2000, -1, true, false, 1, 127, 1},
        Merge_Case{"WideSamples", Trace_Vectors, 1, 1.7, 0, 0.5, 400, -1, false, false, 1, 127, 1},
        Merge_Case{"SinxxAtTwentyNanoseconds", Trace_Sinxx, 2, 2.5, 0, 0.3, 300, -1, false, false, 1, 127, 1},
        Merge_Case{"SinxxBelowOnePixel", Trace_Sinxx, 1, 0.5, 0, 0.5, 1000, -1, false, false, 1, 127, 1},
        Merge_Case{"ScrolledIntoTheRecord", Trace_Vectors, 1, 0.2, 537, 0.5, 5000, -1, false, false, 1, 127, 1},
        Merge_Case{"StartBeforeTheRecord", Trace_Dots, 4, 0.45, -125, 0.75, 1000, -1, false, false, 1, 127, 1},
        Merge_Case{"ShiftedRightByANegativeFraction", Trace_Vectors, 1, 0.6, 0, -9.5, 1000, -1, false, false, 1, 127, 1},
        Merge_Case{"NegativePixelsPerSample", Trace_Dots, 1, -0.5, 0, 0, 500, -1, false, false, 1, 127, 1},
        Merge_Case{"RingGapDots", Trace_Dots, 2, 0.13, 0, 0, 4000, 1700, false, false, 1, 127, 1},
        Merge_Case{"RingGapVectorsWithEmpties", Trace_Vectors, 1, 0.7, 0, 0.5, 1000, 150, true, false, 1, 127, 1},
        Merge_Case{"RingGapBeforeTheView", Trace_Vectors, 1, 0.5, 300, 0, 1000, 100, false, false, 1, 127, 1},
        Merge_Case{"HalfGainExternalLane", Trace_Vectors, 1, 0.05, 0, 0.5, 8000, -1, false, false, 0.5, 0, 16},
        Merge_Case{"OddGainAndFractionalZero", Trace_Dots, 1, 0.11, 0, 0, 6000, -1, false, false, 0.73, 99.5, -3.25},
        Merge_Case{"FallingScale", Trace_Vectors, 1, 0.2, 0, 0, 3000, -1, true, false, -1.5, 127, 1},
        Merge_Case{"HostileCodes", Trace_Vectors, 1, 0.09, 0, 0, 5000, -1, true, true, 1, 127, 1},
        Merge_Case{"HostileCodesHugeGain", Trace_Dots, 1, 0.3, 0, 0, 2000, -1, false, true, 1e12, 127, 1}),
    [](const ::testing::TestParamInfo<Merge_Case>& c) { return std::string(c.param.name); });

// --- background copy ------------------------------------------------------

TEST(Background, AlignmentAtTheTriggerPoints) {
    Frame_Info m, b;
    m.Frame_Count = 1000;
    m.Trig_Index = 100;
    m.Smpl_Period = 2;
    b.Frame_Count = 500;
    b.Trig_Index = 50;
    b.Smpl_Period = 4;
    BG_Alignment a = Align_BG(m, b, 0);  // w = 50 + (0 - 100) * 2 / 4 = 0
    EXPECT_EQ(a.m, 0);
    EXPECT_DOUBLE_EQ(a.f, 0);
    EXPECT_EQ(a.c, 500);
    a = Align_BG(m, b, 3);  // 50 - 97 / 2 = 1.5
    EXPECT_EQ(a.m, 1);
    EXPECT_DOUBLE_EQ(a.f, 0.5);
    m.Trig_Index = 300;  // w = 50 - 150 = -100: count grows by 100
    a = Align_BG(m, b, 0);
    EXPECT_EQ(a.m, -100);
    EXPECT_EQ(a.c, 600);
    m.Frame_Count = 0;  // no current data: the scroll position
    a = Align_BG(m, b, 7);
    EXPECT_EQ(a.m, 7);
    EXPECT_EQ(a.c, 500);
    m.Frame_Count = 10;  // hostile: no sample period, huge indexes
    b.Smpl_Period = 0;
    b.Trig_Index = 2147483647;
    a = Align_BG(m, b, 0);
    EXPECT_GT(a.m, 0);
}

TEST(Background, SwapMovesFrameAndLevelsAndBack) {
    auto main = std::make_unique<Frame_Data>(), bg = std::make_unique<Frame_Data>();
    Scope_Settings s;
    Display_State st;
    EXPECT_EQ(Swap_BG(*main, *bg, s, st), View_Action::None);  // both empty
    EXPECT_TRUE(s.BG_View);

    test::Fill_Frame(*main, 1000, 1, [](int) { return 77; });
    main->Info.Frame_No = 42;
    s.Zero_Level = 100;
    s.Trig_Level = 120.5;
    s.BG_Zero_Level = 3;
    st.Data_File_Name = "a.tvd";
    st.BG_Start = 5000;
    EXPECT_EQ(Swap_BG(*main, *bg, s, st), View_Action::Apply_Settings);
    EXPECT_EQ(bg->Info.Frame_No, 42);
    EXPECT_EQ(bg->Smpl_Buf_A[0], 77);
    EXPECT_EQ(main->Info.Frame_Count, 0);
    EXPECT_EQ(main->Smpl_Buf_A[0], No_Sample);
    EXPECT_EQ(s.BG_Zero_Level, 100);  // seeded from the main side
    EXPECT_DOUBLE_EQ(s.BG_Trig_Level, 120.5);
    EXPECT_EQ(st.BG_File_Name, "a.tvd");
    EXPECT_TRUE(st.BG_Swapped);
    EXPECT_EQ(s.X_Pos, 0);  // min(BG_Start, new Smpl_Count = 0)

    EXPECT_EQ(Swap_BG(*main, *bg, s, st), View_Action::Apply_Settings);
    EXPECT_EQ(main->Info.Frame_No, 42);
    EXPECT_EQ(s.Zero_Level, 100);
    EXPECT_FALSE(st.BG_Swapped);

    Clear_Frames(*main, *bg, st);
    EXPECT_EQ(main->Info.Frame_Count, 0);
    EXPECT_EQ(bg->Info.Frame_Count, 0);
    EXPECT_EQ(main->Smpl_Buf_A[0], No_Sample);
}

}  // namespace
}  // namespace tovan
