#pragma once

#include "preview/geometry.h"
#include "preview/scene_settings.h"

#include <array>
#include <cstdint>

namespace meshlift::detail::preview {

// The exponent of the highlight: a fairly broad one, as on plastic.
inline constexpr double kShininess = 20;

// The picture's background, where no polygon covers a sample.
inline constexpr std::uint32_t kBackground = 0x202020;

// |cos θ| between the triangle's normal and the direction from its centroid to the
// camera (camera space, camera at the origin): both sides face the light. 0 for a
// triangle without area.
[[nodiscard]] double facingCosine(const std::array<Vec3, 3>& triangle);

// colour × (Ka·Ia + Kd·Il·|cos θ|) + white × Ks·Il·|cos θ|^n. With the light at the
// camera, the half-angle between light and eye is θ itself.
[[nodiscard]] std::uint32_t shadedColour(const ObjectLook& look, const SceneSettings& scene,
                                         double cosine);

} // namespace meshlift::detail::preview
