#pragma once

// What the cases of every platform share: temporary folders and program runs, the one
// result of a conversion whichever way it ran, the one scene builder, and the lines
// that documents and consoles are expected to hold.
#include "ase/input_reader.h"
#include "meshlift/meshlift.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail::test {

// The library's types, by their short names wherever these helpers are used.
using meshlift::LineCallback;
using meshlift::LineKind;
using meshlift::Mode;

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

// The regular files of a folder, sorted; none when the folder does not exist (the
// corpus of real exports beside the tree may not).
[[nodiscard]] std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder);

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

// The exit codes of the programs and of the library's results: a run that converted
// (also a scene with missing records), and one that failed (a file could not be
// opened, read, created or written).
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Both modes, for the cases that hold in each.
inline constexpr Mode kModes[] = {Mode::tri, Mode::quad};

// The mode as the program's command line names it.
[[nodiscard]] std::string modeWord(Mode mode);

// What one conversion gave, whichever way it ran: through the program, a library call
// or the in-memory loop. Console line breaks are LF on every platform.
struct Conversion {
    int exitCode = -1;
    std::string document;
    std::string console;
};

// The in-memory loop, with windows of `blockSize` bytes.
[[nodiscard]] Conversion convertInMemory(std::string_view scene, Mode mode,
                                         std::size_t blockSize = InputReader::kBlockSize,
                                         std::string_view inputPath = "scene.ASE");

// The program, on `scene` written to scene.ASE in `dir`, into scene.xml there.
[[nodiscard]] Conversion convertWithProgram(const TempDir& dir, std::string_view scene, Mode mode);

// A library callback that appends every line to `into`, console lines with LF.
[[nodiscard]] LineCallback collect(Conversion& into);

// A library reader of `bytes` that gives at most 7 bytes a read, so that every read
// is short; `reads`, when given, counts the calls.
[[nodiscard]] meshlift::SceneReader shortReader(const std::string& bytes, int* reads = nullptr);

// Joins lines with CR LF after each, as the document writes them.
[[nodiscard]] std::string documentLines(const std::vector<std::string_view>& lines);

inline constexpr std::string_view kSceneStart =
    R"(<scene camera="400,0,0" lookAt="0,0,0" up="0,0,1" angle="50" width="443" height="443" near="0.1" Ia="0.5" Il="1.0">)";
inline constexpr std::string_view kSceneEnd = "</scene>";

// An object's start line; `id` with its quotes, as the name line gives them.
[[nodiscard]] std::string objectLine(std::string_view id, std::string_view colour);

// The document of a scene without objects.
[[nodiscard]] std::string emptySceneDocument();

// Console lines as the program writes them.
inline constexpr std::string_view kMissingMesh = "Error : no *MESH found in *GEOMOBJECT !\n";
inline constexpr std::string_view kMissingVertex =
    "Error : not enought *MESH_VERTEX found in *MESH_VERTEX_LIST !\n";
inline constexpr std::string_view kMissingFace =
    "Error : not enought *MESH_FACE found in *MESH_FACE_LIST !\n";
inline constexpr std::string_view kMissingFaceList =
    "Error : no *MESH_FACE_LIST found in *MESH !\n";
[[nodiscard]] std::string noObjectLine(std::string_view path);
[[nodiscard]] std::string openingError(std::string_view path);
[[nodiscard]] std::string creatingError(std::string_view path);
[[nodiscard]] std::string readingError(std::string_view path);
[[nodiscard]] std::string writingError(std::string_view path);

// One *GEOMOBJECT block in the layout exporters write, indented with tabs: its name
// line, vertex lines (each after "*MESH_VERTEX "), face lines (each after
// "*MESH_FACE ") and colour line after the mesh. Each line is as given, so that a case
// can spoil any of them; an empty one is left out. The counts are the lists' sizes
// unless given.
[[nodiscard]] std::string
sceneObject(std::string_view nameLine, const std::vector<std::string>& vertices,
            const std::vector<std::string>& faces, std::string_view colourLine = "",
            std::string_view vertexCount = "", std::string_view faceCount = "");

// A triangle with corners (0,0,0), (1,0,0) and (0,1,0), and its name line, colour line
// and face label as given.
[[nodiscard]] std::string triangleScene(std::string_view nameLine, std::string_view colourLine,
                                        std::string_view faceLabel = "0:");
inline const std::string kNamedTriangle =
    triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0");

// The triangle "T" on one vertex, which converts without a console line, and its
// document in tri mode.
inline const std::string kCleanScene =
    sceneObject("*NODE_NAME \"T\"", {"0 1 2 3"}, {"0: A: 0 B: 0 C: 0 AB: 1 BC: 0 CA: 0"},
                "*WIREFRAME_COLOR 1 1 1");
inline const std::string kCleanTriDocument = documentLines(
    {kSceneStart, objectLine("\"T\"", "0xffffff"), "<nodes>", R"(<node id="0" xyz="1,2,3"/>)",
     "</nodes>", "<polygons>", R"(<polygon id="0">)", R"(<node id="0"/>)", R"(<node id="0"/>)",
     R"(<node id="0"/>)", "</polygon>", "</polygons>", "</object>", kSceneEnd});

// The same triangle one vertex short, so that a console line comes between document
// lines.
inline const std::string kVertexShortScene =
    sceneObject("*NODE_NAME \"T\"", {"0 1 2 3"}, {"0: A: 0 B: 0 C: 0 AB: 1 BC: 0 CA: 0"},
                "*WIREFRAME_COLOR 1 1 1", "2");

// The document of one triangleScene() with this id and colour.
[[nodiscard]] std::string triangleDocument(std::string_view id, std::string_view colour, Mode mode,
                                           std::string_view polygonId = "0");

// Expects the document and console lines of `scene` from memory, with the default
// window and with windows small enough to split keywords, lines and line ends, and
// through the program.
void expectConversion(std::string_view scene, Mode mode, const std::string& document,
                      const std::string& console);

// Names pass through the program unchanged: a scene named `sceneName` in `dir`
// converts into `documentName` there, and the console names it, and a missing
// `missingName`, byte for byte as given.
void expectNamesUnchanged(const TempDir& dir, std::string_view sceneName,
                          std::string_view documentName, std::string_view missingName);

// A folder that holds the clean scene as `input`, with `output` a free name beside it.
class SceneInFolder : public ::testing::Test {
  protected:
    void SetUp() override { writeFile(input, kCleanScene); }
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    const std::string output = dir.file("scene.xml");
};

// Bytes without an end mark and without "*", so that no keyword occurs by chance.
[[nodiscard]] std::string randomBytes(std::size_t size, std::uint32_t seed);

} // namespace meshlift::detail::test
