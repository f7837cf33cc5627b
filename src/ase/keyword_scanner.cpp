#include "ase/keyword_scanner.h"

#include <cstring>

namespace meshlift {
namespace {

const char* lastLineFeed(const char* data, std::size_t size) {
    return static_cast<const char*>(::memrchr(data, '\n', size));
}

// Copies the line that starts at `lineStart` into the stream and moves the input
// past its line end. The line may reach beyond the window (a long line); only
// then is it read in several pieces.
void takeLine(InputFile& input, std::uint64_t lineStart, LineStream& stream) {
    input.matchedLineStart = lineStart;
    stream.text.clear();
    std::uint64_t at = lineStart;
    for (;;) {
        const std::size_t available = windowAt(input, at, 1);
        if (available == 0) { // the last line has no line end
            input.position.offset = at;
            input.position.endOfInput = true;
            break;
        }
        const char* data = windowData(input, at);
        const void* lineFeed = std::memchr(data, '\n', available);
        if (lineFeed != nullptr) {
            const std::size_t length = static_cast<const char*>(lineFeed) - data;
            stream.text.append(data, length);
            if (!stream.text.empty() && stream.text.back() == '\r') stream.text.pop_back();
            input.position.offset = at + length + 1;
            break;
        }
        stream.text.append(data, available);
        at += available;
    }
    rewindLine(stream);
}

} // namespace

bool findKeywordLine(InputFile& input, const Keyword& keyword, LineStream& stream) {
    clearLineStreamFlags(stream);
    if (input.position.failed) return false;

    std::uint64_t lineStart = input.position.offset;
    std::uint64_t scan = lineStart;
    for (;;) {
        const std::size_t available = windowAt(input, scan, keyword.size());
        if (available == 0) break;
        const char* data = windowData(input, scan);
        if (const char* hit = keyword.findIn(data, available)) {
            if (const char* lineFeed = lastLineFeed(data, hit - data))
                lineStart = scan + (lineFeed - data) + 1;
            takeLine(input, lineStart, stream);
            return true;
        }
        if (const char* lineFeed = lastLineFeed(data, available))
            lineStart = scan + (lineFeed - data) + 1;
        if (available < keyword.size()) {
            scan += available; // the input ends within this window
            continue;
        }
        // The keyword may straddle the window's end: look at its tail again.
        scan += available - (keyword.size() - 1);
    }
    // Every line is consumed; the next read would take nothing, so the input fails.
    input.position.offset = scan;
    input.position.endOfInput = true;
    input.position.failed = true;
    return false;
}

} // namespace meshlift
