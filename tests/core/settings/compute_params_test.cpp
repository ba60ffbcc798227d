#include "settings/compute_params.h"

#include <gtest/gtest.h>

namespace tovan {
namespace {

int Time_Index(const char* key) {
    for (int i = 0; i < Time_Step_Count; ++i)
        if (std::string(Time_Steps[static_cast<size_t>(i)].key) == key) return i;
    ADD_FAILURE() << key;
    return 0;
}

struct Timebase_Case {
    const char* time_key;
    int smpl_n;  // index into Record_Lengths
    bool peak;
    int trig_pre;
    uint32_t divider;
    int32_t per_div;
    uint16_t pre;
    uint16_t post;
    bool normal_bit;
};

class Timebase : public ::testing::TestWithParam<Timebase_Case> {};

TEST_P(Timebase, DividerAndCounts) {
    const auto& c = GetParam();
    Scope_Settings s;
    s.Time_Div = Time_Index(c.time_key);
    s.Smpl_N = c.smpl_n;
    s.Smpl_PeakDet = c.peak;
    s.Trig_On = true;
    s.Trig_Pre = c.trig_pre;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(p.Smpl_Divider, c.divider);
    EXPECT_EQ(p.Smpl_Per_Div, c.per_div);
    EXPECT_EQ(p.Pre_Count, c.pre);
    EXPECT_EQ(p.Post_Count, c.post);
    EXPECT_EQ((p.Trig_Flags & 0x08) != 0, c.normal_bit);
    EXPECT_EQ(p.Pre_Count + p.Post_Count, p.Record_Points);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Timebase,
    ::testing::Values(
        // 8000 points below 1 ms/div take the 5000-point interval.
        Timebase_Case{"05mS", 3, false, 1, 100, 500, 500, 7500, true},
        Timebase_Case{"1mS", 3, false, 1, 125, 800, 800, 7200, true},
        // Fastest step: divider forced to 1, five samples per division.
        Timebase_Case{"50nS", 0, false, 3, 1, 5, 15, 985, true},
        // Peak detect at 1 us/div, 1000 points: divider stays 1, no pairs.
        Timebase_Case{"1uS", 0, true, 1, 1, 100, 100, 900, true},
        // Peak detect with a real divider doubles it and clears bit 3.
        Timebase_Case{"1mS", 0, true, 1, 2000, 100, 100, 900, false},
        Timebase_Case{"1mS", 1, false, 9, 400, 250, 2250, 250, true},
        Timebase_Case{"20S", 0, false, 0, 20000000, 100, 0, 1000, true}));

TEST(ComputeParams, SlowUntriggeredRollsWithoutPretrigger) {
    Scope_Settings s;
    s.Time_Div = Time_Index("100mS");
    s.Trig_On = false;
    s.Trig_Pre = 5;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_TRUE(s.Slow_Untriggered);
    EXPECT_EQ(p.Trig_Flags & 0x10, 0x10);
    EXPECT_EQ(p.Pre_Count, 0);
    EXPECT_EQ(p.Trig_Mode_Byte, 0);

    // SINGLE takes a triggered frame with the dialog's pre-trigger.
    s.Sngl = true;
    Compute_Params(s, p);
    EXPECT_EQ(p.Trig_Flags & 0x10, 0);
    EXPECT_EQ(p.Pre_Count, 5 * p.Smpl_Per_Div);

    // One step faster is never slow.
    s.Sngl = false;
    s.Time_Div = Time_Index("50mS");
    Compute_Params(s, p);
    EXPECT_FALSE(s.Slow_Untriggered);
}

TEST(ComputeParams, SweepReleasedAndDisabledInScrollMode) {
    Scope_Settings s;
    s.Time_Div = Time_Index("100mS");
    s.Lenta = true;
    s.Gen_Mode_Button = Gen_Mode_Sel::Sweep;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_FALSE(s.Sweep_Enabled);
    EXPECT_EQ(s.Gen_Mode_Button, Gen_Mode_Sel::None);
    s.Trig_On = true;
    Compute_Params(s, p);
    EXPECT_TRUE(s.Sweep_Enabled);
}

struct Threshold_Case {
    double level;
    int hyst;
    uint8_t low;
    uint8_t high;
};
class Thresholds : public ::testing::TestWithParam<Threshold_Case> {};

TEST_P(Thresholds, AroundTheLevel) {
    const auto& c = GetParam();
    Scope_Settings s;
    s.Trig_Level = c.level;
    s.Trig_Hyst = c.hyst;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(p.Thr_Low, c.low);
    EXPECT_EQ(p.Thr_High, c.high);
}

INSTANTIATE_TEST_SUITE_P(Levels, Thresholds,
                         ::testing::Values(Threshold_Case{2.4, 3, 1, 10},
                                           Threshold_Case{20, 5, 1, 52},
                                           Threshold_Case{127, 1, 125, 129},
                                           Threshold_Case{126.5, 0, 127, 127},
                                           Threshold_Case{250, 4, 234, 255},
                                           // Levels outside the ADC range are clamped only here.
                                           Threshold_Case{-40, 2, 1, 3},
                                           Threshold_Case{400, 2, 252, 255},
                                           // A hand-edited hysteresis index is clamped.
                                           Threshold_Case{127, 77, 95, 159}));

TEST(ComputeParams, OffsetDacFromCalibration) {
    Scope_Settings s;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(p.Offset_DAC, 2206);
    s.Z_P1 = s.Z_P2 = 1000;  // degenerate calibration: k = 0
    Compute_Params(s, p);
    EXPECT_EQ(p.Offset_DAC, 1360);
    s.Z_P1 = 2000000000;  // hostile values must not wrap
    s.Z_P2 = -2000000000;
    s.Zero_Level = 0;
    Compute_Params(s, p);
    EXPECT_LE(p.Offset_DAC, 65535);
}

TEST(ComputeParams, GainByte) {
    Scope_Settings s;
    s.Volts_Div = 5;  // 50 mV, range code 0
    s.ACDC = true;
    s.Gen_On = true;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gain_Byte, 0x10);
    s.Gen_On = false;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gain_Byte, 0x18);
    EXPECT_EQ(p.Gen_Mode, 5);
}

