// A small command-line example on the same session as the window: opens the
// virtual instrument (--demo) or the bridge, takes N frames with the
// session's acquisition thread, stops, and prints the frame record's main
// fields. No window, no display.
//   tovan1-cli [--demo] [--frames N] [--ini FILE] [--fpga-image FILE]
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>

#include "common/prompts.h"
#include "i18n/session_texts.h"
#include "measure/measurements.h"
#include "session/session.h"

namespace {

// Messages go to the error stream; questions get "No".
class Stream_Prompts final : public tovan::Prompts {
public:
    tovan::Prompt_Answer Message_Box(const std::string& title, const std::string& text, tovan::Prompt_Icon,
                                     tovan::Prompt_Buttons buttons) override {
        std::cerr << title << ": " << text << "\n";
        return buttons == tovan::Prompt_Buttons::Yes_No ? tovan::Prompt_Answer::No : tovan::Prompt_Answer::Ok;
    }
};

bool Parse_Count(const char* s, int& out) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (end == s || *end != '\0' || v < 1 || v > 100000) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tovan;
    Session_Options o;
    o.program_name = "tovan1-cli";
    int frames = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--demo") {
            o.demo = true;
        } else if (a == "--frames" && i + 1 < argc && Parse_Count(argv[i + 1], frames)) {
            ++i;
        } else if (a == "--ini" && i + 1 < argc) {
            o.ini_path = argv[++i];
        } else if (a == "--fpga-image" && i + 1 < argc) {
            o.fpga_image = argv[++i];
        } else {
            std::cerr << Txt_Example_Bad_Argument(false) << a << "\n" << Txt_Example_Usage(false) << "\n";
            return 2;
        }
    }
    std::error_code ec;
    const auto exe = std::filesystem::absolute(argv[0], ec);
    if (!ec) o.exe_dir = exe.parent_path().string();

    Stream_Prompts prompts;
    // The redraw is a plain call on the acquisition thread: it only counts
    // the frames the thread hands over.
    std::mutex m;
    std::condition_variable cv;
    Session_Hooks hooks;
    hooks.sync_draw = [&] {
        { std::lock_guard lock(m); }
        cv.notify_all();
    };
    Session s(o, prompts, hooks);
    const bool ru = s.Inst().Settings.Russian;

    s.Inst().Refresh_View();
    s.Start_Thread();
    s.First_Activation();
    if (s.Inst().State.Link_Status.load() != Ft_Ok) {
        std::cerr << Txt_Example_No_Device(ru) << "\n";
        s.Shutdown();
        return 1;
    }
    s.Inst().Settings.Run = true;
    s.Inst().Apply_Settings();
    {
        // Wait for the frames; give up when the FPGA did not answer or when
        // nothing comes for long (a device that stopped talking).
        std::unique_lock lock(m);
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30 + frames / 10);
        cv.wait_until(lock, give_up, [&] {
            const Acq_State& st = s.Inst().State;
            return st.Frames_Total.load() >= static_cast<uint32_t>(frames) || st.Err_FPGA_Config.load();
        });
    }
    s.Stop_And_Wait();
    const Frame_Info info = s.With_Frame([](const Frame_Data& f, const Status_Values&) { return f.Info; });
    s.Shutdown();
    if (s.Inst().State.Frames_Total.load() < static_cast<uint32_t>(frames)) {
        std::cerr << Txt_Example_No_Frame(ru) << "\n";
        return 1;
    }
    std::printf("Frame_No=%d\nSmpl_Count=%d\nSmpl_Period=%d\nFrame_uV_Div=%d\n", info.Frame_No, info.Smpl_Count,
                info.Smpl_Period, info.Frame_uV_Div);
    // The same measurements the screen shows; "..." where there is none.
    const Measurements meas = Measure_Frame(info);
    const auto value = [](const char* name, bool valid, double v) {
        if (valid)
            std::printf("%s=%.6g\n", name, v);
        else
            std::printf("%s=...\n", name);
    };
    value("Vpp_uV", meas.Vpp_Valid, meas.Vpp_uV);
    value("Vdc_uV", meas.Vdc_Valid, meas.Vdc_uV);
    value("Fin_Hz", meas.Fin_Valid, meas.Fin_Hz);
    value("Fsmpl_Hz", meas.Fsmpl_Valid, meas.Fsmpl_Hz);
    return 0;
}
