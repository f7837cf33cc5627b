// Hostile paths, inputs, outputs and starts that need a POSIX system: bytes that are
// no UTF-8 in file names, peak memory, symbolic links, /dev/full, pipes and
// redirections through the shell, reads failed by strace and closed standard
// descriptors.
#include "hostile_scenes.h"
#include "shell_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace meshlift::detail::test {
namespace {

Outcome runOnFileWithRedirections(const TempDir& dir, std::string_view scene,
                                  const std::string& redirections) {
    const std::string input = dir.file("scene.ASE");
    const std::string output = dir.file("scene.xml");
    writeFile(input, scene);
    std::filesystem::remove(output);
    const RunResult run = runMeshlift({input, output, "tri"}, redirections);
    return {run.exitCode, readFile(output), run.console};
}

TEST(HostileInput, HighBytesInPathsReachFileSystemAndMessagesUnchanged) {
    TempDir dir;
    const std::string input = dir.file("sc\xe8ne-\xff.ASE");
    const std::string output = dir.file("out-\xc3\xa9\xfe.xml");
    writeFile(input, "no objects here\n");
    const RunResult run = runMeshlift({input, output});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, noObjectMessage(input));
    EXPECT_EQ(readFile(output), emptySceneDocument());

    const std::string missing = dir.file("missing-\xa0\xfe.ASE");
    const RunResult notOpened = runMeshlift({missing, output});
    EXPECT_EQ(notOpened.exitCode, 1);
    EXPECT_EQ(notOpened.console, "Error opening file : " + missing + " !\n");
}

// Runs the program and returns its peak resident memory in kilobytes, or -1 when
// the run failed; `console` receives the program's console lines.
long peakMemoryOfRun(const std::vector<std::string>& arguments, std::string& console) {
    std::string command = shellQuote(MESHLIFT_PEAK_MEMORY) + " " + shellQuote(MESHLIFT_BINARY);
    for (const std::string& argument : arguments)
        command.append(" ").append(shellQuote(argument));
    const RunResult run = runShell(command);
    const std::size_t lastLine = run.console.rfind('\n', run.console.size() - 2);
    const std::size_t peakAt = lastLine == std::string::npos ? 0 : lastLine + 1;
    if (run.exitCode != 0 || run.console.size() < 2) return -1;
    console = run.console.substr(0, peakAt);
    return std::stol(run.console.substr(peakAt));
}

constexpr std::size_t kHugeLine = 50u << 20;

