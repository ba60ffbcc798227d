#pragma once
// The waveform data file (".tvd"): one frame, its record and its samples.
//
// Layout, little-endian: "TVD:", a 0 byte, the format version 100, the 24
// values of Frame_Info, four 0xFF bytes, a check byte (XOR of the 100
// bytes from offset 6), then block 1 (Smpl_Buf_A, and Smpl_Buf_B after
// each entry when Peak_Det is 1) and, when Ext_Trace is 1, block 2 (the
// same from Trig_Buf_A and Trig_Buf_B), Smpl_Count entries each. A sample
// is one byte; 0xFF stands for an empty entry both ways.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/frame.h"

namespace tovan {

inline constexpr size_t TVD_Header_Size = 107;
inline constexpr uint8_t TVD_Version = 100;
// The most bytes of a file the loader uses: header and four bytes for
// each of the entries the arrays hold.
inline constexpr size_t TVD_Max_Used_Size = TVD_Header_Size + 4 * static_cast<size_t>(Smpl_Buf_Size);

// Entries written and read: the record's Smpl_Count, within the arrays.
int TVD_Entries(const Frame_Info& info);

// The file's bytes for the frame.
std::string Encode_TVD(const Frame_Data& frame);

enum class TVD_Status { Ok, Invalid_Format, CRC_Error };

// Checks magic, version, size and check byte of a file's bytes.
TVD_Status Check_TVD(std::string_view bytes);

// The frame a file holds, into `out` only when Check_TVD accepts the
// bytes (otherwise `out` is not touched). Entries the file does not reach
// stay empty; From_File is set.
TVD_Status Decode_TVD(std::string_view bytes, Frame_Data& out);

// Reads at most max_bytes of a regular file (a device, FIFO or folder is
// never opened for reading). Nothing when the file cannot be read.
std::optional<std::string> Read_File_Prefix(const std::string& path, size_t max_bytes);

}  // namespace tovan
