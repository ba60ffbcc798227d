#include "app/handoff.h"

#include <gtest/gtest.h>

namespace tovan {
namespace {

struct Decide_Case {
    uint32_t argc;
    const char* text;
    bool busy;
    bool run;
    Handoff_Action expected;
};

class Decide : public ::testing::TestWithParam<Decide_Case> {};

TEST_P(Decide, Action) {
    const auto& c = GetParam();
    EXPECT_EQ(Decide_Handoff({c.argc, c.text}, c.busy, c.run), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Handoff, Decide,
    ::testing::Values(Decide_Case{0, "/usr/bin/tovan1", false, false, Handoff_Action::Bring_To_Front},
                      Decide_Case{0, "/usr/bin/tovan1", true, false, Handoff_Action::Bring_To_Front},
                      Decide_Case{1, "", false, false, Handoff_Action::Bring_To_Front},
                      Decide_Case{1, "a.tvs", true, false, Handoff_Action::Ignore},
                      Decide_Case{1, "a.tvs", false, true, Handoff_Action::Ask_Settings},
                      Decide_Case{2, "a.tvd", false, false, Handoff_Action::Ask_Data},
                      Decide_Case{1, "a.TVS", false, false, Handoff_Action::Ask_Data},
                      Decide_Case{1, "a.tvd", false, true, Handoff_Action::Refuse_Running}));

TEST(Handoff, PromptTexts) {
    auto p = Handoff_Prompt_For(Handoff_Action::Ask_Settings, "/x/a.tvs", false);
    EXPECT_EQ(p.title, "Open Settings");
    EXPECT_EQ(p.text, "/x/a.tvs\r\nOpen settings file?");
    EXPECT_EQ(p.buttons, Prompt_Buttons::Yes_No);
    EXPECT_EQ(p.icon, Prompt_Icon::Warning);
    p = Handoff_Prompt_For(Handoff_Action::Refuse_Running, "d", true);
    EXPECT_EQ(p.title, "Открытие файла данных");
    EXPECT_EQ(p.text, "d\r\nДля открытия файла данных остановите развертку.");
    EXPECT_EQ(p.buttons, Prompt_Buttons::Ok);
    EXPECT_EQ(p.icon, Prompt_Icon::Error);
    p = Handoff_Prompt_For(Handoff_Action::Ask_Data, "d", true);
    EXPECT_EQ(p.text, "d\r\nОткрыть файл данных?");
}

TEST(Handoff, WireRoundTripByteByByte) {
    const Handoff_Record r{3, "/home/u/файл.tvd"};
    const std::string wire = Encode_Handoff(r);
    Handoff_Decoder d;
    for (size_t i = 0; i + 1 < wire.size(); ++i)
        ASSERT_EQ(d.Feed(&wire[i], 1), Handoff_Decoder::State::Need_More);
    ASSERT_EQ(d.Feed(&wire.back(), 1), Handoff_Decoder::State::Done);
    EXPECT_EQ(d.Record().arg_count, 3u);
    EXPECT_EQ(d.Record().text, r.text);
}

TEST(Handoff, OversizedLengthIsRejected) {
    const char hostile[8] = {1, 0, 0, 0, '\xff', '\xff', '\xff', '\x7f'};
    Handoff_Decoder d;
    EXPECT_EQ(d.Feed(hostile, sizeof hostile), Handoff_Decoder::State::Bad);
    EXPECT_EQ(d.Feed("more", 4), Handoff_Decoder::State::Bad);
}

}  // namespace
}  // namespace tovan
