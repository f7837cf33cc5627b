#pragma once

#include "ase/input_reader.h"
#include "scene/line_sink.h"
#include "scene/mesh_conversion.h"

#include <string_view>

namespace meshlift::detail {

// The whole document from an opened input: the scene envelope and one object
// element per line that holds "*GEOMOBJECT". `inputPath` only names the input in
// the message for a scene without objects. When a read of the input fails, nothing
// more is written, to the document or the console, and false is returned: the
// document then lacks its scene end line.
[[nodiscard]] bool convertScene(InputReader& input, LineSink& document, LineSink& console,
                                Mode mode, std::string_view inputPath);

} // namespace meshlift::detail
