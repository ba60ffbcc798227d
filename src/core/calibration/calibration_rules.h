#pragma once
// The arithmetic of the three calibrations, free of the session: the
// candidate rule of a zero measurement step, the zero results, the identity
// of a blank device, the pass rule of a TDC measurement, the acquisition
// states they measure in, and the texts built from their values.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "model/device_params.h"

namespace tovan {

// --- zero calibration ------------------------------------------------------

// Passes of one measurement step; the first ones after a change of the
// offset DAC are discarded (frames still on their way).
inline constexpr int Zero_Passes = 8;
inline constexpr int Zero_Discarded_Passes = 3;
inline constexpr int Zero_Steps = 9;
inline constexpr int Zero_Progress_Max = Zero_Steps * Zero_Passes;  // 72

// What a measurement step reads of each frame.
struct Zero_Frame_Stats {
    int32_t vpp_code = -1;  // -1: clipped or empty
    int32_t sum_code = 0;
    int32_t sum_n = 0;
};

// The candidate rule of one step: from the fourth frame on, a frame with
// samples whose span is known, below the limit and strictly below the best
// so far becomes the step's result.
class Zero_Candidate {
public:
    explicit Zero_Candidate(int span_limit) : best_(span_limit) {}
    // The frame of pass `pass` (0-based); true when it became the candidate.
    bool Take(int pass, const Zero_Frame_Stats& f);
    bool Found() const { return found_; }
    double Mean() const { return mean_; }

private:
    int32_t best_;
    bool found_ = false;
    double mean_ = 0.0;
};

// One of the nine steps: the input range and the offset DAC code, and the
// span limit of its frames.
struct Zero_Step {
    int32_t volts_div_uv;
    uint8_t gain_byte;  // without the debug bit
    uint16_t offset_dac;
    int32_t span_limit;
};
// In order: three DAC codes around each of two points at 2 V/div and
// around the middle at 50 mV/div.
const std::array<Zero_Step, Zero_Steps>& Zero_Step_Table();

struct Zero_Values {
    int32_t z_p1 = 0;
    int32_t z_p2 = 0;
    int32_t offset = 0;
    bool operator==(const Zero_Values&) const = default;
};
// s1, s2, s3: sixteen times the mean zero code of each group of three steps.
Zero_Values Zero_Results(double s1, double s2, double s3);

// The fixed acquisition of the zero measurement (from `base`, the current
// parameters): 5000 points of normal sampling at 2 ms/div, untriggered,
// generator off, AC coupling bit set; `debug` adds gain bit 5.
Device_Params Zero_Params(const Device_Params& base, const Zero_Step& step, bool debug);

// Identity of a blank device from the local time as days since
// 30 December 1899 (time of day as the fraction).
std::array<uint8_t, 5> Identity_Bytes(double days_since_1899);
double Local_Days_Since_1899(std::chrono::system_clock::time_point t);

// "Point1 = ...      Point2 = ...      Offset = ..." of the debug mode.
std::string Zero_Values_Line(const Zero_Values& v);

// --- TDC calibration -----------------------------------------------------

inline constexpr int TDC_Passes = 50;
inline constexpr int TDC_Progress_Max = 2 * TDC_Passes;  // 100
inline constexpr int TDC_Max_Valid = 27;
inline constexpr int TDC_Min_Found = 12;

// The pass rule of one measurement: the largest fine time seen, failing at
// once on a value above 27 and at the end when nothing above 11 was seen.
class TDC_Pass_Rule {
public:
    // False when the measurement has failed with this value.
    bool Take(int32_t fine);
    int32_t Value() const { return max_; }
    bool Failed() const { return failed_; }
    bool Succeeded() const { return !failed_ && max_ >= TDC_Min_Found; }

private:
    int32_t max_ = 0;
    bool failed_ = false;
};

// The generator's frequency during the TDC measurement, in 0.1 Hz.
inline constexpr int64_t TDC_Gen_Freq = 98765432;
// The fixed generator and acquisition state of the TDC measurement:
// 1000 points, one sample per clock, triggered once on the external input
// (the generator wired to it), rising or falling edge.
Device_Params TDC_Params(const Device_Params& base, bool falling);

// "Rise = 10/r nS     Fall = 10/f nS"; an unknown fall value ends the line
// with "...", an unknown rise value makes it "..." alone.
std::string TDC_Values_Line(bool lang_russian, std::optional<int32_t> rise, std::optional<int32_t> fall);

// --- time calibration ----------------------------------------------------

inline constexpr int Time_PPM_Min = -250;
inline constexpr int Time_PPM_Max = 250;
// "PPM = " and the correction in ppm with two decimals (0.2 ppm a step).
std::string PPM_Text(bool lang_russian, int time_ppm);

}  // namespace tovan
