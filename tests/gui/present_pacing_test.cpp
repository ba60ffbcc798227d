// Pictures go to the screen at most once per refresh period, while every
// redraw still draws the screen bitmap.
#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>
#include <chrono>

#include "app_test_support.h"
#include "gui/display_area.h"

namespace tovan::test {
namespace {

struct Pacer_Case {
    const char* what;
    bool presented_before;
    int64_t last, now, period;
    int64_t wait;
};

class Pacer_Test : public ::testing::TestWithParam<Pacer_Case> {};

TEST_P(Pacer_Test, WaitsForTheRestOfThePeriod) {
    const Pacer_Case& c = GetParam();
    Present_Pacer p;
    if (c.presented_before) p.Presented(c.last);
    EXPECT_EQ(p.Wait_ns(c.now, c.period), c.wait) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Pacer_Test,
    ::testing::Values(Pacer_Case{"nothing shown yet", false, 0, 5, 16'000'000, 0},
                      Pacer_Case{"just shown", true, 1'000, 1'000, 16'000'000, 16'000'000},
                      Pacer_Case{"part of the period gone", true, 1'000, 4'001'000, 16'000'000, 12'000'000},
                      Pacer_Case{"exactly one period", true, 1'000, 16'001'000, 16'000'000, 0},
                      Pacer_Case{"long ago", true, 1'000, 900'000'000, 16'000'000, 0},
                      Pacer_Case{"no period", true, 1'000, 1'000, 0, 0},
                      Pacer_Case{"clock before the last picture", true, 5'000, 1'000, 16'000'000, 0}),
    [](const auto& param_info) { return std::to_string(param_info.index); });

TEST_F(App_Session, EveryRedrawDrawsTheBitmapWhilePresentationWaitsForTheRefresh) {
    Start(Backend::Virtual);
    auto* area = app->Window().findChild<Display_Area*>(QStringLiteral("Image_M"));
    ASSERT_NE(area, nullptr);
    // A refresh period far longer than the test: after the next picture
    // no other may reach the screen.
    area->Set_Present_Period(std::chrono::hours(1));
    QTest::mouseClick(Button("SpeedButton_Run"), Qt::LeftButton);
    ASSERT_TRUE(Running());
    ASSERT_TRUE(Wait_For([&] { return area->Presented() >= 1 && State().Frames_Shown.load() >= 1; }));
    const uint64_t presented = area->Presented();
    const uint64_t shown = State().Frames_Shown.load();
    const int first_frame = Info().Frame_No;
    // Frames keep arriving and each redraw takes the newest into the bitmap.
    ASSERT_TRUE(Wait_For([&] { return State().Frames_Shown.load() >= shown + 20; }));
    EXPECT_GT(Info().Frame_No, first_frame);
    EXPECT_EQ(area->Presented(), presented);
    // The picture on the screen is the bitmap once presented.
    area->Set_Present_Period(std::chrono::nanoseconds(1));
    app->Window().After_Redraw();
    ASSERT_TRUE(Wait_For([&] { return area->Presented() > presented; }));
}

}  // namespace
}  // namespace tovan::test
