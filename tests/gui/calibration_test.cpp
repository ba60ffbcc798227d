// The calibration menu items and dialogs on the running application: which
// items the service settings show, the dialogs' texts in both languages,
// and each calibration driven through its dialog on the virtual instrument
// (the window stays live while a measurement waits for frames).
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "app_test_support.h"
#include "gui/features/calibration_dialogs.h"
#include "settings/ini_file.h"

namespace tovan::test {
namespace {

class Calibration_Window : public App_Session {
protected:
    QAction* Action(const char* name) {
        auto* a = app->Window().findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    template <class Dialog>
    Dialog* Find() {
        auto* d = app->Window().findChild<Dialog*>();
        EXPECT_NE(d, nullptr);
        return d;
    }
    // Triggers the menu item; act runs inside the dialog's modal loop.
    template <class Dialog>
    void With_Dialog(const char* item, const std::function<void(Dialog&)>& act) {
        bool ran = false;
        QTimer::singleShot(0, &app->Window(), [&] {
            ran = true;
            EXPECT_TRUE(app->Window().Busy());
            act(*Find<Dialog>());
        });
        Action(item)->trigger();
        EXPECT_TRUE(ran) << item;
        EXPECT_FALSE(app->Window().Busy());
    }
    std::string Ini_Value(const char* section, const char* key) {
        Ini_File ini;
        ini.Load_File(Ini().toStdString());
        return ini.Read_String(section, key).value_or("");
    }
};

// --- menu items ------------------------------------------------------------

struct Menu_Case {
    const char* name;
    const char* ini;
    bool tdc_shown;
};
void PrintTo(const Menu_Case& c, std::ostream* os) { *os << c.name; }

class Calibration_Menu : public Calibration_Window, public ::testing::WithParamInterface<Menu_Case> {};

TEST_P(Calibration_Menu, TDCItemOnlyForTheServiceSettings) {
    Start(Backend::Bridge_Without_Device, GetParam().ini);
    QAction* tdc = Action("Menu_TDCCalibrate");
    EXPECT_EQ(tdc->isVisible(), GetParam().tdc_shown);
    EXPECT_EQ(tdc->isEnabled(), GetParam().tdc_shown);
    EXPECT_EQ(tdc->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    for (const char* name : {"Menu_TimeCalibrate", "Menu_ZeroCalibrate"}) {
        EXPECT_TRUE(Action(name)->isVisible()) << name;
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    }
    EXPECT_EQ(Action("Menu_ZeroCalibrate")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    // At the end of the Options menu, in this order.
    auto* options = app->Window().findChild<QMenu*>(QStringLiteral("Menu_Options"));
    ASSERT_NE(options, nullptr);
    const QList<QAction*> items = options->actions();
    ASSERT_GE(items.size(), 4);
    EXPECT_TRUE(items[items.size() - 4]->isSeparator());
    EXPECT_EQ(items[items.size() - 3]->objectName(), QStringLiteral("Menu_TimeCalibrate"));
    EXPECT_EQ(items[items.size() - 2]->objectName(), QStringLiteral("Menu_ZeroCalibrate"));
    EXPECT_EQ(items[items.size() - 1]->objectName(), QStringLiteral("Menu_TDCCalibrate"));
}

INSTANTIATE_TEST_SUITE_P(
    Flags, Calibration_Menu,
    ::testing::Values(Menu_Case{"None", "[Common]\nRussian=0\n", false},
                      Menu_Case{"TDC_Clbr", "[Common]\nRussian=0\n[System]\nTDC_Clbr=1\n", true},
                      Menu_Case{"Debug_tv", "[Common]\nRussian=0\n[System]\nDebug_tv=1\n", true},
                      Menu_Case{"No_Excuse", "[Common]\nRussian=0\n[System]\nNo_Excuse=1\n", true},
                      Menu_Case{"Keep_Pulse", "[Common]\nRussian=0\n[System]\nKeep_Pulse=1\n", false}),
    [](const auto& tp) { return std::string(tp.param.name); });

// --- texts -------------------------------------------------------------------

struct Text_Case {
    const char* name;
    const char* ini;
    const char* zero_title;
    const char* zero_info;
    const char* tdc_title;
    const char* tdc_info;
    const char* time_title;
    const char* start;
    const char* cancel;
    const char* zero_item;
};
void PrintTo(const Text_Case& c, std::ostream* os) { *os << c.name; }

class Calibration_Texts : public Calibration_Window, public ::testing::WithParamInterface<Text_Case> {};

TEST_P(Calibration_Texts, DialogsInTheLanguageOfTheMoment) {
    const Text_Case& c = GetParam();
    Start(Backend::Bridge_Without_Device, c.ini);
    EXPECT_EQ(Action("Menu_ZeroCalibrate")->text(), QString::fromUtf8(c.zero_item));
    With_Dialog<Zero_Calibrate_Dialog>("Menu_ZeroCalibrate", [&](Zero_Calibrate_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8(c.zero_title));
        EXPECT_EQ(d.Info_Label()->text(), QString::fromUtf8(c.zero_info));
        EXPECT_EQ(d.Start_Button()->text(), QString::fromUtf8(c.start));
        EXPECT_EQ(d.Cancel_Button()->text(), QString::fromUtf8(c.cancel));
        EXPECT_TRUE(d.Start_Button()->isEnabled());
        EXPECT_FALSE(d.OK_Button()->isEnabled());
        EXPECT_EQ(d.Progress()->maximum(), 72);
        EXPECT_EQ(d.Progress()->value(), 0);
        EXPECT_FALSE(d.Values_Label()->isVisibleTo(&d));  // debug mode only
        d.Cancel_Button()->click();
    });
    With_Dialog<TDC_Calibrate_Dialog>("Menu_TDCCalibrate", [&](TDC_Calibrate_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8(c.tdc_title));
        EXPECT_EQ(d.Info_Label()->text(), QString::fromUtf8(c.tdc_info));
        EXPECT_EQ(d.Start_Button()->text(), QString::fromUtf8(c.start));
        EXPECT_EQ(d.Values_Label()->text(), QStringLiteral("..."));  // the device reported nothing
        EXPECT_EQ(d.Progress()->maximum(), 100);
        EXPECT_FALSE(d.OK_Button()->isEnabled());
        d.Cancel_Button()->click();
    });
    With_Dialog<Time_Calibrate_Dialog>("Menu_TimeCalibrate", [&](Time_Calibrate_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8(c.time_title));
        EXPECT_EQ(d.Cancel_Button()->text(), QString::fromUtf8(c.cancel));
        EXPECT_EQ(d.PPM_Label()->text(), QStringLiteral("PPM = 0.00"));
        d.Cancel_Button()->click();
    });
}

INSTANTIATE_TEST_SUITE_P(
    Languages, Calibration_Texts,
    ::testing::Values(
        Text_Case{"English", "[Common]\nRussian=0\n[System]\nTDC_Clbr=1\n", "Zero Calibrate",
                  "Disconnect anything from BNC's and press Start button.", "TDC Calibrate",
                  "Connect generator to ext. trigger and press Start button.", "Time Calibrate", "Start", "Cancel",
                  "Zero Calibrate..."},
        Text_Case{"Russian", "[Common]\nRussian=1\n[System]\nTDC_Clbr=1\n", "Калибровка уровня нуля",
                  "Отключите всё от разъемов устройства.", "Калибровка TDC",
                  "Подключите вход внешней синхр. к выходу генератора.", "Калибровка частотомера", "Старт",
                  "Отмена", "Калибровка уровня нуля..."}),
    [](const auto& tp) { return std::string(tp.param.name); });

// --- zero ----------------------------------------------------------------------

TEST_F(Calibration_Window, ZeroCalibrationThroughTheDialogWhileTheWindowLives) {
    Start(Backend::Virtual, "[Common]\nRussian=0\n[System]\nDebug_tv=1\n");
    // The debug mode asks before it opens the device: yes, with RUN.
    prompts.unscripted_answer = Prompt_Answer::Yes;
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    const uint32_t shown_before = State().Frames_Shown.load();
    bool modal = true;
    With_Dialog<Zero_Calibrate_Dialog>("Menu_ZeroCalibrate", [&](Zero_Calibrate_Dialog& d) {
        EXPECT_EQ(d.Values_Label()->text(), QStringLiteral("Point1 = 3357      Point2 = 725      Offset = 0"));
        on_dialog_wait = [&] { modal = modal && QApplication::activeModalWidget() == &d; };
        d.Start_Button()->click();
        on_dialog_wait = nullptr;
        EXPECT_EQ(d.Info_Label()->text(), QStringLiteral("Calibration OK."));
        EXPECT_EQ(d.Progress()->value(), 72);
        EXPECT_TRUE(d.OK_Button()->isEnabled());
        EXPECT_TRUE(d.Start_Button()->isEnabled());
        const Scope_Settings& s = app->Inst().Settings;
        EXPECT_EQ(d.Values_Label()->text(), QStringLiteral("Point1 = %1      Point2 = %2      Offset = %3")
                                                .arg(s.Z_P1)
                                                .arg(s.Z_P2)
                                                .arg(s.Offset));
        d.OK_Button()->click();
    });
    EXPECT_TRUE(modal);
    // The redraw hand-off went on while the dialog waited.
    EXPECT_GT(State().Frames_Shown.load(), shown_before + 10);
    const Device_Calibration cal;
    const Scope_Settings& s = app->Inst().Settings;
    EXPECT_NEAR(s.Z_P1, cal.z_p1, 1);
    EXPECT_NEAR(s.Z_P2, cal.z_p2, 1);
    EXPECT_NEAR(s.Offset, cal.input_offset, 1);
    EXPECT_EQ(Ini_Value("Calibrate", "Z_P1"), std::to_string(s.Z_P1));
    EXPECT_EQ(Ini_Value("Calibrate", "Offset"), std::to_string(s.Offset));
    EXPECT_EQ(s.Zero_Level, 127);
    EXPECT_TRUE(State().Run_State.load());  // the front panel's state again: RUN
    // The blank device took an identity with the next configuration.
    EXPECT_TRUE(Wait_For([&] {
        return app->Session().With_Frame(
            [](const Frame_Data&, const Status_Values& sv) { return sv.Serial_Bytes[4] == 0xA5; });
    }));
}

TEST_F(Calibration_Window, CancelDuringTheZeroMeasurementChangesNothing) {
    Start(Backend::Virtual);
    ASSERT_TRUE(Wait_For([&] { return State().FPGA_OK.load(); }));  // RUN is not needed
    int rounds = 0;
    int progress = -1;
    With_Dialog<Zero_Calibrate_Dialog>("Menu_ZeroCalibrate", [&](Zero_Calibrate_Dialog& d) {
        on_dialog_wait = [&] {
            if (++rounds == 40) d.Cancel_Button()->click();
        };
        d.Start_Button()->click();
        on_dialog_wait = nullptr;
        progress = d.Progress()->value();
    });
    EXPECT_GT(progress, 0);
    EXPECT_LT(progress, 72);
    const Scope_Settings& s = app->Inst().Settings;
    EXPECT_EQ(s.Z_P1, 3357);
    EXPECT_EQ(s.Z_P2, 725);
    EXPECT_EQ(s.Offset, 0);
    EXPECT_EQ(Ini_Value("Calibrate", "Z_P1"), "");  // nothing written
    EXPECT_FALSE(State().Serial_Send_Request.load());
}

// --- TDC -------------------------------------------------------------------------

TEST_F(Calibration_Window, TDCCalibrationThroughTheDialogReachesTheDevice) {
    device_cal.tdc_rise_steps = 19;
    device_cal.tdc_fall_steps = 24;
    device_cal.tdc_rise_stored = 20;
    device_cal.tdc_fall_stored = 22;
    Start(Backend::Virtual, "[Common]\nRussian=0\n[System]\nTDC_Clbr=1\n");
    // The device reports its stored values with every frame.
    ASSERT_TRUE(Wait_For([&] {
        return app->Session().With_Frame([](const Frame_Data&, const Status_Values& sv) { return sv.TDC_Valid; });
    }));
    With_Dialog<TDC_Calibrate_Dialog>("Menu_TDCCalibrate", [&](TDC_Calibrate_Dialog& d) {
        EXPECT_EQ(d.Values_Label()->text(), QStringLiteral("Rise = 10/20 nS     Fall = 10/22 nS"));
        d.Start_Button()->click();
        EXPECT_EQ(d.Info_Label()->text(), QStringLiteral("Calibration OK."));
        EXPECT_EQ(d.Values_Label()->text(), QStringLiteral("Rise = 10/19 nS     Fall = 10/24 nS"));
        EXPECT_EQ(d.Progress()->value(), 100);
        d.OK_Button()->click();
    });
    EXPECT_TRUE(Wait_For([&] {
        return app->Session().With_Frame([](const Frame_Data&, const Status_Values& sv) {
            return sv.TDC_Valid && sv.TDC_Rise_Read == 19 && sv.TDC_Fall_Read == 24;
        });
    }));
}

// --- time --------------------------------------------------------------------------

TEST_F(Calibration_Window, TimeCalibrationLiveCancelRestoresOkWrites) {
    Start(Backend::Bridge_Without_Device, "[Common]\nRussian=0\n[Calibrate]\nTime=15\n");
    With_Dialog<Time_Calibrate_Dialog>("Menu_TimeCalibrate", [&](Time_Calibrate_Dialog& d) {
        EXPECT_EQ(d.PPM_Bar()->value(), 15);
        EXPECT_EQ(d.PPM_Label()->text(), QStringLiteral("PPM = 3.00"));
        EXPECT_EQ(d.PPM_Bar()->minimum(), -250);
        EXPECT_EQ(d.PPM_Bar()->maximum(), 250);
        d.PPM_Bar()->setValue(-250);
        EXPECT_EQ(d.PPM_Label()->text(), QStringLiteral("PPM = -50.00"));
        EXPECT_EQ(app->Inst().Params.Frame_PPM, -250);
        d.PPM_Bar()->setValue(1);
        EXPECT_EQ(d.PPM_Label()->text(), QStringLiteral("PPM = 0.20"));
        EXPECT_EQ(app->Inst().Params.Frame_PPM, 1);
        d.Cancel_Button()->click();
    });
    EXPECT_EQ(app->Inst().Settings.Time_PPM, 15);
    EXPECT_EQ(app->Inst().Params.Frame_PPM, 15);
    EXPECT_EQ(Ini_Value("Calibrate", "Time"), "15");  // as it was: nothing written

    app->Inst().Settings.Time_PPM = -7;  // what the file does not know yet
    With_Dialog<Time_Calibrate_Dialog>("Menu_TimeCalibrate",
                                       [&](Time_Calibrate_Dialog& d) { d.OK_Button()->click(); });
    EXPECT_EQ(Ini_Value("Calibrate", "Time"), "-7");
}

}  // namespace
}  // namespace tovan::test
