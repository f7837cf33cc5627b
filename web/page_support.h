#pragma once

// What the web page's worker needs of the browser beyond the library's API: the Blob
// that the page handed it, read in slices, and the page's script told what came of the
// work. The worker's script (web/worker.js) passes the Blob and the receivers to the
// module's calls (page_calls.js). Only the web build has an implementation
// (page_support.cpp, and page_support.js for its browser side).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace meshlift::page {

// The size of the Blob at hand, in bytes.
[[nodiscard]] std::uint64_t blobSize();

// Whether the browser can read the Blob at all: a File whose file was removed or
// changed after it was chosen cannot be read. Reads the Blob's first slice.
[[nodiscard]] bool blobReadable();

// Reads up to `size` bytes of the Blob from `offset` on, through slices of a few
// megabytes, the last of which are kept for the reads that come back to them; the Blob
// is never copied whole. -1 when the browser cannot read it. Tells the page's script
// how far the reads have reached.
[[nodiscard]] std::ptrdiff_t readBlobAt(std::uint64_t offset, char* data, std::size_t size);

// Lets go of the slices of the Blob that reads keep: the work on it is done.
void forgetBlob();

// Hands bytes of the document to the page's script, which keeps them as a piece of
// the document's Blob.
void handDocument(const char* data, std::size_t size);

// Hands console lines, each with its line end, to the page's script.
void handConsole(std::string_view lines);

// Hands the picture, RGBA rows from the top, and one line of its report.
void handPicture(const std::uint8_t* rgba, int width, int height);
void handReportLine(std::string_view line);

} // namespace meshlift::page
