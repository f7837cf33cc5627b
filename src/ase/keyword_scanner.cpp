#include "ase/keyword_scanner.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace meshlift {
namespace {

static_assert(InputWindow::kPadding >= kLinePadding);

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

// The first line feed in [from, end), or nullptr. `end` lies in the input window,
// whose padding lets the last block read past it.
const char* lineFeedIn(const char* from, const char* end) {
#ifdef __SSE2__
    static_assert(InputWindow::kPadding >= 16);
    for (const char* p = from; p < end; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto mask =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))));
        if (mask != 0) {
            const char* lineFeed = p + __builtin_ctz(mask);
            return lineFeed < end ? lineFeed : nullptr;
        }
    }
    return nullptr;
#else
    return static_cast<const char*>(std::memchr(from, '\n', end - from));
#endif
}

const char* lastLineFeed(const char* data, std::size_t size) {
    return static_cast<const char*>(::memrchr(data, '\n', size));
}

// Gathers a line longer than the window into the stream's storage, piece by piece.
void takeLongLine(InputFile& input, std::uint64_t lineStart, LineStream& stream) {
    std::vector<char>& line = stream.storage;
    line.clear();
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
        const std::size_t length =
            lineFeed != nullptr ? static_cast<const char*>(lineFeed) - data : available;
        line.insert(line.end(), data, data + length);
        if (lineFeed != nullptr) {
            input.position.offset = at + length + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back(); // CR LF
            break;
        }
        at += available;
    }
    showStoredLine(stream, line.size());
}

// Shows the line that starts at `lineStart` and holds the keyword found at `hit`
// in the stream, and moves the input past its line end. A line that runs past the
// window's end is read again from its start; only one longer than the whole window
// is copied.
void takeLine(InputFile& input, std::uint64_t lineStart, std::uint64_t hit, LineStream& stream) {
    input.matchedLineStart = lineStart;
    for (std::size_t wanted : {std::size_t{1}, input.blockSize}) {
        const std::size_t available = windowAt(input, lineStart, wanted);
        const char* data = windowData(input, lineStart);
        const std::uint64_t from = hit - lineStart; // no line feed before the keyword
        if (from >= available) continue;            // the window does not reach the keyword
        const char* lineFeed = lineFeedIn(data + from, data + available);
        std::size_t length = available;
        if (lineFeed != nullptr) {
            length = lineFeed - data;
            input.position.offset = lineStart + length + 1;
            if (length > 0 && data[length - 1] == '\r') --length; // CR LF
        } else if (lineStart + available == input.end) {          // the last line has no line end
            input.position.offset = input.end;
            input.position.endOfInput = true;
        } else {
            continue;
        }
        showWindowLine(stream, std::string_view(data, length));
        return;
    }
    takeLongLine(input, lineStart, stream);
}

} // namespace

bool findKeywordLine(InputFile& input, const Keyword& keyword, LineStream& stream) {
    clearLineStreamFlags(stream);
    if (input.position.failed) return false;

    std::uint64_t lineStart = input.position.offset;
    std::uint64_t scan = lineStart;
    for (;;) {
        // A failed search leaves the last matched line in the stream, so a line
        // shown from the window is kept before the window moves on.
        if (stream.inWindow && !windowHolds(input, scan, keyword.size())) keepLine(stream);
        const std::size_t available = windowAt(input, scan, keyword.size());
        if (available == 0) break;
        const char* data = windowData(input, scan);
        if (const char* hit = keyword.findIn(data, available)) {
            if (const char* start = lineStartBefore(data, hit)) lineStart = scan + (start - data);
            takeLine(input, lineStart, scan + (hit - data), stream);
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
