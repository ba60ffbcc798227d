// Arbitrary frame records and sample arrays (main and background) and
// view settings through the whole screen drawing.
#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "display/mouse.h"
#include "display/screen.h"
#include "settings/compute_params.h"

using namespace tovan;

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    template <typename T>
    T Get() {
        T v{};
        const size_t k = n < sizeof(T) ? n : sizeof(T);
        std::memcpy(&v, p, k);
        p += k;
        n -= k;
        return v;
    }
};

void Fill(Frame_Data& f, Reader& r) {
    for (int i = 0; i < Frame_Info::Field_Count; ++i) f.Info.data()[i] = r.Get<int32_t>();
    f.From_File = r.Get<uint8_t>() & 1;
    // A few hundred entries from the input, the rest a pattern or empty.
    const uint16_t count = r.Get<uint16_t>() % 400;
    const int32_t fill = r.Get<uint8_t>() & 1 ? No_Sample : 127;
    f.Smpl_Buf_A.fill(fill);
    f.Smpl_Buf_B.fill(fill);
    f.Trig_Buf_A.fill(fill);
    f.Trig_Buf_B.fill(fill);
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t at = r.Get<uint16_t>() % Smpl_Buf_Size;
        const int32_t v = r.Get<int32_t>();
        switch (i % 4) {
            case 0: f.Smpl_Buf_A[at] = v; break;
            case 1: f.Smpl_Buf_B[at] = v; break;
            case 2: f.Trig_Buf_A[at] = v; break;
            default: f.Trig_Buf_B[at] = v; break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto main_frame = std::make_unique<Frame_Data>();
    static auto bg = std::make_unique<Frame_Data>();
    static Screen_Renderer r;
    Reader rd{data, size};
    const uint8_t view = rd.Get<uint8_t>();
    const uint8_t view2 = rd.Get<uint8_t>();
    Scope_Settings s;
    s.Trace_Mode = view % 3;
    s.FFT_View = view & 4;
    s.BG_View = view & 8;
    s.ExtTrig = view & 16;
    s.Smpl_Info = view & 32;
    s.Debug_Mode = view & 64;
    s.Marker_Mode = (view >> 7) ? 2 : (view2 & 1);
    s.Gen_Mode_Button = static_cast<Gen_Mode_Sel>((view2 >> 1) & 3);
    s.FFT_Size = (view2 >> 3) & 3;
    s.FFT_Win = (view2 >> 5) % 3;
    s.FFT_Scale = (view2 >> 6) % 3;
    s.X_Pos = rd.Get<int32_t>();
    s.Zero_Level = rd.Get<uint8_t>();
    s.BG_Zero_Level = rd.Get<uint8_t>();
    s.Trig_Level = rd.Get<int16_t>();
    s.Marker_x = rd.Get<int16_t>();
    s.Marker_y = rd.Get<int16_t>();
    Device_Params p;
    Compute_Params(s, p);
    p.Time_Div_ns = rd.Get<uint32_t>() % 30000000000ull + 1;
    p.Volts_Div_uV = rd.Get<int32_t>();
    p.Trig_Mode_Byte = rd.Get<uint8_t>();
    p.Gen_Freq = rd.Get<int32_t>();
    p.Pulse_Period = rd.Get<int32_t>();
    p.Pulse_Width = rd.Get<int32_t>();
    Screen_Inputs in;
    in.Activity_Flag = true;
    in.Run_State = true;
    in.Vcc_Present = true;
    in.Vcc_10mV = rd.Get<int32_t>();
    const int w = 60 + rd.Get<uint8_t>() * 4;
    const int h = 40 + rd.Get<uint8_t>() * 3;
    r.State.BG_Swapped = view2 & 2;
    Fill(*main_frame, rd);
    Fill(*bg, rd);
    r.Layout(w, h);
    QImage img(w, h, QImage::Format_RGB32);
    Image_Canvas c(img);
    r.Draw_Screen(c, *main_frame, *bg, s, p, in);
    // Mouse handling on the same geometry.
    const int mx = rd.Get<int16_t>(), my = rd.Get<int16_t>();
    Mouse_Down(r.State, s, BG_Exists(*bg), mx, my, {true, (view2 & 1) != 0});
    Mouse_Move(r.State, s, my, mx, {true, false});
    Mouse_Up(r.State);
    return 0;
}
