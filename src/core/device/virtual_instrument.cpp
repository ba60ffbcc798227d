#include "device/virtual_instrument.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>

#include "device/fpga_image.h"
#include "device/frame_builder.h"

namespace tovan {
namespace {

constexpr int64_t Never = std::numeric_limits<int64_t>::max();

int64_t Ticks_To_Ns(int64_t ticks) { return ticks > Never / 10 ? Never : ticks * 10; }

uint8_t Bad_Check(uint8_t good, uint8_t flip) {
    uint8_t bad = static_cast<uint8_t>(good ^ flip);
    if (bad == Frame_Start || bad == good) bad = static_cast<uint8_t>(good ^ 0x02);
    if (bad == Frame_Start) bad = static_cast<uint8_t>(good ^ 0x04);
    return bad;
}

}  // namespace

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
    regs1_[Reg1_TDC_Rise] = static_cast<uint8_t>(cal_.tdc_rise_steps);
    regs1_[Reg1_TDC_Fall] = static_cast<uint8_t>(cal_.tdc_fall_steps);
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

// ---------------------------------------------------------------------------
// command parser

void Virtual_Instrument::Feed(uint8_t b, int64_t now_ns) {
    if (!plugged_) return;
    if (b > Nibble_Max) {
        // A command byte ends whatever was in progress; an unfinished image
        // leaves the FPGA unconfigured, an unfinished block is dropped.
        half_ = false;
        cfg_.clear();
        if (b == Cmd_Config) {
            cmd_ = Cmd_State::Config;
        } else if (b == Cmd_FPGA) {
            cmd_ = Cmd_State::Image;
            image_count_ = 0;
            image_header_ok_ = true;
            fpga_loaded_ = configured_ = fpga_lost_ = false;
            regs0_.fill(0);
            out_.Clear();
            acq_ = Acquisition{};
        } else {
            cmd_ = Cmd_State::Idle;
        }
        return;
    }
    if (cmd_ == Cmd_State::Idle) return;
    if (!half_) {
        lo_nibble_ = b;
        half_ = true;
        return;
    }
    half_ = false;
    const uint8_t byte = static_cast<uint8_t>(lo_nibble_ | (b << 4));
    if (cmd_ == Cmd_State::Image) {
        if (image_count_ < sizeof(FPGA_Sync_Header) && byte != FPGA_Sync_Header[image_count_])
            image_header_ok_ = false;
        if (++image_count_ == FPGA_Image_Size) {
            cmd_ = Cmd_State::Idle;
            if (image_header_ok_) {
                fpga_loaded_ = true;
                const uint8_t ack[5] = {FPGA_Ack[0], FPGA_Ack[1], FPGA_Ack[2], cal_.fpga_version,
                                        cal_.firmware_version};
                if (out_.Empty()) link_ns_ = std::max(link_ns_, now_ns);
                out_.Push(ack, sizeof ack);
            }
        }
        return;
    }
    cfg_.push_back(byte);
    if (cfg_.size() == 1 && byte < 2) {  // no room for a section count
        cmd_ = Cmd_State::Idle;
        cfg_.clear();
        return;
    }
    if (cfg_.size() == size_t{cfg_[0]} + 1) {
        Apply_Config(now_ns);
        cmd_ = Cmd_State::Idle;
        cfg_.clear();
    }
}

void Virtual_Instrument::Apply_Config(int64_t now_ns) {
    const size_t n = cfg_[0];
    uint8_t x = 0;
    for (size_t i = 0; i < n; ++i) x ^= cfg_[i];
    if (x != cfg_[n]) return;
    // Validate every section before touching a register.
    struct Section {
        uint8_t count, bank, first;
        size_t at;
    };
    std::array<Section, 32> sections{};
    const size_t section_count = cfg_[1];
    if (section_count > sections.size()) return;
    size_t pos = 2;
    for (size_t s = 0; s < section_count; ++s) {
        if (pos + 3 > n) return;
        const Section sec{cfg_[pos], cfg_[pos + 1], cfg_[pos + 2], pos + 3};
        const size_t limit = sec.bank == 0 ? Bank0_Size : sec.bank == 1 ? Bank1_Size : 0;
        if (size_t{sec.first} + sec.count > limit || sec.at + sec.count > n) return;
        sections[s] = sec;
        pos = sec.at + sec.count;
    }
    if (pos != n) return;
    if (!fpga_loaded_ || fpga_lost_) return;  // no FPGA to take the registers
    for (size_t s = 0; s < section_count; ++s) {
        const Section& sec = sections[s];
        uint8_t* regs = sec.bank == 0 ? regs0_.data() : regs1_.data();
        std::memcpy(regs + sec.first, &cfg_[sec.at], sec.count);
    }
    configured_ = true;
    Restart_Acquisition(now_ns);
}

// ---------------------------------------------------------------------------
// acquisition

void Virtual_Instrument::Restart_Acquisition(int64_t now_ns) {
    const auto& r = regs0_;
    Acquisition a;
    a.regs = regs0_;
    Acq_Setup& s = a.setup;
    s.flags = r[Reg_Trig_Flags];
    s.divider = uint64_t{r[Reg_Divider]} | uint64_t{r[Reg_Divider + 1]} << 8 |
                uint64_t{r[Reg_Divider + 2]} << 16 | uint64_t{r[Reg_Divider_Top]} << 24;
    if (s.divider == 0) s.divider = 1;
    const int pre = r[Reg_Pre_Count] | r[Reg_Pre_Count + 1] << 8;
    const int post = r[Reg_Post_Count] | r[Reg_Post_Count + 1] << 8;
    s.n = std::min(pre + post, Max_Record_Points);
    s.peak = (s.flags & F_One_Value) == 0;
    s.vpp = s.peak ? 2 : 1;
    s.m = s.n / s.vpp;
    s.pre_pts = std::min(pre, s.n) / s.vpp;
    s.post_values = s.n - std::min(pre, s.n);
    s.roll = (s.flags & F_Roll) != 0;
    s.ext_bits = (s.flags & F_Trig_Bits) != 0;
    s.falling = (s.flags & F_Falling) != 0;
    s.ext_src = (s.flags & F_External) != 0;
    s.auto_mode = (s.flags & F_Auto) != 0;
    s.thr_lo = r[Reg_Thr_Low];
    s.thr_hi = r[Reg_Thr_High];
    s.trig_n = r[Reg_Trig_Mode];
    s.fm_input = r[Reg_FM_Input] & 3;

    Signal_Setup sig;
    sig.gen_mode = r[Reg_Gen_Mode];
    sig.word1 = 0;
    sig.word2 = 0;
    for (int i = 0; i < 5; ++i) {
        sig.word1 |= uint64_t{r[static_cast<size_t>(Reg_Gen_Word1 + i)]} << (8 * i);
        sig.word2 |= uint64_t{r[static_cast<size_t>(Reg_Gen_Word2 + i)]} << (8 * i);
    }
    sig.ampl_code = uint32_t{r[Reg_Gen_Ampl + 1]} * 4 + (r[Reg_Gen_Ampl] >> 6);
    sig.mod_word = uint32_t{r[Reg_Mod_Word]} | uint32_t{r[Reg_Mod_Word + 1]} << 8 |
                   uint32_t{r[Reg_Mod_Word + 2]} << 16;
    sig.gain_byte = r[Reg_Gain];
    sig.offset_dac = static_cast<uint16_t>(r[Reg_Offset_DAC] | r[Reg_Offset_DAC + 1] << 8);
    a.sig = Signal_Model(sig, cal_, seed_);
    a.sig.Set_Sweep(No_Sweep, std::max<uint64_t>(s.divider / static_cast<uint64_t>(s.vpp), 1),
                    static_cast<uint32_t>(s.post_values));

    if (s.ext_src) {
        a.can_trigger = a.sig.Ext_Toggles();
    } else {
        uint8_t lo = 0, hi = 0;
        a.sig.Code_Bounds(lo, hi);
        a.can_trigger = lo < s.thr_lo && hi > s.thr_hi;
    }
    a.trig_idx = s.m > 0 ? std::min(s.pre_pts + 1, s.m - 1) : 0;
    a.first_fire = a.trig_idx;
    a.start_tick = now_ns / 10;
    a.next_pt = std::max(a.first_fire - 1, 0);
    a.roll_origin_tick = now_ns / 10;
    a.next_roll_ns = now_ns + Roll_Interval_Ns;
    acq_ = std::move(a);
}

bool Virtual_Instrument::Streaming() const {
    return plugged_ && handle_ != 0 && (fpga_lost_ || (fpga_loaded_ && configured_ && acq_.setup.m > 0));
}

void Virtual_Instrument::Search_Trigger(int64_t limit_tick) {
    Acquisition& a = acq_;
    const Acq_Setup& s = a.setup;
    const int64_t d = static_cast<int64_t>(s.divider);
    const int need = std::max(s.trig_n, 1);
    // Bounded work per call: a search that has fallen far behind the clock
    // resumes near it, re-arming from there (a slow trigger is missed, as
    // if it had not come).
    constexpr int64_t Max_Points = 4'000'000;
    if ((limit_tick - a.start_tick) / d - a.next_pt > Max_Points) {
        a.next_pt = std::max<int64_t>(a.next_pt, (limit_tick - a.start_tick) / d - Max_Points / 2);
        a.armed = false;
        a.prev_level = -1;
    }
    const bool skip = a.sig.Has_Bins() && !s.peak;
    for (;;) {
        const int64_t t = a.start_tick + a.next_pt * d;
        if (t > limit_tick) return;
        if (skip) {
            // Step over the bins in which this sample cannot change the
            // comparator's state.
            double phase = 0.0;
            const int b0 = a.sig.Bin(t, &phase);
            auto quiet = [&](int b) {
                if (s.ext_src) return a.prev_level >= 0 && a.sig.Bin_Level(b) == a.prev_level;
                const bool rising = !s.falling;
                if (a.armed) return rising ? a.sig.Bin_Hi(b) <= s.thr_hi : a.sig.Bin_Lo(b) >= s.thr_lo;
                return rising ? a.sig.Bin_Lo(b) >= s.thr_lo : a.sig.Bin_Hi(b) <= s.thr_hi;
            };
            int run = 0;
            while (run < Signal_Model::Phase_Bins && quiet((b0 + run) % Signal_Model::Phase_Bins)) ++run;
            if (run == Signal_Model::Phase_Bins) {  // nothing can ever happen
                a.next_pt = (limit_tick - a.start_tick) / d + 1;
                return;
            }
            if (run > 0) {
                const double cycles = static_cast<double>(b0 + run) / Signal_Model::Phase_Bins - phase;
                const int64_t ticks = static_cast<int64_t>(a.sig.Ticks_For(cycles));
                a.next_pt += std::max<int64_t>(1, (ticks - 1) / d);
                continue;
            }
        }
        bool fire = false;
        if (s.ext_src) {
            const int level = a.sig.Ext_Level(t) ? 1 : 0;
            fire = a.prev_level >= 0 && level != a.prev_level && (level == 1) != s.falling;
            a.prev_level = level;
        } else {
            uint8_t lo, hi;
            if (s.peak) {
                a.sig.Code_Range(t, s.divider, lo, hi);
            } else {
                lo = hi = a.sig.Code(t);
            }
            if (!s.falling) {
                fire = a.armed && hi > s.thr_hi;
                a.armed = (a.armed && !fire) || lo < s.thr_lo;
            } else {
                fire = a.armed && lo < s.thr_lo;
                a.armed = (a.armed && !fire) || hi > s.thr_hi;
            }
        }
        if (fire && a.next_pt >= a.first_fire && ++a.edges >= need) {
            a.decided = true;
            a.triggered = true;
            a.rec_start_tick = t - int64_t{a.trig_idx} * d;
            a.ready_ns = Ticks_To_Ns(a.rec_start_tick + int64_t{s.m} * d);
            if (s.ext_src) {
                // Locate the edge to the 10 ns clock for the fine time.
                int64_t lo_t = t - d, hi_t = t;
                const bool want = !s.falling;
                while (hi_t - lo_t > 1) {
                    const int64_t mid = lo_t + (hi_t - lo_t) / 2;
                    (a.sig.Ext_Level(mid) == want ? hi_t : lo_t) = mid;
                }
                a.tdc_fine = a.sig.Ext_Fine(hi_t, s.falling);
            }
            return;
        }
        ++a.next_pt;
    }
}

bool Virtual_Instrument::Plan(int64_t limit_ns) {
    if (fpga_lost_) {
        acq_.ready_ns = std::max(next_lost_ns_, link_ns_);
        return true;
    }
    Acquisition& a = acq_;
    const Acq_Setup& s = a.setup;
    if (a.restart_pending) {
        // The previous frame has left: the next acquisition starts now.
        a.restart_pending = false;
        a.decided = false;
        a.triggered = false;
        a.armed = false;
        a.edges = 0;
        a.prev_level = -1;
        a.tdc_fine = 0;
        a.start_tick = link_ns_ / 10;
        a.next_pt = std::max(a.first_fire - 1, 0);
        a.sig.Set_Sweep(No_Sweep, std::max<uint64_t>(s.divider / static_cast<uint64_t>(s.vpp), 1),
                        static_cast<uint32_t>(s.post_values));
    }
    if (s.roll) {
        a.ready_ns = std::max(a.next_roll_ns, link_ns_);
        return true;
    }
    if (a.decided) return true;
    const int64_t d = static_cast<int64_t>(s.divider);
    if (s.trig_n == 0) {  // trigger off: free running
        a.decided = true;
        a.rec_start_tick = a.start_tick;
        a.ready_ns = Ticks_To_Ns(a.start_tick + int64_t{s.m} * d);
        return true;
    }
    const int64_t limit_tick = limit_ns / 10;
    const int64_t auto_tick = a.start_tick + int64_t{a.first_fire} * d + Auto_Timeout_Ns / 10;
    if (a.can_trigger) {
        Search_Trigger(s.auto_mode ? std::min(limit_tick, auto_tick) : limit_tick);
        if (a.decided) return true;
    } else {
        a.next_pt = std::max<int64_t>(a.next_pt, (limit_tick - a.start_tick) / d);
    }
    if (s.auto_mode && limit_tick >= auto_tick) {
        a.decided = true;
        a.rec_start_tick = std::max(a.start_tick, auto_tick - int64_t{s.m} * d);
        a.ready_ns = Ticks_To_Ns(a.rec_start_tick + int64_t{s.m} * d);
        return true;
    }
    return false;
}

void Virtual_Instrument::Fill_Status(Status_Block& st, uint16_t pos_word, bool untriggered,
                                     int fine, uint64_t frame_no) const {
    const Acquisition& a = acq_;
    std::copy(a.regs.begin(), a.regs.end(), st.begin());
    std::copy(regs1_.begin(), regs1_.end(), st.begin() + Stat_Bank1);
    st[Stat_Pos_Word] = static_cast<uint8_t>(pos_word);
    st[Stat_Pos_Word + 1] = static_cast<uint8_t>(pos_word >> 8);
    st[Stat_Flags] =
        static_cast<uint8_t>((a.regs[Reg_Trig_Flags] & 0x3F) | (untriggered ? F_No_Trigger : 0));
    st[Stat_TDC_Fine] = static_cast<uint8_t>(fine & 0x1F);
    st[Stat_FM_Input] = a.setup.fm_input;

    // Reciprocal frequency meter: whole input periods over a gate that
    // opens and closes on input edges, timed in 10 ns ticks.
    uint32_t count = 0, gate = 0;
    double f = a.sig.Frequency_Hz();
    if (a.setup.fm_input == 2) f /= 8.0;
    if (f > 0.0) {
        const double period = 1e8 / f;
        const double periods = std::max(1.0, std::ceil(FM_Gate_Ticks / period));
        const double phase =
            static_cast<double>(Mix64(seed_ ^ 0x666D ^ frame_no) >> 11) * (1.0 / 9007199254740992.0);
        const double g = std::floor(periods * period + phase);
        if (g >= 1.0 && g < 2147483647.0 && periods < 4e9) {
            count = static_cast<uint32_t>(periods) + 1;
            gate = static_cast<uint32_t>(g);
        }
    }
    for (int i = 0; i < 4; ++i) {
        st[static_cast<size_t>(Stat_FM_Count + i)] = static_cast<uint8_t>(count >> (8 * i));
        st[static_cast<size_t>(Stat_FM_Gate + i)] = static_cast<uint8_t>(gate >> (8 * i));
    }
    const auto vcc = static_cast<uint16_t>(std::lround(cal_.supply_volts * 100.0 * Vcc_Scale_Den /
                                                       Vcc_Scale_Num));
    st[Stat_Vcc] = static_cast<uint8_t>(vcc);
    st[Stat_Vcc + 1] = static_cast<uint8_t>(vcc >> 8);
}

void Virtual_Instrument::Build_Frame_Now() {
    Acquisition& a = acq_;
    const Acq_Setup& s = a.setup;
    const int64_t d = static_cast<int64_t>(s.divider);
    values_.assign(static_cast<size_t>(s.n), 0);
    levels_.assign(static_cast<size_t>(s.n), 0);
    uint16_t pos_word = 0;
    bool untriggered = true;

    auto point = [&](int64_t t, size_t at) {
        if (s.peak) {
            uint8_t lo, hi;
            a.sig.Code_Range(t, s.divider, lo, hi);
            values_[at] = lo;
            values_[at + 1] = hi;
            if (s.ext_bits) {
                levels_[at] = a.sig.Ext_Level(t);
                levels_[at + 1] = a.sig.Ext_Level(t + d / 2);
            }
        } else {
            values_[at] = a.sig.Code(t);
            if (s.ext_bits) levels_[at] = a.sig.Ext_Level(t);
        }
    };

    if (s.roll) {
        const int64_t now_tick = a.ready_ns / 10;
        const int64_t k_done = std::max<int64_t>(0, (now_tick - a.roll_origin_tick) / d);
        const int64_t m = s.m;
        for (int64_t j = 0; j < m && j < k_done; ++j) {
            const int64_t k = j + m * ((k_done - 1 - j) / m);  // newest point in slot j
            point(a.roll_origin_tick + k * d, static_cast<size_t>(j * s.vpp));
        }
        const int64_t p = (k_done % m) * s.vpp;
        pos_word = static_cast<uint16_t>((p & Pos_Mask) | Pos_Started | (k_done >= m ? Pos_Wrapped : 0));
        a.next_roll_ns = a.ready_ns + Roll_Interval_Ns;
    } else {
        untriggered = !a.triggered;
        const int64_t origin =
            a.triggered ? a.rec_start_tick + int64_t{a.trig_idx} * d : a.rec_start_tick + int64_t{s.pre_pts} * d;
        a.sig.Set_Sweep(origin, std::max<uint64_t>(s.divider / static_cast<uint64_t>(s.vpp), 1),
                        static_cast<uint32_t>(s.post_values));
        for (int i = 0; i < s.m; ++i) point(a.rec_start_tick + int64_t{i} * d, static_cast<size_t>(i * s.vpp));
        a.restart_pending = true;
    }
    if (s.peak && (s.n & 1)) values_[static_cast<size_t>(s.n - 1)] = values_[static_cast<size_t>(s.n - 2)];

    // Data layout: plain, or groups of four codes and their trigger bits.
    data_.clear();
    if (s.ext_bits) {
        int i = 0;
        for (; i + 4 <= s.n; i += 4) {
            uint8_t bits = 0;
            for (int k = 0; k < 4; ++k) {
                data_.push_back(values_[static_cast<size_t>(i + k)]);
                if (levels_[static_cast<size_t>(i + k)]) bits |= static_cast<uint8_t>(8 >> k);
            }
            data_.push_back(bits);
        }
        for (; i < s.n; ++i) data_.push_back(values_[static_cast<size_t>(i)]);
    } else {
        data_.assign(values_.begin(), values_.end());
    }

    Status_Block st{};
    Fill_Status(st, pos_word, untriggered, a.triggered && s.ext_src ? a.tdc_fine : 0, frames_built_);
    const uint8_t type = s.ext_bits ? Frame_Type_Trig_Bits : Frame_Type_Plain;

    // Corrupted frames must not repeat the previous frame's XOR, or the
    // host would take them for a lost FPGA.
    uint8_t x = Frame_Check(type, data_, st);
    if (corrupt_left_ > 0 && x == prev_xor_ && !data_.empty()) {
        data_[0] = data_[0] == 0 ? 1 : static_cast<uint8_t>(data_[0] - 1);
        x = Frame_Check(type, data_, st);
    }
    last_frame_.resize(3 + data_.size() + Status_Wire_Bytes);
    const size_t len = Build_Frame(type, data_, st, last_frame_.data());
    last_frame_.resize(len);
    if (corrupt_left_ > 0) {
        --corrupt_left_;
        last_frame_.back() = Bad_Check(x, 0x01);
    }
    prev_xor_ = x;
    out_.Push(last_frame_.data(), last_frame_.size());
    ++frames_built_;
}

void Virtual_Instrument::Build_Frozen_Frame() {
    // The FPGA has dropped its configuration: its output buffer repeats the
    // last frame, and the check byte no longer matches.
    if (last_frame_.size() < 3 + Status_Wire_Bytes) {
        Status_Block st{};
        std::copy(regs1_.begin(), regs1_.end(), st.begin() + 64);
        std::vector<uint8_t> data(1000, 0x80);
        last_frame_.resize(3 + data.size() + Status_Wire_Bytes);
        last_frame_.resize(Build_Frame(Frame_Type_Plain, data, st, last_frame_.data()));
    }
    frozen_frame_ = last_frame_;
    const std::span<const uint8_t> body(frozen_frame_.data() + 1, frozen_frame_.size() - 2);
    uint8_t x = 0;
    for (uint8_t b : body) x ^= b;
    if (x == Frame_Start) x = Check_For_Start;
    frozen_frame_.back() = Bad_Check(x, 0x5A);
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
