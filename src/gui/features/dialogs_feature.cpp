#include "gui/features/dialogs_feature.h"

#include <QAction>
#include <QMenu>

#include "app/about.h"
#include "common/tovan1_version.h"
#include "gui/about_dialog.h"
#include "gui/colors_dialog.h"
#include "gui/fft_dialog.h"
#include "gui/main_window.h"
#include "i18n/captions.h"

namespace tovan {
namespace {

QAction* Insert_Action(Main_Window& w, QMenu* menu, const char* before, const char* name) {
    auto* a = new QAction(&w);
    a->setObjectName(QString::fromLatin1(name));
    menu->insertAction(before ? w.findChild<QAction*>(QString::fromLatin1(before)) : nullptr, a);
    return a;
}

void Center_On(QWidget& dialog, const QWidget& over) {
    dialog.adjustSize();
    dialog.move(over.geometry().center() - dialog.rect().center());
}

}  // namespace

Dialogs_Feature::Dialogs_Feature(Session& session, Prompts& prompts, std::function<void()> write_main_ini)
    : session_(session), prompts_(prompts), write_main_ini_(std::move(write_main_ini)) {}

Dialogs_Feature::~Dialogs_Feature() = default;

void Dialogs_Feature::Install(Main_Window& window) {
    window_ = &window;
    Instrument& inst = session_.Inst();
    auto refresh = [&inst] { inst.Refresh_View(); };
    fft_ = new FFT_Dialog(inst.Settings, refresh, &window);
    colors_ = new Colors_Dialog(inst.Settings.Colors, prompts_, refresh, &window);
    about_ = new About_Dialog(&window);
    if (auto* options = window.findChild<QMenu*>(QStringLiteral("Menu_Options"))) {
        fft_action_ = Insert_Action(window, options, "Menu_GeneratorSet", "Menu_FFTSet");
        QObject::connect(fft_action_, &QAction::triggered, &window, [this] { Open_FFT(); });
    }
    if (auto* view = window.findChild<QMenu*>(QStringLiteral("Menu_View"))) {
        colors_action_ = Insert_Action(window, view, "Menu_On_Top", "Menu_Colors");
        QObject::connect(colors_action_, &QAction::triggered, &window, [this] { Open_Colors(); });
    }
    if (auto* help = window.findChild<QMenu*>(QStringLiteral("Menu_Help"))) {
        if (!help->isEmpty()) help->addSeparator();
        about_action_ = Insert_Action(window, help, nullptr, "Menu_About");
        QObject::connect(about_action_, &QAction::triggered, &window, [this] { Open_About(); });
    }
}

void Dialogs_Feature::Apply_Language(bool ru) {
    for (QAction* a : {fft_action_, colors_action_, about_action_})
        if (a)
            if (const Text_Pair* t = Find_Caption(a->objectName().toLatin1().constData()))
                a->setText(QString::fromUtf8((*t)(ru)));
}

void Dialogs_Feature::Open_FFT() {
    Main_Window::Busy_Scope busy(*window_);
    Scope_Settings& s = session_.Inst().Settings;
    const int size = s.FFT_Size, win = s.FFT_Win, scale = s.FFT_Scale;
    fft_->Prepare(s.Russian);
    Center_On(*fft_, *window_);
    if (fft_->exec() != QDialog::Accepted) {
        s.FFT_Size = size;
        s.FFT_Win = win;
        s.FFT_Scale = scale;
        session_.Inst().Refresh_View();
    }
}

void Dialogs_Feature::Open_Colors() {
    Main_Window::Busy_Scope busy(*window_);
    Scope_Settings& s = session_.Inst().Settings;
    const Color_Set saved = s.Colors;
    colors_->Prepare(s.Russian);
    Center_On(*colors_, *window_);
    if (colors_->exec() != QDialog::Accepted) {
        s.Colors = saved;
    } else if (write_main_ini_) {
        write_main_ini_();
    }
    session_.Inst().Refresh_View();
}

void Dialogs_Feature::Open_About() {
    const Scope_Settings& s = session_.Inst().Settings;
    const Acq_State& st = session_.Inst().State;
    About_Device d;
    d.firmware_version = st.Firmware_Version.load();
    d.fpga_version = st.FPGA_Version.load();
    d.debug = s.Debug_Mode;
    d.serial = session_.With_Frame([](const Frame_Data&, const Status_Values& v) {
        return v.Serial_Valid ? std::optional<std::array<uint8_t, 5>>(v.Serial_Bytes) : std::nullopt;
    });
    about_->Prepare(Make_About_Lines(Version_Number, d, s.Russian));
    Center_On(*about_, *window_);
    about_->exec();
}

}  // namespace tovan
