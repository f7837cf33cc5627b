// Hostile input that needs a POSIX system to measure: lines of many megabytes, whose
// cost in memory is the program's peak resident size.
#include "shell_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace meshlift::detail::test {
namespace {

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
    return peakMemoryKb(MESHLIFT_BINARY, {dir.file("tiny.ASE"), dir.file("tiny.xml")});
}

// Memory in proportion to the longest matched line, not to the input: a line that
// matches nothing is never held whole, and one that matches is held about once.
TEST(HostileInput, HugeCrOnlyLineWithoutKeywordKeepsMemoryBounded) {
    TempDir dir;
    const std::string input = dir.file("huge.ASE");
    appendCrOnlyFiller(input, kHugeLine);
    std::string console;
    const long peakKb = peakMemoryKb(MESHLIFT_BINARY, {input, dir.file("huge.xml")}, &console);
    RecordProperty("peak_kb", std::to_string(peakKb));
    ASSERT_GT(peakKb, 0) << "the run failed";
    EXPECT_EQ(readFile(dir.file("huge.xml")), emptySceneDocument());
    EXPECT_EQ(console, noObjectLine(input));
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
    const long peakKb = peakMemoryKb(MESHLIFT_BINARY, {input, dir.file("huge.xml")}, &console);
    RecordProperty("peak_kb", std::to_string(peakKb));
    ASSERT_GT(peakKb, 0) << "the run failed";
    // The object's line held the whole input: no name, no colour, no mesh after it.
    EXPECT_EQ(console, kMissingMesh);
    EXPECT_EQ(
        readFile(dir.file("huge.xml")),
        documentLines({kSceneStart, objectLine("\"obj_0\"", "0xAAAAAA"), "</object>", kSceneEnd}));
    const long baselineKb = baselinePeakKb(dir);
    ASSERT_GT(baselineKb, 0);
    EXPECT_LT((peakKb - baselineKb) * 1024, static_cast<long>(4 * kHugeLine))
        << peakKb << " kB against " << baselineKb << " kB";
}

} // namespace
} // namespace meshlift::detail::test
