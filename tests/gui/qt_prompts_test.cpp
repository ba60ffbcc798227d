// The Qt message box speaks the interface language on its buttons too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "gui/features/qt_language_feature.h"
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

// The file dialog gets the request's title, folder, filters and default
// extension; a name typed without extension gets it, Cancel gives nothing.
TEST(Qt_File_Dialog, CarriesTheRequest) {
    QTemporaryDir dir;
    Qt_Prompts prompts;
    File_Dialog_Request r;
    r.save = true;
    r.title = "Save";
    r.initial_dir = dir.path().toStdString();
    r.default_ext = ".tvd";
    r.filter = "Tovan1 Data File (*.tvd)|*.tvd|All Files (*.*)|*.*";
    r.file_name = "scope.tvd";
    QStringList filters;
    QString title, suffix, proposed;
    bool save_mode = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        filters = dlg->nameFilters();
        title = dlg->windowTitle();
        suffix = dlg->defaultSuffix();
        save_mode = dlg->acceptMode() == QFileDialog::AcceptSave;
        proposed = dlg->selectedFiles().value(0);
        dlg->selectFile(dir.filePath(QStringLiteral("run1")));
        QMetaObject::invokeMethod(dlg, "accept");
    });
    const std::optional<std::string> chosen = prompts.File_Dialog(r);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Tovan1 Data File (*.tvd)"), QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(title, QStringLiteral("Save"));
    EXPECT_EQ(suffix, QStringLiteral("tvd"));
    EXPECT_TRUE(save_mode);
    EXPECT_EQ(proposed, dir.filePath(QStringLiteral("scope.tvd")));
    EXPECT_EQ(chosen, std::optional<std::string>(dir.filePath(QStringLiteral("run1.tvd")).toStdString()));

    QTimer::singleShot(0, [] {
        if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) dlg->reject();
    });
    r.save = false;
    EXPECT_FALSE(prompts.File_Dialog(r));
}

// In Russian the file dialog's own buttons are Russian too.
TEST(Qt_File_Dialog, ButtonsFollowTheLanguage) {
    Qt_Language_Feature language;
    language.Apply_Language(true);
    if (!language.Translated()) GTEST_SKIP() << "Qt's Russian translation is not installed";
    Qt_Prompts prompts;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        for (QAbstractButton* b : dlg->findChild<QDialogButtonBox*>()->buttons()) texts << b->text();
        dlg->reject();
    });
    File_Dialog_Request r;
    r.save = true;
    prompts.File_Dialog(r);
    ASSERT_EQ(texts.size(), 2);
    for (const QString& t : texts) {
        bool cyrillic = false;
        for (QChar c : t) cyrillic |= c.unicode() >= 0x0400 && c.unicode() <= 0x04FF;
        EXPECT_TRUE(cyrillic) << t.toStdString();
    }
    language.Apply_Language(false);
    EXPECT_FALSE(language.Translated());
}

}  // namespace
}  // namespace tovan::test
