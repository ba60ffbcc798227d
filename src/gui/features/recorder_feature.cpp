#include "gui/features/recorder_feature.h"

#include <QKeyEvent>

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/main_window.h"
#include "i18n/captions.h"
#include "i18n/recorder_texts.h"

namespace tovan {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }

}  // namespace

Recorder_Dialog::Recorder_Dialog(Recorder& recorder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      rec_(recorder) {
    setObjectName(QStringLiteral("Form_Recorder"));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    edit_file_ = new QLineEdit(this);
    edit_file_->setObjectName(QStringLiteral("Edit_File"));
    edit_file_->setReadOnly(true);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo_Info"));
    memo_->setReadOnly(true);
    memo_->setMinimumSize(420, 200);
    label_size_ = new QLabel(this);
    label_size_->setObjectName(QStringLiteral("Label_Size"));
    layout->addWidget(edit_file_);
    layout->addWidget(memo_);
    layout->addWidget(label_size_);
    auto* buttons = new QHBoxLayout;
    auto make = [&](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    button_file_ = make("Button_File");
    button_start_ = make("Button_Start");
    button_stop_ = make("Button_Stop");
    button_exit_ = make("Button_Exit");
    layout->addLayout(buttons);
    connect(button_file_, &QPushButton::clicked, this, [this] {
        rec_.Choose_File();
        Show_State();
    });
    connect(button_start_, &QPushButton::clicked, this, [this] {
        rec_.Start();
        Show_State();
    });
    connect(button_stop_, &QPushButton::clicked, this, [this] {
        rec_.Stop();
        Show_State();
    });
    connect(button_exit_, &QPushButton::clicked, this, [this] { reject(); });
    timer_ = new QTimer(this);
    timer_->setInterval(93);
    connect(timer_, &QTimer::timeout, this, [this] {
        rec_.Tick();
        Show_State();
    });
}

void Recorder_Dialog::Set_Language(bool ru) {
    setWindowTitle(Q(rec_text::Title(ru)));
    button_file_->setText(Q(rec_text::Button_File(ru)));
    button_start_->setText(Q(rec_text::Button_Start(ru)));
    button_stop_->setText(Q(rec_text::Button_Stop(ru)));
    button_exit_->setText(Q(rec_text::Button_Exit(ru)));
    label_size_->setText(Q(rec_text::Size_Unknown(ru)));
}

void Recorder_Dialog::Prepare() {
    rec_.Open_Window();
    shown_memo_.clear();
    Show_State();
    button_exit_->setFocus();
    timer_->start();
}

void Recorder_Dialog::Show_State() {
    const Recorder::View v = rec_.Get_View();
    edit_file_->setText(Q(v.file));
    if (v.memo != shown_memo_) {
        QStringList lines;
        for (const std::string& l : v.memo) lines << Q(l);
        memo_->setPlainText(lines.join(QLatin1Char('\n')));
        shown_memo_ = v.memo;
    }
    label_size_->setText(Q(v.size_label));
    button_file_->setEnabled(v.file_enabled);
    button_start_->setEnabled(v.start_enabled);
    button_stop_->setEnabled(v.stop_enabled);
    button_exit_->setEnabled(v.exit_enabled);
}

void Recorder_Dialog::keyPressEvent(QKeyEvent* ev) {
    // Esc stands for Exit, which is not offered while recording; the close
    // box still asks whether to stop.
    if (ev->key() == Qt::Key_Escape && !button_exit_->isEnabled()) {
        ev->accept();
        return;
    }
    QDialog::keyPressEvent(ev);
}

void Recorder_Dialog::reject() {
    const bool may_close = rec_.Close_Request();
    Show_State();
    if (!may_close) return;
    timer_->stop();
    QDialog::reject();
}

void Recorder_Dialog::changeEvent(QEvent* ev) {
    QDialog::changeEvent(ev);
    // Minimising the recorder minimises the whole application.
    if (ev->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) main->showMinimized();
    }
}

void Recorder_Feature::Install(Main_Window& window) {
    auto* file = window.findChild<QMenu*>(QStringLiteral("Menu_File"));
    if (!file) return;
    // Their place: after "Export", above the separator that closes off
    // Exit (without the file commands, just above Exit with one of its own).
    QAction* before = window.findChild<QAction*>(QStringLiteral("Menu_Exit_Separator"));
    const bool own_separator = before == nullptr;
    if (own_separator) before = window.findChild<QAction*>(QStringLiteral("Menu_Exit"));
    recorder_action_ = new QAction(&window);
    recorder_action_->setObjectName(QStringLiteral("Menu_Recorder"));
    fm_log_action_ = new QAction(&window);
    fm_log_action_->setObjectName(QStringLiteral("Menu_FMLog"));
    fm_log_action_->setCheckable(true);
    file->insertAction(before, recorder_action_);
    file->insertAction(before, fm_log_action_);
    if (own_separator) file->insertSeparator(before);
    const bool service = inst_.Settings.Service_Mode();
    fm_log_action_->setVisible(service);
    fm_log_action_->setEnabled(service);
    dialog_ = new Recorder_Dialog(rec_, &window);
    QObject::connect(recorder_action_, &QAction::triggered, &window, [this, &window] { Open_Recorder(window); });
    QObject::connect(fm_log_action_, &QAction::triggered, &window, [this, &window] {
        Main_Window::Busy_Scope busy(window);
        fm_log_.Toggle();
        fm_log_action_->setChecked(fm_log_.On());
    });
    fm_log_.On_Change([this](bool on) {
        if (fm_log_action_) fm_log_action_->setChecked(on);
    });
}

void Recorder_Feature::Open_Recorder(Main_Window& window) {
    if (!rec_.Admit()) return;
    window.Set_Busy(true);
    // Not above the recorder while it is open (also through the controls'
    // refresh every second); "Always On Top" comes back when it closes.
    window.Suspend_On_Top(true);
    dialog_->Set_Language(inst_.Settings.Russian);
    dialog_->Prepare();
    dialog_->adjustSize();
    dialog_->move(window.geometry().center() - dialog_->rect().center());
    QObject::connect(
        dialog_, &QDialog::finished, &window,
        [this, &window] {
            inst_.Refresh_View();
            window.Suspend_On_Top(false);
            window.Set_Busy(false);
        },
        Qt::SingleShotConnection);
    dialog_->show();
}

void Recorder_Feature::Apply_Language(bool ru) {
    if (recorder_action_)
        if (const Text_Pair* t = Find_Caption("Menu_Recorder")) recorder_action_->setText(Q((*t)(ru)));
    if (fm_log_action_)
        if (const Text_Pair* t = Find_Caption("Menu_FMLog")) fm_log_action_->setText(Q((*t)(ru)));
    if (dialog_) dialog_->Set_Language(ru);
}

}  // namespace tovan
