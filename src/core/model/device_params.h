#pragma once
// The instrument's register values and the derived values computed from
// the settings record (see settings/compute_params.h).
#include <cstdint>

namespace tovan {

// Everything the device, the decoder and the display need from one
// computation. The acquisition thread works on a copy taken as a whole.
struct Device_Params {
    uint64_t Time_Div_ns = 1000000;
    int32_t Record_Points = 2500;
    uint32_t Smpl_Divider = 400;
    int32_t Smpl_Per_Div = 250;  // samples per division before peak-detect doubling
    int32_t Volts_Div_uV = 1000000;
    uint8_t Gain_Byte = 0x0F;
    uint8_t Trig_Flags = 0x08;
    uint16_t Pre_Count = 250;
    uint16_t Post_Count = 2250;
    uint8_t Thr_Low = 125;
    uint8_t Thr_High = 129;
    uint8_t Trig_Mode_Byte = 0;
    uint16_t Offset_DAC = 2206;
    uint8_t FM_Input = 0;
    uint8_t Gen_Mode = 5;
    int64_t Gen_Word1 = 0;
    int64_t Gen_Word2 = 0;
    int32_t Gen_Ampl_Code = 501;
    int32_t Mod_Word = 0;

    // Derived values that frames and the display carry along.
    bool Slow_Untriggered = false;
    bool Lenta = false;
    int64_t Gen_Freq = 0;    // 0.1 Hz
    int64_t Sweep_Span = 0;  // 0.1 Hz
    int64_t Pulse_Period = 0;  // 10 ns ticks
    int64_t Pulse_Width = 0;   // 10 ns ticks
    int32_t Zero_Level = 127;
    int32_t Trig_Code = 127;  // Trig_Level rounded and clamped to 0..255
    int32_t Frame_PPM = 0;
};

}  // namespace tovan
