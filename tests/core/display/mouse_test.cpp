#include "display/mouse.h"

#include <gtest/gtest.h>

namespace tovan {
namespace {

// Plot 1000 x 256 at (31, 25): Div_W 100, Div_H 32, one pixel per code,
// two pixels per marker unit.
class Mouse_Test : public ::testing::Test {
protected:
    Display_State st;
    Scope_Settings s;
    const Mouse_Buttons left{true, false};
    const Mouse_Buttons right{false, true};
    Mouse_Test() { st.Geo = Layout_Plot(1060, 340); }
    int L() const { return st.Geo.Plot_Left; }
    int T() const { return st.Geo.Plot_Top; }
};

TEST_F(Mouse_Test, Geometry) {
    EXPECT_EQ(st.Geo.Plot_W, 1000);
    EXPECT_EQ(st.Geo.Plot_H, 256);
    EXPECT_EQ(L(), 31);
}

TEST_F(Mouse_Test, NoButtonDoesNothing) {
    EXPECT_EQ(Mouse_Down(st, s, false, 100, 100, {}), View_Action::None);
    EXPECT_EQ(Mouse_Move(st, s, 100, 100, {}), View_Action::None);
}

TEST_F(Mouse_Test, ZeroLevelDragMovesTheTriggerLevelAlong) {
    s.Zero_Level = 100;
    s.Trig_Level = 140;
    // y for code c: T + 255 - c; level from cy = round(256 - cy) - 1.
    EXPECT_EQ(Mouse_Down(st, s, false, 5, T() + 255 - 100, left), View_Action::Apply_Settings);
    EXPECT_EQ(st.Drag_Target, 8);
    EXPECT_EQ(s.Zero_Level, 100);
    EXPECT_EQ(Mouse_Move(st, s, 5, T() + 255 - 110, left), View_Action::Apply_Settings);
    EXPECT_EQ(s.Zero_Level, 110);
    EXPECT_DOUBLE_EQ(s.Trig_Level, 150);
    EXPECT_EQ(Mouse_Move(st, s, 5, -1000, left), View_Action::Apply_Settings);  // clamped at the top
    EXPECT_EQ(s.Zero_Level, 255);
    EXPECT_EQ(Mouse_Up(st), View_Action::Refresh_View);
    EXPECT_EQ(st.Drag_Target, 0);
}

TEST_F(Mouse_Test, NearerBackgroundArrowIsTakenWhenShown) {
    s.Zero_Level = 200;
    s.BG_Zero_Level = 50;
    s.BG_Trig_Level = 60;
    s.BG_View = true;
    EXPECT_EQ(Mouse_Down(st, s, true, 5, T() + 255 - 40, left), View_Action::Refresh_View);
    EXPECT_EQ(st.Drag_Target, 9);
    EXPECT_EQ(s.BG_Zero_Level, 40);
    EXPECT_DOUBLE_EQ(s.BG_Trig_Level, 50);
    EXPECT_EQ(s.Zero_Level, 200);
    // Without a background copy the main arrow is taken.
    EXPECT_EQ(Mouse_Down(st, s, false, 5, T() + 255 - 40, left), View_Action::Apply_Settings);
    EXPECT_EQ(st.Drag_Target, 8);
}

TEST_F(Mouse_Test, TriggerLevelRightOfThePlot) {
    EXPECT_EQ(Mouse_Down(st, s, false, L() + 1010, T() + 255 - 30, left), View_Action::Apply_Settings);
    EXPECT_EQ(st.Drag_Target, 7);
    EXPECT_DOUBLE_EQ(s.Trig_Level, 30);
    EXPECT_EQ(Mouse_Down(st, s, false, L() + 1010, T() + 400, left), View_Action::Apply_Settings);
    EXPECT_DOUBLE_EQ(s.Trig_Level, 0);
}

struct Marker_Case {
    int x, y;  // offsets in the plot
    bool snap;
    int target;
    int value;
};

class Marker_Pick : public Mouse_Test, public ::testing::WithParamInterface<Marker_Case> {};

TEST_P(Marker_Pick, NearestLineTakesTheClick) {
    const auto& c = GetParam();
    s.Marker_Mode = 2;  // crosses at x 25, 475 (pixels 50, 950) and y 240, 16
    EXPECT_EQ(Mouse_Down(st, s, false, L() + c.x, T() + c.y, c.snap ? right : left), View_Action::Refresh_View);
    EXPECT_EQ(st.Drag_Target, c.target);
    const int values[] = {s.Marker1_x, s.Marker1_y, s.Marker2_x, s.Marker2_y};
    EXPECT_EQ(values[c.target - 3], c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Marker_Pick,
    ::testing::Values(Marker_Case{60, 120, false, 3, 30},     // near marker 1's vertical line
                      Marker_Case{500, 236, false, 4, 236},   // near marker 1's horizontal line
                      Marker_Case{940, 120, false, 5, 470},   // marker 2 vertical
                      Marker_Case{500, 20, false, 6, 20},     // marker 2 horizontal
                      Marker_Case{103, 128, true, 3, 50},     // right button: 3 px right of a line snaps onto it
                      Marker_Case{50, 240, false, 3, 25}));   // tie between lines 1 and 2: order wins

TEST_F(Mouse_Test, SingleCrossPrefersTheVerticalLineOnTies) {
    s.Marker_Mode = 1;  // x 25 (pixel 50), y 240
    Mouse_Down(st, s, false, L() + 55, T() + 235, left);
    EXPECT_EQ(st.Drag_Target, 1);
    Mouse_Down(st, s, false, L() + 70, T() + 237, left);  // the first click moved x to 28 (pixel 56)
    EXPECT_EQ(st.Drag_Target, 2);
    EXPECT_EQ(Mouse_Move(st, s, L() + 500, T() + 1000, left), View_Action::Refresh_View);
    EXPECT_EQ(s.Marker_y, 256);  // clamped to the plot height
    s.Marker_Mode = 0;
    EXPECT_EQ(Mouse_Down(st, s, false, L() + 55, T() + 235, left), View_Action::None);
}

TEST_F(Mouse_Test, DoubleClickArmsOnlyAboveThePlot) {
    Mouse_Down(st, s, false, L() + 100, T() - 5, left);
    EXPECT_TRUE(st.Dbl_Armed);
    EXPECT_TRUE(Mouse_Dbl_Click(st));
    // The mouse-down delivered with the double-click is ignored once.
    const int zero = s.Zero_Level;
    EXPECT_EQ(Mouse_Down(st, s, false, 5, T() + 10, left), View_Action::None);
    EXPECT_EQ(s.Zero_Level, zero);
    Mouse_Down(st, s, false, L() + 100, T() + 5, left);
    EXPECT_FALSE(st.Dbl_Armed);
    EXPECT_FALSE(Mouse_Dbl_Click(st));
}

// The second press of a double-click: a press like any other except for
// the one armed above the plot.
struct Dbl_Press_Case {
    const char* name;
    int x, y;  // offsets from the plot's corner, both presses at the same place
    bool toggle;
    View_Action action;
    int target;
};

class Dbl_Press : public Mouse_Test, public ::testing::WithParamInterface<Dbl_Press_Case> {};

TEST_P(Dbl_Press, ActsAsAPressUnlessArmedAboveThePlot) {
    const auto& c = GetParam();
    s.Marker_Mode = 1;
    Mouse_Down(st, s, false, L() + c.x, T() + c.y, left);
    Mouse_Up(st);
    const Dbl_Press_Result r = Mouse_Dbl_Press(st, s, false, L() + c.x, T() + c.y, left);
    EXPECT_EQ(r.Toggle_Compact, c.toggle);
    EXPECT_EQ(r.Action, c.action);
    EXPECT_EQ(st.Drag_Target, c.target);
    EXPECT_FALSE(st.Dbl_Pending);
}

INSTANTIATE_TEST_SUITE_P(
    Places, Dbl_Press,
    ::testing::Values(Dbl_Press_Case{"AboveThePlot", 100, -5, true, View_Action::None, 0},
                      Dbl_Press_Case{"MarkerLine", 52, 100, false, View_Action::Refresh_View, 1},
                      Dbl_Press_Case{"ZeroArrow", -26, 100, false, View_Action::Apply_Settings, 8},
                      Dbl_Press_Case{"TriggerLevel", 1010, 100, false, View_Action::Apply_Settings, 7}),
    [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
}  // namespace tovan
