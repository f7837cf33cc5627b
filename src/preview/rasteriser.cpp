#include "preview/rasteriser.h"

#include "preview/row_fill.h"

#include <algorithm>
#include <cmath>

namespace meshlift::detail::preview {
namespace {

// Samples a side of the tiles of each level. Most triangles of a dense scene are hidden
// by what is drawn already; the largest tiles find that out in a few tests.
constexpr int kTileSides[] = {kRowSamples, 128, 512};

int tilesFor(int samples, int tile) {
    return (samples + tile - 1) / tile;
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
      samplesY_(height * kSamplesPerSide), stride_(tilesFor(samplesX_, kRowSamples) * kRowSamples),
      background_(background), inverseDepth_(static_cast<std::size_t>(stride_) * samplesY_),
      colour_(inverseDepth_.size()) {
    static_assert(std::size(kTileSides) == kLevels);
    for (int i = 0; i < kLevels; ++i) {
        Level& level = levels_[i];
        level.tile = kTileSides[i];
        level.countX = tilesFor(samplesX_, level.tile);
        level.countY = tilesFor(samplesY_, level.tile);
        level.farthest.assign(static_cast<std::size_t>(level.countX) * level.countY, 0.0f);
    }
}

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
    if (box.x0 > box.x1 || box.y0 > box.y1) return false;
    if (hidden(t, box, farthest_)) return false;
    const int top = kLevels - 1;
    const int side = levels_[top].tile;
    bool changed = false;
    for (int ty = box.y0 / side; ty <= box.y1 / side; ++ty) {
        for (int tx = box.x0 / side; tx <= box.x1 / side; ++tx)
            changed = drawInTile(t, box, top, tx, ty) || changed;
    }
    if (changed) {
        farthest_ = farthestChild(top, {0, 0, samplesX_ - 1, samplesY_ - 1});
        anyCovered_ = true;
    }
    return changed;
}

bool SampleBuffer::drawInTile(const Triangle& t, const Rect& box, int level, int tileX, int tileY) {
    Level& here = levels_[level];
    const Rect r{std::max(box.x0, tileX * here.tile), std::max(box.y0, tileY * here.tile),
                 std::min(box.x1, tileX * here.tile + here.tile - 1),
                 std::min(box.y1, tileY * here.tile + here.tile - 1)};
    if (r.x0 > r.x1 || r.y0 > r.y1 || hidden(t, r, here.at(tileX, tileY))) return false;
    const Rect whole{tileX * here.tile, tileY * here.tile,
                     std::min(samplesX_, (tileX + 1) * here.tile) - 1,
                     std::min(samplesY_, (tileY + 1) * here.tile) - 1};
    if (level == 0) {
        if (!fillFineTile(t, r)) return false;
        here.at(tileX, tileY) = farthestSample(whole);
        return true;
    }
    const int side = levels_[level - 1].tile;
    bool changed = false;
    for (int y = r.y0 / side; y <= r.y1 / side; ++y) {
        for (int x = r.x0 / side; x <= r.x1 / side; ++x)
            changed = drawInTile(t, box, level - 1, x, y) || changed;
    }
    if (changed) here.at(tileX, tileY) = farthestChild(level - 1, whole);
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
    // Whole rows of the tile: samples outside the triangle's box fail its edges, and
    // those past the picture's right side fall into the rows' padding.
    const int x0 = r.x0 / kRowSamples * kRowSamples;
    const double px = x0 + 0.5;
    const double py = r.y0 + 0.5;
    TilePlane plane{};
    for (int i = 0; i < 3; ++i) {
        plane.edge[i] = static_cast<float>(t.ea[i] * px + t.eb[i] * py + t.ec[i]);
        plane.edgeAcross[i] = static_cast<float>(t.ea[i]);
        plane.edgeDown[i] = static_cast<float>(t.eb[i]);
    }
    plane.depth = static_cast<float>(t.za * px + t.zb * py + t.zc);
    plane.depthAcross = static_cast<float>(t.za);
    plane.depthDown = static_cast<float>(t.zb);
    plane.nearest = t.nearest;
    plane.farthest = t.farthest;
    plane.rgb = t.rgb;
    const std::size_t at = static_cast<std::size_t>(r.y0) * stride_ + x0;
    return fillRows(plane, r.y0, r.y1 - r.y0 + 1, inverseDepth_.data() + at, colour_.data() + at,
                    stride_);
}

float SampleBuffer::farthestSample(const Rect& r) const {
    // Whole tile rows, the padding past the picture's side included: it can only make
    // the tile seem farther, so that it is passed by less often, never wrongly.
    const float* first = inverseDepth_.data() + static_cast<std::size_t>(r.y0) * stride_ + r.x0;
    return farthestInRows(first, stride_, r.y1 - r.y0 + 1);
}

float SampleBuffer::farthestChild(int level, const Rect& r) {
    Level& children = levels_[level];
    float farthest = INFINITY;
    for (int y = r.y0 / children.tile; y <= r.y1 / children.tile; ++y) {
        for (int x = r.x0 / children.tile; x <= r.x1 / children.tile; ++x)
            farthest = std::min(farthest, children.at(x, y));
    }
    return farthest;
}

std::vector<std::uint8_t> SampleBuffer::resolve() const {
    constexpr int kSamples = kSamplesPerSide * kSamplesPerSide;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width_) * height_ * 4);
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            unsigned sum[3] = {};
            for (int sy = 0; sy < kSamplesPerSide; ++sy) {
                const std::size_t row =
                    static_cast<std::size_t>(py * kSamplesPerSide + sy) * stride_;
                for (int sx = 0; sx < kSamplesPerSide; ++sx) {
                    const std::size_t at = row + px * kSamplesPerSide + sx;
                    // A sample never drawn holds depth 0, and shows the background.
                    const std::uint32_t rgb =
                        inverseDepth_.data()[at] > 0 ? colour_.data()[at] : background_;
                    sum[0] += (rgb >> 16) & 0xff;
                    sum[1] += (rgb >> 8) & 0xff;
                    sum[2] += rgb & 0xff;
                }
            }
            std::uint8_t* pixel = rows.data() + (static_cast<std::size_t>(py) * width_ + px) * 4;
            for (int i = 0; i < 3; ++i)
                pixel[i] = static_cast<std::uint8_t>((sum[i] + kSamples / 2) / kSamples);
            pixel[3] = 255;
        }
    }
    return rows;
}

} // namespace meshlift::detail::preview
