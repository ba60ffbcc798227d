#pragma once
// Number formatter for times (ns), voltages (uV) and frequencies (Hz).
#include <string>

namespace tovan {

enum Value_Kind : int { Kind_Time = 0, Kind_Voltage = 1, Kind_Frequency = 2 };

// The value scaled to a unit of the kind's ladder ("nS".."S", "mV".."KV",
// "mHz".."GHz") in fixed notation, a blank and the unit. digits >= 0 asks
// for that many decimals; digits < 0 for |digits| significant digits
// (|digits| minus the integer digits of the range, at least 0). Halves
// round away from zero; the separator is always ".". A value that is not
// finite reads "...".
std::string Format_Value(double x, int kind, int digits);

// Fixed notation with the given decimals, halves away from zero.
std::string Format_Fixed(double x, int decimals);

}  // namespace tovan