TEST(ComputeParams, ProbeCaptionsAndLevelRescale) {
    Scope_Settings s;
    s.Zero_Level = 100;
    s.Trig_Level = 150;  // 50 codes above zero at 1 V/div
    s.BG_Zero_Level = 0;
    s.BG_Trig_Level = 10;
    Device_Params p;
    Compute_Params(s, p);
    Select_Volts_Div(s, 2);  // 0.5 V: the same voltage is twice as many codes
    Compute_Params(s, p);
    EXPECT_DOUBLE_EQ(s.Trig_Level, 200);
    EXPECT_DOUBLE_EQ(s.BG_Trig_Level, 20);
    EXPECT_FALSE(s.Level_Rescale);

    // A range change without the rescale flag (keyboard) keeps the codes.
    s.Volts_Div = 1;
    Compute_Params(s, p);
    EXPECT_DOUBLE_EQ(s.Trig_Level, 200);

    Cycle_Probe(s);
    Compute_Params(s, p);
    EXPECT_EQ(s.Probe, Probe_x10);
    EXPECT_EQ(p.Volts_Div_uV, 10000000);
    EXPECT_STREQ(s.Volts_Captions[5], "0.5V");
    EXPECT_EQ(Volts_Div_Button_Caption(s.Probe, false), "Volts/Div (x10)");
    Cycle_Probe(s);
    EXPECT_EQ(s.Probe, Probe_x1);
    s.Probe = Probe_x100;
    Cycle_Probe(s);
    EXPECT_EQ(s.Probe, Probe_x1);
}

// --- generator ------------------------------------------------------------

TEST(Generator, FrequencyFromBarsAndRange) {
    Scope_Settings s;
    s.Gen_On = true;
    s.F_fast = 100;
    s.F_slow = 0;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Freq, 10000);  // 1 kHz in 0.1 Hz
    EXPECT_EQ(p.Gen_Word1, 10995116);
    EXPECT_EQ(p.Gen_Mode, 0);
    s.F_slow = 1000;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Freq, 11000);
    s.Gen_Range = Gen_1M_10mS;
    s.Gen_Wave = Wave_Rect;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Freq, 1100000);
    EXPECT_EQ(p.Gen_Mode, 3);
    s.F_fast = s.F_slow = 0;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Mode, 5);
}

