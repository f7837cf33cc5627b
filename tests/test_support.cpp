#include "test_support.h"

#include "ase/input_reader.h"
#include "platform/file_system.h"
#include "scene/line_sink.h"
#include "scene/scene_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
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

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::is_directory(folder)) return files;
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string modeWord(Mode mode) {
    return mode == Mode::quad ? "quad" : "tri";
}

Conversion convertInMemory(std::string_view scene, Mode mode, std::size_t blockSize,
                           std::string_view inputPath) {
    Conversion result;
    InputReader input;
    openInputMemory(input, scene, blockSize);
    LineSink document = memorySink(result.document);
    LineSink console = memorySink(result.console);
    const bool converted = convertScene(input, document, console, mode, inputPath);
    EXPECT_TRUE(converted); // memory never fails
    result.exitCode = converted ? kExitSuccess : kExitFailure;
    result.console = withLfLineBreaks(std::move(result.console));
    return result;
}

Conversion convertWithProgram(const TempDir& dir, std::string_view scene, Mode mode) {
    const std::string input = dir.file("scene.ASE");
    const std::string output = dir.file("scene.xml");
    writeFile(input, scene);
    std::filesystem::remove(pathOf(output));
    const RunResult run = runMeshlift({input, output, modeWord(mode)});
    return {run.exitCode, readFile(output), run.console};
}

LineCallback collect(Conversion& into) {
    return [&into](LineKind kind, std::string_view line) {
        if (kind == LineKind::document)
            into.document.append(line);
        else
            into.console.append(withLfLineBreaks(std::string(line)));
    };
}

meshlift::SceneReader shortReader(const std::string& bytes, int* reads) {
    meshlift::SceneReader scene;
    scene.size = bytes.size();
    scene.readAt = [&bytes, reads](std::uint64_t offset, char* data, std::size_t capacity) {
        if (reads != nullptr) ++*reads;
        if (offset >= bytes.size()) return std::ptrdiff_t{0};
        const std::size_t size = std::min<std::size_t>({7, capacity, bytes.size() - offset});
        bytes.copy(data, size, offset);
        return static_cast<std::ptrdiff_t>(size);
    };
    return scene;
}

std::string documentLines(const std::vector<std::string_view>& lines) {
    std::string joined;
    for (std::string_view line : lines) {
        joined.append(line);
        joined.append("\r\n");
    }
    return joined;
}

std::string objectLine(std::string_view id, std::string_view colour) {
    return "<object id=" + std::string(id) + R"( Ka="1.0" Kd="0.8" Ks="0.15" color=")" +
           std::string(colour) + "\">";
}

std::string emptySceneDocument() {
    return documentLines({kSceneStart, kSceneEnd});
}

std::string noObjectLine(std::string_view path) {
    return "Error : no *GEOMOBJECT found in " + std::string(path) + "!\n";
}

std::string openingError(std::string_view path) {
    return "Error opening file : " + std::string(path) + " !\n";
}

std::string creatingError(std::string_view path) {
    return "Error creating file : " + std::string(path) + " !\n";
}

std::string readingError(std::string_view path) {
    return "Error reading file : " + std::string(path) + " !\n";
}

std::string writingError(std::string_view path) {
    return "Error writing file : " + std::string(path) + " !\n";
}

std::string sceneObject(std::string_view nameLine, const std::vector<std::string>& vertices,
                        const std::vector<std::string>& faces, std::string_view colourLine,
                        std::string_view vertexCount, std::string_view faceCount) {
    const auto line = [](std::string_view text) {
        return text.empty() ? std::string() : std::string(text) + "\n";
    };
    std::string text = "*GEOMOBJECT {\n" + line(nameLine) + "\t*MESH {\n";
    text += "\t\t*MESH_NUMVERTEX " +
            (vertexCount.empty() ? std::to_string(vertices.size()) : std::string(vertexCount)) +
            "\n";
    text += "\t\t*MESH_NUMFACES " +
            (faceCount.empty() ? std::to_string(faces.size()) : std::string(faceCount)) + "\n";
    text += "\t\t*MESH_VERTEX_LIST {\n";
    for (const std::string& vertex : vertices)
        text += "\t\t\t*MESH_VERTEX " + vertex + "\n";
    text += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
    for (const std::string& face : faces)
        text += "\t\t\t*MESH_FACE " + face + "\n";
    return text + "\t\t}\n\t}\n" + line(colourLine) + "}\n";
}

