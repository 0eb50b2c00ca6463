// TfcBitmap: row layout, sizes, assignment from the framework's bitmaps,
// change notices, the palette rules for palette displays, smooth stretching
// and the bitmap stream.
#include <gtest/gtest.h>

#include "imageform/fcBitmap.h"
#include "imageform_test_util.h"

using namespace imageformtest;

namespace {

TColor PixelOf(const TfcBitmap& b, int x, int y) {
    const unsigned char* p = b.ScanLine(y) + 3 * x;
    return p[2] | (p[1] << 8) | (p[0] << 16);
}

TColor Pattern(int x, int y) {
    static const TColor inks[] = {clRed, clLime, clBlue, clFuchsia, 0x123456, clWhite};
    return inks[(x + 2 * y) % 6];
}

// A bitmap that draws as if the display had the given depth.
class TDepthBitmap : public TfcBitmap {
public:
    explicit TDepthBitmap(int depth) : depth_(depth) {}

protected:
    int TargetBitsPerPixel(HDC) const override { return depth_; }

private:
    int depth_;
};

}  // namespace

TEST(FcBitmap, RowsAreThreeBytesAPixelRoundedUpToFourAndStartWhite) {
    EXPECT_EQ(TfcBitmap::RowStride(400), 1200);
    EXPECT_EQ(TfcBitmap::RowStride(401), 1204);
    EXPECT_EQ(TfcBitmap::RowStride(1), 4);
    EXPECT_EQ(TfcBitmap::RowStride(2), 8);
    TfcBitmap b;
    EXPECT_TRUE(b.Empty());
    b.SetSize(401, 3);
    EXPECT_EQ(b.Stride(), 1204);
    EXPECT_EQ(b.ScanLine(2) - b.ScanLine(1), 1204);
    b.SetSize(400, 3);
    EXPECT_EQ(b.ScanLine(2) - b.ScanLine(0), 2400);
    for (int x = 0; x < 400; ++x) ASSERT_EQ(PixelOf(b, x, 2), clWhite);
    // Top-down: the canvas's top row is row 0.
    b.Canvas().SetPixel(7, 0, clRed);
    EXPECT_EQ(PixelOf(b, 7, 0), clRed);
    EXPECT_THROW(b.ScanLine(3), EInvalidOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidOperation);
    // A size of 0 either way empties it.
    b.SetWidth(0);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Height(), 0);
    b.SetSize(3, 0);
    EXPECT_TRUE(b.Empty());
    EXPECT_THROW(b.ScanLine(0), EInvalidOperation);
}

TEST(FcBitmap, TakesPixelsColourTableAndFormatFromAFrameworkBitmap) {
    TBitmap eight;
    eight.LoadFromBytes(BmpFile(13, 7, 8, Pattern));
    eight.SetTransparent(true);
    TfcBitmap b;
    b.Assign(&eight);
    ASSERT_EQ(b.Width(), 13);
    ASSERT_EQ(b.Height(), 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(PixelOf(b, x, y), Pattern(x, y)) << x << "," << y;
    EXPECT_EQ(b.SourcePixelFormat(), TPixelFormat::pf8bit);
    EXPECT_TRUE(b.HasColorTable());
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.DeeperThanDisplay(), ScreenColorDepth() < 8);
    ASSERT_EQ(eight.ColorTable().size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(b.ColorTable()[k].rgbRed, eight.ColorTable()[k].rgbRed);
        EXPECT_EQ(b.ColorTable()[k].rgbBlue, eight.ColorTable()[k].rgbBlue);
    }
    EXPECT_EQ(b.ColorTable()[6].rgbRed, 0);  // the rest of the 256 entries stay black

    TBitmap deep;
    deep.LoadFromBytes(BmpFile(4, 4, 24, Pattern));
    b.Assign(&deep);
    EXPECT_EQ(b.SourcePixelFormat(), TPixelFormat::pf24bit);
    EXPECT_FALSE(b.HasColorTable());
    EXPECT_FALSE(b.Transparent());
    EXPECT_EQ(PixelOf(b, 3, 3), Pattern(3, 3));
    // Nothing, or an empty bitmap, empties it.
    TBitmap none;
    b.Assign(&none);
    EXPECT_TRUE(b.Empty());
    b.Assign(&deep);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(FcBitmap, CopiesEverythingFromAnotherTfcBitmap) {
    TBitmap eight;
    eight.LoadFromBytes(BmpFile(6, 5, 8, Pattern));
    TfcBitmap a;
    a.Assign(&eight);
    a.TransparentColor = clBlue;
    a.SmoothStretch = true;
    a.UseColorPalette = true;
    a.UseHalftonePalette = true;
    a.SetTransparent(true);
    TfcBitmap b;
    int told = 0;
    b.AddChangeListener([&](TObject* sender) {
        ++told;
        EXPECT_EQ(sender, &b);
        EXPECT_EQ(b.Width(), 6);  // told once, when the copy is complete
    });
    b.Assign(&a);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(PixelOf(b, 5, 4), Pattern(5, 4));
    EXPECT_EQ(b.TransparentColor, clBlue);
    EXPECT_TRUE(b.SmoothStretch);
    EXPECT_TRUE(b.UseColorPalette);
    EXPECT_TRUE(b.UseHalftonePalette);
    EXPECT_TRUE(b.Transparent());
    EXPECT_TRUE(b.HasColorTable());
    EXPECT_EQ(b.SourcePixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(b.ColorTable()[2].rgbGreen, a.ColorTable()[2].rgbGreen);
    // The copy has pixels of its own.
    a.Canvas().SetPixel(0, 0, clBlack);
    EXPECT_EQ(PixelOf(b, 0, 0), Pattern(0, 0));
}

TEST(FcBitmap, ListenersHearEveryChangeExceptWhileUpdating) {
    TfcBitmap b;
    int first = 0, second = 0, framework = 0;
    b.OnChange = [&](TObject*) { ++framework; };
    int id = b.AddChangeListener([&](TObject*) { ++first; });
    b.AddChangeListener([&](TObject*) { ++second; });
    b.SetSize(3, 3);
    b.SetSize(3, 3);  // no change, no notice
    b.SetTransparent(true);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 2);
    EXPECT_EQ(framework, 2);
    b.RemoveChangeListener(id);
    b.BeginUpdate();
    b.SetSize(4, 4);
    b.EndUpdate();
    EXPECT_EQ(second, 2);
    b.SetSize(5, 5);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 3);
}

