#include "display/gen_readouts.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/screen.h"
#include "display_test_util.h"

namespace tovan {
namespace {

// The designed fonts of the read-outs in the application's own face (on
// this platform a stand-in, usually wider than the designed one).
QFont Design_Font(int px, bool bold) {
    QFont f = QGuiApplication::font();
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

struct Pulse_Case {
    const char* name;
    uint32_t width, period;  // 10 ns ticks
    int ampl;                // amplitude bar position
};

class Pulse_Readouts : public ::testing::TestWithParam<Pulse_Case> {};

// In pulse mode the three read-outs share the panel: whatever the
// settings, no two of them overlap, and they stay inside the panel.
TEST_P(Pulse_Readouts, NeverOverlap) {
    const Pulse_Case& c = GetParam();
    Screen_Renderer r;
    r.Layout(test::Test_W, test::Test_H);
    Scope_Settings s;
    s.Gen_Mode_Button = Gen_Mode_Sel::Pulse;
    s.Ampl = c.ampl;
    Device_Params p;
    p.Pulse_Width = c.width;
    p.Pulse_Period = c.period;
    Frame_Data main, bg;
    Recording_Canvas rc(test::Test_W, test::Test_H);
    const Screen_Result res = r.Draw_Screen(rc, main, bg, s, p, Screen_Inputs{});
    ASSERT_TRUE(res.Label_Pulse_Visible);
    const Gen_Readout_Texts t{QString::fromStdString(res.Label_F), QString::fromStdString(res.Label_V), QString(),
                              QString::fromStdString(res.Label_Pulse)};
    for (int panel_w : {449, 520}) {
        const Gen_Readout_Layout l = Layout_Gen_Readouts(t, Design_Font(19, false), Design_Font(13, true), panel_w);
        const QRect rects[] = {l.F, l.Pulse, l.V};
        for (const QRect& a : rects) {
            ASSERT_FALSE(a.isEmpty());
            EXPECT_LE(a.right(), panel_w - 1) << res.Label_F << " | " << res.Label_Pulse << " | " << res.Label_V;
        }
        EXPECT_FALSE(l.F.intersects(l.Pulse)) << res.Label_F << " | " << res.Label_Pulse;
        EXPECT_FALSE(l.Pulse.intersects(l.V)) << res.Label_Pulse << " | " << res.Label_V;
        EXPECT_FALSE(l.F.intersects(l.V));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Pulse_Readouts,
    ::testing::Values(Pulse_Case{"Short", 100, 400, 21},           // 1.00 uS / 4.00 uS, 25.000 %
                      Pulse_Case{"NarrowDuty", 130, 140, 21},      // 92.857 %, 714.29 KHz, 3.920 V
                      Pulse_Case{"Fastest", 1, 3, 0},              // 10.0 nS / 30.0 nS, 33.33 MHz
                      Pulse_Case{"Long", 99999999, 100000000, 0},  // 1.00 S, 99.999999 %
                      Pulse_Case{"Odd", 12345, 98765, 300},
                      Pulse_Case{"Empty", 0, 0, 511}),
    [](const ::testing::TestParamInfo<Pulse_Case>& p) { return std::string(p.param.name); });

// Texts that fit keep their designed places; the amplitude keeps its
// distance from the panel's right edge.
TEST(Gen_Readouts, DesignedPlacesWhenTheyFit) {
    const Gen_Readout_Texts t{"1 KHz", "1 V", "K 50%", QString()};
    const QFont big = Design_Font(19, false), small = Design_Font(13, true);
    Gen_Readout_Layout l = Layout_Gen_Readouts(t, big, small, 449);
    EXPECT_EQ(l.F.topLeft(), QPoint(8, 6));
    EXPECT_EQ(l.Mod.topLeft(), QPoint(136, 12));
    EXPECT_EQ(l.V.topLeft(), QPoint(364, 6));
    EXPECT_TRUE(l.Pulse.isEmpty());
    EXPECT_EQ(l.Big.pixelSize(), 19);
    EXPECT_EQ(l.Small.pixelSize(), 13);
    l = Layout_Gen_Readouts(t, big, small, 549);
    EXPECT_EQ(l.V.topLeft(), QPoint(464, 6));
}

}  // namespace
}  // namespace tovan
