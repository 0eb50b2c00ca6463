// Graphics of the framework: fonts, pens, brushes, canvases, pictures and
// bitmaps, each owning its platform handle.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "Handles.h"

COLORREF ColorToRGB(TColor c);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
extern const EnumNames kFontStyleNames;
extern const EnumNames kFontPitchNames;

// A graphics object whose handle is made on demand and remade after a change.
// A canvas that selects the handle into its context is told before the
// handle is freed, so that it can put it out first: the platform does not
// free an object that is still selected.
class TGraphicsObject : public TPersistent {
    CX_DECLARE_CLASS()
public:
    TNotifyEvent OnChange;
    std::function<void(HGDIOBJ)> OnFreeing;

protected:
    void Changed();
    // Frees the object's handle (it is made again when next asked for).
    template <class H>
    void FreeHandle(H& handle) {
        if (!handle) return;
        if (OnFreeing) OnFreeing(handle.Get());
        handle.Reset();
    }
};

class TFont : public TGraphicsObject {
    CX_DECLARE_CLASS()
public:
    TFont();
    void Assign(TPersistent* source) override;
    HFONT Handle();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& v);
    int Height() const { return height_; }
    void SetHeight(int v);
    int Size() const;  // points at PixelsPerInch
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int Charset() const { return charset_; }
    void SetCharset(int v);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch v);
    int PixelsPerInch = 96;

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    int charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    UniqueFont handle_;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode { pmCopy, pmXor, pmNot };
class TPen : public TGraphicsObject {
    CX_DECLARE_CLASS()
public:
    HPEN Handle();
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle v);
    TPenMode Mode = TPenMode::pmCopy;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    UniquePen handle_;
};

enum class TBrushStyle { bsSolid, bsClear };
class TBrush : public TGraphicsObject {
    CX_DECLARE_CLASS()
public:
    HBRUSH Handle();
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    UniqueBrush handle_;
};

class TGraphic;

// Drawing on a device context the canvas does not own (a paint context, a
// bitmap's memory context). Pen, brush and font are selected when drawing.
class TCanvas : public TPersistent {
    CX_DECLARE_CLASS()
public:
    TCanvas();
    ~TCanvas() override;
    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc);  // the canvas borrows dc until given another
    // Lends the canvas a context for the length of a scope.
    class Binding {
    public:
        Binding(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
        ~Binding() { canvas_.SetHandle(nullptr); }
        Binding(const Binding&) = delete;
        Binding& operator=(const Binding&) = delete;

    private:
        TCanvas& canvas_;
    };
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    TFont Font;
    TPen Pen;
    TBrush Brush;

    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void Rectangle(int l, int t, int r, int b);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::string& s);
    void TextRect(const RECT& r, int x, int y, const std::string& s);
    SIZE TextExtent(const std::string& s);
    int TextWidth(const std::string& s) { return TextExtent(s).cx; }
    int TextHeight(const std::string& s) { return TextExtent(s).cy; }
    void Draw(int x, int y, TGraphic* g);
    void StretchDraw(const RECT& r, TGraphic* g);
    void DrawFocusRect(const RECT& r);
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
    void SetPixel(int x, int y, TColor c) { ::SetPixel(dc_, x, y, ColorToRGB(c)); }
    void CopyRect(const RECT& dest, TCanvas& src, const RECT& source);
    // Selects the current pen, brush and font into the context.
    void RequireObjects();
    // The framework's three-dimensional frame: width nested rings, top-left
    // edges in topLeft, bottom-right edges in bottomRight; shrinks r.
    void Frame3D(RECT& r, TColor topLeft, TColor bottomRight, int width);

private:
    // Puts a pen, brush or font about to be freed out of the context.
    void Deselect(HGDIOBJ obj, UINT type);
    HDC dc_ = nullptr;
    int savedDc_ = 0;
};

// A picture format the framework can draw and store.
class TGraphic : public TPersistent {
    CX_DECLARE_CLASS()
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Draw(TCanvas& canvas, const RECT& r) = 0;
    virtual void LoadFromBytes(const std::string& bytes) = 0;
    virtual std::string SaveToBytes() const = 0;
    virtual HPALETTE Palette() const { return nullptr; }
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool v);
    bool PaletteModified = false;
    TNotifyEvent OnChange;

