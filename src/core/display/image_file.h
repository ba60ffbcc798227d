#pragma once
// The screen picture as the bytes of an image file.
#include <optional>
#include <string>

class QImage;

namespace tovan {

// BMP (the bitmap as it is, at its pixel size), or PNG when `png`.
// Nothing for an empty picture or when the encoder fails.
std::optional<std::string> Encode_Screen_Image(const QImage& image, bool png);

}  // namespace tovan
