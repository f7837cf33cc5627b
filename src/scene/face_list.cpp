#include "scene/face_list.h"

#include "ase/keyword_scanner.h"
#include "scene/console_lines.h"
#include "scene/scene_lines.h"

namespace meshlift::detail {
namespace {

constexpr Keyword kFace("*MESH_FACE");

// Fields keep their text when a later line of the same list lacks the token.
struct Triangle {
    TokenText label, a, b, c;
};

struct Face {
    TokenText label, a, b, c, ab, bc, ca;
};

// Finds the next face line; without one, writes the missing-face message.
bool findFaceLine(InputReader& input, LineStream& stream, LineSink& console) {
    if (findKeywordLine(input, kFace, stream)) return true;
    writeConsoleLine(console, console::kMissingFace);
    return false;
}

// The keyword, the label, then each value after its tag ("A:", "AB:", ...).
void readTriangle(LineStream& stream, Triangle& face) {
    readTokens(stream,
               {nullptr, &face.label, nullptr, &face.a, nullptr, &face.b, nullptr, &face.c});
}

void readFace(LineStream& stream, Face& face) {
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

void removeLastColon(TokenText& faceLabel) {
    const std::size_t colon = faceLabel.view().rfind(':');
    if (colon != std::string_view::npos) faceLabel.eraseAt(colon);
}

void convertTriangles(InputReader& input, LineStream& stream, LineSink& document, LineSink& console,
                      std::int32_t faceCount) {
    Triangle face;
    for (std::int32_t i = 0; i < faceCount; ++i) {
        if (!findFaceLine(input, stream, console)) continue;
        readTriangle(stream, face);
        // The label field outlives the line: a later line without a label token
        // keeps this already shortened text and loses another colon, if any.
        removeLastColon(face.label);
        holdDocumentLine(document, "<polygon id=\"", face.label, "\">");
        holdDocumentLine(document, "<node id=\"", face.c, "\"/>");
        holdDocumentLine(document, "<node id=\"", face.b, "\"/>");
        holdDocumentLine(document, "<node id=\"", face.a, "\"/>");
        holdDocumentLine(document, kPolygonEndLine);
        sendHeldLines(document);
    }
}

void assembleQuads(InputReader& input, LineStream& stream, LineSink& document, LineSink& console,
                   std::int32_t faceCount) {
    if (faceCount <= 0) return;
    Face first, second;
    TokenText corner[4];
    const std::int32_t pairs = (faceCount - 1) / 2 + 1;
    for (std::int32_t i = 0; i < pairs; ++i) {
        if (!findFaceLine(input, stream, console)) continue;
        readFace(stream, first);
        if (!findFaceLine(input, stream, console)) continue;
        readFace(stream, second);
        removeLastColon(first.label);
        holdDocumentLine(document, "<polygon id=\"", first.label, "\">");
        takeVisibleEdge(first, corner[0], corner[1]);
        takeVisibleEdge(second, corner[2], corner[3]);
        for (int k = 3; k >= 0; --k)
            holdDocumentLine(document, "<node id=\"", corner[k], "\"/>");
        holdDocumentLine(document, kPolygonEndLine);
        sendHeldLines(document);
    }
}

} // namespace meshlift::detail
