#pragma once

// Bit masks over blocks of bytes, bit i standing for byte i: the operations that the
// keyword search and the token sweep are written in. SSE2 builds them 16 bytes per
// instruction; other processors get the same masks byte by byte.

#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#define MESHLIFT_SSE2 1
#include <emmintrin.h>
#endif

namespace meshlift::masks {

inline constexpr std::size_t kWideBlock = 64; // bytes per whitespace mask

[[nodiscard]] constexpr bool isBlank(char c) {
    // Tab, LF, vertical tab, form feed and CR are the consecutive codes 9 to 13.
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

template <typename Mask> [[nodiscard]] constexpr std::size_t lowestBit(Mask mask) {
    return static_cast<std::size_t>(std::countr_zero(mask));
}

template <typename Mask> [[nodiscard]] constexpr Mask withoutLowestBit(Mask mask) {
    return mask & (mask - 1);
}

// Bits from `position` up, and below it.
[[nodiscard]] constexpr std::uint64_t bitsFrom(std::size_t position) {
    return ~std::uint64_t{0} << position;
}
[[nodiscard]] constexpr std::uint64_t bitsBelow(std::size_t position) {
    return ~bitsFrom(position);
}

// Token bounds within a block of whitespace bits: a start is a non-blank byte after
// a blank, an end a blank byte after a non-blank. `blankBefore` (0 or 1) says
// whether the byte before the block was blank.
[[nodiscard]] constexpr std::uint64_t tokenStarts(std::uint64_t blanks, std::uint64_t blankBefore) {
    return ~blanks & ((blanks << 1) | blankBefore);
}
[[nodiscard]] constexpr std::uint64_t tokenEnds(std::uint64_t blanks, std::uint64_t blankBefore) {
    return blanks & ~((blanks << 1) | blankBefore);
}
[[nodiscard]] constexpr std::uint64_t lastBit(std::uint64_t mask) {
    return mask >> 63;
}

// Bytes of the 16 from `at` that equal `byte`.
[[nodiscard]] inline unsigned equalBytes16(const char* at, char byte) {
#ifdef MESHLIFT_SSE2
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(byte))));
#else
    unsigned mask = 0;
    for (unsigned i = 0; i < 16; ++i)
        if (at[i] == byte) mask |= 1u << i;
    return mask;
#endif
}

// Starts among the 16 from `at` where `first` stands and, `distance` bytes further,
// `last` does.
[[nodiscard]] inline unsigned equalPairs16(const char* at, char first, std::size_t distance,
                                           char last) {
#ifdef MESHLIFT_SSE2
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + distance));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
        _mm_cmpeq_epi8(head, _mm_set1_epi8(first)), _mm_cmpeq_epi8(tail, _mm_set1_epi8(last)))));
#else
    return equalBytes16(at, first) & equalBytes16(at + distance, last);
#endif
}

// Blank bytes of the 64 from `at`.
[[nodiscard]] inline std::uint64_t blankBytes64(const char* at) {
#ifdef MESHLIFT_SSE2
    std::uint64_t bits = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part));
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
    for (std::size_t i = 0; i < kWideBlock; ++i)
        if (isBlank(at[i])) bits |= std::uint64_t{1} << i;
    return bits;
#endif
}

} // namespace meshlift::masks
