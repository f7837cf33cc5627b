#include "preview/rasteriser.h"

#include <algorithm>
#include <cmath>

namespace meshlift::preview {
namespace {

constexpr int kFine = 16;    // samples a side of a fine tile
constexpr int kCoarse = 128; // samples a side of a coarse tile
constexpr int kFinePerCoarse = kCoarse / kFine;

int tilesFor(int samples, int tile) {
    return (samples + tile - 1) / tile;
}

// Each row of samples is shifted by its own quarter of a sample, so that the 16 samples
// of a pixel stand in 16 different columns: an edge at any slant, not just a steep one,
// then covers a share of them close to its share of the pixel's area.
constexpr double kRowShift[kSamplesPerSide] = {-0.375, -0.125, 0.125, 0.375};

double sampleX(int x, int y) {
    return x + 0.5 + kRowShift[y % kSamplesPerSide];
}

// The largest value of the linear function a·x + b·y + c over the samples of a rectangle
// (a little more: shifted samples stay within their sample's square).
double maxOver(double a, double b, double c, int x0, int y0, int x1, int y1) {
    return c + a * (a > 0 ? x1 + 1 : x0) + b * ((b > 0 ? y1 : y0) + 0.5);
}

} // namespace

// Edge functions, positive inside, and the plane of the inverse depth.
struct SampleBuffer::Triangle {
    double ea[3], eb[3], ec[3];
    double za, zb, zc;
    float nearest;
    float farthest;
    std::uint32_t rgb;
};

SampleBuffer::SampleBuffer(int width, int height, std::uint32_t background)
    : width_(width), height_(height), samplesX_(width * kSamplesPerSide),
      samplesY_(height * kSamplesPerSide), fineX_(tilesFor(samplesX_, kFine)),
      fineY_(tilesFor(samplesY_, kFine)), coarseX_(tilesFor(samplesX_, kCoarse)),
      coarseY_(tilesFor(samplesY_, kCoarse)),
      inverseDepth_(static_cast<std::size_t>(samplesX_) * samplesY_, 0.0f),
      colour_(inverseDepth_.size(), background),
      fineFarthest_(static_cast<std::size_t>(fineX_) * fineY_, 0.0f),
      coarseFarthest_(static_cast<std::size_t>(coarseX_) * coarseY_, 0.0f) {}

bool SampleBuffer::drawTriangle(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c,
                                std::uint32_t rgb) {
    const ScreenCorner* v[3] = {&a, &b, &c};
    double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (!(std::fabs(area) > 1e-12) || !std::isfinite(area)) return false;
    const double sign = area > 0 ? 1 : -1;
    area = std::fabs(area);
    Triangle t{};
    t.za = t.zb = t.zc = 0;
    for (int i = 0; i < 3; ++i) {
        const ScreenCorner& from = *v[i];
        const ScreenCorner& to = *v[(i + 1) % 3];
        t.ea[i] = -(to.y - from.y) * sign;
        t.eb[i] = (to.x - from.x) * sign;
        t.ec[i] = -(t.ea[i] * from.x + t.eb[i] * from.y);
        // Edge i is opposite corner (i + 2) % 3: its value over the area is that corner's
        // weight.
        const double z = v[(i + 2) % 3]->inverseDepth / area;
        t.za += t.ea[i] * z;
        t.zb += t.eb[i] * z;
        t.zc += t.ec[i] * z;
    }
    t.nearest = static_cast<float>(std::max({a.inverseDepth, b.inverseDepth, c.inverseDepth}));
    t.farthest = static_cast<float>(std::min({a.inverseDepth, b.inverseDepth, c.inverseDepth}));
    t.rgb = rgb;
    const auto first = [](double low) { return static_cast<int>(std::ceil(low - 0.5)); };
    const auto last = [](double high) { return static_cast<int>(std::floor(high - 0.5)); };
    const auto column = [](double x) { return static_cast<int>(std::floor(x)); };
    const Rect box{std::max(0, column(std::min({a.x, b.x, c.x}))),
                   std::max(0, first(std::min({a.y, b.y, c.y}))),
                   std::min(samplesX_ - 1, column(std::max({a.x, b.x, c.x}))),
                   std::min(samplesY_ - 1, last(std::max({a.y, b.y, c.y})))};
    bool changed = false;
    for (int cy = box.y0 / kCoarse; cy <= box.y1 / kCoarse && box.x0 <= box.x1; ++cy) {
        for (int cx = box.x0 / kCoarse; cx <= box.x1 / kCoarse; ++cx) {
            const Rect coarse{std::max(box.x0, cx * kCoarse), std::max(box.y0, cy * kCoarse),
                              std::min(box.x1, cx * kCoarse + kCoarse - 1),
                              std::min(box.y1, cy * kCoarse + kCoarse - 1)};
            if (coarse.y0 > coarse.y1 ||
                hidden(t, coarse, coarseFarthest_[static_cast<std::size_t>(cy) * coarseX_ + cx]))
                continue;
            bool coarseChanged = false;
            for (int fy = coarse.y0 / kFine; fy <= coarse.y1 / kFine; ++fy) {
                for (int fx = coarse.x0 / kFine; fx <= coarse.x1 / kFine; ++fx) {
                    const Rect fine{std::max(coarse.x0, fx * kFine),
                                    std::max(coarse.y0, fy * kFine),
                                    std::min(coarse.x1, fx * kFine + kFine - 1),
                                    std::min(coarse.y1, fy * kFine + kFine - 1)};
                    if (hidden(t, fine, fineFarthest_[static_cast<std::size_t>(fy) * fineX_ + fx]))
                        continue;
                    if (!fillFineTile(t, fine)) continue;
                    updateFineFarthest(fx, fy);
                    coarseChanged = true;
                }
            }
            if (coarseChanged) updateCoarseFarthest(cx, cy);
            changed = changed || coarseChanged;
        }
    }
    anyCovered_ = anyCovered_ || changed;
    return changed;
}

bool SampleBuffer::hidden(const Triangle& t, const Rect& r, float farthest) const {
    const double nearest =
        std::min<double>(t.nearest, maxOver(t.za, t.zb, t.zc, r.x0, r.y0, r.x1, r.y1));
    if (nearest <= farthest) return true;
    for (int i = 0; i < 3; ++i) {
        if (maxOver(t.ea[i], t.eb[i], t.ec[i], r.x0, r.y0, r.x1, r.y1) < 0) return true;
    }
    return false;
}

bool SampleBuffer::fillFineTile(const Triangle& t, const Rect& r) {
    bool changed = false;
    const float stepE0 = static_cast<float>(t.ea[0]);
    const float stepE1 = static_cast<float>(t.ea[1]);
    const float stepE2 = static_cast<float>(t.ea[2]);
    const float stepZ = static_cast<float>(t.za);
    for (int y = r.y0; y <= r.y1; ++y) {
        // Each row starts from exact values, so float steps never drift far.
        const double px = sampleX(r.x0, y);
        const double py = y + 0.5;
        float e0 = static_cast<float>(t.ea[0] * px + t.eb[0] * py + t.ec[0]);
        float e1 = static_cast<float>(t.ea[1] * px + t.eb[1] * py + t.ec[1]);
        float e2 = static_cast<float>(t.ea[2] * px + t.eb[2] * py + t.ec[2]);
        float z = static_cast<float>(t.za * px + t.zb * py + t.zc);
        const std::size_t row = static_cast<std::size_t>(y) * samplesX_;
        for (int x = r.x0; x <= r.x1; ++x) {
            if (e0 >= 0 && e1 >= 0 && e2 >= 0) {
                // Thin slivers' planes round badly; a depth outside the corners' is noise.
                const float depth = std::clamp(z, t.farthest, t.nearest);
                float& held = inverseDepth_[row + x];
                if (depth > held) {
                    held = depth;
                    colour_[row + x] = t.rgb;
                    changed = true;
                }
            }
            e0 += stepE0;
            e1 += stepE1;
            e2 += stepE2;
            z += stepZ;
        }
    }
    return changed;
}

void SampleBuffer::updateFineFarthest(int tileX, int tileY) {
    const int x1 = std::min(samplesX_, (tileX + 1) * kFine);
    const int y1 = std::min(samplesY_, (tileY + 1) * kFine);
    float farthest = INFINITY;
    for (int y = tileY * kFine; y < y1; ++y) {
        const float* row = inverseDepth_.data() + static_cast<std::size_t>(y) * samplesX_;
        for (int x = tileX * kFine; x < x1; ++x)
            farthest = std::min(farthest, row[x]);
    }
    fineFarthest_[static_cast<std::size_t>(tileY) * fineX_ + tileX] = farthest;
}

void SampleBuffer::updateCoarseFarthest(int tileX, int tileY) {
    const int x1 = std::min(fineX_, (tileX + 1) * kFinePerCoarse);
    const int y1 = std::min(fineY_, (tileY + 1) * kFinePerCoarse);
    float farthest = INFINITY;
    for (int y = tileY * kFinePerCoarse; y < y1; ++y) {
        for (int x = tileX * kFinePerCoarse; x < x1; ++x)
            farthest = std::min(farthest, fineFarthest_[static_cast<std::size_t>(y) * fineX_ + x]);
    }
    coarseFarthest_[static_cast<std::size_t>(tileY) * coarseX_ + tileX] = farthest;
}

std::vector<std::uint8_t> SampleBuffer::resolve() const {
    constexpr int kSamples = kSamplesPerSide * kSamplesPerSide;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width_) * height_ * 3);
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            unsigned sum[3] = {};
            for (int sy = 0; sy < kSamplesPerSide; ++sy) {
                const std::size_t row =
                    static_cast<std::size_t>(py * kSamplesPerSide + sy) * samplesX_;
                for (int sx = 0; sx < kSamplesPerSide; ++sx) {
                    const std::uint32_t rgb = colour_[row + px * kSamplesPerSide + sx];
                    sum[0] += (rgb >> 16) & 0xff;
                    sum[1] += (rgb >> 8) & 0xff;
                    sum[2] += rgb & 0xff;
                }
            }
            std::uint8_t* pixel = rows.data() + (static_cast<std::size_t>(py) * width_ + px) * 3;
            for (int i = 0; i < 3; ++i)
                pixel[i] = static_cast<std::uint8_t>((sum[i] + kSamples / 2) / kSamples);
        }
    }
    return rows;
}

} // namespace meshlift::preview
