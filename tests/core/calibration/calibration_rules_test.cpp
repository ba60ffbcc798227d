// The rules of the calibrations without a device: which frame a zero step
// takes, the zero results, the identity of a blank device, the TDC pass
// rule, and the texts built from the values.
#include "calibration/calibration_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovan {
namespace {

struct Candidate_Case {
    const char* name;
    int limit;
    std::vector<Zero_Frame_Stats> frames;  // passes 0, 1, ...
    bool found;
    double mean;  // of the frame taken
};
void PrintTo(const Candidate_Case& c, std::ostream* os) { *os << c.name; }

class ZeroCandidate : public ::testing::TestWithParam<Candidate_Case> {};

TEST_P(ZeroCandidate, TakesTheStrictlySmallestSpanFromTheFourthFrameOn) {
    const Candidate_Case& c = GetParam();
    Zero_Candidate cand(c.limit);
    for (size_t i = 0; i < c.frames.size(); ++i) cand.Take(static_cast<int>(i), c.frames[i]);
    EXPECT_EQ(cand.Found(), c.found);
    if (c.found) {
        EXPECT_DOUBLE_EQ(cand.Mean(), c.mean);
    }
}

// Frame stats as {span, sum, count}; a mean of 100 + k marks frame k.
Zero_Frame_Stats F(int vpp, int mean) { return {vpp, mean * 10, 10}; }

INSTANTIATE_TEST_SUITE_P(
    Frames, ZeroCandidate,
    ::testing::Values(
        Candidate_Case{"FirstThreeDiscarded", 12, {F(1, 100), F(1, 101), F(1, 102), F(5, 103), F(6, 104)}, true, 103},
        Candidate_Case{"OnlyEarlyFramesGood", 12, {F(1, 100), F(1, 101), F(1, 102), F(-1, 103), F(12, 104)}, false, 0},
        Candidate_Case{"ClippedNeverCounts", 12, {F(1, 100), F(1, 101), F(1, 102), F(-1, 103), F(-1, 104), F(7, 105)},
                       true, 105},
        Candidate_Case{"AllClipped", 12, {F(-1, 0), F(-1, 0), F(-1, 0), F(-1, 0), F(-1, 0), F(-1, 0), F(-1, 0), F(-1, 0)},
                       false, 0},
        Candidate_Case{"SpanAtTheLimitRefused", 16, {F(0, 0), F(0, 0), F(0, 0), F(16, 103), F(15, 104)}, true, 104},
        Candidate_Case{"StrictlySmallerWins", 12, {F(0, 0), F(0, 0), F(0, 0), F(4, 103), F(3, 104), F(5, 105)}, true,
                       104},
        Candidate_Case{"TieKeepsTheEarlier", 12, {F(0, 0), F(0, 0), F(0, 0), F(4, 103), F(2, 104), F(2, 105)}, true,
                       104},
        Candidate_Case{"EmptyFrameNeverCounts", 12, {F(0, 0), F(0, 0), F(0, 0), {0, 0, 0}, F(9, 104)}, true, 104},
        Candidate_Case{"ZeroSpanCounts", 12, {F(0, 0), F(0, 0), F(0, 0), F(3, 103), F(0, 104)}, true, 104}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(ZeroResults, FlatCode128GivesNoOffsetAndEqualPoints) {
    // Each group: sixteen times a mean of 128.
    const double s = (128.0 + 128.0 + 128.0) * 5.333333333333333;
    EXPECT_EQ(Zero_Results(s, s, s), (Zero_Values{2048, 2048, 0}));
}

TEST(ZeroResults, RecoversPointsAndOffsetOfTheLinearModel) {
    // Readings x 16 = Z + Offset x 50000 / uV per division, Z linear in
    // the DAC code: 2 V/div at the two points, 50 mV/div in the middle.
    struct Case {
        int z1, z2, offset;
    };
    for (const Case c : {Case{3296, 688, 37}, Case{3357, 725, 0}, Case{3000, 900, -52}}) {
        const double s1 = c.z1 + c.offset / 40.0;
        const double s2 = c.z2 + c.offset / 40.0;
        const double s3 = (c.z1 + c.z2) / 2.0 + c.offset;
        EXPECT_EQ(Zero_Results(s1, s2, s3), (Zero_Values{c.z1, c.z2, c.offset})) << c.z1;
    }
}

TEST(ZeroResults, RoundsHalvesAwayFromZero) {
    // With the middle group between the two points there is no offset
    // term, and the points are the groups rounded.
    EXPECT_EQ(Zero_Results(100.5, 200.5, 150.5), (Zero_Values{101, 201, 0}));
    EXPECT_EQ(Zero_Results(-2.5, 2.5, 0.0), (Zero_Values{-3, 3, 0}));
}

TEST(ZeroSteps, NineStepsAroundTwoPointsAndTheMiddle) {
    const auto& t = Zero_Step_Table();
    const uint16_t dacs[9] = {1360, 1341, 1379, 3040, 3021, 3059, 2200, 2181, 2219};
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].offset_dac, dacs[i]) << i;
        EXPECT_EQ(t[i].volts_div_uv, i < 6 ? 2000000 : 50000) << i;
        EXPECT_EQ(t[i].gain_byte, i < 6 ? 27 : 24) << i;
        EXPECT_EQ(t[i].span_limit, i < 6 ? 12 : 16) << i;
    }
    const Device_Params p = Zero_Params(Device_Params{}, t[6], true);
    EXPECT_EQ(p.Gain_Byte, 56);
    EXPECT_EQ(p.Smpl_Divider, 400u);
    EXPECT_EQ(p.Trig_Flags, 8);
    EXPECT_EQ(p.Trig_Mode_Byte, 0);
    EXPECT_EQ(p.Pre_Count + p.Post_Count, 5000);
}

