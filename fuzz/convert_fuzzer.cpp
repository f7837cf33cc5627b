// Runs the whole conversion on arbitrary bytes, in both modes, from memory into
// memory. Besides the sanitizers it checks what must hold for every input: the
// result does not depend on the window size nor on the look-ahead memo, the
// document is always a complete scene, and a UTF-16 input converts as its text
// decoded in one piece.
#include "ase/input_reader.h"
#include "ase/utf16_text.h"
#include "scene/line_sink.h"
#include "scene/scene_conversion.h"
#include "scene/scene_lines.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace meshlift;
using namespace meshlift::detail;

namespace {

struct Result {
    std::string document;
    std::string console;
    bool operator==(const Result&) const = default;
};

Result convert(std::string_view bytes, Mode mode, std::size_t blockSize, bool memo) {
    Result result;
    InputReader input;
    openInputMemory(input, bytes, blockSize);
    input.lookahead.useMemo = memo;
    LineSink document = memorySink(result.document);
    LineSink console = memorySink(result.console);
    if (!convertScene(input, document, console, mode, "fuzz.ASE"))
        std::abort(); // memory never fails
    return result;
}

[[noreturn]] void fail(const char* what, Mode mode, std::size_t blockSize) {
    std::fprintf(stderr, "%s (%s mode, window %zu)\n", what, mode == Mode::tri ? "tri" : "quad",
                 blockSize);
    std::abort();
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The whole text of a UTF-16 input, decoded at once; the input itself otherwise.
std::string textOf(std::string_view bytes) {
    const std::optional<ByteOrder> order = utf16ByteOrder(bytes);
    if (!order) return std::string(bytes);
    std::string text(maxDecodedSize(bytes.size() - 2), '\0');
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data()) + 2;
    text.resize(decodeUtf16(raw, bytes.size() - 2, *order, true, text.data()).produced);
    return text;
}

void checkMode(std::string_view bytes, std::string_view text, Mode mode, std::size_t smallBlock) {
    const Result reference = convert(bytes, mode, InputReader::kBlockSize, true);
    const std::string_view document = reference.document;
    if (document.substr(0, kSceneStartLine.size()) != kSceneStartLine ||
        !endsWith(document, "\r\n</scene>\r\n"))
        fail("document is not one complete scene", mode, InputReader::kBlockSize);
    if (!reference.console.empty() && !endsWith(reference.console, "\n"))
        fail("console ends inside a line", mode, InputReader::kBlockSize);
    if (convert(bytes, mode, smallBlock, true) != reference)
        fail("a small window changes the result", mode, smallBlock);
    if (convert(bytes, mode, smallBlock, false) != reference)
        fail("the look-ahead memo changes the result", mode, smallBlock);
    if (text != bytes && convert(text, mode, InputReader::kBlockSize, true) != reference)
        fail("UTF-16 reads differently from its text", mode, InputReader::kBlockSize);
}

// Whether the line holds a decimal integer from 100000 to 2147483647.
bool hasLargeCount(std::string_view line) {
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] < '0' || line[i] > '9' || (i > 0 && line[i - 1] == '.')) {
            ++i;
            continue;
        }
        while (i < line.size() && line[i] == '0')
            ++i;
        std::uint64_t value = 0;
        for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
            value = std::min<std::uint64_t>(value * 10 + (line[i] - '0'), 1ull << 40);
        // Above 32 bits a count does not read at all, so it does no harm.
        if (value >= 100'000 && value <= 2'147'483'647) return true;
    }
    return false;
}

// A count line of 2147483647 with nothing left to read is a valid scene that asks
// for two billion error lines: fine for the program, which streams them, but not
// for a harness that holds every line in memory. Counts of 100000 and more are
// left to the end-to-end tests.
bool asksForHugeOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t lineEnd = std::min(bytes.find('\n'), bytes.size());
        const std::string_view line = bytes.substr(0, lineEnd);
        const bool countLine = line.find("*MESH_NUMVERTEX") != std::string_view::npos ||
                               line.find("*MESH_NUMFACES") != std::string_view::npos;
        if (countLine && hasLargeCount(line)) return true;
        bytes.remove_prefix(std::min(lineEnd + 1, bytes.size()));
    }
    return false;
}

// MESHLIFT_FUZZ_MODE=tri or =quad spends a whole fuzzing run on one mode; by
// default every input goes through both.
bool runTri = true;
bool runQuad = true;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* mode = std::getenv("MESHLIFT_FUZZ_MODE")) {
        runTri = std::string_view(mode) != "quad";
        runQuad = std::string_view(mode) != "tri";
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = textOf(bytes);
    if (asksForHugeOutput(text)) return -1; // not kept in the corpus either
    // Windows from 32 to 4112 bytes put window boundaries inside keywords, lines
    // and line ends of small inputs.
    const std::size_t smallBlock = 32 + (size > 0 ? std::size_t{data[size - 1]} * 16 : 0);
    if (runTri) checkMode(bytes, text, Mode::tri, smallBlock);
    if (runQuad) checkMode(bytes, text, Mode::quad, smallBlock);
    return 0;
}
