#include "test_support.h"

#include "ase/input_file.h"
#include "driver/scene_conversion.h"
#include "scene/line_sink.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace meshlift::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "meshlift-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const {
    return (path_ / name).string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

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

Conversion convertInMemory(std::string_view scene, bool quad, std::size_t blockSize,
                           std::string_view inputPath) {
    Conversion result;
    InputFile input;
    openInputMemory(input, scene, blockSize);
    LineSink document = memorySink(result.document);
    LineSink console = memorySink(result.console);
    EXPECT_TRUE(convertScene(input, document, console,
                             quad ? ConversionMode::quad : ConversionMode::tri, inputPath));
    return result;
}

std::string documentLines(const std::vector<std::string_view>& lines) {
    std::string joined;
    for (std::string_view line : lines) {
        joined.append(line);
        joined.append("\r\n");
    }
    return joined;
}

} // namespace meshlift::test
