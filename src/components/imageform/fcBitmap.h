// TfcBitmap: a picture held as a 24-bit, top-down device-independent image
// whose rows the program addresses directly, with its own canvas. The image
// control draws its picture through one on displays of 8 bits per pixel or
// less, so that the picture goes through a palette made from the picture
// (its colour table, or the halftone palette) rather than the default mapping.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Graphics.h"
#include "Handles.h"

class TfcBitmap : public TGraphic {
    CX_DECLARE_CLASS()
public:
    TfcBitmap();
    ~TfcBitmap() override;
    TfcBitmap(const TfcBitmap&) = delete;
    TfcBitmap& operator=(const TfcBitmap&) = delete;

    // From nothing or an empty bitmap: empty. From a framework bitmap: its
    // pixels in 24 bits, its pixel format, colour table and transparency.
    // From another TfcBitmap: a full copy. From any other graphic: the graphic
    // drawn on a white image of its size.
    void Assign(TPersistent* source) override;

    bool Empty() const override { return !bitmap_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // A new size makes a new, white image; 0 in either direction empties it.
    void SetSize(int w, int h);
    void SetWidth(int w) { SetSize(w, height_); }
    void SetHeight(int h) { SetSize(width_, h); }

    void Draw(TCanvas& canvas, const RECT& r) override;
    // The framework's bitmap stream format (a bitmap file), in and out.
    void LoadFromBytes(const std::string& bmpFile) override;
    std::string SaveToBytes() const override;
    void SetTransparent(bool v) override;

    // Bytes per row: 3 bytes per pixel rounded up to a multiple of 4.
    static int RowStride(int width) { return 3 * width + width % 4; }
    int Stride() const { return RowStride(width_); }
    // Row y, top row first: blue, green, red per pixel.
    unsigned char* ScanLine(int y) const;
    HBITMAP Handle() const { return bitmap_.Get(); }
    // Drawing on this canvas changes the pixels.
    TCanvas& Canvas() { return canvas_; }

    TColor TransparentColor = clNone;  // clNone: the bottom-left pixel
    bool SmoothStretch = false;         // bilinear resampling when drawn at another size
    bool UseColorPalette = false;
    bool UseHalftonePalette = false;
    TPixelFormat SourcePixelFormat() const { return sourceFormat_; }
    bool HasColorTable() const { return hasColorTable_; }
    bool DeeperThanDisplay() const { return deeperThanDisplay_; }
    const std::array<RGBQUAD, 256>& ColorTable() const { return colorTable_; }

    // Change notices: the framework's OnChange, then every listener.
    int AddChangeListener(TNotifyEvent listener);
    void RemoveChangeListener(int id);
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    // The palette a draw selects into a target of the given depth.
    enum class PaletteKind { None, ColorTable, Halftone };
    PaletteKind DrawPaletteKind(int targetBitsPerPixel) const;
    // The palette of UseColorPalette: from the colour table when there is
    // one, else the halftone palette for a picture deeper than the display.
    UniquePalette CreateColorPalette() const;

    // Resamples this image into dest (already sized) by bilinear
    // interpolation in 15-bit fixed point; corners map onto corners.
    void StretchSmoothInto(TfcBitmap& dest) const;

protected:
    // Bits per pixel of the device a draw goes to.
    virtual int TargetBitsPerPixel(HDC dc) const;
    void NotifyChanged();

private:
    void Release();
    void CreateImage(int w, int h);
    void LoadFromFrameworkBitmap(TBitmap& source);
    void CopyFrom(const TfcBitmap& source);
    void DrawImage(HDC dc, const RECT& r);
    HBITMAP Mask();
    TColor EffectiveTransparentColor() const;

    UniqueBitmap bitmap_;
    void* bits_ = nullptr;
    std::vector<unsigned char*> rows_;
    int width_ = 0, height_ = 0;
    UniqueDc dc_;
    SelectRestorer bitmapSelected_;  // the bitmap in dc_
    TCanvas canvas_;
    TPixelFormat sourceFormat_ = TPixelFormat::pf24bit;
    int updating_ = 0;
    std::vector<std::pair<int, TNotifyEvent>> listeners_;
    int nextListener_ = 1;
    UniqueBitmap mask_;  // built on first transparent draw
    std::array<RGBQUAD, 256> colorTable_{};
    bool hasColorTable_ = false;
    bool deeperThanDisplay_ = false;
};
