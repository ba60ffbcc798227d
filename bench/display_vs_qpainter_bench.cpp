// Our screen against the same picture drawn with plain QPainter calls
// (fill, grid lines, one polyline), side by side in one run. Each
// iteration draws both; the counters give the time of each per screen and
// their ratio (ours / reference: at most 1 means ours is no slower).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "display/canvas.h"
#include "display/screen.h"
#include "settings/compute_params.h"

using namespace tovan;

namespace {

QGuiApplication* App() {
    static int argc = 1;
    static char name[] = "display_vs_qpainter_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(argc, argv);
    return &app;
}

int32_t Sample(int k) { return static_cast<int32_t>(std::lround(127 + 100 * std::sin(k * 0.05) + 10 * std::sin(k * 1.3))); }

// The reference: the plot's background over the whole image, the 10 x 8
// division grid and the samples as one polyline across the plot.
struct Reference {
    QImage img;
    Plot_Geometry g;
    QPolygon trace;
    Reference(int w, int h, int n) : img(w, h, QImage::Format_RGB32), g(Layout_Plot(w, h)) {
        trace.reserve(n);
        for (int k = 0; k < n; ++k)
            trace.append(QPoint(g.Plot_Left + static_cast<int>(int64_t{k} * g.Plot_W / (n - 1)),
                                g.Plot_Top + static_cast<int>((255 - Sample(k)) * g.Y_Scale)));
    }
    void Draw() {
        QPainter p(&img);
        p.fillRect(img.rect(), QColor(0, 0, 0));
        p.setPen(QPen(QColor(96, 96, 96), 0));
        for (int i = 0; i <= 10; ++i) {
            const int x = g.Plot_Left + i * (g.Plot_W / 10);
            p.drawLine(x, g.Plot_Top, x, g.Plot_Top + g.Plot_H);
        }
        for (int i = 0; i <= 8; ++i) {
            const int y = g.Plot_Top + i * (g.Plot_H / 8);
            p.drawLine(g.Plot_Left, y, g.Plot_Left + g.Plot_W, y);
        }
        p.setPen(QPen(QColor(255, 255, 0), 0));
        p.drawPolyline(trace);
    }
};

// args: width, height, points
void BM_Screen_Vs_QPainter(benchmark::State& state) {
    App();
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const int n = static_cast<int>(state.range(2));
    auto fr = std::make_unique<Frame_Data>();
    auto bg = std::make_unique<Frame_Data>();
    Frame_Info& f = fr->Info;
    // 10 ns sampling; 1000 points over 10 divisions at 1 us/div, 8000
    // points at 10 us/div.
    f.Smpl_Period = 1;
    f.Frame_uV_Div = 1000000;
    f.Frame_Zero = 127;
    f.Frame_Count = f.Smpl_Count = n;
    f.Trig_Index = n / 10;
    f.Trig_Frac = 5;
    f.Sum_N = n;
    f.Trig_Mark = 1;
    for (int k = 0; k < n; ++k) fr->Smpl_Buf_A[static_cast<size_t>(k)] = fr->Smpl_Buf_B[static_cast<size_t>(k)] = Sample(k);
    Scope_Settings s;
    s.Trace_Mode = Trace_Vectors;
    s.Smpl_Info = true;
    Device_Params p;
    Compute_Params(s, p);
    p.Time_Div_ns = n <= 1000 ? 1000 : 10000;
    Screen_Inputs in;
    in.Run_State = true;
    Screen_Renderer r;
    r.Layout(w, h);
    Canvas_Cache cache;
    QImage img = Make_Screen_Image(w, h);
    Reference ref(w, h, n);

    using clock = std::chrono::steady_clock;
    clock::duration ours{}, theirs{};
    for (auto _ : state) {
        const auto t0 = clock::now();
        {
            Image_Canvas c(img, &cache);
            const Screen_Result res = r.Draw_Screen(c, *fr, *bg, s, p, in);
            benchmark::DoNotOptimize(res.X_Pos);
        }
        const auto t1 = clock::now();
        ref.Draw();
        benchmark::DoNotOptimize(ref.img.constBits());
        const auto t2 = clock::now();
        ours += t1 - t0;
        theirs += t2 - t1;
    }
    const double it = static_cast<double>(state.iterations());
    const double ours_ms = std::chrono::duration<double, std::milli>(ours).count() / it;
    const double ref_ms = std::chrono::duration<double, std::milli>(theirs).count() / it;
    state.counters["ours_ms"] = ours_ms;
    state.counters["qpainter_ms"] = ref_ms;
    state.counters["ratio"] = ref_ms > 0 ? ours_ms / ref_ms : 0;
}

}  // namespace

BENCHMARK(BM_Screen_Vs_QPainter)
    ->ArgNames({"w", "h", "points"})
    ->Args({800, 600, 1000})
    ->Args({800, 600, 8000})
    ->Args({1280, 800, 1000})
    ->Args({1280, 800, 8000})
    ->Args({1920, 1080, 1000})
    ->Args({1920, 1080, 8000})
    ->Args({2560, 1440, 1000})
    ->Args({2560, 1440, 8000})
    ->Unit(benchmark::kMillisecond);
