#include "ase/lookahead.h"

#include "ase/keyword_scanner.h"

#include <utility>

namespace meshlift {
namespace {

// The memo's answer for a look-ahead from `from`: 1 found, 0 not found, -1 unknown.
int rememberedAnswer(const LookaheadMemo& memo, const Keyword& keyword, std::uint64_t from) {
    if (!memo.valid || memo.keyword != keyword.text() || from < memo.searchedFrom) return -1;
    if (!memo.found) return 0;
    return from <= memo.lineStart ? 1 : -1;
}

} // namespace

bool lookAheadForKeywordLine(InputFile& input, const Keyword& keyword, LineStream& stream) {
    const InputPosition saved = saveInputPosition(input);
    if (saved.failed) {
        clearLineStreamFlags(stream);
        return false;
    }
    LookaheadMemo& memo = input.lookahead;
    if (input.rememberLookahead) {
        const int answer = rememberedAnswer(memo, keyword, saved.offset);
        if (answer == 0) {
            clearLineStreamFlags(stream);
            return false;
        }
        if (answer == 1) {
            loadLine(stream, memo.line);
            return true;
        }
    }
    std::swap(input.window, input.aheadWindow);
    const bool found = findKeywordLine(input, keyword, stream);
    std::swap(input.window, input.aheadWindow);
    memo.valid = true;
    memo.keyword = keyword.text();
    memo.searchedFrom = saved.offset;
    memo.found = found;
    if (found) {
        memo.lineStart = input.matchedLineStart;
        memo.line = stream.text;
    }
    restoreInputPosition(input, saved);
    return found;
}

} // namespace meshlift
