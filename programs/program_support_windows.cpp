#include "program_support.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace meshlift::cli {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Paths are UTF-8 in the programs. A name that is not valid UTF-8 names no file here: it
// gives an empty result, which opens nothing.
std::wstring widen(const char* path) {
    const int size = static_cast<int>(std::strlen(path));
    const int wide = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, size, nullptr, 0);
    if (size == 0 || wide <= 0) return {};
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, size, result.data(), wide);
    return result;
}

std::string narrow(const wchar_t* argument) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, argument, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, argument, -1, result.data(), size, nullptr, nullptr);
    result.pop_back(); // the terminating NUL, which std::string keeps by itself
    return result;
}

bool writeAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD put = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(handle, bytes.data(), wanted, &put, nullptr) || put == 0) return false;
        bytes.remove_prefix(put);
    }
    return true;
}

// Closes the handle when it goes out of scope, or when asked, reporting a failure.
struct OwnedHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OwnedHandle(HANDLE opened) : handle(opened) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { close(); }
    [[nodiscard]] bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    bool close() { return !valid() || ::CloseHandle(std::exchange(handle, INVALID_HANDLE_VALUE)); }
};

// The volume and the id that name a file on a disk, whatever the spelling of its path:
// the 128-bit id where the file system has one (NTFS, ReFS), else the 64-bit index (FAT).
std::optional<std::string> identityOf(const char* path) {
    // A name in the device namespace (\\.\pipe\name) is no file on a disk, and opening
    // it even to look would take the one instance a pipe server offers.
    if ((path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
        path[2] == '.')
        return std::nullopt;
    const std::wstring wide = widen(path);
    if (wide.empty()) return std::nullopt;
    // Attributes only, which no sharing mode can refuse; backup semantics open a folder too.
    OwnedHandle file(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid() || ::GetFileType(file.handle) != FILE_TYPE_DISK) return std::nullopt;
    FILE_ID_INFO id{};
    if (::GetFileInformationByHandleEx(file.handle, FileIdInfo, &id, sizeof id))
        return std::string(reinterpret_cast<const char*>(&id), sizeof id);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.handle, &info)) return std::nullopt;
    const DWORD index[] = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return std::string(reinterpret_cast<const char*>(index), sizeof index);
}

// A short name beside the file, in its folder, so that the rename stays on one volume
// and the name fits whenever the file's own name does.
std::wstring temporaryName(const std::wstring& path, unsigned attempt) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
    return path.substr(0, nameAt) + L".mlp-" + std::to_wstring(::GetCurrentProcessId() % 100000) +
           L"-" + std::to_wstring(attempt % 100000) + L".tmp";
}

// A device or a pipe (NUL, CON, \\.\pipe\...) is written as it stands: it cannot be
// replaced by a renamed file. Empty when `path` opens no such file (a file on a disk, or
// nothing that opens for writing); else whether the bytes were written.
std::optional<bool> writeInPlace(const std::wstring& path, std::string_view bytes) {
    OwnedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || ::GetFileType(file.handle) == FILE_TYPE_DISK) return std::nullopt;
    const bool written = writeAll(file.handle, bytes);
    return file.close() && written;
}

} // namespace

std::vector<std::string> utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i)
        arguments.push_back(narrow(argv[i]));
    return arguments;
}

// New handles never take the place of a closed standard handle on Windows, and a
// write to a closed pipe fails without a signal, so only the runtime's own standard
// output needs setting: to binary, in case anything writes through it.
void prepareProcess() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

void writeStandardOutput(std::string_view bytes) {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE) (void)writeAll(output, bytes);
}

void printLine(std::string_view line) {
    std::string text(line);
    text += "\r\n";
    writeStandardOutput(text);
}

bool isSameFile(const char* first, const char* second) {
    const auto a = identityOf(first);
    return a && a == identityOf(second);
}

bool isStream(const char* path) {
    const std::wstring wide = widen(path);
    if (wide.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE) != 0;
}

bool replaceFileContents(const char* path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    const std::wstring target = widen(path);
    if (target.empty()) return false;
    if (const std::optional<bool> written = writeInPlace(target, bytes)) return *written;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temporary = temporaryName(target, counter++);
        OwnedHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        bool written = writeAll(file.handle, bytes);
        written = ::FlushFileBuffers(file.handle) && written;
        written = file.close() && written;
        if (written && ::MoveFileExW(temporary.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return false;
}

} // namespace meshlift::cli
