#pragma once

// Eight float lanes and their masks, for the sample loops. GCC and clang give them as
// vector extensions (one AVX2 register where the processor has it, two SSE2 registers
// or plain scalars elsewhere); any other compiler, or MESHLIFT_PORTABLE_LANES, gets
// plain arrays with the same operators, lane by lane, so the same pixels.
//
// Only operators and these macros touch the lanes, never a call: a vector argument
// would pass differently in the AVX2 clone and in code built without AVX.

#include <cstdint>

#if defined(__GNUC__) && !defined(MESHLIFT_PORTABLE_LANES)

namespace meshlift::detail::preview {
using Floats = float __attribute__((vector_size(32)));
using Masks = std::int32_t __attribute__((vector_size(32)));
} // namespace meshlift::detail::preview

#define MESHLIFT_AS_MASKS(floats) ((Masks)(floats))
#define MESHLIFT_AS_FLOATS(masks) ((Floats)(masks))

// Clones for the widest registers where the loader can pick one when the program starts.
#if defined(__x86_64__) && defined(__ELF__)
#define MESHLIFT_WIDEST __attribute__((target_clones("avx2", "default")))
#endif

#else

#include <cstring>

namespace meshlift::detail::preview {

struct Masks {
    std::int32_t lane[8];
    std::int32_t operator[](int i) const { return lane[i]; }
};

struct Floats {
    float lane[8];
    float operator[](int i) const { return lane[i]; }
};

#define MESHLIFT_LANEWISE(Result, a, b, expression)                                                \
    Result out;                                                                                    \
    for (int i = 0; i < 8; ++i)                                                                    \
        out.lane[i] = expression;                                                                  \
    return out

inline Floats operator+(Floats a, Floats b) {
    MESHLIFT_LANEWISE(Floats, a, b, a.lane[i] + b.lane[i]);
}
inline Floats operator*(Floats a, Floats b) {
    MESHLIFT_LANEWISE(Floats, a, b, a.lane[i] * b.lane[i]);
}
inline Floats operator+(Floats a, float b) {
    MESHLIFT_LANEWISE(Floats, a, b, a.lane[i] + b);
}
inline Masks operator+(Masks a, std::int32_t b) {
    MESHLIFT_LANEWISE(Masks, a, b, a.lane[i] + b);
}
// A comparison gives all bits set where it holds, as the vector extensions do.
inline Masks operator<(Floats a, Floats b) {
    MESHLIFT_LANEWISE(Masks, a, b, -(a.lane[i] < b.lane[i]));
}
inline Masks operator>(Floats a, Floats b) {
    MESHLIFT_LANEWISE(Masks, a, b, -(a.lane[i] > b.lane[i]));
}
inline Masks operator>=(Floats a, float b) {
    MESHLIFT_LANEWISE(Masks, a, b, -(a.lane[i] >= b));
}
inline Masks operator&(Masks a, Masks b) {
    MESHLIFT_LANEWISE(Masks, a, b, a.lane[i] & b.lane[i]);
}
inline Masks operator|(Masks a, Masks b) {
    MESHLIFT_LANEWISE(Masks, a, b, a.lane[i] | b.lane[i]);
}
inline Masks operator~(Masks a) {
    MESHLIFT_LANEWISE(Masks, a, a, ~a.lane[i]);
}
inline Masks& operator|=(Masks& a, Masks b) {
    return a = a | b;
}

#undef MESHLIFT_LANEWISE

template <typename To, typename From> To sameBits(From from) {
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

} // namespace meshlift::detail::preview

#define MESHLIFT_AS_MASKS(floats) (sameBits<Masks>(floats))
#define MESHLIFT_AS_FLOATS(masks) (sameBits<Floats>(masks))

#endif

#ifndef MESHLIFT_WIDEST
#define MESHLIFT_WIDEST
#endif

#define MESHLIFT_SPLAT(value) (Floats{} + (value))
#define MESHLIFT_SELECT(take, yes, no) (((take) & (yes)) | (~(take) & (no)))
#define MESHLIFT_SELECT_FLOATS(take, yes, no)                                                      \
    MESHLIFT_AS_FLOATS(MESHLIFT_SELECT(take, MESHLIFT_AS_MASKS(yes), MESHLIFT_AS_MASKS(no)))
