#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace meshlift::preview {

constexpr std::size_t kBlockSize = 1 << 20;
// The longest markup item read whole; the buffer never grows beyond it.
constexpr std::size_t kMaxItemSize = 16 << 20;

class FileDescriptor {
  public:
    explicit FileDescriptor(const char* path);
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }

  private:
    int fd_;
};

// The document, read forward in blocks. The unread rest of a block stays in front of
// the next one, so that a markup item split between two reads is seen whole.
class BlockInput {
  public:
    explicit BlockInput(const char* path) : file_(path), buffer_(kBlockSize) {}
    [[nodiscard]] bool opened() const { return file_.get() >= 0; }
    [[nodiscard]] bool atEnd() const { return atEnd_; }
    [[nodiscard]] std::string_view rest() const { return {buffer_.data() + at_, filled_ - at_}; }
    void advance(std::size_t count) { at_ += count; }

    // Keeps the unread rest, growing the buffer only for an item longer than it.
    [[nodiscard]] bool refill();

  private:
    FileDescriptor file_;
    std::vector<char> buffer_;
    std::size_t filled_ = 0;
    std::size_t at_ = 0;
    bool atEnd_ = false;
};

} // namespace meshlift::preview
