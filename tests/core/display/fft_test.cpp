#include "display/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "common/numeric.h"
#include "display_test_util.h"

namespace tovan {
namespace {

constexpr double Pi = 3.14159265358979323846;

// Reference: the windowed, mean-free input transformed by a direct DFT,
// the bin power turned into the RMS level of a sine in the selected unit.
struct Reference {
    std::vector<double> power;
    double S = 0;
    double wsum = 0;
};

Reference Direct_DFT(const std::vector<double>& x, int N, int window, int scale, double uv_div) {
    const int n = static_cast<int>(x.size());
    double mean = 0;
    for (double v : x) mean += v;
    mean /= n;
    std::vector<double> in(static_cast<size_t>(N), 0.0);
    Reference r;
    for (int i = 0; i < n; ++i) {
        const double ph = 2 * Pi * i / (n - 1);
        double w = 1;
        if (window == Win_Hann) w = 0.5 - 0.5 * std::cos(ph);
        if (window == Win_Flat_Top)
            w = 1 - 1.93 * std::cos(ph) + 1.29 * std::cos(2 * ph) - 0.388 * std::cos(3 * ph) + 0.032 * std::cos(4 * ph);
        r.wsum += w;
        in[static_cast<size_t>(i)] = w * (x[static_cast<size_t>(i)] - mean);
    }
    r.power.resize(static_cast<size_t>(N / 2));
    for (int k = 0; k < N / 2; ++k) {
        std::complex<double> acc = 0;
        for (int i = 0; i < n; ++i) acc += in[static_cast<size_t>(i)] * std::polar(1.0, -2 * Pi * k * i / N);
        r.power[static_cast<size_t>(k)] = std::norm(acc);
    }
    // Full-scale sine: 128 codes amplitude, 4 divisions.
    const double g = 20 * std::log10(uv_div * 4e-6 / std::sqrt(2.0)) + (scale == 1 ? 10 * std::log10(1000.0 / 600) : 0) +
                     (scale == 2 ? 10 * std::log10(1000.0 / 50) : 0);
    r.S = g + 10 * std::log10(2.0) - 20 * std::log10(r.wsum) - 20 * std::log10(128 / std::sqrt(2.0));
    return r;
}

class FFT_Test : public ::testing::Test {
protected:
    Frame_Data fr;
    std::vector<double> x;

