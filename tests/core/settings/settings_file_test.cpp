#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "settings/compute_params.h"
#include "settings/ini_file.h"

#if defined(__linux__)
#include <csignal>
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
    s.Time_PPM = pick(-5000, 5000);
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

TEST(SettingsFile, SystemSectionRules) {
    Temp_Dir dir;
    const std::string path = dir.File("tovan1.ini");
    Write_Text(path,
               "[System]\nDebug_tv=1\nDemo=1\nMy_Key=keep me\n"
               "[Common]\nMy_Common=drop me\n"
               "[Mine]\nx=1\n");
    System_Info info;
    info.serial = std::array<uint8_t, 5>{0x01, 0x02, 0x03, 0xAB, 0xFF};
    info.firmware_version = 7;
    info.fpga_version = 33;
    info.tdc_rise = 19;
    info.tdc_fall = 21;
    info.vcc_10mV = 505;
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
    text += "\n[FFT]\nSize=77\nWin=-1\n";
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
    EXPECT_TRUE(std::isfinite(s.Trig_Level));
    EXPECT_EQ(p.Thr_High, 255);

    // A missing file reads as defaults, silently.
    Scope_Settings m;
    Read_Settings(dir.File("missing.ini"), true, m);
    Expect_Common_Equal(m, Scope_Settings{});
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
}
#endif

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
