#pragma once
// Shared helpers of the display tests.
#include <QImage>

#include <algorithm>
#include <cstdint>

#include "model/frame.h"
#include "display/canvas.h"
#include "display/geometry.h"
#include "settings/compute_params.h"
#include "settings/scope_settings.h"

namespace tovan::test {

// Pixel of an image as 0x00BBGGRR.
inline uint32_t Px(const QImage& img, int x, int y) {
    const QRgb p = img.pixel(x, y);
    return static_cast<uint32_t>(qRed(p)) | (static_cast<uint32_t>(qGreen(p)) << 8) |
           (static_cast<uint32_t>(qBlue(p)) << 16);
}

inline QImage Black_Image(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFF000000u);
    return img;
}

// 260 x 340 gives a plot of 200 x 256 at (31, 25): one pixel per ADC code,
// 20 pixels per division.
inline constexpr int Test_W = 260;
inline constexpr int Test_H = 340;

// A frame of n samples from f(k), at the given sample period.
template <typename F>
void Fill_Frame(Frame_Data& fr, int n, int32_t period, F f) {
    fr.Clear();
    fr.Info.Smpl_Period = period;
    fr.Info.Frame_uV_Div = 1000000;
    fr.Info.Frame_Zero = 127;
    fr.Info.Frame_Count = n;
    fr.Info.Smpl_Count = n;
    fr.Info.Trig_Index = n / 10;
    fr.Info.Trig_Frac = 0;
    fr.Info.Ext_Trig_Frac = 0;
    fr.Info.Sum_N = n;
    int32_t lo = 255, hi = 0;
    int64_t sum = 0;
    for (int k = 0; k < n; ++k) {
        const int32_t v = f(k);
        fr.Smpl_Buf_A[static_cast<size_t>(k)] = v;
        fr.Smpl_Buf_B[static_cast<size_t>(k)] = v;
        fr.Trig_Buf_A[static_cast<size_t>(k)] = v > 127 ? 28 : 4;
        fr.Trig_Buf_B[static_cast<size_t>(k)] = v > 127 ? 28 : 4;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        sum += v;
    }
    fr.Info.Sum_Code = static_cast<int32_t>(sum);
    fr.Info.Vpp_Code = static_cast<int32_t>(std::clamp<int64_t>(int64_t{hi} - lo, INT32_MIN, INT32_MAX));
}

}  // namespace tovan::test
