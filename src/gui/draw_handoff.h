#pragma once
// The acquisition thread's redraw hand-off: runs a function on the GUI
// thread and blocks until it has run. Cancel() releases a waiting thread
// for good (shutdown), so that stopping the thread never waits on an event
// loop that no longer runs.
#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace tovan {

class Draw_Handoff {
public:
    // `context` lives on the GUI thread; when it is destroyed, pending calls
    // are dropped (Cancel first so that nobody waits for them).
    void Run_Blocking(QObject* context, const std::function<void()>& fn) {
        std::unique_lock lock(m_);
        if (cancelled_) return;
        const uint64_t ticket = ++issued_;
        lock.unlock();
        QMetaObject::invokeMethod(
            context,
            [this, fn, ticket] {
                {
                    std::lock_guard g(m_);
                    if (cancelled_) return;
                }
                fn();
                std::lock_guard g(m_);
                if (ticket > done_) done_ = ticket;
                cv_.notify_all();
            },
            Qt::QueuedConnection);
        lock.lock();
        cv_.wait(lock, [&] { return done_ >= ticket || cancelled_; });
    }

    void Cancel() {
        std::lock_guard lock(m_);
        cancelled_ = true;
        cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    uint64_t issued_ = 0;
    uint64_t done_ = 0;
    bool cancelled_ = false;
};

}  // namespace tovan
