// Every window and dialog of the program, in each language chosen from
// the Language menu: every menu
// command that opens a dialog ("...") is opened and its texts read, then
// it is closed with Cancel; the messages and file dialogs asked through
// the prompts are read too. No text of the other language may appear, and
// no caption may be empty.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <set>

#include "app_test_support.h"
#include "i18n/all_texts.h"

namespace tovan::test {
namespace {

bool Has_Cyrillic(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF) return true;
    return false;
}

struct Seen {
    QString where;
    QString text;
};

// The texts a widget tree shows: window titles, captions, group titles,
// labels, menu titles and items; an empty caption is reported as such.
void Collect(QWidget* root, std::vector<Seen>& out, std::vector<QString>& empty) {
    const QString at = root->objectName();
    if (root->isWindow() && !root->windowTitle().isEmpty()) out.push_back({at, root->windowTitle()});
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() && b->icon().isNull() && !b->objectName().isEmpty() && b->isVisibleTo(root))
            empty.push_back(at + "/" + b->objectName());
        if (!b->text().isEmpty()) out.push_back({at + "/" + b->objectName(), b->text()});
    }
    for (QGroupBox* g : root->findChildren<QGroupBox*>())
        if (!g->title().isEmpty()) out.push_back({at + "/" + g->objectName(), g->title()});
    for (QLabel* l : root->findChildren<QLabel*>())
        if (!l->text().isEmpty()) out.push_back({at + "/" + l->objectName(), l->text()});
    for (QMenu* m : root->findChildren<QMenu*>()) {
        if (m->objectName().isEmpty()) continue;  // Qt's own (the menu bar's overflow)
        out.push_back({m->objectName(), m->title()});
        if (m->title().isEmpty()) empty.push_back(m->objectName());
        for (QAction* a : m->actions()) {
            if (a->isSeparator() || a->menu()) continue;
            if (a->text().isEmpty()) empty.push_back(m->objectName() + "/" + a->objectName());
            out.push_back({m->objectName() + "/" + a->objectName(), a->text()});
        }
    }
}

class Language_Walk : public App_Session, public ::testing::WithParamInterface<bool> {};

TEST_P(Language_Walk, NoTextOfTheOtherLanguage) {
    const bool ru = GetParam();
    // Started in the other language, switched by the Language menu.
    Start(Backend::Virtual, ru ? "[Common]\nRussian=0\n" : "[Common]\nRussian=1\n");
    app->Window().findChild<QAction*>(ru ? QStringLiteral("Menu_Russian") : QStringLiteral("Menu_English"))->trigger();
    ASSERT_EQ(app->Inst().Settings.Russian, ru);
    std::vector<Seen> seen;
    std::vector<QString> empty;
    Collect(&app->Window(), seen, empty);

    // Open every dialog a menu command leads to, read it and cancel it.
    std::vector<QAction*> openers;
    for (QMenu* m : app->Window().menuBar()->findChildren<QMenu*>())
        for (QAction* a : m->actions())
            if (!a->isSeparator() && !a->menu() && a->isVisible() && a->text().endsWith(QStringLiteral("...")))
                openers.push_back(a);
    for (QMenu* m : app->Window().findChildren<QMenu*>())
        for (QAction* a : m->actions())
            if (!a->isSeparator() && !a->menu() && a->isVisible() && a->text().endsWith(QStringLiteral("...")) &&
                std::find(openers.begin(), openers.end(), a) == openers.end())
                openers.push_back(a);
    ASSERT_GE(openers.size(), 8u);
    int dialogs = 0;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible()) return;
        ++dialogs;
        Collect(d, seen, empty);
        d->reject();
    });
    closer.start();
    for (QAction* a : openers) {
        SCOPED_TRACE(a->objectName().toStdString());
        a->trigger();
        QCoreApplication::processEvents();
    }
    closer.stop();
    EXPECT_GE(dialogs, 4);

    for (const auto& s : prompts.shown) {
        seen.push_back({"message title", QString::fromStdString(s.title)});
        seen.push_back({"message", QString::fromStdString(s.text)});
    }
    for (const auto& f : prompts.file_dialogs) {
        seen.push_back({"file dialog", QString::fromStdString(f.title)});
        seen.push_back({"file filter", QString::fromStdString(f.filter)});
    }

    // The other language's texts, where the two differ.
    std::set<QString> foreign;
    for (const Named_Text& t : All_Text_Pairs())
        if (std::string(t.text.ru) != t.text.en) foreign.insert(QString::fromUtf8(ru ? t.text.en : t.text.ru));
    for (const Seen& s : seen) {
        if (ru) {
            EXPECT_EQ(foreign.count(s.text), 0u) << s.where.toStdString() << ": " << s.text.toStdString();
        } else {
            EXPECT_FALSE(Has_Cyrillic(s.text)) << s.where.toStdString() << ": " << s.text.toStdString();
        }
    }
    for (const QString& e : empty) ADD_FAILURE() << "empty caption: " << e.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Gui, Language_Walk, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Russian" : "English"; });

}  // namespace
}  // namespace tovan::test
