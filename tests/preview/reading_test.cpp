// Which documents the preview reads: the converter's own, in both modes and with names it
// copies unescaped, and hand-edited ones.
#include "preview_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace meshlift::detail::preview;
using namespace meshlift::detail::preview::test;
using meshlift::detail::test::convertInMemory;
using meshlift::detail::test::TempDir;

namespace {

// A square facing the default camera, as two faces.
std::string squareScene(std::string_view name, bool colour,
                        std::string_view firstFlags = "AB: 1 BC: 1 CA: 0") {
    std::string scene = "*GEOMOBJECT {\n\t*NODE_NAME \"" + std::string(name) + "\"\n";
    scene += "\t*MESH {\n\t\t*MESH_NUMVERTEX 4\n\t\t*MESH_NUMFACES 4\n"
             "\t\t*MESH_VERTEX_LIST {\n"
             "\t\t\t*MESH_VERTEX 0 0.0 -100.0 -100.0\n\t\t\t*MESH_VERTEX 1 0.0 100.0 -100.0\n"
             "\t\t\t*MESH_VERTEX 2 0.0 100.0 100.0\n\t\t\t*MESH_VERTEX 3 0.0 -100.0 100.0\n"
             "\t\t}\n\t\t*MESH_FACE_LIST {\n";
    scene += "\t\t\t*MESH_FACE 0: A: 0 B: 1 C: 2 " + std::string(firstFlags) + "\n";
    scene += "\t\t\t*MESH_FACE 1: A: 2 B: 3 C: 0 AB: 1 BC: 1 CA: 0\n"
             "\t\t\t*MESH_FACE 2: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0\n"
             "\t\t\t*MESH_FACE 3: A: 2 B: 3 C: 0 AB: 1 BC: 1 CA: 0\n\t\t}\n\t}\n";
    if (colour) scene += "\t*WIREFRAME_COLOR 0.2000 0.4000 0.9000\n";
    return scene + "}\n";
}

// The converter's document, drawn at 64 × 64 pixels to keep the tests quick.
std::string convertedSmall(const std::string& ase, bool quad) {
    std::string document = convertInMemory(ase, quad).document;
    constexpr std::string_view kSize = "width=\"443\" height=\"443\"";
    const std::size_t size = document.find(kSize);
    if (size != std::string::npos)
        document.replace(size, kSize.size(), "width=\"64\" height=\"64\"");
    return document;
}

Preview renderConverted(const TempDir& dir, const std::string& ase, bool quad) {
    return renderText(dir, convertedSmall(ase, quad));
}

TEST(PreviewReading, QuadModeEmptyCornersAreSkippedAndCountedTheRestDrawn) {
    TempDir dir;
    // The first face has no visible edge: the first quad's last two corners are empty.
    const Preview preview = renderConverted(dir, squareScene("Q", true, "AB: 0 BC: 0 CA: 0"), true);
    ASSERT_EQ(preview.outcome, ReadOutcome::complete);
    EXPECT_EQ(preview.report.skipped, 1);
    EXPECT_EQ(preview.report.drawn, 1);
    EXPECT_TRUE(preview.report.anyCovered);
}

TEST(PreviewReading, UnescapedNamesReadLikePlainOnesInBothModes) {
    TempDir dir;
    for (const bool quad : {false, true}) {
        const Preview plain = renderConverted(dir, squareScene("Plain", true), quad);
        const Preview grey = renderConverted(dir, squareScene("Plain", false), quad);
        ASSERT_NE(plain.rgba, grey.rgba); // the object's own colour shows
        for (const char* name : {"A&B", "A<B", "A\"B", "a & b < c \" d=\"e\" f", "&amp;&#"}) {
            const Preview odd = renderConverted(dir, squareScene(name, true), quad);
            ASSERT_EQ(odd.outcome, ReadOutcome::complete) << name;
            EXPECT_EQ(odd.report.drawn, plain.report.drawn) << name;
            EXPECT_EQ(odd.rgba, plain.rgba) << name;
        }
    }
}

TEST(PreviewReading, HandEditedFormattingReadsLikeTheConvertersLayout) {
    TempDir dir;
    const Preview converted = renderConverted(dir, squareScene("Plain", true), false);
    const std::string edited =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- edited by hand -->\n"
        "<!DOCTYPE scene [ <!ELEMENT scene ANY> ]>\n"
        "<scene  Il = '1.0' Ia=\"0.5\" near=\"0.1\" height=\"64\"\n  width=\"64\" angle=\"50\" "
        "up=\"0,0,1\" lookAt=\"0, 0, 0\" camera=\"400,0,0\">\n"
        "  <object color=\"0x3366e6\" Ks=\"0.15\" Kd=\"0.8\" Ka=\"1.0\" id=\"Pl&amp;ain\">\n"
        "    <nodes>\n"
        "      <node xyz=\"0.0,-100.0,-100.0\" id=\"&#48;\"/>\n"
        "      <node id=\"1\" xyz=\"0.0, 100.0, -100.0\" />\n"
        "      <node id=\"2\" xyz=\"0.0,&#49;00.0,100.0\"></node>\n"
        "      <node id='3' xyz='0.0,-100.0,100.0'/>\n"
        "    </nodes>\n"
        "    <polygons>\n"
        "      <polygon id=\"0\"><node id=\"2\"/><node id=\"0\"/><node id=\"1\"/></polygon>\n"
        "      <polygon id=\"1\"> <node id=\"0\"/>\n<node id=\"2\"/>\n<node id=\"3\"/> </polygon>\n"
        "      <polygon id=\"2\"><node id=\"0\"/><node id=\"2\"/><node id=\"3\"/></polygon>\n"
        "      <polygon id=\"3\"><node id=\"0\"/><node id=\"2\"/><node id=\"3\"/></polygon>\n"
        "    </polygons>\n  </object>\n</scene>\n";
    const Preview preview = renderText(dir, edited);
    ASSERT_EQ(preview.outcome, ReadOutcome::complete);
    EXPECT_EQ(preview.report.drawn, 4);
    EXPECT_EQ(preview.rgba, converted.rgba);
}

// The converter copies a name unescaped into the id: a name of "<" longer than the
// longest item must be read past once, not rescanned from every "<" (that took minutes).
TEST(PreviewReading, NameOfLessThanSignsLongerThanAnItemIsReadPastOnce) {
    TempDir dir;
    const std::string triangle =
        objectElement(flatObject("T", "0xff0000"), {"-5,-5,0", "5,-5,0", "0,5,0"}, {"0 1 2"});
    const std::string document = std::string(kTestScene) + "\r\n<object id=\"" +
                                 std::string(kMaxItemSize + 100, '<') + "\">\r\n</object>\r\n" +
                                 triangle + "</scene>\r\n";
    const Preview preview = renderText(dir, document);
    ASSERT_EQ(preview.outcome, ReadOutcome::complete);
    EXPECT_EQ(preview.report.drawn, 1);
    EXPECT_TRUE(preview.report.anyCovered);
}

TEST(PreviewReading, EveryCorpusSceneComesIntoViewWithFit) {
    if (!std::filesystem::is_directory(MESHLIFT_CORPUS))
        GTEST_SKIP() << "no corpus beside the tree";
    TempDir dir;
    for (const auto& entry : std::filesystem::directory_iterator(MESHLIFT_CORPUS)) {
        const std::string ase = meshlift::detail::test::readFile(entry.path().string());
        for (const bool quad : {false, true}) {
            const Preview fitted = renderText(dir, convertedSmall(ase, quad), true);
            ASSERT_EQ(fitted.outcome, ReadOutcome::complete) << entry.path();
            EXPECT_EQ(fitted.report.outside, 0) << entry.path();
            // A flat scene seen edge-on is turned to face: whatever is drawn shows.
            if (fitted.report.drawn > 0) {
                EXPECT_TRUE(fitted.report.anyCovered) << entry.path() << (quad ? " quad" : " tri");
            }
        }
    }
}

} // namespace
