#pragma once
// Windowed sin(x)/x interpolation between samples, used by the trace
// drawing and by the decoder for the sub-sample trigger position.
#include <cstdint>

namespace tovan {

// 18 taps x 9 phases; tap k weighs the sample at index - 8 + k, phase p
// (1..9) gives the point p/10 of a sample after index. Each phase sums to
// about 65536/10.
extern const int16_t Sinc_Table[18][9];

// One interpolated value at index + phase/10, or No_Sample. Missing
// neighbours (outside 0..n-1 or empty) are continued quadratically.
int32_t Sinc_Interp(const int32_t* a, int32_t index, int32_t phase, int32_t n);

}  // namespace tovan
