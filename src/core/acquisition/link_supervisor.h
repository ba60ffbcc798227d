#pragma once
// Once-a-second link supervision: per-second frame figures, the link check,
// the warnings and questions for the six error codes, and the recovery
// (port reset, re-open, FPGA reload, configuration).
#include <cstdint>
#include <functional>

#include "common/prompts.h"
#include "device/acq_state.h"
#include "device/usb_link.h"

namespace tovan {

class Link_Supervisor {
public:
    // What the supervision needs from the rest of the program.
    struct Env {
        UsbLink* link = nullptr;
        Acq_State* state = nullptr;
        Prompts* prompts = nullptr;
        // Open_Device into the state's handle; returns its code.
        std::function<Ft_Status()> open_device;
        std::function<void(Ft_Status)> usb_error_box;
        std::function<void()> apply_settings;
        // Releases RUN, SINGLE and ON (and applies nothing).
        std::function<void()> release_buttons;
        // Waits without blocking the acquisition thread's redraw hand-off
        // (the GUI runs a local event loop; tests advance a virtual clock).
        std::function<void(int ms)> wait_ms;
        std::function<void(bool busy)> set_busy;
        std::function<bool()> no_msg;
        std::function<bool()> lang_russian;
    };

    explicit Link_Supervisor(Env env) : env_(std::move(env)) {}

    // One tick of the once-a-second timer (GUI thread).
    void Timer1Timer();

    // Last second's figures. A frame received before a tick and shown
    // after it is counted as received in the second it was shown in, so
    // FPS_Received() - FPS_Shown() is FPS_Lost() and never negative.
    uint32_t FPS_Shown() const { return fps_shown_; }
    uint32_t FPS_Received() const { return fps_received_; }
    uint32_t FPS_Lost() const { return fps_received_ - fps_shown_; }
    uint32_t CRC_Errors_PS() const { return crc_errors_ps_; }
    bool Busy() const { return supervise_busy_; }

private:
    Prompt_Answer Ask(int code, Prompt_Buttons buttons);
    void Close_Device();

    Env env_;
    uint32_t fps_shown_ = 0;
    uint32_t fps_received_ = 0;
    uint32_t crc_errors_ps_ = 0;
    // Frames shown in an earlier second beyond those received in it (0 or
    // -1): set against the next second's received frames.
    int64_t shown_ahead_ = 0;
    bool supervise_busy_ = false;
};

}  // namespace tovan
