#include <gtest/gtest.h>

#include "acquisition/link_control.h"
#include "support/fake_usb_link.h"
#include "support/scripted_prompts.h"

namespace tovan {
namespace {

using test_support::Fake_Device;
using test_support::Fake_Usb_Link;
using test_support::Scripted_Prompts;

Fake_Device Scope_At(uint32_t location) {
    Fake_Device d;
    d.location = location;
    return d;
}

class Link_Control : public ::testing::Test {
protected:
    // The instrument was opened earlier and its handle is in st.Handle.
    void Open_Initially() {
        Dev_Handle h = 0;
        ASSERT_EQ(link.Open_By_Location(20, &h), Ft_Ok);
        st.Handle = h;
        st.Link_Status = Ft_Ok;
        st.FPGA_OK = true;
        link.Clear_Calls();
    }
    void Raise_All_Errors() {
        st.Err_Link_Lost = true;
        st.Err_FPGA_Config = true;
        st.Err_Power_Fail = true;
        st.Err_FPGA_Lost = true;
    }
    bool Press(bool lang_russian = false, std::function<void()> refresh = {}) {
        return Link_Check_On_Press(link, st, false, prompts, lang_russian, "scope", refresh);
    }

    Fake_Usb_Link link{{Scope_At(20)}};
    Acq_State st;
    Scripted_Prompts prompts;
};

TEST_F(Link_Control, GoodLinkIsNotReopened) {
    Open_Initially();
    const Dev_Handle before = st.Handle;
    EXPECT_TRUE(Press());
    EXPECT_EQ(link.Call_Names(), std::vector<std::string>{"Get_Queue_Status"});
    EXPECT_EQ(st.Handle, before);
    EXPECT_EQ(st.Link_Status, Ft_Ok);
    EXPECT_TRUE(st.FPGA_OK);
    EXPECT_FALSE(st.FPGA_Load_Request);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Link_Control, CheckStoresTheQueueStatusCode) {
    Open_Initially();
    EXPECT_EQ(Check_Link(link, st), Ft_Ok);
    link.Set_Queue_Status(st.Handle, Ft_Io_Error);
    EXPECT_EQ(Check_Link(link, st), Ft_Io_Error);
    EXPECT_EQ(st.Link_Status, Ft_Io_Error);
    EXPECT_EQ(link.Count_Of("Close"), 0);  // a check never closes
}

TEST_F(Link_Control, BrokenLinkIsReopenedAndTheFpgaLoadRequested) {
    Open_Initially();
    const Dev_Handle old = st.Handle;
    link.Set_Queue_Status(old, Ft_Io_Error);
    Raise_All_Errors();

    EXPECT_TRUE(Press());
    EXPECT_FALSE(link.Is_Open(old));
    EXPECT_NE(st.Handle, old);
    EXPECT_TRUE(link.Is_Open(st.Handle));
    EXPECT_EQ(st.Link_Status, Ft_Ok);
    EXPECT_FALSE(st.FPGA_OK);
    EXPECT_TRUE(st.FPGA_Load_Request);
    EXPECT_FALSE(st.Err_Link_Lost);
    EXPECT_FALSE(st.Err_FPGA_Config);
    EXPECT_FALSE(st.Err_Power_Fail);
    EXPECT_FALSE(st.Err_FPGA_Lost);
    EXPECT_TRUE(prompts.shown.empty());
    // The re-opened bridge reports received bytes to the thread's event.
    link.Push_Rx(st.Handle, {1});
    EXPECT_TRUE(st.Rx_Event.Is_Set());
}

TEST_F(Link_Control, NoDeviceAtStartIsOpenedByThePress) {
    // Never opened: handle 0 fails the check, the press opens the device.
    EXPECT_TRUE(Press());
    EXPECT_NE(st.Handle, 0u);
    EXPECT_TRUE(st.FPGA_Load_Request);
}

// Re-open failure: the message in both languages; flags untouched.
struct Failure_Case {
    bool russian;
    const char* title;
    const char* text;
};

class Link_Control_Failure : public Link_Control,
                             public ::testing::WithParamInterface<Failure_Case> {};

TEST_P(Link_Control_Failure, DeviceGoneShowsNotFoundAndReleases) {
    Open_Initially();
    const Dev_Handle old = st.Handle;
    link.Set_Queue_Status(old, Ft_Io_Error);
    link.Set_Devices({});  // unplugged
    Raise_All_Errors();

    EXPECT_FALSE(Press(GetParam().russian));
    EXPECT_EQ(st.Link_Status, Ft_Device_Not_Found);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, GetParam().title);
    EXPECT_EQ(prompts.shown[0].text, GetParam().text);
    EXPECT_EQ(prompts.shown[0].icon, Prompt_Icon::Error);
    EXPECT_FALSE(link.Is_Open(old));
    EXPECT_EQ(link.Count_Of("Close"), 2);
    EXPECT_FALSE(st.FPGA_Load_Request);
    EXPECT_TRUE(st.Err_Link_Lost);
    EXPECT_TRUE(st.FPGA_OK);
}

INSTANTIATE_TEST_SUITE_P(Languages, Link_Control_Failure,
                         ::testing::Values(Failure_Case{false, "USB Error", "Device not found."},
                                           Failure_Case{true, "Ошибка USB",
                                                        "Устройство не найдено."}));

TEST_F(Link_Control, OnRefreshesBeforeAndAfterTheMessage) {
    link.Set_Devices({});
    std::vector<std::string> order;
    struct Logging_Prompts : Scripted_Prompts {
        std::vector<std::string>* order = nullptr;
        Prompt_Answer Message_Box(const std::string& t, const std::string& x, Prompt_Icon i,
                                  Prompt_Buttons b) override {
            order->push_back("message");
            return Scripted_Prompts::Message_Box(t, x, i, b);
        }
    } logging;
    logging.order = &order;
    EXPECT_FALSE(Link_Check_On_Press(link, st, false, logging, false, "scope",
                                     [&] { order.push_back("refresh"); }));
    EXPECT_EQ(order, (std::vector<std::string>{"refresh", "message", "refresh"}));
}

TEST_F(Link_Control, OpenFailureCodeIsShownByNumber) {
    Fake_Device d = Scope_At(20);
    d.open_result = Ft_Io_Error;
    link.Set_Devices({d});
    EXPECT_FALSE(Press());
    EXPECT_EQ(st.Link_Status, Ft_Io_Error);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error - 4");
}

}  // namespace
}  // namespace tovan
