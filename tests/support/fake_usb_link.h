#pragma once
// A scripted UsbLink for tests: a list of devices with their description,
// location and the results their calls give, a per-handle receive queue
// the test fills, and a record of every call. Thread-safe, so that it can
// stand in for the bridge under the acquisition thread as well.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "device/usb_link.h"

namespace tovan::test_support {

struct Fake_Device {
    std::string description = "Digital Oscilloscope";
    uint32_t location = 0;
    Ft_Status open_result = Ft_Ok;         // of Open_By_Location
    Ft_Status queue_status = Ft_Ok;        // of Get_Queue_Status / Get_Status
    Ft_Status location_result = Ft_Ok;     // of List_Location
    Ft_Status description_result = Ft_Ok;  // of List_Description
};

class Fake_Usb_Link : public UsbLink {
public:
    struct Call {
        std::string name;
        Dev_Handle handle = 0;
        std::vector<uint64_t> args;  // scalar arguments in order
        std::vector<uint8_t> bytes;  // Write: the bytes written
    };

    explicit Fake_Usb_Link(std::vector<Fake_Device> devices = {}) : devices_(std::move(devices)) {}

    // --- scripting -------------------------------------------------------
    void Set_Devices(std::vector<Fake_Device> devices) {
        std::lock_guard lock(m_);
        devices_ = std::move(devices);
    }
    void Set_Count_Result(Ft_Status s) {
        std::lock_guard lock(m_);
        count_result_ = s;
    }
    // Changes the scripted queue status of the device behind an open handle.
    void Set_Queue_Status(Dev_Handle h, Ft_Status s) {
        std::lock_guard lock(m_);
        if (auto it = open_.find(h); it != open_.end()) it->second.queue_status = s;
    }
    // Bytes the device "sends": queued for Read, sets the notified event.
    void Push_Rx(Dev_Handle h, const std::vector<uint8_t>& bytes) {
        std::lock_guard lock(m_);
        auto it = open_.find(h);
        if (it == open_.end()) return;
        it->second.rx.insert(it->second.rx.end(), bytes.begin(), bytes.end());
        if (it->second.event != nullptr) it->second.event->Set();
    }
    // Status every Write gives (bytes are recorded only on success).
    void Set_Write_Result(Ft_Status s) {
        std::lock_guard lock(m_);
        write_result_ = s;
    }

