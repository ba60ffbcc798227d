#pragma once
// The instrument's device side as the application runs it: the link
// (real bridge or virtual instrument), the acquisition thread, the
// RUN/SINGLE/ON link check, the first activation, the once-a-second
// supervision and the orderly shutdown. The window supplies the few GUI
// services it needs as hooks; core tests supply plain functions.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/instrument.h"
#include "acquisition/link_supervisor.h"
#include "acquisition/scope_thread.h"
#include "common/prompts.h"
#include "device/usb_link.h"

namespace tovan {

class Device_Session {
public:
    struct Hooks {
        // Runs the redraw on the GUI thread and returns when it is done.
        std::function<void()> sync_draw;
        // Waits on the GUI thread while still serving the redraw hand-off.
        std::function<void(int ms)> wait_ms;
        // The settings record changed outside a handler (buttons released):
        // the window shows it again.
        std::function<void()> controls_changed;
        std::function<void(bool busy)> set_busy;
    };

    Device_Session(Instrument& inst, UsbLink& link, Prompts& prompts, std::vector<uint8_t> fpga_image,
                   std::string title, Hooks hooks, Sleep_Fn thread_sleep = Real_Sleep);
    ~Device_Session();

    void Start_Thread();
    // Stops the acquisition thread, then closes the link (Exit, shutdown).
    void Shutdown();

    // First activation of the main window: open the instrument silently;
    // when found, load the FPGA and configure.
    void First_Activation();

    // RUN, SINGLE or ON was pressed: check the link, re-open once. False:
    // the link is unusable; the caller shows Show_Link_Error and releases
    // the button.
    bool Check_Link_On_Press();
    void Show_Link_Error();

    // The once-a-second tick.
    void Timer1Timer() { supervisor_.Timer1Timer(); }
    const Link_Supervisor& Supervisor() const { return supervisor_; }

    Ft_Status Open();
    UsbLink& Link() { return link_; }
    Scope_Thread& Thread() { return thread_; }

private:
    void Release_Buttons();

    Instrument& inst_;
    UsbLink& link_;
    Prompts& prompts_;
    std::string title_;
    Hooks hooks_;
    Scope_Thread thread_;
    Link_Supervisor supervisor_;
};

}  // namespace tovan
