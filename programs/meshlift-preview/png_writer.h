#pragma once

#include "meshlift/preview.h"

#include <string>

namespace meshlift::cli {

// The picture as a PNG file's bytes: 8-bit RGB (its alpha is always opaque), or an
// empty string when zlib fails (out of memory).
[[nodiscard]] std::string encodePng(const PreviewImage& image);

} // namespace meshlift::cli
