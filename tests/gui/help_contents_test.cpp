// Help -> Contents: the user manual is handed to the desktop, or the
// message says where it was looked for.
#include <QTemporaryDir>
#include <fstream>

#include "gui/features/help_feature.h"
#include "gui_test_support.h"

namespace tovan::test {
namespace {

class Help_Contents : public Window_Test {
protected:
    void SetUp() override {
        Make();
        w->Add_Feature(std::make_unique<Help_Feature>(prompts, inst.Settings, docs.path().toStdString()));
    }
    std::string Doc(const char* name) const { return docs.filePath(QString::fromLatin1(name)).toStdString(); }
    void Put(const char* name) { std::ofstream(Doc(name)) << "<html></html>"; }

    QTemporaryDir docs;
};

TEST_F(Help_Contents, OpensTheManualInTheInterfaceLanguageElseTheOther) {
    inst.Settings.Russian = true;
    Put("tovan1_manual_en.html");
    Action("Menu_Help_Contents")->trigger();
    Put("tovan1_manual_ru.html");
    Action("Menu_Help_Contents")->trigger();
    const std::vector<std::string> expected = {Doc("tovan1_manual_en.html"), Doc("tovan1_manual_ru.html")};
    EXPECT_EQ(prompts.opened, expected);
    EXPECT_TRUE(prompts.shown.empty());
}

struct Missing_Case {
    const char* name;
    bool russian;
    const char* title;
    const char* headline;
};

class Help_Missing : public Help_Contents, public ::testing::WithParamInterface<Missing_Case> {};

TEST_P(Help_Missing, SaysWhereItLookedInTheInterfaceLanguage) {
    const auto& c = GetParam();
    inst.Settings.Russian = c.russian;
    Action("Menu_Help_Contents")->trigger();
    EXPECT_TRUE(prompts.opened.empty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, c.title);
    const std::string& text = prompts.shown[0].text;
    EXPECT_EQ(text.rfind(c.headline, 0), 0u) << text;
    EXPECT_NE(text.find("\r\n" + Doc("tovan1_manual_ru.html")), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n" + Doc("tovan1_manual_en.html")), std::string::npos) << text;
    EXPECT_EQ(text.find(".hlp"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Gui, Help_Missing,
                         ::testing::Values(Missing_Case{"Russian", true, "Справка",
                                                        "Руководство пользователя не найдено. Искали:"},
                                           Missing_Case{"English", false, "Help",
                                                        "The user manual was not found. Looked for:"}),
                         [](const auto& tp) { return std::string(tp.param.name); });

TEST_F(Help_Contents, ManualTheDesktopCannotOpenIsReported) {
    inst.Settings.Russian = true;
    Put("tovan1_manual_ru.html");
    prompts.open_succeeds = false;
    Action("Menu_Help_Contents")->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Не удалось открыть руководство пользователя:\r\n" + Doc("tovan1_manual_ru.html"));
}

}  // namespace
}  // namespace tovan::test
