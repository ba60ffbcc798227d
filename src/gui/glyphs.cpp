#include "gui/glyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace tovan {
namespace {

// Paths are built in a 24 x 16 box and scaled into the icon rectangle.
constexpr qreal Box_W = 24.0;
constexpr qreal Box_H = 16.0;

QPainterPath Sine(qreal y0, qreal amp) {
    QPainterPath p;
    for (int i = 0; i <= 48; ++i) {
        const qreal x = 2.0 + 20.0 * i / 48.0;
        const qreal y = y0 - amp * qSin(2.0 * M_PI * i / 48.0);
        if (i == 0)
            p.moveTo(x, y);
        else
            p.lineTo(x, y);
    }
    return p;
}

QPainterPath Polyline(std::initializer_list<QPointF> pts) {
    QPainterPath p;
    bool first = true;
    for (const QPointF& pt : pts) {
        if (first)
            p.moveTo(pt);
        else
            p.lineTo(pt);
        first = false;
    }
    return p;
}

QPainterPath Glyph_Path(Glyph g, bool on) {
    switch (g) {
    case Glyph::Coupling: {
        if (on) return Sine(8.0, 5.0);
        QPainterPath p = Sine(6.0, 4.0);
        p.addPath(Polyline({{2, 12.5}, {22, 12.5}}));
        p.addPath(Polyline({{2, 14.5}, {22, 14.5}}));
        return p;
    }
    case Glyph::Edge: {
        QPainterPath p = on ? Polyline({{3, 3}, {11, 3}, {13, 13}, {21, 13}})
                            : Polyline({{3, 13}, {11, 13}, {13, 3}, {21, 3}});
        // Arrow head on the slope.
        const qreal ym = 8.0;
        if (on)
            p.addPath(Polyline({{9.5, ym - 2.5}, {12, ym + 1}, {14.5, ym - 2.5}}));
        else
            p.addPath(Polyline({{9.5, ym + 2.5}, {12, ym - 1}, {14.5, ym + 2.5}}));
        return p;
    }
    case Glyph::Ret_Trig: {
        // A trigger mark with an arrow pointing back to it.
        QPainterPath p = Polyline({{16, 2}, {16, 14}});
        p.addPath(Polyline({{13, 2}, {19, 2}}));
        p.addPath(Polyline({{4, 8}, {13, 8}}));
        p.addPath(Polyline({{9.5, 5}, {13, 8}, {9.5, 11}}));
        return p;
    }
    case Glyph::Wave_Sin:
        return Sine(8.0, 5.5);
    case Glyph::Wave_Rect:
        return Polyline({{2, 13}, {2, 3}, {12, 3}, {12, 13}, {22, 13}, {22, 3}});
    case Glyph::Wave_Trian:
        return Polyline({{2, 13}, {7, 3}, {12, 13}, {17, 3}, {22, 13}});
    case Glyph::Wave_Up_Trian:
        return Polyline({{2, 13}, {12, 3}, {12, 13}, {22, 3}, {22, 13}});
    case Glyph::Wave_Dn_Trian:
        return Polyline({{2, 3}, {12, 13}, {12, 3}, {22, 13}, {22, 3}});
    }
    return {};
}

class Glyph_Engine : public QIconEngine {
public:
    explicit Glyph_Engine(Glyph g) : g_(g) {}
    QIconEngine* clone() const override { return new Glyph_Engine(g_); }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        const qreal s = qMin(rect.width() / Box_W, rect.height() / Box_H);
        painter->translate(rect.x() + (rect.width() - Box_W * s) / 2.0,
                           rect.y() + (rect.height() - Box_H * s) / 2.0);
        painter->scale(s, s);
        const QColor c = mode == QIcon::Disabled ? QColor(150, 150, 150) : QColor(0, 0, 0);
        QPen pen(c, 1.6);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(Glyph_Path(g_, state == QIcon::On));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        // Qt asks for the size in device pixels; paint in logical units.
        const qreal dpr = scale > 0 ? scale : 1.0;
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        pm.setDevicePixelRatio(dpr);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), (QSizeF(size) / dpr).toSize()), mode, state);
        return pm;
    }

private:
    Glyph g_;
};

}  // namespace

QIcon Make_Glyph(Glyph g) { return QIcon(new Glyph_Engine(g)); }

}  // namespace tovan
