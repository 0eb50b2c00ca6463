#include "Graphics.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <vector>

#include "core/BmpFile.h"
#include "core/PictureScale.h"
#include "core/StoredData.h"

const EnumNames kFontStyleNames = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const EnumNames kFontPitchNames = {"fpDefault", "fpVariable", "fpFixed"};
namespace {
const EnumNames kPenStyleNames = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
const EnumNames kBrushStyleNames = {"bsSolid", "bsClear"};
}  // namespace

COLORREF ColorToRGB(TColor c) {
    auto u = static_cast<std::uint32_t>(c);
    if ((u & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(u & 0xFF));
    return u & 0x00FFFFFF;
}

namespace {
int CALLBACK CollectFamily(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM lp) {
    if (lf->lfFaceName[0] != '@') reinterpret_cast<std::vector<std::string>*>(lp)->push_back(lf->lfFaceName);
    return 1;
}
}  // namespace

std::vector<std::string> FontFamilies(HDC dc) {
    std::vector<std::string> names;
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &lf, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

int ScreenColorDepth() {
    WindowDc dc(nullptr);
    return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
}

int ScaleDpi(int v, int newDpi, int oldDpi) {
    if (newDpi == oldDpi || oldDpi <= 0) return v;
    return MulDiv(v, newDpi, oldDpi);
}

namespace {
picturescale::Image ImageOf(const TBitmap& source) {
    TBitmap rgb;
    rgb.Assign(const_cast<TBitmap*>(&source));
    rgb.SetPixelFormat(TPixelFormat::pf24bit);
    picturescale::Image img;
    img.width = rgb.Width();
    img.height = rgb.Height();
    img.pixels.resize(static_cast<std::size_t>(img.width) * img.height);
    for (int y = 0; y < img.height; ++y) {
        const unsigned char* row = rgb.ScanLine(y);
        for (int x = 0; x < img.width; ++x, row += 3)
            img.pixels[static_cast<std::size_t>(y) * img.width + x] =
                (static_cast<std::uint32_t>(row[2]) << 16) | (static_cast<std::uint32_t>(row[1]) << 8) | row[0];
    }
    return img;
}

picturescale::Image Part(const picturescale::Image& img, int left, int width) {
    picturescale::Image part;
    part.width = width;
    part.height = img.height;
    part.pixels.reserve(static_cast<std::size_t>(width) * img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < width; ++x) part.pixels.push_back(img.At(left + x, y));
    return part;
}
}  // namespace

void ScaleBitmap(const TBitmap& source, TBitmap& out, int width, int height, TColor key, int parts) {
    parts = std::max(1, parts);
    if (source.Empty() || width < parts || height < 1) {
        out.Assign(nullptr);
        return;
    }
    std::optional<std::uint32_t> packed;
    if (key != clNone && key != clDefault) {
        COLORREF c = ColorToRGB(key);
        packed = (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    const picturescale::Image img = ImageOf(source);
    const int from = img.width / parts, to = width / parts;
    TBitmap result;
    result.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetSize(to * parts, height);
    for (int k = 0; k < parts; ++k) {
        picturescale::Image scaled = picturescale::ScaleKeyed(parts == 1 ? img : Part(img, k * from, from),
                                                              to, height, packed);
        for (int y = 0; y < height; ++y) {
            unsigned char* row = result.ScanLine(y) + static_cast<std::size_t>(k) * to * 3;
            for (int x = 0; x < to; ++x, row += 3) {
                std::uint32_t p = scaled.At(x, y);
                row[0] = static_cast<unsigned char>(p & 0xFF);
                row[1] = static_cast<unsigned char>((p >> 8) & 0xFF);
                row[2] = static_cast<unsigned char>((p >> 16) & 0xFF);
            }
        }
    }
    out.Assign(&result);
}

namespace {
int CALLBACK NoteRaster(const LOGFONTA*, const TEXTMETRICA*, DWORD type, LPARAM lp) {
    if (type & RASTER_FONTTYPE) *reinterpret_cast<bool*>(lp) = true;
    return 1;
}
}  // namespace

bool IsRasterFace(const std::string& face) {
    static std::map<std::string, bool> known;
    auto it = known.find(face);
    if (it != known.end()) return it->second;
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    bool raster = false;
    WindowDc dc(nullptr);
    EnumFontFamiliesExA(dc, &lf, NoteRaster, reinterpret_cast<LPARAM>(&raster), 0);
    known[face] = raster;
    return raster;
}

int WindowDpi(HWND w) {
    // Looked up at run time: older systems have neither.
    using WindowDpiFn = UINT(WINAPI*)(HWND);
    using SystemDpiFn = UINT(WINAPI*)();
    static const auto forWindow = reinterpret_cast<WindowDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    static const auto forSystem = reinterpret_cast<SystemDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForSystem")));
    UINT dpi = 0;
    if (w && forWindow) dpi = forWindow(w);
    if (!dpi && forSystem) dpi = forSystem();
    if (!dpi) {
        WindowDc dc(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
    }
    return dpi > 0 ? static_cast<int>(dpi) : kLayoutDpi;
}

CX_IMPLEMENT_CLASS(TGraphicsObject, TPersistent, CX_ABSTRACT, {})

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

CX_IMPLEMENT_CLASS(TFont, TGraphicsObject, CX_ABSTRACT, {
    p.Str("Name", &TFont::Name, &TFont::SetName);
    p.Int("Height", &TFont::Height, &TFont::SetHeight);
    p.Int("Size", &TFont::Size, &TFont::SetSize);
    p.Set("Style", kFontStyleNames, &TFont::Style, &TFont::SetStyle, 0u);
    p.Color("Color", &TFont::Color, &TFont::SetColor);
    p.Int("Charset", &TFont::Charset, &TFont::SetCharset);
    p.Enum("Pitch", kFontPitchNames, &TFont::Pitch, &TFont::SetPitch, 0);
})

TFont::TFont() = default;

void TFont::Assign(TPersistent* source) {
    if (auto* f = dynamic_cast<TFont*>(source)) {
        name_ = f->name_;
        height_ = f->height_;
        style_ = f->style_;
        color_ = f->color_;
        charset_ = f->charset_;
        pitch_ = f->pitch_;
        FreeHandle(handle_);
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

HFONT TFont::Handle() {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
        lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = static_cast<BYTE>(charset_);
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = pitch_ == TFontPitch::fpFixed ? FIXED_PITCH : pitch_ == TFontPitch::fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.Reset(CreateFontIndirectA(&lf));
        if (!handle_) throw EOutOfResources("Out of system resources");
    }
    return handle_.Get();
}

#define FONT_SETTER(Setter, field)      \
    if (field == v) return;             \
    field = v;                          \
    FreeHandle(handle_);                    \
    Changed();

void TFont::SetName(const std::string& v) { FONT_SETTER(SetName, name_) }
void TFont::SetHeight(int v) { FONT_SETTER(SetHeight, height_) }
void TFont::SetStyle(TFontStyles v) { FONT_SETTER(SetStyle, style_) }
void TFont::SetCharset(int v) { FONT_SETTER(SetCharset, charset_) }
void TFont::SetPitch(TFontPitch v) { FONT_SETTER(SetPitch, pitch_) }
void TFont::SetColor(TColor v) {
    if (color_ == v) return;
    color_ = v;
    Changed();
}
int TFont::Size() const { return -MulDiv(height_, 72, PixelsPerInch); }
void TFont::SetSize(int points) {
    // MulDiv answers -1 when the product does not fit; its one result that
    // cannot be negated is taken as the largest height.
    int h = MulDiv(points, PixelsPerInch, 72);
    SetHeight(h == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -h);
}

CX_IMPLEMENT_CLASS(TPen, TGraphicsObject, CX_ABSTRACT, {
    p.Color("Color", &TPen::Color, &TPen::SetColor);
    p.Int("Width", &TPen::Width, &TPen::SetWidth);
    p.Enum("Style", kPenStyleNames, &TPen::Style, &TPen::SetStyle);
})

HPEN TPen::Handle() {
    if (!handle_) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_.Reset(CreatePen(styles[static_cast<int>(style_)], width_, ColorToRGB(color_)));
    }
    return handle_.Get();
}
void TPen::SetColor(TColor v) {
    if (color_ == v) return;
    color_ = v;
    FreeHandle(handle_);
    Changed();
}
void TPen::SetWidth(int v) {
    if (width_ == v) return;
    width_ = v;
    FreeHandle(handle_);
    Changed();
}
void TPen::SetStyle(TPenStyle v) {
    if (style_ == v) return;
    style_ = v;
    FreeHandle(handle_);
    Changed();
}

CX_IMPLEMENT_CLASS(TBrush, TGraphicsObject, CX_ABSTRACT, {
    p.Color("Color", &TBrush::Color, &TBrush::SetColor);
    p.Enum("Style", kBrushStyleNames, &TBrush::Style, &TBrush::SetStyle);
})

HBRUSH TBrush::Handle() {
    if (!handle_) {
        if (style_ == TBrushStyle::bsClear) {
            LOGBRUSH lb{BS_HOLLOW, 0, 0};
            handle_.Reset(CreateBrushIndirect(&lb));
        } else {
            handle_.Reset(CreateSolidBrush(ColorToRGB(color_)));
        }
    }
    return handle_.Get();
}
void TBrush::SetColor(TColor v) {
    if (color_ == v && style_ == TBrushStyle::bsSolid) return;
    color_ = v;
    style_ = TBrushStyle::bsSolid;
    FreeHandle(handle_);
    Changed();
}
void TBrush::SetStyle(TBrushStyle v) {
    if (style_ == v) return;
    style_ = v;
    FreeHandle(handle_);
    Changed();
}

// ---------------------------------------------------------------- canvas

CX_IMPLEMENT_CLASS(TCanvas, TPersistent, CX_ABSTRACT, {})

TCanvas::TCanvas() {
    Font.OnFreeing = [this](HGDIOBJ h) { Deselect(h, OBJ_FONT); };
    Pen.OnFreeing = [this](HGDIOBJ h) { Deselect(h, OBJ_PEN); };
    Brush.OnFreeing = [this](HGDIOBJ h) { Deselect(h, OBJ_BRUSH); };
}

void TCanvas::Deselect(HGDIOBJ obj, UINT type) {
    if (!dc_ || GetCurrentObject(dc_, type) != obj) return;
    int stock = type == OBJ_FONT ? SYSTEM_FONT : type == OBJ_PEN ? BLACK_PEN : HOLLOW_BRUSH;
    SelectObject(dc_, GetStockObject(stock));
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::SetHandle(HDC dc) {
    if (dc_ && savedDc_) RestoreDC(dc_, savedDc_);
    dc_ = dc;
    savedDc_ = dc ? SaveDC(dc) : 0;
}

void TCanvas::RequireObjects() {
    SelectObject(dc_, Font.Handle());
    SelectObject(dc_, Pen.Handle());
    SelectObject(dc_, Brush.Handle());
    SetTextColor(dc_, ColorToRGB(Font.Color()));
    SetBkColor(dc_, ColorToRGB(Brush.Color()));
    SetBkMode(dc_, Brush.Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
    SetROP2(dc_, Pen.Mode == TPenMode::pmXor ? R2_XORPEN : Pen.Mode == TPenMode::pmNot ? R2_NOT : R2_COPYPEN);
}

void TCanvas::FillRect(const RECT& r) { ::FillRect(dc_, &r, Brush.Handle()); }

void TCanvas::FrameRect(const RECT& r) { ::FrameRect(dc_, &r, Brush.Handle()); }

void TCanvas::Rectangle(int l, int t, int r, int b) {
    RequireObjects();
    ::Rectangle(dc_, l, t, r, b);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
    RequireObjects();
    ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const std::string& s) {
    RequireObjects();
    ::TextOutA(dc_, x, y, s.data(), static_cast<int>(s.size()));
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& s) {
    RequireObjects();
    UINT opts = ETO_CLIPPED | (Brush.Style() == TBrushStyle::bsClear ? 0 : ETO_OPAQUE);
    ExtTextOutA(dc_, x, y, opts, &r, s.data(), static_cast<UINT>(s.size()), nullptr);
}

SIZE TCanvas::TextExtent(const std::string& s) {
    SelectObject(dc_, Font.Handle());
    SIZE sz{0, 0};
    GetTextExtentPoint32A(dc_, s.data(), static_cast<int>(s.size()), &sz);
    return sz;
}

void TCanvas::Draw(int x, int y, TGraphic* g) {
    if (!g || g->Empty()) return;
    RECT r{x, y, x + g->Width(), y + g->Height()};
    g->Draw(*this, r);
}

void TCanvas::StretchDraw(const RECT& r, TGraphic* g) {
    if (g && !g->Empty()) g->Draw(*this, r);
}

void TCanvas::DrawFocusRect(const RECT& r) { ::DrawFocusRect(dc_, &r); }

void TCanvas::CopyRect(const RECT& d, TCanvas& src, const RECT& s) {
    StretchBlt(dc_, d.left, d.top, d.right - d.left, d.bottom - d.top, src.Handle(), s.left, s.top,
               s.right - s.left, s.bottom - s.top, SRCCOPY);
}

void TCanvas::Frame3D(RECT& r, TColor topLeft, TColor bottomRight, int width) {
    UniquePen tl(CreatePen(PS_SOLID, 1, ColorToRGB(topLeft)));
    UniquePen br(CreatePen(PS_SOLID, 1, ColorToRGB(bottomRight)));
    for (int k = 0; k < width; ++k) {
        if (r.right - r.left <= 0 || r.bottom - r.top <= 0) break;
        int right = r.right - 1, bottom = r.bottom - 1;
        SelectRestorer sel(dc_, tl.Get());
        MoveToEx(dc_, r.left, bottom, nullptr);
        ::LineTo(dc_, r.left, r.top);
        ::LineTo(dc_, right, r.top);
        SelectObject(dc_, br.Get());
        ::LineTo(dc_, right, bottom);
        ::LineTo(dc_, r.left - 1, bottom);
        InflateRect(&r, -1, -1);
    }
}

// ---------------------------------------------------------------- graphics

CX_IMPLEMENT_CLASS(TGraphic, TPersistent, CX_ABSTRACT, {})

void TGraphic::Changed() {
    if (OnChange) OnChange(this);
}

void TGraphic::SetTransparent(bool v) {
    if (transparent_ == v) return;
    transparent_ = v;
    Changed();
}

CX_IMPLEMENT_CLASS(TBitmap, TGraphic, CX_ABSTRACT, {})

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { Release(); }

void TBitmap::Release() {
    canvas_.reset();
    bitmapSelected_.Restore();
    dc_.Reset();
    bitmap_.Reset();
    palette_.Reset();
    bits_ = nullptr;
    width_ = height_ = bpp_ = stride_ = 0;
    colors_.clear();
}

void TBitmap::CreateFromHeader(const BITMAPINFOHEADER& h, const RGBQUAD* colors, int ncolors, const void* bits) {
    Release();
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
    bi->bmiHeader = h;
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biCompression = BI_RGB;
    bi->bmiHeader.biSizeImage = 0;
    if (ncolors > 0) std::memcpy(bi->bmiColors, colors, static_cast<std::size_t>(ncolors) * sizeof(RGBQUAD));
    bi->bmiHeader.biClrUsed = static_cast<DWORD>(ncolors);
    WindowDc screen(nullptr);
    bitmap_.Reset(CreateDIBSection(screen, bi, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!bitmap_) throw EOutOfResources("Out of system resources");
    width_ = h.biWidth;
    height_ = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    topDown_ = h.biHeight < 0;
    bpp_ = h.biBitCount;
    stride_ = ((width_ * bpp_ + 31) / 32) * 4;
    colors_.assign(colors, colors + ncolors);
    switch (bpp_) {
    case 1: format_ = TPixelFormat::pf1bit; break;
    case 4: format_ = TPixelFormat::pf4bit; break;
    case 8: format_ = TPixelFormat::pf8bit; break;
    case 16: format_ = TPixelFormat::pf16bit; break;
    case 24: format_ = TPixelFormat::pf24bit; break;
    case 32: format_ = TPixelFormat::pf32bit; break;
    default: format_ = TPixelFormat::pfCustom;
    }
    if (ncolors > 0) {
        std::vector<unsigned char> lp(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
        auto* pal = reinterpret_cast<LOGPALETTE*>(lp.data());
        pal->palVersion = 0x300;
        pal->palNumEntries = static_cast<WORD>(ncolors);
        for (int k = 0; k < ncolors; ++k)
            pal->palPalEntry[k] = {colors[k].rgbRed, colors[k].rgbGreen, colors[k].rgbBlue, 0};
        palette_.Reset(CreatePalette(pal));
    }
    if (bits) std::memcpy(bits_, bits, static_cast<std::size_t>(stride_) * height_);
}

void TBitmap::SetSize(int w, int h) {
    if (w == width_ && h == height_ && bitmap_) return;
    if (w <= 0 || h <= 0) {
        Release();
        Changed();
        return;
    }
    BITMAPINFOHEADER hdr{};
    hdr.biWidth = w;
    hdr.biHeight = -h;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<WORD>(bpp_ == 0 ? 24 : bpp_);
    std::vector<RGBQUAD> keep = colors_;
    CreateFromHeader(hdr, keep.data(), static_cast<int>(keep.size()), nullptr);
    std::memset(bits_, 0xFF, static_cast<std::size_t>(stride_) * height_);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
    if (f == format_ || !bitmap_) {
        format_ = f;
        return;
    }
    int bpp = f == TPixelFormat::pf1bit ? 1 : f == TPixelFormat::pf4bit ? 4 : f == TPixelFormat::pf8bit ? 8
            : f == TPixelFormat::pf32bit ? 32 : 24;
    TBitmap copy;
    BITMAPINFOHEADER hdr{};
    hdr.biWidth = width_;
    hdr.biHeight = -height_;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<WORD>(bpp);
    std::vector<RGBQUAD> pal;
    if (bpp == 1) pal = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    if (bpp == 8 && !colors_.empty()) pal = colors_;
    copy.CreateFromHeader(hdr, pal.data(), static_cast<int>(pal.size()), nullptr);
    TCanvas& dst = copy.Canvas();
    BitBlt(dst.Handle(), 0, 0, width_, height_, Canvas().Handle(), 0, 0, SRCCOPY);
    Assign(&copy);
}

unsigned char* TBitmap::ScanLine(int y) const {
    if (!bits_ || y < 0 || y >= height_) throw EInvalidOperation("Scan line index out of range");
    GdiFlush();
    int row = topDown_ ? y : height_ - 1 - y;
    return static_cast<unsigned char*>(bits_) + static_cast<std::size_t>(row) * stride_;
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<TCanvas>();
        if (bitmap_) {
            dc_.Reset(CreateCompatibleDC(nullptr));
            bitmapSelected_.Select(dc_.Get(), bitmap_.Get());
            if (palette_) {
                SelectPalette(dc_.Get(), palette_.Get(), TRUE);
                RealizePalette(dc_.Get());
            }
            canvas_->SetHandle(dc_.Get());
        }
    }
    return *canvas_;
}

TColor TBitmap::TransparentColor() const {
    if (transparentColor_ != clDefault) return transparentColor_;
    if (!bitmap_) return clNone;
    return static_cast<TColor>(const_cast<TBitmap*>(this)->Canvas().Pixel(0, height_ - 1) & 0xFFFFFF);
}

UniqueBitmap TBitmap::CreateMask(TColor color) {
    UniqueBitmap mask(CreateBitmap(width_, height_, 1, 1, nullptr));
    if (!mask || !bitmap_) return mask;
    UniqueDc mdc(CreateCompatibleDC(nullptr));
    SelectRestorer sel(mdc.Get(), mask.Get());
    HDC src = Canvas().Handle();
    COLORREF oldBk = SetBkColor(src, ColorToRGB(color));
    BitBlt(mdc.Get(), 0, 0, width_, height_, src, 0, 0, SRCCOPY);
    SetBkColor(src, oldBk);
    return mask;
}

void TBitmap::Assign(TPersistent* source) {
    if (!source) {
        Release();
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        if (b == this) return;
        if (b->Empty()) {
            Release();
        } else {
            BITMAPINFOHEADER hdr{};
            hdr.biWidth = b->width_;
            hdr.biHeight = b->topDown_ ? -b->height_ : b->height_;
            hdr.biPlanes = 1;
            hdr.biBitCount = static_cast<WORD>(b->bpp_);
            GdiFlush();
            CreateFromHeader(hdr, b->colors_.data(), static_cast<int>(b->colors_.size()), b->bits_);
        }
        transparent_ = b->transparent_;
        transparentColor_ = b->transparentColor_;
        Changed();
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        SetSize(g->Width(), g->Height());
        if (!Empty()) {
            RECT r{0, 0, width_, height_};
            g->Draw(Canvas(), r);
        }
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas& canvas, const RECT& r) {
    if (Empty()) return;
    HDC src = Canvas().Handle();
    int w = r.right - r.left, h = r.bottom - r.top;
    if (transparent_) {
        TColor tc = TransparentColor();
        UniqueBitmap mask = CreateMask(tc);
        UniqueDc mdc(CreateCompatibleDC(nullptr));
        SelectRestorer sel(mdc.Get(), mask.Get());
        // Pixels of the transparent colour keep the destination.
        COLORREF oldText = SetTextColor(canvas.Handle(), RGB(0, 0, 0));
        COLORREF oldBk = SetBkColor(canvas.Handle(), RGB(255, 255, 255));
        StretchBlt(canvas.Handle(), r.left, r.top, w, h, src, 0, 0, width_, height_, SRCINVERT);
        StretchBlt(canvas.Handle(), r.left, r.top, w, h, mdc.Get(), 0, 0, width_, height_, SRCAND);
        StretchBlt(canvas.Handle(), r.left, r.top, w, h, src, 0, 0, width_, height_, SRCINVERT);
        SetTextColor(canvas.Handle(), oldText);
        SetBkColor(canvas.Handle(), oldBk);
        return;
    }
    if (w == width_ && h == height_) {
        BitBlt(canvas.Handle(), r.left, r.top, w, h, src, 0, 0, SRCCOPY);
    } else {
        int old = SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
        StretchBlt(canvas.Handle(), r.left, r.top, w, h, src, 0, 0, width_, height_, SRCCOPY);
        SetStretchBltMode(canvas.Handle(), old);
    }
}

void TBitmap::LoadFromBytes(const std::string& f) {
    // The header is checked against the file's size before anything is made
    // or copied (core/BmpFile).
    BmpHeader hd;
    std::string error;
    if (!CheckBmpHeader(f, hd, error)) throw EStreamError("Bitmap image is not valid: " + error);
    BITMAPINFOHEADER h;
    std::memcpy(&h, f.data() + 14, sizeof h);
    std::vector<RGBQUAD> colors(hd.colors);
    if (hd.colors) std::memcpy(colors.data(), f.data() + hd.colorsAt, sizeof(RGBQUAD) * hd.colors);
    CreateFromHeader(h, colors.data(), static_cast<int>(hd.colors), f.data() + hd.bitsAt);
    Changed();
}

std::string TBitmap::SaveToBytes() const {
    if (Empty()) return {};
    GdiFlush();
    std::size_t ncolors = colors_.size();
    std::size_t off = 14 + sizeof(BITMAPINFOHEADER) + 4 * ncolors;
    std::size_t size = off + static_cast<std::size_t>(stride_) * height_;
    std::string f(size, '\0');
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int k = 0; k < n; ++k) f[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    f[0] = 'B';
    f[1] = 'M';
    put(2, static_cast<std::uint32_t>(size), 4);
    put(10, static_cast<std::uint32_t>(off), 4);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width_;
    h.biHeight = topDown_ ? -height_ : height_;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bpp_);
    h.biClrUsed = static_cast<DWORD>(ncolors);
    DIBSECTION ds{};
    if (GetObject(bitmap_.Get(), sizeof ds, &ds) == sizeof ds) {
        h.biXPelsPerMeter = ds.dsBmih.biXPelsPerMeter;
        h.biYPelsPerMeter = ds.dsBmih.biYPelsPerMeter;
    }
    std::memcpy(&f[14], &h, sizeof h);
    if (ncolors) std::memcpy(&f[14 + sizeof h], colors_.data(), 4 * ncolors);
    std::memcpy(&f[off], bits_, static_cast<std::size_t>(stride_) * height_);
    return f;
}

// ---------------------------------------------------------------- picture

CX_IMPLEMENT_CLASS(TPicture, TPersistent, CX_ABSTRACT, {})

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
    if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> g) {
    graphic_ = std::move(g);
    if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(graphic_.get())) SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::Assign(TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        Assign(p->Graphic());
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(b);
        SetGraphic(std::move(copy));
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Data", [this](layout::Reader& r) { LoadData(r); }, [this](layout::Writer& w) { SaveData(w); },
        graphic_ != nullptr);
}

void TPicture::LoadData(layout::Reader& r) {
    stored::Picture picture;
    if (!stored::ReadPicture(r, picture)) {
        SetGraphic(nullptr);
        return;
    }
    auto bmp = std::make_unique<TBitmap>();
    try {
        bmp->LoadFromBytes(picture.file);
    } catch (const Exception& e) {
        r.Fail(e.what());
    }
    SetGraphic(std::move(bmp));
}

void TPicture::SaveData(layout::Writer& w) const {
    if (!graphic_) {
        w.U8(0);
        return;
    }
    std::string cls = graphic_->ClassName();
    w.U8(static_cast<std::uint8_t>(cls.size()));
    w.Bytes(cls);
    std::string bytes = graphic_->SaveToBytes();
    w.U32(static_cast<std::uint32_t>(bytes.size()));
    w.Bytes(bytes);
}
