#include "test_support.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>

namespace meshlift::detail::test {
namespace {

// One argument as the C runtime splits a command line: quoted when it is empty or
// holds blanks or quotes, with the backslashes before a quote doubled.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring result = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        result.push_back(c);
    }
    result.append(2 * backslashes, L'\\');
    result.push_back(L'"');
    return result;
}

struct Handle {
    HANDLE value = nullptr;
    ~Handle() {
        if (value != nullptr && value != INVALID_HANDLE_VALUE) ::CloseHandle(value);
    }
};

} // namespace

RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& folder) {
    RunResult result;
    std::wstring commandLine = quoted(pathOf(program).wstring());
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(pathOf(argument).wstring());

    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle reader, writer;
    if (!::CreatePipe(&reader.value, &writer.value, &inherited, 0)) {
        result.console = "CreatePipe failed: " + std::to_string(::GetLastError());
        return result;
    }
    ::SetHandleInformation(reader.value, HANDLE_FLAG_INHERIT, 0);
    Handle input;
    input.value = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherited, OPEN_EXISTING, 0, nullptr);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.value;
    startup.hStdOutput = writer.value;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const std::wstring directory = pathOf(folder).wstring();
    // A start that fails is tried again: under Wine, on a loaded machine, a start has
    // been seen to fail once and succeed the next time.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) ::Sleep(200);
        started =
            ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             folder.empty() ? nullptr : directory.c_str(), &startup, &process) != 0;
    }
    if (!started) {
        result.console = "CreateProcessW failed: " + std::to_string(::GetLastError());
        return result;
    }
    Handle thread{process.hThread};
    Handle child{process.hProcess};
    ::CloseHandle(writer.value); // the child's copy is the only writer left
    writer.value = nullptr;

    std::array<char, 65536> buffer{};
    DWORD got = 0;
    while (
        ::ReadFile(reader.value, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
        got > 0)
        result.console.append(buffer.data(), got);
    ::WaitForSingleObject(child.value, INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(child.value, &code)) result.exitCode = static_cast<int>(code);
    result.console = withLfLineBreaks(std::move(result.console));
    return result;
}

} // namespace meshlift::detail::test
