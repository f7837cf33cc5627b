#include "png_writer.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

// A PNG needs four chunks here: the signature, the header, the compressed rows and
// the end. zlib does the compression and the checksums; this file only lays them out.

namespace meshlift::cli {
namespace {

constexpr std::uint8_t kFilterSub = 1;

void putUint32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

void putChunk(std::string& out, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    putUint32(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    out.append(reinterpret_cast<const char*>(data), size);
    const auto* checked = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    putUint32(out, static_cast<std::uint32_t>(crc32(0, checked, static_cast<uInt>(4 + size))));
}

// Each row as its filter byte and the differences to the pixel on its left: previews
// are mostly flat colours, which this one filter turns into runs of zeros.
std::vector<std::uint8_t> filteredRows(const PreviewImage& image) {
    const std::size_t width = static_cast<std::size_t>(image.width);
    std::vector<std::uint8_t> rows;
    rows.reserve((1 + width * 3) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* pixel = image.rgba.data() + static_cast<std::size_t>(y) * width * 4;
        rows.push_back(kFilterSub);
        std::uint8_t left[3] = {};
        for (std::size_t x = 0; x < width; ++x, pixel += 4) {
            for (int c = 0; c < 3; ++c) {
                rows.push_back(static_cast<std::uint8_t>(pixel[c] - left[c]));
                left[c] = pixel[c];
            }
        }
    }
    return rows;
}

// A light setting compresses flat previews nearly as well as the best, in a fraction
// of the time.
bool compress(const std::vector<std::uint8_t>& rows, std::vector<std::uint8_t>& out) {
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    out.resize(size);
    if (compress2(out.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 3) != Z_OK)
        return false;
    out.resize(size);
    return true;
}

} // namespace

std::string encodePng(const PreviewImage& image) {
    std::vector<std::uint8_t> compressed;
    if (!compress(filteredRows(image), compressed)) return {};
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    putUint32(header, static_cast<std::uint32_t>(image.width));
    putUint32(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no interlace
    putChunk(png, "IHDR", reinterpret_cast<const std::uint8_t*>(header.data()), header.size());
    putChunk(png, "IDAT", compressed.data(), compressed.size());
    putChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace meshlift::cli
