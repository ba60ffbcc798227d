#pragma once
// One instrument session without a window: the settings file, the choice of
// link, the FPGA image, the instrument with its acquisition thread and link
// supervision, and the background copy of the frame. The window, the tests
// and the command-line program all start from it; each supplies the few
// services of its own side (drawing, waiting) as hooks.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <mutex>
#include <string>

#include "acquisition/device_session.h"
#include "acquisition/instrument.h"
#include "common/file_error.h"
#include "common/prompts.h"
#include "device/device_commands.h"
#include "device/fpga_image.h"
#include "device/usb_link.h"
#include "settings/ini_file.h"

namespace tovan {

// Which backend a session talks to. A replayed byte stream will join here.
enum class Link_Kind { Bridge, Virtual };

// Makes the link of a kind; tests inject their own doubles.
using Link_Factory = std::function<std::unique_ptr<UsbLink>(Link_Kind)>;
// The program's own: libftdi1 for the bridge, the virtual instrument on the
// steady clock.
std::unique_ptr<UsbLink> Make_Default_Link(Link_Kind kind);

struct Session_Options {
    std::string ini_path;                  // settings file; empty: none is read or written
    bool demo = false;                     // the virtual instrument whatever the file says
    std::string fpga_image;                // image file named on the command line
    std::string exe_dir;                   // folder searched for the image
    std::string firmware_dir = Installed_Firmware_Dir();  // and the installed one after it
    std::string program_name = "tovan1";  // title of the session's messages
    Link_Factory link_factory;             // empty: Make_Default_Link
    Sleep_Fn thread_sleep = Real_Sleep;    // waits of the FPGA load (tests: a device clock)
    // The interface language until the settings file says otherwise (a first
    // start follows the user's locale); empty: the record's default.
    std::optional<bool> initial_russian;
};

struct Session_Hooks : Device_Session::Hooks {
    // Waits on the calling thread until `done` holds while serving the
    // redraw hand-off (the window runs its event loop). Empty: a plain wait,
    // right where the redraw is a plain call on the acquisition thread.
    std::function<void(const std::function<bool()>& done)> wait_until;
    // The same wait for a modal dialog in front of the window: the user's
    // input reaches the dialog meanwhile (its Cancel). Empty: wait_until.
    std::function<void(const std::function<bool()>& done)> wait_until_input;
    // Acquisition thread, after a pass while a wait_until runs: look again.
    std::function<void()> wake;
};

class Session {
public:
    // Reads the settings file, chooses and makes the link, finds the image.
    Session(Session_Options options, Prompts& prompts, Session_Hooks hooks = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Instrument& Inst() { return *inst_; }
    const Instrument& Inst() const { return *inst_; }
    UsbLink& Link() { return *link_; }
    Link_Kind Kind() const { return kind_; }
    bool Demo() const { return kind_ == Link_Kind::Virtual; }
    const FPGA_Image& Image() const { return image_; }
    const std::string& Ini_Path() const { return options_.ini_path; }
    Device_Session& Device() { return *device_; }
    const Link_Supervisor& Supervisor() const { return device_->Supervisor(); }

    // --- life cycle ----------------------------------------------------
    void Start_Thread();
    // Stops the acquisition thread and closes the link (idempotent).
    void Shutdown();
    // Opens the instrument silently; when found, asks for the FPGA load and
    // the configuration. Says once what is wrong with the FPGA image.
    void First_Activation();
    // RUN, SINGLE or ON: checks the link and re-opens it once; false when it
    // is unusable (then Show_Link_Error and release the button).
    bool Check_Link_On_Press();
    void Show_Link_Error() { device_->Show_Link_Error(); }
    // The once-a-second supervision.
    void Timer1Timer() { device_->Timer1Timer(); }
    // Writes the settings file in full; the error, none on success (and
    // when the session has no settings file).
    File_Error Write_Settings() const;
    // Why the settings file could not be read at start (None or Missing:
    // nothing to tell); the defaults were used and the file is kept.
    Ini_Load_Failure Settings_Read_Failure() const { return read_failure_; }

    // Folder of the file last chosen in a data-file, export or recorder
    // dialog: where the next one opens (GUI thread).
    const std::string& Last_Dir() const { return last_dir_; }
    void Set_Last_Dir(std::string dir) { last_dir_ = std::move(dir); }

    // --- the frame -----------------------------------------------------------
    // fn(const Frame_Data&, const Status_Values&) under the data lock.
    template <class Fn>
    decltype(auto) With_Frame(Fn&& fn) const {
        std::lock_guard lock(inst_->State.Data_Mutex);
        return fn(static_cast<const Frame_Data&>(*inst_->State.Frame),
                  static_cast<const Status_Values&>(inst_->State.Status));
    }
    // fn(Frame_Data&, Status_Values&) under the data lock.
    template <class Fn>
    decltype(auto) With_Frame_Mutable(Fn&& fn) {
        std::lock_guard lock(inst_->State.Data_Mutex);
        return fn(*inst_->State.Frame, inst_->State.Status);
    }
    // The frame and the background copy together:
    // fn(const Frame_Data& main, const Frame_Data& bg, const Status_Values&).
    template <class Fn>
    decltype(auto) With_Frames(Fn&& fn) const {
        std::lock_guard lock(inst_->State.Data_Mutex);
        return fn(static_cast<const Frame_Data&>(*inst_->State.Frame), static_cast<const Frame_Data&>(*bg_),
                  static_cast<const Status_Values&>(inst_->State.Status));
    }
    // fn(Frame_Data& main, Frame_Data& bg, Status_Values&).
    template <class Fn>
    decltype(auto) With_Frames_Mutable(Fn&& fn) {
        std::lock_guard lock(inst_->State.Data_Mutex);
        return fn(*inst_->State.Frame, *bg_, inst_->State.Status);
    }

    // Stops the run (RUN and SINGLE released), wakes the thread and returns
    // once the thread has finished whatever pass, decode included, was in
    // progress: from then on the frame stays as it is until a new run.
    void Stop_And_Wait();
    // Returns after the acquisition thread has completed `n` more passes
    // (at once when it does not run).
    void Wait_Passes(uint64_t n);
    // Returns once `done` holds, looking again after every pass of the
    // acquisition thread (or at once, when it does not run), while the
    // redraw hand-off is served; with `user_input` a modal dialog takes the
    // user's input meanwhile. `done` must not wait itself.
    void Wait_Until(const std::function<bool()>& done, bool user_input);

private:
    void Pass_Done();
    void Report_Image_Once();

    Session_Options options_;
    Prompts& prompts_;
    Session_Hooks hooks_;
    std::unique_ptr<Instrument> inst_;
    Link_Kind kind_ = Link_Kind::Bridge;
    Ini_Load_Failure read_failure_ = Ini_Load_Failure::None;
    std::unique_ptr<UsbLink> link_;
    FPGA_Image image_;
    bool image_reported_ = false;
    std::string last_dir_;
    std::unique_ptr<Frame_Data> bg_;  // the background copy (GUI side, under the data lock)

    mutable std::mutex pass_m_;
    std::condition_variable pass_cv_;
    uint64_t passes_ = 0;             // under pass_m_
    bool thread_running_ = false;     // under pass_m_
    std::atomic<int> waiters_{0};

    std::unique_ptr<Device_Session> device_;  // last: its thread goes first
};

}  // namespace tovan
