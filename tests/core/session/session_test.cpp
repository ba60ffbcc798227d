// The window-free session: the choice of link, the FPGA image and what the
// user is told about it, the settings file, and stopping a run with the
// frame left as it was.
#include "session/session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "device/virtual_instrument.h"
#include "support/fake_usb_link.h"
#include "support/scripted_prompts.h"

namespace tovan {
namespace {

using test_support::Fake_Device;
using test_support::Fake_Usb_Link;
using test_support::Scripted_Prompts;
namespace fs = std::filesystem;

// A fresh folder per test, standing for the program's folder.
struct Temp_Dir {
    fs::path path;
    Temp_Dir() {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("tovan1_session_test_" + std::to_string(static_cast<long long>(std::chrono::steady_clock::now()
                                                                                   .time_since_epoch()
                                                                                   .count())) +
                "_" + std::to_string(n++));
        fs::create_directories(path);
    }
    ~Temp_Dir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string Write(const std::string& name, const std::string& content) const {
        const fs::path p = path / name;
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }
};

void Unset_Image_Variable() {
#ifdef _WIN32
    _putenv_s(FPGA_Image_Env, "");
#else
    unsetenv(FPGA_Image_Env);
#endif
}

bool Sent_FPGA_Command(const Fake_Usb_Link& link) {
    for (const auto& c : link.Calls())
        if (c.name == "Write" && c.bytes.size() == 1 && c.bytes[0] == 0xFA) return true;
    return false;
}

// --- link choice ---------------------------------------------------------

struct Kind_Case {
    const char* name;
    bool demo_option;
    const char* ini;  // nullptr: no settings file
    Link_Kind expected;
};

class Session_Link_Kind : public ::testing::TestWithParam<Kind_Case> {};

TEST_P(Session_Link_Kind, FromOptionAndSettingsFile) {
    const Kind_Case& c = GetParam();
    Temp_Dir dir;
    Scripted_Prompts prompts;
    std::vector<Link_Kind> asked;
    Session_Options o;
    o.demo = c.demo_option;
    if (c.ini) o.ini_path = dir.Write("tovan1.ini", c.ini);
    o.link_factory = [&](Link_Kind k) {
        asked.push_back(k);
        return std::make_unique<Fake_Usb_Link>();
    };
    Session s(o, prompts);
    EXPECT_EQ(asked, std::vector<Link_Kind>{c.expected});
    EXPECT_EQ(s.Kind(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Session_Link_Kind,
    ::testing::Values(Kind_Case{"NoFile", false, nullptr, Link_Kind::Bridge},
                      Kind_Case{"DemoOption", true, nullptr, Link_Kind::Virtual},
                      Kind_Case{"DemoInSettings", false, "[System]\nDemo=1\n", Link_Kind::Virtual},
                      Kind_Case{"DemoOffInSettings", false, "[System]\nDemo=0\n", Link_Kind::Bridge},
                      Kind_Case{"GarbledSettings", false, "\x01\x02[[System\nDemo\n", Link_Kind::Bridge}),
    [](const auto& p) { return std::string(p.param.name); });

// --- FPGA image ------------------------------------------------------------

struct Image_Case {
    const char* name;
    Link_Kind kind;
    enum Image { None, Good_Beside, Empty_Named } image;
    bool russian;
    // The one message expected (empty: none) and what it must contain.
    std::string message_start;
    std::string message_entry;  // the line of the place looked at, after the folder
    bool image_sent;
};

void PrintTo(const Image_Case& c, std::ostream* os) { *os << c.name; }
void PrintTo(const Kind_Case& c, std::ostream* os) { *os << c.name; }

class Session_Image : public ::testing::TestWithParam<Image_Case> {
protected:
    void SetUp() override { Unset_Image_Variable(); }
    Temp_Dir dir;
    Scripted_Prompts prompts;
    Fake_Usb_Link* link = nullptr;
};

TEST_P(Session_Image, ToldOnceAndTheStandInServesOnlyTheVirtualInstrument) {
    const Image_Case& c = GetParam();
    Session_Options o;
    o.demo = c.kind == Link_Kind::Virtual;
    o.exe_dir = dir.path.string();
    // Whatever this machine has installed or set, only the test's folder.
    o.firmware_dir.clear();
    ::unsetenv("TOVAN1_FPGA_IMAGE");
    if (c.image == Image_Case::Good_Beside) dir.Write(FPGA_Image_File_Name, std::string(FPGA_Image_Size, '\x5A'));
    if (c.image == Image_Case::Empty_Named) o.fpga_image = dir.Write("empty.bin", "");
    // Both kinds get the same scripted bridge, which answers nothing: only
    // what is sent matters here.
    o.link_factory = [&](Link_Kind) {
        auto l = std::make_unique<Fake_Usb_Link>(std::vector<Fake_Device>{Fake_Device{}});
        link = l.get();
        return l;
    };
    o.thread_sleep = [](int) {};
    Session s(o, prompts);
    s.Inst().Settings.Russian = c.russian;

    s.First_Activation();
    ASSERT_EQ(s.Inst().State.Link_Status.load(), Ft_Ok);
    s.Device().Thread().Execute_Pass();  // the redraw, then the FPGA load
    s.Device().Thread().Execute_Pass();
    // Pressing RUN later tells nothing again.
    EXPECT_TRUE(s.Check_Link_On_Press());

    if (c.message_start.empty()) {
        EXPECT_TRUE(prompts.shown.empty()) << prompts.shown[0].text;
    } else {
        ASSERT_EQ(prompts.shown.size(), 1u);
        const std::string& text = prompts.shown[0].text;
        EXPECT_EQ(text.rfind(c.message_start, 0), 0u) << text;
        const std::string where = c.image == Image_Case::Empty_Named
                                      ? (dir.path / "empty.bin").string()
                                      : (dir.path / FPGA_Image_File_Name).string();
        EXPECT_NE(text.find("\r\n" + where + c.message_entry), std::string::npos) << text;
        EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Warning);
    }
    EXPECT_EQ(Sent_FPGA_Command(*link), c.image_sent);
    if (!c.image_sent) {
        // Nothing was sent: the load failed as an unanswered one does.
        EXPECT_FALSE(s.Inst().State.FPGA_OK.load());
        EXPECT_TRUE(s.Inst().State.Err_FPGA_Config.load());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Session_Image,
    ::testing::Values(
        Image_Case{"BridgeWithoutImage", Link_Kind::Bridge, Image_Case::None, false,
                   "The FPGA image file was not found; the instrument cannot work without it.\r\nLooked for:",
                   " - not found", false},
        Image_Case{"BridgeWithoutImageRussian", Link_Kind::Bridge, Image_Case::None, true,
                   "Файл образа FPGA не найден, без него прибор не может работать.\r\nГде искали:",
                   " - нет файла", false},
        Image_Case{"BridgeWithEmptyNamedFile", Link_Kind::Bridge, Image_Case::Empty_Named, false,
                   "The FPGA image file was not found", " - not an FPGA image, size 0", false},
        Image_Case{"BridgeWithImage", Link_Kind::Bridge, Image_Case::Good_Beside, false, "", "", true},
        Image_Case{"VirtualWithoutImage", Link_Kind::Virtual, Image_Case::None, false, "", "", true},
        Image_Case{"VirtualWithEmptyNamedFile", Link_Kind::Virtual, Image_Case::Empty_Named, false,
                   "The FPGA image file cannot be used; the built-in stand-in is loaded instead.",
                   " - not an FPGA image, size 0", true}),
    [](const auto& p) { return std::string(p.param.name); });

// --- settings file ---------------------------------------------------------

TEST(Session_Settings, WrittenAtCloseAndReadAtStart) {
    Temp_Dir dir;
    Scripted_Prompts prompts;
    Session_Options o;
    o.ini_path = (dir.path / "tovan1.ini").string();
    o.link_factory = [](Link_Kind) { return std::make_unique<Fake_Usb_Link>(); };
    {
        Session s(o, prompts);
        s.Inst().Settings.Time_Div = 21;
        s.Inst().Settings.Russian = false;
        EXPECT_FALSE(s.Write_Settings());
    }
    Session again(o, prompts);
    EXPECT_EQ(again.Inst().Settings.Time_Div, 21);
    EXPECT_FALSE(again.Inst().Settings.Russian);
}

TEST(Session_Settings, WriteErrorIsReturned) {
    Temp_Dir dir;
    Scripted_Prompts prompts;
    Session_Options o;
    o.ini_path = (dir.path / "no_such_folder" / "tovan1.ini").string();
    o.link_factory = [](Link_Kind) { return std::make_unique<Fake_Usb_Link>(); };
    Session s(o, prompts);
    EXPECT_TRUE(s.Write_Settings());
    EXPECT_TRUE(prompts.shown.empty());  // the caller decides how to tell
}

// --- stop and wait -------------------------------------------------------------

// The session on the virtual instrument with its manual clock and the
// redraw as a plain call on the acquisition thread.
struct Virtual_Session {
    Scripted_Prompts prompts;
    std::shared_ptr<Manual_Device_Clock> clock = std::make_shared<Manual_Device_Clock>();
    Virtual_Instrument* vi = nullptr;
    std::atomic<int> draws{0};
    std::unique_ptr<Session> s;

    Virtual_Session() {
        Unset_Image_Variable();
        Session_Options o;
        o.demo = true;
        o.link_factory = [this](Link_Kind) {
            auto v = std::make_unique<Virtual_Instrument>(clock);
            vi = v.get();
            return v;
        };
        o.thread_sleep = [this](int ms) { vi->Advance(std::chrono::milliseconds(ms)); };
        Session_Hooks h;
        h.sync_draw = [this] { draws.fetch_add(1); };
        s = std::make_unique<Session>(o, prompts, h);
        s->Inst().Refresh_View();
        s->Start_Thread();
        s->First_Activation();
    }
    // Moves device time on in steps until `done` holds (at most `steps`).
    template <class Pred>
    bool Run_Until(Pred done, int steps = 400) {
        for (int i = 0; i < steps; ++i) {
            if (done()) return true;
            vi->Advance(std::chrono::milliseconds(5));
            s->Wait_Passes(1);
        }
        return done();
    }
    int32_t Frame_No() const {
        return s->With_Frame([](const Frame_Data& f, const Status_Values&) { return f.Info.Frame_No; });
    }
};

TEST(Session_Stop, StopAndWaitLeavesTheFrameAsItWas) {
    Virtual_Session v;
    v.s->Inst().Settings.Run = true;
    v.s->Inst().Apply_Settings();
    ASSERT_TRUE(v.Run_Until([&] { return v.Frame_No() >= 3; }));

    v.s->Stop_And_Wait();
    const int32_t stopped_at = v.Frame_No();
    const uint32_t total = v.s->Inst().State.Frames_Total.load();
    EXPECT_FALSE(v.s->Inst().Settings.Run);
    EXPECT_FALSE(v.s->Inst().State.Run_State.load());
    // The device keeps sending; nothing more is decoded.
    v.Run_Until([] { return false; }, 40);
    EXPECT_EQ(v.Frame_No(), stopped_at);
    EXPECT_EQ(v.s->Inst().State.Frames_Total.load(), total);
    v.s->Shutdown();
}

TEST(Session_Stop, WaitsReturnOnceTheThreadIsGone) {
    Virtual_Session v;
    v.s->Shutdown();
    v.s->Stop_And_Wait();  // returns at once: no thread
    v.s->Wait_Passes(5);
    SUCCEED();
}

TEST(Session_Frame, WithFrameSeesWhatTheMutableVariantWrote) {
    Scripted_Prompts prompts;
    Session_Options o;
    o.link_factory = [](Link_Kind) { return std::make_unique<Fake_Usb_Link>(); };
    Session s(o, prompts);
    s.With_Frame_Mutable([](Frame_Data& f, Status_Values& st) {
        f.Info.Frame_No = 7;
        st.Vcc_10mV = 495;
    });
    s.With_Frames_Mutable([](Frame_Data&, Frame_Data& bg, Status_Values&) { bg.Info.Frame_Count = 2; });
    const auto seen = s.With_Frames([](const Frame_Data& f, const Frame_Data& bg, const Status_Values& st) {
        return std::tuple{f.Info.Frame_No, bg.Info.Frame_Count, st.Vcc_10mV};
    });
    EXPECT_EQ(seen, (std::tuple{7, 2, 495}));
}

// A wait on a condition looks again after each pass of the thread, and
// does not outlive the thread.
TEST(Session_Wait, UntilAConditionLooksAfterEachPassAndEndsWithTheThread) {
    Virtual_Session v;
    std::atomic<int> looks{0};
    v.s->Wait_Until([&] { return ++looks >= 3; }, true);
    EXPECT_EQ(looks.load(), 3);

    v.s->Shutdown();
    bool ended = false;
    v.s->Wait_Until([&] { return ended; }, false);  // never holds: the stop ends it
    EXPECT_FALSE(ended);
}

}  // namespace
}  // namespace tovan
