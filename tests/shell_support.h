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

// Runs the built program with these arguments; `redirections` is appended to the
// command line as is (for example "< file" or "<&-").
[[nodiscard]] RunResult runMeshlift(const std::vector<std::string>& arguments,
                                    const std::string& redirections);

} // namespace meshlift::detail::test
