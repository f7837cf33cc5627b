#include "preview/block_input.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace meshlift::preview {

FileDescriptor::FileDescriptor(const char* path) : fd_(::open(path, O_RDONLY | O_CLOEXEC)) {}

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

bool BlockInput::refill() {
    std::memmove(buffer_.data(), buffer_.data() + at_, filled_ - at_);
    filled_ -= at_;
    at_ = 0;
    if (filled_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const ssize_t got = ::read(file_.get(), buffer_.data() + filled_, buffer_.size() - filled_);
    if (got < 0) return false;
    atEnd_ = got == 0;
    filled_ += static_cast<std::size_t>(got);
    return true;
}

} // namespace meshlift::preview
