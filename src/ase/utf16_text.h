#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace meshlift::detail {

// Some exporters write scenes in UTF-16 with a byte-order mark. Such a scene is read as
// the UTF-8 text it holds, so that its keywords match and its names reach the document
// as UTF-8; every other input is read byte for byte.
enum class ByteOrder { littleEndian, bigEndian };

// The byte order that a UTF-16 byte-order mark at the start of `firstBytes` gives.
[[nodiscard]] std::optional<ByteOrder> utf16ByteOrder(std::string_view firstBytes);

// Whether `firstBytes` (fewer than two) may still turn out to start a byte-order mark.
[[nodiscard]] bool mayStartUtf16Mark(std::string_view firstBytes);

struct DecodedStretch {
    std::size_t rawUsed = 0;  // bytes of UTF-16 taken, whole code points only
    std::size_t produced = 0; // bytes of UTF-8 written
};

// The most UTF-8 that `rawSize` bytes of UTF-16 decode to.
[[nodiscard]] constexpr std::size_t maxDecodedSize(std::size_t rawSize) {
    return rawSize / 2 * 3 + 3;
}

// Decodes whole code points of `raw` into `out` (room for maxDecodedSize bytes). A
// malformed unit (an unpaired surrogate, a last odd byte) becomes U+FFFD. Unless `last`
// says that nothing follows `raw`, a high surrogate or odd byte at its end is left for
// the next stretch, where its partner may be.
[[nodiscard]] DecodedStretch decodeUtf16(const unsigned char* raw, std::size_t size,
                                         ByteOrder order, bool last, char* out);

// Reads the UTF-16 bytes at `offset`, as a source reads its raw bytes: fewer than `size`
// only at the end of the input or when the read failed.
using RawReadFunction = std::size_t (*)(void* context, std::uint64_t offset, char* data,
                                        std::size_t size);

// Reading a UTF-16 input at offsets into its UTF-8 text. Offsets in the text do not map
// to offsets in the file by any formula, so positions where both are known are marked
// as decoding passes them, and a read starts decoding at the last mark before it: the
// colour look-ahead's return costs at most one stretch of decoding again.
struct Utf16Text {
    struct Mark {
        std::uint64_t text = 0; // offset in the UTF-8 text
        std::uint64_t raw = 0;  // offset of the same code point in the file
    };
    static constexpr std::size_t kStretch = std::size_t{1} << 16; // bytes of the file

    ByteOrder order = ByteOrder::littleEndian;
    std::vector<Mark> marks; // ascending, about one each kStretch bytes of the file
    std::unique_ptr<unsigned char[]> raw;
    std::unique_ptr<char[]> decoded;
};

// Starts reading a UTF-16 input whose byte-order mark gave `order`.
void startUtf16Text(Utf16Text& text, ByteOrder order);

// Reads up to `size` bytes of the text at `offset`: fewer only where the file ends or
// its read failed.
[[nodiscard]] std::size_t readUtf16Text(Utf16Text& text, RawReadFunction readRaw, void* context,
                                        std::uint64_t offset, char* data, std::size_t size);

} // namespace meshlift::detail
