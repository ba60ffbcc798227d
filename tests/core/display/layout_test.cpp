#include "display/geometry.h"

#include <gtest/gtest.h>

namespace tovan {
namespace {

struct Layout_Case {
    int w, h;
    int plot_w, plot_h, left, top;
    bool narrow;
};

class Layout : public ::testing::TestWithParam<Layout_Case> {};

TEST_P(Layout, Geometry) {
    const auto& c = GetParam();
    const Plot_Geometry g = Layout_Plot(c.w, c.h);
    EXPECT_EQ(g.Plot_W, c.plot_w);
    EXPECT_EQ(g.Plot_H, c.plot_h);
    EXPECT_EQ(g.Plot_Left, c.left);
    EXPECT_EQ(g.Plot_Top, c.top);
    EXPECT_EQ(g.Div_W, c.plot_w / 10);
    EXPECT_EQ(g.Div_H, c.plot_h / 8);
    EXPECT_DOUBLE_EQ(g.X_Scale, c.plot_w * 0.002);
    EXPECT_DOUBLE_EQ(g.Y_Scale, c.plot_h / 256.0);
    EXPECT_EQ(g.Narrow_Plot, c.narrow);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Layout,
    ::testing::Values(Layout_Case{179, 500, 125, 416, 28, 25, true},   // q = 5: default width
                      Layout_Case{200, 500, 140, 416, 31, 25, true},   // Div_W 14
                      Layout_Case{200, 147, 140, 64, 31, 24, true},    // r = 48: default height
                      Layout_Case{1800, 1000, 1740, 912, 31, 26, false},
                      Layout_Case{459, 340, 380, 256, 40, 25, true},
                      Layout_Case{480, 340, 420, 256, 31, 25, false},
                      Layout_Case{-5, -5, 125, 64, -61, -17, true}));  // nonsense sizes stay finite

struct Blend_Case {
    uint32_t a, b;
    int k;
    uint32_t out;
};

class Blend : public ::testing::TestWithParam<Blend_Case> {};

TEST_P(Blend, Channels) {
    const auto& c = GetParam();
    EXPECT_EQ(Blend_Color(c.a, c.b, c.k), c.out);
}

INSTANTIATE_TEST_SUITE_P(Colors, Blend,
                         ::testing::Values(Blend_Case{0x00FF00, 0, 2, 0x007F00},  // 127.5 truncated
                                           Blend_Case{0x00FF00, 0, 3, 0x005500},
                                           Blend_Case{0, 0xFFFFFF, 2, 0x7F7F7F},  // 255 - 127.5, truncated
                                           Blend_Case{0x123456, 0x123456, 3, 0x123456},
                                           Blend_Case{0xFF00FF, 0x000000, 1, 0xFF00FF}));

}  // namespace
}  // namespace tovan
