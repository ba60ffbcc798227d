#include "display/canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

#include "display_test_util.h"

namespace tovan {
namespace {

using test::Px;

constexpr uint32_t Red = 0x0000FF;

std::set<std::pair<int, int>> Lit(const QImage& img) {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Px(img, x, y) != 0) out.insert({x, y});
    return out;
}

struct Line_Case {
    int x0, y0, x1, y1;
    std::set<std::pair<int, int>> pixels;
};

class Canvas_Line : public ::testing::TestWithParam<Line_Case> {};

TEST_P(Canvas_Line, ExactPixelsWithoutEndPixel) {
    const auto& c = GetParam();
    QImage img = test::Black_Image(20, 20);
    Image_Canvas cv(img);
    cv.Line(c.x0, c.y0, c.x1, c.y1, Red);
    EXPECT_EQ(Lit(img), c.pixels);
}

// Pixels (x, y(x)) for x = 0..19 of the 20 x 20 test image.
std::set<std::pair<int, int>> Columns(int (*y)(int)) {
    std::set<std::pair<int, int>> out;
    for (int x = 0; x < 20; ++x) out.insert({x, y(x)});
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Canvas_Line,
    ::testing::Values(
        Line_Case{2, 2, 2, 2, {}},                                  // zero length: nothing
        Line_Case{1, 1, 5, 1, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},   // horizontal, end excluded
        Line_Case{3, 5, 3, 2, {{3, 5}, {3, 4}, {3, 3}}},           // upward vertical
        Line_Case{0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},   // Bresenham, halves round away
        Line_Case{4, 2, 0, 0, {{4, 2}, {3, 1}, {2, 1}, {1, 0}}},   // reverse direction
        Line_Case{0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},           // diagonal
        Line_Case{-5, 3, 3, 3, {{0, 3}, {1, 3}, {2, 3}}},          // clipped start
        Line_Case{2, INT_MIN, 2, 4, {{2, 0}, {2, 1}, {2, 2}, {2, 3}}},  // end far outside
        Line_Case{22, 7, 16, 7, {{19, 7}, {18, 7}, {17, 7}}},            // leftward, clipped start
        Line_Case{7, 2, 7, INT_MAX, {{7, 2}, {7, 3}, {7, 4}, {7, 5}, {7, 6}, {7, 7}, {7, 8}, {7, 9},
                                     {7, 10}, {7, 11}, {7, 12}, {7, 13}, {7, 14}, {7, 15}, {7, 16},
                                     {7, 17}, {7, 18}, {7, 19}}},           // down to the bottom edge
        Line_Case{-1, 0, -1, 9, {}},
        // Ends at the limits of int: step times minor extent passes 2^63.
        Line_Case{INT_MIN, INT_MIN, INT_MAX, INT_MAX, Columns([](int x) { return x; })},
        Line_Case{INT_MIN, -(1 << 30), INT_MAX - 1, (1 << 30) - 1,
                  Columns([](int x) { return (x + 1) / 2; })},  // slope 1/2, halves round away                                     // column left of the image
        Line_Case{0, 20, 9, 20, {}}));                                   // row below the image

TEST(Canvas, LongLinesCrossingTheImageMatchTheirVisiblePart) {
    // A line from far outside must light the same pixels inside as the
    // same line computed on a large enough image.
    QImage big = test::Black_Image(400, 400), small = test::Black_Image(20, 20);
    Image_Canvas cb(big), cs(small);
    cb.Line(-150 + 190, -90 + 190, 170 + 190, 60 + 190, Red);
    cs.Line(-150, -90, 170, 60, Red);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) EXPECT_EQ(Px(small, x, y), Px(big, x + 190, y + 190)) << x << "," << y;
}

TEST(Canvas, RectangleIncludesTopLeftExcludesBottomRight) {
    QImage img = test::Black_Image(10, 10);
    Image_Canvas cv(img);
    cv.Fill_Rect(2, 3, 5, 7, Red);
    EXPECT_EQ(Lit(img).size(), 3u * 4u);
    EXPECT_EQ(Px(img, 2, 3), Red);
    EXPECT_EQ(Px(img, 4, 6), Red);
    EXPECT_EQ(Px(img, 5, 6), 0u);
    EXPECT_EQ(Px(img, 4, 7), 0u);
    cv.Fill_Rect(8, 8, 2, 2, Red);  // inverted: nothing
    cv.Fill_Rect(-100, -100, 1, 1, Red);
    EXPECT_EQ(Px(img, 0, 0), Red);
    EXPECT_EQ(Lit(img).size(), 13u);
}

TEST(Canvas, PolygonFilledWithBrushOutlinedWithPen) {
    QImage img = test::Black_Image(20, 20);
    Image_Canvas cv(img);
    const Canvas_Point sq[] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}};
    cv.Polygon(sq, 4, Red, 0x00FF00);
    for (int i = 2; i <= 12; ++i) {
        EXPECT_EQ(Px(img, i, 2), Red);
        EXPECT_EQ(Px(img, i, 12), Red);
        EXPECT_EQ(Px(img, 2, i), Red);
        EXPECT_EQ(Px(img, 12, i), Red);
    }
    EXPECT_EQ(Px(img, 7, 7), 0x00FF00u);
    EXPECT_EQ(Px(img, 13, 7), 0u);
}

TEST(Canvas, EllipseStaysInsideItsBox) {
    QImage img = test::Black_Image(40, 40);
    Image_Canvas cv(img);
    cv.Ellipse(10, 10, 30, 30, Red, 0x00FF00);
    EXPECT_EQ(Px(img, 20, 20), 0x00FF00u);
    EXPECT_EQ(Px(img, 10, 20), Red);
    EXPECT_EQ(Px(img, 20, 10), Red);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(Px(img, 30, i), 0u);
        EXPECT_EQ(Px(img, i, 30), 0u);
        EXPECT_EQ(Px(img, 9, i), 0u);
    }
}

TEST(Canvas, OpaqueTextFillsItsCellAndRecordingKeepsPositions) {
    QImage img = test::Black_Image(200, 40);
    Image_Canvas cv(img);
    cv.Text(5, 5, "Vp-p = 1.000 V", "MS Sans Serif", 13, 0x00FF00, true, 0x400000);
    EXPECT_EQ(Px(img, 5, 5), 0x400000u);  // cell corner: background
    EXPECT_EQ(Px(img, 4, 5), 0u);
    int lit = 0;
    for (int y = 5; y < 20; ++y)
        for (int x = 5; x < 120; ++x) lit += Px(img, x, y) == 0x00FF00u;
    EXPECT_GT(lit, 20);

    Recording_Canvas rc(100, 100);
    rc.Text(7, 9, "abc", "Arial", 10, 1, false, 2);
    const Canvas_Point pl[] = {{0, 0}, {5, 0}, {5, 5}};
    rc.Polyline(pl, 3, 3);
    ASSERT_NE(rc.Find_Text("ab"), nullptr);
    EXPECT_EQ(rc.Find_Text("ab")->pts[0].x, 7);
    EXPECT_EQ(rc.Find_Text("ab")->pts[0].y, 9);
    EXPECT_EQ(rc.Calls().size(), 3u);  // text and two lines
}

}  // namespace
}  // namespace tovan
