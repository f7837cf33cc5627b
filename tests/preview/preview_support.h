#pragma once

#include "preview/preview_render.h"
#include "test_support.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace meshlift::detail::preview::test {

// A scene start line with a camera on the z axis at distance 10 looking at the origin,
// 20 × 20 pixels and a 90° view: in the plane z = 0 one unit is one pixel, and pixel
// (column, row) covers x from column − 10 to column − 9, y from 10 − row down to 9 − row.
inline constexpr std::string_view kTestScene =
    R"(<scene camera="0,0,10" lookAt="0,0,0" up="0,1,0" angle="90" width="20" height="20" near="0.1" Ia="0.5" Il="1.0">)";

// An object whose colour shows exactly half as bright, whatever its angle to the light.
[[nodiscard]] std::string flatObject(std::string_view id, std::string_view colour);

// One object element: nodes "0", "1"... at the given points, polygons as ids separated by blanks.
[[nodiscard]] std::string objectElement(std::string_view start,
                                        std::initializer_list<std::string_view> points,
                                        std::initializer_list<std::string_view> polygons);

// Writes the document into `dir` and draws it in process.
[[nodiscard]] Preview renderText(const meshlift::detail::test::TempDir& dir,
                                 std::string_view document, bool fit = false);

[[nodiscard]] std::uint32_t pixel(const Preview& preview, int column, int row);

// How much of the pixel is covered by a polygon of colour `full` over the background:
// 0 to 1, from the red channel.
[[nodiscard]] double coverage(const Preview& preview, int column, int row, std::uint32_t full);

} // namespace meshlift::detail::preview::test
