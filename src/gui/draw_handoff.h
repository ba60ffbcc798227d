#pragma once
// The acquisition thread's redraw hand-off: runs the draw function on the
// GUI thread and blocks until it has run. Cancel() releases a waiting
// thread for good (shutdown), so that stopping the thread never waits on an
// event loop that no longer runs.
//
// The request travels as a queued call of a named method, so that Qt
// allocates and frees everything it needs itself; the state the two
// threads share is under the mutex.
#include <QEventLoop>
#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace tovan {

class Draw_Handoff : public QObject {
    Q_OBJECT
public:
    // Lives on the GUI thread; `draw` runs there.
    explicit Draw_Handoff(std::function<void()> draw, QObject* parent = nullptr);

    // Acquisition thread: asks for one draw and waits until a draw that
    // started after the request has finished (or the hand-off is cancelled).
    void Run_Blocking();
    void Cancel();
    // Any thread: wakes the GUI thread's event loop, so that a wait running
    // it looks at its condition again (a queued call of a no-op).
    void Wake();
    // GUI thread: waits until done() holds, serving the draws asked for
    // meanwhile and the events `flags` let through. The draws are served
    // directly rather than through the queued call, so that the wait never
    // depends on Qt delivering a queued call from inside whatever event it
    // was started from (a nested wait that blocked in the event loop while
    // the thread waited for its draw was seen to hang).
    void Wait_Serving(const std::function<bool()>& done, QEventLoop::ProcessEventsFlags flags);

private:
    Q_INVOKABLE void Serve();
    Q_INVOKABLE void Nudge() {}

    std::function<void()> draw_;
    std::mutex m_;
    std::condition_variable cv_;
    std::condition_variable gui_cv_;  // a draw asked for, or Wake()
    bool woken_ = false;
    uint64_t issued_ = 0;
    uint64_t done_ = 0;
    bool cancelled_ = false;
};

}  // namespace tovan
