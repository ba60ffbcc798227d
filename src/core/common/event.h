#pragma once
// Manual-reset event: stays set until reset; Wait returns at once while set.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tovan {

class Manual_Reset_Event {
public:
    void Set() {
        {
            std::lock_guard lock(m_);
            set_ = true;
        }
        cv_.notify_all();
    }
    void Reset() {
        std::lock_guard lock(m_);
        set_ = false;
    }
    bool Is_Set() const {
        std::lock_guard lock(m_);
        return set_;
    }
    // True when the event was set before the time-out ran out.
    bool Wait_For(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, timeout, [this] { return set_; });
    }

private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool set_ = false;
};

}  // namespace tovan
