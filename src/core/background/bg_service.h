#pragma once
// The background oscillogram as a service of the session: swaps the frame
// with the session's background copy under the data lock and brings the
// settings and the view along. The window adds only its menu item.
#include "display/trace.h"
#include "session/session.h"

namespace tovan {

class BG_Service {
public:
    // `view` is the display state of the screen that shows the background.
    BG_Service(Session& session, Display_State& view) : session_(session), view_(view) {}

    // The swap is offered only while no run is in progress.
    bool Available() const { return !session_.Inst().State.Run_State.load(); }
    // "Main <-> B.G. Oscillogram": exchanges frame and levels with the
    // background copy and applies the settings. False when nothing was done
    // (running, or neither side holds a frame).
    bool Swap();

private:
    Session& session_;
    Display_State& view_;
};

}  // namespace tovan
