#pragma once

#include <cstddef>
#include <new>
#include <sys/mman.h>

namespace meshlift::preview {

// A large array that starts all zero bytes, taken straight from the system: its pages
// are zero when first touched, so a picture costs nothing to clear, and untouched parts
// of it cost no memory. Large pages are asked for, so that filling it takes few faults.
template <typename T> class ZeroedBuffer {
  public:
    explicit ZeroedBuffer(std::size_t count) : count_(count) {
        void* memory =
            ::mmap(nullptr, bytes(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) throw std::bad_alloc();
        ::madvise(memory, bytes(), MADV_HUGEPAGE);
        data_ = static_cast<T*>(memory);
    }
    ~ZeroedBuffer() { ::munmap(data_, bytes()); }
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

} // namespace meshlift::preview
