#pragma once
// Amplitude spectrum of sample array 1 for the FFT display.
#include <cstdint>
#include <memory>
#include <vector>

#include "model/frame.h"

namespace tovan {

enum FFT_Window : int { Win_Rectangular = 0, Win_Hann = 1, Win_Flat_Top = 2 };
enum FFT_Scale_Index : int { Scale_dBV = 0, Scale_dBm_600 = 1, Scale_dBm_50 = 2 };

// Transform size for a size index: 1024 << index for 1..3, else 1024.
int FFT_Points(int size_index);

// Level of a sine filling the plot height at the frame's volts/div, in
// the unit of the scale (dBV, dBm into 600 or 50 ohm).
double FFT_Level_Ref(int32_t frame_uv_div, int scale);

// Plot value of a bin of power p > 0: max(0, Round_Half(32 log10 p + base)),
// computed without a logarithm call where the result is certain.
int32_t FFT_Level_Code(double p, double base);

// Runs the transform (FFTW, one plan per size made on first use and kept)
// and keeps the plot values and the peak results of the last analysis.
class FFT_Analyser {
public:
    FFT_Analyser();
    ~FFT_Analyser();
    FFT_Analyser(const FFT_Analyser&) = delete;
    FFT_Analyser& operator=(const FFT_Analyser&) = delete;

    // a: sample array 1 of the frame described by r (Smpl_Buf_Size entries).
    void Analyse(int size_index, int window, int scale, const Frame_Info& r, const int32_t* a);

    // Plot values on the ADC-code scale (Smpl_Buf_Size entries; those not
    // produced hold No_Sample).
    const int32_t* Out() const { return out_.data(); }
    int N = 1024;
    bool Valid = false;
    int Top_dB = 0;
    double Peak_dB = 0;
    double Peak_Rel = 0;

private:
    struct Plans;
    std::unique_ptr<Plans> plans_;
    std::vector<int32_t> out_;
    int written_ = Smpl_Buf_Size;  // out_ entries from here on hold No_Sample
    std::vector<double> power_;
    std::vector<double> win_;  // window coefficients of the last analysis
    double win_sum_ = 0;
    int win_kind_ = -1;
};

}  // namespace tovan
