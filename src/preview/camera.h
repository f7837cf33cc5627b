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

// The same view direction and `up`, moved back from the middle of `bounds` until the
// sphere around the box fills the narrower field of view; empty when the box is empty
// or too large to stand back from.
[[nodiscard]] std::optional<SceneSettings> fittedSettings(const SceneSettings& settings,
                                                          const Bounds& bounds);

} // namespace meshlift::detail::preview
