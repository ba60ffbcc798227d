#include "settings/compute_params.h"

#include "common/numeric.h"
#include "settings/gen_mod_fields.h"

namespace tovan {
namespace {

struct Range_Multiplier {
    int64_t freq;
    int64_t pulse;
};
constexpr Range_Multiplier Range_Multipliers[Gen_Range_Count] = {
    {1, 100000}, {10, 10000}, {100, 1000}, {1000, 100}, {5000, 10}, {1, 1}};

constexpr std::array<const char*, Gen_Range_Count> Range_Captions_Freq = {"10K", "100K", "1M",
                                                                          "10M", "50M", "Noise"};
constexpr std::array<const char*, Gen_Range_Count> Range_Captions_Pulse = {"1S",  "0.1S", "10mS",
                                                                           "1mS", "0.1mS", "10uS"};
// Gen_Mode base code by waveform button (Sin, Rect, Trian, Up_Trian, Dn_Trian).
constexpr uint8_t Wave_Codes[Gen_Wave_Count] = {0, 3, 4, 1, 2};

constexpr double Phase_Per_Tenth_Hz = 1099.511627776;  // 2^40 / 1e9

void Apply_Generator_Rules(Scope_Settings& s) {
    const bool service = s.Service_Mode();
    const bool pulse = s.Pulse();
    s.Gen_50M_Visible = service || pulse;
    s.Gen_Noise_Visible = pulse || (!s.Mod() && !s.Sweep());
    s.Freq_Bars_Enabled = !(s.Gen_Range == Gen_10uS_Noise && s.Gen_Mode_Button == Gen_Mode_Sel::None);
    if (s.Gen_Range == Gen_50M_100uS && !pulse && !service) s.Gen_Range = Gen_10M_1mS;
    if (s.Gen_Range == Gen_10uS_Noise && !pulse && (s.Mod() || s.Sweep()))
        s.Gen_Range = service ? Gen_50M_100uS : Gen_10M_1mS;
    if (pulse) {
        s.Wave_Enabled.fill(false);
    } else if (s.Gen_Range == Gen_10M_1mS || s.Gen_Range == Gen_50M_100uS ||
               s.Gen_Range == Gen_10uS_Noise) {
        s.Gen_Wave = Wave_Sin;
        s.Wave_Enabled.fill(false);
        s.Wave_Enabled[Wave_Sin] = s.Gen_Range != Gen_10uS_Noise;
    } else {
        s.Wave_Enabled.fill(true);
    }
    s.Range_Captions = pulse ? Range_Captions_Pulse : Range_Captions_Freq;
}

}  // namespace

void Compute_Params(Scope_Settings& s, Device_Params& p) {
    Sanitize_Settings(s);

    // 1. Marker mode (the window style follows s.On_Top in the window).
    s.Marker_Mode = s.Markers_2 ? 2 : (s.Markers_1 ? 1 : 0);

    // 2-5. Time base, record length and sample-clock divider.
    p.Time_Div_ns = s.Time_Div_ns();
    const int32_t n = s.Record_Points();
    p.Record_Points = n;
    const uint64_t m = (n == 8000 && p.Time_Div_ns < 1000000) ? 5000 : static_cast<uint64_t>(n);
    uint64_t divider = p.Time_Div_ns / m;
    if (divider == 0) divider = 1;
    const uint64_t per_div = p.Time_Div_ns / (divider * 10);
    p.Smpl_Per_Div = static_cast<int32_t>(per_div);
    // 6. Peak detect doubles the interval: one min/max pair per point.
    if (s.Smpl_PeakDet && divider != 1) divider *= 2;
    p.Smpl_Divider = static_cast<uint32_t>(divider);

    // 7-10. Input range, offset term, gain byte and probe factor.
    const Volts_Step& vs = Volts_Steps[static_cast<size_t>(s.Volts_Div)];
    const int32_t previous_uv = p.Volts_Div_uV;
    const double offset_term = static_cast<double>(s.Offset) * 50000.0 / vs.uv;
    p.Gain_Byte = vs.range_code;
    if (!s.Gen_On) p.Gain_Byte |= 0x08;
    if (s.ACDC) p.Gain_Byte |= 0x10;
    p.Volts_Div_uV = vs.uv * Probe_Factors[static_cast<size_t>(s.Probe)];
    for (int i = 0; i < Volts_Step_Count; ++i)
        s.Volts_Captions[static_cast<size_t>(i)] =
            Volts_Steps[static_cast<size_t>(i)].caption[static_cast<size_t>(s.Probe)];

    // 11. Keep the trigger level's voltage across a range change.
    if (s.Level_Rescale) {
        s.Level_Rescale = false;
        const double r = static_cast<double>(previous_uv) / p.Volts_Div_uV;
        s.Trig_Level = (s.Trig_Level - s.Zero_Level) * r + s.Zero_Level;
        s.BG_Trig_Level = (s.BG_Trig_Level - s.BG_Zero_Level) * r + s.BG_Zero_Level;
    }

    // 12. Trigger flags.
    uint8_t flags = 0;
    if (s.ExtTrig) flags |= 0x01;
    if (s.Trig_Edge) flags |= 0x02;
    if (s.Trig_Ext) flags |= 0x04;
    if (!s.Smpl_PeakDet || p.Smpl_Divider == 1) flags |= 0x08;
    if (s.Auto) flags |= 0x20;

    // 13-16. Roll acquisition, pre-trigger and the Sweep button.
    s.Slow_Untriggered = s.Time_Div <= Time_Step_100mS && !s.Trig_On;
    p.Slow_Untriggered = s.Slow_Untriggered;
    uint32_t pre = 0;
    if (s.Slow_Untriggered && !s.Sngl) {
        flags |= 0x10;
        p.Trig_Mode_Byte = 0;
    } else {
        pre = static_cast<uint32_t>(s.Trig_Pre) * static_cast<uint32_t>(per_div);
        p.Trig_Mode_Byte = s.Trig_On ? static_cast<uint8_t>(s.Trig_N) : 0;
    }
    // The pre-trigger part never exceeds the record (it cannot with the
    // ranges the dialog offers; the bound keeps Post_Count >= 1 regardless).
    if (pre > static_cast<uint32_t>(n) - 1) pre = static_cast<uint32_t>(n) - 1;
    p.Pre_Count = static_cast<uint16_t>(pre);
    p.Trig_Flags = flags;
    if (s.Slow_Untriggered && s.Lenta) {
        if (s.Sweep()) s.Gen_Mode_Button = Gen_Mode_Sel::None;
        s.Sweep_Enabled = false;
    } else {
        s.Sweep_Enabled = true;
    }
    p.Post_Count = static_cast<uint16_t>(n - static_cast<int32_t>(pre));

    // 17. Comparator thresholds around the trigger level.
    const int h = Hyst_Codes[s.Trig_Hyst];
    const int level = static_cast<int>(Clamp(Round_Half(s.Trig_Level), 0.0, 255.0));
    p.Trig_Code = level;
    p.Thr_Low = static_cast<uint8_t>(level <= h ? 1 : level - h);
    p.Thr_High = static_cast<uint8_t>(level > 255 - h ? 255 : level + h);

    // 18. Offset DAC from the zero-calibration points.
    const double k = (s.Z_P1 == s.Z_P2) ? 0.0 : 1680.0 / (static_cast<double>(s.Z_P2) - s.Z_P1);
    const double dac = Round_Half(1360.0 - (s.Z_P1 - 16.0 * s.Zero_Level + offset_term) * k);
    p.Offset_DAC = static_cast<uint16_t>(Clamp(dac, 0.0, 65535.0));
    p.Zero_Level = s.Zero_Level;
    p.Frame_PPM = s.Time_PPM;
    p.Lenta = s.Lenta;

    // 19. Frequency-meter input (the trace mode is read by the display).
    p.FM_Input = static_cast<uint8_t>(s.FM_Input);

    // 20. Generator control states.
    Apply_Generator_Rules(s);

    // 21-23. Frequencies, sweep span and pulse times.
    const int64_t fast = s.F_fast, slow = s.F_slow;
    const Range_Multiplier mult = Range_Multipliers[s.Gen_Range];
    if (s.Sweep()) {
        p.Gen_Freq = fast * 100 * mult.freq;
        p.Sweep_Span = (slow * 100 - fast * 100) * mult.freq;
    } else if (s.Pulse()) {
        int64_t period = slow, width = fast;
        if (s.Keep_Pulse) {
            if (width < 1) width = 1;
            if (period < 2) period = 2;
            if (width == period) width = period - 1;
        }
        p.Pulse_Period = period * mult.pulse;
        p.Pulse_Width = width * mult.pulse;
    } else {
        p.Gen_Freq = (fast * 100 + slow) * mult.freq;
        p.Sweep_Span = 0;
    }
    p.Gen_Ampl_Code = 512 - s.Ampl;

    // 24-26. Generator mode and words.
    p.Gen_Mode = Wave_Codes[s.Gen_Wave];
    p.Gen_Word1 = Sat_I64(static_cast<double>(p.Gen_Freq) * Phase_Per_Tenth_Hz);
    const bool bars_zero = fast == 0 && slow == 0;
    if (s.Sweep()) {
        if (bars_zero) p.Gen_Mode = 5;
        p.Gen_Mode |= 0x08;
        p.Gen_Word2 =
            Sat_I64(static_cast<double>(p.Sweep_Span) * Phase_Per_Tenth_Hz / p.Post_Count);
        p.Sweep_Span = Sat_I64(static_cast<double>(p.Gen_Word2 * p.Post_Count) *
                               0.0009094947017729281);
    } else if (s.Pulse()) {
        p.Gen_Mode |= 0x10;
        p.Gen_Word1 = p.Pulse_Period > 0 ? p.Pulse_Period - 1 : 0;
        p.Gen_Word2 = p.Pulse_Width;
    } else if (!s.Mod() && s.Gen_Range == Gen_10uS_Noise) {
        p.Gen_Mode |= 0x28;
    } else {
        if (bars_zero) p.Gen_Mode = 5;
        if (s.Mod()) {
            p.Mod_Word = Sat_I32(Mod_Freq_Steps(s) * 107.3741824);
            if (!Mod_Is_FM(s)) {
                p.Gen_Mode |= 0x20;
                p.Gen_Word2 = Sat_I64(p.Gen_Ampl_Code * 65.5355 * 0.001953125 * Mod_Depth_Steps(s));
            } else {
                p.Gen_Mode |= 0x18;
                p.Gen_Word2 = Sat_I64(Dev_Freq_Steps(s) * 6.7108864);
            }
        }
    }
    // 27. Output off.
    if (!s.Gen_On) p.Gen_Mode = 5;
}

}  // namespace tovan
