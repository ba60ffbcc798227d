#include "device/virtual_signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tovan {
namespace {

constexpr uint64_t Phase_Mask = (uint64_t{1} << 40) - 1;
constexpr double Phase_Scale = 1.0 / 1099511627776.0;  // 2^-40
constexpr uint64_t Mod_Mask = (uint64_t{1} << 30) - 1;
constexpr double Mod_Scale = 1.0 / 1073741824.0;       // 2^-30
constexpr double Volts_Per_Ampl_Step = 0.008;
constexpr double Ticks_Per_Second = 1e8;

// The low 40 bits of a product depend only on the low 40 bits of the
// factors, and unsigned arithmetic wraps modulo 2^64, a multiple of 2^40.
uint64_t Mul_Mod40(uint64_t a, uint64_t b) {
    return (a & Phase_Mask) * (b & Phase_Mask) & Phase_Mask;
}

// n (n - 1) / 2 modulo 2^64: the even factor is halved before the product.
uint64_t Pairs(uint64_t n) {
    return n % 2 == 0 ? (n / 2) * (n ? n - 1 : 0) : n * ((n - 1) / 2);
}

double Unit(uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }

uint8_t To_Code(double code) {
    const double r = std::floor(code + 0.5);
    if (!(r > 0.0)) return 0;  // also NaN
    if (r > 254.0) return 254;
    return static_cast<uint8_t>(r);
}

}  // namespace

double Range_Volts_Div(int range_code) {
    switch (range_code & 7) {
        case 3: return 2.0;
        case 7: return 1.0;
        case 6: return 0.5;
        case 4: return 0.2;
        case 1: return 0.1;
        case 0: return 0.05;
        default: return 1.0;
    }
}

Signal_Model::Signal_Model(const Signal_Setup& s, const Device_Calibration& cal, uint64_t seed)
    : seed_(seed), cal_(cal) {
    word1_ = s.word1 & Phase_Mask;
    word2_ = s.word2 & Phase_Mask;
    mod_word_ = s.mod_word & 0xFFFFFFu;
    base_ = s.gen_mode & 7;
    switch (s.gen_mode & 0x38) {
        case 0x08: kind_ = Gen_Kind::Sweep; break;
        case 0x10: kind_ = Gen_Kind::Pulse; break;
        case 0x18: kind_ = Gen_Kind::FM; break;
        case 0x20: kind_ = Gen_Kind::AM; break;
        case 0x28: kind_ = Gen_Kind::Noise; break;
        default: kind_ = Gen_Kind::Wave; break;
    }
    const bool wave_like = kind_ == Gen_Kind::Wave || kind_ == Gen_Kind::Sweep ||
                           kind_ == Gen_Kind::FM || kind_ == Gen_Kind::AM;
    if ((s.gain_byte & 0x08) != 0 || s.gen_mode == 5 || (wave_like && base_ >= 5)) kind_ = Gen_Kind::Off;

    const uint32_t code = s.ampl_code & 0x3FFu;
    ampl_ = code > 1 ? (code - 1) * Volts_Per_Ampl_Step : 0.0;
    if (kind_ == Gen_Kind::Off) ampl_ = 0.0;

    // AM: word2 / 65535 is the modulation amplitude as a fraction of the
    // full-scale output (512 amplitude steps).
    am_volts_ = static_cast<double>(s.word2 & 0xFFFFFFu) * 512.0 * Volts_Per_Ampl_Step / 65535.0;
    // FM: the phase step swings by word2 x 2^14 around word1.
    if (mod_word_ != 0) {
        const double dev_step = static_cast<double>(word2_) * 16384.0 * Phase_Scale;  // cycles per tick
        const double omega = 2.0 * std::numbers::pi * mod_word_ * Mod_Scale;         // rad per tick
        fm_dev_cycles_ = dev_step / omega;
    }
    pulse_period_ = word1_ + 1;
    pulse_width_ = std::min<uint64_t>(word2_, pulse_period_);

    const bool ac = (s.gain_byte & 0x10) != 0;
    if (ac && kind_ == Gen_Kind::Pulse)
        dc_ = ampl_ * (2.0 * static_cast<double>(pulse_width_) / static_cast<double>(pulse_period_) - 1.0);
    scale_ = 32.0 / Range_Volts_Div(s.gain_byte & 7);
    const double zero16 =
        cal.z_p1 + (static_cast<double>(s.offset_dac) - 1360.0) * (cal.z_p2 - cal.z_p1) / 1680.0;
    zero_code_ = zero16 / 16.0;
    offset_v_ = cal.input_offset / 16.0 * (0.05 / 32.0);

    if (kind_ == Gen_Kind::Wave && word1_ != 0 && ampl_ > 0.0) {
        bin_lo_.resize(Phase_Bins);
        bin_hi_.resize(Phase_Bins);
        bin_level_.resize(Phase_Bins);
        for (int b = 0; b < Phase_Bins; ++b) {
            // Both ends included: every extremum of the shapes lies on a
            // bin edge or an end.
            double umin = 2.0, umax = -2.0;
            for (int j = 0; j <= 8; ++j) {
                const double u = Unit_Wave((b + j / 8.0) / Phase_Bins);
                umin = std::min(umin, u);
                umax = std::max(umax, u);
            }
            const size_t i = static_cast<size_t>(b);
            bin_lo_[i] = To_Code(Volts_To_Code(ampl_ * umin) - cal_.noise_codes);
            bin_hi_[i] = To_Code(Volts_To_Code(ampl_ * umax) + cal_.noise_codes);
            bin_level_[i] = static_cast<int8_t>(umin > 0.0 ? 1 : umax <= 0.0 ? 0 : -1);
        }
    }
}

