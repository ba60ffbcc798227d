#pragma once
// One complete screen of the oscillogram area: grid, traces, spectrum,
// markers, border, arrows, activity indicator and texts, drawn into a
// canvas from the frame data, the settings record and the view state.
#include <cstdint>
#include <string>

#include "common/tovan1_version.h"
#include "display/canvas.h"
#include "display/fft.h"
#include "display/geometry.h"
#include "display/trace.h"
#include "model/device_params.h"
#include "model/frame.h"
#include "settings/scope_settings.h"

namespace tovan {

// Status and counter values shown on the screen.
struct Screen_Inputs {
    uint32_t FPS_Shown = 0;
    uint32_t FPS_Received = 0;
    uint32_t CRC_Errors_PS = 0;
    int32_t Vcc_10mV = 0;
    bool Vcc_Present = false;
    bool Activity_Flag = false;  // taken (and cleared) by the caller
    bool Run_State = false;
    bool Single_State = false;
    std::string Program_Name = "Tovan1";
    int Version = Version_Number;  // shown as 1.62 in debug mode
};

// What the window shows outside the bitmap.
struct Screen_Result {
    std::string Caption;
    std::string Label_F, Label_V, Label_Mod, Label_Pulse;
    bool Label_Mod_Visible = false;
    bool Label_Pulse_Visible = false;
    uint32_t Panel_Color = 0;  // Panel_Gen and its labels
    uint32_t Label_Font_Color = 0;
    int X_Pos = 0;  // scroll position to show (reset to 0 past the count)
    int X_Max = 0;  // scroll range 0..X_Max
    bool FFT_Shown = false;
};

class Screen_Renderer {
public:
    Display_State State;

    // Recomputes the geometry for a paint box of w x h pixels.
    void Layout(int w, int h) { State.Geo = Layout_Plot(w, h); }

    // Draws one complete screen. The caller holds the frame data's lock.
    Screen_Result Draw_Screen(Canvas& c, const Frame_Data& main, const Background_Frame& bg,
                              const Scope_Settings& s, const Device_Params& p,
                              const Screen_Inputs& in);

    const FFT_Analyser& FFT() const { return fft_; }

private:
    Trace_Drawer trace_;
    FFT_Analyser fft_;
};

}  // namespace tovan
