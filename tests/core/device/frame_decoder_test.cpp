#include "device/frame_decoder.h"

#include <gtest/gtest.h>

#include "device/device_commands.h"
#include "support/stub_usb_link.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "common/sinc_interp.h"
#include "device/frame_builder.h"

namespace tovan {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t Seq = 3;
constexpr uint8_t F_Trig_Bits = 0x01, F_Falling = 0x02, F_External = 0x04, F_One_Value = 0x08,
                  F_Roll = 0x10, F_No_Trigger = 0x40;
constexpr uint16_t B14 = 0x4000, B15 = 0x8000;

Status_Block Make_Status(uint16_t word, uint8_t flags, uint8_t seq = Seq) {
    Status_Block s{};
    s[0] = static_cast<uint8_t>(word);
    s[1] = static_cast<uint8_t>(word >> 8);
    s[2] = flags;
    s[25] = seq;
    return s;
}

// Distinct codes 1..250, never 0 or 254.
Bytes Pattern(int n) {
    Bytes c(n);
    for (int k = 0; k < n; ++k) c[k] = static_cast<uint8_t>(1 + (k * 7) % 250);
    return c;
}

Bytes Level_Pattern(int n) {
    Bytes l(n);
    for (int k = 0; k < n; ++k) l[k] = static_cast<uint8_t>((k / 3) & 1);
    return l;
}

// The frame on the wire; status byte 2 bit 0 chooses the layout (levels
// default to all low).
Bytes Wire(const Bytes& codes, const Status_Block& s, Bytes levels = {}) {
    Bytes data;
    uint8_t type = Frame_Type_Plain;
    if (s[2] & F_Trig_Bits) {
        type = Frame_Type_Trig_Bits;
        levels.resize(codes.size(), 0);
        for (size_t g = 0; g < codes.size() / 4; ++g) {
            uint8_t bits = 0;
            for (int q = 0; q < 4; ++q) {
                data.push_back(codes[4 * g + q]);
                bits |= static_cast<uint8_t>((levels[4 * g + q] & 1) << (3 - q));
            }
            data.push_back(bits);
        }
    } else {
        data = codes;
    }
    Bytes out(3 + data.size() + 192);
    out.resize(Build_Frame(type, data, s, out.data()));
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& b : parts) out.insert(out.end(), b.begin(), b.end());
    return out;
}

bool Same_Info(const Frame_Info& a, const Frame_Info& b) {
    return std::memcmp(a.data(), b.data(), sizeof(Frame_Info)) == 0;
}

class Decoder : public ::testing::Test {
protected:
    void SetUp() override {
        p.Record_Points = 1000;
        p.Pre_Count = 100;
        p.Post_Count = 900;
        p.Smpl_Divider = 400;
        p.Trig_Mode_Byte = 0;
        p.Volts_Div_uV = 500000;
        p.Zero_Level = 120;
        p.Trig_Code = 130;
        p.Gen_Freq = 10000;
        p.Sweep_Span = 500;
        p.Frame_PPM = -7;
        st->Seq_Counter = Seq;
        st->Run_State = true;
        st->FPGA_OK = true;  // frames come after a load
    }
    bool Feed(const Bytes& b) { return Parse_Bytes(*st, p, b); }
    const Frame_Info& Info() const { return st->Frame->Info; }
    const Frame_Data& Fr() const { return *st->Frame; }

    std::unique_ptr<Acq_State> st = std::make_unique<Acq_State>();
    Device_Params p;
};

// ---------------------------------------------------------------------------
// Check byte, counters, error markers

