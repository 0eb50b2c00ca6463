#include "wwRuler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Forms.h"
#include "Printers.h"
#include "core/RulerMath.h"

namespace {

// Inches until the ruler has an editor.
units::Unit UnitOf(const TwwCustomRichEdit* e) { return e ? e->LengthUnit() : units::Unit::Inches; }

// The 16 colours of the marker pictures, in the platform's standard order.
constexpr RGBQUAD kPalette[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0}};

// Letters of the pictures: '.' the see-through fuchsia (the bottom-left
// pixel), K black, D dark grey, S silver, W white.
int ColourIndex(char c) {
    switch (c) {
    case 'K': return 0;
    case 'D': return 8;
    case 'S': return 7;
    case 'W': return 15;
    default: return 13;
    }
}

constexpr const char* kUp[11] = {
    ".....K.....",
    "....KWK....",
    "...KWSDK...",
    "..KWSSSDK..",
    ".KWSSSSSDK.",
    ".KWSSSSSDK.",
    ".KWSSSSSDK.",
    ".KWSSSSSDK.",
    ".KWDDDDDDK.",
    ".KKKKKKKKK.",
    "...........",
};
constexpr const char* kDown[11] = {
    "...........",
    ".KKKKKKKKK.",
    ".KWWWWWWDK.",
    ".KWSSSSSDK.",
    ".KWSSSSSDK.",
    ".KWSSSSSDK.",
    ".KWSSSSSDK.",
    "..KWSSSDK..",
    "...KWSDK...",
    "....KDK....",
    ".....K.....",
};

// A 4-bit bitmap file of the 11 rows, bottom row first.
std::string BitmapFile(const char* const* rows) {
    const int w = 11, h = 11, stride = ((w * 4 + 31) / 32) * 4;
    const std::uint32_t bitsOffset = 14 + 40 + 16 * 4;
    std::string f;
    auto u16 = [&](std::uint16_t v) { f.append(reinterpret_cast<const char*>(&v), 2); };
    auto u32 = [&](std::uint32_t v) { f.append(reinterpret_cast<const char*>(&v), 4); };
    f += "BM";
    u32(bitsOffset + static_cast<std::uint32_t>(stride * h));
    u32(0);
    u32(bitsOffset);
    u32(40);
    u32(w);
    u32(h);
    u16(1);
    u16(4);
    u32(BI_RGB);
    u32(static_cast<std::uint32_t>(stride * h));
    u32(3780);
    u32(3780);
    u32(16);
    u32(0);
    for (const RGBQUAD& q : kPalette) f.append(reinterpret_cast<const char*>(&q), 4);
    for (int y = h - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(stride), '\0');
        for (int x = 0; x < w; ++x) {
            int c = ColourIndex(rows[y][x]);
            row[static_cast<std::size_t>(x / 2)] |= static_cast<char>(x % 2 == 0 ? c << 4 : c);
        }
        f += row;
    }
    return f;
}

// Twips of the page width of the application's printer, with the paper and
// orientation chosen for it (Page Setup, Print); 0 without a printer.
std::int64_t PrinterPageTwips() {
    HDC dc = Printer()->HandleIfAny();
    if (!dc) return 0;
    std::int64_t width = GetDeviceCaps(dc, PHYSICALWIDTH), dpi = GetDeviceCaps(dc, LOGPIXELSX);
    return dpi > 0 ? width * 1440 / dpi : 0;
}

// The left and right print margins together, in twips.
std::int64_t MarginTwips(TwwCustomRichEdit& e) {
    units::Unit u = UnitOf(&e);
    std::int64_t total = 0;
    for (double m : {e.PrintMargins()->Left, e.PrintMargins()->Right}) {
        auto twips = units::TryUnitsToTwips(units::MilliText(std::llround(m * 1000), '.'), u, '.');
        total += twips.value_or(0);
    }
    return total;
}

}  // namespace

std::unique_ptr<TBitmap> WwRulerPicture(const std::string& name) {
    const char* const* rows = name == "wwRulerUp" ? kUp : name == "wwRulerDown" ? kDown : nullptr;
    if (!rows) return nullptr;
    auto bmp = std::make_unique<TBitmap>();
    bmp->LoadFromBytes(BitmapFile(rows));
    bmp->SetTransparent(true);
    return bmp;
}

// ---------------------------------------------------------------- TwwTrackIcon

CX_IMPLEMENT_CLASS(TwwTrackIcon, TGraphicControl, CX_CREATE(TwwTrackIcon), {})