TEST(Generator, SweepWordsAndRealisedSpan) {
    Scope_Settings s;
    s.Gen_On = true;
    s.Gen_Range = Gen_10M_1mS;
    s.Gen_Mode_Button = Gen_Mode_Sel::Sweep;
    s.F_fast = 10;
    s.F_slow = 20;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Mode, 0x08);
    EXPECT_EQ(p.Gen_Freq, 1000000);  // 100 kHz start
    const int64_t word2 = static_cast<int64_t>(1000000.0 * 1099.511627776 / p.Post_Count);
    EXPECT_EQ(p.Gen_Word2, word2);
    EXPECT_EQ(p.Sweep_Span, static_cast<int64_t>(static_cast<double>(word2 * p.Post_Count) *
                                                 0.0009094947017729281));
    EXPECT_LE(p.Sweep_Span, 1000000);
    EXPECT_GT(p.Sweep_Span, 999000);
    s.F_fast = s.F_slow = 0;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Mode, 0x0D);
}

struct Pulse_Case {
    bool keep;
    int fast, slow;
    int64_t width, period;
};
class Pulse : public ::testing::TestWithParam<Pulse_Case> {};
TEST_P(Pulse, WidthAndPeriod) {
    const auto& c = GetParam();
    Scope_Settings s;
    s.Gen_On = true;
    s.Gen_Range = Gen_10M_1mS;  // "1mS": x100
    s.Gen_Mode_Button = Gen_Mode_Sel::Pulse;
    s.Keep_Pulse = c.keep;
    s.F_fast = c.fast;
    s.F_slow = c.slow;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(p.Pulse_Width, c.width);
    EXPECT_EQ(p.Pulse_Period, c.period);
    EXPECT_EQ(p.Gen_Mode & 0x10, 0x10);
    EXPECT_EQ(p.Gen_Word1, c.period > 0 ? c.period - 1 : 0);
    EXPECT_EQ(p.Gen_Word2, c.width);
    EXPECT_STREQ(s.Range_Captions[3], "1mS");
    EXPECT_TRUE(s.Gen_50M_Visible);
    for (bool e : s.Wave_Enabled) EXPECT_FALSE(e);
}
INSTANTIATE_TEST_SUITE_P(Cases, Pulse,
                         ::testing::Values(Pulse_Case{false, 250, 1000, 25000, 100000},
                                           Pulse_Case{false, 300, 300, 30000, 30000},
                                           Pulse_Case{true, 300, 300, 29900, 30000},
                                           Pulse_Case{true, 0, 0, 100, 200},
                                           Pulse_Case{false, 0, 0, 0, 0}));

TEST(Generator, ModulationWords) {
    Scope_Settings s;
    s.Gen_On = true;
    s.Gen_Mode_Button = Gen_Mode_Sel::Mod;
    s.Ampl = 200;
    Device_Params p;
    Compute_Params(s, p);  // AM, 1 kHz, 70 %
    EXPECT_EQ(p.Gen_Mode, 0x20);
    EXPECT_EQ(p.Mod_Word, static_cast<int32_t>(100 * 107.3741824));
    EXPECT_EQ(p.Gen_Word2, static_cast<int64_t>(312 * 65.5355 * 0.001953125 * 700));
    s.Mod_K_x = 1;
    s.Mod_Freq_x = 1;
    Compute_Params(s, p);
    EXPECT_EQ(p.Mod_Word, static_cast<int32_t>(1000 * 107.3741824));
    EXPECT_EQ(p.Gen_Word2, static_cast<int64_t>(312 * 65.5355 * 0.001953125 * 1400));
    s.Mod_Type = 1;  // FM
    s.Dev_Freq_x = 1;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Mode, 0x18);
    EXPECT_EQ(p.Gen_Word2, static_cast<int64_t>(3000 * 6.7108864));
}

