#pragma once
// The lines of the about box: product, software version, the device's
// firmware and FPGA versions as it reported them, and its serial number
// (shown in debug mode only).
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tovan {

// 162 -> "1.62", 7 -> "0.07", 105 -> "1.05".
std::string Version_Format(int32_t v);

// The five identity bytes from the fifth down to the first, two upper-case
// hexadecimal digits each (01 02 03 04 A5 -> "A504030201").
std::string Serial_Format(const std::array<uint8_t, 5>& bytes);

struct About_Device {
    int32_t firmware_version = -1;  // -1: not reported yet
    int32_t fpga_version = -1;
    std::optional<std::array<uint8_t, 5>> serial;  // while valid
    bool debug = false;                             // the serial line is shown
};

struct About_Lines {
    std::string title, product, version, firmware, fpga, serial;
    bool serial_visible = false;
};

About_Lines Make_About_Lines(int32_t soft_version, const About_Device& d, bool lang_russian);

}  // namespace tovan
