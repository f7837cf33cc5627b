// Files from anywhere: random bytes, truncated exports, odd encodings, huge lines,
// odd paths and odd standard descriptors. Each case pins the exact document,
// console lines and exit code.
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::test {
namespace {

constexpr std::string_view kSceneEnd = "</scene>";
constexpr std::string_view kMissingVertex =
    "Error : not enought *MESH_VERTEX found in *MESH_VERTEX_LIST !\n";
constexpr std::string_view kMissingFace =
    "Error : not enought *MESH_FACE found in *MESH_FACE_LIST !\n";
constexpr std::string_view kMissingFaceList = "Error : no *MESH_FACE_LIST found in *MESH !\n";

std::string objectLine(std::string_view id, std::string_view colour) {
    return "<object id=" + std::string(id) + R"( Ka="1.0" Kd="0.8" Ks="0.15" color=")" +
           std::string(colour) + "\">";
}

std::string noObjectMessage(std::string_view path) {
    return "Error : no *GEOMOBJECT found in " + std::string(path) + "!\n";
}

// One small object: a named triangle with its colour after the mesh.
std::string triangleScene(std::string_view nameLine, std::string_view colourLine,
                          std::string_view faceLabel = "0:") {
    return "*GEOMOBJECT {\n" + std::string(nameLine) +
           "\n"
           "\t*MESH {\n"
           "\t\t*MESH_NUMVERTEX 3\n"
           "\t\t*MESH_NUMFACES 1\n"
           "\t\t*MESH_VERTEX_LIST {\n"
           "\t\t\t*MESH_VERTEX 0 0.0 0.0 0.0\n"
           "\t\t\t*MESH_VERTEX 1 1.0 0.0 0.0\n"
           "\t\t\t*MESH_VERTEX 2 0.0 1.0 0.0\n"
           "\t\t}\n"
           "\t\t*MESH_FACE_LIST {\n"
           "\t\t\t*MESH_FACE " +
           std::string(faceLabel) +
           " A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0\n"
           "\t\t}\n"
           "\t}\n" +
           std::string(colourLine) + "\n}\n";
}

std::vector<std::string> triangleBody(bool quad, std::string_view polygonId = "0") {
    const std::string polygon = "<polygon id=\"" + std::string(polygonId) + "\">";
    std::vector<std::string> lines = {"<nodes>",
                                      R"(<node id="0" xyz="0.0,0.0,0.0"/>)",
                                      R"(<node id="1" xyz="1.0,0.0,0.0"/>)",
                                      R"(<node id="2" xyz="0.0,1.0,0.0"/>)",
                                      "</nodes>",
                                      "<polygons>"};
    if (!quad) {
        lines.insert(lines.end(), {polygon, R"(<node id="2"/>)", R"(<node id="1"/>)",
                                   R"(<node id="0"/>)", "</polygon>"});
    }
    lines.push_back("</polygons>");
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::vector<std::string_view> views(lines.begin(), lines.end());
    return documentLines(views);
}

std::string triangleDocument(std::string_view id, std::string_view colour, bool quad,
                             std::string_view polygonId = "0") {
    std::vector<std::string> lines = {std::string(kSceneStart), objectLine(id, colour)};
    for (std::string& line : triangleBody(quad, polygonId))
        lines.push_back(std::move(line));
    lines.insert(lines.end(), {"</object>", std::string(kSceneEnd)});
    return joinLines(lines);
}

std::string emptySceneDocument() {
    return documentLines({kSceneStart, kSceneEnd});
}

struct Outcome {
    int exitCode = -1;
    std::string document;
    std::string console;
};

Outcome runOnFile(const TempDir& dir, std::string_view scene, const std::string& mode = "tri",
                  const std::string& redirections = "") {
    const std::string input = dir.file("scene.ASE");
    const std::string output = dir.file("scene.xml");
    writeFile(input, scene);
    std::filesystem::remove(output);
    const RunResult run = runMeshlift({input, output, mode}, redirections);
    return {run.exitCode, readFile(output), run.console};
}

// The same scene through the program and from memory, with the default window and
// with windows small enough to split keywords, lines and line ends.
void expectConversion(std::string_view scene, bool quad, const std::string& document,
                      const std::string& console) {
    for (std::size_t blockSize : {std::size_t{1} << 20, std::size_t{32}, std::size_t{4096}}) {
        const Conversion converted = convertInMemory(scene, quad, blockSize, "scene.ASE");
        EXPECT_EQ(converted.document, document) << "window " << blockSize;
        EXPECT_EQ(converted.console, console) << "window " << blockSize;
    }
    TempDir dir;
    const Outcome run = runOnFile(dir, scene, quad ? "quad" : "tri");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.document, document);
    std::string consoleOnDisk = console;
    const std::string memoryName = noObjectMessage("scene.ASE");
    if (const std::size_t at = consoleOnDisk.find(memoryName); at != std::string::npos)
        consoleOnDisk.replace(at, memoryName.size(), noObjectMessage(dir.file("scene.ASE")));
    EXPECT_EQ(run.console, consoleOnDisk);
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

TEST(HostileInput, RandomBytesGiveAnEmptyScene) {
    const std::string bytes = randomBytes(3 << 20, 20240607);
    expectConversion(bytes, false, emptySceneDocument(), noObjectMessage("scene.ASE"));
    expectConversion(bytes, true, emptySceneDocument(), noObjectMessage("scene.ASE"));
}

TEST(HostileInput, RandomBytesBeforeAnObjectDoNotDisturbIt) {
    const std::string junk = randomBytes(1 << 20, 7);
    const std::string scene =
        junk + "\n" + triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0") + junk;
    expectConversion(scene, false, triangleDocument("\"Box\"", "0xff8000", false), "");
    // A single face makes one pair whose second face is missing.
    expectConversion(scene, true, triangleDocument("\"Box\"", "0xff8000", true),
                     std::string(kMissingFace));
}

TEST(HostileInput, NulBytesAreOrdinaryBytesOfNamesAndTokens) {
    using namespace std::string_literals;
    const std::string scene = "*GEOMOBJECT {\n"
                              "*NODE_NAME \"B\0x\0\"\0\n"
                              "*MESH {\n"
                              "*MESH_NUMVERTEX 1\n"
                              "*MESH_NUMFACES 1\n"
                              "*MESH_VERTEX_LIST {\n"
                              "*MESH_VERTEX 0\0 1\0.5 \0 2\n"
                              "*MESH_FACE_LIST {\n"
                              "*MESH_FACE 0\0: A: \0 B: 1\0 C: 2\n"
                              "*WIREFRAME_COLOR 1.0\0 1.0 1.0\n"
                              "*GEOM\0OBJECT\n"s;
    // A NUL ends a number, so the colour reads 1.0 and then fails: 0xff0000.
    const std::string document = joinLines(
        {std::string(kSceneStart), objectLine("\"B\0x\0\""s, "0xff0000"), "<nodes>",
         "<node id=\"0\0\" xyz=\"1\0.5,\0,2\"/>"s, "</nodes>", "<polygons>",
         "<polygon id=\"0\0\">"s, "<node id=\"2\"/>", "<node id=\"1\0\"/>"s, "<node id=\"\0\"/>"s,
         "</polygon>", "</polygons>", "</object>", std::string(kSceneEnd)});
    expectConversion(scene, false, document, "");
}

TEST(HostileInput, HighBytesInNamesAreCopiedUnchanged) {
    const std::string name = "*NODE_NAME \"Caf\xc3\xa9 \xff\xfe<&>\x80\"";
    const std::string scene = triangleScene(name, "*WIREFRAME_COLOR 0 0 1");
    expectConversion(scene, false,
                     triangleDocument("\"Caf\xc3\xa9 \xff\xfe<&>\x80\"", "0xff", false), "");
}

TEST(HostileInput, HighBytesInPathsReachFileSystemAndMessagesUnchanged) {
    TempDir dir;
    const std::string input = dir.file("sc\xe8ne-\xff.ASE");
    const std::string output = dir.file("out-\xc3\xa9\xfe.xml");
    writeFile(input, "no objects here\n");
    const RunResult run = runMeshlift({input, output});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, noObjectMessage(input));
    EXPECT_EQ(readFile(output), emptySceneDocument());

    const std::string missing = dir.file("missing-\xa0\xfe.ASE");
    const RunResult notOpened = runMeshlift({missing, output});
    EXPECT_EQ(notOpened.exitCode, 1);
    EXPECT_EQ(notOpened.console, "Error opening file : " + missing + " !\n");
}

