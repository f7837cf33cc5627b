#pragma once

#include "ase/input_file.h"
#include "ase/keyword.h"
#include "ase/line_stream.h"

namespace meshlift {

// Searches ahead for a line with the keyword, then returns the input to where it
// was and in the condition it was in, found or not: the look-ahead consumes nothing.
//
// Read literally, a look-ahead for a keyword that the input lacks scans to the end
// every time, which makes a scene without colour lines cost the square of its
// object count. Looking ahead only ever starts further on, so the last answer is
// kept: from where that search started up to the start of the line it found, the
// same line would be found again; from anywhere after a search that found nothing,
// nothing would be found.
[[nodiscard]] bool lookAheadForKeywordLine(InputFile& input, const Keyword& keyword,
                                           LineStream& stream);

} // namespace meshlift
