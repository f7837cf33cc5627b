// An output that is the input through a symbolic link, either way round, or a named
// pipe given as both: refused, and the scene survives.
#include "shell_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace meshlift::detail::test;

namespace {

using SameFile = SceneInFolder;

TEST_F(SameFile, OutputNamingTheInputThroughASymbolicLinkIsRefused) {
    const std::string link = dir.file("link.xml");
    std::filesystem::create_symlink(input, link);
    for (const Mode mode : kModes) {
        const RunResult run = runMeshlift({input, link, modeWord(mode)});
        EXPECT_EQ(run.exitCode, kExitFailure);
        EXPECT_EQ(run.console, creatingError(link));
        EXPECT_EQ(readFile(input), kCleanScene);
    }
    // Reading through the link and writing to the real name is the same file too.
    const RunResult reversed = runMeshlift({link, input});
    EXPECT_EQ(reversed.exitCode, kExitFailure);
    EXPECT_EQ(reversed.console, creatingError(input));
    EXPECT_EQ(readFile(input), kCleanScene);
}

// A named pipe given as both the input and the output is the input itself: the
// program must refuse it instead of waiting for a reader that never comes.
TEST_F(SameFile, NamedPipeAsInputAndOutputIsRefused) {
    const std::string fifo = dir.file("scene.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const RunResult run =
        runShell("(cat " + shellQuote(input) + " > " + shellQuote(fifo) + " &) ; timeout 10 " +
                 shellQuote(MESHLIFT_BINARY) + " " + shellQuote(fifo) + " " + shellQuote(fifo));
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_EQ(run.console, creatingError(fifo));
}

} // namespace
