#pragma once

#include "ase/input_reader.h"
#include "ase/line_stream.h"
#include "ase/token_text.h"
#include "scene/line_sink.h"

#include <cstdint>

namespace meshlift::detail {

// The "tri" face loop: one polygon per face line, corners in reverse order.
void convertTriangles(InputReader& input, LineStream& stream, LineSink& document, LineSink& console,
                      std::int32_t faceCount);

// The "quad" face loop: each pair of face lines becomes one polygon of four
// corners, one visible edge taken from each face.
void assembleQuads(InputReader& input, LineStream& stream, LineSink& document, LineSink& console,
                   std::int32_t faceCount);

// Drops the rightmost ":" of a face label, if it has one: "7:" gives "7", "1:2:"
// gives "1:2".
void removeLastColon(TokenText& faceLabel);

} // namespace meshlift::detail
