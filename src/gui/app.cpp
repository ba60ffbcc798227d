#include "gui/app.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QMouseEvent>
#include <cstdlib>
#include <filesystem>

#include "acquisition/link_control.h"
#include "app/command_line.h"
#include "display/canvas.h"
#include "display/mouse.h"
#include "display/trace.h"
#include "display/image_file.h"
#include "gui/features/bg_feature.h"
#include "gui/features/calibration_feature.h"
#include "gui/features/dialogs_feature.h"
#include "gui/features/files_feature.h"
#include "gui/features/qt_language_feature.h"
#include "gui/features/help_feature.h"
#include "gui/features/recorder_feature.h"
#include "gui/single_instance.h"
#include "i18n/cli_texts.h"
#include "i18n/file_texts.h"
#include "i18n/settings_file_texts.h"
#include "i18n/window_texts.h"
#include "settings/settings_file.h"

namespace tovan {
namespace {

QColor From_BGR(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

App_Options App_Options::Parse(const QStringList& args) {
    std::vector<std::string> a;
    for (const QString& s : args) a.push_back(s.toStdString());
    // The program entry has refused a bad command line already; here
    // whatever was understood is taken.
    const Command_Line c = Parse_Command_Line(a, false);
    App_Options o;
    o.demo = c.demo;
    o.fpga_image = c.fpga_image;
    o.ini_path = c.ini_path;
    for (const std::string& f : c.files) o.files.push_back(QString::fromStdString(f));
    return o;
}

App::App(const QStringList& args, App_Env env)
    : options_(App_Options::Parse(args)),
      env_(std::move(env)),
      prompts_(env_.prompts ? env_.prompts : &qt_prompts_),
      handoff_(std::make_unique<Draw_Handoff>([this] { Sync_Draw(); })) {
    const std::string exe_path =
        (args.isEmpty() ? QCoreApplication::applicationFilePath() : args.front()).toStdString();
    const QFileInfo exe(QString::fromStdString(exe_path));
    program_name_ = exe.completeBaseName().toStdString();
    if (program_name_.empty()) program_name_ = "tovan1";

    Session_Options o;
    o.ini_path = options_.ini_path.empty() ? Main_Ini_Path(exe_path) : options_.ini_path;
    o.demo = options_.demo;
    o.fpga_image = options_.fpga_image;
    o.exe_dir = exe.absolutePath().toStdString();
    o.program_name = program_name_;
    o.link_factory = env_.link_factory;
    if (env_.thread_sleep) o.thread_sleep = env_.thread_sleep;
    // A first start (no settings file yet) speaks the user's language.
    std::error_code ec;
    o.initial_russian = Initial_Lang_Russian(
        Messages_Locale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"),
                        QLocale::system().name().toStdString()),
        std::filesystem::is_regular_file(o.ini_path, ec));
    session_ = std::make_unique<tovan::Session>(std::move(o), *prompts_, Make_Session_Hooks());
    bg_service_ = std::make_unique<BG_Service>(*session_, renderer_.State);
    Files_Hooks fh;
    fh.screen_image = [this](bool png) { return Encode_Screen_Image(screen_, png); };
    files_ = std::make_unique<Files_Service>(*session_, renderer_.State, *prompts_, std::move(fh));
    recorder_ = std::make_unique<tovan::Recorder>(*session_, *prompts_);
    fm_log_ = std::make_unique<tovan::FM_Log>(*session_, *prompts_);
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
    // A recording still running ends with the program, its file complete.
    if (recorder_) recorder_->Shutdown();
}

Session_Hooks App::Make_Session_Hooks() {
    Session_Hooks hooks;
    hooks.sync_draw = [this] { handoff_->Run_Blocking(); };
    hooks.wait_ms = [this](int ms) {
        if (env_.wait_ms) {
            env_.wait_ms(ms);
        } else {
            Wait_Serving_Events(ms);
        }
    };
    hooks.controls_changed = [this] {
        if (window_) window_->Sync_Controls();
    };
    hooks.set_busy = [this](bool busy) {
        if (window_) window_->Set_Busy(busy);
    };
    // Waits on the GUI thread serve the redraw hand-off; each pass of the
    // thread wakes them to look at their condition again.
    hooks.wait_until = [this](const std::function<bool()>& done) {
        handoff_->Wait_Serving(done, QEventLoop::ExcludeUserInputEvents);
    };
    // A modal dialog's wait: the dialog takes the user's input (its Cancel);
    // modality keeps it from the main window.
    hooks.wait_until_input = [this](const std::function<bool()>& done) {
        if (env_.wait_until_input) {
            env_.wait_until_input(done);
            return;
        }
        handoff_->Wait_Serving(done, QEventLoop::AllEvents);
    };
    hooks.wake = [this] { handoff_->Wake(); };
    return hooks;
}

Main_Window_Hooks App::Make_Hooks() {
    Main_Window_Hooks h;
    h.link_check = [this](Link_Button) { return session_->Check_Link_On_Press(); };
    h.show_link_error = [this](Link_Button) { session_->Show_Link_Error(); };
    h.screen_image = [this]() -> const QImage* { return screen_.isNull() ? nullptr : &screen_; };
    h.display_resized = [this](QSize size) { Display_Resized(size); };
    h.display_mouse = [this](QMouseEvent* e) { return Display_Mouse(e); };
    h.trigger_position = [this] {
        return session_->With_Frame(
            [](const Frame_Data& f, const Status_Values&) { return static_cast<int>(f.Info.Trig_Index); });
    };
    h.on_first_activation = [this] {
        // A settings file that could not be read: the defaults are in use,
        // and the file stays as it is (the close will not replace it).
        const bool ru = Inst().Settings.Russian;
        const std::string unread =
            Ini_Load_Message(session_->Settings_Read_Failure(), session_->Ini_Path(), ru);
        if (!unread.empty())
            prompts_->Message_Box(Txt_Ini_Title(ru), unread, Prompt_Icon::Warning, Prompt_Buttons::Ok);
        session_->First_Activation();
        // A file named last on the command line opens now.
        if (!options_.files.isEmpty() && !options_.files.back().isEmpty())
            files_->Open_Path(options_.files.back().toStdString());
        window_->Sync_Controls();
    };
    h.open_file = [this](const std::string& path, bool as_settings) {
        if (as_settings) {
            files_->Load_Settings_File(path);
        } else {
            files_->Load_Data_File(path);
        }
        window_->Sync_Controls();
    };
    h.file_menu_opened = [this] { Check_Link(session_->Link(), Inst().State); };
    h.on_close = [this] { Write_Main_Ini(); };
    h.on_exit = [this] { Shutdown(); };
    return h;
}

void App::Start(Single_Instance* instance) {
    Instrument& inst = Inst();
    window_ = std::make_unique<Main_Window>(inst, *prompts_, Make_Hooks());
    window_->Add_Feature(std::make_unique<Qt_Language_Feature>());
    window_->Add_Feature(std::make_unique<Files_Feature>(*files_));
    window_->Add_Feature(std::make_unique<BG_Feature>(*bg_service_));
    window_->Add_Feature(std::make_unique<Help_Feature>(*prompts_, inst.Settings));
    window_->Add_Feature(std::make_unique<Dialogs_Feature>(*session_, *prompts_, [this] { Write_Main_Ini(); }));
    window_->Add_Feature(std::make_unique<Calibration_Feature>(*session_, renderer_.State, *prompts_));
    window_->Add_Feature(std::make_unique<Recorder_Feature>(*recorder_, *fm_log_, inst));
    qt_prompts_.Set_Parent(window_.get());
    qt_prompts_.Set_Language([this] { return Inst().Settings.Russian; });
    inst.State.Redraw_Request.store(true);
    inst.Refresh_View();  // parameters once before anything runs; no device command yet
    window_->Sync_Controls();
    if (instance) instance->on_handoff = [this](const Handoff_Record& r) { window_->Handle_Handoff(r); };
    session_->Start_Thread();
    timer1_.setInterval(1000);
    QObject::connect(&timer1_, &QTimer::timeout, window_.get(), [this] { Timer1Timer(); });
    timer1_.start();
    window_->show();
}

void App::Timer1Timer() {
    fm_log_->Tick();  // the log's line comes first in each tick
    session_->Timer1Timer();
    window_->Sync_Controls();
}

void App::Sync_Draw() {
    if (!window_) {
        recorder_->Hand_Over();
        return;
    }
    Instrument& inst = Inst();
    Acq_State& st = inst.State;
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
    session_->With_Frames([&](const Frame_Data& main, const Frame_Data& bg, const Status_Values& status) {
        in.Vcc_10mV = status.Vcc_10mV;
        in.Vcc_Present = status.Vcc_Present;
        if (!screen_.isNull()) {
            Image_Canvas canvas(screen_, &canvas_cache_);
            r = renderer_.Draw_Screen(canvas, main, bg, inst.Settings, inst.Params, in);
        }
        // Both under the data lock, as the decoder writes them.
        if (st.Shown_Flag.exchange(false)) st.Frames_Shown.fetch_add(1);
    });
    // The recorder's bytes of the frames just drawn go to its file (or are
    // dropped when nothing is recorded).
    recorder_->Hand_Over();
    if (screen_.isNull()) {
        window_->After_Redraw();
        return;
    }
    window_->setWindowTitle(QString::fromStdString(r.Caption));
    window_->Set_Generator_Labels(QString::fromStdString(r.Label_F), QString::fromStdString(r.Label_V),
                                  r.Label_Mod_Visible ? QString::fromStdString(r.Label_Mod) : QString(),
                                  r.Label_Pulse_Visible ? QString::fromStdString(r.Label_Pulse) : QString(),
                                  From_BGR(r.Label_Font_Color), From_BGR(r.Panel_Color));
    inst.Settings.X_Pos = r.X_Pos;
    window_->Set_View_Range(r.X_Max);
    window_->After_Redraw();
}

void App::Display_Resized(QSize size) {
    if (size.width() <= 0 || size.height() <= 0) return;
    Instrument& inst = Inst();
    renderer_.Layout(size.width(), size.height());
    screen_ = Make_Screen_Image(size.width(), size.height());
    screen_.fill(From_BGR(inst.Settings.Colors.Background));
    inst.State.Redraw_Request.store(true);
    inst.State.Rx_Event.Set();
}

bool App::Display_Mouse(QMouseEvent* e) {
    Instrument& inst = Inst();
    Scope_Settings& s = inst.Settings;
    const QPoint p = e->position().toPoint();
    View_Action a = View_Action::None;
    bool toggle_compact = false;
    const auto bg_exists = [this] {
        return session_->With_Frames(
            [](const Frame_Data&, const Frame_Data& bg, const Status_Values&) { return BG_Exists(bg); });
    };
    switch (e->type()) {
        case QEvent::MouseButtonPress: {
            const Mouse_Buttons b{e->button() == Qt::LeftButton, e->button() == Qt::RightButton};
            a = Mouse_Down(renderer_.State, s, bg_exists(), p.x(), p.y(), b);
            break;
        }
        case QEvent::MouseButtonDblClick: {
            const Mouse_Buttons b{e->button() == Qt::LeftButton, e->button() == Qt::RightButton};
            const Dbl_Press_Result r = Mouse_Dbl_Press(renderer_.State, s, bg_exists(), p.x(), p.y(), b);
            toggle_compact = r.Toggle_Compact;
            a = r.Action;
            break;
        }
        case QEvent::MouseMove: {
            const Mouse_Buttons b{e->buttons().testFlag(Qt::LeftButton), e->buttons().testFlag(Qt::RightButton)};
            a = Mouse_Move(renderer_.State, s, p.x(), p.y(), b);
            break;
        }
        case QEvent::MouseButtonRelease: a = Mouse_Up(renderer_.State); break;
        default: break;
    }
    if (a == View_Action::Apply_Settings) inst.Apply_Settings();
    if (a == View_Action::Refresh_View) inst.Refresh_View();
    if (a != View_Action::None) window_->Sync_Controls();
    return toggle_compact;
}

void App::Write_Main_Ini() {
    if (const File_Error err = session_->Write_Settings()) {
        const bool ru = Inst().Settings.Russian;
        prompts_->Message_Box(window_text::Settings_Save_Title(ru), Txt_Settings_Not_Saved(ru) + File_Error_Text(err, ru),
                              Prompt_Icon::Error, Prompt_Buttons::Ok);
    }
}

void App::Wait_Serving_Events(int ms) {
    // Redraws go on meanwhile; the user's clicks and keys wait, so that no
    // handler re-opens the link in the middle of a recovery.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tovan
