// The cost that no converter can avoid: the input read twice with large reads (the
// colour look-ahead reads most of it a second time) and the document written with
// one write per line, since every line leaves as soon as it is complete.
//
//   meshlift_floor input.ASE expected.xml output.xml
//
// The expected document is streamed in large blocks and split at CR LF.

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

bool readAll(const char* path, std::vector<char>& buffer) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) {
    }
    ::close(fd);
    return got == 0;
}

bool writeLine(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// Writes every complete line of the expected document, one write each.
bool writeLines(int in, int out, std::vector<char>& buffer) {
    std::size_t held = 0;
    for (;;) {
        if (held == buffer.size()) buffer.resize(buffer.size() * 2); // a line longer than a block
        const ssize_t got = ::read(in, buffer.data() + held, buffer.size() - held);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        const std::size_t size = held + static_cast<std::size_t>(got);
        const char* start = buffer.data();
        const char* end = buffer.data() + size;
        for (const char* at = start; at < end;) {
            const char* lineFeed = static_cast<const char*>(std::memchr(at, '\n', end - at));
            if (lineFeed == nullptr) break;
            if (!writeLine(out, start, lineFeed + 1 - start)) return false;
            start = at = lineFeed + 1;
        }
        held = static_cast<std::size_t>(end - start);
        if (got == 0) return held == 0 || writeLine(out, start, held);
        std::memmove(buffer.data(), start, held);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: meshlift_floor input.ASE expected.xml output.xml\n", stderr);
        return 2;
    }
    std::vector<char> buffer(kBlock);
    if (!readAll(argv[1], buffer) || !readAll(argv[1], buffer)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const int expected = ::open(argv[2], O_RDONLY | O_CLOEXEC);
    const int output = ::open(argv[3], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (expected < 0 || output < 0) {
        std::fputs("cannot open the documents\n", stderr);
        return 1;
    }
    const bool written = writeLines(expected, output, buffer);
    ::close(expected);
    return (::close(output) == 0 && written) ? 0 : 1;
}
