#include "ase/line_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace meshlift;
using namespace meshlift::detail;

namespace {

LineStream streamOf(std::string_view line) {
    LineStream stream;
    copyLine(stream, line);
    return stream;
}

} // namespace

TEST(LineStream, TabIndentedCountLineGivesKeywordThenInteger) {
    LineStream stream = streamOf("\t*MESH_NUMVERTEX 8");
    std::string token = "unchanged";
    std::int32_t count = -1;
    EXPECT_TRUE(readToken(stream, token));
    EXPECT_EQ(token, "*MESH_NUMVERTEX");
    EXPECT_TRUE(readInteger(stream, count));
    EXPECT_EQ(count, 8);
    token = "kept";
    EXPECT_FALSE(readToken(stream, token));
    EXPECT_EQ(token, "kept");
}

TEST(LineStream, TokensSplitOnEveryWhitespaceByteButNotOnNul) {
    using namespace std::string_literals;
    LineStream stream = streamOf("a\tb\vc\fd\re "s + "x\0y"s + " \"q r\"");
    std::string token;
    for (std::string_view expected : {"a", "b", "c", "d", "e"}) {
        ASSERT_TRUE(readToken(stream, token));
        EXPECT_EQ(token, expected);
    }
    ASSERT_TRUE(readToken(stream, token));
    EXPECT_EQ(token, "x\0y"s);
    ASSERT_TRUE(readToken(stream, token));
    EXPECT_EQ(token, "\"q");
}

TEST(LineStream, FailedExtractionLeavesTargetAndFailsTheRestOfTheLine) {
    LineStream stream = streamOf("*MESH_NUMFACES abc 12");
    std::string token;
    std::int32_t count = 5;
    ASSERT_TRUE(readToken(stream, token));
    EXPECT_FALSE(readInteger(stream, count));
    EXPECT_EQ(count, 5);
    token = "kept";
    EXPECT_FALSE(readToken(stream, token)); // "abc" is still there, but the line has failed
    EXPECT_EQ(token, "kept");
    copyLine(stream, "7");
    EXPECT_TRUE(readInteger(stream, count));
    EXPECT_EQ(count, 7);
}

