#pragma once

#include "preview/geometry.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace meshlift::detail::preview {

// Attribute texts of the document, read as numbers. Every reader accepts blanks around
// the number and refuses trailing text, so a mistyped value is noticed, not half-read.
[[nodiscard]] std::optional<double> readNumber(std::string_view text);
[[nodiscard]] std::optional<Vec3> readTriple(std::string_view text);

// "0x" and hexadecimal digits; the low 24 bits are red, green and blue. Colours that
// spill over 24 bits (a component beyond 1.0 in the scene) keep their low bits.
[[nodiscard]] std::optional<std::uint32_t> readColour(std::string_view text);

} // namespace meshlift::detail::preview
