#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/open_device.h"
#include "support/fake_usb_link.h"
#include "support/scripted_prompts.h"

namespace tovan {
namespace {

using test_support::Fake_Device;
using test_support::Fake_Usb_Link;
using test_support::Scripted_Prompts;

const std::string Scope = "Digital Oscilloscope";

Fake_Device Dev(std::string description, uint32_t location, Ft_Status open_result = Ft_Ok) {
    Fake_Device d;
    d.description = std::move(description);
    d.location = location;
    d.open_result = open_result;
    return d;
}

Fake_Device Unreadable(std::string description, uint32_t location) {
    Fake_Device d = Dev(std::move(description), location);
    d.description_result = Ft_Device_Not_Opened;
    return d;
}

// Which device the search opens, or which code it gives.
struct Search_Case {
    const char* name;
    std::vector<Fake_Device> devices;
    bool debug;
    std::vector<Prompt_Answer> answers;  // for the Yes/No questions
    Ft_Status expected_status;
    int64_t expected_location;  // -1: nothing opened
};

class Open_Device_Search : public ::testing::TestWithParam<Search_Case> {};

TEST_P(Open_Device_Search, OpensTheExpectedDevice) {
    const Search_Case& c = GetParam();
    Fake_Usb_Link link(c.devices);
    Scripted_Prompts prompts;
    // The count message (OK) takes no scripted answer.
    for (Prompt_Answer a : c.answers) prompts.answers.push_back(a);
    Manual_Reset_Event ev;
    Dev_Handle h = 77;
    const Ft_Status s = Open_Device(link, &h, c.debug, &prompts, "scope", &ev);
    EXPECT_EQ(s, c.expected_status);
    if (c.expected_location < 0) {
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(link.Count_Of("Reset_Device"), 0);
    } else {
        ASSERT_NE(h, 0u);
        EXPECT_EQ(link.Location_Of(h), c.expected_location);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Open_Device_Search,
    ::testing::Values(
        Search_Case{"TwoInstrumentsLowerIndexWins",
                    {Dev("USB Serial", 10), Dev(Scope, 20), Dev(Scope, 30)}, false, {}, Ft_Ok, 20},
        Search_Case{"DebugNoToFirstTakesSecond",
                    {Dev(Scope, 20), Dev(Scope, 30)}, true,
                    {Prompt_Answer::No, Prompt_Answer::Yes}, Ft_Ok, 30},
        Search_Case{"OnlyForeignDeviceOpenedInPassTwo", {Dev("FT232R USB UART", 5)}, false, {},
                    Ft_Ok, 5},
        Search_Case{"DescriptionIsCaseSensitive", {Dev("digital oscilloscope", 5)}, false, {},
                    Ft_Ok, 5},
        Search_Case{"MatchingFailsToOpenNextMatchingOpens",
                    {Dev(Scope, 20, Ft_Device_Not_Opened), Dev(Scope, 30)}, false, {}, Ft_Ok, 30},
        Search_Case{"MatchingFailsToOpenForeignOpens",
                    {Dev(Scope, 20, Ft_Device_Not_Opened), Dev("Other", 40)}, false, {}, Ft_Ok,
                    40},
        Search_Case{"MatchingFailsNothingElseGivesItsCode",
                    {Dev(Scope, 20, Ft_Device_Not_Opened)}, false, {}, Ft_Device_Not_Opened, -1},
        Search_Case{"OpenCodeNotHiddenByALaterForeignDevice",
                    {Dev(Scope, 20, Ft_Device_Not_Opened), Unreadable("Other", 40)}, false, {},
                    Ft_Device_Not_Opened, -1},
        Search_Case{"LastOpenCodeIsKept",
                    {Dev(Scope, 20, Ft_Device_Not_Opened), Dev("Other", 40, Ft_Io_Error)}, false,
                    {}, Ft_Io_Error, -1},
        Search_Case{"DebugAllDeclinedGivesNotFound",
                    {Dev(Scope, 20), Dev("Other", 40)}, true,
                    {Prompt_Answer::No, Prompt_Answer::No}, Ft_Device_Not_Found, -1},
        Search_Case{"NoDevices", {}, false, {}, Ft_Device_Not_Found, -1}),
    [](const ::testing::TestParamInfo<Search_Case>& p) { return p.param.name; });

TEST(OpenDevice, CountFailureIsReturnedAsIs) {
    Fake_Usb_Link link({Dev(Scope, 20)});
    link.Set_Count_Result(Ft_Io_Error);
    Dev_Handle h = 0;
    EXPECT_EQ(Open_Device(link, &h, false, nullptr, "scope", nullptr), Ft_Io_Error);
    EXPECT_EQ(link.Count_Of("Open_By_Location"), 0);
}

TEST(OpenDevice, DeviceWhoseQueriesFailIsNeverOpened) {
    Fake_Device broken = Dev(Scope, 20);
    broken.description_result = Ft_Io_Error;
    Fake_Device no_loc = Dev("Other", 30);
    no_loc.location_result = Ft_Io_Error;
    Fake_Usb_Link link({broken, no_loc});
    Dev_Handle h = 0;
    EXPECT_EQ(Open_Device(link, &h, false, nullptr, "scope", nullptr), Ft_Device_Not_Found);
    EXPECT_EQ(link.Count_Of("Open_By_Location"), 0);
}

TEST(OpenDevice, DebugModeCountMessageAndQuestionsHaveExactTexts) {
    Fake_Usb_Link link({Dev(Scope, 20), Dev("Other", 4660)});
    Scripted_Prompts prompts;
    prompts.answers = {Prompt_Answer::No, Prompt_Answer::Yes};  // the count box takes no answer
    Dev_Handle h = 0;
    ASSERT_EQ(Open_Device(link, &h, true, &prompts, "tovan1", nullptr), Ft_Ok);
    EXPECT_EQ(link.Location_Of(h), 4660);

    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[0].title, "tovan1");
    EXPECT_EQ(prompts.shown[0].text, "Number of devices = 2. ");
    EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Warning);
    EXPECT_EQ(prompts.shown[0].buttons, Prompt_Buttons::Ok);

