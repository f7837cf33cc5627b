// Which documents the preview reads: the converter's own, in both modes and with names it
// copies unescaped, and hand-edited ones.
#include "preview_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace meshlift::detail::preview;
using namespace meshlift::detail::preview::test;
using meshlift::Mode;
using meshlift::detail::test::convertInMemory;
using meshlift::detail::test::kModes;
using meshlift::detail::test::modeWord;
using meshlift::detail::test::TempDir;

namespace {

constexpr std::string_view kBlue = "\t*WIREFRAME_COLOR 0.2000 0.4000 0.9000";
constexpr std::string_view kNoColour = "";

// A square facing the default camera, as two faces, twice.
std::string squareScene(std::string_view name, std::string_view colourLine,
                        std::string_view firstFlags = "AB: 1 BC: 1 CA: 0") {
    return meshlift::detail::test::sceneObject(
        "\t*NODE_NAME \"" + std::string(name) + "\"",
        {"0 0.0 -100.0 -100.0", "1 0.0 100.0 -100.0", "2 0.0 100.0 100.0", "3 0.0 -100.0 100.0"},
        {"0: A: 0 B: 1 C: 2 " + std::string(firstFlags), "1: A: 2 B: 3 C: 0 AB: 1 BC: 1 CA: 0",
         "2: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0", "3: A: 2 B: 3 C: 0 AB: 1 BC: 1 CA: 0"},
        colourLine);
}

// The converter's document, drawn at 64 × 64 pixels to keep the tests quick.
std::string convertedSmall(const std::string& ase, Mode mode) {
    std::string document = convertInMemory(ase, mode).document;
    constexpr std::string_view kSize = "width=\"443\" height=\"443\"";
    const std::size_t size = document.find(kSize);
    if (size != std::string::npos)
        document.replace(size, kSize.size(), "width=\"64\" height=\"64\"");
    return document;
}

Preview renderConverted(const TempDir& dir, const std::string& ase, Mode mode) {
    return renderText(dir, convertedSmall(ase, mode));
}

TEST(PreviewReading, QuadModeEmptyCornersAreSkippedAndCountedTheRestDrawn) {
    TempDir dir;
    // The first face has no visible edge: the first quad's last two corners are empty.
    const Preview preview =
        renderConverted(dir, squareScene("Q", kBlue, "AB: 0 BC: 0 CA: 0"), Mode::quad);
    ASSERT_EQ(preview.outcome, ReadOutcome::complete);
    EXPECT_EQ(preview.report.skipped, 1);
    EXPECT_EQ(preview.report.drawn, 1);
    EXPECT_TRUE(preview.report.anyCovered);
}

TEST(PreviewReading, UnescapedNamesReadLikePlainOnesInBothModes) {
    TempDir dir;
    for (const Mode mode : kModes) {
        const Preview plain = renderConverted(dir, squareScene("Plain", kBlue), mode);
        const Preview grey = renderConverted(dir, squareScene("Plain", kNoColour), mode);
        ASSERT_NE(plain.rgba, grey.rgba); // the object's own colour shows
        for (const char* name : {"A&B", "A<B", "A\"B", "a & b < c \" d=\"e\" f", "&amp;&#"}) {
            const Preview odd = renderConverted(dir, squareScene(name, kBlue), mode);
            ASSERT_EQ(odd.outcome, ReadOutcome::complete) << name;
            EXPECT_EQ(odd.report.drawn, plain.report.drawn) << name;
            EXPECT_EQ(odd.rgba, plain.rgba) << name;
        }
    }
}

TEST(PreviewReading, HandEditedFormattingReadsLikeTheConvertersLayout) {
    TempDir dir;
    const Preview converted = renderConverted(dir, squareScene("Plain", kBlue), Mode::tri);
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
        for (const Mode mode : kModes) {
            const Preview fitted = renderText(dir, convertedSmall(ase, mode), true);
            ASSERT_EQ(fitted.outcome, ReadOutcome::complete) << entry.path();
            EXPECT_EQ(fitted.report.outside, 0) << entry.path();
            // A flat scene seen edge-on is turned to face: whatever is drawn shows.
            if (fitted.report.drawn > 0) {
                EXPECT_TRUE(fitted.report.anyCovered) << entry.path() << " " << modeWord(mode);
            }
        }
    }
}

} // namespace
