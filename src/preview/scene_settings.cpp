#include "preview/scene_settings.h"

#include "preview/scene_values.h"
#include "scene/scene_lines.h"

#include <cmath>

namespace meshlift::detail::preview {
namespace {

std::string problem(std::string_view name, std::string_view value) {
    std::string text(name);
    text.append("=\"").append(value).append("\"");
    return text;
}

// Each reader leaves the default when the attribute is absent and returns false when it
// is present but unusable.
bool readTripleAttribute(const Tag& tag, std::string_view name, Vec3& into) {
    const std::string_view text = tag.attribute(name);
    if (text.data() == nullptr) return true;
    std::string scratch;
    const std::optional<Vec3> value = readTriple(decodedValue(text, scratch));
    if (!value || !isFinite(*value)) return false;
    into = *value;
    return true;
}

bool readNumberAttribute(const Tag& tag, std::string_view name, double& into) {
    const std::string_view text = tag.attribute(name);
    if (text.data() == nullptr) return true;
    std::string scratch;
    const std::optional<double> value = readNumber(decodedValue(text, scratch));
    if (!value || !std::isfinite(*value)) return false;
    into = *value;
    return true;
}

bool readSideAttribute(const Tag& tag, std::string_view name, int& into) {
    double value = into;
    if (!readNumberAttribute(tag, name, value)) return false;
    if (value < 1 || value > kMaxSide || value != std::floor(value)) return false;
    into = static_cast<int>(value);
    return true;
}

std::string readSettingsInto(const Tag& scene, SceneSettings& s);
ObjectLook readLookInto(const Tag& object, ObjectLook look);

Tag tagOf(std::string_view line) {
    Tag tag;
    (void)scanTag(line, true, tag);
    return tag;
}

// The converter's own lines, read once with the readers that read a document's.
const SceneSettings& converterSettings() {
    static const SceneSettings settings = [] {
        SceneSettings read;
        (void)readSettingsInto(tagOf(kSceneStartLine), read);
        return read;
    }();
    return settings;
}

const ObjectLook& converterLook() {
    static const ObjectLook look = [] {
        // Appended piece by piece: GCC 12 warns falsely (-Wstringop-overflow) on the
        // chain of + under link-time optimisation.
        std::string line(kObjectStart);
        line.append(kObjectId).append("\"\"").append(kObjectMaterial).append(kDefaultColour);
        line.append(kObjectStartEnd);
        return readLookInto(tagOf(line), ObjectLook{});
    }();
    return look;
}

std::string readSettingsInto(const Tag& scene, SceneSettings& s) {
    const auto fail = [&scene](std::string_view name) {
        return problem(name, scene.attribute(name));
    };
    if (!readTripleAttribute(scene, "camera", s.camera)) return fail("camera");
    if (!readTripleAttribute(scene, "lookAt", s.lookAt)) return fail("lookAt");
    if (!readTripleAttribute(scene, "up", s.up)) return fail("up");
    if (!readNumberAttribute(scene, "angle", s.angle) || s.angle <= 0 || s.angle >= 180)
        return fail("angle");
    if (!readSideAttribute(scene, "width", s.width)) return fail("width");
    if (!readSideAttribute(scene, "height", s.height)) return fail("height");
    if (static_cast<long>(s.width) * s.height > kMaxPixels)
        return problem("width", scene.attribute("width")) + " with " +
               problem("height", scene.attribute("height"));
    if (!readNumberAttribute(scene, "near", s.near) || s.near <= 0) return fail("near");
    if (!readNumberAttribute(scene, "Ia", s.ambient)) return fail("Ia");
    if (!readNumberAttribute(scene, "Il", s.light)) return fail("Il");
    return {};
}

ObjectLook readLookInto(const Tag& object, ObjectLook look) {
    std::string scratch;
    const auto number = [&](std::string_view name, double& into) {
        const std::optional<double> value =
            readNumber(decodedValue(object.attribute(name), scratch));
        if (value && std::isfinite(*value)) into = *value;
    };
    number("Ka", look.ka);
    number("Kd", look.kd);
    number("Ks", look.ks);
    if (const auto colour = readColour(decodedValue(object.attribute("color"), scratch)))
        look.colour = *colour;
    return look;
}

} // namespace

std::string readSceneSettings(const Tag& scene, SceneSettings& settings) {
    settings = converterSettings();
    return readSettingsInto(scene, settings);
}

ObjectLook readObjectLook(const Tag& object) {
    return readLookInto(object, converterLook());
}

} // namespace meshlift::detail::preview
