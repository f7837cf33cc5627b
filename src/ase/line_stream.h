#pragma once

#include "ase/token_text.h"
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include <string>
#include <string_view>
#include <vector>

namespace meshlift {

// Bytes that may be read past the end of a line's text: token bounds are found 64
// bytes at a time and short tokens are copied whole, without a byte-by-byte tail.
inline constexpr std::size_t kLinePadding = 64;

// The matched line, read token by token. Once an extraction fails, every later one
// on the same line fails too and leaves its target untouched.
struct LineStream {
    LineStream() = default;
    LineStream(LineStream&&) = default;
    LineStream& operator=(LineStream&&) = default;
    LineStream(const LineStream&) = delete; // `text` may point into `storage`
    LineStream& operator=(const LineStream&) = delete;

    // The line without its line end. It is shown where it lies in the input's window
    // when it lies there whole, and is copied into `storage` otherwise; either way
    // kLinePadding readable bytes follow it.
    std::string_view text;
    bool inWindow = false; // `text` points into the input's window
    std::vector<char> storage;
    std::size_t cursor = 0;
    bool failed = false;
    // Whitespace bits of the 64 bytes of the text from `chunkStart`; bits past the
    // end of the text are set.
    std::size_t chunkStart = 0;
    std::uint64_t chunkBits = 0;
    bool chunkValid = false;
};

void clearLineStreamFlags(LineStream& stream);

// Reads the text again from its start, with the stream's flags clear.
inline void rewindLine(LineStream& stream) {
    stream.cursor = 0;
    stream.failed = false;
    stream.chunkValid = false;
}

// Replaces the text with a copy of `line` and rewinds to its start.
void loadLine(LineStream& stream, std::string_view line);

// Shows a line of the input's window without copying it; kLinePadding bytes after
// it must be readable, and it stays valid until the window moves.
inline void showWindowLine(LineStream& stream, std::string_view line) {
    stream.text = line;
    stream.inWindow = true;
    rewindLine(stream);
}

// Shows the first `size` bytes of `stream.storage`, which the caller filled.
void showStoredLine(LineStream& stream, std::size_t size);

// Copies a line shown from the window into storage, so that it outlives the window.
void keepLine(LineStream& stream);

// The next run of non-whitespace bytes.
bool readToken(LineStream& stream, std::string& target);

// The same into a token field, without touching the heap for short tokens.
bool readToken(LineStream& stream, TokenText& target);

// The next tokens, one per field, as that many readToken calls would read them; a
// null field passes over its token. Lines of vertices and faces are read this way,
// all their token bounds found in one sweep of the whitespace bits.
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

[[nodiscard]] constexpr bool isTokenSpace(char c) {
    // Tab, LF, vertical tab, form feed and CR are the consecutive codes 9 to 13.
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

} // namespace meshlift