    EXPECT_EQ(prompts.shown[1].text,
              "True device found.\r\nDescription = 'Digital Oscilloscope'  \r\nDev_Index = 0"
              "\r\nDev_Loc = 20\r\nOpen ?");
    EXPECT_EQ(prompts.shown[1].buttons, Prompt_Buttons::Yes_No);
    EXPECT_EQ(prompts.shown[1].icon, Prompt_Icon::Warning);
    EXPECT_EQ(prompts.shown[2].text,
              "Ather device found.\r\nDescription = 'Other'  \r\nDev_Index = 1"
              "\r\nDev_Loc = 4660\r\nOpen ?");
    EXPECT_EQ(prompts.shown[2].title, "tovan1");
}

TEST(OpenDevice, DebugModeWithOneDeviceShowsNoCount) {
    Fake_Usb_Link link({Dev(Scope, 20)});
    Scripted_Prompts prompts;
    Dev_Handle h = 0;
    ASSERT_EQ(Open_Device(link, &h, true, &prompts, "t", nullptr), Ft_Ok);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text.rfind("True device found.", 0), 0u);
}

TEST(OpenDevice, WithoutDebugModeNothingIsAsked) {
    Fake_Usb_Link link({Dev(Scope, 20), Dev(Scope, 30)});
    Scripted_Prompts prompts;
    Dev_Handle h = 0;
    ASSERT_EQ(Open_Device(link, &h, false, &prompts, "t", nullptr), Ft_Ok);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(OpenDevice, UnprintableDescriptionBytesAreMaskedInTheQuestion) {
    Fake_Usb_Link link({Dev(std::string("A\xff\x01" "B", 4), 7)});
    Scripted_Prompts prompts;
    Dev_Handle h = 0;
    ASSERT_EQ(Open_Device(link, &h, true, &prompts, "t", nullptr), Ft_Ok);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find("'A??B'"), std::string::npos);
}

TEST(OpenDevice, BridgeIsSetUpInOrderAfterTheOpen) {
    Fake_Usb_Link link({Dev(Scope, 20)});
    Manual_Reset_Event ev;
    Dev_Handle h = 0;
    ASSERT_EQ(Open_Device(link, &h, false, nullptr, "t", &ev), Ft_Ok);

    struct Expected {
        const char* name;
        std::vector<uint64_t> args;
    };
    const std::vector<Expected> expected = {
        {"Reset_Device", {}},
        {"Set_Divisor", {3}},
        {"Set_Data_Characteristics", {8, 0, 0}},
        {"Set_Flow_Control", {0, 0x13, 0x17}},
        {"Set_Timeouts", {500, 500}},
        {"Purge", {3}},
        {"Set_Latency_Timer", {3}},
        {"Set_Event_Notification", {1, reinterpret_cast<uintptr_t>(&ev)}},
    };
    std::vector<Fake_Usb_Link::Call> calls = link.Calls();
    auto it = std::find_if(calls.begin(), calls.end(),
                           [](const auto& c) { return c.name == "Open_By_Location"; });
    ASSERT_NE(it, calls.end());
    ++it;
    ASSERT_EQ(static_cast<size_t>(calls.end() - it), expected.size());
    for (const Expected& e : expected) {
        EXPECT_EQ(it->name, e.name);
        EXPECT_EQ(it->handle, h) << e.name;
        EXPECT_EQ(it->args, e.args) << e.name;
        ++it;
    }
}

// The message for each kind of code, in both languages.
struct Error_Box_Case {
    Ft_Status code;
    bool russian;
    const char* title;
    const char* text;
};

class USB_Error_Box_Texts : public ::testing::TestWithParam<Error_Box_Case> {};

TEST_P(USB_Error_Box_Texts, ShowsTitleAndText) {
    const Error_Box_Case& c = GetParam();
    Scripted_Prompts prompts;
    USB_Error_Box(prompts, c.code, c.russian);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, c.title);
    EXPECT_EQ(prompts.shown[0].text, c.text);
    EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Error);
    EXPECT_EQ(prompts.shown[0].buttons, Prompt_Buttons::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, USB_Error_Box_Texts,
    ::testing::Values(Error_Box_Case{1, false, "USB Error", "Invalid handle."},
                      Error_Box_Case{1, true, "Ошибка USB", "Неверный дескриптор."},
                      Error_Box_Case{2, false, "USB Error", "Device not found."},
                      Error_Box_Case{2, true, "Ошибка USB", "Устройство не найдено."},
                      Error_Box_Case{4, false, "USB Error", "Error - 4"},
                      Error_Box_Case{18, true, "Ошибка USB", "Ошибка - 18"}));

}  // namespace
}  // namespace tovan
