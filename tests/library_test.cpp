// The library's calls against the program: the same bytes, exit codes and messages,
// reported through the result and the line callback.
#include "meshlift/meshlift.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <unistd.h>

using namespace meshlift::test;

namespace {

// One vertex short, so that a console line comes between document lines.
const std::string kScene = "*GEOMOBJECT {\n*NODE_NAME \"T\"\n*MESH {\n*MESH_NUMVERTEX 2\n"
                           "*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1 2 3\n}\n"
                           "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 0 C: 0 AB: 1 BC: 0 CA: 0\n"
                           "}\n}\n*WIREFRAME_COLOR 1 1 1\n}\n";

struct Lines {
    std::string document;
    std::string console;
    int calls = 0;
    bool eachCallOneLine = true;
};

meshlift::LineCallback collect(Lines& lines) {
    return [&lines](meshlift::LineKind kind, std::string_view line) {
        ++lines.calls;
        const bool document = kind == meshlift::LineKind::document;
        const std::string_view end = document ? "\r\n" : "\n";
        lines.eachCallOneLine =
            lines.eachCallOneLine && line.ends_with(end) && line.find('\n') == line.size() - 1;
        (document ? lines.document : lines.console).append(line);
    };
}

} // namespace

TEST(Library, FileErrorsAreTheProgramsThroughTheResult) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, kScene);
    std::vector<std::pair<std::string, std::string>> cases = {
        {dir.file("missing.ASE"), dir.file("missing.xml")}, {input, input}};
    if (std::filesystem::exists("/dev/full")) cases.emplace_back(input, "/dev/full");
    for (const auto& [in, out] : cases) {
        const RunResult program = runMeshlift({in, out});
        const meshlift::Result library = meshlift::convertFile(in, out);
        EXPECT_EQ(library.exitCode, 1) << out;
        EXPECT_EQ(library.exitCode, program.exitCode) << out;
        EXPECT_EQ(library.console, program.console) << out;
    }
    EXPECT_EQ(readFile(input), kScene);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.xml")));
}

TEST(Library, BufferLinesReachTheCallbackOneByOneAsTheProgramWritesThem) {
    TempDir dir;
    writeFile(dir.file("scene.ASE"), kScene);
    const RunResult program = runMeshlift({dir.file("scene.ASE"), dir.file("scene.xml"), "quad"});
    Lines lines;
    const meshlift::Result result = meshlift::convertBuffer(kScene, meshlift::Mode::quad,
                                                            collect(lines), dir.file("scene.ASE"));
    EXPECT_EQ(result.exitCode, program.exitCode);
    EXPECT_EQ(lines.document, readFile(dir.file("scene.xml")));
    EXPECT_EQ(lines.console, program.console);
    EXPECT_NE(lines.console, "");
    EXPECT_TRUE(lines.eachCallOneLine);
}

TEST(Library, CallbackThatThrowsEndsTheDeliveryWithExitCodeOne) {
    int calls = 0;
    const meshlift::Result result =
        meshlift::convertBuffer(kScene, meshlift::Mode::tri, [&](meshlift::LineKind, auto) {
            if (++calls == 3) throw std::runtime_error("full");
        });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(calls, 3);
}

TEST(Library, DescriptorReadsAPipeLikeABufferAndReportsAnUnreadableOne) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], kScene.data(), kScene.size()),
              static_cast<ssize_t>(kScene.size()));
    ::close(pipeEnds[1]);
    Lines fromPipe, fromBuffer;
    EXPECT_EQ(
        meshlift::convertDescriptor(pipeEnds[0], meshlift::Mode::tri, collect(fromPipe)).exitCode,
        0);
    ::close(pipeEnds[0]);
    EXPECT_EQ(meshlift::convertBuffer(kScene, meshlift::Mode::tri, collect(fromBuffer)).exitCode,
              0);
    EXPECT_EQ(fromPipe.document, fromBuffer.document);
    EXPECT_EQ(fromPipe.console, fromBuffer.console);

    Lines unreadable;
    EXPECT_EQ(meshlift::convertDescriptor(-1, meshlift::Mode::tri, collect(unreadable), "in.ASE")
                  .exitCode,
              1);
    EXPECT_EQ(unreadable.console, "Error reading file : in.ASE !\n");
    EXPECT_EQ(unreadable.document, "");
}
