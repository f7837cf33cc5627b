#include "ase/line_stream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Position of the first byte at or after `from` whose bit in `bits` equals `set`;
// the bits past the text are all set, so looking for a set bit always succeeds.
std::size_t nextBit(const std::vector<std::uint64_t>& bits, std::size_t from, bool set) {
    std::size_t word = from >> 6;
    const std::uint64_t flip = set ? 0 : ~std::uint64_t{0};
    std::uint64_t found = (bits[word] ^ flip) & (~std::uint64_t{0} << (from & 63));
    while (found == 0) {
        if (++word == bits.size()) return bits.size() * 64;
        found = bits[word] ^ flip;
    }
    return (word << 6) + static_cast<std::size_t>(__builtin_ctzll(found));
}

// Moves the cursor past whitespace; false (and the stream failed) when nothing is left.
bool skipToValue(LineStream& stream) {
    if (stream.failed) return false;
    stream.cursor = nextBit(stream.spaceBits, stream.cursor, false);
    if (stream.cursor >= stream.text.size()) {
        stream.cursor = stream.text.size();
        stream.failed = true;
        return false;
    }
    return true;
}

std::uint64_t spaceBitsOf(const char* bytes) {
#ifdef __SSE2__
    std::uint64_t bits = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
        const __m128i blank = _mm_cmpeq_epi8(v, _mm_set1_epi8(' '));
        const __m128i control = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('\t' - 1)),
                                              _mm_cmplt_epi8(v, _mm_set1_epi8('\r' + 1)));
        const auto mask =
            static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_or_si128(blank, control)));
        bits |= std::uint64_t{mask} << (16 * part);
    }
    return bits;
#else
    std::uint64_t bits = 0;
    for (int i = 0; i < 64; ++i)
        if (isTokenSpace(bytes[i])) bits |= std::uint64_t{1} << i;
    return bits;
#endif
}

void indexSpaces(LineStream& stream) {
    const char* text = stream.text.data();
    const std::size_t size = stream.text.size();
    const std::size_t words = size / 64 + 1; // always one bit past the end
    stream.spaceBits.resize(words);
    std::size_t word = 0;
    for (; (word + 1) * 64 <= size; ++word)
        stream.spaceBits[word] = spaceBitsOf(text + word * 64);
    // The tail goes through the same test from a copy padded with blanks, which
    // also sets the bits past the end.
    char padded[64];
    std::memset(padded, ' ', sizeof padded);
    std::memcpy(padded, text + word * 64, size - word * 64);
    const std::uint64_t tail = spaceBitsOf(padded);
    stream.spaceBits[word] = tail;
}

bool fail(LineStream& stream) {
    stream.failed = true;
    return false;
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

void clearLineStreamFlags(LineStream& stream) {
    stream.failed = false;
}

void loadLine(LineStream& stream, std::string_view line) {
    stream.text.assign(line);
    rewindLine(stream);
}

void rewindLine(LineStream& stream) {
    indexSpaces(stream);
    stream.cursor = 0;
    stream.failed = false;
}

bool readToken(LineStream& stream, std::string& target) {
    if (!skipToValue(stream)) return false;
    const std::size_t end = nextBit(stream.spaceBits, stream.cursor, true);
    target.assign(stream.text.data() + stream.cursor, end - stream.cursor);
    stream.cursor = end;
    return true;
}

bool readToken(LineStream& stream, TokenText& target) {
    if (!skipToValue(stream)) return false;
    const std::size_t end = nextBit(stream.spaceBits, stream.cursor, true);
    target.assign(std::string_view(stream.text).substr(stream.cursor, end - stream.cursor));
    stream.cursor = end;
    return true;
}

bool skipToken(LineStream& stream) {
    if (!skipToValue(stream)) return false;
    stream.cursor = nextBit(stream.spaceBits, stream.cursor, true);
    return true;
}

bool readInteger(LineStream& stream, std::int32_t& target) {
    if (!skipToValue(stream)) return false;
    std::string_view rest = std::string_view(stream.text).substr(stream.cursor);
    std::size_t start = 0;
    if (rest[0] == '+') start = 1; // from_chars takes a minus sign only
    const std::size_t digitsStart = (rest[0] == '+' || rest[0] == '-') ? 1 : 0;
    const std::size_t end = skipDigits(rest, digitsStart);
    if (end == digitsStart) return fail(stream);
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(rest.data() + start, rest.data() + end, value);
    if (ec != std::errc() || ptr != rest.data() + end) return fail(stream);
    target = value;
    stream.cursor += end;
    return true;
}

bool readReal(LineStream& stream, float& target) {
    if (!skipToValue(stream)) return false;
    std::string_view rest = std::string_view(stream.text).substr(stream.cursor);
    const std::size_t length = realPrefixLength(rest);
    if (length == 0) return fail(stream);
    const std::string_view number = rest.substr(0, length);
    const std::size_t start = number[0] == '+' ? 1 : 0;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data() + start, number.data() + length, value);
    if (ec == std::errc::result_out_of_range) {
        if (isOverflow(number)) return fail(stream);
        value = number[0] == '-' ? -0.0 : 0.0; // nearer to zero than any double
    } else if (ec != std::errc() || ptr != number.data() + length) {
        return fail(stream);
    }
    if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max())))
        return fail(stream);
    target = static_cast<float>(value);
    stream.cursor += length;
    return true;
}

} // namespace meshlift
