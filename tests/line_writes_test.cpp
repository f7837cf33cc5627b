// Every line, of the document and of the console, leaves in a write of its own, as
// soon as it is complete. A SOCK_SEQPACKET socket keeps the boundary of each write,
// so the lines can be checked one write at a time.
#include "ase/input_reader.h"
#include "scene/line_sink.h"
#include "scene/scene_conversion.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace meshlift;
using namespace meshlift::detail;
using namespace meshlift::detail::test;

namespace {

struct SocketPair {
    int writer = -1, reader = -1;
    SocketPair() {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) == 0) {
            writer = ends[0];
            reader = ends[1];
        }
    }
    ~SocketPair() {
        if (writer >= 0) ::close(writer);
        if (reader >= 0) ::close(reader);
    }
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;

    // Every write that arrived, one element each.
    std::vector<std::string> writes() {
        ::shutdown(writer, SHUT_WR);
        std::vector<std::string> received;
        std::string buffer(1 << 16, '\0');
        for (;;) {
            const ssize_t got = ::recv(reader, buffer.data(), buffer.size(), 0);
            if (got <= 0) break;
            received.emplace_back(buffer.data(), static_cast<std::size_t>(got));
        }
        return received;
    }
};

// Two objects with labels and indices longer than a token field holds inline and
// a last face list one face short, so that the console has a line too.
std::string sceneWithLongTokens() {
    const std::string label(3000, 'L');
    const std::string corner(40, '9');
    std::string scene;
    for (int object = 0; object < 2; ++object) {
        scene += sceneObject("\t*NODE_NAME \"Obj" + std::to_string(object) + "\"",
                             {"0 1.0 2.0 3.0", corner + " " + label + " 0 0"},
                             {label + ": A: " + corner + " B: 1 C: 2 AB: 1 BC: 0 CA: 0",
                              "1: A: 3 B: " + corner + " C: 5 AB: 0 BC: 1 CA: 0"},
                             "", "", std::to_string(2 + object));
    }
    return scene;
}

} // namespace

TEST(LineWrites, EveryDocumentAndConsoleLineIsOneWrite) {
    const std::string scene = sceneWithLongTokens();
    for (const Mode mode : kModes) {
        const Conversion expected = convertInMemory(scene, mode);
        ASSERT_FALSE(expected.console.empty());

        SocketPair document, console;
        ASSERT_GE(document.writer, 0);
        ASSERT_GE(console.writer, 0);
        InputReader input;
        openInputMemory(input, scene);
        LineSink documentSink = fileSink(document.writer);
        LineSink consoleSink = fileSink(console.writer);
        EXPECT_TRUE(convertScene(input, documentSink, consoleSink, mode, "scene.ASE"));
        EXPECT_FALSE(documentSink.failed);

        std::string joined;
        for (const std::string& write : document.writes()) {
            ASSERT_GE(write.size(), 2u);
            EXPECT_EQ(write.find("\r\n"), write.size() - 2) << write.substr(0, 80);
            joined += write;
        }
        EXPECT_EQ(joined, expected.document) << modeWord(mode);

        joined.clear();
        for (const std::string& write : console.writes()) {
            EXPECT_EQ(write.find('\n'), write.size() - 1) << write;
            joined += write;
        }
        EXPECT_EQ(joined, expected.console);
    }
}
