// The program as users run it: arguments, files, messages and exit codes. An output
// that names the input is in same_file_test.cpp.
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace meshlift::detail::test;

namespace {

const std::string kUsage = "Usage : Meshlift inputFile.ASE ouputFile.xml [mode = tri (|quad)]\n";

using CommandLine = SceneInFolder;

TEST_F(CommandLine, TwoArgumentsConvertInTriMode) {
    const RunResult run = runMeshlift({input, output});
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(readFile(output), kCleanTriDocument);
    EXPECT_EQ(runMeshlift({input, output, "tri"}).exitCode, kExitSuccess);
    EXPECT_EQ(readFile(output), kCleanTriDocument);
}

TEST_F(CommandLine, WrongArgumentCountsPrintOnlyTheUsageLine) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                      {input},
                                                      {input, output, "tri", "extra"},
                                                      {input, output, "bad", "extra"}}) {
        const RunResult run = runMeshlift(arguments);
        EXPECT_EQ(run.exitCode, kExitFailure);
        EXPECT_EQ(run.console, kUsage);
    }
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(CommandLine, ModesOtherThanTriOrQuadAreRefusedBeforeAnyFileIsTouched) {
    writeFile(output, "keep me");
    for (const std::string mode : {"TRI", "Quad", "tri ", "", "quads"}) {
        const RunResult run = runMeshlift({input, output, mode});
        EXPECT_EQ(run.exitCode, kExitFailure) << mode;
        EXPECT_EQ(run.console, "Error : invalid mode (tri or quad are supported)\n" + kUsage);
    }
    EXPECT_EQ(readFile(output), "keep me");
}

TEST_F(CommandLine, InputThatCannotBeOpenedLeavesTheOutputAlone) {
    writeFile(output, "keep me");
    const std::string missing = dir.file("missing.ASE");
    for (const std::string& path : {missing, dir.path().string(), std::string()}) {
        const RunResult run = runMeshlift({path, output});
        EXPECT_EQ(run.exitCode, kExitFailure);
        EXPECT_EQ(run.console, openingError(path));
    }
    EXPECT_EQ(readFile(output), "keep me");
}

TEST_F(CommandLine, OutputThatCannotBeCreated) {
    const std::string folder = dir.path().string();
    for (const std::string& path : {dir.file("no/such/dir/out.xml"), folder, folder + "/"}) {
        const RunResult run = runMeshlift({input, path});
        EXPECT_EQ(run.exitCode, kExitFailure);
        EXPECT_EQ(run.console, creatingError(path));
    }
}

TEST_F(CommandLine, EmptyInputGivesTheTwoLineDocument) {
    writeFile(input, "");
    const RunResult run = runMeshlift({input, output});
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, noObjectLine(input));
    EXPECT_EQ(readFile(output), emptySceneDocument());
}

} // namespace
