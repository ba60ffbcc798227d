// The window as the application wires it: mouse on the display area and
// the texts of the application's own messages in the chosen language.
#include <gtest/gtest.h>

#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>

#include "app_test_support.h"
#include "display/geometry.h"

namespace tovan::test {
namespace {

using Prompts_Shown = Scripted_Prompts::Shown;

// The application on the virtual instrument with its manual clock.
class App_Window : public App_Session {
protected:
    void Start(const char* ini_text, const QStringList& extra = {}) {
        App_Session::Start(Backend::Virtual, ini_text, extra);
        ASSERT_FALSE(HasFatalFailure());
    }
    QWidget* Image() { return app->Window().findChild<QWidget*>(QStringLiteral("Image_M")); }
    void Send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(p), Image()->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(Image(), &e);
    }
};

// The second press of a double-click reaches the window as a double-click
// event; inside the plot it must still act as a press.
TEST_F(App_Window, DoubleClickThenDragMovesTheTriggerLevel) {
    Start("[Common]\nRussian=0\n");
    const Plot_Geometry g = Layout_Plot(Image()->width(), Image()->height());
    const QPoint at(g.Plot_Left + g.Plot_W + 5, g.Plot_Top + g.Plot_H / 2);
    const QPoint to(at.x(), g.Plot_Top + g.Plot_H / 8);
    Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    const double first = app->Inst().Settings.Trig_Level;
    Send(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    EXPECT_GT(app->Inst().Settings.Trig_Level, first + 64);
    EXPECT_FALSE(app->Inst().Settings.Compact);

    // Above the plot the double-click toggles the compact view and its
    // press moves nothing.
    const double level = app->Inst().Settings.Trig_Level;
    const QPoint band(g.Plot_Left + g.Plot_W / 2, g.Plot_Top / 2);
    Send(QEvent::MouseButtonPress, band, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, band, Qt::LeftButton, Qt::NoButton);
    Send(QEvent::MouseButtonDblClick, band, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(app->Inst().Settings.Compact);
    EXPECT_EQ(app->Inst().Settings.Trig_Level, level);
}

// The application's own messages follow the language setting.
struct Message_Case {
    const char* name;
    bool russian;
    const char* save_title;
    const char* save_text;   // the first lines of the settings-save failure
    const char* fpga_title;
    const char* fpga_text;   // what follows the path in the FPGA-image warning
};

class App_Messages : public App_Window, public ::testing::WithParamInterface<Message_Case> {
protected:
    const Prompts_Shown* Find_Title(const std::string& title) {
        for (const auto& m : prompts.shown)
            if (m.title == title) return &m;
        return nullptr;
    }
};

TEST_P(App_Messages, SettingsSaveFailureAndFpgaImageInTheChosenLanguage) {
    const auto& c = GetParam();
    const QString image = dir.filePath(QStringLiteral("empty.bin"));
    QFile(image).open(QIODevice::WriteOnly);  // an FPGA image of 0 bytes
    Start(c.russian ? "[Common]\nRussian=1\n" : "[Common]\nRussian=0\n", {QStringLiteral("--fpga-image"), image});

    const auto* fpga = Find_Title(c.fpga_title);
    ASSERT_NE(fpga, nullptr);
    EXPECT_NE(fpga->text.find(image.toStdString() + c.fpga_text), std::string::npos) << fpga->text;

    // The settings file turns into a folder: the old file cannot be read.
    ASSERT_TRUE(QFile::remove(Ini()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tovan1.ini")));
    app->Window().close();
    const auto* save = Find_Title(c.save_title);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text.rfind(std::string(c.save_text) + Ini().toStdString(), 0), 0u) << save->text;
    EXPECT_EQ(save->icon, Prompt_Icon::Error);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, App_Messages,
    ::testing::Values(Message_Case{"Russian", true, "Сохранение настроек", "Не удалось сохранить настройки: ", "Образ FPGA",
                                   " - не образ FPGA, размер 0"},
                      Message_Case{"English", false, "Save Settings", "Settings could not be saved: ", "FPGA Image",
                                   " - not an FPGA image, size 0"}),
    [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
}  // namespace tovan::test
