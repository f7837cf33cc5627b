#include "meshlift/preview.h"
#include "platform/program_support.h"
#include "png_writer.h"
#include "program.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace platform = meshlift::detail::platform;
using meshlift::PreviewReport;

void say(const std::string& line) {
    platform::writeConsoleLine(line);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Adding 0 turns -0 into 0: which of the two zeros a bound keeps differs between C
// libraries, and the report must not.
std::string point(meshlift::PreviewPoint p) {
    char text[100];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", p.x + 0.0, p.y + 0.0, p.z + 0.0);
    return text;
}

void report(const PreviewReport& preview, bool fit) {
    if (preview.outcome == meshlift::PreviewOutcome::truncated)
        say("Warning : the document ends before </scene>; what it holds is drawn");
    say("objects: " + std::to_string(preview.objects));
    say("polygons drawn: " + std::to_string(preview.drawn));
    say("polygons skipped, a corner names no node of its object: " +
        std::to_string(preview.skipped));
    say("polygons outside the view or behind the camera: " + std::to_string(preview.outside));
    say(preview.hasBounds ? "bounding box: " + point(preview.low) + " to " + point(preview.high)
                          : std::string("bounding box: empty, no node with a usable position"));
    if (preview.fitted)
        say("fitted camera: " + point(preview.camera) + " looking at " + point(preview.lookAt) +
            ", near " + number(preview.near));
    if (preview.turned)
        say("turned to face the scene's plane, which the document's direction sees edge-on; "
            "up " +
            point(preview.up));
    if (preview.anyCovered) return;
    if (preview.drawn > 0)
        say(fit ? "Nothing shows: the polygons in view are seen edge-on."
                : "Nothing shows: the polygons in view are seen edge-on: try --fit.");
    else if (preview.outside > 0)
        say(fit ? "Nothing is in view." : "Nothing is in view: try --fit to move the camera.");
    else if (preview.skipped > 0)
        say("Nothing to draw: no polygon has all its corners among its object's nodes.");
    else
        say("Nothing to draw: the scene holds no polygon.");
}

// "X,Y,Z": three finite numbers, not all zero.
std::optional<meshlift::PreviewPoint> direction(const char* text) {
    double values[3];
    for (double& value : values) {
        char* end = nullptr;
        value = std::strtod(text, &end);
        if (end == text || !std::isfinite(value)) return std::nullopt;
        text = end;
        if (&value != &values[2] && *text++ != ',') return std::nullopt;
    }
    if (*text != '\0' || (values[0] == 0 && values[1] == 0 && values[2] == 0)) return std::nullopt;
    return meshlift::PreviewPoint{values[0], values[1], values[2]};
}

} // namespace

int runProgram(int argc, char** argv) {
    platform::prepareProcess();
    std::vector<std::string_view> paths;
    meshlift::PreviewOptions options;
    bool usable = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--fit") {
            options.fit = true;
        } else if (argument == "--from" && i + 1 < argc) {
            options.from = direction(argv[++i]);
            usable = usable && options.from.has_value();
            options.fit = true;
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 2 || !usable) {
        say("Usage : meshlift-preview scene.xml picture.png [--fit] [--from X,Y,Z]");
        return 1;
    }
    const bool fit = options.fit;
    const std::string document(paths[0]);
    const std::string picture(paths[1]);
    if (platform::isSameFile(document.c_str(), picture.c_str())) {
        say("Error creating file : " + picture + " !");
        return 1;
    }
    // A fitted camera reads the document twice: a pipe cannot give it a second time. A
    // document that cannot be opened at all is reported as such below, fitted or not.
    if (fit && platform::isStream(document.c_str())) {
        say("Error : --fit reads the document twice and needs a regular file : " + document + " !");
        return 1;
    }
    meshlift::PreviewImage image;
    const PreviewReport preview = meshlift::renderPreviewFile(document, options, image);
    switch (preview.outcome) {
    case meshlift::PreviewOutcome::unreadable:
        say("Error opening file : " + document + " !");
        return 1;
    case meshlift::PreviewOutcome::notScene:
        say("Error : " + document + " is not a scene document !");
        return 1;
    case meshlift::PreviewOutcome::unusableScene:
        say("Error : unusable scene attribute " + preview.problem + " in " + document + " !");
        return 1;
    case meshlift::PreviewOutcome::drawn:
    case meshlift::PreviewOutcome::truncated:
        break;
    }
    const std::string png = meshlift::cli::encodePng(image);
    if (png.empty() || !platform::replaceFileContents(picture.c_str(), png)) {
        say("Error writing file : " + picture + " !");
        return 1;
    }
    report(preview, fit);
    return 0;
}
