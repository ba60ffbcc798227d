// The whole application on the virtual instrument with its manual clock
// (and on a bridge that lists no device): RUN, SINGLE, control changes
// during RUN, the link supervision with every fault, the B.G. swap.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <functional>

#include "app_test_support.h"

namespace tovan::test {
namespace {

TEST_F(App_Session, RunWithABridgeListingNoDeviceShowsTheUsbError) {
    Start(Backend::Bridge_Without_Device);
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "USB Error");
    EXPECT_EQ(prompts.shown[0].text, "Device not found.");
    EXPECT_FALSE(Button("SpeedButton_Run")->isChecked());
    EXPECT_FALSE(app->Inst().Settings.Run);
    EXPECT_FALSE(State().Run_State.load());
}

TEST_F(App_Session, RunDrawsFramesAndCountsThem) {
    Start(Backend::Virtual);
    EXPECT_EQ(State().Link_Status.load(), Ft_Ok);  // opened at the first activation
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    ASSERT_TRUE(Wait_For([&] { return State().Frames_Shown.load() >= 3; }));
    app->Timer1Timer();
    EXPECT_GE(app->Session().Supervisor().FPS_Shown(), 3u);
    EXPECT_TRUE(prompts.shown.empty());
    // Something other than the background was drawn in the plot.
    const QImage& img = app->Screen();
    ASSERT_FALSE(img.isNull());
    int signal = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) signal += img.pixel(x, y) == qRgb(0, 255, 0);
    EXPECT_GT(signal, 100);
}

TEST_F(App_Session, SingleDrawsOneFrameAndPopsUp) {
    Start(Backend::Virtual);
    QTest::mouseClick(Button("SpeedButton_Sngl"), Qt::LeftButton);
    ASSERT_TRUE(Wait_For([&] { return !Button("SpeedButton_Sngl")->isChecked(); }));
    EXPECT_FALSE(State().Run_State.load());
    EXPECT_FALSE(State().Single_State.load());
    EXPECT_EQ(State().Frames_Total.load(), 1u);
    EXPECT_EQ(Info().Frame_No, 1);
    // The device keeps sending for another 200 ms; nothing more is decoded.
    Wait_For([] { return false; }, 40);
    EXPECT_EQ(State().Frames_Total.load(), 1u);
}

TEST_F(App_Session, StopAndWaitFromTheWindowKeepsTheFrame) {
    Start(Backend::Virtual);
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    // The thread may be handing a redraw to the window right now: the wait
    // serves it instead of blocking on it.
    app->Session().Stop_And_Wait();
    EXPECT_FALSE(Button("SpeedButton_Run")->isChecked());
    const uint32_t total = State().Frames_Total.load();
    Wait_For([] { return false; }, 40);
    EXPECT_EQ(State().Frames_Total.load(), total);
}

TEST_F(App_Session, ControlChangeDuringRunShowsOnlyNewFrames) {
    Start(Backend::Virtual);
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    const uint32_t divider_1ms = app->Inst().Params.Smpl_Divider;
    QTest::mouseClick(Button("SpeedButton_05mS"), Qt::LeftButton);
    const uint32_t divider = app->Inst().Params.Smpl_Divider;
    ASSERT_NE(divider, divider_1ms);
    const uint32_t before = State().Frames_Total.load();
    // Every frame decoded from now on was taken with the new configuration.
    ASSERT_TRUE(Wait_For([&] {
        const Frame_Info i = Info();
        if (State().Frames_Total.load() > before) {
            EXPECT_EQ(static_cast<uint32_t>(i.Smpl_Period), divider) << "frame " << i.Frame_No;
        }
        return State().Frames_Total.load() > before + 3;
    }));
}

