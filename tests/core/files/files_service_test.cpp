// The File menu's commands on a session without a window: dialogs and
// questions scripted, files in a fresh folder.
#include "files/files_service.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/tvd_file.h"
#include "files_fixtures.h"
#include "support/scripted_prompts.h"
#include "support/stub_usb_link.h"

namespace tovan {
namespace {

namespace fs = std::filesystem;
using test_support::Fixture_Frame;
using test_support::Make_Frame;
using test_support::Scripted_Prompts;

std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

struct Files_Fixture : ::testing::Test {
    fs::path dir;
    Scripted_Prompts prompts;
    Session session{[] {
                        Session_Options o;
                        o.link_factory = [](Link_Kind) { return std::make_unique<test_support::Stub_Usb_Link>(); };
                        return o;
                    }(),
                    prompts};
    Display_State view;
    Files_Service files{session, view, prompts, Files_Hooks{[](bool png) -> std::optional<std::string> {
                            return std::string(png ? "PNG bytes" : "BMP bytes");
                        }}};

    Files_Fixture() {
        static int n = 0;
        dir = fs::temp_directory_path() /
              ("tovan1_files_test_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
               "_" + std::to_string(n++));
        fs::create_directories(dir);
        session.Inst().Settings.Russian = false;
    }
    ~Files_Fixture() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void Put_Frame(const Fixture_Frame& fx) {
        const auto f = Make_Frame(fx);
        session.With_Frame_Mutable([&](Frame_Data& live, Status_Values&) { live = *f; });
    }
    std::unique_ptr<Frame_Data> Live() {
        auto copy = std::make_unique<Frame_Data>();
        session.With_Frame([&](const Frame_Data& f, const Status_Values&) { *copy = f; });
        return copy;
    }
    const Scripted_Prompts::Shown& Last_Message() const { return prompts.shown.back(); }
};

const Fixture_Frame Normal{"normal", 3, 0, 0, {10, 128, 254}, {}, {}, {}};

TEST_F(Files_Fixture, SaveWritesDataAndCompanionThenLoadRestoresIt) {
    Put_Frame(Normal);
    prompts.Choose_File(Path("scope.tvd"));
    files.Save_Data();
    ASSERT_EQ(prompts.file_dialogs.size(), 1u);
    const File_Dialog_Request& r = prompts.file_dialogs[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title, "Save");
    EXPECT_EQ(r.default_ext, ".tvd");
    EXPECT_EQ(r.filter, "Tovan1 Data File (*.tvd)|*.tvd");
    EXPECT_EQ(r.file_name, "*.tvd");
    EXPECT_EQ(session.Last_Dir(), dir.string());
    EXPECT_EQ(view.Data_File_Name, "scope.tvd");
    EXPECT_TRUE(Live()->From_File);
    const std::string saved = Read(dir / "scope.tvd");
    EXPECT_EQ(saved, Encode_TVD(*Make_Frame(Normal)));
    // The companion keeps no header line: it starts with a section.
    const std::string tvs = Read(dir / "scope.tvs");
    ASSERT_FALSE(tvs.empty());
    EXPECT_EQ(tvs.front(), '[');
    EXPECT_EQ(tvs.find("Tovan1 SETTINGS FILE"), std::string::npos);
    EXPECT_TRUE(prompts.shown.empty());

    // Another frame, then the file again (its companion declined).
    Put_Frame(Fixture_Frame{"other", 1, 0, 0, {5}, {}, {}, {}});
    view.Data_File_Name.clear();
    prompts.Answer(Prompt_Answer::No);
    session.Inst().Settings.X_Pos = 77;
    ASSERT_TRUE(files.Load_Data_File(Path("scope.tvd")));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, Path("scope.tvs") + " found.\r\nOpen settings file?");
    EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Question);
    EXPECT_EQ(Encode_TVD(*Live()), saved);
    EXPECT_TRUE(Live()->From_File);
    EXPECT_EQ(view.Data_File_Name, "scope.tvd");
    EXPECT_EQ(session.Inst().Settings.X_Pos, 0);
    EXPECT_TRUE(session.Inst().State.Config_Request.load());  // applied
}

