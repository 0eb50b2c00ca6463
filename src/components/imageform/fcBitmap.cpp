#include "fcBitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

CX_IMPLEMENT_CLASS(TfcBitmap, TGraphic, CX_ABSTRACT, {})

namespace {

TPixelFormat FormatOfDepth(int bpp) {
    switch (bpp) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 16: return TPixelFormat::pf16bit;
    case 24: return TPixelFormat::pf24bit;
    case 32: return TPixelFormat::pf32bit;
    default: return TPixelFormat::pfCustom;
    }
}

// Puts a draw's palette into a device context and takes it out again before
// the palette is deleted.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE pal) : dc_(dc) {
        if (pal) {
            old_ = SelectPalette(dc, pal, TRUE);
            RealizePalette(dc);
        }
    }
    ~PaletteSelection() {
        if (old_) SelectPalette(dc_, old_, TRUE);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;

private:
    HDC dc_;
    HPALETTE old_ = nullptr;
};

}  // namespace

TfcBitmap::TfcBitmap() = default;

TfcBitmap::~TfcBitmap() { Release(); }

void TfcBitmap::Release() {
    canvas_.SetHandle(nullptr);
    bitmapSelected_.Restore();
    dc_.Reset();
    bitmap_.Reset();
    mask_.Reset();
    bits_ = nullptr;
    rows_.clear();
    width_ = height_ = 0;
}

void TfcBitmap::CreateImage(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    WindowDc screen(nullptr);
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bmp || !bits) throw EOutOfResources("Out of system resources");
    UniqueDc dc(CreateCompatibleDC(screen));
    if (!dc) throw EOutOfResources("Out of system resources");
    bitmap_ = std::move(bmp);
    bits_ = bits;
    width_ = w;
    height_ = h;
    rows_.resize(static_cast<std::size_t>(h));
    std::size_t stride = static_cast<std::size_t>(RowStride(w));
    for (int y = 0; y < h; ++y) rows_[static_cast<std::size_t>(y)] = static_cast<unsigned char*>(bits) + stride * y;
    dc_ = std::move(dc);
    bitmapSelected_.Select(dc_.Get(), bitmap_.Get());
    canvas_.SetHandle(dc_.Get());
}

void TfcBitmap::NotifyChanged() {
    mask_.Reset();
    if (updating_ > 0) return;
    TGraphic::Changed();
    // A listener may remove itself while being told.
    auto listeners = listeners_;
    for (auto& [id, fn] : listeners)
        if (fn) fn(this);
}

int TfcBitmap::AddChangeListener(TNotifyEvent listener) {
    int id = nextListener_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void TfcBitmap::RemoveChangeListener(int id) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), [id](auto& l) { return l.first == id; }),
                     listeners_.end());
}

void TfcBitmap::EndUpdate() {
    if (updating_ > 0) --updating_;
}

void TfcBitmap::SetTransparent(bool v) {
    if (transparent_ == v) return;
    transparent_ = v;
    NotifyChanged();
}

void TfcBitmap::SetSize(int w, int h) {
    if (w <= 0 || h <= 0) w = h = 0;
    if (w == width_ && h == height_) return;
    Release();
    if (w > 0) {
        CreateImage(w, h);
        std::memset(bits_, 0xFF, static_cast<std::size_t>(RowStride(w)) * static_cast<std::size_t>(h));
    }
    NotifyChanged();
}

unsigned char* TfcBitmap::ScanLine(int y) const {
    if (y < 0 || y >= height_) throw EInvalidOperation("Scan line index out of range");
    GdiFlush();
    return rows_[static_cast<std::size_t>(y)];
}

void TfcBitmap::LoadFromFrameworkBitmap(TBitmap& source) {
    Release();
    if (source.Empty()) {
        NotifyChanged();
        return;
    }
    CreateImage(source.Width(), source.Height());
    // Copying through the platform converts any depth (and a colour table)
    // to 24 bits.
    BitBlt(dc_.Get(), 0, 0, width_, height_, source.Canvas().Handle(), 0, 0, SRCCOPY);
    GdiFlush();
    sourceFormat_ = source.PixelFormat();
    if (sourceFormat_ == TPixelFormat::pfCustom || sourceFormat_ == TPixelFormat::pfDevice)
        sourceFormat_ = FormatOfDepth(source.BitsPerPixel());
    deeperThanDisplay_ = ScreenColorDepth() < source.BitsPerPixel();
    colorTable_ = {};
    const auto& colors = source.ColorTable();
    std::size_t n = std::min<std::size_t>(colors.size(), colorTable_.size());
    std::copy_n(colors.begin(), n, colorTable_.begin());
    hasColorTable_ = n > 0;
    transparent_ = source.Transparent();
    NotifyChanged();
}

