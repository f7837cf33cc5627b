// The library's calls against the program: the same bytes, exit codes and messages,
// reported through the result and the line callback.
#include "library_cases.h"
#include "meshlift/meshlift.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

using namespace meshlift::detail::test;
using namespace meshlift::detail::test::library_cases;

TEST(Library, FileErrorsAreTheProgramsThroughTheResult) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, kScene);
    std::vector<std::pair<std::string, std::string>> cases = {
        {dir.file("missing.ASE"), dir.file("missing.xml")}, {input, input}};
    if (std::filesystem::exists("/dev/full")) cases.emplace_back(input, "/dev/full");
    for (const auto& [in, out] : cases) {
        const RunResult program = runMeshlift({in, out});
        const meshlift::Result library = meshlift::convertFile(in, out);
        EXPECT_EQ(library.exitCode, 1) << out;
        EXPECT_EQ(library.exitCode, program.exitCode) << out;
        EXPECT_EQ(withLfLineBreaks(library.console), program.console) << out;
    }
    EXPECT_EQ(readFile(input), kScene);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.xml")));
}

TEST(Library, BufferLinesReachTheCallbackOneByOneAsTheProgramWritesThem) {
    TempDir dir;
    writeFile(dir.file("scene.ASE"), kScene);
    const RunResult program = runMeshlift({dir.file("scene.ASE"), dir.file("scene.xml"), "quad"});
    Lines lines;
    const meshlift::Result result = meshlift::convertBuffer(kScene, meshlift::Mode::quad,
                                                            collect(lines), dir.file("scene.ASE"));
    EXPECT_EQ(result.exitCode, program.exitCode);
    EXPECT_EQ(lines.document, readFile(dir.file("scene.xml")));
    EXPECT_EQ(withLfLineBreaks(lines.console), program.console);
    EXPECT_NE(lines.console, "");
    EXPECT_TRUE(lines.eachCallOneLine);
}

TEST(Library, CallbackThatThrowsEndsTheDeliveryWithExitCodeOne) {
    int calls = 0;
    const meshlift::Result result =
        meshlift::convertBuffer(kScene, meshlift::Mode::tri, [&](meshlift::LineKind, auto) {
            if (++calls == 3) throw std::runtime_error("full");
        });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(calls, 3);
}

TEST(Library, ReaderGivingShortCountsConvertsLikeTheBuffer) {
    for (const meshlift::Mode mode : {meshlift::Mode::tri, meshlift::Mode::quad}) {
        Lines expected;
        const meshlift::Result buffer = meshlift::convertBuffer(kScene, mode, collect(expected));
        int reads = 0;
        meshlift::SceneReader scene;
        scene.size = kScene.size();
        scene.readAt = [&](std::uint64_t offset, char* data, std::size_t capacity) {
            ++reads;
            if (offset >= kScene.size()) return std::ptrdiff_t{0};
            const std::size_t size = std::min<std::size_t>({7, capacity, kScene.size() - offset});
            kScene.copy(data, size, offset);
            return static_cast<std::ptrdiff_t>(size);
        };
        Lines lines;
        const meshlift::Result reader = meshlift::convertReader(scene, mode, collect(lines));
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
    Lines lines;
    meshlift::Result result =
        meshlift::convertReader(scene, meshlift::Mode::tri, collect(lines), dir.file("gone.ASE"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(withLfLineBreaks(lines.console), missing.console);
    EXPECT_EQ(lines.document, "");

    scene.open = nullptr; // a read that throws, after the first block
    scene.readAt = [](std::uint64_t offset, char* data, std::size_t capacity) -> std::ptrdiff_t {
        if (offset > 0) throw std::runtime_error("gone");
        const std::size_t size = std::min<std::size_t>(40, capacity);
        kScene.copy(data, size);
        return static_cast<std::ptrdiff_t>(size);
    };
    Lines failed;
    result = meshlift::convertReader(scene, meshlift::Mode::tri, collect(failed), "in.ASE");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(withLfLineBreaks(failed.console).ends_with("Error reading file : in.ASE !\n"))
        << failed.console;
    EXPECT_EQ(failed.document.find("</scene>"), std::string::npos);
}
