#include "preview/preview_render.h"

#include <algorithm>
#include <cstring>

namespace meshlift::detail::preview {

DocumentReader memoryDocument(std::string_view text, std::size_t& at, std::size_t block) {
    DocumentReader document;
    document.read = [text, block, &at](char* buffer, std::size_t capacity) {
        const std::size_t size = std::min({capacity, block, text.size() - at});
        std::memcpy(buffer, text.data() + at, size);
        at += size;
        return static_cast<std::ptrdiff_t>(size);
    };
    document.rewind = [&at]() {
        at = 0;
        return true;
    };
    return document;
}

Preview renderDocument(const DocumentReader& document, bool fit, std::optional<Vec3> from) {
    Preview preview;
    std::optional<SceneSettings> settings; // the camera that fit chose
    bool turned = false;                   // to face the flat scene it saw edge-on
    if (fit || from) {
        SceneSurvey survey;
        preview.outcome = readDocument(document.read, survey);
        preview.problem = survey.problem();
        if (!preview.drawable()) return preview;
        if (!document.rewind || !document.rewind()) {
            preview.outcome = ReadOutcome::unreadable;
            return preview;
        }
        const FitView view{from, survey.plane().normal(), survey.plane().mean()};
        if (const auto fitted = fittedCamera(survey.settings(), survey.bounds(), view)) {
            settings = fitted->settings;
            turned = fitted->turned;
        }
    }
    SceneRender render(settings);
    preview.outcome = readDocument(document.read, render);
    preview.problem = render.problem();
    preview.report = render.figures();
    if (settings) {
        const auto point = [](Vec3 p) { return PreviewPoint{p.x, p.y, p.z}; };
        preview.report.fitted = true;
        preview.report.camera = point(settings->camera);
        preview.report.lookAt = point(settings->lookAt);
        preview.report.up = point(settings->up);
        preview.report.near = settings->near;
        preview.report.turned = turned;
    }
    if (!preview.drawable()) return preview;
    const SampleBuffer& picture = *render.picture();
    preview.report.anyCovered = picture.anyCovered();
    preview.width = picture.width();
    preview.height = picture.height();
    preview.rgba = picture.resolve();
    return preview;
}

} // namespace meshlift::detail::preview
