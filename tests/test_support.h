#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::test {

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

[[nodiscard]] std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);

// Quotes a word for the shell.
[[nodiscard]] std::string shellQuote(std::string_view word);

// Runs a shell command line and collects its standard output and exit code.
[[nodiscard]] RunResult runShell(const std::string& command);

// Runs the built program with these arguments; `redirections` is appended to the
// command line as is (for example "< file" or "<&-").
[[nodiscard]] RunResult runMeshlift(const std::vector<std::string>& arguments,
                                    const std::string& redirections = "");

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

} // namespace meshlift::test
