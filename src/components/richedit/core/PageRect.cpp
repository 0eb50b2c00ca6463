#include "PageRect.h"

#include <algorithm>
#include <limits>

namespace page {
namespace {
std::int32_t Fit(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}
std::int64_t Clamp(std::int64_t v, std::int64_t lo, std::int64_t hi) { return std::min(std::max(v, lo), hi); }
std::int32_t Scale(std::int64_t v, std::int64_t num, std::int64_t den) {
    if (den <= 0) den = 1;
    return Fit(v * num / den);
}
}  // namespace

std::int32_t HorizontalTwips(const PrinterPage& p, std::int64_t deviceUnits) { return Scale(deviceUnits, 1440, p.dpiX); }
std::int32_t VerticalTwips(const PrinterPage& p, std::int64_t deviceUnits) { return Scale(deviceUnits, 1440, p.dpiY); }
std::int32_t HorizontalDevice(const PrinterPage& p, std::int64_t twips) { return Scale(twips, p.dpiX, 1440); }
std::int32_t VerticalDevice(const PrinterPage& p, std::int64_t twips) { return Scale(twips, p.dpiY, 1440); }

TwipsRect FromMargins(const PrinterPage& p, std::int32_t leftTwips, std::int32_t topTwips, std::int32_t rightTwips,
                      std::int32_t bottomTwips) {
    const std::int64_t W = HorizontalTwips(p, p.physicalWidth), H = VerticalTwips(p, p.physicalHeight);
    const std::int64_t X = HorizontalTwips(p, p.offsetX), Y = VerticalTwips(p, p.offsetY);
    const std::int64_t maxX = std::max<std::int64_t>(0, W - 2 * X), maxY = std::max<std::int64_t>(0, H - 2 * Y);
    TwipsRect r;
    const std::int64_t left = Clamp(std::int64_t{leftTwips} - X, 0, maxX);
    r.left = Fit(left);
    r.right = Fit(Clamp(W - rightTwips - X, left, maxX));
    const std::int64_t top = Clamp(std::int64_t{topTwips} - Y, 0, maxY);
    r.top = Fit(top);
    r.bottom = Fit(Clamp(H - bottomTwips - Y, top, maxY));
    return r;
}

TwipsRect FromDeviceRect(const PrinterPage& p, std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom) {
    return {HorizontalTwips(p, left), VerticalTwips(p, top), HorizontalTwips(p, right), VerticalTwips(p, bottom)};
}

TwipsRect ForJob(const PrinterPage& p, const Margins& m, const TwipsRect& setDeviceRect) {
    const TwipsRect& s = setDeviceRect;
    if (s.right > s.left && s.bottom > s.top) return FromDeviceRect(p, s.left, s.top, s.right, s.bottom);
    return FromMargins(p, m.left, m.top, m.right, m.bottom);
}

std::vector<Band> BreakLines(const std::vector<std::int32_t>& lineTops, std::int32_t pageHeight) {
    std::vector<Band> pages;
    const std::size_t lines = lineTops.empty() ? 0 : lineTops.size() - 1;
    if (lines == 0) {
        std::int32_t y = lineTops.empty() ? 0 : lineTops.front();
        pages.push_back({y, y, 0});
        return pages;
    }
    std::size_t first = 0;
    while (first < lines) {
        std::size_t end = first + 1;  // one line at least, however tall
        while (end < lines && std::int64_t{lineTops[end + 1]} - lineTops[first] <= pageHeight) ++end;
        pages.push_back({lineTops[first], lineTops[end], static_cast<std::int32_t>(first)});
        first = end;
    }
    return pages;
}

}  // namespace page