int Signal_Model::Bin(int64_t t, double* phase) const {
    const double p = Phase(t);
    *phase = p;
    return std::min(static_cast<int>(p * Phase_Bins), Phase_Bins - 1);
}

double Signal_Model::Ticks_For(double cycles) const {
    return word1_ ? cycles / (static_cast<double>(word1_) * Phase_Scale) : 0.0;
}

void Signal_Model::Set_Sweep(int64_t origin, uint64_t divider, uint32_t samples) {
    sweep_origin_ = origin;
    sweep_divider_ = std::max<uint64_t>(divider, 1);
    sweep_samples_ = samples;
}

double Signal_Model::Unit_Wave(double p) const {
    switch (base_) {
        case 0: return std::sin(2.0 * std::numbers::pi * p);
        case 1: return 2.0 * p - 1.0;
        case 2: return 1.0 - 2.0 * p;
        case 3: return p < 0.5 ? 1.0 : -1.0;
        case 4: return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
        default: return 0.0;
    }
}

double Signal_Model::Phase(int64_t t) const {
    const uint64_t ut = static_cast<uint64_t>(t);
    uint64_t acc = Mul_Mod40(word1_, ut);
    if (kind_ == Gen_Kind::Sweep && t > sweep_origin_) {
        // Sum of the extra steps word2 x min(floor(j / D), S) over the
        // ticks j since the origin.
        const uint64_t u = static_cast<uint64_t>(t - sweep_origin_);
        const uint64_t d = sweep_divider_;
        const uint64_t s = sweep_samples_;
        // Only the low 40 bits count, so the sum is taken modulo 2^64.
        uint64_t extra;
        if (u <= s * d) {
            const uint64_t k = u / d;
            extra = d * Pairs(k) + k * (u - k * d);
        } else {
            extra = d * Pairs(s) + s * (u - s * d);
        }
        acc = (acc + Mul_Mod40(word2_, static_cast<uint64_t>(extra & Phase_Mask))) & Phase_Mask;
    }
    double p = static_cast<double>(acc) * Phase_Scale;
    if (kind_ == Gen_Kind::FM && fm_dev_cycles_ != 0.0) {
        const double theta = 2.0 * std::numbers::pi *
                             static_cast<double>(Mul_Mod40(mod_word_, ut) & Mod_Mask) * Mod_Scale;
        p += fm_dev_cycles_ * (1.0 - std::cos(theta));
        p -= std::floor(p);
    }
    return p;
}

double Signal_Model::Gen_Volts(int64_t t) const {
    switch (kind_) {
        case Gen_Kind::Off: return 0.0;
        case Gen_Kind::Wave:
        case Gen_Kind::Sweep:
        case Gen_Kind::FM: return ampl_ * Unit_Wave(Phase(t));
        case Gen_Kind::AM: {
            const double theta = 2.0 * std::numbers::pi *
                                 static_cast<double>(Mul_Mod40(mod_word_, static_cast<uint64_t>(t)) & Mod_Mask) *
                                 Mod_Scale;
            return Unit_Wave(Phase(t)) * (ampl_ + am_volts_ * std::sin(theta));
        }
        case Gen_Kind::Pulse: {
            const uint64_t u = static_cast<uint64_t>(t) % pulse_period_;
            return u < pulse_width_ ? ampl_ : -ampl_;
        }
        case Gen_Kind::Noise: {
            // A new uniform value every 50 ns: a flat spectrum up to 10 MHz.
            const uint64_t block = static_cast<uint64_t>(t) / 5;
            return ampl_ * (2.0 * Unit(Mix64(seed_ ^ 0x6E6F697365ull ^ (block * 0x2545F4914F6CDD1Dull))) - 1.0);
        }
    }
    return 0.0;
}

double Signal_Model::Noise(int64_t t) const {
    const uint64_t h = Mix64(seed_ ^ (static_cast<uint64_t>(t) * 0x9E3779B97F4A7C15ull));
    const double u1 = static_cast<double>(h & 0xFFFFFFFFu) * (1.0 / 4294967296.0);
    const double u2 = static_cast<double>(h >> 32) * (1.0 / 4294967296.0);
    return (u1 + u2 - 1.0) * cal_.noise_codes;
}