TEST(Generator, NoiseKeepsModulationWords) {
    Scope_Settings s;
    s.Gen_On = true;
    s.Gen_Mode_Button = Gen_Mode_Sel::Mod;
    Device_Params p;
    Compute_Params(s, p);
    const int64_t word2 = p.Gen_Word2;
    const int32_t mod = p.Mod_Word;
    s.Gen_Mode_Button = Gen_Mode_Sel::None;
    s.Gen_Range = Gen_10uS_Noise;
    Compute_Params(s, p);
    EXPECT_EQ(p.Gen_Mode, 0x28);
    EXPECT_EQ(p.Gen_Word2, word2);
    EXPECT_EQ(p.Mod_Word, mod);
    EXPECT_FALSE(s.Freq_Bars_Enabled);
    EXPECT_FALSE(s.Wave_Enabled[Wave_Sin]);
}

struct Range_Rule_Case {
    int range;
    Gen_Mode_Sel mode;
    bool service;
    int expect_range;
    bool noise_visible;
    bool m50_visible;
};
class RangeRules : public ::testing::TestWithParam<Range_Rule_Case> {};
TEST_P(RangeRules, Apply) {
    const auto& c = GetParam();
    Scope_Settings s;
    s.Gen_Range = c.range;
    s.Gen_Mode_Button = c.mode;
    s.No_Excuse = c.service;
    s.Gen_Wave = Wave_Trian;
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(s.Gen_Range, c.expect_range);
    EXPECT_EQ(s.Gen_Noise_Visible, c.noise_visible);
    EXPECT_EQ(s.Gen_50M_Visible, c.m50_visible);
    if (c.expect_range >= Gen_10M_1mS && c.mode != Gen_Mode_Sel::Pulse) {
        EXPECT_EQ(s.Gen_Wave, Wave_Sin);
    }
}
INSTANTIATE_TEST_SUITE_P(
    Cases, RangeRules,
    ::testing::Values(
        Range_Rule_Case{Gen_50M_100uS, Gen_Mode_Sel::None, false, Gen_10M_1mS, true, false},
        Range_Rule_Case{Gen_50M_100uS, Gen_Mode_Sel::None, true, Gen_50M_100uS, true, true},
        Range_Rule_Case{Gen_50M_100uS, Gen_Mode_Sel::Pulse, false, Gen_50M_100uS, true, true},
        Range_Rule_Case{Gen_10uS_Noise, Gen_Mode_Sel::Mod, false, Gen_10M_1mS, false, false},
        Range_Rule_Case{Gen_10uS_Noise, Gen_Mode_Sel::Sweep, true, Gen_50M_100uS, false, true},
        Range_Rule_Case{Gen_10uS_Noise, Gen_Mode_Sel::Pulse, false, Gen_10uS_Noise, true, true},
        Range_Rule_Case{Gen_1M_10mS, Gen_Mode_Sel::None, false, Gen_1M_10mS, true, false}));

TEST(Sanitize, HandEditedValuesStayInTables) {
    Scope_Settings s;
    s.Time_Div = 99;
    s.Volts_Div = -3;
    s.Smpl_N = 7;
    s.Trig_Pre = 50;
    s.Trig_N = 0;
    s.Trig_Hyst = -1;
    s.Gen_Range = 12;
    s.Gen_Wave = -1;
    s.Gen_Mode_Button = static_cast<Gen_Mode_Sel>(9);
    s.F_fast = 100000;
    s.Ampl = -5;
    s.Mod_Freq = 2000000000;
    s.Trig_Level = std::numeric_limits<double>::infinity();
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(s.Time_Div, Time_Step_Count - 1);
    EXPECT_EQ(s.Volts_Div, 0);
    EXPECT_EQ(s.Smpl_N, 3);
    EXPECT_EQ(s.Trig_Pre, 9);
    EXPECT_EQ(s.Trig_N, 1);
    EXPECT_EQ(s.Trig_Hyst, 0);
    EXPECT_EQ(s.Gen_Mode_Button, Gen_Mode_Sel::None);
    EXPECT_EQ(s.F_fast, 1000);
    EXPECT_EQ(s.Ampl, 11);
    EXPECT_EQ(s.Mod_Freq, 1000);
    EXPECT_GE(p.Post_Count, 1);
}

}  // namespace
}  // namespace tovan