TEST(Identity, BytesFromAFixedClockValue) {
    // 45000.5 days x 50000 = 2250025000 = 0x861CA828.
    const std::array<uint8_t, 5> expect{0x28, 0xA8 ^ 0x28, 0x1C ^ 0x28, 0x86 ^ 0x28, 0xA5};
    EXPECT_EQ(Identity_Bytes(45000.5), expect);
}

TEST(Identity, LocalDaysCountFromTheEndOf1899) {
    // Whatever the zone, a time and the same time a day and six hours
    // later differ by 1.25 days, and the count lies in this century.
    const auto t = std::chrono::system_clock::from_time_t(1700000000);
    const double d = Local_Days_Since_1899(t);
    EXPECT_NEAR(Local_Days_Since_1899(t + std::chrono::hours(30)) - d, 1.25, 1e-6);
    EXPECT_GT(d, 45000.0);  // 1 March 2023
    EXPECT_LT(d, 45400.0);
}

struct TDC_Case {
    const char* name;
    std::vector<int> values;
    bool failed_early;
    bool succeeded;
    int value;
};
void PrintTo(const TDC_Case& c, std::ostream* os) { *os << c.name; }

class TDCPassRule : public ::testing::TestWithParam<TDC_Case> {};

TEST_P(TDCPassRule, LargestValueUnlessOutOfRange) {
    const TDC_Case& c = GetParam();
    TDC_Pass_Rule r;
    size_t taken = 0;
    for (int v : c.values) {
        ++taken;
        if (!r.Take(v)) break;
    }
    EXPECT_EQ(r.Failed(), c.failed_early);
    EXPECT_EQ(r.Succeeded(), c.succeeded);
    if (!c.failed_early) {
        EXPECT_EQ(r.Value(), c.value);
        EXPECT_EQ(taken, c.values.size());
    }
}

std::vector<int> Repeat(int v, int n) { return std::vector<int>(static_cast<size_t>(n), v); }

INSTANTIATE_TEST_SUITE_P(
    Passes, TDCPassRule,
    ::testing::Values(TDC_Case{"LargestOfFour", {5, 19, 22, 18}, false, true, 22},
                      TDC_Case{"TwentyEightFailsAtOnce", {20, 28, 21}, true, false, 0},
                      TDC_Case{"TwentySevenIsValid", {27, 3}, false, true, 27},
                      TDC_Case{"NeverAboveElevenFails", Repeat(11, TDC_Passes), false, false, 11},
                      TDC_Case{"TwelveIsEnough", {12}, false, true, 12}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(TDCParams, FixedGeneratorAndExternalTrigger) {
    Device_Params base;
    base.Gain_Byte = 0x1F;  // 1 V range, generator off, AC
    const Device_Params rise = TDC_Params(base, false);
    EXPECT_EQ(rise.Gen_Word1, 108593740906);
    EXPECT_EQ(rise.Gain_Byte, 7);
    EXPECT_EQ(rise.Trig_Flags, 13);
    EXPECT_EQ(rise.Smpl_Divider, 1u);
    EXPECT_EQ(rise.Trig_Mode_Byte, 1);
    EXPECT_EQ(rise.FM_Input, 1);
    EXPECT_EQ(TDC_Params(base, true).Trig_Flags, 15);
}

TEST(CalibrationTexts, ValuesLines) {
    struct Case {
        bool ru;
        std::optional<int32_t> rise, fall;
        const char* expect;
    };
    const Case cases[] = {
        {false, 21, 23, "Rise = 10/21 nS     Fall = 10/23 nS"},
        {false, 7, std::nullopt, "Rise = 10/7 nS     Fall = ..."},
        {false, std::nullopt, std::nullopt, "..."},
        {true, 21, 23, "Фронт = 10/21 nS     Срез = 10/23 nS"},
    };
    for (const Case& c : cases) EXPECT_EQ(TDC_Values_Line(c.ru, c.rise, c.fall), c.expect);
    EXPECT_EQ(Zero_Values_Line({3296, 688, -37}), "Point1 = 3296      Point2 = 688      Offset = -37");
}

TEST(CalibrationTexts, PPMWithTwoDecimals) {
    struct Case {
        int ppm;
        const char* expect;
    };
    for (const Case c : {Case{-250, "PPM = -50.00"}, Case{1, "PPM = 0.20"}, Case{0, "PPM = 0.00"},
                         Case{-1, "PPM = -0.20"}, Case{37, "PPM = 7.40"}, Case{250, "PPM = 50.00"}})
        EXPECT_EQ(PPM_Text(false, c.ppm), c.expect) << c.ppm;
}

}  // namespace
}  // namespace tovan
