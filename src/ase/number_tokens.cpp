#include "ase/line_stream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace meshlift {
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

// Whether a number that from_chars found out of range was too large rather than
// too close to zero: its decimal order of magnitude is positive either way round.
bool isOverflow(std::string_view number) {
    const std::size_t exponentAt = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, exponentAt);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return false;
    long long order = first < point ? static_cast<long long>(point - first)
                                    : -static_cast<long long>(first - point - 1);
    long long exponent = 0;
    std::size_t e = exponentAt + 1;
    const bool negative = e < number.size() && number[e] == '-';
    if (e < number.size() && (number[e] == '+' || number[e] == '-')) ++e;
    for (; e < number.size(); ++e)
        exponent = std::min(exponent * 10 + (number[e] - '0'), 1'000'000'000'000LL);
    return order + (negative ? -exponent : exponent) > 0;
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
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data() + start, number.data() + length, value);
    if (ec == std::errc::result_out_of_range) {
        if (isOverflow(number)) return failExtraction(stream);
        value = number[0] == '-' ? -0.0 : 0.0; // nearer to zero than any double
    } else if (ec != std::errc() || ptr != number.data() + length) {
        return failExtraction(stream);
    }
    if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max())))
        return failExtraction(stream);
    target = static_cast<float>(value);
    stream.cursor += length;
    return true;
}

} // namespace meshlift
