#pragma once
// Turns the settings record into the instrument's register values.
#include <cstdint>

#include "model/device_params.h"
#include "settings/scope_settings.h"

namespace tovan {

// Hysteresis half-widths in ADC codes, by noise-reject index 0..5.
inline constexpr int Hyst_Codes[6] = {0, 2, 3, 8, 16, 32};

// Runs every rule in order: reads the settings, applies the control rules
// that change the record (generator rules, Sweep in scroll mode, probe
// captions, level rescale) and writes the device parameters. The previous
// parameters are read where a rule keeps a value (volts before a rescale,
// the generator words in noise mode).
void Compute_Params(Scope_Settings& s, Device_Params& p);

}  // namespace tovan
