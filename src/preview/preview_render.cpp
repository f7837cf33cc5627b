#include "preview/preview_render.h"

namespace meshlift::detail::preview {

Preview renderDocument(const DocumentReader& document, bool fit) {
    Preview preview;
    std::optional<SceneSettings> settings;
    if (fit) {
        SceneSurvey survey;
        preview.outcome = readDocument(document.read, survey);
        preview.problem = survey.problem();
        if (!preview.drawable()) return preview;
        if (!document.rewind || !document.rewind()) {
            preview.outcome = ReadOutcome::unreadable;
            return preview;
        }
        preview.fitted = fittedSettings(survey.settings(), survey.bounds());
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
