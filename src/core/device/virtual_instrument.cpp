#include "device/virtual_instrument.h"

// The bridge side of the virtual instrument: clocks, byte queues, the
// UsbLink calls, faults on request and the event loop that advances the
// device in time. The command intake is in virtual_instrument_commands.cpp,
// the trigger planning in virtual_instrument_trigger.cpp, the frames in
// virtual_instrument_frames.cpp.
#include <algorithm>
#include <cstring>

#include "device/virtual_instrument_time.h"

namespace tovan {

using vi_time::Never;
using vi_time::Ticks_To_Ns;

// ---------------------------------------------------------------------------
// clocks

int64_t Steady_Device_Clock::Now_Ns() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - epoch_)
        .count();
}

void Steady_Device_Clock::Wait_Until(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                                     int64_t deadline_ns) {
    const int64_t now = Now_Ns();
    if (deadline_ns <= now) return;
    constexpr int64_t Max_Wait = 3'600'000'000'000;  // an hour; callers loop
    cv.wait_for(lock, std::chrono::nanoseconds(std::min(deadline_ns - now, Max_Wait)));
}

void Manual_Device_Clock::Wait_Until(std::unique_lock<std::mutex>&, std::condition_variable&,
                                     int64_t deadline_ns) {
    if (deadline_ns == Never) return;  // nothing will happen unless someone acts
    int64_t cur = now_.load();
    while (cur < deadline_ns && !now_.compare_exchange_weak(cur, deadline_ns)) {
    }
}

void Manual_Device_Clock::Advance(std::chrono::nanoseconds d) {
    if (d.count() > 0) now_.fetch_add(d.count());
}

// ---------------------------------------------------------------------------
// byte queue

void Virtual_Instrument::Byte_Queue::Move_To(Byte_Queue& dst, size_t n) {
    n = std::min(n, Size());
    dst.Push(buf.data() + head, n);
    head += n;
    if (head == buf.size()) Clear();
}

void Virtual_Instrument::Byte_Queue::Pop(uint8_t* out, size_t n) {
    n = std::min(n, Size());
    std::memcpy(out, buf.data() + head, n);
    head += n;
    if (head == buf.size()) {
        Clear();
    } else if (head > 65536 && head > buf.size() / 2) {
        buf.erase(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(head));
        head = 0;
    }
}

// ---------------------------------------------------------------------------
// construction

Virtual_Instrument::Virtual_Instrument(std::shared_ptr<Device_Clock> clock, uint64_t seed,
                                       const Device_Calibration& cal)
    : clock_(std::move(clock)), seed_(seed), cal_(cal) {
    regs1_.fill(0);
    regs1_[Reg1_TDC_Rise] = static_cast<uint8_t>(cal_.tdc_rise_stored);
    regs1_[Reg1_TDC_Fall] = static_cast<uint8_t>(cal_.tdc_fall_stored);
    for (int i = 0; i < Serial_Size; ++i) regs1_[static_cast<size_t>(Reg1_Serial + i)] = 0xFF;
    values_.reserve(Max_Record_Points);
    levels_.reserve(Max_Record_Points);
    data_.reserve(Max_Data_Bytes);
    Start_Power(clock_->Now_Ns());
    listed_from_ns_ = clock_->Now_Ns();
    if (!clock_->Is_Manual()) pump_ = std::thread([this] { Pump_Loop(); });
}

Virtual_Instrument::~Virtual_Instrument() {
    {
        std::lock_guard lock(m_);
        stop_ = true;
    }
    cv_.notify_all();
    if (pump_.joinable()) pump_.join();
}

std::unique_ptr<Virtual_Instrument> Make_Virtual_Instrument() {
    return std::make_unique<Virtual_Instrument>(std::make_shared<Steady_Device_Clock>(), 0x70564E31u);
}

