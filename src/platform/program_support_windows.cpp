#include "platform/program_support.h"

#include "platform/file_system.h"
#include "platform/windows_api.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <optional>

namespace meshlift::detail::platform {
namespace {

std::string narrow(const wchar_t* argument) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, argument, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, argument, -1, result.data(), size, nullptr, nullptr);
    result.pop_back(); // the terminating NUL, which std::string keeps by itself
    return result;
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
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    File file(reinterpret_cast<NativeHandle>(handle));
    if (::GetFileType(handle) == FILE_TYPE_DISK) return std::nullopt;
    const bool written = writeAll(file.get(), bytes.data(), bytes.size());
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
        const HANDLE handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        File file(reinterpret_cast<NativeHandle>(handle));
        bool written = writeAll(file.get(), bytes.data(), bytes.size());
        written = ::FlushFileBuffers(handle) && written;
        written = file.close() && written;
        if (written && ::MoveFileExW(temporary.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return false;
}

} // namespace meshlift::detail::platform
