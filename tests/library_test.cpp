// The library's calls against the program: the same bytes, exit codes and messages,
// reported through the result and the line callback. An output that is the input is in
// same_file_test.cpp, a full disk in disk_failures_posix_test.cpp, and descriptors on
// pipes in piped_input_posix_test.cpp.
#include "meshlift/meshlift.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

using namespace meshlift::detail::test;

namespace {

const std::string& kScene = kVertexShortScene;

TEST(Library, MissingInputIsTheProgramsErrorThroughTheResult) {
    TempDir dir;
    const std::string input = dir.file("missing.ASE");
    const std::string output = dir.file("missing.xml");
    const RunResult program = runMeshlift({input, output});
    const meshlift::Result library = meshlift::convertFile(input, output);
    EXPECT_EQ(library.exitCode, kExitFailure);
    EXPECT_EQ(library.exitCode, program.exitCode);
    EXPECT_EQ(withLfLineBreaks(library.console), program.console);
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST(Library, BufferLinesReachTheCallbackOneByOneAsTheProgramWritesThem) {
    TempDir dir;
    writeFile(dir.file("scene.ASE"), kScene);
    const RunResult program = runMeshlift({dir.file("scene.ASE"), dir.file("scene.xml"), "quad"});
    Conversion lines;
    bool eachCallOneLine = true;
    const meshlift::LineCallback collectLines = collect(lines);
    const auto oneLineEach = [&](meshlift::LineKind kind, std::string_view line) {
        const std::string_view end = kind == meshlift::LineKind::document ? "\r\n" : "\n";
        eachCallOneLine =
            eachCallOneLine && line.ends_with(end) && line.find('\n') == line.size() - 1;
        collectLines(kind, line);
    };
    const meshlift::Result result =
        meshlift::convertBuffer(kScene, Mode::quad, oneLineEach, dir.file("scene.ASE"));
    EXPECT_EQ(result.exitCode, program.exitCode);
    EXPECT_EQ(lines.document, readFile(dir.file("scene.xml")));
    EXPECT_EQ(lines.console, program.console);
    EXPECT_NE(lines.console, "");
    EXPECT_TRUE(eachCallOneLine);
}

TEST(Library, CallbackThatThrowsEndsTheDeliveryWithExitCodeOne) {
    int calls = 0;
    const meshlift::Result result =
        meshlift::convertBuffer(kScene, Mode::tri, [&](meshlift::LineKind, auto) {
            if (++calls == 3) throw std::runtime_error("full");
        });
    EXPECT_EQ(result.exitCode, kExitFailure);
    EXPECT_EQ(calls, 3);
}

TEST(Library, ReaderGivingShortCountsConvertsLikeTheBuffer) {
    for (const Mode mode : kModes) {
        Conversion expected;
        const meshlift::Result buffer = meshlift::convertBuffer(kScene, mode, collect(expected));
        int reads = 0;
        Conversion lines;
        const meshlift::Result reader =
            meshlift::convertReader(shortReader(kScene, &reads), mode, collect(lines));
        EXPECT_EQ(reader.exitCode, buffer.exitCode);
        EXPECT_EQ(lines.document, expected.document);
        EXPECT_EQ(lines.console, expected.console);
        EXPECT_GT(reads, 1);
    }
}

TEST(Library, ReaderThatCannotOpenOrReadEndsAsTheProgramWould) {
    TempDir dir;
    const RunResult missing = runMeshlift({dir.file("gone.ASE"), dir.file("gone.xml")});
    meshlift::SceneReader scene;
    scene.open = [] { return false; };
    scene.readAt = [](std::uint64_t, char*, std::size_t) -> std::ptrdiff_t {
        throw std::runtime_error("never read");
    };
    Conversion lines;
    meshlift::Result result =
        meshlift::convertReader(scene, Mode::tri, collect(lines), dir.file("gone.ASE"));
    EXPECT_EQ(result.exitCode, kExitFailure);
    EXPECT_EQ(lines.console, missing.console);
    EXPECT_EQ(lines.document, "");

    scene.open = nullptr; // a read that throws, after the first block
    scene.readAt = [](std::uint64_t offset, char* data, std::size_t capacity) -> std::ptrdiff_t {
        if (offset > 0) throw std::runtime_error("gone");
        const std::size_t size = std::min<std::size_t>(40, capacity);
        kScene.copy(data, size);
        return static_cast<std::ptrdiff_t>(size);
    };
    Conversion failed;
    result = meshlift::convertReader(scene, Mode::tri, collect(failed), "in.ASE");
    EXPECT_EQ(result.exitCode, kExitFailure);
    EXPECT_TRUE(failed.console.ends_with(readingError("in.ASE"))) << failed.console;
    EXPECT_EQ(failed.document.find("</scene>"), std::string::npos);
}

} // namespace
