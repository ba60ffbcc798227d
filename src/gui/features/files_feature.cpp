#include "gui/features/files_feature.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "gui/main_window.h"
#include "i18n/captions.h"
#include "i18n/files_texts.h"

namespace tovan {
namespace {

// The local file of a drag, when it carries exactly one.
QString Dropped_File(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

}  // namespace

QAction* Files_Feature::Add(QMenu* menu, QAction* before, const char* name, std::function<void(Files_Service&)> command) {
    auto* a = new QAction(window_);
    a->setObjectName(QString::fromLatin1(name));
    menu->insertAction(before, a);
    QObject::connect(a, &QAction::triggered, window_, [this, command = std::move(command)] {
        Main_Window::Busy_Scope busy(*window_);
        command(service_);
        window_->Sync_Controls();
    });
    actions_.push_back(a);
    return a;
}

void Files_Feature::Install(Main_Window& window) {
    window_ = &window;
    auto* file = window.findChild<QMenu*>(QStringLiteral("Menu_File"));
    if (!file) return;
    QAction* exit = window.findChild<QAction*>(QStringLiteral("Menu_Exit"));
    Add(file, exit, "Menu_Open", [](Files_Service& f) { f.Open_Data(); })->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    Add(file, exit, "Menu_Open_Settings", [](Files_Service& f) { f.Open_Settings(); });
    file->insertSeparator(exit);
    Add(file, exit, "Menu_Save_As", [](Files_Service& f) { f.Save_Data(); })->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    Add(file, exit, "Menu_Save_Settings_As", [](Files_Service& f) { f.Save_Settings_As(); });
    file->insertSeparator(exit);
    export_ = new QMenu(&window);
    export_->setObjectName(QStringLiteral("Menu_Export"));
    file->insertMenu(exit, export_);
    Add(export_, nullptr, "Menu_Image", [](Files_Service& f) { f.Export_Image(); });
    Add(export_, nullptr, "Menu_Text", [](Files_Service& f) { f.Export_Text(); });
    Add(export_, nullptr, "Menu_Row_Binary", [](Files_Service& f) { f.Export_Row_Binary(); });
    csv_ = Add(export_, nullptr, "Menu_CSV", [](Files_Service& f) { f.Export_CSV(); });
    QAction* exit_separator = file->insertSeparator(exit);
    exit_separator->setObjectName(QStringLiteral("Menu_Exit_Separator"));

    // The menu shows the data commands disabled while a run is in progress;
    // once it closes they are enabled again, so that their shortcuts work
    // after a stop (the commands themselves do nothing while running).
    QObject::connect(file, &QMenu::aboutToHide, window_, [this] {
        for (QAction* a : actions_) a->setEnabled(true);
        if (export_) export_->menuAction()->setEnabled(true);
    });

    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

void Files_Feature::Apply_Language(bool ru) {
    for (QAction* a : actions_) {
        if (a == csv_) continue;
        if (const Text_Pair* t = Find_Caption(a->objectName().toLatin1().constData()))
            a->setText(QString::fromUtf8((*t)(ru)));
    }
    if (csv_) csv_->setText(QString::fromUtf8(files_text::Menu_CSV(ru)));
    if (export_)
        if (const Text_Pair* t = Find_Caption("Menu_Export")) export_->setTitle(QString::fromUtf8((*t)(ru)));
}

bool Files_Feature::eventFilter(QObject* obj, QEvent* ev) {
    if (obj != window_) return false;
    if (ev->type() == QEvent::DragEnter) {
        auto* e = static_cast<QDragEnterEvent*>(ev);
        if (Dropped_File(e->mimeData()).isEmpty() || window_->Busy()) return false;
        e->acceptProposedAction();
        return true;
    }
    if (ev->type() == QEvent::Drop) {
        auto* e = static_cast<QDropEvent*>(ev);
        const QString path = Dropped_File(e->mimeData());
        if (path.isEmpty() || window_->Busy()) return false;
        e->acceptProposedAction();
        Main_Window::Busy_Scope busy(*window_);
        service_.Open_Path(path.toStdString());
        window_->Sync_Controls();
        return true;
    }
    return false;
}

}  // namespace tovan
