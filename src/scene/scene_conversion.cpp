#include "scene/scene_conversion.h"

#include "ase/keyword_scanner.h"
#include "scene/console_lines.h"
#include "scene/object_header.h"
#include "scene/scene_lines.h"

#include <cstdint>
#include <limits>

namespace meshlift::detail {

bool convertScene(InputReader& input, LineSink& document, LineSink& console, Mode mode,
                  std::string_view inputPath) {
    constexpr Keyword kGeomObject("*GEOMOBJECT");
    LineStream stream;
    MeshCounts counts;
    std::int32_t objectCounter = 0;
    document.stopWhen = &input.source.readFailed;
    console.stopWhen = &input.source.readFailed;

    writeDocumentLine(document, kSceneStartLine);
    while (findKeywordLine(input, kGeomObject, stream)) {
        writeDocumentText(document, kObjectStart);
        convertObjectHeader(input, stream, document, objectCounter);
        convertMesh(input, stream, document, console, mode, counts);
        writeDocumentLine(document, kObjectEndLine);
        // Two billion objects would need a file of tens of gigabytes; stop there
        // rather than overflow.
        if (objectCounter < std::numeric_limits<std::int32_t>::max()) ++objectCounter;
    }
    if (objectCounter == 0)
        writeConsoleLine(console, console::kNoGeomObject.before, inputPath,
                         console::kNoGeomObject.after);
    writeDocumentLine(document, kSceneEndLine);
    document.stopWhen = nullptr;
    console.stopWhen = nullptr;
    return !input.source.readFailed;
}

} // namespace meshlift::detail
