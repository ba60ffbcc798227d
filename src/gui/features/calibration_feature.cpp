#include "gui/features/calibration_feature.h"

#include <QAction>
#include <QMenu>

#include "gui/features/calibration_dialogs.h"
#include "gui/main_window.h"
#include "i18n/captions.h"
#include "i18n/cli_texts.h"
#include "i18n/file_texts.h"
#include "i18n/window_texts.h"

namespace tovan {
namespace {

void Center_On(QDialog* d, QWidget* w) {
    d->adjustSize();
    d->move(w->geometry().center() - d->rect().center());
}

}  // namespace

Calibration_Feature::Calibration_Feature(Session& session, Display_State& view, Prompts& prompts)
    : session_(session), prompts_(prompts), zero_(session, view), tdc_(session, view), time_(session) {}

Calibration_Feature::~Calibration_Feature() = default;

void Calibration_Feature::Install(Main_Window& window) {
    window_ = &window;
    auto* options = window.findChild<QMenu*>(QStringLiteral("Menu_Options"));
    if (!options) return;
    options->addSeparator();
    const auto add = [&](const char* name, const char* key, void (Calibration_Feature::*command)()) {
        QAction* a = options->addAction(QString());
        a->setObjectName(QString::fromLatin1(name));
        if (key) a->setShortcut(QKeySequence(QString::fromLatin1(key)));
        QObject::connect(a, &QAction::triggered, &window, [this, command] { (this->*command)(); });
        return a;
    };
    time_action_ = add("Menu_TimeCalibrate", nullptr, &Calibration_Feature::Time_Calibrate);
    zero_action_ = add("Menu_ZeroCalibrate", "Ctrl+Z", &Calibration_Feature::Zero_Calibrate);
    tdc_action_ = add("Menu_TDCCalibrate", "Ctrl+X", &Calibration_Feature::TDC_Calibrate);
    // The service settings are read once, with the settings file at start.
    const Scope_Settings& s = session_.Inst().Settings;
    const bool tdc = s.TDC_Clbr || s.Service_Mode();
    tdc_action_->setVisible(tdc);
    tdc_action_->setEnabled(tdc);

    zero_dialog_ = new Zero_Calibrate_Dialog(zero_, &window);
    tdc_dialog_ = new TDC_Calibrate_Dialog(tdc_, &window);
    time_dialog_ = new Time_Calibrate_Dialog(time_, &window);
}

void Calibration_Feature::Apply_Language(bool ru) {
    for (QAction* a : {time_action_, zero_action_, tdc_action_}) {
        if (!a) continue;
        if (const Text_Pair* t = Find_Caption(a->objectName().toLatin1().constData()))
            a->setText(QString::fromUtf8((*t)(ru)));
    }
}

void Calibration_Feature::Report(const File_Error& err) {
    if (!err) return;
    const bool ru = session_.Inst().Settings.Russian;
    prompts_.Message_Box(window_text::Settings_Save_Title(ru), Txt_Settings_Not_Saved(ru) + File_Error_Text(err, ru),
                         Prompt_Icon::Error, Prompt_Buttons::Ok);
}

void Calibration_Feature::Zero_Calibrate() {
    if (!window_) return;
    Main_Window::Busy_Scope busy(*window_);
    const Scope_Settings& s = session_.Inst().Settings;
    zero_.Open();
    zero_dialog_->Prepare(s.Russian, s.Debug_Mode, zero_.Current());
    Center_On(zero_dialog_, window_);
    const bool ok = zero_dialog_->exec() == QDialog::Accepted;
    const File_Error err = zero_.Close(ok);
    window_->Sync_Controls();
    Report(err);
}

void Calibration_Feature::TDC_Calibrate() {
    if (!window_ || !tdc_action_->isEnabled()) return;
    Main_Window::Busy_Scope busy(*window_);
    tdc_.Open();
    const auto stored = session_.With_Frame(
        [](const Frame_Data&, const Status_Values& sv) -> std::optional<std::pair<int32_t, int32_t>> {
            if (!sv.TDC_Valid) return std::nullopt;
            return std::make_pair(sv.TDC_Rise_Read, sv.TDC_Fall_Read);
        });
    tdc_dialog_->Prepare(session_.Inst().Settings.Russian, stored);
    Center_On(tdc_dialog_, window_);
    const bool ok = tdc_dialog_->exec() == QDialog::Accepted;
    tdc_.Close(ok);
    window_->Sync_Controls();
}

void Calibration_Feature::Time_Calibrate() {
    if (!window_) return;
    Main_Window::Busy_Scope busy(*window_);
    const Scope_Settings& s = session_.Inst().Settings;
    time_.Open();
    time_dialog_->Prepare(s.Russian, s.Time_PPM);
    Center_On(time_dialog_, window_);
    const bool ok = time_dialog_->exec() == QDialog::Accepted;
    const File_Error err = time_.Close(ok);
    window_->Sync_Controls();
    Report(err);
}

}  // namespace tovan
