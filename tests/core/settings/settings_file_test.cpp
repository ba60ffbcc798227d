#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <random>
#include <sstream>

#include "i18n/file_texts.h"
#include "settings/compute_params.h"
#include "settings/gen_mod_fields.h"
#include "settings/ini_file.h"

#if defined(__linux__)
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tovan {
namespace {

namespace fs = std::filesystem;

class Temp_Dir {
public:
    Temp_Dir() {
        path_ = fs::temp_directory_path() /
                ("tovan1_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
        fs::create_directories(path_);
    }
    ~Temp_Dir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
    static inline int counter_ = 0;
};

std::string Read_Text(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}
void Write_Text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// --- the INI object -------------------------------------------------------

TEST(IniFile, SyntaxRules) {
    Ini_File ini;
    ini.Load_Text(
        "orphan=1\n"
        "  [Scope]  \r\n"
        "; a comment\n"
        "\n"
        "  Zero  =   42  \r\n"
        "zero=7\n"
        "[other]\n"
        "x=1\n"
        "[SCOPE]\n"
        "ACDC=1\n");
    EXPECT_EQ(ini.Section_Names(), (std::vector<std::string>{"Scope", "other"}));
    EXPECT_EQ(ini.Read_Integer("scope", "ZERO", -1), 42);  // first of two wins
    EXPECT_TRUE(ini.Read_Bool("Scope", "acdc", false));     // merged section
    EXPECT_FALSE(ini.Read_String("Scope", "orphan"));
    ini.Write_Integer("SCOPE", "zero", 5);
    EXPECT_EQ(ini.Read_Integer("Scope", "Zero", -1), 5);
    ini.Erase_Section("OTHER");
    ini.Write_String("New", "k", "v");
    EXPECT_EQ(ini.Section_Names(), (std::vector<std::string>{"Scope", "New"}));
}

TEST(IniFile, Integers) {
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {
        {"0", 0},           {"-12", -12},        {"+7", 7},          {"$1F", 31},
        {"0x1f", 31},       {"0X1F", 31},        {"$FFFFFFFF", -1},  {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},              {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},  {"12a", std::nullopt},
        {"", std::nullopt}, {"0x", std::nullopt}, {"$", std::nullopt}, {"1.5", std::nullopt},
        {"$100000000", std::nullopt},            {" 1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(Parse_Ini_Integer(c.text), c.value) << c.text;
}

// --- settings ---------------------------------------------------------------

Scope_Settings Random_Settings(uint32_t seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto flag = [&] { return pick(0, 1) == 1; };
    Scope_Settings s;
    s.Time_Div = pick(0, Time_Step_Count - 1);
    s.Volts_Div = pick(0, Volts_Step_Count - 1);
    s.ACDC = flag();
    s.Probe = pick(0, 2);
    s.Smpl_PeakDet = flag();
    s.Smpl_N = pick(0, 3);
    s.Trig_On = flag();
    s.Trig_Edge = flag();
    s.Trig_Ext = flag();
    s.Auto = flag();
    s.Trig_Pre = pick(0, 9);
    s.Trig_N = pick(1, 255);
    s.Trig_Hyst = pick(0, 5);
    s.FM_Input = pick(0, 2);
    s.Zero_Level = pick(0, 255);
    s.Trig_Level = pick(-500000, 500000) / 1000.0;
    s.Markers_1 = flag();
    s.Markers_2 = flag();
    s.Measure = flag();
    s.ExtTrig = flag();
    s.Grid = flag();
    s.TrigPosL = flag();
    s.Smpl_Info = flag();
    s.Trace_Mode = pick(0, 2);
    s.FFT_View = flag();
    s.Lenta = flag();
    s.On_Top = flag();
    s.Russian = flag();
    s.Marker_x = pick(0, 500);
    s.Marker_y = pick(0, 256);
    s.Marker1_x = pick(0, 500);
    s.Marker1_y = pick(0, 256);
    s.Marker2_x = pick(0, 500);
    s.Marker2_y = pick(0, 256);
    s.FFT_Size = pick(0, 3);
    s.FFT_Win = pick(0, 2);
    s.FFT_Scale = pick(0, 2);
    s.Colors.Signal = static_cast<uint32_t>(pick(0, 0xFFFFFF));
    s.Colors.FFT = static_cast<uint32_t>(pick(0, 0xFFFFFF));
    s.Gen_Range = pick(0, Gen_Range_Count - 1);
    s.Gen_Wave = pick(0, Gen_Wave_Count - 1);
    s.Gen_Mode_Button = static_cast<Gen_Mode_Sel>(pick(0, 3));
    s.F_fast = pick(0, 1000);
    s.F_slow = pick(0, 1000);
    s.Ampl = pick(11, 386);
    s.Mod_Type = pick(0, 1);
    s.Mod_Freq = pick(0, 1000);
    s.Mod_Freq_x = pick(0, 1);
    s.Mod_K = pick(0, 1000);
    s.Mod_K_x = pick(0, 1);
    s.Dev_Freq = pick(0, 1000);
    s.Dev_Freq_x = pick(0, 1);
    s.Z_P1 = pick(0, 4095);
    s.Z_P2 = pick(0, 4095);
    s.Offset = pick(-1000, 1000);
    s.Time_PPM = pick(-250, 250);
    return s;
}

// Fields every file carries; the full file adds the machine-specific ones,
// the not-full file the marker positions and the FFT view switch.
void Expect_Common_Equal(const Scope_Settings& a, const Scope_Settings& b) {
    EXPECT_EQ(a.Time_Div, b.Time_Div);
    EXPECT_EQ(a.Volts_Div, b.Volts_Div);
    EXPECT_EQ(a.ACDC, b.ACDC);
    EXPECT_EQ(a.Probe, b.Probe);
    EXPECT_EQ(a.Smpl_PeakDet, b.Smpl_PeakDet);
    EXPECT_EQ(a.Smpl_N, b.Smpl_N);
    EXPECT_EQ(a.Trig_On, b.Trig_On);
    EXPECT_EQ(a.Trig_Edge, b.Trig_Edge);
    EXPECT_EQ(a.Trig_Ext, b.Trig_Ext);
    EXPECT_EQ(a.Auto, b.Auto);
    EXPECT_EQ(a.Trig_Pre, b.Trig_Pre);
    EXPECT_EQ(a.Trig_N, b.Trig_N);
    EXPECT_EQ(a.Trig_Hyst, b.Trig_Hyst);
    EXPECT_EQ(a.FM_Input, b.FM_Input);
    EXPECT_EQ(a.Zero_Level, b.Zero_Level);
    EXPECT_NEAR(a.Trig_Level, b.Trig_Level, 1e-6);
    EXPECT_EQ(a.Markers_1, b.Markers_1);
    EXPECT_EQ(a.Markers_2, b.Markers_2);
    EXPECT_EQ(a.Measure, b.Measure);
    EXPECT_EQ(a.ExtTrig, b.ExtTrig);
    EXPECT_EQ(a.Grid, b.Grid);
    EXPECT_EQ(a.TrigPosL, b.TrigPosL);
    EXPECT_EQ(a.Smpl_Info, b.Smpl_Info);
    EXPECT_EQ(a.Trace_Mode, b.Trace_Mode);
    EXPECT_EQ(a.Lenta, b.Lenta);
    EXPECT_EQ(a.FFT_Size, b.FFT_Size);
    EXPECT_EQ(a.FFT_Win, b.FFT_Win);
    EXPECT_EQ(a.FFT_Scale, b.FFT_Scale);
    EXPECT_EQ(a.Gen_Range, b.Gen_Range);
    EXPECT_EQ(a.Gen_Wave, b.Gen_Wave);
    EXPECT_EQ(a.Gen_Mode_Button, b.Gen_Mode_Button);
    EXPECT_EQ(a.F_fast, b.F_fast);
    EXPECT_EQ(a.F_slow, b.F_slow);
    EXPECT_EQ(a.Ampl, b.Ampl);
    EXPECT_EQ(a.Mod_Type, b.Mod_Type);
    EXPECT_EQ(a.Mod_Freq, b.Mod_Freq);
    EXPECT_EQ(a.Mod_Freq_x, b.Mod_Freq_x);
    EXPECT_EQ(a.Mod_K, b.Mod_K);
    EXPECT_EQ(a.Mod_K_x, b.Mod_K_x);
    EXPECT_EQ(a.Dev_Freq, b.Dev_Freq);
    EXPECT_EQ(a.Dev_Freq_x, b.Dev_Freq_x);
}

TEST(SettingsFile, RoundTripInBothModes) {
    Temp_Dir dir;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        const Scope_Settings written = Random_Settings(seed);
        for (bool full : {true, false}) {
            const std::string path = dir.File(full ? "main.ini" : "saved.tvs");
            ASSERT_FALSE(Write_Settings(path, full, written, {}));
            Scope_Settings read;  // a fresh window
            Read_Settings(path, full, read);
            Expect_Common_Equal(written, read);
            const Scope_Settings fresh;
            if (full) {
                EXPECT_EQ(read.On_Top, written.On_Top);
                EXPECT_EQ(read.Russian, written.Russian);
                EXPECT_EQ(read.Z_P1, written.Z_P1);
                EXPECT_EQ(read.Z_P2, written.Z_P2);
                EXPECT_EQ(read.Offset, written.Offset);
                EXPECT_EQ(read.Time_PPM, written.Time_PPM);
                EXPECT_EQ(read.Colors.Signal, written.Colors.Signal);
                EXPECT_EQ(read.Colors.FFT, written.Colors.FFT);
                // Marker positions and the FFT view are not machine settings.
                EXPECT_EQ(read.Marker2_x, fresh.Marker2_x);
                EXPECT_EQ(read.FFT_View, fresh.FFT_View);
            } else {
                EXPECT_EQ(read.Marker_x, written.Marker_x);
                EXPECT_EQ(read.Marker_y, written.Marker_y);
                EXPECT_EQ(read.Marker1_x, written.Marker1_x);
                EXPECT_EQ(read.Marker1_y, written.Marker1_y);
                EXPECT_EQ(read.Marker2_x, written.Marker2_x);
                EXPECT_EQ(read.Marker2_y, written.Marker2_y);
                EXPECT_EQ(read.FFT_View, written.FFT_View);
                EXPECT_EQ(read.On_Top, fresh.On_Top);
                EXPECT_EQ(read.Russian, fresh.Russian);
                EXPECT_EQ(read.Z_P1, fresh.Z_P1);
                EXPECT_EQ(read.Colors.Signal, fresh.Colors.Signal);
            }
        }
    }
}

// --- golden files ------------------------------------------------------------
//
// The expected files under golden/ are written by hand from the key tables
// of the settings file, line by line; they are not output of the writer.

// Beside this source file; a relative __FILE__ is relative to the build
// folder, which is the test's working folder or one above it.
fs::path Golden(const char* name) {
    const fs::path here = fs::path(__FILE__).parent_path() / "golden";
    for (fs::path base = fs::current_path();; base = base.parent_path()) {
        std::error_code ec;
        if (fs::is_directory(base / here, ec)) return base / here / name;
        if (base == base.parent_path()) return here / name;
    }
}

std::string Unix_Lines(std::string text) {
    std::string out;
    for (char ch : text)
        if (ch != '\r') out.push_back(ch);
    return out;
}

// Every field the settings file carries in one mode or the other.
void Expect_Same_Record(const Scope_Settings& a, const Scope_Settings& b) {
    Expect_Common_Equal(a, b);
    EXPECT_EQ(a.On_Top, b.On_Top);
    EXPECT_EQ(a.Russian, b.Russian);
    EXPECT_EQ(a.Marker_x, b.Marker_x);
    EXPECT_EQ(a.Marker_y, b.Marker_y);
    EXPECT_EQ(a.Marker1_x, b.Marker1_x);
    EXPECT_EQ(a.Marker1_y, b.Marker1_y);
    EXPECT_EQ(a.Marker2_x, b.Marker2_x);
    EXPECT_EQ(a.Marker2_y, b.Marker2_y);
    EXPECT_EQ(a.FFT_View, b.FFT_View);
    EXPECT_EQ(a.Time_PPM, b.Time_PPM);
    EXPECT_EQ(a.Z_P1, b.Z_P1);
    EXPECT_EQ(a.Z_P2, b.Z_P2);
    EXPECT_EQ(a.Offset, b.Offset);
    const uint32_t Color_Set::*colors[] = {&Color_Set::Background, &Color_Set::Border,   &Color_Set::Signal,
                                           &Color_Set::Markers,    &Color_Set::Grid,     &Color_Set::Grid_Frame,
                                           &Color_Set::Trig_Pos,   &Color_Set::Trig_Sig, &Color_Set::FFT,
                                           &Color_Set::Smpl_Info};
    for (auto c : colors) EXPECT_EQ(a.Colors.*c, b.Colors.*c);
    EXPECT_EQ(a.Debug_Mode, b.Debug_Mode);
    EXPECT_EQ(a.TDC_Clbr, b.TDC_Clbr);
    EXPECT_EQ(a.Keep_Pulse, b.Keep_Pulse);
    EXPECT_EQ(a.No_Excuse, b.No_Excuse);
    EXPECT_EQ(a.No_Msg, b.No_Msg);
}

// Every field away from its default, each group on another member.
Scope_Settings Custom_Settings() {
    Scope_Settings s;
    s.Markers_1 = true;
    s.Markers_2 = false;
    s.Marker_x = 100;
    s.Marker_y = 12;
    s.Marker1_x = 0;
    s.Marker1_y = 255;
    s.Marker2_x = 500;
    s.Marker2_y = 128;
    s.Measure = false;
    s.ExtTrig = false;
    s.Grid = false;
    s.TrigPosL = false;
    s.Smpl_Info = true;
    s.Trace_Mode = Trace_Dots;
    s.On_Top = true;
    s.Smpl_PeakDet = true;
    s.Smpl_N = 3;
    s.Probe = Probe_x100;
    s.FM_Input = 2;
    s.Russian = false;
    s.Lenta = true;
    s.Time_Div = Time_Step_Count - 1;  // 50nS
    s.Volts_Div = Volts_Step_Count - 1;  // 50mV
    s.ACDC = true;
    s.Zero_Level = 0;
    s.Trig_On = true;
    s.Trig_Edge = true;
    s.Trig_Ext = true;
    s.Auto = false;
    s.Trig_Level = -3.25;
    s.Trig_Pre = 9;
    s.Trig_N = 255;
    s.Trig_Hyst = 0;
    s.Time_PPM = -7;
    s.Z_P1 = 3000;
    s.Z_P2 = 700;
    s.Offset = -12;
    s.Gen_Range = Gen_100K_100mS;
    s.Gen_Wave = Wave_Dn_Trian;
    s.Gen_Mode_Button = Gen_Mode_Sel::Pulse;
    s.F_fast = 250;
    s.F_slow = 1000;
    s.Ampl = 386;
    s.Mod_Type = 1;
    s.Mod_Freq = 1000;
    s.Mod_Freq_x = 1;
    s.Mod_K = 5;
    s.Mod_K_x = 1;
    s.Dev_Freq = 0;
    s.Dev_Freq_x = 1;
    s.FFT_View = true;
    s.FFT_Size = 3;
    s.FFT_Win = 0;
    s.FFT_Scale = 2;
    s.Colors.Background = 0x123456;
    s.Colors.Border = 0xFFFFFF;
    return s;
}

System_Info Custom_Info() {
    System_Info info;
    info.serial = std::array<uint8_t, 5>{0x01, 0x02, 0x03, 0xAB, 0xFF};
    info.firmware_version = 7;
    info.fpga_version = 33;
    info.tdc_rise = 19;
    info.tdc_fall = 21;
    info.vcc_10mV = 505;
    return info;
}

// What reading a file of the mode gives a fresh record: the fields the mode
// does not carry keep their defaults.
Scope_Settings Carried(const Scope_Settings& s, bool full) {
    Scope_Settings r = s;
    const Scope_Settings fresh;
    if (full) {
        r.Marker_x = fresh.Marker_x;
        r.Marker_y = fresh.Marker_y;
        r.Marker1_x = fresh.Marker1_x;
        r.Marker1_y = fresh.Marker1_y;
        r.Marker2_x = fresh.Marker2_x;
        r.Marker2_y = fresh.Marker2_y;
        r.FFT_View = fresh.FFT_View;
    } else {
        r.On_Top = fresh.On_Top;
        r.Russian = fresh.Russian;
        r.Time_PPM = fresh.Time_PPM;
        r.Z_P1 = fresh.Z_P1;
        r.Z_P2 = fresh.Z_P2;
        r.Offset = fresh.Offset;
        r.Colors = fresh.Colors;
    }
    return r;
}

TEST(SettingsFile, GoldenFiles) {
    const struct {
        const char* golden;
        bool full;
        bool custom;
    } cases[] = {
        {"default_full.ini", true, false},
        {"default.tvs", false, false},
        {"custom_full.ini", true, true},
        {"custom.tvs", false, true},
    };
    Temp_Dir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        const std::string expected = Read_Text(Golden(c.golden).string());
        ASSERT_FALSE(expected.empty());
        const Scope_Settings record = c.custom ? Custom_Settings() : Scope_Settings{};
        const System_Info info = c.custom ? Custom_Info() : System_Info{};

        const std::string path = dir.File(c.full ? "written.ini" : "written.tvs");
        fs::remove(path);
        ASSERT_FALSE(Write_Settings(path, c.full, record, info));
        EXPECT_EQ(Unix_Lines(Read_Text(path)), Unix_Lines(expected));

        Scope_Settings read;
        Read_Settings(Golden(c.golden).string(), c.full, read);
        Expect_Same_Record(read, Carried(record, c.full));
    }
}

TEST(SettingsFile, SystemSectionRules) {
    Temp_Dir dir;
    const std::string path = dir.File("tovan1.ini");
    Write_Text(path,
               "[System]\nDebug_tv=1\nDemo=1\nMy_Key=keep me\n"
               "[Common]\nMy_Common=drop me\n"
               "[Mine]\nx=1\n");
    const System_Info info = Custom_Info();
    Scope_Settings s;
    ASSERT_FALSE(Write_Settings(path, true, s, info));

    Ini_File ini;
    ASSERT_TRUE(ini.Load_File(path));
    EXPECT_EQ(ini.Read_String("System", "Ser_Num"), "~FFAB030201~");
    EXPECT_EQ(ini.Read_String("System", "Soft_Ver"), "~162~");
    EXPECT_EQ(ini.Read_String("System", "Firm_Ver"), "~7~");
    EXPECT_EQ(ini.Read_String("System", "FPGA_Ver"), "~33~");
    EXPECT_EQ(ini.Read_String("System", "TDC_Rise"), "~19~");
    EXPECT_EQ(ini.Read_String("System", "TDC_Fall"), "~21~");
    EXPECT_EQ(ini.Read_String("System", "Vcc"), "~5.05~");
    EXPECT_EQ(ini.Read_String("System", "My_Key"), "keep me");
    EXPECT_FALSE(ini.Read_String("Common", "My_Common"));
    EXPECT_TRUE(Read_System_Flag(path, "Demo"));
    EXPECT_EQ(ini.Section_Names(), (std::vector<std::string>{"System", "Mine", "Common", "Scope", "Trigger",
                                                             "Calibrate", "Generator", "FFT", "Colors"}));

    // A later run without a device keeps what the earlier one learnt.
    ASSERT_FALSE(Write_Settings(path, true, s, {}));
    ASSERT_TRUE(ini.Load_File(path));
    EXPECT_EQ(ini.Read_String("System", "Ser_Num"), "~FFAB030201~");
    EXPECT_EQ(ini.Read_String("System", "Vcc"), "~5.05~");
    EXPECT_EQ(ini.Read_String("System", "Firm_Ver"), "~7~");

    Scope_Settings r;
    Read_Settings(path, true, r);
    EXPECT_TRUE(r.Debug_Mode);
    // Service flags are never read from a not-full file.
    Scope_Settings t;
    Read_Settings(path, false, t);
    EXPECT_FALSE(t.Debug_Mode);
}

TEST(SettingsFile, TriggerLevelSplit) {
    Temp_Dir dir;
    const std::string path = dir.File("t.ini");
    Scope_Settings s;
    s.Trig_Level = 127.5;
    ASSERT_FALSE(Write_Settings(path, true, s, {}));
    Ini_File ini;
    ini.Load_File(path);
    EXPECT_EQ(ini.Read_String("Trigger", "Level"), "127");
    EXPECT_EQ(ini.Read_String("Trigger", "Level_fine"), "500000");
    Scope_Settings r;
    Read_Settings(path, true, r);
    EXPECT_DOUBLE_EQ(r.Trig_Level, 127.5);

    // Without "Level_fine" the fraction is dropped; without "Level" the
    // whole part stays.
    Write_Text(path, "[Trigger]\nLevel=90\n");
    Read_Settings(path, true, r);
    EXPECT_DOUBLE_EQ(r.Trig_Level, 90.0);
    r.Trig_Level = 33.75;
    Write_Text(path, "[Trigger]\nLevel_fine=250000\n");
    Read_Settings(path, true, r);
    EXPECT_DOUBLE_EQ(r.Trig_Level, 33.25);
}

TEST(SettingsFile, ExclusiveGroupsFromHandEditedFiles) {
    Temp_Dir dir;
    const std::string path = dir.File("g.ini");
    const struct {
        const char* text;
        int volts, time, record, trace;
        Gen_Mode_Sel mode;
    } cases[] = {
        // Last "1" of a group wins.
        {"[Scope]\n2V=1\n50mV=1\n", 5, Time_Step_1mS, 1, Trace_Sinxx, Gen_Mode_Sel::None},
        // All "0": the current selection stays.
        {"[Scope]\n1V=0\n2V=0\n1mS=0\n[Common]\nSmpl_N_2500=0\nSinxx=0\n", 1, Time_Step_1mS, 1,
         Trace_Sinxx, Gen_Mode_Sel::None},
        {"[Scope]\n20S=1\n[Common]\nSmpl_N_8000=1\nDots=1\n[Generator]\nPulse=1\nF_Sweep=1\n", 1, 0, 3,
         Trace_Dots, Gen_Mode_Sel::Sweep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Write_Text(path, c.text);
        Scope_Settings s;
        Read_Settings(path, true, s);
        EXPECT_EQ(s.Volts_Div, c.volts);
        EXPECT_EQ(s.Time_Div, c.time);
        EXPECT_EQ(s.Smpl_N, c.record);
        EXPECT_EQ(s.Trace_Mode, c.trace);
        EXPECT_EQ(s.Gen_Mode_Button, c.mode);
    }
}

TEST(SettingsFile, GarbageGivesSaneSettings) {
    Temp_Dir dir;
    const std::string path = dir.File("bad.ini");
    std::string text =
        "\xEF\xBB\xBFgarbage line\n[Scope]\nZero=99999999999\nZero=-5\n05mS=yes\n"
        "[Trigger]\nLevel=2147483647\nLevel_fine=2147483647\nPre=1000\nN=-4\nHyst=$7FFFFFFF\n"
        "[Generator]\nF_fast=-100\nF_slow=1e9\nAmpl=0x7FFFFFFF\nMod_Freq=-2147483648\n"
        "[Common]\nRussian\n=\n==1\n[\n[]\n";
    text += std::string(1000, '[');
    text.push_back('\0');
    text += "\n[FFT]\nSize=77\nWin=-1\n[Calibrate]\nTime=1000\n";
    Write_Text(path, text);
    Scope_Settings s;
    Read_Settings(path, true, s);
    Device_Params p;
    Compute_Params(s, p);
    EXPECT_EQ(s.Zero_Level, 127);  // the first "Zero" overflows: default; the second is ignored
    EXPECT_EQ(s.Time_Div, Time_Step_1mS);
    EXPECT_EQ(s.Trig_Pre, 9);
    EXPECT_EQ(s.Trig_N, 1);
    EXPECT_EQ(s.Trig_Hyst, 5);
    EXPECT_EQ(s.F_fast, 0);
    EXPECT_EQ(s.F_slow, 0);
    EXPECT_EQ(s.Ampl, 386);
    EXPECT_EQ(s.Mod_Freq, 0);
    EXPECT_EQ(s.FFT_Size, 0);
    EXPECT_EQ(s.FFT_Win, 0);
    EXPECT_EQ(s.Time_PPM, 250);  // within the time calibration's range
    EXPECT_TRUE(std::isfinite(s.Trig_Level));
    EXPECT_EQ(p.Thr_High, 255);

    // A missing file reads as defaults, silently.
    Scope_Settings m;
    Read_Settings(dir.File("missing.ini"), true, m);
    Expect_Common_Equal(m, Scope_Settings{});
}

// A hand-edited modulation type means what the device words make of it
// (0 AM, anything else FM), and the record, the words and the dialog's
// controls agree on it.
TEST(SettingsFile, HandEditedModulationType) {
    const struct {
        const char* value;
        int mod_type;
    } cases[] = {{"0", 0}, {"1", 1}, {"-1", 1}, {"2", 1}, {"99", 1}, {"-2147483648", 1}, {"$10", 1},
                 {"AM", 0} /* not an integer: the default */};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Ini_File ini;
        ini.Load_Text(std::string("[Generator]\nMod=1\nMod_Type=") + c.value + "\n");
        Scope_Settings s;
        s.Gen_On = true;
        Read_Settings(ini, false, s);
        EXPECT_EQ(s.Mod_Type, c.mod_type);
        const Gen_Mod_Fields fields = Gen_Mod_Fields::Save(s);
        EXPECT_EQ(fields.Clamped(), fields);  // the dialog shows the same type
        Device_Params p;
        Compute_Params(s, p);
        EXPECT_EQ(p.Gen_Mode & 0x38, c.mod_type == 0 ? 0x20 : 0x18);
        EXPECT_EQ(s.Mod_Type, c.mod_type);
    }
}

TEST(SettingsFile, FailedWriteKeepsTheOldFile) {
    Temp_Dir dir;
    const std::string path = dir.File("ro.ini");
    Write_Text(path, "[Scope]\nZero=1\n");
    // The temporary file cannot be created (a folder stands in its way),
    // which fails for every user, root included.
    fs::create_directory(path + ".tmp" + std::to_string(::getpid()));
    const File_Error err = Write_Settings(path, true, Scope_Settings{}, {});
    EXPECT_EQ(err.fault, File_Fault::Cannot_Write);
    EXPECT_EQ(err.path, path);
    EXPECT_TRUE(err.reason);  // the system's reason travels with the error
    EXPECT_EQ(Read_Text(path), "[Scope]\nZero=1\n");
}

#if defined(__linux__)
TEST(SettingsFile, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    Temp_Dir dir;
    const std::string path = dir.File("locked.ini");
    Write_Text(path, "[Scope]\nZero=1\n");
    fs::permissions(path, fs::perms::owner_read);
    const File_Error err = Write_Settings(path, true, Scope_Settings{}, {});
    EXPECT_EQ(err.fault, File_Fault::Cannot_Write);
    EXPECT_EQ(err.reason, std::errc::permission_denied);
    EXPECT_EQ(Read_Text(path), "[Scope]\nZero=1\n");
}

TEST(SettingsFile, WritesThroughALinkAndKeepsTheMode) {
    Temp_Dir dir;
    const std::string real = dir.File("real.ini"), link = dir.File("link.ini");
    Write_Text(real, "[System]\nMine=1\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(real, link);
    ASSERT_FALSE(Write_Settings(link, true, Scope_Settings{}, {}));
    EXPECT_TRUE(fs::is_symlink(link));
    Ini_File ini;
    ASSERT_TRUE(ini.Load_File(real));
    EXPECT_EQ(ini.Read_String("System", "Mine"), "1");
    EXPECT_TRUE(ini.Has_Section("Scope"));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST(SettingsFile, UnreadableOldFileIsKept) {
    Temp_Dir dir;
    const std::string path = dir.File("dir.ini");
    fs::create_directory(path);  // exists, but reads as no file
    EXPECT_TRUE(Write_Settings(path, true, Scope_Settings{}, {}));
    EXPECT_TRUE(fs::is_directory(path));
}
#endif

TEST(SettingsFile, WriteIntoMissingFolderReportsError) {
    Temp_Dir dir;
    EXPECT_TRUE(Write_Settings(dir.File("no/such/folder/x.ini"), true, Scope_Settings{}, {}));
}

#if defined(__linux__)
// A writer killed at random moments leaves the old or the new file, whole.
TEST(SettingsFile, KilledWriterLeavesOldOrNewFile) {
    Temp_Dir dir;
    const std::string path = dir.File("kill.ini");
    const std::string a(200000, 'a'), b(300000, 'b');
    ASSERT_FALSE(Write_File_Atomically(path, a));
    std::mt19937 rng(5);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) Write_File_Atomically(path, (i % 2) ? a : b);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(100, 20000)(rng));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string now = Read_Text(path);
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
    }
    // The next normal write clears what the killed writers left behind.
    ASSERT_FALSE(Write_File_Atomically(path, a));
    for (const auto& e : fs::directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().filename().string(), "kill.ini") << "left behind: " << e.path();
}

// Temporary files of this file whose process is gone are removed; those of
// a running process, and names that only look alike, stay.
TEST(SettingsFile, StaleTemporariesOfGoneProcessesAreRemoved) {
    Temp_Dir dir;
    const std::string path = dir.File("t.ini");
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = path + ".tmp" + std::to_string(gone);
    const std::string running = path + ".tmp" + std::to_string(::getppid());
    const std::string other = path + ".tmpnotes", foreign = dir.File("u.ini.tmp" + std::to_string(gone));
    for (const auto& f : {stale, running, other, foreign}) Write_Text(f, "x");
    ASSERT_FALSE(Write_Settings(path, true, Scope_Settings{}, {}));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(foreign));
}

// Settings paths that are not a plain file: reading never blocks and never
// takes more than the size limit; writing never replaces anything that is
// not a regular file, and never a file it could not read.
TEST(SettingsFile, HostilePaths) {
    struct Case {
        const char* name;
        std::function<std::string(const Temp_Dir&)> make;  // returns the path to use
        Ini_Load_Failure read;
        bool write_ok;
    };
    const std::string big(2u << 20, ';');
    const Case cases[] = {
        {"link to a device node", [](const Temp_Dir& d) {
             fs::create_symlink("/dev/zero", d.File("dev.ini"));
             return d.File("dev.ini");
         }, Ini_Load_Failure::Not_Regular_File, false},
        {"FIFO", [](const Temp_Dir& d) {
             ::mkfifo(d.File("fifo.ini").c_str(), 0600);
             return d.File("fifo.ini");
         }, Ini_Load_Failure::Not_Regular_File, false},
        {"link to a FIFO", [](const Temp_Dir& d) {
             ::mkfifo(d.File("fifo").c_str(), 0600);
             fs::create_symlink(d.File("fifo"), d.File("lf.ini"));
             return d.File("lf.ini");
         }, Ini_Load_Failure::Not_Regular_File, false},
        {"folder", [](const Temp_Dir& d) {
             fs::create_directory(d.File("dir.ini"));
             return d.File("dir.ini");
         }, Ini_Load_Failure::Not_Regular_File, false},
        {"link to a folder", [](const Temp_Dir& d) {
             fs::create_directory(d.File("sub"));
             fs::create_symlink(d.File("sub"), d.File("ld.ini"));
             return d.File("ld.ini");
         }, Ini_Load_Failure::Not_Regular_File, false},
        {"2 MB file", [&big](const Temp_Dir& d) {
             Write_Text(d.File("big.ini"), "[Common]\nRussian=" + std::to_string(!Scope_Settings{}.Russian) + "\n" + big);
             return d.File("big.ini");
         }, Ini_Load_Failure::Too_Large, false},
        {"dangling link", [](const Temp_Dir& d) {
             fs::create_symlink("target.ini", d.File("dangling.ini"));
             return d.File("dangling.ini");
         }, Ini_Load_Failure::Missing, true},
        {"chain of links to a file", [](const Temp_Dir& d) {
             Write_Text(d.File("real.ini"), "[Common]\nRussian=1\n");
             fs::create_symlink("real.ini", d.File("l1.ini"));
             fs::create_symlink(d.File("l1.ini"), d.File("l2.ini"));
             return d.File("l2.ini");
         }, Ini_Load_Failure::None, true},
        {"loop of links", [](const Temp_Dir& d) {
             fs::create_symlink("b.ini", d.File("a.ini"));
             fs::create_symlink("a.ini", d.File("b.ini"));
             return d.File("a.ini");
         }, Ini_Load_Failure::Read_Error, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Temp_Dir dir;
        const std::string path = c.make(dir);
        const auto before = fs::symlink_status(path).type();
        Scope_Settings s;
        EXPECT_EQ(Read_Settings(path, true, s), c.read);
        if (c.read != Ini_Load_Failure::None) {
            EXPECT_EQ(s.Russian, Scope_Settings{}.Russian);
        }
        EXPECT_EQ(Ini_Load_Message(c.read, path, false).empty(),
                  c.read == Ini_Load_Failure::None || c.read == Ini_Load_Failure::Missing);
        if (std::string(c.name) == "link to a device node") continue;  // never written, even by mistake
        const File_Error err = Write_Settings(path, true, s, {});
        EXPECT_EQ(!err, c.write_ok) << File_Error_Text(err, false);
        EXPECT_EQ(fs::symlink_status(path).type(), before);
    }
}

TEST(SettingsFile, DanglingLinkCreatesTheFileWhereItPoints) {
    Temp_Dir dir;
    fs::create_symlink("target.ini", dir.File("link.ini"));
    ASSERT_FALSE(Write_Settings(dir.File("link.ini"), true, Scope_Settings{}, {}));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.ini")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.File("target.ini"))));
}

TEST(SettingsFile, OversizedFileIsNeitherReadNorReplaced) {
    Temp_Dir dir;
    const std::string path = dir.File("big.ini");
    const bool other_language = !Scope_Settings{}.Russian;
    const std::string text = "[Common]\nRussian=" + std::to_string(other_language) + "\n" +
                             std::string(Max_Ini_File_Size, ';');
    Write_Text(path, text);
    Scope_Settings s;
    EXPECT_EQ(Read_Settings(path, true, s), Ini_Load_Failure::Too_Large);
    EXPECT_NE(s.Russian, other_language);
    EXPECT_TRUE(Write_Settings(path, true, s, {}));
    EXPECT_EQ(Read_Text(path), text);
}
#endif

TEST(IniFile, ByteOrderMarkIsSkipped) {
    Ini_File ini;
    ini.Load_Text("\xEF\xBB\xBF[Common]\r\nRussian=1\r\n");
    EXPECT_EQ(ini.Read_Integer("Common", "Russian", 0), 1);
}

// Many sections and keys: lookups by name stay right whatever the count,
// merged duplicates included, and erasing keeps the rest reachable.
TEST(IniFile, ManySections) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "[S" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    text += "[s7]\nk=dup\nj=7\n";
    Ini_File ini;
    ini.Load_Text(text);
    EXPECT_EQ(ini.Section_Names().size(), 20000u);
    EXPECT_EQ(ini.Read_String("S7", "K"), "7");  // the first key stays
    EXPECT_EQ(ini.Read_String("s7", "j"), "7");
    ini.Erase_Section("S3");
    EXPECT_FALSE(ini.Has_Section("s3"));
    EXPECT_EQ(ini.Read_String("S19999", "k"), "19999");
    ini.Write_String("S4", "k", "new");
    ini.Write_String("New", "x", "1");
    EXPECT_EQ(ini.Read_String("s4", "K"), "new");
    EXPECT_EQ(ini.Section_Names().back(), "New");
}

TEST(MainIni, BesideTheExecutableWhenWritable) {
    Temp_Dir dir;
    EXPECT_EQ(Main_Ini_Path(dir.File("tovan1")), dir.File("tovan1.ini"));
#if defined(__linux__)
    if (::geteuid() != 0) {
        Temp_Dir home;
        ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
        EXPECT_EQ(Main_Ini_Path("/usr/bin/tovan1"), (home.Path() / "tovan1" / "tovan1.ini").string());
        ::unsetenv("XDG_CONFIG_HOME");
    }
#endif
}

}  // namespace
}  // namespace tovan
