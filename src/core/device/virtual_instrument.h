#pragma once
// The virtual instrument: a software model of the device side of the USB
// protocol behind the UsbLink interface. It lists one "Digital
// Oscilloscope", takes the FPGA image and configuration blocks, and
// streams acquisition frames of the generator's output looped back to the
// scope input, at the pace the configured record takes in real time and
// never faster than the link. It serves demos, the run command without
// hardware and the end-to-end tests.
//
// Time comes from an injectable clock. With the steady clock frames appear
// as time passes (a helper thread sets the receive event when bytes are
// due; nothing polls); with the manual clock tests advance time themselves
// and every blocking wait jumps the clock instead of sleeping.
//
// Decisions where real hardware leaves a choice:
// - The FPGA takes exactly 45,468 image bytes; the acknowledgement goes out
//   when the last one arrives. A shorter image leaves the FPGA waiting
//   (no answer); an image without the sync header is never acknowledged.
// - A port reset re-enumerates the bridge (the old handle goes stale, the
//   device is listed again after a short delay) but does not power-cycle the
//   FPGA: its image and registers stay. The device's controller restarts
//   with the bridge and announces itself with the start-up marker shortly
//   after the port is opened again, as it does after power-on.
// - While no handle is open the device's output is discarded.
// - The external-trigger input is re-timed by a comparator whose delay
//   wanders against the sample clock: each frame it triggers finds its
//   edge a fortieth of a sample later than the one before (modulo a
//   sample), so any forty such frames in a row show the whole range of
//   fine times, the top of the scale included.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/device_commands.h"
#include "device/protocol.h"
#include "device/usb_link.h"
#include "device/virtual_signal.h"

namespace tovan {

// Time source of the virtual instrument, in nanoseconds.
class Device_Clock {
public:
    virtual ~Device_Clock() = default;
    virtual int64_t Now_Ns() const = 0;
    // Waits, with `lock` held on entry and on return, until the clock reaches
    // `deadline_ns` or `cv` is notified (early returns are allowed).
    virtual void Wait_Until(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                            int64_t deadline_ns) = 0;
    virtual bool Is_Manual() const = 0;
};

// The real steady clock.
class Steady_Device_Clock final : public Device_Clock {
public:
    Steady_Device_Clock() : epoch_(std::chrono::steady_clock::now()) {}
    int64_t Now_Ns() const override;
    void Wait_Until(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                    int64_t deadline_ns) override;
    bool Is_Manual() const override { return false; }

private:
    std::chrono::steady_clock::time_point epoch_;
};

// A clock that moves only when told to. A wait moves it to the deadline at
// once: the waiting party has "slept" that long.
class Manual_Device_Clock final : public Device_Clock {
public:
    int64_t Now_Ns() const override { return now_.load(); }
    void Wait_Until(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                    int64_t deadline_ns) override;
    bool Is_Manual() const override { return true; }
    void Advance(std::chrono::nanoseconds d);

private:
    std::atomic<int64_t> now_{0};
};

class Virtual_Instrument final : public UsbLink {
public:
    static constexpr uint32_t Location_Id = 0x0141;
    static constexpr const char* Description = Instrument_Description;
    static constexpr int64_t Link_Ns_Per_Byte = 1000;        // about 1 MB/s
    static constexpr int64_t Slow_Link_Ns_Per_Byte = 10000;  // about 100 kB/s
    static constexpr size_t Rx_Capacity = 256 * 1024;        // driver receive buffer
    static constexpr int64_t Re_Enum_Ns = 300'000'000;       // port reset / plug-in to listing
    static constexpr int64_t Announce_Ns = 50'000'000;       // controller start to start-up marker
    static constexpr int64_t Auto_Timeout_Ns = 100'000'000;  // auto trigger
    static constexpr int64_t Roll_Interval_Ns = 50'000'000;  // roll frame period
    static constexpr int64_t Lost_Repeat_Ns = 20'000'000;    // frame repeat of a lost FPGA
    static constexpr int64_t FM_Gate_Ticks = 50'000'000;     // nominal gate, 0.5 s

    explicit Virtual_Instrument(std::shared_ptr<Device_Clock> clock, uint64_t seed = 1,
                                const Device_Calibration& cal = {});
    ~Virtual_Instrument() override;
    Virtual_Instrument(const Virtual_Instrument&) = delete;
    Virtual_Instrument& operator=(const Virtual_Instrument&) = delete;

