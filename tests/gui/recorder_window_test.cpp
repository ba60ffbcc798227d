// The recorder window and the frequency-meter log item as the application
// wires them, on the virtual instrument with its manual clock.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app_test_support.h"
#include "gui/features/recorder_feature.h"

namespace tovan::test {
namespace {

class Recorder_Window : public App_Session {
protected:
    QAction* Action(const char* name) {
        return app->Window().findChild<QAction*>(QString::fromLatin1(name));
    }
    Recorder_Dialog* Dialog() { return app->Window().findChild<Recorder_Dialog*>(); }
    QPushButton* Push(const char* name) { return Dialog()->findChild<QPushButton*>(QString::fromLatin1(name)); }
    QString Label() { return Dialog()->findChild<QLabel*>(QStringLiteral("Label_Size"))->text(); }
    // RUN down on a slow untriggered scroll.
    void Scroll() {
        QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
        app->Inst().Settings.Trig_On = false;
        app->Window().Time_Div_Clicked(Time_Step_100mS);
        ASSERT_TRUE(Wait_For([&] { return State().FPGA_OK.load() && Info().Ring_Flag == 1; }));
    }
};

TEST_F(Recorder_Window, RecordsWhileTheDisplayScrolls) {
    Start(Backend::Virtual);
    Scroll();
    app->Session().Set_Last_Dir(dir.path().toStdString());
    Action("Menu_Recorder")->trigger();
    ASSERT_TRUE(Dialog()->isVisible());
    EXPECT_TRUE(app->Window().Busy());
    EXPECT_EQ(Dialog()->windowTitle(), QStringLiteral("Recorder"));
    EXPECT_EQ(Label(), QStringLiteral("Size = ..."));
    EXPECT_FALSE(Push("Button_Stop")->isEnabled());
    EXPECT_EQ(Dialog()->findChild<QLineEdit*>(QStringLiteral("Edit_File"))->text(),
              QDir(dir.path()).filePath(QStringLiteral("recorder.bin")));
    EXPECT_TRUE(Dialog()->findChild<QPlainTextEdit*>(QStringLiteral("Memo_Info"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("Sampling rate = ")));

    QTest::mouseClick(Push("Button_Start"), Qt::LeftButton);
    EXPECT_TRUE(Push("Button_Stop")->isEnabled());
    EXPECT_FALSE(Push("Button_Exit")->isEnabled());
    ASSERT_TRUE(Wait_For([&] { return app->Recorder().Rec_Bytes() > 2000; }));
    const uint32_t frames = State().Frames_Total.load();
    ASSERT_TRUE(Wait_For([&] { return State().Frames_Total.load() > frames + 3; }));  // it scrolls on

    // Esc does nothing while Exit is not offered.
    QTest::keyClick(Dialog(), Qt::Key_Escape);
    EXPECT_TRUE(Dialog()->isVisible());
    EXPECT_TRUE(app->Recorder().Recording());

    // The close box asks; No keeps recording.
    prompts.Answer(Prompt_Answer::No);
    Dialog()->close();
    EXPECT_TRUE(Dialog()->isVisible());
    EXPECT_TRUE(app->Recorder().Recording());

    prompts.Answer(Prompt_Answer::Yes);
    QTest::mouseClick(Push("Button_Stop"), Qt::LeftButton);
    EXPECT_FALSE(app->Recorder().Recording());
    QFile bin(QDir(dir.path()).filePath(QStringLiteral("recorder.bin")));
    EXPECT_EQ(static_cast<uint64_t>(bin.size()), app->Recorder().Rec_Bytes());
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("recorder.txt"))));
    EXPECT_TRUE(Label().startsWith(QStringLiteral("Size = ")));

    QTest::mouseClick(Push("Button_Exit"), Qt::LeftButton);
    EXPECT_FALSE(Dialog()->isVisible());
    EXPECT_FALSE(app->Window().Busy());
}

TEST_F(Recorder_Window, AlwaysOnTopStaysOffWhileTheRecorderIsOpen) {
    Start(Backend::Virtual);
    Scroll();
    app->Inst().Settings.On_Top = true;
    app->Window().Sync_Controls();
    ASSERT_TRUE(app->Window().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    Action("Menu_Recorder")->trigger();
    ASSERT_TRUE(Dialog()->isVisible());
    app->Timer1Timer();  // the controls' refresh of every second
    EXPECT_FALSE(app->Window().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTest::mouseClick(Push("Button_Exit"), Qt::LeftButton);
    EXPECT_TRUE(app->Window().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(Recorder_Window, RefusedWithoutAScrollAndMinimisedWithTheApplication) {
    Start(Backend::Virtual);
    Action("Menu_Recorder")->trigger();  // RUN up
    EXPECT_FALSE(Dialog()->isVisible());
    ASSERT_FALSE(Texts().empty());
    EXPECT_EQ(Texts().back(), "Run 0.1 .. 20 S/Div. Disable Trigger.");

    Scroll();
    Action("Menu_Recorder")->trigger();
    ASSERT_TRUE(Dialog()->isVisible());
    Dialog()->setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(app->Window().isMinimized());
    EXPECT_FALSE(Dialog()->windowState() & Qt::WindowMinimized);
    Dialog()->reject();
}

TEST_F(Recorder_Window, FrequencyMeterLogOnlyInServiceMode) {
    Start(Backend::Virtual);
    EXPECT_FALSE(Action("Menu_FMLog")->isVisible());
    app.reset();
    Start(Backend::Virtual, "[Common]\nRussian=0\n[System]\nDebug_tv=1\n");
    QAction* item = Action("Menu_FMLog");
    ASSERT_TRUE(item->isVisible());
    EXPECT_EQ(item->text(), QStringLiteral("FM_Log"));
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    app->Timer1Timer();
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    QDir::setCurrent(cwd);
    QFile log(QDir(dir.path()).filePath(QStringLiteral("FMlog.txt")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.startsWith("=====================================\r\n")) << text.toStdString();
    EXPECT_EQ(text.count("\r\n"), 2);
}

}  // namespace
}  // namespace tovan::test
