#include "acquisition/link_supervisor.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/fake_usb_link.h"
#include "support/scripted_prompts.h"

namespace tovan {
namespace {

using test_support::Fake_Device;
using test_support::Fake_Usb_Link;
using test_support::Scripted_Prompts;

// A supervisor on a fake link whose hooks record what they were asked.
struct Supervision_Fixture {
    Fake_Usb_Link link{{Fake_Device{}}};
    Acq_State st;
    Scripted_Prompts prompts;
    std::vector<std::string> log;
    Ft_Status open_result = Ft_Ok;
    bool alive_after_open = true;  // the device announces itself after the reset
    bool no_msg = false;
    std::function<void()> during_wait;  // what the thread does meanwhile
    Link_Supervisor sup{Link_Supervisor::Env{
        &link,
        &st,
        &prompts,
        [this] {
            log.push_back("open");
            if (open_result == Ft_Ok) {
                Dev_Handle h = 0;
                uint32_t loc = 0;
                link.List_Location(0, &loc);
                link.Open_By_Location(loc, &h);
                st.Handle = h;
            }
            return open_result;
        },
        [this](Ft_Status c) { log.push_back("usb_error " + std::to_string(c)); },
        [this] { log.push_back("apply"); },
        [this] { log.push_back("release"); },
        [this](int ms) {
            log.push_back("wait " + std::to_string(ms));
            if (during_wait) during_wait();
            if (ms == 1200 && alive_after_open) st.Device_Alive = true;
        },
        [this](bool busy) { log.push_back(busy ? "busy" : "idle"); },
        [this] { return no_msg; },
        [] { return false; },
    }};

    Supervision_Fixture() {
        Dev_Handle h = 0;
        link.Open_By_Location(0x1234, &h);
        uint32_t loc = 0;
        link.List_Location(0, &loc);
        link.Open_By_Location(loc, &h);
        st.Handle = h;
        st.FPGA_OK = true;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& s : prompts.shown) t.push_back(s.text);
        return t;
    }
};

TEST(LinkSupervisor, FiguresPerSecond) {
    Supervision_Fixture f;
    f.st.Frames_Shown = 25;
    f.st.Frames_Received = 30;
    f.st.CRC_Errors = 2;
    f.sup.Timer1Timer();
    EXPECT_EQ(f.sup.FPS_Shown(), 25u);
    EXPECT_EQ(f.sup.FPS_Received(), 30u);
    EXPECT_EQ(f.sup.CRC_Errors_PS(), 2u);
    EXPECT_EQ(f.st.Frames_Shown.load(), 0u);
    EXPECT_EQ(f.st.Frames_Received.load(), 0u);
    EXPECT_EQ(f.st.CRC_Errors.load(), 0u);
    EXPECT_TRUE(f.st.Redraw_Request);
    EXPECT_TRUE(f.prompts.shown.empty());  // two bad frames a second are no warning yet
    EXPECT_EQ(f.log, (std::vector<std::string>{"busy", "idle"}));
    EXPECT_TRUE(f.st.FPGA_OK);
}

// A frame received just before a tick and shown just after it counts in
// one second's received and the next second's shown frames: the lost
// figure never goes below 0, and that one waiting frame is set against
// the next second's losses, so that over the seconds the figures add up.
TEST(LinkSupervisor, LostFramesNeverNegative) {
    struct Second {
        uint32_t received, shown;
        uint32_t want_lost;
    };
    const Second seconds[] = {
        {75, 74, 1},  // one frame still waiting for the screen
        {73, 74, 0},  // it was shown in this second: not -1
        {75, 75, 0},  // (the surplus is kept)
        {76, 74, 1},  // two more received than shown, one of them was owed
        {70, 73, 0},  // more than one frame ahead cannot come from a waiting
        {0, 2, 0},    // frame: at most one is carried
        {10, 5, 4},
        {10, 5, 5},
        {0, 0xFFFFFFFFu, 0},  // a counter gone wild: no wrap-around
        {3, 1, 1},
    };
    Supervision_Fixture f;
    for (const Second& sec : seconds) {
        f.st.Frames_Received = sec.received;
        f.st.Frames_Shown = sec.shown;
        f.sup.Timer1Timer();
        EXPECT_EQ(f.sup.FPS_Shown(), sec.shown);
        EXPECT_EQ(f.sup.FPS_Lost(), sec.want_lost) << sec.received << " / " << sec.shown;
        EXPECT_EQ(f.sup.FPS_Received() - f.sup.FPS_Shown(), f.sup.FPS_Lost());
    }
}

TEST(LinkSupervisor, UnstableLinkWarnsOnceAndGoesOn) {
    Supervision_Fixture f;
    f.st.CRC_Errors = 3;
    f.sup.Timer1Timer();
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.shown[0].title, "Warning");
    EXPECT_EQ(f.prompts.shown[0].text, "Unstable USB connection.\r\nError code 5.");
    EXPECT_EQ(f.prompts.shown[0].buttons, Prompt_Buttons::Ok);
    EXPECT_TRUE(f.st.FPGA_OK);
    f.sup.Timer1Timer();
    EXPECT_EQ(f.prompts.shown.size(), 1u);
}

