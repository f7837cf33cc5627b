#include "platform/file_system.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace meshlift::detail::platform {
namespace {

int fd(NativeHandle handle) {
    return static_cast<int>(handle);
}

FileIdentity identityFrom(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), 0, static_cast<std::uint64_t>(info.st_ino)};
}

File createTemporaryFileIn(const char* dir) {
#ifdef O_TMPFILE
    File unnamed(::open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (unnamed.valid()) return unnamed;
#endif
    std::string name = std::string(dir) + "/meshlift-spool-XXXXXX";
    File named(::mkstemp(name.data()));
    if (!named.valid()) return named;
    ::unlink(name.c_str()); // gone from the folder, kept while open
    // A program that embeds the converter and starts others must not hand them the copy.
    ::fcntl(fd(named.get()), F_SETFD, FD_CLOEXEC);
    return named;
}

} // namespace

std::string_view consoleLineBreak() {
    return "\n";
}

bool closeHandle(NativeHandle handle) {
    return ::close(fd(handle)) == 0;
}

std::optional<OpenedFile> openForReading(const char* path) {
    File file(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (!file.valid() || ::fstat(fd(file.get()), &info) != 0) return std::nullopt;
    OpenedFile opened;
    opened.identity = identityFrom(info);
    if (S_ISDIR(info.st_mode)) {
        opened.kind = FileKind::directory;
    } else if (S_ISREG(info.st_mode)) {
        opened.kind = FileKind::regular;
        opened.size = static_cast<std::uint64_t>(info.st_size);
#ifdef POSIX_FADV_SEQUENTIAL
        ::posix_fadvise(fd(file.get()), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    }
    opened.file = std::move(file);
    return opened;
}

File openForWriting(const char* path) {
    return File(::open(path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666));
}

std::optional<FileIdentity> identityOfPath(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0) return std::nullopt;
    return identityFrom(info);
}

std::optional<FileIdentity> identityOf(NativeHandle handle) {
    struct stat info {};
    if (::fstat(fd(handle), &info) != 0) return std::nullopt;
    return identityFrom(info);
}

bool truncateAtPosition(NativeHandle handle) {
    struct stat info {};
    if (::fstat(fd(handle), &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) return true;
    const off_t position = ::lseek(fd(handle), 0, SEEK_CUR);
    return position >= 0 && ::ftruncate(fd(handle), position) == 0;
}

bool appendsOnWrite(NativeHandle handle) {
    const int flags = ::fcntl(fd(handle), F_GETFL);
    return flags != -1 && (flags & O_APPEND) != 0;
}

ReadResult readAt(NativeHandle handle, std::uint64_t offset, char* data, std::size_t size) {
    ReadResult result;
    while (result.size < size) {
        const ssize_t got = ::pread(fd(handle), data + result.size, size - result.size,
                                    static_cast<off_t>(offset + result.size));
        if (got > 0) {
            result.size += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            result.failed = true;
            break;
        }
    }
    return result;
}

ReadResult readSome(NativeHandle handle, char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd(handle), data, size);
        if (got >= 0) return {static_cast<std::size_t>(got), false};
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A descriptor set not to block whose writer is slower than us: wait for it.
            pollfd ready{fd(handle), POLLIN, 0};
            if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return {0, true};
            continue;
        }
        if (errno != EINTR) return {0, true};
    }
}

bool writeAll(NativeHandle handle, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd(handle), data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// TMPDIR is only a preference: a setting that names no usable directory must not
// make a piped scene fail where the same scene in a file converts.
File createTemporaryFile() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && *dir != '\0') {
        File file = createTemporaryFileIn(dir);
        if (file.valid()) return file;
    }
    return createTemporaryFileIn("/tmp");
}

NativeHandle standardOutput() {
    return STDOUT_FILENO;
}

NativeHandle handleOfDescriptor(int descriptor) {
    return descriptor;
}

bool isOpen(NativeHandle handle) {
    return handle >= 0 && ::fcntl(fd(handle), F_GETFD) != -1;
}

// Large pages are asked for, so that filling a picture takes few faults.
void* allocateZeroed(std::size_t bytes) {
    void* memory =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
    ::madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    return memory;
}

void releaseZeroed(void* memory, std::size_t bytes) {
    if (memory != nullptr) ::munmap(memory, bytes);
}

} // namespace meshlift::detail::platform
