#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace meshlift::detail::preview {

// Puts the document's next bytes into the buffer and returns how many: 0 at its end,
// -1 when a read failed.
using ReadBlock = std::function<std::ptrdiff_t(char* buffer, std::size_t capacity)>;

constexpr std::size_t kBlockSize = 1 << 20;
// The longest markup item read whole; the buffer never grows beyond it.
constexpr std::size_t kMaxItemSize = 16 << 20;

// The document, read forward in blocks. The unread rest of a block stays in front of
// the next one, so that a markup item split between two reads is seen whole.
class BlockInput {
  public:
    explicit BlockInput(const ReadBlock& read) : read_(read), buffer_(kBlockSize) {}
    [[nodiscard]] bool atEnd() const { return atEnd_; }
    [[nodiscard]] std::string_view rest() const { return {buffer_.data() + at_, filled_ - at_}; }
    void advance(std::size_t count) { at_ += count; }

    // Keeps the unread rest, growing the buffer only for an item longer than it.
    [[nodiscard]] bool refill();

  private:
    const ReadBlock& read_;
    std::vector<char> buffer_;
    std::size_t filled_ = 0;
    std::size_t at_ = 0;
    bool atEnd_ = false;
};

} // namespace meshlift::detail::preview
