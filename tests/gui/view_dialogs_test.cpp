// The FFT settings, colours and about dialogs in the running program on
// the virtual instrument: live effect behind the dialog, Cancel restoring,
// OK keeping (and for the colours, writing the settings file).
#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app_test_support.h"
#include "gui/about_dialog.h"
#include "gui/colors_dialog.h"
#include "gui/features/dialogs_feature.h"
#include "gui/fft_dialog.h"

namespace tovan::test {
namespace {

class View_Dialogs : public App_Session {
protected:
    // Runs a few frames, stops with the last one on screen and shows it.
    void Capture() {
        QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
        ASSERT_TRUE(Running());
        QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
        app->Session().Stop_And_Wait();
        Redrawn();
    }
    void Redrawn() {
        const uint32_t shown = State().Frames_Shown.load();
        State().Redraw_Request.store(true);
        State().Shown_Flag.store(true);
        State().Rx_Event.Set();
        ASSERT_TRUE(Wait_For([&] { return State().Frames_Shown.load() > shown; }));
    }
    QAction* Action(const char* name) { return app->Window().findChild<QAction*>(QString::fromLatin1(name)); }
    // Triggers the menu item; act runs inside the dialog's modal loop.
    template <class Dialog>
    void With_Dialog(const char* item, const std::function<void(Dialog&)>& act, bool busy = true) {
        bool ran = false;
        QTimer::singleShot(0, &app->Window(), [&] {
            auto* d = app->Window().findChild<Dialog*>();
            ASSERT_NE(d, nullptr);
            ASSERT_TRUE(d->isVisible());
            EXPECT_EQ(app->Window().Busy(), busy);  // a hand-off waits meanwhile
            ran = true;
            act(*d);
        });
        ASSERT_NE(Action(item), nullptr) << item;
        Action(item)->trigger();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(app->Window().Busy());
    }
    QString Ini_Text() {
        QFile f(Ini());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(View_Dialogs, FFTSizeLiveThenCancelRestores) {
    Start(Backend::Virtual);
    app->Inst().Settings.FFT_View = true;
    Capture();
    const QImage before = app->Screen().copy();
    With_Dialog<FFT_Dialog>("Menu_FFTSet", [&](FFT_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("FFT Settings"));
        EXPECT_EQ(d.Size_Group()->button(3)->text(), QStringLiteral("8192"));
        EXPECT_TRUE(d.Size_Group()->button(2)->isChecked());
        d.Size_Group()->button(3)->click();
        EXPECT_EQ(app->Inst().Settings.FFT_Size, 3);
        Redrawn();
        EXPECT_NE(app->Screen(), before);  // the spectrum behind the dialog changed
        d.Cancel_Button()->click();
    });
    EXPECT_EQ(app->Inst().Settings.FFT_Size, 2);
    Redrawn();
    EXPECT_EQ(app->Screen(), before);
}

TEST_F(View_Dialogs, FFTWindowKeptByOKAndStoredInTheSettingsFile) {
    Start(Backend::Virtual);
    With_Dialog<FFT_Dialog>("Menu_FFTSet", [&](FFT_Dialog& d) {
        d.Win_Group()->button(1)->click();  // Hann
        d.Scale_Group()->button(2)->click();
        d.OK_Button()->click();
    });
    EXPECT_EQ(app->Inst().Settings.FFT_Win, 1);
    EXPECT_EQ(app->Inst().Settings.FFT_Scale, 2);
    app->Window().close();
    EXPECT_TRUE(Ini_Text().contains(QStringLiteral("[FFT]")));
    EXPECT_TRUE(Ini_Text().contains(QStringLiteral("Win=1")));
}

TEST_F(View_Dialogs, FFTEscapeRestoresAndTextsFollowTheLanguage) {
    Start(Backend::Virtual);
    With_Dialog<FFT_Dialog>("Menu_FFTSet", [&](FFT_Dialog& d) {
        d.Scale_Group()->button(1)->click();
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(app->Inst().Settings.FFT_Scale, 0);
    Action("Menu_Russian")->trigger();
    With_Dialog<FFT_Dialog>("Menu_FFTSet", [&](FFT_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Установки БПФ"));
        EXPECT_EQ(d.Win_Group()->button(1)->text(), QString::fromUtf8("Ханна"));
        EXPECT_EQ(d.Scale_Group()->button(1)->text(), QString::fromUtf8("дБм (600 Ом)"));
        EXPECT_EQ(d.Cancel_Button()->text(), QString::fromUtf8("Отмена"));
        d.Cancel_Button()->click();
    });
    EXPECT_EQ(Action("Menu_FFTSet")->text(), QString::fromUtf8("БПФ..."));
}

TEST_F(View_Dialogs, ColoursDefaultCancelOKAndPicker) {
    Start(Backend::Virtual, "[Common]\nRussian=0\n[Colors]\nSignal=255\nGrid=65535\n");
    Color_Set& c = app->Inst().Settings.Colors;
    ASSERT_EQ(c.Signal, 255u);
    Capture();
    const QImage before = app->Screen().copy();

    // Default, then Cancel: the colours from before.
    With_Dialog<Colors_Dialog>("Menu_Colors", [&](Colors_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Color Settings"));
        EXPECT_EQ(d.Color_Button(7)->text(), QStringLiteral("Ext. trig. sig."));
        EXPECT_EQ(d.Swatch(2)->palette().color(QPalette::Window), QColor(255, 0, 0));
        d.Default_Button()->click();
        EXPECT_EQ(c.Signal, Color_Set{}.Signal);
        EXPECT_EQ(d.Swatch(2)->palette().color(QPalette::Window), QColor(0, 255, 0));
        d.Cancel_Button()->click();
    });
    EXPECT_EQ(c.Signal, 255u);
    EXPECT_EQ(c.Grid, 65535u);

    // A picked colour repaints the screen at once; a cancelled pick keeps the field.
    prompts.color_picks.push_back(0x00FF0000);  // blue
    prompts.color_picks.push_back(std::nullopt);
    With_Dialog<Colors_Dialog>("Menu_Colors", [&](Colors_Dialog& d) {
        d.Color_Button(2)->click();
        EXPECT_EQ(c.Signal, 0x00FF0000u);
        Redrawn();
        EXPECT_NE(app->Screen(), before);
        int blue = 0;
        for (int y = 0; y < app->Screen().height(); ++y)
            for (int x = 0; x < app->Screen().width(); ++x) blue += app->Screen().pixel(x, y) == qRgb(0, 0, 255);
        EXPECT_GT(blue, 100);
        QPalette stale = d.Swatch(4)->palette();
        stale.setColor(QPalette::Window, Qt::red);
        d.Swatch(4)->setPalette(stale);
        d.Color_Button(4)->click();  // picker cancelled
        EXPECT_EQ(c.Grid, 65535u);
        // Still repainted: the swatch shows the field's colour again.
        EXPECT_EQ(d.Swatch(4)->palette().color(QPalette::Window), QColor(255, 255, 0));
        d.Cancel_Button()->click();
    });
    EXPECT_EQ(prompts.color_pickers, 2);
    EXPECT_EQ(c.Signal, 255u);

    // Default, then OK: the defaults, written to the settings file at once.
    With_Dialog<Colors_Dialog>("Menu_Colors", [&](Colors_Dialog& d) {
        d.Default_Button()->click();
        d.OK_Button()->click();
    });
    EXPECT_EQ(c.Signal, Color_Set{}.Signal);
    EXPECT_TRUE(Ini_Text().contains(QStringLiteral("Signal=65280"))) << Ini_Text().toStdString();
    EXPECT_TRUE(Ini_Text().contains(QStringLiteral("Grid=8388608")));
}

TEST_F(View_Dialogs, AboutBeforeTheDeviceHasAnswered) {
    Start(Backend::Bridge_Without_Device);
    With_Dialog<About_Dialog>(
        "Menu_About",
        [&](About_Dialog& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("About"));
            EXPECT_EQ(d.Label("ProductName")->text(), QStringLiteral("Product Name      Tovan1"));
            EXPECT_EQ(d.Label("Version")->text(), QStringLiteral("Software Version  1.62"));
            EXPECT_EQ(d.Label("Version1")->text(), QStringLiteral("Firmware Version  ..."));
            EXPECT_EQ(d.Label("Version2")->text(), QStringLiteral("FPGA Version  ..."));
            EXPECT_FALSE(d.Label("Label_SN")->isVisibleTo(&d));
            d.OK_Button()->click();
        },
        false);
}

TEST_F(View_Dialogs, AboutShowsTheDeviceVersionsAndTheSerialInDebugMode) {
    Start(Backend::Virtual);
    Capture();
    app->Inst().Settings.Debug_Mode = true;
    const int32_t fw = State().Firmware_Version.load();
    ASSERT_GE(fw, 0);
    With_Dialog<About_Dialog>(
        "Menu_About",
        [&](About_Dialog& d) {
            EXPECT_EQ(d.Label("Version1")->text(), QStringLiteral("Firmware Version  ") +
                                                       QString::fromStdString(Version_Format(fw)));
            EXPECT_NE(d.Label("Version2")->text(), QStringLiteral("FPGA Version  ..."));
            EXPECT_TRUE(d.Label("Label_SN")->isVisibleTo(&d));
            EXPECT_TRUE(d.Label("Label_SN")->text().startsWith(QStringLiteral("Serial Number  ")));
            d.OK_Button()->click();
        },
        false);
}

// The buttons Qt draws itself follow the language (Qt's own translation).
TEST_F(View_Dialogs, QtStandardButtonsFollowTheLanguage) {
    Start(Backend::Virtual);
    const QString cancel_en = QCoreApplication::translate("QPlatformTheme", "Cancel");
    const QString open_en = QCoreApplication::translate("QFileDialog", "&Open");
    EXPECT_EQ(cancel_en, QStringLiteral("Cancel"));
    Action("Menu_Russian")->trigger();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Отмена"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "&Open"), open_en);
    Action("Menu_English")->trigger();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel_en);
}

}  // namespace
}  // namespace tovan::test
