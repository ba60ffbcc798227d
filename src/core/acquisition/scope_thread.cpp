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
        sent_params_ = st_.Params_Snapshot();
        config_sent_ = true;
        Send_Config(link_, st_, sent_params_);
    } else {
        Receive_Step(link_, st_, Receive_Params());
    }
}

// Apply_Settings publishes new parameters before it asks for the
// configuration, and frames of the old configuration keep coming until the
// block has gone out: they are cut and decoded with the parameters of the
// last block sent. Only what no block carries (host-side choices such as
// the Scroll view and the time-base correction) follows the newest
// published parameters at once. Before the first block there is nothing
// better than the published ones.
Device_Params Scope_Thread::Receive_Params() const {
    const Device_Params published = st_.Params_Snapshot();
    if (!config_sent_) return published;
    Device_Params p = sent_params_;
    p.Lenta = published.Lenta;
    p.Frame_PPM = published.Frame_PPM;
    return p;
}

}  // namespace tovan
