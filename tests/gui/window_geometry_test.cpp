// Where the main window starts and what the compact view does to its size.
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>

#include "gui_test_support.h"

namespace tovan::test {
namespace {

class Window_Geometry : public Window_Test {
protected:
    void SetUp() override { Make(); }
};

TEST_F(Window_Geometry, StartsCentredOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GT(screen.width(), w->width());  // the offscreen screen has room to centre
    const QPoint c = w->frameGeometry().center();
    EXPECT_NEAR(c.x(), screen.center().x(), 1);
    EXPECT_NEAR(c.y(), screen.center().y(), 1);
}

struct Compact_Case {
    const char* name;
    QSize grow;  // what the user added to the start size before compact view
};

class Compact_Size : public Window_Geometry, public ::testing::WithParamInterface<Compact_Case> {};

TEST_P(Compact_Size, ShrinksByThePanelsAndGivesTheSizeBack) {
    w->resize(w->size() + GetParam().grow);
    w->move(w->pos() + QPoint(7, 5));
    QCoreApplication::processEvents();
    const QRect normal = w->geometry();

    Action("Menu_Compact")->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Find<QGroupBox>("GroupBox1")->isHidden());
    EXPECT_EQ(w->size(), normal.size() - QSize(170, 135));
    EXPECT_EQ(Find<QWidget>("Panel_Signal")->size(), w->centralWidget()->size());

    Action("Menu_Compact")->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Find<QGroupBox>("GroupBox2")->isHidden());
    EXPECT_EQ(w->geometry(), normal);

    // The second time the compact geometry of the last exit comes back.
    Action("Menu_Compact")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->size(), normal.size() - QSize(170, 135));
}

INSTANTIATE_TEST_SUITE_P(Gui, Compact_Size,
                         ::testing::Values(Compact_Case{"StartSize", QSize(0, 0)},
                                           Compact_Case{"Enlarged", QSize(100, 60)}),
                         [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
}  // namespace tovan::test