TwwTrackIcon::TwwTrackIcon(TComponent* owner) : TGraphicControl(owner) {
    // The marker tracks the mouse itself, with the capture on its window.
    ControlStyle &= ~static_cast<unsigned>(csCaptureMouse | csClickEvents | csDoubleClicks);
    picture_ = std::make_unique<TBitmap>();
}

TwwTrackIcon::~TwwTrackIcon() = default;

void TwwTrackIcon::SetPictureName(const std::string& name) {
    auto bmp = WwRulerPicture(name);
    if (!bmp) throw EInvalidOperation("No marker picture named " + name);
    picture_ = std::move(bmp);
    SetBounds(left_, top_, picture_->Width(), picture_->Height());
    Invalidate();
}

void TwwTrackIcon::Paint() {
    RECT r{0, 0, picture_->Width(), picture_->Height()};
    picture_->Draw(Canvas(), r);
}

void TwwTrackIcon::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    TGraphicControl::MouseDown(b, s, x, y);
    if (b != TMouseButton::mbLeft) return;
    DWORD pos = GetMessagePos();
    POINT pressed{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    Track(pressed);
}

void TwwTrackIcon::Track(POINT pressed) {
    TCustomForm* form = GetParentForm(this);
    HWND capture = form ? form->Handle() : (parent_ ? parent_->Handle() : nullptr);
    if (!capture) return;
    SetCapture(capture);
    const int startLeft = left_;
    bool away = false;   // the pointer has left the press point
    bool moved = false;  // the marker has moved
    for (;;) {
        if (GetCapture() != capture) return;  // someone else took the mouse
        MSG msg;
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            // The program is ending: the quit message is for the main loop.
            ReleaseCapture();
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (msg.message == WM_MOUSEMOVE) {
            // Nothing happens until the pointer leaves the press point.
            if (!away && msg.pt.x == pressed.x && msg.pt.y == pressed.y) continue;
            away = true;
            int l = msg.pt.x + startLeft - pressed.x;
            if (LowerBound != 0) l = std::max(l, LowerBound);
            if (UpperBound != 0) l = std::min(l, UpperBound);
            if (l != left_) {
                SetLeft(l);
                moved = true;
            }
            continue;
        }
        if (msg.message == WM_LBUTTONUP) {
            ScopeExit release([] { ReleaseCapture(); });
            if (moved && OnEndDrag) OnEndDrag(this);
            return;
        }
        DispatchQueuedMessage(msg);
    }
}

// ---------------------------------------------------------------- TwwRulerPanel

CX_IMPLEMENT_CLASS(TwwRulerPanel, TCustomPanel, CX_ABSTRACT, {})

TwwRulerPanel::TwwRulerPanel(TComponent* owner, TwwCustomRichEdit* editor) : TCustomPanel(owner), editor_(editor) {
    SetBevelOuter(TBevelCut::bvNone);
    SetBevelInner(TBevelCut::bvNone);
    SetHeight(PixelsPerInch() < 97 ? 25 : 27);
    left_ = MakeMarker("wwRulerUp");
    right_ = MakeMarker("wwRulerUp");
    firstLine_ = MakeMarker("wwRulerDown");
    ResetRect();
    const int half = left_->Width() / 2;
    left_->SetLeft(rect_.left - half);
    firstLine_->SetLeft(rect_.left - half + 10);
    right_->SetLeft(right_->UpperBound);
}

TwwTrackIcon* TwwRulerPanel::MakeMarker(const char* picture) {
    auto* m = new TwwTrackIcon(this);
    m->SetPictureName(picture);
    m->SetParent(this);
    m->OnEndDrag = [this](TObject* sender) { MarkerMoved(sender); };
    return m;
}

int TwwRulerPanel::PixelsPerInch() const {
    return editor_ && editor_->ScreenPixelsPerInch() > 0 ? editor_->ScreenPixelsPerInch() : 96;
}

void TwwRulerPanel::BoundsChanged() {
    TCustomPanel::BoundsChanged();
    ResetRect();
}

void TwwRulerPanel::ResetRect() {
    rect_ = {6, 4, width_ - 6, height_ - 4};
    if (!left_) return;
    const int w = left_->Width(), half = w / 2;
    for (TwwTrackIcon* m : {left_, right_, firstLine_}) {
        m->LowerBound = rect_.left - half;
        m->UpperBound = rect_.right - half;
    }
    left_->SetTop(rect_.bottom - w + 4);
    right_->SetTop(rect_.bottom - w + 4);
    firstLine_->SetTop(rect_.top - 2);
}

