// A scene read from a pipe, a redirection or a named pipe gives the bytes that the
// same scene gives from a file: through the program, and through the library's
// descriptor call. Named pipes on Windows are in command_line_windows_test.cpp.
#include "shell_support.h"
#include "test_support.h"
#include "utf16_scenes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace meshlift::detail::test;

namespace {

using PipedInput = SceneInFolder;

RunResult runOnPipe(const std::string& scene, const std::string& output, Mode mode,
                    const std::string& environment = "") {
    return runShell("cat " + shellQuote(scene) + " | " + environment + shellQuote(MESHLIFT_BINARY) +
                    " /dev/stdin " + shellQuote(output) + " " + modeWord(mode));
}

TEST_F(PipedInput, PipeAndRedirectionGiveTheBytesOfTheFile) {
    struct Case {
        std::string scene;
        std::string triConsole, quadConsole;
    };
    const Case cases[] = {
        // Small, with console lines.
        {kCleanScene + "*GEOMOBJECT {\n*MESH {\n", std::string(kMissingMesh),
         std::string(kMissingFace)},
        // Past the first window, with colour lines after the meshes, so that the
        // look-ahead goes back in the copy of the pipe too.
        {randomBytes(3 * meshlift::detail::InputReader::kBlockSize, 99) + "\n" + kNamedTriangle +
             triangleScene("*NODE_NAME \"Two\"", "*WIREFRAME_COLOR 0 0 1") + "*GEOMOBJECT\n",
         std::string(kMissingMesh), std::string(kMissingMesh)}};
    const std::string piped = dir.file("piped.xml");
    for (const Case& c : cases) {
        writeFile(input, c.scene);
        for (const Mode mode : kModes) {
            SCOPED_TRACE(modeWord(mode));
            const RunResult fromFile = runMeshlift({input, output, modeWord(mode)});
            EXPECT_EQ(fromFile.exitCode, kExitSuccess);
            EXPECT_EQ(fromFile.console, mode == Mode::tri ? c.triConsole : c.quadConsole);
            const std::string expected = readFile(output);
            const RunResult fromPipe = runOnPipe(input, piped, mode);
            EXPECT_EQ(fromPipe.exitCode, kExitSuccess);
            EXPECT_EQ(fromPipe.console, fromFile.console);
            EXPECT_EQ(readFile(piped), expected);
            std::filesystem::remove(piped);
            const RunResult redirected =
                runMeshlift({"/dev/stdin", piped, modeWord(mode)}, "< " + shellQuote(input));
            EXPECT_EQ(redirected.exitCode, kExitSuccess);
            EXPECT_EQ(redirected.console, fromFile.console);
            EXPECT_EQ(readFile(piped), expected);
        }
    }
}

TEST_F(PipedInput, NamedPipe) {
    const std::string fifo = dir.file("scene.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const RunResult run =
        runShell("(cat " + shellQuote(input) + " > " + shellQuote(fifo) + " &) ; " +
                 shellQuote(MESHLIFT_BINARY) + " " + shellQuote(fifo) + " " + shellQuote(output));
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(readFile(output), kCleanTriDocument);
}

// The program takes nothing from the environment: a temporary directory setting
// that names no directory must not stop a piped scene from being converted.
TEST_F(PipedInput, DoesNotDependOnTheTemporaryDirectorySetting) {
    writeFile(input, "*GEOMOBJECT {\n*NODE_NAME \"T\"\n}\n");
    ASSERT_EQ(runMeshlift({input, output}).exitCode, kExitSuccess);
    const std::string piped = dir.file("piped.xml");
    const RunResult run =
        runOnPipe(input, piped, Mode::tri, "TMPDIR=" + shellQuote(dir.file("no/such/dir")) + " ");
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, kMissingMesh);
    EXPECT_EQ(readFile(piped), readFile(output));
}

TEST(PipedInputCorpus, RealExportsGiveTheDocumentsOfTheirFiles) {
    const std::vector<std::filesystem::path> scenes = filesIn(MESHLIFT_CORPUS);
    if (scenes.empty()) GTEST_SKIP() << "no corpus at " << MESHLIFT_CORPUS;
    TempDir dir;
    const std::string output = dir.file("out.xml");
    for (const std::filesystem::path& scene : scenes) {
        for (const Mode mode : kModes) {
            SCOPED_TRACE(scene.filename().string() + " " + modeWord(mode));
            ASSERT_EQ(runMeshlift({scene.string(), output, modeWord(mode)}).exitCode, kExitSuccess);
            const std::string document = readFile(output);
            const RunResult piped = runOnPipe(scene.string(), output, mode);
            EXPECT_EQ(piped.exitCode, kExitSuccess);
            EXPECT_EQ(readFile(output), document);
        }
    }
}

// The library's descriptor call on a pipe: the buffer's lines; on a descriptor that is
// not open, the program's line for an input it cannot read.
TEST(PipedInputLibrary, DescriptorReadsAPipeLikeABufferAndReportsAnUnreadableOne) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], kVertexShortScene.data(), kVertexShortScene.size()),
              static_cast<ssize_t>(kVertexShortScene.size()));
    ::close(pipeEnds[1]);
    Conversion fromPipe, fromBuffer;
    EXPECT_EQ(meshlift::convertDescriptor(pipeEnds[0], Mode::tri, collect(fromPipe)).exitCode,
              kExitSuccess);
    ::close(pipeEnds[0]);
    EXPECT_EQ(meshlift::convertBuffer(kVertexShortScene, Mode::tri, collect(fromBuffer)).exitCode,
              kExitSuccess);
    EXPECT_EQ(fromPipe.document, fromBuffer.document);
    EXPECT_EQ(fromPipe.console, fromBuffer.console);

    // A descriptor just closed (its number free for the next file opened) is no input:
    // the temporary copy once took the number and was read as an empty scene.
    for (const int descriptor : {-1, pipeEnds[0]}) {
        Conversion unreadable;
        EXPECT_EQ(meshlift::convertDescriptor(descriptor, Mode::tri, collect(unreadable), "in.ASE")
                      .exitCode,
                  kExitFailure);
        EXPECT_EQ(unreadable.console, readingError("in.ASE"));
        EXPECT_EQ(unreadable.document, "");
    }
}

