#include "ase/utf16_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace meshlift::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kAsciiRun = 8; // code units narrowed together

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

template <ByteOrder order> char32_t unitAt(const unsigned char* raw) {
    if constexpr (order == ByteOrder::littleEndian)
        return raw[0] | char32_t{raw[1]} << 8;
    else
        return char32_t{raw[0]} << 8 | raw[1];
}

char* encodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | c >> 6);
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | c >> 12);
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | c >> 18);
        *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Eight code units in one vector (GCC and clang vector extensions, which every
// compiler of ours has), and the eight bytes they narrow to.
using Units = std::uint16_t __attribute__((vector_size(16)));
using Narrowed = std::uint8_t __attribute__((vector_size(8)));

// Scenes are nearly all ASCII: eight code units at a time are narrowed to bytes when
// all of them are ASCII, in a few vector instructions.
template <ByteOrder order> bool narrowAscii(const unsigned char* raw, char* out) {
    constexpr bool kSwap =
        (order == ByteOrder::littleEndian) != (std::endian::native == std::endian::little);
    Units units;
    std::memcpy(&units, raw, sizeof units);
    if constexpr (kSwap) units = units << 8 | units >> 8;
    const Units notAscii = units & 0xFF80;
    std::uint64_t halves[2];
    std::memcpy(halves, &notAscii, sizeof halves);
    if ((halves[0] | halves[1]) != 0) return false;
    const Narrowed bytes = __builtin_convertvector(units, Narrowed);
    std::memcpy(out, &bytes, sizeof bytes);
    return true;
}

template <ByteOrder order>
DecodedStretch decode(const unsigned char* raw, std::size_t size, bool last, char* out) {
    char* const start = out;
    std::size_t i = 0;
    while (size - i >= 2) {
        while (size - i >= 2 * kAsciiRun && narrowAscii<order>(raw + i, out)) {
            i += 2 * kAsciiRun;
            out += kAsciiRun;
        }
        if (size - i < 2) break;
        const char32_t unit = unitAt<order>(raw + i);
        if (isHighSurrogate(unit)) {
            if (size - i < 4 && !last) break; // its partner may follow
            const char32_t next = size - i >= 4 ? unitAt<order>(raw + i + 2) : 0;
            if (isLowSurrogate(next)) {
                out = encodeUtf8(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), out);
                i += 4;
                continue;
            }
            out = encodeUtf8(kReplacement, out);
        } else {
            out = encodeUtf8(isLowSurrogate(unit) ? kReplacement : unit, out);
        }
        i += 2;
    }
    if (size - i == 1 && last) { // half a code unit
        out = encodeUtf8(kReplacement, out);
        i = size;
    }
    return {i, static_cast<std::size_t>(out - start)};
}

} // namespace

std::optional<ByteOrder> utf16ByteOrder(std::string_view firstBytes) {
    if (firstBytes.substr(0, 2) == "\xFF\xFE") return ByteOrder::littleEndian;
    if (firstBytes.substr(0, 2) == "\xFE\xFF") return ByteOrder::bigEndian;
    return std::nullopt;
}

bool mayStartUtf16Mark(std::string_view firstBytes) {
    return firstBytes.empty() ||
           (firstBytes.size() == 1 && (firstBytes[0] == '\xFF' || firstBytes[0] == '\xFE'));
}

DecodedStretch decodeUtf16(const unsigned char* raw, std::size_t size, ByteOrder order, bool last,
                           char* out) {
    return order == ByteOrder::littleEndian ? decode<ByteOrder::littleEndian>(raw, size, last, out)
                                            : decode<ByteOrder::bigEndian>(raw, size, last, out);
}

void startUtf16Text(Utf16Text& text, ByteOrder order) {
    text.order = order;
    text.marks.assign(1, {0, 2}); // the text starts after the byte-order mark
    text.raw = std::unique_ptr<unsigned char[]>(new unsigned char[Utf16Text::kStretch]);
    text.decoded = std::unique_ptr<char[]>(new char[maxDecodedSize(Utf16Text::kStretch)]);
}

std::size_t readUtf16Text(Utf16Text& text, RawReadFunction readRaw, void* context,
                          std::uint64_t offset, char* data, std::size_t size) {
    const auto after = std::upper_bound(
        text.marks.begin(), text.marks.end(), offset,
        [](std::uint64_t at, const Utf16Text::Mark& mark) { return at < mark.text; });
    Utf16Text::Mark at = *(after - 1); // the first mark is at 0
    std::size_t copied = 0;
    while (copied < size) {
        if (at.raw >= text.marks.back().raw + Utf16Text::kStretch) text.marks.push_back(at);
        // Each code unit gives at least one byte of text: twice the bytes still wanted
        // (and a unit's partner) is all the file that a small read needs.
        const std::uint64_t wanted = offset + size - at.text;
        const std::size_t ask =
            static_cast<std::size_t>(std::min<std::uint64_t>(Utf16Text::kStretch, 2 * wanted + 4));
        const std::size_t got =
            readRaw(context, at.raw, reinterpret_cast<char*>(text.raw.get()), ask);
        const bool last = got < ask;
        // Straight into the caller's buffer where all of the stretch is wanted and fits.
        const bool direct = at.text == offset + copied && size - copied >= maxDecodedSize(got);
        char* const out = direct ? data + copied : text.decoded.get();
        const DecodedStretch stretch = decodeUtf16(text.raw.get(), got, text.order, last, out);
        const std::uint64_t from = std::max(at.text, offset + copied);
        const std::uint64_t to = std::min(at.text + stretch.produced, offset + size);
        if (to > from) {
            if (!direct) std::memcpy(data + copied, out + (from - at.text), to - from);
            copied += static_cast<std::size_t>(to - from);
        }
        at = {at.text + stretch.produced, at.raw + stretch.rawUsed};
        if (last || stretch.rawUsed == 0) break;
    }
    return copied;
}

} // namespace meshlift::detail
