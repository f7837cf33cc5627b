#include "ase/keyword_scanner.h"

#include <cstring>

namespace meshlift::detail {
namespace {

constexpr std::size_t kLineFeedBlock = 16;

// Line feeds are looked for in whole blocks, up to a block past the stretch.
static_assert(kReadPastEnd >= kLineFeedBlock - 1);
static_assert(InputWindow::kMinBlockSize >= Keyword::kMaxSize);

// Start of the line holding `at` in window data beginning at `data`, or nullptr
// when no line feed precedes it there. The line feed is near in every line worth
// finding, so a plain backward walk beats a library call.
const char* lineStartBefore(const char* data, const char* at) {
    while (at != data) {
        if (at[-1] == '\n') return at;
        --at;
    }
    return nullptr;
}

// The first line feed in [from, end), or nullptr. `end` lies in an input window,
// whose padding lets the last block read past it.
const char* lineFeedIn(const char* from, const char* end) {
    for (const char* p = from; p < end; p += kLineFeedBlock) {
        if (const unsigned found = masks::equalBytes16(p, '\n'); found != 0) {
            const char* lineFeed = p + masks::lowestBit(found);
            return lineFeed < end ? lineFeed : nullptr;
        }
    }
    return nullptr;
}

// The last line feed in [data, data + size), or nullptr; near the end in any window
// of ASE lines.
const char* lastLineFeed(const char* data, std::size_t size) {
    for (const char* p = data + size; p != data; --p)
        if (p[-1] == '\n') return p - 1;
    return nullptr;
}

struct Reader {
    InputSource& source;
    InputWindow& window;
    InputPosition& position;
};

// Gathers a line longer than the window into the stream, piece by piece.
void gatherLongLine(Reader in, std::uint64_t lineStart, LineStream& stream) {
    copyLine(stream, {});
    for (std::uint64_t at = lineStart;;) {
        const std::size_t available = windowAt(in.window, in.source, at, 1);
        if (available == 0) { // the last line has no line end
            in.position.offset = at;
            in.position.endOfInput = true;
            return;
        }
        const char* data = windowData(in.window, at);
        const void* lineFeed = std::memchr(data, '\n', available);
        const std::size_t length =
            lineFeed != nullptr ? static_cast<const char*>(lineFeed) - data : available;
        appendToLine(stream, std::string_view(data, length));
        if (lineFeed != nullptr) {
            in.position.offset = at + length + 1;
            const std::string_view line = stream.text;
            if (!line.empty() && line.back() == '\r') cutLine(stream, line.size() - 1); // CR LF
            return;
        }
        at += available;
    }
}

// Loads the line that starts at `lineStart` and holds the keyword found at `hit`
// into the stream, and moves the input past its line end. A line that runs past the
// window's end is read again from its start; only one longer than the whole window
// is copied.
void loadMatchedLine(Reader in, std::uint64_t lineStart, std::uint64_t hit, LineStream& stream) {
    for (std::size_t wanted : {std::size_t{1}, in.window.capacity}) {
        const std::size_t available = windowAt(in.window, in.source, lineStart, wanted);
        const char* data = windowData(in.window, lineStart);
        const std::uint64_t from = hit - lineStart; // no line feed before the keyword
        if (from >= available) continue;            // the window does not reach the keyword
        const char* lineFeed = lineFeedIn(data + from, data + available);
        std::size_t length = available;
        if (lineFeed != nullptr) {
            length = lineFeed - data;
            in.position.offset = lineStart + length + 1;
            if (length > 0 && data[length - 1] == '\r') --length; // CR LF
        } else if (lineStart + available == in.source.end) {      // the last line has no line end
            in.position.offset = in.source.end;
            in.position.endOfInput = true;
        } else {
            continue;
        }
        viewLine(stream, std::string_view(data, length));
        return;
    }
    gatherLongLine(in, lineStart, stream);
}

} // namespace

std::optional<std::uint64_t> searchKeywordLine(InputSource& source, InputWindow& window,
                                               InputPosition& position, const Keyword& keyword,
                                               LineStream& stream) {
    clearFailed(stream);
    if (position.failed) return std::nullopt;

    const Reader in{source, window, position};
    std::uint64_t lineStart = position.offset;
    std::uint64_t scan = lineStart;
    for (;;) {
        // A failed search leaves the last matched line in the stream, so a line
        // viewed in a window is copied before the window moves on.
        if (stream.viewed && !windowHolds(window, source, scan, keyword.size())) detachLine(stream);
        const std::size_t available = windowAt(window, source, scan, keyword.size());
        if (available == 0) break;
        const char* data = windowData(window, scan);
        if (const char* hit = keyword.findIn(data, available)) {
            if (const char* start = lineStartBefore(data, hit)) lineStart = scan + (start - data);
            loadMatchedLine(in, lineStart, scan + (hit - data), stream);
            return lineStart;
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
    position.offset = scan;
    position.endOfInput = true;
    position.failed = true;
    return std::nullopt;
}

} // namespace meshlift::detail
