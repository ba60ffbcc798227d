#pragma once
// Values and group captions of the generator modulation dialog, computed
// from the modulation fields of the settings record.
#include <string>

#include "settings/gen_mod_fields.h"
#include "settings/scope_settings.h"

namespace tovan {

struct Gen_Mod_Captions {
    std::string Mod_K;     // GroupBox_Mod_K
    std::string Dev_FM;    // GroupBox_Dev_FM
    std::string Mod_Freq;  // GroupBox_ModFreq
};

// The three group captions (UTF-8) for the record and the language.
Gen_Mod_Captions Make_Gen_Mod_Captions(const Scope_Settings& s, bool lang_russian);

}  // namespace tovan
