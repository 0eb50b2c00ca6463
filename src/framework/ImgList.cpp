#include "ImgList.h"

#include <algorithm>
#include <string>

CX_IMPLEMENT_CLASS(TCustomImageList, TComponent, CX_ABSTRACT, {
    p.Int("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth, 16);
    p.Int("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight, 16);
    p.Color("MaskColor", &TCustomImageList::MaskColor, &TCustomImageList::SetMaskColor, clFuchsia);
})
CX_IMPLEMENT_CLASS(TImageList, TCustomImageList, CX_CREATE(TImageList), {})

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
    if (list_) ImageList_Destroy(list_);
}

void TCustomImageList::SetWidth(int v) {
    if (v == width_) return;
    if (v < 1 || v > 256) throw EInvalidOperation("Invalid picture width " + std::to_string(v));
    width_ = v;
    Clear();
}

void TCustomImageList::SetHeight(int v) {
    if (v == height_) return;
    if (v < 1 || v > 256) throw EInvalidOperation("Invalid picture height " + std::to_string(v));
    height_ = v;
    Clear();
}

void TCustomImageList::SetMaskColor(TColor c) {
    if (c == maskColor_) return;
    maskColor_ = c;
    Changed();
}

void TCustomImageList::ScaleImages(int newDpi, int oldDpi) {
    if (newDpi == oldDpi || newDpi <= 0 || oldDpi <= 0) return;
    const int n = Count();
    const int w = std::clamp(ScaleDpi(width_, newDpi, oldDpi), 1, 256);
    const int h = std::clamp(ScaleDpi(height_, newDpi, oldDpi), 1, 256);
    if (n > 0) {
        TBitmap scaled;
        ScaleBitmap(strip_, scaled, w * n, h, maskColor_, n);
        strip_.Assign(&scaled);
    }
    width_ = w;
    height_ = h;
    Changed();
}

int TCustomImageList::Count() const { return strip_.Empty() ? 0 : strip_.Width() / width_; }

void TCustomImageList::Changed() {
    if (list_) {
        ImageList_Destroy(list_);
        list_ = nullptr;
    }
    if (OnChange) OnChange(this);
}

int TCustomImageList::Add(TBitmap& image, TColor maskColor) {
    int first = Count();
    int n = image.Empty() || image.Height() < 1 ? 0 : image.Width() / width_;
    if (n == 0) return -1;
    TColor from = maskColor == clDefault ? static_cast<TColor>(image.Canvas().Pixel(0, image.Height() - 1))
                                         : static_cast<TColor>(ColorToRGB(maskColor));
    COLORREF to = ColorToRGB(maskColor_);
    TBitmap grown;
    grown.SetSize((first + n) * width_, height_);
    TCanvas& g = grown.Canvas();
    if (first > 0) BitBlt(g.Handle(), 0, 0, first * width_, height_, strip_.Canvas().Handle(), 0, 0, SRCCOPY);
    // The new pictures, their see-through pixels turned into the list's colour.
    g.Brush.SetColor(static_cast<TColor>(to));
    RECT fresh{first * width_, 0, (first + n) * width_, height_};
    g.FillRect(fresh);
    HDC src = image.Canvas().Handle();
    int rows = std::min(image.Height(), height_);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < n * width_; ++x) {
            COLORREF c = GetPixel(src, x, y);
            if (c != static_cast<COLORREF>(from)) SetPixelV(g.Handle(), first * width_ + x, y, c);
        }
    strip_.Assign(&grown);
    Changed();
    return first;
}

void TCustomImageList::Delete(int index) {
    int n = Count();
    if (index < 0 || index >= n) throw EInvalidOperation("Picture index " + std::to_string(index) + " out of range");
    if (n == 1) {
        Clear();
        return;
    }
    TBitmap shrunk;
    shrunk.SetSize((n - 1) * width_, height_);
    HDC d = shrunk.Canvas().Handle(), s = strip_.Canvas().Handle();
    BitBlt(d, 0, 0, index * width_, height_, s, 0, 0, SRCCOPY);
    BitBlt(d, index * width_, 0, (n - 1 - index) * width_, height_, s, (index + 1) * width_, 0, SRCCOPY);
    strip_.Assign(&shrunk);
    Changed();
}

void TCustomImageList::Clear() {
    if (strip_.Empty()) return;
    strip_.SetSize(0, 0);
    Changed();
}

HIMAGELIST TCustomImageList::Handle() {
    if (list_ || Count() == 0) return list_;
    int n = Count();
    list_ = ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, n, 4);
    if (!list_) throw EOutOfResources("Cannot create an image list");
    // A plain copy of the strip: the list blackens its see-through pixels.
    UniqueBitmap copy(CreateCompatibleBitmap(WindowDc(nullptr), n * width_, height_));
    {
        UniqueDc dc(CreateCompatibleDC(nullptr));
        SelectRestorer sel(dc.Get(), copy.Get());
        BitBlt(dc.Get(), 0, 0, n * width_, height_, strip_.Canvas().Handle(), 0, 0, SRCCOPY);
    }
    ImageList_AddMasked(list_, copy.Get(), ColorToRGB(maskColor_));
    return list_;
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
    Draw(canvas.Handle(), x, y, index, enabled);
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index, bool enabled) {
    if (index < 0 || index >= Count() || !Handle()) return;
    if (enabled) {
        ImageList_Draw(list_, index, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    UniqueIcon icon(ImageList_GetIcon(list_, index, ILD_TRANSPARENT));
    if (icon)
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0, x, y, width_, height_,
                   DST_ICON | DSS_DISABLED);
}

void TCustomImageList::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Bitmap", [this](layout::Reader& r) { LoadData(r); }, [this](layout::Writer& w) { SaveData(w); },
        Count() > 0);
}

void TCustomImageList::LoadData(layout::Reader& r) {
    TPicture pic;
    pic.LoadData(r);
    TBitmap* bmp = dynamic_cast<TBitmap*>(pic.Graphic());
    if (!bmp) {
        Clear();
        return;
    }
    if (bmp->Height() != height_ || bmp->Width() % width_ != 0)
        r.Fail("picture of " + std::to_string(bmp->Width()) + " x " + std::to_string(bmp->Height()) +
               " is not a row of " + std::to_string(width_) + " x " + std::to_string(height_) + " pictures");
    TBitmap row;
    row.SetSize(bmp->Width(), bmp->Height());
    BitBlt(row.Canvas().Handle(), 0, 0, bmp->Width(), bmp->Height(), bmp->Canvas().Handle(), 0, 0, SRCCOPY);
    strip_.Assign(&row);
    Changed();
}

void TCustomImageList::SaveData(layout::Writer& w) const {
    std::string cls = "TBitmap";
    w.U8(static_cast<std::uint8_t>(cls.size()));
    w.Bytes(cls);
    std::string bytes = strip_.SaveToBytes();
    w.U32(static_cast<std::uint32_t>(bytes.size()));
    w.Bytes(bytes);
}
