#include "display/format_value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>


namespace tovan {

std::string Format_Fixed(double x, int decimals) {
    if (!std::isfinite(x)) return "...";
    decimals = std::clamp(decimals, 0, 15);
    char buf[64];
    if (std::fabs(x) >= 1e15) {
        std::snprintf(buf, sizeof buf, "%.15g", x);
        return buf;
    }
    // The value as 15 significant decimal digits d[0..14] and the exponent
    // of d[0]; the rounding works on these digits, so a decimal tie such as
    // 1.005 (binary 1.00499999..) rounds up as it reads.
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x));
    std::string d;
    const char* q = buf;
    for (; *q && *q != 'e'; ++q)
        if (*q >= '0' && *q <= '9') d += *q;
    const int exp10 = *q == 'e' ? std::atoi(q + 1) : 0;
    // Digits kept in front of the cut: the integer digits plus the decimals.
    const int keep = exp10 + 1 + decimals;
    std::string n;  // the result times 10^decimals, as decimal digits
    if (keep >= static_cast<int>(d.size())) {
        n = d + std::string(static_cast<size_t>(keep) - d.size(), '0');
    } else if (keep >= 0) {
        n = d.substr(0, static_cast<size_t>(keep));
        if (d[static_cast<size_t>(keep)] >= '5') {  // half away from zero
            int i = static_cast<int>(n.size()) - 1;
            for (; i >= 0 && n[static_cast<size_t>(i)] == '9'; --i) n[static_cast<size_t>(i)] = '0';
            if (i >= 0)
                ++n[static_cast<size_t>(i)];
            else
                n.insert(n.begin(), '1');
        }
    }
    const size_t first = n.find_first_not_of('0');
    n = first == std::string::npos ? std::string() : n.substr(first);
    const bool negative = x < 0 && !n.empty();  // no "-0.00"
    if (n.size() < static_cast<size_t>(decimals) + 1) n.insert(0, static_cast<size_t>(decimals) + 1 - n.size(), '0');
    if (decimals > 0) n.insert(n.size() - static_cast<size_t>(decimals), 1, '.');
    return negative ? "-" + n : n;
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
