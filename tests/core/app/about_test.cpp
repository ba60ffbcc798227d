// The about box's lines: version numbers, the serial number's byte order,
// and what is shown before the device has answered.
#include "app/about.h"

#include <gtest/gtest.h>

namespace tovan {
namespace {

TEST(About, VersionFormat) {
    const std::pair<int32_t, const char*> cases[] = {{162, "1.62"}, {7, "0.07"}, {105, "1.05"}, {0, "0.00"},
                                                     {1234, "12.34"}, {-1, "..."}};
    for (const auto& [v, text] : cases) EXPECT_EQ(Version_Format(v), text) << v;
}

TEST(About, LinesInBothLanguages) {
    About_Device d;
    About_Lines en = Make_About_Lines(162, d, false);
    EXPECT_EQ(en.title, "About");
    EXPECT_EQ(en.product, "Product Name      Tovan1");
    EXPECT_EQ(en.version, "Software Version  1.62");
    EXPECT_EQ(en.firmware, "Firmware Version  ...");
    EXPECT_EQ(en.fpga, "FPGA Version  ...");
    EXPECT_FALSE(en.serial_visible);

    d.firmware_version = 105;
    d.fpga_version = 7;
    d.debug = true;
    en = Make_About_Lines(162, d, false);
    EXPECT_EQ(en.firmware, "Firmware Version  1.05");
    EXPECT_EQ(en.fpga, "FPGA Version  0.07");
    EXPECT_TRUE(en.serial_visible);
    EXPECT_EQ(en.serial, "Serial Number  ...");
    d.serial = std::array<uint8_t, 5>{0x01, 0x02, 0x03, 0x04, 0xA5};
    EXPECT_EQ(Make_About_Lines(162, d, false).serial, "Serial Number  A504030201");

    const About_Lines ru = Make_About_Lines(162, d, true);
    EXPECT_EQ(ru.title, "О программе");
    EXPECT_EQ(ru.product, "Tovan1");
    EXPECT_EQ(ru.version, "Версия программы  1.62");
    EXPECT_EQ(ru.firmware, "Версия ПО устройства  1.05");
    EXPECT_EQ(ru.fpga, "Версия FPGA устройства  0.07");
    EXPECT_EQ(ru.serial, "Серийный номер устройства  A504030201");
}

}  // namespace
}  // namespace tovan
