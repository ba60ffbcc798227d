#include "settings/scope_settings.h"

#include <cmath>

#include "common/numeric.h"
#include "i18n/panel_texts.h"

namespace tovan {

void Sanitize_Settings(Scope_Settings& s) {
    s.Time_Div = Clamp(s.Time_Div, 0, Time_Step_Count - 1);
    s.Volts_Div = Clamp(s.Volts_Div, 0, Volts_Step_Count - 1);
    s.Probe = Clamp(s.Probe, 0, 2);
    s.Smpl_N = Clamp(s.Smpl_N, 0, 3);
    s.Trig_Pre = Clamp(s.Trig_Pre, 0, 9);
    s.Trig_N = Clamp(s.Trig_N, 1, 255);
    s.Trig_Hyst = Clamp(s.Trig_Hyst, 0, 5);
    s.FM_Input = Clamp(s.FM_Input, 0, 2);
    s.Zero_Level = Clamp(s.Zero_Level, 0, 255);
    s.BG_Zero_Level = Clamp(s.BG_Zero_Level, 0, 255);
    if (!std::isfinite(s.Trig_Level)) s.Trig_Level = s.Zero_Level;
    if (!std::isfinite(s.BG_Trig_Level)) s.BG_Trig_Level = s.BG_Zero_Level;
    s.Trace_Mode = Clamp(s.Trace_Mode, 0, 2);
    s.Gen_Range = Clamp(s.Gen_Range, 0, Gen_Range_Count - 1);
    s.Gen_Wave = Clamp(s.Gen_Wave, 0, Gen_Wave_Count - 1);
    const int mode = static_cast<int>(s.Gen_Mode_Button);
    if (mode < 0 || mode > 3) s.Gen_Mode_Button = Gen_Mode_Sel::None;
    s.F_fast = Clamp(s.F_fast, 0, 1000);
    s.F_slow = Clamp(s.F_slow, 0, 1000);
    s.Ampl = Clamp(s.Ampl, s.Ampl_Min(), s.Ampl_Max());
    // The device words take any type other than 0 as FM, so does the record:
    // read-outs and the dialog then show what the generator makes.
    s.Mod_Type = s.Mod_Type != 0;
    s.Mod_Freq = Clamp(s.Mod_Freq, 0, 1000);
    s.Mod_K = Clamp(s.Mod_K, 0, 1000);
    s.Dev_Freq = Clamp(s.Dev_Freq, 0, 1000);
    s.Mod_Freq_x = s.Mod_Freq_x != 0;
    s.Mod_K_x = s.Mod_K_x != 0;
    s.Dev_Freq_x = s.Dev_Freq_x != 0;
    s.FFT_Size = Clamp(s.FFT_Size, 0, 3) == s.FFT_Size ? s.FFT_Size : 0;  // else 1024 points
    s.FFT_Win = Clamp(s.FFT_Win, 0, 2);
    s.FFT_Scale = Clamp(s.FFT_Scale, 0, 2);
}

std::string Volts_Div_Button_Caption(int probe, bool lang_russian) {
    std::string c = panel_text::Volts_Div(lang_russian);
    if (probe == Probe_x10) c += panel_text::Probe_x10(lang_russian);
    if (probe == Probe_x100) c += panel_text::Probe_x100(lang_russian);
    return c;
}

void Select_Volts_Div(Scope_Settings& s, int index) {
    s.Volts_Div = Clamp(index, 0, Volts_Step_Count - 1);
    s.Level_Rescale = true;
}

void Select_Probe(Scope_Settings& s, int probe) {
    s.Probe = Clamp(probe, 0, 2);
    s.Level_Rescale = true;
}

void Cycle_Probe(Scope_Settings& s) { Select_Probe(s, s.Probe == Probe_x1 ? Probe_x10 : Probe_x1); }

}  // namespace tovan
