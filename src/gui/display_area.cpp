#include "gui/display_area.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

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
    clock_.start();
    present_timer_.setSingleShot(true);
    present_timer_.setTimerType(Qt::PreciseTimer);
    connect(&present_timer_, &QTimer::timeout, this, [this] { update(); });
}

int64_t Display_Area::Present_Period_ns() const {
    if (period_override_.count() > 0) return period_override_.count();
    const QScreen* sc = screen();
    const double hz = sc ? sc->refreshRate() : 0.0;
    // A screen that reports nothing sensible counts as 60 Hz.
    return static_cast<int64_t>(1e9 / (hz >= 1 && hz <= 1000 ? hz : 60.0));
}

void Display_Area::Set_Present_Period(std::chrono::nanoseconds period) {
    period_override_ = period;
    if (present_timer_.isActive()) {
        present_timer_.stop();
        Present();  // due again under the new period
    }
}

void Display_Area::Present() {
    if (present_timer_.isActive()) return;  // the latest picture goes out when it fires
    const int64_t wait = pacer_.Wait_ns(clock_.nsecsElapsed(), Present_Period_ns());
    if (wait == 0) {
        update();
    } else {
        present_timer_.start(static_cast<int>((wait + 999999) / 1000000));
    }
}

void Display_Area::paintEvent(QPaintEvent* e) {
    pacer_.Presented(clock_.nsecsElapsed());
    ++presented_;
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
