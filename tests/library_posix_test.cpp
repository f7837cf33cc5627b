// The library reading a descriptor: a POSIX pipe, and a descriptor that cannot be read.
#include "library_cases.h"
#include "meshlift/meshlift.h"
#include "shell_support.h"
#include "test_support.h"
#include "utf16_scenes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace meshlift::detail::test;
using namespace meshlift::detail::test::library_cases;

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

    // A descriptor just closed (its number free for the next file opened) is no input:
    // the temporary copy once took the number and was read as an empty scene.
    for (const int descriptor : {-1, pipeEnds[0]}) {
        Lines unreadable;
        EXPECT_EQ(meshlift::convertDescriptor(descriptor, meshlift::Mode::tri, collect(unreadable),
                                              "in.ASE")
                      .exitCode,
                  1);
        EXPECT_EQ(unreadable.console, "Error reading file : in.ASE !\n");
        EXPECT_EQ(unreadable.document, "");
    }
}

// A descriptor set not to block, whose writer is slower than the reader, is waited for.
TEST(Library, DescriptorThatDoesNotBlockIsWaitedFor) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK), 0);
    std::thread writer([&] {
        const std::size_t half = kScene.size() / 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (void)!::write(pipeEnds[1], kScene.data(), half);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (void)!::write(pipeEnds[1], kScene.data() + half, kScene.size() - half);
        ::close(pipeEnds[1]);
    });
    Lines fromPipe, fromBuffer;
    const int exitCode =
        meshlift::convertDescriptor(pipeEnds[0], meshlift::Mode::tri, collect(fromPipe)).exitCode;
    writer.join();
    ::close(pipeEnds[0]);
    EXPECT_EQ(exitCode, 0) << fromPipe.console;
    (void)meshlift::convertBuffer(kScene, meshlift::Mode::tri, collect(fromBuffer));
    EXPECT_EQ(fromPipe.document, fromBuffer.document);
}

// A temporary copy that cannot be written (a full disk, here a file size limit) gets the
// line the program writes for a piped input it cannot copy.
TEST(Library, DescriptorWhoseCopyCannotBeWrittenIsReportedAsTheProgramDoes) {
    TempDir dir;
    const std::string input = dir.file("in.ASE");
    writeFile(input, kScene + std::string(1 << 16, '\n'));
    const RunResult program =
        runShell("trap '' XFSZ; ulimit -f 8; cat " + shellQuote(input) + " | " +
                 shellQuote(MESHLIFT_BINARY) + " /dev/stdin " + shellQuote(dir.file("out.xml")));
    EXPECT_EQ(program.exitCode, 1);
    EXPECT_EQ(program.console, "Error opening file : /dev/stdin !\n");

    // The limit is set in a child, so that this process and its other tests keep none.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        Lines lines;
        const int fd = ::open(input.c_str(), O_RDONLY);
        const bool reported =
            ::setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
            meshlift::convertDescriptor(fd, meshlift::Mode::tri, collect(lines), "in.ASE")
                    .exitCode == 1 &&
            lines.console == "Error opening file : in.ASE !\n" && lines.document.empty();
        ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A UTF-16 scene from a pipe is copied whole, though its code units hold the byte 0x1A
// that ends other inputs, also when its byte-order mark comes in two reads.
TEST(Library, Utf16DescriptorIsCopiedWholeAndReadAsText) {
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
    Lines fromPipe, fromText;
    const int exitCode =
        meshlift::convertDescriptor(pipeEnds[0], meshlift::Mode::tri, collect(fromPipe)).exitCode;
    writer.join();
    ::close(pipeEnds[0]);
    EXPECT_EQ(exitCode, 0);
    (void)meshlift::convertBuffer(text, meshlift::Mode::tri, collect(fromText));
    EXPECT_EQ(fromPipe.document, fromText.document);
    EXPECT_NE(fromPipe.document.find("second"), std::string::npos);
}