// CR alone does not end a line: 50 MB of scene lines ending in CR are one line.
// Appended in pieces, so that the test itself never holds the whole line.
void appendCrOnlyFiller(const std::string& path, std::size_t size) {
    const std::string_view line = "\t\t\t*MESH_VERTEX    0\t-10.0000\t-10.0000\t0.0000\r";
    std::string piece;
    while (piece.size() < (1 << 20))
        piece.append(line);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (std::size_t left = size; left > 0;) {
        const std::size_t n = std::min(left, piece.size());
        out.write(piece.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
}

// Peak memory of a run on a tiny scene: what the program and its runtime (a
// sanitizer's, for one) cost whatever the input.
long baselinePeakKb(const TempDir& dir) {
    writeFile(dir.file("tiny.ASE"), "*COMMENT\n");
    std::string console;
    return peakMemoryOfRun({dir.file("tiny.ASE"), dir.file("tiny.xml")}, console);
}

// Memory in proportion to the longest matched line, not to the input: a line that
// matches nothing is never held whole, and one that matches is held about once.
TEST(HostileInput, HugeCrOnlyLineWithoutKeywordKeepsMemoryBounded) {
    TempDir dir;
    const std::string input = dir.file("huge.ASE");
    appendCrOnlyFiller(input, kHugeLine);
    std::string console;
    const long peakKb = peakMemoryOfRun({input, dir.file("huge.xml")}, console);
    RecordProperty("peak_kb", std::to_string(peakKb));
    ASSERT_GT(peakKb, 0) << "the run failed";
    EXPECT_EQ(readFile(dir.file("huge.xml")), emptySceneDocument());
    EXPECT_EQ(console, noObjectMessage(input));
    const long baselineKb = baselinePeakKb(dir);
    ASSERT_GT(baselineKb, 0);
    EXPECT_LT((peakKb - baselineKb) * 1024, static_cast<long>(kHugeLine / 4))
        << peakKb << " kB against " << baselineKb << " kB";
}

TEST(HostileInput, HugeCrOnlyLineWithKeywordIsTheOnlyLine) {
    TempDir dir;
    const std::string input = dir.file("huge.ASE");
    appendCrOnlyFiller(input, kHugeLine / 2);
    {
        std::ofstream out(input, std::ios::binary | std::ios::app);
        out << "*GEOMOBJECT {\r\t*NODE_NAME \"Box\"\r\t*MESH {\r";
    }
    appendCrOnlyFiller(input, kHugeLine / 2);
    std::string console;
    const long peakKb = peakMemoryOfRun({input, dir.file("huge.xml")}, console);
    RecordProperty("peak_kb", std::to_string(peakKb));
    ASSERT_GT(peakKb, 0) << "the run failed";
    // The object's line held the whole input: no name, no colour, no mesh after it.
    EXPECT_EQ(console, "Error : no *MESH found in *GEOMOBJECT !\n");
    EXPECT_EQ(readFile(dir.file("huge.xml")),
              joinLines({std::string(kSceneStart), objectLine("\"obj_0\"", "0xAAAAAA"), "</object>",
                         std::string(kSceneEnd)}));
    const long baselineKb = baselinePeakKb(dir);
    ASSERT_GT(baselineKb, 0);
    EXPECT_LT((peakKb - baselineKb) * 1024, static_cast<long>(4 * kHugeLine))
        << peakKb << " kB against " << baselineKb << " kB";
}

TEST(HostileOutput, OutputThatIsTheInputThroughALinkIsRefused) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    const std::string link = dir.file("link.xml");
    writeFile(input, kNamedTriangle);
    std::filesystem::create_symlink(input, link);
    for (const std::string& output : {link, input}) {
        const RunResult run = runMeshlift({input, output});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.console, "Error creating file : " + output + " !\n");
        EXPECT_EQ(readFile(input), kNamedTriangle);
    }
    // The same through a link on the input side.
    const RunResult reversed = runMeshlift({link, input});
    EXPECT_EQ(reversed.exitCode, 1);
    EXPECT_EQ(reversed.console, "Error creating file : " + input + " !\n");
    EXPECT_EQ(readFile(input), kNamedTriangle);
}

TEST(HostileOutput, FailedWritesAreReported) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, kNamedTriangle);
    const RunResult run = runMeshlift({input, "/dev/full"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.console, "Error writing file : /dev/full !\n");
}

// Runs the program with the document going to a pipe, and returns what came out of
// the pipe (document and console lines together) and the program's exit code.
Outcome runIntoPipe(const TempDir& dir, const std::string& input) {
    const std::string exitFile = dir.file("exit-code");
    const RunResult run = runShell("{ " + shellQuote(MESHLIFT_BINARY) + " " + shellQuote(input) +
                                   " /dev/stdout; echo $? > " + shellQuote(exitFile) + "; } | cat");
    std::string code = readFile(exitFile);
    return {code.empty() ? -1 : std::stoi(code), run.console, ""};
}

TEST(HostileOutput, PipeGivesTheSameBytesAsAFile) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    const std::string scene = kNamedTriangle + kNamedTriangle;
    writeFile(input, scene);
    const RunResult toFile = runMeshlift({input, dir.file("scene.xml")});
    ASSERT_EQ(toFile.exitCode, 0);
    ASSERT_EQ(toFile.console, "");
    const Outcome piped = runIntoPipe(dir, input);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.document, readFile(dir.file("scene.xml")));
}

