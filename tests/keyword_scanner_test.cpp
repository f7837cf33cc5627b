#include "ase/keyword_scanner.h"
#include "ase/lookahead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace meshlift;
using namespace meshlift::detail;

namespace {

constexpr Keyword kMesh("*MESH");
constexpr Keyword kVertex("*MESH_VERTEX");
constexpr Keyword kColour("*WIREFRAME_COLOR");

// Every line that successive searches for one keyword find.
std::vector<std::string> allMatches(std::string_view bytes, const Keyword& keyword,
                                    std::size_t blockSize) {
    InputReader input;
    openInputMemory(input, bytes, blockSize);
    LineStream stream;
    std::vector<std::string> lines;
    while (findKeywordLine(input, keyword, stream))
        lines.emplace_back(stream.text);
    return lines;
}

// Window sizes from the smallest to one that holds everything at once.
const std::size_t kBlockSizes[] = {32, 33, 47, 64, 1000, InputReader::kBlockSize};

} // namespace

TEST(KeywordScanner, MatchesTheKeywordAnywhereInALineCaseSensitively) {
    const std::string bytes = "*MESH_NUMVERTEX 8\n"
                              "*mesh lower case\n"
                              "\n"
                              "\t*NODE_NAME \"has *MESH inside\"\n"
                              "prefix*MESHsuffix\n"
                              "*MES\n";
    for (std::size_t block : kBlockSizes) {
        EXPECT_EQ(
            allMatches(bytes, kMesh, block),
            (std::vector<std::string>{"*MESH_NUMVERTEX 8", "\t*NODE_NAME \"has *MESH inside\"",
                                      "prefix*MESHsuffix"}))
            << block;
    }
}

TEST(KeywordScanner, LineEndsCrLfLfAndLoneCr) {
    const std::string bytes = "a *MESH 1\r\nb *MESH 2\nc *MESH 3\r\r\nd *MESH 4\re *MESH 5\r";
    for (std::size_t block : kBlockSizes) {
        EXPECT_EQ(allMatches(bytes, kMesh, block),
                  (std::vector<std::string>{"a *MESH 1", "b *MESH 2", "c *MESH 3\r",
                                            "d *MESH 4\re *MESH 5\r"}))
            << block;
    }
}

TEST(KeywordScanner, EndMarkEndsTheInput) {
    const std::string bytes = "*MESH 1\n*MESH 2\x1A tail\n*MESH 3\n";
    for (std::size_t block : kBlockSizes)
        EXPECT_EQ(allMatches(bytes, kMesh, block),
                  (std::vector<std::string>{"*MESH 1", "*MESH 2"}));
    EXPECT_TRUE(allMatches("\x1A*MESH\n", kMesh, 64).empty());
}

TEST(KeywordScanner, KeywordsAcrossWindowBoundariesAndLinesLongerThanTheWindow) {
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; i < 200; ++i) {
        std::string line = std::string(static_cast<std::size_t>(i % 37), ' ') + "*MESH_VERTEX " +
                           std::to_string(i) +
                           std::string(static_cast<std::size_t>(i * 7 % 101), 'x');
        bytes += line + (i % 3 == 0 ? "\r\n" : "\n");
        bytes += "*MESH_VERTEXNORMAL is also a match\n"; // keyword inside a longer one
        expected.push_back(line);
        expected.push_back("*MESH_VERTEXNORMAL is also a match");
        bytes += std::string(static_cast<std::size_t>(i), '.') + "\n"; // no keyword
    }
    for (std::size_t block : kBlockSizes)
        EXPECT_EQ(allMatches(bytes, kVertex, block), expected);
}

TEST(KeywordScanner, FailedSearchConsumesEverythingForEveryLaterKeyword) {
    InputReader input;
    openInputMemory(input, "*MESH\n*WIREFRAME_COLOR 1 1 1\n*MESH\n", 64);
    LineStream stream;
    EXPECT_FALSE(findKeywordLine(input, kVertex, stream));
    EXPECT_FALSE(findKeywordLine(input, kMesh, stream));
    EXPECT_FALSE(lookAheadForKeywordLine(input, kColour, stream));
}

TEST(KeywordScanner, LookAheadReturnsToTheSavedPositionFoundOrNot) {
    const std::string bytes = "*MESH a\n*WIREFRAME_COLOR 1 0 0\n*MESH b\n";
    for (bool remember : {true, false}) {
        InputReader input;
        openInputMemory(input, bytes, 32);
        input.lookahead.useMemo = remember;
        LineStream stream;
        ASSERT_TRUE(findKeywordLine(input, kMesh, stream));
        ASSERT_TRUE(lookAheadForKeywordLine(input, kColour, stream));
        EXPECT_EQ(stream.text, "*WIREFRAME_COLOR 1 0 0");
        ASSERT_TRUE(findKeywordLine(input, kMesh, stream));
        EXPECT_EQ(stream.text, "*MESH b");
        EXPECT_FALSE(lookAheadForKeywordLine(input, kColour, stream));
        EXPECT_FALSE(input.position.failed); // the look-ahead ran to the end, then came back
        EXPECT_FALSE(findKeywordLine(input, kMesh, stream));
    }
}

TEST(KeywordScanner, FailedSearchesKeepTheLastLineWhenTheWindowMovesOn) {
    // The matched line is read where it lies in the window; searches that then run
    // through many windows to the end must not lose it.
    std::string bytes = "\t*NODE_NAME \"Box01\"\n";
    for (int i = 0; i < 200; ++i)
        bytes += "\t\t*MESH_NORMAL " + std::to_string(i) + " 0.0 0.0 1.0\n";
    for (std::size_t block : kBlockSizes) {
        for (bool remember : {true, false}) {
            InputReader input;
            openInputMemory(input, bytes, block);
            input.lookahead.useMemo = remember;
            LineStream stream;
            ASSERT_TRUE(findKeywordLine(input, Keyword("*NODE_NAME"), stream));
            EXPECT_FALSE(lookAheadForKeywordLine(input, kColour, stream));
            EXPECT_EQ(stream.text, "\t*NODE_NAME \"Box01\"") << block;
            EXPECT_FALSE(findKeywordLine(input, kVertex, stream));
            EXPECT_EQ(stream.text, "\t*NODE_NAME \"Box01\"") << block;
        }
    }
}

TEST(KeywordScanner, LinesAcrossTheWindowEndAndLongerThanTheWindowAreWhole) {
    // Lines of every length around the window size, each holding the keyword at a
    // different place, with CR LF ends.
    for (std::size_t block : {std::size_t{32}, std::size_t{47}, std::size_t{64}}) {
        std::string bytes;
        std::vector<std::string> expected;
        for (std::size_t length = 1; length < 3 * block; length += 5) {
            std::string line(length, 'x');
            line.insert(length / 2, "*MESH");
            bytes += line + "\r\n";
            expected.push_back(line);
        }
        EXPECT_EQ(allMatches(bytes, kMesh, block), expected) << block;
    }
}
