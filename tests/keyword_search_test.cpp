// The keyword search looks at sixteen starts at a time; it must still report the
// first occurrence wherever it lies: in a block, across two blocks, in the short
// tail that no block covers, or right at the end of the range.

#include "ase/keyword.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace meshlift;
using namespace meshlift::detail;

namespace {

const char* expected(std::string_view range, std::string_view keyword) {
    const std::size_t at = range.find(keyword);
    return at == std::string_view::npos ? nullptr : range.data() + at;
}

} // namespace

TEST(KeywordSearch, FindsTheFirstOccurrenceInEveryRange) {
    // Near misses (first and last byte in place, middle wrong) and real hits at
    // irregular distances.
    std::string text;
    for (int i = 0; i < 40; ++i) {
        text += std::string(static_cast<std::size_t>(i % 19), ' ');
        text += i % 3 == 0 ? "*MESH_FACE_LIST" : i % 3 == 1 ? "*MESH_FACEx" : "*MESH_FACT";
        text += "\t0.5\n";
    }
    for (std::string_view word : {"*MESH_FACE", "*MESH_FACE_LIST", "*M", "T", "*MESH_FACEx"}) {
        const Keyword keyword(word);
        for (std::size_t from = 0; from < 70; ++from) {
            for (std::size_t size = 0; from + size <= text.size(); size += 1 + size / 7) {
                const std::string_view range(text.data() + from, size);
                ASSERT_EQ(keyword.findIn(range.data(), range.size()), expected(range, word))
                    << word << " from " << from << " size " << size;
            }
        }
    }
}

TEST(KeywordSearch, KeywordAtTheVeryEndAndNoFalseHitsOnPrefixes) {
    const Keyword keyword("*WIREFRAME_COLOR");
    for (std::size_t pad = 0; pad < 40; ++pad) {
        const std::string hit = std::string(pad, '\t') + "*WIREFRAME_COLOR";
        EXPECT_EQ(keyword.findIn(hit.data(), hit.size()), hit.data() + pad);
        const std::string cut = std::string(pad, '\t') + "*WIREFRAME_COLO";
        EXPECT_EQ(keyword.findIn(cut.data(), cut.size()), nullptr);
        const std::string lower = std::string(pad, '\t') + "*wireframe_color";
        EXPECT_EQ(keyword.findIn(lower.data(), lower.size()), nullptr);
    }
}
