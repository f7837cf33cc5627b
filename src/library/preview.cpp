#include "meshlift/preview.h"

#include "platform/file_system.h"
#include "preview/preview_render.h"

#include <string>

namespace meshlift {

using namespace detail;

namespace {

PreviewOutcome outcomeOf(preview::ReadOutcome outcome) {
    switch (outcome) {
    case preview::ReadOutcome::complete:
        return PreviewOutcome::drawn;
    case preview::ReadOutcome::truncated:
        return PreviewOutcome::truncated;
    case preview::ReadOutcome::notScene:
        return PreviewOutcome::notScene;
    case preview::ReadOutcome::stopped:
        return PreviewOutcome::unusableScene;
    case preview::ReadOutcome::unreadable:
        break;
    }
    return PreviewOutcome::unreadable;
}

PreviewReport reportOf(preview::Preview& drawn, PreviewImage& image) {
    PreviewReport report = std::move(drawn.report);
    report.outcome = outcomeOf(drawn.outcome);
    report.problem = std::move(drawn.problem);
    image.width = drawn.width;
    image.height = drawn.height;
    image.rgba = std::move(drawn.rgba);
    return report;
}

PreviewReport render(const DocumentReader& document, const PreviewOptions& options,
                     PreviewImage& image) noexcept {
    image = PreviewImage();
    try {
        std::optional<preview::Vec3> from;
        if (options.from) from = preview::Vec3{options.from->x, options.from->y, options.from->z};
        preview::Preview drawn = preview::renderDocument(document, options.fit, from);
        return reportOf(drawn, image);
    } catch (...) { // out of memory
        image = PreviewImage();
        return PreviewReport();
    }
}

} // namespace

PreviewReport renderPreview(const DocumentReader& document, const PreviewOptions& options,
                            PreviewImage& image) noexcept {
    return render(document, options, image);
}

PreviewReport renderPreviewFile(std::string_view path, const PreviewOptions& options,
                                PreviewImage& image) noexcept {
    image = PreviewImage();
    try {
        const std::string name(path);
        if (name.find('\0') != std::string::npos) return PreviewReport();
        std::optional<platform::OpenedFile> file = platform::openForReading(name.c_str());
        if (!file || file->kind == platform::FileKind::directory) return PreviewReport();
        DocumentReader document;
        document.read = [&file](char* buffer, std::size_t capacity) -> std::ptrdiff_t {
            const platform::ReadResult got = platform::readSome(file->file.get(), buffer, capacity);
            return got.failed ? -1 : static_cast<std::ptrdiff_t>(got.size);
        };
        // A pipe cannot give the document a second time; a file is opened again.
        document.rewind = [&file, &name]() {
            if (file->kind != platform::FileKind::regular) return false;
            file = platform::openForReading(name.c_str());
            return file.has_value();
        };
        return render(document, options, image);
    } catch (...) {
        return PreviewReport();
    }
}

PreviewReport renderPreviewBuffer(std::string_view text, const PreviewOptions& options,
                                  PreviewImage& image) noexcept {
    std::size_t at = 0;
    return render(preview::memoryDocument(text, at), options, image);
}

} // namespace meshlift
