#pragma once
// Automatic measurements of one frame: peak-to-peak and mean voltage, the
// frequency-meter reading and the sampling rate. One computation shared by
// the screen texts, the frequency-meter log, the recorder and the command
// line; each caller formats the numbers its own way. Plain C++.
#include "model/frame.h"

namespace tovan {

struct Measurements {
    // Peak-to-peak and mean voltage in microvolts (the mean relative to the
    // frame's zero code). Not valid when the frame has no samples or its
    // signal was clipped (the decoder then marks Vpp_Code with -1).
    bool Vpp_Valid = false;
    double Vpp_uV = 0;
    bool Vdc_Valid = false;
    double Vdc_uV = 0;
    // Frequency-meter reading in hertz, corrected by the frame's time-base
    // correction and scaled by the prescaler of the high-frequency input.
    // Not valid without a gate time.
    bool Fin_Valid = false;
    double Fin_Hz = 0;
    int FM_Input = 0;  // 0 the signal input, 1 external, 2 high-frequency (x8)
    // Sampling rate in hertz; not valid for a zero sample interval.
    bool Fsmpl_Valid = false;
    double Fsmpl_Hz = 0;
};

// From the frame record alone: the decoder's statistics (Vpp_Code,
// Sum_Code, Sum_N) stand for the sample arrays. Any record, also one read
// from a file, gives finite numbers.
Measurements Measure_Frame(const Frame_Info& f);

// The same for a frame with its arrays.
inline Measurements Measure_Frame(const Frame_Data& d) { return Measure_Frame(d.Info); }

// Frequency-meter reading of the counts (FM_Count periods of the input in
// FM_Gate ticks of 10 ns), corrected by ppm_02 units of 0.2 ppm, times 8 on
// input 2. Only meaningful for gate >= 1.
double FM_Frequency(int32_t count, int32_t gate, int32_t ppm_02, int32_t input);

}  // namespace tovan
