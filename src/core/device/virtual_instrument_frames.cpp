#include "device/virtual_instrument.h"

// The virtual instrument's frames: the status block and the frame bytes of
// a planned acquisition, and the frame a lost FPGA repeats.
#include <algorithm>
#include <cmath>
#include <span>

#include "device/frame_builder.h"

namespace tovan {
namespace {

uint8_t Bad_Check(uint8_t good, uint8_t flip) {
    uint8_t bad = static_cast<uint8_t>(good ^ flip);
    if (bad == Frame_Start || bad == good) bad = static_cast<uint8_t>(good ^ 0x02);
    if (bad == Frame_Start) bad = static_cast<uint8_t>(good ^ 0x04);
    return bad;
}

}  // namespace

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
        // The counter's own clock runs fast: its gate holds more ticks.
        const double g = std::floor(periods * period * (1.0 + cal_.counter_ppm * 1e-6) + phase);
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
        if (keep_scroll_) {
            // Points written since the last frame, as far as the ring still holds them.
            for (int64_t k = std::max(a.roll_sent, k_done - m); k < k_done; ++k) {
                const auto at = static_cast<size_t>((k % m) * s.vpp);
                scroll_.bytes.insert(scroll_.bytes.end(), values_.begin() + static_cast<std::ptrdiff_t>(at),
                                     values_.begin() + static_cast<std::ptrdiff_t>(at) + s.vpp);
            }
            scroll_.frame_ends.push_back(scroll_.bytes.size());
        }
        a.roll_sent = k_done;
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

}  // namespace tovan
