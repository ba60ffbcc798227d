#include "settings/settings_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "common/numeric.h"
#include "settings/ini_file.h"

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace tovan {
namespace {

constexpr const char* Gen_Range_Keys[Gen_Range_Count] = {"10K_1S",   "100K_100mS", "1M_10mS",
                                                        "10M_1mS",  "50M_100uS",  "__10uS_Noise"};
constexpr const char* Gen_Wave_Keys[Gen_Wave_Count] = {"Sin", "Rect", "Trian", "Up_Trian", "Dn_Trian"};

// An exclusive group or radio menu item read from the file: "1" selects
// it; "0" never leaves a group with nothing selected.
void Read_Member(const Ini_File& ini, const char* section, const char* key, int index, int& group) {
    if (ini.Read_Bool(section, key, group == index)) group = index;
}

// The mode buttons form a group in which all may be up.
void Read_Mode(const Ini_File& ini, const char* key, Gen_Mode_Sel mode, Gen_Mode_Sel& group) {
    const bool down = ini.Read_Bool("Generator", key, group == mode);
    if (down) group = mode;
    else if (group == mode) group = Gen_Mode_Sel::None;
}

void Read_Int(const Ini_File& ini, const char* section, const char* key, int& v) {
    v = ini.Read_Integer(section, key, v);
}
void Read_Flag(const Ini_File& ini, const char* section, const char* key, bool& v) {
    v = ini.Read_Bool(section, key, v);
}

std::string Tilde(const std::string& v) { return "~" + v + "~"; }

}  // namespace

void Read_Settings(const std::string& path, bool full, Scope_Settings& s) {
    Ini_File ini;
    ini.Load_File(path);
    Read_Settings(ini, full, s);
}

void Read_Settings(const Ini_File& ini, bool full, Scope_Settings& s) {
    if (full) {
        s.Debug_Mode = ini.Read_Bool("System", "Debug_tv", false);
        s.TDC_Clbr = ini.Read_Bool("System", "TDC_Clbr", false);
        s.Keep_Pulse = ini.Read_Bool("System", "Keep_Pulse", false);
        s.No_Excuse = ini.Read_Bool("System", "No_Excuse", false);
        s.No_Msg = ini.Read_Bool("System", "No_Msg", false);
    }

    const char* c = "Common";
    Read_Flag(ini, c, "Markers_1", s.Markers_1);
    Read_Flag(ini, c, "Markers_2", s.Markers_2);
    Read_Int(ini, c, "Marker_x", s.Marker_x);
    Read_Int(ini, c, "Marker_y", s.Marker_y);
    Read_Int(ini, c, "Marker1_x", s.Marker1_x);
    Read_Int(ini, c, "Marker1_y", s.Marker1_y);
    Read_Int(ini, c, "Marker2_x", s.Marker2_x);
    Read_Int(ini, c, "Marker2_y", s.Marker2_y);
    Read_Flag(ini, c, "Measure", s.Measure);
    Read_Flag(ini, c, "ExtTrig", s.ExtTrig);
    Read_Flag(ini, c, "Grid", s.Grid);
    Read_Flag(ini, c, "TrigPosL", s.TrigPosL);
    Read_Flag(ini, c, "Smpl_Info", s.Smpl_Info);
    Read_Member(ini, c, "Dots", Trace_Dots, s.Trace_Mode);
    Read_Member(ini, c, "Vectors", Trace_Vectors, s.Trace_Mode);
    Read_Member(ini, c, "Sinxx", Trace_Sinxx, s.Trace_Mode);
    if (full) Read_Flag(ini, c, "On_Top", s.On_Top);
    int peak = s.Smpl_PeakDet ? 1 : 0;
    Read_Member(ini, c, "SmplNormal", 0, peak);
    Read_Member(ini, c, "SmplPeakDet", 1, peak);
    s.Smpl_PeakDet = peak == 1;
    for (int i = 0; i < 4; ++i) Read_Member(ini, c, Record_Length_Keys[static_cast<size_t>(i)], i, s.Smpl_N);
    Read_Member(ini, c, "x1", Probe_x1, s.Probe);
    Read_Member(ini, c, "x10", Probe_x10, s.Probe);
    Read_Member(ini, c, "x100", Probe_x100, s.Probe);
    Read_Member(ini, c, "FM_1input", 0, s.FM_Input);
    Read_Member(ini, c, "FM_2input", 1, s.FM_Input);
    Read_Member(ini, c, "FM_2inputHF", 2, s.FM_Input);
    if (full) Read_Flag(ini, c, "Russian", s.Russian);
    Read_Flag(ini, c, "Lenta", s.Lenta);

    for (int i = 0; i < Time_Step_Count; ++i)
        Read_Member(ini, "Scope", Time_Steps[static_cast<size_t>(i)].key, i, s.Time_Div);
    for (int i = 0; i < Volts_Step_Count; ++i)
        Read_Member(ini, "Scope", Volts_Steps[static_cast<size_t>(i)].key, i, s.Volts_Div);
    Read_Flag(ini, "Scope", "ACDC", s.ACDC);
    Read_Int(ini, "Scope", "Zero", s.Zero_Level);
    s.Zero_Level = Clamp(s.Zero_Level, 0, 255);

    const char* t = "Trigger";
    Read_Flag(ini, t, "On", s.Trig_On);
    Read_Flag(ini, t, "Edge", s.Trig_Edge);
    Read_Flag(ini, t, "Ext", s.Trig_Ext);
    Read_Flag(ini, t, "Auto", s.Auto);
    const double whole = std::isfinite(s.Trig_Level) ? std::trunc(s.Trig_Level) : 127.0;
    const int32_t level = ini.Read_Integer(t, "Level", Sat_I32(whole));
    const int32_t fine = ini.Read_Integer(t, "Level_fine", 0);
    s.Trig_Level = level + fine / 1000000.0;
    Read_Int(ini, t, "Pre", s.Trig_Pre);
    Read_Int(ini, t, "N", s.Trig_N);
    Read_Int(ini, t, "Hyst", s.Trig_Hyst);
    s.Trig_Pre = Clamp(s.Trig_Pre, 0, 9);
    s.Trig_N = Clamp(s.Trig_N, 1, 255);
    s.Trig_Hyst = Clamp(s.Trig_Hyst, 0, 5);

    if (full) {
        s.Time_PPM = ini.Read_Integer("Calibrate", "Time", 0);
        s.Z_P1 = ini.Read_Integer("Calibrate", "Z_P1", 3357);
        s.Z_P2 = ini.Read_Integer("Calibrate", "Z_P2", 725);
        s.Offset = ini.Read_Integer("Calibrate", "Offset", 0);
    }

    const char* g = "Generator";
    for (int i = 0; i < Gen_Range_Count; ++i) Read_Member(ini, g, Gen_Range_Keys[i], i, s.Gen_Range);
    for (int i = 0; i < Gen_Wave_Count; ++i) Read_Member(ini, g, Gen_Wave_Keys[i], i, s.Gen_Wave);
    Read_Mode(ini, "Mod", Gen_Mode_Sel::Mod, s.Gen_Mode_Button);
    Read_Mode(ini, "Pulse", Gen_Mode_Sel::Pulse, s.Gen_Mode_Button);
    Read_Mode(ini, "F_Sweep", Gen_Mode_Sel::Sweep, s.Gen_Mode_Button);
    Read_Int(ini, g, "F_fast", s.F_fast);
    Read_Int(ini, g, "F_slow", s.F_slow);
    Read_Int(ini, g, "Ampl", s.Ampl);
    // The scroll bars clamp what they are given.
    s.F_fast = Clamp(s.F_fast, 0, 1000);
    s.F_slow = Clamp(s.F_slow, 0, 1000);
    s.Ampl = Clamp(s.Ampl, 0, 511);
    Read_Int(ini, g, "Mod_Type", s.Mod_Type);
    Read_Int(ini, g, "Mod_Freq", s.Mod_Freq);
    Read_Int(ini, g, "Mod_Freq_x", s.Mod_Freq_x);
    Read_Int(ini, g, "Mod_K", s.Mod_K);
    Read_Int(ini, g, "Mod_K_x", s.Mod_K_x);
    Read_Int(ini, g, "Dev_Freq", s.Dev_Freq);
    Read_Int(ini, g, "Dev_Freq_x", s.Dev_Freq_x);

    if (!full) Read_Flag(ini, "FFT", "View", s.FFT_View);
    Read_Int(ini, "FFT", "Size", s.FFT_Size);
    Read_Int(ini, "FFT", "Win", s.FFT_Win);
    Read_Int(ini, "FFT", "Scale", s.FFT_Scale);

    if (full) {
        const Color_Set d;
        auto color = [&](const char* key, uint32_t def) {
            return static_cast<uint32_t>(ini.Read_Integer("Colors", key, static_cast<int32_t>(def))) & 0x00FFFFFFu;
        };
        s.Colors.Background = color("Background", d.Background);
        s.Colors.Border = color("Border", d.Border);
        s.Colors.Signal = color("Signal", d.Signal);
        s.Colors.Markers = color("Markers", d.Markers);
        s.Colors.Grid = color("Grid", d.Grid);
        s.Colors.Grid_Frame = color("Grid_Frame", d.Grid_Frame);
        s.Colors.Trig_Pos = color("Trig_Pos", d.Trig_Pos);
        s.Colors.Trig_Sig = color("Trig_Sig", d.Trig_Sig);
        s.Colors.FFT = color("FFT", d.FFT);
        s.Colors.Smpl_Info = color("Smpl_Info", d.Smpl_Info);
    }
    Sanitize_Settings(s);
}

File_Error Write_Settings(const std::string& path, bool full, const Scope_Settings& s,
                          const System_Info& info) {
    Ini_File ini;
    // Sections the writer keeps ("System", unknown ones) must not be lost
    // because the old file could not be read.
    std::error_code exists_ec;
    if (!ini.Load_File(path) && std::filesystem::exists(path, exists_ec))
        return File_Error{File_Fault::Cannot_Read_Existing, path, {}};
    for (const char* section : {"Common", "Scope", "Trigger", "Calibrate", "Generator", "FFT", "Colors"})
        ini.Erase_Section(section);

    if (full) {
        const char* y = "System";
        if (info.serial) {
            char hex[11];
            const auto& b = *info.serial;
            std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X%02X", b[4], b[3], b[2], b[1], b[0]);
            ini.Write_String(y, "Ser_Num", Tilde(hex));
        }
        ini.Write_String(y, "Soft_Ver", Tilde(std::to_string(Soft_Version)));
        if (info.firmware_version != -1) ini.Write_String(y, "Firm_Ver", Tilde(std::to_string(info.firmware_version)));
        if (info.fpga_version != -1) ini.Write_String(y, "FPGA_Ver", Tilde(std::to_string(info.fpga_version)));
        if (info.tdc_rise) ini.Write_String(y, "TDC_Rise", Tilde(std::to_string(*info.tdc_rise)));
        if (info.tdc_fall) ini.Write_String(y, "TDC_Fall", Tilde(std::to_string(*info.tdc_fall)));
        if (info.vcc_10mV) {
            char v[32];
            const int32_t mv = *info.vcc_10mV;
            std::snprintf(v, sizeof v, "%d.%02d", mv / 100, mv % 100 < 0 ? -(mv % 100) : mv % 100);
            ini.Write_String(y, "Vcc", Tilde(v));
        }
    }

    const char* c = "Common";
    ini.Write_Bool(c, "Markers_1", s.Markers_1);
    ini.Write_Bool(c, "Markers_2", s.Markers_2);
    if (!full) {
        ini.Write_Integer(c, "Marker_x", s.Marker_x);
        ini.Write_Integer(c, "Marker_y", s.Marker_y);
        ini.Write_Integer(c, "Marker1_x", s.Marker1_x);
        ini.Write_Integer(c, "Marker1_y", s.Marker1_y);
        ini.Write_Integer(c, "Marker2_x", s.Marker2_x);
        ini.Write_Integer(c, "Marker2_y", s.Marker2_y);
    }
    ini.Write_Bool(c, "Measure", s.Measure);
    ini.Write_Bool(c, "ExtTrig", s.ExtTrig);
    ini.Write_Bool(c, "Grid", s.Grid);
    ini.Write_Bool(c, "TrigPosL", s.TrigPosL);
    ini.Write_Bool(c, "Smpl_Info", s.Smpl_Info);
    ini.Write_Bool(c, "Dots", s.Trace_Mode == Trace_Dots);
    ini.Write_Bool(c, "Vectors", s.Trace_Mode == Trace_Vectors);
    ini.Write_Bool(c, "Sinxx", s.Trace_Mode == Trace_Sinxx);
    if (full) ini.Write_Bool(c, "On_Top", s.On_Top);
    ini.Write_Bool(c, "SmplNormal", !s.Smpl_PeakDet);
    ini.Write_Bool(c, "SmplPeakDet", s.Smpl_PeakDet);
    for (int i = 0; i < 4; ++i) ini.Write_Bool(c, Record_Length_Keys[static_cast<size_t>(i)], s.Smpl_N == i);
    ini.Write_Bool(c, "x1", s.Probe == Probe_x1);
    ini.Write_Bool(c, "x10", s.Probe == Probe_x10);
    ini.Write_Bool(c, "x100", s.Probe == Probe_x100);
    ini.Write_Bool(c, "FM_1input", s.FM_Input == 0);
    ini.Write_Bool(c, "FM_2input", s.FM_Input == 1);
    ini.Write_Bool(c, "FM_2inputHF", s.FM_Input == 2);
    if (full) ini.Write_Bool(c, "Russian", s.Russian);
    ini.Write_Bool(c, "Lenta", s.Lenta);

    for (int i = 0; i < Time_Step_Count; ++i)
        ini.Write_Bool("Scope", Time_Steps[static_cast<size_t>(i)].key, s.Time_Div == i);
    for (int i = 0; i < Volts_Step_Count; ++i)
        ini.Write_Bool("Scope", Volts_Steps[static_cast<size_t>(i)].key, s.Volts_Div == i);
    ini.Write_Bool("Scope", "ACDC", s.ACDC);
    ini.Write_Integer("Scope", "Zero", s.Zero_Level);

    const char* t = "Trigger";
    ini.Write_Bool(t, "On", s.Trig_On);
    ini.Write_Bool(t, "Edge", s.Trig_Edge);
    ini.Write_Bool(t, "Ext", s.Trig_Ext);
    ini.Write_Bool(t, "Auto", s.Auto);
    const double lv = std::isfinite(s.Trig_Level) ? s.Trig_Level : 127.0;
    const int32_t level = Sat_I32(std::trunc(lv));
    ini.Write_Integer(t, "Level", level);
    ini.Write_Integer(t, "Level_fine", Round_Half_I32((lv - level) * 1000000.0));
    ini.Write_Integer(t, "Pre", s.Trig_Pre);
    ini.Write_Integer(t, "N", s.Trig_N);
    ini.Write_Integer(t, "Hyst", s.Trig_Hyst);

    if (full) {
        ini.Write_Integer("Calibrate", "Time", s.Time_PPM);
        ini.Write_Integer("Calibrate", "Z_P1", s.Z_P1);
        ini.Write_Integer("Calibrate", "Z_P2", s.Z_P2);
        ini.Write_Integer("Calibrate", "Offset", s.Offset);
    }

    const char* g = "Generator";
    for (int i = 0; i < Gen_Range_Count; ++i) ini.Write_Bool(g, Gen_Range_Keys[i], s.Gen_Range == i);
    for (int i = 0; i < Gen_Wave_Count; ++i) ini.Write_Bool(g, Gen_Wave_Keys[i], s.Gen_Wave == i);
    ini.Write_Bool(g, "Mod", s.Mod());
    ini.Write_Bool(g, "Pulse", s.Pulse());
    ini.Write_Bool(g, "F_Sweep", s.Sweep());
    ini.Write_Integer(g, "F_fast", s.F_fast);
    ini.Write_Integer(g, "F_slow", s.F_slow);
    ini.Write_Integer(g, "Ampl", s.Ampl);
    ini.Write_Integer(g, "Mod_Type", s.Mod_Type);
    ini.Write_Integer(g, "Mod_Freq", s.Mod_Freq);
    ini.Write_Integer(g, "Mod_Freq_x", s.Mod_Freq_x);
    ini.Write_Integer(g, "Mod_K", s.Mod_K);
    ini.Write_Integer(g, "Mod_K_x", s.Mod_K_x);
    ini.Write_Integer(g, "Dev_Freq", s.Dev_Freq);
    ini.Write_Integer(g, "Dev_Freq_x", s.Dev_Freq_x);

    if (!full) ini.Write_Bool("FFT", "View", s.FFT_View);
    ini.Write_Integer("FFT", "Size", s.FFT_Size);
    ini.Write_Integer("FFT", "Win", s.FFT_Win);
    ini.Write_Integer("FFT", "Scale", s.FFT_Scale);

    if (full) {
        auto color = [&](const char* key, uint32_t v) { ini.Write_Integer("Colors", key, static_cast<int32_t>(v)); };
        color("Background", s.Colors.Background);
        color("Border", s.Colors.Border);
        color("Signal", s.Colors.Signal);
        color("Markers", s.Colors.Markers);
        color("Grid", s.Colors.Grid);
        color("Grid_Frame", s.Colors.Grid_Frame);
        color("Trig_Pos", s.Colors.Trig_Pos);
        color("Trig_Sig", s.Colors.Trig_Sig);
        color("FFT", s.Colors.FFT);
        color("Smpl_Info", s.Colors.Smpl_Info);
    }
    return Write_File_Atomically(path, ini.Text());
}

bool Read_System_Flag(const std::string& path, const char* key) {
    Ini_File ini;
    ini.Load_File(path);
    return ini.Read_Bool("System", key, false);
}

std::string Main_Ini_Path(const std::string& exe_path) {
    namespace fs = std::filesystem;
    fs::path beside(exe_path);
    beside.replace_extension(".ini");
    const fs::path dir = beside.parent_path().empty() ? fs::path(".") : beside.parent_path();
#if defined(__unix__) || defined(__APPLE__)
    const bool writable = ::access(dir.c_str(), W_OK) == 0 &&
                          (!fs::exists(beside) || ::access(beside.c_str(), W_OK) == 0);
#else
    std::error_code ec;
    const bool writable = fs::exists(dir, ec);
#endif
    if (writable) return beside.string();

    fs::path config;
#ifdef _WIN32
    if (const char* app = std::getenv("APPDATA"); app && *app) config = app;
#else
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = fs::path(home) / ".config";
#endif
    if (config.empty()) return beside.string();
    const std::string name = beside.stem().string();
    const fs::path folder = config / name;
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path own = folder / (name + ".ini");
    // A file shipped beside an installed program seeds the user's own copy.
    if (!fs::exists(own, ec) && fs::exists(beside, ec)) fs::copy_file(beside, own, ec);
    return own.string();
}

}  // namespace tovan
