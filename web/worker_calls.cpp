// The two calls that the page's worker makes into the WebAssembly module: convert the
// Blob at hand, and draw the document at hand. Both read through the library's readers
// and hand what they make to the worker's script through the page support.
#include "meshlift/meshlift.h"
#include "meshlift/preview.h"
#include "page_support.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace page = meshlift::page;

// Lines leave in pieces: one call into the script per line would cost more than the
// conversion (a scene can make the program print millions of console lines).
constexpr std::size_t kDocumentPiece = std::size_t{1} << 20;
constexpr std::size_t kConsolePiece = std::size_t{64} << 10;

class Pieces {
  public:
    using Hand = void (*)(const char* data, std::size_t size);

    Pieces(Hand hand, std::size_t piece) : hand_(hand), piece_(piece) {
        pending_.reserve(piece + 4096);
    }
    Pieces(const Pieces&) = delete;
    Pieces& operator=(const Pieces&) = delete;
    ~Pieces() { flush(); }

    void add(std::string_view line) {
        pending_.append(line);
        if (pending_.size() >= piece_) flush();
    }

    void flush() {
        if (!pending_.empty()) hand_(pending_.data(), pending_.size());
        pending_.clear();
    }

  private:
    Hand hand_;
    std::size_t piece_;
    std::string pending_;
};

void handConsole(const char* data, std::size_t size) {
    page::handConsole(std::string_view(data, size));
}

// What meshlift_convert ended with; worker.js names the same values.
enum class Outcome : int {
    success = 0,    // the program's exit code 0
    failure = 1,    // the program's exit code 1, with the document it began
    unreadable = 2, // the file could not be read at all: exit code 1 and no document
    badMode = 3,    // a mode that is neither "tri" nor "quad": nothing ran
};

} // namespace

// Converts the Blob at hand, named `name` in the console lines, like `Meshlift name
// document mode` with `mode` "tri" or "quad". Returns an Outcome.
extern "C" int meshlift_convert(const char* name, const char* mode) {
    const std::string_view modeName = mode;
    if (modeName != "tri" && modeName != "quad") return static_cast<int>(Outcome::badMode);
    bool opened = false;
    meshlift::SceneReader scene;
    scene.size = page::blobSize();
    scene.open = [&opened] { return opened = page::blobReadable(); };
    scene.readAt = page::readBlobAt;
    meshlift::Result result;
    {
        Pieces document(page::handDocument, kDocumentPiece);
        Pieces console(handConsole, kConsolePiece);
        result = meshlift::convertReader(
            scene, modeName == "quad" ? meshlift::Mode::quad : meshlift::Mode::tri,
            [&document, &console](meshlift::LineKind kind, std::string_view line) {
                (kind == meshlift::LineKind::document ? document : console).add(line);
            },
            name);
    }
    page::forgetBlob();
    if (!opened) return static_cast<int>(Outcome::unreadable);
    return static_cast<int>(result.exitCode == 0 ? Outcome::success : Outcome::failure);
}

// Draws the document Blob at hand, named `name` in the report, like `meshlift-preview
// name picture.png [--fit]`: hands the picture, when there is one, and the report
// lines. Returns 0 when the picture was drawn, 1 otherwise.
extern "C" int meshlift_preview(const char* name, int fit) {
    std::uint64_t at = 0;
    meshlift::DocumentReader document;
    document.read = [&at](char* buffer, std::size_t capacity) {
        const std::ptrdiff_t got = page::readBlobAt(at, buffer, capacity);
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
    page::forgetBlob();
    const std::vector<std::string> report = meshlift::previewReportLines(preview, name, fit != 0);
    if (preview.pictureDrawn()) page::handPicture(image.rgba.data(), image.width, image.height);
    for (const std::string& line : report)
        page::handReportLine(line);
    return preview.pictureDrawn() ? 0 : 1;
}