// Runs the program and returns its peak resident memory in kilobytes, or -1 when
// the run failed; `console` receives the program's console lines.
long peakMemoryOfRun(const std::vector<std::string>& arguments, std::string& console) {
    std::string command = shellQuote(MESHLIFT_PEAK_MEMORY) + " " + shellQuote(MESHLIFT_BINARY);
    for (const std::string& argument : arguments)
        command.append(" ").append(shellQuote(argument));
    const RunResult run = runShell(command);
    const std::size_t lastLine = run.console.rfind('\n', run.console.size() - 2);
    const std::size_t peakAt = lastLine == std::string::npos ? 0 : lastLine + 1;
    if (run.exitCode != 0 || run.console.size() < 2) return -1;
    console = run.console.substr(0, peakAt);
    return std::stol(run.console.substr(peakAt));
}

constexpr std::size_t kHugeLine = 50u << 20;

// CR alone does not end a line: 50 MB of scene lines ending in CR are one line.
// Appended in pieces, so that the test itself never holds the whole line.
void appendCrOnlyFiller(const std::string& path, std::size_t size) {
    const std::string_view line = "\t\t\t*MESH_VERTEX    0\t-10.0000\t-10.0000\t0.0000\r";
    std::string piece;
    while (piece.size() < (1 << 20))
        piece.append(line);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (std::size_t left = size; left > 0;) {
        const std::size_t n = std::min(left, piece.size());
        out.write(piece.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
}

// Peak memory of a run on a tiny scene: what the program and its runtime (a
// sanitizer's, for one) cost whatever the input.
long baselinePeakKb(const TempDir& dir) {
    writeFile(dir.file("tiny.ASE"), "*COMMENT\n");
    std::string console;
    return peakMemoryOfRun({dir.file("tiny.ASE"), dir.file("tiny.xml")}, console);
}

// Memory in proportion to the longest matched line, not to the input: a line that
// matches nothing is never held whole, and one that matches is held about once.
TEST(HostileInput, HugeCrOnlyLineWithoutKeywordKeepsMemoryBounded) {
    TempDir dir;
    const std::string input = dir.file("huge.ASE");
    appendCrOnlyFiller(input, kHugeLine);
    std::string console;
    const long peakKb = peakMemoryOfRun({input, dir.file("huge.xml")}, console);
    RecordProperty("peak_kb", std::to_string(peakKb));
    ASSERT_GT(peakKb, 0) << "the run failed";
    EXPECT_EQ(readFile(dir.file("huge.xml")), emptySceneDocument());
    EXPECT_EQ(console, noObjectMessage(input));
    const long baselineKb = baselinePeakKb(dir);
    ASSERT_GT(baselineKb, 0);
    EXPECT_LT((peakKb - baselineKb) * 1024, static_cast<long>(kHugeLine / 4))
        << peakKb << " kB against " << baselineKb << " kB";
}

TEST(HostileInput, HugeCrOnlyLineWithKeywordIsTheOnlyLine) {
    TempDir dir;
    const std::string input = dir.file("huge.ASE");
    appendCrOnlyFiller(input, kHugeLine / 2);
    {
        std::ofstream out(input, std::ios::binary | std::ios::app);
        out << "*GEOMOBJECT {\r\t*NODE_NAME \"Box\"\r\t*MESH {\r";
    }
    appendCrOnlyFiller(input, kHugeLine / 2);
    std::string console;
    const long peakKb = peakMemoryOfRun({input, dir.file("huge.xml")}, console);
    RecordProperty("peak_kb", std::to_string(peakKb));
    ASSERT_GT(peakKb, 0) << "the run failed";
    // The object's line held the whole input: no name, no colour, no mesh after it.
    EXPECT_EQ(console, "Error : no *MESH found in *GEOMOBJECT !\n");
    EXPECT_EQ(readFile(dir.file("huge.xml")),
              joinLines({std::string(kSceneStart), objectLine("\"obj_0\"", "0xAAAAAA"), "</object>",
                         std::string(kSceneEnd)}));
    const long baselineKb = baselinePeakKb(dir);
    ASSERT_GT(baselineKb, 0);
    EXPECT_LT((peakKb - baselineKb) * 1024, static_cast<long>(4 * kHugeLine))
        << peakKb << " kB against " << baselineKb << " kB";
}

TEST(HostileInput, EndMarkAsFirstByteGivesAnEmptyInput) {
    const std::string scene = std::string("\x1a").append(
        triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0"));
    expectConversion(scene, false, emptySceneDocument(), noObjectMessage("scene.ASE"));
    expectConversion(scene, true, emptySceneDocument(), noObjectMessage("scene.ASE"));
}

std::string countedObject(std::string_view name, std::string_view vertexCount,
                          std::string_view faceCount) {
    return "*GEOMOBJECT {\n*NODE_NAME \"" + std::string(name) + "\"\n*MESH {\n*MESH_NUMVERTEX " +
           std::string(vertexCount) + "\n*MESH_NUMFACES " + std::string(faceCount) +
           "\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1 2 3\n*MESH_VERTEX 1 4 5 6\n}\n"
           "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 1 C: 0 AB: 1 BC: 0 CA: 0\n"
           "*MESH_FACE 1: A: 1 B: 0 C: 1 AB: 1 BC: 0 CA: 0\n}\n}\n}\n";
}

TEST(HostileInput, CountsAtAndBeyondThe32BitLimits) {
    // A count outside 32 bits does not read; the previous object's count stays.
    const std::string scene = countedObject("A", "1", "1") +
                              countedObject("B", "2147483648", "2147483648") +
                              countedObject("C", "-2147483648", "-2147483648") +
                              countedObject("D", "-2147483649", "99999999999");
    const std::string oneNode = R"(<node id="0" xyz="1,2,3"/>)";
    const std::vector<std::string> tri = {"<polygon id=\"0\">", R"(<node id="0"/>)",
                                          R"(<node id="1"/>)", R"(<node id="0"/>)", "</polygon>"};
    const std::vector<std::string> quad = {"<polygon id=\"0\">", R"(<node id="0"/>)",
                                           R"(<node id="1"/>)",  R"(<node id="1"/>)",
                                           R"(<node id="0"/>)",  "</polygon>"};
    for (bool isQuad : {false, true}) {
        std::vector<std::string> lines = {std::string(kSceneStart)};
        for (std::string_view name : {"A", "B", "C", "D"}) {
            const bool counted = name == "A" || name == "B";
            lines.push_back(objectLine(std::string("\"").append(name).append("\""), "0xAAAAAA"));
            lines.push_back("<nodes>");
            if (counted) lines.push_back(oneNode);
            lines.insert(lines.end(), {"</nodes>", "<polygons>"});
            if (counted) {
                const auto& polygon = isQuad ? quad : tri;
                lines.insert(lines.end(), polygon.begin(), polygon.end());
            }
            lines.insert(lines.end(), {"</polygons>", "</object>"});
        }
        lines.push_back(std::string(kSceneEnd));
        expectConversion(scene, isQuad, joinLines(lines), "");
    }
}

TEST(HostileInput, HugeVertexCountWithThreeVertexLines) {
    const std::string scene = "*GEOMOBJECT {\n*NODE_NAME \"Big\"\n*MESH {\n"
                              "*MESH_NUMVERTEX 100000\n*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n"
                              "*MESH_VERTEX 0 0 0 0\n*MESH_VERTEX 1 1 0 0\n*MESH_VERTEX 2 0 1 0\n"
                              "}\n*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 1 C: 2\n}\n}\n}\n";
    TempDir dir;
    const Outcome run = runOnFile(dir, scene);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.document,
              joinLines({std::string(kSceneStart), objectLine("\"Big\"", "0xAAAAAA"), "<nodes>",
                         R"(<node id="0" xyz="0,0,0"/>)", R"(<node id="1" xyz="1,0,0"/>)",
                         R"(<node id="2" xyz="0,1,0"/>)", "</nodes>", "</object>",
                         std::string(kSceneEnd)}));
    std::string console;
    for (int i = 0; i < 99'997; ++i)
        console += kMissingVertex;
    console += kMissingFaceList;
    EXPECT_EQ(run.console, console);
}

TEST(HostileInput, ColourComponentsNearTheFloatLimit) {
    struct Case {
        std::string_view colourLine, colour;
    };
    // 1e38 fits a float but times 255 it does not: the component saturates.
    // 3.5e38 does not fit a float: it stays 0 and the rest of the line fails.
    for (const Case& c : {Case{"*WIREFRAME_COLOR 0 0 1e38", "0x7fffffff"},
                          Case{"*WIREFRAME_COLOR 1e38 0 0", "0xffff0000"},
                          Case{"*WIREFRAME_COLOR 0 0 -1e38", "0x80000000"},
                          Case{"*WIREFRAME_COLOR 3.5e38 1 1", "0x0"},
                          Case{"*WIREFRAME_COLOR 1 1 3.5e38", "0xffff00"},
                          Case{"*WIREFRAME_COLOR 1 1 -3.5e38", "0xffff00"},
                          Case{"*WIREFRAME_COLOR 1e-400 1 1", "0xffff"}}) {
        SCOPED_TRACE(c.colourLine);
        const std::string scene = triangleScene("*NODE_NAME \"Box\"", c.colourLine);
        expectConversion(scene, false, triangleDocument("\"Box\"", c.colour, false), "");
    }
}

TEST(HostileInput, FaceLabelsMadeOfColons) {
    struct Case {
        std::string_view label, polygonId;
    };
    for (const Case& c : {Case{":", ""}, Case{"::", ":"}, Case{"7", "7"}}) {
        SCOPED_TRACE(c.label);
        const std::string scene = triangleScene("*NODE_NAME \"Box\"", "", c.label);
        expectConversion(scene, false, triangleDocument("\"Box\"", "0xAAAAAA", false, c.polygonId),
                         "");
    }
}

TEST(HostileInput, QuadLabelsMadeOfColons) {
    struct Case {
        std::string_view label, polygonId;
    };
    for (const Case& c : {Case{":", ""}, Case{"::", ":"}, Case{"7", "7"}}) {
        SCOPED_TRACE(c.label);
        const std::string scene = "*GEOMOBJECT {\n*NODE_NAME \"Q\"\n*MESH {\n*MESH_NUMVERTEX 0\n"
                                  "*MESH_NUMFACES 2\n*MESH_VERTEX_LIST {\n}\n*MESH_FACE_LIST {\n"
                                  "*MESH_FACE " +
                                  std::string(c.label) +
                                  " A: 0 B: 1 C: 2 AB: 1 BC: 0 CA: 0\n"
                                  "*MESH_FACE :: A: 2 B: 3 C: 0 AB: 0 BC: 0 CA: 1\n}\n}\n}\n";
        const std::string document = joinLines(
            {std::string(kSceneStart), objectLine("\"Q\"", "0xAAAAAA"), "<nodes>", "</nodes>",
             "<polygons>", "<polygon id=\"" + std::string(c.polygonId) + "\">", R"(<node id="2"/>)",
             R"(<node id="0"/>)", R"(<node id="1"/>)", R"(<node id="0"/>)", "</polygon>",
             "</polygons>", "</object>", std::string(kSceneEnd)});
        expectConversion(scene, true, document, "");
    }
}

TEST(HostileInput, NameLinesWithOneQuoteOrNone) {
    struct Case {
        std::string_view nameLine, id;
    };
    for (const Case& c :
         {Case{"\t*NODE_NAME \"Box01", "\""}, Case{"\t*NODE_NAME Box01\t ", "\"Box01\""},
          Case{"\t*NODE_NAME   Box 01 ", "\"Box 01\""}, Case{"\t*NODE_NAME", "\"\""},
          Case{"x\" *NODE_NAME", "\""}}) {
        SCOPED_TRACE(c.nameLine);
        const std::string scene = triangleScene(c.nameLine, "*WIREFRAME_COLOR 1.0 0.5 0.0");
        expectConversion(scene, false, triangleDocument(c.id, "0xff8000", false), "");
    }
}

TEST(HostileInput, LastLineWithoutLineEnd) {
    // The colour line is the last line and has no LF.
    std::string scene = triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0");
    scene.erase(scene.size() - std::string_view("\n}\n").size());
    expectConversion(scene, false, triangleDocument("\"Box\"", "0xff8000", false), "");
    expectConversion(scene, true, triangleDocument("\"Box\"", "0xff8000", true),
                     std::string(kMissingFace));

    // The face line is the last line, with CR LF line ends before it.
    const std::string crlf = "*GEOMOBJECT\r\n*NODE_NAME \"T\"\r\n*MESH\r\n*MESH_NUMVERTEX 0\r\n"
                             "*MESH_NUMFACES 1\r\n*MESH_VERTEX_LIST\r\n*MESH_FACE_LIST\r\n"
                             "*MESH_FACE 4: A: 1 B: 2 C: 3";
    expectConversion(crlf, false,
                     joinLines({std::string(kSceneStart), objectLine("\"T\"", "0xAAAAAA"),
                                "<nodes>", "</nodes>", "<polygons>", "<polygon id=\"4\">",
                                R"(<node id="3"/>)", R"(<node id="2"/>)", R"(<node id="1"/>)",
                                "</polygon>", "</polygons>", "</object>", std::string(kSceneEnd)}),
                     "");
}

const std::string kNamedTriangle =
    triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0");

TEST(HostileOutput, OutputThatIsTheInputThroughALinkIsRefused) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    const std::string link = dir.file("link.xml");
    writeFile(input, kNamedTriangle);
    std::filesystem::create_symlink(input, link);
    for (const std::string& output : {link, input}) {
        const RunResult run = runMeshlift({input, output});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, "Error creating file : " + output + " !\n");
        EXPECT_EQ(readFile(input), kNamedTriangle);
    }
    // The same through a link on the input side.
    const RunResult reversed = runMeshlift({link, input});
    EXPECT_EQ(reversed.exitCode, 1);
    EXPECT_EQ(reversed.console, "Error creating file : " + input + " !\n");
    EXPECT_EQ(readFile(input), kNamedTriangle);
}

TEST(HostileOutput, OutputThatIsADirectoryIsRefused) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, kNamedTriangle);
    const std::string output = dir.path().string();
    for (const std::string& path : {output, output + "/"}) {
        const RunResult run = runMeshlift({input, path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, "Error creating file : " + path + " !\n");
    }
}

