#pragma once

#include "ase/input_source.h"
#include "ase/input_window.h"
#include "ase/lookahead.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace meshlift::detail {

// Where the next line read starts, together with the input's condition.
struct InputPosition {
    std::uint64_t offset = 0;
    bool endOfInput = false;
    bool failed = false;
};

// The ASE input as the converters read it: its source, the window that searches
// read through, the position they have reached, and the colour look-ahead.
struct InputReader {
    static constexpr std::size_t kBlockSize = InputWindow::kBlockSize;

    InputSource source;
    InputWindow window;
    InputPosition position;
    Lookahead lookahead;
};

[[nodiscard]] inline InputOpenResult openInputFile(InputReader& input, const char* path) {
    return openInputSource(input.source, path);
}

// Reads from memory instead of a file, through windows of `blockSize` bytes; `bytes`
// must outlive the input.
void openInputMemory(InputReader& input, std::string_view bytes,
                     std::size_t blockSize = InputReader::kBlockSize);

} // namespace meshlift::detail
