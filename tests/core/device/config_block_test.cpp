#include <gtest/gtest.h>

#include <vector>

#include "device/device_commands.h"
#include "device/fpga_image.h"
#include "support/stub_usb_link.h"
#include "settings/compute_params.h"

namespace tovan {
namespace {

// The documented example: 1 ms/div, 1000 points, 1 V, trigger on, generator
// sine 1 kHz, amplitude bar 200, first block after start-up.
Scope_Settings Example_Settings() {
    Scope_Settings s;
    s.Time_Div = Time_Step_1mS;
    s.Smpl_N = 0;
    s.Volts_Div = Volts_Step_1V;
    s.ExtTrig = false;
    s.Trig_On = true;
    s.Auto = false;
    s.Trig_Pre = 1;
    s.Trig_N = 1;
    s.Trig_Hyst = 1;
    s.Gen_On = true;
    s.F_fast = 100;
    s.F_slow = 0;
    s.Ampl = 200;
    return s;
}

const std::vector<uint8_t> Example_Block = {
    0x34, 0x05, 0x02, 0x00, 0x1E, 0x9E, 0x08, 0x10, 0x00, 0x20, 0x00, 0xAC, 0xC5, 0xA7,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4E, 0x00, 0x00, 0x00, 0x0E, 0x00,
    0x02, 0x08, 0xE8, 0x03, 0x00, 0x64, 0x00, 0x84, 0x03, 0x7D, 0x81, 0x00, 0x00, 0x01,
    0x04, 0x02, 0x00, 0x18, 0x07, 0x01, 0x01, 0x00, 0x30, 0x00, 0xD3};

TEST(ConfigBlock, WorkedExample) {
    Scope_Settings s = Example_Settings();
    Device_Params p;
    p.Gen_Word2 = 0;
    p.Mod_Word = 0;
    Compute_Params(s, p);
    std::array<uint8_t, Max_Config_Block> block{};
    const int len = Build_Config_Block(p, 1, {}, block);
    ASSERT_EQ(len, 53);
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + len), Example_Block);
}

// Records every call the commands make, and answers reads from a script.
class Recording_Link : public test_support::Stub_Usb_Link {
public:
    struct Call {
        std::string name;
        std::vector<uint8_t> bytes;
        uint32_t arg = 0;
    };
    std::vector<Call> calls;
    std::vector<uint8_t> read_answer;
    // Per write: how many bytes to accept (-1 all), or a failing status.
    std::vector<int> write_accepts;
    Ft_Status write_status = Ft_Ok;

    Ft_Status Purge(Dev_Handle, uint32_t mask) override {
        calls.push_back({"purge", {}, mask});
        return Ft_Ok;
    }
    Ft_Status Read(Dev_Handle, uint8_t* buf, uint32_t count, uint32_t* got) override {
        calls.push_back({"read", {}, count});
        const size_t n = std::min<size_t>(count, read_answer.size());
        std::copy_n(read_answer.begin(), n, buf);
        *got = static_cast<uint32_t>(n);
        return Ft_Ok;
    }
    Ft_Status Write(Dev_Handle, const uint8_t* buf, uint32_t count, uint32_t* written) override {
        uint32_t accept = count;
        if (!write_accepts.empty()) {
            const int a = write_accepts.front();
            write_accepts.erase(write_accepts.begin());
            if (a >= 0) accept = std::min<uint32_t>(count, static_cast<uint32_t>(a));
        }
        calls.push_back({"write", std::vector<uint8_t>(buf, buf + accept), count});
        *written = accept;
        return write_status;
    }

    std::vector<uint8_t> Written() const {
        std::vector<uint8_t> all;
        for (const auto& c : calls)
            if (c.name == "write") all.insert(all.end(), c.bytes.begin(), c.bytes.end());
        return all;
    }
};

