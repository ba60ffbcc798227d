#include "display/fft.h"

#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

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

namespace {

inline int32_t Level_Code(double p, double base) {
    // 32 log10 p from the exponent and a short series for the logarithm of
    // the mantissa m in [1/sqrt 2, sqrt 2): ln m = 2 atanh t with
    // t = (m - 1) / (m + 1), |t| < 0.172; the series to t^9 is within 1e-9
    // of ln m, so the value is within 1e-7 of the exact one. Only a value
    // that close to a rounding step, or p outside the normal range, takes
    // the exact path.
    constexpr double Min_Normal = 2.2250738585072014e-308;
    constexpr double Max_Finite = 1.7976931348623157e308;
    if (p >= Min_Normal && p <= Max_Finite) {
        uint64_t bits;
        std::memcpy(&bits, &p, sizeof bits);
        int e = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
        bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;  // m in [1, 2)
        double m;
        std::memcpy(&m, &bits, sizeof m);
        if (m > 1.4142135623730951) {
            m *= 0.5;
            ++e;
        }
        const double t = (m - 1) / (m + 1), t2 = t * t;
        const double ln_m = 2 * t * (1 + t2 * (1.0 / 3 + t2 * (1.0 / 5 + t2 * (1.0 / 7 + t2 * (1.0 / 9)))));
        // 32 / ln 10 and 32 log10 2
        const double v = 13.897423420904056 * ln_m + 9.632959861247398 * e + base;
        if (v < 0.4999) return 0;
        if (v < 1e9) {
            const double r = std::floor(v + 0.5);
            const double d = v + 0.5 - r;
            if (d > 1e-6 && d < 1 - 1e-6) return static_cast<int32_t>(r);
        }
    }
    return std::max<int32_t>(0, Round_Half_I32(32 * std::log10(p) + base));
}

}  // namespace

int32_t FFT_Level_Code(double p, double base) { return Level_Code(p, base); }

FFT_Analyser::FFT_Analyser() : plans_(std::make_unique<Plans>()), out_(Smpl_Buf_Size, No_Sample) {}
FFT_Analyser::~FFT_Analyser() = default;

void FFT_Analyser::Analyse(int size_index, int window, int scale, const Frame_Info& r, const int32_t* a) {
    N = FFT_Points(size_index);
    window = std::clamp(window, 0, 2);
    const int n = static_cast<int>(std::clamp<int64_t>(r.Smpl_Count, 0, N));
    // Every path below writes the first N/2 entries; the rest hold
    // No_Sample, so only those written by a larger transform are reset.
    const int half = N / 2;
    if (written_ > half) std::fill(out_.begin() + half, out_.begin() + written_, No_Sample);
    written_ = half;
    Valid = false;
    Peak_dB = 0;
    Peak_Rel = 0;
    Plans::One& plan = plans_->Get(N);
    double* x = plan.in;
    std::fill(x + n, x + N, 0.0);  // zero padding; the samples are written below

    // Samples relative to the zero code; a ring frame newest first. An
    // entry outside the arrays or empty counts as the zero level.
    double sum = 0;
    if (r.Ring_Flag != 1) {
        // Time order: entries 0..n-1, all inside the arrays (n <= 8192).
        // Each value is an integer below 2^33 and n at most 2^13, so the
        // integer sum is exact and equals the sum taken in doubles.
        int64_t isum = 0;
        for (int i = 0; i < n; ++i) {
            const int64_t v = a[i] != No_Sample ? int64_t{a[i]} - r.Frame_Zero : 0;
            x[i] = static_cast<double>(v);
            isum += v;
        }
        sum = static_cast<double>(isum);
    }
    for (int i = 0; i < n && r.Ring_Flag == 1; ++i) {
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
        std::fill(out_.begin(), out_.begin() + half, 0);
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
    power_.resize(static_cast<size_t>(half));
    double* pw = power_.data();
    for (int i = 0; i < half; ++i) {
        const double re = plan.out[i][0], im = plan.out[i][1];
        pw[i] = re * re + im * im;
    }
    double pmax = 0;
    int v = 0;
    int32_t* out = out_.data();
    // Below this power the value is under 0.5 with a wide margin: 0.
    const double floor_p = std::pow(10.0, (0.5 - base) / 32) * (1 - 1e-9);
    for (int i = 0; i < half; ++i) {
        const double P = pw[i];
        out[i] = P < floor_p ? 0 : Level_Code(P, base);
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
