// Files from anywhere: random bytes, truncated exports, odd encodings and huge counts.
// Each case pins the exact document, console lines and exit code, in memory and
// through the program. The cases that measure memory are in hostile_posix_test.cpp, a
// last line without its line end in last_line_test.cpp.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail::test {
namespace {

TEST(HostileInput, RandomBytesGiveAnEmptyScene) {
    const std::string bytes = randomBytes(3 * InputReader::kBlockSize, 20240607);
    expectConversion(bytes, Mode::tri, emptySceneDocument(), noObjectLine("scene.ASE"));
    expectConversion(bytes, Mode::quad, emptySceneDocument(), noObjectLine("scene.ASE"));
}

TEST(HostileInput, RandomBytesBeforeAnObjectDoNotDisturbIt) {
    const std::string junk = randomBytes(InputReader::kBlockSize, 7);
    const std::string scene =
        junk + "\n" + triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0") + junk;
    expectConversion(scene, Mode::tri, triangleDocument("\"Box\"", "0xff8000", Mode::tri), "");
    // A single face makes one pair whose second face is missing.
    expectConversion(scene, Mode::quad, triangleDocument("\"Box\"", "0xff8000", Mode::quad),
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
    const std::string document =
        documentLines({kSceneStart, objectLine("\"B\0x\0\""s, "0xff0000"), "<nodes>",
                       "<node id=\"0\0\" xyz=\"1\0.5,\0,2\"/>"s, "</nodes>", "<polygons>",
                       "<polygon id=\"0\0\">"s, "<node id=\"2\"/>", "<node id=\"1\0\"/>"s,
                       "<node id=\"\0\"/>"s, "</polygon>", "</polygons>", "</object>", kSceneEnd});
    expectConversion(scene, Mode::tri, document, "");
}

TEST(HostileInput, HighBytesInNamesAreCopiedUnchanged) {
    const std::string name = "*NODE_NAME \"Caf\xc3\xa9 \xff\xfe<&>\x80\"";
    const std::string scene = triangleScene(name, "*WIREFRAME_COLOR 0 0 1");
    expectConversion(scene, Mode::tri,
                     triangleDocument("\"Caf\xc3\xa9 \xff\xfe<&>\x80\"", "0xff", Mode::tri), "");
}

TEST(HostileInput, EndMarkAsFirstByteGivesAnEmptyInput) {
    const std::string scene = std::string("\x1a").append(
        triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0"));
    expectConversion(scene, Mode::tri, emptySceneDocument(), noObjectLine("scene.ASE"));
    expectConversion(scene, Mode::quad, emptySceneDocument(), noObjectLine("scene.ASE"));
}

std::string countedObject(std::string_view name, std::string_view vertexCount,
                          std::string_view faceCount) {
    return sceneObject(
        "*NODE_NAME \"" + std::string(name) + "\"", {"0 1 2 3", "1 4 5 6"},
        {"0: A: 0 B: 1 C: 0 AB: 1 BC: 0 CA: 0", "1: A: 1 B: 0 C: 1 AB: 1 BC: 0 CA: 0"}, "",
        vertexCount, faceCount);
}

TEST(HostileInput, CountsAtAndBeyondThe32BitLimits) {
    // A count outside 32 bits does not read; the previous object's count stays.
    const std::string scene = countedObject("A", "1", "1") +
                              countedObject("B", "2147483648", "2147483648") +
                              countedObject("C", "-2147483648", "-2147483648") +
                              countedObject("D", "-2147483649", "99999999999");
    const std::string_view oneNode = R"(<node id="0" xyz="1,2,3"/>)";
    const std::vector<std::string_view> tri = {"<polygon id=\"0\">", R"(<node id="0"/>)",
                                               R"(<node id="1"/>)", R"(<node id="0"/>)",
                                               "</polygon>"};
    const std::vector<std::string_view> quad = {"<polygon id=\"0\">", R"(<node id="0"/>)",
                                                R"(<node id="1"/>)",  R"(<node id="1"/>)",
                                                R"(<node id="0"/>)",  "</polygon>"};
    const std::string starts[] = {objectLine("\"A\"", "0xAAAAAA"), objectLine("\"B\"", "0xAAAAAA"),
                                  objectLine("\"C\"", "0xAAAAAA"), objectLine("\"D\"", "0xAAAAAA")};
    for (const Mode mode : kModes) {
        std::vector<std::string_view> lines = {kSceneStart};
        for (const std::string& start : starts) {
            const bool counted = &start == &starts[0] || &start == &starts[1];
            lines.insert(lines.end(), {start, "<nodes>"});
            if (counted) lines.push_back(oneNode);
            lines.insert(lines.end(), {"</nodes>", "<polygons>"});
            if (counted) {
                const auto& polygon = mode == Mode::quad ? quad : tri;
                lines.insert(lines.end(), polygon.begin(), polygon.end());
            }
            lines.insert(lines.end(), {"</polygons>", "</object>"});
        }
        lines.push_back(kSceneEnd);
        expectConversion(scene, mode, documentLines(lines), "");
    }
}

TEST(HostileInput, HugeVertexCountWithThreeVertexLines) {
    const std::string scene = sceneObject("*NODE_NAME \"Big\"", {"0 0 0 0", "1 1 0 0", "2 0 1 0"},
                                          {"0: A: 0 B: 1 C: 2"}, "", "100000");
    TempDir dir;
    const Conversion run = convertWithProgram(dir, scene, Mode::tri);
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.document,
              documentLines({kSceneStart, objectLine("\"Big\"", "0xAAAAAA"), "<nodes>",
                             R"(<node id="0" xyz="0,0,0"/>)", R"(<node id="1" xyz="1,0,0"/>)",
                             R"(<node id="2" xyz="0,1,0"/>)", "</nodes>", "</object>", kSceneEnd}));
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
        expectConversion(scene, Mode::tri, triangleDocument("\"Box\"", c.colour, Mode::tri), "");
    }
}

TEST(HostileInput, FaceLabelsMadeOfColons) {
    struct Case {
        std::string_view label, polygonId;
    };
    for (const Case& c : {Case{":", ""}, Case{"::", ":"}, Case{"7", "7"}}) {
        SCOPED_TRACE(c.label);
        const std::string scene = triangleScene("*NODE_NAME \"Box\"", "", c.label);
        expectConversion(scene, Mode::tri,
                         triangleDocument("\"Box\"", "0xAAAAAA", Mode::tri, c.polygonId), "");
    }
}

TEST(HostileInput, QuadLabelsMadeOfColons) {
    struct Case {
        std::string_view label, polygonId;
    };
    for (const Case& c : {Case{":", ""}, Case{"::", ":"}, Case{"7", "7"}}) {
        SCOPED_TRACE(c.label);
        const std::string scene =
            sceneObject("*NODE_NAME \"Q\"", {},
                        {std::string(c.label) + " A: 0 B: 1 C: 2 AB: 1 BC: 0 CA: 0",
                         ":: A: 2 B: 3 C: 0 AB: 0 BC: 0 CA: 1"});
        const std::string document = documentLines(
            {kSceneStart, objectLine("\"Q\"", "0xAAAAAA"), "<nodes>", "</nodes>", "<polygons>",
             "<polygon id=\"" + std::string(c.polygonId) + "\">", R"(<node id="2"/>)",
             R"(<node id="0"/>)", R"(<node id="1"/>)", R"(<node id="0"/>)", "</polygon>",
             "</polygons>", "</object>", kSceneEnd});
        expectConversion(scene, Mode::quad, document, "");
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
        expectConversion(scene, Mode::tri, triangleDocument(c.id, "0xff8000", Mode::tri), "");
    }
}

} // namespace
} // namespace meshlift::detail::test
