#pragma once

namespace meshlift {

// The whole program, from the command line (paths in UTF-8) to the exit code. Each
// platform's entry point (src/platform/entry_*.cpp) hands its command line over.
[[nodiscard]] int runProgram(int argc, char** argv);

} // namespace meshlift
