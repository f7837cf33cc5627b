#include "scene/mesh_conversion.h"

#include "ase/keyword_scanner.h"
#include "scene/quad_assembly.h"
#include "scene/scene_lines.h"

namespace meshlift {
namespace {

constexpr Keyword kMesh("*MESH");
constexpr Keyword kVertexCount("*MESH_NUMVERTEX");
constexpr Keyword kFaceCount("*MESH_NUMFACES");
constexpr Keyword kVertexList("*MESH_VERTEX_LIST");
constexpr Keyword kVertex("*MESH_VERTEX");
constexpr Keyword kFaceList("*MESH_FACE_LIST");
constexpr Keyword kFace("*MESH_FACE");

// Fields keep their text when a later line of the same block lacks the token.
struct Vertex {
    TokenText index, x, y, z;
};

struct Triangle {
    TokenText label, a, b, c;
};

void readCount(InputFile& input, LineStream& stream, LineSink& console, const Keyword& keyword,
               std::string_view missingMessage, std::int32_t& count) {
    if (!findKeywordLine(input, keyword, stream)) {
        writeConsoleLine(console, missingMessage);
        return;
    }
    skipToken(stream);
    readInteger(stream, count);
}

void convertVertices(InputFile& input, LineStream& stream, LineSink& document, LineSink& console,
                     std::int32_t vertexCount) {
    writeDocumentLine(document, kNodesStartLine);
    Vertex vertex;
    for (std::int32_t i = 0; i < vertexCount; ++i) {
        if (!findKeywordLine(input, kVertex, stream)) {
            writeConsoleLine(console,
                             "Error : not enought *MESH_VERTEX found in *MESH_VERTEX_LIST !");
            continue;
        }
        readTokens(stream, {nullptr, &vertex.index, &vertex.x, &vertex.y, &vertex.z});
        writeDocumentLine(document, "<node id=\"", vertex.index, "\" xyz=\"", vertex.x, ",",
                          vertex.y, ",", vertex.z, "\"/>");
    }
    writeDocumentLine(document, kNodesEndLine);
}

} // namespace

void removeLastColon(TokenText& faceLabel) {
    const std::size_t colon = faceLabel.view().rfind(':');
    if (colon != std::string_view::npos) faceLabel.eraseAt(colon);
}

void convertTriangles(InputFile& input, LineStream& stream, LineSink& document, LineSink& console,
                      std::int32_t faceCount) {
    Triangle face;
    for (std::int32_t i = 0; i < faceCount; ++i) {
        if (!findKeywordLine(input, kFace, stream)) {
            writeConsoleLine(console, kMissingFaceMessage);
            continue;
        }
        // The keyword, then the label, then each corner after its tag ("A:", ...).
        readTokens(stream,
                   {nullptr, &face.label, nullptr, &face.a, nullptr, &face.b, nullptr, &face.c});
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

void convertMesh(InputFile& input, LineStream& stream, LineSink& document, LineSink& console,
                 ConversionMode mode, MeshCounts& counts) {
    if (!findKeywordLine(input, kMesh, stream)) {
        writeConsoleLine(console, "Error : no *MESH found in *GEOMOBJECT !");
        return;
    }
    readCount(input, stream, console, kVertexCount, "Error : no *MESH_NUMVERTEX found in *MESH !",
              counts.vertexCount);
    readCount(input, stream, console, kFaceCount, "Error : no *MESH_NUMFACES found in *MESH !",
              counts.faceCount);

    if (findKeywordLine(input, kVertexList, stream))
        convertVertices(input, stream, document, console, counts.vertexCount);
    else
        writeConsoleLine(console, "Error : no *MESH_VERTEX_LIST found in *MESH !");

    if (!findKeywordLine(input, kFaceList, stream)) {
        writeConsoleLine(console, "Error : no *MESH_FACE_LIST found in *MESH !");
        return;
    }
    writeDocumentLine(document, kPolygonsStartLine);
    if (mode == ConversionMode::tri)
        convertTriangles(input, stream, document, console, counts.faceCount);
    else
        assembleQuads(input, stream, document, console, counts.faceCount);
    writeDocumentLine(document, kPolygonsEndLine);
}

} // namespace meshlift
