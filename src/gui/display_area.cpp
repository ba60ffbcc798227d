#include "gui/display_area.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "gui/main_window.h"

namespace tovan {

namespace {
QColor From_BGR(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
}  // namespace

Display_Area::Display_Area(QWidget* parent, Main_Window_Hooks& hooks, Scope_Settings& s,
                           std::function<void()> toggle_compact)
    : QWidget(parent), hooks_(hooks), s_(s), toggle_compact_(std::move(toggle_compact)) {
    setObjectName(QStringLiteral("Image_M"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void Display_Area::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QImage* img = hooks_.screen_image ? hooks_.screen_image() : nullptr;
    // The picture covers the area (it follows its size); only what it does
    // not cover is filled.
    QRegion bare = e->region();
    if (img && !img->isNull()) {
        const QRect pic(QPoint(0, 0), img->size());
        for (const QRect& r : e->region()) {
            const QRect part = r & pic;
            if (!part.isEmpty()) p.drawImage(part.topLeft(), *img, part);
        }
        bare -= pic;
    }
    for (const QRect& r : bare) p.fillRect(r, From_BGR(s_.Colors.Background));
}

void Display_Area::resizeEvent(QResizeEvent*) {
    if (hooks_.display_resized) hooks_.display_resized(size());
}

bool Display_Area::Forward(QMouseEvent* e) { return hooks_.display_mouse ? hooks_.display_mouse(e) : false; }

}  // namespace tovan
