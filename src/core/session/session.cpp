#include "session/session.h"

#include "device/ftdi_link.h"
#include "device/virtual_instrument.h"
#include "i18n/session_texts.h"
#include "settings/settings_file.h"

namespace tovan {
namespace {

std::string Attempt_Line(const FPGA_Image_Attempt& a, bool ru) {
    using Outcome = FPGA_Image_Attempt::Outcome;
    std::string line = "\r\n" + a.path;
    switch (a.outcome) {
        case Outcome::Used: break;
        case Outcome::Not_Found: line += Txt_FPGA_Image_Not_Found(ru); break;
        case Outcome::Unreadable: line += Txt_FPGA_Image_Unreadable(ru) + a.detail; break;
        case Outcome::Bad_Size: line += Txt_FPGA_Image_Bad_Size(ru) + a.detail; break;
        case Outcome::Read_Error: line += Txt_FPGA_Image_Read_Error(ru); break;
    }
    return line;
}

}  // namespace

std::unique_ptr<UsbLink> Make_Default_Link(Link_Kind kind) {
    if (kind == Link_Kind::Virtual) return Make_Virtual_Instrument();
    return std::make_unique<Ftdi_Link>();
}

Session::Session(Session_Options options, Prompts& prompts, Session_Hooks hooks)
    : options_(std::move(options)),
      prompts_(prompts),
      hooks_(std::move(hooks)),
      inst_(std::make_unique<Instrument>()),
      bg_(std::make_unique<Frame_Data>()) {
    // The settings file comes before the language, the service items and
    // the amplitude range.
    bool demo = options_.demo;
    if (options_.initial_russian) inst_->Settings.Russian = *options_.initial_russian;
    if (!options_.ini_path.empty()) {
        read_failure_ = Read_Settings(options_.ini_path, true, inst_->Settings);
        demo = demo || Read_System_Flag(options_.ini_path, "Demo");
    }
    kind_ = demo ? Link_Kind::Virtual : Link_Kind::Bridge;
    link_ = options_.link_factory ? options_.link_factory(kind_) : Make_Default_Link(kind_);
    if (!link_) link_ = Make_Default_Link(kind_);

    image_ = Find_FPGA_Image(options_.fpga_image, options_.exe_dir, options_.firmware_dir);
    // The stand-in only serves the virtual instrument: a real FPGA given
    // the stand-in answers nothing useful.
    std::vector<uint8_t> bytes;
    if (kind_ == Link_Kind::Virtual || !image_.Builtin()) bytes = image_.bytes;

    Device_Session::Hooks device_hooks = hooks_;
    device_ = std::make_unique<Device_Session>(*inst_, *link_, prompts_, std::move(bytes), options_.program_name,
                                               std::move(device_hooks), options_.thread_sleep);
    device_->Thread().On_Pass_Done([this] { Pass_Done(); });
}

Session::~Session() { Shutdown(); }

void Session::Start_Thread() {
    {
        std::lock_guard lock(pass_m_);
        thread_running_ = true;
    }
    device_->Start_Thread();
}

void Session::Shutdown() {
    device_->Shutdown();
    {
        std::lock_guard lock(pass_m_);
        thread_running_ = false;
    }
    pass_cv_.notify_all();
}

void Session::First_Activation() {
    device_->First_Activation();
    if (inst_->State.Link_Status.load() == Ft_Ok) Report_Image_Once();
}

bool Session::Check_Link_On_Press() {
    const bool ok = device_->Check_Link_On_Press();
    if (ok) Report_Image_Once();
    return ok;
}

void Session::Report_Image_Once() {
    if (image_reported_) return;
    const bool missing = kind_ == Link_Kind::Bridge && image_.Builtin();
    if (!missing && !image_.error) return;
    image_reported_ = true;
    const bool ru = inst_->Settings.Russian;
    std::string text = missing ? Txt_FPGA_Image_Missing(ru) : Txt_FPGA_Image_Unusable(ru);
    for (const FPGA_Image_Attempt& a : image_.tried) text += Attempt_Line(a, ru);
    prompts_.Message_Box(Txt_FPGA_Image_Title(ru), text, Prompt_Icon::Warning, Prompt_Buttons::Ok);
}

File_Error Session::Write_Settings() const {
    if (options_.ini_path.empty()) return {};
    const Acq_State& st = inst_->State;
    System_Info info = With_Frame([](const Frame_Data&, const Status_Values& status) {
        System_Info i;
        if (status.Serial_Valid) i.serial = status.Serial_Bytes;
        if (status.TDC_Valid) {
            i.tdc_rise = status.TDC_Rise_Read;
            i.tdc_fall = status.TDC_Fall_Read;
        }
        if (status.Vcc_Present) i.vcc_10mV = status.Vcc_10mV;
        return i;
    });
    info.firmware_version = st.Firmware_Version.load();
    info.fpga_version = st.FPGA_Version.load();
    return tovan::Write_Settings(options_.ini_path, true, inst_->Settings, info);
}

void Session::Pass_Done() {
    {
        std::lock_guard lock(pass_m_);
        ++passes_;
    }
    pass_cv_.notify_all();
    if (waiters_.load() > 0 && hooks_.wake) hooks_.wake();
}

void Session::Wait_Passes(uint64_t n) {
    uint64_t target = 0;
    {
        std::lock_guard lock(pass_m_);
        if (!thread_running_) return;
        target = passes_ + n;
    }
    const auto done = [&] {
        std::lock_guard lock(pass_m_);
        return passes_ >= target || !thread_running_;
    };
    if (hooks_.wait_until) {
        waiters_.fetch_add(1);
        hooks_.wait_until(done);
        waiters_.fetch_sub(1);
    } else {
        std::unique_lock lock(pass_m_);
        pass_cv_.wait(lock, [&] { return passes_ >= target || !thread_running_; });
    }
}

void Session::Wait_Until(const std::function<bool()>& done, bool user_input) {
    const auto& hook = user_input && hooks_.wait_until_input ? hooks_.wait_until_input : hooks_.wait_until;
    waiters_.fetch_add(1);
    if (hook) {
        hook([&] {
            if (done()) return true;
            std::lock_guard lock(pass_m_);
            return !thread_running_;
        });
    } else {
        std::unique_lock lock(pass_m_);
        pass_cv_.wait(lock, [&] { return !thread_running_ || done(); });
    }
    waiters_.fetch_sub(1);
}

void Session::Stop_And_Wait() {
    Scope_Settings& s = inst_->Settings;
    const bool was_pressed = s.Run || s.Sngl;
    s.Run = false;
    s.Sngl = false;
    inst_->State.Set_Run_Flags(false, false);
    inst_->State.Rx_Event.Set();
    if (was_pressed && hooks_.controls_changed) hooks_.controls_changed();
    // The pass under way may have seen the run flags still set; the one
    // after it starts with them clear.
    Wait_Passes(2);
}

}  // namespace tovan
