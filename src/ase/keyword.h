#pragma once

#include "ase/byte_masks.h"

#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace meshlift::detail {

// A keyword to search for in megabytes of lines that mostly do not hold it.
class Keyword {
  public:
    // The smallest input window holds at least this many bytes, so that a keyword
    // straddling a window's end is whole in the next one.
    static constexpr std::size_t kMaxSize = 32;

    // The program's keywords are constants, so a wrong one fails to compile.
    constexpr explicit Keyword(std::string_view text) : text_(text) {
        if (std::is_constant_evaluated() && (text.empty() || text.size() > kMaxSize))
            throw "a keyword must fit the smallest window";
    }

    [[nodiscard]] constexpr std::string_view text() const { return text_; }
    [[nodiscard]] constexpr std::size_t size() const { return text_.size(); }

    // Position of the first occurrence in [data, data + size), or nullptr.
    [[nodiscard]] const char* findIn(const char* data, std::size_t size) const {
        const std::size_t n = text_.size();
        if (size < n) return nullptr;
        const char* p = data;
        const char* const end = data + size;
        // A start is a candidate only when both the first and the last byte of the
        // keyword are in place, which in ASE lines (a "*" on every line) leaves
        // almost none to compare in full. Thirty-two starts a step while candidates
        // are rare (lines read past), then sixteen.
        const auto candidates = [&](const char* at) {
            return masks::equalPairs16(at, text_[0], n - 1, text_[n - 1]);
        };
        for (; static_cast<std::size_t>(end - p) >= n - 1 + 32; p += 32)
            if (const char* hit = firstMatch(p, candidates(p) | candidates(p + 16) << 16))
                return hit;
        for (; static_cast<std::size_t>(end - p) >= n - 1 + 16; p += 16)
            if (const char* hit = firstMatch(p, candidates(p))) return hit;
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

    // The first of the candidate starts in `starts` (bits from `block`) that matches.
    [[nodiscard]] const char* firstMatch(const char* block, unsigned starts) const {
        for (; starts != 0; starts = masks::withoutLowestBit(starts))
            if (const char* candidate = block + masks::lowestBit(starts); matchesAt(candidate))
                return candidate;
        return nullptr;
    }

    std::string_view text_;
};

} // namespace meshlift::detail
