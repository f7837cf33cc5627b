#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace meshlift {

// A keyword to search for in megabytes of lines that mostly do not hold it.
class Keyword {
  public:
    constexpr explicit Keyword(std::string_view text) : text_(text) {}

    [[nodiscard]] constexpr std::string_view text() const { return text_; }
    [[nodiscard]] constexpr std::size_t size() const { return text_.size(); }

    // Position of the first occurrence in [data, data + size), or nullptr.
    [[nodiscard]] const char* findIn(const char* data, std::size_t size) const {
        const std::size_t n = text_.size();
        if (n == 0 || size < n) return nullptr;
        const char* p = data;
        const char* const end = data + size;
#ifdef __SSE2__
        // Sixteen starts at a time: a start is a candidate only when both the first
        // and the last byte of the keyword are in place, which in ASE lines (a "*"
        // on every line) leaves almost none to compare in full.
        const __m128i first = _mm_set1_epi8(text_[0]);
        const __m128i last = _mm_set1_epi8(text_[n - 1]);
        const auto candidates = [&](const char* at) {
            const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + n - 1));
            return static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last))));
        };
        // Thirty-two at a time while candidates are rare (lines read past), then sixteen.
        for (; static_cast<std::size_t>(end - p) >= n - 1 + 32; p += 32) {
            unsigned mask = candidates(p) | (candidates(p + 16) << 16);
            while (mask != 0) {
                const char* candidate = p + __builtin_ctz(mask);
                if (matchesAt(candidate)) return candidate;
                mask &= mask - 1;
            }
        }
        for (; static_cast<std::size_t>(end - p) >= n - 1 + 16; p += 16) {
            unsigned mask = candidates(p);
            while (mask != 0) {
                const char* candidate = p + __builtin_ctz(mask);
                if (matchesAt(candidate)) return candidate;
                mask &= mask - 1;
            }
        }
#endif
        for (; static_cast<std::size_t>(end - p) >= n; ++p) {
            p = static_cast<const char*>(std::memchr(p, text_[0], (end - p) - (n - 1)));
            if (p == nullptr) return nullptr;
            if (matchesAt(p)) return p;
        }
        return nullptr;
    }

  private:
    [[nodiscard]] bool matchesAt(const char* p) const {
        return std::memcmp(p, text_.data(), text_.size()) == 0;
    }

    std::string_view text_;
};

} // namespace meshlift
