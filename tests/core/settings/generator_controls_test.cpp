#include "settings/generator_controls.h"

#include <gtest/gtest.h>

namespace tovan {
namespace {

enum class Bar { Fast, Slow };

struct Bar_Case {
    Gen_Mode_Sel mode;
    int fast, slow;  // before
    Bar moved;
    int to;
    int fast_after, slow_after;
};

class Bar_Coupling : public ::testing::TestWithParam<Bar_Case> {};

TEST_P(Bar_Coupling, CoarseNeverAboveFineInSweepAndPulse) {
    const auto& c = GetParam();
    Scope_Settings s;
    s.Gen_Mode_Button = c.mode;
    s.F_fast = c.fast;
    s.F_slow = c.slow;
    if (c.moved == Bar::Fast)
        Gen_F_Fast_Changed(s, c.to);
    else
        Gen_F_Slow_Changed(s, c.to);
    EXPECT_EQ(s.F_fast, c.fast_after);
    EXPECT_EQ(s.F_slow, c.slow_after);
}

INSTANTIATE_TEST_SUITE_P(
    Generator, Bar_Coupling,
    ::testing::Values(Bar_Case{Gen_Mode_Sel::None, 100, 0, Bar::Fast, 500, 500, 0},  // free
                      Bar_Case{Gen_Mode_Sel::Mod, 100, 0, Bar::Slow, 50, 100, 50},   // free
                      Bar_Case{Gen_Mode_Sel::Sweep, 100, 200, Bar::Fast, 300, 300, 300},
                      Bar_Case{Gen_Mode_Sel::Sweep, 100, 200, Bar::Fast, 150, 150, 200},
                      Bar_Case{Gen_Mode_Sel::Pulse, 300, 400, Bar::Slow, 250, 250, 250},
                      Bar_Case{Gen_Mode_Sel::Pulse, 300, 400, Bar::Slow, 350, 300, 350},
                      Bar_Case{Gen_Mode_Sel::Sweep, 0, 0, Bar::Fast, 5000, 1000, 1000}));  // clamped

TEST(Generator, ModeButtonsShareOneGroupThatAllowsAllUp) {
    Scope_Settings s;
    Gen_Mode_Clicked(s, Gen_Mode_Sel::Mod);
    EXPECT_TRUE(s.Mod());
    Gen_Mode_Clicked(s, Gen_Mode_Sel::Sweep);
    EXPECT_TRUE(s.Sweep());
    Gen_Mode_Clicked(s, Gen_Mode_Sel::Sweep);
    EXPECT_EQ(s.Gen_Mode_Button, Gen_Mode_Sel::None);
}

TEST(Generator, SweepAndPulseRaiseTheFineBarEvenWhenReleased) {
    Scope_Settings s;
    s.F_fast = 100;
    s.F_slow = 0;
    Gen_Mode_Clicked(s, Gen_Mode_Sel::Sweep);
    EXPECT_EQ(s.F_slow, 100);
    s.F_slow = 10;
    Gen_Mode_Clicked(s, Gen_Mode_Sel::Sweep);  // released now
    EXPECT_EQ(s.Gen_Mode_Button, Gen_Mode_Sel::None);
    EXPECT_EQ(s.F_slow, 100);
    s.F_slow = 10;
    Gen_Mode_Clicked(s, Gen_Mode_Sel::Mod);  // Mod. leaves the bars alone
    EXPECT_EQ(s.F_slow, 10);
}

}  // namespace
}  // namespace tovan
