#include "acquisition/scope_thread.h"

#include <gtest/gtest.h>

#include <thread>

#include "device/fpga_image.h"
#include "device/frame_builder.h"
#include "support/fake_usb_link.h"

namespace tovan {
namespace {

using test_support::Fake_Device;
using test_support::Fake_Usb_Link;

struct Thread_Fixture {
    Fake_Usb_Link link{{Fake_Device{}}};
    Acq_State st;
    std::vector<std::string> events;
    Scope_Thread thread{link, st, std::vector<uint8_t>(600, 0x11),
                        [this] { events.push_back("draw"); }, [](int) {}};
    Thread_Fixture() {
        uint32_t loc = 0;
        link.List_Location(0, &loc);
        Dev_Handle h = 0;
        link.Open_By_Location(loc, &h);
        st.Handle = h;
    }
    // The first byte of every write tells the transfer apart.
    std::vector<std::string> Transfers() const {
        std::vector<std::string> t;
        for (const auto& c : link.Calls()) {
            if (c.name != "Write" || c.bytes.empty()) continue;
            if (c.bytes.size() == 1 && c.bytes[0] == 0xFA) t.push_back("fpga");
            if (c.bytes.size() == 1 && c.bytes[0] == 0xFC) t.push_back("config");
        }
        return t;
    }
};

TEST(ScopeThread, RedrawFirstThenFpgaThenConfiguration) {
    Thread_Fixture f;
    f.st.Redraw_Request = true;
    f.st.FPGA_Load_Request = true;
    f.st.Config_Request = true;

    f.thread.Execute_Pass();
    EXPECT_EQ(f.events, (std::vector<std::string>{"draw"}));
    EXPECT_EQ(f.Transfers(), (std::vector<std::string>{"fpga"}));
    EXPECT_FALSE(f.st.FPGA_Load_Request);
    EXPECT_TRUE(f.st.Config_Request);
    // The load asks for a redraw, which the next pass hands over first.
    EXPECT_TRUE(f.st.Redraw_Request);

    f.thread.Execute_Pass();
    EXPECT_EQ(f.events.size(), 2u);
    EXPECT_EQ(f.Transfers(), (std::vector<std::string>{"fpga", "config"}));
    EXPECT_FALSE(f.st.Config_Request);
    EXPECT_EQ(f.st.Seq_Counter.load(), 1);

    // Nothing requested: a receive step.
    const int status_calls = f.link.Count_Of("Get_Status");
    f.thread.Execute_Pass();
    EXPECT_EQ(f.link.Count_Of("Get_Status"), status_calls + 1);
    EXPECT_EQ(f.events.size(), 2u);
}

TEST(ScopeThread, ConfigurationUsesThePublishedParameters) {
    Thread_Fixture f;
    Device_Params p;
    p.Gain_Byte = 0x13;
    f.st.Publish_Params(p);
    f.st.Config_Request = true;
    f.thread.Execute_Pass();
    const auto w = f.link.Written();
    // The gain byte is block byte 46: nibbles at 1 + 92 and 1 + 93.
    ASSERT_GE(w.size(), 1u + 106u);
    EXPECT_EQ(w[1 + 2 * 46], 0x3);
    EXPECT_EQ(w[1 + 2 * 46 + 1], 0x1);
}

// Apply_Settings publishes the new parameters before it asks for the
// configuration. Frames of the configuration still in the device that
// arrive in between are cut and decoded as that configuration made them:
// no checksum errors, no "FPGA configuration lost".
TEST(ScopeThread, FramesBeforeTheNewConfigurationKeepTheirRecordLength) {
    Thread_Fixture f;
    const Dev_Handle h = f.st.Handle.load();
    auto pass = [&] {
        f.st.Rx_Event.Set();  // no idle wait
        f.thread.Execute_Pass();
    };
    auto frame = [](int points, uint8_t seq) {
        std::vector<uint8_t> data(static_cast<size_t>(points));
        for (int k = 0; k < points; ++k) data[static_cast<size_t>(k)] = static_cast<uint8_t>(1 + (k * 7) % 250);
        Status_Block s{};
        s[2] = 0x08;  // one value per point
        s[25] = seq;
        std::vector<uint8_t> out(3 + data.size() + 192);
        out.resize(Build_Frame(Frame_Type_Plain, data, s, out.data()));
        return out;
    };
    auto params = [](int32_t points) {
        Device_Params p;
        p.Record_Points = points;
        p.Pre_Count = 100;
        p.Post_Count = static_cast<uint16_t>(points - 100);
        return p;
    };

    f.st.Set_Run_Flags(true, false);
    f.st.Publish_Params(params(2500));
    f.st.Config_Request = true;
    pass();
    ASSERT_EQ(f.st.Seq_Counter.load(), 1);
    const std::vector<uint8_t> old_frame = frame(2500, 1);
    f.link.Push_Rx(h, old_frame);
    pass();
    ASSERT_EQ(f.st.Frames_Total.load(), 1u);

    // A record-length change is published; its configuration is not sent yet.
    f.st.Publish_Params(params(1000));
    for (int i = 0; i < 3; ++i) f.link.Push_Rx(h, old_frame);
    pass();
    EXPECT_EQ(f.st.CRC_Errors.load(), 0u);
    EXPECT_FALSE(f.st.Err_FPGA_Lost.load());
    EXPECT_EQ(f.st.Frames_Total.load(), 4u);
    EXPECT_EQ(f.st.Frame->Info.Smpl_Count, 2500);

    // The request comes: from then on frames are taken with the new length.
    f.st.Config_Request = true;
    pass();
    ASSERT_EQ(f.st.Seq_Counter.load(), 2);
    f.link.Push_Rx(h, frame(1000, 2));
    pass();
    EXPECT_EQ(f.st.CRC_Errors.load(), 0u);
    EXPECT_EQ(f.st.Frames_Total.load(), 5u);
    EXPECT_EQ(f.st.Frame->Info.Smpl_Count, 1000);
}

TEST(ScopeThread, StartsAndStopsPromptly) {
    Thread_Fixture f;
    std::atomic<int> draws{0};
    Scope_Thread t(f.link, f.st, Builtin_FPGA_Image(), [&] { draws++; }, [](int) {});
    t.Start();
    f.st.Redraw_Request = true;
    f.st.Rx_Event.Set();
    while (draws.load() == 0) std::this_thread::yield();
    t.Stop();
    EXPECT_FALSE(t.Running());
    EXPECT_GE(draws.load(), 1);
}

}  // namespace
}  // namespace tovan
