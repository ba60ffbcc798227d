#include "gui/features/help_feature.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>

#include "gui/main_window.h"
#include "i18n/captions.h"
#include "i18n/window_texts.h"

namespace tovan {

void Help_Feature::Install(Main_Window& window) {
    auto* help = window.findChild<QMenu*>(QStringLiteral("Menu_Help"));
    if (!help) return;
    action_ = help->addAction(QString());
    action_->setObjectName(QStringLiteral("Menu_Help_Contents"));
    QObject::connect(action_, &QAction::triggered, &window, [this] { Open_Manual(); });
}

void Help_Feature::Apply_Language(bool lang_russian) {
    if (!action_) return;
    if (const Text_Pair* t = Find_Caption("Menu_Help_Contents"))
        action_->setText(QString::fromUtf8((*t)(lang_russian)));
}

void Help_Feature::Open_Manual() {
    const bool ru = settings_.Russian;
    const std::string exe_dir = QFileInfo(QApplication::applicationFilePath()).absolutePath().toStdString();
    const Manual_Lookup m = Find_Manual(exe_dir, doc_dir_, ru);
    if (!m.path.empty()) {
        if (!prompts_.Open_Document(m.path))
            prompts_.Message_Box(window_text::Help_Title(ru),
                                 window_text::Manual_Not_Opened(ru) + std::string("\r\n") + m.path,
                                 Prompt_Icon::Warning, Prompt_Buttons::Ok);
        return;
    }
    std::string text = window_text::Manual_Not_Found(ru);
    for (const std::string& p : m.tried) text += "\r\n" + p;
    prompts_.Message_Box(window_text::Help_Title(ru), text, Prompt_Icon::Information, Prompt_Buttons::Ok);
}

}  // namespace tovan