TEST(SendConfig, WireFormatOfTheExample) {
    Scope_Settings s = Example_Settings();
    Device_Params p;
    Compute_Params(s, p);
    Recording_Link link;
    Acq_State st;
    st.Handle = 7;
    Send_Config(link, st, p);
    EXPECT_EQ(st.Seq_Counter.load(), 1);
    EXPECT_EQ(st.Link_Status.load(), Ft_Ok);

    ASSERT_EQ(link.calls.size(), 4u);
    EXPECT_EQ(link.calls[0].name, "purge");
    EXPECT_EQ(link.calls[0].arg, Purge_Tx);
    EXPECT_EQ(link.calls[1].bytes, std::vector<uint8_t>{0xFC});
    EXPECT_EQ(link.calls[2].arg, Purge_Rx);
    const auto& wire = link.calls[3].bytes;
    ASSERT_EQ(wire.size(), 106u);
    const std::vector<uint8_t> head = {0x04, 0x03, 0x05, 0x00, 0x02, 0x00, 0x00, 0x00, 0x0E, 0x01};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), wire.begin()));
    for (size_t i = 0; i < Example_Block.size(); ++i) {
        EXPECT_EQ(wire[2 * i], Example_Block[i] & 0x0F);
        EXPECT_EQ(wire[2 * i + 1], Example_Block[i] >> 4);
    }
    EXPECT_EQ(1 + wire.size(), 107u);
}

TEST(SendConfig, OptionalSectionsSentOnce) {
    Device_Params p;
    Recording_Link link;
    Acq_State st;
    st.TDC_Set_Rise = 19;
    st.TDC_Set_Fall = 21;
    for (int i = 0; i < 5; ++i) st.Serial_New[static_cast<size_t>(i)] = static_cast<uint8_t>(0x10 + i);
    st.TDC_Send_Request = true;
    st.Serial_Send_Request = true;
    {
        std::lock_guard lock(st.Data_Mutex);
        st.Status.TDC_Valid = st.Status.Serial_Valid = true;
    }
    Send_Config(link, st, p);
    auto wire = link.calls.back().bytes;
    ASSERT_EQ(wire.size(), 2u * 66);
    std::vector<uint8_t> block(66);
    for (size_t i = 0; i < 66; ++i) block[i] = static_cast<uint8_t>(wire[2 * i] | (wire[2 * i + 1] << 4));
    EXPECT_EQ(block[0], 65);
    EXPECT_EQ(block[1], 7);
    // TDC and identity sections follow the gain section.
    const std::vector<uint8_t> tail = {2, 1, 0, 19, 21, 5, 1, 16, 0x10, 0x11, 0x12, 0x13, 0x14, 1, 0, 48};
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), block.begin() + 48));
    uint8_t x = 0;
    for (size_t i = 0; i < 65; ++i) x ^= block[i];
    EXPECT_EQ(block[65], x);
    EXPECT_FALSE(st.TDC_Send_Request);
    EXPECT_FALSE(st.Serial_Send_Request);
    EXPECT_FALSE(st.Status.TDC_Valid);
    EXPECT_FALSE(st.Status.Serial_Valid);

    Send_Config(link, st, p);
    EXPECT_EQ(link.calls.back().bytes.size(), 106u);
    EXPECT_EQ(st.Seq_Counter.load(), 2);
}

TEST(SendConfig, SequenceCounterWraps) {
    Device_Params p;
    Recording_Link link;
    Acq_State st;
    st.Seq_Counter = 255;
    Send_Config(link, st, p);
    EXPECT_EQ(st.Seq_Counter.load(), 0);
}

std::vector<uint8_t> Small_Image(size_t n) {
    std::vector<uint8_t> img(n);
    for (size_t i = 0; i < n; ++i) img[i] = static_cast<uint8_t>(i * 7);
    return img;
}

TEST(LoadFPGA, ChunksNibblesAndAcknowledgement) {
    Recording_Link link;
    link.read_answer = {0x00, 0xFF, 0xDE, 0xA5, 0x21, 0x07, 0x00};
    Acq_State st;
    std::vector<int> sleeps;
    const auto img = Builtin_FPGA_Image();
    Load_FPGA(link, st, img, [&](int ms) { sleeps.push_back(ms); });
    EXPECT_TRUE(st.FPGA_OK);
    EXPECT_FALSE(st.Err_FPGA_Config);
    EXPECT_TRUE(st.Redraw_Request);
    EXPECT_EQ(st.FPGA_Version.load(), 0x21);
    EXPECT_EQ(st.Firmware_Version.load(), 0x07);
    EXPECT_EQ(sleeps, (std::vector<int>{200, 200}));

    int writes = 0;
    for (const auto& c : link.calls) writes += c.name == "write";
    EXPECT_EQ(writes, 1 + 89);  // 0xFA, then 88 full chunks and one of 412 bytes
    const auto all = link.Written();
    ASSERT_EQ(all.size(), 1 + 2 * img.size());
    EXPECT_EQ(all[0], 0xFA);
    for (size_t i = 0; i < img.size(); ++i) {
        ASSERT_EQ(all[1 + 2 * i], img[i] & 0x0F);
        ASSERT_EQ(all[2 + 2 * i], img[i] >> 4);
    }
    EXPECT_EQ(link.calls.back().name, "read");
    EXPECT_EQ(link.calls.back().arg, 512u);
}

