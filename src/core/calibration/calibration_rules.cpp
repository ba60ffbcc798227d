#include "calibration/calibration_rules.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "common/numeric.h"
#include "i18n/calibration_texts.h"

namespace tovan {
namespace {

// 16/3: a group is sixteen times the mean of its three step means.
constexpr double Group_Factor = 5.333333333333333;
constexpr double One_39th = 0.02564102564102564;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t Days_From_Civil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

bool Zero_Candidate::Take(int pass, const Zero_Frame_Stats& f) {
    if (pass < Zero_Discarded_Passes || f.sum_n == 0) return false;
    if (f.vpp_code < 0 || f.vpp_code >= best_) return false;
    best_ = f.vpp_code;
    mean_ = static_cast<double>(f.sum_code) / static_cast<double>(f.sum_n);
    found_ = true;
    return true;
}

const std::array<Zero_Step, Zero_Steps>& Zero_Step_Table() {
    // Range code 3 (2 V) or 0 (50 mV), generator off (bit 3), AC (bit 4).
    static const std::array<Zero_Step, Zero_Steps> table{{
        {2000000, 27, 1360, 12},
        {2000000, 27, 1341, 12},
        {2000000, 27, 1379, 12},
        {2000000, 27, 3040, 12},
        {2000000, 27, 3021, 12},
        {2000000, 27, 3059, 12},
        {50000, 24, 2200, 16},
        {50000, 24, 2181, 16},
        {50000, 24, 2219, 16},
    }};
    return table;
}

Zero_Values Zero_Results(double s1, double s2, double s3) {
    const double d = s3 - (s1 + s2) * 0.5;
    Zero_Values v;
    v.offset = Round_Half_I32(d * 40.0 * One_39th);
    v.z_p1 = Round_Half_I32(s1 - d * One_39th);
    v.z_p2 = Round_Half_I32(s2 - d * One_39th);
    return v;
}

Device_Params Zero_Params(const Device_Params& base, const Zero_Step& step, bool debug) {
    Device_Params p = base;
    p.Record_Points = 5000;
    p.Time_Div_ns = 2000000;
    p.Trig_Mode_Byte = 0;
    p.Smpl_Divider = 2000000 / 5000;
    p.Smpl_Per_Div = static_cast<int32_t>(p.Time_Div_ns / (uint64_t{p.Smpl_Divider} * 10));
    p.Pre_Count = 0;
    p.Post_Count = 5000;
    p.Trig_Flags = 8;
    p.Slow_Untriggered = false;
    p.Volts_Div_uV = step.volts_div_uv;
    p.Gain_Byte = static_cast<uint8_t>(step.gain_byte | (debug ? 0x20 : 0));
    p.Offset_DAC = step.offset_dac;
    return p;
}

std::array<uint8_t, 5> Identity_Bytes(double days_since_1899) {
    const auto n = static_cast<uint64_t>(static_cast<int64_t>(std::floor(days_since_1899 * 50000.0)));
    const auto byte = [n](int k) { return static_cast<uint8_t>((n >> (8 * k)) & 0xFF); };
    const uint8_t b0 = byte(0);
    return {b0, static_cast<uint8_t>(byte(1) ^ b0), static_cast<uint8_t>(byte(2) ^ b0),
            static_cast<uint8_t>(byte(3) ^ b0), 0xA5};
}

double Local_Days_Since_1899(std::chrono::system_clock::time_point t) {
    const std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &tt);
#else
    localtime_r(&tt, &local);
#endif
    const auto sub = t - std::chrono::system_clock::from_time_t(tt);
    const double frac_s = std::chrono::duration<double>(sub).count();
    const int64_t days = Days_From_Civil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) -
                         Days_From_Civil(1899, 12, 30);
    const double secs = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + frac_s;
    return static_cast<double>(days) + secs / 86400.0;
}

std::string Zero_Values_Line(const Zero_Values& v) {
    return std::string(calib_text::Zero_Point1(false)) + std::to_string(v.z_p1) + calib_text::Zero_Point2(false) +
           std::to_string(v.z_p2) + calib_text::Zero_Offset(false) + std::to_string(v.offset);
}

bool TDC_Pass_Rule::Take(int32_t fine) {
    if (failed_) return false;
    if (fine > TDC_Max_Valid) {
        failed_ = true;
        return false;
    }
    if (fine > max_) max_ = fine;
    return true;
}

Device_Params TDC_Params(const Device_Params& base, bool falling) {
    Device_Params p = base;
    p.Gen_Freq = TDC_Gen_Freq;
    p.Gen_Word1 = static_cast<int64_t>(static_cast<double>(TDC_Gen_Freq) * 1099.511627776);
    p.Gen_Mode = 0;
    p.Gen_Ampl_Code = 500;
    p.Sweep_Span = 0;
    p.FM_Input = 1;
    p.Record_Points = 1000;
    p.Time_Div_ns = 500;
    p.Gain_Byte = static_cast<uint8_t>(base.Gain_Byte & 0x07);
    p.Smpl_Divider = 1;
    p.Smpl_Per_Div = 50;
    p.Pre_Count = 0;
    p.Post_Count = 1000;
    p.Trig_Mode_Byte = 1;
    p.Trig_Flags = falling ? 15 : 13;
    p.Slow_Untriggered = false;
    return p;
}

std::string TDC_Values_Line(bool ru, std::optional<int32_t> rise, std::optional<int32_t> fall) {
    using namespace calib_text;
    if (!rise) return Unknown(ru);
    std::string s = std::string(TDC_Rise(ru)) + TDC_Step(ru) + std::to_string(*rise) + TDC_Unit(ru) + TDC_Fall(ru);
    if (!fall) return s + Unknown(ru);
    return s + TDC_Step(ru) + std::to_string(*fall) + TDC_Unit(ru);
}

std::string PPM_Text(bool ru, int time_ppm) {
    // Whole hundredths: 0.2 ppm is 20 of them, so no rounding is involved.
    const int64_t h = int64_t{time_ppm} * 20;
    const int64_t a = h < 0 ? -h : h;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%lld.%02lld", h < 0 ? "-" : "", static_cast<long long>(a / 100),
                  static_cast<long long>(a % 100));
    return std::string(calib_text::Time_PPM(ru)) + buf;
}

}  // namespace tovan