void TwwRulerPanel::UpdateMarkers() {
    if (!editor_) return;
    PARAFORMAT2 p = editor_->GetParagraphFormat();
    const int ppi = PixelsPerInch(), w = left_->Width(), half = w / 2;
    const int s = ruler::TwipsToPx(p.dxStartIndent, ppi), o = ruler::TwipsToPx(p.dxOffset, ppi),
              r = ruler::TwipsToPx(p.dxRightIndent, ppi);
    left_->SetLeft(o + s + rect_.left - half);
    firstLine_->SetLeft(s + rect_.left - half);
    right_->SetLeft(width_ - r - w);
}

void TwwRulerPanel::SizeToPage() {
    if (!editor_) return;
    std::int64_t page = PrinterPageTwips();
    pageTwips_ = page;
    if (page <= 0) return;
    std::int64_t printable = page - MarginTwips(*editor_);
    SetWidth(static_cast<int>(printable * PixelsPerInch() / 1440) + 12);
    ResetRect();
}

void TwwRulerPanel::MarkerMoved(TObject* sender) {
    if (!editor_) return;
    auto pos = [](TwwTrackIcon* m) { return ruler::MarkerPos{m->Left(), m->LowerBound, m->UpperBound}; };
    ruler::Marker which = sender == right_ ? ruler::Marker::Right
                          : sender == firstLine_ ? ruler::Marker::FirstLine
                                                 : ruler::Marker::Left;
    const int w = left_->Width(), half = w / 2;
    const bool page = editor_->UsesPrinterWidth();
    const int rightEdge = page ? right_->UpperBound + 2 * half : editor_->Width() + half;
    ruler::DragEnd d = ruler::EndOfDrag(which, pos(left_), pos(right_), pos(firstLine_), w, PixelsPerInch(),
                                        UnitOf(editor_), rightEdge, editor_->GutterWidth());
    left_->SetLeft(d.left.left);
    right_->SetLeft(d.right.left);
    firstLine_->SetLeft(d.firstLine.left);
    TwwParagraphRequest request;
    request.Mask = d.mask;
    request.StartIndent = d.startIndent;
    request.Offset = d.offset;
    request.RightIndent = d.rightIndent;
    editor_->SetParagraphFormat(request);
}

void TwwRulerPanel::Paint() {
    TCustomPanel::Paint();
    PaintScale();
}

void TwwRulerPanel::PaintScale() {
    TCanvas& c = Canvas();
    const int L = rect_.left, T = rect_.top, R = rect_.right, B = rect_.bottom;
    c.Brush.SetColor(clWhite);
    c.Brush.SetStyle(TBrushStyle::bsSolid);
    c.FillRect(rect_);
    auto line = [&](TColor colour, std::initializer_list<POINT> points) {
        c.Pen.SetColor(colour);
        auto it = points.begin();
        c.MoveTo(it->x, it->y);
        for (++it; it != points.end(); ++it) c.LineTo(it->x, it->y);
    };
    line(clBtnShadow, {{L - 1, B}, {L - 1, T}, {R + 1, T}});
    line(clBlack, {{L, B}, {L, T + 1}, {R + 1, T + 1}});
    line(clBtnFace, {{L - 1, B}, {R + 1, B}, {R + 1, T}});
    line(clBtnHighlight, {{L - 1, B + 1}, {R + 2, B + 1}, {R + 2, T}});

    if (!editor_) return;
    const units::Unit unit = UnitOf(editor_);
    const int ppi = PixelsPerInch(), e = ruler::Subdivisions(unit);
    ruler::Length len;
    // The page as measured when the ruler was last sized to it.
    std::int64_t page = pageTwips_ > 0 && editor_->UsesPrinterWidth() ? pageTwips_ : 0;
    if (page > 0)
        len = ruler::PageLength(page, MarginTwips(*editor_));
    else
        len = ruler::WindowLength(editor_->Width(), ppi);
    c.Font.Assign(Font());
    c.Pen.SetColor(clBlack);
    c.Brush.SetStyle(TBrushStyle::bsClear);
    for (int r = 0; ruler::Before(std::int64_t{r} * e, e, len, unit); ++r) {
        if (r > 0) {
            std::string text = std::to_string(r);
            c.TextOut(ruler::NumberX(r, c.TextWidth(text), ppi, unit, L), T + 3, text);
        }
        for (int i = 1; i < e; ++i) {
            std::int64_t k = std::int64_t{r} * e + i;
            if (!ruler::Before(k, e, len, unit)) break;
            int x = ruler::PositionX(k, e, ppi, unit, L);
            bool half = i == e / 2;
            c.MoveTo(x, half ? T + 7 : T + 8);
            c.LineTo(x, half ? B - 5 : B - 7);
        }
    }
}
