#include "RegionBands.h"

#include <algorithm>

#include "Bytes.h"

namespace region {

void BandBuilder::AddRow(std::int32_t y, const std::vector<Span>& spans) {
    if (spans.empty()) return;
    if (!bands_.empty()) {
        Band& last = bands_.back();
        if (last.bottom == y && last.spans == spans) {
            last.bottom = y + 1;
            return;
        }
    }
    bands_.push_back({y, y + 1, spans});
}

std::vector<Rect> BandBuilder::Rects() const {
    std::vector<Rect> out;
    for (auto& b : bands_)
        for (auto& s : b.spans) out.push_back({s.left, b.top, s.right, b.bottom});
    return out;
}

std::vector<Span> RowRuns(std::int32_t width, const std::function<bool(std::int32_t)>& isTransparent) {
    std::vector<Span> runs;
    std::int32_t x = 0;
    while (x < width) {
        while (x < width && isTransparent(x)) ++x;
        if (x >= width) break;
        std::int32_t start = x;
        while (x < width && !isTransparent(x)) ++x;
        runs.push_back({start, x});
    }
    return runs;
}

namespace {
// The region data's fields are signed.
void Put32(std::string& s, std::int32_t v) { PutLe32(s, static_cast<std::uint32_t>(v)); }
std::int32_t Get32(const std::string& s, std::size_t at) { return static_cast<std::int32_t>(Le32(s, at)); }
}  // namespace

std::string RegionDataBytes(const std::vector<Rect>& rects) {
    Rect bounds{0, 0, 0, 0};
    if (!rects.empty()) {
        bounds = rects.front();
        for (auto& r : rects) {
            bounds.left = std::min(bounds.left, r.left);
            bounds.top = std::min(bounds.top, r.top);
            bounds.right = std::max(bounds.right, r.right);
            bounds.bottom = std::max(bounds.bottom, r.bottom);
        }
    }
    std::string s;
    Put32(s, 32);
    Put32(s, 1);
    Put32(s, static_cast<std::int32_t>(rects.size()));
    Put32(s, static_cast<std::int32_t>(16 * rects.size()));
    for (auto v : {bounds.left, bounds.top, bounds.right, bounds.bottom}) Put32(s, v);
    for (auto& r : rects)
        for (auto v : {r.left, r.top, r.right, r.bottom}) Put32(s, v);
    return s;
}

bool ParseRegionData(const std::string& bytes, std::vector<Rect>& rects, Rect& bounds) {
    if (bytes.size() < 32 || Get32(bytes, 0) != 32 || Get32(bytes, 4) != 1) return false;
    std::int32_t count = Get32(bytes, 8);
    if (count < 0 || static_cast<std::size_t>(count) > (bytes.size() - 32) / 16) return false;
    bounds = {Get32(bytes, 16), Get32(bytes, 20), Get32(bytes, 24), Get32(bytes, 28)};
    rects.clear();
    for (std::int32_t k = 0; k < count; ++k) {
        std::size_t at = 32 + 16 * static_cast<std::size_t>(k);
        rects.push_back({Get32(bytes, at), Get32(bytes, at + 4), Get32(bytes, at + 8), Get32(bytes, at + 12)});
    }
    return true;
}

}  // namespace region
