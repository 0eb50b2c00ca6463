#include "fcimageform.h"

#include <cstring>
#include <vector>

#include "Forms.h"
#include "core/StoredData.h"
#include "fcRegion.h"

const EnumNames kfcImageFormOptionNames = {"ifUseWindowsDrag", "ifNoPaletteDither"};

CX_IMPLEMENT_CLASS(TfcCustomImageForm, TfcCustomImage, CX_ABSTRACT, {})

CX_IMPLEMENT_CLASS(TfcImageForm, TfcCustomImageForm, CX_CREATE(TfcImageForm), {
    p.Set("Options", kfcImageFormOptionNames, &TfcImageForm::Options, &TfcImageForm::SetOptions, 0u);
    p.Bool("AutoSize", &TfcImageForm::AutoSize, &TfcImageForm::SetAutoSize, false);
    p.Object("Picture", [](TfcImageForm& f) -> TPersistent* { return f.Picture(); });
    p.Ref<TControl>("CaptionBarControl", &TfcImageForm::SetCaptionBarControl);
    p.Int("DragTolerance", &TfcImageForm::DragTolerance, &TfcImageForm::SetDragTolerance);
    p.Color("TransparentColor", &TfcImageForm::TransparentColor, &TfcImageForm::SetTransparentColor, clNone);
})

TfcCustomImageForm::TfcCustomImageForm(TComponent* owner) : TfcCustomImage(owner) {
    align_ = TAlign::alClient;
    if (!Has(csDesigning)) {
        AddHookClient();
        hookClient_ = true;
    }
}

TfcCustomImageForm::~TfcCustomImageForm() {
    ForgetRegion();
    if (hookClient_) RemoveHookClient();
}

TCustomForm* TfcCustomImageForm::ParentForm() const { return dynamic_cast<TCustomForm*>(parent_); }

void TfcCustomImageForm::SetParent(TWinControl* p) {
    // The control always lies on the form itself: a panel's form takes it.
    TWinControl* target = p;
    if (p && !dynamic_cast<TCustomForm*>(p))
        if (TCustomForm* form = GetParentForm(p)) target = form;
    TfcCustomImage::SetParent(target);
    if (!parent_ || parent_->Has(csDestroying)) return;
    // Borderless first: a change of border makes a new window, which would
    // bring the clipping of children back.
    if (auto* form = dynamic_cast<TCustomForm*>(parent_)) form->SetBorderStyle(TFormBorderStyle::bsNone);
    HWND w = parent_->Handle();
    SetWindowLongPtrA(w, GWL_STYLE, GetWindowLongPtrA(w, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN));
}

void TfcCustomImageForm::SetBounds(int l, int t, int w, int h) {
    TCustomForm* form = AutoSize() ? ParentForm() : nullptr;
    if (!form) {
        TfcCustomImage::SetBounds(l, t, w, h);
        return;
    }
    // The form follows the control's size. Its alignment waits until then,
    // or it would put an aligned control back to the old client size first.
    TWinControl::AlignHeld held(*form);
    TfcCustomImage::SetBounds(l, t, w, h);
    form->SetClientWidth(width_);
    form->SetClientHeight(height_);
}

void TfcCustomImageForm::SetPicture(TPicture* picture) {
    TfcCustomImage::SetPicture(picture);
    TPicture* own = Picture();
    if (own->Width() > 0 && own->Height() > 0) {
        if (TCustomForm* form = ParentForm()) {
            form->SetClientWidth(own->Width());
            form->SetClientHeight(own->Height());
        }
    }
    Invalidate();
}


void TfcCustomImageForm::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi || newDpi <= 0 || oldDpi <= 0) return;
    TGraphic* g = Picture()->Graphic();
    if (!g || g->Empty() || Has(csDesigning)) {
        TfcCustomImage::ChangeScale(newDpi, oldDpi);
        return;
    }
    if (!unscaled_) {
        unscaled_ = std::make_unique<TBitmap>();
        unscaled_->Assign(g);
        unscaledDpi_ = oldDpi;
    }
    const TColor key = EffectiveTransparentColor();
    const int w = ScaleDpi(unscaled_->Width(), newDpi, unscaledDpi_);
    const int h = ScaleDpi(unscaled_->Height(), newDpi, unscaledDpi_);
    TBitmap scaled;
    if (w == unscaled_->Width() && h == unscaled_->Height())
        scaled.Assign(unscaled_.get());
    else
        ScaleBitmap(*unscaled_, scaled, w, h, key);
    // The picture's new size sizes the control (and with AutoSize the form).
    if (!AutoSize()) TfcCustomImage::ChangeScale(newDpi, oldDpi);
    {
        Restore<bool> showing(showingScaled_, true);
        Picture()->Bitmap()->Assign(&scaled);
    }
    RebuildRegion();
    Invalidate();
}

void TfcCustomImageForm::PictureChanged(TObject* sender) {
    if (!showingScaled_) unscaled_.reset();
    TfcCustomImage::PictureChanged(sender);
}

void TfcCustomImageForm::SetCaptionBarControl(TControl* c) {
    if (c == captionBarControl_) return;
    captionBarControl_ = c;
    if (c) c->FreeNotification(this);
}

void TfcCustomImageForm::Notification(TComponent* c, TOperation op) {
    TfcCustomImage::Notification(c, op);
    if (op == TOperation::opRemove && c == captionBarControl_) captionBarControl_ = nullptr;
}

void TfcCustomImageForm::Paint() {
    if (options_ & ifNoPaletteDither) SkipPaletteFromNowOn();
    TfcCustomImage::Paint();
}

