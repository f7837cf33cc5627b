#pragma once

#include <string_view>

namespace meshlift::detail {

// Fixed lines and pieces of the scene document. The camera, lighting and material
// values stand here alone: the preview reads its defaults from these lines.
inline constexpr std::string_view kSceneStartLine =
    R"(<scene camera="400,0,0" lookAt="0,0,0" up="0,0,1" angle="50" width="443" height="443" near="0.1" Ia="0.5" Il="1.0">)";
inline constexpr std::string_view kSceneEndLine = "</scene>";

// The object start line, <object id=ID Ka="1.0" Kd="0.8" Ks="0.15" color="COLOUR">,
// written in two pieces: kObjectStart by the scene loop, the rest by the object header.
inline constexpr std::string_view kObjectStart = "<object";
inline constexpr std::string_view kObjectId = " id=";
inline constexpr std::string_view kObjectMaterial = R"( Ka="1.0" Kd="0.8" Ks="0.15" color=")";
inline constexpr std::string_view kObjectStartEnd = "\">";
inline constexpr std::string_view kDefaultColour = "0xAAAAAA";
inline constexpr std::string_view kObjectEndLine = "</object>";
inline constexpr std::string_view kNodesStartLine = "<nodes>";
inline constexpr std::string_view kNodesEndLine = "</nodes>";
inline constexpr std::string_view kPolygonsStartLine = "<polygons>";
inline constexpr std::string_view kPolygonsEndLine = "</polygons>";
inline constexpr std::string_view kPolygonEndLine = "</polygon>";

} // namespace meshlift::detail
