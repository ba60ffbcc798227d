#include "settings/keyboard.h"

#include <gtest/gtest.h>

#include <string>

namespace tovan {
namespace {

int Time_Index(const std::string& caption) {
    for (int i = 0; i < Time_Step_Count; ++i)
        if (Time_Steps[static_cast<size_t>(i)].caption == caption) return i;
    ADD_FAILURE() << caption;
    return 0;
}

struct Time_Key_Case {
    const char* from;
    Scope_Key key;
    bool shift;
    const char* to;
};

class Time_Keys : public ::testing::TestWithParam<Time_Key_Case> {};

TEST_P(Time_Keys, StepsAndStops) {
    const auto& c = GetParam();
    Scope_Settings s;
    s.Time_Div = Time_Index(c.from);
    EXPECT_EQ(Keyboard_Step(s, c.key, c.shift, 3000), Key_Result::Apply);
    EXPECT_EQ(Time_Steps[static_cast<size_t>(s.Time_Div)].caption, std::string(c.to));
    EXPECT_FALSE(s.Level_Rescale);
}

INSTANTIATE_TEST_SUITE_P(Keyboard, Time_Keys,
                         ::testing::Values(Time_Key_Case{"1mS", Scope_Key::Left, false, "2mS"},
                                           Time_Key_Case{"1mS", Scope_Key::Right, false, "0,5mS"},
                                           Time_Key_Case{"20S", Scope_Key::Right, false, "10S"},
                                           Time_Key_Case{"20S", Scope_Key::Left, false, "20S"},
                                           Time_Key_Case{"50nS", Scope_Key::Right, false, "50nS"},
                                           // Shift outside service mode steps like the plain key.
                                           Time_Key_Case{"1mS", Scope_Key::Left, true, "2mS"}));

struct Volts_Key_Case {
    int from;
    Scope_Key key;
    int to;
};

class Volts_Keys : public ::testing::TestWithParam<Volts_Key_Case> {};

TEST_P(Volts_Keys, StepsWithoutRescale) {
    const auto& c = GetParam();
    Scope_Settings s;
    s.Volts_Div = c.from;
    s.Trig_Level = 177.0;
    EXPECT_EQ(Keyboard_Step(s, c.key, false, 0), Key_Result::Apply);
    EXPECT_EQ(s.Volts_Div, c.to);
    EXPECT_FALSE(s.Level_Rescale);
    EXPECT_EQ(s.Trig_Level, 177.0);
}

INSTANTIATE_TEST_SUITE_P(Keyboard, Volts_Keys,
                         ::testing::Values(Volts_Key_Case{1, Scope_Key::Down, 2},  // 1V -> 0.5V
                                           Volts_Key_Case{5, Scope_Key::Up, 4},    // 50mV -> 100mV
                                           Volts_Key_Case{0, Scope_Key::Up, 0},    // 2V end stop
                                           Volts_Key_Case{5, Scope_Key::Down, 5}));  // 50mV end stop

TEST(Keyboard, ShiftArrowsMoveViewInServiceMode) {
    Scope_Settings s;
    s.Debug_Mode = true;
    s.X_Pos = 0;
    const int time = s.Time_Div;
    EXPECT_EQ(Keyboard_Step(s, Scope_Key::Left, true, 10), Key_Result::Refresh);
    EXPECT_EQ(s.X_Pos, 0);  // at the minimum
    EXPECT_EQ(Keyboard_Step(s, Scope_Key::Right, true, 10), Key_Result::Refresh);
    EXPECT_EQ(s.X_Pos, 1);
    s.X_Pos = 10;
    EXPECT_EQ(Keyboard_Step(s, Scope_Key::Right, true, 10), Key_Result::Refresh);
    EXPECT_EQ(s.X_Pos, 10);  // at the maximum
    EXPECT_EQ(s.Time_Div, time);
}

TEST(Keyboard, RunSingleAndOtherKeys) {
    Scope_Settings s;
    const Scope_Settings before = s;
    EXPECT_EQ(Keyboard_Step(s, Scope_Key::Space, false, 0), Key_Result::Toggle_Run);
    EXPECT_EQ(Keyboard_Step(s, Scope_Key::Enter, true, 0), Key_Result::Toggle_Single);
    EXPECT_EQ(Keyboard_Step(s, Scope_Key::Other, false, 0), Key_Result::None);
    EXPECT_EQ(s.Run, before.Run);
    EXPECT_EQ(s.Sngl, before.Sngl);
    EXPECT_EQ(s.Time_Div, before.Time_Div);
}

}  // namespace
}  // namespace tovan
