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
