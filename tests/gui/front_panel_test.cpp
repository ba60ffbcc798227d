#include <QScrollBar>
#include <QTest>

#include "gui_test_support.h"

namespace tovan::test {
namespace {

class Front_Panel : public Window_Test {
protected:
    void SetUp() override { Make(); }
};

struct Time_Click_Case {
    const char* button;
    uint64_t ns;
};

class Time_Div_Click : public Front_Panel, public ::testing::WithParamInterface<Time_Click_Case> {};

TEST_P(Time_Div_Click, ChangesRecordAndApplies) {
    QTest::mouseClick(Button(GetParam().button), Qt::LeftButton);
    EXPECT_EQ(inst.Settings.Time_Div_ns(), GetParam().ns);
    EXPECT_EQ(inst.Params.Time_Div_ns, GetParam().ns);
    EXPECT_TRUE(inst.State.Config_Request.load());
    // Exactly one button of the group is down.
    int down = 0;
    for (const auto& t : Time_Steps) down += Button(t.button)->isChecked() ? 1 : 0;
    EXPECT_EQ(down, 1);
    EXPECT_TRUE(Button(GetParam().button)->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Gui, Time_Div_Click,
                         ::testing::Values(Time_Click_Case{"SpeedButton_20S", 20000000000ULL},
                                           Time_Click_Case{"SpeedButton_05mS", 500000ULL},
                                           Time_Click_Case{"SpeedButton_50nS", 50ULL}));

TEST_F(Front_Panel, SingleWhileRunReleasesRun) {
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    EXPECT_TRUE(inst.State.Run_State.load());
    QTest::mouseClick(Button("SpeedButton_Sngl"), Qt::LeftButton);
    EXPECT_FALSE(Button("SpeedButton_Run")->isChecked());
    EXPECT_TRUE(Button("SpeedButton_Sngl")->isChecked());
    EXPECT_TRUE(inst.State.Run_State.load());
    EXPECT_TRUE(inst.State.Single_State.load());
    // The single shot completes: SINGLE is released after the redraw.
    inst.State.Single_Done.store(true);
    w->After_Redraw();
    EXPECT_FALSE(Button("SpeedButton_Sngl")->isChecked());
    // Pressing the pressed RUN releases it.
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    EXPECT_FALSE(Button("SpeedButton_Run")->isChecked());
    EXPECT_FALSE(inst.State.Run_State.load());
}

TEST_F(Front_Panel, VoltsDivRescalesTriggerLevelAndCyclesProbe) {
    inst.Settings.Trig_Level = 177.0;  // 50 codes above zero at 1V
    QTest::mouseClick(Button("SpeedButton_05V"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(inst.Settings.Trig_Level, 227.0);
    EXPECT_EQ(inst.Params.Volts_Div_uV, 500000);

    auto* vd = Button("SpeedButton_VoltsDiv");
    const char* expected[] = {"Вольт/Дел (x10)", "Вольт/Дел", "Вольт/Дел (x10)"};
    for (const char* e : expected) {
        QTest::mouseClick(vd, Qt::LeftButton);
        EXPECT_EQ(vd->text(), QString::fromUtf8(e));
    }
    EXPECT_EQ(Button("SpeedButton_2V")->text(), QStringLiteral("20V"));
    EXPECT_TRUE(Action("Menu_x10")->isChecked());
}

TEST_F(Front_Panel, ScrollBarAndReturnToTriggerRefreshOnly) {
    hooks.trigger_position = [] { return 1234; };
    Make();
    w->Set_View_Range(2500);
    Find<QScrollBar>("ScrollBar_X_POS")->setValue(100);
    EXPECT_EQ(inst.Settings.X_Pos, 100);
    EXPECT_TRUE(inst.State.Redraw_Request.load());
    EXPECT_FALSE(inst.State.Config_Request.load());
    QTest::mouseClick(Button("SpeedButton_ret_trig"), Qt::LeftButton);
    EXPECT_EQ(inst.Settings.X_Pos, 1234);
    EXPECT_EQ(Find<QScrollBar>("ScrollBar_X_POS")->value(), 1234);
    EXPECT_FALSE(inst.State.Config_Request.load());
}

struct Link_Case {
    const char* button;
    bool Scope_Settings::*field;
    Link_Button which;
};

class Link_Failure : public Front_Panel, public ::testing::WithParamInterface<Link_Case> {};

TEST_P(Link_Failure, ReleasesTheButton) {
    std::vector<Link_Button> checked, errors;
    bool busy_during_check = false;
    hooks.link_check = [&](Link_Button b) {
        checked.push_back(b);
        busy_during_check = w->Busy();
        return false;
    };
    hooks.show_link_error = [&](Link_Button b) { errors.push_back(b); };
    Make();
    QTest::mouseClick(Button(GetParam().button), Qt::LeftButton);
    EXPECT_EQ(checked, std::vector<Link_Button>{GetParam().which});
    EXPECT_EQ(errors, std::vector<Link_Button>{GetParam().which});
    EXPECT_TRUE(busy_during_check);
    EXPECT_FALSE(w->Busy());
    EXPECT_FALSE(Button(GetParam().button)->isChecked());
    EXPECT_FALSE(inst.Settings.*(GetParam().field));
    EXPECT_FALSE(inst.State.Run_State.load());
    EXPECT_FALSE(inst.State.Config_Request.load());
}

INSTANTIATE_TEST_SUITE_P(Gui, Link_Failure,
                         ::testing::Values(Link_Case{"SpeedButton_Run", &Scope_Settings::Run, Link_Button::Run},
                                           Link_Case{"SpeedButton_Sngl", &Scope_Settings::Sngl, Link_Button::Single},
                                           Link_Case{"SpeedButton_GenOn", &Scope_Settings::Gen_On,
                                                     Link_Button::Gen_On}));

TEST_F(Front_Panel, KeyReachesTheWindowWhileAButtonHasFocus) {
    auto* b = Button("SpeedButton_1mS");
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Left);
    EXPECT_EQ(inst.Settings.Time_Div_ns(), 2000000u);
    EXPECT_TRUE(inst.State.Config_Request.load());
    // Space toggles RUN exactly once, not again through the focused button.
    QTest::keyClick(b, Qt::Key_Space);
    EXPECT_TRUE(inst.Settings.Run);
    EXPECT_TRUE(Button("SpeedButton_Run")->isChecked());
    // Enter while RUN is pressed presses SINGLE and releases RUN.
    QTest::keyClick(b, Qt::Key_Return);
    EXPECT_FALSE(inst.Settings.Run);
    EXPECT_TRUE(inst.Settings.Sngl);
    EXPECT_TRUE(inst.State.Single_State.load());
    // Keyboard volts/div steps keep the trigger level's code.
    inst.Settings.Trig_Level = 177.0;
    QTest::keyClick(b, Qt::Key_Down);
    EXPECT_EQ(inst.Settings.Volts_Div, 2);
    EXPECT_DOUBLE_EQ(inst.Settings.Trig_Level, 177.0);
}

TEST_F(Front_Panel, ViewMenuItems) {
    Action("Menu_Markers_1")->trigger();
    EXPECT_TRUE(inst.Settings.Markers_1);
    EXPECT_FALSE(inst.Settings.Markers_2);
    EXPECT_FALSE(Action("Menu_Markers_2")->isChecked());
    EXPECT_EQ(inst.Settings.Marker_Mode, 1);
    Action("Menu_Markers_1")->trigger();
    EXPECT_EQ(inst.Settings.Marker_Mode, 0);
    EXPECT_FALSE(inst.State.Config_Request.load());  // display only

    Action("Menu_Grid")->trigger();
    EXPECT_FALSE(inst.Settings.Grid);
    EXPECT_FALSE(inst.State.Config_Request.load());
    Action("Menu_ExtTrig")->trigger();  // changes what the device sends
    EXPECT_FALSE(inst.Settings.ExtTrig);
    EXPECT_TRUE(inst.State.Config_Request.load());

    Action("Menu_Dots")->trigger();
    EXPECT_EQ(inst.Settings.Trace_Mode, Trace_Dots);
    EXPECT_FALSE(Action("Menu_Sinxx")->isChecked());
    Action("Menu_Smpl_8000")->trigger();
    EXPECT_EQ(inst.Params.Record_Points, 8000);
}

}  // namespace
}  // namespace tovan::test
