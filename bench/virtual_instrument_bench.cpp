// Frame production of the virtual instrument against real time: the device
// clock is advanced in 10 ms steps and everything sent is read. The counter
// "x_real_time" is simulated seconds per wall-clock second on one core.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "device/device_commands.h"
#include "device/fpga_image.h"
#include "device/virtual_instrument.h"
#include "settings/compute_params.h"

namespace {

using namespace tovan;
using namespace std::chrono_literals;

// args: time/div step, record length index, trigger on, peak detect
void BM_Virtual_Stream(benchmark::State& state) {
    auto clock = std::make_shared<Manual_Device_Clock>();
    Virtual_Instrument vi(clock, 1);
    Acq_State st;
    Dev_Handle h = 0;
    vi.Open_By_Location(Virtual_Instrument::Location_Id, &h);
    st.Handle = h;
    Load_FPGA(vi, st, Builtin_FPGA_Image(), vi.Virtual_Sleep());

    Scope_Settings s;
    s.Gen_On = true;
    s.F_fast = 100;  // 1 kHz sine
    s.Ampl = 200;
    s.ExtTrig = false;
    s.Time_Div = static_cast<int>(state.range(0));
    s.Smpl_N = static_cast<int>(state.range(1));
    s.Trig_On = state.range(2) != 0;
    s.Auto = false;
    s.Smpl_PeakDet = state.range(3) != 0;
    Device_Params p;
    Compute_Params(s, p);
    Send_Config(vi, st, p);

    std::vector<uint8_t> buf(1 << 20);
    const uint64_t frames0 = vi.Frames_Built();
    double simulated = 0;
    uint64_t bytes = 0;
    for (auto _ : state) {
        vi.Advance(10ms);
        uint32_t rx = 0, got = 0;
        vi.Get_Queue_Status(h, &rx);
        if (rx) vi.Read(h, buf.data(), std::min<uint32_t>(rx, static_cast<uint32_t>(buf.size())), &got);
        bytes += got;
        simulated += 0.01;
    }
    state.counters["x_real_time"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
    state.counters["frames_per_sim_s"] =
        benchmark::Counter(static_cast<double>(vi.Frames_Built() - frames0) / simulated);
    state.counters["bytes_per_sim_s"] = benchmark::Counter(static_cast<double>(bytes) / simulated);
}

// 50 nS/div and 1 uS/div free running (10 ns sampling, link-bound),
// 1 uS/div and 0.1 mS/div triggered on the 1 kHz sine, 2 uS/div peak detect.
BENCHMARK(BM_Virtual_Stream)
    ->ArgNames({"time_step", "record", "trig", "peak"})
    ->Args({26, 1, 0, 0})
    ->Args({22, 3, 0, 0})
    ->Args({22, 1, 1, 0})
    ->Args({22, 3, 1, 0})
    ->Args({16, 1, 1, 0})
    ->Args({21, 1, 1, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
