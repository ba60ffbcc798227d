#include "acquisition/scope_thread.h"

#include <gtest/gtest.h>

#include <thread>

#include "device/fpga_image.h"
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