TEST(FcBitmap, PaletteOnlyForDisplaysOfEightBitsOrLess) {
    TBitmap eight;
    eight.LoadFromBytes(BmpFile(4, 4, 8, Pattern));
    TBitmap deep;
    deep.LoadFromBytes(BmpFile(4, 4, 24, Pattern));
    TfcBitmap withTable, without;
    withTable.Assign(&eight);
    without.Assign(&deep);
    using K = TfcBitmap::PaletteKind;
    for (TfcBitmap* b : {&withTable, &without}) {
        b->UseColorPalette = b->UseHalftonePalette = true;
        EXPECT_EQ(b->DrawPaletteKind(16), K::None);
        EXPECT_EQ(b->DrawPaletteKind(24), K::None);
        EXPECT_EQ(b->DrawPaletteKind(32), K::None);
        b->UseColorPalette = b->UseHalftonePalette = false;
        EXPECT_EQ(b->DrawPaletteKind(8), K::None);
        b->UseHalftonePalette = true;
        EXPECT_EQ(b->DrawPaletteKind(8), K::Halftone);
        b->UseHalftonePalette = false;
    }
    withTable.UseColorPalette = true;
    EXPECT_EQ(withTable.DrawPaletteKind(8), K::ColorTable);
    EXPECT_EQ(withTable.DrawPaletteKind(4), K::ColorTable);
    // A 24-bit picture: the halftone palette when it is deeper than the
    // display, else none.
    without.UseColorPalette = true;
    EXPECT_EQ(without.DrawPaletteKind(8), without.DeeperThanDisplay() ? K::Halftone : K::None);

    UniquePalette pal = withTable.CreateColorPalette();
    ASSERT_TRUE(pal);
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetPaletteEntries(pal.Get(), 0, 256, entries), 256u);
    for (std::size_t k = 0; k < eight.ColorTable().size(); ++k) {
        EXPECT_EQ(entries[k].peRed, eight.ColorTable()[k].rgbRed) << k;
        EXPECT_EQ(entries[k].peGreen, eight.ColorTable()[k].rgbGreen) << k;
        EXPECT_EQ(entries[k].peBlue, eight.ColorTable()[k].rgbBlue) << k;
    }
}

