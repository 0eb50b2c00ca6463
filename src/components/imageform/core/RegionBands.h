// Banded rectangle sets: the normal form in which the platform keeps a window
// region (rectangles sorted top to bottom, left to right within a band, and
// vertically touching bands with equal spans merged). Platform-neutral, so the
// layout compiler produces the very bytes the platform's region-data query
// gives for the outline the program builds at run time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace region {

struct Rect {
    std::int32_t left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

struct Span {
    std::int32_t left, right;  // right exclusive
    bool operator==(const Span&) const = default;
};

// Collects the opaque runs of an image row by row, in order, and keeps them in
// banded form as it goes.
class BandBuilder {
public:
    // Adds the runs of row y (rows must come in increasing order; spans sorted
    // and separated, as a left-to-right scan of one row yields them).
    void AddRow(std::int32_t y, const std::vector<Span>& spans);
    std::vector<Rect> Rects() const;
    bool Empty() const { return bands_.empty(); }

private:
    struct Band {
        std::int32_t top, bottom;
        std::vector<Span> spans;
    };
    std::vector<Band> bands_;
};

// Scans one row of pixels: runs of pixels for which isTransparent(x) is false.
std::vector<Span> RowRuns(std::int32_t width, const std::function<bool(std::int32_t)>& isTransparent);

// The platform's region data: a 32-byte header (size 32, type 1, count,
// rectangle bytes, bounds) followed by the rectangles, little-endian.
std::string RegionDataBytes(const std::vector<Rect>& rects);
// Parses region data bytes; false when they are not well formed.
bool ParseRegionData(const std::string& bytes, std::vector<Rect>& rects, Rect& bounds);

}  // namespace region
