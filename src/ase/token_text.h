#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace meshlift::detail {

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

    // The same, from bytes of which at least kInline are readable whatever `size` is:
    // a short token is then copied in one fixed-size move.
    void assignPadded(const char* data, std::size_t size) {
        if (size <= kInline)
            std::memcpy(inline_, data, kInline);
        else
            heap_.assign(data, size);
        size_ = size;
    }

    // Copies the text to `out`, which must have room for max(size, kInline) bytes;
    // returns the end of the copied text.
    char* copyTo(char* out) const {
        if (size_ <= kInline)
            std::memcpy(out, inline_, kInline);
        else
            std::memcpy(out, heap_.data(), size_);
        return out + size_;
    }

    [[nodiscard]] std::size_t size() const { return size_; }

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

    static constexpr std::size_t kInline = 32;

  private:
    std::size_t size_ = 0;
    char inline_[kInline] = {};
    std::string heap_;
};

} // namespace meshlift::detail
