#include "shell_support.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace meshlift::detail::test {

std::string shellQuote(std::string_view word) {
    std::string quoted(1, '\'');
    for (char c : word) {
        if (c == '\'')
            quoted.append("'\\''");
        else
            quoted.push_back(c);
    }
    quoted.push_back('\'');
    return quoted;
}

RunResult runShell(const std::string& command) {
    RunResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 65536> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.console.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

RunResult runMeshlift(const std::vector<std::string>& arguments, const std::string& redirections) {
    std::string command = shellQuote(MESHLIFT_BINARY);
    for (const std::string& argument : arguments) {
        command.push_back(' ');
        command.append(shellQuote(argument));
    }
    command.push_back(' ');
    command.append(redirections);
    return runShell(command);
}

} // namespace meshlift::detail::test
