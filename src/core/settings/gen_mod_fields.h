#pragma once
// The seven modulation fields of the settings record: what they mean in
// physical units (one rule for the device words, the read-out panel and the
// dialog captions), and the fields as one value, for saving them when the
// modulation dialog opens and restoring them when it is cancelled.
#include "common/numeric.h"
#include "settings/scope_settings.h"

namespace tovan {

// A modulation type other than 0 is FM; a non-zero scale field selects the
// larger scale. (Sanitize_Settings brings the record to 0 or 1 the same way.)
inline bool Mod_Is_FM(const Scope_Settings& s) { return s.Mod_Type != 0; }
// Modulating frequency in 10 Hz steps: Mod_Freq, x 10 on the "100K" scale.
inline double Mod_Freq_Steps(const Scope_Settings& s) { return s.Mod_Freq * (s.Mod_Freq_x != 0 ? 10.0 : 1.0); }
// AM depth in 0.1 % steps: Mod_K, x 2 on the "200%" scale.
inline double Mod_Depth_Steps(const Scope_Settings& s) { return s.Mod_K * (s.Mod_K_x != 0 ? 2.0 : 1.0); }
// FM deviation in 10 Hz steps: Dev_Freq, x 10 on the "100K" scale.
inline double Dev_Freq_Steps(const Scope_Settings& s) { return s.Dev_Freq * (s.Dev_Freq_x != 0 ? 10.0 : 1.0); }

inline double Mod_Freq_Hz(const Scope_Settings& s) { return Mod_Freq_Steps(s) * 10.0; }
inline double Mod_Depth_Percent(const Scope_Settings& s) { return Mod_Depth_Steps(s) / 10.0; }
inline double Dev_Freq_Hz(const Scope_Settings& s) { return Dev_Freq_Steps(s) * 10.0; }

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
