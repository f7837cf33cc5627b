#pragma once

#include "ase/input_reader.h"
#include "ase/line_stream.h"
#include "scene/line_sink.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace meshlift::detail {

// Completes the object start line that the scene loop began with "<object": the id
// from the object's name line (or "obj_" and the counter), the fixed material
// attributes and the colour from the next colour line ahead (or the default).
void convertObjectHeader(InputReader& input, LineStream& stream, LineSink& document,
                         std::int32_t objectCounter);

// The nearer of the two integers around x, halves going up; saturates outside the
// 32-bit range.
[[nodiscard]] std::int32_t roundToNearest(float x);

// "0x" and the packed components in lower-case hexadecimal.
[[nodiscard]] std::string colourText(float red, float green, float blue);

// The id text of a name line: from its first to its last double quote.
[[nodiscard]] std::string idText(std::string_view nameLine);

} // namespace meshlift::detail
