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

// Whitespace bits of the 64 bytes from `base`, with the bits past the text set.
std::uint64_t spaceBitsAt(std::string_view text, std::size_t base) {
    if (base >= text.size()) return ~std::uint64_t{0};
    const std::uint64_t bits = spaceBitsOf(text.data() + base); // padding makes this readable
    const std::size_t left = text.size() - base;
    return left >= 64 ? bits : bits | (~std::uint64_t{0} << left);
}

// Position of the first byte at or after `from` that is whitespace (`space`) or
// not; the end of the text when there is none.
std::size_t nextBit(LineStream& stream, std::size_t from, bool space) {
    const std::uint64_t flip = space ? 0 : ~std::uint64_t{0};
    while (from < stream.text.size()) {
        const std::size_t base = from & ~std::size_t{63};
        if (!stream.chunkValid || stream.chunkStart != base) {
            stream.chunkBits = spaceBitsAt(stream.text, base);
            stream.chunkStart = base;
            stream.chunkValid = true;
        }
        const std::uint64_t found = (stream.chunkBits ^ flip) & (~std::uint64_t{0} << (from & 63));
        // Past the text every bit is set, so a whitespace search stops at its end.
        if (found != 0) return base + static_cast<std::size_t>(__builtin_ctzll(found));
        from = base + 64;
    }
    return stream.text.size();
}

// Moves the cursor past whitespace; false (and the stream failed) when nothing is left.
bool skipToValue(LineStream& stream) {
    if (stream.failed) return false;
    stream.cursor = nextBit(stream, stream.cursor, false);
    if (stream.cursor >= stream.text.size()) {
        stream.failed = true;
        return false;
    }
    return true;
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
    stream.storage.resize(line.size() + kLinePadding);
    std::memcpy(stream.storage.data(), line.data(), line.size());
    showStoredLine(stream, line.size());
}

void showStoredLine(LineStream& stream, std::size_t size) {
    if (stream.storage.size() < size + kLinePadding) stream.storage.resize(size + kLinePadding);
    stream.text = std::string_view(stream.storage.data(), size);
    stream.inWindow = false;
    rewindLine(stream);
}

void keepLine(LineStream& stream) {
    if (!stream.inWindow) return;
    const std::size_t cursor = stream.cursor;
    const bool failed = stream.failed;
    loadLine(stream, stream.text);
    stream.cursor = cursor;
    stream.failed = failed;
}

bool readToken(LineStream& stream, std::string& target) {
    if (!skipToValue(stream)) return false;
    const std::size_t end = nextBit(stream, stream.cursor, true);
    target.assign(stream.text.data() + stream.cursor, end - stream.cursor);
    stream.cursor = end;
    return true;
}

bool readToken(LineStream& stream, TokenText& target) {
    if (!skipToValue(stream)) return false;
    const std::size_t end = nextBit(stream, stream.cursor, true);
    target.assignPadded(stream.text.data() + stream.cursor, end - stream.cursor);
    stream.cursor = end;
    return true;
}

void readTokens(LineStream& stream, std::initializer_list<TokenText*> fields) {
    if (stream.failed) return;
    const std::string_view text = stream.text;
    // Per 64-byte chunk: `starts` marks the first byte of every token, `ends` the
    // first whitespace byte after one. Bytes before the cursor count as whitespace,
    // so starts and ends alternate from the cursor on.
    std::size_t base = stream.cursor & ~std::size_t{63};
    std::uint64_t space =
        spaceBitsAt(text, base) | ((std::uint64_t{1} << (stream.cursor & 63)) - 1);
    std::uint64_t starts = ~space & ((space << 1) | 1);
    std::uint64_t ends = space & ~((space << 1) | 1);
    const auto nextChunk = [&] {
        const std::uint64_t lastWasSpace = space >> 63;
        base += 64;
        space = spaceBitsAt(text, base);
        starts = ~space & ((space << 1) | lastWasSpace);
        ends = space & ~((space << 1) | lastWasSpace);
    };
    std::size_t end = stream.cursor;
    for (TokenText* field : fields) {
        while (starts == 0) {
            if (base + 64 >= text.size()) {
                stream.cursor = text.size();
                stream.failed = true;
                return;
            }
            nextChunk();
        }
        const std::size_t start = base + static_cast<std::size_t>(__builtin_ctzll(starts));
        starts &= starts - 1;
        while (ends == 0) // past the text every byte is whitespace, so this ends there
            nextChunk();
        end = base + static_cast<std::size_t>(__builtin_ctzll(ends));
        ends &= ends - 1;
        if (field != nullptr) field->assignPadded(text.data() + start, end - start);
    }
    stream.cursor = end;
    stream.chunkValid = false;
}

bool skipToken(LineStream& stream) {
    if (!skipToValue(stream)) return false;
    stream.cursor = nextBit(stream, stream.cursor, true);
    return true;
}

bool readInteger(LineStream& stream, std::int32_t& target) {
    if (!skipToValue(stream)) return false;
    std::string_view rest = stream.text.substr(stream.cursor);
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
    std::string_view rest = stream.text.substr(stream.cursor);
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
