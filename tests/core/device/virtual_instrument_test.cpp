#include "device/virtual_instrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <numbers>
#include <numeric>
#include <thread>
#include <vector>

#include "device/device_commands.h"
#include "device/fpga_image.h"
#include "device/frame_decoder.h"
#include "settings/compute_params.h"

namespace tovan {
namespace {

using namespace std::chrono_literals;

constexpr uint64_t Seed = 7;

// The instrument on a manual clock, an open handle, and the host's state.
struct Rig {
    std::shared_ptr<Manual_Device_Clock> clock = std::make_shared<Manual_Device_Clock>();
    Virtual_Instrument vi{clock, Seed};
    Acq_State st;
    Device_Params p;
    Scope_Settings s = Sine_Settings();
    Dev_Handle h = 0;

    Rig() {
        Open();
        st.Run_State = true;
    }

    // Generator on with a 1 kHz sine of 2.488 V, 1 V/div, 1 mS/div, 1000
    // points, trigger on (rising, normal mode) at the middle code.
    static Scope_Settings Sine_Settings() {
        Scope_Settings s;
        s.Gen_On = true;
        s.Gen_Range = Gen_10K_1S;
        s.F_fast = 100;
        s.F_slow = 0;
        s.Ampl = 200;
        s.Volts_Div = Volts_Step_1V;
        s.Time_Div = Time_Step_1mS;
        s.Smpl_N = 0;
        s.Trig_On = true;
        s.Auto = false;
        s.Trig_Level = 127.0;
        s.Trig_Hyst = 1;
        s.Trig_Pre = 1;
        s.ExtTrig = false;
        s.Run = true;
        return s;
    }

    void Open() {
        uint32_t loc = 0;
        ASSERT_EQ(vi.List_Location(0, &loc), Ft_Ok);
        ASSERT_EQ(vi.Open_By_Location(loc, &h), Ft_Ok);
        vi.Set_Timeouts(h, 500, 500);
        vi.Purge(h, Purge_Rx | Purge_Tx);
        st.Handle = h;
    }
    void Load(std::vector<uint8_t> image = Builtin_FPGA_Image()) {
        Load_FPGA(vi, st, image, vi.Virtual_Sleep());
    }
    void Configure() {
        Compute_Params(s, p);
        Send_Config(vi, st, p);
    }
    void Start() {
        Load();
        ASSERT_TRUE(st.FPGA_OK.load());
        Configure();
    }
    // Lets `d` of device time pass, receiving as the acquisition thread
    // would (every `step`).
    void Run(std::chrono::nanoseconds d, std::chrono::nanoseconds step = 5ms) {
        for (std::chrono::nanoseconds t{0}; t < d; t += step) {
            vi.Advance(step);
            Drain();
        }
    }
    void Drain() {
        for (int i = 0; i < 64; ++i) {
            uint32_t rx = 0;
            if (vi.Get_Queue_Status(h, &rx) != Ft_Ok || rx == 0) return;
            Receive_Step(vi, st, p);
        }
    }
    // Runs until a frame satisfying `want` was decoded (at most `limit`);
    // returns a copy of it.
    Frame_Data Next_Frame(const std::function<bool(const Frame_Data&)>& want = nullptr,
                          std::chrono::nanoseconds limit = 3s) {
        Frame_Data copy;
        for (std::chrono::nanoseconds t{0}; t < limit; t += 1ms) {
            const uint32_t before = st.Frames_Total.load();
            vi.Advance(1ms);
            Drain();
            if (st.Frames_Total.load() != before) {
                std::lock_guard lock(st.Data_Mutex);
                if (!want || want(*st.Frame)) {
                    copy = *st.Frame;
                    return copy;
                }
            }
        }
        ADD_FAILURE() << "no matching frame";
        return copy;
    }
    std::vector<uint8_t> Read_Queued() {
        uint32_t rx = 0, got = 0;
        vi.Get_Queue_Status(h, &rx);
        std::vector<uint8_t> bytes(rx);
        if (rx) vi.Read(h, bytes.data(), rx, &got);
        bytes.resize(got);
        return bytes;
    }
};

std::vector<int32_t> Samples(const Frame_Data& f) {
    return std::vector<int32_t>(f.Smpl_Buf_A.begin(), f.Smpl_Buf_A.begin() + f.Info.Smpl_Count);
}

// ---------------------------------------------------------------------------
// link behaviour

TEST(VirtualLink, ListsOneOscilloscope) {
    Virtual_Instrument vi(std::make_shared<Manual_Device_Clock>());
    uint32_t count = 0, loc = 0;
    std::string desc;
    ASSERT_EQ(vi.List_Count(&count), Ft_Ok);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(vi.List_Location(0, &loc), Ft_Ok);
    EXPECT_EQ(loc, Virtual_Instrument::Location_Id);
    ASSERT_EQ(vi.List_Description(0, &desc), Ft_Ok);
    EXPECT_EQ(desc, "Digital Oscilloscope");
    EXPECT_EQ(vi.List_Description(1, &desc), Ft_Device_Not_Found);
    Dev_Handle h = 0;
    EXPECT_EQ(vi.Open_By_Location(loc + 1, &h), Ft_Device_Not_Found);
}

TEST(VirtualLink, OpenCloseAndStaleHandles) {
    Rig r;
    Dev_Handle second = 0;
    EXPECT_NE(r.vi.Open_By_Location(Virtual_Instrument::Location_Id, &second), Ft_Ok);  // already open
    const Dev_Handle old = r.h;
    ASSERT_EQ(r.vi.Close(old), Ft_Ok);
    EXPECT_EQ(r.vi.Close(old), Ft_Invalid_Handle);
    r.Open();
    EXPECT_NE(r.h, old);

    uint8_t buf[4] = {};
    uint32_t n = 0, a = 0, b = 0;
    Manual_Reset_Event ev;
    const std::vector<std::function<Ft_Status(Dev_Handle)>> calls = {
        [&](Dev_Handle x) { return r.vi.Reset_Device(x); },
        [&](Dev_Handle x) { return r.vi.Set_Divisor(x, 3); },
        [&](Dev_Handle x) { return r.vi.Set_Data_Characteristics(x, 8, 0, 0); },
        [&](Dev_Handle x) { return r.vi.Set_Flow_Control(x, 0, 0x13, 0x17); },
        [&](Dev_Handle x) { return r.vi.Set_Timeouts(x, 500, 500); },
        [&](Dev_Handle x) { return r.vi.Set_Latency_Timer(x, 3); },
        [&](Dev_Handle x) { return r.vi.Set_Event_Notification(x, Event_Rx_Char, &ev); },
        [&](Dev_Handle x) { return r.vi.Purge(x, Purge_Rx | Purge_Tx); },
        [&](Dev_Handle x) { return r.vi.Get_Queue_Status(x, &n); },
        [&](Dev_Handle x) { return r.vi.Get_Status(x, &n, &a, &b); },
        [&](Dev_Handle x) { return r.vi.Read(x, buf, 1, &n); },
        [&](Dev_Handle x) { return r.vi.Write(x, buf, 1, &n); },
        [&](Dev_Handle x) { return r.vi.Cycle_Port(x); },
    };
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i](old), Ft_Invalid_Handle) << "call " << i;
        EXPECT_EQ(calls[i](0), Ft_Invalid_Handle) << "call " << i;
    }
    for (size_t i = 0; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i](r.h), Ft_Ok) << "call " << i;
}

