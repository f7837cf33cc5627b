#include "test_support.h"

#include <array>
#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace meshlift::detail::test {

RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& folder) {
    RunResult result;
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int output[2];
    if (::pipe(output) != 0) return result;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::close(output[1]);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(output[1]);
    std::array<char, 65536> buffer{};
    for (;;) {
        const auto got = ::read(output[0], buffer.data(), buffer.size());
        if (got > 0)
            result.console.append(buffer.data(), static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(output[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace meshlift::detail::test
