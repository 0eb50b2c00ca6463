#include "ExtCtrls.h"

#include <algorithm>

const EnumNames kBevelCutNames = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
const EnumNames kAlignmentNames = {"taLeftJustify", "taRightJustify", "taCenter"};
const EnumNames kSingleBorderStyleNames = {"bsNone", "bsSingle"};
const EnumNames kTextLayoutNames = {"tlTop", "tlCenter", "tlBottom"};

UINT AlignmentFlag(TAlignment a) {
    switch (a) {
    case TAlignment::taRightJustify: return DT_RIGHT;
    case TAlignment::taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

void DrawBevelRing(TCanvas& canvas, RECT& r, TBevelCut cut, int width, TColor light, TColor shadow) {
    switch (cut) {
    case TBevelCut::bvLowered: canvas.Frame3D(r, shadow, light, width); break;
    case TBevelCut::bvRaised: canvas.Frame3D(r, light, shadow, width); break;
    case TBevelCut::bvSpace: InflateRect(&r, -width, -width); break;
    case TBevelCut::bvNone: break;
    }
}

// ---------------------------------------------------------------- TCustomPanel

CX_IMPLEMENT_CLASS(TCustomPanel, TCustomControl, CX_ABSTRACT, {})

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    ControlStyle |= csAcceptsControls | csOpaque;
    color_ = clBtnFace;
    width_ = 185;
    height_ = 41;
}

void TCustomPanel::FrameChanged() {
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut v) {
    if (v == bevelOuter_) return;
    bevelOuter_ = v;
    FrameChanged();
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
    if (v == bevelInner_) return;
    bevelInner_ = v;
    FrameChanged();
}

void TCustomPanel::SetBevelWidth(int v) {
    v = std::max(1, v);
    if (v == bevelWidth_) return;
    bevelWidth_ = v;
    FrameChanged();
}

void TCustomPanel::SetBorderWidth(int v) {
    v = std::max(0, v);
    if (v == borderWidth_) return;
    borderWidth_ = v;
    FrameChanged();
}

void TCustomPanel::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}

int TCustomPanel::FrameWidth() const {
    int w = borderWidth_;
    if (bevelOuter_ != TBevelCut::bvNone) w += bevelWidth_;
    if (bevelInner_ != TBevelCut::bvNone) w += bevelWidth_;
    return w;
}

RECT TCustomPanel::AlignRect() {
    RECT r = ClientRect();
    int f = FrameWidth();
    InflateRect(&r, -f, -f);
    return r;
}

void TCustomPanel::Paint() {
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    c.Brush.SetColor(color_);
    c.FillRect(r);
    DrawBevelRing(c, r, bevelOuter_, bevelWidth_);
    c.Frame3D(r, color_, color_, borderWidth_);
    DrawBevelRing(c, r, bevelInner_, bevelWidth_);
    PaintCaption(r);
}

void TCustomPanel::PaintCaption(const RECT& r) {
    if (caption_.empty()) return;
    TCanvas& c = Canvas();
    HDC dc = c.Handle();
    SelectObject(dc, c.Font.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(enabled_ ? c.Font.Color() : clGrayText));
    RECT box = r;
    DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &box,
              AlignmentFlag(alignment_) | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
}

CX_IMPLEMENT_CLASS(TPanel, TCustomPanel, CX_CREATE(TPanel), {
    p.Enum("BevelOuter", kBevelCutNames, &TPanel::BevelOuter, &TPanel::SetBevelOuter,
           static_cast<int>(TBevelCut::bvRaised));
    p.Enum("BevelInner", kBevelCutNames, &TPanel::BevelInner, &TPanel::SetBevelInner,
           static_cast<int>(TBevelCut::bvNone));
    p.Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1);
    p.Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0);
    p.Enum("Alignment", kAlignmentNames, &TPanel::Alignment, &TPanel::SetAlignment,
           static_cast<int>(TAlignment::taCenter));
})

// ---------------------------------------------------------------- TToolPanel

CX_IMPLEMENT_CLASS(TToolPanel, TCustomPanel, CX_CREATE(TToolPanel), {
    p.Bool("Flat", &TToolPanel::Flat, &TToolPanel::SetFlat, true);
})

TToolPanel::TToolPanel(TComponent* owner) : TCustomPanel(owner) {
    align_ = TAlign::alTop;
    bevelOuter_ = TBevelCut::bvNone;
    height_ = 29;
}

void TToolPanel::SetFlat(bool v) {
    if (v == flat_) return;
    flat_ = v;
    FrameChanged();
}

RECT TToolPanel::AlignRect() {
    RECT r = TCustomPanel::AlignRect();
    if (flat_) r.top += 2;
    return r;
}

void TToolPanel::Paint() {
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    c.Brush.SetColor(color_);
    c.FillRect(r);
    if (flat_) {
        RECT line{r.left, r.top, r.right, r.top + 1};
        c.Brush.SetColor(clBtnShadow);
        c.FillRect(line);
        OffsetRect(&line, 0, 1);
        c.Brush.SetColor(clBtnHighlight);
        c.FillRect(line);
        r.top += 2;
    }
    DrawBevelRing(c, r, bevelOuter_, bevelWidth_);
    c.Frame3D(r, color_, color_, borderWidth_);
    DrawBevelRing(c, r, bevelInner_, bevelWidth_);
    PaintCaption(r);
}

// ---------------------------------------------------------------- TLabel