void TfcBitmap::CopyFrom(const TfcBitmap& source) {
    {
        BeginUpdate();
        ScopeExit endUpdate([this] { EndUpdate(); });
        Release();
        if (!source.Empty()) {
            CreateImage(source.width_, source.height_);
            GdiFlush();
            std::memcpy(bits_, source.bits_,
                        static_cast<std::size_t>(RowStride(width_)) * static_cast<std::size_t>(height_));
        }
        transparent_ = source.transparent_;
        TransparentColor = source.TransparentColor;
        SmoothStretch = source.SmoothStretch;
        sourceFormat_ = source.sourceFormat_;
        colorTable_ = source.colorTable_;
        UseColorPalette = source.UseColorPalette;
        UseHalftonePalette = source.UseHalftonePalette;
        hasColorTable_ = source.hasColorTable_;
        deeperThanDisplay_ = source.deeperThanDisplay_;
    }
    NotifyChanged();
}

void TfcBitmap::Assign(TPersistent* source) {
    if (!source) {
        Release();
        NotifyChanged();
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        Assign(p->Graphic());
        return;
    }
    if (auto* f = dynamic_cast<TfcBitmap*>(source)) {
        if (f != this) CopyFrom(*f);
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        LoadFromFrameworkBitmap(*b);
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        TBitmap work;
        if (!g->Empty()) {
            work.SetSize(g->Width(), g->Height());
            RECT r{0, 0, g->Width(), g->Height()};
            g->Draw(work.Canvas(), r);
        }
        LoadFromFrameworkBitmap(work);
        return;
    }
    TGraphic::Assign(source);
}

void TfcBitmap::LoadFromBytes(const std::string& bmpFile) {
    TBitmap work;
    work.LoadFromBytes(bmpFile);
    LoadFromFrameworkBitmap(work);
}

std::string TfcBitmap::SaveToBytes() const {
    if (Empty()) return {};
    TBitmap work;
    work.SetSize(width_, height_);
    GdiFlush();
    for (int y = 0; y < height_; ++y)
        std::memcpy(work.ScanLine(y), rows_[static_cast<std::size_t>(y)], static_cast<std::size_t>(width_) * 3);
    return work.SaveToBytes();
}

// ---------------------------------------------------------------- drawing

int TfcBitmap::TargetBitsPerPixel(HDC dc) const { return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES); }

TfcBitmap::PaletteKind TfcBitmap::DrawPaletteKind(int targetBitsPerPixel) const {
    if (targetBitsPerPixel > 8) return PaletteKind::None;
    if (UseColorPalette) {
        if (hasColorTable_) return PaletteKind::ColorTable;
        return deeperThanDisplay_ ? PaletteKind::Halftone : PaletteKind::None;
    }
    return UseHalftonePalette ? PaletteKind::Halftone : PaletteKind::None;
}

UniquePalette TfcBitmap::CreateColorPalette() const {
    if (hasColorTable_) {
        std::vector<unsigned char> buf(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
        auto* pal = reinterpret_cast<LOGPALETTE*>(buf.data());
        pal->palVersion = 0x300;
        pal->palNumEntries = 256;
        // The colour table holds blue, green, red; a palette entry red first.
        for (std::size_t k = 0; k < 256; ++k)
            pal->palPalEntry[k] = {colorTable_[k].rgbRed, colorTable_[k].rgbGreen, colorTable_[k].rgbBlue, 0};
        return UniquePalette(CreatePalette(pal));
    }
    if (deeperThanDisplay_) {
        WindowDc screen(nullptr);
        return UniquePalette(CreateHalftonePalette(screen));
    }
    return {};
}

TColor TfcBitmap::EffectiveTransparentColor() const {
    if (TransparentColor != clNone || Empty()) return TransparentColor;
    return static_cast<TColor>(GetPixel(dc_.Get(), 0, height_ - 1));
}

HBITMAP TfcBitmap::Mask() {
    if (!mask_ && !Empty()) {
        UniqueBitmap mask(CreateBitmap(width_, height_, 1, 1, nullptr));
        UniqueDc mdc(CreateCompatibleDC(nullptr));
        if (!mask || !mdc) throw EOutOfResources("Out of system resources");
        SelectRestorer sel(mdc.Get(), mask.Get());
        // Pixels of the background colour become set (white) bits.
        COLORREF oldBk = SetBkColor(dc_.Get(), ColorToRGB(EffectiveTransparentColor()));
        BitBlt(mdc.Get(), 0, 0, width_, height_, dc_.Get(), 0, 0, SRCCOPY);
        SetBkColor(dc_.Get(), oldBk);
        mask_ = std::move(mask);
    }
    return mask_.Get();
}

void TfcBitmap::DrawImage(HDC dc, const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w == width_ && h == height_) {
        if (!transparent_) {
            BitBlt(dc, r.left, r.top, w, h, dc_.Get(), 0, 0, SRCCOPY);
            return;
        }
        // Transparent pixels keep what is underneath: dest ^ src, cleared
        // where opaque, ^ src again.
        HBITMAP mask = Mask();
        UniqueDc mdc(CreateCompatibleDC(nullptr));
        SelectRestorer sel(mdc.Get(), mask);
        COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
        BitBlt(dc, r.left, r.top, w, h, dc_.Get(), 0, 0, SRCINVERT);
        BitBlt(dc, r.left, r.top, w, h, mdc.Get(), 0, 0, SRCAND);
        BitBlt(dc, r.left, r.top, w, h, dc_.Get(), 0, 0, SRCINVERT);
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBk);
        return;
    }
    if (SmoothStretch && w > 0 && h > 0) {
        TfcBitmap scaled;
        scaled.SetSize(w, h);
        StretchSmoothInto(scaled);
        scaled.transparent_ = transparent_;
        scaled.TransparentColor = EffectiveTransparentColor();
        scaled.DrawImage(dc, r);
        return;
    }
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, r.left, r.top, w, h, dc_.Get(), 0, 0, width_, height_, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void TfcBitmap::Draw(TCanvas& canvas, const RECT& r) {
    if (Empty() || !canvas.Handle()) return;
    HDC dc = canvas.Handle();
    UniquePalette palette;
    switch (DrawPaletteKind(TargetBitsPerPixel(dc))) {
    case PaletteKind::ColorTable: palette = CreateColorPalette(); break;
    case PaletteKind::Halftone: {
        WindowDc screen(nullptr);
        palette.Reset(CreateHalftonePalette(screen));
        break;
    }
    case PaletteKind::None: break;
    }
    PaletteSelection selection(dc, palette.Get());
    DrawImage(dc, r);
}

