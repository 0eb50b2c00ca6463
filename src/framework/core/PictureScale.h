// Scaling a picture that has a transparent (key) colour, for showing a cover
// at a DPI above or below the one it was drawn for. Platform-neutral.
//
// The result keeps its outline crisp and its inside smooth: a pixel of the
// result has the key colour exactly when the source pixel nearest its centre
// has it, and every other pixel is blended (bilinearly) from the source
// pixels around it that do not have the key colour. So the key colour never
// bleeds into the picture, and the outline cut from the result is the source
// outline scaled.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace picturescale {

// Pixels as 0x00RRGGBB, rows top first.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The image scaled to width x height (both above 0). Without a key colour
// every pixel is blended.
Image ScaleKeyed(const Image& source, int width, int height, std::optional<std::uint32_t> key);

}  // namespace picturescale
