// Parse and decode throughput of the frame stream, and the number of heap
// allocations made while doing it (expected: none).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "device/acq_state.h"
#include "device/frame_builder.h"
#include "device/frame_decoder.h"

namespace {
std::atomic<long> g_allocations{0};
}

// Counting global allocator (malloc underneath, so free is its match).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tovan {
namespace {

constexpr uint8_t Seq = 5;

// One read's worth of frames (as many whole frames as fit Max_Read_Bytes).
std::vector<uint8_t> Make_Stream(int points, bool trig_bits, int* frames) {
    std::vector<uint8_t> data;
    for (int k = 0; k < points; ++k) {
        data.push_back(static_cast<uint8_t>(128 + 100 * ((k / 37) % 2 ? 1 : -1) + k % 7));
        if (trig_bits && k % 4 == 3) data.push_back(static_cast<uint8_t>(k & 0x0F));
    }
    Status_Block s{};
    s[2] = static_cast<uint8_t>(0x08 | (trig_bits ? 0x01 : 0x00));
    s[25] = Seq;
    s[62] = 0x80;
    s[63] = 0x03;
    std::vector<uint8_t> frame(Max_Frame_Bytes);
    frame.resize(Build_Frame(trig_bits ? Frame_Type_Trig_Bits : Frame_Type_Plain, data, s,
                             frame.data()));
    std::vector<uint8_t> stream;
    *frames = 0;
    do {
        stream.insert(stream.end(), frame.begin(), frame.end());
        ++*frames;
    } while (stream.size() + frame.size() <= static_cast<size_t>(Max_Read_Bytes));
    return stream;
}

void BM_Parse_Decode(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    const bool trig_bits = state.range(1) != 0;
    int frames = 0;
    const std::vector<uint8_t> stream = Make_Stream(points, trig_bits, &frames);

    auto st = std::make_unique<Acq_State>();
    Device_Params p;
    p.Record_Points = points;
    p.Pre_Count = static_cast<uint16_t>(points / 10);
    p.Post_Count = static_cast<uint16_t>(points - points / 10);
    st->Seq_Counter = Seq;
    st->Run_State = true;

    const long before = g_allocations.load();
    for (auto _ : state) {
        Parse_Bytes(*st, p, stream);
        benchmark::DoNotOptimize(st->Frame->Smpl_Buf_A.data());
    }
    const long allocations = g_allocations.load() - before;

    if (st->Frames_Total.load() != static_cast<uint32_t>(frames) * state.iterations())
        state.SkipWithError("frames were not all decoded");
    state.SetBytesProcessed(static_cast<int64_t>(stream.size()) * state.iterations());
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames) * state.iterations(),
                           benchmark::Counter::kIsRate);
    state.counters["allocs/iter"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_Parse_Decode)
    ->ArgNames({"points", "trig_bits"})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({8000, 0})
    ->Args({8000, 1});

}  // namespace
}  // namespace tovan
