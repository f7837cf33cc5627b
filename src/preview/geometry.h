#pragma once

#include <algorithm>
#include <cmath>

namespace meshlift::detail::preview {

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Scaled by the largest component first, as std::hypot does: squared as they stand,
// components beyond about 1e154 would overflow and ones below about 1e-154 vanish.
inline double length(Vec3 a) {
    const double scale = std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(a.z)});
    if (!(scale > 0) || !std::isfinite(scale)) return std::sqrt(dot(a, a)); // 0, inf or NaN
    const Vec3 unit{a.x / scale, a.y / scale, a.z / scale};
    return scale * std::sqrt(dot(unit, unit));
}
inline bool isFinite(Vec3 a) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

// The axis-aligned box around every usable node of the scene.
struct Bounds {
    Vec3 low{INFINITY, INFINITY, INFINITY};
    Vec3 high{-INFINITY, -INFINITY, -INFINITY};

    [[nodiscard]] bool empty() const { return low.x > high.x; }
    void add(Vec3 p) {
        low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
        high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
    }
};

} // namespace meshlift::detail::preview
