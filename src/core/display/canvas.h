#pragma once
// Drawing surface of the oscillogram area. Pixel rules:
// - a line covers its start pixel and excludes its end pixel;
// - a filled rectangle covers its top-left corner and excludes its
//   bottom-right corner;
// - polygons and ellipses are filled with the brush and outlined with the
//   pen (the outline as lines through the vertices back to the start);
// - text is placed with its cell's top-left corner at the given point.
// Colours are 0x00BBGGRR values.
//
// Image_Canvas rasterises into a QImage; Recording_Canvas only logs the
// calls, so that tests can read texts and positions.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tovan {

struct Canvas_Point {
    int x = 0;
    int y = 0;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    virtual void Line(int x0, int y0, int x1, int y1, uint32_t pen) = 0;
    virtual void Fill_Rect(int left, int top, int right, int bottom, uint32_t brush) = 0;
    virtual void Polygon(const Canvas_Point* pts, int count, uint32_t pen, uint32_t brush) = 0;
    // Ellipse inside the box left..right-1, top..bottom-1.
    virtual void Ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush) = 0;
    // UTF-8 text; opaque fills the text cell with bg first.
    virtual void Text(int x, int y, const std::string& text, const char* font, int height, uint32_t color,
                      bool opaque, uint32_t bg) = 0;

    // Open polyline: every segment excludes its end pixel, so the last
    // point is not drawn.
    void Polyline(const Canvas_Point* pts, int count, uint32_t pen) {
        for (int i = 1; i < count; ++i) Line(pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, pen);
    }
};

// 0x00BBGGRR to the QImage's 0xAARRGGBB.
inline uint32_t To_Argb(uint32_t c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// An RGB32 image for repeated drawing: rows start on 64-byte boundaries
// and the row stride is never a multiple of 512 bytes, so that the pixels
// of one column do not all fall into the same few cache sets (widths such
// as 1280 or 2560 would otherwise make vertical runs several times
// slower).
QImage Make_Screen_Image(int width, int height);

// What an Image_Canvas keeps from one screen to the next: the fonts it
// resolved and their metrics. Use one per thread.
class Canvas_Cache {
public:
    struct Font_Entry {
        QFont font;
        QFontMetrics metrics;
        int ascent;
        int height;
    };
    const Font_Entry& Font(const char* face, int height);

private:
    std::map<std::pair<std::string, int>, Font_Entry> fonts_;
};

class Image_Canvas final : public Canvas {
public:
    // The image is converted to Format_RGB32 when it has another format.
    // cache: fonts kept between canvases (optional; the canvas keeps its
    // own otherwise).
    explicit Image_Canvas(QImage& image, Canvas_Cache* cache = nullptr);
    ~Image_Canvas() override;
    Image_Canvas(const Image_Canvas&) = delete;
    Image_Canvas& operator=(const Image_Canvas&) = delete;

    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void Line(int x0, int y0, int x1, int y1, uint32_t pen) override;
    void Fill_Rect(int left, int top, int right, int bottom, uint32_t brush) override;
    void Polygon(const Canvas_Point* pts, int count, uint32_t pen, uint32_t brush) override;
    void Ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush) override;
    // Needs a QGuiApplication (font database); without one no text is drawn.
    void Text(int x, int y, const std::string& text, const char* font, int height, uint32_t color, bool opaque,
              uint32_t bg) override;

    // Font actually used for a requested face and pixel height. "MS Sans
    // Serif" and "Arial" fall back to a close sans-serif face when missing.
    static QFont Make_Font(const char* font, int height);

private:
    void Put(int x, int y, uint32_t argb) {
        if (static_cast<unsigned>(x) < static_cast<unsigned>(w_) && static_cast<unsigned>(y) < static_cast<unsigned>(h_))
            reinterpret_cast<uint32_t*>(bits_ + static_cast<ptrdiff_t>(y) * stride_)[x] = argb;
    }
    void Span(int y, int x0, int x1, uint32_t argb);  // x0..x1-1
    // One painter for all texts and ellipses of this canvas, begun on
    // first use and ended with the canvas.
    QPainter& Painter();

    QImage& image_;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    int w_ = 0, h_ = 0;
    Canvas_Cache own_cache_;
    Canvas_Cache* cache_;
    QPainter painter_;
};

// Logs every call. Polylines arrive as their lines.
class Recording_Canvas final : public Canvas {
public:
    enum class Kind { Line, Rect, Polygon, Ellipse, Text };
    struct Call {
        Kind kind;
        std::vector<Canvas_Point> pts;  // line: 2, rect/ellipse: 2 corners, text: 1
        uint32_t pen = 0;
        uint32_t brush = 0;  // text: background
        std::string text;
        std::string font;
        int height = 0;
        bool opaque = false;
    };

    Recording_Canvas(int w, int h) : w_(w), h_(h) {}
    int Width() const override { return w_; }
    int Height() const override { return h_; }
    void Line(int x0, int y0, int x1, int y1, uint32_t pen) override;
    void Fill_Rect(int left, int top, int right, int bottom, uint32_t brush) override;
    void Polygon(const Canvas_Point* pts, int count, uint32_t pen, uint32_t brush) override;
    void Ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush) override;
    void Text(int x, int y, const std::string& text, const char* font, int height, uint32_t color, bool opaque,
              uint32_t bg) override;

    const std::vector<Call>& Calls() const { return calls_; }
    // The text calls only, in drawing order.
    std::vector<const Call*> Texts() const;
    // First text call starting with the prefix, or nullptr.
    const Call* Find_Text(const std::string& prefix) const;
    void Clear() { calls_.clear(); }

private:
    int w_, h_;
    std::vector<Call> calls_;
};

}  // namespace tovan
