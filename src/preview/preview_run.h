#pragma once

#include "preview/document_reader.h"
#include "preview/scene_render.h"
#include "preview/scene_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace meshlift::preview {

struct Preview {
    ReadOutcome outcome = ReadOutcome::unreadable;
    std::string problem; // the unusable scene attribute, when outcome is stopped
    RenderCounts counts;
    std::optional<SceneSettings> fitted; // the camera that --fit chose
    bool anyCovered = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgbRows;

    [[nodiscard]] bool drawable() const {
        return outcome == ReadOutcome::complete || outcome == ReadOutcome::truncated;
    }
};

// Reads the document once (twice with `fit`: first for the scene's bounds) and draws it.
[[nodiscard]] Preview renderDocument(const char* path, bool fit);

// The whole program: arguments, picture, report on standard output. Returns the exit code.
[[nodiscard]] int runPreview(int argc, const char* const* argv);

} // namespace meshlift::preview
