// Scenes written in UTF-16 with a byte-order mark convert as the UTF-8 text they hold:
// in both byte orders, through every way in, and wherever a read splits a code unit or
// a surrogate pair.
#include "meshlift/meshlift.h"
#include "test_support.h"
#include "utf16_scenes.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace meshlift::detail;
using namespace meshlift::detail::test;

namespace {

const std::string kText = utf16TestScene();

// The same conversion from windows of every size that splits the text somewhere new.
void expectSameAtEveryWindow(const std::string& utf16, const std::string& utf8) {
    for (const Mode mode : kModes) {
        const Conversion expected = convertInMemory(utf8, mode);
        for (std::size_t block = 32; block < 80; ++block) {
            SCOPED_TRACE("window " + std::to_string(block) + " " + modeWord(mode));
            const Conversion got = convertInMemory(utf16, mode, block);
            ASSERT_EQ(got.document, expected.document);
            ASSERT_EQ(got.console, expected.console);
        }
        const Conversion whole = convertInMemory(utf16, mode);
        EXPECT_EQ(whole.document, expected.document);
    }
}

} // namespace

TEST(Utf16Scene, ConvertsAsItsTextInBothByteOrdersWhereverReadsSplitIt) {
    const Conversion utf8 = convertInMemory(kText, Mode::tri);
    ASSERT_NE(utf8.document.find("id=\"\xC4\x9A\xC5\x88 \xF0\x9F\x98\x80 \xE5\x90\x8D\""),
              std::string::npos);
    ASSERT_NE(utf8.document.find("second"), std::string::npos);
    ASSERT_EQ(utf8.document.find("gone"), std::string::npos);
    for (const ByteOrder order : {ByteOrder::littleEndian, ByteOrder::bigEndian})
        expectSameAtEveryWindow(utf16Bytes(utf16Units(kText), order), kText);
}

// A scene much longer than one stretch of decoding, its names dense in surrogate pairs
// so that stretches end inside pairs, read through windows that return to marks.
TEST(Utf16Scene, LongSceneReadsTheSameThroughWindowsOfEverySize) {
    std::string text;
    for (int i = 0; i < 1500; ++i) {
        std::string name = "*NODE_NAME \"";
        for (int k = 0; k <= i % 7; ++k)
            name += "\xF0\x9F\x98\x80\xC4\x9A\xF0\x9F\x8E\xB2\xE5\x90\x8D";
        text += triangleScene(name + std::to_string(i) + "\"", "*WIREFRAME_COLOR 1 0 0.5");
    }
    for (const ByteOrder order : {ByteOrder::littleEndian, ByteOrder::bigEndian}) {
        const std::string utf16 = utf16Bytes(utf16Units(text), order);
        ASSERT_GT(utf16.size(), 8 * Utf16Text::kStretch);
        for (const Mode mode : kModes) {
            const Conversion expected = convertInMemory(text, mode);
            for (const std::size_t block :
                 {InputReader::kBlockSize, std::size_t{65537}, std::size_t{4099}}) {
                SCOPED_TRACE("window " + std::to_string(block));
                const Conversion got = convertInMemory(utf16, mode, block);
                ASSERT_EQ(got.document, expected.document);
                ASSERT_EQ(got.console, expected.console);
            }
        }
    }
}

// Each malformed unit is one U+FFFD: a high surrogate without its partner, a low
// surrogate alone, a high surrogate as the last unit, half a unit at the end.
TEST(Utf16Scene, MalformedUnitsReadAsReplacementCharacters) {
    const std::string replacement = "\xEF\xBF\xBD";
    const std::u16string lone =
        std::u16string(u"*NODE_NAME \"a") + char16_t{0xD83D} + u"x" + char16_t{0xDE00} + u"\"";
    const std::string loneText = "*NODE_NAME \"a" + replacement + "x" + replacement + "\"";
    const std::u16string units = utf16Units(triangleScene("", "")) + lone + u"\n" +
                                 utf16Units(triangleScene("", "")) + u"*NODE_NAME \"" +
                                 char16_t{0xD83D};
    const std::string text = triangleScene("", "") + loneText + "\n" + triangleScene("", "") +
                             "*NODE_NAME \"" + replacement;
    ASSERT_NE(convertInMemory(text, Mode::tri).document.find("a" + replacement + "x" + replacement),
              std::string::npos);
    for (const ByteOrder order : {ByteOrder::littleEndian, ByteOrder::bigEndian}) {
        expectSameAtEveryWindow(utf16Bytes(units, order), text);
        expectSameAtEveryWindow(utf16Bytes(units, order) + "Z", text + replacement);
    }
}

// The program and each of the library's calls read the same text; the program names
// the file as it was given.
TEST(Utf16Scene, ProgramAndLibraryCallsReadTheText) {
    TempDir dir;
    const std::string utf16 = utf16Bytes(utf16Units(kText), ByteOrder::bigEndian);
    writeFile(dir.file("utf16.ASE"), utf16);
    writeFile(dir.file("utf8.ASE"), kText);
    const RunResult twin = runMeshlift({dir.file("utf8.ASE"), dir.file("utf8.xml"), "quad"});
    const RunResult program = runMeshlift({dir.file("utf16.ASE"), dir.file("utf16.xml"), "quad"});
    EXPECT_EQ(program.exitCode, twin.exitCode);
    EXPECT_EQ(program.console, twin.console);
    const std::string document = readFile(dir.file("utf8.xml"));
    EXPECT_EQ(readFile(dir.file("utf16.xml")), document);

    const meshlift::Result file =
        meshlift::convertFile(dir.file("utf16.ASE"), dir.file("file.xml"), Mode::quad);
    EXPECT_EQ(file.exitCode, kExitSuccess);
    EXPECT_EQ(readFile(dir.file("file.xml")), document);

    Conversion buffer;
    EXPECT_EQ(meshlift::convertBuffer(utf16, Mode::quad, collect(buffer)).exitCode, kExitSuccess);
    EXPECT_EQ(buffer.document, document);

    Conversion reader;
    EXPECT_EQ(meshlift::convertReader(shortReader(utf16), Mode::quad, collect(reader)).exitCode,
              kExitSuccess);
    EXPECT_EQ(reader.document, document);
}