// A descriptor set not to block, whose writer is slower than the reader, is waited for.
TEST(PipedInputLibrary, DescriptorThatDoesNotBlockIsWaitedFor) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK), 0);
    const std::string& scene = kVertexShortScene;
    std::thread writer([&] {
        const std::size_t half = scene.size() / 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (void)!::write(pipeEnds[1], scene.data(), half);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (void)!::write(pipeEnds[1], scene.data() + half, scene.size() - half);
        ::close(pipeEnds[1]);
    });
    Conversion fromPipe, fromBuffer;
    const int exitCode =
        meshlift::convertDescriptor(pipeEnds[0], Mode::tri, collect(fromPipe)).exitCode;
    writer.join();
    ::close(pipeEnds[0]);
    EXPECT_EQ(exitCode, kExitSuccess) << fromPipe.console;
    (void)meshlift::convertBuffer(scene, Mode::tri, collect(fromBuffer));
    EXPECT_EQ(fromPipe.document, fromBuffer.document);
}

// A UTF-16 scene from a pipe is copied whole, though its code units hold the byte 0x1A
// that ends other inputs, also when its byte-order mark comes in two reads.
TEST(PipedInputLibrary, Utf16DescriptorIsCopiedWholeAndReadAsText) {
    const std::string text = utf16TestScene();
    const std::string utf16 = utf16Bytes(utf16Units(text), meshlift::detail::ByteOrder::bigEndian);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    std::thread writer([&] {
        (void)!::write(pipeEnds[1], utf16.data(), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        (void)!::write(pipeEnds[1], utf16.data() + 1, utf16.size() - 1);
        ::close(pipeEnds[1]);
    });
    Conversion fromPipe, fromText;
    const int exitCode =
        meshlift::convertDescriptor(pipeEnds[0], Mode::tri, collect(fromPipe)).exitCode;
    writer.join();
    ::close(pipeEnds[0]);
    EXPECT_EQ(exitCode, kExitSuccess);
    (void)meshlift::convertBuffer(text, Mode::tri, collect(fromText));
    EXPECT_EQ(fromPipe.document, fromText.document);
    EXPECT_NE(fromPipe.document.find("second"), std::string::npos);
}

} // namespace
