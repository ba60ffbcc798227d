// The application against a hostile environment: a lost FPGA
// configuration is recovered exactly once, and settings paths that are not
// a plain file never block the start, never lose what is there and never
// get replaced.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "app_test_support.h"
#include "i18n/settings_file_texts.h"
#include "i18n/window_texts.h"

namespace tovan::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class App_Reliability : public App_Session {
protected:
    // Device time moves on by `d` in 5 ms steps, the window serving events.
    void Run_For(std::chrono::milliseconds d) { Wait_For([] { return false; }, static_cast<int>(d / 5ms)); }
    int64_t Device_Ms() const { return clock->Now_Ns() / 1000000; }
};

// The device loses its configuration while running and the user answers
// Yes: one recovery brings the frames back, and the frames the device
// repeated while the recovery waited start no second one.
TEST_F(App_Reliability, LostFpgaConfigurationIsRecoveredOnce) {
    Start(Backend::Virtual);
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    app->Timer1Timer();
    ASSERT_TRUE(prompts.shown.empty());

    prompts.answers = {Prompt_Answer::Yes};
    Device().Lose_FPGA_Config();
    ASSERT_TRUE(Wait_For([&] { return State().Err_FPGA_Lost.load(); }));
    const int64_t fault_ms = Device_Ms();
    app->Timer1Timer();  // the question and the recovery
    ASSERT_EQ(Texts(), std::vector<std::string>{"Recover after FPGA configuration lost.\r\nError code 4."});
    const uint32_t before = State().Frames_Total.load();
    ASSERT_TRUE(Wait_For([&] { return State().FPGA_OK.load() && State().Frames_Total.load() > before + 2; }));
    EXPECT_LE(Device_Ms() - fault_ms, 5000);

    // Ten more seconds with their ticks: no question, no gap in the frames.
    for (int second = 0; second < 10; ++second) {
        const uint32_t total = State().Frames_Total.load();
        Run_For(1000ms);
        app->Timer1Timer();
        EXPECT_GT(State().Frames_Total.load(), total) << "second " << second;
        EXPECT_TRUE(State().FPGA_OK.load()) << "second " << second;
    }
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(Button("SpeedButton_Run")->isChecked());
}

// Settings paths through the program's own start and close.
struct Path_Case {
    const char* name;
    // Makes the path in `dir`; returns it.
    std::function<std::string(const fs::path& dir)> make;
    bool start_message;  // the start says the file was not read
    bool close_error;    // the close says it could not save
};

std::string Write_File(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
}

std::string Many_Sections() {
    // 120,000 short sections (under the size limit), kept by the close.
    std::string text = "[Common]\nRussian=0\n";
    for (int i = 0; i < 120000; ++i) text += "[" + std::to_string(i) + "]\n";
    return text;
}

class Settings_Paths : public App_Reliability, public ::testing::WithParamInterface<Path_Case> {};

TEST_P(Settings_Paths, StartAndCloseAreSafe) {
    const Path_Case& c = GetParam();
    const fs::path root(dir.path().toStdString());
    ini_path = QString::fromStdString(c.make(root));
    const std::string path = ini_path.toStdString();
    const fs::file_type type_before = fs::symlink_status(path).type();
    const auto size_before = fs::is_regular_file(fs::symlink_status(path)) ? fs::file_size(path) : 0;

    Start(Backend::Virtual, nullptr);
    // A file that was not read leaves the defaults, the language included.
    const bool ru = app->Inst().Settings.Russian;
    const bool said_unread = !prompts.shown.empty() && prompts.shown[0].title == Txt_Ini_Title(ru) &&
                             prompts.shown[0].text.find(path) != std::string::npos;
    EXPECT_EQ(said_unread, c.start_message) << (prompts.shown.empty() ? "" : prompts.shown[0].text);
    const size_t at_start = prompts.shown.size();

    app->Window().close();
    app->Shutdown();
    const bool said_unsaved = prompts.shown.size() > at_start && prompts.shown.back().title == window_text::Settings_Save_Title(ru);
    EXPECT_EQ(said_unsaved, c.close_error);
    EXPECT_EQ(fs::symlink_status(path).type(), type_before);
    if (c.close_error && type_before == fs::file_type::regular) {
        EXPECT_EQ(fs::file_size(path), size_before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, Settings_Paths,
    ::testing::Values(
        Path_Case{"LinkToADeviceNode", [](const fs::path& d) {
                      fs::create_symlink("/dev/zero", d / "dev.ini");
                      return (d / "dev.ini").string();
                  }, true, true},
        Path_Case{"DeviceNode", [](const fs::path&) { return std::string("/dev/zero"); }, true, true},
        Path_Case{"DanglingLink", [](const fs::path& d) {
                      fs::create_symlink("target.ini", d / "dangling.ini");
                      return (d / "dangling.ini").string();
                  }, false, false},
        Path_Case{"Fifo", [](const fs::path& d) {
                      ::mkfifo((d / "fifo.ini").c_str(), 0600);
                      return (d / "fifo.ini").string();
                  }, true, true},
        Path_Case{"Folder", [](const fs::path& d) {
                      fs::create_directory(d / "dir.ini");
                      return (d / "dir.ini").string();
                  }, true, true},
        Path_Case{"FiftyMegabytes", [](const fs::path& d) {
                      return Write_File(d / "big.ini", "[Common]\nRussian=0\n" + std::string(50u << 20, ';'));
                  }, true, true},
        Path_Case{"ManySections", [](const fs::path& d) { return Write_File(d / "many.ini", Many_Sections()); },
                  false, false},
        Path_Case{"ByteOrderMark", [](const fs::path& d) {
                      return Write_File(d / "bom.ini", "\xEF\xBB\xBF[Common]\r\nRussian=0\r\n");
                  }, false, false}),
    [](const auto& tp) { return std::string(tp.param.name); });

// What the start read and what the close kept, where a file was usable.
TEST_F(App_Reliability, ByteOrderMarkAndManySectionsAreReadAndKept) {
    ini_path = dir.filePath(QStringLiteral("bom.ini"));
    Write_File(ini_path.toStdString(), "\xEF\xBB\xBF[Common]\r\nRussian=0\r\n[Mine]\r\nKeep=1\r\n");
    Start(Backend::Virtual, nullptr);
    EXPECT_FALSE(app->Inst().Settings.Russian);  // read from the first section
    app->Window().close();
    app->Shutdown();
    std::ifstream f(ini_path.toStdString(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[Mine]"), std::string::npos);
    EXPECT_NE(text.find("Keep=1"), std::string::npos);

    ini_path = dir.filePath(QStringLiteral("many.ini"));
    Write_File(ini_path.toStdString(), Many_Sections());
    Start(Backend::Virtual, nullptr);
    app->Window().close();
    app->Shutdown();
    std::ifstream g(ini_path.toStdString(), std::ios::binary);
    const std::string many((std::istreambuf_iterator<char>(g)), std::istreambuf_iterator<char>());
    EXPECT_NE(many.find("[119999]"), std::string::npos);
    EXPECT_NE(many.find("[Scope]"), std::string::npos);
}

}  // namespace
}  // namespace tovan::test