TEST(FcBitmap, SmoothStretchInterpolatesBetweenNeighbours) {
    TfcBitmap src;
    src.SetSize(2, 1);
    src.Canvas().SetPixel(0, 0, clBlack);
    TfcBitmap wide;
    wide.SetSize(3, 1);
    src.StretchSmoothInto(wide);
    EXPECT_EQ(PixelOf(wide, 0, 0), clBlack);
    EXPECT_EQ(PixelOf(wide, 2, 0), clWhite);
    TColor mid = PixelOf(wide, 1, 0);
    EXPECT_NEAR(mid & 0xFF, 128, 1);
    EXPECT_EQ(mid, (mid & 0xFF) * 0x010101);

    // 2 x 2 to 3 x 3: corners kept, the centre the mean of the four.
    TfcBitmap square;
    square.SetSize(2, 2);
    square.Canvas().SetPixel(0, 0, RGB(200, 0, 0));
    square.Canvas().SetPixel(1, 0, RGB(0, 100, 0));
    square.Canvas().SetPixel(0, 1, RGB(0, 0, 40));
    square.Canvas().SetPixel(1, 1, RGB(40, 60, 80));
    TfcBitmap big;
    big.SetSize(3, 3);
    square.StretchSmoothInto(big);
    EXPECT_EQ(PixelOf(big, 0, 0), RGB(200, 0, 0));
    EXPECT_EQ(PixelOf(big, 2, 2), RGB(40, 60, 80));
    EXPECT_EQ(PixelOf(big, 1, 1), RGB(60, 40, 30));

    // A plain colour stays exactly that colour at any size.
    TfcBitmap plain;
    plain.SetSize(7, 5);
    plain.Canvas().Brush.SetColor(0x3377AA);
    RECT all{0, 0, 7, 5};
    plain.Canvas().FillRect(all);
    TfcBitmap odd;
    odd.SetSize(19, 3);
    plain.StretchSmoothInto(odd);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 19; ++x) ASSERT_EQ(PixelOf(odd, x, y), 0x3377AA) << x << "," << y;
}

TEST(FcBitmap, DrawsAtSizeStretchedAndThroughItsMask) {
    TBitmap file;
    file.LoadFromBytes(BmpFile(6, 4, 24, Pattern));
    TfcBitmap b;
    b.Assign(&file);
    TfcBitmap target;
    target.SetSize(12, 8);
    RECT same{0, 0, 6, 4};
    b.Draw(target.Canvas(), same);
    GdiFlush();
    EXPECT_EQ(PixelOf(target, 5, 3), Pattern(5, 3));
    EXPECT_EQ(PixelOf(target, 6, 3), clWhite);

    RECT twice{0, 0, 12, 8};
    b.Draw(target.Canvas(), twice);
    GdiFlush();
    EXPECT_EQ(PixelOf(target, 10, 6), Pattern(5, 3));
    b.SmoothStretch = true;
    b.Draw(target.Canvas(), twice);
    GdiFlush();
    EXPECT_EQ(PixelOf(target, 0, 0), Pattern(0, 0));
    EXPECT_EQ(PixelOf(target, 11, 7), Pattern(5, 3));

    // Transparent: fuchsia pixels leave the target as it was.
    target.Canvas().Brush.SetColor(clGreen);
    target.Canvas().FillRect(twice);
    b.TransparentColor = clFuchsia;
    b.SetTransparent(true);
    b.Draw(target.Canvas(), same);
    GdiFlush();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelOf(target, x, y), Pattern(x, y) == clFuchsia ? clGreen : Pattern(x, y)) << x << "," << y;
}

TEST(FcBitmap, DrawingForAPaletteDisplayStillGivesThePicture) {
    TBitmap eight;
    eight.LoadFromBytes(BmpFile(5, 5, 8, Pattern));
    for (bool colorPalette : {true, false}) {
        TDepthBitmap b(8);
        b.Assign(&eight);
        b.UseColorPalette = colorPalette;
        b.UseHalftonePalette = !colorPalette;
        TfcBitmap target;  // a true-colour target: the palette changes no pixel
        target.SetSize(5, 5);
        RECT r{0, 0, 5, 5};
        b.Draw(target.Canvas(), r);
        GdiFlush();
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) ASSERT_EQ(PixelOf(target, x, y), Pattern(x, y));
        // The target gets its own palette back.
        EXPECT_EQ(GetCurrentObject(target.Canvas().Handle(), OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
    }
}

TEST(FcBitmap, LoadsAndSavesThroughTheBitmapStream) {
    TfcBitmap b;
    b.LoadFromBytes(BmpFile(9, 4, 8, Pattern));
    EXPECT_EQ(b.SourcePixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(PixelOf(b, 8, 3), Pattern(8, 3));
    std::string saved = b.SaveToBytes();
    TBitmap back;
    back.LoadFromBytes(saved);
    EXPECT_EQ(back.BitsPerPixel(), 24);
    EXPECT_EQ(back.Width(), 9);
    EXPECT_EQ(back.Canvas().Pixel(8, 3), static_cast<COLORREF>(Pattern(8, 3)));
    // A damaged stream is refused and leaves the bitmap as it was.
    EXPECT_THROW(b.LoadFromBytes(saved.substr(0, 60)), EStreamError);
    EXPECT_EQ(b.Width(), 9);
    EXPECT_EQ(PixelOf(b, 8, 3), Pattern(8, 3));
    EXPECT_EQ(TfcBitmap().SaveToBytes(), "");
}
