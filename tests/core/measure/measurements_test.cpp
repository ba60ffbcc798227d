#include "measure/measurements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tovan {
namespace {

constexpr int32_t I32_Min = -2147483647 - 1;
constexpr int32_t I32_Max = 2147483647;

struct Record_Fields {
    int32_t uv_div = 1000000, zero = 127, vpp = 0, sum = 0, sum_n = 0;
    int32_t fm_input = 0, fm_count = 0, fm_gate = 0, ppm = 0, period = 1;
};

struct Measure_Case {
    const char* name;
    Record_Fields r;
    bool vpp_valid;
    double vpp_uv;
    bool vdc_valid;
    double vdc_uv;
    bool fin_valid;
    double fin_hz;
    bool fsmpl_valid;
    double fsmpl_hz;
};

class Measure_Table : public ::testing::TestWithParam<Measure_Case> {};

TEST_P(Measure_Table, Values) {
    const Measure_Case& c = GetParam();
    Frame_Info f;
    f.Frame_uV_Div = c.r.uv_div;
    f.Frame_Zero = c.r.zero;
    f.Vpp_Code = c.r.vpp;
    f.Sum_Code = c.r.sum;
    f.Sum_N = c.r.sum_n;
    f.Frame_FM_Input = c.r.fm_input;
    f.FM_Count = c.r.fm_count;
    f.FM_Gate = c.r.fm_gate;
    f.Frame_PPM = c.r.ppm;
    f.Smpl_Period = c.r.period;
    const Measurements m = Measure_Frame(f);
    EXPECT_EQ(m.Vpp_Valid, c.vpp_valid);
    EXPECT_EQ(m.Vdc_Valid, c.vdc_valid);
    EXPECT_EQ(m.Fin_Valid, c.fin_valid);
    EXPECT_EQ(m.Fsmpl_Valid, c.fsmpl_valid);
    EXPECT_EQ(m.FM_Input, c.r.fm_input);
    for (double v : {m.Vpp_uV, m.Vdc_uV, m.Fin_Hz, m.Fsmpl_Hz}) EXPECT_TRUE(std::isfinite(v));
    if (c.vpp_valid) {
        EXPECT_NEAR(m.Vpp_uV, c.vpp_uv, 1e-9 * std::abs(c.vpp_uv) + 1e-9);
    }
    if (c.vdc_valid) {
        EXPECT_NEAR(m.Vdc_uV, c.vdc_uv, 1e-9 * std::abs(c.vdc_uv) + 1e-9);
    }
    if (c.fin_valid) {
        EXPECT_NEAR(m.Fin_Hz, c.fin_hz, 1e-9 * std::abs(c.fin_hz) + 1e-9);
    }
    if (c.fsmpl_valid) {
        EXPECT_NEAR(m.Fsmpl_Hz, c.fsmpl_hz, 1e-9 * std::abs(c.fsmpl_hz));
    }
}

// Record_Fields: uv_div, zero, vpp, sum, sum_n, fm_input, fm_count, fm_gate, ppm, period
INSTANTIATE_TEST_SUITE_P(
    Frames, Measure_Table,
    ::testing::Values(
        // 1 V/div: 31250 uV per code; 100 codes peak to peak, mean 2 codes
        // below the zero code.
        Measure_Case{"Voltages", {1000000, 127, 100, 125 * 1000, 1000, 0, 0, 0, 0, 400},
                     true, 3125000, true, -62500, false, 0, true, 250000},
        // 1001 periods in one second: 1000 Hz; +10 ppm; the HF input x8.
        Measure_Case{"FrequencyMeter", {1000000, 127, 0, 127, 1, 0, 1001, 100000000, 0, 1},
                     true, 0, true, 0, true, 1000, true, 1e8},
        Measure_Case{"TimeBaseCorrection", {1000000, 127, 0, 127, 1, 1, 1001, 100000000, 50, 1},
                     true, 0, true, 0, true, 1000.01, true, 1e8},
        Measure_Case{"HighFrequencyInput", {1000000, 127, 0, 127, 1, 2, 1001, 100000000, 50, 1},
                     true, 0, true, 0, true, 8000.08, true, 1e8},
        // Not valid: clipped signal, no samples, no gate, no sample interval.
        Measure_Case{"Clipped", {1000000, 127, -1, 5000, 20, 0, 5, 0, 0, 0},
                     false, 0, false, 0, false, 0, false, 0},
        Measure_Case{"EmptySamples", {1000000, 127, 0, 0, 0, 0, 1001, 1, 0, 2},
                     false, 0, false, 0, true, 1000 * 1e8, true, 5e7},
        // Hostile records (from files): negative counts and gates, the
        // extremes of every field.
        Measure_Case{"NegativeCounts", {1000000, 127, 3, 600, -4, 0, -5, -100, 0, -4},
                     false, 0, false, 0, false, 0, true, -2.5e7},
        Measure_Case{"ZeroCount", {1000000, 127, 0, 0, 1, 0, 0, 100000000, 0, 1},
                     true, 0, true, -127 * 31250.0, true, -1, true, 1e8},
        Measure_Case{"Extremes", {I32_Min, I32_Max, I32_Max, I32_Min, 1, 2, I32_Min, 1, I32_Min, I32_Min},
                     true, I32_Max * (I32_Min / 32.0), true, (I32_Min / 32.0) * (double(I32_Min) - I32_Max),
                     true, (double(I32_Min) - 1) * 1e8 * (I32_Min * 0.2e-6 + 1) * 8, true, 1e8 / I32_Min}),
    [](const ::testing::TestParamInfo<Measure_Case>& p) { return std::string(p.param.name); });

TEST(FM_Frequency, NoGateGivesZero) {
    EXPECT_EQ(FM_Frequency(1001, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(FM_Frequency(1001, 100000000, 0, 0), 1000.0);
}

}  // namespace
}  // namespace tovan