TEST(HostileOutput, DocumentOnStandardOutputInterleavesWithConsoleLinesInOrder) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    writeFile(input, "*GEOMOBJECT\n*NODE_NAME \"P\"\n*MESH\n*MESH_NUMVERTEX 3\n*MESH_NUMFACES 1\n"
                     "*MESH_VERTEX_LIST\n*MESH_VERTEX 0 1 2 3\n*MESH_VERTEX 1 4 5 6\n");
    const Outcome piped = runIntoPipe(dir, input);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.document, std::string(kSceneStart) + "\r\n" + objectLine("\"P\"", "0xAAAAAA") +
                                  "\r\n<nodes>\r\n" + "<node id=\"0\" xyz=\"1,2,3\"/>\r\n" +
                                  "<node id=\"1\" xyz=\"4,5,6\"/>\r\n" +
                                  std::string(kMissingVertex) + "</nodes>\r\n" +
                                  std::string(kMissingFaceList) + "</object>\r\n</scene>\r\n");

    // Standard output redirected to a file that the output path also names.
    const std::string out = dir.file("out.xml");
    const std::string stale(4096, 'x');
    // Truncated by the shell (">"), or by the program ("1<>" opens without truncating).
    for (const std::string& redirection : {"> " + shellQuote(out), "1<> " + shellQuote(out)}) {
        for (const std::string& named : {std::string("/dev/stdout"), out}) {
            writeFile(out, stale);
            const RunResult run = runMeshlift({input, named}, redirection);
            EXPECT_EQ(run.exitCode, 0) << redirection << " " << named;
            EXPECT_EQ(readFile(out), piped.document) << redirection << " " << named;
        }
    }
    writeFile(out, "earlier log\n");
    const RunResult appended = runMeshlift({input, "/dev/stdout"}, ">> " + shellQuote(out));
    EXPECT_EQ(appended.exitCode, 0);
    EXPECT_EQ(readFile(out), "earlier log\n" + piped.document);
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
TEST(HostileInput, ReadErrorStopsTheConversionAndFailsTheRun) {
    if (runShell("strace -o /dev/null true").exitCode != 0) GTEST_SKIP() << "no strace";
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    std::string scene;
    while (scene.size() < (3u << 19))
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
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.console, "Error reading file : " + input + " !\n");
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
    EXPECT_EQ(pipeFailed.exitCode, 1);
    EXPECT_EQ(pipeFailed.console, "Error reading file : /dev/stdin !\n");
}

TEST(HostileInput, PipedInputGivesTheSameBytesAsAFile) {
    TempDir dir;
    const std::string input = dir.file("scene.ASE");
    // Colour lines after the meshes make the look-ahead go back in a pipe too.
    const std::string scene = randomBytes(3 << 20, 99) + "\n" + kNamedTriangle +
                              triangleScene("*NODE_NAME \"Two\"", "*WIREFRAME_COLOR 0 0 1") +
                              "*GEOMOBJECT\n";
    writeFile(input, scene);
    const RunResult fromFile = runMeshlift({input, dir.file("file.xml")});
    const RunResult fromPipe =
        runShell("cat " + shellQuote(input) + " | " + shellQuote(MESHLIFT_BINARY) + " /dev/stdin " +
                 shellQuote(dir.file("pipe.xml")));
    EXPECT_EQ(fromFile.exitCode, 0);
    EXPECT_EQ(fromPipe.exitCode, 0);
    EXPECT_EQ(fromPipe.console, fromFile.console);
    EXPECT_EQ(readFile(dir.file("pipe.xml")), readFile(dir.file("file.xml")));
    EXPECT_EQ(fromFile.console, "Error : no *MESH found in *GEOMOBJECT !\n");
}

TEST(HostileStart, ClosedStandardDescriptorsKeepConsoleOutOfTheDocument) {
    // The scene writes error lines; none of them may end up in the document.
    const std::string scene = "*GEOMOBJECT\n*NODE_NAME \"P\"\n*MESH\n*MESH_NUMVERTEX 2\n"
                              "*MESH_NUMFACES 0\n*MESH_VERTEX_LIST\n*MESH_VERTEX 0 1 2 3\n";
    const std::string document = joinLines(
        {std::string(kSceneStart), objectLine("\"P\"", "0xAAAAAA"), "<nodes>",
         R"(<node id="0" xyz="1,2,3"/>)", "</nodes>", "</object>", std::string(kSceneEnd)});
    const std::string console = std::string(kMissingVertex) + std::string(kMissingFaceList);
    for (const std::string redirections : {"<&-", ">&-", "<&- >&-", "<&- >&- 2>&-"}) {
        SCOPED_TRACE(redirections);
        TempDir dir;
        const Outcome run = runOnFileWithRedirections(dir, scene, redirections);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.document, document);
        const bool consoleClosed = redirections.find(">&-") != std::string::npos;
        EXPECT_EQ(run.console, consoleClosed ? "" : console);
    }
}

} // namespace
} // namespace meshlift::detail::test
