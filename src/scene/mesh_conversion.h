#pragma once

#include "ase/input_reader.h"
#include "ase/line_stream.h"
#include "meshlift/meshlift.h"
#include "scene/line_sink.h"

#include <cstdint>

namespace meshlift::detail {

// The counts of the last mesh that supplied them. One record serves the whole run:
// an object whose count line is missing or unreadable keeps the previous count.
struct MeshCounts {
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
};

// Everything of one object between its start and end lines: the nodes block from
// the vertex list, the polygons block from the face list, and an error line on the
// console for each record that is missing.
void convertMesh(InputReader& input, LineStream& stream, LineSink& document, LineSink& console,
                 Mode mode, MeshCounts& counts);

} // namespace meshlift::detail
