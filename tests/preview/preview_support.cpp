#include "preview_support.h"

#include "preview/shading.h"

namespace meshlift::detail::preview::test {

std::string flatObject(std::string_view id, std::string_view colour) {
    std::string line = "<object id=\"";
    line.append(id).append("\" Ka=\"1.0\" Kd=\"0\" Ks=\"0\" color=\"").append(colour);
    return line.append("\">");
}

std::string objectElement(std::string_view start, std::initializer_list<std::string_view> points,
                          std::initializer_list<std::string_view> polygons) {
    std::string text(start);
    text.append("\r\n<nodes>\r\n");
    int id = 0;
    for (std::string_view xyz : points) {
        text.append("<node id=\"" + std::to_string(id++) + "\" xyz=\"");
        text.append(xyz).append("\"/>\r\n");
    }
    text.append("</nodes>\r\n<polygons>\r\n");
    int polygon = 0;
    for (std::string_view corners : polygons) {
        text.append("<polygon id=\"" + std::to_string(polygon++) + "\">\r\n");
        while (!corners.empty()) {
            const std::size_t blank = corners.find(' ');
            text.append("<node id=\"").append(corners.substr(0, blank)).append("\"/>\r\n");
            corners.remove_prefix(blank == std::string_view::npos ? corners.size() : blank + 1);
        }
        text.append("</polygon>\r\n");
    }
    return text.append("</polygons>\r\n</object>\r\n");
}

Preview renderText(const meshlift::detail::test::TempDir&, std::string_view document, bool fit) {
    std::size_t at = 0;
    return renderDocument(memoryDocument(document, at), fit);
}

std::uint32_t pixel(const Preview& preview, int column, int row) {
    const std::uint8_t* p =
        preview.rgba.data() + (static_cast<std::size_t>(row) * preview.width + column) * 4;
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

double coverage(const Preview& preview, int column, int row, std::uint32_t full) {
    const double background = (kBackground >> 16) & 0xff;
    const double red = (pixel(preview, column, row) >> 16) & 0xff;
    return (red - background) / (((full >> 16) & 0xff) - background);
}

} // namespace meshlift::detail::preview::test
