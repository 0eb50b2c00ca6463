#include "RulerMath.h"

#include <algorithm>

namespace ruler {

namespace {
bool Inches(units::Unit u) { return u == units::Unit::Inches; }
constexpr std::int64_t kCm = 2537;  // thousandths of a centimetre to the inch
}  // namespace

int Subdivisions(units::Unit unit) { return Inches(unit) ? 8 : 4; }

int PxToTwips(int px, int ppi) { return ppi > 0 ? static_cast<int>(std::int64_t{px} * 1440 / ppi) : 0; }
int TwipsToPx(int twips, int ppi) { return static_cast<int>(std::int64_t{twips} * ppi / 1440); }

Length WindowLength(int editorWidth, int ppi) { return {editorWidth - 12, ppi > 0 ? ppi : 1}; }
Length PageLength(std::int64_t pageTwips, std::int64_t marginTwips) { return {pageTwips - marginTwips, 1440}; }

bool Before(std::int64_t k, int e, const Length& len, units::Unit unit) {
    // k / e units < num / den inches; a centimetre is 1000 / 2537 inch.
    if (Inches(unit)) return k * len.den < len.num * e;
    return k * len.den * 1000 < len.num * kCm * e;
}

int PositionX(std::int64_t k, int e, int ppi, units::Unit unit, int left) {
    std::int64_t px = Inches(unit) ? k * ppi / e : k * ppi * 1000 / (e * kCm);
    return static_cast<int>(px) + left;
}

int NumberX(int r, int textWidth, int ppi, units::Unit unit, int left) {
    // trunc(r × p + left − textWidth / 2), worked in halves (and in
    // 2537ths for centimetres) so nothing is lost before the one truncation.
    std::int64_t x = Inches(unit) ? (2 * std::int64_t{r} * ppi + 2 * left - textWidth) / 2
                                  : (2 * std::int64_t{r} * ppi * 1000 + (2 * left - textWidth) * kCm) / (2 * kCm);
    return static_cast<int>(x);
}

std::int64_t SnapMilli(int centrePx, int ppi, units::Unit unit) {
    if (ppi <= 0) return 0;
    std::int64_t milli = Inches(unit) ? std::int64_t{centrePx} * 1000 / ppi : std::int64_t{centrePx} * kCm / ppi;
    return milli - milli % (1000 / Subdivisions(unit));
}

int SnappedLeft(std::int64_t milli, int ppi, units::Unit unit) {
    // trunc(p × value + 1): p is ppi to the inch, ppi / 2.537 to the centimetre.
    return static_cast<int>(Inches(unit) ? (ppi * milli + 1000) / 1000 : (ppi * milli + kCm) / kCm);
}

DragEnd EndOfDrag(Marker dragged, const MarkerPos& left, const MarkerPos& right, const MarkerPos& firstLine,
                  int markerWidth, int ppi, units::Unit unit, int rightEdge, int gutterWidth) {
    auto candidate = [&](const MarkerPos& m) {
        int g = SnappedLeft(SnapMilli(m.left + markerWidth / 2, ppi, unit), ppi, unit);
        return m.upper != 0 ? std::min(g, m.upper) : g;
    };
    int gL = candidate(left), gR = candidate(right), gF = candidate(firstLine);
    DragEnd d{left, right, firstLine, 0, 0, 0, 0};
    switch (dragged) {
    case Marker::Left: d.left.left = std::min(gL, gR - 48); break;
    case Marker::FirstLine: d.firstLine.left = std::min(gF, gR - 48); break;
    case Marker::Right: {
        int others = std::max(gL, gF);
        d.right.left = gR - 48 < others ? others + 48 : gR;
        break;
    }
    }
    int a = PxToTwips(d.left.left - d.left.lower, ppi);
    int b = PxToTwips(d.firstLine.left - d.firstLine.lower, ppi);
    if (dragged == Marker::Right) {
        d.mask = 0x08;
        d.rightIndent = PxToTwips(rightEdge - gutterWidth - d.right.left - 4, ppi);
    } else {
        d.mask = 0x14;
        d.startIndent = b;
        d.offset = a + std::min(-b, a);
    }
    return d;
}

}  // namespace ruler
