#include "platform/file_system.h"

#include "platform/windows_api.h"

#include <atomic>
#include <string>

// The temporary copy of a piped scene on Windows: a file that the system deletes
// when its last handle closes, so that nothing is left behind, however the run ends.

namespace meshlift::detail::platform {
namespace {

NativeHandle native(HANDLE handle) {
    return reinterpret_cast<NativeHandle>(handle);
}

File createTemporaryFileIn(const std::wstring& dir) {
    static std::atomic<unsigned> counter{0};
    if (dir.empty()) return File();
    std::wstring folder = dir;
    if (folder.back() != L'\\' && folder.back() != L'/') folder.push_back(L'\\');
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = folder + L"meshlift-spool-" +
                                  std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(counter++) + L".tmp";
        const HANDLE handle =
            ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return File(native(handle));
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return File();
}

std::wstring userTemporaryFolder() {
    wchar_t buffer[MAX_PATH + 2];
    const DWORD size = ::GetTempPathW(MAX_PATH + 2, buffer);
    return size == 0 || size > MAX_PATH + 1 ? std::wstring() : std::wstring(buffer, size);
}

// The system's own temporary folder, which every user may create files in on a
// stock system.
std::wstring systemTemporaryFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT size = ::GetSystemWindowsDirectoryW(buffer, MAX_PATH);
    if (size == 0 || size >= MAX_PATH) return {};
    return std::wstring(buffer, size) + L"\\Temp";
}

} // namespace

// The user's temporary folder comes from TMP, TEMP or the profile, any of which may
// name a folder that is gone: a piped scene must still convert.
File createTemporaryFile() {
    File file = createTemporaryFileIn(userTemporaryFolder());
    if (file.valid()) return file;
    return createTemporaryFileIn(systemTemporaryFolder());
}

} // namespace meshlift::detail::platform
