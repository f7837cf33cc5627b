#include "ase/line_stream.h"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace meshlift::detail {
namespace {

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

// Length of the longest prefix of the form
//   sign? (digits ("." digits?)? | "." digits) (("e" | "E") sign? digits)?
// or 0 when there is none.
std::size_t realPrefixLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t intStart = i;
    i = skipDigits(text, i);
    const bool hasInt = i > intStart;
    bool hasFraction = false;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionEnd = skipDigits(text, i + 1);
        hasFraction = fractionEnd > i + 1;
        if (hasInt || hasFraction) i = fractionEnd;
    }
    if (!hasInt && !hasFraction) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t exponentEnd = skipDigits(text, e);
        if (exponentEnd > e) i = exponentEnd;
    }
    return i;
}

} // namespace

bool readInteger(LineStream& stream, std::int32_t& target) {
    if (!skipToValue(stream)) return false;
    std::string_view rest = stream.text.substr(stream.cursor);
    std::size_t start = 0;
    if (rest[0] == '+') start = 1; // from_chars takes a minus sign only
    const std::size_t digitsStart = (rest[0] == '+' || rest[0] == '-') ? 1 : 0;
    const std::size_t end = skipDigits(rest, digitsStart);
    if (end == digitsStart) return failExtraction(stream);
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(rest.data() + start, rest.data() + end, value);
    if (ec != std::errc() || ptr != rest.data() + end) return failExtraction(stream);
    target = value;
    stream.cursor += end;
    return true;
}

bool readReal(LineStream& stream, float& target) {
    if (!skipToValue(stream)) return false;
    std::string_view rest = stream.text.substr(stream.cursor);
    const std::size_t length = realPrefixLength(rest);
    if (length == 0) return failExtraction(stream);
    const std::string_view number = rest.substr(0, length);
    const std::size_t start = number[0] == '+' ? 1 : 0;
    // Correctly rounded like std::from_chars, which not every standard library has for
    // floating point. A number too large gives infinity and is refused below; one too
    // close to zero gives zero or a subnormal double, which the float turns into zero.
    double value = 0.0;
    const auto [ptr, ec] =
        fast_float::from_chars(number.data() + start, number.data() + length, value);
    if (ec != std::errc() || ptr != number.data() + length) return failExtraction(stream);
    if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max())))
        return failExtraction(stream);
    target = static_cast<float>(value);
    stream.cursor += length;
    return true;
}

} // namespace meshlift::detail
