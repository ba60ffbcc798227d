#pragma once
// Values and group captions of the generator modulation dialog, computed
// from the modulation fields of the settings record.
#include <string>

#include "settings/scope_settings.h"

namespace tovan {

// The scale fields select the larger scale when non-zero, as the device
// computation reads them.
double Mod_Depth_Percent(const Scope_Settings& s);  // Mod_K x 0.1 % (x 0.2 % on "200%")
double Mod_Freq_Hz(const Scope_Settings& s);        // Mod_Freq x 10 Hz (x 100 Hz on "100K")
double Dev_Freq_Hz(const Scope_Settings& s);        // Dev_Freq x 10 Hz (x 100 Hz on "100K")

struct Gen_Mod_Captions {
    std::string Mod_K;     // GroupBox_Mod_K
    std::string Dev_FM;    // GroupBox_Dev_FM
    std::string Mod_Freq;  // GroupBox_ModFreq
};

// The three group captions (UTF-8) for the record and the language.
Gen_Mod_Captions Make_Gen_Mod_Captions(const Scope_Settings& s, bool lang_russian);

}  // namespace tovan
