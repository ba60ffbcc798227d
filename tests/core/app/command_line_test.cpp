#include "app/command_line.h"

#include <gtest/gtest.h>


namespace tovan {
namespace {

using Action = Command_Line::Action;
using Args = std::vector<std::string>;

struct Parse_Case {
    const char* name;
    Args args;  // without the program
    Action action;
    bool demo;
    const char* ini;
    const char* fpga;
    Args files;
    const char* error;  // part of the English error text
};

class Parse : public ::testing::TestWithParam<Parse_Case> {};

TEST_P(Parse, Result) {
    const Parse_Case& c = GetParam();
    Args args{"/usr/bin/tovan1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Command_Line r = Parse_Command_Line(args, false);
    EXPECT_EQ(r.action, c.action);
    if (c.action == Action::Error) {
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        return;
    }
    EXPECT_TRUE(r.error.empty());
    if (c.action != Action::Run) return;
    EXPECT_EQ(r.demo, c.demo);
    EXPECT_EQ(r.ini_path, c.ini);
    EXPECT_EQ(r.fpga_image, c.fpga);
    EXPECT_EQ(r.files, c.files);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, Parse,
    ::testing::Values(
        Parse_Case{"Nothing", {}, Action::Run, false, "", "", {}, ""},
        Parse_Case{"AllOptions",
                   {"--demo", "--ini", "/tmp/a.ini", "--fpga-image", "img.bin", "x.tvd"},
                   Action::Run, true, "/tmp/a.ini", "img.bin", {"x.tvd"}, ""},
        Parse_Case{"EqualsForm", {"--ini=a.ini", "--fpga-image=b.bin"}, Action::Run, false, "a.ini", "b.bin", {}, ""},
        Parse_Case{"PathMayStartWithDash", {"--ini", "-odd.ini"}, Action::Run, false, "-odd.ini", "", {}, ""},
        Parse_Case{"LastIniWins", {"--ini", "a", "--ini", "b"}, Action::Run, false, "b", "", {}, ""},
        Parse_Case{"FilesInOrder", {"a.tvd", "--demo", "b.tvs"}, Action::Run, true, "", "", {"a.tvd", "b.tvs"}, ""},
        Parse_Case{"EmptyArgumentIsAFile", {""}, Action::Run, false, "", "", {""}, ""},
        Parse_Case{"DoubleDashEndsOptions", {"--", "--demo", "-x.tvd"}, Action::Run, false, "", "",
                   {"--demo", "-x.tvd"}, ""},
        Parse_Case{"Help", {"--help"}, Action::Help, false, "", "", {}, ""},
        Parse_Case{"HelpAfterFile", {"a.tvd", "--help", "--bogus"}, Action::Help, false, "", "", {}, ""},
        Parse_Case{"Version", {"--demo", "--version"}, Action::Version, false, "", "", {}, ""},
        Parse_Case{"HelpAfterDoubleDashIsAFile", {"--", "--help"}, Action::Run, false, "", "", {"--help"}, ""},
        Parse_Case{"UnknownLong", {"--bogus"}, Action::Error, false, "", "", {}, "unknown option --bogus"},
        Parse_Case{"UnknownShort", {"-d"}, Action::Error, false, "", "", {}, "unknown option -d"},
        Parse_Case{"LoneDash", {"-"}, Action::Error, false, "", "", {}, "unknown option -"},
        Parse_Case{"QtStyleOption", {"-platform", "offscreen"}, Action::Error, false, "", "", {},
                   "unknown option -platform"},
        Parse_Case{"ErrorBeforeHelpWins", {"--bogus", "--help"}, Action::Error, false, "", "", {},
                   "unknown option --bogus"},
        Parse_Case{"IniLast", {"--ini"}, Action::Error, false, "", "", {}, "missing path after option --ini"},
        Parse_Case{"FpgaLast", {"a.tvd", "--fpga-image"}, Action::Error, false, "", "", {},
                   "missing path after option --fpga-image"},
        Parse_Case{"IniEmpty", {"--ini", ""}, Action::Error, false, "", "", {}, "missing path after option --ini"},
        Parse_Case{"IniEqualsEmpty", {"--ini="}, Action::Error, false, "", "", {}, "missing path after option --ini"},
        Parse_Case{"DemoWithValue", {"--demo=1"}, Action::Error, false, "", "", {}, "option takes no value: --demo"}),
    [](const ::testing::TestParamInfo<Parse_Case>& p) { return std::string(p.param.name); });

TEST(CommandLine, ErrorsComeInBothLanguages) {
    const Args args{"tovan1", "--bogus"};
    const Command_Line en = Parse_Command_Line(args, false);
    const Command_Line ru = Parse_Command_Line(args, true);
    EXPECT_EQ(ru.action, Action::Error);
    EXPECT_NE(en.error, ru.error);
    EXPECT_NE(ru.error.find("--bogus"), std::string::npos);
}

TEST(CommandLine, OptionsNotHandedOverAsWritten) {
    const Command_Line c =
        Parse_Command_Line({"tovan1", "--fpga-image", "f.bin", "--demo", "--ini", "a.ini", "x.tvd"}, false);
    EXPECT_EQ(c.Options_Not_Handed_Over(), (Args{"--demo", "--ini", "--fpga-image"}));
    EXPECT_TRUE(Parse_Command_Line({"tovan1", "x.tvd"}, false).Options_Not_Handed_Over().empty());
}

TEST(CommandLine, HelpListsEveryOptionAndVersionIsTheProjectVersion) {
    for (bool ru : {false, true}) {
        const std::string help = Help_Text("tovan1", ru);
        for (const char* opt : {"--demo", "--ini ", "--fpga-image ", "--help", "--version", "--"})
            EXPECT_NE(help.find(opt), std::string::npos) << opt << " ru=" << ru;
        EXPECT_NE(help.find("tovan1 "), std::string::npos);
    }
    EXPECT_EQ(Version_Text("tovan1"), "tovan1 1.62\n");
}

TEST(CommandLine, ProgramName) {
    EXPECT_EQ(Program_Name("/usr/local/bin/tovan1"), "tovan1");
    EXPECT_EQ(Program_Name("scope.exe"), "scope");
    EXPECT_EQ(Program_Name(""), "tovan1");
}

struct Display_Case {
    const char* display;
    const char* wayland;
    const char* qpa;
    bool available;
};

TEST(CommandLine, DisplayAvailable) {
    const Display_Case cases[] = {
        {":0", nullptr, nullptr, true},
        {nullptr, "wayland-0", nullptr, true},
        {":1", "wayland-0", "xcb", true},
        {nullptr, nullptr, nullptr, false},
        {"", "", "", false},
        {nullptr, nullptr, "xcb", false},
        {nullptr, nullptr, "wayland", false},
        {nullptr, nullptr, "offscreen", true},
        {nullptr, nullptr, "minimal", true},
        {nullptr, nullptr, "vnc:size=800x600", true},
        {nullptr, nullptr, "wayland;offscreen", true},
        {nullptr, nullptr, "offscreenx", false},
    };
    for (const auto& c : cases) {
#if defined(_WIN32) || defined(__APPLE__)
        EXPECT_TRUE(Display_Available(c.display, c.wayland, c.qpa));
#else
        EXPECT_EQ(Display_Available(c.display, c.wayland, c.qpa), c.available)
            << (c.display ? c.display : "null") << " / " << (c.wayland ? c.wayland : "null") << " / "
            << (c.qpa ? c.qpa : "null");
#endif
    }
}

TEST(CommandLine, MessagesLocaleTakesTheFirstSetVariable) {
    EXPECT_EQ(Messages_Locale("ru_RU.UTF-8", "en_US", "de_DE", "fr_FR"), "ru_RU.UTF-8");
    EXPECT_EQ(Messages_Locale("", "en_US", "ru_RU", "fr_FR"), "en_US");
    EXPECT_EQ(Messages_Locale(nullptr, nullptr, "ru_RU", "fr_FR"), "ru_RU");
    EXPECT_EQ(Messages_Locale(nullptr, "", nullptr, "ru_RU"), "ru_RU");
}

struct Language_Case {
    const char* locale;
    bool file_exists;
    bool russian;
};

TEST(CommandLine, InitialLanguage) {
    const Language_Case cases[] = {
        {"ru_RU.UTF-8", false, true}, {"ru_RU", false, true},    {"ru", false, true},
        {"ru-RU", false, true},       {"RU_ru", false, true},    {"ru_UA.KOI8-U", false, true},
        {"ru@latin", false, true},    {"en_US.UTF-8", false, false}, {"C", false, false},
        {"POSIX", false, false},      {"", false, false},        {"uk_UA", false, false},
        {"rus", false, false},        {"run", false, false},     {"de_DE", false, false},
        // With a settings file the window starts in its initial state
        // (Russian) and the file's key decides.
        {"en_US.UTF-8", true, true},  {"C", true, true},         {"ru_RU", true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Initial_Lang_Russian(c.locale, c.file_exists), c.russian)
            << c.locale << " file=" << c.file_exists;
}

}  // namespace
}  // namespace tovan
