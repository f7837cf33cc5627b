#pragma once

#include "ase/input_file.h"
#include "ase/line_stream.h"
#include "scene/line_sink.h"

#include <cstdint>

namespace meshlift {

// The "quad" face loop: each pair of face lines becomes one polygon of four
// corners, one visible edge taken from each face.
void assembleQuads(InputFile& input, LineStream& stream, LineSink& document, LineSink& console,
                   std::int32_t faceCount);

} // namespace meshlift
