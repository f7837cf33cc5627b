#include "ase/input_window.h"

#include <gtest/gtest.h>

#include <string>

using namespace meshlift;
using namespace meshlift::detail;

namespace {

bool paddingIsClear(const InputWindow& window) {
    for (std::size_t i = 0; i < kReadPastEnd; ++i)
        if (window.bytes[window.length + i] != 0) return false;
    return true;
}

} // namespace

// A window takes no more memory than its input needs, and what lies past the bytes
// read is set, also where an earlier read left input bytes there.
TEST(InputWindow, SizedToTheInputWithClearPaddingAfterEveryRead) {
    const std::string bytes(100, 'x');
    InputSource source;
    openMemorySource(source, bytes);

    InputWindow whole;
    ASSERT_EQ(moveWindow(whole, source, 0), 100u);
    EXPECT_EQ(whole.capacity, 100u);
    EXPECT_TRUE(paddingIsClear(whole));

    InputWindow small;
    small.blockSize = 64;
    ASSERT_EQ(moveWindow(small, source, 0), 64u);
    EXPECT_EQ(small.capacity, 64u);
    EXPECT_TRUE(paddingIsClear(small));
    ASSERT_EQ(moveWindow(small, source, 64), 36u);
    EXPECT_TRUE(paddingIsClear(small));
}
