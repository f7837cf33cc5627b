// The colour look-ahead remembers its last answer so that scenes without colour
// lines do not cost the square of their object count. These tests convert scenes
// whose colour lines are missing, late, shared or mixed with the memo on and with
// the literal search, and require the very same document and console output,
// also with windows so small that every line crosses a window boundary.

#include "ase/input_reader.h"
#include "scene/line_sink.h"
#include "scene/scene_conversion.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using namespace meshlift;
using namespace meshlift::detail;
using meshlift::detail::test::Conversion;
using meshlift::detail::test::kExitFailure;
using meshlift::detail::test::kExitSuccess;
using meshlift::detail::test::kModes;
using meshlift::detail::test::modeWord;

namespace {

Conversion convert(std::string_view scene, Mode mode, bool remember, std::size_t blockSize) {
    InputReader input;
    openInputMemory(input, scene, blockSize);
    input.lookahead.useMemo = remember;
    Conversion out;
    LineSink document = memorySink(out.document);
    LineSink console = memorySink(out.console);
    const bool converted = convertScene(input, document, console, mode, "scene.ASE");
    EXPECT_TRUE(converted);
    out.exitCode = converted ? kExitSuccess : kExitFailure;
    return out;
}

// One object as exporters write it: name, transform, mesh with vertices, faces,
// texture vertices and normals, then the trailing properties; `colour` is the
// colour line's values, or empty for an object without one.
std::string object(int number, std::string_view colour, int faces = 2) {
    const std::string n = std::to_string(number);
    std::string text = "*GEOMOBJECT {\n\t*NODE_NAME \"Box" + n +
                       "\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"Box" + n +
                       "\"\n\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t}\n\t*MESH {\n"
                       "\t\t*TIMEVALUE 0\n\t\t*MESH_NUMVERTEX 4\n\t\t*MESH_NUMFACES " +
                       std::to_string(faces) + "\n\t\t*MESH_VERTEX_LIST {\n";
    for (int v = 0; v < 4; ++v)
        text += "\t\t\t*MESH_VERTEX    " + std::to_string(v) + "\t" + n + "." + std::to_string(v) +
                "\t-1.5\t2.25\n";
    text += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
    for (int f = 0; f < faces; ++f)
        text += "\t\t\t*MESH_FACE    " + std::to_string(f) + ":    A:    " + std::to_string(f % 4) +
                " B:    " + std::to_string((f + 1) % 4) + " C:    " + std::to_string((f + 2) % 4) +
                " AB:    " + std::to_string(f % 2) +
                " BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n";
    text += "\t\t}\n\t\t*MESH_NUMTVERTEX 1\n\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0\t0.0\t0.0"
            "\t0.0\n\t\t}\n\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0\t0.0\t0.0\t1.0\n"
            "\t\t\t\t*MESH_VERTEXNORMAL 0\t0.0\t0.0\t1.0\n\t\t}\n\t}\n"
            "\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n";
    if (!colour.empty()) text += "\t*WIREFRAME_COLOR " + std::string(colour) + "\n";
    text += "}\n";
    return text;
}

std::string scene(const std::vector<std::string>& objects) {
    std::string text = "*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"memo\"\n";
    for (const std::string& o : objects)
        text += o;
    return text;
}

std::string withCrLf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string withoutLastLineFeed(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::string withoutLines(std::string_view text, std::string_view keyword) {
    std::string out;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        const std::string_view line = text.substr(0, end);
        if (line.find(keyword) == std::string_view::npos) out += line;
        text.remove_prefix(end);
    }
    return out;
}

// The memo on and off, in both modes and over several window sizes, must give the
// output of the literal search with the default window.
void expectSameAsLiteral(std::string_view text) {
    for (const Mode mode : kModes) {
        const Conversion literal = convert(text, mode, false, InputReader::kBlockSize);
        for (std::size_t block : {std::size_t{32}, std::size_t{64}, std::size_t{97},
                                  std::size_t{4096}, InputReader::kBlockSize}) {
            for (bool remember : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << modeWord(mode) << " block " << block << " memo " << remember);
                const Conversion out = convert(text, mode, remember, block);
                EXPECT_EQ(out.document, literal.document);
                EXPECT_EQ(out.console, literal.console);
            }
        }
    }
}

// The colours of the object start lines, in document order.
std::vector<std::string> colours(const std::string& document) {
    std::vector<std::string> found;
    const std::string_view key = "color=\"";
    for (std::size_t at = document.find(key); at != std::string::npos;
         at = document.find(key, at)) {
        at += key.size();
        found.push_back(document.substr(at, document.find('"', at) - at));
    }
    return found;
}

const std::vector<std::string> kRedGreen = {"0xff0000", "0xff00"};

} // namespace

