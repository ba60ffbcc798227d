#pragma once
// The acquisition thread: owns all traffic with the instrument once the
// link is open. Each pass: wait for Rx_Event (at most 20 ms) when nothing
// is requested, hand a pending redraw to the GUI and wait for it, then
// exactly one of FPGA load, configuration, or receive step.
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>
#include <vector>

#include "device/acq_state.h"
#include "device/device_commands.h"
#include "device/usb_link.h"

namespace tovan {

class Scope_Thread {
public:
    // `sync_draw` runs the redraw on the GUI thread and returns when it is
    // done (a blocking queued call in the application, a plain call in
    // tests). `sleep_ms` serves the waits of the FPGA load.
    Scope_Thread(UsbLink& link, Acq_State& state, std::vector<uint8_t> fpga_image,
                 std::function<void()> sync_draw, Sleep_Fn sleep_ms = Real_Sleep);
    ~Scope_Thread();
    Scope_Thread(const Scope_Thread&) = delete;
    Scope_Thread& operator=(const Scope_Thread&) = delete;

    void Start();
    // Sets the terminate flag, wakes the thread and joins it. The GUI
    // thread must not be blocked in a way that keeps a pending redraw
    // hand-off from finishing (the application stops the thread before it
    // tears down the window).
    void Stop();
    bool Running() const { return worker_.joinable(); }
    // Called by the thread after each completed pass (set before Start).
    void On_Pass_Done(std::function<void()> fn) { pass_done_ = std::move(fn); }

    // One pass of the loop (the thread body repeats it); tests call it
    // directly without a thread.
    void Execute_Pass();

private:
    void Execute();
    // Parameters the frames now arriving were taken with (see Execute_Pass).
    Device_Params Receive_Params() const;

    UsbLink& link_;
    Acq_State& st_;
    std::vector<uint8_t> image_;
    std::function<void()> sync_draw_;
    Sleep_Fn sleep_ms_;
    std::function<void()> pass_done_;
    std::atomic<bool> terminated_{false};
    std::thread worker_;
    // What went into the last configuration block (this thread only).
    Device_Params sent_params_;
    bool config_sent_ = false;
};

}  // namespace tovan
