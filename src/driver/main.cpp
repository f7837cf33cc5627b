#include "ase/input_file.h"
#include "driver/command_line.h"
#include "driver/scene_conversion.h"
#include "scene/line_sink.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace meshlift;

namespace {

// A program started with a standard descriptor closed would otherwise hand that
// number to the first file it opens, and console lines would land in the document.
void reserveStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0 && null != fd) ::close(null);
        }
    }
}

// Creates the document, or truncates an existing one, but never the input itself:
// truncating it first would destroy the scene before it is read.
FileDescriptor createDocument(const std::string& path, const InputFile& input) {
    // Recognised before opening as well: opening a named pipe that is the input for
    // writing would wait for a reader that never comes.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && existing.st_dev == input.device &&
        existing.st_ino == input.inode)
        return FileDescriptor();
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666));
    if (!fd.valid()) return fd;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return FileDescriptor();
    if (info.st_dev == input.device && info.st_ino == input.inode) return FileDescriptor();
    if (S_ISREG(info.st_mode) && ::ftruncate(fd.get(), 0) != 0) return FileDescriptor();
    return fd;
}

} // namespace

int main(int argc, char** argv) {
    reserveStandardDescriptors();
    std::signal(SIGPIPE, SIG_IGN); // a closed pipe shows as a failed write instead
    LineSink console = fileSink(STDOUT_FILENO);

    CommandLine commandLine;
    switch (parseCommandLine(argc, argv, commandLine)) {
    case CommandLineError::invalidMode:
        writeConsoleLine(console, kInvalidModeLine);
        [[fallthrough]];
    case CommandLineError::argumentCount:
        writeConsoleLine(console, kUsageLine);
        return 1;
    case CommandLineError::none:
        break;
    }

    const std::string inputPath(commandLine.inputPath);
    const std::string outputPath(commandLine.outputPath);
    InputFile input;
    if (openInputFile(input, inputPath.c_str()) != InputOpenError::none) {
        writeConsoleLine(console, "Error opening file : ", inputPath, " !");
        return 1;
    }
    FileDescriptor output = createDocument(outputPath, input);
    if (!output.valid()) {
        writeConsoleLine(console, "Error creating file : ", outputPath, " !");
        return 1;
    }

    LineSink document = fileSink(output.get());
    convertScene(input, document, console, commandLine.mode, inputPath);
    input.fd.close();
    const bool closed = output.close();
    if (document.failed || !closed) {
        writeConsoleLine(console, "Error writing file : ", outputPath, " !");
        return 1;
    }
    return 0;
}
