// The program as users run it on POSIX systems: pipes, FIFOs, symbolic links,
// /dev/full and the environment, through the shell.
#include "command_line_cases.h"
#include "shell_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace meshlift::detail::test;

TEST_F(CommandLine, OutputNamingTheInputThroughASymbolicLinkIsRefused) {
    std::filesystem::create_symlink(input, dir.file("link.ASE"));
    const RunResult run = runMeshlift({input, dir.file("link.ASE"), "quad"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.console, "Error creating file : " + dir.file("link.ASE") + " !\n");
    EXPECT_EQ(readFile(input), kScene);
    // Reading through the link and writing to the real name is the same file too.
    EXPECT_EQ(runMeshlift({dir.file("link.ASE"), input}).exitCode, 1);
    EXPECT_EQ(readFile(input), kScene);
}

TEST_F(CommandLine, FailedWritesAreReportedAfterTheRun) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const RunResult run = runMeshlift({input, "/dev/full"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.console, "Error writing file : /dev/full !\n");
}

TEST_F(CommandLine, PipesAndRedirectedInputGiveTheSameBytesAsTheFile) {
    const std::string scenes = kScene + "*GEOMOBJECT {\n*MESH {\n"; // errors too
    writeFile(input, scenes);
    for (const std::string mode : {"tri", "quad"}) {
        const RunResult fromFile = runMeshlift({input, output, mode});
        const std::string expected = readFile(output);
        const std::string piped = dir.file("piped.xml");
        const RunResult fromPipe =
            runShell("cat " + shellQuote(input) + " | " + shellQuote(MESHLIFT_BINARY) +
                     " /dev/stdin " + shellQuote(piped) + " " + mode);
        EXPECT_EQ(fromPipe.exitCode, fromFile.exitCode);
        EXPECT_EQ(fromPipe.console, fromFile.console);
        EXPECT_NE(fromPipe.console, "");
        EXPECT_EQ(readFile(piped), expected);
        const RunResult redirected =
            runMeshlift({"/dev/stdin", piped, mode}, "< " + shellQuote(input));
        EXPECT_EQ(redirected.exitCode, 0);
        EXPECT_EQ(readFile(piped), expected);
    }
}

TEST_F(CommandLine, NamedPipeInput) {
    const std::string fifo = dir.file("scene.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const RunResult run =
        runShell("(cat " + shellQuote(input) + " > " + shellQuote(fifo) + " &) ; " +
                 shellQuote(MESHLIFT_BINARY) + " " + shellQuote(fifo) + " " + shellQuote(output));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(readFile(output), kTriDocument);
}

// A named pipe given as both the input and the output is the input itself: the
// program must refuse it instead of waiting for a reader that never comes.
TEST_F(CommandLine, NamedPipeAsInputAndOutputIsRefused) {
    const std::string fifo = dir.file("scene.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const RunResult run =
        runShell("(cat " + shellQuote(input) + " > " + shellQuote(fifo) + " &) ; timeout 10 " +
                 shellQuote(MESHLIFT_BINARY) + " " + shellQuote(fifo) + " " + shellQuote(fifo));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.console, "Error creating file : " + fifo + " !\n");
}

// The program takes nothing from the environment: a temporary directory setting
// that names no directory must not stop a piped scene from being converted.
TEST_F(CommandLine, PipedInputDoesNotDependOnTheTemporaryDirectorySetting) {
    const std::string scene = input;
    writeFile(scene, kUnfinishedScene);
    const std::string fromFile = dir.file("file.xml");
    ASSERT_EQ(runMeshlift({scene, fromFile}).exitCode, 0);
    const std::string piped = dir.file("piped.xml");
    const RunResult run =
        runShell("cat " + shellQuote(scene) + " | TMPDIR=" + shellQuote(dir.file("no/such/dir")) +
                 " " + shellQuote(MESHLIFT_BINARY) + " /dev/stdin " + shellQuote(piped));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, "Error : no *MESH found in *GEOMOBJECT !\n");
    EXPECT_EQ(readFile(piped), readFile(fromFile));
}
