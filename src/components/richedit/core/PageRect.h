// Where text goes on a printed page: the rectangle inside the margins, in
// twips (1,440 to the inch), measured from the corner of the printer's
// printable area. Platform-neutral so that the clamping can be checked
// without a printer.
#pragma once

#include <cstdint>
#include <vector>

namespace page {

struct TwipsRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TwipsRect&) const = default;
};

// What a printer says about its paper, in its own device units.
struct PrinterPage {
    std::int32_t physicalWidth = 0, physicalHeight = 0;  // the whole sheet
    std::int32_t offsetX = 0, offsetY = 0;               // printable area's corner on the sheet
    std::int32_t dpiX = 1, dpiY = 1;                     // device units per inch
};

// Device units to twips: horizontal values by the horizontal resolution,
// vertical ones by the vertical resolution.
std::int32_t HorizontalTwips(const PrinterPage& p, std::int64_t deviceUnits);
std::int32_t VerticalTwips(const PrinterPage& p, std::int64_t deviceUnits);

// The rectangle inside margins given in twips. With W, H the sheet and X, Y
// the printable offset (in twips):
//   left   = clamp(Left - X, 0, W - 2X)
//   right  = clamp(W - Right - X, left, W - 2X)
//   top    = clamp(Top - Y, 0, H - 2Y)
//   bottom = clamp(H - Bottom - Y, top, H - 2Y)
// so the edges never leave the printable area and never cross: margins
// larger than the page give an empty rectangle at the far edge, never an
// inverted one. A printable area of no size counts as zero.
TwipsRect FromMargins(const PrinterPage& p, std::int32_t leftTwips, std::int32_t topTwips, std::int32_t rightTwips,
                      std::int32_t bottomTwips);

// A page rectangle given in printer device units, in twips.
TwipsRect FromDeviceRect(const PrinterPage& p, std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom);

// Margins in twips, in the order the page rectangle takes them.
struct Margins {
    std::int32_t left = 1440, top = 1440, right = 1440, bottom = 1440;
};

// The rectangle a print job uses: a rectangle set in device units (not
// empty) wins over the margins; otherwise the rectangle inside the margins.
TwipsRect ForJob(const PrinterPage& p, const Margins& m, const TwipsRect& setDeviceRect);

// Twips back to device units (for drawing on the printer itself).
std::int32_t HorizontalDevice(const PrinterPage& p, std::int64_t twips);
std::int32_t VerticalDevice(const PrinterPage& p, std::int64_t twips);

// A page's share of a laid-out document: its top and bottom in the
// layout's coordinates, and the index of the first line on it.
struct Band {
    std::int32_t top = 0, bottom = 0;
    std::int32_t firstLine = 0;
    bool operator==(const Band&) const = default;
};

// Breaks lines into pages between lines. lineTops holds each line's top, in
// order, and then the bottom of the last line. Each page takes as many whole
// lines as fit in pageHeight; a line taller than a page gets a page alone.
// No lines at all still make one (empty) page.
std::vector<Band> BreakLines(const std::vector<std::int32_t>& lineTops, std::int32_t pageHeight);

}  // namespace page
