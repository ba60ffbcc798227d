// Draws one screen for a synthetic frame and writes it to a PNG file.
//   render_screen out.png [width height [fft]]
#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "display/screen.h"
#include "settings/compute_params.h"

using namespace tovan;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png [width height [fft]]\n", argv[0]);
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const int w = argc > 3 ? std::atoi(argv[2]) : 1000;
    const int h = argc > 3 ? std::atoi(argv[3]) : 600;
    const bool fft = argc > 4;

    auto main_frame = std::make_unique<Frame_Data>();
    auto bg = std::make_unique<Frame_Data>();
    Frame_Info& f = main_frame->Info;
    const int n = 2500;
    f.Smpl_Period = 400;  // 4 us: 250 samples per 1 ms division
    f.Frame_uV_Div = 1000000;
    f.Frame_Zero = 127;
    f.Frame_Count = n;
    f.Smpl_Count = n;
    f.Trig_Index = 250;
    f.Trig_Frac = 5;
    f.Ext_Trig_Frac = 5;
    f.Frame_Trig_Code = 140;
    f.Trig_Mark = 1;
    f.FM_Count = 1001;
    f.FM_Gate = 100000000;
    f.Frame_No = 1234;
    int lo = 255, hi = 0;
    int64_t sum = 0;
    for (int k = 0; k < n; ++k) {
        const double t = (k - 250) * 4e-6;
        const double v = 127 + 80 * std::sin(2 * M_PI * 1000 * t) + 12 * std::sin(2 * M_PI * 7300 * t);
        const int code = static_cast<int>(std::lround(std::clamp(v, 1.0, 253.0)));
        main_frame->Smpl_Buf_A[static_cast<size_t>(k)] = code;
        main_frame->Smpl_Buf_B[static_cast<size_t>(k)] = code;
        const int bit = std::sin(2 * M_PI * 1000 * t) > 0 ? 28 : 4;
        main_frame->Trig_Buf_A[static_cast<size_t>(k)] = bit;
        main_frame->Trig_Buf_B[static_cast<size_t>(k)] = bit;
        lo = std::min(lo, code);
        hi = std::max(hi, code);
        sum += code;
    }
    f.Vpp_Code = hi - lo;
    f.Sum_Code = static_cast<int32_t>(sum);
    f.Sum_N = n;

    Scope_Settings s;
    s.Trig_On = true;
    s.Trig_Level = 140;
    s.Smpl_Info = true;
    s.FFT_View = fft;
    s.Russian = false;
    Device_Params p;
    Compute_Params(s, p);
    Screen_Inputs in;
    in.Run_State = true;
    in.FPS_Shown = 25;
    in.FPS_Received = 25;

    Screen_Renderer r;
    r.Layout(w, h);
    QImage img(w, h, QImage::Format_RGB32);
    Image_Canvas c(img);
    const Screen_Result res = r.Draw_Screen(c, *main_frame, *bg, s, p, in);
    if (!img.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", res.Caption.c_str());
    return 0;
}
