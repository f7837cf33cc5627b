#include "scene/object_header.h"

#include "ase/keyword_scanner.h"
#include "ase/lookahead.h"
#include "scene/scene_lines.h"

#include <charconv>
#include <cmath>

namespace meshlift::detail {
namespace {

constexpr Keyword kNodeName("*NODE_NAME");
constexpr Keyword kWireframeColour("*WIREFRAME_COLOR");

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && masks::isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && masks::isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string generatedId(std::int32_t objectCounter) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, objectCounter);
    return "\"obj_" + std::string(digits, result.ptr) + "\"";
}

std::uint32_t scaledComponent(float value) {
    const float product = value * 255.0f; // rounded once, as a float
    return static_cast<std::uint32_t>(roundToNearest(product));
}

} // namespace

std::int32_t roundToNearest(float x) {
    const double value = x;
    const double below = std::floor(value);
    const double above = std::ceil(value);
    const double nearest = (above - value <= value - below) ? above : below;
    if (nearest >= 2147483647.0) return 2147483647;
    if (nearest <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(nearest);
}

std::string colourText(float red, float green, float blue) {
    const std::uint32_t packed =
        (scaledComponent(red) << 16) | (scaledComponent(green) << 8) | scaledComponent(blue);
    char text[16] = {'0', 'x'};
    const auto result = std::to_chars(text + 2, text + sizeof text, packed, 16);
    return std::string(text, result.ptr);
}

std::string idText(std::string_view nameLine) {
    const std::size_t first = nameLine.find('"');
    if (first == std::string_view::npos) {
        // An unquoted name: whatever follows the keyword, quoted by us.
        const std::size_t keywordAt = nameLine.find(kNodeName.text());
        const std::string_view rest = keywordAt == std::string_view::npos
                                          ? nameLine
                                          : nameLine.substr(keywordAt + kNodeName.size());
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "\"" + string.
        const std::string_view name = trimBlanks(rest);
        std::string quoted;
        quoted.reserve(name.size() + 2);
        quoted.append(1, '"').append(name).append(1, '"');
        return quoted;
    }
    const std::size_t last = nameLine.rfind('"');
    return std::string(nameLine.substr(first, last - first + 1));
}

void convertObjectHeader(InputReader& input, LineStream& stream, LineSink& document,
                         std::int32_t objectCounter) {
    const std::string id = findKeywordLine(input, kNodeName, stream) ? idText(wholeLine(stream))
                                                                     : generatedId(objectCounter);

    std::string colour(kDefaultColour);
    if (lookAheadForKeywordLine(input, kWireframeColour, stream)) {
        float red = 0.0f, green = 0.0f, blue = 0.0f; // a component the line lacks counts as 0
        skipToken(stream);                           // the keyword
        readReal(stream, red);
        readReal(stream, green);
        readReal(stream, blue);
        colour = colourText(red, green, blue);
    }
    writeDocumentLine(document, kObjectId, id, kObjectMaterial, colour, kObjectStartEnd);
}

} // namespace meshlift::detail
