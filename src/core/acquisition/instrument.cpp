#include "acquisition/instrument.h"

namespace tovan {

void Instrument::Refresh_View() {
    Compute_Params(Settings, Params);
    State.Publish_Params(Params);
    State.Redraw_Request.store(true);
    State.Rx_Event.Set();
}

void Instrument::Apply_Settings() {
    Compute_Params(Settings, Params);
    State.Publish_Params(Params);
    State.Redraw_Request.store(true);
    State.Config_Request.store(true);
    State.Rx_Event.Set();
    State.Set_Run_Flags(Settings.Run || Settings.Sngl, Settings.Sngl);
}

bool Instrument::Take_Single_Release() {
    if (!State.Single_Done.exchange(false)) return false;
    Settings.Sngl = false;
    return true;
}

}  // namespace tovan