TEST_F(Files_Fixture, ProposedNamesFollowTheLoadedFile) {
    Put_Frame(Normal);
    prompts.Choose_File(Path("scope.tvd"));
    files.Save_Data();
    prompts.Answer(Prompt_Answer::No);
    ASSERT_TRUE(files.Load_Data_File(Path("scope.tvd")));
    prompts.file_dialogs.clear();
    files.Export_Image();
    files.Export_Text();
    files.Export_Row_Binary();
    files.Export_CSV();
    files.Save_Settings_As();
    files.Save_Data();
    std::vector<std::string> names;
    for (const auto& r : prompts.file_dialogs) names.push_back(r.file_name);
    EXPECT_EQ(names, (std::vector<std::string>{"scope.bmp", "scope.txt", "scope.bin", "scope.csv", "scope.tvs",
                                               "scope.tvd"}));
    // A frame from the instrument proposes no name.
    session.With_Frame_Mutable([](Frame_Data& f, Status_Values&) { f.From_File = false; });
    EXPECT_EQ(files.Proposed_Name(".txt"), "*.txt");
}

struct Dialog_Case {
    void (Files_Service::*command)();
    bool save;
    const char* title_en;
    const char* title_ru;
    const char* ext;
    const char* filter_en;
};

TEST_F(Files_Fixture, DialogsOfEveryCommandInBothLanguages) {
    const Dialog_Case cases[] = {
        {&Files_Service::Save_Data, true, "Save", "Сохранение данных", ".tvd", "Tovan1 Data File (*.tvd)|*.tvd"},
        {&Files_Service::Open_Data, false, "Open", "Открытие данных", ".tvd",
         "Tovan1 Data File (*.tvd)|*.tvd|All Files (*.*)|*.*"},
        {&Files_Service::Save_Settings_As, true, "Save Settings", "Сохранение файла настроек", ".tvs",
         "Tovan1 Settings File (*.tvs)|*.tvs"},
        {&Files_Service::Open_Settings, false, "Open Settings", "Открытие настроек", ".tvs",
         "Tovan1 Settings File (*.tvs)|*.tvs|All Files (*.*)|*.*"},
        {&Files_Service::Export_Image, true, "Save Image", "Сохранение рисунка", ".bmp",
         "Bitmap File (*.bmp)|*.bmp|PNG Image (*.png)|*.png"},
        {&Files_Service::Export_Text, true, "Save Text", "Сохранение текстового файла", ".txt",
         "Text File (*.txt)|*.txt"},
        {&Files_Service::Export_Row_Binary, true, "Save Row Binary", "Сохранение двоичного файла", ".bin",
         "Binary File (*.bin)|*.bin"},
        {&Files_Service::Export_CSV, true, "Save CSV", "Сохранение файла CSV", ".csv", "CSV File (*.csv)|*.csv"},
    };
    session.Set_Last_Dir(dir.string());
    for (const Dialog_Case& c : cases) {
        for (const bool ru : {false, true}) {
            session.Inst().Settings.Russian = ru;
            prompts.file_dialogs.clear();
            (files.*c.command)();  // cancelled: nothing happens
            ASSERT_EQ(prompts.file_dialogs.size(), 1u);
            const File_Dialog_Request& r = prompts.file_dialogs[0];
            SCOPED_TRACE(r.title);
            EXPECT_EQ(r.save, c.save);
            EXPECT_EQ(r.title, ru ? c.title_ru : c.title_en);
            EXPECT_EQ(r.default_ext, c.ext);
            EXPECT_EQ(r.initial_dir, dir.string());
            if (!ru) {
                EXPECT_EQ(r.filter, c.filter_en);
            }
            EXPECT_EQ(r.file_name, c.save ? std::string("*") + c.ext : "");
        }
    }
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(fs::is_empty(dir));
}

struct Reject_Case {
    const char* name;
    std::string bytes;  // written to the file; empty name: no file at all
    const char* message_en;
    const char* message_ru;
};

