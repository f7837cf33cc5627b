#include "platform/file_system.h"

#include "platform/windows_api.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

namespace meshlift::detail::platform {
namespace {

// Larger requests are split: ReadFile and WriteFile take a 32-bit size.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// Shared by every opening, so that the input, the document and the identity check
// never refuse each other: whether two names are one file is decided by identity.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE win(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

NativeHandle native(HANDLE handle) {
    return reinterpret_cast<NativeHandle>(handle);
}

} // namespace

std::wstring widen(const char* path) {
    const int size = static_cast<int>(std::strlen(path));
    if (size == 0) return {};
    const int wide = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, size, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, size, result.data(), wide);
    return result;
}

namespace {

File openPath(const char* path, DWORD access, DWORD disposition, DWORD flags) {
    const std::wstring wide = widen(path);
    if (wide.empty()) return File();
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
    return File(handle == INVALID_HANDLE_VALUE ? kNoHandle : native(handle));
}

// A name in the device namespace (\\.\pipe\name, \\.\COM1) is no file on a disk, and
// opening it even to look would take the one instance a pipe server offers.
bool namesADevice(const char* path) {
    return (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
           path[2] == '.' && (path[3] == '\\' || path[3] == '/');
}

bool isDisk(HANDLE handle) {
    return ::GetFileType(handle) == FILE_TYPE_DISK;
}

// A pipe or a device has no file id, and a handle's value is given out again once it
// is closed (a piped input's is, after spooling): each look at one gives a fresh
// identity, equal to no other.
FileIdentity identityOfStream(HANDLE handle) {
    static std::atomic<std::uint64_t> streams{0};
    return {~std::uint64_t{0}, ::GetFileType(handle), ++streams};
}

std::optional<FileIdentity> identityOfDiskFile(HANDLE handle) {
    FILE_ID_INFO id{};
    if (::GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::memcpy(&low, id.FileId.Identifier, sizeof low);
        std::memcpy(&high, id.FileId.Identifier + sizeof low, sizeof high);
        return FileIdentity{id.VolumeSerialNumber, high, low};
    }
    // File systems without 128-bit ids (FAT, older systems): the 64-bit index, which
    // is what the 128-bit id holds on NTFS as well.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, 0,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

} // namespace

std::string_view consoleLineBreak() {
    return "\r\n";
}

bool closeHandle(NativeHandle handle) {
    return ::CloseHandle(win(handle)) != 0;
}

std::optional<OpenedFile> openForReading(const char* path) {
    File file = openPath(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file.valid()) return std::nullopt;
    const HANDLE handle = win(file.get());
    OpenedFile opened;
    if (isDisk(handle)) {
        FILE_STANDARD_INFO info{};
        const std::optional<FileIdentity> identity = identityOfDiskFile(handle);
        if (!identity ||
            !::GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info))
            return std::nullopt;
        opened.identity = *identity;
        opened.kind = info.Directory ? FileKind::directory : FileKind::regular;
        opened.size = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
    } else {
        opened.identity = identityOfStream(handle);
    }
    opened.file = std::move(file);
    return opened;
}

File openForWriting(const char* path) {
    // Reading attributes too: the identity of the opened file is checked.
    return openPath(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

std::optional<FileIdentity> identityOfPath(const char* path) {
    if (namesADevice(path)) return std::nullopt;
    // Attributes only, which no sharing mode can refuse; backup semantics open a
    // folder as well as a file.
    const File file =
        openPath(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!file.valid()) return std::nullopt;
    return identityOf(file.get());
}

std::optional<FileIdentity> identityOf(NativeHandle handle) {
    if (handle == kNoHandle || handle == 0) return std::nullopt;
    if (!isDisk(win(handle))) {
        if (::GetFileType(win(handle)) == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR)
            return std::nullopt;
        return identityOfStream(win(handle));
    }
    return identityOfDiskFile(win(handle));
}

bool truncateAtPosition(NativeHandle handle) {
    if (!isDisk(win(handle))) return true;
    return ::SetEndOfFile(win(handle)) != 0;
}

// A handle opened for appending alone is rare on Windows (cmd's `>>` moves to the
// end instead), and cutting at the end of the file changes nothing there.
bool appendsOnWrite(NativeHandle) {
    return false;
}

ReadResult readAt(NativeHandle handle, std::uint64_t offset, char* data, std::size_t size) {
    ReadResult result;
    while (result.size < size) {
        const std::uint64_t at = offset + result.size;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min(size - result.size, kMaxTransfer));
        DWORD got = 0;
        if (!::ReadFile(win(handle), data + result.size, wanted, &got, &position)) {
            if (::GetLastError() != ERROR_HANDLE_EOF) result.failed = true;
            break;
        }
        if (got == 0) break;
        result.size += got;
    }
    return result;
}

ReadResult readSome(NativeHandle handle, char* data, std::size_t size) {
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(size, kMaxTransfer));
    if (::ReadFile(win(handle), data, wanted, &got, nullptr)) return {got, false};
    // The writer closing its end of a pipe, or a pipe server disconnecting once it
    // has written everything, is the end of the input, not an error.
    const DWORD error = ::GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED ||
        error == ERROR_HANDLE_EOF)
        return {0, false};
    return {0, true};
}

bool writeAll(NativeHandle handle, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD put = 0;
        const DWORD wanted = static_cast<DWORD>(std::min(size, kMaxTransfer));
        if (!::WriteFile(win(handle), data, wanted, &put, nullptr) || put == 0) return false;
        data += put;
        size -= put;
    }
    return true;
}

NativeHandle standardOutput() {
    const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return handle == nullptr ? kNoHandle : native(handle);
}

NativeHandle handleOfDescriptor(int descriptor) {
    if (descriptor < 0) return kNoHandle;
    return static_cast<NativeHandle>(::_get_osfhandle(descriptor));
}

bool isOpen(NativeHandle handle) {
    if (handle == kNoHandle) return false;
    DWORD flags = 0;
    return ::GetHandleInformation(win(handle), &flags) != 0;
}

// Committed pages are zero when first touched, and take memory only then.
void* allocateZeroed(std::size_t bytes) {
    return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void releaseZeroed(void* memory, std::size_t) {
    if (memory != nullptr) ::VirtualFree(memory, 0, MEM_RELEASE);
}

} // namespace meshlift::detail::platform
