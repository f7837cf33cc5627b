#pragma once

// The scene and the line collector that the library cases share on every platform.
#include "meshlift/meshlift.h"

#include <string>
#include <string_view>

namespace meshlift::detail::test::library_cases {

// One vertex short, so that a console line comes between document lines.
inline const std::string kScene =
    "*GEOMOBJECT {\n*NODE_NAME \"T\"\n*MESH {\n*MESH_NUMVERTEX 2\n"
    "*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1 2 3\n}\n"
    "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 0 C: 0 AB: 1 BC: 0 CA: 0\n"
    "}\n}\n*WIREFRAME_COLOR 1 1 1\n}\n";

struct Lines {
    std::string document;
    std::string console;
    int calls = 0;
    bool eachCallOneLine = true;
};

inline meshlift::LineCallback collect(Lines& lines) {
    return [&lines](meshlift::LineKind kind, std::string_view line) {
        ++lines.calls;
        const bool document = kind == meshlift::LineKind::document;
        const std::string_view end = document ? "\r\n" : "\n";
        lines.eachCallOneLine =
            lines.eachCallOneLine && line.ends_with(end) && line.find('\n') == line.size() - 1;
        (document ? lines.document : lines.console).append(line);
    };
}

} // namespace meshlift::detail::test::library_cases
