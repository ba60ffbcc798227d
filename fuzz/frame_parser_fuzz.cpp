// Feeds arbitrary bytes to the frame parser under arbitrary parameters.
//
// Input: 8 parameter bytes, then the stream. Parameter byte 0 bit 7 picks
// how the stream is made: raw (the bytes as they are) or built (the bytes
// describe frames that Build_Frame turns into well-formed ones, so that the
// decoder is reached with hostile status blocks and codes).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/numeric.h"
#include "device/acq_state.h"
#include "device/frame_builder.h"
#include "device/frame_decoder.h"

namespace {

using namespace tovan;

class Reader {
public:
    Reader(const uint8_t* d, size_t n) : d_(d), n_(n) {}
    bool empty() const { return i_ >= n_; }
    uint8_t byte() { return i_ < n_ ? d_[i_++] : 0; }

private:
    const uint8_t* d_;
    size_t n_;
    size_t i_ = 0;
};

// Well-formed frames from a description: per frame a selector byte and
// the 96 status bytes, then as many data bytes as the layout needs.
std::vector<uint8_t> Build_Stream(Reader& in, int32_t points, uint8_t seq) {
    std::vector<uint8_t> stream;
    std::vector<uint8_t> data;
    std::vector<uint8_t> frame(Max_Frame_Bytes);
    for (int frames = 0; frames < 6 && !in.empty(); ++frames) {
        const uint8_t sel = in.byte();
        Status_Block s;
        for (uint8_t& b : s) b = in.byte();
        if (sel & 0x01) s[25] = seq;
        if (sel & 0x02) s[2] = static_cast<uint8_t>((s[2] & ~0x01) | ((sel >> 2) & 0x01));
        const bool bits = (sel & 0x04) != 0;
        const uint8_t type = (sel & 0x30) == 0x30 ? Frame_Type_Startup
                                                  : (bits ? Frame_Type_Trig_Bits : Frame_Type_Plain);
        size_t len = static_cast<size_t>(bits ? points + points / 4 : points);
        if (sel & 0x40) len = in.byte() * 40u;  // a length of another record
        data.resize(std::min(len, Max_Frame_Bytes - 195));
        for (uint8_t& b : data) b = static_cast<uint8_t>(in.byte() % 255);
        size_t n = Build_Frame(type, data, s, frame.data());
        if (sel & 0x80) n = n * in.byte() / 256;  // truncated
        if (type == Frame_Type_Startup) n = 2;
        stream.insert(stream.end(), frame.begin(), frame.begin() + static_cast<long>(n));
    }
    return stream;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    Reader in(data, size);
    const uint8_t b0 = in.byte(), b1 = in.byte(), b2 = in.byte(), b3 = in.byte();
    const uint8_t b4 = in.byte(), b5 = in.byte(), b6 = in.byte(), b7 = in.byte();

    static const int32_t Lengths[4] = {1000, 2500, 5000, 8000};
    static const uint32_t Dividers[4] = {1, 2, 400, 100000};
    Device_Params p;
    p.Record_Points = Lengths[b0 & 3];
    p.Lenta = (b0 & 0x04) != 0;
    p.Trig_Mode_Byte = b1;
    p.Trig_Flags = b1;
    p.Smpl_Divider = Dividers[b2 & 3];
    p.Thr_Low = b4;
    p.Thr_High = b5;
    // Pre and post counts: a split of the record, or anything at all.
    if (b2 & 0x04) {
        p.Pre_Count = static_cast<uint16_t>(b6 * 257);
        p.Post_Count = static_cast<uint16_t>(b7 * 257);
    } else {
        p.Pre_Count = static_cast<uint16_t>(p.Record_Points * b6 / 256);
        p.Post_Count = static_cast<uint16_t>(p.Record_Points - p.Pre_Count);
    }
    p.Trig_Code = b6;
    p.Gen_Freq = int64_t{b7} << 30;

    auto st = std::make_unique<Acq_State>();
    st->Run_State = (b0 & 0x08) != 0;
    st->Single_State = (b0 & 0x10) != 0;
    st->Rec_Active = (b0 & 0x20) != 0;
    st->FPGA_OK = (b0 & 0x40) != 0;
    st->Seq_Counter = b3;
    st->Rec_Last_Pos = (b2 & 0x08) ? b7 * 40 : -1;

    std::vector<uint8_t> stream;
    if (b0 & 0x80) {
        stream = Build_Stream(in, p.Record_Points, b3);
    } else {
        stream.assign(data + 8, data + size);
    }

    // Feed in up to four chunks, cut where b7 says; the record length may
    // change between chunks as it does when the user picks another one.
    const size_t chunks = 1 + (b2 >> 4 & 3);
    size_t at = 0;
    for (size_t c = 0; c < chunks; ++c) {
        size_t len = c + 1 == chunks ? stream.size() - at
                                     : std::min(stream.size() - at, stream.size() * (b7 % 64 + 1) / 64);
        Parse_Bytes(*st, p, std::span<const uint8_t>(stream.data() + at, len));
        at += len;
        if (b2 & 0x40) p.Record_Points = Lengths[(b0 + c + 1) & 3];
    }

    // The frame and the recorder bytes stay in bounds.
    const Frame_Data& f = *st->Frame;
    Check(st->Rec_Count >= 0 && st->Rec_Count <= Rec_Buffer_Size);
    Check(f.Info.Smpl_Count >= 0 && f.Info.Smpl_Count <= Max_Record_Points);
    for (int i = f.Info.Smpl_Count; i < Smpl_Buf_Size; i += 97)
        Check(f.Smpl_Buf_A[i] == No_Sample && f.Trig_Buf_B[i] == No_Sample);
    return 0;
}
