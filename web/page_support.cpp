#include "page_support.h"

#include <algorithm>

// The functions below are JavaScript, in page_support.js. Offsets pass as doubles,
// exact up to 2^53 bytes.
extern "C" {
double meshlift_blob_size();
int meshlift_blob_readable();
int meshlift_read_blob_at(double offset, char* data, int size);
void meshlift_forget_blob();
void meshlift_hand_document(const char* data, int size);
void meshlift_hand_console(const char* data, int size);
void meshlift_hand_picture(const std::uint8_t* rgba, int width, int height);
void meshlift_hand_report_line(const char* data, int size);
}

namespace meshlift::page {

std::uint64_t blobSize() {
    return static_cast<std::uint64_t>(meshlift_blob_size());
}

bool blobReadable() {
    return meshlift_blob_readable() != 0;
}

std::ptrdiff_t readBlobAt(std::uint64_t offset, char* data, std::size_t size) {
    // A shorter read than asked for is asked again for the rest.
    const std::size_t asked = std::min<std::size_t>(size, std::size_t{1} << 30);
    return meshlift_read_blob_at(static_cast<double>(offset), data, static_cast<int>(asked));
}

void forgetBlob() {
    meshlift_forget_blob();
}

void handDocument(const char* data, std::size_t size) {
    meshlift_hand_document(data, static_cast<int>(size));
}

void handConsole(std::string_view lines) {
    meshlift_hand_console(lines.data(), static_cast<int>(lines.size()));
}

void handPicture(const std::uint8_t* rgba, int width, int height) {
    meshlift_hand_picture(rgba, width, height);
}

void handReportLine(std::string_view line) {
    meshlift_hand_report_line(line.data(), static_cast<int>(line.size()));
}

} // namespace meshlift::page
