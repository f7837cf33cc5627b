#pragma once

#include "meshlift/preview.h"
#include "preview/document_reader.h"
#include "preview/scene_render.h"
#include "preview/scene_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail::preview {

// A document drawn: how the reading ended, the report's figures as they are counted
// (its outcome and problem are the library call's to set), and the picture.
struct Preview {
    ReadOutcome outcome = ReadOutcome::unreadable;
    std::string problem; // the unusable scene attribute, when outcome is stopped
    PreviewReport report;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    [[nodiscard]] bool drawable() const {
        return outcome == ReadOutcome::complete || outcome == ReadOutcome::truncated;
    }
};

// A document held in memory, handed over at most `block` bytes a read, as a pipe might;
// `at` is where the next read starts. Both `text` and `at` must outlive the reader.
[[nodiscard]] DocumentReader memoryDocument(std::string_view text, std::size_t& at,
                                            std::size_t block = SIZE_MAX);

// Reads the document once (twice with `fit`: first for the scene's bounds) and draws it;
// `from` (which implies `fit`) is the direction to look from at the fitted scene.
[[nodiscard]] Preview renderDocument(const DocumentReader& document, bool fit,
                                     std::optional<Vec3> from = std::nullopt);

} // namespace meshlift::detail::preview