CX_IMPLEMENT_CLASS(TLabel, TGraphicControl, CX_CREATE(TLabel), {
    p.Enum("Alignment", kAlignmentNames, &TLabel::Alignment, &TLabel::SetAlignment, 0);
    p.Enum("Layout", kTextLayoutNames, &TLabel::Layout, &TLabel::SetLayout, 0);
    p.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true);
    p.Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false);
    p.Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false);
    p.Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true);
    p.Ref<TWinControl>("FocusControl", &TLabel::SetFocusControl);
})

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    ControlStyle &= ~static_cast<unsigned>(csCaptureMouse);
    ControlStyle |= csOpaque;
    width_ = 65;
    height_ = 17;
    parentColor_ = true;
}

void TLabel::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout v) {
    if (v == layout_) return;
    layout_ = v;
    Invalidate();
}

void TLabel::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    if (v) ControlStyle &= ~static_cast<unsigned>(csOpaque);
    else ControlStyle |= csOpaque;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool v) {
    if (v == showAccelChar_) return;
    showAccelChar_ = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetFocusControl(TWinControl* c) {
    focusControl_ = c;
    if (c) c->FreeNotification(this);
}

void TLabel::Notification(TComponent* c, TOperation op) {
    TGraphicControl::Notification(c, op);
    if (op == TOperation::opRemove && c == focusControl_) focusControl_ = nullptr;
}

bool TLabel::DialogChar(char ch) {
    if (!showAccelChar_ || !focusControl_ || !IsAccel(ch, caption_) || !focusControl_->CanFocus()) return false;
    focusControl_->SetFocus();
    return true;
}

UINT TLabel::TextFlags() const {
    UINT f = AlignmentFlag(alignment_) | DT_EXPANDTABS;
    if (wordWrap_) f |= DT_WORDBREAK;
    if (!showAccelChar_) f |= DT_NOPREFIX;
    return f;
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || Has(csReading) || Has(csLoading)) return;
    WindowDc dc(nullptr);
    SelectRestorer font(dc, font_.Handle());
    std::string text = caption_.empty() ? std::string(" ") : caption_;
    RECT r{0, 0, wordWrap_ ? width_ : 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
    int w = wordWrap_ ? width_ : static_cast<int>(r.right);
    int left = alignment_ == TAlignment::taRightJustify && !wordWrap_ ? left_ + width_ - w : left_;
    SetBounds(left, top_, w, r.bottom);
}

void TLabel::Paint() {
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    if (!transparent_) {
        c.Brush.SetColor(color_);
        c.FillRect(r);
    }
    if (caption_.empty()) return;
    HDC dc = c.Handle();
    SelectObject(dc, c.Font.Handle());
    SetBkMode(dc, TRANSPARENT);
    UINT flags = TextFlags();
    if (layout_ != TTextLayout::tlTop) {
        RECT calc = r;
        DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &calc, flags | DT_CALCRECT);
        int h = calc.bottom - calc.top;
        int free = (r.bottom - r.top) - h;
        r.top += layout_ == TTextLayout::tlCenter ? free / 2 : free;
        r.bottom = r.top + h;
    }
    auto draw = [&](RECT box, TColor color) {
        SetTextColor(dc, ColorToRGB(color));
        DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &box, flags);
    };
    if (enabled_) {
        draw(r, c.Font.Color());
    } else {
        RECT shifted = r;
        OffsetRect(&shifted, 1, 1);
        draw(shifted, clBtnHighlight);
        draw(r, clBtnShadow);
    }
}

// ---------------------------------------------------------------- TBevel

const EnumNames kBevelShapeNames = {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine",
                                    "bsSpacer"};
const EnumNames kBevelStyleNames = {"bsLowered", "bsRaised"};

CX_IMPLEMENT_CLASS(TBevel, TGraphicControl, CX_CREATE(TBevel), {
    p.Enum("Shape", kBevelShapeNames, &TBevel::Shape, &TBevel::SetShape, 0);
    p.Enum("Style", kBevelStyleNames, &TBevel::Style, &TBevel::SetStyle, 0);
})

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    ControlStyle &= ~static_cast<unsigned>(csCaptureMouse | csClickEvents);
    width_ = 50;
    height_ = 50;
    parentColor_ = true;
}

void TBevel::SetShape(TBevelShape v) {
    if (v == shape_) return;
    shape_ = v;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle v) {
    if (v == style_) return;
    style_ = v;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas& c = Canvas();
    // Lowered: the shadow first (top, left), the highlight beside it.
    TColor first = style_ == TBevelStyle::bsLowered ? clBtnShadow : clBtnHighlight;
    TColor second = style_ == TBevelStyle::bsLowered ? clBtnHighlight : clBtnShadow;
    int w = width_, h = height_;
    auto band = [&](TColor color, int l, int t, int r, int b) {
        RECT box{l, t, r, b};
        c.Brush.SetColor(color);
        c.FillRect(box);
    };
    switch (shape_) {
    case TBevelShape::bsBox: {
        RECT r = ClientRect();
        c.Frame3D(r, first, second, 1);
        break;
    }
    case TBevelShape::bsFrame: {
        RECT outer{0, 0, w - 1, h - 1};
        c.Brush.SetColor(first);
        c.FrameRect(outer);
        RECT inner{1, 1, w, h};
        c.Brush.SetColor(second);
        c.FrameRect(inner);
        break;
    }
    case TBevelShape::bsTopLine: band(first, 0, 0, w, 1); band(second, 0, 1, w, 2); break;
    case TBevelShape::bsBottomLine: band(first, 0, h - 2, w, h - 1); band(second, 0, h - 1, w, h); break;
    case TBevelShape::bsLeftLine: band(first, 0, 0, 1, h); band(second, 1, 0, 2, h); break;
    case TBevelShape::bsRightLine: band(first, w - 2, 0, w - 1, h); band(second, w - 1, 0, w, h); break;
    case TBevelShape::bsSpacer: break;
    }
}
