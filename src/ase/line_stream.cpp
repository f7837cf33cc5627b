#include "ase/line_stream.h"

#include <cstring>

namespace meshlift::detail {
namespace {

using masks::kWideBlock;

// A token's last byte is read with a whole block after it, and a short token is
// copied whole: both reach past the end of the line by less than this.
static_assert(kReadPastEnd >= kWideBlock - 1);
static_assert(kReadPastEnd >= TokenText::kInline);

void showStored(LineStream& stream, std::size_t size) {
    stream.text = std::string_view(stream.storage.data(), size);
    stream.viewed = false;
    rewindLine(stream);
}

// Blank bits of the block of the text from `base`, with the bits past the text set.
std::uint64_t blanksAt(std::string_view text, std::size_t base) {
    if (base >= text.size()) return ~std::uint64_t{0};
    const std::uint64_t bits = masks::blankBytes64(text.data() + base); // within the padding
    const std::size_t left = text.size() - base;
    return left >= kWideBlock ? bits : bits | masks::bitsFrom(left);
}

// Position of the first byte at or after `from` whose blank bit is `wanted`; the end
// of the text when there is none.
template <bool wanted> std::size_t nextWith(LineStream& stream, std::size_t from) {
    constexpr std::uint64_t flip = wanted ? 0 : ~std::uint64_t{0};
    while (from < stream.text.size()) {
        const std::size_t base = from & ~(kWideBlock - 1);
        if (!stream.blanksValid || stream.blanksStart != base) {
            stream.blanks = blanksAt(stream.text, base);
            stream.blanksStart = base;
            stream.blanksValid = true;
        }
        const std::uint64_t found = (stream.blanks ^ flip) & masks::bitsFrom(from % kWideBlock);
        // Past the text every bit is set, so a search for a blank stops at its end.
        if (found != 0) return base + masks::lowestBit(found);
        from = base + kWideBlock;
    }
    return stream.text.size();
}

std::size_t nextBlank(LineStream& stream, std::size_t from) {
    return nextWith<true>(stream, from);
}

std::size_t nextNonBlank(LineStream& stream, std::size_t from) {
    return nextWith<false>(stream, from);
}

} // namespace

void copyLine(LineStream& stream, std::string_view line) {
    stream.storage.resize(line.size() + kReadPastEnd);
    if (!line.empty()) std::memcpy(stream.storage.data(), line.data(), line.size());
    showStored(stream, line.size());
}

void appendToLine(LineStream& stream, std::string_view piece) {
    const std::size_t size = stream.text.size();
    stream.storage.resize(size + piece.size() + kReadPastEnd);
    if (!piece.empty()) std::memcpy(stream.storage.data() + size, piece.data(), piece.size());
    showStored(stream, size + piece.size());
}

void cutLine(LineStream& stream, std::size_t size) {
    showStored(stream, size);
}

void detachLine(LineStream& stream) {
    if (!stream.viewed) return;
    const std::size_t cursor = stream.cursor;
    const bool failed = stream.failed;
    copyLine(stream, stream.text);
    stream.cursor = cursor;
    stream.failed = failed;
}

void clearFailed(LineStream& stream) {
    stream.failed = false;
}

bool skipToValue(LineStream& stream) {
    if (stream.failed) return false;
    stream.cursor = nextNonBlank(stream, stream.cursor);
    if (stream.cursor >= stream.text.size()) return failExtraction(stream);
    return true;
}

bool readToken(LineStream& stream, std::string& target) {
    if (!skipToValue(stream)) return false;
    const std::size_t end = nextBlank(stream, stream.cursor);
    target.assign(stream.text.data() + stream.cursor, end - stream.cursor);
    stream.cursor = end;
    return true;
}

bool readToken(LineStream& stream, TokenText& target) {
    if (!skipToValue(stream)) return false;
    const std::size_t end = nextBlank(stream, stream.cursor);
    target.assignPadded(stream.text.data() + stream.cursor, end - stream.cursor);
    stream.cursor = end;
    return true;
}

void readTokens(LineStream& stream, std::initializer_list<TokenText*> fields) {
    if (stream.failed) return;
    const std::string_view text = stream.text;
    // Per block: `starts` marks the first byte of every token, `ends` the first
    // blank byte after one. Bytes before the cursor count as blank, so starts and
    // ends alternate from the cursor on.
    std::size_t base = stream.cursor & ~(kWideBlock - 1);
    std::uint64_t blanks = blanksAt(text, base) | masks::bitsBelow(stream.cursor % kWideBlock);
    std::uint64_t starts = masks::tokenStarts(blanks, 1);
    std::uint64_t ends = masks::tokenEnds(blanks, 1);
    const auto nextBlock = [&] {
        const std::uint64_t blankBefore = masks::lastBit(blanks);
        base += kWideBlock;
        blanks = blanksAt(text, base);
        starts = masks::tokenStarts(blanks, blankBefore);
        ends = masks::tokenEnds(blanks, blankBefore);
    };
    std::size_t end = stream.cursor;
    for (TokenText* field : fields) {
        while (starts == 0) {
            if (base + kWideBlock >= text.size()) {
                stream.cursor = text.size();
                stream.failed = true;
                return;
            }
            nextBlock();
        }
        const std::size_t start = base + masks::lowestBit(starts);
        starts = masks::withoutLowestBit(starts);
        // Past the text every byte is blank, so a token ends in the block that
        // holds the end of the text at the latest.
        while (ends == 0 && base < text.size())
            nextBlock();
        end = ends == 0 ? text.size() : base + masks::lowestBit(ends);
        ends = masks::withoutLowestBit(ends);
        if (field != nullptr) field->assignPadded(text.data() + start, end - start);
    }
    stream.cursor = end;
    stream.blanksValid = false;
}

bool skipToken(LineStream& stream) {
    if (!skipToValue(stream)) return false;
    stream.cursor = nextBlank(stream, stream.cursor);
    return true;
}

} // namespace meshlift::detail
