// Cases found by reviewing the program against its definition.
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace meshlift::test;

namespace {

const std::string kScene = "*GEOMOBJECT {\n*NODE_NAME \"T\"\n}\n";

} // namespace

// A named pipe given as both the input and the output is the input itself: the
// program must refuse it instead of waiting for a reader that never comes.
TEST(ReviewFindings, NamedPipeAsInputAndOutputIsRefused) {
    TempDir dir;
    const std::string fifo = dir.file("scene.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeFile(dir.file("scene.ASE"), kScene);
    const RunResult run =
        runShell("(cat " + shellQuote(dir.file("scene.ASE")) + " > " + shellQuote(fifo) +
                 " &) ; timeout 10 " + shellQuote(MESHLIFT_BINARY) + " " + shellQuote(fifo) + " " +
                 shellQuote(fifo));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.console, "Error creating file : " + fifo + " !\n");
}

// The program takes nothing from the environment: a temporary directory setting
// that names no directory must not stop a piped scene from being converted.
TEST(ReviewFindings, PipedInputDoesNotDependOnTheTemporaryDirectorySetting) {
    TempDir dir;
    const std::string scene = dir.file("scene.ASE");
    writeFile(scene, kScene);
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
