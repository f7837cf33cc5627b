// The library's calls against the program: the same bytes, exit codes and messages,
// reported through the result and the line callback.
#include "library_cases.h"
#include "meshlift/meshlift.h"
#include "test_support.h"

#include <gtest/gtest.h>

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
