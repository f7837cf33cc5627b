#include "program_support.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace meshlift::cli {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Closes the descriptor; false when the system reports a failure (a delayed write
// error on a network file system, for example).
bool closeChecked(int fd) {
    return ::close(fd) == 0 || errno == EINTR;
}

// A short name of fixed length beside the file, so that the rename stays on one file
// system and the name fits in the folder whenever the picture's own name does.
std::string temporaryPattern(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? "" : path.substr(0, slash + 1);
    return std::string(folder) + ".mlp-XXXXXX";
}

// The file gets the permissions a newly created file would get.
void usualPermissions(int fd) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

// A device or a pipe is written as it stands: renaming a file over it would put a
// regular file in its place (over /dev/null, for a program run as root). Empty when
// `path` names no such file, or one that became a regular file before it was opened;
// else whether the bytes were written.
std::optional<bool> writeInPlace(const char* path, std::string_view bytes) {
    if (!isStream(path)) return std::nullopt;
    const int fd = ::open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISREG(status.st_mode)) {
        ::close(fd);
        return S_ISREG(status.st_mode) ? std::nullopt : std::optional<bool>(false);
    }
    const bool written = writeAll(fd, bytes);
    return closeChecked(fd) && written;
}

} // namespace

void prepareProcess() {
    for (int standard = 0; standard <= 2; ++standard) {
        if (::fcntl(standard, F_GETFD) == -1 && errno == EBADF) {
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0 && null != standard) ::close(null);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
}

void writeStandardOutput(std::string_view bytes) {
    (void)writeAll(STDOUT_FILENO, bytes);
}

void printLine(std::string_view line) {
    std::string text(line);
    text += '\n';
    writeStandardOutput(text);
}

bool isSameFile(const char* first, const char* second) {
    struct stat a {
    }, b{};
    return ::stat(first, &a) == 0 && ::stat(second, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool isStream(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

bool replaceFileContents(const char* path, std::string_view bytes) {
    if (const std::optional<bool> written = writeInPlace(path, bytes)) return *written;
    std::string temporary = temporaryPattern(path);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    usualPermissions(fd);
    bool written = writeAll(fd, bytes);
    written = ::fsync(fd) == 0 && written;
    written = closeChecked(fd) && written;
    if (written && std::rename(temporary.c_str(), path) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

} // namespace meshlift::cli
