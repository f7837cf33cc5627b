// A last line without its line end is a line like any other: the scanner examines it,
// and the conversion reads it, in memory at every window and through the program. The
// colour look-ahead's memo on such a line is in lookahead_memo_test.cpp, with its other
// inputs; tests/data/plane_crlf_no_final_eol.ASE is a real export that ends so.
#include "ase/keyword_scanner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace meshlift::detail::test {
namespace {

constexpr Keyword kMesh("*MESH");

TEST(LastLine, KeywordScannerExaminesItAndThenEverySearchFails) {
    InputReader input;
    openInputMemory(input, "x\n*MESH last", 32);
    LineStream stream;
    ASSERT_TRUE(findKeywordLine(input, kMesh, stream));
    EXPECT_EQ(stream.text, "*MESH last");
    EXPECT_TRUE(input.position.endOfInput);
    EXPECT_FALSE(input.position.failed);
    EXPECT_FALSE(findKeywordLine(input, kMesh, stream));
    EXPECT_TRUE(input.position.failed);
    EXPECT_EQ(stream.text, "*MESH last"); // a failed search leaves the last line in place
}

TEST(LastLine, ConvertsLikeAnyOtherLineInMemoryAndThroughTheProgram) {
    // The colour line is the last line and has no LF.
    std::string scene = triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0");
    scene.erase(scene.size() - std::string_view("\n}\n").size());
    expectConversion(scene, Mode::tri, triangleDocument("\"Box\"", "0xff8000", Mode::tri), "");
    expectConversion(scene, Mode::quad, triangleDocument("\"Box\"", "0xff8000", Mode::quad),
                     std::string(kMissingFace));

    // The face line is the last line, with CR LF line ends before it.
    const std::string crlf = "*GEOMOBJECT\r\n*NODE_NAME \"T\"\r\n*MESH\r\n*MESH_NUMVERTEX 0\r\n"
                             "*MESH_NUMFACES 1\r\n*MESH_VERTEX_LIST\r\n*MESH_FACE_LIST\r\n"
                             "*MESH_FACE 4: A: 1 B: 2 C: 3";
    expectConversion(
        crlf, Mode::tri,
        documentLines({kSceneStart, objectLine("\"T\"", "0xAAAAAA"), "<nodes>", "</nodes>",
                       "<polygons>", "<polygon id=\"4\">", R"(<node id="3"/>)", R"(<node id="2"/>)",
                       R"(<node id="1"/>)", "</polygon>", "</polygons>", "</object>", kSceneEnd}),
        "");
}

} // namespace
} // namespace meshlift::detail::test
