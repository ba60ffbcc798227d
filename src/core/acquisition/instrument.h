#pragma once
// The instrument as the GUI sees it: the settings record, the device
// parameters computed from it and the shared acquisition state. Every
// control change ends in Apply_Settings or Refresh_View.
#include "device/acq_state.h"
#include "settings/compute_params.h"
#include "settings/scope_settings.h"

namespace tovan {

class Instrument {
public:
    Scope_Settings Settings;  // GUI thread only
    Device_Params Params;     // GUI thread's copy; the thread reads State's snapshot
    Acq_State State;

    // Recomputes the parameters, asks for a redraw and a new configuration,
    // wakes the acquisition thread and takes the run flags from RUN/SINGLE.
    void Apply_Settings();
    // Recomputes the parameters for the display and asks for a redraw only.
    void Refresh_View();
    // On the GUI thread after a redraw: releases SINGLE when the
    // acquisition thread finished a single shot. True when it did.
    bool Take_Single_Release();
};

}  // namespace tovan
