#include "acquisition/link_supervisor.h"

#include <algorithm>

#include "i18n/supervision_texts.h"

namespace tovan {

Prompt_Answer Link_Supervisor::Ask(int code, Prompt_Buttons buttons) {
    const bool ru = env_.lang_russian();
    return env_.prompts->Message_Box(Txt_Supervision_Title(ru), Txt_Supervision_Messages[code - 1](ru),
                                     Prompt_Icon::Warning, buttons);
}

void Link_Supervisor::Close_Device() { env_.link->Close(env_.state->Handle.load()); }

void Link_Supervisor::Timer1Timer() {
    Acq_State& st = *env_.state;

    // 1-2. Per-second figures; the redraw shows them within 20 ms.
    fps_shown_ = st.Frames_Shown.exchange(0);
    const uint32_t received = st.Frames_Received.exchange(0);
    // Every shown frame was received, but the frame waiting for the screen
    // at a tick is received in one second and shown in the next: that
    // second would show one lost frame less than none. The surplus (at
    // most that one frame) is owed to the next second instead.
    const int64_t lost = int64_t{received} - fps_shown_ + shown_ahead_;
    shown_ahead_ = std::max<int64_t>(std::min<int64_t>(lost, 0), -1);
    fps_received_ = fps_shown_ + static_cast<uint32_t>(std::max<int64_t>(lost, 0));
    crc_errors_ps_ = st.CRC_Errors.exchange(0);
    st.Redraw_Request.store(true);

    // 4. Message boxes run a nested event loop: never re-enter.
    if (supervise_busy_) return;
    supervise_busy_ = true;
    env_.set_busy(true);

    // 5. Link check.
    uint32_t queued = 0;
    const Ft_Status rc = env_.link->Get_Queue_Status(st.Handle.load(), &queued);
    st.Link_Status.store(rc);
    if (rc != Ft_Ok && st.FPGA_OK.load()) st.Err_Link_Lost.store(true);

    // 6. Warnings and questions; only the last reply counts.
    const bool no_msg = env_.no_msg();
    Prompt_Answer answer = Prompt_Answer::Yes;
    if (!no_msg) {
        if (crc_errors_ps_ > 2) Ask(5, Prompt_Buttons::Ok);
        const std::atomic<bool>* flags[4] = {&st.Err_Link_Lost, &st.Err_FPGA_Config,
                                             &st.Err_Power_Fail, &st.Err_FPGA_Lost};
        for (int i = 0; i < 4; ++i)
            if (flags[i]->load()) answer = Ask(i + 1, Prompt_Buttons::Yes_No);
    }

    // 7-9. Recovery.
    const bool any_error = st.Err_Link_Lost.load() || st.Err_FPGA_Config.load() ||
                           st.Err_Power_Fail.load() || st.Err_FPGA_Lost.load();
    if (any_error) {
        st.FPGA_OK.store(false);
        st.Err_Link_Lost.store(false);
        st.Err_FPGA_Config.store(false);
        st.Err_Power_Fail.store(false);
        st.Err_FPGA_Lost.store(false);
        if (answer == Prompt_Answer::No) {
            Close_Device();
            env_.release_buttons();
        } else {
            st.Device_Alive.store(false);
            st.FPGA_Load_Request.store(false);
            env_.link->Cycle_Port(st.Handle.load());
            env_.wait_ms(1500);
            const Ft_Status open_rc = env_.open_device();
            st.Link_Status.store(open_rc);
            if (open_rc != Ft_Ok) {
                Close_Device();
                env_.usb_error_box(open_rc);
                env_.release_buttons();
            } else {
                if (!no_msg) env_.wait_ms(1200);
                if (st.Device_Alive.load() || no_msg) {
                    // What was seen during the waits came from the device
                    // before its reload: this recovery answers it.
                    st.Err_Link_Lost.store(false);
                    st.Err_FPGA_Config.store(false);
                    st.Err_Power_Fail.store(false);
                    st.Err_FPGA_Lost.store(false);
                    st.CRC_Errors.store(0);
                    st.FPGA_Load_Request.store(true);
                    env_.apply_settings();
                } else {
                    Ask(6, Prompt_Buttons::Ok);
                    Close_Device();
                    env_.release_buttons();
                }
            }
        }
    }

    supervise_busy_ = false;
    env_.set_busy(false);
}

}  // namespace tovan
