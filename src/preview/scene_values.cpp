#include "preview/scene_values.h"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>

namespace meshlift::detail::preview {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<double> readNumber(std::string_view text) {
    text = trimmed(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = fast_float::from_chars(text.data(), text.data() + text.size(), value);
    // A number beyond the double range comes back as infinity: it has no usable value.
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Vec3> readTriple(std::string_view text) {
    double parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = i < 2 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        const std::optional<double> part = readNumber(text.substr(0, comma));
        if (!part) return std::nullopt;
        parts[i] = *part;
        text.remove_prefix(i < 2 ? comma + 1 : comma);
    }
    return Vec3{parts[0], parts[1], parts[2]};
}

std::optional<std::uint32_t> readColour(std::string_view text) {
    text = trimmed(text);
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    text.remove_prefix(2);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return static_cast<std::uint32_t>(value & 0xffffffu);
}

} // namespace meshlift::detail::preview
