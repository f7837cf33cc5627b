#include "preview/shading.h"

#include <algorithm>

namespace meshlift::detail::preview {

double facingCosine(const std::array<Vec3, 3>& t) {
    const Vec3 normal = cross(t[1] - t[0], t[2] - t[0]);
    const Vec3 toCamera = (t[0] + t[1] + t[2]) * (-1.0 / 3);
    const double cosine = dot(normal, toCamera) / (length(normal) * length(toCamera));
    return std::isfinite(cosine) ? std::min(1.0, std::fabs(cosine)) : 0;
}

std::uint32_t shadedColour(const ObjectLook& look, const SceneSettings& scene, double cosine) {
    const double diffuse = look.ka * scene.ambient + look.kd * scene.light * cosine;
    const double highlight = look.ks * scene.light * std::pow(cosine, kShininess);
    std::uint32_t rgb = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double channel = ((look.colour >> shift) & 0xff) / 255.0;
        const double value = std::clamp(channel * diffuse + highlight, 0.0, 1.0);
        rgb |= static_cast<std::uint32_t>(std::lround(value * 255)) << shift;
    }
    return rgb;
}

} // namespace meshlift::detail::preview
