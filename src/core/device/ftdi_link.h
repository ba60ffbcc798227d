#pragma once
// UsbLink on libftdi1/libusb: the real bridge on Linux.
//
// Devices: every FTDI bridge with vendor 0x0403 and one of the product ids
// 0x6001 (FT232/FT245 R and BM), 0x6010 (FT2232), 0x6011 (FT4232H),
// 0x6014 (FT232H) and 0x6015 (FT-X series). A multi-channel chip lists
// one entry per channel, its description followed by " A", " B" ... as
// the vendor's driver does. Descriptions are the USB product string (read
// with the device briefly opened; a device the user may not open fails the
// description query and is skipped by the search).
//
// Location identifiers (see Pack_Location) are made from the bus number
// and the port path, so they stay the same while the bridge stays in the
// same socket, across re-plugging and port resets.
//
// Each open device has a reader thread that keeps the bridge's bulk-in
// endpoint busy and moves the received bytes (without the two modem-status
// bytes of each USB packet) into a bounded receive queue. Status calls
// report that queue, Read takes from it, and the notified event is set
// whenever bytes arrive.
//
// Handles are small integers, never 0 and not reused while the link
// lives; a closed, port-reset or unknown handle gives Ft_Invalid_Handle.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/usb_link.h"

namespace tovan {

// Which libftdi/libusb call a return code came from.
enum class Ftdi_Op {
    Init,           // ftdi_new / libusb_init
    List,           // ftdi_usb_find_all
    Strings,        // ftdi_usb_get_strings
    Open,           // ftdi_usb_open_dev
    Reset,          // ftdi_usb_reset
    Baud_Rate,      // ftdi_set_baudrate
    Line_Property,  // ftdi_set_line_property
    Flow_Control,   // ftdi_setflowctrl, ftdi_setflowctrl_xonxoff
    Latency,        // ftdi_set_latency_timer
    Purge,          // ftdi_tciflush, ftdi_tcoflush
    Read,           // libusb_bulk_transfer on the bulk-in endpoint
    Write,          // libusb_bulk_transfer on the bulk-out endpoint
    Cycle_Port,     // libusb_reset_device
};

// Maps a libftdi or libusb return code to the D2XX status the program
// expects. Non-negative codes are success. A libusb time-out is success
// for reads and writes (the byte count tells what was moved).
Ft_Status Map_Ftdi_Error(int rc, Ftdi_Op op);

// Location identifier of one channel of a bridge:
//   bits 31..24  USB bus number
//   bits 23..4   port path from the root hub, one 4-bit port number per
//                tier, root port in bits 23..20, unused tiers 0
//                (five tiers, ports 1..15)
//   bits  3..0   channel (0 = A, 1 = B, ...)
// A path that does not fit (deeper than five tiers, a port above 15, or
// none) is replaced by the device address in bits 11..4 with bits 23..12
// zero; such an identifier is unique while the device stays plugged in but
// changes when it re-enumerates. The two forms cannot collide: a real path
// always has a non-zero root port.
uint32_t Pack_Location(uint8_t bus, std::span<const uint8_t> ports, uint8_t address,
                       uint8_t channel);

// Removes the two modem-status bytes that start every USB packet of an
// FTDI bulk-in transfer, in place; returns the number of data bytes left.
size_t Strip_Modem_Status(uint8_t* data, size_t length, size_t packet_size);

class Ftdi_Link : public UsbLink {
public:
    // Receive queue per open device: 4 MiB, several seconds of the
    // instrument's stream; bytes beyond it are dropped and counted.
    static constexpr size_t Rx_Queue_Bytes = size_t{4} << 20;

    Ftdi_Link();
    ~Ftdi_Link() override;  // closes every open device
    Ftdi_Link(const Ftdi_Link&) = delete;
    Ftdi_Link& operator=(const Ftdi_Link&) = delete;

    Ft_Status List_Count(uint32_t* count) override;
    Ft_Status List_Location(uint32_t index, uint32_t* location) override;
    Ft_Status List_Description(uint32_t index, std::string* description) override;

    Ft_Status Open_By_Location(uint32_t location, Dev_Handle* handle) override;
    Ft_Status Close(Dev_Handle h) override;

    Ft_Status Reset_Device(Dev_Handle h) override;
    // Divisor of the 3 MHz reference: the baud rate is 3,000,000 / divisor
    // (0 meaning 3 MBaud), set through libftdi's baud-rate call, which
    // picks the chip's encoding of the nearest divisor.
    Ft_Status Set_Divisor(Dev_Handle h, uint16_t divisor) override;
    // bits 7 or 8; stop 0 (one) or 2 (two); parity 0 none, 1 odd, 2 even, 3 mark, 4 space.
    Ft_Status Set_Data_Characteristics(Dev_Handle h, uint8_t bits, uint8_t stop,
                                       uint8_t parity) override;
    // mode 0 none, 0x100 RTS/CTS, 0x200 DTR/DSR, 0x400 XON/XOFF with xon/xoff.
    Ft_Status Set_Flow_Control(Dev_Handle h, uint16_t mode, uint8_t xon, uint8_t xoff) override;
    // Until set, both are 500 ms. 0 means no limit (a read then waits until
    // the bytes come or the handle is closed).
    Ft_Status Set_Timeouts(Dev_Handle h, uint32_t read_ms, uint32_t write_ms) override;
    Ft_Status Set_Latency_Timer(Dev_Handle h, uint8_t ms) override;
    // Only Event_Rx_Char is supported; other mask bits are ignored.
    Ft_Status Set_Event_Notification(Dev_Handle h, uint32_t mask,
                                     Manual_Reset_Event* event) override;

    Ft_Status Purge(Dev_Handle h, uint32_t mask) override;
    Ft_Status Get_Queue_Status(Dev_Handle h, uint32_t* rx_bytes) override;
    // tx_bytes is always 0 (writes complete before Write returns);
    // event_status is always 0.
    Ft_Status Get_Status(Dev_Handle h, uint32_t* rx_bytes, uint32_t* tx_bytes,
                         uint32_t* event_status) override;
    Ft_Status Read(Dev_Handle h, uint8_t* buffer, uint32_t count, uint32_t* got) override;
    Ft_Status Write(Dev_Handle h, const uint8_t* buffer, uint32_t count,
                    uint32_t* written) override;
    // USB port reset; the device re-enumerates and the handle is released.
    Ft_Status Cycle_Port(Dev_Handle h) override;

    // Bytes dropped because the receive queue was full (0 for an unknown handle).
    uint64_t Dropped_Bytes(Dev_Handle h) const;

private:
    struct Device;
    struct List_Entry {
        uint32_t location = 0;
        Ft_Status location_status = Ft_Ok;
        std::string description;
        Ft_Status description_status = Ft_Ok;
    };

    std::shared_ptr<Device> Find(Dev_Handle h) const;
    std::shared_ptr<Device> Take(Dev_Handle h);
    // Runs f(ftdi_context*) on an open device under its lock.
    template <class F>
    static Ft_Status With_Context(const std::shared_ptr<Device>& d, F f);

    mutable std::mutex devices_mutex_;
    std::map<Dev_Handle, std::shared_ptr<Device>> devices_;
    Dev_Handle next_handle_ = 1;

    std::mutex list_mutex_;
    std::vector<List_Entry> list_;
};

}  // namespace tovan