void Virtual_Instrument::Start_Power(int64_t now_ns) {
    regs0_.fill(0);
    fpga_loaded_ = configured_ = fpga_lost_ = false;
    cmd_ = Cmd_State::Idle;
    half_ = false;
    cfg_.clear();
    corrupt_left_ = 0;
    out_.Clear();
    last_frame_.clear();
    acq_ = Acquisition{};
    // The controller announces itself once a host has the port open.
    if (handle_ != 0) {
        announce_at_ns_ = now_ns + Announce_Ns;
        announce_on_open_ = false;
    } else {
        announce_on_open_ = true;
    }
}

void Virtual_Instrument::Power_Off() {
    regs0_.fill(0);
    fpga_loaded_ = configured_ = fpga_lost_ = false;
    cmd_ = Cmd_State::Idle;
    out_.Clear();
    rx_.Clear();
    announce_at_ns_ = -1;
}

// ---------------------------------------------------------------------------
// link calls

Ft_Status Virtual_Instrument::Check(Dev_Handle h) const {
    if (h == 0 || h != handle_) return Ft_Invalid_Handle;
    if (!plugged_) return Ft_Io_Error;
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::List_Count(uint32_t* count) {
    if (!count) return Ft_Invalid_Parameter;
    std::lock_guard lock(m_);
    *count = (plugged_ && clock_->Now_Ns() >= listed_from_ns_) ? 1 : 0;
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::List_Location(uint32_t index, uint32_t* location) {
    if (!location) return Ft_Invalid_Parameter;
    std::lock_guard lock(m_);
    if (index != 0 || !plugged_ || clock_->Now_Ns() < listed_from_ns_) return Ft_Device_Not_Found;
    *location = Location_Id;
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::List_Description(uint32_t index, std::string* description) {
    if (!description) return Ft_Invalid_Parameter;
    std::lock_guard lock(m_);
    if (index != 0 || !plugged_ || clock_->Now_Ns() < listed_from_ns_) return Ft_Device_Not_Found;
    *description = Description;
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Open_By_Location(uint32_t location, Dev_Handle* handle) {
    if (!handle) return Ft_Invalid_Parameter;
    {
        std::lock_guard lock(m_);
        const int64_t now = clock_->Now_Ns();
        if (!plugged_ || location != Location_Id || now < listed_from_ns_) return Ft_Device_Not_Found;
        if (handle_ != 0) return Ft_Device_Not_Opened;  // already open
        handle_ = next_handle_++;
        if (next_handle_ == 0) next_handle_ = 1;
        *handle = handle_;
        read_timeout_ms_ = 500;
        event_ = nullptr;
        rx_.Clear();
        out_.Clear();
        link_ns_ = now;
        acq_.restart_pending = true;
        acq_.decided = false;
        if (announce_on_open_) {
            announce_on_open_ = false;
            announce_at_ns_ = now + Announce_Ns;
        }
    }
    cv_.notify_all();
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Close(Dev_Handle h) {
    Ft_Status rc;
    {
        std::lock_guard lock(m_);
        if (h == 0 || h != handle_) return Ft_Invalid_Handle;
        // The driver releases the handle even when the device has gone.
        rc = plugged_ ? Ft_Ok : Ft_Io_Error;
        handle_ = 0;
        event_ = nullptr;
        rx_.Clear();
        out_.Clear();
    }
    cv_.notify_all();
    return rc;
}

Ft_Status Virtual_Instrument::Reset_Device(Dev_Handle h) {
    std::lock_guard lock(m_);
    if (const Ft_Status rc = Check(h)) return rc;
    Advance_To(clock_->Now_Ns());
    rx_.Clear();
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Set_Divisor(Dev_Handle h, uint16_t) {
    std::lock_guard lock(m_);
    return Check(h);
}

Ft_Status Virtual_Instrument::Set_Data_Characteristics(Dev_Handle h, uint8_t, uint8_t, uint8_t) {
    std::lock_guard lock(m_);
    return Check(h);
}

Ft_Status Virtual_Instrument::Set_Flow_Control(Dev_Handle h, uint16_t, uint8_t, uint8_t) {
    std::lock_guard lock(m_);
    return Check(h);
}

Ft_Status Virtual_Instrument::Set_Timeouts(Dev_Handle h, uint32_t read_ms, uint32_t) {
    std::lock_guard lock(m_);
    if (const Ft_Status rc = Check(h)) return rc;
    read_timeout_ms_ = read_ms;
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Set_Latency_Timer(Dev_Handle h, uint8_t ms) {
    std::lock_guard lock(m_);
    if (const Ft_Status rc = Check(h)) return rc;
    if (ms < 1) return Ft_Invalid_Parameter;
    latency_ns_ = int64_t{ms} * 1'000'000;
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Set_Event_Notification(Dev_Handle h, uint32_t mask, Manual_Reset_Event* event) {
    {
        std::lock_guard lock(m_);
        if (const Ft_Status rc = Check(h)) return rc;
        event_ = (mask & Event_Rx_Char) ? event : nullptr;
        Advance_To(clock_->Now_Ns());
        if (event_ && !rx_.Empty()) event_->Set();
    }
    cv_.notify_all();
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Purge(Dev_Handle h, uint32_t mask) {
    std::lock_guard lock(m_);
    if (const Ft_Status rc = Check(h)) return rc;
    Advance_To(clock_->Now_Ns());
    if (mask & Purge_Rx) rx_.Clear();
    return Ft_Ok;  // writes reach the device at once: nothing to purge on the way out
}

Ft_Status Virtual_Instrument::Get_Queue_Status(Dev_Handle h, uint32_t* rx_bytes) {
    if (!rx_bytes) return Ft_Invalid_Parameter;
    std::lock_guard lock(m_);
    if (const Ft_Status rc = Check(h)) return rc;
    Advance_To(clock_->Now_Ns());
    *rx_bytes = static_cast<uint32_t>(rx_.Size());
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Get_Status(Dev_Handle h, uint32_t* rx_bytes, uint32_t* tx_bytes,
                                         uint32_t* event_status) {
    if (!rx_bytes || !tx_bytes || !event_status) return Ft_Invalid_Parameter;
    std::lock_guard lock(m_);
    if (const Ft_Status rc = Check(h)) return rc;
    Advance_To(clock_->Now_Ns());
    *rx_bytes = static_cast<uint32_t>(rx_.Size());
    *tx_bytes = 0;
    *event_status = rx_.Empty() ? 0u : static_cast<uint32_t>(Event_Rx_Char);
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Read(Dev_Handle h, uint8_t* buffer, uint32_t count, uint32_t* got) {
    if (!got) return Ft_Invalid_Parameter;
    *got = 0;
    if (count > 0 && !buffer) return Ft_Invalid_Parameter;
    std::unique_lock lock(m_);
    if (const Ft_Status rc = Check(h)) return rc;
    const int64_t deadline = clock_->Now_Ns() + int64_t{read_timeout_ms_} * 1'000'000;
    for (;;) {
        const int64_t now = clock_->Now_Ns();
        Advance_To(now);
        if (rx_.Size() >= count || now >= deadline) break;
        // Sleep until the missing bytes can be there (or the time-out).
        int64_t wake = Next_Event_Ns(now);
        if (!out_.Empty() && Streaming()) {
            const size_t missing = count - rx_.Size();
            const size_t from_out = std::min(missing, out_.Size());
            wake = std::max(wake, link_ns_ + static_cast<int64_t>(from_out) * ns_per_byte_);
        }
        wake = std::min(std::max(wake, now + 1'000'000), deadline);
        clock_->Wait_Until(lock, cv_, wake);
        if (const Ft_Status rc = Check(h)) return rc;
    }
    const size_t n = std::min<size_t>(count, rx_.Size());
    rx_.Pop(buffer, n);
    *got = static_cast<uint32_t>(n);
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Write(Dev_Handle h, const uint8_t* buffer, uint32_t count, uint32_t* written) {
    if (!written) return Ft_Invalid_Parameter;
    *written = 0;
    if (count > 0 && !buffer) return Ft_Invalid_Parameter;
    {
        std::lock_guard lock(m_);
        if (const Ft_Status rc = Check(h)) return rc;
        const int64_t now = clock_->Now_Ns();
        Advance_To(now);
        for (uint32_t i = 0; i < count; ++i) Feed(buffer[i], now);
        Advance_To(now);
        *written = count;
    }
    cv_.notify_all();
    return Ft_Ok;
}

Ft_Status Virtual_Instrument::Cycle_Port(Dev_Handle h) {
    {
        std::lock_guard lock(m_);
        if (const Ft_Status rc = Check(h)) return rc;
        const int64_t now = clock_->Now_Ns();
        handle_ = 0;
        event_ = nullptr;
        rx_.Clear();
        out_.Clear();
        listed_from_ns_ = now + Re_Enum_Ns;
        // The controller restarts with the bridge; the FPGA keeps its image
        // and registers.
        cmd_ = Cmd_State::Idle;
        announce_on_open_ = true;
        announce_at_ns_ = -1;
    }
    cv_.notify_all();
    return Ft_Ok;
}

// ---------------------------------------------------------------------------
// faults and time

void Virtual_Instrument::Unplug() {
    {
        std::lock_guard lock(m_);
        plugged_ = false;
        Power_Off();
    }
    cv_.notify_all();
}

void Virtual_Instrument::Replug() {
    {
        std::lock_guard lock(m_);
        if (plugged_) return;
        const int64_t now = clock_->Now_Ns();
        plugged_ = true;
        handle_ = 0;  // the old handle belongs to the departed device
        event_ = nullptr;
        listed_from_ns_ = now + Re_Enum_Ns;
        Start_Power(now);
    }
    cv_.notify_all();
}

void Virtual_Instrument::Power_Cycle() {
    {
        std::lock_guard lock(m_);
        if (!plugged_) return;
        const int64_t now = clock_->Now_Ns();
        Advance_To(now);
        Start_Power(now);
    }
    cv_.notify_all();
}

void Virtual_Instrument::Corrupt_Check_Bytes(int count) {
    std::lock_guard lock(m_);
    corrupt_left_ = std::max(0, count);
}

void Virtual_Instrument::Lose_FPGA_Config() {
    {
        std::lock_guard lock(m_);
        if (!plugged_ || !fpga_loaded_) return;
        const int64_t now = clock_->Now_Ns();
        Advance_To(now);
        fpga_lost_ = true;
        configured_ = false;
        Build_Frozen_Frame();
        next_lost_ns_ = now;
    }
    cv_.notify_all();
}

void Virtual_Instrument::Set_Slow_Link(bool slow) {
    {
        std::lock_guard lock(m_);
        Advance_To(clock_->Now_Ns());
        ns_per_byte_ = slow ? Slow_Link_Ns_Per_Byte : Link_Ns_Per_Byte;
    }
    cv_.notify_all();
}

void Virtual_Instrument::Advance(std::chrono::nanoseconds d) {
    auto* manual = dynamic_cast<Manual_Device_Clock*>(clock_.get());
    if (!manual) return;
    manual->Advance(d);
    {
        std::lock_guard lock(m_);
        Advance_To(clock_->Now_Ns());
    }
    cv_.notify_all();
}

Sleep_Fn Virtual_Instrument::Virtual_Sleep() {
    return [this](int ms) { Advance(std::chrono::milliseconds(ms)); };
}

bool Virtual_Instrument::FPGA_Loaded() const {
    std::lock_guard lock(m_);
    return fpga_loaded_;
}

bool Virtual_Instrument::Configured() const {
    std::lock_guard lock(m_);
    return configured_;
}

uint8_t Virtual_Instrument::Register(int bank, int reg) const {
    std::lock_guard lock(m_);
    if (bank == 0 && reg >= 0 && reg < Bank0_Size) return regs0_[static_cast<size_t>(reg)];
    if (bank == 1 && reg >= 0 && reg < Bank1_Size) return regs1_[static_cast<size_t>(reg)];
    return 0;
}

uint64_t Virtual_Instrument::Frames_Built() const {
    std::lock_guard lock(m_);
    return frames_built_;
}

void Virtual_Instrument::Keep_Scroll_Record(bool on) {
    std::lock_guard lock(m_);
    keep_scroll_ = on;
    if (on) scroll_ = Scroll_Record{};
}

Virtual_Instrument::Scroll_Record Virtual_Instrument::Scroll_Samples() const {
    std::lock_guard lock(m_);
    return scroll_;
}

void Virtual_Instrument::Advance_To(int64_t now) {
    if (!plugged_) return;
    if (handle_ == 0) {
        // Nobody listens: the output is lost and the device waits.
        link_ns_ = now;
        acq_.restart_pending = configured_;
        return;
    }
    if (announce_at_ns_ >= 0 && announce_at_ns_ <= now) {
        const uint8_t marker[2] = {Frame_Start, Frame_Type_Startup};
        if (out_.Empty()) link_ns_ = std::max(link_ns_, announce_at_ns_);
        out_.Push(marker, 2);
        announce_at_ns_ = -1;
    }
    bool moved = false;
    for (;;) {
        if (out_.Empty()) {
            if (!Streaming() || rx_.Size() >= Rx_Capacity) break;
            if (!Plan(now) || acq_.ready_ns > now) break;
            link_ns_ = std::max(link_ns_, acq_.ready_ns);
            if (fpga_lost_) {
                out_.Push(frozen_frame_.data(), frozen_frame_.size());
                next_lost_ns_ = acq_.ready_ns + Lost_Repeat_Ns;
            } else {
                Build_Frame_Now();
            }
        }
        if (rx_.Size() >= Rx_Capacity) {
            link_ns_ = std::max(link_ns_, now);  // the link stalls
            break;
        }
        if (link_ns_ > now) break;
        int64_t n = (now - link_ns_) / ns_per_byte_;
        n = std::min<int64_t>(n, static_cast<int64_t>(out_.Size()));
        n = std::min<int64_t>(n, static_cast<int64_t>(Rx_Capacity - rx_.Size()));
        if (n <= 0) break;
        out_.Move_To(rx_, static_cast<size_t>(n));
        link_ns_ += n * ns_per_byte_;
        moved = true;
    }
    if (out_.Empty() && link_ns_ < now && !Streaming()) link_ns_ = now;
    if (moved && event_) event_->Set();
}

int64_t Virtual_Instrument::Next_Event_Ns(int64_t now) {
    if (!plugged_ || handle_ == 0) return Never;
    int64_t next = announce_at_ns_ >= 0 ? announce_at_ns_ : Never;
    if (!out_.Empty()) {
        if (rx_.Size() >= Rx_Capacity) return next;  // waits for a reader
        return std::min(next, std::max(link_ns_ + ns_per_byte_, now));
    }
    if (!Streaming() || rx_.Size() >= Rx_Capacity) return next;
    // Look a little ahead: the signal is known, so the search may run ahead
    // of the clock; nothing is sent before its time.
    constexpr int64_t Look_Ahead = 20'000'000;
    if (Plan(now + Look_Ahead)) return std::min(next, std::max(acq_.ready_ns, now));
    if (!fpga_lost_ && !acq_.setup.roll && !acq_.setup.auto_mode && acq_.setup.trig_n != 0 &&
        !acq_.can_trigger)
        return next;  // waits for a trigger that cannot come
    return std::min(next, now + Look_Ahead);
}

void Virtual_Instrument::Pump_Loop() {
    std::unique_lock lock(m_);
    while (!stop_) {
        const int64_t now = clock_->Now_Ns();
        Advance_To(now);
        int64_t wake = event_ ? Next_Event_Ns(now) : Never;
        if (wake != Never) wake = std::max(wake, now + latency_ns_);
        if (wake == Never) {
            cv_.wait(lock);
        } else {
            clock_->Wait_Until(lock, cv_, wake);
        }
    }
}

}  // namespace tovan
