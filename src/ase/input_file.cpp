#include "ase/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace meshlift {
namespace {

// Reads up to `size` bytes at `offset`; fewer only at the end of the input. A read
// error counts as the end of the input.
std::size_t readAt(const InputFile& input, std::uint64_t offset, char* dst, std::size_t size) {
    if (!input.fd.valid()) {
        if (offset >= input.memory.size()) return 0;
        const std::size_t n = std::min<std::uint64_t>(size, input.memory.size() - offset);
        std::memcpy(dst, input.memory.data() + offset, n);
        return n;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(input.fd.get(), dst + done, size - done, static_cast<off_t>(offset + done));
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    return done;
}

FileDescriptor createTemporaryFileIn(const char* dir) {
#ifdef O_TMPFILE
    FileDescriptor fd(::open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd.valid()) return fd;
#endif
    std::string name = std::string(dir) + "/meshlift-spool-XXXXXX";
    FileDescriptor named(::mkstemp(name.data()));
    if (named.valid()) ::unlink(name.c_str());
    return named;
}

// TMPDIR is only a preference: a setting that names no usable directory must not
// make a piped scene fail where the same scene in a file converts.
FileDescriptor createTemporaryFile() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && *dir != '\0') {
        FileDescriptor fd = createTemporaryFileIn(dir);
        if (fd.valid()) return fd;
    }
    return createTemporaryFileIn("/tmp");
}

// Copies a stream that cannot seek into an unlinked temporary file, up to the end
// mark, so that the colour look-ahead can return to any earlier offset.
FileDescriptor spool(int source, std::vector<char>& buffer) {
    FileDescriptor spooled = createTemporaryFile();
    if (!spooled.valid()) return spooled;
    buffer.resize(InputFile::kBlockSize);
    for (;;) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break; // a read error ends the input, like the end of the stream
        std::size_t size = static_cast<std::size_t>(got);
        const void* mark = std::memchr(buffer.data(), InputFile::kEndMark, size);
        if (mark != nullptr) size = static_cast<const char*>(mark) - buffer.data();
        if (!writeAll(spooled.get(), buffer.data(), size)) return FileDescriptor();
        if (mark != nullptr) break;
    }
    return spooled;
}

} // namespace

InputOpenError openInputFile(InputFile& input, const char* path) {
    FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) return InputOpenError::cannotOpen;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return InputOpenError::cannotOpen;
    if (S_ISDIR(info.st_mode)) return InputOpenError::isDirectory;
    input.device = info.st_dev;
    input.inode = info.st_ino;
    if (S_ISREG(info.st_mode)) {
        ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
        input.fd = std::move(fd);
    } else {
        input.fd = spool(fd.get(), input.window.bytes);
        if (!input.fd.valid()) return InputOpenError::cannotSpool;
    }
    return InputOpenError::none;
}

void openInputMemory(InputFile& input, std::string_view bytes, std::size_t blockSize) {
    input.memory = bytes;
    input.blockSize = std::max(blockSize, InputFile::kMinBlockSize);
}

std::size_t moveWindow(InputFile& input, std::uint64_t offset) {
    InputWindow& window = input.window;
    if (window.bytes.size() != input.blockSize + InputWindow::kPadding)
        window.bytes.resize(input.blockSize + InputWindow::kPadding);
    std::size_t got = readAt(input, offset, window.bytes.data(), input.blockSize);
    if (got < input.blockSize) input.end = std::min(input.end, offset + got);
    got = std::min<std::uint64_t>(got, input.end - offset);
    if (offset + got > input.checkedForMark) {
        const std::size_t from = input.checkedForMark > offset ? input.checkedForMark - offset : 0;
        const void* mark = std::memchr(window.bytes.data() + from, InputFile::kEndMark, got - from);
        if (mark != nullptr) {
            got = static_cast<const char*>(mark) - window.bytes.data();
            input.end = offset + got;
        }
        input.checkedForMark = offset + got;
    }
    window.offset = offset;
    window.length = got;
    return got;
}

InputPosition saveInputPosition(const InputFile& input) {
    return input.position;
}

void restoreInputPosition(InputFile& input, const InputPosition& saved) {
    input.position = saved;
}

} // namespace meshlift
