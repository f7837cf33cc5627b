#include "preview/row_fill.h"

#include "preview/float_lanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace meshlift::detail::preview {

constexpr int kLanes = 8;

MESHLIFT_WIDEST bool fillRows(const TilePlane& p, int firstRow, int rows, float* depth,
                              std::uint32_t* colour, std::size_t stride) {
    constexpr int kSteps = kRowSamples / kLanes;
    // The values along the tile's first row, before its shift; each row adds its offset.
    Floats edge[kSteps][3];
    Floats z[kSteps];
    for (int step = 0; step < kSteps; ++step) {
        const Floats across = Floats{0, 1, 2, 3, 4, 5, 6, 7} + static_cast<float>(step * kLanes);
        for (int e = 0; e < 3; ++e)
            edge[step][e] = MESHLIFT_SPLAT(p.edge[e]) + MESHLIFT_SPLAT(p.edgeAcross[e]) * across;
        z[step] = MESHLIFT_SPLAT(p.depth) + MESHLIFT_SPLAT(p.depthAcross) * across;
    }
    const Floats nearest = MESHLIFT_SPLAT(p.nearest);
    const Floats farthest = MESHLIFT_SPLAT(p.farthest);
    const Masks rgb = Masks{} + static_cast<std::int32_t>(p.rgb);
    Masks any{};
    for (int row = 0; row < rows; ++row, depth += stride, colour += stride) {
        const float shift = kRowShift[(firstRow + row) % 4];
        const float down = static_cast<float>(row);
        float offset[3];
        bool outside = false;
        for (int e = 0; e < 3; ++e) {
            offset[e] = p.edgeAcross[e] * shift + p.edgeDown[e] * down;
            // A row wholly outside one edge needs no loads: thin triangles leave most rows.
            const float start = p.edge[e] + offset[e];
            outside = outside || (start < 0 && start + p.edgeAcross[e] * (kRowSamples - 1) < 0);
        }
        if (outside) continue;
        const float zOffset = p.depthAcross * shift + p.depthDown * down;
        for (int step = 0; step < kSteps; ++step) {
            const Masks inside = (edge[step][0] + offset[0] >= 0) &
                                 (edge[step][1] + offset[1] >= 0) &
                                 (edge[step][2] + offset[2] >= 0);
            Floats at = z[step] + zOffset;
            // Thin slivers' planes round badly; a depth outside the corners' is noise.
            at = MESHLIFT_SELECT_FLOATS(at > nearest, nearest,
                                        MESHLIFT_SELECT_FLOATS(at < farthest, farthest, at));
            float* heldAt = depth + step * kLanes;
            std::uint32_t* hadAt = colour + step * kLanes;
            Floats held;
            std::memcpy(&held, heldAt, sizeof held);
            const Masks take = inside & (at > held);
            Masks had;
            std::memcpy(&had, hadAt, sizeof had);
            const Floats nowHeld = MESHLIFT_SELECT_FLOATS(take, at, held);
            const Masks nowHad = MESHLIFT_SELECT(take, rgb, had);
            std::memcpy(heldAt, &nowHeld, sizeof nowHeld);
            std::memcpy(hadAt, &nowHad, sizeof nowHad);
            any |= take;
        }
    }
    return (any[0] | any[1] | any[2] | any[3] | any[4] | any[5] | any[6] | any[7]) != 0;
}

MESHLIFT_WIDEST float farthestInRows(const float* depth, std::size_t stride, int rows) {
    Floats farthest = MESHLIFT_SPLAT(INFINITY);
    for (int row = 0; row < rows; ++row, depth += stride) {
        for (int i = 0; i < kRowSamples; i += kLanes) {
            Floats held;
            std::memcpy(&held, depth + i, sizeof held);
            farthest = MESHLIFT_SELECT_FLOATS(held < farthest, held, farthest);
        }
    }
    float least = farthest[0];
    for (int i = 1; i < kLanes; ++i)
        least = std::min(least, farthest[i]);
    return least;
}

} // namespace meshlift::detail::preview
