#pragma once

#include <string_view>

namespace meshlift::detail {

// Fixed lines and pieces of the scene document.
inline constexpr std::string_view kSceneStartLine =
    R"(<scene camera="400,0,0" lookAt="0,0,0" up="0,0,1" angle="50" width="443" height="443" near="0.1" Ia="0.5" Il="1.0">)";
inline constexpr std::string_view kSceneEndLine = "</scene>";
inline constexpr std::string_view kObjectStart = "<object";
inline constexpr std::string_view kObjectEndLine = "</object>";
inline constexpr std::string_view kNodesStartLine = "<nodes>";
inline constexpr std::string_view kNodesEndLine = "</nodes>";
inline constexpr std::string_view kPolygonsStartLine = "<polygons>";
inline constexpr std::string_view kPolygonsEndLine = "</polygons>";
inline constexpr std::string_view kPolygonEndLine = "</polygon>";
inline constexpr std::string_view kDefaultColour = "0xAAAAAA";

} // namespace meshlift::detail
