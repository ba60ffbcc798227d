#pragma once
// The acquisition data shared by the acquisition thread and the GUI:
// the frame record, the four sample arrays, the status values read from
// every frame, the request and error flags and the counters.
//
// Sharing rules:
// - Flags and counters are atomics; each flag has one clearing side.
// - The frame (record, arrays, recorder bytes) and the status values are
//   guarded by Data_Mutex: the decoder holds it while it writes, every
//   reader (drawing, files, calibrations) while it reads or copies.
// - The device parameters are published by the GUI as a whole under
//   Params_Mutex; the thread takes one consistent copy per pass.
// - The parser state is touched by the acquisition thread only.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "common/event.h"
#include "device/protocol.h"
#include "device/usb_link.h"
#include "model/device_params.h"
#include "model/frame.h"
#include "model/status_values.h"

namespace tovan {

inline constexpr int Max_Read_Bytes = 25195;

// Byte-stream parser state, kept across reads (acquisition thread only).
struct Frame_Parser {
    enum class Phase : uint8_t { None, Type, Data, Status };
    Phase phase = Phase::None;
    int32_t data_len = 0;    // L of the current frame
    int32_t data_count = 0;
    int32_t status_count = 0;  // 0..192 status bytes, then the check byte
    uint8_t xor_sum = 0;
    uint8_t prev_xor = 0;
    int32_t repeat_count = 0;
    // Bad frames a new configuration may still see: frames of the old
    // record length that were on their way fail their check byte through
    // no fault of the link (and, alike in content, would even look like a
    // lost FPGA configuration). Reset by each configuration, cleared by the
    // first frame taken with it; a device that keeps failing is still
    // reported once these are used up.
    static constexpr int Reconfig_Grace_Frames = 4;
    int32_t grace_frames = 0;
    std::array<uint8_t, Max_Data_Bytes> data{};
    std::array<uint8_t, 2 * Status_Block_Size> status{};

    // Scratch of the decoder: the raw sample codes and trigger levels of
    // one frame, and the receive buffer of one read.
    std::array<int32_t, Max_Record_Points> raw_codes{};
    std::array<uint8_t, Max_Record_Points> raw_levels{};
    std::array<uint8_t, Max_Read_Bytes> read_buf{};

    // What the decoder last wrote into the shared frame: which object, its
    // record, and the index from which all four arrays were empty. While the
    // frame still carries exactly that record (and was not loaded from a
    // file), only the part of the tail that held samples is emptied again.
    const void* tail_frame = nullptr;
    Frame_Info tail_info{};
    int32_t tail_end = Smpl_Buf_Size;
};

struct Acq_State {
    Acq_State() : Frame(std::make_unique<Frame_Data>()) {}

    // --- link ---------------------------------------------------------
    std::atomic<Dev_Handle> Handle{0};
    std::atomic<Ft_Status> Link_Status{Ft_Device_Not_Found};
    Manual_Reset_Event Rx_Event;

    // --- request and state flags ----------------------------------------
    std::atomic<bool> Redraw_Request{false};
    std::atomic<bool> Config_Request{false};
    std::atomic<bool> FPGA_Load_Request{false};
    std::atomic<bool> FPGA_OK{false};
    std::atomic<bool> Run_State{false};
    std::atomic<bool> Single_State{false};
    // Set by the thread when a single shot completed; the GUI releases
    // SINGLE and clears it.
    std::atomic<bool> Single_Done{false};
    std::atomic<bool> Err_Link_Lost{false};
    std::atomic<bool> Err_FPGA_Config{false};
    std::atomic<bool> Err_Power_Fail{false};
    std::atomic<bool> Err_FPGA_Lost{false};
    std::atomic<bool> Device_Alive{false};
    std::atomic<bool> Activity_Flag{false};
    std::atomic<bool> Frame_Ready{false};
    std::atomic<bool> Shown_Flag{false};
    std::atomic<bool> Rec_Active{false};

    // The run flags change together: the GUI sets both from RUN and SINGLE,
    // the acquisition thread clears both after a single shot. The pair is
    // written under one lock so that a RUN pressed just as a single shot
    // ends is never undone by it; readers load either flag alone.
    void Set_Run_Flags(bool run, bool single) {
        std::lock_guard lock(Run_Mutex);
        Single_State.store(single);
        Run_State.store(run);
    }
    // After a decoded frame: ends a single shot, if one is running.
    bool End_Single_Shot() {
        std::lock_guard lock(Run_Mutex);
        if (!Single_State.load()) return false;
        Single_State.store(false);
        Run_State.store(false);
        Single_Done.store(true);
        return true;
    }

    // --- counters -------------------------------------------------------
    std::atomic<uint32_t> Frames_Received{0};
    std::atomic<uint32_t> Frames_Total{0};
    std::atomic<uint32_t> CRC_Errors{0};
    std::atomic<uint32_t> Frames_Shown{0};

    // --- device commands ------------------------------------------------
    std::atomic<uint8_t> Seq_Counter{0};
    std::atomic<int32_t> FPGA_Version{-1};
    std::atomic<int32_t> Firmware_Version{-1};
    std::atomic<uint8_t> TDC_Set_Rise{0};
    std::atomic<uint8_t> TDC_Set_Fall{0};
    std::array<std::atomic<uint8_t>, 5> Serial_New{};
    std::atomic<bool> TDC_Send_Request{false};
    std::atomic<bool> Serial_Send_Request{false};

    // --- device parameters ---------------------------------------------------
    void Publish_Params(const Device_Params& p) {
        std::lock_guard lock(Params_Mutex);
        Params = p;
    }
    Device_Params Params_Snapshot() const {
        std::lock_guard lock(Params_Mutex);
        return Params;
    }

    // --- frame data (guarded by Data_Mutex) -------------------------------------
    mutable std::mutex Data_Mutex;
    std::unique_ptr<Frame_Data> Frame;
    Status_Values Status;
    // Chart recorder: the new ring bytes of the frames decoded since the
    // last hand-over to the GUI thread, the ring position up to which they
    // were taken (-1: none yet), and which ring that position belongs to:
    // the configuration's sequence number and the ring length. A new
    // configuration restarts the device's ring at 0.
    std::array<uint8_t, Rec_Buffer_Size> Rec_Buffer{};
    int32_t Rec_Count = 0;
    int32_t Rec_Last_Pos = -1;
    int32_t Rec_Seq = -1;
    int32_t Rec_Ring_Len = 0;

    // --- acquisition thread only ---------------------------------------------
    Frame_Parser Parser;

private:
    std::mutex Run_Mutex;
    mutable std::mutex Params_Mutex;
    Device_Params Params;
};

}  // namespace tovan