std::string triangleScene(std::string_view nameLine, std::string_view colourLine,
                          std::string_view faceLabel) {
    return sceneObject(nameLine, {"0 0.0 0.0 0.0", "1 1.0 0.0 0.0", "2 0.0 1.0 0.0"},
                       {std::string(faceLabel) + " A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0"}, colourLine);
}

std::string triangleDocument(std::string_view id, std::string_view colour, Mode mode,
                             std::string_view polygonId) {
    const std::string start = objectLine(id, colour);
    const std::string polygon = "<polygon id=\"" + std::string(polygonId) + "\">";
    std::vector<std::string_view> lines = {kSceneStart,
                                           start,
                                           "<nodes>",
                                           R"(<node id="0" xyz="0.0,0.0,0.0"/>)",
                                           R"(<node id="1" xyz="1.0,0.0,0.0"/>)",
                                           R"(<node id="2" xyz="0.0,1.0,0.0"/>)",
                                           "</nodes>",
                                           "<polygons>"};
    // In quad mode the one face is a pair without its second face: no polygon.
    if (mode == Mode::tri) {
        lines.insert(lines.end(), {polygon, R"(<node id="2"/>)", R"(<node id="1"/>)",
                                   R"(<node id="0"/>)", "</polygon>"});
    }
    lines.insert(lines.end(), {"</polygons>", "</object>", kSceneEnd});
    return documentLines(lines);
}

void expectConversion(std::string_view scene, Mode mode, const std::string& document,
                      const std::string& console) {
    for (std::size_t blockSize : {InputReader::kBlockSize, std::size_t{32}, std::size_t{4096}}) {
        const Conversion converted = convertInMemory(scene, mode, blockSize, "scene.ASE");
        EXPECT_EQ(converted.document, document) << "window " << blockSize;
        EXPECT_EQ(converted.console, console) << "window " << blockSize;
    }
    TempDir dir;
    const Conversion run = convertWithProgram(dir, scene, mode);
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.document, document);
    // The program names the file as given where the memory's name stands.
    std::string consoleOnDisk = console;
    const std::string memoryName = noObjectLine("scene.ASE");
    if (const std::size_t at = consoleOnDisk.find(memoryName); at != std::string::npos)
        consoleOnDisk.replace(at, memoryName.size(), noObjectLine(dir.file("scene.ASE")));
    EXPECT_EQ(run.console, consoleOnDisk);
}

void expectNamesUnchanged(const TempDir& dir, std::string_view sceneName,
                          std::string_view documentName, std::string_view missingName) {
    const std::string scene = dir.file(sceneName);
    const std::string document = dir.file(documentName);
    writeFile(scene, "no objects here\n");
    const RunResult run = runMeshlift({scene, document});
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, noObjectLine(scene));
    EXPECT_EQ(readFile(document), emptySceneDocument());

    const std::string missing = dir.file(missingName);
    const RunResult notOpened = runMeshlift({missing, document});
    EXPECT_EQ(notOpened.exitCode, kExitFailure);
    EXPECT_EQ(notOpened.console, openingError(missing));
}

std::string randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(byte(generator));
        if (c == '\x1a') c = '\x1b'; // an end mark would hide the rest of the input
        if (c == '*') c = '+';       // and without "*" no keyword can occur by chance
    }
    return bytes;
}

} // namespace meshlift::detail::test
