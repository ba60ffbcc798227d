#pragma once
// Receive queue of an open bridge: a bounded byte ring filled by the
// bridge's reader thread and emptied by Read. Read blocks on a condition
// variable until enough bytes are there, the time-out runs out, the
// device fails or the handle is closed. Thread-safe.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "common/event.h"
#include "device/usb_link.h"

namespace tovan {

class Rx_Queue {
public:
    explicit Rx_Queue(size_t capacity);

    // --- reader side ------------------------------------------------------
    // Generation of the queue contents; Clear starts a new one.
    uint64_t Epoch() const;
    // Appends bytes read while `epoch` was current (bytes of an older
    // generation were read before a purge and are discarded). What does not
    // fit is dropped and counted. Wakes Read and sets the notified event.
    void Push(const uint8_t* data, size_t n, uint64_t epoch);
    // The device failed: once the queued bytes are taken, calls give `status`.
    void Fail(Ft_Status status);

    // --- caller side ------------------------------------------------------
    // The handle was closed: waiting and later calls give Ft_Invalid_Handle.
    void Close();
    // The event set whenever bytes arrive (null: none). Must outlive the queue's use.
    void Set_Event(Manual_Reset_Event* event);
    // Discards everything queued (purge).
    void Clear();
    // Number of queued bytes, or the failure / closed status.
    Ft_Status Queued(uint32_t* count) const;
    // Takes up to `count` bytes, waiting at most `timeout` for the rest
    // (zero: without limit, until closed or failed). Returns Ft_Ok with
    // *got < count when the time-out ran out.
    Ft_Status Read(uint8_t* buffer, uint32_t count, uint32_t* got,
                   std::chrono::milliseconds timeout);

    uint64_t Dropped() const;
    size_t Capacity() const { return ring_.size(); }

private:
    size_t Take(uint8_t* out, size_t n);  // with m_ held

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<uint8_t> ring_;
    size_t head_ = 0;  // index of the oldest byte
    size_t size_ = 0;
    uint64_t epoch_ = 0;
    uint64_t dropped_ = 0;
    Ft_Status failure_ = Ft_Ok;
    bool closed_ = false;
    Manual_Reset_Event* event_ = nullptr;
};

}  // namespace tovan