TEST(LineStream, IntegersOutside32BitsFailAndKeepTheTarget) {
    struct Case {
        std::string_view text;
        bool ok;
        std::int32_t value;
    };
    for (const Case& c :
         {Case{"2147483647", true, 2147483647}, Case{"-2147483648", true, -2147483647 - 1},
          Case{"+12", true, 12}, Case{"0007", true, 7}, Case{"12abc", true, 12},
          Case{"2147483648", false, 99}, Case{"-2147483649", false, 99},
          Case{"99999999999999999999", false, 99}, Case{"+-3", false, 99}, Case{"-", false, 99},
          Case{"", false, 99}}) {
        LineStream stream = streamOf(c.text);
        std::int32_t value = 99;
        EXPECT_EQ(readInteger(stream, value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(LineStream, IntegerConsumesOnlyItsDigits) {
    LineStream stream = streamOf("12abc");
    std::int32_t value = 0;
    std::string rest;
    ASSERT_TRUE(readInteger(stream, value));
    ASSERT_TRUE(readToken(stream, rest));
    EXPECT_EQ(rest, "abc");
}

TEST(LineStream, RealGrammarTakesTheLongestValidPrefix) {
    struct Case {
        std::string_view text;
        float value;
        std::string_view rest; // what a token read finds afterwards
    };
    for (const Case& c :
         {Case{"0.6000", 0.6f, ""}, Case{"-.5x", -0.5f, "x"}, Case{"+5.", 5.0f, ""},
          Case{"1e3", 1000.0f, ""}, Case{"2E-2", 0.02f, ""}, Case{"1e", 1.0f, "e"},
          Case{"1e+", 1.0f, "e+"}, Case{"3.5.5", 3.5f, ".5"}, Case{"0x1A", 0.0f, "x1A"},
          Case{"1e-400", 0.0f, ""}, Case{"-1e-400", -0.0f, ""}}) {
        LineStream stream = streamOf(c.text);
        float value = 42.0f;
        ASSERT_TRUE(readReal(stream, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        std::string rest;
        readToken(stream, rest);
        EXPECT_EQ(rest, c.rest) << c.text;
    }
}

TEST(LineStream, RealsThatAreNotNumbersOrDoNotFitAFloatFail) {
    for (std::string_view text : {".", "-", "e5", "inf", "nan", "Infinity", "3.5e38", "-3.5e38",
                                  "1e39", "1e400", "1e99999999999999999999"}) {
        LineStream stream = streamOf(text);
        float value = 42.0f;
        EXPECT_FALSE(readReal(stream, value)) << text;
        EXPECT_EQ(value, 42.0f) << text;
    }
}

TEST(LineStream, RealsAreRoundedThroughDoubleToFloat) {
    LineStream stream = streamOf("1e38 3.4028234e38 0.1");
    float value = 0;
    ASSERT_TRUE(readReal(stream, value));
    EXPECT_EQ(value, static_cast<float>(1e38));
    ASSERT_TRUE(readReal(stream, value));
    EXPECT_EQ(value, std::numeric_limits<float>::max());
    ASSERT_TRUE(readReal(stream, value));
    EXPECT_EQ(value, static_cast<float>(0.1));
}

TEST(LineStream, TokenFieldsHoldShortAndLongTokensAndLoseOneByte) {
    const std::string longToken(40, 'n');
    LineStream stream = streamOf("short " + longToken + ":x: 7:");
    TokenText field;
    ASSERT_TRUE(readToken(stream, field));
    EXPECT_EQ(field.view(), "short");
    ASSERT_TRUE(readToken(stream, field));
    EXPECT_EQ(field.view(), longToken + ":x:");
    field.eraseAt(field.view().rfind(':'));
    EXPECT_EQ(field.view(), longToken + ":x");
    for (int i = 0; i < 10; ++i)
        field.eraseAt(0); // from the heap back to inline storage
    EXPECT_EQ(field.view(), std::string(30, 'n') + ":x");
    ASSERT_TRUE(readToken(stream, field));
    EXPECT_EQ(field.view(), "7:");
    EXPECT_FALSE(readToken(stream, field));
    EXPECT_EQ(field.view(), "7:");
}

namespace {

// What readToken and skipToken give, one call per field; the model readTokens
// must match.
void readOneByOne(LineStream& stream, const std::vector<TokenText*>& fields) {
    for (TokenText* field : fields) {
        if (field != nullptr)
            readToken(stream, *field);
        else
            skipToken(stream);
    }
}

} // namespace

TEST(LineStream, TokensReadInOneSweepMatchTokensReadOneByOne) {
    // Tokens and blank runs of every length around the 64-byte steps of the
    // whitespace masks, tokens longer than a field holds inline, NUL bytes.
    std::mt19937 random(20261208);
    const std::string pieces[] = {"7",
                                  "-10.0000",
                                  ":",
                                  "A:",
                                  std::string(31, 'x'),
                                  std::string(33, 'y'),
                                  std::string(70, 'z'),
                                  std::string("n\0l", 3)};
    const std::string blanks[] = {" ",
                                  "\t",
                                  "    ",
                                  "\r\v\f",
                                  std::string(63, ' '),
                                  std::string(64, '\t'),
                                  std::string(65, ' ')};
    for (int round = 0; round < 2000; ++round) {
        std::string line = round % 3 == 0 ? "" : blanks[random() % std::size(blanks)];
        const int tokens = static_cast<int>(random() % 16);
        for (int t = 0; t < tokens; ++t) {
            line += pieces[random() % std::size(pieces)];
            line += blanks[random() % std::size(blanks)];
        }
        if (random() % 2 == 0 && !line.empty()) line.pop_back(); // may end inside a token

        // The shape of a quad face line: every other token kept.
        TokenText swept[14], single[14];
        std::vector<TokenText*> singleFields;
        for (int i = 0; i < 14; ++i) {
            swept[i].assign("old");
            single[i].assign("old");
            singleFields.push_back(i % 2 == 1 ? &single[i] : nullptr);
        }
        LineStream sweep = streamOf(line);
        LineStream oneByOne = streamOf(line);
        readTokens(sweep,
                   {nullptr, &swept[1], nullptr, &swept[3], nullptr, &swept[5], nullptr, &swept[7],
                    nullptr, &swept[9], nullptr, &swept[11], nullptr, &swept[13]});
        readOneByOne(oneByOne, singleFields);
        for (int i = 0; i < 14; ++i)
            ASSERT_EQ(swept[i].view(), single[i].view()) << "token " << i << " of <" << line << ">";
        // Whatever follows reads the same: the cursor and the failed state agree.
        std::string afterSweep = "none", afterSingle = "none";
        EXPECT_EQ(readToken(sweep, afterSweep), readToken(oneByOne, afterSingle)) << line;
        EXPECT_EQ(afterSweep, afterSingle) << line;
    }
}
