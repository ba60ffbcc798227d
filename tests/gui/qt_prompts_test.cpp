// The Qt message box speaks the interface language on its buttons too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "gui/qt_prompts.h"

namespace tovan::test {
namespace {

struct Button_Case {
    const char* name;
    bool russian;
    Prompt_Buttons buttons;
    std::vector<QString> texts;
};

class Qt_Prompt_Buttons : public ::testing::TestWithParam<Button_Case> {};

TEST_P(Qt_Prompt_Buttons, CarryTheLanguageOfTheMoment) {
    const auto& c = GetParam();
    Qt_Prompts prompts;
    prompts.Set_Language([&c] { return c.russian; });
    std::vector<QString> seen;
    // Read the buttons once the box is up, then close it.
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons()) seen.push_back(b->text());
        box->done(0);
    });
    prompts.Message_Box("t", "x", Prompt_Icon::Information, c.buttons);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, c.texts);
}

INSTANTIATE_TEST_SUITE_P(
    Gui, Qt_Prompt_Buttons,
    ::testing::Values(Button_Case{"RussianYesNo", true, Prompt_Buttons::Yes_No,
                                  {QString::fromUtf8("Да"), QString::fromUtf8("Нет")}},
                      Button_Case{"EnglishYesNo", false, Prompt_Buttons::Yes_No,
                                  {QStringLiteral("No"), QStringLiteral("Yes")}},
                      Button_Case{"RussianOk", true, Prompt_Buttons::Ok, {QStringLiteral("OK")}}),
    [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
}  // namespace tovan::test