TEST_F(Decoder, CheckByteRules) {
    struct Case {
        const char* name;
        bool xor_ff;      // make the frame's XOR 0xFF (sent as 0xFE)
        int corrupt_check;  // XOR into the check byte
        uint32_t frames, crc;
    };
    const Case cases[] = {
        {"good", false, 0, 1, 0},
        {"bad check", false, 0x01, 0, 1},
        {"xor 0xFF sent as 0xFE", true, 0, 1, 0},
        {"xor 0xFF, check 0xFC", true, 0x02, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        st = std::make_unique<Acq_State>();
        SetUp();
        Bytes codes = Pattern(1000);
        const Status_Block s = Make_Status(0, F_One_Value);
        if (c.xor_ff) {
            uint8_t x = 0;  // raw XOR of the body, before the 0xFF substitution
            x ^= Frame_Type_Plain;
            for (uint8_t b : codes) x ^= b;
            for (uint8_t b : s) x ^= static_cast<uint8_t>((b & 0x0F) ^ (b >> 4));
            codes[0] ^= static_cast<uint8_t>(x ^ 0xFF);
            ASSERT_LT(codes[0], 0xFF);
        }
        Bytes w = Wire(codes, s);
        if (c.xor_ff) {
            ASSERT_EQ(w.back(), 0xFE);
        }
        w.back() ^= static_cast<uint8_t>(c.corrupt_check);
        EXPECT_TRUE(Feed(w));
        EXPECT_EQ(st->Frames_Total.load(), c.frames);
        EXPECT_EQ(st->Frames_Received.load(), c.frames);
        EXPECT_EQ(st->CRC_Errors.load(), c.crc);
        EXPECT_FALSE(st->Err_FPGA_Lost.load());
    }
}

TEST_F(Decoder, RepeatedBadXorMeansFpgaLost) {
    const Bytes good = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    Bytes bad = good;
    bad.back() ^= 0x01;
    Bytes other_codes(1000, 9);
    other_codes[0] = 10;
    Bytes other_bad = Wire(other_codes, Make_Status(0, F_One_Value));
    ASSERT_NE(other_bad.back(), good.back());
    other_bad.back() ^= 0x01;
    struct Case {
        const char* name;
        std::vector<const Bytes*> seq;
        bool lost;
        uint32_t crc, frames;
    };
    const Case cases[] = {
        // Second bad frame with the same XOR counts 1, the third reaches 2:
        // the good frame behind it in the same read is dropped.
        {"three equal bad", {&bad, &bad, &bad, &good}, true, 2, 0},
        {"two equal bad", {&bad, &bad, &good}, false, 2, 1},
        {"good resets", {&bad, &bad, &good, &bad, &good}, false, 3, 2},
        {"different bad", {&bad, &other_bad, &bad, &good}, false, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        st = std::make_unique<Acq_State>();
        SetUp();
        Bytes all;
        for (const Bytes* b : c.seq) all.insert(all.end(), b->begin(), b->end());
        EXPECT_EQ(Feed(all), !c.lost);
        EXPECT_EQ(st->Err_FPGA_Lost.load(), c.lost);
        EXPECT_EQ(st->CRC_Errors.load(), c.crc);
        EXPECT_EQ(st->Frames_Total.load(), c.frames);
        // After a drop the next read is parsed again.
        EXPECT_TRUE(Feed(good));
        EXPECT_EQ(st->Frames_Total.load(), c.frames + 1);
    }
}

// Before the FPGA is loaded (at start, or while a recovery waits for the
// device) repeated bad frames are neither link errors nor a lost FPGA.
TEST_F(Decoder, BadFramesBeforeTheLoadAreNoErrors) {
    Bytes bad = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    bad.back() ^= 0x01;
    const Bytes good = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    st->FPGA_OK = false;
    Bytes all;
    for (int i = 0; i < 6; ++i) all.insert(all.end(), bad.begin(), bad.end());
    all.insert(all.end(), good.begin(), good.end());
    EXPECT_TRUE(Feed(all));
    EXPECT_FALSE(st->Err_FPGA_Lost.load());
    EXPECT_EQ(st->CRC_Errors.load(), 0u);
    EXPECT_EQ(st->Frames_Total.load(), 1u);
}

// After a new configuration, frames of the old record length that were on
// their way fail their check; they are no link errors, nor a lost FPGA.
// Counting resumes with the first frame of the new configuration, and a
// device that keeps failing is still reported.
TEST_F(Decoder, OldFramesAfterAReconfigurationAreNoErrors) {
    Bytes old_frame = Wire(Pattern(2500), Make_Status(0, F_One_Value, Seq - 1));  // longer record
    const Bytes good = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    Bytes bad = good;
    bad.back() ^= 0x01;

    // Half a frame was parsed when the configuration went out.
    Feed(Bytes(good.begin(), good.begin() + 600));
    test_support::Stub_Usb_Link link;
    st->Seq_Counter = Seq - 1;
    Send_Config(link, *st, p);  // Seq_Counter becomes Seq
    EXPECT_TRUE(Feed(old_frame));
    EXPECT_TRUE(Feed(old_frame));
    EXPECT_TRUE(Feed(old_frame));
    EXPECT_EQ(st->CRC_Errors.load(), 0u);
    EXPECT_TRUE(Feed(good));
    EXPECT_EQ(st->Frames_Total.load(), 1u);
    EXPECT_TRUE(Feed(bad));
    EXPECT_EQ(st->CRC_Errors.load(), 1u);

    // A device that lost its configuration is still noticed after one.
    Send_Config(link, *st, p);
    int frames = 0;
    while (Feed(bad) && ++frames < 20) {
    }
    EXPECT_TRUE(st->Err_FPGA_Lost.load());
    EXPECT_GE(frames, Frame_Parser::Reconfig_Grace_Frames);
    EXPECT_LE(frames, Frame_Parser::Reconfig_Grace_Frames + 2);
}

TEST_F(Decoder, StartupMarker) {
    const Bytes marker = {0xFF, Frame_Type_Startup};
    const Bytes frame = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    for (bool fpga_ok : {false, true}) {
        SCOPED_TRACE(fpga_ok);
        st = std::make_unique<Acq_State>();
        SetUp();
        st->FPGA_OK = fpga_ok;
        EXPECT_EQ(Feed(Cat({marker, frame})), !fpga_ok);
        EXPECT_EQ(st->Device_Alive.load(), !fpga_ok);
        EXPECT_EQ(st->Err_Power_Fail.load(), fpga_ok);
        EXPECT_EQ(st->Frames_Total.load(), fpga_ok ? 0u : 1u);
    }
}

TEST_F(Decoder, OtherTypeBytesCarryNothing) {
    // An unknown type is followed by garbage until the next start.
    const Bytes frame = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    EXPECT_TRUE(Feed(Cat({{0xFF, 0x42, 1, 2, 3, 0xFE}, frame})));
    EXPECT_EQ(st->Frames_Total.load(), 1u);
    EXPECT_EQ(st->CRC_Errors.load(), 0u);
}

TEST_F(Decoder, TruncatedFramesResynchronise) {
    const Bytes frame = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    // Cut after the start, after the type, inside data, inside the status,
    // just before the check byte.
    for (size_t cut : {size_t{1}, size_t{2}, size_t{500}, size_t{1100}, frame.size() - 1}) {
        SCOPED_TRACE(cut);
        st = std::make_unique<Acq_State>();
        SetUp();
        const Bytes partial(frame.begin(), frame.begin() + static_cast<long>(cut));
        EXPECT_TRUE(Feed(Cat({partial, frame})));
        EXPECT_EQ(st->Frames_Total.load(), 1u);
        EXPECT_EQ(st->CRC_Errors.load(), 0u);
    }
}

TEST_F(Decoder, OlderSequenceIsDroppedSilently) {
    Status_Block old = Make_Status(0, F_One_Value, Seq - 1);
    old[62] = 0xFF;  // status values of a dropped frame are not taken
    old[63] = 0x03;
    EXPECT_TRUE(Feed(Wire(Pattern(1000), old)));
    EXPECT_EQ(st->Frames_Total.load(), 0u);
    EXPECT_EQ(st->CRC_Errors.load(), 0u);
    EXPECT_FALSE(st->Status.TDC_Valid);
    EXPECT_EQ(st->Status.Vcc_10mV, 0);
    EXPECT_FALSE(st->Redraw_Request.load());
    EXPECT_TRUE(Feed(Wire(Pattern(1000), Make_Status(0, F_One_Value))));
    EXPECT_EQ(st->Frames_Total.load(), 1u);
}

// ---------------------------------------------------------------------------
// Status values

TEST_F(Decoder, StatusValues) {
    struct Case {
        uint8_t lo, hi;
        int32_t vcc;
        bool present;
    };
    const Case cases[] = {
        {0, 0, 0, false},
        {177, 0, 100, false},   // 177 * 5830 / 10230 = 100.86
        {178, 0, 101, true},
        {0xFF, 0x03, 583, true},
        {0xFF, 0xFF, 37347, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vcc);
        Status_Block s = Make_Status(0, F_One_Value);
        s[62] = c.lo;
        s[63] = c.hi;
        s[64] = 17;
        s[65] = 23;
        for (int i = 0; i < 5; ++i) s[80 + i] = static_cast<uint8_t>(0x10 + i);
        s[48] = 0xFE;  // input 2
        s[49] = 0x78; s[50] = 0x56; s[51] = 0x34; s[52] = 0x12;
        s[53] = 0x00; s[54] = 0xE1; s[55] = 0xF5; s[56] = 0x05;  // 10^8
        ASSERT_TRUE(Feed(Wire(Pattern(1000), s)));
        EXPECT_EQ(st->Status.Vcc_10mV, c.vcc);
        EXPECT_EQ(st->Status.Vcc_Present, c.present);
        EXPECT_EQ(st->Status.TDC_Rise_Read, 17);
        EXPECT_EQ(st->Status.TDC_Fall_Read, 23);
        EXPECT_TRUE(st->Status.TDC_Valid);
        EXPECT_TRUE(st->Status.Serial_Valid);
        EXPECT_EQ(st->Status.Serial_Bytes, (std::array<uint8_t, 5>{0x10, 0x11, 0x12, 0x13, 0x14}));
        EXPECT_EQ(Info().Frame_FM_Input, 2);
        EXPECT_EQ(Info().FM_Count, 0x12345678);
        EXPECT_EQ(Info().FM_Gate, 100000000);
    }
}

TEST_F(Decoder, StoppedFrameGivesStatusOnly) {
    st->Run_State = false;
    Status_Block s = Make_Status(0, F_One_Value);
    s[64] = 19;
    EXPECT_TRUE(Feed(Wire(Pattern(1000), s)));
    EXPECT_EQ(st->Status.TDC_Rise_Read, 19);
    EXPECT_EQ(st->Frames_Total.load(), 0u);
    EXPECT_EQ(st->Frames_Received.load(), 0u);
    EXPECT_FALSE(st->Redraw_Request.load());
    EXPECT_FALSE(st->Frame_Ready.load());
    EXPECT_EQ(Fr().Smpl_Buf_A[0], No_Sample);
    EXPECT_EQ(Info().Smpl_Count, 0);
}

TEST_F(Decoder, SingleShotTakesOneFrame) {
    st->Single_State = true;
    Status_Block second = Make_Status(0, F_One_Value);
    second[64] = 21;
    EXPECT_TRUE(Feed(Cat({Wire(Pattern(1000), Make_Status(0, F_One_Value)),
                          Wire(Bytes(1000, 50), second)})));
    EXPECT_EQ(st->Frames_Total.load(), 1u);
    EXPECT_FALSE(st->Single_State.load());
    EXPECT_FALSE(st->Run_State.load());
    EXPECT_TRUE(st->Single_Done.load());
    EXPECT_TRUE(st->Redraw_Request.load());
    EXPECT_EQ(Fr().Smpl_Buf_A[0], Pattern(1000)[0]);  // the first frame stays
    EXPECT_EQ(st->Status.TDC_Rise_Read, 21);          // the second gave its status
}

TEST_F(Decoder, FlagsAndRecordOfADecodedFrame) {
    st->Frames_Total = 41;
    st->Frame->From_File = true;
    ASSERT_TRUE(Feed(Wire(Pattern(1000), Make_Status(0, F_One_Value))));
    EXPECT_TRUE(st->Activity_Flag.load());
    EXPECT_TRUE(st->Frame_Ready.load());
    EXPECT_TRUE(st->Shown_Flag.load());
    EXPECT_TRUE(st->Redraw_Request.load());
    EXPECT_FALSE(Fr().From_File);
    const Frame_Info& fi = Info();
    EXPECT_EQ(fi.Smpl_Period, 400);
    EXPECT_EQ(fi.Frame_uV_Div, 500000);
    EXPECT_EQ(fi.Frame_Zero, 120);
    EXPECT_EQ(fi.Frame_Count, 1000);
    EXPECT_EQ(fi.Trig_Index, 100);
    EXPECT_EQ(fi.Smpl_Count, 1000);
    EXPECT_EQ(fi.Ring_Flag, 0);
    EXPECT_EQ(fi.Peak_Det, 0);
    EXPECT_EQ(fi.Ext_Trace, 0);
    EXPECT_EQ(fi.Trig_Frac, 5);
    EXPECT_EQ(fi.Ext_Trig_Frac, 5);
    EXPECT_EQ(fi.Frame_Sweep_Span, 500);
    EXPECT_EQ(fi.Frame_Gen_Freq, 10000);
    EXPECT_EQ(fi.Frame_PPM, -7);
    EXPECT_EQ(fi.Frame_Trig_Code, 130);
    EXPECT_EQ(fi.Frame_No, 42);
}

// ---------------------------------------------------------------------------
// Layouts

TEST_F(Decoder, PlainAndTriggerBitLayouts) {
    const Bytes codes = Pattern(1000), levels = Level_Pattern(1000);
    for (bool bits : {false, true}) {
        SCOPED_TRACE(bits);
        const uint8_t f = static_cast<uint8_t>(F_One_Value | (bits ? F_Trig_Bits : 0));
        ASSERT_TRUE(Feed(Wire(codes, Make_Status(0, f), levels)));
        ASSERT_EQ(Info().Smpl_Count, 1000);
        EXPECT_EQ(Info().Ext_Trace, bits ? 1 : 0);
        for (int k = 0; k < 1000; ++k) {
            ASSERT_EQ(Fr().Smpl_Buf_A[k], codes[k]) << k;
            ASSERT_EQ(Fr().Smpl_Buf_B[k], codes[k]) << k;
            const int32_t t = bits ? (levels[k] ? 28 : 4) : No_Sample;
            ASSERT_EQ(Fr().Trig_Buf_A[k], t) << k;
            ASSERT_EQ(Fr().Trig_Buf_B[k], t) << k;
        }
        EXPECT_EQ(Fr().Smpl_Buf_A[1000], No_Sample);
        EXPECT_EQ(Fr().Trig_Buf_B[19999], No_Sample);
    }
}

TEST_F(Decoder, PeakDetectPairs) {
    const Bytes codes = Pattern(1000), levels = Level_Pattern(1000);
    ASSERT_TRUE(Feed(Wire(codes, Make_Status(0, F_Trig_Bits), levels)));
    const Frame_Info& fi = Info();
    EXPECT_EQ(fi.Smpl_Count, 500);
    EXPECT_EQ(fi.Peak_Det, 1);
    EXPECT_EQ(fi.Frame_Count, 50 + 450);
    EXPECT_EQ(fi.Trig_Index, 50);
    EXPECT_EQ(fi.Trig_Frac, 0);
    EXPECT_EQ(fi.Ext_Trig_Frac, 0);
    EXPECT_EQ(fi.Sum_N, 1000);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(Fr().Smpl_Buf_A[i], codes[2 * i]);
        ASSERT_EQ(Fr().Smpl_Buf_B[i], codes[2 * i + 1]);
        ASSERT_EQ(Fr().Trig_Buf_A[i], levels[2 * i] ? 28 : 4);
        ASSERT_EQ(Fr().Trig_Buf_B[i], levels[2 * i + 1] ? 28 : 4);
    }
    for (int i = 500; i < Smpl_Buf_Size; ++i) {
        ASSERT_EQ(Fr().Smpl_Buf_A[i], No_Sample) << i;
        ASSERT_EQ(Fr().Smpl_Buf_B[i], No_Sample) << i;
        ASSERT_EQ(Fr().Trig_Buf_A[i], No_Sample) << i;
        ASSERT_EQ(Fr().Trig_Buf_B[i], No_Sample) << i;
    }
}

// Frames that do not fit the configured record length are not taken.
TEST_F(Decoder, FramesNotFittingTheRecordAreDropped) {
    struct Case {
        const char* name;
        uint16_t word;
        bool wire_bits, flag_bits;
        uint32_t frames;
    };
    const Case cases[] = {
        {"P 999", 999, false, false, 1},
        {"P 1000", 1000, false, false, 0},
        {"P 16383 roll", B14 | B15 | 0x3FFF, false, false, 0},
        {"plain data, flag says bits", 0, false, true, 0},
        {"bits data, flag says plain", 0, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        st = std::make_unique<Acq_State>();
        SetUp();
        Bytes w = Wire(Pattern(1000),
                       Make_Status(c.word, F_One_Value | F_Roll | (c.wire_bits ? F_Trig_Bits : 0)));
        if (c.wire_bits != c.flag_bits) {
            // Re-build with the other flag but the same data length.
            Status_Block s = Make_Status(c.word, F_One_Value | (c.flag_bits ? F_Trig_Bits : 0));
            Bytes data(w.begin() + 2, w.end() - 193);
            Bytes out(3 + data.size() + 192);
            out.resize(Build_Frame(w[1], data, s, out.data()));
            w = out;
        }
        EXPECT_TRUE(Feed(w));
        EXPECT_EQ(st->Frames_Total.load(), c.frames);
        EXPECT_EQ(st->CRC_Errors.load(), 0u);
    }
}

// ---------------------------------------------------------------------------
// Roll frames

struct Roll_Case {
    const char* name;
    uint16_t word;
    bool lenta, peak;
    int32_t smpl_count, ring_pos;
    // Expected Smpl_Buf_A[dst] = raw code index src (first of the pair).
    std::vector<std::pair<int, int>> map;
};

class Roll : public Decoder, public ::testing::WithParamInterface<Roll_Case> {};

TEST_P(Roll, RingPlacement) {
    const Roll_Case& c = GetParam();
    p.Lenta = c.lenta;
    const Bytes codes = Pattern(1000);
    const uint8_t f = static_cast<uint8_t>(F_Roll | (c.peak ? 0 : F_One_Value));
    ASSERT_TRUE(Feed(Wire(codes, Make_Status(c.word, f))));
    EXPECT_EQ(Info().Ring_Flag, 1);
    EXPECT_EQ(Info().Smpl_Count, c.smpl_count);
    EXPECT_EQ(Info().Ring_Pos, c.ring_pos);
    for (auto [dst, src] : c.map) {
        EXPECT_EQ(Fr().Smpl_Buf_A[dst], codes[src]) << dst;
        EXPECT_EQ(Fr().Smpl_Buf_B[dst], codes[src + (c.peak ? 1 : 0)]) << dst;
    }
    EXPECT_EQ(Fr().Smpl_Buf_A[c.smpl_count], No_Sample);
    // Every raw code in use lands exactly once.
    std::vector<int32_t> got(Fr().Smpl_Buf_A.begin(), Fr().Smpl_Buf_A.begin() + c.smpl_count);
    std::sort(got.begin(), got.end());
    std::vector<int32_t> want;
    for (int i = 0; i < c.smpl_count; ++i) want.push_back(codes[c.peak ? 2 * i : i]);
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, Roll,
    ::testing::Values(
        Roll_Case{"not rolling", 300, false, false, 1000, 1000, {{0, 0}, {999, 999}}},
        Roll_Case{"filling", B14 | 300, false, false, 300, 300, {{0, 0}, {299, 299}}},
        Roll_Case{"filling peak", B14 | 300, false, true, 150, 150, {{0, 0}, {149, 298}}},
        Roll_Case{"filling empty", B14 | 0, false, false, 0, 0, {}},
        Roll_Case{"full sweep", B14 | B15 | 300, false, false, 1000, 300, {{0, 0}, {300, 300}}},
        Roll_Case{"full scroll", B14 | B15 | 300, true, false, 1000, 1000,
                  {{0, 300}, {699, 999}, {700, 0}, {999, 299}}},
        Roll_Case{"full scroll peak", B14 | B15 | 300, true, true, 500, 500,
                  {{0, 300}, {349, 998}, {350, 0}, {499, 298}}},
        Roll_Case{"full scroll at 0", B14 | B15 | 0, true, false, 1000, 1000, {{0, 0}, {999, 999}}},
        Roll_Case{"full sweep peak", B14 | B15 | 301, false, true, 500, 150, {{0, 0}, {499, 998}}}),
    [](const auto& param_info) {
        std::string s = param_info.param.name;
        std::replace(s.begin(), s.end(), ' ', '_');
        return s;
    });

// ---------------------------------------------------------------------------
// Chart recorder bytes

TEST_F(Decoder, RecorderBytes) {
    p.Record_Points = 8000;
    p.Pre_Count = 0;
    p.Post_Count = 8000;
    const Bytes codes = Pattern(8000);
    constexpr int32_t Other = Seq + 1;  // the recorder followed another configuration
    struct Case {
        const char* name;
        bool active;
        uint16_t word;
        uint8_t flags;  // beyond F_Roll
        int32_t last_pos, count_before, rec_seq, ring_len;
        int32_t count_after, last_after, first_src;
    };
    const Case cases[] = {
        {"wrap 7990 to 10", true, B14 | B15 | 10, F_One_Value, 7990, 0, Seq, 8000, 20, 10, 7990},
        {"first frame takes the position", true, B14 | 500, F_One_Value, -1, 0, -1, 0, 0, 500, -1},
        {"appends after earlier bytes", true, B14 | 600, F_One_Value, 500, 100, Seq, 8000, 200, 600, 500},
        {"same position adds nothing", true, B14 | 600, F_One_Value, 600, 7, Seq, 8000, 7, 600, -1},
        {"not rolling: untouched", true, 600, F_One_Value, 500, 3, Seq, 8000, 3, 500, -1},
        {"inactive clears", false, B14 | 600, F_One_Value, 500, 9, Seq, 8000, 0, -1, -1},
        {"bounded at the buffer end", true, B14 | B15 | 10, F_One_Value, 7990, Rec_Buffer_Size - 6, Seq, 8000,
         Rec_Buffer_Size, 7996, 7990},
        {"new configuration starts at 0", true, B14 | 300, F_One_Value, 7000, 0, Other, 8000, 300, 300, 0},
        {"new configuration gone round: whole ring", true, B14 | B15 | 300, F_One_Value, 7000, 0, Other, 8000,
         8000, 300, 300},
        {"ring of another length starts at 0", true, B14 | 10, F_One_Value, 900, 0, Seq, 1000, 10, 10, 0},
        {"peak-detect pairs as the ring holds them", true, B14 | 1006, 0, 1000, 0, Seq, 8000, 6, 1006, 1000},
        {"trigger bits left out", true, B14 | B15 | 5, F_One_Value | F_Trig_Bits, 7997, 0, Seq, 8000, 8, 5, 7997},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        st->Rec_Active = c.active;
        st->Rec_Last_Pos = c.last_pos;
        st->Rec_Count = c.count_before;
        st->Rec_Seq = c.rec_seq;
        st->Rec_Ring_Len = c.ring_len;
        std::fill(st->Rec_Buffer.begin(), st->Rec_Buffer.end(), 0);
        ASSERT_TRUE(Feed(Wire(codes, Make_Status(c.word, c.flags | F_Roll), Level_Pattern(8000))));
        EXPECT_EQ(st->Rec_Count, c.count_after);
        EXPECT_EQ(st->Rec_Last_Pos, c.last_after);
        if (c.active && (c.word & B14)) {
            EXPECT_EQ(st->Rec_Seq, Seq);
            EXPECT_EQ(st->Rec_Ring_Len, 8000);
        }
        if (c.first_src >= 0) {
            int k = c.first_src;
            for (int i = c.count_before; i < c.count_after; ++i) {
                ASSERT_EQ(st->Rec_Buffer[i], codes[k]) << i;
                if (++k == 8000) k = 0;
            }
        }
    }
}

// Frames of the previous configuration still on their way when a new one
// was sent are not shown, but the recorder takes their new samples while it
// follows that configuration's ring.
TEST_F(Decoder, RecorderTakesFramesOfThePreviousConfiguration) {
    const Bytes codes = Pattern(1000);
    struct Case {
        const char* name;
        bool active, run;
        int32_t rec_seq, last_pos, frame_points;
        int32_t count_after;
    };
    const Case cases[] = {
        {"followed ring", true, true, Seq - 1, 100, 1000, 150},
        {"another ring", true, true, Seq - 2, 100, 1000, 0},
        {"no position yet", true, true, -1, -1, 1000, 0},
        {"not recording", false, true, Seq - 1, 100, 1000, 0},
        {"stopped", true, false, Seq - 1, 100, 1000, 0},
        {"another record length", true, true, Seq - 1, 100, 2500, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        st = std::make_unique<Acq_State>();
        SetUp();
        st->Run_State = c.run;
        st->Rec_Active = c.active;
        st->Rec_Seq = c.rec_seq;
        st->Rec_Last_Pos = c.last_pos;
        st->Rec_Ring_Len = 1000;
        const Bytes frame = c.frame_points == 1000 ? codes : Pattern(c.frame_points);
        ASSERT_TRUE(Feed(Wire(frame, Make_Status(B14 | 250, F_One_Value | F_Roll, Seq - 1))));
        EXPECT_EQ(st->Rec_Count, c.count_after);
        for (int i = 0; i < c.count_after; ++i) ASSERT_EQ(st->Rec_Buffer[i], codes[100 + i]) << i;
        EXPECT_EQ(st->Frames_Total.load(), 0u);  // never shown
    }
}

// ---------------------------------------------------------------------------
// Statistics, trigger mark, trigger fraction

TEST_F(Decoder, PeakToPeak) {
    struct Case {
        const char* name;
        uint8_t lo, hi;
        uint16_t word;
        uint8_t extra_flags;
        int32_t vpp;
    };
    const Case cases[] = {
        {"normal", 1, 253, 0, 0, 252},
        {"min 0", 0, 100, 0, 0, -1},
        {"max 254", 10, 254, 0, 0, -1},
        {"empty roll", 10, 20, B14 | 0, F_Roll, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes codes(1000, 50);
        codes[10] = c.lo;
        codes[20] = c.hi;
        ASSERT_TRUE(Feed(Wire(codes, Make_Status(c.word, F_One_Value | c.extra_flags))));
        EXPECT_EQ(Info().Vpp_Code, c.vpp);
        if (c.word == 0) {
            EXPECT_EQ(Info().Sum_N, 1000);
            EXPECT_EQ(Info().Sum_Code, 998 * 50 + c.lo + c.hi);
        } else {
            EXPECT_EQ(Info().Sum_N, 0);
            EXPECT_EQ(Info().Sum_Code, 0);
        }
    }
}

TEST_F(Decoder, TriggerMark) {
    struct Case {
        uint8_t mode, flags;
        int32_t mark;
    };
    const Case cases[] = {
        {0, 0, 0}, {1, 0, 1}, {1, F_External, 2}, {1, F_No_Trigger, 0}, {3, F_External | F_Falling, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << "/" << int(c.flags));
        p.Trig_Mode_Byte = c.mode;
        ASSERT_TRUE(Feed(Wire(Pattern(1000), Make_Status(0, F_One_Value | c.flags))));
        EXPECT_EQ(Info().Trig_Mark, c.mark);
    }
}

TEST_F(Decoder, TriggerFractionFromTdc) {
    struct Case {
        const char* name;
        uint32_t divider;
        uint8_t mode, flags, rise, fall, fine;
        int32_t frac, tdc_fine;
    };
    const Case cases[] = {
        {"rise", 1, 1, F_External, 20, 14, 10, 13 - 100 / 20, 10},
        {"fall", 1, 1, F_External | F_Falling, 20, 14, 10, 13 - 100 / 14, 10},
        {"c out of range uses 20", 1, 1, F_External, 5, 14, 10, 8, 10},
        {"c 28 out of range", 1, 1, F_External, 28, 14, 4, 13 - 40 / 20, 4},
        {"at least 0", 1, 1, F_External, 12, 12, 31, 0, 31},
        {"fine masked", 1, 1, F_External, 20, 20, 0xE0 | 2, 12, 2},
        {"divider 2", 2, 1, F_External, 20, 20, 10, 5, -1},
        {"no trigger point", 1, 1, F_External | F_No_Trigger, 20, 20, 10, 5, -1},
        {"trigger off", 1, 0, F_External, 20, 20, 10, 5, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p.Smpl_Divider = c.divider;
        p.Trig_Mode_Byte = c.mode;
        st->Status.TDC_Fine = -1;
        Status_Block s = Make_Status(0, F_One_Value | c.flags);
        s[64] = c.rise;
        s[65] = c.fall;
        s[15] = c.fine;
        ASSERT_TRUE(Feed(Wire(Pattern(1000), s)));
        EXPECT_EQ(Info().Trig_Frac, c.frac);
        EXPECT_EQ(Info().Ext_Trig_Frac, 5);
        EXPECT_EQ(st->Status.TDC_Fine, c.tdc_fine);
    }
}

TEST_F(Decoder, TriggerFractionBySinc) {
    // A ramp of 10 codes per sample through the trigger index 500: the
    // interpolated value at 500 + s/10 is about 100 + s (rising) or 200 - s.
    p.Smpl_Divider = 1;
    p.Trig_Mode_Byte = 1;
    p.Pre_Count = 500;
    p.Post_Count = 500;
    struct Case {
        const char* name;
        bool falling;
        uint8_t thr_low, thr_high;
        int32_t frac;
    };
    const Case cases[] = {
        {"rising", false, 0, 104, 5},
        {"rising at once", false, 0, 99, 0},
        {"rising never", false, 0, 120, 10},
        {"falling", true, 196, 255, 5},
        {"falling at once", true, 201, 255, 0},
        {"falling never", true, 150, 255, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes codes(1000);
        for (int k = 0; k < 1000; ++k) {
            const int d = 10 * (k - 500);
            codes[k] = static_cast<uint8_t>(Clamp(c.falling ? 200 - d : 100 + d, 0, 250));
        }
        p.Thr_Low = c.thr_low;
        p.Thr_High = c.thr_high;
        ASSERT_TRUE(Feed(Wire(codes, Make_Status(0, F_One_Value | (c.falling ? F_Falling : 0)))));
        EXPECT_EQ(Info().Trig_Frac, c.frac);
        EXPECT_EQ(Info().Trig_Mark, 1);
    }
}

// ---------------------------------------------------------------------------
// Splits and reuse

TEST_F(Decoder, SplitAtEveryOffsetDecodesAsOneRead) {
    p.Lenta = true;
    const Bytes w = Wire(Pattern(1000), Make_Status(B14 | B15 | 333, F_Trig_Bits | F_Roll),
                         Level_Pattern(1000));
    ASSERT_TRUE(Feed(w));
    const Frame_Info ref_info = Info();
    const auto ref = std::make_unique<Frame_Data>(Fr());
    ASSERT_EQ(ref_info.Smpl_Count, 500);
    for (size_t cut = 0; cut <= w.size(); ++cut) {
        st->Frames_Total = 0;
        st->Frame->Clear();
        ASSERT_TRUE(Parse_Bytes(*st, p, std::span(w).first(cut)));
        ASSERT_EQ(st->Frames_Total.load(), cut == w.size() ? 1u : 0u) << cut;
        ASSERT_TRUE(Parse_Bytes(*st, p, std::span(w).subspan(cut)));
        ASSERT_EQ(st->Frames_Total.load(), 1u) << cut;
        ASSERT_TRUE(Same_Info(Info(), ref_info)) << cut;
        ASSERT_EQ(Fr().Smpl_Buf_A, ref->Smpl_Buf_A) << cut;
        ASSERT_EQ(Fr().Smpl_Buf_B, ref->Smpl_Buf_B) << cut;
        ASSERT_EQ(Fr().Trig_Buf_A, ref->Trig_Buf_A) << cut;
        ASSERT_EQ(Fr().Trig_Buf_B, ref->Trig_Buf_B) << cut;
    }
    EXPECT_EQ(st->CRC_Errors.load(), 0u);
}

TEST_F(Decoder, ShorterFrameEmptiesTheTail) {
    // A long frame, then the arrays are replaced behind the decoder's back
    // (a file load, a swap with an older frame); the next short frame must
    // still leave only its own points.
    struct Case {
        const char* name;
        void (*meddle)(Frame_Data&);
    };
    const Case cases[] = {
        {"untouched", [](Frame_Data&) {}},
        {"loaded from a file",
         [](Frame_Data& f) {
             f.Smpl_Buf_A.fill(7);
             f.Trig_Buf_B.fill(7);
             f.From_File = true;
         }},
        {"swapped",
         [](Frame_Data& f) {
             f.Smpl_Buf_B.fill(9);
             f.Trig_Buf_A.fill(9);
             f.Info.Frame_No = 12345;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p.Record_Points = 8000;
        ASSERT_TRUE(Feed(Wire(Pattern(8000), Make_Status(0, F_One_Value | F_Trig_Bits))));
        ASSERT_EQ(Info().Smpl_Count, 8000);
        c.meddle(*st->Frame);
        p.Record_Points = 1000;
        ASSERT_TRUE(Feed(Wire(Pattern(1000), Make_Status(0, F_One_Value))));
        ASSERT_EQ(Info().Smpl_Count, 1000);
        for (int i = 1000; i < Smpl_Buf_Size; ++i) {
            ASSERT_EQ(Fr().Smpl_Buf_A[i], No_Sample) << i;
            ASSERT_EQ(Fr().Smpl_Buf_B[i], No_Sample) << i;
            ASSERT_EQ(Fr().Trig_Buf_A[i], No_Sample) << i;
            ASSERT_EQ(Fr().Trig_Buf_B[i], No_Sample) << i;
        }
    }
}

// A reader holding Data_Mutex always sees one whole frame: its record and
// arrays agree, whatever the decoder is doing meanwhile.
TEST_F(Decoder, ReaderUnderTheLockSeesWholeFrames) {
    const Bytes short_frame = Wire(Bytes(1000, 10), Make_Status(0, F_One_Value));
    const Bytes long_frame = Wire(Bytes(8000, 20), Make_Status(0, F_One_Value | F_Trig_Bits));
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!done.load()) {
            std::lock_guard lock(st->Data_Mutex);
            const Frame_Data& f = *st->Frame;
            const int32_t c = f.Info.Smpl_Count;
            if (c == 0) continue;
            const int32_t code = c == 1000 ? 10 : 20;
            const int32_t trig = c == 1000 ? No_Sample : 4;
            if (f.Smpl_Buf_A[0] != code || f.Smpl_Buf_B[c - 1] != code ||
                f.Trig_Buf_A[c - 1] != trig || f.Smpl_Buf_A[c] != No_Sample ||
                f.Trig_Buf_B[c] != No_Sample)
                bad.fetch_add(1);
        }
    });
    for (int i = 0; i < 200; ++i) {
        p.Record_Points = i % 2 ? 8000 : 1000;
        ASSERT_TRUE(Feed(i % 2 ? long_frame : short_frame));
    }
    done = true;
    reader.join();
    EXPECT_EQ(st->Frames_Total.load(), 200u);
    EXPECT_EQ(bad.load(), 0);
}

// ---------------------------------------------------------------------------
// Receive_Step

class Queue_Link : public test_support::Stub_Usb_Link {
public:
    std::deque<uint8_t> queue;
    Ft_Status status_result = Ft_Ok;
    uint32_t last_read_request = 0;
    int reads = 0;

    Ft_Status Get_Queue_Status(Dev_Handle, uint32_t* rx) override {
        *rx = static_cast<uint32_t>(queue.size());
        return Ft_Ok;
    }
    Ft_Status Get_Status(Dev_Handle, uint32_t* rx, uint32_t* tx, uint32_t* ev) override {
        *rx = static_cast<uint32_t>(queue.size());
        *tx = 0;
        *ev = 0;
        return status_result;
    }
    Ft_Status Read(Dev_Handle, uint8_t* buf, uint32_t count, uint32_t* got) override {
        ++reads;
        last_read_request = count;
        const uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(queue.size()));
        for (uint32_t i = 0; i < n; ++i) {
            buf[i] = queue.front();
            queue.pop_front();
        }
        *got = n;
        return Ft_Ok;
    }
};

TEST_F(Decoder, ReceiveStepReadsWhatIsQueued) {
    Queue_Link link;
    st->Handle = 1;
    // 1000-point frames of 1195 bytes: 22 of them exceed one read.
    const Bytes frame = Wire(Pattern(1000), Make_Status(0, F_One_Value));
    for (int i = 0; i < 22; ++i) link.queue.insert(link.queue.end(), frame.begin(), frame.end());

    link.status_result = Ft_Io_Error;
    Receive_Step(link, *st, p);
    EXPECT_EQ(link.reads, 0);

    link.status_result = Ft_Ok;
    Receive_Step(link, *st, p);
    EXPECT_EQ(link.last_read_request, static_cast<uint32_t>(Max_Read_Bytes));
    EXPECT_EQ(st->Frames_Total.load(), 25195u / 1195u);  // the 22nd is split
    Receive_Step(link, *st, p);
    EXPECT_EQ(link.last_read_request, 22u * 1195u - 25195u);
    EXPECT_EQ(st->Frames_Total.load(), 22u);

    Receive_Step(link, *st, p);  // empty queue: no read
    EXPECT_EQ(link.reads, 2);
}

}  // namespace
}  // namespace tovan
