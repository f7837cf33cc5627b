#include "scene/quad_assembly.h"

#include "ase/keyword_scanner.h"
#include "scene/mesh_conversion.h"
#include "scene/scene_lines.h"

#include <string>

namespace meshlift {
namespace {

constexpr Keyword kFace("*MESH_FACE");

struct Face {
    TokenText label, a, b, c, ab, bc, ca;
};

void readFace(LineStream& stream, Face& face) {
    // The keyword, the label, then each value after its tag ("A:", "AB:", ...).
    readTokens(stream, {nullptr, &face.label, nullptr, &face.a, nullptr, &face.b, nullptr, &face.c,
                        nullptr, &face.ab, nullptr, &face.bc, nullptr, &face.ca});
}

// The first visible edge of a face, tested a-b, b-c, c-a; with none, the two
// corners keep what the previous pair left in them.
void takeVisibleEdge(const Face& face, TokenText& first, TokenText& second) {
    if (face.ab.view() == "1") {
        first.assign(face.a);
        second.assign(face.b);
    } else if (face.bc.view() == "1") {
        first.assign(face.b);
        second.assign(face.c);
    } else if (face.ca.view() == "1") {
        first.assign(face.c);
        second.assign(face.a);
    }
}

} // namespace

void assembleQuads(InputFile& input, LineStream& stream, LineSink& document, LineSink& console,
                   std::int32_t faceCount) {
    if (faceCount <= 0) return;
    Face first, second;
    TokenText corner[4];
    const std::int32_t pairs = (faceCount - 1) / 2 + 1;
    for (std::int32_t i = 0; i < pairs; ++i) {
        if (!findKeywordLine(input, kFace, stream)) {
            writeConsoleLine(console, kMissingFaceMessage);
            continue;
        }
        readFace(stream, first);
        if (!findKeywordLine(input, kFace, stream)) {
            writeConsoleLine(console, kMissingFaceMessage);
            continue;
        }
        removeLastColon(first.label);
        readFace(stream, second);
        holdDocumentLine(document, "<polygon id=\"", first.label, "\">");
        takeVisibleEdge(first, corner[0], corner[1]);
        takeVisibleEdge(second, corner[2], corner[3]);
        for (int k = 3; k >= 0; --k)
            holdDocumentLine(document, "<node id=\"", corner[k], "\"/>");
        holdDocumentLine(document, kPolygonEndLine);
        sendHeldLines(document);
    }
}

} // namespace meshlift
