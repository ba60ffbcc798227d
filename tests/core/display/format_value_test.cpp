#include "display/format_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tovan {
namespace {

struct Format_Case {
    double x;
    int kind;
    int digits;
    const char* text;
};

class Format_Value_Table : public ::testing::TestWithParam<Format_Case> {};

TEST_P(Format_Value_Table, Text) {
    const auto& c = GetParam();
    EXPECT_EQ(Format_Value(c.x, c.kind, c.digits), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Ladder, Format_Value_Table,
    ::testing::Values(
        // Worked examples.
        Format_Case{2000000, Kind_Voltage, 0, "2 V"}, Format_Case{50000, Kind_Voltage, 0, "50 mV"},
        Format_Case{1e6, Kind_Time, 0, "1 mS"}, Format_Case{1234.5, Kind_Frequency, -5, "1.2345 KHz"},
        Format_Case{-5000, Kind_Voltage, -4, "-5.000 mV"},
        // Rounding stays in the rung the unrounded value chose.
        Format_Case{999.96, Kind_Time, -3, "1000 nS"},
        // Bottom rungs: nS, mV, mHz.
        Format_Case{0.5, Kind_Voltage, -3, "0.00 mV"}, Format_Case{0.005, Kind_Frequency, -3, "5.00 mHz"},
        Format_Case{0.05, Kind_Frequency, -3, "50.0 mHz"}, Format_Case{0.5, Kind_Frequency, -3, "500 mHz"},
        Format_Case{0.5, Kind_Time, -3, "0.50 nS"}, Format_Case{0, Kind_Time, -5, "0.0000 nS"},
        // Each rung's integer digits.
        Format_Case{50, Kind_Time, -5, "50.000 nS"}, Format_Case{50, Kind_Voltage, -4, "0.050 mV"},
        Format_Case{12346, Kind_Time, -4, "12.35 uS"}, Format_Case{123456, Kind_Voltage, -4, "123.5 mV"},
        Format_Case{1.5e6, Kind_Voltage, -4, "1.500 V"}, Format_Case{2.5e7, Kind_Frequency, -6, "25.0000 MHz"},
        Format_Case{3e9, Kind_Time, -3, "3.00 S"}, Format_Case{2e10, Kind_Time, 0, "20 S"},
        Format_Case{1.2e12, Kind_Voltage, -2, "1200 KV"}, Format_Case{5e9, Kind_Frequency, 1, "5.0 GHz"},
        // Halves away from zero; negative values keep the ladder of |x|.
        Format_Case{2.5, Kind_Time, 0, "3 nS"}, Format_Case{-2.5, Kind_Time, 0, "-3 nS"},
        Format_Case{-0.001, Kind_Time, 2, "0.00 nS"}, Format_Case{-1.5e6, Kind_Time, -2, "-1.5 mS"},
        // Ties are decided on the 15-digit decimal text, not on the binary
        // value just below it.
        Format_Case{1.005, Kind_Time, 2, "1.01 nS"}, Format_Case{10.05, Kind_Frequency, -3, "10.1 Hz"},
        Format_Case{-1.005, Kind_Time, 2, "-1.01 nS"}, Format_Case{1.0049999, Kind_Time, 2, "1.00 nS"},
        Format_Case{1005, Kind_Frequency, -3, "1.01 KHz"}, Format_Case{2.675e6, Kind_Voltage, -3, "2.68 V"},
        Format_Case{9.995, Kind_Time, 2, "10.00 nS"}, Format_Case{0.0005, Kind_Time, 3, "0.001 nS"},
        Format_Case{0.0004, Kind_Time, 3, "0.000 nS"}, Format_Case{1e-20, Kind_Time, 2, "0.00 nS"},
        Format_Case{123456.78, Kind_Time, 15, "123.456780000000000 uS"},
        // More decimals than significant digits ask for, and not finite.
        Format_Case{1e6, Kind_Time, 3, "1.000 mS"},
        Format_Case{std::numeric_limits<double>::infinity(), Kind_Time, 0, "..."},
        Format_Case{std::nan(""), Kind_Frequency, -3, "..."}));

}  // namespace
}  // namespace tovan
