// The program as users run it on POSIX systems: names that are no UTF-8, and its
// standard streams closed, redirected or a pipe, through the shell. Pipes as input are
// in piped_input_posix_test.cpp.
#include "shell_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace meshlift::detail::test;

namespace {

using CommandLine = SceneInFolder;

// Names are bytes on POSIX systems: those that are no UTF-8 pass too.
TEST_F(CommandLine, HighBytesInPathsReachFileSystemAndMessagesUnchanged) {
    expectNamesUnchanged(dir, "sc\xe8ne-\xff.ASE", "out-\xc3\xa9\xfe.xml", "missing-\xa0\xfe.ASE");
}

// Runs the program with the document going to a pipe, and returns what came out of
// the pipe (document and console lines together, as the document) and the program's
// exit code.
Conversion runIntoPipe(const TempDir& dir, const std::string& input) {
    const std::string exitFile = dir.file("exit-code");
    const RunResult run = runShell("{ " + shellQuote(MESHLIFT_BINARY) + " " + shellQuote(input) +
                                   " /dev/stdout; echo $? > " + shellQuote(exitFile) + "; } | cat");
    std::string code = readFile(exitFile);
    return {code.empty() ? -1 : std::stoi(code), run.console, ""};
}

TEST(StandardOutput, PipeGivesTheSameBytesAsAFile) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, kNamedTriangle + kNamedTriangle);
    const RunResult toFile = runMeshlift({input, dir.file("scene.xml")});
    ASSERT_EQ(toFile.exitCode, kExitSuccess);
    ASSERT_EQ(toFile.console, "");
    const Conversion piped = runIntoPipe(dir, input);
    EXPECT_EQ(piped.exitCode, kExitSuccess);
    EXPECT_EQ(piped.document, readFile(dir.file("scene.xml")));
}

TEST(StandardOutput, DocumentInterleavesWithConsoleLinesInOrder) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, "*GEOMOBJECT\n*NODE_NAME \"P\"\n*MESH\n*MESH_NUMVERTEX 3\n*MESH_NUMFACES 1\n"
                     "*MESH_VERTEX_LIST\n*MESH_VERTEX 0 1 2 3\n*MESH_VERTEX 1 4 5 6\n");
    const Conversion piped = runIntoPipe(dir, input);
    EXPECT_EQ(piped.exitCode, kExitSuccess);
    EXPECT_EQ(piped.document,
              documentLines({kSceneStart, objectLine("\"P\"", "0xAAAAAA"), "<nodes>",
                             R"(<node id="0" xyz="1,2,3"/>)", R"(<node id="1" xyz="4,5,6"/>)"}) +
                  std::string(kMissingVertex) + "</nodes>\r\n" + std::string(kMissingFaceList) +
                  documentLines({"</object>", kSceneEnd}));

    // Standard output redirected to a file that the output path also names.
    const std::string out = dir.file("out.xml");
    const std::string stale(4096, 'x');
    // Truncated by the shell (">"), or by the program ("1<>" opens without truncating).
    for (const std::string& redirection : {"> " + shellQuote(out), "1<> " + shellQuote(out)}) {
        for (const std::string& named : {std::string("/dev/stdout"), out}) {
            writeFile(out, stale);
            const RunResult run = runMeshlift({input, named}, redirection);
            EXPECT_EQ(run.exitCode, kExitSuccess) << redirection << " " << named;
            EXPECT_EQ(readFile(out), piped.document) << redirection << " " << named;
        }
    }
    writeFile(out, "earlier log\n");
    const RunResult appended = runMeshlift({input, "/dev/stdout"}, ">> " + shellQuote(out));
    EXPECT_EQ(appended.exitCode, kExitSuccess);
    EXPECT_EQ(readFile(out), "earlier log\n" + piped.document);
}

TEST(StandardStreams, ClosedDescriptorsKeepConsoleOutOfTheDocument) {
    // The scene writes error lines; none of them may end up in the document.
    const std::string scene = "*GEOMOBJECT\n*NODE_NAME \"P\"\n*MESH\n*MESH_NUMVERTEX 2\n"
                              "*MESH_NUMFACES 0\n*MESH_VERTEX_LIST\n*MESH_VERTEX 0 1 2 3\n";
    const std::string document =
        documentLines({kSceneStart, objectLine("\"P\"", "0xAAAAAA"), "<nodes>",
                       R"(<node id="0" xyz="1,2,3"/>)", "</nodes>", "</object>", kSceneEnd});
    const std::string console = std::string(kMissingVertex) + std::string(kMissingFaceList);
    for (const std::string redirections : {"<&-", ">&-", "<&- >&-", "<&- >&- 2>&-"}) {
        SCOPED_TRACE(redirections);
        TempDir dir;
        const std::string input = dir.file("scene.ASE");
        const std::string output = dir.file("scene.xml");
        writeFile(input, scene);
        const RunResult run = runMeshlift({input, output, "tri"}, redirections);
        EXPECT_EQ(run.exitCode, kExitSuccess);
        EXPECT_EQ(readFile(output), document);
        const bool consoleClosed = redirections.find(">&-") != std::string::npos;
        EXPECT_EQ(run.console, consoleClosed ? "" : console);
    }
}

} // namespace
