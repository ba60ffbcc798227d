#pragma once
// The FPGA configuration image. The real bitstream is firmware supplied
// with the instrument; it is read from a file. Without one, a stand-in of
// the same size that starts with the configuration sync header serves the
// virtual instrument and the tests.
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_error.h"

namespace tovan {

inline constexpr size_t FPGA_Image_Size = 45468;
inline constexpr uint8_t FPGA_Sync_Header[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xAA, 0x99, 0x55, 0x66};
inline constexpr const char* FPGA_Image_File_Name = "tovan1_fpga.bin";
inline constexpr const char* FPGA_Image_Env = "TOVAN1_FPGA_IMAGE";
inline constexpr size_t FPGA_Image_Max_Size = 4u << 20;

// One place the image was looked for, and what came of it.
struct FPGA_Image_Attempt {
    enum class Outcome { Used, Not_Found, Unreadable, Bad_Size, Read_Error };
    std::string path;
    Outcome outcome = Outcome::Not_Found;
    std::string detail;  // the system's reason (Unreadable) or the size (Bad_Size)
};

struct FPGA_Image {
    std::vector<uint8_t> bytes;
    std::string source;  // the file it came from, or "built-in"
    File_Error error;    // why a named file was not used (none when it was)
    std::vector<FPGA_Image_Attempt> tried;  // every place looked at, in order
    bool Builtin() const { return source == "built-in"; }
};

// The built-in stand-in (deterministic).
std::vector<uint8_t> Builtin_FPGA_Image();

// Looks in order at: `override_path` (command line), the environment
// variable TOVAN1_FPGA_IMAGE, `exe_dir`/tovan1_fpga.bin and the installed
// data folder; the first file that reads falls back to nothing else. An
// empty, unreadable or oversized named file is reported in `error` and the
// built-in stand-in is used; whether the stand-in may serve is the
// caller's choice (the virtual instrument takes it, the bridge does not).
// The installed data folder: <prefix>/share/tovan1.
std::string Installed_Firmware_Dir();

// `firmware_dir` is the installed data folder (tests point it elsewhere).
FPGA_Image Find_FPGA_Image(const std::string& override_path, const std::string& exe_dir,
                           const std::string& firmware_dir = Installed_Firmware_Dir());

}  // namespace tovan
