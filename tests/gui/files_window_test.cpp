// The File menu's commands in the running program on the virtual
// instrument: file dialogs and questions scripted.
#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app_test_support.h"
#include "files/tvd_file.h"

namespace tovan::test {
namespace {

class Files_Window : public App_Session {
protected:
    QAction* Action(const char* name) {
        auto* a = app->Window().findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    std::string Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }
    // Runs until a few frames were shown, then stops with the last one on screen.
    void Capture() {
        const uint32_t shown = State().Frames_Shown.load();
        if (!Button("SpeedButton_Run")->isChecked()) QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
        ASSERT_TRUE(Wait_For([&] { return State().FPGA_OK.load() && State().Frames_Shown.load() >= shown + 3; }));
        QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
        app->Session().Stop_And_Wait();
        Redrawn();
    }
    // Asks for a redraw and waits until the screen shows it.
    void Redrawn() {
        const uint32_t shown = State().Frames_Shown.load();
        State().Redraw_Request.store(true);
        State().Shown_Flag.store(true);
        State().Rx_Event.Set();
        ASSERT_TRUE(Wait_For([&] { return State().Frames_Shown.load() > shown; }));
    }
    std::string Frame_Bytes() {
        return app->Session().With_Frame([](const Frame_Data& f, const Status_Values&) { return Encode_TVD(f); });
    }
};

TEST_F(Files_Window, SaveThenOpenShowsTheSameScreen) {
    Start(Backend::Virtual);
    Capture();
    const QImage saved_screen = app->Screen().copy();
    const std::string saved_frame = Frame_Bytes();
    prompts.Choose_File(Path("scope.tvd"));
    Action("Menu_Save_As")->trigger();
    ASSERT_TRUE(prompts.shown.empty()) << prompts.shown[0].text;

    // Other frames come in; then the file is opened again.
    Capture();
    ASSERT_NE(Frame_Bytes(), saved_frame);
    prompts.Choose_File(Path("scope.tvd"));
    prompts.Answer(Prompt_Answer::No);  // not its settings
    Action("Menu_Open")->trigger();
    EXPECT_EQ(Frame_Bytes(), saved_frame);
    Redrawn();
    EXPECT_TRUE(app->Window().windowTitle().contains(QStringLiteral("scope.tvd")));
    const QImage& now = app->Screen();
    ASSERT_EQ(now.size(), saved_screen.size());
    int differing = 0;
    for (int y = 0; y < now.height(); ++y)
        for (int x = 0; x < now.width(); ++x) differing += now.pixel(x, y) != saved_screen.pixel(x, y);
    EXPECT_EQ(differing, 0);

    // The image export is that very bitmap.
    prompts.Choose_File(Path("scope.bmp"));
    Action("Menu_Image")->trigger();
    QImage bmp(QString::fromStdString(Path("scope.bmp")));
    ASSERT_FALSE(bmp.isNull());
    EXPECT_EQ(bmp.convertToFormat(QImage::Format_RGB32), now.convertToFormat(QImage::Format_RGB32));
    prompts.Choose_File(Path("scope.png"));
    Action("Menu_Image")->trigger();
    QImage png(QString::fromStdString(Path("scope.png")), "PNG");
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), now.convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(prompts.shown.size() == 1u);  // only the companion question

