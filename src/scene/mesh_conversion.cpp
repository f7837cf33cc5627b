#include "scene/mesh_conversion.h"

#include "ase/keyword_scanner.h"
#include "scene/console_lines.h"
#include "scene/face_list.h"
#include "scene/scene_lines.h"

#include <string_view>

namespace meshlift::detail {
namespace {

constexpr Keyword kMesh("*MESH");
constexpr Keyword kVertexCount("*MESH_NUMVERTEX");
constexpr Keyword kFaceCount("*MESH_NUMFACES");
constexpr Keyword kVertexList("*MESH_VERTEX_LIST");
constexpr Keyword kVertex("*MESH_VERTEX");
constexpr Keyword kFaceList("*MESH_FACE_LIST");

// Fields keep their text when a later line of the same block lacks the token.
struct Vertex {
    TokenText index, x, y, z;
};

void readCount(InputReader& input, LineStream& stream, LineSink& console, const Keyword& keyword,
               std::string_view missingMessage, std::int32_t& count) {
    if (!findKeywordLine(input, keyword, stream)) {
        writeConsoleLine(console, missingMessage);
        return;
    }
    skipToken(stream);
    readInteger(stream, count);
}

void convertVertices(InputReader& input, LineStream& stream, LineSink& document, LineSink& console,
                     std::int32_t vertexCount) {
    writeDocumentLine(document, kNodesStartLine);
    Vertex vertex;
    for (std::int32_t i = 0; i < vertexCount; ++i) {
        if (!findKeywordLine(input, kVertex, stream)) {
            writeConsoleLine(console, console::kMissingVertex);
            continue;
        }
        readTokens(stream, {nullptr, &vertex.index, &vertex.x, &vertex.y, &vertex.z});
        writeDocumentLine(document, "<node id=\"", vertex.index, "\" xyz=\"", vertex.x, ",",
                          vertex.y, ",", vertex.z, "\"/>");
    }
    writeDocumentLine(document, kNodesEndLine);
}

} // namespace

void convertMesh(InputReader& input, LineStream& stream, LineSink& document, LineSink& console,
                 Mode mode, MeshCounts& counts) {
    if (!findKeywordLine(input, kMesh, stream)) {
        writeConsoleLine(console, console::kNoMesh);
        return;
    }
    readCount(input, stream, console, kVertexCount, console::kNoVertexCount, counts.vertexCount);
    readCount(input, stream, console, kFaceCount, console::kNoFaceCount, counts.faceCount);

    if (findKeywordLine(input, kVertexList, stream))
        convertVertices(input, stream, document, console, counts.vertexCount);
    else
        writeConsoleLine(console, console::kNoVertexList);

    if (!findKeywordLine(input, kFaceList, stream)) {
        writeConsoleLine(console, console::kNoFaceList);
        return;
    }
    writeDocumentLine(document, kPolygonsStartLine);
    if (mode == Mode::tri)
        convertTriangles(input, stream, document, console, counts.faceCount);
    else
        assembleQuads(input, stream, document, console, counts.faceCount);
    writeDocumentLine(document, kPolygonsEndLine);
}

} // namespace meshlift::detail