TEST_F(Files_Fixture, RejectedFileChangesNothing) {
    std::string good = Encode_TVD(*Make_Frame(Fixture_Frame{"peak", 2, 1, 1, {1, 2}, {3, 4}, {4, 28}, {28, 4}}));
    std::string crc = good;
    crc[50] ^= 1;
    const Reject_Case cases[] = {
        {"missing", "", "\r\nFile not found.", "\r\nФайл не найден."},
        {"bad magic", "TVX:" + good.substr(4), "\r\nInvalid file format.", "\r\nНеверный формат файла."},
        {"short", good.substr(0, 106), "\r\nInvalid file format.", "\r\nНеверный формат файла."},
        {"crc", crc, "\r\nInvalid file format. (CRC error)", "\r\nОшибка CRC файла."},
    };
    Put_Frame(Normal);
    view.Data_File_Name = "before.tvd";
    const auto before = Live();
    for (const Reject_Case& c : cases) {
        for (const bool ru : {false, true}) {
            SCOPED_TRACE(c.name);
            session.Inst().Settings.Russian = ru;
            const std::string path = Path(std::string(c.name) + ".tvd");
            if (std::string(c.name) != "missing") std::ofstream(path, std::ios::binary) << c.bytes;
            prompts.shown.clear();
            EXPECT_FALSE(files.Load_Data_File(path));
            ASSERT_EQ(prompts.shown.size(), 1u);
            EXPECT_EQ(prompts.shown[0].title, ru ? "Открытие файла данных" : "Open");
            EXPECT_EQ(prompts.shown[0].text, path + (ru ? c.message_ru : c.message_en));
            EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Warning);
            const auto after = Live();
            EXPECT_EQ(0, std::memcmp(&after->Info, &before->Info, sizeof(Frame_Info)));
            EXPECT_EQ(after->Smpl_Buf_A, before->Smpl_Buf_A);
            EXPECT_EQ(after->Smpl_Buf_B, before->Smpl_Buf_B);
            EXPECT_EQ(after->Trig_Buf_A, before->Trig_Buf_A);
            EXPECT_EQ(after->Trig_Buf_B, before->Trig_Buf_B);
            EXPECT_EQ(after->From_File, before->From_File);
            EXPECT_EQ(view.Data_File_Name, "before.tvd");
        }
    }
}

TEST_F(Files_Fixture, ReplaceQuestionForTheCompanion) {
    Put_Frame(Normal);
    std::ofstream(dir / "run1.tvs", std::ios::binary) << "old settings";
    prompts.Choose_File(Path("run1.tvd"));
    prompts.Answer(Prompt_Answer::No);
    files.Save_Data();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Save Settings File");
    EXPECT_EQ(prompts.shown[0].text, Path("run1.tvs") + "\r\nThe file already exists. Replace existing file?");
    EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Warning);
    EXPECT_EQ(Read(dir / "run1.tvs"), "old settings");
    EXPECT_EQ(Read(dir / "run1.tvd"), Encode_TVD(*Make_Frame(Normal)));  // the data file stays written

    prompts.Choose_File(Path("run1.tvd"));
    prompts.Answer(Prompt_Answer::Yes);
    files.Save_Data();
    EXPECT_NE(Read(dir / "run1.tvs"), "old settings");
}

TEST_F(Files_Fixture, CompanionNeverReplacesTheFileItBelongsTo) {
    Put_Frame(Normal);
    prompts.Choose_File(Path("odd.tvs"));
    files.Save_Data();
    EXPECT_EQ(Read(dir / "odd.tvs"), Encode_TVD(*Make_Frame(Normal)));
    prompts.Choose_File(Path("odd.txt"));
    files.Export_Row_Binary();
    EXPECT_EQ(Read(dir / "odd.txt"), test_support::Bytes({10, 128, 254}));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Files_Fixture, SettingsFileKeepsCalibrationAndSystemOut) {
    Scope_Settings& s = session.Inst().Settings;
    s.Time_Div = 7;
    prompts.Choose_File(Path("setup.tvs"));
    files.Save_Settings_As();
    const std::string text = Read(dir / "setup.tvs");
    EXPECT_EQ(text.rfind("[Tovan1 SETTINGS FILE]", 0), 0u) << text;
    EXPECT_EQ(text.find("[Calibrate]"), std::string::npos);
    EXPECT_EQ(text.find("[System]"), std::string::npos);

    // A hand-made file with calibration and system keys: they are not taken.
    std::ofstream(dir / "hostile.tvs", std::ios::binary)
        << "[Calibrate]\r\nZ_P1=1\r\nZ_P2=2\r\nOffset=3\r\nTime_PPM=4\r\n[System]\r\nDebug_tv=1\r\n";
    const Scope_Settings before = s;
    ASSERT_TRUE(files.Load_Settings_File(Path("hostile.tvs")));
    EXPECT_EQ(s.Z_P1, before.Z_P1);
    EXPECT_EQ(s.Z_P2, before.Z_P2);
    EXPECT_EQ(s.Offset, before.Offset);
    EXPECT_EQ(s.Time_PPM, before.Time_PPM);
    EXPECT_EQ(s.Debug_Mode, before.Debug_Mode);

    // The saved set-up comes back, and a data file's companion loads alike.
    ASSERT_TRUE(files.Load_Settings_File(Path("setup.tvs")));
    EXPECT_EQ(s.Time_Div, 7);
    s.Time_Div = 3;
    prompts.Choose_File(Path("data.tvd"));
    files.Save_Data();
    s.Time_Div = 5;
    ASSERT_TRUE(files.Load_Settings_File(Path("data.tvs")));
    EXPECT_EQ(s.Time_Div, 3);
}

