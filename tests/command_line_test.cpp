// The program as users run it: arguments, files, messages and exit codes.
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace meshlift::test;

namespace {

const std::string kUsage = "Usage : Meshlift inputFile.ASE ouputFile.xml [mode = tri (|quad)]\n";
const std::string kScene = "*GEOMOBJECT {\n*NODE_NAME \"T\"\n*MESH {\n*MESH_NUMVERTEX 1\n"
                           "*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1 2 3\n}\n"
                           "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 0 C: 0 AB: 1 BC: 0 CA: 0\n"
                           "}\n}\n*WIREFRAME_COLOR 1 1 1\n}\n";
const std::string kTriDocument =
    documentLines({kSceneStart, R"(<object id="T" Ka="1.0" Kd="0.8" Ks="0.15" color="0xffffff">)",
                   "<nodes>", R"(<node id="0" xyz="1,2,3"/>)", "</nodes>", "<polygons>",
                   R"(<polygon id="0">)", R"(<node id="0"/>)", R"(<node id="0"/>)",
                   R"(<node id="0"/>)", "</polygon>", "</polygons>", "</object>", "</scene>"});

const std::string kUnfinishedScene = "*GEOMOBJECT {\n*NODE_NAME \"T\"\n}\n";

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        input = dir.file("scene.ASE");
        output = dir.file("scene.xml");
        writeFile(input, kScene);
    }
    TempDir dir;
    std::string input, output;
};

} // namespace

TEST_F(CommandLine, TwoArgumentsConvertInTriMode) {
    const RunResult run = runMeshlift({input, output});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(readFile(output), kTriDocument);
    EXPECT_EQ(runMeshlift({input, output, "tri"}).exitCode, 0);
    EXPECT_EQ(readFile(output), kTriDocument);
}

TEST_F(CommandLine, WrongArgumentCountsPrintOnlyTheUsageLine) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                      {input},
                                                      {input, output, "tri", "extra"},
                                                      {input, output, "bad", "extra"}}) {
        const RunResult run = runMeshlift(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, kUsage);
    }
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(CommandLine, ModesOtherThanTriOrQuadAreRefusedBeforeAnyFileIsTouched) {
    writeFile(output, "keep me");
    for (const std::string mode : {"TRI", "Quad", "tri ", "", "quads"}) {
        const RunResult run = runMeshlift({input, output, mode});
        EXPECT_EQ(run.exitCode, 1) << mode;
        EXPECT_EQ(run.console, "Error : invalid mode (tri or quad are supported)\n" + kUsage);
    }
    EXPECT_EQ(readFile(output), "keep me");
}

TEST_F(CommandLine, InputThatCannotBeOpenedLeavesTheOutputAlone) {
    writeFile(output, "keep me");
    const std::string missing = dir.file("missing.ASE");
    for (const std::string& path : {missing, dir.path().string(), std::string()}) {
        const RunResult run = runMeshlift({path, output});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, "Error opening file : " + path + " !\n");
    }
    EXPECT_EQ(readFile(output), "keep me");
}

TEST_F(CommandLine, OutputThatCannotBeCreated) {
    for (const std::string& path : {dir.file("no/such/dir/out.xml"), dir.path().string()}) {
        const RunResult run = runMeshlift({input, path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, "Error creating file : " + path + " !\n");
    }
}

TEST_F(CommandLine, OutputNamingTheInputItselfIsRefusedAndTheSceneSurvives) {
    std::filesystem::create_symlink(input, dir.file("link.ASE"));
    std::filesystem::create_hard_link(input, dir.file("hard.ASE"));
    const std::string relative = dir.path().string() + "/./scene.ASE";
    for (const std::string& path : {input, dir.file("link.ASE"), dir.file("hard.ASE"), relative}) {
        const RunResult run = runMeshlift({input, path, "quad"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, "Error creating file : " + path + " !\n");
        EXPECT_EQ(readFile(input), kScene);
    }
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

TEST_F(CommandLine, EmptyInputGivesTheTwoLineDocument) {
    writeFile(input, "");
    const RunResult run = runMeshlift({input, output});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, "Error : no *GEOMOBJECT found in " + input + "!\n");
    EXPECT_EQ(readFile(output), documentLines({kSceneStart, "</scene>"}));
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
