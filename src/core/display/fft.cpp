#include "display/fft.h"

#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "common/numeric.h"

namespace tovan {

struct FFT_Analyser::Plans {
    struct One {
        double* in = nullptr;
        fftw_complex* out = nullptr;
        fftw_plan plan = nullptr;
    };
    std::array<One, 4> by_size;  // 1024 << k

    ~Plans() {
        for (auto& p : by_size) {
            if (p.plan) fftw_destroy_plan(p.plan);
            fftw_free(p.in);
            fftw_free(p.out);
        }
    }
    One& Get(int n) {
        const int k = n == 2048 ? 1 : (n == 4096 ? 2 : (n == 8192 ? 3 : 0));
        One& p = by_size[static_cast<size_t>(k)];
        if (!p.plan) {
            p.in = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(n)));
            p.out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<size_t>(n / 2 + 1)));
            // Real input: the half spectrum has the magnitudes of the
            // complex transform's bins 0..N/2.
            p.plan = fftw_plan_dft_r2c_1d(n, p.in, p.out, FFTW_ESTIMATE);
        }
        return p;
    }
};

int FFT_Points(int size_index) { return size_index >= 1 && size_index <= 3 ? 1024 << size_index : 1024; }

double FFT_Level_Ref(int32_t frame_uv_div, int scale) {
    double g = 20 * std::log10(static_cast<double>(frame_uv_div) * 4 * 1e-6 * 0.7071067811865475);
    if (scale == Scale_dBm_600) g += 2.2184874961;
    if (scale == Scale_dBm_50) g += 13.0102999566;
    return g;
}

FFT_Analyser::FFT_Analyser() : plans_(std::make_unique<Plans>()), out_(Smpl_Buf_Size, No_Sample) {}
FFT_Analyser::~FFT_Analyser() = default;

void FFT_Analyser::Analyse(int size_index, int window, int scale, const Frame_Info& r, const int32_t* a) {
    N = FFT_Points(size_index);
    window = std::clamp(window, 0, 2);
    const int n = static_cast<int>(std::clamp<int64_t>(r.Smpl_Count, 0, N));
    std::fill(out_.begin(), out_.end(), No_Sample);
    Valid = false;
    Peak_dB = 0;
    Peak_Rel = 0;
    Plans::One& plan = plans_->Get(N);
    double* x = plan.in;
    std::fill(x, x + N, 0.0);

    // Samples relative to the zero code; a ring frame newest first. An
    // entry outside the arrays or empty counts as the zero level.
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        int64_t idx = i;
        if (r.Ring_Flag == 1) {
            idx = int64_t{r.Ring_Pos} - 1 - i;
            if (idx < 0) idx += r.Frame_Count;
        }
        double v = 0;
        if (idx >= 0 && idx < Smpl_Buf_Size && a[idx] != No_Sample) v = double(a[idx]) - r.Frame_Zero;
        x[i] = v;
        sum += v;
    }
    const double g = FFT_Level_Ref(r.Frame_uV_Div, scale);
    Top_dB = 120;
    for (int t = -120; t <= 115; t += 5)
        if (t > g - 0.5) {
            Top_dB = t;
            break;
        }
    if (n < 2 || !std::isfinite(g)) {
        for (int i = 0; i < N / 2; ++i) out_[static_cast<size_t>(i)] = 0;
        return;
    }
    const double mean = sum / n;
    // The window depends only on its kind and length: computed once and
    // kept while those stay (every frame of a run has the same).
    if (window != win_kind_ || n != static_cast<int>(win_.size())) {
        win_.resize(static_cast<size_t>(n));
        win_sum_ = 0;
        for (int i = 0; i < n; ++i) {
            const double t = double(i) / (n - 1);
            double w = 1;
            if (window == Win_Hann) {
                w = 0.5 - 0.5 * std::cos(6.2831852 * t);
            } else if (window == Win_Flat_Top) {
                w = 1 - 1.93 * std::cos(6.2831852 * t) + 1.29 * std::cos(12.5663704 * t) -
                    0.388 * std::cos(18.8495556 * t) + 0.032 * std::cos(25.1327408 * t);
            }
            win_[static_cast<size_t>(i)] = w;
            win_sum_ += w;
        }
        win_kind_ = window;
    }
    const double wsum = win_sum_;
    for (int i = 0; i < n; ++i) x[i] = win_[static_cast<size_t>(i)] * (x[i] - mean);
    fftw_execute(plan.plan);

    const double S = g + 10 * std::log10(2.0) - 20 * std::log10(std::fabs(wsum)) - 20 * std::log10(90.50966799187808);
    const double base = (S + 80 - Top_dB) * 32 * 0.1;
    const int half = N / 2;
    power_.assign(static_cast<size_t>(half), 0.0);
    double pmax = 0;
    int v = 0;
    for (int i = 0; i < half; ++i) {
        const double re = plan.out[i][0], im = plan.out[i][1];
        const double P = re * re + im * im;
        power_[static_cast<size_t>(i)] = P;
        out_[static_cast<size_t>(i)] =
            P == 0 ? 0 : std::max<int32_t>(0, Round_Half_I32(32 * std::log10(P) + base));
        if (P > pmax) {
            pmax = P;
            v = i;
        }
    }
    if (pmax == 0 || !std::isfinite(S)) return;

    const double rr = double(n) / N;
    const int64_t K = static_cast<int64_t>(4 / rr);
    double sigma = power_[static_cast<size_t>(v)], M = 0;
    for (int64_t j = 1; j < K; ++j) {
        if (v - j < 0 || v + j >= half) break;
        const double pl = power_[static_cast<size_t>(v - j)], pr = power_[static_cast<size_t>(v + j)];
        sigma += pl + pr;
        M += double(j) * (pr - pl);
    }
    Peak_Rel = (v + M / sigma) * 2 / N;
    if (window == Win_Rectangular)
        Peak_dB = 10 * std::log10(sigma * rr) + S;
    else if (window == Win_Hann)
        Peak_dB = 10 * std::log10(sigma * rr * 0.6666666666666666) + S;
    else
        Peak_dB = 10 * std::log10(pmax) + S;
    Valid = true;
}

}  // namespace tovan
