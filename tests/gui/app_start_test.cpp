// The application's start and close around the settings file: the
// language of a first start, and the message when the file cannot be
// written.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "app_test_support.h"

namespace tovan::test {
namespace {

// Sets the locale variables for one test and puts them back afterwards.
class Locale_Env {
public:
    explicit Locale_Env(const char* lc_all) {
        for (const char* v : Vars) {
            saved_.push_back(qEnvironmentVariableIsSet(v) ? std::optional<QByteArray>(qgetenv(v)) : std::nullopt);
            qunsetenv(v);
        }
        qputenv("LC_ALL", lc_all);
    }
    ~Locale_Env() {
        for (size_t i = 0; i < std::size(Vars); ++i) {
            if (saved_[i])
                qputenv(Vars[i], *saved_[i]);
            else
                qunsetenv(Vars[i]);
        }
    }

private:
    static constexpr const char* Vars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<QByteArray>> saved_;
};

struct Language_Case {
    const char* locale;
    const char* ini;  // null: no settings file
    bool russian;
};

TEST(App_Start, LanguageOfTheFirstStartFollowsTheLocale) {
    const Language_Case cases[] = {
        {"ru_RU.UTF-8", nullptr, true},
        {"en_US.UTF-8", nullptr, false},
        {"C", nullptr, false},
        {"ru_RU.UTF-8", "[Common]\nRussian=0\n", false},
        {"en_US.UTF-8", "[Common]\nRussian=1\n", true},
        // A file without the key: the window's initial state.
        {"en_US.UTF-8", "[Scope]\n1mS=1\n", true},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("tovan1.ini"));
        if (c.ini) {
            QFile f(ini);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.ini);
        }
        Locale_Env env(c.locale);
        Scripted_Prompts prompts;
        App app({QStringLiteral("tovan1"), QStringLiteral("--demo"), QStringLiteral("--ini"), ini}, App_Env{&prompts, {}, {}, {}, {}});
        EXPECT_EQ(app.Inst().Settings.Russian, c.russian) << c.locale << " / " << (c.ini ? c.ini : "no file");
    }
}

class App_Start_Close : public App_Session {};

TEST_F(App_Start_Close, SaveFailureOnCloseSaysWhatFailed) {
    // A folder that does not exist: the file cannot be created.
    ini_path = dir.filePath(QStringLiteral("missing/tovan1.ini"));
    const QString ini = ini_path;
    for (const bool ru : {false, true}) {
        Locale_Env env(ru ? "ru_RU.UTF-8" : "C");
        prompts.shown.clear();
        Start(Backend::Virtual, nullptr);
        app->Window().close();
        app->Shutdown();
        ASSERT_EQ(prompts.shown.size(), 1u);
        const std::string& text = prompts.shown[0].text;
        const std::string lead = ru ? "Не удалось сохранить настройки: " : "Settings could not be saved: ";
        EXPECT_EQ(text.rfind(lead, 0), 0u) << text;
        EXPECT_NE(text.find(ini.toStdString()), std::string::npos) << text;
        EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Error);
    }
}

}  // namespace
}  // namespace tovan::test