// What the acquisition thread saw while the recovery waited (frames the
// device repeats before its reload) is answered by that recovery: the next
// tick asks nothing and resets nothing.
TEST(LinkSupervisor, ErrorsSeenDuringTheRecoveryWaitsStartNoSecondRecovery) {
    Supervision_Fixture f;
    f.prompts.answers = {Prompt_Answer::Yes};
    f.during_wait = [&f] {
        f.st.Err_FPGA_Lost = true;
        f.st.CRC_Errors = 10;
    };
    f.st.Err_FPGA_Lost = true;
    f.sup.Timer1Timer();
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_TRUE(f.st.FPGA_Load_Request);
    f.during_wait = nullptr;
    f.sup.Timer1Timer();
    EXPECT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.sup.CRC_Errors_PS(), 0u);
    EXPECT_EQ(f.link.Count_Of("Cycle_Port"), 1);
}

enum class Fault { Link_Lost, FPGA_Config, Power_Fail, FPGA_Lost };

struct Recovery_Case {
    const char* name;
    Fault fault;
    Prompt_Answer answer;
    Ft_Status open_result;
    bool alive;
    std::vector<std::string> expected_texts;
    std::vector<std::string> expected_log;
};

class Recovery : public ::testing::TestWithParam<Recovery_Case> {};

TEST_P(Recovery, AskAndRecover) {
    const auto& c = GetParam();
    Supervision_Fixture f;
    f.open_result = c.open_result;
    f.alive_after_open = c.alive;
    f.prompts.answers = {c.answer};
    switch (c.fault) {
        case Fault::Link_Lost: f.link.Set_Queue_Status(f.st.Handle, Ft_Io_Error); break;
        case Fault::FPGA_Config: f.st.Err_FPGA_Config = true; break;
        case Fault::Power_Fail: f.st.Err_Power_Fail = true; break;
        case Fault::FPGA_Lost: f.st.Err_FPGA_Lost = true; break;
    }
    const Dev_Handle old_handle = f.st.Handle;
    f.sup.Timer1Timer();
    EXPECT_EQ(f.Texts(), c.expected_texts);
    EXPECT_EQ(f.log, c.expected_log);
    EXPECT_FALSE(f.st.Err_Link_Lost);
    EXPECT_FALSE(f.st.Err_FPGA_Config);
    EXPECT_FALSE(f.st.Err_Power_Fail);
    EXPECT_FALSE(f.st.Err_FPGA_Lost);
    EXPECT_FALSE(f.st.FPGA_OK);
    const bool recovered = std::find(c.expected_log.begin(), c.expected_log.end(), "apply") != c.expected_log.end();
    EXPECT_EQ(f.st.FPGA_Load_Request.load(), recovered);
    if (c.answer == Prompt_Answer::Yes) {
        EXPECT_EQ(f.link.Count_Of("Cycle_Port"), 1);
    } else {
        EXPECT_EQ(f.link.Count_Of("Cycle_Port"), 0);
        EXPECT_FALSE(f.link.Is_Open(old_handle));
    }
}

const std::string Q1 = "Recover after USB connection lost.\r\nError code 1.";
const std::string Q2 = "Recover after FPGA configuration failure.\r\nError code 2.";
const std::string Q3 = "Recover after Power failure.\r\nError code 3.";
const std::string Q4 = "Recover after FPGA configuration lost.\r\nError code 4.";
const std::string M6 = "Device connection lost.\r\nError code 6.";

