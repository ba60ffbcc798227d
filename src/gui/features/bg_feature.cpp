#include "gui/features/bg_feature.h"

#include <QAction>
#include <QMenu>

#include "gui/main_window.h"
#include "i18n/captions.h"

namespace tovan {

void BG_Feature::Install(Main_Window& window) {
    auto* view = window.findChild<QMenu*>(QStringLiteral("Menu_View"));
    if (!view) return;
    // Its place: just above "On Top", closed off by a separator.
    QAction* before = window.findChild<QAction*>(QStringLiteral("Menu_On_Top"));
    action_ = new QAction(&window);
    action_->setObjectName(QStringLiteral("Menu_BG_Do"));
    action_->setShortcut(QKeySequence(QStringLiteral("Ctrl+B")));
    view->insertAction(before, action_);
    view->insertSeparator(before);
    QObject::connect(action_, &QAction::triggered, &window, [this, &window] {
        if (!service_.Available()) return;
        service_.Swap();
        window.Sync_Controls();
    });
    QObject::connect(view, &QMenu::aboutToShow, action_, [this] { action_->setEnabled(service_.Available()); });
}

void BG_Feature::Apply_Language(bool lang_russian) {
    if (!action_) return;
    if (const Text_Pair* t = Find_Caption("Menu_BG_Do")) action_->setText(QString::fromUtf8((*t)(lang_russian)));
}

}  // namespace tovan