TEST(VirtualLink, ReadWaitsForTheTimeOutOnTheDeviceClock) {
    Rig r;
    r.vi.Advance(100ms);
    r.Read_Queued();  // the start-up marker
    uint8_t buf[100];
    uint32_t got = 7;
    const int64_t before = r.vi.Now_Ns();
    ASSERT_EQ(r.vi.Read(r.h, buf, sizeof buf, &got), Ft_Ok);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(r.vi.Now_Ns() - before, 500'000'000);
}

TEST(VirtualLink, StartupMarkerFollowsTheFirstOpen) {
    Rig r;
    r.vi.Purge(r.h, Purge_Rx);  // the host purges right after opening
    r.vi.Advance(100ms);
    EXPECT_EQ(r.Read_Queued(), (std::vector<uint8_t>{0xFF, 0x6F}));
    r.vi.Advance(2s);
    EXPECT_TRUE(r.Read_Queued().empty());  // nothing else until the FPGA is loaded
}

// ---------------------------------------------------------------------------
// device commands

TEST(VirtualDevice, AcknowledgesTheImage) {
    Rig r;
    r.Load();
    EXPECT_TRUE(r.st.FPGA_OK.load());
    EXPECT_FALSE(r.st.Err_FPGA_Config.load());
    EXPECT_EQ(r.st.FPGA_Version.load(), Device_Calibration{}.fpga_version);
    EXPECT_EQ(r.st.Firmware_Version.load(), Device_Calibration{}.firmware_version);
    EXPECT_TRUE(r.vi.FPGA_Loaded());
}

struct Image_Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
};

class BadImage : public ::testing::TestWithParam<Image_Case> {};

