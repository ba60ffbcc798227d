// The whole application on the virtual instrument (and on the real bridge
// backend, which finds no device here): RUN, SINGLE, control changes
// during RUN and the link supervision with every fault.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <functional>

#include "device/virtual_instrument.h"
#include "gui/app.h"
#include "support/scripted_prompts.h"

namespace tovan::test {
namespace {

using tovan::test_support::Scripted_Prompts;

// Serves events until `done` holds or the time runs out.
bool Wait_For(const std::function<bool()>& done, int timeout_ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QTest::qWait(5);
    }
    return true;
}

class App_Session : public ::testing::Test {
protected:
    void Start(bool demo) {
        QStringList args{QStringLiteral("tovan1")};
        if (demo) args << QStringLiteral("--demo");
        args << QStringLiteral("--ini") << dir.filePath(QStringLiteral("tovan1.ini"));
        prompts.unscripted_answer = Prompt_Answer::No;
        // English texts for the checks.
        QFile ini(dir.filePath(QStringLiteral("tovan1.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Common]\nRussian=0\n");
        ini.close();
        app = std::make_unique<App>(args, &prompts);
        app->Start(nullptr);
        app->Timer1().stop();  // the tests tick by hand
        ASSERT_TRUE(Wait_For([&] { return !app->Window().Busy(); }));  // first activation done
    }
    void TearDown() override {
        if (app) app->Shutdown();
        app.reset();
    }
    QToolButton* Button(const char* name) {
        auto* b = app->Window().findChild<QToolButton*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    Virtual_Instrument& Device() { return dynamic_cast<Virtual_Instrument&>(app->Link()); }
    Acq_State& State() { return app->Inst().State; }
    Frame_Info Info() {
        std::lock_guard lock(State().Data_Mutex);
        return State().Frame->Info;
    }
    bool Running() { return Wait_For([&] { return State().FPGA_OK.load() && Info().Frame_No > 0; }); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& s : prompts.shown) t.push_back(s.text);
        return t;
    }

    QTemporaryDir dir;
    Scripted_Prompts prompts;
    std::unique_ptr<App> app;
};

TEST_F(App_Session, RunWithoutDeviceShowsTheUsbError) {
    Start(false);  // the libftdi1 backend: no bridge on this machine
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "USB Error");
    EXPECT_EQ(prompts.shown[0].text, "Device not found.");
    EXPECT_FALSE(Button("SpeedButton_Run")->isChecked());
    EXPECT_FALSE(app->Inst().Settings.Run);
    EXPECT_FALSE(State().Run_State.load());
}

TEST_F(App_Session, RunDrawsFramesAndCountsThem) {
    Start(true);
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
    Start(true);
    QTest::mouseClick(Button("SpeedButton_Sngl"), Qt::LeftButton);
    ASSERT_TRUE(Wait_For([&] { return !Button("SpeedButton_Sngl")->isChecked(); }));
    EXPECT_FALSE(State().Run_State.load());
    EXPECT_FALSE(State().Single_State.load());
    EXPECT_EQ(State().Frames_Total.load(), 1u);
    EXPECT_EQ(Info().Frame_No, 1);
    // The device keeps sending; nothing more is decoded.
    QTest::qWait(200);
    EXPECT_EQ(State().Frames_Total.load(), 1u);
}

TEST_F(App_Session, ControlChangeDuringRunShowsOnlyNewFrames) {
    Start(true);
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
        if (State().Frames_Total.load() > before)
            EXPECT_EQ(static_cast<uint32_t>(i.Smpl_Period), divider) << "frame " << i.Frame_No;
        return State().Frames_Total.load() > before + 3;
    }));
}

TEST_F(App_Session, RunAfterALostLinkLoadsTheFpgaFirst) {
    Start(true);
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
    Start(true);
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
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(App_Session, SettingsSurviveARestart) {
    Start(true);
    QTest::mouseClick(Button("SpeedButton_2uS"), Qt::LeftButton);
    QTest::mouseClick(Button("SpeedButton_05V"), Qt::LeftButton);
    app->Window().close();
    app->Shutdown();
    app.reset();
    QStringList args{QStringLiteral("tovan1"), QStringLiteral("--demo"), QStringLiteral("--ini"),
                     dir.filePath(QStringLiteral("tovan1.ini"))};
    App again(args, &prompts);
    EXPECT_EQ(again.Inst().Settings.Time_Div, 21);
    EXPECT_EQ(again.Inst().Settings.Volts_Div, 2);
    EXPECT_FALSE(again.Inst().Settings.Russian);
}

}  // namespace
}  // namespace tovan::test
