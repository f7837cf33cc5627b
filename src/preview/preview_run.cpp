#include "preview/preview_run.h"

#include "preview/png_output.h"

#include <cstdio>
#include <string_view>
#include <sys/stat.h>

namespace meshlift::preview {
namespace {

void say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string point(Vec3 p) {
    char text[100];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", p.x, p.y, p.z);
    return text;
}

void report(const Preview& preview, bool fit) {
    const RenderCounts& counts = preview.counts;
    if (preview.outcome == ReadOutcome::truncated)
        say("Warning : the document ends before </scene>; what it holds is drawn");
    say("objects: " + std::to_string(counts.objects));
    say("polygons drawn: " + std::to_string(counts.drawn));
    say("polygons skipped, a corner names no node of its object: " +
        std::to_string(counts.skipped));
    say("polygons outside the view or behind the camera: " + std::to_string(counts.outside));
    say(counts.bounds.empty()
            ? std::string("bounding box: empty, no node with a usable position")
            : "bounding box: " + point(counts.bounds.low) + " to " + point(counts.bounds.high));
    if (preview.fitted)
        say("fitted camera: " + point(preview.fitted->camera) + " looking at " +
            point(preview.fitted->lookAt) + ", near " + number(preview.fitted->near));
    if (preview.anyCovered) return;
    if (counts.drawn > 0)
        say("Nothing shows: the polygons in view are seen edge-on.");
    else if (counts.outside > 0)
        say(fit ? "Nothing is in view." : "Nothing is in view: try --fit to move the camera.");
    else if (counts.skipped > 0)
        say("Nothing to draw: no polygon has all its corners among its object's nodes.");
    else
        say("Nothing to draw: the scene holds no polygon.");
}

bool sameFile(const char* a, const char* b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a, &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool isRegularFile(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

Preview renderDocument(const char* path, bool fit) {
    Preview preview;
    std::optional<SceneSettings> settings;
    if (fit) {
        SceneSurvey survey;
        preview.outcome = readDocument(path, survey);
        preview.problem = survey.problem();
        if (!preview.drawable()) return preview;
        preview.fitted = fittedSettings(survey.settings(), survey.bounds());
        settings = preview.fitted;
    }
    SceneRender render(settings);
    preview.outcome = readDocument(path, render);
    preview.problem = render.problem();
    preview.counts = render.counts();
    if (!preview.drawable()) return preview;
    const SampleBuffer& picture = *render.picture();
    preview.anyCovered = picture.anyCovered();
    preview.width = picture.width();
    preview.height = picture.height();
    preview.rgbRows = picture.resolve();
    return preview;
}

int runPreview(int argc, const char* const* argv) {
    std::vector<std::string_view> paths;
    bool fit = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--fit")
            fit = true;
        else
            paths.push_back(argv[i]);
    }
    if (paths.size() != 2) {
        say("Usage : meshlift-preview scene.xml picture.png [--fit]");
        return 1;
    }
    const std::string document(paths[0]);
    const std::string picture(paths[1]);
    if (sameFile(document.c_str(), picture.c_str())) {
        say("Error creating file : " + picture + " !");
        return 1;
    }
    // A fitted camera reads the document twice: a pipe cannot give it a second time.
    if (fit && !isRegularFile(document.c_str())) {
        say("Error : --fit reads the document twice and needs a regular file : " + document + " !");
        return 1;
    }
    const Preview preview = renderDocument(document.c_str(), fit);
    switch (preview.outcome) {
    case ReadOutcome::unreadable:
        say("Error opening file : " + document + " !");
        return 1;
    case ReadOutcome::notScene:
        say("Error : " + document + " is not a scene document !");
        return 1;
    case ReadOutcome::stopped:
        say("Error : unusable scene attribute " + preview.problem + " in " + document + " !");
        return 1;
    case ReadOutcome::complete:
    case ReadOutcome::truncated:
        break;
    }
    if (!writePng(picture, preview.width, preview.height, preview.rgbRows)) {
        say("Error writing file : " + picture + " !");
        return 1;
    }
    report(preview, fit);
    return 0;
}

} // namespace meshlift::preview
