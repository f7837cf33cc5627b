#pragma once

// Running the program through the shell, for the cases that need what only a POSIX
// shell gives: redirections, closed descriptors, FIFOs and pipelines.
#include "test_support.h"

#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail::test {

// Quotes a word for the shell.
[[nodiscard]] std::string shellQuote(std::string_view word);

// Runs a shell command line and collects its standard output and exit code.
[[nodiscard]] RunResult runShell(const std::string& command);

// Runs a program with these arguments through the shell; `redirections` is appended
// to the command line as is (for example "< file" or "<&-").
[[nodiscard]] RunResult runShellProgram(const std::string& program,
                                        const std::vector<std::string>& arguments,
                                        const std::string& redirections = "");

// The same for the built converter.
[[nodiscard]] RunResult runMeshlift(const std::vector<std::string>& arguments,
                                    const std::string& redirections);

// Runs a program and returns its peak resident memory in kilobytes, or -1 when the run
// failed; `console`, when given, receives the program's console lines.
[[nodiscard]] long peakMemoryKb(const std::string& program,
                                const std::vector<std::string>& arguments,
                                std::string* console = nullptr);

} // namespace meshlift::detail::test
