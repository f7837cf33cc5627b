#pragma once

#include <cstddef>

namespace meshlift::detail {

// How many bytes after the end of any text the reader may read: window stretches and
// stored lines are followed by this many defined bytes. Bytes are classified in
// blocks (line feeds 16 at a time, blanks 64 at a time) and short tokens are copied
// in one fixed-size move, so the last bytes of a line are read together with some
// that follow it. Everything that reads ahead checks itself against this one number.
inline constexpr std::size_t kReadPastEnd = 64;

} // namespace meshlift::detail
