// Real exports read through a pipe give the very documents that the files give.
#include "shell_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using namespace meshlift::detail::test;

TEST(Golden, RealExportsThroughAPipeGiveTheSameDocuments) {
    std::vector<fs::path> scenes;
    if (fs::is_directory(MESHLIFT_CORPUS))
        for (const fs::directory_entry& entry : fs::directory_iterator(MESHLIFT_CORPUS))
            if (entry.is_regular_file()) scenes.push_back(entry.path());
    if (scenes.empty()) GTEST_SKIP() << "no corpus at " << MESHLIFT_CORPUS;
    std::sort(scenes.begin(), scenes.end());
    TempDir dir;
    const std::string output = dir.file("out.xml");
    for (const fs::path& scene : scenes) {
        for (const std::string mode : {"tri", "quad"}) {
            SCOPED_TRACE(scene.filename().string() + " " + mode);
            ASSERT_EQ(runMeshlift({scene.string(), output, mode}).exitCode, 0);
            const std::string document = readFile(output);
            const RunResult piped =
                runShell("cat " + shellQuote(scene.string()) + " | " + shellQuote(MESHLIFT_BINARY) +
                         " /dev/stdin " + shellQuote(output) + " " + mode);
            EXPECT_EQ(piped.exitCode, 0);
            EXPECT_EQ(readFile(output), document);
        }
    }
}
