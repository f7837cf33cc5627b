#pragma once

#include "preview/zeroed_buffer.h"

#include <cstdint>
#include <vector>

namespace meshlift::detail::preview {

// Every pixel holds 4 × 4 samples, each with its own depth, so that a pixel along an
// edge shows each polygon in proportion to the area it covers there.
inline constexpr int kSamplesPerSide = 4;

// A projected corner: position in sample units (0 to width × kSamplesPerSide), and the
// reciprocal of its camera-space depth, which varies linearly across the picture.
struct ScreenCorner {
    double x = 0;
    double y = 0;
    double inverseDepth = 0;
};

class SampleBuffer {
  public:
    SampleBuffer(int width, int height, std::uint32_t background);

    // Fills the samples whose centres lie in the triangle (either winding) and that are
    // nearer than what they hold. Returns whether any sample changed.
    bool drawTriangle(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c,
                      std::uint32_t rgb);

    // The picture: rows of width × 4 bytes (red, green, blue, opaque alpha), each pixel
    // the mean of its samples.
    [[nodiscard]] std::vector<std::uint8_t> resolve() const;

    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] bool anyCovered() const { return anyCovered_; }

  private:
    struct Triangle;
    struct Rect {
        int x0, y0, x1, y1; // inclusive sample ranges
    };
    // Per tile of a level, the farthest depth any of its samples holds: a triangle
    // nearer nowhere in a tile than that is passed by without looking at its samples.
    struct Level {
        int tile = 0; // samples a side
        int countX = 0;
        int countY = 0;
        std::vector<float> farthest;
        [[nodiscard]] float& at(int x, int y) {
            return farthest[static_cast<std::size_t>(y) * countX + x];
        }
    };
    static constexpr int kLevels = 3;

    [[nodiscard]] bool hidden(const Triangle& t, const Rect& r, float farthest) const;
    bool drawInTile(const Triangle& t, const Rect& box, int level, int tileX, int tileY);
    bool fillFineTile(const Triangle& t, const Rect& r);
    [[nodiscard]] float farthestSample(const Rect& r) const;
    [[nodiscard]] float farthestChild(int level, const Rect& r);

    int width_;
    int height_;
    int samplesX_;
    int samplesY_;
    int stride_; // samples from one row to the next: whole tiles, with padding
    bool anyCovered_ = false;
    std::uint32_t background_;
    ZeroedBuffer<float> inverseDepth_; // 0: nothing drawn there yet
    ZeroedBuffer<std::uint32_t> colour_;
    Level levels_[kLevels]; // from the smallest tiles to the largest
    float farthest_ = 0;    // of the whole picture
};

} // namespace meshlift::detail::preview
