#include "acquisition/scope_thread.h"

#include <chrono>

#include "device/frame_decoder.h"

namespace tovan {

Scope_Thread::Scope_Thread(UsbLink& link, Acq_State& state, std::vector<uint8_t> fpga_image,
                           std::function<void()> sync_draw, Sleep_Fn sleep_ms)
    : link_(link),
      st_(state),
      image_(std::move(fpga_image)),
      sync_draw_(std::move(sync_draw)),
      sleep_ms_(std::move(sleep_ms)) {}

Scope_Thread::~Scope_Thread() { Stop(); }

void Scope_Thread::Start() {
    if (worker_.joinable()) return;
    terminated_.store(false);
    worker_ = std::thread([this] { Execute(); });
}

void Scope_Thread::Stop() {
    terminated_.store(true);
    st_.Rx_Event.Set();
    if (worker_.joinable()) worker_.join();
}

void Scope_Thread::Execute() {
    while (!terminated_.load()) {
        Execute_Pass();
        if (pass_done_) pass_done_();
    }
}

void Scope_Thread::Execute_Pass() {
    if (!st_.Redraw_Request.load() && !st_.FPGA_Load_Request.load()) {
        st_.Rx_Event.Wait_For(std::chrono::milliseconds(20));
        st_.Rx_Event.Reset();
    }
    if (terminated_.load()) return;
    if (st_.Redraw_Request.exchange(false)) {
        if (sync_draw_) sync_draw_();
        std::this_thread::yield();
    }
    // Taken before the load: a request made while it runs (a re-open on the
    // GUI thread) is served by the next pass instead of being cleared.
    if (st_.FPGA_Load_Request.exchange(false)) {
        Load_FPGA(link_, st_, image_, sleep_ms_);
    } else if (st_.Config_Request.exchange(false)) {
        Send_Config(link_, st_, st_.Params_Snapshot());
    } else {
        Receive_Step(link_, st_, st_.Params_Snapshot());
    }
}

}  // namespace tovan