TEST(HostileOutput, FailedWritesAreReported) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, kNamedTriangle);
    const RunResult run = runMeshlift({input, "/dev/full"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.console, "Error writing file : /dev/full !\n");
}

// Runs the program with the document going to a pipe, and returns what came out of
// the pipe (document and console lines together) and the program's exit code.
Outcome runIntoPipe(const TempDir& dir, const std::string& input) {
    const std::string exitFile = dir.file("exit-code");
    const RunResult run = runShell("{ " + shellQuote(MESHLIFT_BINARY) + " " + shellQuote(input) +
                                   " /dev/stdout; echo $? > " + shellQuote(exitFile) + "; } | cat");
    std::string code = readFile(exitFile);
    return {code.empty() ? -1 : std::stoi(code), run.console, ""};
}

TEST(HostileOutput, PipeGivesTheSameBytesAsAFile) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    const std::string scene = kNamedTriangle + kNamedTriangle;
    writeFile(input, scene);
    const RunResult toFile = runMeshlift({input, dir.file("scene.xml")});
    ASSERT_EQ(toFile.exitCode, 0);
    ASSERT_EQ(toFile.console, "");
    const Outcome piped = runIntoPipe(dir, input);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.document, readFile(dir.file("scene.xml")));
}

TEST(HostileOutput, DocumentOnStandardOutputInterleavesWithConsoleLinesInOrder) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, "*GEOMOBJECT\n*NODE_NAME \"P\"\n*MESH\n*MESH_NUMVERTEX 3\n*MESH_NUMFACES 1\n"
                     "*MESH_VERTEX_LIST\n*MESH_VERTEX 0 1 2 3\n*MESH_VERTEX 1 4 5 6\n");
    const Outcome piped = runIntoPipe(dir, input);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.document, std::string(kSceneStart) + "\r\n" + objectLine("\"P\"", "0xAAAAAA") +
                                  "\r\n<nodes>\r\n" + "<node id=\"0\" xyz=\"1,2,3\"/>\r\n" +
                                  "<node id=\"1\" xyz=\"4,5,6\"/>\r\n" +
                                  std::string(kMissingVertex) + "</nodes>\r\n" +
                                  std::string(kMissingFaceList) + "</object>\r\n</scene>\r\n");

    // Standard output redirected to a file that the output path also names.
    const std::string out = dir.file("out.xml");
    const std::string stale(4096, 'x');
    // Truncated by the shell (">"), or by the program ("1<>" opens without truncating).
    for (const std::string& redirection : {"> " + shellQuote(out), "1<> " + shellQuote(out)}) {
        for (const std::string& named : {std::string("/dev/stdout"), out}) {
            writeFile(out, stale);
            const RunResult run = runMeshlift({input, named}, redirection);
            EXPECT_EQ(run.exitCode, 0) << redirection << " " << named;
            EXPECT_EQ(readFile(out), piped.document) << redirection << " " << named;
        }
    }
    writeFile(out, "earlier log\n");
    const RunResult appended = runMeshlift({input, "/dev/stdout"}, ">> " + shellQuote(out));
    EXPECT_EQ(appended.exitCode, 0);
    EXPECT_EQ(readFile(out), "earlier log\n" + piped.document);
}