protected:
    void Changed();
    bool transparent_ = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// A device-independent bitmap with row access and its own canvas.
class TBitmap : public TGraphic {
    CX_DECLARE_CLASS()
public:
    TBitmap();
    ~TBitmap() override;
    void Assign(TPersistent* source) override;
    bool Empty() const override { return !bitmap_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetSize(int w, int h);  // 24-bit, white
    void Draw(TCanvas& canvas, const RECT& r) override;
    // The platform's bitmap file format.
    void LoadFromBytes(const std::string& bmpFile) override;
    std::string SaveToBytes() const override;
    HPALETTE Palette() const override { return palette_.Get(); }

    HBITMAP Handle() const { return bitmap_.Get(); }
    TPixelFormat PixelFormat() const { return format_; }
    int BitsPerPixel() const { return bpp_; }
    void SetPixelFormat(TPixelFormat f);
    // Address of row y (0 = top row).
    unsigned char* ScanLine(int y) const;
    int Stride() const { return stride_; }
    TCanvas& Canvas();
    // A one-bit mask: pixels of the colour become set bits (white).
    UniqueBitmap CreateMask(TColor color);
    TColor TransparentColor() const;  // the bottom-left pixel when not fixed
    void SetTransparentColor(TColor c) { transparentColor_ = c; }
    // Colour table of a bitmap of 8 bits or less.
    const std::vector<RGBQUAD>& ColorTable() const { return colors_; }

private:
    void Release();
    void CreateFromHeader(const BITMAPINFOHEADER& h, const RGBQUAD* colors, int ncolors, const void* bits);
    UniqueBitmap bitmap_;
    UniquePalette palette_;
    void* bits_ = nullptr;
    int width_ = 0, height_ = 0, bpp_ = 0, stride_ = 0;
    bool topDown_ = false;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    std::vector<RGBQUAD> colors_;
    UniqueDc dc_;
    SelectRestorer bitmapSelected_;  // the bitmap in dc_
    std::unique_ptr<TCanvas> canvas_;
    TColor transparentColor_ = clDefault;
};

// Holds one graphic of any registered kind; stored as "Picture.Data": the
// graphic's class name (a length byte and the name), then the graphic's own
// bytes (for a bitmap: a 32-bit length and the bitmap file).
class TPicture : public TPersistent {
    CX_DECLARE_CLASS()
public:
    TPicture();
    ~TPicture() override;
    void Assign(TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;
    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> g);
    TBitmap* Bitmap();  // makes the picture a bitmap when it is not one
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    TNotifyEvent OnChange;
    void Changed();

    void LoadData(layout::Reader& r);
    void SaveData(layout::Writer& w) const;

private:
    std::unique_ptr<TGraphic> graphic_;
};

// The screen's colour depth (bits per pixel times planes).
int ScreenColorDepth();

// Stored layouts measure in pixels at this DPI.
inline constexpr int kLayoutDpi = 96;
// A length in pixels at oldDpi, in pixels at newDpi (unchanged when the two
// are equal, so nothing drifts at the layout's own DPI).
int ScaleDpi(int v, int newDpi, int oldDpi);
// A bitmap scaled to width x height for another DPI: smooth inside, while
// pixels of the key colour stay exactly that colour, keep a crisp edge and
// never blend into their neighbours (clNone: no key colour). A strip of
// `parts` pictures side by side is scaled picture by picture. The result is
// 24 bits per pixel.
void ScaleBitmap(const TBitmap& source, TBitmap& out, int width, int height, TColor key, int parts = 1);
// Whether a face is drawn from fixed bitmaps (a raster font) on this system:
// it has a few sizes only and does not grow with the DPI.
bool IsRasterFace(const std::string& face);
// The scalable face that stands in for a raster one above 96 DPI.
inline constexpr const char* kScalableUiFace = "MS Shell Dlg 2";
// The DPI a window is shown at: its monitor's for a process that follows
// monitors, else the system's. For no window, the system's.
int WindowDpi(HWND w);

// The font families a device context offers, by name, sorted, without the
// vertical ("@") forms.
std::vector<std::string> FontFamilies(HDC dc);
