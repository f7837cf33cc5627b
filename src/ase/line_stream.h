#pragma once

#include "ase/token_text.h"
#include <cstddef>
#include <cstdint>

#include <string>
#include <string_view>
#include <vector>

namespace meshlift {

// The matched line, read token by token. Once an extraction fails, every later one
// on the same line fails too and leaves its target untouched.
struct LineStream {
    std::string text; // the line without its line end; its capacity is reused
    // One bit per byte of the text, set for whitespace and for every position past
    // its end, so that a token's start and end are each found a word at a time.
    std::vector<std::uint64_t> spaceBits;
    std::size_t cursor = 0;
    bool failed = false;
};

void clearLineStreamFlags(LineStream& stream);

// Replaces the text with a new line and rewinds to its start.
void loadLine(LineStream& stream, std::string_view line);

// Rewinds to the start of the text placed in `stream.text` directly.
void rewindLine(LineStream& stream);

// The next run of non-whitespace bytes.
bool readToken(LineStream& stream, std::string& target);

// The same into a token field, without touching the heap for short tokens.
bool readToken(LineStream& stream, TokenText& target);

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
