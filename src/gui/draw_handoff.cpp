#include "gui/draw_handoff.h"

#include <QCoreApplication>
#include <chrono>

namespace tovan {

Draw_Handoff::Draw_Handoff(std::function<void()> draw, QObject* parent)
    : QObject(parent), draw_(std::move(draw)) {}

void Draw_Handoff::Run_Blocking() {
    std::unique_lock lock(m_);
    if (cancelled_) return;
    const uint64_t ticket = ++issued_;
    gui_cv_.notify_all();
    lock.unlock();
    QMetaObject::invokeMethod(this, "Serve", Qt::QueuedConnection);
    lock.lock();
    cv_.wait(lock, [&] { return done_ >= ticket || cancelled_; });
}

void Draw_Handoff::Cancel() {
    std::lock_guard lock(m_);
    cancelled_ = true;
    cv_.notify_all();
}

void Draw_Handoff::Serve() {
    uint64_t serving;
    {
        std::lock_guard lock(m_);
        if (cancelled_ || done_ >= issued_) return;
        serving = issued_;
    }
    draw_();
    std::lock_guard lock(m_);
    if (serving > done_) done_ = serving;
    cv_.notify_all();
}

void Draw_Handoff::Wake() {
    {
        std::lock_guard lock(m_);
        woken_ = true;
    }
    gui_cv_.notify_all();
    QMetaObject::invokeMethod(this, "Nudge", Qt::QueuedConnection);
}

void Draw_Handoff::Wait_Serving(const std::function<bool()>& done, QEventLoop::ProcessEventsFlags flags) {
    flags &= ~QEventLoop::WaitForMoreEvents;
    while (!done()) {
        Serve();
        QCoreApplication::processEvents(flags);
        if (done()) return;
        std::unique_lock lock(m_);
        // Each pass of the acquisition thread wakes the wait; the bound
        // keeps the events `flags` let through flowing when none comes.
        gui_cv_.wait_for(lock, std::chrono::milliseconds(10),
                         [&] { return (!cancelled_ && issued_ > done_) || woken_; });
        woken_ = false;
    }
}

}  // namespace tovan
