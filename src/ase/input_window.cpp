#include "ase/input_window.h"

#include <algorithm>
#include <cstring>

namespace meshlift::detail {
namespace {

// A window no larger than the input needs: a small scene then costs a small
// allocation, not a megabyte of fresh pages.
void allocate(InputWindow& window, const InputSource& source) {
    window.capacity = usableBlockSize(
        static_cast<std::size_t>(std::min<std::uint64_t>(window.blockSize, source.sizeHint)));
    window.bytes =
        std::unique_ptr<char[]>(new char[window.capacity + kReadPastEnd]); // left uninitialised
}

} // namespace

std::size_t usableBlockSize(std::size_t blockSize) {
    return std::max(blockSize, InputWindow::kMinBlockSize);
}

std::size_t moveWindow(InputWindow& window, InputSource& source, std::uint64_t offset) {
    if (!window.bytes) allocate(window, source);
    char* const data = window.bytes.get();
    std::size_t got = readSource(source, offset, data, window.capacity);
    if (got < window.capacity) source.end = std::min(source.end, offset + got);
    got = std::min<std::uint64_t>(got, source.end - offset);
    if (offset + got > source.checkedForMark) {
        const std::size_t from =
            source.checkedForMark > offset ? source.checkedForMark - offset : 0;
        const void* mark = std::memchr(data + from, InputSource::kEndMark, got - from);
        if (mark != nullptr) {
            got = static_cast<std::size_t>(static_cast<const char*>(mark) - data);
            source.end = offset + got;
        }
        source.checkedForMark = offset + got;
    }
    // What lies past the stretch is read but never used; it is set all the same.
    std::memset(data + got, 0, kReadPastEnd);
    window.offset = offset;
    window.length = got;
    return got;
}

} // namespace meshlift::detail
