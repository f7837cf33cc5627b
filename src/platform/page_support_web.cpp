#include "platform/page_support.h"

#include <emscripten.h>

#include <algorithm>

// The bodies below run as JavaScript in the worker, where FileReaderSync reads a slice
// of a Blob without giving up the thread: the converter's synchronous reads stay as
// they are. Offsets pass as doubles, exact up to 2^53 bytes.

namespace {

EM_JS(double, meshlift_blob_size, (), { return Module["blob"].size; });

EM_JS(int, meshlift_blob_readable, (), {
    const blob = Module["blob"];
    try {
        // An empty slice may never touch the file, so a byte is read where there is one.
        new FileReaderSync().readAsArrayBuffer(blob.size > 0 ? blob.slice(0, 1) : blob);
        return 1;
    } catch (error) {
        return 0;
    }
});

EM_JS(int, meshlift_read_blob_at, (double offset, char* data, int size), {
    let bytes;
    try {
        const slice = Module["blob"].slice(offset, offset + size);
        bytes = new Uint8Array(new FileReaderSync().readAsArrayBuffer(slice));
    } catch (error) {
        return -1;
    }
    HEAPU8.set(bytes, data);
    Module["onBlobRead"](offset + bytes.length);
    return bytes.length;
});

EM_JS(void, meshlift_hand_document, (const char* data, int size),
      { Module["onDocument"](HEAPU8.slice(data, data + size)); });

EM_JS(void, meshlift_hand_console, (const char* data, int size),
      { Module["onConsole"](HEAPU8.slice(data, data + size)); });

EM_JS(void, meshlift_hand_picture, (const unsigned char* rgba, int width, int height), {
    const pixels = new Uint8ClampedArray(HEAPU8.slice(rgba, rgba + width * height * 4).buffer);
    Module["onPicture"](pixels, width, height);
});

EM_JS(void, meshlift_hand_report_line, (const char* data, int size),
      { Module["onReportLine"](UTF8ToString(data, size)); });

} // namespace

namespace meshlift::detail::platform {

std::uint64_t blobSize() {
    return static_cast<std::uint64_t>(meshlift_blob_size());
}

bool blobReadable() {
    return meshlift_blob_readable() != 0;
}

std::ptrdiff_t readBlobAt(std::uint64_t offset, char* data, std::size_t size) {
    // A shorter read than asked for is asked again for the rest.
    const std::size_t slice = std::min<std::size_t>(size, std::size_t{1} << 30);
    return meshlift_read_blob_at(static_cast<double>(offset), data, static_cast<int>(slice));
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

} // namespace meshlift::detail::platform
