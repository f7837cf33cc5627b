#include "platform/program_support.h"

#include "platform/file_system.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace meshlift::detail::platform {
namespace {

std::string temporaryPattern(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? "" : path.substr(0, slash + 1);
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return std::string(folder) + "." + std::string(name) + ".XXXXXX";
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

void writeStandardOutput(std::string_view bytes) {
    (void)writeAll(standardOutput(), bytes.data(), bytes.size());
}

void writeConsoleLine(std::string_view line) {
    std::string text(line);
    text += '\n';
    writeStandardOutput(text);
}

bool isSameFile(const char* first, const char* second) {
    const std::optional<FileIdentity> a = identityOfPath(first);
    return a && a == identityOfPath(second);
}

bool isRegularFile(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

bool replaceFileContents(const char* path, std::string_view bytes) {
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
