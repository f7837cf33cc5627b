#pragma once

// What the programs need of the operating system beyond the library's API: their
// arguments, the process's setup, the console, and files that are replaced whole.
// One implementation per platform (program_support_posix.cpp, _windows.cpp); the
// library has its own file layer and never calls these.

#include <string>
#include <string_view>
#include <vector>

namespace meshlift::cli {

// The arguments of a wide entry point (Windows' wmain) as UTF-8, so that any file
// name opens, whatever the code page.
[[nodiscard]] std::vector<std::string> utf8Arguments(int argc, wchar_t** argv);

// Makes the process safe to run from any caller: a standard handle that was closed
// is taken by a null device before any file is opened (so no file can become the
// console), and a closed pipe shows as a failed write instead of ending the process.
// Standard output takes bytes as they are, never translating line ends.
void prepareProcess();

// Writes the bytes to standard output at once, as they are.
void writeStandardOutput(std::string_view bytes);

// Writes the line and the platform's line break (LF; CR LF on Windows) to standard
// output in one write, so that it is there at once.
void printLine(std::string_view line);

// Whether both names lead to one existing file.
[[nodiscard]] bool isSameFile(const char* first, const char* second);

// Whether the name leads to an existing file that is neither a regular file nor a
// folder: a pipe, a device, a socket. False for a name that leads nowhere.
[[nodiscard]] bool isStream(const char* path);

// Gives the file at `path` the content `bytes`: a regular file (or a new one) is
// written to a temporary file beside it, under a short name of its own, and renamed over
// it, so that a reader never sees half a file and a failed write leaves what was there.
// A device, a pipe or another file that is not regular is written in place instead, and
// stays what it is. False when any step fails; the temporary file is then gone.
[[nodiscard]] bool replaceFileContents(const char* path, std::string_view bytes);

} // namespace meshlift::cli
