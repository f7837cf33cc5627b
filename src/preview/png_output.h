#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace meshlift::preview {

// Writes 8-bit RGB rows as a PNG. The picture goes to a temporary file beside `path`
// and is renamed onto it only when complete, so a failure (a full disk, a folder that
// cannot be written) leaves no half-written picture behind, and an older picture at
// `path` stays as it was. Returns false on any failure.
[[nodiscard]] bool writePng(const std::string& path, int width, int height,
                            const std::vector<std::uint8_t>& rgbRows);

} // namespace meshlift::preview
