// The redraw hand-off: a wait on the GUI thread serves the acquisition
// thread's draws (here from inside a queued call, as a dialog's deferred
// action runs), and a cancelled hand-off never holds the thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <thread>

#include "gui/draw_handoff.h"

namespace tovan::test {
namespace {

TEST(Draw_Handoff, WaitInsideAQueuedCallServesTheDraws) {
    int drawn = 0;
    Draw_Handoff h([&] { ++drawn; });
    std::atomic<bool> finished{false};
    std::thread acquisition;
    QEventLoop loop;
    // A queued call delivered by a running event loop, as a modal dialog's
    // loop delivers a deferred action.
    QMetaObject::invokeMethod(
        &loop,
        [&] {
            // The thread asks for three draws, one after the other.
            acquisition = std::thread([&] {
                for (int i = 0; i < 3; ++i) h.Run_Blocking();
                finished = true;
                h.Wake();
            });
            h.Wait_Serving([&] { return finished.load(); }, QEventLoop::ExcludeUserInputEvents);
            loop.quit();
        },
        Qt::QueuedConnection);
    loop.exec();
    acquisition.join();
    EXPECT_EQ(drawn, 3);
}

TEST(Draw_Handoff, CancelReleasesTheThread) {
    Draw_Handoff h([] {});
    h.Cancel();
    std::thread t([&] { h.Run_Blocking(); });  // returns at once
    t.join();
    SUCCEED();
}

}  // namespace
}  // namespace tovan::test