uint8_t Signal_Model::Code(int64_t t) const { return To_Code(Volts_To_Code(Gen_Volts(t)) + Noise(t)); }

void Signal_Model::Code_Range(int64_t t, uint64_t ticks, uint8_t& lo, uint8_t& hi) const {
    constexpr uint64_t Max_Probes = 32;
    lo = 254;
    hi = 0;
    auto take = [&](uint8_t c) {
        lo = std::min(lo, c);
        hi = std::max(hi, c);
    };
    ticks = std::max<uint64_t>(ticks, 1);
    const uint64_t probes = std::min(ticks, Max_Probes);
    for (uint64_t i = 0; i < probes; ++i) {
        const int64_t at = t + static_cast<int64_t>(i * ticks / probes);
        take(Code(at));
    }
    if (ticks <= Max_Probes) return;
    // Intervals holding whole periods reach the peaks of the envelope.
    double env = -1.0;
    const double cycles = static_cast<double>(ticks) * Frequency_Hz() / Ticks_Per_Second;
    switch (kind_) {
        case Gen_Kind::Wave:
        case Gen_Kind::Sweep:
        case Gen_Kind::FM:
            if (cycles >= 1.0) env = ampl_;
            break;
        case Gen_Kind::AM:
            if (cycles >= 1.0) {
                const int64_t mid = t + static_cast<int64_t>(ticks / 2);
                const double theta = 2.0 * std::numbers::pi *
                                     static_cast<double>(Mul_Mod40(mod_word_, static_cast<uint64_t>(mid)) & Mod_Mask) *
                                     Mod_Scale;
                env = std::fabs(ampl_ + am_volts_ * std::sin(theta));
            }
            break;
        case Gen_Kind::Pulse:
            if (ticks >= pulse_period_ && pulse_width_ > 0 && pulse_width_ < pulse_period_) env = ampl_;
            break;
        default: break;
    }
    if (env >= 0.0) {
        take(To_Code(Volts_To_Code(env) + Noise(t + 1)));
        take(To_Code(Volts_To_Code(-env) + Noise(t + 2)));
    }
}

void Signal_Model::Code_Bounds(uint8_t& lo, uint8_t& hi) const {
    double vmin = 0.0, vmax = 0.0;
    switch (kind_) {
        case Gen_Kind::Off: break;
        case Gen_Kind::AM: vmax = ampl_ + std::fabs(am_volts_); vmin = -vmax; break;
        case Gen_Kind::Pulse:
            vmax = pulse_width_ > 0 ? ampl_ : -ampl_;
            vmin = pulse_width_ < pulse_period_ ? -ampl_ : ampl_;
            break;
        default: vmax = ampl_; vmin = -ampl_; break;
    }
    lo = To_Code(Volts_To_Code(vmin) - cal_.noise_codes);
    hi = To_Code(Volts_To_Code(vmax) + cal_.noise_codes);
}

bool Signal_Model::Ext_Toggles() const {
    if (kind_ == Gen_Kind::Off || ampl_ <= 0.0) return false;
    if (kind_ == Gen_Kind::Pulse) return pulse_width_ > 0 && pulse_width_ < pulse_period_;
    if (kind_ == Gen_Kind::Wave || kind_ == Gen_Kind::FM || kind_ == Gen_Kind::AM) return word1_ != 0;
    return true;
}

double Signal_Model::Frequency_Hz() const {
    if (ampl_ <= 0.0) return 0.0;
    switch (kind_) {
        case Gen_Kind::Off: return 0.0;
        case Gen_Kind::Wave:
        case Gen_Kind::AM:
        case Gen_Kind::FM: return static_cast<double>(word1_) * Phase_Scale * Ticks_Per_Second;
        case Gen_Kind::Sweep:
            return (static_cast<double>(word1_) + static_cast<double>(word2_) * sweep_samples_ * 0.5) *
                   Phase_Scale * Ticks_Per_Second;
        case Gen_Kind::Pulse:
            return Ext_Toggles() ? Ticks_Per_Second / static_cast<double>(pulse_period_) : 0.0;
        case Gen_Kind::Noise: return 5e6;
    }
    return 0.0;
}

int Signal_Model::Ext_Fine(uint64_t edge_index, bool falling) const {
    constexpr uint64_t Drift_Frames = 40;
    const double f = (static_cast<double>(edge_index % Drift_Frames) + 0.5) / Drift_Frames;
    const int steps = falling ? cal_.tdc_fall_steps : cal_.tdc_rise_steps;
    const int fine = static_cast<int>(std::floor((1.0 - f) * steps + 0.5));
    return std::clamp(fine, 0, 31);
}

}  // namespace tovan
