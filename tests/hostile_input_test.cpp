// Files from anywhere: random bytes, truncated exports, odd encodings, huge counts
// and odd outputs. Each case pins the exact document, console lines and exit code.
// The cases that need a POSIX system are in hostile_posix_test.cpp.
#include "hostile_scenes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail::test {
namespace {

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

std::string triangleDocument(std::string_view id, std::string_view colour, bool quad,
                             std::string_view polygonId = "0") {
    std::vector<std::string> lines = {std::string(kSceneStart), objectLine(id, colour)};
    for (std::string& line : triangleBody(quad, polygonId))
        lines.push_back(std::move(line));
    lines.insert(lines.end(), {"</object>", std::string(kSceneEnd)});
    return joinLines(lines);
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

} // namespace
} // namespace meshlift::detail::test
