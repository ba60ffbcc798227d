#pragma once
// Waveform traces: sample arrays to pixel columns (dots, vectors,
// sin(x)/x), and the background copy with its swap and alignment.
#include <cstdint>
#include <string>
#include <vector>

#include "model/frame.h"
#include "display/canvas.h"
#include "display/geometry.h"
#include "settings/scope_settings.h"

namespace tovan {

enum class View_Action { None, Refresh_View, Apply_Settings };

// Display state that lives beside the settings record (GUI thread only).
struct Display_State {
    Plot_Geometry Geo;
    int Drag_Target = 0;  // 0 none, 1..6 marker lines, 7 trigger, 8 zero, 9 background zero
    bool Dbl_Armed = false;
    bool Dbl_Pending = false;
    int Activity_Step = 0;  // 0, 10, .., 90
    bool BG_Swapped = false;
    int64_t BG_Start = 0;  // first background sample drawn by the last frame
    std::string Data_File_Name;
    std::string BG_File_Name;
};

// A background copy exists while its frame count is not 0.
inline bool BG_Exists(const Background_Frame& bg) { return bg.Info.Frame_Count != 0; }

// What Draw_Trace needs beyond its arguments.
struct Trace_Context {
    const Plot_Geometry& Geo;
    uint32_t Background;
    uint64_t Time_Div_ns;
};

// Draws traces with column arrays sized from the plot width; the arrays
// are kept between calls and only grow when the plot widens.
class Trace_Drawer {
public:
    // mode 0 dots, 1 vectors, 2 sin(x)/x; L lower and U upper ends (arrays
    // of Smpl_Buf_Size entries); n samples usable; z zero code; o offset
    // in codes; s pixels per sample; m start index; f start fraction in
    // samples; dim: dim the ring gap of R.
    void Draw_Trace(Canvas& c, const Trace_Context& ctx, int mode, int left, int top, const int32_t* L,
                    const int32_t* U, int64_t n, uint32_t color, double gain, double z, double o, double s,
                    int64_t m, double f, bool dim, const Frame_Info& R);

    // Without interpolation only whole samples are visited: their codes are
    // merged per column run and just the run's ends become heights, which
    // gives the same pixels as the per-sample merge (used for interpolated
    // traces, for a falling height scale, and when this is switched off).
    void Set_Run_Merge(bool on) { run_merge_ = on; }

private:
    std::vector<int32_t> lo_, hi_;
    bool run_merge_ = true;
};

// Pixels per sample of a frame record at the current time base.
double Pixels_Per_Sample(const Plot_Geometry& geo, const Frame_Info& r, uint64_t time_div_ns);

// Start of the background copy aligned at the trigger points.
struct BG_Alignment {
    int64_t m = 0;    // first background sample
    double f = 0;     // fraction of a sample
    int64_t c = 0;    // count passed to Draw_Trace
};
BG_Alignment Align_BG(const Frame_Info& main, const Frame_Info& bg, int64_t x_pos);

// "Main <-> B.G. Oscillogram": exchanges the current frame and levels with
// the background copy. Returns Apply_Settings when a swap took place.
View_Action Swap_BG(Frame_Data& main, Background_Frame& bg, Scope_Settings& s, Display_State& st);

// Empties both sides (zero and TDC calibrations).
void Clear_Frames(Frame_Data& main, Background_Frame& bg, Display_State& st);

}  // namespace tovan
