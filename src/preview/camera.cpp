#include "preview/camera.h"

#include <algorithm>
#include <numbers>

namespace meshlift::detail::preview {
namespace {

std::optional<Vec3> normalised(Vec3 v) {
    const double size = length(v);
    if (!(size > 0) || !std::isfinite(size)) return std::nullopt;
    return Vec3{v.x / size, v.y / size, v.z / size}; // 1 / size overflows for the tiniest
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

// Halves first, so that a camera and target far apart near the end of the double range
// still give a direction.
std::optional<Vec3> direction(Vec3 from, Vec3 to) {
    return normalised(to * 0.5 - from * 0.5);
}

} // namespace

std::optional<Camera> makeCamera(const SceneSettings& settings) {
    const std::optional<Vec3> forward = direction(settings.camera, settings.lookAt);
    const std::optional<Vec3> up = normalised(settings.up);
    if (!forward || !up) return std::nullopt;
    const std::optional<Vec3> right = normalised(cross(*forward, *up));
    if (!right || length(cross(*forward, *up)) < 1e-9) return std::nullopt;
    Camera camera;
    camera.eye = settings.camera;
    camera.forward = *forward;
    camera.right = *right;
    camera.up = cross(*right, *forward);
    camera.focal = settings.height / 2.0 / std::tan(radians(settings.angle) / 2);
    camera.near = settings.near;
    camera.width = settings.width;
    camera.height = settings.height;
    return camera;
}

std::optional<SceneSettings> fittedSettings(const SceneSettings& settings, const Bounds& bounds) {
    if (bounds.empty()) return std::nullopt;
    const std::optional<Vec3> forward = direction(settings.camera, settings.lookAt);
    if (!forward) return std::nullopt;
    // Halves first, so that a box spanning most of the double range does not overflow.
    const Vec3 centre = bounds.low * 0.5 + bounds.high * 0.5;
    double radius = length(bounds.high * 0.5 - bounds.low * 0.5);
    // A single point still needs a camera standing somewhere in front of it.
    radius = std::max({radius, 1e-9 * length(centre), 1e-9});
    const double halfHeight = std::tan(radians(settings.angle) / 2);
    const double halfWidth = halfHeight * settings.width / settings.height;
    const double halfAngle = std::atan(std::min(halfHeight, halfWidth));
    const double distance = radius / std::sin(halfAngle);
    SceneSettings fitted = settings;
    fitted.lookAt = centre;
    fitted.camera = centre - *forward * distance;
    fitted.near = std::min(settings.near, (distance - radius) / 2);
    if (!isFinite(fitted.camera) || !(fitted.near > 0)) return std::nullopt;
    return fitted;
}

} // namespace meshlift::detail::preview
