#pragma once
// The settings record: every front-panel selection, the view options and
// the plain values that have no control of their own. Widgets show and
// edit this record; Compute_Params derives the device parameters from it.
//
// Exclusive groups are held as the index of their selected member, so a
// group can never have none or two members selected.
#include <array>
#include <cstdint>
#include <string>

#include "settings/step_tables.h"

namespace tovan {

// Display colours, 0x00BBGGRR each.
struct Color_Set {
    uint32_t Background = 0;
    uint32_t Border = 0;
    uint32_t Signal = 65280;
    uint32_t Markers = 8421504;
    uint32_t Grid = 8388608;
    uint32_t Grid_Frame = 12615680;
    uint32_t Trig_Pos = 8421376;
    uint32_t Trig_Sig = 65535;
    uint32_t FFT = 16711935;
    uint32_t Smpl_Info = 12615680;
};

// Generator range buttons, in group order.
enum Gen_Range_Index : int {
    Gen_10K_1S = 0,
    Gen_100K_100mS,
    Gen_1M_10mS,
    Gen_10M_1mS,
    Gen_50M_100uS,
    Gen_10uS_Noise,
    Gen_Range_Count
};
// Waveform buttons, in group order.
enum Gen_Wave_Index : int { Wave_Sin = 0, Wave_Rect, Wave_Trian, Wave_Up_Trian, Wave_Dn_Trian, Gen_Wave_Count };
// Sweep, Pulse and Mod. form one group in which all may be up.
enum class Gen_Mode_Sel : int { None = 0, Sweep, Pulse, Mod };

enum Probe_Index : int { Probe_x1 = 0, Probe_x10, Probe_x100 };
enum Trace_Mode_Index : int { Trace_Dots = 0, Trace_Vectors, Trace_Sinxx };

struct Scope_Settings {
    // --- Scope group -------------------------------------------------
    bool Run = false;   // SpeedButton_Run
    bool Sngl = false;  // SpeedButton_Sngl
    int Time_Div = Time_Step_1mS;    // index into Time_Steps
    int Volts_Div = Volts_Step_1V;   // index into Volts_Steps
    bool ACDC = false;               // pressed = AC
    int Probe = Probe_x1;            // Menu_x1 / Menu_x10 / Menu_x100
    bool Smpl_PeakDet = false;       // Menu_SmplPeakDet (else Menu_SmplNormal)
    int Smpl_N = 1;                  // index into Record_Lengths (2500)
    bool Trig_On = false;
    bool Trig_Edge = false;  // pressed = falling edge
    bool Trig_Ext = false;   // pressed = external source
    bool Auto = true;
    int Trig_Pre = 1;   // 0..9 divisions
    int Trig_N = 1;     // 1..255
    int Trig_Hyst = 1;  // 0..5
    int FM_Input = 0;   // 0 internal, 1 ext., 2 ext. HF
    int Zero_Level = 127;
    double Trig_Level = 127.0;
    int X_Pos = 0;  // ScrollBar_X_POS

    // --- View menu ---------------------------------------------------
    bool Markers_1 = false;
    bool Markers_2 = true;
    bool Measure = true;
    bool ExtTrig = true;
    bool Grid = true;
    bool TrigPosL = true;
    bool Smpl_Info = false;
    bool BG_View = false;
    int Trace_Mode = Trace_Sinxx;
    bool FFT_View = false;
    bool Lenta = false;  // "Scroll (0.1 .. 20 S/Div)"
    bool On_Top = false;
    bool Russian = true;
    bool Compact = false;

    // Marker positions in marker units (500 across, 256 up).
    int Marker_x = 25, Marker_y = 240;
    int Marker1_x = 25, Marker1_y = 240;
    int Marker2_x = 475, Marker2_y = 16;

    // FFT analysis options.
    int FFT_Size = 2, FFT_Win = 2, FFT_Scale = 0;

    Color_Set Colors;

    // Background oscillogram levels (rescaled with the main ones).
    int BG_Zero_Level = 127;
    double BG_Trig_Level = 127.0;

    // --- Generator group ---------------------------------------------
    bool Gen_On = false;  // never stored: starts switched off
    int Gen_Range = Gen_10K_1S;
    int Gen_Wave = Wave_Sin;
    Gen_Mode_Sel Gen_Mode_Button = Gen_Mode_Sel::None;
    int F_fast = 100;  // coarse bar 0..1000
    int F_slow = 0;    // fine bar 0..1000
    int Ampl = 11;     // amplitude bar; 11..386, 0..511 in service mode
    int Mod_Type = 0;  // 0 AM, 1 FM
    int Mod_Freq = 100;
    int Mod_Freq_x = 0;
    int Mod_K = 700;
    int Mod_K_x = 0;
    int Dev_Freq = 300;
    int Dev_Freq_x = 0;

    // --- Calibration values ------------------------------------------
    int Z_P1 = 3357;
    int Z_P2 = 725;
    int Offset = 0;
    int Time_PPM = 0;  // 0.2 ppm units

    // --- Service flags ([System] of the settings file, read only) ------
    bool Debug_Mode = false;  // "Debug_tv"
    bool TDC_Clbr = false;
    bool Keep_Pulse = false;
    bool No_Excuse = false;
    bool No_Msg = false;

    // One-shot: set by a range or probe change, consumed by Compute_Params.
    bool Level_Rescale = false;

    // --- Control states derived by Compute_Params ------------------------
    bool Slow_Untriggered = false;
    bool Sweep_Enabled = true;
    bool Gen_50M_Visible = false;
    bool Gen_Noise_Visible = true;
    bool Freq_Bars_Enabled = true;
    std::array<bool, Gen_Wave_Count> Wave_Enabled{true, true, true, true, true};
    std::array<const char*, Gen_Range_Count> Range_Captions{"10K", "100K", "1M", "10M", "50M", "Noise"};
    std::array<const char*, Volts_Step_Count> Volts_Captions{"2V", "1V", "0.5V", "0.2V", "100mV", "50mV"};
    int Marker_Mode = 2;  // 0 none, 1 one cross, 2 two crosses

    bool Service_Mode() const { return Debug_Mode || No_Excuse; }
    bool Sweep() const { return Gen_Mode_Button == Gen_Mode_Sel::Sweep; }
    bool Pulse() const { return Gen_Mode_Button == Gen_Mode_Sel::Pulse; }
    bool Mod() const { return Gen_Mode_Button == Gen_Mode_Sel::Mod; }
    int32_t Record_Points() const { return Record_Lengths[static_cast<size_t>(Smpl_N)]; }
    uint64_t Time_Div_ns() const { return Time_Steps[static_cast<size_t>(Time_Div)].ns; }
    int Ampl_Min() const { return Service_Mode() ? 0 : 11; }
    int Ampl_Max() const { return Service_Mode() ? 511 : 386; }
};

// Puts every field that indexes a table or a scroll range back into its
// range; a hand-edited settings file can hold any number.
void Sanitize_Settings(Scope_Settings& s);

// Caption of the "Volts/Div" button for the probe and language.
std::string Volts_Div_Button_Caption(int probe, bool lang_russian);

// Time/div button handler helpers used by the keyboard and the panel.
// A range or probe change asks for the trigger level to keep its voltage.
void Select_Volts_Div(Scope_Settings& s, int index);
void Select_Probe(Scope_Settings& s, int probe);
void Cycle_Probe(Scope_Settings& s);  // "Volts/Div": x1 -> x10, x10/x100 -> x1

}  // namespace tovan
