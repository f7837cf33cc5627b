#pragma once

// Meshlift's preview as a library: draws a scene document, as the converter writes it,
// into an RGBA picture that the caller owns, exactly as meshlift-preview draws it.
//
// The document is read as a stream, in blocks, so that only the markup item at hand is
// held, never the document; memory grows with the picture's size and the nodes of the
// object being drawn. No exceptions leave these calls; running out of memory gives the
// outcome `unreadable`. Separate previews may run at the same time on separate threads.

#include "meshlift/export.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift {

struct PreviewPoint {
    double x = 0;
    double y = 0;
    double z = 0;
};

struct PreviewOptions {
    // Moves the camera so that the whole scene fills the view, looking from the
    // document's direction, with the document's `up`. A flat scene that this direction
    // sees edge-on (thinner than a pixel) is looked at face on instead, from the side the
    // document's camera is on (PreviewReport::turned). The document is then read twice.
    bool fit = false;
    // The direction to look from at the fitted scene, from the scene towards the camera
    // (1,1,1 gives a three-quarter view), taken as it is, never turned. It implies `fit`.
    // `up` stays the document's unless it is parallel to the direction. A direction that
    // is not finite or is 0,0,0 leaves the fit with nothing to look from: the picture is
    // drawn from the document's camera.
    std::optional<PreviewPoint> from;
};

enum class PreviewOutcome {
    drawn,         // read through </scene>
    truncated,     // the document ended before </scene>; what stood in it is drawn
    notScene,      // no <scene> start tag before the first other content
    unreadable,    // the document could not be opened or read (or read again, for fit)
    unusableScene, // the scene start tag's settings cannot be used; `problem` says which
};

// What the preview found and did: the figures that meshlift-preview reports.
struct PreviewReport {
    PreviewOutcome outcome = PreviewOutcome::unreadable;
    std::string problem; // the unusable scene attributes, for unusableScene
    long objects = 0;
    long drawn = 0;         // polygons drawn
    long skipped = 0;       // polygons with a corner that names no node of its object
    long outside = 0;       // polygons outside the view or all behind the camera
    bool hasBounds = false; // whether any node had a usable position
    PreviewPoint low;       // the scene's bounding box
    PreviewPoint high;
    bool fitted = false; // the camera that fit chose
    PreviewPoint camera;
    PreviewPoint lookAt;
    PreviewPoint up;
    double near = 0;
    bool turned = false;     // fit turned the camera to face a flat scene seen edge-on
    bool anyCovered = false; // whether any polygon covers a part of the picture

    [[nodiscard]] bool pictureDrawn() const {
        return outcome == PreviewOutcome::drawn || outcome == PreviewOutcome::truncated;
    }
};

// The picture: `height` rows of `width` pixels, top row first, four bytes a pixel
// (red, green, blue, and alpha, which is always 255).
struct PreviewImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// A document pulled in blocks: `read` puts the next bytes into `buffer` and returns how
// many (0 at the end of the document, -1 when a read failed). `rewind` goes back to the
// document's beginning for the second reading that fit needs; without it, or when it
// returns false, a fitted preview ends as `unreadable`.
struct DocumentReader {
    std::function<std::ptrdiff_t(char* buffer, std::size_t capacity)> read;
    std::function<bool()> rewind;
};

// Draws the document into `image` (resized to the picture of the scene start tag) when
// the outcome is drawn or truncated; `image` is left empty otherwise.
[[nodiscard]] MESHLIFT_API PreviewReport renderPreview(const DocumentReader& document,
                                                       const PreviewOptions& options,
                                                       PreviewImage& image) noexcept;

// The same for the document at `path` (UTF-8), or held in memory.
[[nodiscard]] MESHLIFT_API PreviewReport renderPreviewFile(std::string_view path,
                                                           const PreviewOptions& options,
                                                           PreviewImage& image) noexcept;
[[nodiscard]] MESHLIFT_API PreviewReport renderPreviewBuffer(std::string_view document,
                                                             const PreviewOptions& options,
                                                             PreviewImage& image) noexcept;

// What meshlift-preview prints about a preview, one line each, without line ends: for a
// picture that was not drawn, the one line that says why, naming the document as
// `documentName`; else the report's figures and, when nothing shows, what to try (which
// depends on whether `fit` was asked for). The web page shows the same lines.
[[nodiscard]] MESHLIFT_API std::vector<std::string>
previewReportLines(const PreviewReport& report, std::string_view documentName, bool fit);

} // namespace meshlift
