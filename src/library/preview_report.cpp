// The preview's report lines, as meshlift-preview prints them and the web page shows them.
#include "meshlift/preview.h"
#include "scene/console_lines.h"

#include <cstdio>

namespace meshlift {
namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Adding 0 turns -0 into 0: which of the two zeros a bound keeps differs between C
// libraries, and the report must not.
std::string point(PreviewPoint p) {
    char text[100];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", p.x + 0.0, p.y + 0.0, p.z + 0.0);
    return text;
}

// The line for a preview that drew no picture; empty when the picture was drawn.
std::string failureLine(const PreviewReport& preview, std::string_view document) {
    const std::string name(document);
    switch (preview.outcome) {
    case PreviewOutcome::unreadable:
        return detail::console::lineAbout(detail::console::kCannotOpen, name);
    case PreviewOutcome::notScene:
        return "Error : " + name + " is not a scene document !";
    case PreviewOutcome::unusableScene:
        return "Error : unusable scene attribute " + preview.problem + " in " + name + " !";
    case PreviewOutcome::drawn:
    case PreviewOutcome::truncated:
        break;
    }
    return {};
}

} // namespace

std::vector<std::string> previewReportLines(const PreviewReport& preview,
                                            std::string_view documentName, bool fit) {
    if (!preview.pictureDrawn()) return {failureLine(preview, documentName)};
    std::vector<std::string> lines;
    if (preview.outcome == PreviewOutcome::truncated)
        lines.emplace_back("Warning : the document ends before </scene>; what it holds is drawn");
    lines.push_back("objects: " + std::to_string(preview.objects));
    lines.push_back("polygons drawn: " + std::to_string(preview.drawn));
    lines.push_back("polygons skipped, a corner names no node of its object: " +
                    std::to_string(preview.skipped));
    lines.push_back("polygons outside the view or behind the camera: " +
                    std::to_string(preview.outside));
    lines.push_back(preview.hasBounds
                        ? "bounding box: " + point(preview.low) + " to " + point(preview.high)
                        : std::string("bounding box: empty, no node with a usable position"));
    if (preview.fitted)
        lines.push_back("fitted camera: " + point(preview.camera) + " looking at " +
                        point(preview.lookAt) + ", near " + number(preview.near));
    if (preview.turned)
        lines.push_back("turned to face the scene's plane, which the document's direction sees "
                        "edge-on; up " +
                        point(preview.up));
    if (preview.anyCovered) return lines;
    if (preview.drawn > 0)
        lines.emplace_back(
            fit ? "Nothing shows: the polygons in view are seen edge-on."
                : "Nothing shows: the polygons in view are seen edge-on: try --fit.");
    else if (preview.outside > 0)
        lines.emplace_back(fit ? "Nothing is in view."
                               : "Nothing is in view: try --fit to move the camera.");
    else if (preview.skipped > 0)
        lines.emplace_back(
            "Nothing to draw: no polygon has all its corners among its object's nodes.");
    else
        lines.emplace_back("Nothing to draw: the scene holds no polygon.");
    return lines;
}

} // namespace meshlift