TEST_F(App_Session, RunAfterALostLinkLoadsTheFpgaFirst) {
    Start(Backend::Virtual);
    Device().Unplug();
    Device().Replug();
    ASSERT_TRUE(Wait_For([&] {
        uint32_t n = 0;
        app->Link().List_Count(&n);
        return n == 1;
    }));
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    EXPECT_TRUE(Device().FPGA_Loaded());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(App_Session, BackgroundSwapFromTheViewMenu) {
    Start(Backend::Virtual);
    auto* swap = app->Window().findChild<QAction*>(QStringLiteral("Menu_BG_Do"));
    ASSERT_NE(swap, nullptr);
    EXPECT_EQ(swap->text(), QStringLiteral("Main <-> B.G. Oscillogram"));
    EXPECT_EQ(swap->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    auto* view = app->Window().findChild<QMenu*>(QStringLiteral("Menu_View"));
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    emit view->aboutToShow();
    EXPECT_FALSE(swap->isEnabled());  // not while running
    swap->trigger();
    EXPECT_EQ(Info().Frame_Count > 0, true);

    app->Session().Stop_And_Wait();
    emit view->aboutToShow();
    EXPECT_TRUE(swap->isEnabled());
    const int32_t frame_no = Info().Frame_No;
    swap->trigger();
    EXPECT_TRUE(app->Inst().Settings.BG_View);
    const int32_t bg_no = app->Session().With_Frames(
        [](const Frame_Data&, const Frame_Data& bg, const Status_Values&) { return bg.Info.Frame_No; });
    EXPECT_EQ(bg_no, frame_no);
    EXPECT_EQ(Info().Frame_Count, 0);  // the background was empty
    // The language switch reaches the feature's item too.
    app->Window().findChild<QAction*>(QStringLiteral("Menu_Russian"))->trigger();
    EXPECT_EQ(swap->text(), QString::fromUtf8("Обменять с фоновой"));
}

enum class Fault { Unplug, Power_Cycle, Corrupt, Lost_FPGA };

struct Fault_Case {
    const char* name;
    Fault fault;
    Prompt_Answer answer;
    std::vector<std::string> texts;  // boxes shown in order
    bool keeps_running;
};

class Supervision : public App_Session, public ::testing::WithParamInterface<Fault_Case> {};

TEST_P(Supervision, FaultCodeAndRecovery) {
    const Fault_Case& c = GetParam();
    Start(Backend::Virtual);
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    app->Timer1Timer();  // a quiet second first
    ASSERT_TRUE(prompts.shown.empty()) << prompts.shown[0].text;
    prompts.answers = {c.answer};
    switch (c.fault) {
        case Fault::Unplug: Device().Unplug(); break;
        case Fault::Power_Cycle: Device().Power_Cycle(); break;
        case Fault::Corrupt: Device().Corrupt_Check_Bytes(5); break;
        case Fault::Lost_FPGA: Device().Lose_FPGA_Config(); break;
    }
    if (c.fault == Fault::Corrupt) {
        ASSERT_TRUE(Wait_For([&] { return State().CRC_Errors.load() >= 3; }));
    } else if (c.fault != Fault::Unplug) {
        ASSERT_TRUE(Wait_For([&] { return State().Err_Power_Fail.load() || State().Err_FPGA_Lost.load(); }));
    }
    app->Timer1Timer();
    EXPECT_EQ(Texts(), c.texts);
    if (c.keeps_running) {
        const uint32_t before = State().Frames_Total.load();
        EXPECT_TRUE(Button("SpeedButton_Run")->isChecked());
        ASSERT_TRUE(Wait_For([&] { return State().FPGA_OK.load() && State().Frames_Total.load() > before + 2; }));
    } else {
        EXPECT_FALSE(Button("SpeedButton_Run")->isChecked());
        EXPECT_FALSE(app->Inst().Settings.Run);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Supervision,
    ::testing::Values(
        Fault_Case{"UnplugYes", Fault::Unplug, Prompt_Answer::Yes,
                   {"Recover after USB connection lost.\r\nError code 1.", "Device not found."}, false},
        Fault_Case{"UnplugNo", Fault::Unplug, Prompt_Answer::No,
                   {"Recover after USB connection lost.\r\nError code 1."}, false},
        Fault_Case{"PowerCycleYes", Fault::Power_Cycle, Prompt_Answer::Yes,
                   {"Recover after Power failure.\r\nError code 3."}, true},
        Fault_Case{"PowerCycleNo", Fault::Power_Cycle, Prompt_Answer::No,
                   {"Recover after Power failure.\r\nError code 3."}, false},
        Fault_Case{"CorruptFrames", Fault::Corrupt, Prompt_Answer::Yes,
                   {"Unstable USB connection.\r\nError code 5."}, true},
        Fault_Case{"LostFpgaYes", Fault::Lost_FPGA, Prompt_Answer::Yes,
                   {"Recover after FPGA configuration lost.\r\nError code 4."}, true},
        Fault_Case{"LostFpgaNo", Fault::Lost_FPGA, Prompt_Answer::No,
                   {"Recover after FPGA configuration lost.\r\nError code 4."}, false}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST_F(App_Session, SettingsSurviveARestart) {
    Start(Backend::Virtual);
    QTest::mouseClick(Button("SpeedButton_2uS"), Qt::LeftButton);
    QTest::mouseClick(Button("SpeedButton_05V"), Qt::LeftButton);
    app->Window().close();
    app->Shutdown();
    app.reset();
    vi = nullptr;
    App again(Args(Backend::Virtual), Env());
    EXPECT_EQ(again.Inst().Settings.Time_Div, 21);
    EXPECT_EQ(again.Inst().Settings.Volts_Div, 2);
    EXPECT_FALSE(again.Inst().Settings.Russian);
}

}  // namespace
}  // namespace tovan::test
