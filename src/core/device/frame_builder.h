#pragma once
// The device side of the frame stream: builds one frame as the instrument
// sends it (0xFF, type, data, nibble-coded status block, check byte).
// Used by the virtual instrument and by the tests of the parser.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/protocol.h"

namespace tovan {

// Writes the frame into `out` (at least 3 + data.size() + 192 bytes) and
// returns its length. Data bytes must be 0..254; the check byte is the XOR
// of type, data and the 192 status bytes, with 0xFF sent as 0xFE.
size_t Build_Frame(uint8_t type, std::span<const uint8_t> data, const Status_Block& status,
                   uint8_t* out);

// Check byte of a frame body as the device computes it.
uint8_t Frame_Check(uint8_t type, std::span<const uint8_t> data, const Status_Block& status);

}  // namespace tovan
