#pragma once

#include "ase/input_file.h"
#include "ase/keyword.h"
#include "ase/line_stream.h"

namespace meshlift {

// Reads forward to the next line that contains the keyword anywhere, consuming it
// and every line before it, and loads it into the line stream. Returns false, with
// the rest of the input consumed, when no such line is left.
[[nodiscard]] bool findKeywordLine(InputFile& input, const Keyword& keyword, LineStream& stream);

} // namespace meshlift
