#pragma once

#include "ase/byte_masks.h"
#include "ase/read_past.h"
#include "ase/token_text.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail {

// The matched line, read token by token. Once an extraction fails, every later one
// on the same line fails too and leaves its target untouched.
struct LineStream {
    LineStream() = default;
    LineStream(LineStream&&) = default;
    LineStream& operator=(LineStream&&) = default;
    LineStream(const LineStream&) = delete; // `text` may point into `storage`
    LineStream& operator=(const LineStream&) = delete;

    // The line without its line end: viewed where it lies in an input window, or
    // copied into `storage`. Either way kReadPastEnd readable bytes follow it.
    std::string_view text;
    bool viewed = false; // `text` points into an input window
    std::vector<char> storage;
    std::size_t cursor = 0;
    bool failed = false;
    // Blank bits of the 64 bytes of the text from `blanksStart`; bits past the end
    // of the text are set.
    std::size_t blanksStart = 0;
    std::uint64_t blanks = 0;
    bool blanksValid = false;
};

// Reads the text again from its start, with nothing failed.
inline void rewindLine(LineStream& stream) {
    stream.cursor = 0;
    stream.failed = false;
    stream.blanksValid = false;
}

// Shows a line of an input window without copying it; it stays valid until that
// window moves.
inline void viewLine(LineStream& stream, std::string_view line) {
    stream.text = line;
    stream.viewed = true;
    rewindLine(stream);
}

// Shows a copy of `line`.
void copyLine(LineStream& stream, std::string_view line);

// Adds `piece` to the end of a copied line, for lines gathered piece by piece.
void appendToLine(LineStream& stream, std::string_view piece);

// Keeps the first `size` bytes of a copied line.
void cutLine(LineStream& stream, std::size_t size);

// Copies a viewed line, so that it outlives its window; the cursor stays where it is.
void detachLine(LineStream& stream);

// A new search starts with nothing failed.
void clearFailed(LineStream& stream);

// The next run of non-blank bytes.
bool readToken(LineStream& stream, std::string& target);

// The same into a token field, without touching the heap for short tokens.
bool readToken(LineStream& stream, TokenText& target);

// The next tokens, one per field, as that many readToken calls would read them; a
// null field passes over its token. Lines of vertices and faces are read this way,
// all their token bounds found in one sweep of the blank bits.
void readTokens(LineStream& stream, std::initializer_list<TokenText*> fields);

// Passes over the next token like readToken, without keeping it.
bool skipToken(LineStream& stream);

// An optionally signed decimal integer that fits 32 bits.
bool readInteger(LineStream& stream, std::int32_t& target);

// A decimal real (no hexadecimal, infinity or NaN) converted to the nearest double,
// then to float; fails when it does not fit a float.
bool readReal(LineStream& stream, float& target);

[[nodiscard]] inline std::string_view wholeLine(const LineStream& stream) {
    return stream.text;
}

// Moves the cursor past blanks; false (and the stream failed) when nothing is left.
bool skipToValue(LineStream& stream);

inline bool failExtraction(LineStream& stream) {
    stream.failed = true;
    return false;
}

} // namespace meshlift::detail