TEST(LookaheadMemo, MissingColourLines) {
    std::vector<std::string> objects;
    for (int i = 0; i < 12; ++i)
        objects.push_back(object(i, ""));
    const std::string text = scene(objects);
    expectSameAsLiteral(text);
    const Conversion out = convert(text, Mode::tri, true, 64);
    EXPECT_EQ(colours(out.document), std::vector<std::string>(12, "0xAAAAAA"));
    EXPECT_EQ(out.console, "");
}

TEST(LookaheadMemo, ColourOnlyOnTheLastObjectIsSharedByAllBeforeIt) {
    std::vector<std::string> objects;
    for (int i = 0; i < 7; ++i)
        objects.push_back(object(i, i == 6 ? "1.0\t0.0\t0.0" : ""));
    const std::string text = scene(objects);
    expectSameAsLiteral(text);
    EXPECT_EQ(colours(convert(text, Mode::quad, true, 64).document),
              std::vector<std::string>(7, "0xff0000"));
}

TEST(LookaheadMemo, LateColourSeveralObjectsOnThenNone) {
    // Objects 0..3 share the colour of object 3; 4 has its own; 5..8 have none.
    std::vector<std::string> objects;
    for (int i = 0; i < 9; ++i)
        objects.push_back(object(i, i == 3 ? "1.0 0.0 0.0" : i == 4 ? "0.0 1.0 0.0" : ""));
    const std::string text = scene(objects);
    expectSameAsLiteral(text);
    std::vector<std::string> expected(4, "0xff0000");
    expected.push_back("0xff00");
    expected.resize(9, "0xAAAAAA");
    EXPECT_EQ(colours(convert(text, Mode::tri, true, 32).document), expected);
}

TEST(LookaheadMemo, MixedAndSharedColourLines) {
    const char* pattern[] = {
        "", "0.5 0.5 0.5", "0.5 0.5 0.5", "", "", "0.1 0.2 0.3", "", "1 1 1", "", "", "0 0 1", ""};
    std::vector<std::string> objects;
    for (int i = 0; i < 12; ++i)
        objects.push_back(object(i, pattern[i], 1 + i % 4));
    const std::string text = scene(objects);
    expectSameAsLiteral(text);
    expectSameAsLiteral(withCrLf(text));
    expectSameAsLiteral(withoutLastLineFeed(text));
}

TEST(LookaheadMemo, ColourOnTheLastLineWithoutLineFeed) {
    std::string text = scene({object(0, ""), object(1, "")});
    text += "*GEOMOBJECT {\n\t*NODE_NAME \"Tail\"\n\t*WIREFRAME_COLOR 1.0 0.0 0.0";
    expectSameAsLiteral(text);
    expectSameAsLiteral(withCrLf(text));
    EXPECT_EQ(colours(convert(text, Mode::tri, true, 64).document),
              std::vector<std::string>(3, "0xff0000"));
}

TEST(LookaheadMemo, CrLfScenesWithoutColourAndWithLateColour) {
    std::vector<std::string> objects;
    for (int i = 0; i < 8; ++i)
        objects.push_back(object(i, i == 5 ? "0 1 0" : ""));
    const std::string text = withCrLf(scene(objects));
    expectSameAsLiteral(text);
    expectSameAsLiteral(withoutLastLineFeed(text));
    std::vector<std::string> expected(6, "0xff00");
    expected.resize(8, "0xAAAAAA");
    EXPECT_EQ(colours(convert(text, Mode::quad, true, 64).document), expected);
}

TEST(LookaheadMemo, MissingRecordsMakeSearchesRunIntoLaterObjects) {
    // A short face list lets the face search consume the next object's start, and
    // a missing name makes the name search take the next object's name line: the
    // look-ahead then starts past positions that the memo has already answered.
    std::string broken = object(1, "");
    broken.replace(broken.find("*MESH_NUMFACES 2"), 16, "*MESH_NUMFACES 9");
    const std::string nameless = withoutLines(object(3, "0.2 0.4 0.6"), "*NODE_NAME");
    const std::string text =
        scene({object(0, ""), broken, object(2, ""), nameless, object(4, ""), object(5, "1 0 1")});
    expectSameAsLiteral(text);
    expectSameAsLiteral(withCrLf(text));
}

TEST(LookaheadMemo, EndMarkHidesLaterColourLines) {
    std::string text = scene({object(0, ""), object(1, "")});
    text += '\x1A';
    text += object(2, "1 0 0");
    expectSameAsLiteral(text);
    EXPECT_EQ(colours(convert(text, Mode::tri, true, 64).document),
              std::vector<std::string>(2, "0xAAAAAA"));
}
