#include "app/about.h"

#include "i18n/dialog_texts.h"

namespace tovan {

std::string Version_Format(int32_t v) {
    if (v < 0) return "...";
    return std::to_string(v / 100) + "." + std::to_string((v / 10) % 10) + std::to_string(v % 10);
}

std::string Serial_Format(const std::array<uint8_t, 5>& b) {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = b.size(); i-- > 0;) {
        s += hex[b[i] >> 4];
        s += hex[b[i] & 0x0F];
    }
    return s;
}

About_Lines Make_About_Lines(int32_t soft_version, const About_Device& d, bool ru) {
    About_Lines l;
    l.title = about_text::Window(ru);
    l.product = about_text::Product(ru);
    l.version = about_text::Software(ru) + Version_Format(soft_version);
    l.firmware = about_text::Firmware(ru) + Version_Format(d.firmware_version);
    l.fpga = about_text::FPGA(ru) + Version_Format(d.fpga_version);
    l.serial_visible = d.debug;
    l.serial = about_text::Serial(ru) + (d.serial ? Serial_Format(*d.serial) : std::string("..."));
    return l;
}

}  // namespace tovan
