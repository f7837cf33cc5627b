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

void PlaneFit::add(Vec3 p) {
    count_ += 1;
    const Vec3 before = p - mean_;
    mean_ = mean_ + before * (1 / count_);
    const Vec3 after = p - mean_;
    xx_ += before.x * after.x;
    xy_ += before.x * after.y;
    xz_ += before.x * after.z;
    yy_ += before.y * after.y;
    yz_ += before.y * after.z;
    zz_ += before.z * after.z;
}

std::optional<Vec3> PlaneFit::normal() const {
    const double spread = xx_ + yy_ + zz_;
    if (!(spread > 0) || !std::isfinite(spread)) return std::nullopt;
    // The moments' matrix of a flat scene has one zero eigenvalue, whose eigenvector is
    // the normal and is at right angles to every row: the largest cross product of two
    // rows gives it. Tiny ones all mean a line or a point, where no normal is defined.
    const Vec3 rows[3] = {{xx_, xy_, xz_}, {xy_, yy_, yz_}, {xz_, yz_, zz_}};
    Vec3 best = cross(rows[0], rows[1]);
    for (const Vec3 candidate : {cross(rows[0], rows[2]), cross(rows[1], rows[2])}) {
        if (length(candidate) > length(best)) best = candidate;
    }
    const double size = length(best);
    if (!(size > 1e-12 * spread * spread)) return std::nullopt;
    const Vec3 n{best.x / size, best.y / size, best.z / size};
    // The spread across the plane against the spread in it: flat within 1/1000 of it.
    const double across = dot(n, Vec3{dot(rows[0], n), dot(rows[1], n), dot(rows[2], n)});
    if (!(across <= 1e-6 * spread)) return std::nullopt;
    return n;
}

namespace {

bool parallel(Vec3 a, Vec3 b) {
    return length(cross(a, b)) < 1e-3 * length(a) * length(b);
}

// The document's `up`, else the document's view direction (so that a turned camera looks
// down as if leaning over the scene from where the document's stood), else an axis.
Vec3 upFor(Vec3 forward, Vec3 documentUp, Vec3 documentForward) {
    if (!parallel(forward, documentUp)) return documentUp;
    if (!parallel(forward, documentForward)) return documentForward;
    const double x = std::fabs(forward.x), y = std::fabs(forward.y), z = std::fabs(forward.z);
    if (x <= y && x <= z) return {1, 0, 0};
    return y <= z ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
}

} // namespace

std::optional<FittedCamera> fittedCamera(const SceneSettings& settings, const Bounds& bounds,
                                         const FitView& view) {
    if (bounds.empty()) return std::nullopt;
    const std::optional<Vec3> documentForward = direction(settings.camera, settings.lookAt);
    if (!documentForward) return std::nullopt;
    std::optional<Vec3> forward = documentForward;
    if (view.from) forward = normalised(*view.from * -1);
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
    FittedCamera fitted{settings, false};
    // A flat scene whose plane passes the camera by less than what shows as a pixel across
    // the scene is seen edge-on: nothing would show, so the camera faces the plane from
    // the side the document's camera is on.
    if (view.planeNormal && !view.from) {
        const Vec3 n = *view.planeNormal;
        const double height = dot(centre - *forward * distance - view.planePoint, n);
        const double focal = settings.height / 2.0 / halfHeight;
        if (2 * radius * std::fabs(height) * focal < distance * distance) {
            const bool behind = dot(settings.camera - view.planePoint, n) < 0;
            forward = behind ? n : n * -1;
            fitted.turned = true;
        }
    }
    fitted.settings.up = upFor(*forward, settings.up, *documentForward);
    fitted.settings.lookAt = centre;
    fitted.settings.camera = centre - *forward * distance;
    fitted.settings.near = std::min(settings.near, (distance - radius) / 2);
    if (!isFinite(fitted.settings.camera) || !(fitted.settings.near > 0)) return std::nullopt;
    return fitted;
}

} // namespace meshlift::detail::preview
