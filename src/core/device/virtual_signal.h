#pragma once
// Signal model of the virtual instrument: the function generator's output,
// looped back to the scope input and to the external-trigger input, and the
// input stage (range, coupling, offset DAC, noise, ADC) that turns it into
// ADC codes. Everything is a pure function of the 10 ns tick time, so a
// sample does not depend on which other samples were computed before it,
// and the same seed always gives the same codes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace tovan {

// Device-specific constants of one (virtual) instrument. The zero points
// are where this device's zero level lies, in sixteenths of an ADC code,
// at offset DAC codes 1360 and 3040; `input_offset` is the input
// amplifier's offset in sixteenths of a code at 50 mV/div. TDC steps are
// the true fine-time steps per 10 ns of this device; the stored values are
// what its controller memory holds when it comes (the factory's), until a
// configuration block writes new ones. The frequency counter's time base
// runs `counter_ppm` fast: its gate counts that many more ticks per
// million, so readings come out low by that much. The input adds noise of
// up to `noise_codes` either way.
struct Device_Calibration {
    int32_t z_p1 = 3296;
    int32_t z_p2 = 688;
    int32_t input_offset = 37;
    int32_t tdc_rise_steps = 21;
    int32_t tdc_fall_steps = 23;
    int32_t tdc_rise_stored = 21;
    int32_t tdc_fall_stored = 23;
    double counter_ppm = 7.4;
    double noise_codes = 0.8;  // half-width of the input noise in ADC codes
    double supply_volts = 5.02;
    uint8_t fpga_version = 23;
    uint8_t firmware_version = 12;
};

// Volts per division of the input range codes (bits 0-2 of the gain
// byte). Codes 2 and 5 are not used by the program; the hardware treats
// them as the 1 V range.
double Range_Volts_Div(int range_code);

// Generator and input registers as the device decodes them.
struct Signal_Setup {
    uint8_t gen_mode = 5;
    uint64_t word1 = 0;       // 40-bit phase step per tick, or pulse period - 1
    uint64_t word2 = 0;       // sweep step, pulse width, AM depth or FM deviation
    uint32_t ampl_code = 0;   // 10 bits
    uint32_t mod_word = 0;    // 24 bits
    uint8_t gain_byte = 0x08;
    uint16_t offset_dac = 2206;
};

// Which kind of output the generator mode byte selects.
enum class Gen_Kind : uint8_t { Off, Wave, Sweep, Pulse, AM, FM, Noise };

inline constexpr int64_t No_Sweep = std::numeric_limits<int64_t>::max();

class Signal_Model {
public:
    Signal_Model() = default;
    Signal_Model(const Signal_Setup& s, const Device_Calibration& cal, uint64_t seed);

    Gen_Kind Kind() const { return kind_; }
    // Peak amplitude in volts: (code - 1) x 8 mV.
    double Amplitude() const { return ampl_; }

    // Generator output in volts at tick t. In sweep mode the frequency
    // rises by word2 per sample period `sweep_divider` after `sweep_origin`
    // for `sweep_samples` samples; before the origin it is the start
    // frequency.
    double Gen_Volts(int64_t t) const;
    void Set_Sweep(int64_t origin, uint64_t divider, uint32_t samples);

    // External-trigger input: the generator output as a logic level.
    bool Ext_Level(int64_t t) const { return Gen_Volts(t) > 0.0; }

    // ADC code (0..254) of the sample taken at tick t.
    uint8_t Code(int64_t t) const;
    // Minimum and maximum code over the ticks [t, t + ticks): the peak
    // detector's pair.
    void Code_Range(int64_t t, uint64_t ticks, uint8_t& lo, uint8_t& hi) const;
    // Bounds no sample can leave (noise included).
    void Code_Bounds(uint8_t& lo, uint8_t& hi) const;
    // True when the generator output changes sign at all.
    bool Ext_Toggles() const;

    // Mean output frequency in hertz (0 when the output is flat), as the
    // frequency meter sees it.
    double Frequency_Hz() const;

    // Fine time of the `edge_index`-th external-trigger edge that started a
    // frame: the time from the edge to the next tick in TDC steps (0..31).
    // The edge falls (edge_index mod 40 + 1/2) / 40 of a tick after a tick.
    int Ext_Fine(uint64_t edge_index, bool falling) const;

    // Zero level of the input in ADC codes for the current range and DAC.
    double Zero_Code() const { return zero_code_; }

    // Phase bins of a constant-frequency waveform: for each 1/4096 of a
    // period, the codes a sample can take (noise included) and the
    // external-trigger level (-1 when it may change inside the bin). They
    // let the trigger search step over stretches where nothing can happen.
    static constexpr int Phase_Bins = 4096;
    bool Has_Bins() const { return !bin_lo_.empty(); }
    int Bin(int64_t t, double* phase) const;
    uint8_t Bin_Lo(int b) const { return bin_lo_[static_cast<size_t>(b)]; }
    uint8_t Bin_Hi(int b) const { return bin_hi_[static_cast<size_t>(b)]; }
    int8_t Bin_Level(int b) const { return bin_level_[static_cast<size_t>(b)]; }
    // Ticks the carrier takes to advance by `cycles`.
    double Ticks_For(double cycles) const;

private:
    double Unit_Wave(double phase) const;  // phase in cycles, 0..1
    double Phase(int64_t t) const;         // carrier phase in cycles, 0..1
    double Noise(int64_t t) const;         // input noise in codes
    double Volts_To_Code(double v) const { return zero_code_ + (v - dc_ + offset_v_) * scale_; }

    Gen_Kind kind_ = Gen_Kind::Off;
    int base_ = 5;
    uint64_t word1_ = 0, word2_ = 0;
    uint32_t mod_word_ = 0;
    double ampl_ = 0.0;
    double am_volts_ = 0.0;
    double fm_dev_cycles_ = 0.0;  // peak phase deviation of FM in cycles
    uint64_t pulse_period_ = 1, pulse_width_ = 0;
    double dc_ = 0.0;          // removed by AC coupling
    double offset_v_ = 0.0;    // input amplifier offset
    double scale_ = 32.0;      // codes per volt
    double zero_code_ = 127.0;
    uint64_t seed_ = 0;
    Device_Calibration cal_;
    std::vector<uint8_t> bin_lo_, bin_hi_;
    std::vector<int8_t> bin_level_;
    int64_t sweep_origin_ = No_Sweep;
    uint64_t sweep_divider_ = 1;
    uint32_t sweep_samples_ = 0;
};

// Deterministic 64-bit mix (splitmix64 finaliser).
inline uint64_t Mix64(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace tovan
