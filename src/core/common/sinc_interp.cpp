#include "common/sinc_interp.h"

#include "common/numeric.h"

namespace tovan {

// Rows are taps k = 0..17, columns phases 1..9.
const int16_t Sinc_Table[18][9] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
    {-1, -2, -2, -2, -2, -2, -1, -1, 0},
    {5, 9, 11, 11, 10, 8, 6, 4, 2},
    {-17, -29, -36, -38, -36, -30, -23, -15, -7},
    {45, 78, 98, 105, 101, 87, 67, 44, 21},
    {-104, -182, -231, -251, -243, -213, -167, -111, -54},
    {224, 394, 502, 547, 532, 469, 370, 249, 121},
    {-538, -923, -1152, -1233, -1185, -1034, -808, -541, -262},
    {6442, 6114, 5590, 4904, 4099, 3224, 2329, 1465, 676},
    {676, 1465, 2329, 3224, 4099, 4904, 5590, 6114, 6442},
    {-262, -541, -808, -1034, -1185, -1233, -1152, -923, -538},
    {121, 249, 370, 469, 532, 547, 502, 394, 224},
    {-54, -111, -167, -213, -243, -251, -231, -182, -104},
    {21, 44, 67, 87, 101, 105, 98, 78, 45},
    {-7, -15, -23, -30, -36, -38, -36, -29, -17},
    {2, 4, 6, 8, 10, 11, 11, 9, 5},
    {0, -1, -1, -2, -2, -2, -2, -2, -1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
};

int32_t Sinc_Interp(const int32_t* a, int32_t index, int32_t phase, int32_t n) {
    if (index < 0 || index >= n) return No_Sample;
    if (phase <= 0) return a[index];
    if (phase > 9) phase = 9;
    if (index == n - 1) return No_Sample;

    int32_t w[18];
    // Values are ADC codes, but a hostile frame record may hold anything:
    // the continuation runs in 64 bits and is clamped to the 32-bit range.
    int64_t l = 0, d = 0, q = 0, e = 0;
    auto visit = [&](int k) {
        const int64_t pos = static_cast<int64_t>(index) - 8 + k;
        if (pos >= 0 && pos < n && a[pos] != No_Sample) {
            const int64_t v = a[pos];
            const int64_t t = v - l;
            e = t - q;
            q = t;
            d = t;
            l = v;
        } else {
            d = Clamp<int64_t>(e + d, -(int64_t{1} << 40), int64_t{1} << 40);
            l = Clamp<int64_t>(l + d, -(int64_t{1} << 40), int64_t{1} << 40);
        }
        w[k] = static_cast<int32_t>(Clamp<int64_t>(l, -(int64_t{1} << 31) + 1, (int64_t{1} << 31) - 1));
    };
    if (index < 8) {
        for (int k = 17; k >= 0; --k) visit(k);
    } else {
        for (int k = 0; k <= 17; ++k) visit(k);
    }
    // Accumulated in 64 bits: with codes 0..255 the sum fits 32 bits as
    // before, and out-of-range values from a loaded file cannot overflow.
    int64_t acc = 0;
    for (int k = 0; k < 18; ++k) acc += int64_t{w[k]} * Sinc_Table[k][phase - 1];
    return Round_Half_I32(static_cast<double>(acc) * 10.0 / 65536.0);
}

}  // namespace tovan
