// The command line arrives as UTF-16, so that any file name opens, whatever the
// code page; the program keeps it as UTF-8.
#include "driver/program.h"

#include "platform/windows_api.h"

#include <string>
#include <vector>

namespace {

std::string narrow(const wchar_t* argument) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, argument, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, argument, -1, result.data(), size, nullptr, nullptr);
    result.pop_back(); // the terminating NUL, which std::string keeps by itself
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i)
        arguments.push_back(narrow(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return meshlift::runProgram(argc, pointers.data());
}
