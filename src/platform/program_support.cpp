// The parts of program_support.h that the file layer already makes the same on every
// platform.
#include "platform/program_support.h"

#include "platform/file_system.h"

#include <optional>
#include <string>

namespace meshlift::detail::platform {

void writeStandardOutput(std::string_view bytes) {
    (void)writeAll(standardOutput(), bytes.data(), bytes.size());
}

void writeConsoleLine(std::string_view line) {
    std::string text(line);
    text += consoleLineBreak();
    writeStandardOutput(text);
}

bool isSameFile(const char* first, const char* second) {
    const std::optional<FileIdentity> a = identityOfPath(first);
    return a && a == identityOfPath(second);
}

} // namespace meshlift::detail::platform
