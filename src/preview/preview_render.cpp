#include "preview/preview_render.h"

namespace meshlift::detail::preview {

Preview renderDocument(const DocumentReader& document, bool fit, std::optional<Vec3> from) {
    Preview preview;
    std::optional<SceneSettings> settings;
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
            preview.fitted = fitted->settings;
            preview.turned = fitted->turned;
        }
        settings = preview.fitted;
    }
    SceneRender render(settings);
    preview.outcome = readDocument(document.read, render);
    preview.problem = render.problem();
    preview.counts = render.counts();
    if (!preview.drawable()) return preview;
    const SampleBuffer& picture = *render.picture();
    preview.anyCovered = picture.anyCovered();
    preview.width = picture.width();
    preview.height = picture.height();
    preview.rgba = picture.resolve();
    return preview;
}

} // namespace meshlift::detail::preview
