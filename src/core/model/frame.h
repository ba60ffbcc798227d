#pragma once
// One acquired frame: its record (Frame_Info) and the four sample arrays,
// and the sizes they are built on. Plain data: the acquisition side fills
// it, the display, the files and the calibrations read it.
#include <array>
#include <cstdint>

#include "common/numeric.h"

namespace tovan {

inline constexpr int Smpl_Buf_Size = 20000;
using Smpl_Array = std::array<int32_t, Smpl_Buf_Size>;

// Most record points one frame carries.
inline constexpr int Max_Record_Points = 8000;

// Bytes of the chart recorder's buffer.
inline constexpr int Rec_Buffer_Size = 65536;

// Description of the frame held in the sample arrays: 24 signed 32-bit
// values, stored verbatim in data files.
struct Frame_Info {
    int32_t Smpl_Period = 0;  // sample interval in 10 ns ticks
    int32_t Frame_uV_Div = 0;
    int32_t Frame_Zero = 0;
    int32_t Frame_Count = 0;
    int32_t Trig_Index = 0;
    int32_t Smpl_Count = 0;
    int32_t Ring_Pos = 0;
    int32_t Ring_Flag = 0;
    int32_t Peak_Det = 0;
    int32_t Ext_Trace = 0;
    int32_t Trig_Frac = 0;  // tenths of a sample
    int32_t Ext_Trig_Frac = 0;
    int32_t Frame_Sweep_Span = 0;
    int32_t Frame_Gen_Freq = 0;
    int32_t Frame_FM_Input = 0;
    int32_t FM_Count = 0;
    int32_t FM_Gate = 0;
    int32_t Frame_PPM = 0;
    int32_t Vpp_Code = 0;
    int32_t Sum_Code = 0;
    int32_t Sum_N = 0;
    int32_t Frame_Trig_Code = 0;
    int32_t Trig_Mark = 0;  // 0 none, 1 internal, 2 external
    int32_t Frame_No = 0;

    int32_t* data() { return &Smpl_Period; }
    const int32_t* data() const { return &Smpl_Period; }
    static constexpr int Field_Count = 24;
};
static_assert(sizeof(Frame_Info) == 96, "Frame_Info is stored verbatim as 24 x int32");

// One frame: its record and the four arrays.
struct Frame_Data {
    Frame_Info Info;
    Smpl_Array Smpl_Buf_A;
    Smpl_Array Smpl_Buf_B;
    Smpl_Array Trig_Buf_A;
    Smpl_Array Trig_Buf_B;
    bool From_File = false;

    Frame_Data() { Clear(); }
    void Clear() {
        Info = Frame_Info{};
        Smpl_Buf_A.fill(No_Sample);
        Smpl_Buf_B.fill(No_Sample);
        Trig_Buf_A.fill(No_Sample);
        Trig_Buf_B.fill(No_Sample);
        From_File = false;
    }
};

// The copy of a frame the display keeps to draw behind the live one
// (B.G.). Same layout as a frame, so that a swap or a file load is a copy;
// it exists while its frame count is not 0.
using Background_Frame = Frame_Data;

}  // namespace tovan
