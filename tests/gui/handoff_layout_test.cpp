#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <vector>

#include <unistd.h>

#include "gui/single_instance.h"
#include "gui_test_support.h"

namespace tovan::test {
namespace {

// Runs the event loop until `done` holds; the test's own time-out bounds it.
void Serve_Until(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 100);
}

// Sets environment variables for one test and puts them back afterwards,
// also when the test stops early.
class Env_Guard {
public:
    void Set(const char* name, const QByteArray* value) {
        saved_.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        if (value) qputenv(name, *value);
        else qunsetenv(name);
    }
    ~Env_Guard() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->was_set) qputenv(it->name, it->value);
            else qunsetenv(it->name);
        }
    }

private:
    struct Saved {
        const char* name;
        bool was_set;
        QByteArray value;
    };
    std::vector<Saved> saved_;
};

class Handoff : public Window_Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        hooks.open_file = [this](const std::string& path, bool as_settings) { opened.emplace_back(path, as_settings); };
        inst.Settings.Russian = false;
        Make();
        first = std::make_unique<Single_Instance>(QStringLiteral("tovan1_Mutex_951413"), dir.path());
        ASSERT_EQ(first->Start(), Single_Instance::Role::Primary);
        first->on_handoff = [this](const Handoff_Record& r) {
            ++received;
            w->Handle_Handoff(r);
        };
    }
    // A second start in the same process: it finds the first and sends.
    void Second_Start(uint32_t argc, const std::string& text) {
        Single_Instance second(QStringLiteral("tovan1_Mutex_951413"), dir.path());
        ASSERT_EQ(second.Start(), Single_Instance::Role::Secondary);
        const int before = received;
        ASSERT_TRUE(second.Send({argc, text}));
        Serve_Until([&] { return received == before + 1; });
    }

    QTemporaryDir dir;
    std::unique_ptr<Single_Instance> first;
    int received = 0;
    std::vector<std::pair<std::string, bool>> opened;
};

TEST_F(Handoff, SettingsFileIsAskedForAndOpened) {
    prompts.Answer(Prompt_Answer::Yes);
    Second_Start(1, "/data/a.tvs");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Open Settings");
    EXPECT_EQ(prompts.shown[0].text, "/data/a.tvs\r\nOpen settings file?");
    EXPECT_EQ(opened, (std::vector<std::pair<std::string, bool>>{{"/data/a.tvs", true}}));
    EXPECT_FALSE(w->Busy());
}

TEST_F(Handoff, DataFileRefusedWhileRunningAndDeclinedOtherwise) {
    inst.State.Run_State.store(true);
    Second_Start(1, "/data/b.TVS");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "/data/b.TVS\r\nCan't open while running.");
    inst.State.Run_State.store(false);
    prompts.Answer(Prompt_Answer::No);
    Second_Start(2, "/data/c.tvd");
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "Open");
    EXPECT_TRUE(opened.empty());
}

TEST_F(Handoff, IgnoredWhileBusyAndNothingToOpenAsksNothing) {
    {
        Main_Window::Busy_Scope busy(*w);
        Second_Start(1, "/data/a.tvs");
    }
    Second_Start(0, "/usr/bin/tovan1");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(opened.empty());
}

// Until the program can open files, a handed-over file asks nothing (a Yes
// would do nothing); the window still comes to the front.
TEST_F(Handoff, WithoutFileSupportNothingIsAsked) {
    hooks.open_file = nullptr;
    w.reset();
    Make();
    Second_Start(1, "/data/a.tvs");
    Second_Start(1, "/data/c.tvd");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(w->Busy());
}

TEST(Single_Instance_Start, StaleSocketFileDoesNotBlock) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile stale(dir.filePath(QStringLiteral("x_Mutex_951413")));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    Single_Instance first(QStringLiteral("x_Mutex_951413"), dir.path());
    EXPECT_EQ(first.Start(), Single_Instance::Role::Primary);
    EXPECT_EQ(Single_Instance::Instance_Name(QStringLiteral("/opt/bin/scope")), QStringLiteral("scope_Mutex_951413"));
}

// Without XDG_RUNTIME_DIR, and with another user's folder where Qt would
// look (/tmp/runtime-<user>), the lock and socket go to the user's own
// private folder: the first start listens there and a second start reaches
// it.
TEST(Single_Instance_Start, PrivateFolderWithoutARuntimeDir) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    Env_Guard env;
    env.Set("XDG_RUNTIME_DIR", nullptr);
    const QByteArray cache = QFile::encodeName(home.path());
    env.Set("XDG_CACHE_HOME", &cache);
    {
        Single_Instance first(QStringLiteral("tovan1_Mutex_951413"));
        ASSERT_EQ(first.Start(), Single_Instance::Role::Primary) << Private_Dir_Error_Text(first.Error(), false);
        EXPECT_TRUE(first.Socket_Path().startsWith(home.path() + QStringLiteral("/tovan1/run/")));
        int received = 0;
        first.on_handoff = [&](const Handoff_Record& r) { received += r.text == "/data/x.tvd"; };
        Single_Instance second(QStringLiteral("tovan1_Mutex_951413"));
        ASSERT_EQ(second.Start(), Single_Instance::Role::Secondary);
        ASSERT_TRUE(second.Send({1, "/data/x.tvd"}));
        Serve_Until([&] { return received == 1; });
    }
}

