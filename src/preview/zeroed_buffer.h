#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <new>

namespace meshlift::detail::preview {

// A large array that starts all zero bytes, from the system's zeroed pages: a picture
// costs nothing to clear, and untouched parts of it cost no memory.
template <typename T> class ZeroedBuffer {
  public:
    explicit ZeroedBuffer(std::size_t count) : count_(count) {
        data_ = static_cast<T*>(platform::allocateZeroed(bytes()));
        if (data_ == nullptr) throw std::bad_alloc();
    }
    ~ZeroedBuffer() { platform::releaseZeroed(data_, bytes()); }
    ZeroedBuffer(const ZeroedBuffer&) = delete;
    ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;

    [[nodiscard]] T* data() { return data_; }
    [[nodiscard]] const T* data() const { return data_; }
    [[nodiscard]] std::size_t size() const { return count_; }

  private:
    [[nodiscard]] std::size_t bytes() const { return count_ * sizeof(T) + (count_ == 0); }

    std::size_t count_;
    T* data_ = nullptr;
};

} // namespace meshlift::detail::preview
