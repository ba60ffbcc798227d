#pragma once
// The time/div and volts/div steps: one table each, in group order.
#include <array>
#include <cstdint>

namespace tovan {

struct Time_Step {
    const char* button;   // control name
    const char* caption;  // button caption, both languages
    const char* key;      // settings-file key in section "Scope"
    uint64_t ns;          // Time_Div_ns
};

struct Volts_Step {
    const char* button;
    const char* key;
    int32_t uv;                          // microvolts per division at x1
    uint8_t range_code;                  // bits 0-2 of Gain_Byte
    std::array<const char*, 3> caption;  // at x1, x10, x100
};

inline constexpr int Time_Step_Count = 27;
inline constexpr int Volts_Step_Count = 6;

extern const std::array<Time_Step, Time_Step_Count> Time_Steps;
extern const std::array<Volts_Step, Volts_Step_Count> Volts_Steps;

// Indexes of a few steps the rules refer to.
inline constexpr int Time_Step_100mS = 7;  // 0,1S: the slowest triggered step
inline constexpr int Time_Step_1mS = 13;
inline constexpr int Volts_Step_1V = 1;

// Record lengths of the "Sampling" menu, in menu order.
inline constexpr std::array<int32_t, 4> Record_Lengths = {1000, 2500, 5000, 8000};
inline constexpr std::array<const char*, 4> Record_Length_Keys = {"Smpl_N_1000", "Smpl_N_2500",
                                                                  "Smpl_N_5000", "Smpl_N_8000"};
inline constexpr std::array<int32_t, 3> Probe_Factors = {1, 10, 100};

}  // namespace tovan
