#pragma once
// Plot geometry of the oscillogram area and the colour blend.
#include <cstdint>

namespace tovan {

// 10 x 8 divisions; 256 ADC codes over the plot height; 500 marker units
// across the plot.
struct Plot_Geometry {
    int Width = 0;  // bitmap (paint box) size
    int Height = 0;
    int Plot_W = 125;
    int Plot_H = 64;
    int Div_W = 12;
    int Div_H = 8;
    int Plot_Left = 30;
    int Plot_Top = 24;
    double X_Scale = 125 * 0.002;
    double Y_Scale = 64 / 256.0;
    bool Narrow_Plot = true;
};

// Geometry for a paint box of w x h pixels.
Plot_Geometry Layout_Plot(int w, int h);

// The colour k-th of the way from b to a, per channel b + (a - b) / k,
// truncated toward zero. k = 0 gives a.
uint32_t Blend_Color(uint32_t a, uint32_t b, int k);

}  // namespace tovan
