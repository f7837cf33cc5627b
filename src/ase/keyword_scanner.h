#pragma once

#include "ase/input_file.h"
#include "ase/keyword.h"
#include "ase/line_stream.h"

#include <cstdint>
#include <optional>

namespace meshlift {

// Reads forward to the next line that contains the keyword anywhere, consuming it
// and every line before it, and loads it into the line stream. Returns false, with
// the rest of the input consumed, when no such line is left.
[[nodiscard]] bool findKeywordLine(InputFile& input, const Keyword& keyword, LineStream& stream);

// The same search through any window of the source, from any position; returns
// where the line found starts.
[[nodiscard]] std::optional<std::uint64_t>
searchKeywordLine(InputSource& source, InputWindow& window, InputPosition& position,
                  const Keyword& keyword, LineStream& stream);

} // namespace meshlift
