// The library reading a descriptor: a POSIX pipe, and a descriptor that cannot be read.
#include "library_cases.h"
#include "meshlift/meshlift.h"
#include "test_support.h"

#include <gtest/gtest.h>

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

    Lines unreadable;
    EXPECT_EQ(meshlift::convertDescriptor(-1, meshlift::Mode::tri, collect(unreadable), "in.ASE")
                  .exitCode,
              1);
    EXPECT_EQ(unreadable.console, "Error reading file : in.ASE !\n");
    EXPECT_EQ(unreadable.document, "");
}
