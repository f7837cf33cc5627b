#pragma once

#include "ase/input_window.h"
#include "ase/keyword.h"
#include "ase/line_stream.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace meshlift::detail {

struct InputReader;

// What the last look-ahead learned, so that the next one can answer without
// reading the same bytes again.
struct LookaheadMemo {
    bool valid = false;
    std::string_view keyword;
    std::uint64_t searchedFrom = 0; // where that look-ahead started
    bool found = false;
    std::uint64_t lineStart = 0; // start of the line it found
    std::string line;            // that line's text
};

// The look-ahead reads through a window of its own, so that going back to where it
// started does not read the main window's bytes again.
struct Lookahead {
    InputWindow window;
    LookaheadMemo memo;
    bool useMemo = true; // off only to check the memo's answers against plain searches
};

// Searches ahead for a line with the keyword and loads it into the stream, but
// leaves the input where it was and in the condition it was in, found or not: the
// look-ahead consumes nothing.
//
// Read literally, a look-ahead for a keyword that the input lacks scans to the end
// every time, which makes a scene without colour lines cost the square of its
// object count. Looking ahead only ever starts further on, so the last answer is
// kept: from where that search started up to the start of the line it found, the
// same line would be found again; from anywhere after a search that found nothing,
// nothing would be found.
[[nodiscard]] bool lookAheadForKeywordLine(InputReader& input, const Keyword& keyword,
                                           LineStream& stream);

} // namespace meshlift::detail
