#pragma once

#include "preview/geometry.h"
#include "preview/tag_scanner.h"

#include <cstdint>
#include <string>

namespace meshlift::detail::preview {

// The scene start line's camera and lighting. A missing attribute takes the value the
// converter always writes; a present one that cannot be used is an error.
struct SceneSettings {
    Vec3 camera;
    Vec3 lookAt;
    Vec3 up;
    double angle = 0; // vertical field of view, degrees
    int width = 0;
    int height = 0;
    double near = 0;
    double ambient = 0; // Ia
    double light = 0;   // Il
};

// The largest picture the preview makes: 16 samples a pixel must stay within memory.
inline constexpr int kMaxSide = 4096;
inline constexpr long kMaxPixels = 2048L * 2048L;

// Fills `settings` from the scene start tag, with the converter's values for the
// attributes it lacks; returns "" or a description of the first attribute that cannot
// be used (its name and value).
[[nodiscard]] std::string readSceneSettings(const Tag& scene, SceneSettings& settings);

// An object's material. Unreadable values fall back to the converter's fixed ones: a
// picture of a hand-edited scene is still worth having.
struct ObjectLook {
    double ka = 0;
    double kd = 0;
    double ks = 0;
    std::uint32_t colour = 0;
};

[[nodiscard]] ObjectLook readObjectLook(const Tag& object);

} // namespace meshlift::detail::preview
