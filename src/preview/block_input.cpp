#include "preview/block_input.h"

#include <cstring>

namespace meshlift::detail::preview {

bool BlockInput::refill() {
    // Nothing to move when the unread rest already starts the buffer: moving it in place
    // would cost as much as reading it, for every block an item waits on.
    if (at_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + at_, filled_ - at_);
        filled_ -= at_;
        at_ = 0;
    }
    if (filled_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    // The buffer is filled up, not merely topped up with what a pipe has ready: an item
    // that waits for more input is scanned again from its start after every refill, which
    // must not happen for every few kilobytes a pipe hands over.
    while (filled_ < buffer_.size()) {
        const std::ptrdiff_t got = read_(buffer_.data() + filled_, buffer_.size() - filled_);
        if (got < 0) return false;
        if (got == 0) {
            atEnd_ = true;
            break;
        }
        filled_ += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace meshlift::detail::preview
