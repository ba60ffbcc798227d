#include "device/frame_builder.h"

namespace tovan {

uint8_t Frame_Check(uint8_t type, std::span<const uint8_t> data, const Status_Block& status) {
    uint8_t x = type;
    for (uint8_t b : data) x ^= b;
    for (uint8_t b : status) x ^= static_cast<uint8_t>((b & 0x0F) ^ (b >> 4));
    return x == Frame_Start ? Check_For_Start : x;
}

size_t Build_Frame(uint8_t type, std::span<const uint8_t> data, const Status_Block& status,
                   uint8_t* out) {
    uint8_t* p = out;
    *p++ = Frame_Start;
    *p++ = type;
    uint8_t x = type;
    for (uint8_t b : data) {
        *p++ = b;
        x ^= b;
    }
    for (uint8_t b : status) {
        const uint8_t lo = b & 0x0F, hi = static_cast<uint8_t>(b >> 4);
        *p++ = lo;
        *p++ = hi;
        x ^= static_cast<uint8_t>(lo ^ hi);
    }
    *p++ = x == Frame_Start ? Check_For_Start : x;
    return static_cast<size_t>(p - out);
}

}  // namespace tovan
