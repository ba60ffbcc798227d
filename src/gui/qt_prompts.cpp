#include "gui/qt_prompts.h"

#include "i18n/window_texts.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
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
    case Prompt_Icon::Question: box.setIcon(QMessageBox::Question); break;
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

// "Description (*.x)|*.x|..." becomes Qt's "Description (*.x);;...": the
// pattern Qt uses is the one in the description's parentheses.
static QStringList Qt_Name_Filters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString d = parts[i];
        if (!d.contains(QLatin1Char('('))) d += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        out << d;
    }
    return out;
}

std::optional<std::string> Qt_Prompts::File_Dialog(const File_Dialog_Request& r) {
    QFileDialog dlg(parent_.data(), QString::fromStdString(r.title), QString::fromStdString(r.initial_dir));
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilters(Qt_Name_Filters(r.filter));
    QString ext = QString::fromStdString(r.default_ext);
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    dlg.setDefaultSuffix(ext);
    if (!r.file_name.empty() && r.file_name.front() != '*') dlg.selectFile(QString::fromStdString(r.file_name));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front().toStdString();
}

std::optional<uint32_t> Qt_Prompts::Pick_Color() {
    const QColor start = last_picked_.isValid() ? last_picked_ : QColor(Qt::white);
    const QColor c = QColorDialog::getColor(start, parent_.data());
    if (!c.isValid()) return std::nullopt;
    last_picked_ = c;
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}

bool Qt_Prompts::Open_Document(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace tovan
