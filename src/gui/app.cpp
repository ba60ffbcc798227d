#include "gui/app.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMouseEvent>

#include "acquisition/link_control.h"
#include "device/fpga_image.h"
#include "device/ftdi_link.h"
#include "device/virtual_instrument.h"
#include "display/canvas.h"
#include "display/mouse.h"
#include "display/trace.h"
#include "gui/single_instance.h"
#include "settings/settings_file.h"

namespace tovan {
namespace {

QColor From_BGR(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

App_Options App_Options::Parse(const QStringList& args) {
    App_Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--demo")) {
            o.demo = true;
        } else if (a == QLatin1String("--fpga-image") && i + 1 < args.size()) {
            o.fpga_image = args[++i].toStdString();
        } else if (a == QLatin1String("--ini") && i + 1 < args.size()) {
            o.ini_path = args[++i].toStdString();
        } else {
            o.files.push_back(a);
        }
    }
    return o;
}

App::App(const QStringList& args, Prompts* prompts)
    : args_(args),
      options_(App_Options::Parse(args)),
      inst_(std::make_unique<Instrument>()),
      prompts_(prompts ? prompts : &qt_prompts_),
      bg_(std::make_unique<Background_Frame>()),
      handoff_(std::make_unique<Draw_Handoff>([this] { Sync_Draw(); })) {
    exe_path_ = (args.isEmpty() ? QCoreApplication::applicationFilePath() : args.front()).toStdString();
    program_name_ = QFileInfo(QString::fromStdString(exe_path_)).completeBaseName().toStdString();
    if (program_name_.empty()) program_name_ = "tovan1";
    main_ini_ = options_.ini_path.empty() ? Main_Ini_Path(exe_path_) : options_.ini_path;

    // The settings file comes before the language, the service items and
    // the amplitude range.
    Read_Settings(main_ini_, true, inst_->Settings);
    demo_ = options_.demo || Read_System_Flag(main_ini_, "Demo");

    if (demo_) {
        link_ = Make_Virtual_Instrument();
    } else {
        link_ = std::make_unique<Ftdi_Link>();
    }
    FPGA_Image image = Find_FPGA_Image(options_.fpga_image,
                                       QFileInfo(QString::fromStdString(exe_path_)).absolutePath().toStdString());
    if (!image.error.empty()) fpga_image_error_ = "FPGA image: " + image.error;

    Device_Session::Hooks hooks;
    hooks.sync_draw = [this] { handoff_->Run_Blocking(); };
    hooks.wait_ms = [this](int ms) { Wait_Serving_Events(ms); };
    hooks.controls_changed = [this] {
        if (window_) window_->Sync_Controls();
    };
    hooks.set_busy = [this](bool busy) {
        if (window_) window_->Set_Busy(busy);
    };
    session_ = std::make_unique<Device_Session>(*inst_, *link_, *prompts_, std::move(image.bytes), program_name_,
                                                std::move(hooks));
}

App::~App() {
    Shutdown();
    // The window goes before the session and the instrument it shows.
    window_.reset();
}

void App::Shutdown() {
    timer1_.stop();
    handoff_->Cancel();
    if (session_) session_->Shutdown();
}

Main_Window_Hooks App::Make_Hooks() {
    Main_Window_Hooks h;
    h.link_check = [this](Link_Button) { return session_->Check_Link_On_Press(); };
    h.show_link_error = [this](Link_Button) { session_->Show_Link_Error(); };
    h.screen_image = [this]() -> const QImage* { return screen_.isNull() ? nullptr : &screen_; };
    h.display_resized = [this](QSize size) { Display_Resized(size); };
    h.display_mouse = [this](QMouseEvent* e) { Display_Mouse(e); };
    h.trigger_position = [this] {
        std::lock_guard lock(inst_->State.Data_Mutex);
        return static_cast<int>(inst_->State.Frame->Info.Trig_Index);
    };
    h.bg_swap = [this] {
        View_Action a;
        {
            std::lock_guard lock(inst_->State.Data_Mutex);
            a = Swap_BG(*inst_->State.Frame, *bg_, inst_->Settings, renderer_.State);
        }
        if (a == View_Action::Apply_Settings) inst_->Apply_Settings();
        if (a == View_Action::Refresh_View) inst_->Refresh_View();
        window_->Sync_Controls();
    };
    h.on_first_activation = [this] {
        // A named image that cannot be used is worth a word before the
        // built-in stand-in is sent.
        if (!fpga_image_error_.empty())
            prompts_->Message_Box(program_name_, fpga_image_error_, Prompt_Icon::Warning, Prompt_Buttons::Ok);
        session_->First_Activation();
        window_->Sync_Controls();
    };
    h.file_menu_opened = [this] { Check_Link(*link_, inst_->State); };
    h.on_close = [this] { Write_Main_Ini(); };
    h.on_exit = [this] { Shutdown(); };
    return h;
}

void App::Start(Single_Instance* instance) {
    window_ = std::make_unique<Main_Window>(*inst_, *prompts_, Make_Hooks());
    qt_prompts_.Set_Parent(window_.get());
    inst_->State.Redraw_Request.store(true);
    inst_->Refresh_View();  // parameters once before anything runs; no device command yet
    window_->Sync_Controls();
    if (instance) instance->on_handoff = [this](const Handoff_Record& r) { window_->Handle_Handoff(r); };
    session_->Start_Thread();
    timer1_.setInterval(1000);
    QObject::connect(&timer1_, &QTimer::timeout, window_.get(), [this] { Timer1Timer(); });
    timer1_.start();
    window_->show();
}

void App::Timer1Timer() {
    session_->Timer1Timer();
    window_->Sync_Controls();
}

void App::Sync_Draw() {
    if (!window_) return;
    Acq_State& st = inst_->State;
    const Link_Supervisor& sup = session_->Supervisor();
    Screen_Inputs in;
    in.FPS_Shown = sup.FPS_Shown();
    in.FPS_Received = sup.FPS_Received();
    in.CRC_Errors_PS = sup.CRC_Errors_PS();
    in.Activity_Flag = st.Activity_Flag.exchange(false);
    in.Run_State = st.Run_State.load();
    in.Single_State = st.Single_State.load();
    in.Program_Name = program_name_;
    Screen_Result r;
    {
        std::lock_guard lock(st.Data_Mutex);
        in.Vcc_10mV = st.Status.Vcc_10mV;
        in.Vcc_Present = st.Status.Vcc_Present;
        if (!screen_.isNull()) {
            Image_Canvas canvas(screen_);
            r = renderer_.Draw_Screen(canvas, *st.Frame, *bg_, inst_->Settings, inst_->Params, in);
        }
        if (st.Shown_Flag.exchange(false)) st.Frames_Shown.fetch_add(1);
        st.Rec_Count = 0;  // no recorder file yet: the bytes are not kept
    }
    if (screen_.isNull()) {
        window_->After_Redraw();
        return;
    }
    window_->setWindowTitle(QString::fromStdString(r.Caption));
    window_->Set_Generator_Labels(QString::fromStdString(r.Label_F), QString::fromStdString(r.Label_V),
                                  r.Label_Mod_Visible ? QString::fromStdString(r.Label_Mod) : QString(),
                                  r.Label_Pulse_Visible ? QString::fromStdString(r.Label_Pulse) : QString(),
                                  From_BGR(r.Label_Font_Color), From_BGR(r.Panel_Color));
    inst_->Settings.X_Pos = r.X_Pos;
    window_->Set_View_Range(r.X_Max);
    window_->After_Redraw();
}

void App::Display_Resized(QSize size) {
    if (size.width() <= 0 || size.height() <= 0) return;
    renderer_.Layout(size.width(), size.height());
    screen_ = QImage(size, QImage::Format_RGB32);
    screen_.fill(From_BGR(inst_->Settings.Colors.Background));
    inst_->State.Redraw_Request.store(true);
    inst_->State.Rx_Event.Set();
}

void App::Display_Mouse(QMouseEvent* e) {
    Scope_Settings& s = inst_->Settings;
    const QPoint p = e->position().toPoint();
    View_Action a = View_Action::None;
    switch (e->type()) {
        case QEvent::MouseButtonPress: {
            const Mouse_Buttons b{e->button() == Qt::LeftButton, e->button() == Qt::RightButton};
            a = Mouse_Down(renderer_.State, s, BG_Exists(*bg_), p.x(), p.y(), b);
            break;
        }
        case QEvent::MouseMove: {
            const Mouse_Buttons b{e->buttons().testFlag(Qt::LeftButton), e->buttons().testFlag(Qt::RightButton)};
            a = Mouse_Move(renderer_.State, s, p.x(), p.y(), b);
            break;
        }
        case QEvent::MouseButtonRelease: a = Mouse_Up(renderer_.State); break;
        case QEvent::MouseButtonDblClick:
            // The window toggles compact view itself for the band above the plot.
            Mouse_Dbl_Click(renderer_.State);
            break;
        default: break;
    }
    if (a == View_Action::Apply_Settings) inst_->Apply_Settings();
    if (a == View_Action::Refresh_View) inst_->Refresh_View();
    if (a != View_Action::None) window_->Sync_Controls();
}

void App::Write_Main_Ini() {
    const Acq_State& st = inst_->State;
    System_Info info;
    {
        std::lock_guard lock(st.Data_Mutex);
        if (st.Status.Serial_Valid) info.serial = st.Status.Serial_Bytes;
        if (st.Status.TDC_Valid) {
            info.tdc_rise = st.Status.TDC_Rise_Read;
            info.tdc_fall = st.Status.TDC_Fall_Read;
        }
        if (st.Status.Vcc_Present) info.vcc_10mV = st.Status.Vcc_10mV;
    }
    info.firmware_version = st.Firmware_Version.load();
    info.fpga_version = st.FPGA_Version.load();
    const std::string err = Write_Settings(main_ini_, true, inst_->Settings, info);
    if (!err.empty()) prompts_->Message_Box(program_name_, err, Prompt_Icon::Error, Prompt_Buttons::Ok);
}

void App::Wait_Serving_Events(int ms) {
    // Redraws go on meanwhile; the user's clicks and keys wait, so that no
    // handler re-opens the link in the middle of a recovery.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tovan
