#pragma once

#include "preview/geometry.h"
#include "preview/scene_settings.h"

#include <optional>

namespace meshlift::detail::preview {

// A perspective camera: an orthonormal frame at `eye` looking along `forward`, and the
// picture's focal length in pixels for the vertical field of view.
struct Camera {
    Vec3 eye;
    Vec3 right;
    Vec3 up;
    Vec3 forward;
    double focal = 1;  // pixels
    double near = 0.1; // camera-space depth of the near plane
    int width = 1;
    int height = 1;

    [[nodiscard]] Vec3 toCameraSpace(Vec3 world) const {
        const Vec3 d = world - eye;
        return {dot(d, right), dot(d, up), dot(d, forward)};
    }
};

// Empty when the camera stands on its target or `up` is parallel to the view.
[[nodiscard]] std::optional<Camera> makeCamera(const SceneSettings& settings);

// The plane that a scene's nodes lie in, from their mean and second moments as they
// stream past (Welford's updates, which stay accurate far from the origin).
class PlaneFit {
  public:
    void add(Vec3 p);
    // The unit normal when the nodes lie in one plane, within a thousandth of the scene's
    // width; empty for a scene with depth, or one that is a line or a point.
    [[nodiscard]] std::optional<Vec3> normal() const;
    [[nodiscard]] Vec3 mean() const { return mean_; }

  private:
    double count_ = 0;
    Vec3 mean_;
    double xx_ = 0, xy_ = 0, xz_ = 0, yy_ = 0, yz_ = 0, zz_ = 0;
};

// Where a fitted camera looks from.
struct FitView {
    // From the scene towards the camera; empty for the document's own direction.
    std::optional<Vec3> from;
    // The scene's plane, when it is flat: seen edge-on from the document's direction,
    // the camera turns to face it.
    std::optional<Vec3> planeNormal;
    Vec3 planePoint;
};

struct FittedCamera {
    SceneSettings settings;
    bool turned = false; // turned to face the scene's plane
};

// Moved back from the middle of `bounds`, along the view's direction, until the sphere
// around the box fills the narrower field of view; `up` stays the document's unless it is
// parallel to the direction. Empty when the box is empty or too large to stand back from.
[[nodiscard]] std::optional<FittedCamera> fittedCamera(const SceneSettings& settings,
                                                       const Bounds& bounds, const FitView& view);

} // namespace meshlift::detail::preview
