#include "display/image_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace tovan {

std::optional<std::string> Encode_Screen_Image(const QImage& image, bool png) {
    if (image.isNull()) return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, png ? "PNG" : "BMP")) return std::nullopt;
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace tovan
