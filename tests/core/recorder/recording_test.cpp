// Long recordings on the virtual instrument with its manual clock: the file
// equals, byte for byte, the scroll samples the instrument sent after the
// first frame, across ring wraps and a change of the scroll speed, and
// Rec_Bytes equals the file's size.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "device/virtual_instrument.h"
#include "recorder/recorder.h"
#include "recorder_test_support.h"

namespace tovan {
namespace {

using namespace rec_test;
using namespace std::chrono_literals;
using test_support::Scripted_Prompts;

struct Recording_Case {
    const char* name;
    int time_div;   // index of the time step
    int smpl_n;     // record length index
    bool peak;
    std::chrono::milliseconds step;  // device time per round
    int seconds;                     // device time recorded
    int change_at;                   // second at which the speed changes (-1: never)
    size_t min_bytes;
};

void PrintTo(const Recording_Case& c, std::ostream* os) { *os << c.name; }

class Recording : public ::testing::TestWithParam<Recording_Case> {
protected:
    void SetUp() override {
        ::unsetenv("TOVAN1_FPGA_IMAGE");
        Session_Options o;
        o.demo = true;
        o.firmware_dir.clear();
        o.link_factory = [this](Link_Kind) {
            auto v = std::make_unique<Virtual_Instrument>(clock);
            vi = v.get();
            return v;
        };
        o.thread_sleep = [this](int ms) { vi->Advance(std::chrono::milliseconds(ms)); };
        Session_Hooks h;
        // The redraw is a plain call on the acquisition thread here.
        h.sync_draw = [this] { rec->Hand_Over(); };
        s = std::make_unique<Session>(o, prompts, h);
        rec = std::make_unique<Recorder>(*s, prompts);
        s->Set_Last_Dir(dir.path.string());
        Scope_Settings& st = s->Inst().Settings;
        st.Russian = false;
        st.Gen_On = true;
        st.Gen_Range = Gen_10K_1S;
        st.F_fast = 1;
        st.F_slow = 37;  // 13.7 Hz: no rate of the recorder samples it in step
        st.Ampl = 200;
        st.Trig_On = false;
        st.Run = true;
        s->Inst().Refresh_View();
        s->Start_Thread();
        s->First_Activation();
    }
    void TearDown() override {
        if (s) s->Shutdown();
    }
    // Device time passes by `step`; the thread reads what came (a read
    // takes up to three of the largest frames) and hands it over.
    void Round(std::chrono::milliseconds step) {
        vi->Advance(step);
        s->Wait_Passes(2);
    }

    Temp_Dir dir;
    Scripted_Prompts prompts;
    std::shared_ptr<Manual_Device_Clock> clock = std::make_shared<Manual_Device_Clock>();
    Virtual_Instrument* vi = nullptr;
    std::unique_ptr<Session> s;
    std::unique_ptr<Recorder> rec;
};

TEST_P(Recording, FileEqualsTheSamplesSentAfterTheFirstFrame) {
    const Recording_Case& c = GetParam();
    Scope_Settings& st = s->Inst().Settings;
    st.Time_Div = c.time_div;
    st.Smpl_N = c.smpl_n;
    st.Smpl_PeakDet = c.peak;
    s->Inst().Apply_Settings();
    for (int i = 0; i < 40 && !(s->Inst().State.FPGA_OK.load() && st.Slow_Untriggered); ++i) Round(50ms);
    for (int i = 0; i < 4; ++i) Round(100ms);  // scroll frames of this configuration
    ASSERT_TRUE(rec->Admit());

    vi->Keep_Scroll_Record(true);
    rec->Open_Window();
    rec->Start();
    ASSERT_TRUE(rec->Recording());
    const auto rounds = std::chrono::milliseconds(c.seconds * 1000) / c.step;
    const auto change = c.change_at < 0 ? -1 : std::chrono::milliseconds(c.change_at * 1000) / c.step;
    for (long long r = 0; r < rounds; ++r) {
        if (r == change) {
            st.Time_Div = c.time_div - 1;  // slower: twice the interval
            s->Inst().Apply_Settings();
        }
        Round(c.step);
    }
    rec->Stop();  // the question is answered Yes
    ASSERT_FALSE(rec->Recording());

    const std::string file = Read(dir.File("recorder.bin"));
    EXPECT_EQ(rec->Rec_Bytes(), file.size());
    EXPECT_GE(file.size(), c.min_bytes);
    const Virtual_Instrument::Scroll_Record sent = vi->Scroll_Samples();
    // The file is the run of frames from the one after the first the
    // recording saw: it starts and ends at frame boundaries.
    bool found = false;
    std::vector<size_t> starts{0};  // the first frame recorded may have been sent before
    starts.insert(starts.end(), sent.frame_ends.begin(), sent.frame_ends.end());
    for (size_t i = 0; i < starts.size() && !found; ++i) {
        const size_t from = starts[i];
        if (from + file.size() > sent.bytes.size()) break;
        if (!std::binary_search(sent.frame_ends.begin(), sent.frame_ends.end(), from + file.size())) continue;
        found = std::equal(file.begin(), file.end(), sent.bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
        if (found) {
            EXPECT_LE(i, 3u) << "the recording began late";
        }
    }
    EXPECT_TRUE(found) << "file of " << file.size() << " bytes, " << sent.bytes.size() << " sent";
    EXPECT_TRUE(prompts.shown.size() == 1 && prompts.shown[0].text == "Stop recording?");
}

// 0.1 s/div with 8000 points is the fastest rate (8000 bytes/s); 20 s/div
// with 1000 points the slowest (5 bytes/s, a ring of 200 s).
constexpr int Time_Step_20S = 0;
INSTANTIATE_TEST_SUITE_P(
    Rates, Recording,
    ::testing::Values(
        Recording_Case{"Fastest", Time_Step_100mS, 3, false, 200ms, 400, -1, 3'000'000},
        Recording_Case{"FastestPeakSpeedChanged", Time_Step_100mS, 3, true, 200ms, 60, 25, 300'000},
        Recording_Case{"Slowest", Time_Step_20S, 0, false, 1000ms, 700, -1, 3000},
        Recording_Case{"SlowestPeakSpeedChanged", Time_Step_20S + 1, 0, true, 1000ms, 700, 300, 2000}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace tovan
