#pragma once

#include "preview/camera.h"
#include "preview/geometry.h"

#include <array>
#include <cstddef>

namespace meshlift::detail::preview {

// A triangle clipped to the view has at most one corner more per plane.
inline constexpr std::size_t kMaxClippedCorners = 3 + 5;
using ClippedPolygon = std::array<Vec3, kMaxClippedCorners>;

// Clips a camera-space triangle to the near plane and to the four sides of the view
// (a little wider than the picture, so that no edge pixel loses its share). Returns the
// number of corners left: 0 when nothing of the triangle can be seen. Clipping to the
// sides too keeps every projected corner near the picture, however large or close to
// the camera the triangle is.
[[nodiscard]] std::size_t clipToView(const std::array<Vec3, 3>& triangle, const Camera& camera,
                                     ClippedPolygon& out);

} // namespace meshlift::detail::preview
