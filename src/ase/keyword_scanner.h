#pragma once

#include "ase/input_reader.h"
#include "ase/keyword.h"
#include "ase/line_stream.h"

#include <cstdint>
#include <optional>

namespace meshlift::detail {

// Searches forward from `position`, through `window`, for the next line that contains
// the keyword anywhere, consuming it and every line before it, and loads it into the
// line stream. Returns where the line starts; nothing, with the rest of the input
// consumed, when no such line is left.
[[nodiscard]] std::optional<std::uint64_t>
searchKeywordLine(InputSource& source, InputWindow& window, InputPosition& position,
                  const Keyword& keyword, LineStream& stream);

// The same search from the input's own position, through its main window.
[[nodiscard]] inline bool findKeywordLine(InputReader& input, const Keyword& keyword,
                                          LineStream& stream) {
    return searchKeywordLine(input.source, input.window, input.position, keyword, stream)
        .has_value();
}

} // namespace meshlift::detail