TEST(LoadFPGA, ShortWritesAreCompleted) {
    Recording_Link link;
    link.write_accepts = {-1, 100, 0, 300, -1};  // 0xFA, then one chunk in three pieces
    link.read_answer = {0xFF, 0xDE, 0xA5, 1, 2};
    Acq_State st;
    const auto img = Small_Image(512);
    Load_FPGA(link, st, img, [](int) {});
    const auto all = link.Written();
    ASSERT_EQ(all.size(), 1 + 1024u);
    for (size_t i = 0; i < img.size(); ++i) ASSERT_EQ(all[1 + 2 * i], img[i] & 0x0F);
    EXPECT_TRUE(st.FPGA_OK);
}

TEST(LoadFPGA, DeadLinkEndsTheLoad) {
    Recording_Link link;
    link.write_accepts = {-1};
    for (int i = 0; i < 1000; ++i) link.write_accepts.push_back(0);
    link.read_answer = {0xFF, 0xDE, 0xA5, 1, 2};
    Acq_State st;
    Load_FPGA(link, st, Builtin_FPGA_Image(), [](int) {});
    int writes = 0;
    for (const auto& c : link.calls) writes += c.name == "write";
    EXPECT_EQ(writes, 1 + FPGA_Write_Retries);
    EXPECT_FALSE(st.FPGA_OK);
    EXPECT_TRUE(st.Err_FPGA_Config);

    Recording_Link failing;
    failing.write_status = Ft_Io_Error;
    Acq_State st2;
    Load_FPGA(failing, st2, Builtin_FPGA_Image(), [](int) {});
    EXPECT_EQ(st2.Link_Status.load(), Ft_Io_Error);
    EXPECT_TRUE(st2.Err_FPGA_Config);
    EXPECT_LE(failing.calls.size(), 10u);
}

struct Ack_Case {
    std::vector<uint8_t> answer;
    bool ok;
    int fpga, firmware;
};
class Acknowledgement : public ::testing::TestWithParam<Ack_Case> {};
TEST_P(Acknowledgement, Scan) {
    const auto& c = GetParam();
    Recording_Link link;
    link.read_answer = c.answer;
    Acq_State st;
    Load_FPGA(link, st, Small_Image(10), [](int) {});
    EXPECT_EQ(st.FPGA_OK.load(), c.ok);
    EXPECT_EQ(st.Err_FPGA_Config.load(), !c.ok);
    EXPECT_EQ(st.FPGA_Version.load(), c.fpga);
    EXPECT_EQ(st.Firmware_Version.load(), c.firmware);
}
INSTANTIATE_TEST_SUITE_P(
    Answers, Acknowledgement,
    ::testing::Values(Ack_Case{{}, false, -1, -1},
                      Ack_Case{{0xFF, 0xDE, 0xA4, 0xFF, 0xDE}, false, -1, -1},
                      Ack_Case{{0xFF, 0xFF, 0xDE, 0xA5, 3, 4}, false, -1, -1},
                      Ack_Case{{0xFF, 0xDE, 0x00, 0xFF, 0xDE, 0xA5, 9, 8}, true, 9, 8},
                      Ack_Case{{0xFF, 0xDE, 0xA5, 1, 2, 0xFF, 0xDE, 0xA5, 3, 4}, true, 3, 4},
                      Ack_Case{{0xFF, 0xDE, 0xA5, 6}, true, 6, -1}));

TEST(FPGAImage, BuiltinStandIn) {
    const auto img = Builtin_FPGA_Image();
    ASSERT_EQ(img.size(), FPGA_Image_Size);
    EXPECT_TRUE(std::equal(std::begin(FPGA_Sync_Header), std::end(FPGA_Sync_Header), img.begin()));
    EXPECT_EQ(img, Builtin_FPGA_Image());
}

}  // namespace
}  // namespace tovan