void TfcBitmap::StretchSmoothInto(TfcBitmap& dest) const {
    if (Empty() || dest.Empty()) return;
    const int sw = width_, sh = height_, dw = dest.width_, dh = dest.height_;
    // Position in the source of destination pixel d, in 15-bit fixed point:
    // d * (s - 1) / (d - 1), so that the first and last pixels line up.
    auto step = [](int s, int d) -> std::uint64_t {
        return d > 1 ? ((static_cast<std::uint64_t>(s - 1) << 15) + static_cast<std::uint64_t>(d - 1) / 2) /
                           static_cast<std::uint64_t>(d - 1)
                     : 0;
    };
    struct Tap {
        std::size_t a, b;  // byte offsets of the two source pixels
        std::uint32_t f;   // weight of b, 0..32767
    };
    std::vector<Tap> xs(static_cast<std::size_t>(dw));
    std::uint64_t xstep = step(sw, dw);
    for (int x = 0; x < dw; ++x) {
        std::uint64_t pos = std::min<std::uint64_t>(xstep * static_cast<std::uint64_t>(x),
                                                    static_cast<std::uint64_t>(sw - 1) << 15);
        auto i = static_cast<std::size_t>(pos >> 15);
        std::size_t j = std::min<std::size_t>(i + 1, static_cast<std::size_t>(sw - 1));
        xs[static_cast<std::size_t>(x)] = {3 * i, 3 * j, static_cast<std::uint32_t>(pos & 0x7FFF)};
    }
    GdiFlush();
    std::uint64_t ystep = step(sh, dh);
    for (int y = 0; y < dh; ++y) {
        std::uint64_t pos = std::min<std::uint64_t>(ystep * static_cast<std::uint64_t>(y),
                                                    static_cast<std::uint64_t>(sh - 1) << 15);
        auto i = static_cast<std::size_t>(pos >> 15);
        std::size_t j = std::min<std::size_t>(i + 1, static_cast<std::size_t>(sh - 1));
        auto fy = static_cast<std::uint32_t>(pos & 0x7FFF);
        const unsigned char* top = rows_[i];
        const unsigned char* bottom = rows_[j];
        unsigned char* out = dest.rows_[static_cast<std::size_t>(y)];
        for (int x = 0; x < dw; ++x) {
            const Tap& t = xs[static_cast<std::size_t>(x)];
            for (std::size_t c = 0; c < 3; ++c) {
                std::uint64_t upper = top[t.a + c] * (32768u - t.f) + top[t.b + c] * t.f;
                std::uint64_t lower = bottom[t.a + c] * (32768u - t.f) + bottom[t.b + c] * t.f;
                std::uint64_t v = upper * (32768u - fy) + lower * fy;
                out[3 * static_cast<std::size_t>(x) + c] = static_cast<unsigned char>((v + (1u << 29)) >> 30);
            }
        }
    }
    dest.NotifyChanged();
}