// Runs `program` under strace after `before` (a shell pipe's first part, say) and
// returns how often it called `systemCall`, or makes its call number `failing` of
// that kind fail with EIO.
std::string straced(const std::string& before, const std::string& systemCall,
                    const std::string& log, int failing, const std::string& program) {
    const std::string inject =
        failing > 0 ? " -e inject=" + systemCall + ":error=EIO:when=" + std::to_string(failing)
                    : "";
    // The sanitizer build's leak check cannot run under a tracer.
    return before +
           "ASAN_OPTIONS=detect_leaks=0 strace -f --seccomp-bpf -qq -e trace=" + systemCall +
           inject + " -o " + shellQuote(log) + " " + program;
}

int countSystemCalls(const std::string& before, const std::string& systemCall,
                     const std::string& program, const TempDir& dir) {
    const std::string log = dir.file("strace.log");
    if (runShell(straced(before, systemCall, log, 0, program)).exitCode != 0) return -1;
    const std::string calls = readFile(log);
    return static_cast<int>(std::count(calls.begin(), calls.end(), '\n'));
}

// A failing disk, simulated by strace: the input's last read fails with EIO, in a
// file and in a pipe that is being copied aside.
TEST(HostileInput, ReadErrorStopsTheConversionAndFailsTheRun) {
    if (runShell("strace -o /dev/null true").exitCode != 0) GTEST_SKIP() << "no strace";
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    std::string scene;
    while (scene.size() < (3u << 19))
        scene += kNamedTriangle;
    writeFile(input, scene);
    const std::string output = dir.file("scene.xml");
    const std::string log = dir.file("strace.log");
    const std::string program =
        shellQuote(MESHLIFT_BINARY) + " " + shellQuote(input) + " " + shellQuote(output);
    const int reads = countSystemCalls("", "pread64", program, dir);
    ASSERT_GT(reads, 0);
    const std::string whole = readFile(output);

    const RunResult failed = runShell(straced("", "pread64", log, reads, program));
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.console, "Error reading file : " + input + " !\n");
    const std::string cut = readFile(output);
    EXPECT_LT(cut.size(), whole.size());
    EXPECT_EQ(whole.compare(0, cut.size(), cut), 0);
    EXPECT_TRUE(cut.ends_with("\r\n")); // whole lines, without the scene end line

    const std::string cat = "cat " + shellQuote(input) + " | ";
    const std::string fromPipe =
        shellQuote(MESHLIFT_BINARY) + " /dev/stdin " + shellQuote(dir.file("piped.xml"));
    const int streamReads = countSystemCalls(cat, "read", fromPipe, dir);
    ASSERT_GT(streamReads, 0);
    const RunResult pipeFailed = runShell(straced(cat, "read", log, streamReads, fromPipe));
    EXPECT_EQ(pipeFailed.exitCode, 1);
    EXPECT_EQ(pipeFailed.console, "Error reading file : /dev/stdin !\n");
}

