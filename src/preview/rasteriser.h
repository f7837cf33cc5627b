#pragma once

#include <cstdint>
#include <vector>

namespace meshlift::preview {

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

    // The picture: rows of width × 3 bytes (red, green, blue), each pixel the mean of its
    // samples.
    [[nodiscard]] std::vector<std::uint8_t> resolve() const;

    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] bool anyCovered() const { return anyCovered_; }

  private:
    struct Triangle;
    struct Rect {
        int x0, y0, x1, y1; // inclusive sample ranges
    };
    [[nodiscard]] bool hidden(const Triangle& t, const Rect& r, float farthest) const;
    bool fillFineTile(const Triangle& t, const Rect& r);
    void updateFineFarthest(int tileX, int tileY);
    void updateCoarseFarthest(int tileX, int tileY);

    int width_;
    int height_;
    int samplesX_;
    int samplesY_;
    int fineX_;
    int fineY_;
    int coarseX_;
    int coarseY_;
    bool anyCovered_ = false;
    std::vector<float> inverseDepth_; // 0: nothing drawn there yet
    std::vector<std::uint32_t> colour_;
    // Per tile, the farthest depth any of its samples holds: a triangle nearer nowhere in
    // a tile than that is passed by without looking at a single sample.
    std::vector<float> fineFarthest_;
    std::vector<float> coarseFarthest_;
};

} // namespace meshlift::preview
