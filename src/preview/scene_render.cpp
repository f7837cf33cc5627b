#include "preview/scene_render.h"

#include "preview/clipping.h"
#include "preview/scene_values.h"
#include "preview/shading.h"

namespace meshlift::detail::preview {
namespace {

std::optional<Vec3> usablePoint(std::string_view xyz) {
    const std::optional<Vec3> point = readTriple(xyz);
    if (!point || !isFinite(*point)) return std::nullopt;
    return point;
}

ScreenCorner project(const Camera& camera, Vec3 p) {
    const double scale = camera.focal / p.z;
    return {(camera.width / 2.0 + p.x * scale) * kSamplesPerSide,
            (camera.height / 2.0 - p.y * scale) * kSamplesPerSide, 1 / p.z};
}

} // namespace

bool SceneRender::sceneStart(const Tag& scene) {
    problem_ = readSceneSettings(scene, settings_);
    if (!problem_.empty()) return false;
    if (override_) settings_ = *override_;
    const std::optional<Camera> camera = makeCamera(settings_);
    if (!camera) {
        problem_ = "camera, lookAt and up";
        return false;
    }
    camera_ = *camera;
    picture_.emplace(settings_.width, settings_.height, kBackground);
    return true;
}

void SceneRender::objectStart(const Tag& object) {
    ++figures_.objects;
    look_ = readObjectLook(object);
    nodes_.clear();
}

void SceneRender::nodeDefined(std::string_view id, std::string_view xyz) {
    const std::optional<Vec3> point = usablePoint(xyz);
    if (!point) {
        nodes_.define(id, nullptr);
        return;
    }
    bounds_.add(*point);
    // Coordinates near the end of the double range leave the camera's frame.
    const Vec3 seen = camera_.toCameraSpace(*point);
    nodes_.define(id, isFinite(seen) ? &seen : nullptr);
}

void SceneRender::polygonStart() {
    corners_.clear();
    cornerMissing_ = false;
}

void SceneRender::corner(std::string_view nodeId) {
    const Vec3* position = nodes_.find(nodeId);
    // The corners are held until the polygon ends; a bound keeps that memory small.
    if (position == nullptr || corners_.size() == kMaxCorners)
        cornerMissing_ = true;
    else
        corners_.push_back(*position);
}

void SceneRender::polygonEnd() {
    if (cornerMissing_ || corners_.size() < 3) {
        ++figures_.skipped;
        return;
    }
    // A fan from the first corner: a quad splits along its first and third corner.
    bool inView = false;
    for (std::size_t i = 1; i + 1 < corners_.size(); ++i)
        inView = drawTriangle({corners_[0], corners_[i], corners_[i + 1]}) || inView;
    ++(inView ? figures_.drawn : figures_.outside);
}

PreviewReport SceneRender::figures() const {
    PreviewReport figures = figures_;
    figures.hasBounds = !bounds_.empty();
    if (figures.hasBounds) {
        figures.low = {bounds_.low.x, bounds_.low.y, bounds_.low.z};
        figures.high = {bounds_.high.x, bounds_.high.y, bounds_.high.z};
    }
    return figures;
}

void SceneRender::objectEnd() {
    nodes_.clear();
}

bool SceneRender::drawTriangle(const std::array<Vec3, 3>& triangle) {
    ClippedPolygon clipped;
    const std::size_t count = clipToView(triangle, camera_, clipped);
    if (count == 0) return false;
    const std::uint32_t rgb = shadedColour(look_, settings_, facingCosine(triangle));
    const ScreenCorner first = project(camera_, clipped[0]);
    ScreenCorner previous = project(camera_, clipped[1]);
    for (std::size_t i = 2; i < count; ++i) {
        const ScreenCorner next = project(camera_, clipped[i]);
        picture_->drawTriangle(first, previous, next, rgb);
        previous = next;
    }
    return true;
}

bool SceneSurvey::sceneStart(const Tag& scene) {
    problem_ = readSceneSettings(scene, settings_);
    return problem_.empty();
}

void SceneSurvey::nodeDefined(std::string_view, std::string_view xyz) {
    if (const std::optional<Vec3> point = usablePoint(xyz)) {
        bounds_.add(*point);
        plane_.add(*point);
    }
}

} // namespace meshlift::detail::preview