    // Every save dialog proposes the loaded file's name.
    prompts.file_dialogs.clear();
    for (const char* item : {"Menu_Image", "Menu_Text", "Menu_Row_Binary", "Menu_CSV", "Menu_Save_Settings_As"})
        Action(item)->trigger();  // cancelled
    std::vector<std::string> names;
    for (const auto& r : prompts.file_dialogs) names.push_back(r.file_name);
    EXPECT_EQ(names, (std::vector<std::string>{"scope.bmp", "scope.txt", "scope.bin", "scope.csv", "scope.tvs"}));
    EXPECT_EQ(prompts.file_dialogs.front().initial_dir, dir.path().toStdString());
}

TEST_F(Files_Window, CommandsOnlyWhileStopped) {
    Start(Backend::Virtual);
    auto* file = app->Window().findChild<QMenu*>(QStringLiteral("Menu_File"));
    auto* exp = app->Window().findChild<QMenu*>(QStringLiteral("Menu_Export"));
    ASSERT_NE(exp, nullptr);
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    emit file->aboutToShow();
    EXPECT_FALSE(Action("Menu_Save_As")->isEnabled());
    EXPECT_FALSE(Action("Menu_Open")->isEnabled());
    EXPECT_FALSE(exp->menuAction()->isEnabled());
    EXPECT_TRUE(Action("Menu_Open_Settings")->isEnabled());
    emit file->aboutToHide();
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    app->Session().Stop_And_Wait();
    // The menu was last shown while running: its shortcuts work after the stop.
    EXPECT_TRUE(Action("Menu_Save_As")->isEnabled());
    EXPECT_TRUE(Action("Menu_Open")->isEnabled());
    emit file->aboutToShow();
    EXPECT_TRUE(Action("Menu_Save_As")->isEnabled());
    EXPECT_TRUE(exp->menuAction()->isEnabled());
    EXPECT_EQ(Action("Menu_Open")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(Action("Menu_Save_As")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(Action("Menu_CSV")->text(), QStringLiteral("CSV..."));
    // The File menu's order, separators as "-".
    std::vector<std::string> order;
    for (QAction* a : file->actions())
        order.push_back(a->isSeparator() ? "-" : a->menu() ? a->menu()->objectName().toStdString()
                                                           : a->objectName().toStdString());
    EXPECT_EQ(order, (std::vector<std::string>{"Menu_Open", "Menu_Open_Settings", "-", "Menu_Save_As",
                                               "Menu_Save_Settings_As", "-", "Menu_Export", "Menu_Recorder",
                                               "Menu_FMLog", "-", "Menu_Exit"}));
    // Captions follow the language.
    Action("Menu_Russian")->trigger();
    EXPECT_EQ(Action("Menu_Open")->text(), QString::fromUtf8("Открыть..."));
    EXPECT_EQ(exp->title(), QString::fromUtf8("Экспорт"));
}

TEST_F(Files_Window, FileNamedOnTheCommandLineOpensAtStart) {
    // A file saved by one run of the program...
    Start(Backend::Virtual);
    Capture();
    const std::string frame = Frame_Bytes();
    prompts.Choose_File(Path("start.tvd"));
    Action("Menu_Save_As")->trigger();
    app->Shutdown();
    app.reset();
    // ...is on screen when the next one starts with it.
    prompts.Answer(Prompt_Answer::No);
    Start(Backend::Virtual, "[Common]\nRussian=0\n", {QString::fromStdString(Path("start.tvd"))});
    EXPECT_EQ(Frame_Bytes(), frame);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, Path("start.tvs") + " found.\r\nOpen settings file?");
}

TEST_F(Files_Window, HandedOverAndDroppedFiles) {
    Start(Backend::Virtual);
    Capture();
    const std::string frame = Frame_Bytes();
    const int time_div = app->Inst().Settings.Time_Div;
    ASSERT_NE(time_div, 2);
    prompts.Choose_File(Path("h.tvd"));
    Action("Menu_Save_As")->trigger();
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());

    // Handed over while running: refused with its message.
    app->Window().Handle_Handoff({1, Path("h.tvd")});
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Open");
    EXPECT_EQ(prompts.shown[0].text, Path("h.tvd") + "\r\nCan't open while running.");
    EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Error);

    // Stopped: asked, and Yes opens it (then its settings: No).
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    app->Session().Stop_And_Wait();
    prompts.Answer(Prompt_Answer::Yes);
    prompts.Answer(Prompt_Answer::No);
    app->Window().Handle_Handoff({1, Path("h.tvd")});
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[1].text, Path("h.tvd") + "\r\nOpen data file?");
    EXPECT_EQ(Frame_Bytes(), frame);
    EXPECT_FALSE(app->Window().Busy());

    // Dropped on the window: opened like a command-line file.
    app->Inst().Settings.Time_Div = 2;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("h.tvs")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&app->Window(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&app->Window(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(app->Inst().Settings.Time_Div, time_div);  // the saved set-up is back
    EXPECT_EQ(prompts.shown.size(), 3u);
}

}  // namespace
}  // namespace tovan::test
