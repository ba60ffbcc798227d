#include "gui/draw_handoff.h"

namespace tovan {

Draw_Handoff::Draw_Handoff(std::function<void()> draw, QObject* parent)
    : QObject(parent), draw_(std::move(draw)) {}

void Draw_Handoff::Run_Blocking() {
    std::unique_lock lock(m_);
    if (cancelled_) return;
    const uint64_t ticket = ++issued_;
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

void Draw_Handoff::Wake() { QMetaObject::invokeMethod(this, "Nudge", Qt::QueuedConnection); }

}  // namespace tovan
