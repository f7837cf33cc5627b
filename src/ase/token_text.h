#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace meshlift {

// The text of a token, kept after its line is gone. Nearly every token of a scene
// is a few bytes long, so it lives inline; only a longer one takes the heap.
class TokenText {
  public:
    void assign(std::string_view text) {
        if (text.size() <= kInline)
            std::memcpy(inline_, text.data(), text.size());
        else
            heap_.assign(text);
        size_ = text.size();
    }

    [[nodiscard]] std::string_view view() const {
        return size_ <= kInline ? std::string_view(inline_, size_) : std::string_view(heap_);
    }
    operator std::string_view() const { return view(); } // NOLINT: reads like a string

    // Removes the one byte at `position`.
    void eraseAt(std::size_t position) {
        if (size_ <= kInline) {
            std::memmove(inline_ + position, inline_ + position + 1, size_ - position - 1);
        } else {
            heap_.erase(position, 1);
            if (size_ - 1 <= kInline) std::memcpy(inline_, heap_.data(), size_ - 1);
        }
        --size_;
    }

  private:
    static constexpr std::size_t kInline = 32;
    std::size_t size_ = 0;
    char inline_[kInline] = {};
    std::string heap_;
};

} // namespace meshlift
