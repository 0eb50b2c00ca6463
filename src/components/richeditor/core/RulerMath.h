// The arithmetic of the ruler above a rich text editor: where its ticks and
// numbers go, and where a dragged indent marker lands. All in integers,
// truncated, from the screen's pixels per inch; centimetres are 2.537 to
// the inch, as everywhere in the rich text family.
#pragma once

#include <cstdint>

#include "Units.h"

namespace ruler {

// Subdivisions of a unit on the scale: eighths of an inch, quarters of a centimetre.
int Subdivisions(units::Unit unit);

// Pixels and twips at the given pixels per inch, truncated.
int PxToTwips(int px, int ppi);
int TwipsToPx(int twips, int ppi);

// The length of the scale, as num / den inches.
struct Length {
    std::int64_t num = 0, den = 1;
};
// Over an editor window: its width less 12 pixels.
Length WindowLength(int editorWidth, int ppi);
// Over a page: its width less the margins, in twips.
Length PageLength(std::int64_t pageTwips, std::int64_t marginTwips);

// Whether the position k / e units lies before the end of the scale.
bool Before(std::int64_t k, int e, const Length& len, units::Unit unit);
// The x of the position k / e units on a scale starting at x = left.
int PositionX(std::int64_t k, int e, int ppi, units::Unit unit, int left);
// The x of a number's text for whole unit r, centred on its position.
int NumberX(int r, int textWidth, int ppi, units::Unit unit, int left);

// A marker's centre snapped down to the scale's subdivision, in thousandths of a unit.
std::int64_t SnapMilli(int centrePx, int ppi, units::Unit unit);
// The left of a marker standing at a snapped value.
int SnappedLeft(std::int64_t milli, int ppi, units::Unit unit);

// The three indent markers.
enum class Marker { Left, Right, FirstLine };
struct MarkerPos {
    int left = 0;
    int lower = 0;  // lowest allowed left; 0 is no bound
    int upper = 0;  // highest allowed left; 0 is no bound
};
struct DragEnd {
    MarkerPos left, right, firstLine;  // where the markers stand afterwards
    unsigned mask = 0;                 // 0x14: start indent and offset; 0x08: right indent
    int startIndent = 0, offset = 0, rightIndent = 0;
};
// The end of a drag: each marker snapped, the right one kept 48 pixels right
// of the others, only the dragged one moved, and the paragraph request that
// follows. markerWidth is the markers' width; rightEdge is the x the right
// indent is measured from (before the gutter and 4 pixels come off).
DragEnd EndOfDrag(Marker dragged, const MarkerPos& left, const MarkerPos& right, const MarkerPos& firstLine,
                  int markerWidth, int ppi, units::Unit unit, int rightEdge, int gutterWidth);

}  // namespace ruler