    // A full-scale sine (256 codes peak to peak) around code 127.5.
    void Sine(int n, double cycles_per_sample, int32_t uv_div) {
        fr.Clear();
        fr.Info.Smpl_Period = 1;
        fr.Info.Frame_uV_Div = uv_div;
        fr.Info.Frame_Zero = 127;
        fr.Info.Frame_Count = n;
        fr.Info.Smpl_Count = n;
        x.clear();
        for (int i = 0; i < n; ++i) {
            const double v = 127.5 + 127.5 * std::sin(2 * Pi * cycles_per_sample * i);
            fr.Smpl_Buf_A[static_cast<size_t>(i)] = static_cast<int32_t>(std::lround(v));
            x.push_back(fr.Smpl_Buf_A[static_cast<size_t>(i)] - 127.0);
        }
    }
};

struct Scale_Case {
    int scale;
    double expected_db;
};

class FFT_Scale_Test : public FFT_Test, public ::testing::WithParamInterface<Scale_Case> {};

TEST_P(FFT_Scale_Test, FullScaleSineAtOneVoltPerDivision) {
    const auto& c = GetParam();
    Sine(1024, 100.3 / 1024, 1000000);
    FFT_Analyser fft;
    fft.Analyse(0, Win_Flat_Top, c.scale, fr.Info, fr.Smpl_Buf_A.data());
    ASSERT_TRUE(fft.Valid);
    EXPECT_EQ(fft.N, 1024);
    EXPECT_NEAR(fft.Peak_dB, c.expected_db, 0.05);
    const Reference ref = Direct_DFT(x, 1024, Win_Flat_Top, c.scale, 1e6);
    double pmax = 0;
    for (double p : ref.power) pmax = std::max(pmax, p);
    EXPECT_NEAR(fft.Peak_dB, 10 * std::log10(pmax) + ref.S, 1e-4);
    EXPECT_EQ(fft.Top_dB, c.scale == 0 ? 10 : (c.scale == 1 ? 15 : 25));
    EXPECT_NEAR(fft.Peak_Rel * 512, 100.3, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Scales, FFT_Scale_Test,
                         ::testing::Values(Scale_Case{0, 9.03}, Scale_Case{1, 9.03 + 2.22}, Scale_Case{2, 9.03 + 13.01}));

TEST_F(FFT_Test, PlotValuesMatchTheDirectTransform) {
    Sine(1000, 0.0737, 50000);
    for (int window : {Win_Rectangular, Win_Hann, Win_Flat_Top}) {
        FFT_Analyser fft;
        fft.Analyse(3, window, 0, fr.Info, fr.Smpl_Buf_A.data());  // 8192: eight-fold zero padding
        ASSERT_EQ(fft.N, 8192);
        EXPECT_EQ(fft.Top_dB, -15);  // 50 mV/div
        const Reference ref = Direct_DFT(x, 8192, window, 0, 50000);
        const double base = (ref.S + 80 - fft.Top_dB) * 3.2;
        for (int k = 0; k < 4096; k += 37) {
            const double p = ref.power[static_cast<size_t>(k)];
            const double want = p == 0 ? 0 : std::max(0.0, std::round(32 * std::log10(p) + base));
            EXPECT_NEAR(fft.Out()[k], want, 1.0) << "window " << window << " bin " << k;
        }
        EXPECT_EQ(fft.Out()[4096], No_Sample);
        // Peak level per window from the reference powers.
        size_t v = 0;
        for (size_t k = 1; k < ref.power.size(); ++k)
            if (ref.power[k] > ref.power[v]) v = k;
        double sigma = ref.power[v];
        for (size_t j = 1; j < 32 && v >= j && v + j < ref.power.size(); ++j)
            sigma += ref.power[v - j] + ref.power[v + j];
        const double r = 1000.0 / 8192;
        const double want = window == Win_Flat_Top ? 10 * std::log10(ref.power[v]) + ref.S
                                                   : 10 * std::log10(sigma * r * (window == Win_Hann ? 2.0 / 3 : 1)) + ref.S;
        EXPECT_NEAR(fft.Peak_dB, want, 1e-4) << window;
        EXPECT_NEAR(fft.Peak_Rel, 0.0737 * 2, 0.001) << window;
    }
}

TEST_F(FFT_Test, RingFrameNewestFirstHasTheSameMagnitudes) {
    Sine(2000, 0.05, 1000000);
    FFT_Analyser a, b;
    a.Analyse(1, Win_Hann, 0, fr.Info, fr.Smpl_Buf_A.data());
    // The same samples in ring order: reading newest first from Ring_Pos.
    Frame_Data ring;
    ring.Info = fr.Info;
    ring.Info.Ring_Flag = 1;
    ring.Info.Ring_Pos = 2000;
    for (int i = 0; i < 2000; ++i) ring.Smpl_Buf_A[static_cast<size_t>(i)] = fr.Smpl_Buf_A[static_cast<size_t>(1999 - i)];
    b.Analyse(1, Win_Hann, 0, ring.Info, ring.Smpl_Buf_A.data());
    for (int k = 0; k < 1024; ++k) ASSERT_EQ(a.Out()[k], b.Out()[k]) << k;
    EXPECT_DOUBLE_EQ(a.Peak_dB, b.Peak_dB);
}

TEST_F(FFT_Test, ConstantSignalIsNotValidAndSizesOutOfRangeUse1024) {
    Sine(500, 0, 1000000);
    FFT_Analyser fft;
    fft.Analyse(4, Win_Flat_Top, 0, fr.Info, fr.Smpl_Buf_A.data());
    EXPECT_EQ(fft.N, 1024);
    EXPECT_FALSE(fft.Valid);
    for (int k = 0; k < 512; ++k) ASSERT_EQ(fft.Out()[k], 0);
    EXPECT_EQ(FFT_Points(-1), 1024);
    EXPECT_EQ(FFT_Points(2), 4096);
}

TEST_F(FFT_Test, HostileRecordsStayInsideTheArrays) {
    Sine(300, 0.1, 1000000);
    FFT_Analyser fft;
    for (int32_t rp : {-2147483647 - 1, -5, 0, 19999, 20000, 2147483647}) {
        fr.Info.Ring_Flag = 1;
        fr.Info.Ring_Pos = rp;
        fr.Info.Frame_Count = rp;
        fr.Info.Frame_uV_Div = rp;
        fft.Analyse(3, Win_Rectangular, 2, fr.Info, fr.Smpl_Buf_A.data());
        EXPECT_GE(fft.Top_dB, -120);
        EXPECT_LE(fft.Top_dB, 120);
    }
}

// The plot value equals max(0, Round_Half(32 log10 p + base)) for powers
// across the whole range, including those that fall exactly on, or one
// step beside, a rounding boundary.
TEST(FFT_Level, MatchesTheLogarithmEverywhere) {
    const auto exact = [](double p, double base) {
        return std::max<int32_t>(0, Round_Half_I32(32 * std::log10(p) + base));
    };
    const double bases[] = {-300.0, -41.37, -0.5, 0.0, 0.5, 12.25, 97.6, 1e10};
    for (const double base : bases) {
        for (double e = -320; e <= 308; e += 0.0137) {
            const double p = std::pow(10.0, e);
            if (!(p > 0) || !std::isfinite(p)) continue;
            ASSERT_EQ(FFT_Level_Code(p, base), exact(p, base)) << "p=" << p << " base=" << base;
        }
        for (int k = 0; k <= 600; ++k) {
            const double at = std::pow(10.0, (k - 0.5 - base) / 32);
            if (!(at > 0) || !std::isfinite(at)) continue;
            for (const double p : {std::nextafter(at, 0.0), at, std::nextafter(at, 1e308)})
                ASSERT_EQ(FFT_Level_Code(p, base), exact(p, base)) << "k=" << k << " base=" << base;
        }
    }
    EXPECT_EQ(FFT_Level_Code(std::numeric_limits<double>::infinity(), 0), exact(std::numeric_limits<double>::infinity(), 0));
    EXPECT_EQ(FFT_Level_Code(1e300, std::numeric_limits<double>::quiet_NaN()), 0);
}

// Entries past the spectrum hold No_Sample after every analysis, whatever
// size the one before had.
TEST_F(FFT_Test, EntriesPastTheSpectrumAreEmptyAfterASizeChange) {
    struct Step {
        int size_index;
        int points;  // samples in the frame
    };
    const Step steps[] = {{3, 8000}, {0, 8000}, {2, 8000}, {3, 1}, {1, 3000}, {3, 3000}, {0, 1}};
    FFT_Analyser fft;
    for (const Step& st : steps) {
        Sine(st.points, 0.05, 1000000);
        fft.Analyse(st.size_index, Win_Hann, 0, fr.Info, fr.Smpl_Buf_A.data());
        const int half = FFT_Points(st.size_index) / 2;
        for (int k = 0; k < half; ++k) ASSERT_NE(fft.Out()[k], No_Sample) << st.size_index << " " << k;
        for (int k = half; k < Smpl_Buf_Size; ++k) ASSERT_EQ(fft.Out()[k], No_Sample) << st.size_index << " " << k;
    }
}

}  // namespace
}  // namespace tovan
