#include "display/format_value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/numeric.h"

namespace tovan {

std::string Format_Fixed(double x, int decimals) {
    if (!std::isfinite(x)) return "...";
    decimals = std::clamp(decimals, 0, 15);
    char buf[400];
    if (std::fabs(x) >= 1e15) {
        std::snprintf(buf, sizeof buf, "%.15g", x);
        return buf;
    }
    double p = 1;
    for (int i = 0; i < decimals; ++i) p *= 10;
    double r = Round_Half(x * p) / p;
    if (r == 0) r = 0;  // no "-0.00"
    std::snprintf(buf, sizeof buf, "%.*f", decimals, r);
    return buf;
}

std::string Format_Value(double x, int kind, int digits) {
    if (!std::isfinite(x)) return "...";
    const double a = std::fabs(x);
    // Unit rung and integer digits f of the range; below 1000 time stays
    // in nS, voltage in mV and frequency goes down to mHz.
    double div = 1, mul = 1;
    const char* unit = "";
    int f = 1;
    static const char* const units[3][4] = {
        {"nS", "uS", "mS", "S"}, {"mV", "mV", "V", "KV"}, {"Hz", "KHz", "MHz", "GHz"}};
    kind = std::clamp(kind, 0, 2);
    if (a < 1000) {
        if (kind == Kind_Voltage) {
            div = 1e3;
            unit = "mV";
            f = 1;
        } else if (kind == Kind_Frequency && a < 1) {
            mul = 1e3;
            unit = "mHz";
            f = a < 0.01 ? 1 : (a < 0.1 ? 2 : 3);
        } else {
            unit = units[kind][0];
            f = a < 10 ? 1 : (a < 100 ? 2 : 3);
            if (kind == Kind_Frequency) unit = "Hz";
        }
    } else {
        int group = a < 1e6 ? 1 : (a < 1e9 ? 2 : 3);
        const double base = group == 1 ? 1e3 : (group == 2 ? 1e6 : 1e9);
        div = base;
        unit = units[kind][group];
        f = a < base * 10 ? 1 : (a < base * 100 ? 2 : 3);
    }
    const int decimals = digits >= 0 ? digits : std::max(0, -digits - f);
    const double v = x * mul / div;
    return Format_Fixed(v, decimals) + " " + unit;
}

}  // namespace tovan