// A lock file that another user left in the folder is refused, with the
// reason, and never taken over.
TEST(Single_Instance_Start, LockOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to give a file away";
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("x_Mutex_951413.lock"));
    {
        QFile f(lock);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_EQ(::chown(QFile::encodeName(lock).constData(), 65534, 65534), 0);
    Single_Instance first(QStringLiteral("x_Mutex_951413"), dir.path());
    EXPECT_EQ(first.Start(), Single_Instance::Role::Failed);
    EXPECT_EQ(first.Error().fault, Private_Dir_Fault::Other_Owner);
    EXPECT_TRUE(QFile::exists(lock));
}

class Layout : public Window_Test {
protected:
    void SetUp() override { Make(); }
    QRect In_Client(QWidget* wd) { return QRect(wd->mapTo(w->centralWidget(), QPoint(0, 0)), wd->size()); }
};

TEST_F(Layout, GrowingTheWindowGrowsTheDisplayOnly) {
    QWidget* client = w->centralWidget();
    auto* scope = Find<QGroupBox>("GroupBox1");
    auto* gen = Find<QGroupBox>("GroupBox2");
    auto* display = Find<QWidget>("Panel_Signal");
    const QRect scope0 = scope->geometry(), gen0 = gen->geometry(), disp0 = display->geometry();
    const int trig0 = Button("SpeedButton_TrigOn")->y();
    w->resize(w->width() + 100, w->height() + 100);
    QCoreApplication::processEvents();
    ASSERT_EQ(client->width(), 735 + 100);
    EXPECT_EQ(scope->width(), scope0.width());
    EXPECT_EQ(scope->x(), scope0.x() + 100);
    EXPECT_EQ(gen->height(), gen0.height());
    EXPECT_EQ(gen->width(), gen0.width() + 100);
    EXPECT_EQ(display->size(), disp0.size() + QSize(100, 100));
    EXPECT_EQ(Button("SpeedButton_TrigOn")->y(), trig0 + 100);
}

TEST_F(Layout, EveryControlVisibleAtMinimumSizeAndCompactView) {
    QWidget* client = w->centralWidget();
    EXPECT_EQ(client->size(), QSize(735, 503));
    for (QToolButton* b : client->findChildren<QToolButton*>()) {
        if (b->isHidden()) continue;  // 50M outside pulse/service mode
        EXPECT_TRUE(client->rect().contains(In_Client(b))) << b->objectName().toStdString();
        EXPECT_TRUE(b->parentWidget()->rect().contains(b->geometry())) << b->objectName().toStdString();
    }
    Action("Menu_Compact")->trigger();
    EXPECT_TRUE(inst.Settings.Compact);
    EXPECT_TRUE(Find<QGroupBox>("GroupBox1")->isHidden());
    EXPECT_EQ(Find<QWidget>("Panel_Signal")->size(), client->size());
    Action("Menu_Compact")->trigger();
    EXPECT_FALSE(Find<QGroupBox>("GroupBox2")->isHidden());
    EXPECT_EQ(client->size(), QSize(735, 503));
}

TEST_F(Layout, GeneratorControlsFollowTheRules) {
    QTest::mouseClick(Button("SpeedButton_Sweep"), Qt::LeftButton);  // fine bar raised to the coarse bar
    EXPECT_EQ(Find<QScrollBar>("ScrollBar_F_slow")->value(), 100);
    Find<QScrollBar>("ScrollBar_F_fast")->setValue(400);
    EXPECT_EQ(inst.Settings.F_slow, 400);
    EXPECT_TRUE(Button("SpeedButton__10uS_Noise")->isHidden());
    QTest::mouseClick(Button("SpeedButton_Pulse"), Qt::LeftButton);
    EXPECT_EQ(Button("SpeedButton_10K_1S")->text(), QStringLiteral("1S"));
    EXPECT_FALSE(Button("SpeedButton_Sin")->isEnabled());
    EXPECT_FALSE(Button("SpeedButton_Sweep")->isChecked());
    QTest::mouseClick(Button("SpeedButton_Pulse"), Qt::LeftButton);
    QTest::mouseClick(Button("SpeedButton__10uS_Noise"), Qt::LeftButton);
    EXPECT_FALSE(Find<QScrollBar>("ScrollBar_F_fast")->isEnabled());
    QTest::mouseClick(Button("SpeedButton_Mod"), Qt::LeftButton);  // noise with Mod.: 10M and Sin
    EXPECT_TRUE(Button("SpeedButton_10M_1mS")->isChecked());
    EXPECT_TRUE(Button("SpeedButton_Sin")->isChecked());
    auto* ampl = Find<QScrollBar>("ScrollBar_Amplitude");
    EXPECT_EQ(ampl->minimum(), 11);
    EXPECT_EQ(ampl->maximum(), 386);
    ampl->setValue(386);
    EXPECT_EQ(inst.Params.Gen_Ampl_Code, 126);
}

}  // namespace
}  // namespace tovan::test
