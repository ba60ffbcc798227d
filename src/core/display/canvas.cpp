#include "display/canvas.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tovan {

namespace {

constexpr std::align_val_t Row_Align{64};

void Free_Screen_Image(void* mem) { ::operator delete(mem, Row_Align); }

// Fills n pixels from p on. Blocks of eight pixels are copied from a
// register-sized pattern, which every compiler turns into vector stores
// (a plain loop stays scalar at the usual optimisation level).
void Fill_Pixels(uint32_t* p, ptrdiff_t n, uint32_t argb) {
    uint32_t block[8];
    for (uint32_t& b : block) b = argb;
    while (n >= 8) {
        std::memcpy(p, block, sizeof block);
        p += 8;
        n -= 8;
    }
    if (n >= 4) {
        std::memcpy(p, block, 4 * sizeof(uint32_t));
        p += 4;
        n -= 4;
    }
    while (n-- > 0) *p++ = argb;
}

}  // namespace

QImage Make_Screen_Image(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    qsizetype stride = (qsizetype{width} * 4 + 63) / 64 * 64;
    if (stride % 512 == 0) stride += 64;
    void* mem = ::operator new(static_cast<size_t>(stride) * static_cast<size_t>(height), Row_Align);
    return QImage(static_cast<uchar*>(mem), width, height, stride, QImage::Format_RGB32, Free_Screen_Image, mem);
}

const Canvas_Cache::Font_Entry& Canvas_Cache::Font(const char* face, int height) {
    auto key = std::make_pair(std::string(face), height);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        const QFont f = Image_Canvas::Make_Font(face, height);
        const QFontMetrics fm(f);
        it = fonts_.emplace(std::move(key), Font_Entry{f, fm, fm.ascent(), fm.height()}).first;
    }
    return it->second;
}

Image_Canvas::Image_Canvas(QImage& image, Canvas_Cache* cache)
    : image_(image), cache_(cache ? cache : &own_cache_) {
    if (image_.format() != QImage::Format_RGB32) image_ = image_.convertToFormat(QImage::Format_RGB32);
    bits_ = image_.bits();
    stride_ = image_.bytesPerLine();
    w_ = image_.width();
    h_ = image_.height();
}

Image_Canvas::~Image_Canvas() {
    if (painter_.isActive()) painter_.end();
}

QPainter& Image_Canvas::Painter() {
    if (!painter_.isActive()) {
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setRenderHint(QPainter::TextAntialiasing, false);
    }
    return painter_;
}

// Bresenham: along the major axis one pixel per step; the minor offset of
// step i is i * dminor / dmajor rounded (halves away from the start). The
// step range is clipped to the image first, so a line costs at most the
// image's width or height however far its ends lie outside.
void Image_Canvas::Line(int x0, int y0, int x1, int y1, uint32_t pen) {
    const int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool x_major = adx >= ady;
    const int64_t len = x_major ? adx : ady;
    if (len == 0) return;  // the end pixel is excluded: nothing at all
    const int64_t maj0 = x_major ? x0 : y0, min0 = x_major ? y0 : x0;
    const int64_t s_maj = (x_major ? dx : dy) < 0 ? -1 : 1;
    const int64_t s_min = (x_major ? dy : dx) < 0 ? -1 : 1;
    const int64_t d_maj = len, d_min = x_major ? ady : adx;
    const int64_t lim = x_major ? w_ : h_;
    int64_t i_lo, i_hi;
    if (s_maj > 0) {
        i_lo = -maj0;
        i_hi = lim - 1 - maj0;
    } else {
        i_lo = maj0 - (lim - 1);
        i_hi = maj0;
    }
    i_lo = std::max<int64_t>(i_lo, 0);
    i_hi = std::min<int64_t>(i_hi, len - 1);
    if (i_lo > i_hi) return;
    const uint32_t argb = To_Argb(pen);
    const int64_t lim_min = x_major ? h_ : w_;
    if (d_min == 0) {
        // Horizontal or vertical: the minor coordinate never moves, so the
        // clipped run is written with a fixed pointer step.
        if (min0 < 0 || min0 >= lim_min) return;
        const int64_t x = x_major ? maj0 + s_maj * i_lo : min0;
        const int64_t y = x_major ? min0 : maj0 + s_maj * i_lo;
        uchar* px = bits_ + static_cast<ptrdiff_t>(y) * stride_ + static_cast<ptrdiff_t>(x) * 4;
        const ptrdiff_t step = static_cast<ptrdiff_t>(s_maj) * (x_major ? 4 : stride_);
        for (int64_t k = i_hi - i_lo;; --k) {
            *reinterpret_cast<uint32_t*>(px) = argb;
            if (k == 0) return;
            px += step;  // only towards a pixel that is written next
        }
    }
    // Minor offset of the first step: q = floor((2 i d_min + d_maj) / two)
    // and its remainder. 2 i d_min can pass 2^64 for ends far outside, so
    // i d_min (below 2^64: both factors are below 2^32) is divided first,
    // i d_min = whole d_maj + part, and the halving is added to the part.
    const int64_t two = 2 * d_maj;
    const uint64_t prod = static_cast<uint64_t>(i_lo) * static_cast<uint64_t>(d_min);
    const uint64_t whole = prod / static_cast<uint64_t>(d_maj);
    const int64_t part = static_cast<int64_t>(prod % static_cast<uint64_t>(d_maj));
    int64_t q = static_cast<int64_t>(whole);
    int64_t rem = 2 * part + d_maj;  // below 3 d_maj
    if (rem >= two) {
        rem -= two;
        ++q;
    }
    for (int64_t i = i_lo; i <= i_hi; ++i) {
        const int64_t mj = maj0 + s_maj * i;
        const int64_t mn = min0 + s_min * q;
        if (mn >= 0 && mn < lim_min) {
            if (x_major)
                Put(static_cast<int>(mj), static_cast<int>(mn), argb);
            else
                Put(static_cast<int>(mn), static_cast<int>(mj), argb);
        }
        rem += 2 * d_min;
        if (rem >= two) {
            rem -= two;
            ++q;
        }
    }
}

