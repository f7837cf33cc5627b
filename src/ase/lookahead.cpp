#include "ase/lookahead.h"

#include "ase/input_reader.h"
#include "ase/keyword_scanner.h"

namespace meshlift::detail {
namespace {

enum class MemoAnswer { found, notFound, unknown };

MemoAnswer rememberedAnswer(const LookaheadMemo& memo, const Keyword& keyword, std::uint64_t from) {
    if (!memo.valid || memo.keyword != keyword.text() || from < memo.searchedFrom)
        return MemoAnswer::unknown;
    if (!memo.found) return MemoAnswer::notFound;
    return from <= memo.lineStart ? MemoAnswer::found : MemoAnswer::unknown;
}

} // namespace

bool lookAheadForKeywordLine(InputReader& input, const Keyword& keyword, LineStream& stream) {
    clearFailed(stream);
    if (input.position.failed) return false;
    Lookahead& ahead = input.lookahead;
    LookaheadMemo& memo = ahead.memo;
    if (ahead.useMemo) {
        switch (rememberedAnswer(memo, keyword, input.position.offset)) {
        case MemoAnswer::found:
            copyLine(stream, memo.line);
            return true;
        case MemoAnswer::notFound:
            return false;
        case MemoAnswer::unknown:
            break;
        }
    }
    // The search moves a copy of the position, so the input stays where it was.
    InputPosition position = input.position;
    const std::optional<std::uint64_t> lineStart =
        searchKeywordLine(input.source, ahead.window, position, keyword, stream);
    memo.valid = true;
    memo.keyword = keyword.text();
    memo.searchedFrom = input.position.offset;
    memo.found = lineStart.has_value();
    if (lineStart) {
        memo.lineStart = *lineStart;
        memo.line = stream.text;
    }
    return memo.found;
}

} // namespace meshlift::detail
