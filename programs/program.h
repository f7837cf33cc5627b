#pragma once

// Each program's whole run, from its command line (paths in UTF-8) to its exit code.
// The platform's entry point (entry_posix.cpp, entry_windows.cpp) hands it over.
[[nodiscard]] int runProgram(int argc, char** argv);
