#pragma once
// Number formatter for times (ns), voltages (uV) and frequencies (Hz).
#include <string>

namespace tovan {

enum Value_Kind : int { Kind_Time = 0, Kind_Voltage = 1, Kind_Frequency = 2 };

// The value scaled to a unit of the kind's ladder ("nS".."S", "mV".."KV",
// "mHz".."GHz") in fixed notation, a blank and the unit. digits >= 0 asks
// for that many decimals; digits < 0 for |digits| significant digits
// (|digits| minus the integer digits of the range, at least 0). The
// scaled value is taken to 15 significant decimal digits and that decimal
// text is rounded, halves away from zero (1.005 gives 1.01); the separator
// is always ".". A value that is not finite reads "...".
std::string Format_Value(double x, int kind, int digits);

// Fixed notation with the given decimals (0..15), rounded as above.
std::string Format_Fixed(double x, int decimals);

}  // namespace tovan
