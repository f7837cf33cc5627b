#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail::test {

// A fresh directory under the system's temporary directory, removed with its content.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] std::string file(std::string_view name) const;
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

struct RunResult {
    int exitCode = -1;
    std::string console; // everything the program wrote to standard output
};

// Paths in tests are UTF-8, as the program takes them, on every platform.
[[nodiscard]] std::filesystem::path pathOf(std::string_view utf8);
[[nodiscard]] std::string utf8Of(const std::filesystem::path& path);

[[nodiscard]] std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);

// Console text with the platform's line breaks turned into LF, so that expected
// console lines are written once for every platform.
[[nodiscard]] std::string withLfLineBreaks(std::string console);

// Runs a program with these arguments, in `folder` when it is not empty, and
// collects its standard output (line breaks as LF) and exit code. Implemented per
// platform in process_posix.cpp and process_windows.cpp.
[[nodiscard]] RunResult runProgram(const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const std::string& folder = "");

// Runs the built program with these arguments.
[[nodiscard]] RunResult runMeshlift(const std::vector<std::string>& arguments);

// The document and console of an in-memory conversion.
struct Conversion {
    std::string document;
    std::string console;
};
[[nodiscard]] Conversion convertInMemory(std::string_view scene, bool quad,
                                         std::size_t blockSize = 1 << 20,
                                         std::string_view inputPath = "scene.ASE");

// Joins lines with CR LF after each, as the document writes them.
[[nodiscard]] std::string documentLines(const std::vector<std::string_view>& lines);

inline constexpr std::string_view kSceneStart =
    R"(<scene camera="400,0,0" lookAt="0,0,0" up="0,0,1" angle="50" width="443" height="443" near="0.1" Ia="0.5" Il="1.0">)";

} // namespace meshlift::detail::test
