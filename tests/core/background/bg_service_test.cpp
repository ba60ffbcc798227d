// The background swap as a service of the session: frame and levels
// change sides under the data lock, and only while no run is in progress.
#include "background/bg_service.h"

#include <gtest/gtest.h>

#include "support/stub_usb_link.h"
#include "support/scripted_prompts.h"

namespace tovan {
namespace {

struct BG_Fixture : ::testing::Test {
    test_support::Scripted_Prompts prompts;
    Session session{[] {
                        Session_Options o;
                        o.link_factory = [](Link_Kind) { return std::make_unique<test_support::Stub_Usb_Link>(); };
                        return o;
                    }(),
                    prompts};
    Display_State view;
    BG_Service bg{session, view};

    void Put_Frame(int32_t frame_no, int32_t zero_level) {
        session.With_Frame_Mutable([&](Frame_Data& f, Status_Values&) {
            f.Info.Frame_No = frame_no;
            f.Info.Frame_Count = 1;
            f.Info.Smpl_Count = 1000;
            f.Smpl_Buf_A[0] = 42;
        });
        session.Inst().Settings.Zero_Level = zero_level;
    }
    std::pair<int32_t, int32_t> Frame_Nos() {
        return session.With_Frames([](const Frame_Data& m, const Frame_Data& b, const Status_Values&) {
            return std::pair{m.Info.Frame_No, b.Info.Frame_No};
        });
    }
};

TEST_F(BG_Fixture, SwapsBackAndForthWithTheLevels) {
    Put_Frame(5, 100);
    ASSERT_TRUE(bg.Swap());
    EXPECT_EQ(Frame_Nos(), (std::pair{0, 5}));
    EXPECT_TRUE(session.Inst().Settings.BG_View);
    EXPECT_TRUE(session.Inst().State.Config_Request.load());  // applied

    Put_Frame(6, 120);
    ASSERT_TRUE(bg.Swap());
    EXPECT_EQ(Frame_Nos(), (std::pair{5, 6}));
    EXPECT_EQ(session.Inst().Settings.Zero_Level, 100);
    EXPECT_EQ(session.Inst().Settings.BG_Zero_Level, 120);
}

TEST_F(BG_Fixture, NothingWhileRunningOrWithoutFrames) {
    EXPECT_FALSE(bg.Swap());  // neither side holds a frame
    Put_Frame(5, 100);
    session.Inst().State.Set_Run_Flags(true, false);
    EXPECT_FALSE(bg.Available());
    EXPECT_FALSE(bg.Swap());
    EXPECT_EQ(Frame_Nos(), (std::pair{5, 0}));
}

}  // namespace
}  // namespace tovan
