#pragma once
// Small frames for the file and export tests: each with the bytes its data
// file must hold, written out by hand in the test table.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "model/frame.h"

namespace tovan::test_support {

struct Fixture_Frame {
    const char* name;
    int32_t n;
    int32_t peak;
    int32_t ext;
    std::vector<int32_t> a, b, ta, tb;  // the first entries of each array
};

inline std::unique_ptr<Frame_Data> Make_Frame(const Fixture_Frame& fx) {
    auto f = std::make_unique<Frame_Data>();
    Frame_Info& r = f->Info;
    r.Smpl_Period = 2;
    r.Frame_uV_Div = 1000000;
    r.Frame_Zero = 120;
    r.Frame_Count = fx.n;
    r.Trig_Index = 1;
    r.Smpl_Count = fx.n;
    r.Peak_Det = fx.peak;
    r.Ext_Trace = fx.ext;
    r.Frame_No = 0x01020304;
    auto put = [](Smpl_Array& to, const std::vector<int32_t>& from) {
        for (size_t i = 0; i < from.size(); ++i) to[i] = from[i];
    };
    put(f->Smpl_Buf_A, fx.a);
    put(f->Smpl_Buf_B, fx.b.empty() ? fx.a : fx.b);
    put(f->Trig_Buf_A, fx.ta);
    put(f->Trig_Buf_B, fx.tb.empty() ? fx.ta : fx.tb);
    return f;
}

// The 107 header bytes of a Make_Frame record, spelled out: period 2,
// 1000000 uV/div, zero 120, Frame_Count n, Trig_Index 1, Smpl_Count n,
// Peak_Det, Ext_Trace, Frame_No 0x01020304.
inline std::string Expected_Header(int32_t n, int32_t peak, int32_t ext) {
    std::vector<uint8_t> h = {'T', 'V', 'D', ':', 0, 100};
    auto le = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const uint32_t u = static_cast<uint32_t>(n);
    for (uint32_t v : {2u, 1000000u, 120u, u, 1u, u, 0u, 0u, static_cast<uint32_t>(peak), static_cast<uint32_t>(ext)}) le(v);
    for (int i = 0; i < 13; ++i) le(0);
    le(0x01020304);
    for (int i = 0; i < 4; ++i) h.push_back(0xFF);
    uint8_t x = 0;
    for (size_t i = 6; i < h.size(); ++i) x ^= h[i];
    h.push_back(x);
    return std::string(h.begin(), h.end());
}

inline std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

}  // namespace tovan::test_support