    // --- UsbLink -------------------------------------------------------
    Ft_Status List_Count(uint32_t* count) override;
    Ft_Status List_Location(uint32_t index, uint32_t* location) override;
    Ft_Status List_Description(uint32_t index, std::string* description) override;
    Ft_Status Open_By_Location(uint32_t location, Dev_Handle* handle) override;
    Ft_Status Close(Dev_Handle h) override;
    Ft_Status Reset_Device(Dev_Handle h) override;
    Ft_Status Set_Divisor(Dev_Handle h, uint16_t divisor) override;
    Ft_Status Set_Data_Characteristics(Dev_Handle h, uint8_t bits, uint8_t stop,
                                       uint8_t parity) override;
    Ft_Status Set_Flow_Control(Dev_Handle h, uint16_t mode, uint8_t xon, uint8_t xoff) override;
    Ft_Status Set_Timeouts(Dev_Handle h, uint32_t read_ms, uint32_t write_ms) override;
    Ft_Status Set_Latency_Timer(Dev_Handle h, uint8_t ms) override;
    Ft_Status Set_Event_Notification(Dev_Handle h, uint32_t mask, Manual_Reset_Event* event) override;
    Ft_Status Purge(Dev_Handle h, uint32_t mask) override;
    Ft_Status Get_Queue_Status(Dev_Handle h, uint32_t* rx_bytes) override;
    Ft_Status Get_Status(Dev_Handle h, uint32_t* rx_bytes, uint32_t* tx_bytes,
                         uint32_t* event_status) override;
    Ft_Status Read(Dev_Handle h, uint8_t* buffer, uint32_t count, uint32_t* got) override;
    Ft_Status Write(Dev_Handle h, const uint8_t* buffer, uint32_t count, uint32_t* written) override;
    Ft_Status Cycle_Port(Dev_Handle h) override;

    // --- faults ------------------------------------------------------------
    void Unplug();   // every call fails, the device is not listed, power is gone
    void Replug();   // powered again, listed after re-enumeration; old handles stale
    void Power_Cycle();  // FPGA and configuration forgotten, start-up marker follows
    void Corrupt_Check_Bytes(int count);  // the next `count` frames carry bad check bytes
    void Lose_FPGA_Config();  // one frame repeats with a bad check byte until reloaded
    void Set_Slow_Link(bool slow);  // about 100 kB/s instead of 1 MB/s

    // --- time (manual clock only; no effect on the steady clock) -------------
    void Advance(std::chrono::nanoseconds d);
    // A sleep for Load_FPGA and the like that advances the manual clock.
    Sleep_Fn Virtual_Sleep();

    // --- inspection ----------------------------------------------------------
    bool FPGA_Loaded() const;
    bool Configured() const;
    uint8_t Register(int bank, int reg) const;
    uint64_t Frames_Built() const;
    int64_t Now_Ns() const { return clock_->Now_Ns(); }

    // --- record of the scroll samples sent (tests) -----------------------------
    // Each roll frame carries the whole ring; the samples new in it are those
    // written since the previous roll frame of the same acquisition (a new
    // configuration starts the ring again). The record keeps them in the
    // order sent, as the ring holds them (a peak-detect point is its two
    // bytes), and where each frame's share ends.
    struct Scroll_Record {
        std::vector<uint8_t> bytes;
        std::vector<size_t> frame_ends;  // bytes.size() after each roll frame
    };
    // Starts (or stops) keeping the samples; a start empties the record.
    void Keep_Scroll_Record(bool on);
    Scroll_Record Scroll_Samples() const;

private:
    struct Byte_Queue {
        std::vector<uint8_t> buf;
        size_t head = 0;
        size_t Size() const { return buf.size() - head; }
        bool Empty() const { return head == buf.size(); }
        void Clear() { buf.clear(); head = 0; }
        void Push(const uint8_t* p, size_t n) { buf.insert(buf.end(), p, p + n); }
        void Move_To(Byte_Queue& dst, size_t n);
        void Pop(uint8_t* out, size_t n);
    };