INSTANTIATE_TEST_SUITE_P(
    Cases, Recovery,
    ::testing::Values(
        // Unplugged during RUN, Yes while still absent: USB error, buttons released.
        Recovery_Case{"unplugged", Fault::Link_Lost, Prompt_Answer::Yes, Ft_Device_Not_Found, false, {Q1},
                      {"busy", "wait 1500", "open", "usb_error 2", "release", "idle"}},
        // Power cycle, Yes: reload and carry on with the buttons as they are.
        Recovery_Case{"power", Fault::Power_Fail, Prompt_Answer::Yes, Ft_Ok, true, {Q3},
                      {"busy", "wait 1500", "open", "wait 1200", "apply", "idle"}},
        Recovery_Case{"fpga_config", Fault::FPGA_Config, Prompt_Answer::Yes, Ft_Ok, true, {Q2},
                      {"busy", "wait 1500", "open", "wait 1200", "apply", "idle"}},
        // The re-opened device never announces itself: code 6.
        Recovery_Case{"silent", Fault::FPGA_Lost, Prompt_Answer::Yes, Ft_Ok, false, {Q4, M6},
                      {"busy", "wait 1500", "open", "wait 1200", "release", "idle"}},
        // No: close and release.
        Recovery_Case{"declined", Fault::FPGA_Lost, Prompt_Answer::No, Ft_Ok, true, {Q4},
                      {"busy", "release", "idle"}}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(LinkSupervisor, OnlyTheLastAnswerCounts) {
    Supervision_Fixture f;
    f.st.Err_Power_Fail = true;
    f.st.Err_FPGA_Lost = true;
    f.prompts.answers = {Prompt_Answer::Yes, Prompt_Answer::No};
    const Dev_Handle h = f.st.Handle;
    f.sup.Timer1Timer();
    EXPECT_EQ(f.Texts(), (std::vector<std::string>{Q3, Q4}));
    EXPECT_EQ(f.log, (std::vector<std::string>{"busy", "release", "idle"}));
    EXPECT_FALSE(f.link.Is_Open(h));
}

TEST(LinkSupervisor, NoMsgRecoversSilently) {
    Supervision_Fixture f;
    f.no_msg = true;
    f.alive_after_open = false;  // not waited for either
    f.st.CRC_Errors = 10;
    f.st.Err_Power_Fail = true;
    f.sup.Timer1Timer();
    EXPECT_TRUE(f.prompts.shown.empty());
    EXPECT_EQ(f.log, (std::vector<std::string>{"busy", "wait 1500", "open", "apply", "idle"}));
    EXPECT_TRUE(f.st.FPGA_Load_Request);
}

TEST(LinkSupervisor, LinkCheckQuietBeforeTheFirstLoad) {
    Supervision_Fixture f;
    f.st.FPGA_OK = false;
    f.link.Set_Queue_Status(f.st.Handle, Ft_Io_Error);
    f.sup.Timer1Timer();
    EXPECT_TRUE(f.prompts.shown.empty());
    EXPECT_EQ(f.st.Link_Status.load(), Ft_Io_Error);
    EXPECT_FALSE(f.st.Err_Link_Lost);
}

// A tick that arrives while the question of the previous one is open only
// updates the figures.
TEST(LinkSupervisor, NoReentryWhileAsking) {
    Supervision_Fixture f;
    f.st.Err_FPGA_Lost = true;
    struct Reentrant : Scripted_Prompts {
        Link_Supervisor* sup = nullptr;
        Acq_State* st = nullptr;
        Prompt_Answer Message_Box(const std::string& t, const std::string& x, Prompt_Icon i,
                                  Prompt_Buttons b) override {
            st->Frames_Shown = 9;
            sup->Timer1Timer();
            return Scripted_Prompts::Message_Box(t, x, i, b);
        }
    } prompts;
    prompts.sup = &f.sup;
    prompts.st = &f.st;
    Link_Supervisor sup(Link_Supervisor::Env{&f.link, &f.st, &prompts, [] { return Ft_Ok; },
                                             [](Ft_Status) {}, [] {}, [] {},
                                             [&f](int) { f.st.Device_Alive = true; },
                                             [](bool) {}, [] { return false; }, [] { return false; }});
    prompts.sup = &sup;
    sup.Timer1Timer();
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(sup.FPS_Shown(), 9u);
    EXPECT_FALSE(sup.Busy());
}

}  // namespace
}  // namespace tovan