    // --- inspection ------------------------------------------------------
    std::vector<Call> Calls() const {
        std::lock_guard lock(m_);
        return calls_;
    }
    std::vector<std::string> Call_Names() const {
        std::lock_guard lock(m_);
        std::vector<std::string> names;
        for (const Call& c : calls_) names.push_back(c.name);
        return names;
    }
    int Count_Of(const std::string& name) const {
        std::lock_guard lock(m_);
        return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                              [&](const Call& c) { return c.name == name; }));
    }
    // Location of the device behind an open handle, or -1.
    int64_t Location_Of(Dev_Handle h) const {
        std::lock_guard lock(m_);
        auto it = open_.find(h);
        return it == open_.end() ? -1 : int64_t{it->second.location};
    }
    bool Is_Open(Dev_Handle h) const {
        std::lock_guard lock(m_);
        return open_.count(h) != 0;
    }
    std::vector<uint8_t> Written() const {
        std::lock_guard lock(m_);
        std::vector<uint8_t> all;
        for (const Call& c : calls_)
            if (c.name == "Write") all.insert(all.end(), c.bytes.begin(), c.bytes.end());
        return all;
    }
    void Clear_Calls() {
        std::lock_guard lock(m_);
        calls_.clear();
    }

    // --- UsbLink ---------------------------------------------------------
    Ft_Status List_Count(uint32_t* count) override {
        std::lock_guard lock(m_);
        Record("List_Count", 0, {});
        if (count_result_ != Ft_Ok) return count_result_;
        *count = static_cast<uint32_t>(devices_.size());
        return Ft_Ok;
    }
    Ft_Status List_Location(uint32_t index, uint32_t* location) override {
        std::lock_guard lock(m_);
        Record("List_Location", 0, {index});
        if (index >= devices_.size()) return Ft_Device_Not_Found;
        if (devices_[index].location_result != Ft_Ok) return devices_[index].location_result;
        *location = devices_[index].location;
        return Ft_Ok;
    }
    Ft_Status List_Description(uint32_t index, std::string* description) override {
        std::lock_guard lock(m_);
        Record("List_Description", 0, {index});
        if (index >= devices_.size()) return Ft_Device_Not_Found;
        if (devices_[index].description_result != Ft_Ok) return devices_[index].description_result;
        *description = devices_[index].description;
        return Ft_Ok;
    }
    Ft_Status Open_By_Location(uint32_t location, Dev_Handle* handle) override {
        std::lock_guard lock(m_);
        Record("Open_By_Location", 0, {location});
        for (const Fake_Device& d : devices_) {
            if (d.location != location) continue;
            if (d.open_result != Ft_Ok) return d.open_result;
            const Dev_Handle h = next_handle_++;
            open_[h] = Open_State{d.location, d.queue_status, {}, nullptr};
            *handle = h;
            return Ft_Ok;
        }
        return Ft_Device_Not_Found;
    }
    Ft_Status Close(Dev_Handle h) override {
        std::lock_guard lock(m_);
        Record("Close", h, {});
        return open_.erase(h) != 0 ? Ft_Ok : Ft_Invalid_Handle;
    }
    Ft_Status Reset_Device(Dev_Handle h) override { return Simple("Reset_Device", h, {}); }
    Ft_Status Set_Divisor(Dev_Handle h, uint16_t divisor) override {
        return Simple("Set_Divisor", h, {divisor});
    }
    Ft_Status Set_Data_Characteristics(Dev_Handle h, uint8_t bits, uint8_t stop,
                                       uint8_t parity) override {
        return Simple("Set_Data_Characteristics", h, {bits, stop, parity});
    }
    Ft_Status Set_Flow_Control(Dev_Handle h, uint16_t mode, uint8_t xon, uint8_t xoff) override {
        return Simple("Set_Flow_Control", h, {mode, xon, xoff});
    }
    Ft_Status Set_Timeouts(Dev_Handle h, uint32_t read_ms, uint32_t write_ms) override {
        return Simple("Set_Timeouts", h, {read_ms, write_ms});
    }
    Ft_Status Set_Latency_Timer(Dev_Handle h, uint8_t ms) override {
        return Simple("Set_Latency_Timer", h, {ms});
    }
    Ft_Status Set_Event_Notification(Dev_Handle h, uint32_t mask,
                                     Manual_Reset_Event* event) override {
        std::lock_guard lock(m_);
        Record("Set_Event_Notification", h,
               {mask, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(event))});
        auto it = open_.find(h);
        if (it == open_.end()) return Ft_Invalid_Handle;
        it->second.event = (mask & Event_Rx_Char) != 0 ? event : nullptr;
        return Ft_Ok;
    }
    Ft_Status Purge(Dev_Handle h, uint32_t mask) override {
        std::lock_guard lock(m_);
        Record("Purge", h, {mask});
        auto it = open_.find(h);
        if (it == open_.end()) return Ft_Invalid_Handle;
        if ((mask & Purge_Rx) != 0) it->second.rx.clear();
        return Ft_Ok;
    }
    Ft_Status Get_Queue_Status(Dev_Handle h, uint32_t* rx_bytes) override {
        std::lock_guard lock(m_);
        Record("Get_Queue_Status", h, {});
        auto it = open_.find(h);
        if (it == open_.end()) return Ft_Invalid_Handle;
        if (it->second.queue_status != Ft_Ok) return it->second.queue_status;
        *rx_bytes = static_cast<uint32_t>(it->second.rx.size());
        return Ft_Ok;
    }
    Ft_Status Get_Status(Dev_Handle h, uint32_t* rx_bytes, uint32_t* tx_bytes,
                         uint32_t* event_status) override {
        std::lock_guard lock(m_);
        Record("Get_Status", h, {});
        auto it = open_.find(h);
        if (it == open_.end()) return Ft_Invalid_Handle;
        if (it->second.queue_status != Ft_Ok) return it->second.queue_status;
        *rx_bytes = static_cast<uint32_t>(it->second.rx.size());
        *tx_bytes = 0;
        *event_status = 0;
        return Ft_Ok;
    }
    // Never waits: gives what is queued (as after the read time-out).
    Ft_Status Read(Dev_Handle h, uint8_t* buffer, uint32_t count, uint32_t* got) override {
        std::lock_guard lock(m_);
        Record("Read", h, {count});
        *got = 0;
        auto it = open_.find(h);
        if (it == open_.end()) return Ft_Invalid_Handle;
        auto& rx = it->second.rx;
        const auto n = static_cast<uint32_t>(std::min<size_t>(count, rx.size()));
        std::copy_n(rx.begin(), n, buffer);
        rx.erase(rx.begin(), rx.begin() + n);
        *got = n;
        return Ft_Ok;
    }
    Ft_Status Write(Dev_Handle h, const uint8_t* buffer, uint32_t count,
                    uint32_t* written) override {
        std::lock_guard lock(m_);
        *written = 0;
        Call c{"Write", h, {count}, {}};
        if (open_.count(h) == 0) {
            calls_.push_back(std::move(c));
            return Ft_Invalid_Handle;
        }
        if (write_result_ == Ft_Ok) {
            c.bytes.assign(buffer, buffer + count);
            *written = count;
        }
        calls_.push_back(std::move(c));
        return write_result_;
    }
    Ft_Status Cycle_Port(Dev_Handle h) override {
        std::lock_guard lock(m_);
        Record("Cycle_Port", h, {});
        return open_.erase(h) != 0 ? Ft_Ok : Ft_Invalid_Handle;  // the handle goes stale
    }

private:
    struct Open_State {
        uint32_t location = 0;
        Ft_Status queue_status = Ft_Ok;
        std::deque<uint8_t> rx;
        Manual_Reset_Event* event = nullptr;
    };

    void Record(const char* name, Dev_Handle h, std::vector<uint64_t> args) {
        calls_.push_back(Call{name, h, std::move(args), {}});
    }
    Ft_Status Simple(const char* name, Dev_Handle h, std::vector<uint64_t> args) {
        std::lock_guard lock(m_);
        Record(name, h, std::move(args));
        return open_.count(h) != 0 ? Ft_Ok : Ft_Invalid_Handle;
    }

    mutable std::mutex m_;
    std::vector<Fake_Device> devices_;
    std::map<Dev_Handle, Open_State> open_;
    std::vector<Call> calls_;
    Ft_Status count_result_ = Ft_Ok;
    Ft_Status write_result_ = Ft_Ok;
    Dev_Handle next_handle_ = 1;
};

}  // namespace tovan::test_support
