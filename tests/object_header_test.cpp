#include "scene/object_header.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace meshlift;
using namespace meshlift::detail;

TEST(ObjectHeader, ColourTableFromWireframeComponents) {
    struct Case {
        float red, green, blue;
        std::string_view text;
    };
    for (const Case& c :
         {Case{1.0f, 0.5f, 0.0f, "0xff8000"}, Case{0.0f, 0.0f, 1.0f, "0xff"},
          Case{0.0f, 0.0f, 0.0f, "0x0"}, Case{0.5882f, 0.1059f, 0.6902f, "0x961bb0"},
          Case{1.2f, 0.0f, 0.0f, "0x1320000"}, Case{0.0f, 0.0f, -0.01f, "0xfffffffd"},
          Case{0.6f, 0.8941f, 0.7216f, "0x99e4b8"}}) {
        EXPECT_EQ(colourText(c.red, c.green, c.blue), c.text)
            << c.red << " " << c.green << " " << c.blue;
    }
}

TEST(ObjectHeader, ComponentsOutsideTheByteSpillAndSaturate) {
    // 1e38 * 255 overflows the float product to infinity: the component saturates
    // to 0x7fffffff, whose shifted pattern fills the upper bits.
    EXPECT_EQ(colourText(1e38f, 0.0f, 0.0f), "0xffff0000");
    EXPECT_EQ(colourText(0.0f, 0.0f, 1e38f), "0x7fffffff");
    EXPECT_EQ(colourText(0.0f, 0.0f, -1e38f), "0x80000000");
    EXPECT_EQ(colourText(0.0f, 2.0f, 0.0f), "0x1fe00");
}

TEST(ObjectHeader, RoundToNearestTakesHalvesUpward) {
    EXPECT_EQ(roundToNearest(127.5f), 128);
    EXPECT_EQ(roundToNearest(-2.5f), -2);
    EXPECT_EQ(roundToNearest(-2.6f), -3);
    EXPECT_EQ(roundToNearest(2.4999f), 2);
    EXPECT_EQ(roundToNearest(-0.0f), 0);
    EXPECT_EQ(roundToNearest(16777216.0f), 16777216);
    EXPECT_EQ(roundToNearest(3e9f), 2147483647);
    EXPECT_EQ(roundToNearest(-3e9f), -2147483647 - 1);
    EXPECT_EQ(roundToNearest(std::numeric_limits<float>::infinity()), 2147483647);
    EXPECT_EQ(roundToNearest(-std::numeric_limits<float>::infinity()), -2147483647 - 1);
}

TEST(ObjectHeader, IdTextRunsFromFirstToLastQuote) {
    EXPECT_EQ(idText("\t*NODE_NAME \"Box01\""), "\"Box01\"");
    EXPECT_EQ(idText("*NODE_NAME \"Box 01\"  trailing"), "\"Box 01\"");
    EXPECT_EQ(idText("*NODE_NAME \"\""), "\"\"");
    EXPECT_EQ(idText("*NODE_NAME \"a \"b\" & <c>\" x"), "\"a \"b\" & <c>\"");
    EXPECT_EQ(idText("*NODE_NAME \"open"), "\"");
}

TEST(ObjectHeader, UnquotedNameIsTheTrimmedRestOfTheLineInQuotes) {
    EXPECT_EQ(idText("\t*NODE_NAME Box01 \t"), "\"Box01\"");
    EXPECT_EQ(idText("*NODE_NAME"), "\"\"");
    EXPECT_EQ(idText("x *NODE_NAME  two words "), "\"two words\"");
}
