#pragma once
// A UsbLink whose every call succeeds and moves nothing: the base of the
// small in-test doubles that only need to override a call or two.
#include <string>

#include "device/usb_link.h"

namespace tovan::test_support {

class Stub_Usb_Link : public UsbLink {
public:
    Ft_Status List_Count(uint32_t* count) override {
        *count = 0;
        return Ft_Ok;
    }
    Ft_Status List_Location(uint32_t, uint32_t*) override { return Ft_Ok; }
    Ft_Status List_Description(uint32_t, std::string*) override { return Ft_Ok; }
    Ft_Status Open_By_Location(uint32_t, Dev_Handle*) override { return Ft_Ok; }
    Ft_Status Close(Dev_Handle) override { return Ft_Ok; }
    Ft_Status Reset_Device(Dev_Handle) override { return Ft_Ok; }
    Ft_Status Set_Divisor(Dev_Handle, uint16_t) override { return Ft_Ok; }
    Ft_Status Set_Data_Characteristics(Dev_Handle, uint8_t, uint8_t, uint8_t) override { return Ft_Ok; }
    Ft_Status Set_Flow_Control(Dev_Handle, uint16_t, uint8_t, uint8_t) override { return Ft_Ok; }
    Ft_Status Set_Timeouts(Dev_Handle, uint32_t, uint32_t) override { return Ft_Ok; }
    Ft_Status Set_Latency_Timer(Dev_Handle, uint8_t) override { return Ft_Ok; }
    Ft_Status Set_Event_Notification(Dev_Handle, uint32_t, Manual_Reset_Event*) override { return Ft_Ok; }
    Ft_Status Purge(Dev_Handle, uint32_t) override { return Ft_Ok; }
    Ft_Status Get_Queue_Status(Dev_Handle, uint32_t* rx) override {
        *rx = 0;
        return Ft_Ok;
    }
    Ft_Status Get_Status(Dev_Handle, uint32_t* rx, uint32_t* tx, uint32_t* ev) override {
        *rx = *tx = *ev = 0;
        return Ft_Ok;
    }
    Ft_Status Read(Dev_Handle, uint8_t*, uint32_t, uint32_t* got) override {
        *got = 0;
        return Ft_Ok;
    }
    Ft_Status Write(Dev_Handle, const uint8_t*, uint32_t count, uint32_t* written) override {
        *written = count;
        return Ft_Ok;
    }
    Ft_Status Cycle_Port(Dev_Handle) override { return Ft_Ok; }
};

}  // namespace tovan::test_support
