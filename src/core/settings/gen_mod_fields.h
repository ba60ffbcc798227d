#pragma once
// The seven modulation fields of the settings record as one value, for
// saving them when the modulation dialog opens and restoring them when it
// is cancelled.
#include "common/numeric.h"
#include "settings/scope_settings.h"

namespace tovan {

struct Gen_Mod_Fields {
    int Mod_Type = 0;
    int Mod_Freq = 0;
    int Mod_Freq_x = 0;
    int Mod_K = 0;
    int Mod_K_x = 0;
    int Dev_Freq = 0;
    int Dev_Freq_x = 0;

    static Gen_Mod_Fields Save(const Scope_Settings& s) {
        return {s.Mod_Type, s.Mod_Freq, s.Mod_Freq_x, s.Mod_K, s.Mod_K_x, s.Dev_Freq, s.Dev_Freq_x};
    }
    void Restore(Scope_Settings& s) const {
        s.Mod_Type = Mod_Type;
        s.Mod_Freq = Mod_Freq;
        s.Mod_Freq_x = Mod_Freq_x;
        s.Mod_K = Mod_K;
        s.Mod_K_x = Mod_K_x;
        s.Dev_Freq = Dev_Freq;
        s.Dev_Freq_x = Dev_Freq_x;
    }
    // What the dialog's controls can show: the bars hold 0..1000, each
    // pair of buttons 0 or 1 (any non-zero selection is the second button).
    Gen_Mod_Fields Clamped() const {
        return {Mod_Type != 0,          Clamp(Mod_Freq, 0, 1000), Mod_Freq_x != 0, Clamp(Mod_K, 0, 1000),
                Mod_K_x != 0,           Clamp(Dev_Freq, 0, 1000), Dev_Freq_x != 0};
    }
    friend bool operator==(const Gen_Mod_Fields&, const Gen_Mod_Fields&) = default;
};

}  // namespace tovan
