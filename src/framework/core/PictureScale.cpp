#include "PictureScale.h"

#include <algorithm>
#include <cmath>

namespace picturescale {

namespace {
// Where the centre of result pixel i falls in the source, in source pixels
// (pixel centres at k + 0.5), and the two source columns (or rows) around it.
struct Tap {
    int lo, hi, nearest;
    double weightHi;
};

std::vector<Tap> Taps(int sourceSize, int size) {
    std::vector<Tap> taps(static_cast<std::size_t>(size));
    const double step = static_cast<double>(sourceSize) / size;
    for (int i = 0; i < size; ++i) {
        double centre = (i + 0.5) * step;
        double pos = centre - 0.5;
        int lo = static_cast<int>(std::floor(pos));
        double frac = pos - lo;
        int hi = lo + 1;
        lo = std::clamp(lo, 0, sourceSize - 1);
        hi = std::clamp(hi, 0, sourceSize - 1);
        int nearest = std::clamp(static_cast<int>(std::floor(centre)), 0, sourceSize - 1);
        taps[static_cast<std::size_t>(i)] = {lo, hi, nearest, frac};
    }
    return taps;
}
}  // namespace

Image ScaleKeyed(const Image& source, int width, int height, std::optional<std::uint32_t> key) {
    Image out;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * height);
    const auto xs = Taps(source.width, width), ys = Taps(source.height, height);
    const auto opaque = [&](std::uint32_t p) { return !key || (p & 0xFFFFFFu) != *key; };
    for (int y = 0; y < height; ++y) {
        const Tap& ty = ys[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            const Tap& tx = xs[static_cast<std::size_t>(x)];
            std::uint32_t& dst = out.pixels[static_cast<std::size_t>(y) * width + x];
            if (!opaque(source.At(tx.nearest, ty.nearest))) {
                dst = *key;
                continue;
            }
            const int cx[2] = {tx.lo, tx.hi}, cy[2] = {ty.lo, ty.hi};
            const double wx[2] = {1.0 - tx.weightHi, tx.weightHi}, wy[2] = {1.0 - ty.weightHi, ty.weightHi};
            double sum[3] = {0, 0, 0}, total = 0;
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) {
                    std::uint32_t p = source.At(cx[i], cy[j]);
                    double w = wx[i] * wy[j];
                    if (w <= 0 || !opaque(p)) continue;
                    sum[0] += w * ((p >> 16) & 0xFF);
                    sum[1] += w * ((p >> 8) & 0xFF);
                    sum[2] += w * (p & 0xFF);
                    total += w;
                }
            if (total <= 0) {  // only the nearest pixel itself carries weight
                dst = source.At(tx.nearest, ty.nearest) & 0xFFFFFFu;
                continue;
            }
            auto channel = [&](int k) {
                return static_cast<std::uint32_t>(std::clamp(std::lround(sum[k] / total), 0L, 255L));
            };
            std::uint32_t c = (channel(0) << 16) | (channel(1) << 8) | channel(2);
            // A blend that lands on the key colour would be cut away: nudge it.
            if (key && c == *key) c ^= 1u;
            dst = c;
        }
    }
    return out;
}

}  // namespace picturescale
