// A list of small pictures of one size (16 x 16 unless set otherwise) with a
// see-through colour, drawn by menus and tool buttons.
//
// The list keeps its pictures as one row (a strip), each picture Width pixels
// wide, see-through pixels in MaskColor; that strip is what a layout stores
// (property Bitmap, in the picture format of Picture.Data).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "Classes.h"
#include "Graphics.h"

class TCustomImageList : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list.
    void SetWidth(int v);
    void SetHeight(int v);
    TColor MaskColor() const { return maskColor_; }
    void SetMaskColor(TColor c);
    int Count() const;

    // Adds the pictures of a bitmap (cut into Width-wide pieces from the
    // left; a narrower rest is dropped); pixels of maskColor are see-through
    // (clDefault: the bitmap's bottom-left pixel). Returns the index of the
    // first picture added.
    int Add(TBitmap& image, TColor maskColor = clDefault);
    void Delete(int index);
    void Clear();
    // Draws picture index with its top-left corner at (x, y); a disabled
    // picture is drawn embossed in grey.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
    void Draw(HDC dc, int x, int y, int index, bool enabled = true);
    // The strip as stored (see-through pixels in MaskColor).
    const TBitmap& Strip() const { return strip_; }
    // The platform image list, made from the strip on demand.
    HIMAGELIST Handle();

    // Rescales every picture from one DPI to another (smoothly; see-through
    // pixels stay crisp). Forms do it for their lists as they scale.
    void ScaleImages(int newDpi, int oldDpi);

    void DefineProperties(TFiler& filer) override;
    void LoadData(layout::Reader& r);
    void SaveData(layout::Writer& w) const;
    TNotifyEvent OnChange;

private:
    void Changed();
    int width_ = 16, height_ = 16;
    TColor maskColor_ = clFuchsia;
    TBitmap strip_;
    HIMAGELIST list_ = nullptr;
};

class TImageList : public TCustomImageList {
    CX_DECLARE_CLASS()
public:
    explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
};