// ---------------------------------------------------------------- outline

HWND TfcCustomImageForm::FormWindow(bool create) const {
    TCustomForm* form = ParentForm();
    if (!form) return nullptr;
    return create ? form->Handle() : form->WindowHandle();
}

void TfcCustomImageForm::RemoveWindowRegion() {
    // The window deletes the region it held.
    if (HWND w = FormWindow(false)) SetWindowRgn(w, nullptr, FALSE);
}

void TfcCustomImageForm::ForgetRegion() {
    region_ = nullptr;
    ownedRegion_.Reset();  // deletes only a region never given to the window
}

void TfcCustomImageForm::TakeRegion(UniqueRegion r, bool redraw) {
    ForgetRegion();
    region_ = r.Get();
    if (!r) return;
    HWND w = Has(csDesigning) ? nullptr : FormWindow(true);
    if (w && SetWindowRgn(w, r.Get(), redraw ? TRUE : FALSE)) {
        r.Release();  // the window's now
        return;
    }
    ownedRegion_ = std::move(r);
}

namespace {
// The picture as a framework bitmap: its own when it is one, else drawn on
// scratch.
TBitmap* PictureBitmap(TPicture& picture, TBitmap& scratch) {
    TGraphic* g = picture.Graphic();
    if (!g || g->Empty()) return nullptr;
    if (auto* b = dynamic_cast<TBitmap*>(g)) return b;
    scratch.Assign(g);
    return &scratch;
}
}  // namespace

TColor TfcCustomImageForm::EffectiveTransparentColor() {
    if (transparentColor_ != clNone) return transparentColor_;
    TBitmap scratch;
    TBitmap* b = PictureBitmap(*Picture(), scratch);
    if (!b) return clNone;
    return static_cast<TColor>(b->Canvas().Pixel(0, b->Height() - 1));
}

void TfcCustomImageForm::RebuildRegion() {
    RemoveWindowRegion();
    ForgetRegion();
    UniqueRegion r;
    TBitmap scratch;
    if (TBitmap* b = PictureBitmap(*Picture(), scratch)) r = CreateRegionFromBitmap(*b, EffectiveTransparentColor());
    TakeRegion(std::move(r), true);
}

std::string TfcCustomImageForm::OutlineData() const {
    if (!region_) return {};
    if (ownedRegion_) return fcregion::RegionDataOf(ownedRegion_.Get());
    HWND w = FormWindow(false);
    UniqueRegion copy(CreateRectRgn(0, 0, 0, 0));
    if (!w || !copy || GetWindowRgn(w, copy.Get()) == ERROR) return {};
    return fcregion::RegionDataOf(copy.Get());
}

void TfcCustomImageForm::ClearRegion() {
    if (!region_) return;
    RemoveWindowRegion();
    ForgetRegion();
}

void TfcCustomImageForm::ScaleRegion(float sx, float sy) {
    HWND w = FormWindow(false);
    if (!w) return;
    UniqueRegion current(CreateRectRgn(0, 0, 1, 1));
    // A window without an outline has nothing to scale (the 1 x 1 start
    // value must not become its outline).
    if (!current || GetWindowRgn(w, current.Get()) == ERROR) return;
    std::string data = fcregion::RegionDataOf(current.Get());
    if (data.empty()) return;
    std::vector<DWORD> buf((data.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(buf.data(), data.data(), data.size());
    XFORM xf{sx, 0.0f, 0.0f, sy, 0.0f, 0.0f};
    UniqueRegion scaled(
        ExtCreateRegion(&xf, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(buf.data())));
    if (!scaled) return;
    RemoveWindowRegion();
    TakeRegion(std::move(scaled), true);
}

void TfcCustomImageForm::DefineProperties(TFiler& filer) {
    TfcCustomImage::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "RegionData",
        [this](layout::Reader& in) {
            try {
                ReadRegionData(in);
            } catch (const layout::StreamError&) {
                // The payload was bounded, so the rest of the layout is
                // intact: a damaged outline costs the window its shape and
                // shows an error, not the window's other components.
                if (!Application) throw;
                Application->HandleException(this);
                in.SkipRest();  // refused whole: nothing of it is left to read
            }
        },
        [this](layout::Writer& out) { WriteRegionData(out); }, true);
}

void TfcCustomImageForm::RefuseRegionData(layout::Reader& in, const std::string& why) {
    ClearRegion();
    in.Fail(why);
}

void TfcCustomImageForm::ReadRegionData(layout::Reader& in) {
    std::string data;
    {
        // An outline refused leaves the window without one.
        ScopeExit refused([this] { ClearRegion(); });
        data = stored::ReadOutline(in);  // counts, header and rectangles checked
        refused.Dismiss();
    }
    if (data.empty()) {
        // No stored outline: take it from the picture, loaded before this.
        ForgetRegion();
        RebuildRegion();
        return;
    }
    std::vector<DWORD> buf((data.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(buf.data(), data.data(), data.size());
    SetLastError(0);
    UniqueRegion r(
        ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(buf.data())));
    if (!r) {
        DWORD err = GetLastError();
        RefuseRegionData(in, "the system refused the stored outline (error " + std::to_string(err) + ")");
    }
    TakeRegion(std::move(r), true);
}

void TfcCustomImageForm::WriteRegionData(layout::Writer& out) {
    // The stored outline always matches the current picture and colour.
    RebuildRegion();
    // A count is written only with the bytes it counts.
    std::string data = OutlineData();
    out.U32(static_cast<std::uint32_t>(data.size()));
    out.Bytes(data);
}
