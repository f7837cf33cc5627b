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

RunResult runShellProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& redirections) {
    std::string command = shellQuote(program);
    for (const std::string& argument : arguments) {
        command.push_back(' ');
        command.append(shellQuote(argument));
    }
    command.push_back(' ');
    command.append(redirections);
    return runShell(command);
}

RunResult runMeshlift(const std::vector<std::string>& arguments, const std::string& redirections) {
    return runShellProgram(MESHLIFT_BINARY, arguments, redirections);
}

// The reporter prints the peak as a last line of its own, after the program's lines.
long peakMemoryKb(const std::string& program, const std::vector<std::string>& arguments,
                  std::string* console) {
    std::vector<std::string> command = {program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const RunResult run = runShellProgram(MESHLIFT_PEAK_MEMORY, command);
    if (run.exitCode != kExitSuccess || run.console.size() < 2) return -1;
    const std::size_t lastLine = run.console.rfind('\n', run.console.size() - 2);
    const std::size_t peakAt = lastLine == std::string::npos ? 0 : lastLine + 1;
    if (console != nullptr) *console = run.console.substr(0, peakAt);
    return std::stol(run.console.substr(peakAt));
}

} // namespace meshlift::detail::test
