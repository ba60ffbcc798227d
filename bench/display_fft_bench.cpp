// The FFT stage of the screen (window, transform, plot values, peak)
// against a bare fftw_execute of the same size, side by side in one run.
// Each iteration runs both; the counters give the time of each and their
// ratio (stage / bare transform).
#include <fftw3.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "display/fft.h"

using namespace tovan;

namespace {

// args: size index (1024 << index points), samples in the frame
void BM_FFT_Stage_Vs_FFTW(benchmark::State& state) {
    const int size_index = static_cast<int>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    const int N = FFT_Points(size_index);
    auto fr = std::make_unique<Frame_Data>();
    Frame_Info& f = fr->Info;
    f.Smpl_Period = 1;
    f.Frame_uV_Div = 1000000;
    f.Frame_Zero = 127;
    f.Frame_Count = f.Smpl_Count = n;
    for (int k = 0; k < n; ++k)
        fr->Smpl_Buf_A[static_cast<size_t>(k)] =
            static_cast<int32_t>(std::lround(127 + 100 * std::sin(k * 0.05) + 10 * std::sin(k * 1.3)));
    FFT_Analyser fft;
    double* in = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(N)));
    auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<size_t>(N / 2 + 1)));
    const fftw_plan plan = fftw_plan_dft_r2c_1d(N, in, out, FFTW_ESTIMATE);
    for (int k = 0; k < N; ++k) in[k] = k < n ? fr->Smpl_Buf_A[static_cast<size_t>(k)] - 127.0 : 0.0;

    using clock = std::chrono::steady_clock;
    clock::duration stage{}, bare{};
    for (auto _ : state) {
        const auto t0 = clock::now();
        fft.Analyse(size_index, Win_Flat_Top, 0, f, fr->Smpl_Buf_A.data());
        benchmark::DoNotOptimize(fft.Peak_dB);
        const auto t1 = clock::now();
        fftw_execute(plan);
        benchmark::DoNotOptimize(out[1][0]);
        const auto t2 = clock::now();
        stage += t1 - t0;
        bare += t2 - t1;
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    const double it = static_cast<double>(state.iterations());
    const double stage_us = std::chrono::duration<double, std::micro>(stage).count() / it;
    const double bare_us = std::chrono::duration<double, std::micro>(bare).count() / it;
    state.counters["stage_us"] = stage_us;
    state.counters["fftw_us"] = bare_us;
    state.counters["ratio"] = bare_us > 0 ? stage_us / bare_us : 0;
}

}  // namespace

BENCHMARK(BM_FFT_Stage_Vs_FFTW)
    ->ArgNames({"size", "points"})
    ->Args({0, 1000})
    ->Args({1, 2000})
    ->Args({2, 4000})
    ->Args({3, 8000})
    ->Args({3, 1000})
    ->Unit(benchmark::kMicrosecond);
