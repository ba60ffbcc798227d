#include "gui/glyphs.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace tovan {
namespace {

int Inked(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += qAlpha(img.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

class Glyph_Render : public ::testing::TestWithParam<Glyph> {};

TEST_P(Glyph_Render, PaintsAtDevicePixelRatio) {
    const QIcon icon = Make_Glyph(GetParam());
    const QPixmap pm = icon.pixmap(QSize(38, 14), 2.0);
    EXPECT_EQ(pm.size(), QSize(76, 28));  // drawn at full device resolution
    EXPECT_GT(Inked(pm.toImage()), 40);
}

INSTANTIATE_TEST_SUITE_P(Gui, Glyph_Render,
                         ::testing::Values(Glyph::Coupling, Glyph::Edge, Glyph::Ret_Trig, Glyph::Wave_Sin,
                                           Glyph::Wave_Rect, Glyph::Wave_Trian, Glyph::Wave_Up_Trian,
                                           Glyph::Wave_Dn_Trian));

TEST(Glyph_States, CouplingAndEdgeShowTheirState) {
    for (Glyph g : {Glyph::Coupling, Glyph::Edge}) {
        const QIcon icon = Make_Glyph(g);
        const QImage off = icon.pixmap(QSize(24, 16), 1.0, QIcon::Normal, QIcon::Off).toImage();
        const QImage on = icon.pixmap(QSize(24, 16), 1.0, QIcon::Normal, QIcon::On).toImage();
        EXPECT_NE(off, on);
    }
}

}  // namespace
}  // namespace tovan
