#pragma once

// Scenes as exporters write them in UTF-16, shared by the cases of every platform
// (utf16_scene_test.cpp) and of POSIX pipes (piped_input_posix_test.cpp).
#include "ase/utf16_text.h"
#include "test_support.h"

#include <string>
#include <string_view>

namespace meshlift::detail::test {

// The UTF-16 code units of well-formed UTF-8 text.
inline std::u16string utf16Units(std::string_view utf8) {
    std::u16string units;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        if (c < 0x10000) {
            units += static_cast<char16_t>(c);
        } else {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return units;
}

// The bytes of a UTF-16 file: its byte-order mark, then the units.
inline std::string utf16Bytes(std::u16string_view units, ByteOrder order) {
    const bool little = order == ByteOrder::littleEndian;
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

// Names with two- to four-byte characters (U+011A holds the byte 0x1A in either byte
// order), then the end mark, after which nothing is read.
inline std::string utf16TestScene() {
    return triangleScene("\t*NODE_NAME \"\xC4\x9A\xC5\x88 \xF0\x9F\x98\x80 \xE5\x90\x8D\"",
                         "\t*WIREFRAME_COLOR 0.5 0.25 1") +
           triangleScene("*NODE_NAME \"second\"", "") + "\x1A" +
           triangleScene("*NODE_NAME \"gone\"", "");
}

} // namespace meshlift::detail::test
