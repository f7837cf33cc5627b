#pragma once

#include "ase/input_source.h"
#include "ase/read_past.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace meshlift::detail {

// A stretch of the input held in memory, read from its source by absolute offset.
// The buffer has kReadPastEnd defined bytes beyond the stretch, so that a line at
// the window's end can be read in whole blocks.
struct InputWindow {
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    static constexpr std::size_t kMinBlockSize = 32;

    std::size_t blockSize = kBlockSize; // the most that one read brings in
    std::unique_ptr<char[]> bytes;      // allocated on the first read, sized to the input
    std::size_t capacity = 0;           // bytes a read may fill, padding not counted
    std::uint64_t offset = 0;
    std::size_t length = 0;
};

// A window of at least kMinBlockSize bytes: every keyword fits in one.
[[nodiscard]] std::size_t usableBlockSize(std::size_t blockSize);

// Whether the window holds `offset` and, unless the input ends sooner, at least
// `minBytes` bytes from it.
[[nodiscard]] inline bool windowHolds(const InputWindow& window, const InputSource& source,
                                      std::uint64_t offset, std::size_t minBytes) {
    const std::uint64_t windowEnd = window.offset + window.length;
    return offset >= window.offset && offset < windowEnd &&
           (windowEnd - offset >= minBytes || windowEnd == source.end);
}

// Reads the window afresh from `offset`; see windowAt.
[[nodiscard]] std::size_t moveWindow(InputWindow& window, InputSource& source,
                                     std::uint64_t offset);

// Makes the window hold `offset` and, unless the input ends sooner, at least
// `minBytes` bytes from it. Returns the number of bytes available from `offset`
// in the window; 0 means the input ends at or before `offset`.
[[nodiscard]] inline std::size_t windowAt(InputWindow& window, InputSource& source,
                                          std::uint64_t offset, std::size_t minBytes) {
    if (offset >= source.end) return 0;
    if (windowHolds(window, source, offset, minBytes))
        return window.offset + window.length - offset;
    return moveWindow(window, source, offset);
}

[[nodiscard]] inline const char* windowData(const InputWindow& window, std::uint64_t offset) {
    return window.bytes.get() + (offset - window.offset);
}

} // namespace meshlift::detail
