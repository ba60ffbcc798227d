// The acquisition side of the chart recorder: bytes taken per second from
// scroll frames into the recorder's buffer, alone and with the whole
// parse and decode of the frames. The fastest recorder rate is 8000 bytes
// per second (0.1 s/div, 8000 points).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "device/acq_state.h"
#include "device/frame_builder.h"
#include "device/frame_decoder.h"

namespace tovan {
namespace {

constexpr int N = 8000;
constexpr uint8_t Seq = 5;

// The recorder's step alone: each frame moves the write position on by
// `advance` samples (state.range(0)); trigger bits by state.range(1).
void BM_Take_Recorder_Bytes(benchmark::State& state) {
    const auto advance = static_cast<int32_t>(state.range(0));
    const bool trig_bits = state.range(1) != 0;
    auto st = std::make_unique<Acq_State>();
    std::vector<uint8_t> data(static_cast<size_t>(Frame_Data_Length(N, trig_bits)));
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 % 250);
    st->Rec_Active = true;
    int32_t pos = 0;
    int64_t bytes = 0;
    for (auto _ : state) {
        pos = (pos + advance) % N;
        Take_Recorder_Bytes(*st, data.data(), trig_bits, N, static_cast<uint16_t>(Pos_Started | Pos_Wrapped | pos),
                            Seq);
        bytes += st->Rec_Count;
        st->Rec_Count = 0;  // the hand-over
        benchmark::DoNotOptimize(st->Rec_Buffer.data());
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_Take_Recorder_Bytes)->Args({400, 0})->Args({7999, 0})->Args({400, 1})->Args({7999, 1});

// Scroll frames of 8000 points through the parser and the decoder with the
// recorder on; bytes counted are those the recorder takes.
void BM_Decode_Scroll_Frames_Recording(benchmark::State& state) {
    const auto advance = static_cast<int32_t>(state.range(0));
    auto st = std::make_unique<Acq_State>();
    st->Seq_Counter = Seq;
    st->Run_State = true;
    st->FPGA_OK = true;
    st->Rec_Active = true;
    Device_Params p;
    p.Record_Points = N;
    p.Pre_Count = 0;
    p.Post_Count = N;
    p.Trig_Mode_Byte = 0;
    p.Lenta = true;
    std::vector<uint8_t> codes(N);
    for (int k = 0; k < N; ++k) codes[static_cast<size_t>(k)] = static_cast<uint8_t>(k * 7 % 250);
    // A cycle of frames, each with the position moved on.
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f < 20; ++f) {
        Status_Block s{};
        const int pos = (f * advance) % N;
        s[0] = static_cast<uint8_t>(pos);
        s[1] = static_cast<uint8_t>((Pos_Started | Pos_Wrapped | pos) >> 8);
        s[2] = F_Roll | F_One_Value;
        s[25] = Seq;
        std::vector<uint8_t> w(Max_Frame_Bytes);
        w.resize(Build_Frame(Frame_Type_Plain, codes, s, w.data()));
        frames.push_back(std::move(w));
    }
    int64_t bytes = 0;
    size_t f = 0;
    for (auto _ : state) {
        Parse_Bytes(*st, p, frames[f]);
        f = (f + 1) % frames.size();
        bytes += st->Rec_Count;
        st->Rec_Count = 0;
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_Decode_Scroll_Frames_Recording)->Arg(400)->Arg(7999);

}  // namespace
}  // namespace tovan
