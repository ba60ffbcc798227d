#include "settings/settings_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "common/numeric.h"
#include "i18n/settings_file_texts.h"
#include "settings/ini_file.h"

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace tovan {
namespace {

// --- the table of keys ------------------------------------------------------
//
// One entry per key, in file order: section by section, keys within a
// section in their order. The reader and the writer both walk it; the writer
// erases every section the table names except "System" first, so the
// sections it writes come out in this order too.

// Which files a key is read from or written to.
enum class When : uint8_t {
    Always,
    Full,      // only the program's own file
    Not_Full,  // only ".tvs" and companion files
    Never,
};

bool Applies(When w, bool full) {
    switch (w) {
    case When::Always: return true;
    case When::Full: return full;
    case When::Not_Full: return !full;
    case When::Never: return false;
    }
    return false;
}

enum class Kind : uint8_t {
    Flag,         // bool field, "1"/"0"
    Integer,      // int field, clamped on reading when lo <= hi
    Member,       // one button of an exclusive group held as an index
    Bool_Member,  // "SmplNormal"/"SmplPeakDet": the two items of a bool
    Mode_Member,  // "Mod", "Pulse", "F_Sweep": a group in which all may be up
    Level,        // Trig_Level, whole part
    Level_Fine,   // Trig_Level, fraction in millionths
    Color,        // one colour of the colour set
    Info,         // a "System" information string, written only
};

struct Entry {
    const char* section;
    const char* key;
    Kind kind;
    When read;
    When write;
    bool Scope_Settings::*flag = nullptr;  // Flag, Bool_Member
    int Scope_Settings::*value = nullptr;  // Integer, Member
    int index = 0;                         // Member, Bool_Member, Mode_Member
    bool fixed_default = false;            // default is `def`, not the current value
    int32_t def = 0;
    int lo = 1, hi = 0;                    // Integer: clamp on reading when lo <= hi
    uint32_t Color_Set::*color = nullptr;  // Color
    std::optional<std::string> (*info)(const System_Info&) = nullptr;  // Info
};

std::string Tilde(const std::string& v) { return "~" + v + "~"; }

std::optional<std::string> Info_Ser_Num(const System_Info& info) {
    if (!info.serial) return std::nullopt;
    char hex[11];
    const auto& b = *info.serial;
    std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X%02X", b[4], b[3], b[2], b[1], b[0]);
    return Tilde(hex);
}
std::optional<std::string> Info_Soft_Ver(const System_Info&) { return Tilde(std::to_string(Soft_Version)); }
std::optional<std::string> Info_Firm_Ver(const System_Info& info) {
    if (info.firmware_version == -1) return std::nullopt;
    return Tilde(std::to_string(info.firmware_version));
}
std::optional<std::string> Info_FPGA_Ver(const System_Info& info) {
    if (info.fpga_version == -1) return std::nullopt;
    return Tilde(std::to_string(info.fpga_version));
}
std::optional<std::string> Info_TDC_Rise(const System_Info& info) {
    if (!info.tdc_rise) return std::nullopt;
    return Tilde(std::to_string(*info.tdc_rise));
}
std::optional<std::string> Info_TDC_Fall(const System_Info& info) {
    if (!info.tdc_fall) return std::nullopt;
    return Tilde(std::to_string(*info.tdc_fall));
}
std::optional<std::string> Info_Vcc(const System_Info& info) {
    if (!info.vcc_10mV) return std::nullopt;
    char v[32];
    const int32_t mv = *info.vcc_10mV;
    std::snprintf(v, sizeof v, "%d.%02d", mv / 100, mv % 100 < 0 ? -(mv % 100) : mv % 100);
    return Tilde(v);
}

class Table_Builder {
public:
    std::vector<Entry> entries;

    void Section(const char* name) { section_ = name; }
    // The read and write rules of the entries that follow.
    void Modes(When read, When write) {
        read_ = read;
        write_ = write;
    }
    Entry& Add(const char* key, Kind kind) {
        Entry e{};
        e.section = section_;
        e.key = key;
        e.kind = kind;
        e.read = read_;
        e.write = write_;
        entries.push_back(e);
        return entries.back();
    }
    void Flag(const char* key, bool Scope_Settings::*f) { Add(key, Kind::Flag).flag = f; }
    void Fixed_Flag(const char* key, bool Scope_Settings::*f) {
        Entry& e = Add(key, Kind::Flag);
        e.flag = f;
        e.fixed_default = true;
    }
    void Integer(const char* key, int Scope_Settings::*v, int lo = 1, int hi = 0) {
        Entry& e = Add(key, Kind::Integer);
        e.value = v;
        e.lo = lo;
        e.hi = hi;
    }
    void Fixed_Integer(const char* key, int Scope_Settings::*v, int32_t def, int lo = 1, int hi = 0) {
        Entry& e = Add(key, Kind::Integer);
        e.value = v;
        e.fixed_default = true;
        e.def = def;
        e.lo = lo;
        e.hi = hi;
    }
    void Member(const char* key, int Scope_Settings::*group, int index) {
        Entry& e = Add(key, Kind::Member);
        e.value = group;
        e.index = index;
    }
    void Bool_Member(const char* key, bool Scope_Settings::*f, bool on) {
        Entry& e = Add(key, Kind::Bool_Member);
        e.flag = f;
        e.index = on ? 1 : 0;
    }
    void Mode_Member(const char* key, Gen_Mode_Sel mode) { Add(key, Kind::Mode_Member).index = static_cast<int>(mode); }
    void Color(const char* key, uint32_t Color_Set::*c) {
        Entry& e = Add(key, Kind::Color);
        e.color = c;
        e.fixed_default = true;
        e.def = static_cast<int32_t>(Color_Set{}.*c);
    }
    void Info(const char* key, std::optional<std::string> (*f)(const System_Info&)) { Add(key, Kind::Info).info = f; }

private:
    const char* section_ = "";
    When read_ = When::Always, write_ = When::Always;
};

constexpr const char* Gen_Range_Keys[Gen_Range_Count] = {"10K_1S",   "100K_100mS", "1M_10mS",
                                                        "10M_1mS",  "50M_100uS",  "__10uS_Noise"};
constexpr const char* Gen_Wave_Keys[Gen_Wave_Count] = {"Sin", "Rect", "Trian", "Up_Trian", "Dn_Trian"};

std::vector<Entry> Build_Table() {
    using S = Scope_Settings;
    Table_Builder t;

    t.Section("System");  // never erased
    t.Modes(When::Full, When::Never);  // service flags: read from the own file only, never written
    t.Fixed_Flag("Debug_tv", &S::Debug_Mode);
    t.Fixed_Flag("TDC_Clbr", &S::TDC_Clbr);
    t.Fixed_Flag("Keep_Pulse", &S::Keep_Pulse);
    t.Fixed_Flag("No_Excuse", &S::No_Excuse);
    t.Fixed_Flag("No_Msg", &S::No_Msg);
    t.Modes(When::Never, When::Full);  // device facts: written, each under its condition
    t.Info("Ser_Num", Info_Ser_Num);
    t.Info("Soft_Ver", Info_Soft_Ver);
    t.Info("Firm_Ver", Info_Firm_Ver);
    t.Info("FPGA_Ver", Info_FPGA_Ver);
    t.Info("TDC_Rise", Info_TDC_Rise);
    t.Info("TDC_Fall", Info_TDC_Fall);
    t.Info("Vcc", Info_Vcc);

    t.Section("Common");
    t.Modes(When::Always, When::Always);
    t.Flag("Markers_1", &S::Markers_1);
    t.Flag("Markers_2", &S::Markers_2);
    t.Modes(When::Always, When::Not_Full);  // marker positions: not machine settings
    t.Integer("Marker_x", &S::Marker_x);
    t.Integer("Marker_y", &S::Marker_y);
    t.Integer("Marker1_x", &S::Marker1_x);
    t.Integer("Marker1_y", &S::Marker1_y);
    t.Integer("Marker2_x", &S::Marker2_x);
    t.Integer("Marker2_y", &S::Marker2_y);
    t.Modes(When::Always, When::Always);
    t.Flag("Measure", &S::Measure);
    t.Flag("ExtTrig", &S::ExtTrig);
    t.Flag("Grid", &S::Grid);
    t.Flag("TrigPosL", &S::TrigPosL);
    t.Flag("Smpl_Info", &S::Smpl_Info);
    t.Member("Dots", &S::Trace_Mode, Trace_Dots);
    t.Member("Vectors", &S::Trace_Mode, Trace_Vectors);
    t.Member("Sinxx", &S::Trace_Mode, Trace_Sinxx);
    t.Modes(When::Full, When::Full);
    t.Flag("On_Top", &S::On_Top);
    t.Modes(When::Always, When::Always);
    t.Bool_Member("SmplNormal", &S::Smpl_PeakDet, false);
    t.Bool_Member("SmplPeakDet", &S::Smpl_PeakDet, true);
    for (int i = 0; i < 4; ++i) t.Member(Record_Length_Keys[static_cast<size_t>(i)], &S::Smpl_N, i);
    t.Member("x1", &S::Probe, Probe_x1);
    t.Member("x10", &S::Probe, Probe_x10);
    t.Member("x100", &S::Probe, Probe_x100);
    t.Member("FM_1input", &S::FM_Input, 0);
    t.Member("FM_2input", &S::FM_Input, 1);
    t.Member("FM_2inputHF", &S::FM_Input, 2);
    t.Modes(When::Full, When::Full);
    t.Flag("Russian", &S::Russian);
    t.Modes(When::Always, When::Always);
    t.Flag("Lenta", &S::Lenta);

    t.Section("Scope");
    for (int i = 0; i < Time_Step_Count; ++i) t.Member(Time_Steps[static_cast<size_t>(i)].key, &S::Time_Div, i);
    for (int i = 0; i < Volts_Step_Count; ++i) t.Member(Volts_Steps[static_cast<size_t>(i)].key, &S::Volts_Div, i);
    t.Flag("ACDC", &S::ACDC);
    t.Integer("Zero", &S::Zero_Level, 0, 255);

    t.Section("Trigger");
    t.Flag("On", &S::Trig_On);
    t.Flag("Edge", &S::Trig_Edge);
    t.Flag("Ext", &S::Trig_Ext);
    t.Flag("Auto", &S::Auto);
    t.Add("Level", Kind::Level);
    t.Add("Level_fine", Kind::Level_Fine);
    t.Integer("Pre", &S::Trig_Pre, 0, 9);
    t.Integer("N", &S::Trig_N, 1, 255);
    t.Integer("Hyst", &S::Trig_Hyst, 0, 5);

    t.Section("Calibrate");
    t.Modes(When::Full, When::Full);
    t.Fixed_Integer("Time", &S::Time_PPM, 0, -250, 250);  // the time calibration's range, 0.2 ppm steps
    t.Fixed_Integer("Z_P1", &S::Z_P1, 3357);
    t.Fixed_Integer("Z_P2", &S::Z_P2, 725);
    t.Fixed_Integer("Offset", &S::Offset, 0);

    t.Section("Generator");
    t.Modes(When::Always, When::Always);
    for (int i = 0; i < Gen_Range_Count; ++i) t.Member(Gen_Range_Keys[i], &S::Gen_Range, i);
    for (int i = 0; i < Gen_Wave_Count; ++i) t.Member(Gen_Wave_Keys[i], &S::Gen_Wave, i);
    t.Mode_Member("Mod", Gen_Mode_Sel::Mod);
    t.Mode_Member("Pulse", Gen_Mode_Sel::Pulse);
    t.Mode_Member("F_Sweep", Gen_Mode_Sel::Sweep);
    // The scroll bars clamp what they are given (the amplitude range is
    // narrowed again once the service flags are known).
    t.Integer("F_fast", &S::F_fast, 0, 1000);
    t.Integer("F_slow", &S::F_slow, 0, 1000);
    t.Integer("Ampl", &S::Ampl, 0, 511);
    t.Integer("Mod_Type", &S::Mod_Type);
    t.Integer("Mod_Freq", &S::Mod_Freq);
    t.Integer("Mod_Freq_x", &S::Mod_Freq_x);
    t.Integer("Mod_K", &S::Mod_K);
    t.Integer("Mod_K_x", &S::Mod_K_x);
    t.Integer("Dev_Freq", &S::Dev_Freq);
    t.Integer("Dev_Freq_x", &S::Dev_Freq_x);

    t.Section("FFT");
    t.Modes(When::Not_Full, When::Not_Full);
    t.Flag("View", &S::FFT_View);
    t.Modes(When::Always, When::Always);
    t.Integer("Size", &S::FFT_Size);
    t.Integer("Win", &S::FFT_Win);
    t.Integer("Scale", &S::FFT_Scale);

    t.Section("Colors");
    t.Modes(When::Full, When::Full);
    t.Color("Background", &Color_Set::Background);
    t.Color("Border", &Color_Set::Border);
    t.Color("Signal", &Color_Set::Signal);
    t.Color("Markers", &Color_Set::Markers);
    t.Color("Grid", &Color_Set::Grid);
    t.Color("Grid_Frame", &Color_Set::Grid_Frame);
    t.Color("Trig_Pos", &Color_Set::Trig_Pos);
    t.Color("Trig_Sig", &Color_Set::Trig_Sig);
    t.Color("FFT", &Color_Set::FFT);
    t.Color("Smpl_Info", &Color_Set::Smpl_Info);
    return t.entries;
}

const std::vector<Entry>& Settings_Table() {
    static const std::vector<Entry> table = Build_Table();
    return table;
}

constexpr const char* Kept_Section = "System";

// --- reading and writing one entry -------------------------------------------------

// The whole part of "Level", held until "Level_fine" completes the level.
struct Read_State {
    int32_t level = 0;
};

void Read_Entry(const Ini_File& ini, const Entry& e, Scope_Settings& s, Read_State& rs) {
    switch (e.kind) {
    case Kind::Flag: {
        bool& v = s.*e.flag;
        v = ini.Read_Bool(e.section, e.key, e.fixed_default ? e.def != 0 : v);
        break;
    }
    case Kind::Integer: {
        int& v = s.*e.value;
        v = ini.Read_Integer(e.section, e.key, e.fixed_default ? e.def : v);
        if (e.lo <= e.hi) v = Clamp(v, e.lo, e.hi);
        break;
    }
    case Kind::Member: {
        // "1" selects the button; "0" never leaves the group with none.
        int& group = s.*e.value;
        if (ini.Read_Bool(e.section, e.key, group == e.index)) group = e.index;
        break;
    }
    case Kind::Bool_Member: {
        bool& v = s.*e.flag;
        if (ini.Read_Bool(e.section, e.key, v == (e.index == 1))) v = e.index == 1;
        break;
    }
    case Kind::Mode_Member: {
        const auto mode = static_cast<Gen_Mode_Sel>(e.index);
        const bool down = ini.Read_Bool(e.section, e.key, s.Gen_Mode_Button == mode);
        if (down) s.Gen_Mode_Button = mode;
        else if (s.Gen_Mode_Button == mode) s.Gen_Mode_Button = Gen_Mode_Sel::None;
        break;
    }
    case Kind::Level: {
        const double whole = std::isfinite(s.Trig_Level) ? std::trunc(s.Trig_Level) : 127.0;
        rs.level = ini.Read_Integer(e.section, e.key, Sat_I32(whole));
        break;
    }
    case Kind::Level_Fine:
        s.Trig_Level = rs.level + ini.Read_Integer(e.section, e.key, 0) / 1000000.0;
        break;
    case Kind::Color:
        s.Colors.*e.color = static_cast<uint32_t>(ini.Read_Integer(e.section, e.key, e.def)) & 0x00FFFFFFu;
        break;
    case Kind::Info:
        break;
    }
}

void Write_Entry(Ini_File& ini, const Entry& e, const Scope_Settings& s, const System_Info& info) {
    const double level = std::isfinite(s.Trig_Level) ? s.Trig_Level : 127.0;
    const int32_t whole = Sat_I32(std::trunc(level));
    switch (e.kind) {
    case Kind::Flag: ini.Write_Bool(e.section, e.key, s.*e.flag); break;
    case Kind::Integer: ini.Write_Integer(e.section, e.key, s.*e.value); break;
    case Kind::Member: ini.Write_Bool(e.section, e.key, s.*e.value == e.index); break;
    case Kind::Bool_Member: ini.Write_Bool(e.section, e.key, s.*e.flag == (e.index == 1)); break;
    case Kind::Mode_Member:
        ini.Write_Bool(e.section, e.key, s.Gen_Mode_Button == static_cast<Gen_Mode_Sel>(e.index));
        break;
    case Kind::Level: ini.Write_Integer(e.section, e.key, whole); break;
    case Kind::Level_Fine: ini.Write_Integer(e.section, e.key, Round_Half_I32((level - whole) * 1000000.0)); break;
    case Kind::Color: ini.Write_Integer(e.section, e.key, static_cast<int32_t>(s.Colors.*e.color)); break;
    case Kind::Info:
        if (const auto v = e.info(info)) ini.Write_String(e.section, e.key, *v);
        break;
    }
}

}  // namespace

Ini_Load_Failure Read_Settings(const std::string& path, bool full, Scope_Settings& s) {
    Ini_File ini;
    Ini_Load_Failure why = Ini_Load_Failure::None;
    ini.Load_File(path, &why);
    Read_Settings(ini, full, s);
    return why;
}

std::string Ini_Load_Message(Ini_Load_Failure why, const std::string& path, bool lang_russian) {
    const Text_Pair* reason = nullptr;
    switch (why) {
        case Ini_Load_Failure::None:
        case Ini_Load_Failure::Missing: return {};
        case Ini_Load_Failure::Not_Regular_File: reason = &Txt_Ini_Not_Regular; break;
        case Ini_Load_Failure::Too_Large: reason = &Txt_Ini_Too_Large; break;
        case Ini_Load_Failure::Read_Error: reason = &Txt_Ini_Read_Error; break;
    }
    return std::string(Txt_Ini_Not_Read(lang_russian)) + path + (*reason)(lang_russian) +
           Txt_Ini_Defaults_Used(lang_russian);
}

void Read_Settings(const Ini_File& ini, bool full, Scope_Settings& s) {
    Read_State rs;
    for (const Entry& e : Settings_Table())
        if (Applies(e.read, full)) Read_Entry(ini, e, s, rs);
    Sanitize_Settings(s);
}

File_Error Write_Settings(const std::string& path, bool full, const Scope_Settings& s,
                          const System_Info& info) {
    Ini_File ini;
    // Sections the writer keeps ("System", unknown ones) must not be lost
    // because the old file could not be read.
    Ini_Load_Failure why = Ini_Load_Failure::None;
    if (!ini.Load_File(path, &why) && why != Ini_Load_Failure::Missing)
        return File_Error{why == Ini_Load_Failure::Not_Regular_File ? File_Fault::Not_Regular_File
                          : why == Ini_Load_Failure::Too_Large      ? File_Fault::Too_Large_To_Keep
                                                                    : File_Fault::Cannot_Read_Existing,
                          path, {}};
    const char* erased = nullptr;
    for (const Entry& e : Settings_Table()) {
        if (std::string_view(e.section) == Kept_Section || e.section == erased) continue;
        ini.Erase_Section(e.section);
        erased = e.section;
    }
    for (const Entry& e : Settings_Table())
        if (Applies(e.write, full)) Write_Entry(ini, e, s, info);
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
