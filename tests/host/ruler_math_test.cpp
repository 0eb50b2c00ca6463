// The ruler's scale and the landing of dragged indent markers, at the
// screen resolutions a user may have.
#include <gtest/gtest.h>

#include "RulerMath.h"

using ruler::Marker;
using ruler::MarkerPos;
using units::Unit;

TEST(RulerMath, ScaleOverA600PixelEditor) {
    ruler::Length len = ruler::WindowLength(600, 96);  // 588 pixels: 6.125 inches
    EXPECT_TRUE(ruler::Before(6 * 8, 8, len, Unit::Inches));
    EXPECT_FALSE(ruler::Before(6 * 8 + 1, 8, len, Unit::Inches)) << "6.125 is the end, not before it";
    EXPECT_EQ(ruler::PositionX(1, 8, 96, Unit::Inches, 6), 18);
    EXPECT_EQ(ruler::PositionX(4, 8, 96, Unit::Inches, 6), 54);
    EXPECT_EQ(ruler::PositionX(47, 8, 96, Unit::Inches, 6), 570);
    // Centimetres: 37.84 pixels each, 15.54 of them.
    EXPECT_EQ(ruler::PositionX(1, 4, 96, Unit::Centimetres, 6), 15);   // 9.46
    EXPECT_EQ(ruler::PositionX(2, 4, 96, Unit::Centimetres, 6), 24);   // 18.92
    EXPECT_EQ(ruler::PositionX(61, 4, 96, Unit::Centimetres, 6), 583);  // 577.06
    EXPECT_TRUE(ruler::Before(62, 4, len, Unit::Centimetres));          // 15.5 < 15.539
    EXPECT_FALSE(ruler::Before(63, 4, len, Unit::Centimetres));
    // At 120 pixels per inch.
    EXPECT_EQ(ruler::PositionX(3, 8, 120, Unit::Inches, 6), 51);
    EXPECT_EQ(ruler::PositionX(1, 4, 120, Unit::Centimetres, 6), 17);  // 11.82
    // Numbers centred: trunc(r × p + left − width / 2).
    EXPECT_EQ(ruler::NumberX(1, 6, 96, Unit::Inches, 6), 99);
    EXPECT_EQ(ruler::NumberX(1, 7, 96, Unit::Inches, 6), 98);  // 98.5
    EXPECT_EQ(ruler::NumberX(1, 6, 96, Unit::Centimetres, 6), 40);    // 40.84
    EXPECT_EQ(ruler::NumberX(10, 13, 96, Unit::Centimetres, 6), 377);  // 377.89
    // A page: 8.5 inches less two 1-inch margins.
    ruler::Length page = ruler::PageLength(12240, 2880);
    EXPECT_TRUE(ruler::Before(51, 8, page, Unit::Inches));
    EXPECT_FALSE(ruler::Before(52, 8, page, Unit::Inches));
}

TEST(RulerMath, SnappingToTheSubdivisions) {
    EXPECT_EQ(ruler::SnapMilli(36, 96, Unit::Inches), 375);
    EXPECT_EQ(ruler::SnapMilli(47, 96, Unit::Inches), 375);  // 0.4896
    EXPECT_EQ(ruler::SnapMilli(48, 96, Unit::Inches), 500);
    EXPECT_EQ(ruler::SnapMilli(46, 96, Unit::Centimetres), 1000);  // 1.2157 cm
    EXPECT_EQ(ruler::SnapMilli(48, 96, Unit::Centimetres), 1250);  // 1.2685 cm
    EXPECT_EQ(ruler::SnappedLeft(375, 96, Unit::Inches), 37);
    EXPECT_EQ(ruler::SnappedLeft(1000, 96, Unit::Centimetres), 38);  // 37.84 + 1
    EXPECT_EQ(ruler::SnappedLeft(375, 144, Unit::Inches), 55);
    EXPECT_EQ(ruler::PxToTwips(36, 96), 540);
    EXPECT_EQ(ruler::PxToTwips(37, 120), 444);
    EXPECT_EQ(ruler::TwipsToPx(540, 96), 36);
    EXPECT_EQ(ruler::TwipsToPx(-100, 96), -6);
}

namespace {
// Markers over a 600-pixel ruler at 96 pixels per inch, drawing area from 6:
// bounds 1 to 589, right marker at its bound.
MarkerPos At(int left) { return {left, 1, 589}; }
}  // namespace

TEST(RulerMath, EndOfDrag) {
    // The left marker dragged 30 pixels right of a paragraph without indents.
    auto d = ruler::EndOfDrag(Marker::Left, At(31), At(589), At(1), 11, 96, Unit::Inches, 605, 6);
    EXPECT_EQ(d.left.left, 37);
    EXPECT_EQ(d.firstLine.left, 1);
    EXPECT_EQ(d.right.left, 589);
    EXPECT_EQ(d.mask, 0x14u);
    EXPECT_EQ(d.startIndent, 0);
    EXPECT_EQ(d.offset, 540);
    // Dragged past the right marker: it stops 48 pixels left of it.
    d = ruler::EndOfDrag(Marker::Left, At(589), At(589), At(1), 11, 96, Unit::Inches, 605, 6);
    EXPECT_EQ(d.left.left, 541);
    EXPECT_EQ(d.offset, 8100);
    // The first-line marker indented by half an inch over a left indent of one inch.
    d = ruler::EndOfDrag(Marker::FirstLine, At(97), At(589), At(50), 11, 96, Unit::Inches, 605, 6);
    EXPECT_EQ(d.firstLine.left, 49);
    EXPECT_EQ(d.left.left, 97) << "only the dragged marker moves";
    EXPECT_EQ(d.startIndent, 720);
    EXPECT_EQ(d.offset, 720);
    // The right marker: only the right indent, measured from the editor's edge.
    d = ruler::EndOfDrag(Marker::Right, At(1), At(500), At(1), 11, 96, Unit::Inches, 605, 6);
    EXPECT_EQ(d.right.left, 505);
    EXPECT_EQ(d.mask, 0x08u);
    EXPECT_EQ(d.rightIndent, 1350);
    // ... and kept 48 pixels right of the others.
    d = ruler::EndOfDrag(Marker::Right, At(200), At(150), At(97), 11, 96, Unit::Inches, 605, 6);
    EXPECT_EQ(d.right.left, 205 + 48) << "the left marker snaps to 205";
    // Centimetres land on quarter centimetres.
    d = ruler::EndOfDrag(Marker::Left, At(41), At(589), At(1), 11, 96, Unit::Centimetres, 605, 6);
    EXPECT_EQ(d.left.left, 38);
    EXPECT_EQ(d.offset, 555);
}
