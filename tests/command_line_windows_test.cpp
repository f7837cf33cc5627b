// The program as users run it on Windows: names of the input in another letter case or
// spelling, named pipes as input and as output, and names beyond the code page. These
// are the Windows side of same_file_test.cpp, piped_input_posix_test.cpp and
// disk_failures_posix_test.cpp.
#include "platform/file_system.h"
#include "scene/line_sink.h"
#include "test_support.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

using namespace meshlift::detail::test;

namespace {

std::string pipeName(std::string_view purpose) {
    return "\\\\.\\pipe\\meshlift-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::string(purpose);
}

// One instance of a named pipe, served from a thread: once the program connects, it
// gets `bytes` and the end of the pipe, or, when `bytes` is empty, the pipe closed
// in its face.
class NamedPipe {
  public:
    NamedPipe(std::string name, DWORD direction, std::string bytes) : name_(std::move(name)) {
        handle_ = ::CreateNamedPipeW(pathOf(name_).wstring().c_str(),
                                     direction | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) return;
        server_ = std::thread([this, bytes = std::move(bytes)] {
            if (::ConnectNamedPipe(handle_, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED) {
                DWORD put = 0;
                if (!bytes.empty())
                    ::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &put,
                                nullptr);
            }
            // Closed, not disconnected: what was written stays readable.
            ::CloseHandle(handle_);
        });
    }
    ~NamedPipe() {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        // A program that never connected must not leave the server waiting.
        const HANDLE unblock = ::CreateFileW(pathOf(name_).wstring().c_str(), GENERIC_READ, 0,
                                             nullptr, OPEN_EXISTING, 0, nullptr);
        if (unblock != INVALID_HANDLE_VALUE) ::CloseHandle(unblock);
        server_.join();
    }
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;
    [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    std::string name_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::thread server_;
};

using CommandLine = SceneInFolder;

} // namespace

TEST(ConsoleLines, EndInCrLfOnWindows) {
    std::string console;
    meshlift::detail::LineSink sink = meshlift::detail::memorySink(console);
    meshlift::detail::writeConsoleLine(sink, "Error : x");
    EXPECT_EQ(console, "Error : x\r\n");
}

TEST_F(CommandLine, OutputNamingTheInputInAnotherCaseOrSpellingIsRefused) {
    const std::string folder = utf8Of(dir.path());
    for (const std::string& path :
         {folder + "\\SCENE.ase", folder + "\\.\\scene.ASE", folder + "/scene.ASE",
          folder + "\\..\\" + utf8Of(dir.path().filename()) + "\\Scene.Ase"}) {
        const RunResult run = runMeshlift({input, path, "quad"});
        EXPECT_EQ(run.exitCode, kExitFailure) << path;
        EXPECT_EQ(run.console, creatingError(path));
        EXPECT_EQ(readFile(input), kCleanScene);
    }
}

TEST_F(CommandLine, NamedPipeInput) {
    const std::string name = pipeName("input");
    const NamedPipe pipe(name, PIPE_ACCESS_OUTBOUND, kCleanScene);
    ASSERT_TRUE(pipe.valid());
    const RunResult run = runMeshlift({name, output});
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(readFile(output), kCleanTriDocument);
}

// The reader closes the pipe at once; the document is larger than the pipe holds,
// so some write must fail, and the run must say so.
TEST_F(CommandLine, ClosedOutputPipeIsAFailedWrite) {
    std::string scene = "*GEOMOBJECT {\n*NODE_NAME \"Big\"\n*MESH {\n*MESH_NUMVERTEX 5000\n"
                        "*MESH_NUMFACES 0\n*MESH_VERTEX_LIST {\n";
    for (int i = 0; i < 5000; ++i)
        scene += "*MESH_VERTEX " + std::to_string(i) + " 1.0000 2.0000 3.0000\n";
    writeFile(input, scene + "}\n*MESH_FACE_LIST {\n}\n}\n}\n");
    const std::string name = pipeName("closed-output");
    const NamedPipe pipe(name, PIPE_ACCESS_INBOUND, "");
    ASSERT_TRUE(pipe.valid());
    const RunResult run = runMeshlift({input, name});
    EXPECT_EQ(run.exitCode, kExitFailure);
    EXPECT_EQ(run.console, writingError(name));
}

// Names are taken as UTF-16 from the command line and shown in UTF-8, whatever the
// code page.
TEST_F(CommandLine, NamesBeyondTheCodePageOpenAndAppearInUtf8) {
    expectNamesUnchanged(dir, "sc\xc3\xa8ne-\xe6\x97\xa5\xe6\x9c\xac.ASE",
                         "out-\xce\xb1\xce\xb2.xml", "missing-\xc3\xbc.ASE");
}
