#include "preview/clipping.h"

#include <iterator>

namespace meshlift::detail::preview {
namespace {

// A plane through the camera (or the near plane), as the signed distance a·p + d.
struct Plane {
    Vec3 a;
    double d = 0;
    [[nodiscard]] double distance(Vec3 p) const { return dot(a, p) + d; }
};

std::size_t clipToPlane(const Vec3* in, std::size_t count, const Plane& plane, Vec3* out) {
    std::size_t written = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Vec3 from = in[i];
        const Vec3 to = in[(i + 1) % count];
        const double dFrom = plane.distance(from);
        const double dTo = plane.distance(to);
        if (dFrom >= 0) out[written++] = from;
        if ((dFrom >= 0) != (dTo >= 0)) {
            const double t = dFrom / (dFrom - dTo);
            out[written++] = from + (to - from) * t;
        }
    }
    return written;
}

} // namespace

std::size_t clipToView(const std::array<Vec3, 3>& triangle, const Camera& camera,
                       ClippedPolygon& out) {
    constexpr double kSideMargin = 1.01;
    const double halfWidth = kSideMargin * camera.width / 2.0 / camera.focal;
    const double halfHeight = kSideMargin * camera.height / 2.0 / camera.focal;
    const Plane planes[] = {
        {{0, 0, 1}, -camera.near}, {{-1, 0, halfWidth}, 0}, {{1, 0, halfWidth}, 0},
        {{0, -1, halfHeight}, 0},  {{0, 1, halfHeight}, 0},
    };
    // Most triangles lie wholly inside or wholly outside the planes that matter; only a
    // plane that parts the corners is clipped to.
    unsigned parted = 0;
    for (std::size_t p = 0; p < std::size(planes); ++p) {
        int inside = 0;
        for (const Vec3& corner : triangle)
            inside += planes[p].distance(corner) >= 0;
        if (inside == 0) return 0;
        if (inside < 3) parted |= 1u << p;
    }
    ClippedPolygon scratch;
    Vec3* source = scratch.data();
    Vec3* target = out.data();
    std::size_t count = 3;
    for (std::size_t i = 0; i < 3; ++i)
        source[i] = triangle[i];
    for (std::size_t p = 0; p < std::size(planes); ++p) {
        if ((parted & (1u << p)) == 0) continue;
        count = clipToPlane(source, count, planes[p], target);
        if (count < 3) return 0;
        std::swap(source, target);
    }
    if (source != out.data()) {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = source[i];
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!isFinite(out[i])) return 0;
    }
    return count;
}

} // namespace meshlift::detail::preview
