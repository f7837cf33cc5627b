#pragma once

#include <cstddef>
#include <cstdint>

namespace meshlift::detail::preview {

// The samples of one row of a tile are tested and filled together.
inline constexpr int kRowSamples = 16;

// A triangle over one tile: the edge functions and the inverse depth at the centre of
// the tile's first sample (before its row's shift), and their steps per sample across
// and down.
struct TilePlane {
    float edge[3];
    float edgeAcross[3];
    float edgeDown[3];
    float depth;
    float depthAcross;
    float depthDown;
    float nearest; // the triangle's corners bound its depth
    float farthest;
    std::uint32_t rgb;
};

// Each row of samples is shifted by its own quarter of a sample, so that the 16 samples
// of a pixel stand in 16 different columns: an edge at any slant, not just a steep one,
// then covers a share of them close to its share of the pixel's area.
inline constexpr float kRowShift[4] = {-0.375f, -0.125f, 0.125f, 0.375f};

// Writes the triangle's colour and depth into each sample of `rows` rows of kRowSamples
// (`stride` apart, the first being row `firstRow` of the picture) that lies inside all
// three edges and nearer than what it holds. Returns whether any sample changed.
bool fillRows(const TilePlane& plane, int firstRow, int rows, float* depth, std::uint32_t* colour,
              std::size_t stride);

// The smallest inverse depth (the farthest sample) of `rows` rows of kRowSamples samples,
// `stride` samples apart.
[[nodiscard]] float farthestInRows(const float* depth, std::size_t stride, int rows);

} // namespace meshlift::detail::preview
