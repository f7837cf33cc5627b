// The program as users run it: arguments, files, messages and exit codes.
#include "command_line_cases.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace meshlift::detail::test;

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
    std::filesystem::create_hard_link(pathOf(input), pathOf(dir.file("hard.ASE")));
    const std::string relative = utf8Of(dir.path()) + "/./scene.ASE";
    for (const std::string& path : {input, dir.file("hard.ASE"), relative}) {
        const RunResult run = runMeshlift({input, path, "quad"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, "Error creating file : " + path + " !\n");
        EXPECT_EQ(readFile(input), kScene);
    }
}

TEST_F(CommandLine, EmptyInputGivesTheTwoLineDocument) {
    writeFile(input, "");
    const RunResult run = runMeshlift({input, output});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, "Error : no *GEOMOBJECT found in " + input + "!\n");
    EXPECT_EQ(readFile(output), documentLines({kSceneStart, "</scene>"}));
}
