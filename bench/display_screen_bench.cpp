// One complete screen on an 1800 x 1000 paint box.
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "display/screen.h"
#include "settings/compute_params.h"

using namespace tovan;

namespace {

QGuiApplication* App() {
    static int argc = 1;
    static char name[] = "display_screen_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(argc, argv);
    return &app;
}

// args: trace mode, points, FFT on
void BM_Draw_Screen(benchmark::State& state) {
    App();
    const int mode = static_cast<int>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    const bool fft = state.range(2) != 0;
    auto fr = std::make_unique<Frame_Data>();
    auto bg = std::make_unique<Frame_Data>();
    Frame_Info& f = fr->Info;
    // 10 ns sampling over 10 divisions at 1 us/div for 1000 points, 8000
    // points at 10 us/div: sin(x)/x interpolation is active for the first.
    f.Smpl_Period = 1;
    f.Frame_uV_Div = 1000000;
    f.Frame_Zero = 127;
    f.Frame_Count = f.Smpl_Count = n;
    f.Trig_Index = n / 10;
    f.Trig_Frac = 5;
    f.Ext_Trig_Frac = 5;
    f.Sum_N = n;
    f.Trig_Mark = 1;
    for (int k = 0; k < n; ++k) {
        const int v = static_cast<int>(std::lround(127 + 100 * std::sin(k * 0.05) + 10 * std::sin(k * 1.3)));
        fr->Smpl_Buf_A[static_cast<size_t>(k)] = fr->Smpl_Buf_B[static_cast<size_t>(k)] = v;
        fr->Trig_Buf_A[static_cast<size_t>(k)] = fr->Trig_Buf_B[static_cast<size_t>(k)] = v > 127 ? 28 : 4;
    }
    Scope_Settings s;
    s.Trace_Mode = mode;
    s.FFT_View = fft;
    s.FFT_Size = 3;  // 8192 points
    s.Smpl_Info = true;
    Device_Params p;
    Compute_Params(s, p);
    p.Time_Div_ns = n <= 1000 ? 1000 : 10000;
    Screen_Inputs in;
    in.Run_State = true;
    Screen_Renderer r;
    r.Layout(1800, 1000);
    QImage img(1800, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        Image_Canvas c(img);
        const Screen_Result res = r.Draw_Screen(c, *fr, *bg, s, p, in);
        benchmark::DoNotOptimize(res.X_Pos);
    }
}

}  // namespace

BENCHMARK(BM_Draw_Screen)
    ->ArgNames({"mode", "points", "fft"})
    ->ArgsProduct({{0, 1, 2}, {1000, 8000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
