#include "device/virtual_instrument.h"

// The virtual instrument's command intake: the nibble-coded byte stream,
// the FPGA image and its acknowledgement, the configuration block into
// the register banks, and the acquisition set-up read from the registers.
#include <algorithm>
#include <cstring>

#include "device/fpga_image.h"

namespace tovan {

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

}  // namespace tovan
