#include "preview/block_input.h"

#include <cstring>

namespace meshlift::detail::preview {

bool BlockInput::refill() {
    std::memmove(buffer_.data(), buffer_.data() + at_, filled_ - at_);
    filled_ -= at_;
    at_ = 0;
    if (filled_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const std::ptrdiff_t got = read_(buffer_.data() + filled_, buffer_.size() - filled_);
    if (got < 0) return false;
    atEnd_ = got == 0;
    filled_ += static_cast<std::size_t>(got);
    return true;
}

} // namespace meshlift::detail::preview
