#include "platform/program_support.h"

#include "platform/file_system.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace meshlift::detail::platform {
namespace {

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

bool isStream(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

namespace {

// A device or a pipe is written as it stands: renaming a file over it would put a
// regular file in its place (over /dev/null, for a program run as root). Empty when
// `path` names no such file, or one that became a regular file before it was opened;
// else whether the bytes were written.
std::optional<bool> writeInPlace(const char* path, std::string_view bytes) {
    struct stat status {};
    if (::stat(path, &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode))
        return std::nullopt;
    File file(::open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) return false;
    if (::fstat(static_cast<int>(file.get()), &status) != 0) return false;
    if (S_ISREG(status.st_mode)) return std::nullopt;
    const bool written = writeAll(file.get(), bytes.data(), bytes.size());
    return file.close() && written;
}

} // namespace

bool replaceFileContents(const char* path, std::string_view bytes) {
    if (const std::optional<bool> written = writeInPlace(path, bytes)) return *written;
    std::string temporary = temporaryPattern(path);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    usualPermissions(fd);
    File file(fd);
    bool written = writeAll(fd, bytes.data(), bytes.size());
    written = ::fsync(fd) == 0 && written;
    written = file.close() && written;
    if (written && std::rename(temporary.c_str(), path) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

} // namespace meshlift::detail::platform
