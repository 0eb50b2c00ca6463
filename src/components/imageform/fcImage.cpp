#include "fcImage.h"

#include "Forms.h"
#include "fcBitmap.h"

CX_IMPLEMENT_CLASS(TfcCustomImage, TGraphicControl, CX_ABSTRACT, {})

TfcCustomImage::TfcCustomImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
    ControlStyle |= csReplicatable;
    picture_->OnChange = [this](TObject* sender) { PictureChanged(sender); };
    width_ = 105;
    height_ = 105;
}

TfcCustomImage::~TfcCustomImage() { picture_->OnChange = nullptr; }

void TfcCustomImage::SetPicture(TPicture* picture) { picture_->Assign(picture); }

void TfcCustomImage::SetAutoSize(bool v) {
    autoSize_ = v;
    PictureChanged(this);
}

void TfcCustomImage::SetPictureTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    PictureChanged(this);
}

void TfcCustomImage::PictureChanged(TObject*) {
    if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(left_, top_, picture_->Width(), picture_->Height());
    if (TGraphic* g = picture_->Graphic()) {
        // The framework's graphics are all bitmaps: none is a metafile or an
        // icon, so every one takes the control's transparency.
        g->SetTransparent(transparent_);
        bool opaque = !g->Transparent() && g->Width() >= width_ && g->Height() >= height_;
        if (opaque) ControlStyle |= csOpaque;
        else ControlStyle &= ~static_cast<unsigned>(csOpaque);
        if (Visible() && !Has(csLoading) && g->PaletteModified) {
            TCustomForm* form = GetParentForm(this);
            if (g->Palette() && form && form->HandleAllocated() && GetActiveWindow() == form->WindowHandle()) {
                if (painting_) {
                    form->Perform(WM_QUERYNEWPALETTE);
                    Update();
                } else {
                    PostMessageA(form->WindowHandle(), WM_QUERYNEWPALETTE, 0, 0);
                }
            }
            g->PaletteModified = false;
        }
    } else {
        ControlStyle &= ~static_cast<unsigned>(csOpaque);
    }
    if (!painting_) Invalidate();
}

int TfcCustomImage::DisplayBitsPerPixel() {
    if (auto* b = dynamic_cast<TBitmap*>(picture_->Graphic())) {
        if (!b->Empty()) {
            HDC dc = b->Canvas().Handle();
            return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
        }
    }
    return ScreenColorDepth();
}

void TfcCustomImage::Paint() {
    TGraphic* g = picture_->Graphic();
    if (!g || picture_->Width() == 0) return;
    TCanvas& canvas = Canvas();
    if (Has(csDesigning)) {
        canvas.Pen.SetStyle(TPenStyle::psDash);
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.Rectangle(0, 0, width_, height_);
    }
    if (!skipPaletteDrawing_ && DisplayBitsPerPixel() <= 8) {
        TfcBitmap through;
        through.UseColorPalette = true;
        through.Assign(g);
        RECT r{0, 0, through.Width(), through.Height()};
        through.Draw(canvas, r);
        return;
    }
    RECT r{0, 0, picture_->Width(), picture_->Height()};
    g->Draw(canvas, r);
}