TEST_P(BadImage, GetsNoAnswer) {
    Rig r;
    std::vector<uint8_t> image = Builtin_FPGA_Image();
    GetParam().spoil(image);
    r.Load(image);
    EXPECT_FALSE(r.st.FPGA_OK.load());
    EXPECT_TRUE(r.st.Err_FPGA_Config.load());
    EXPECT_FALSE(r.vi.FPGA_Loaded());
    r.Configure();
    r.Run(200ms);
    EXPECT_EQ(r.vi.Frames_Built(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Images, BadImage,
    ::testing::Values(Image_Case{"NoSyncHeader", [](std::vector<uint8_t>& im) { im[5] ^= 0x01; }},
                      Image_Case{"Truncated", [](std::vector<uint8_t>& im) { im.resize(im.size() - 100); }},
                      Image_Case{"Empty", [](std::vector<uint8_t>& im) { im.clear(); }}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(VirtualDevice, NoFramesUntilConfiguredAfterTheLoad) {
    Rig r;
    r.Configure();  // before the FPGA: nobody takes it
    r.Load();
    r.Run(300ms);
    EXPECT_EQ(r.vi.Frames_Built(), 0u);
    EXPECT_FALSE(r.vi.Configured());
    r.Configure();
    r.Run(300ms);
    EXPECT_GT(r.st.Frames_Received.load(), 0u);
}

// Raw configuration blocks that must be ignored as a whole.
struct Block_Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;  // on the block before nibble coding
};

class BadBlock : public ::testing::TestWithParam<Block_Case> {};

TEST_P(BadBlock, IsIgnored) {
    Rig r;
    r.Load();
    Compute_Params(r.s, r.p);
    std::array<uint8_t, Max_Config_Block> raw{};
    const int len = Build_Config_Block(r.p, 1, {}, raw);
    std::vector<uint8_t> block(raw.begin(), raw.begin() + len);
    GetParam().spoil(block);
    std::vector<uint8_t> wire = {Cmd_Config};
    wire.resize(1 + 2 * block.size());
    Nibble_Code(block, wire.data() + 1);
    uint32_t written = 0;
    ASSERT_EQ(r.vi.Write(r.h, wire.data(), static_cast<uint32_t>(wire.size()), &written), Ft_Ok);
    r.vi.Advance(500ms);
    EXPECT_FALSE(r.vi.Configured());
    EXPECT_EQ(r.vi.Frames_Built(), 0u);
    EXPECT_EQ(r.vi.Register(0, 24), 0);
}

// Recomputes the check byte after a change, so only the named fault remains.
void Fix_Check(std::vector<uint8_t>& b) {
    uint8_t x = 0;
    for (size_t i = 0; i + 1 < b.size(); ++i) x ^= b[i];
    b.back() = x;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, BadBlock,
    ::testing::Values(
        Block_Case{"BadCheckByte", [](std::vector<uint8_t>& b) { b.back() ^= 0x10; }},
        Block_Case{"Truncated", [](std::vector<uint8_t>& b) { b.resize(b.size() - 4); }},
        Block_Case{"RegisterOutOfBank",
                   [](std::vector<uint8_t>& b) {
                       b[3] = 1;   // section 1 (two registers) moved to bank 1 ...
                       b[4] = 31;  // ... from register 31: past its end
                       Fix_Check(b);
                   }},
        Block_Case{"TooManySections", [](std::vector<uint8_t>& b) { b[1] += 1; Fix_Check(b); }},
        Block_Case{"UnknownBank", [](std::vector<uint8_t>& b) { b[3] = 2; Fix_Check(b); }}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(VirtualDevice, StatusBlockMirrorsRegistersAndDeviceValues) {
    Rig r;
    r.Start();
    r.st.Serial_New[0] = 0x12;
    r.st.Serial_New[1] = 0x34;
    r.st.Serial_New[2] = 0x56;
    r.st.Serial_New[3] = 0x78;
    r.st.Serial_New[4] = 0xA5;
    r.st.Serial_Send_Request = true;
    r.st.TDC_Set_Rise = 19;
    r.st.TDC_Set_Fall = 22;
    r.st.TDC_Send_Request = true;
    r.Configure();
    r.Next_Frame();
    std::lock_guard lock(r.st.Data_Mutex);
    const Status_Values& sv = r.st.Status;
    EXPECT_TRUE(sv.Serial_Valid);
    EXPECT_EQ(sv.Serial_Bytes, (std::array<uint8_t, 5>{0x12, 0x34, 0x56, 0x78, 0xA5}));
    EXPECT_TRUE(sv.TDC_Valid);
    EXPECT_EQ(sv.TDC_Rise_Read, 19);
    EXPECT_EQ(sv.TDC_Fall_Read, 22);
    EXPECT_EQ(sv.Vcc_10mV, 502);  // 5.02 V
    EXPECT_TRUE(sv.Vcc_Present);
    EXPECT_EQ(r.vi.Register(0, 24), r.p.Gain_Byte);
    EXPECT_EQ(r.vi.Register(0, 25), r.st.Seq_Counter.load());
}

TEST(VirtualDevice, IdentityAndTdcValuesBeforeAnyWrite) {
    Rig r;
    r.Start();
    r.Next_Frame();
    std::lock_guard lock(r.st.Data_Mutex);
    EXPECT_EQ(r.st.Status.Serial_Bytes, (std::array<uint8_t, 5>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(r.st.Status.TDC_Rise_Read, Device_Calibration{}.tdc_rise_steps);
    EXPECT_EQ(r.st.Status.TDC_Fall_Read, Device_Calibration{}.tdc_fall_steps);
}

TEST(VirtualDevice, SameSeedSameStream) {
    auto stream = [] {
        Rig r;
        r.Start();
        r.vi.Advance(200ms);
        return r.Read_Queued();
    };
    const auto a = stream(), b = stream();
    EXPECT_GT(a.size(), 1000u);
    EXPECT_EQ(a, b);
}

// ---------------------------------------------------------------------------
// acquisition end to end

TEST(VirtualAcquisition, FramesCarryTheCurrentSequenceNumber) {
    Rig r;
    r.Start();
    Frame_Data f = r.Next_Frame();
    EXPECT_EQ(f.Info.Frame_Count, 1000);
    EXPECT_EQ(r.st.CRC_Errors.load(), 0u);

    // A new configuration: the frames still in flight are dropped, the
    // next decoded one has the new record length.
    r.s.Smpl_N = 1;  // 2500 points
    r.Configure();
    f = r.Next_Frame();
    EXPECT_EQ(f.Info.Frame_Count, 2500);
    EXPECT_EQ(r.vi.Register(0, 25), r.st.Seq_Counter.load());
}

struct Trigger_Case {
    const char* name;
    bool falling;
    int time_div;
    int record;
};

class SineTrigger : public ::testing::TestWithParam<Trigger_Case> {};

TEST_P(SineTrigger, CrossesTheLevelAtThePreTriggerIndex) {
    const Trigger_Case& c = GetParam();
    Rig r;
    r.s.Trig_Edge = c.falling;
    r.s.Time_Div = c.time_div;
    r.s.Smpl_N = c.record;
    r.Start();
    for (int k = 0; k < 3; ++k) {
        const Frame_Data f = r.Next_Frame();
        ASSERT_EQ(f.Info.Trig_Mark, 1);
        const int ti = f.Info.Trig_Index;
        EXPECT_EQ(ti, r.p.Pre_Count);
        const int32_t before = f.Smpl_Buf_A[static_cast<size_t>(ti)];
        const int32_t after = f.Smpl_Buf_A[static_cast<size_t>(ti + 1)];
        if (!c.falling) {
            EXPECT_LE(before, r.p.Thr_High);
            EXPECT_GT(after, r.p.Thr_High);
        } else {
            EXPECT_GE(before, r.p.Thr_Low);
            EXPECT_LT(after, r.p.Thr_Low);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, SineTrigger,
                         ::testing::Values(Trigger_Case{"Rising1mS", false, Time_Step_1mS, 0},
                                           Trigger_Case{"Falling1mS", true, Time_Step_1mS, 0},
                                           Trigger_Case{"Rising02mS8000", false, Time_Step_1mS + 2, 3},
                                           Trigger_Case{"Falling10mS2500", true, Time_Step_1mS - 3, 1}),
                         [](const auto& tp) { return std::string(tp.param.name); });

TEST(VirtualAcquisition, NormalModeWaitsAutoModeDoesNot) {
    Rig r;
    r.s.Trig_Level = 250;  // above the signal: never reached
    r.Start();
    r.Run(500ms);
    EXPECT_EQ(r.st.Frames_Received.load(), 0u);

    r.s.Auto = true;
    r.Configure();
    const Frame_Data f = r.Next_Frame();
    EXPECT_EQ(f.Info.Trig_Mark, 0);  // the frame has no trigger point
}

TEST(VirtualAcquisition, NthEdgeTakesNPeriods) {
    // Frames per second of a 1 kHz sine triggered on every N-th edge.
    auto frames_per_second = [](int n) {
        Rig r;
        r.s.Time_Div = Time_Step_1mS + 6;  // 20 uS/div: short records
        r.s.Trig_N = n;
        r.Start();
        r.Run(1s);
        return r.st.Frames_Received.load();
    };
    // N = 1: the frame takes 1.4 ms to record and send, so every other
    // period triggers; N = 10: ten periods after re-arming, plus one.
    const uint32_t one = frames_per_second(1), ten = frames_per_second(10);
    EXPECT_GE(one, 490u);
    EXPECT_LE(one, 501u);
    EXPECT_GE(ten, 89u);
    EXPECT_LE(ten, 92u);
}

TEST(VirtualAcquisition, ExternalSourceTriggersOnTheGeneratorLevel) {
    Rig r;
    r.s.Trig_Ext = true;
    r.s.ExtTrig = true;  // trigger-input bits in the frames
    r.s.Time_Div = Time_Step_1mS + 5;  // 50 uS/div
    r.Start();
    const Frame_Data f = r.Next_Frame();
    EXPECT_EQ(f.Info.Trig_Mark, 2);
    EXPECT_EQ(f.Info.Ext_Trace, 1);
    const int ti = f.Info.Trig_Index;
    EXPECT_EQ(f.Trig_Buf_A[static_cast<size_t>(ti)], 4);    // low before the edge
    EXPECT_EQ(f.Trig_Buf_A[static_cast<size_t>(ti + 1)], 28);  // high after it
}

TEST(VirtualAcquisition, PeakDetectFramesHoldMinMaxPairs) {
    Rig r;
    r.s.Smpl_PeakDet = true;
    r.s.Gen_Range = Gen_100K_100mS;
    r.s.F_fast = 1000;  // 100 kHz: every pair of 20 us spans two periods
    r.s.Trig_On = false;
    r.Start();
    const Frame_Data f = r.Next_Frame();
    EXPECT_EQ(f.Info.Peak_Det, 1);
    ASSERT_EQ(f.Info.Smpl_Count, 500);
    for (int i = 0; i < 500; ++i) {
        ASSERT_LE(f.Smpl_Buf_A[static_cast<size_t>(i)], f.Smpl_Buf_B[static_cast<size_t>(i)]) << i;
        EXPECT_GT(f.Smpl_Buf_B[static_cast<size_t>(i)] - f.Smpl_Buf_A[static_cast<size_t>(i)], 140) << i;
    }
}

TEST(VirtualAcquisition, RollFramesFillTheRingAndWrap) {
    Rig r;
    r.s.Time_Div = Time_Step_100mS;  // 1 ms per sample, 1000 samples: a 1 s ring
    r.s.Trig_On = false;
    r.Start();
    ASSERT_TRUE(r.p.Trig_Flags & 0x10);

    int last = -1;
    for (int k = 0; k < 5; ++k) {  // before the wrap: the ring grows
        const Frame_Data f = r.Next_Frame();
        EXPECT_EQ(f.Info.Ring_Flag, 1);
        EXPECT_EQ(f.Info.Smpl_Count, f.Info.Ring_Pos);
        EXPECT_GT(f.Info.Ring_Pos, last);
        EXPECT_LT(f.Info.Ring_Pos, 1000);
        last = f.Info.Ring_Pos;
    }
    r.Run(1s);
    const Frame_Data f = r.Next_Frame();
    EXPECT_EQ(f.Info.Smpl_Count, 1000);  // wrapped: the whole ring
    EXPECT_LT(f.Info.Ring_Pos, 1000);
    EXPECT_GT(f.Info.Ring_Pos, 0);
}

// The record of scroll samples sent holds exactly the ring samples new in
// each roll frame: what a host taking each frame's bytes from the previous
// write position up to the new one receives, across wraps of the ring and
// a change of the sample interval (which restarts the ring).
TEST(VirtualAcquisition, ScrollRecordHoldsTheNewRingSamplesOfEachFrame) {
    for (const bool peak : {false, true}) {
        SCOPED_TRACE(peak ? "peak detect" : "normal");
        Rig r;
        r.s.Time_Div = Time_Step_100mS;  // a 1 s ring
        r.s.Trig_On = false;
        r.s.Smpl_PeakDet = peak;
        r.Start();
        r.vi.Keep_Scroll_Record(true);
        std::vector<uint8_t> host;
        const auto take = [&] {
            std::lock_guard lock(r.st.Data_Mutex);
            host.insert(host.end(), r.st.Rec_Buffer.begin(), r.st.Rec_Buffer.begin() + r.st.Rec_Count);
            r.st.Rec_Count = 0;
        };
        r.st.Rec_Active = true;
        r.Next_Frame();  // the position only
        take();
        const size_t from = r.vi.Scroll_Samples().frame_ends.at(0);
        for (int k = 0; k < 80; ++k) {  // two turns of the ring, then one of the new one
            r.Next_Frame();
            take();
            if (k == 40) {
                r.s.Time_Div = Time_Step_100mS - 1;  // 0.2 s/div: another interval, a new ring
                r.Configure();
            }
        }
        const Virtual_Instrument::Scroll_Record rec = r.vi.Scroll_Samples();
        ASSERT_EQ(rec.frame_ends.size(), 81u);  // the first frame and eighty more
        ASSERT_EQ(host.size(), rec.bytes.size() - from);
        EXPECT_TRUE(std::equal(host.begin(), host.end(), rec.bytes.begin() + static_cast<std::ptrdiff_t>(from)));
        EXPECT_GT(host.size(), 2900u);
    }
}

struct Wave_Case {
    const char* name;
    int wave;
    double mean_abs;  // mean |v| / amplitude over whole periods
};

class Waveforms : public ::testing::TestWithParam<Wave_Case> {};

TEST_P(Waveforms, ShapeAndAmplitude) {
    const Wave_Case& c = GetParam();
    Rig r;
    r.s.Gen_Wave = c.wave;
    r.s.Trig_On = false;
    r.s.Smpl_N = 3;  // 8000 points over 10 ms: ten periods
    r.Start();
    const Frame_Data f = r.Next_Frame();
    const auto v = Samples(f);
    ASSERT_EQ(v.size(), 8000u);
    const double mid = (*std::max_element(v.begin(), v.end()) + *std::min_element(v.begin(), v.end())) / 2.0;
    const double amp_codes = (511 - 200) * 0.008 * 32.0;
    double sum = 0;
    for (int32_t x : v) sum += std::fabs(x - mid);
    EXPECT_NEAR(sum / static_cast<double>(v.size()) / amp_codes, c.mean_abs, 0.03);
    EXPECT_NEAR(*std::max_element(v.begin(), v.end()) - mid, amp_codes, 2.0);
    if (c.wave == Wave_Up_Trian || c.wave == Wave_Dn_Trian) {
        // Over 40 samples a ramp moves by 8 codes, except across its jump.
        int up = 0, down = 0;
        for (size_t i = 40; i < v.size(); ++i) {
            up += v[i] > v[i - 40] + 4;
            down += v[i] < v[i - 40] - 4;
        }
        EXPECT_EQ(up > 10 * down, c.wave == Wave_Up_Trian);
        EXPECT_EQ(down > 10 * up, c.wave == Wave_Dn_Trian);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, Waveforms,
                         ::testing::Values(Wave_Case{"Sine", Wave_Sin, 2.0 / std::numbers::pi},
                                           Wave_Case{"Rect", Wave_Rect, 1.0},
                                           Wave_Case{"Triangle", Wave_Trian, 0.5},
                                           Wave_Case{"RampUp", Wave_Up_Trian, 0.5},
                                           Wave_Case{"RampDown", Wave_Dn_Trian, 0.5}),
                         [](const auto& tp) { return std::string(tp.param.name); });

// Generator modes, each with a property of the looped-back trace.
struct Mode_Case {
    const char* name;
    std::function<void(Scope_Settings&)> set;
    std::function<void(const std::vector<int32_t>&, double zero)> check;
};

class GeneratorModes : public ::testing::TestWithParam<Mode_Case> {};

TEST_P(GeneratorModes, ShowOnTheInput) {
    Rig r;
    r.s.Trig_On = false;
    GetParam().set(r.s);
    r.Start();
    const auto v = Samples(r.Next_Frame());
    ASSERT_EQ(v.size(), 1000u);
    const Device_Calibration cal;
    const double zero = (cal.z_p1 + (r.p.Offset_DAC - 1360.0) * (cal.z_p2 - cal.z_p1) / 1680.0) / 16.0;
    GetParam().check(v, zero);
}

double Mean(const std::vector<int32_t>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

// Sign changes about `mid` in samples [from, to).
int Crossings(const std::vector<int32_t>& v, size_t from, size_t to, double mid) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i) n += (v[i] > mid) != (v[i - 1] > mid);
    return n;
}

void Pulse_1ms_25(Scope_Settings& s) {
    s.Gen_Mode_Button = Gen_Mode_Sel::Pulse;
    s.Gen_Range = Gen_10M_1mS;  // pulse times x 100 ticks
    s.F_fast = 250;              // width 250 us
    s.F_slow = 1000;             // period 1 ms
}

INSTANTIATE_TEST_SUITE_P(
    Modes, GeneratorModes,
    ::testing::Values(
        Mode_Case{"PulseDuty",
                  [](Scope_Settings& s) { Pulse_1ms_25(s); },
                  [](const std::vector<int32_t>& v, double zero) {
                      const double high = static_cast<double>(std::count_if(
                          v.begin(), v.end(), [&](int32_t x) { return x > zero; }));
                      EXPECT_NEAR(high / static_cast<double>(v.size()), 0.25, 0.01);
                      // DC coupled: the mean sits half an amplitude below zero
                      EXPECT_NEAR(Mean(v) - zero, -0.5 * 311 * 0.008 * 32, 2.0);
                  }},
        Mode_Case{"PulseAcCoupled",
                  [](Scope_Settings& s) {
                      Pulse_1ms_25(s);
                      s.ACDC = true;
                  },
                  [](const std::vector<int32_t>& v, double zero) { EXPECT_NEAR(Mean(v), zero, 1.0); }},
        Mode_Case{"AmplitudeModulation",
                  [](Scope_Settings& s) {
                      s.Gen_Mode_Button = Gen_Mode_Sel::Mod;
                      s.Mod_Type = 0;    // AM, 70 %
                      s.Mod_Freq = 10;   // 100 Hz: one period per frame
                      s.F_fast = 100;    // 1 kHz carrier, 100 samples a period
                      s.Ampl = 300;      // 1.688 V
                  },
                  [](const std::vector<int32_t>& v, double zero) {
                      const double a = 211 * 0.008 * 32;
                      EXPECT_NEAR(*std::max_element(v.begin(), v.end()) - zero, 1.7 * a, 3.0);
                      EXPECT_NEAR(zero - *std::min_element(v.begin(), v.end()), 1.7 * a, 3.0);
                  }},
        Mode_Case{"Sweep",
                  [](Scope_Settings& s) {
                      s.Gen_Mode_Button = Gen_Mode_Sel::Sweep;
                      s.F_fast = 100;   // from 1 kHz
                      s.F_slow = 1000;  // to 10 kHz over the post-trigger part
                  },
                  [](const std::vector<int32_t>& v, double zero) {
                      const int first = Crossings(v, 100, 200, zero), last = Crossings(v, 900, 1000, zero);
                      EXPECT_GE(first, 1);
                      EXPECT_GE(last, 5 * first);
                  }},
        Mode_Case{"FrequencyModulation",
                  [](Scope_Settings& s) {
                      s.Gen_Mode_Button = Gen_Mode_Sel::Mod;
                      s.Mod_Type = 1;    // FM
                      s.Mod_Freq = 10;   // 100 Hz: one period per frame
                      s.Dev_Freq = 50;   // +-500 Hz about the 1 kHz carrier
                      s.F_fast = 100;
                  },
                  [](const std::vector<int32_t>& v, double zero) {
                      // The carrier runs fast in one half of the frame and slow in
                      // the other; an unmodulated one crosses 5 times per quarter.
                      int lo = 1 << 30, hi = 0;
                      for (size_t q = 0; q < 4; ++q) {
                          const int c = Crossings(v, q * 250, q * 250 + 250, zero);
                          lo = std::min(lo, c);
                          hi = std::max(hi, c);
                      }
                      EXPECT_GE(hi - lo, 3) << lo << ".." << hi;
                  }},
        Mode_Case{"Noise",
                  [](Scope_Settings& s) { s.Gen_Range = Gen_10uS_Noise; },
                  [](const std::vector<int32_t>& v, double zero) {
                      // Wide-band noise: no period, sample-to-sample steps as large
                      // as the spread itself.
                      const double mean = Mean(v);
                      double var = 0, step = 0;
                      for (size_t i = 0; i < v.size(); ++i) {
                          var += (v[i] - mean) * (v[i] - mean);
                          if (i) step += std::abs(v[i] - v[i - 1]);
                      }
                      const double sd = std::sqrt(var / v.size());
                      EXPECT_GT(sd, 10.0);
                      EXPECT_GT(step / (v.size() - 1), 0.8 * sd);
                      EXPECT_GT(Crossings(v, 0, v.size(), mean), 300);
                      (void)zero;
                  }}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(VirtualAcquisition, GeneratorOffIsFlatAndNeverClipsTo255) {
    Rig r;
    r.s.Gen_On = false;
    r.s.Trig_On = false;
    r.Start();
    const Frame_Data f = r.Next_Frame();
    const auto v = Samples(f);
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    EXPECT_LE(*hi - *lo, 3);
    EXPECT_GE(f.Info.Vpp_Code, 0);

    // Full amplitude at 50 mV/div clips at both ends, 254 at the top.
    r.s.Gen_On = true;
    r.s.Ampl = 11;
    r.s.Volts_Div = 5;
    r.Configure();
    const Frame_Data g = r.Next_Frame([](const Frame_Data& x) { return x.Info.Frame_uV_Div == 50000; });
    const auto w = Samples(g);
    EXPECT_EQ(*std::max_element(w.begin(), w.end()), 254);
    EXPECT_EQ(*std::min_element(w.begin(), w.end()), 0);
    EXPECT_EQ(g.Info.Vpp_Code, -1);
}

// The zero level follows the offset DAC through this device's own
// calibration points, as the zero calibration measures it.
struct Zero_Case {
    int volts_div;
    uint16_t dac;
};

class ZeroLevel : public ::testing::TestWithParam<Zero_Case> {};

TEST_P(ZeroLevel, FollowsTheDeviceCalibration) {
    const Zero_Case& c = GetParam();
    Rig r;
    r.s.Gen_On = false;
    r.s.Trig_On = false;
    r.s.ACDC = true;
    r.s.Volts_Div = c.volts_div;
    r.Load();
    Compute_Params(r.s, r.p);
    r.p.Offset_DAC = c.dac;
    Send_Config(r.vi, r.st, r.p);
    const Frame_Data f = r.Next_Frame();
    const double mean16 = 16.0 * f.Info.Sum_Code / f.Info.Sum_N;
    const Device_Calibration cal;
    const double expect = cal.z_p1 + (c.dac - 1360.0) * (cal.z_p2 - cal.z_p1) / 1680.0 +
                          cal.input_offset * 50000.0 / Volts_Steps[static_cast<size_t>(c.volts_div)].uv;
    EXPECT_NEAR(mean16, expect, 2.0);
}

INSTANTIATE_TEST_SUITE_P(Points, ZeroLevel,
                         ::testing::Values(Zero_Case{0, 1360}, Zero_Case{0, 3040}, Zero_Case{5, 2200},
                                           Zero_Case{1, 2206}));

struct Freq_Case {
    const char* name;
    int range, fast, slow, fm_input;
};

class FrequencyMeter : public ::testing::TestWithParam<Freq_Case> {};

TEST_P(FrequencyMeter, ReadsTheGeneratorWithinTheGateResolution) {
    const Freq_Case& c = GetParam();
    Rig r;
    r.s.Gen_Range = c.range;
    r.s.F_fast = c.fast;
    r.s.F_slow = c.slow;
    r.s.FM_Input = c.fm_input;
    r.s.Trig_On = false;
    r.Start();
    const Frame_Data f = r.Next_Frame();
    ASSERT_GT(f.Info.FM_Gate, 0);
    EXPECT_EQ(f.Info.Frame_FM_Input, c.fm_input);
    double read = (f.Info.FM_Count - 1) * 1e8 / f.Info.FM_Gate;
    if (c.fm_input == 2) read *= 8;
    // The counter's time base runs fast by the device's known error.
    const double gen = static_cast<double>(r.p.Gen_Word1) * 1e8 / 1099511627776.0 /
                       (1.0 + Device_Calibration{}.counter_ppm * 1e-6);
    const double resolution = gen / f.Info.FM_Gate * (c.fm_input == 2 ? 8 : 1);
    EXPECT_NEAR(read, gen, resolution + 1e-6) << "set " << r.p.Gen_Freq / 10.0 << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Inputs, FrequencyMeter,
                         ::testing::Values(Freq_Case{"Low1kHz", Gen_10K_1S, 100, 0, 0},
                                           Freq_Case{"Odd537kHz", Gen_1M_10mS, 537, 21, 1},
                                           Freq_Case{"Slow10Hz", Gen_10K_1S, 1, 0, 0},
                                           Freq_Case{"Hf7MHz", Gen_10M_1mS, 712, 345, 2}),
                         [](const auto& tp) { return std::string(tp.param.name); });

TEST(VirtualAcquisition, NoFrequencyReadingWithTheGeneratorOff) {
    Rig r;
    r.s.Gen_On = false;
    r.s.Trig_On = false;
    r.Start();
    EXPECT_EQ(r.Next_Frame().Info.FM_Gate, 0);
}

// The frame rate follows the record time and the link, whichever is slower.
struct Rate_Case {
    const char* name;
    int time_div;
    int record;
    bool slow_link;
    uint32_t min_frames, max_frames;  // in one second
};

class FrameRate : public ::testing::TestWithParam<Rate_Case> {};

TEST_P(FrameRate, FollowsRecordTimeAndLink) {
    const Rate_Case& c = GetParam();
    Rig r;
    r.s.Trig_On = false;
    r.s.Time_Div = c.time_div;
    r.s.Smpl_N = c.record;
    r.vi.Set_Slow_Link(c.slow_link);
    r.Start();
    r.Run(1s, 1ms);
    EXPECT_GE(r.st.Frames_Received.load(), c.min_frames);
    EXPECT_LE(r.st.Frames_Received.load(), c.max_frames);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, FrameRate,
    ::testing::Values(
        // 10 ms/div: 100 ms per record
        Rate_Case{"Record10mS", Time_Step_1mS - 3, 0, false, 9, 10},
        // 1 us/div, 1000 points: 1195 bytes per frame at 1 MB/s
        Rate_Case{"Link1us", Time_Step_1mS + 9, 0, false, 820, 830},
        // the same at 100 kB/s
        Rate_Case{"SlowLink1us", Time_Step_1mS + 9, 0, true, 80, 84},
        // 8000 points: 8195 bytes
        Rate_Case{"Link8000", Time_Step_1mS + 9, 3, false, 115, 121}),
    [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// faults

struct Fault_Case {
    const char* name;
    std::function<void(Rig&)> fault;
    std::function<bool(Rig&)> raised;
};

class Faults : public ::testing::TestWithParam<Fault_Case> {};

TEST_P(Faults, RaiseTheExpectedFlag) {
    Rig r;
    r.Start();
    r.Next_Frame();
    EXPECT_EQ(r.st.CRC_Errors.load(), 0u);
    GetParam().fault(r);
    r.Run(500ms);
    EXPECT_TRUE(GetParam().raised(r));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Faults,
    ::testing::Values(
        Fault_Case{"PowerCycle", [](Rig& r) { r.vi.Power_Cycle(); },
                   [](Rig& r) { return r.st.Err_Power_Fail.load(); }},
        Fault_Case{"CorruptCheckBytes", [](Rig& r) { r.vi.Corrupt_Check_Bytes(3); },
                   [](Rig& r) {
                       return r.st.CRC_Errors.load() == 3 && !r.st.Err_FPGA_Lost.load() &&
                              r.st.Frames_Received.load() > 3;
                   }},
        Fault_Case{"LoseFpgaConfig", [](Rig& r) { r.vi.Lose_FPGA_Config(); },
                   [](Rig& r) { return r.st.Err_FPGA_Lost.load(); }},
        Fault_Case{"Unplug", [](Rig& r) { r.vi.Unplug(); },
                   [](Rig& r) {
                       uint32_t n = 7;
                       return r.vi.Get_Queue_Status(r.h, &n) != Ft_Ok && r.vi.List_Count(&n) == Ft_Ok &&
                              n == 0;
                   }}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(VirtualFaults, ReplugNeedsANewOpenAndAFreshLoad) {
    Rig r;
    r.Start();
    r.Next_Frame();
    r.vi.Unplug();
    r.vi.Replug();
    uint32_t n = 0;
    EXPECT_EQ(r.vi.Get_Queue_Status(r.h, &n), Ft_Invalid_Handle);
    r.vi.Advance(1s);
    r.Open();
    EXPECT_FALSE(r.vi.FPGA_Loaded());
    r.st.FPGA_OK = false;
    r.Start();
    r.st.Frames_Received = 0;
    r.Next_Frame();
}

TEST(VirtualFaults, PortResetRecoveryAsTheSupervisionRunsIt) {
    Rig r;
    r.Start();
    r.Next_Frame();
    r.vi.Power_Cycle();
    r.Run(100ms);
    ASSERT_TRUE(r.st.Err_Power_Fail.load());

    // Clear the flags, reset the port, wait, re-open, wait for the device
    // to announce itself, then load and configure again.
    r.st.FPGA_OK = false;
    r.st.Err_Power_Fail = false;
    r.st.Device_Alive = false;
    ASSERT_EQ(r.vi.Cycle_Port(r.h), Ft_Ok);
    uint32_t n = 0;
    EXPECT_EQ(r.vi.List_Count(&n), Ft_Ok);
    EXPECT_EQ(n, 0u);  // re-enumerating
    r.vi.Advance(1500ms);
    r.Open();
    r.Run(1200ms, 20ms);
    EXPECT_TRUE(r.st.Device_Alive.load());
    EXPECT_FALSE(r.st.Err_Power_Fail.load());
    r.Start();
    r.st.Frames_Received = 0;
    r.Next_Frame();
    EXPECT_FALSE(r.st.Err_Power_Fail.load());
}

TEST(VirtualFaults, PortResetKeepsTheFpga) {
    Rig r;
    r.Start();
    r.Next_Frame();
    ASSERT_EQ(r.vi.Cycle_Port(r.h), Ft_Ok);
    EXPECT_TRUE(r.vi.FPGA_Loaded());
    EXPECT_TRUE(r.vi.Configured());
}

// ---------------------------------------------------------------------------
// real clock

TEST(VirtualRealClock, EventAndFramesFromTwoThreads) {
    Acq_State st;  // its event outlives the handle
    auto vi = Make_Virtual_Instrument();
    Device_Params p;
    Scope_Settings s = Rig::Sine_Settings();
    s.Time_Div = Time_Step_1mS + 6;
    Dev_Handle h = 0;
    ASSERT_EQ(vi->Open_By_Location(Virtual_Instrument::Location_Id, &h), Ft_Ok);
    st.Handle = h;
    st.Run_State = true;
    vi->Set_Latency_Timer(h, 3);
    vi->Set_Event_Notification(h, Event_Rx_Char, &st.Rx_Event);
    Load_FPGA(*vi, st, Builtin_FPGA_Image(), [](int) {});
    ASSERT_TRUE(st.FPGA_OK.load());
    Compute_Params(s, p);
    Send_Config(*vi, st, p);

    std::atomic<bool> stop{false};
    std::thread checker([&] {  // the GUI thread's link checks
        uint32_t n = 0;
        while (!stop.load()) {
            EXPECT_EQ(vi->Get_Queue_Status(h, &n), Ft_Ok);
            std::this_thread::sleep_for(1ms);
        }
    });
    const auto give_up = std::chrono::steady_clock::now() + 10s;
    while (st.Frames_Received.load() < 20 && std::chrono::steady_clock::now() < give_up) {
        st.Rx_Event.Wait_For(100ms);
        st.Rx_Event.Reset();
        Receive_Step(*vi, st, p);
    }
    stop = true;
    checker.join();
    EXPECT_EQ(vi->Close(h), Ft_Ok);
    EXPECT_GE(st.Frames_Received.load(), 20u);
    EXPECT_EQ(st.CRC_Errors.load(), 0u);
}

}  // namespace
}  // namespace tovan
