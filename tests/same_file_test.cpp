// An output path that names the input file, however it is spelled, is refused before
// anything is written, and the scene survives: through the program and the library.
// Symbolic links and named pipes are in same_file_posix_test.cpp; names in another
// letter case in command_line_windows_test.cpp.
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace meshlift::detail::test;

namespace {

using SameFile = SceneInFolder;

TEST_F(SameFile, OutputNamingTheInputItselfIsRefusedAndTheSceneSurvives) {
    std::filesystem::create_hard_link(pathOf(input), pathOf(dir.file("hard.ASE")));
    const std::string relative = utf8Of(dir.path()) + "/./scene.ASE";
    for (const std::string& path : {input, dir.file("hard.ASE"), relative}) {
        for (const Mode mode : kModes) {
            const RunResult run = runMeshlift({input, path, modeWord(mode)});
            EXPECT_EQ(run.exitCode, kExitFailure) << path;
            EXPECT_EQ(run.console, creatingError(path));
            EXPECT_EQ(readFile(input), kCleanScene);
        }
    }
}

TEST_F(SameFile, LibraryRefusesItAsTheProgramDoes) {
    const RunResult program = runMeshlift({input, input});
    const meshlift::Result library = meshlift::convertFile(input, input);
    EXPECT_EQ(library.exitCode, kExitFailure);
    EXPECT_EQ(library.exitCode, program.exitCode);
    EXPECT_EQ(withLfLineBreaks(library.console), program.console);
    EXPECT_EQ(readFile(input), kCleanScene);
}

} // namespace