void Image_Canvas::Span(int y, int x0, int x1, uint32_t argb) {
    if (y < 0 || y >= h_) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, w_);
    if (x0 >= x1) return;
    uint32_t* row = reinterpret_cast<uint32_t*>(bits_ + static_cast<ptrdiff_t>(y) * stride_);
    Fill_Pixels(row + x0, x1 - x0, argb);
}

void Image_Canvas::Fill_Rect(int left, int top, int right, int bottom, uint32_t brush) {
    const uint32_t argb = To_Argb(brush);
    const int y0 = std::max(top, 0), y1 = std::min(bottom, h_);
    for (int y = y0; y < y1; ++y) Span(y, left, right, argb);
}

// Even-odd fill sampled at pixel centres, then the pen outline.
void Image_Canvas::Polygon(const Canvas_Point* pts, int count, uint32_t pen, uint32_t brush) {
    if (count <= 0) return;
    int ymin = pts[0].y, ymax = pts[0].y;
    for (int i = 1; i < count; ++i) {
        ymin = std::min(ymin, pts[i].y);
        ymax = std::max(ymax, pts[i].y);
    }
    const uint32_t argb = To_Argb(brush);
    std::vector<double> xs;
    for (int y = std::max(ymin, 0); y < std::min(ymax, h_); ++y) {
        const double yc = y + 0.5;
        xs.clear();
        for (int i = 0; i < count; ++i) {
            const Canvas_Point a = pts[i], b = pts[(i + 1) % count];
            if (a.y == b.y) continue;
            const double ya = a.y, yb = b.y;
            if ((yc >= ya && yc < yb) || (yc >= yb && yc < ya))
                xs.push_back(a.x + (yc - ya) * (double(b.x) - a.x) / (yb - ya));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2) {
            const double xa = std::clamp(std::ceil(xs[k] - 0.5), -1.0, double(w_));
            const double xb = std::clamp(std::ceil(xs[k + 1] - 0.5), -1.0, double(w_));
            Span(y, static_cast<int>(xa), static_cast<int>(xb), argb);
        }
    }
    for (int i = 0; i < count; ++i) {
        const Canvas_Point a = pts[i], b = pts[(i + 1) % count];
        Line(a.x, a.y, b.x, b.y, pen);
    }
}

void Image_Canvas::Ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush) {
    if (right - left < 2 || bottom - top < 2) return;
    QPainter& p = Painter();
    p.setPen(QPen(QColor::fromRgb(To_Argb(pen)), 0));
    p.setBrush(QColor::fromRgb(To_Argb(brush)));
    // Aliased outlines cover width + 1 pixels: left..right-1.
    p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

QFont Image_Canvas::Make_Font(const char* font, int height) {
    QFont f;
    f.setFamilies({QString::fromUtf8(font), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::clamp(height, 1, 200));
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

void Image_Canvas::Text(int x, int y, const std::string& text, const char* font, int height, uint32_t color,
                        bool opaque, uint32_t bg) {
    if (text.empty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    const Canvas_Cache::Font_Entry& f = cache_->Font(font, height);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (opaque) Fill_Rect(x, y, x + f.metrics.horizontalAdvance(s), y + f.height, bg);
    QPainter& p = Painter();
    p.setFont(f.font);
    p.setPen(QColor::fromRgb(To_Argb(color)));
    p.drawText(QPoint(x, y + f.ascent), s);
}

// --- Recording_Canvas ---------------------------------------------------

void Recording_Canvas::Line(int x0, int y0, int x1, int y1, uint32_t pen) {
    calls_.push_back({Kind::Line, {{x0, y0}, {x1, y1}}, pen, 0, {}, {}, 0, false});
}

void Recording_Canvas::Fill_Rect(int left, int top, int right, int bottom, uint32_t brush) {
    calls_.push_back({Kind::Rect, {{left, top}, {right, bottom}}, brush, brush, {}, {}, 0, false});
}

void Recording_Canvas::Polygon(const Canvas_Point* pts, int count, uint32_t pen, uint32_t brush) {
    calls_.push_back({Kind::Polygon, std::vector<Canvas_Point>(pts, pts + std::max(count, 0)), pen, brush, {}, {}, 0,
                      false});
}

void Recording_Canvas::Ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush) {
    calls_.push_back({Kind::Ellipse, {{left, top}, {right, bottom}}, pen, brush, {}, {}, 0, false});
}

void Recording_Canvas::Text(int x, int y, const std::string& text, const char* font, int height, uint32_t color,
                            bool opaque, uint32_t bg) {
    calls_.push_back({Kind::Text, {{x, y}}, color, bg, text, font, height, opaque});
}

std::vector<const Recording_Canvas::Call*> Recording_Canvas::Texts() const {
    std::vector<const Call*> out;
    for (const auto& c : calls_)
        if (c.kind == Kind::Text) out.push_back(&c);
    return out;
}

const Recording_Canvas::Call* Recording_Canvas::Find_Text(const std::string& prefix) const {
    for (const auto& c : calls_)
        if (c.kind == Kind::Text && c.text.rfind(prefix, 0) == 0) return &c;
    return nullptr;
}

}  // namespace tovan
