#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "device/ftdi_link.h"
#include "device/open_device.h"

namespace tovan {
namespace {

// The real backend on whatever the machine has: with no bridge (often no
// USB bus at all) the listing is empty and the search reports "not found";
// with one, the listing ends where its count says and the search either
// opens the instrument or leaves no handle behind.
TEST(FtdiLinkRealBackend, ListingAndSearchAgreeWithOrWithoutABridge) {
    Ftdi_Link link;
    uint32_t n = 99;
    ASSERT_EQ(link.List_Count(&n), Ft_Ok);
    uint32_t loc = 0;
    std::string desc;
    EXPECT_EQ(link.List_Location(n, &loc), Ft_Device_Not_Found);
    EXPECT_EQ(link.List_Description(n, &desc), Ft_Device_Not_Found);

    Dev_Handle h = 5;
    Manual_Reset_Event ev;
    const Ft_Status rc = Open_Device(link, &h, false, nullptr, "tovan1", &ev);
    if (n == 0) EXPECT_EQ(rc, Ft_Device_Not_Found);
    if (rc == Ft_Ok) {
        EXPECT_NE(h, 0u);
        link.Close(h);
    } else {
        EXPECT_EQ(h, 0u);
    }
}

TEST(FtdiLinkNoBridge, NullOutputPointersAreRejected) {
    Ftdi_Link link;
    EXPECT_EQ(link.List_Count(nullptr), Ft_Invalid_Parameter);
    EXPECT_EQ(link.Open_By_Location(1, nullptr), Ft_Invalid_Parameter);
}

// Every handle call on a handle that was never opened.
struct Handle_Call {
    const char* name;
    std::function<Ft_Status(Ftdi_Link&, Dev_Handle)> call;
};

class Ftdi_Link_Unknown_Handle : public ::testing::TestWithParam<Handle_Call> {};

TEST_P(Ftdi_Link_Unknown_Handle, GivesInvalidHandle) {
    Ftdi_Link link;
    for (Dev_Handle h : {0u, 1u, 0xFFFFFFFFu}) EXPECT_EQ(GetParam().call(link, h), Ft_Invalid_Handle) << h;
}

uint8_t g_buf[16];
uint32_t g_n;
Manual_Reset_Event g_event;

INSTANTIATE_TEST_SUITE_P(
    Calls, Ftdi_Link_Unknown_Handle,
    ::testing::Values(
        Handle_Call{"Close", [](Ftdi_Link& l, Dev_Handle h) { return l.Close(h); }},
        Handle_Call{"Reset_Device", [](Ftdi_Link& l, Dev_Handle h) { return l.Reset_Device(h); }},
        Handle_Call{"Set_Divisor", [](Ftdi_Link& l, Dev_Handle h) { return l.Set_Divisor(h, 3); }},
        Handle_Call{"Set_Data_Characteristics",
                    [](Ftdi_Link& l, Dev_Handle h) { return l.Set_Data_Characteristics(h, 8, 0, 0); }},
        Handle_Call{"Set_Data_Characteristics_Bad",
                    [](Ftdi_Link& l, Dev_Handle h) { return l.Set_Data_Characteristics(h, 5, 9, 9); }},
        Handle_Call{"Set_Flow_Control",
                    [](Ftdi_Link& l, Dev_Handle h) { return l.Set_Flow_Control(h, 0, 0x13, 0x17); }},
        Handle_Call{"Set_Timeouts", [](Ftdi_Link& l, Dev_Handle h) { return l.Set_Timeouts(h, 500, 500); }},
        Handle_Call{"Set_Latency_Timer",
                    [](Ftdi_Link& l, Dev_Handle h) { return l.Set_Latency_Timer(h, 3); }},
        Handle_Call{"Set_Event_Notification",
                    [](Ftdi_Link& l, Dev_Handle h) {
                        return l.Set_Event_Notification(h, Event_Rx_Char, &g_event);
                    }},
        Handle_Call{"Purge", [](Ftdi_Link& l, Dev_Handle h) { return l.Purge(h, 3); }},
        Handle_Call{"Get_Queue_Status",
                    [](Ftdi_Link& l, Dev_Handle h) { return l.Get_Queue_Status(h, &g_n); }},
        Handle_Call{"Get_Status",
                    [](Ftdi_Link& l, Dev_Handle h) {
                        uint32_t tx = 0, ev = 0;
                        return l.Get_Status(h, &g_n, &tx, &ev);
                    }},
        Handle_Call{"Read", [](Ftdi_Link& l, Dev_Handle h) { return l.Read(h, g_buf, 16, &g_n); }},
        Handle_Call{"Write", [](Ftdi_Link& l, Dev_Handle h) { return l.Write(h, g_buf, 16, &g_n); }},
        Handle_Call{"Cycle_Port", [](Ftdi_Link& l, Dev_Handle h) { return l.Cycle_Port(h); }}),
    [](const ::testing::TestParamInfo<Handle_Call>& p) { return p.param.name; });

// Library return codes and the status the program sees. libusb codes:
// -1 I/O, -2 invalid parameter, -3 access, -4 no device, -5 not found,
// -7 time-out, -9 pipe, -10 interrupted, -11 no memory.
struct Map_Case {
    int rc;
    Ftdi_Op op;
    Ft_Status expected;
};

class Ftdi_Error_Map : public ::testing::TestWithParam<Map_Case> {};

TEST_P(Ftdi_Error_Map, MapsToDriverStatus) {
    EXPECT_EQ(Map_Ftdi_Error(GetParam().rc, GetParam().op), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ftdi_Error_Map,
    ::testing::Values(
        // success, whatever the call
        Map_Case{0, Ftdi_Op::Open, Ft_Ok}, Map_Case{12, Ftdi_Op::Read, Ft_Ok},
        Map_Case{3, Ftdi_Op::List, Ft_Ok},
        // context creation
        Map_Case{-3, Ftdi_Op::Init, Ft_Device_Not_Found},
        // listing and strings
        Map_Case{-3, Ftdi_Op::List, Ft_Insufficient_Resources},
        Map_Case{-5, Ftdi_Op::List, Ft_Io_Error}, Map_Case{-6, Ftdi_Op::List, Ft_Io_Error},
        Map_Case{-4, Ftdi_Op::Strings, Ft_Device_Not_Opened},
        Map_Case{-8, Ftdi_Op::Strings, Ft_Io_Error},
        Map_Case{-1, Ftdi_Op::Strings, Ft_Invalid_Parameter},
        // open: refused access or busy device vs. a failing device
        Map_Case{-4, Ftdi_Op::Open, Ft_Device_Not_Opened},
        Map_Case{-5, Ftdi_Op::Open, Ft_Device_Not_Opened},
        Map_Case{-3, Ftdi_Op::Open, Ft_Device_Not_Opened},
        Map_Case{-8, Ftdi_Op::Open, Ft_Device_Not_Opened},
        Map_Case{-6, Ftdi_Op::Open, Ft_Io_Error}, Map_Case{-7, Ftdi_Op::Open, Ft_Io_Error},
        Map_Case{-12, Ftdi_Op::Open, Ft_Io_Error},
        // set-up calls: transfer failed vs. no device on the context
        Map_Case{-1, Ftdi_Op::Reset, Ft_Io_Error}, Map_Case{-2, Ftdi_Op::Reset, Ft_Invalid_Handle},
        Map_Case{-1, Ftdi_Op::Line_Property, Ft_Io_Error},
        Map_Case{-2, Ftdi_Op::Flow_Control, Ft_Invalid_Handle},
        Map_Case{-1, Ftdi_Op::Purge, Ft_Io_Error}, Map_Case{-2, Ftdi_Op::Purge, Ft_Invalid_Handle},
        Map_Case{-1, Ftdi_Op::Baud_Rate, Ft_Invalid_Baud_Rate},
        Map_Case{-2, Ftdi_Op::Baud_Rate, Ft_Io_Error},
        Map_Case{-3, Ftdi_Op::Baud_Rate, Ft_Invalid_Handle},
        Map_Case{-1, Ftdi_Op::Latency, Ft_Invalid_Parameter},
        Map_Case{-2, Ftdi_Op::Latency, Ft_Io_Error},
        Map_Case{-3, Ftdi_Op::Latency, Ft_Invalid_Handle},
        // byte stream
        Map_Case{-7, Ftdi_Op::Read, Ft_Ok}, Map_Case{-10, Ftdi_Op::Read, Ft_Ok},
        Map_Case{-4, Ftdi_Op::Read, Ft_Io_Error}, Map_Case{-1, Ftdi_Op::Read, Ft_Io_Error},
        Map_Case{-9, Ftdi_Op::Read, Ft_Io_Error},
        Map_Case{-11, Ftdi_Op::Read, Ft_Insufficient_Resources},
        Map_Case{-666, Ftdi_Op::Read, Ft_Invalid_Handle},
        Map_Case{-7, Ftdi_Op::Write, Ft_Ok},
        Map_Case{-4, Ftdi_Op::Write, Ft_Failed_To_Write_Device},
        Map_Case{-2, Ftdi_Op::Write, Ft_Invalid_Parameter},
        // port reset: re-enumeration is the expected outcome
        Map_Case{-5, Ftdi_Op::Cycle_Port, Ft_Ok}, Map_Case{-4, Ftdi_Op::Cycle_Port, Ft_Io_Error},
        Map_Case{-7, Ftdi_Op::Cycle_Port, Ft_Io_Error}));

struct Location_Case {
    uint8_t bus;
    std::vector<uint8_t> ports;
    uint8_t address;
    uint8_t channel;
    uint32_t expected;
};

class Location_Packing : public ::testing::TestWithParam<Location_Case> {};

TEST_P(Location_Packing, Packs) {
    const Location_Case& c = GetParam();
    EXPECT_EQ(Pack_Location(c.bus, c.ports, c.address, c.channel), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Location_Packing,
    ::testing::Values(
        Location_Case{1, {2}, 7, 0, 0x01200000},           // root port 2 of bus 1
        Location_Case{3, {1, 4}, 9, 1, 0x03140001},        // behind a hub, channel B
        Location_Case{255, {15, 15, 15, 15, 15}, 1, 3, 0xFFFFFFF3},  // deepest path that fits
        Location_Case{2, {16}, 42, 0, 0x020002A0},         // root port above 15: address form
        Location_Case{2, {1, 2, 3, 4, 5, 6}, 42, 0, 0x020002A0},  // six tiers: address form
        Location_Case{2, {}, 42, 2, 0x020002A2}));          // no path known

TEST(LocationPacking, AddressFormNeverEqualsAPath) {
    // Same bus, channel: any real path has a non-zero root nibble.
    const uint32_t by_address = Pack_Location(1, std::vector<uint8_t>{20}, 0xFF, 0);
    EXPECT_EQ(by_address & 0x00F00000u, 0u);
    EXPECT_NE(Pack_Location(1, std::vector<uint8_t>{1}, 0xFF, 0) & 0x00F00000u, 0u);
}

struct Strip_Case {
    const char* name;
    std::vector<uint8_t> in;
    size_t packet;
    std::vector<uint8_t> expected;
};

class Modem_Status_Strip : public ::testing::TestWithParam<Strip_Case> {};

TEST_P(Modem_Status_Strip, KeepsOnlyData) {
    std::vector<uint8_t> buf = GetParam().in;
    const size_t n = Strip_Modem_Status(buf.data(), buf.size(), GetParam().packet);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + static_cast<long>(n)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Modem_Status_Strip,
    ::testing::Values(
        Strip_Case{"StatusOnly", {0x31, 0x60}, 4, {}},
        Strip_Case{"Empty", {}, 4, {}},
        Strip_Case{"TwoFullPacketsAndShortOne",
                   {0x31, 0x60, 1, 2, 0x31, 0x60, 3, 4, 0x31, 0x60, 5}, 4, {1, 2, 3, 4, 5}},
        Strip_Case{"TrailingStatusOnlyPacket", {0x31, 0x60, 1, 2, 0x31, 0x60}, 4, {1, 2}},
        Strip_Case{"TruncatedStatus", {0x31, 0x60, 9, 8, 0x31}, 4, {9, 8}},
        Strip_Case{"BogusPacketSize", {0x31, 0x60, 1}, 2, {}}),
    [](const ::testing::TestParamInfo<Strip_Case>& p) { return p.param.name; });

}  // namespace
}  // namespace tovan
