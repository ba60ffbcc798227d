#pragma once
// The byte-stream layer between the program and the instrument's USB
// bridge. The calls mirror the bridge vendor's D2XX library: each returns a
// 32-bit status, 0 for success, and works on a device handle. A call on a
// closed or stale handle fails with Ft_Invalid_Handle. Implementations:
// the libftdi1 backend (real bridge), the virtual instrument and the
// recording double of the tests. All calls are safe from any thread.
#include <cstdint>
#include <string>

#include "common/event.h"

namespace tovan {

using Ft_Status = uint32_t;
using Dev_Handle = uint32_t;  // 0: no device

// D2XX status codes.
enum : Ft_Status {
    Ft_Ok = 0,
    Ft_Invalid_Handle = 1,
    Ft_Device_Not_Found = 2,
    Ft_Device_Not_Opened = 3,
    Ft_Io_Error = 4,
    Ft_Insufficient_Resources = 5,
    Ft_Invalid_Parameter = 6,
    Ft_Invalid_Baud_Rate = 7,
    Ft_Device_Not_Opened_For_Erase = 8,
    Ft_Device_Not_Opened_For_Write = 9,
    Ft_Failed_To_Write_Device = 10,
    Ft_Other_Error = 18,
};

// Purge masks.
enum : uint32_t { Purge_Rx = 1, Purge_Tx = 2 };
// Event notification mask: a character was received.
enum : uint32_t { Event_Rx_Char = 1 };

class UsbLink {
public:
    virtual ~UsbLink() = default;

    // Device list (refreshed by List_Count).
    virtual Ft_Status List_Count(uint32_t* count) = 0;
    virtual Ft_Status List_Location(uint32_t index, uint32_t* location) = 0;
    virtual Ft_Status List_Description(uint32_t index, std::string* description) = 0;

    virtual Ft_Status Open_By_Location(uint32_t location, Dev_Handle* handle) = 0;
    virtual Ft_Status Close(Dev_Handle h) = 0;

    // Bridge set-up.
    virtual Ft_Status Reset_Device(Dev_Handle h) = 0;
    virtual Ft_Status Set_Divisor(Dev_Handle h, uint16_t divisor) = 0;
    virtual Ft_Status Set_Data_Characteristics(Dev_Handle h, uint8_t bits, uint8_t stop,
                                               uint8_t parity) = 0;
    virtual Ft_Status Set_Flow_Control(Dev_Handle h, uint16_t mode, uint8_t xon,
                                       uint8_t xoff) = 0;
    virtual Ft_Status Set_Timeouts(Dev_Handle h, uint32_t read_ms, uint32_t write_ms) = 0;
    virtual Ft_Status Set_Latency_Timer(Dev_Handle h, uint8_t ms) = 0;
    // The event is set whenever bytes arrive; it must outlive the handle.
    virtual Ft_Status Set_Event_Notification(Dev_Handle h, uint32_t mask,
                                             Manual_Reset_Event* event) = 0;

    // Byte stream.
    virtual Ft_Status Purge(Dev_Handle h, uint32_t mask) = 0;
    virtual Ft_Status Get_Queue_Status(Dev_Handle h, uint32_t* rx_bytes) = 0;
    virtual Ft_Status Get_Status(Dev_Handle h, uint32_t* rx_bytes, uint32_t* tx_bytes,
                                 uint32_t* event_status) = 0;
    // Blocks until `count` bytes are there or the read time-out runs out.
    virtual Ft_Status Read(Dev_Handle h, uint8_t* buffer, uint32_t count, uint32_t* got) = 0;
    virtual Ft_Status Write(Dev_Handle h, const uint8_t* buffer, uint32_t count,
                            uint32_t* written) = 0;

    // USB port reset (the device re-enumerates; the handle becomes stale).
    virtual Ft_Status Cycle_Port(Dev_Handle h) = 0;
};

}  // namespace tovan
