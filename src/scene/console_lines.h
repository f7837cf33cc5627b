#pragma once

#include <string>
#include <string_view>

// Every line that a conversion writes on the console, in one place, as users and
// their scripts see them. The misspelling "enought" is what those scripts match.

namespace meshlift::detail::console {

// A message about a file: its path stands between the two texts.
struct PathMessage {
    std::string_view before;
    std::string_view after;
};
// The message's whole line about `path`, without its line break.
[[nodiscard]] inline std::string lineAbout(const PathMessage& message, std::string_view path) {
    std::string line(message.before);
    line.append(path).append(message.after);
    return line;
}

inline constexpr PathMessage kCannotOpen{"Error opening file : ", " !"};
inline constexpr PathMessage kCannotCreate{"Error creating file : ", " !"};
inline constexpr PathMessage kCannotRead{"Error reading file : ", " !"};
inline constexpr PathMessage kCannotWrite{"Error writing file : ", " !"};
inline constexpr PathMessage kNoGeomObject{"Error : no *GEOMOBJECT found in ", "!"};

inline constexpr std::string_view kNoMesh = "Error : no *MESH found in *GEOMOBJECT !";
inline constexpr std::string_view kNoVertexCount = "Error : no *MESH_NUMVERTEX found in *MESH !";
inline constexpr std::string_view kNoFaceCount = "Error : no *MESH_NUMFACES found in *MESH !";
inline constexpr std::string_view kNoVertexList = "Error : no *MESH_VERTEX_LIST found in *MESH !";
inline constexpr std::string_view kNoFaceList = "Error : no *MESH_FACE_LIST found in *MESH !";
inline constexpr std::string_view kMissingVertex =
    "Error : not enought *MESH_VERTEX found in *MESH_VERTEX_LIST !";
inline constexpr std::string_view kMissingFace =
    "Error : not enought *MESH_FACE found in *MESH_FACE_LIST !";

} // namespace meshlift::detail::console