TEST_F(Files_Fixture, SettingsFileGoneOrUnwritable) {
    Scope_Settings& s = session.Inst().Settings;
    s.Time_Div = 6;
    EXPECT_FALSE(files.Load_Settings_File(Path("deleted.tvs")));
    EXPECT_EQ(Last_Message().title, "Open Settings");
    EXPECT_EQ(Last_Message().text, Path("deleted.tvs") + "\r\nFile not found.");
    EXPECT_EQ(s.Time_Div, 6);

    const std::string nowhere = Path("no such folder/setup.tvs");
    prompts.Choose_File(nowhere);
    files.Save_Settings_As();
    EXPECT_EQ(Last_Message().title, "Save Settings");
    EXPECT_EQ(Last_Message().icon, Prompt_Icon::Error);
    EXPECT_EQ(Last_Message().text.rfind(nowhere + "\r\nCan't open file for writing.", 0), 0u);
}

TEST_F(Files_Fixture, ExportsWriteTheirFiles) {
    Put_Frame(Normal);
    prompts.Choose_File(Path("a.txt"));
    files.Export_Text();
    EXPECT_EQ(Read(dir / "a.txt").rfind("Oscilloscope data. \r\n", 0), 0u);

    // The raw binary's description replaces an old one only when asked.
    std::ofstream(dir / "b.txt", std::ios::binary) << "keep me";
    prompts.Choose_File(Path("b.bin"));
    prompts.Answer(Prompt_Answer::No);
    files.Export_Row_Binary();
    EXPECT_EQ(Read(dir / "b.bin"), test_support::Bytes({10, 128, 254}));
    EXPECT_EQ(Read(dir / "b.txt"), "keep me");
    EXPECT_EQ(Last_Message().title, "Save Text For Row Binary");
    prompts.Choose_File(Path("c.bin"));
    files.Export_Row_Binary();
    EXPECT_EQ(Read(dir / "c.txt").rfind("Oscilloscope binary file = c.bin\r\n", 0), 0u);

    prompts.Choose_File(Path("d.BMP"));
    files.Export_Image();
    EXPECT_EQ(Read(dir / "d.BMP"), "BMP bytes");
    prompts.Choose_File(Path("e.PNG"));
    files.Export_Image();
    EXPECT_EQ(Read(dir / "e.PNG"), "PNG bytes");

    prompts.Choose_File(Path("missing folder/f.csv"));
    files.Export_CSV();
    EXPECT_EQ(Last_Message().title, "Save CSV");
    EXPECT_EQ(Last_Message().text.rfind(Path("missing folder/f.csv") + "\r\nCan't open file for writing.", 0), 0u);
}

TEST_F(Files_Fixture, OpenPathChoosesTheLoaderByExtension) {
    Put_Frame(Normal);
    prompts.Choose_File(Path("x.tvd"));
    files.Save_Data();
    std::ofstream(dir / "x.TVS", std::ios::binary) << "[Tovan1 SETTINGS FILE]\r\n";
    // Capital letters: a data file, which this is not.
    files.Open_Path(Path("x.TVS"));
    EXPECT_EQ(Last_Message().text, Path("x.TVS") + "\r\nInvalid file format.");
    // While running, a data file is refused.
    session.Inst().State.Set_Run_Flags(true, false);
    files.Open_Path(Path("x.tvd"));
    EXPECT_EQ(Last_Message().text, Path("x.tvd") + "\r\nCan't open while running.");
    EXPECT_EQ(Last_Message().icon, Prompt_Icon::Error);
    const size_t shown = prompts.shown.size();
    files.Open_Path(Path("x.tvs"));  // settings are taken while running
    EXPECT_EQ(prompts.shown.size(), shown);
    // The data commands' shortcuts do nothing while running.
    session.Inst().State.Set_Run_Flags(true, false);
    prompts.file_dialogs.clear();
    for (auto command : {&Files_Service::Save_Data, &Files_Service::Open_Data, &Files_Service::Export_Image,
                         &Files_Service::Export_Text, &Files_Service::Export_Row_Binary, &Files_Service::Export_CSV})
        (files.*command)();
    EXPECT_TRUE(prompts.file_dialogs.empty());
}

}  // namespace
}  // namespace tovan
