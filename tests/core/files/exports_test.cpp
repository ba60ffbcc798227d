// Exports of the frame on screen: the text table, the raw bytes with their
// description, and the CSV table read back as numbers.
#include "files/exports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "files_fixtures.h"

namespace tovan {
namespace {

using test_support::Bytes;
using test_support::Fixture_Frame;
using test_support::Make_Frame;

constexpr int32_t E = No_Sample;

// Make_Frame: 20 ns per sample, 1000000 uV/div (31.25 mV per code), zero 120.
const std::string Header = "Oscilloscope data. \r\nTime step = 20.00 nS\r\nVoltage step = 31.25 mV\r\nZero level = 120\r\n\r\n";

struct Export_Case {
    Fixture_Frame frame;
    std::string text;  // after the common header
    std::string binary;
};

const Export_Case Exports[] = {
    {{"empty frame", 0, 0, 0, {}, {}, {}, {}}, "N \tSmpl.\r\n\r\n", ""},
    {{"normal", 3, 0, 0, {10, 128, 254}, {}, {}, {}},
     "N \tSmpl.\r\n\r\n0\t10\r\n1\t128\r\n2\t254\r\n", Bytes({10, 128, 254})},
    {{"peak detect, first entry empty", 2, 1, 0, {E, 20}, {11, 21}, {}, {}},
     "N \tMin. \tMax.\r\n\r\n0\tno sig.\r\n1\t20\t21\r\n", ""},
    {{"peak detect, second value empty", 3, 1, 0, {10, 20, 30}, {11, E, 31}, {}, {}},
     "N \tMin. \tMax.\r\n\r\n0\t10\t11\r\n1\tno sig.\r\n2\t30\t31\r\n", Bytes({10, 11, 20})},
    {{"empty entry in the middle", 3, 0, 0, {1, E, 3}, {}, {}, {}},
     "N \tSmpl.\r\n\r\n0\t1\r\n1\tno sig.\r\n2\t3\r\n", Bytes({1})},
    {{"external levels 4 and 28", 3, 0, 1, {5, 6, 7}, {}, {4, 28, E}, {}},
     "N \tSmpl.\tTrig\r\n\r\n0\t5\t0\r\n1\t6\t1\r\n2\tno sig.\r\n", Bytes({5, 6, 7})},
    {{"peak detect with external trace", 2, 1, 1, {10, 20}, {11, 21}, {4, 28}, {28, 4}},
     "N \tMin. \tMax.\tT min \tT max.\r\n\r\n0\t10\t11\t0\t1\r\n1\t20\t21\t1\t0\r\n", Bytes({10, 11, 20, 21})},
};

class Export_Table : public ::testing::TestWithParam<Export_Case> {};

TEST_P(Export_Table, TextAndRawBinary) {
    const Export_Case& c = GetParam();
    const auto f = Make_Frame(c.frame);
    EXPECT_EQ(Export_Text(*f), Header + c.text);
    EXPECT_EQ(Export_Row_Binary(*f), c.binary);
}

INSTANTIATE_TEST_SUITE_P(Frames, Export_Table, ::testing::ValuesIn(Exports), [](const ::testing::TestParamInfo<Export_Case>& p) {
    std::string n = p.param.frame.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST(Row_Binary_Text, DescribesTheBytes) {
    const auto normal = Make_Frame(Exports[1].frame);
    EXPECT_EQ(Export_Row_Binary_Text(normal->Info, "scope.bin"),
              "Oscilloscope binary file = scope.bin\r\nTime step = 20.00 nS\r\n"
              "Peak detector off, byte per sample = 1\r\nVoltage step = 31.25 mV\r\nZero level = 120\r\n\r\n");
    const auto peak = Make_Frame(Exports[2].frame);
    EXPECT_NE(Export_Row_Binary_Text(peak->Info, "p.bin").find("\r\nPeak detector on, bytes per sample = 2\r\n"),
              std::string::npos);
}

TEST(Exports, HostileRecordStaysWithinTheArrays) {
    auto f = Make_Frame(Exports[1].frame);
    f->Info.Smpl_Count = 1 << 30;
    f->Smpl_Buf_A.fill(9);
    f->Smpl_Buf_B.fill(9);
    EXPECT_EQ(Export_Row_Binary(*f).size(), static_cast<size_t>(Smpl_Buf_Size));
    const std::string text = Export_Text(*f);
    EXPECT_NE(text.find("\r\n19999\t9\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\r\n20000\t"), std::string::npos);
    f->Info.Smpl_Count = -1;
    EXPECT_EQ(Export_Row_Binary(*f), "");
    EXPECT_EQ(Export_CSV(*f), "time_s,volts\r\n");
}

// A small CSV reader: rows of fields, each a number or empty (NaN).
std::vector<std::vector<double>> Read_CSV(const std::string& csv, std::string& header) {
    std::istringstream in(csv);
    std::string line;
    std::getline(in, header);
    if (!header.empty() && header.back() == '\r') header.pop_back();
    std::vector<std::vector<double>> rows;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<double> row;
        std::string field;
        std::istringstream fields(line);
        while (std::getline(fields, field, ',')) row.push_back(field.empty() ? NAN : std::stod(field));
        if (!line.empty() && line.back() == ',') row.push_back(NAN);
        rows.push_back(row);
    }
    return rows;
}

void Expect_Row(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        if (std::isnan(want[i])) {
            EXPECT_TRUE(std::isnan(got[i])) << "field " << i;
        } else {
            EXPECT_NEAR(got[i], want[i], std::abs(want[i]) * 1e-9 + 1e-15) << "field " << i;
        }
    }
}

TEST(Export_CSV, TimesAndVoltsReadBack) {
    // Trigger at entry 1 plus 5 tenths: times -1.5, -0.5, 0.5 samples of 20 ns.
    auto f = Make_Frame(Exports[5].frame);  // normal with external levels
    f->Info.Trig_Frac = 5;
    std::string header;
    const auto rows = Read_CSV(Export_CSV(*f), header);
    EXPECT_EQ(header, "time_s,volts,ext_trig");
    ASSERT_EQ(rows.size(), 3u);
    const double q = 31.25e-3;  // volts per code
    Expect_Row(rows[0], {-30e-9, (5 - 120) * q, 0});
    Expect_Row(rows[1], {-10e-9, (6 - 120) * q, 1});
    Expect_Row(rows[2], {10e-9, (7 - 120) * q, NAN});

    auto p = Make_Frame(Exports[2].frame);  // peak detect, first entry empty
    const auto prow = Read_CSV(Export_CSV(*p), header);
    EXPECT_EQ(header, "time_s,volts_min,volts_max");
    ASSERT_EQ(prow.size(), 2u);
    Expect_Row(prow[0], {-20e-9, NAN, (11 - 120) * q});
    Expect_Row(prow[1], {0.0, (20 - 120) * q, (21 - 120) * q});
}

TEST(Export_CSV, ScrollFrameOldestFirst) {
    // A full ring whose next write goes to entry 2: entries 2, 3, 0, 1 in time order.
    Fixture_Frame fx{"ring", 4, 0, 0, {100, 101, 102, 103}, {}, {}, {}};
    auto f = Make_Frame(fx);
    f->Info.Ring_Flag = 1;
    f->Info.Ring_Pos = 2;
    std::string header;
    const auto rows = Read_CSV(Export_CSV(*f), header);
    ASSERT_EQ(rows.size(), 4u);
    const double q = 31.25e-3;
    const int order[] = {102, 103, 100, 101};
    for (int k = 0; k < 4; ++k) Expect_Row(rows[static_cast<size_t>(k)], {k * 20e-9, (order[k] - 120) * q});
}

}  // namespace
}  // namespace tovan