    // What the registers say about the acquisition.
    struct Acq_Setup {
        int n = 0;         // values per frame
        int vpp = 1;       // values per point: 2 for peak-detect pairs
        int m = 0;         // points per frame
        int pre_pts = 0;   // points before the trigger
        int post_values = 0;
        uint64_t divider = 1;  // ticks per point
        uint8_t flags = 0;
        bool roll = false, peak = false, ext_bits = false, ext_src = false, falling = false,
             auto_mode = false;
        int trig_n = 0;
        uint8_t thr_lo = 0, thr_hi = 255;
        uint8_t fm_input = 0;
    };

    struct Acquisition {
        Acq_Setup setup;
        Signal_Model sig;
        std::array<uint8_t, 64> regs{};  // bank 0 at the start of the acquisition
        bool can_trigger = false;
        int64_t start_tick = 0;
        bool restart_pending = false;  // start when the link is free again
        // trigger search
        int64_t next_pt = 0;
        int first_fire = 0;
        int trig_idx = 0;
        bool armed = false;
        int edges = 0;
        int prev_level = -1;
        // decided frame
        bool decided = false;
        bool triggered = false;
        int64_t rec_start_tick = 0;
        int64_t ready_ns = 0;
        int tdc_fine = 0;
        // roll
        int64_t roll_origin_tick = 0;
        int64_t next_roll_ns = 0;
        int64_t roll_sent = 0;  // points of the ring already in a frame
    };

    enum class Cmd_State : uint8_t { Idle, Config, Image };

    Ft_Status Check(Dev_Handle h) const;
    void Advance_To(int64_t now);
    int64_t Next_Event_Ns(int64_t now);
    bool Plan(int64_t limit_ns);  // decides the next frame if possible by `limit_ns`
    void Search_Trigger(int64_t limit_tick);
    void Build_Frame_Now();
    void Build_Frozen_Frame();
    void Fill_Status(Status_Block& st, uint16_t pos_word, bool untriggered, int fine,
                     uint64_t frame_no) const;
    void Restart_Acquisition(int64_t now_ns);
    void Start_Power(int64_t now_ns);
    void Power_Off();
    void Feed(uint8_t b, int64_t now_ns);
    void Apply_Config(int64_t now_ns);
    bool Streaming() const;
    void Pump_Loop();

    std::shared_ptr<Device_Clock> clock_;
    const uint64_t seed_;
    const Device_Calibration cal_;

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::thread pump_;
    bool stop_ = false;

    // bridge and port
    bool plugged_ = true;
    Dev_Handle handle_ = 0;
    Dev_Handle next_handle_ = 0x1001;
    int64_t listed_from_ns_ = 0;
    bool announce_on_open_ = true;
    int64_t announce_at_ns_ = -1;
    uint32_t read_timeout_ms_ = 500;
    int64_t latency_ns_ = 16'000'000;
    Manual_Reset_Event* event_ = nullptr;
    Byte_Queue rx_;
    Byte_Queue out_;  // device output waiting for the link
    int64_t link_ns_ = 0;
    int64_t ns_per_byte_ = Link_Ns_Per_Byte;

    // device
    Cmd_State cmd_ = Cmd_State::Idle;
    bool half_ = false;
    uint8_t lo_nibble_ = 0;
    std::vector<uint8_t> cfg_;
    size_t image_count_ = 0;
    bool image_header_ok_ = false;
    bool fpga_loaded_ = false;
    bool configured_ = false;
    bool fpga_lost_ = false;
    std::vector<uint8_t> last_frame_;
    std::vector<uint8_t> frozen_frame_;
    int64_t next_lost_ns_ = 0;
    int corrupt_left_ = 0;
    int prev_xor_ = -1;
    std::array<uint8_t, 64> regs0_{};
    std::array<uint8_t, 32> regs1_{};  // controller memory: kept through power cycles
    Acquisition acq_;
    uint64_t frames_built_ = 0;
    uint64_t ext_edges_ = 0;  // external-trigger edges that started a frame
    bool keep_scroll_ = false;
    Scroll_Record scroll_;
    std::vector<uint8_t> values_;  // scratch
    std::vector<uint8_t> levels_;  // scratch
    std::vector<uint8_t> data_;    // scratch
};

// The instrument as the application uses it: the steady clock, a fixed seed.
std::unique_ptr<Virtual_Instrument> Make_Virtual_Instrument();

}  // namespace tovan
