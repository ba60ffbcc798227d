#include "gui/qt_prompts.h"

#include "i18n/window_texts.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace tovan {

Prompt_Answer Qt_Prompts::Message_Box(const std::string& title, const std::string& text, Prompt_Icon icon,
                                      Prompt_Buttons buttons) {
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(parent_.data());
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(body);
    box.setTextFormat(Qt::PlainText);  // paths and messages are never markup
    switch (icon) {
    case Prompt_Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Prompt_Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Prompt_Icon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    const bool ru = lang_russian_ && lang_russian_();
    auto caption = [&box](QMessageBox::StandardButton b, const Text_Pair& t, bool r) {
        if (QAbstractButton* button = box.button(b)) button->setText(QString::fromUtf8(t(r)));
    };
    if (buttons == Prompt_Buttons::Yes_No) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        caption(QMessageBox::Yes, window_text::Button_Yes, ru);
        caption(QMessageBox::No, window_text::Button_No, ru);
        return box.exec() == QMessageBox::Yes ? Prompt_Answer::Yes : Prompt_Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    caption(QMessageBox::Ok, window_text::Button_OK, ru);
    box.exec();
    return Prompt_Answer::Ok;
}

bool Qt_Prompts::Open_Document(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace tovan
