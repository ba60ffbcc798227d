// Arbitrary bytes as a data file: load, draw the screen with the loaded
// frame (main and, swapped, background), and write every export to memory.
#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "display/image_file.h"
#include "display/screen.h"
#include "files/exports.h"
#include "files/tvd_file.h"
#include "settings/compute_params.h"

using namespace tovan;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto frame = std::make_unique<Frame_Data>();
    static auto empty = std::make_unique<Frame_Data>();
    static Screen_Renderer r;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (Decode_TVD(bytes, *frame) != TVD_Status::Ok) return 0;
    // The view follows the last byte, so that the corpus reaches every mode.
    const uint8_t view = size ? data[size - 1] : 0;
    Scope_Settings s;
    s.Trace_Mode = view % 3;
    s.FFT_View = view & 4;
    s.BG_View = true;
    s.ExtTrig = view & 8;
    s.Smpl_Info = view & 16;
    s.Marker_Mode = (view >> 5) % 3;
    Device_Params p;
    Compute_Params(s, p);
    Screen_Inputs in;
    r.Layout(320, 240);
    QImage img(320, 240, QImage::Format_RGB32);
    Image_Canvas c(img);
    r.Draw_Screen(c, *frame, *empty, s, p, in);
    r.Draw_Screen(c, *empty, *frame, s, p, in);
    (void)Encode_TVD(*frame);
    (void)Export_Text(*frame);
    (void)Export_Row_Binary(*frame);
    (void)Export_Row_Binary_Text(frame->Info, "f.bin");
    (void)Export_CSV(*frame);
    if (view & 128) (void)Encode_Screen_Image(img, view & 64);
    return 0;
}
