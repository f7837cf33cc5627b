#include "platform/file_system.h"

#include <cstdlib>

// The browser gives a page no file system: the page hands its scenes in through the
// library's readers (convertReader, renderPreview) and takes the lines it gets back.
// Every call that needs a file therefore fails, as it would for a file that cannot be
// opened, and only memory is real.

namespace meshlift::detail::platform {

std::string_view consoleLineBreak() {
    return "\n";
}

bool closeHandle(NativeHandle) {
    return true;
}

std::optional<OpenedFile> openForReading(const char*) {
    return std::nullopt;
}

File openForWriting(const char*) {
    return File();
}

std::optional<FileIdentity> identityOfPath(const char*) {
    return std::nullopt;
}

std::optional<FileIdentity> identityOf(NativeHandle) {
    return std::nullopt;
}

bool truncateAtPosition(NativeHandle) {
    return false;
}

bool appendsOnWrite(NativeHandle) {
    return false;
}

ReadResult readAt(NativeHandle, std::uint64_t, char*, std::size_t) {
    return {0, true};
}

ReadResult readSome(NativeHandle, char*, std::size_t) {
    return {0, true};
}

bool writeAll(NativeHandle, const char*, std::size_t) {
    return false;
}

File createTemporaryFile() {
    return File();
}

NativeHandle standardOutput() {
    return kNoHandle;
}

NativeHandle handleOfDescriptor(int) {
    return kNoHandle;
}

// WebAssembly memory is not zero once it has been used and freed: calloc clears it.
void* allocateZeroed(std::size_t bytes) {
    return std::calloc(bytes, 1);
}

void releaseZeroed(void* memory, std::size_t) {
    std::free(memory);
}

} // namespace meshlift::detail::platform