TEST(HostileInput, PipedInputGivesTheSameBytesAsAFile) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    // Colour lines after the meshes make the look-ahead go back in a pipe too.
    const std::string scene = randomBytes(3 << 20, 99) + "\n" + kNamedTriangle +
                              triangleScene("*NODE_NAME \"Two\"", "*WIREFRAME_COLOR 0 0 1") +
                              "*GEOMOBJECT\n";
    writeFile(input, scene);
    const RunResult fromFile = runMeshlift({input, dir.file("file.xml")});
    const RunResult fromPipe =
        runShell("cat " + shellQuote(input) + " | " + shellQuote(MESHLIFT_BINARY) + " /dev/stdin " +
                 shellQuote(dir.file("pipe.xml")));
    EXPECT_EQ(fromFile.exitCode, 0);
    EXPECT_EQ(fromPipe.exitCode, 0);
    EXPECT_EQ(fromPipe.console, fromFile.console);
    EXPECT_EQ(readFile(dir.file("pipe.xml")), readFile(dir.file("file.xml")));
    EXPECT_EQ(fromFile.console, "Error : no *MESH found in *GEOMOBJECT !\n");
}

TEST(HostileStart, ClosedStandardDescriptorsKeepConsoleOutOfTheDocument) {
    // The scene writes error lines; none of them may end up in the document.
    const std::string scene = "*GEOMOBJECT\n*NODE_NAME \"P\"\n*MESH\n*MESH_NUMVERTEX 2\n"
                              "*MESH_NUMFACES 0\n*MESH_VERTEX_LIST\n*MESH_VERTEX 0 1 2 3\n";
    const std::string document = joinLines(
        {std::string(kSceneStart), objectLine("\"P\"", "0xAAAAAA"), "<nodes>",
         R"(<node id="0" xyz="1,2,3"/>)", "</nodes>", "</object>", std::string(kSceneEnd)});
    const std::string console = std::string(kMissingVertex) + std::string(kMissingFaceList);
    for (const std::string redirections : {"<&-", ">&-", "<&- >&-", "<&- >&- 2>&-"}) {
        SCOPED_TRACE(redirections);
        TempDir dir;
        const Outcome run = runOnFile(dir, scene, "tri", redirections);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.document, document);
        const bool consoleClosed = redirections.find(">&-") != std::string::npos;
        EXPECT_EQ(run.console, consoleClosed ? "" : console);
    }
}

} // namespace
} // namespace meshlift::test
