// The two calls that the page's worker makes into the WebAssembly module: convert the
// Blob at hand, and draw the document at hand. Both read through the library's readers
// and hand what they make to the worker's script through the page support.
#include "meshlift/meshlift.h"
#include "meshlift/preview.h"
#include "platform/page_support.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace platform = meshlift::detail::platform;

// Document lines leave in pieces of about this size: one call into the script per line
// would cost more than the conversion.
constexpr std::size_t kDocumentPiece = std::size_t{1} << 20;

class DocumentPieces {
  public:
    DocumentPieces() { pending_.reserve(kDocumentPiece + 4096); }
    DocumentPieces(const DocumentPieces&) = delete;
    DocumentPieces& operator=(const DocumentPieces&) = delete;
    ~DocumentPieces() { flush(); }

    void add(std::string_view line) {
        pending_.append(line);
        if (pending_.size() >= kDocumentPiece) flush();
    }

    void flush() {
        if (!pending_.empty()) platform::handDocument(pending_.data(), pending_.size());
        pending_.clear();
    }

  private:
    std::string pending_;
};

} // namespace

// Converts the Blob at hand, named `name` in the console lines, like `Meshlift name
// document mode`. Returns the program's exit code, or 2 when the Blob could not be
// read at all: the program then has created no document (exit code 1).
extern "C" int meshlift_convert(const char* name, int quad) {
    bool opened = false;
    meshlift::SceneReader scene;
    scene.size = platform::blobSize();
    scene.open = [&opened] { return opened = platform::blobReadable(); };
    scene.readAt = platform::readBlobAt;
    meshlift::Result result;
    {
        DocumentPieces document;
        result = meshlift::convertReader(
            scene, quad != 0 ? meshlift::Mode::quad : meshlift::Mode::tri,
            [&document](meshlift::LineKind kind, std::string_view line) {
                if (kind == meshlift::LineKind::document)
                    document.add(line);
                else
                    platform::handConsole(line);
            },
            name);
    }
    platform::forgetBlob();
    return opened ? result.exitCode : 2;
}

// Draws the document Blob at hand, named `name` in the report, like `meshlift-preview
// name picture.png [--fit]`: hands the picture, when there is one, and the report
// lines. Returns 0 when the picture was drawn, 1 otherwise.
extern "C" int meshlift_preview(const char* name, int fit) {
    std::uint64_t at = 0;
    meshlift::DocumentReader document;
    document.read = [&at](char* buffer, std::size_t capacity) {
        const std::ptrdiff_t got = platform::readBlobAt(at, buffer, capacity);
        if (got > 0) at += static_cast<std::uint64_t>(got);
        return got;
    };
    document.rewind = [&at] {
        at = 0;
        return true;
    };
    meshlift::PreviewOptions options;
    options.fit = fit != 0;
    meshlift::PreviewImage image;
    const meshlift::PreviewReport preview = meshlift::renderPreview(document, options, image);
    platform::forgetBlob();
    const std::vector<std::string> report = meshlift::previewReportLines(preview, name, fit != 0);
    if (preview.pictureDrawn()) platform::handPicture(image.rgba.data(), image.width, image.height);
    for (const std::string& line : report)
        platform::handReportLine(line);
    return preview.pictureDrawn() ? 0 : 1;
}
