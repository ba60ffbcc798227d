#include "device/rx_queue.h"

#include <algorithm>
#include <cstring>

namespace tovan {

Rx_Queue::Rx_Queue(size_t capacity) : ring_(std::max<size_t>(capacity, 1)) {}

uint64_t Rx_Queue::Epoch() const {
    std::lock_guard lock(m_);
    return epoch_;
}

void Rx_Queue::Push(const uint8_t* data, size_t n, uint64_t epoch) {
    if (n == 0) return;
    {
        std::lock_guard lock(m_);
        if (epoch != epoch_ || closed_) return;
        const size_t cap = ring_.size();
        const size_t fit = std::min(n, cap - size_);
        dropped_ += n - fit;
        size_t tail = (head_ + size_) % cap;
        const size_t first = std::min(fit, cap - tail);
        std::memcpy(ring_.data() + tail, data, first);
        std::memcpy(ring_.data(), data + first, fit - first);
        size_ += fit;
        if (event_ != nullptr && fit > 0) event_->Set();
    }
    cv_.notify_all();
}

void Rx_Queue::Fail(Ft_Status status) {
    {
        std::lock_guard lock(m_);
        if (failure_ == Ft_Ok) failure_ = status == Ft_Ok ? Ft_Io_Error : status;
    }
    cv_.notify_all();
}

void Rx_Queue::Close() {
    {
        std::lock_guard lock(m_);
        closed_ = true;
        event_ = nullptr;
    }
    cv_.notify_all();
}

void Rx_Queue::Set_Event(Manual_Reset_Event* event) {
    std::lock_guard lock(m_);
    event_ = event;
}

void Rx_Queue::Clear() {
    std::lock_guard lock(m_);
    head_ = 0;
    size_ = 0;
    ++epoch_;
}

Ft_Status Rx_Queue::Queued(uint32_t* count) const {
    std::lock_guard lock(m_);
    *count = 0;
    if (closed_) return Ft_Invalid_Handle;
    if (failure_ != Ft_Ok) return failure_;
    *count = static_cast<uint32_t>(std::min<size_t>(size_, UINT32_MAX));
    return Ft_Ok;
}

size_t Rx_Queue::Take(uint8_t* out, size_t n) {
    const size_t cap = ring_.size();
    const size_t take = std::min(n, size_);
    if (take == 0) return 0;  // `out` may be null for an empty read
    const size_t first = std::min(take, cap - head_);
    std::memcpy(out, ring_.data() + head_, first);
    std::memcpy(out + first, ring_.data(), take - first);
    head_ = (head_ + take) % cap;
    size_ -= take;
    return take;
}

Ft_Status Rx_Queue::Read(uint8_t* buffer, uint32_t count, uint32_t* got,
                         std::chrono::milliseconds timeout) {
    *got = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(m_);
    uint32_t n = 0;
    for (;;) {
        if (closed_) {
            *got = n;
            return Ft_Invalid_Handle;
        }
        n += static_cast<uint32_t>(Take(buffer + n, count - n));
        if (n == count) break;
        if (failure_ != Ft_Ok) {
            *got = n;
            return failure_;
        }
        const auto ready = [this] { return size_ > 0 || closed_ || failure_ != Ft_Ok; };
        if (timeout.count() <= 0) {
            cv_.wait(lock, ready);
        } else if (!cv_.wait_until(lock, deadline, ready)) {
            break;
        }
    }
    *got = n;
    return Ft_Ok;
}

uint64_t Rx_Queue::Dropped() const {
    std::lock_guard lock(m_);
    return dropped_;
}

}  // namespace tovan
