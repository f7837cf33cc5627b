#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace meshlift {

// A keyword with its Horspool shift table built once, at compile time, so that a
// search over megabytes of lines pays no set-up cost per call.
class Keyword {
  public:
    constexpr explicit Keyword(std::string_view text) : text_(text) {
        shift_.fill(text.size());
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            shift_[static_cast<unsigned char>(text[i])] = text.size() - 1 - i;
    }

    [[nodiscard]] constexpr std::string_view text() const { return text_; }
    [[nodiscard]] constexpr std::size_t size() const { return text_.size(); }

    // Position of the first occurrence in [data, data + size), or nullptr.
    [[nodiscard]] const char* findIn(const char* data, std::size_t size) const {
        const std::size_t n = text_.size();
        if (n == 0 || size < n) return nullptr;
        const char last = text_[n - 1];
        const char* end = data + size;
        for (const char* p = data + n - 1; p < end;) {
            if (*p == last && std::memcmp(p - (n - 1), text_.data(), n - 1) == 0)
                return p - (n - 1);
            const std::size_t step = shift_[static_cast<unsigned char>(*p)];
            if (static_cast<std::size_t>(end - p) <= step) break;
            p += step;
        }
        return nullptr;
    }

  private:
    std::string_view text_;
    std::array<std::size_t, 256> shift_{};
};

} // namespace meshlift
