// Real and hand-made scenes converted by the built program, compared byte for byte
// with their expected documents and console output.
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace meshlift::detail::test;

namespace {

bool isScene(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".ASE" || extension == ".ase";
}

// Runs the program in the scene's folder, so that the console names it as given.
RunResult runInSceneFolder(const fs::path& scene, const std::string& output, Mode mode) {
    return runProgram(MESHLIFT_BINARY, {utf8Of(scene.filename()), output, modeWord(mode)},
                      utf8Of(scene.parent_path()));
}

void expectGolden(const fs::path& scene, const fs::path& expected) {
    TempDir dir;
    for (const Mode mode : kModes) {
        SCOPED_TRACE(scene.filename().string() + " " + modeWord(mode));
        const std::string stem = (expected / scene.stem()).string() + "." + modeWord(mode);
        ASSERT_TRUE(fs::exists(stem + ".xml")) << stem;
        const std::string output = dir.file("out.xml");
        const RunResult run = runInSceneFolder(scene, output, mode);
        EXPECT_EQ(run.exitCode, kExitSuccess);
        EXPECT_EQ(run.console, readFile(stem + ".out"));
        EXPECT_EQ(readFile(output), readFile(stem + ".xml"));
    }
}

} // namespace

TEST(Golden, TestScenes) {
    int scenes = 0;
    for (const fs::path& scene : filesIn(MESHLIFT_TEST_DATA)) {
        if (!isScene(scene)) continue;
        expectGolden(scene, MESHLIFT_TEST_DATA);
        ++scenes;
    }
    EXPECT_GE(scenes, 7);
}

TEST(Golden, BundledSample) {
    expectGolden(fs::path(MESHLIFT_TEST_DATA).parent_path().parent_path() / "examples" /
                     "sample.ASE",
                 MESHLIFT_TEST_DATA);
}

// Every real export that sits beside the project converts in both modes, and the
// program's file path and the in-memory path with a tiny window agree on every byte
// (the pipe path is compared in piped_input_posix_test.cpp).
TEST(Golden, RealExportsAgreeAcrossAllWaysOfReading) {
    const std::vector<fs::path> scenes = filesIn(MESHLIFT_CORPUS);
    if (scenes.empty()) GTEST_SKIP() << "no corpus at " << MESHLIFT_CORPUS;
    TempDir dir;
    const std::string output = dir.file("out.xml");
    for (const fs::path& scene : scenes) {
        for (const Mode mode : kModes) {
            SCOPED_TRACE(scene.filename().string() + " " + modeWord(mode));
            const RunResult run = runMeshlift({scene.string(), output, modeWord(mode)});
            ASSERT_EQ(run.exitCode, kExitSuccess);
            const std::string document = readFile(output);
            ASSERT_EQ(document.rfind(std::string(kSceneStart) + "\r\n", 0), 0u);
            ASSERT_TRUE(document.ends_with("</scene>\r\n"));

            const std::string bytes = readFile(scene.string());
            const Conversion inMemory = convertInMemory(bytes, mode, 40, scene.string());
            EXPECT_EQ(inMemory.document, document);
            EXPECT_EQ(inMemory.console, run.console);
        }
    }
}
