#include "preview/tag_scanner.h"

#include <charconv>
#include <cstring>
#include <utility>

namespace meshlift::detail::preview {
namespace {

constexpr std::size_t kNeedMore = 0;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

std::size_t skipBlanks(std::string_view text, std::size_t i) {
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

std::size_t skipName(std::string_view text, std::size_t i) {
    while (i < text.size() && isNameChar(text[i]))
        ++i;
    return i;
}

enum class Closing { yes, no, needMore };

// Whether the quote at `quote` ends its value: what follows must be the tag's end or,
// after a blank, another attribute. Anything else means the quote was copied from a name.
Closing closesValue(std::string_view text, std::size_t quote, bool atEnd) {
    const Closing unknown = atEnd ? Closing::yes : Closing::needMore;
    std::size_t i = quote + 1;
    if (i == text.size()) return unknown;
    if (text[i] == '>') return Closing::yes;
    if (text[i] == '/') {
        if (i + 1 == text.size()) return unknown;
        return text[i + 1] == '>' ? Closing::yes : Closing::no;
    }
    if (!isBlank(text[i])) return Closing::no;
    i = skipBlanks(text, i);
    if (i == text.size()) return unknown;
    if (text[i] == '>' || text[i] == '/') return Closing::yes;
    const std::size_t nameEnd = skipName(text, i);
    if (nameEnd == i) return Closing::no;
    i = skipBlanks(text, nameEnd);
    if (i == text.size()) return unknown;
    if (text[i] != '=') return Closing::no;
    i = skipBlanks(text, i + 1);
    if (i == text.size()) return unknown;
    return text[i] == '"' || text[i] == '\'' ? Closing::yes : Closing::no;
}

// Position of the quote that closes the value opened at `open`, npos when more input
// is needed, text.size() when the input ends inside the value.
std::size_t valueEnd(std::string_view text, std::size_t open, bool atEnd) {
    const char quote = text[open];
    std::size_t i = open + 1;
    while (true) {
        const void* found = std::memchr(text.data() + i, quote, text.size() - i);
        if (found == nullptr) return atEnd ? text.size() : std::string_view::npos;
        const std::size_t at = static_cast<const char*>(found) - text.data();
        switch (closesValue(text, at, atEnd)) {
        case Closing::yes:
            return at;
        case Closing::needMore:
            return std::string_view::npos;
        case Closing::no:
            i = at + 1;
        }
    }
}

std::size_t endOfSpecial(std::string_view text, bool atEnd, std::string_view terminator) {
    const std::size_t at = text.find(terminator, 2);
    if (at != std::string_view::npos) return at + terminator.size();
    return atEnd ? text.size() : kNeedMore;
}

std::size_t scanSpecial(std::string_view text, bool atEnd) {
    if (text.size() < 9 && !atEnd) return kNeedMore;
    if (text.substr(0, 4) == "<!--") return endOfSpecial(text, atEnd, "-->");
    if (text.substr(0, 9) == "<![CDATA[") return endOfSpecial(text, atEnd, "]]>");
    if (text[1] == '?') return endOfSpecial(text, atEnd, "?>");
    // A declaration; an internal subset in brackets may hold ">" of its own.
    int depth = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        if (text[i] == '[') ++depth;
        if (text[i] == ']') --depth;
        if (text[i] == '>' && depth <= 0) return i + 1;
    }
    return atEnd ? text.size() : kNeedMore;
}

std::size_t finish(Tag& tag, std::size_t length, bool truncated) {
    tag.truncated = truncated;
    return length;
}

std::size_t scanElementTag(std::string_view text, bool atEnd, Tag& tag) {
    const bool closing = text[1] == '/';
    std::size_t i = closing ? 2 : 1;
    const std::size_t nameEnd = skipName(text, i);
    tag.name = text.substr(i, nameEnd - i);
    tag.kind = closing ? TagKind::end : TagKind::start;
    i = nameEnd;
    while (true) {
        i = skipBlanks(text, i);
        if (i >= text.size()) return atEnd ? finish(tag, text.size(), true) : kNeedMore;
        if (text[i] == '>') return finish(tag, i + 1, false);
        if (text[i] == '/') {
            if (i + 1 == text.size()) return atEnd ? finish(tag, text.size(), true) : kNeedMore;
            if (text[i + 1] == '>') {
                if (!closing) tag.kind = TagKind::empty;
                return finish(tag, i + 2, false);
            }
            ++i;
            continue;
        }
        const std::size_t attributeNameEnd = skipName(text, i);
        if (attributeNameEnd == i) { // stray text inside the tag: read past it
            ++i;
            continue;
        }
        const std::string_view attributeName = text.substr(i, attributeNameEnd - i);
        i = skipBlanks(text, attributeNameEnd);
        if (i < text.size() && text[i] == '=') i = skipBlanks(text, i + 1);
        if (i >= text.size()) return atEnd ? finish(tag, text.size(), true) : kNeedMore;
        if (text[i] != '"' && text[i] != '\'') continue;
        const std::size_t close = valueEnd(text, i, atEnd);
        if (close == std::string_view::npos) return kNeedMore;
        if (tag.attributeCount < kMaxAttributes)
            tag.attributes[tag.attributeCount++] = {attributeName,
                                                    text.substr(i + 1, close - i - 1)};
        i = close + 1;
    }
}

} // namespace

std::string_view Tag::attribute(std::string_view attributeName) const {
    for (std::size_t i = 0; i < attributeCount; ++i) {
        if (attributes[i].name == attributeName) return attributes[i].value;
    }
    return {};
}

std::size_t scanTag(std::string_view text, bool atEnd, Tag& tag) {
    // Field by field: clearing the whole attribute array for every tag costs more than
    // reading most tags.
    tag.kind = TagKind::other;
    tag.name = {};
    tag.attributeCount = 0;
    tag.truncated = false;
    if (text.size() < 2) return atEnd ? finish(tag, text.size(), true) : kNeedMore;
    if (text[1] == '!' || text[1] == '?') return scanSpecial(text, atEnd);
    return scanElementTag(text, atEnd, tag);
}

std::string_view decodedValue(std::string_view raw, std::string& scratch) {
    if (raw.find('&') == std::string_view::npos) return raw;
    scratch.clear();
    while (!raw.empty()) {
        const std::size_t amp = raw.find('&');
        scratch.append(raw.substr(0, amp));
        if (amp == std::string_view::npos) break;
        raw.remove_prefix(amp);
        const std::size_t semicolon = raw.find(';');
        const std::string_view name =
            semicolon == std::string_view::npos ? std::string_view{} : raw.substr(1, semicolon - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        char replacement = 0;
        for (const auto& [entity, character] : kNamed) {
            if (name == entity) replacement = character;
        }
        unsigned code = 0;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x';
            const std::string_view digits = name.substr(hex ? 2 : 1);
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            // Numbers and ids are plain ASCII; wider characters are kept as written.
            if (error == std::errc() && end == digits.data() + digits.size() && code > 0 &&
                code < 0x80)
                replacement = static_cast<char>(code);
        }
        if (replacement == 0) {
            scratch.push_back('&');
            raw.remove_prefix(1);
            continue;
        }
        scratch.push_back(replacement);
        raw.remove_prefix(semicolon + 1);
    }
    return scratch;
}

} // namespace meshlift::detail::preview
