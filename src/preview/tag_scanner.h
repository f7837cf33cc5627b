#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace meshlift::detail::preview {

// One markup item of the document. Names and values are views into the reader's buffer;
// values are raw, entity references still in them (see decodedValue).
struct Attribute {
    std::string_view name;
    std::string_view value;
};

enum class TagKind { start, end, empty, other };

inline constexpr std::size_t kMaxAttributes = 16; // more are read past, never used

struct Tag {
    TagKind kind = TagKind::other;
    std::string_view name;
    std::array<Attribute, kMaxAttributes> attributes{};
    std::size_t attributeCount = 0;
    bool truncated = false; // the input ended inside this tag

    [[nodiscard]] std::string_view attribute(std::string_view attributeName) const;
};

// Reads the markup item that starts at text[0] ('<'): a start, end or empty-element tag,
// or a comment, processing instruction, declaration or CDATA section (kind other).
// Returns its length, or 0 when `text` ends inside it and more input may follow
// (`atEnd` false). With `atEnd` true an unfinished item runs to the end of `text`.
//
// Attribute values are tolerant of what the converter copies unescaped into an object's
// id: "&" and "<" are kept as they stand, and a quote only closes a value when a blank
// and the next attribute's name and "=", or ">" or "/>", follow it.
[[nodiscard]] std::size_t scanTag(std::string_view text, bool atEnd, Tag& tag);

// The value with the XML entity and character references replaced; an "&" that starts
// no reference (as the converter writes it) stays as it is.
[[nodiscard]] std::string_view decodedValue(std::string_view raw, std::string& scratch);

} // namespace meshlift::detail::preview
