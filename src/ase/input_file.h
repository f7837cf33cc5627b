#pragma once

#include "ase/file_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace meshlift {

inline constexpr std::uint64_t kUnknownEnd = std::numeric_limits<std::uint64_t>::max();

// Where the next line read starts, together with the input's condition.
struct InputPosition {
    std::uint64_t offset = 0;
    bool endOfInput = false;
    bool failed = false;
};

// What the last look-ahead learned, so that the next one can answer without
// reading the same bytes again (see lookahead.h).
struct LookaheadMemo {
    bool valid = false;
    std::string_view keyword;
    std::uint64_t searchedFrom = 0; // where that look-ahead started
    bool found = false;
    std::uint64_t lineStart = 0; // start of the line it found
    std::string line;            // that line's text
};

// A stretch of the input held in memory. Its buffer has kPadding bytes beyond the
// longest stretch, so that a line at the window's end can be read in whole words.
struct InputWindow {
    static constexpr std::size_t kPadding = 64;

    std::vector<char> bytes;
    std::uint64_t offset = 0;
    std::size_t length = 0;
};

// The ASE input: a file read through one large window by absolute offsets, or a
// block of memory read the same way (tests and fuzzing). Every input that is not
// a regular file is spooled first, so that any offset can be read again.
struct InputFile {
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    static constexpr std::size_t kMinBlockSize = 32; // longer than every keyword
    static constexpr char kEndMark = 0x1A;           // ends the input, as in DOS text files

    FileDescriptor fd;
    std::string_view memory; // the bytes, when there is no file
    dev_t device = 0;        // identity of the opened path, to refuse it as the output
    ino_t inode = 0;

    InputWindow window;
    // The look-ahead reads through a window of its own, so that going back to where
    // it started does not read the main window's bytes again.
    InputWindow aheadWindow;
    std::size_t blockSize = kBlockSize;
    std::uint64_t end = kUnknownEnd;  // logical end, once known
    std::uint64_t checkedForMark = 0; // bytes below this hold no end mark

    InputPosition position;
    std::uint64_t matchedLineStart = 0; // where the last line found by a search starts
    LookaheadMemo lookahead;
    bool rememberLookahead = true; // off only to check the memo against plain searches
};

enum class InputOpenError { none, cannotOpen, isDirectory, cannotSpool };

// Opens a path for reading. Pipes, terminals and other streams are copied into an
// unlinked temporary file first.
[[nodiscard]] InputOpenError openInputFile(InputFile& input, const char* path);

// Reads from memory instead of a file; `bytes` must outlive the input.
void openInputMemory(InputFile& input, std::string_view bytes,
                     std::size_t blockSize = InputFile::kBlockSize);

// Whether the window holds `offset` and, unless the input ends sooner, at least
// `minBytes` bytes from it.
[[nodiscard]] inline bool windowHolds(const InputFile& input, std::uint64_t offset,
                                      std::size_t minBytes) {
    const InputWindow& window = input.window;
    const std::uint64_t windowEnd = window.offset + window.length;
    return offset >= window.offset && offset < windowEnd &&
           (windowEnd - offset >= minBytes || windowEnd == input.end);
}

// Reads the window afresh from `offset`; see windowAt.
[[nodiscard]] std::size_t moveWindow(InputFile& input, std::uint64_t offset);

// Makes the window hold `offset` and, unless the input ends sooner, at least
// `minBytes` bytes from it. Returns the number of bytes available from `offset`
// in the window; 0 means the input ends at or before `offset`.
[[nodiscard]] inline std::size_t windowAt(InputFile& input, std::uint64_t offset,
                                          std::size_t minBytes) {
    if (offset >= input.end) return 0;
    if (windowHolds(input, offset, minBytes))
        return input.window.offset + input.window.length - offset;
    return moveWindow(input, offset);
}

[[nodiscard]] inline const char* windowData(const InputFile& input, std::uint64_t offset) {
    return input.window.bytes.data() + (offset - input.window.offset);
}

[[nodiscard]] InputPosition saveInputPosition(const InputFile& input);
void restoreInputPosition(InputFile& input, const InputPosition& saved);

} // namespace meshlift
