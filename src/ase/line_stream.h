#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace meshlift {

// The matched line, read token by token. Once an extraction fails, every later one
// on the same line fails too and leaves its target untouched.
struct LineStream {
    std::string text; // the line without its line end; its capacity is reused
    std::size_t cursor = 0;
    bool failed = false;
};

void clearLineStreamFlags(LineStream& stream);

// Replaces the text with a new line and rewinds to its start.
void loadLine(LineStream& stream, std::string_view line);

// The next run of non-whitespace bytes.
bool readToken(LineStream& stream, std::string& target);

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
