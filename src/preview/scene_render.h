#pragma once

#include "meshlift/preview.h"
#include "preview/camera.h"
#include "preview/document_reader.h"
#include "preview/node_table.h"
#include "preview/rasteriser.h"
#include "preview/scene_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace meshlift::detail::preview {

// A polygon with more corners than this is skipped, as if a corner named no node.
inline constexpr std::size_t kMaxCorners = 65536;

// Draws the document's polygons as they stream past. With `settings` given, those are
// used in place of the scene start line's (a fitted camera); the line is still checked.
class SceneRender final : public SceneVisitor {
  public:
    explicit SceneRender(std::optional<SceneSettings> settings) : override_(settings) {}

    [[nodiscard]] bool sceneStart(const Tag& scene) override;
    void objectStart(const Tag& object) override;
    void nodeDefined(std::string_view id, std::string_view xyz) override;
    void polygonStart() override;
    void corner(std::string_view nodeId) override;
    void polygonEnd() override;
    void objectEnd() override;

    // The report's figures that drawing counts: objects, polygons drawn, skipped (a corner
    // names no usable node of its object, fewer than 3 corners, or too many) and outside
    // (nothing of the polygon in the view, or all behind the camera), and the bounds.
    [[nodiscard]] PreviewReport figures() const;
    [[nodiscard]] const std::string& problem() const { return problem_; }
    [[nodiscard]] const SceneSettings& settings() const { return settings_; }
    // Empty until the scene start line was read and found usable.
    [[nodiscard]] const std::optional<SampleBuffer>& picture() const { return picture_; }

  private:
    [[nodiscard]] bool drawTriangle(const std::array<Vec3, 3>& triangle);

    std::optional<SceneSettings> override_;
    SceneSettings settings_;
    Camera camera_;
    std::optional<SampleBuffer> picture_;
    PreviewReport figures_;
    Bounds bounds_;
    ObjectLook look_;
    NodeTable nodes_;
    std::vector<Vec3> corners_;
    bool cornerMissing_ = false;
    std::string problem_;
};

// The first of two passes for a fitted camera: the scene's settings, bounds and plane.
class SceneSurvey final : public SceneVisitor {
  public:
    [[nodiscard]] bool sceneStart(const Tag& scene) override;
    void objectStart(const Tag&) override {}
    void nodeDefined(std::string_view id, std::string_view xyz) override;
    void polygonStart() override {}
    void corner(std::string_view) override {}
    void polygonEnd() override {}
    void objectEnd() override {}

    [[nodiscard]] const SceneSettings& settings() const { return settings_; }
    [[nodiscard]] const Bounds& bounds() const { return bounds_; }
    [[nodiscard]] const PlaneFit& plane() const { return plane_; }
    [[nodiscard]] const std::string& problem() const { return problem_; }

  private:
    SceneSettings settings_;
    Bounds bounds_;
    PlaneFit plane_;
    std::string problem_;
};

} // namespace meshlift::detail::preview
