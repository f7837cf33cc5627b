// Draws arbitrary bytes as a scene document, as meshlift-preview does: with the
// document's camera, fitted (--fit), and fitted from a direction of its own (--from).
// Besides the sanitizers it checks what must hold for every input: a document read in
// tiny blocks draws the same as one read whole, a drawn picture has the scene's size,
// and fitting moves the camera but never changes which polygons the scene holds.
#include "meshlift/preview.h"
#include "preview/document_reader.h"
#include "preview/preview_render.h"
#include "preview/scene_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace meshlift;
using namespace meshlift::detail::preview;

namespace {

// The largest picture drawn: every input is drawn four times, and a picture of 2048 ×
// 2048 pixels would make a run take seconds. Larger ones are left to the tests.
constexpr long kMaxFuzzPixels = 64 * 64;

// Reads only the scene start tag, for its picture size.
class SizeProbe final : public SceneVisitor {
  public:
    bool sceneStart(const Tag& scene) override {
        SceneSettings settings;
        if (readSceneSettings(scene, settings).empty())
            pixels = static_cast<long>(settings.width) * settings.height;
        return false;
    }
    void objectStart(const Tag&) override {}
    void nodeDefined(std::string_view, std::string_view) override {}
    void polygonStart() override {}
    void corner(std::string_view) override {}
    void polygonEnd() override {}
    void objectEnd() override {}

    long pixels = 0;
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

long polygons(const PreviewReport& report) {
    return report.drawn + report.skipped + report.outside;
}

PreviewReport draw(std::string_view bytes, const PreviewOptions& options, std::size_t block) {
    std::size_t at = 0;
    PreviewImage image;
    const PreviewReport report = renderPreview(memoryDocument(bytes, at, block), options, image);
    if (report.pictureDrawn()) {
        if (image.width < 1 || image.height < 1 ||
            image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4)
            fail("a drawn picture does not have the scene's size");
    } else if (!image.rgba.empty()) {
        fail("a picture is left where none was drawn");
    }
    return report;
}

bool sameDrawing(const PreviewReport& a, const PreviewReport& b) {
    return a.outcome == b.outcome && a.problem == b.problem && a.objects == b.objects &&
           a.drawn == b.drawn && a.skipped == b.skipped && a.outside == b.outside &&
           a.anyCovered == b.anyCovered && a.turned == b.turned;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SizeProbe probe;
    std::size_t at = 0;
    (void)readDocument(memoryDocument(bytes, at).read, probe);
    if (probe.pixels > kMaxFuzzPixels) return -1; // not kept in the corpus either

    const PreviewReport plain = draw(bytes, {}, bytes.size());
    // Blocks of 1 to 16 bytes put block ends inside every kind of markup item.
    const std::size_t block = 1 + (size > 0 ? data[0] % 16 : 0);
    if (!sameDrawing(draw(bytes, {}, block), plain))
        fail("reading in small blocks changes the picture");

    PreviewOptions fit;
    fit.fit = true;
    const PreviewReport fitted = draw(bytes, fit, bytes.size());
    PreviewOptions from;
    from.from = PreviewPoint{1, 1, 1};
    const PreviewReport turned = draw(bytes, from, bytes.size());
    // A fitted camera may make a scene drawable whose own camera is unusable; a scene
    // drawn from its own camera reads the same fitted. A node far out of a camera's frame
    // counts as having no position, so only the polygons' total is the same from every
    // camera.
    for (const PreviewReport* other : {&fitted, &turned}) {
        if (plain.pictureDrawn() &&
            (other->outcome != plain.outcome || other->objects != plain.objects ||
             polygons(*other) != polygons(plain)))
            fail("fitting changes the polygons the scene holds");
    }
    if (turned.turned) fail("a direction of the user's is turned");
    return 0;
}
