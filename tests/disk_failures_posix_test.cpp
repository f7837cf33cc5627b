// A full disk and a failing one: writes and reads that fail end the run with exit code
// 1 and the program's message, through the program and the library alike. /dev/full
// fails every write, a file size limit fails the copy of a piped input, and strace
// fails a read.
#include "shell_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace meshlift::detail::test;

namespace {

// The conversion runs to its end and the failed writes are reported after its own
// console lines.
TEST(DiskFailure, FullDiskIsReportedAfterTheRunByTheProgramAndTheLibrary) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    struct Case {
        const std::string& scene;
        std::string console;
    };
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    for (const Case& c :
         {Case{kCleanScene, writingError("/dev/full")},
          Case{kVertexShortScene, std::string(kMissingVertex) + std::string(kMissingFaceList) +
                                      writingError("/dev/full")}}) {
        writeFile(input, c.scene);
        const RunResult program = runMeshlift({input, "/dev/full"});
        EXPECT_EQ(program.exitCode, kExitFailure);
        EXPECT_EQ(program.console, c.console);
        const meshlift::Result library = meshlift::convertFile(input, "/dev/full");
        EXPECT_EQ(library.exitCode, kExitFailure);
        EXPECT_EQ(withLfLineBreaks(library.console), c.console);
    }
}

// A temporary copy that cannot be written (a full disk, here a file size limit) gets the
// line the program writes for a piped input it cannot copy.
TEST(DiskFailure, CopyOfAPipedInputThatCannotBeWrittenIsReportedByTheProgramAndTheLibrary) {
    TempDir dir;
    const std::string input = dir.file("in.ASE");
    // Longer than either limit below lets a file grow (8 KiB in the shell, 4 KiB here).
    writeFile(input, kVertexShortScene + std::string(std::size_t{64} << 10, '\n'));
    const RunResult program =
        runShell("trap '' XFSZ; ulimit -f 8; cat " + shellQuote(input) + " | " +
                 shellQuote(MESHLIFT_BINARY) + " /dev/stdin " + shellQuote(dir.file("out.xml")));
    EXPECT_EQ(program.exitCode, kExitFailure);
    EXPECT_EQ(program.console, openingError("/dev/stdin"));

    // The limit is set in a child, so that this process and its other tests keep none.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        Conversion lines;
        const int fd = ::open(input.c_str(), O_RDONLY);
        const bool reported =
            ::setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
            meshlift::convertDescriptor(fd, Mode::tri, collect(lines), "in.ASE").exitCode ==
                kExitFailure &&
            lines.console == openingError("in.ASE") && lines.document.empty();
        ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Runs `program` under strace after `before` (a shell pipe's first part, say) and
// returns how often it called `systemCall`, or makes its call number `failing` of
// that kind fail with EIO.
std::string straced(const std::string& before, const std::string& systemCall,
                    const std::string& log, int failing, const std::string& program) {
    const std::string inject =
        failing > 0 ? " -e inject=" + systemCall + ":error=EIO:when=" + std::to_string(failing)
                    : "";
    // The sanitizer build's leak check cannot run under a tracer.
    return before +
           "ASAN_OPTIONS=detect_leaks=0 strace -f --seccomp-bpf -qq -e trace=" + systemCall +
           inject + " -o " + shellQuote(log) + " " + program;
}

int countSystemCalls(const std::string& before, const std::string& systemCall,
                     const std::string& program, const TempDir& dir) {
    const std::string log = dir.file("strace.log");
    if (runShell(straced(before, systemCall, log, 0, program)).exitCode != 0) return -1;
    const std::string calls = readFile(log);
    return static_cast<int>(std::count(calls.begin(), calls.end(), '\n'));
}

// A failing disk, simulated by strace: the input's last read fails with EIO, in a
// file and in a pipe that is being copied aside.
TEST(DiskFailure, ReadErrorStopsTheConversionAndFailsTheRun) {
    if (runShell("strace -o /dev/null true").exitCode != 0) GTEST_SKIP() << "no strace";
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    std::string scene;
    while (scene.size() <
           meshlift::detail::InputReader::kBlockSize * 3 / 2) // the last read is not the first
        scene += kNamedTriangle;
    writeFile(input, scene);
    const std::string output = dir.file("scene.xml");
    const std::string log = dir.file("strace.log");
    const std::string program =
        shellQuote(MESHLIFT_BINARY) + " " + shellQuote(input) + " " + shellQuote(output);
    const int reads = countSystemCalls("", "pread64", program, dir);
    ASSERT_GT(reads, 0);
    const std::string whole = readFile(output);

    const RunResult failed = runShell(straced("", "pread64", log, reads, program));
    EXPECT_EQ(failed.exitCode, kExitFailure);
    EXPECT_EQ(failed.console, readingError(input));
    const std::string cut = readFile(output);
    EXPECT_LT(cut.size(), whole.size());
    EXPECT_EQ(whole.compare(0, cut.size(), cut), 0);
    EXPECT_TRUE(cut.ends_with("\r\n")); // whole lines, without the scene end line

    const std::string cat = "cat " + shellQuote(input) + " | ";
    const std::string fromPipe =
        shellQuote(MESHLIFT_BINARY) + " /dev/stdin " + shellQuote(dir.file("piped.xml"));
    const int streamReads = countSystemCalls(cat, "read", fromPipe, dir);
    ASSERT_GT(streamReads, 0);
    const RunResult pipeFailed = runShell(straced(cat, "read", log, streamReads, fromPipe));
    EXPECT_EQ(pipeFailed.exitCode, kExitFailure);
    EXPECT_EQ(pipeFailed.console, readingError("/dev/stdin"));
}

} // namespace
