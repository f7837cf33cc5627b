#pragma once

#include "preview/geometry.h"
#include "preview/tag_scanner.h"

#include <cstdint>
#include <string>

namespace meshlift::detail::preview {

// The scene start line's camera and lighting. A missing attribute takes the value the
// converter always writes; a present one that cannot be used is an error.
struct SceneSettings {
    Vec3 camera{400, 0, 0};
    Vec3 lookAt{0, 0, 0};
    Vec3 up{0, 0, 1};
    double angle = 50; // vertical field of view, degrees
    int width = 443;
    int height = 443;
    double near = 0.1;
    double ambient = 0.5; // Ia
    double light = 1.0;   // Il
};

// The largest picture the preview makes: 16 samples a pixel must stay within memory.
inline constexpr int kMaxSide = 4096;
inline constexpr long kMaxPixels = 2048L * 2048L;

// Fills `settings` from the scene start tag; returns "" or a description of the first
// attribute that cannot be used (its name and value).
[[nodiscard]] std::string readSceneSettings(const Tag& scene, SceneSettings& settings);

// An object's material. Unreadable values fall back to the converter's fixed ones: a
// picture of a hand-edited scene is still worth having.
struct ObjectLook {
    double ka = 1.0;
    double kd = 0.8;
    double ks = 0.15;
    std::uint32_t colour = 0xAAAAAA;
};

[[nodiscard]] ObjectLook readObjectLook(const Tag& object);

} // namespace meshlift::detail::preview
