#include "test_support.h"

#include "ase/input_file.h"
#include "scene/scene_conversion.h"
#include "platform/file_system.h"
#include "scene/line_sink.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace meshlift::detail::test {

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = std::filesystem::temp_directory_path() /
                ("meshlift-test-" + std::to_string(random() % 1000000000));
        if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("no fresh temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const {
    return utf8Of(path_ / pathOf(name));
}

std::filesystem::path pathOf(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::string readFile(const std::string& path) {
    std::ifstream in(pathOf(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(pathOf(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string withLfLineBreaks(std::string console) {
    const std::string_view lineBreak = platform::consoleLineBreak();
    if (lineBreak == "\n") return console;
    std::string lines;
    for (std::size_t at = 0; at < console.size();) {
        const std::size_t found = console.find(lineBreak, at);
        const std::size_t end = found == std::string::npos ? console.size() : found;
        lines.append(console, at, end - at);
        if (found == std::string::npos) break;
        lines.push_back('\n');
        at = found + lineBreak.size();
    }
    return lines;
}

RunResult runMeshlift(const std::vector<std::string>& arguments) {
    return runProgram(MESHLIFT_BINARY, arguments);
}

Conversion convertInMemory(std::string_view scene, bool quad, std::size_t blockSize,
                           std::string_view inputPath) {
    Conversion result;
    InputFile input;
    openInputMemory(input, scene, blockSize);
    LineSink document = memorySink(result.document);
    LineSink console = memorySink(result.console);
    EXPECT_TRUE(convertScene(input, document, console, quad ? Mode::quad : Mode::tri, inputPath));
    result.console = withLfLineBreaks(std::move(result.console));
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

} // namespace meshlift::detail::test
