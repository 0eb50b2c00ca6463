#include "buttons/MMObj.h"

#include <algorithm>

// ---------------------------------------------------------------- TMMObject

CX_IMPLEMENT_CLASS(TMMObject, TPersistent, CX_ABSTRACT, {})

void TMMObject::BeginUpdate() {
    if (updateCount_++ == 0 && OnChanging) OnChanging(this);
}

void TMMObject::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0 && OnChanged) OnChanged(this);
}

void TMMObject::Changed() {
    if (updateCount_ == 0 && OnChanged) OnChanged(this);
}

// ---------------------------------------------------------------- TMMBevel

namespace {
template <int I>
void ColorProp(Props<TMMBevel>& p, const char* name, TColor def) {
    p.Color(
        name, [](TMMBevel& b) { return b.GetColor(I); }, [](TMMBevel& b, TColor c) { b.SetColor(I, c); }, def);
}
}  // namespace

CX_IMPLEMENT_CLASS(TMMBevel, TMMObject, CX_ABSTRACT, {
    p.Enum("BevelInner", kBevelCutNames, &TMMBevel::BevelInner, &TMMBevel::SetBevelInner,
           static_cast<int>(TBevelCut::bvNone));
    p.Enum("BevelOuter", kBevelCutNames, &TMMBevel::BevelOuter, &TMMBevel::SetBevelOuter,
           static_cast<int>(TBevelCut::bvLowered));
    p.Int("BevelInnerWidth", &TMMBevel::BevelInnerWidth, &TMMBevel::SetBevelInnerWidth, 1);
    p.Int("BevelOuterWidth", &TMMBevel::BevelOuterWidth, &TMMBevel::SetBevelOuterWidth, 1);
    p.Enum("BorderStyle", kSingleBorderStyleNames, &TMMBevel::BorderStyle, &TMMBevel::SetBorderStyle,
           static_cast<int>(TBorderStyle::bsNone));
    p.Int("BorderWidth", &TMMBevel::BorderWidth, &TMMBevel::SetBorderWidth, 0);
    p.Int("BorderSpace", &TMMBevel::BorderSpace, &TMMBevel::SetBorderSpace, 0);
    ColorProp<TMMBevel::ciBorder>(p, "BorderColor", clBtnFace);
    ColorProp<TMMBevel::ciBorderSpace>(p, "BorderSpaceColor", clBlack);
    ColorProp<TMMBevel::ciInnerLight>(p, "InnerLightColor", clBtnHighlight);
    ColorProp<TMMBevel::ciInnerShadow>(p, "InnerShadowColor", clBtnShadow);
    ColorProp<TMMBevel::ciOuterLight>(p, "OuterLightColor", clBtnHighlight);
    ColorProp<TMMBevel::ciOuterShadow>(p, "OuterShadowColor", clBtnShadow);
})

TMMBevel::TMMBevel()
    : colors_{clBtnFace, clBlack, clBtnHighlight, clBtnShadow, clBtnHighlight, clBtnShadow} {}

void TMMBevel::SetBevelInner(TBevelCut v) { Store(bevelInner_, v); }
void TMMBevel::SetBevelOuter(TBevelCut v) { Store(bevelOuter_, v); }
void TMMBevel::SetBevelInnerWidth(int v) { Store(bevelInnerWidth_, std::max(1, v)); }
void TMMBevel::SetBevelOuterWidth(int v) { Store(bevelOuterWidth_, std::max(1, v)); }
void TMMBevel::SetBorderStyle(TBorderStyle v) { Store(borderStyle_, v); }
void TMMBevel::SetBorderWidth(int v) { Store(borderWidth_, std::max(0, v)); }
void TMMBevel::SetBorderSpace(int v) { Store(borderSpace_, std::max(0, v)); }

void TMMBevel::SetColor(int index, TColor v) {
    if (index < 0 || index >= ciCount) throw EInvalidOperation("Bevel colour index out of range");
    Store(colors_[index], v);
}

int TMMBevel::TotalWidth() const {
    int w = borderWidth_ + borderSpace_;
    if (bevelOuter_ != TBevelCut::bvNone) w += bevelOuterWidth_;
    if (bevelInner_ != TBevelCut::bvNone) w += bevelInnerWidth_;
    if (borderStyle_ != TBorderStyle::bsNone) w += 1;
    return w;
}

namespace {
// A bevel ring as the bevel draws it: bvSpace takes no room in the drawing.
void Ring(TCanvas& c, RECT& r, TBevelCut cut, int width, TColor light, TColor shadow) {
    if (cut == TBevelCut::bvLowered || cut == TBevelCut::bvRaised) DrawBevelRing(c, r, cut, width, light, shadow);
}
}  // namespace

RECT TMMBevel::Paint(TCanvas& canvas, RECT r, bool drawBorder) const {
    if (borderStyle_ == TBorderStyle::bsSingle) canvas.Frame3D(r, clWindowFrame, clWindowFrame, 1);
    Ring(canvas, r, bevelOuter_, bevelOuterWidth_, OuterLightColor(), OuterShadowColor());
    if (drawBorder) canvas.Frame3D(r, BorderColor(), BorderColor(), borderWidth_);
    else InflateRect(&r, -borderWidth_, -borderWidth_);
    Ring(canvas, r, bevelInner_, bevelInnerWidth_, InnerLightColor(), InnerShadowColor());
    if (borderSpace_ > 0) canvas.Frame3D(r, BorderSpaceColor(), BorderSpaceColor(), borderSpace_);
    return r;
}

void TMMBevel::Assign(TPersistent* source) {
    auto* b = dynamic_cast<TMMBevel*>(source);
    if (!b) {
        TMMObject::Assign(source);
        return;
    }
    // One changed notification at the end, even if a setter throws.
    struct Bracket {
        TMMBevel& self;
        explicit Bracket(TMMBevel& s) : self(s) { self.BeginUpdate(); }
        ~Bracket() { self.EndUpdate(); }
    } bracket(*this);
    SetBevelInner(b->bevelInner_);
    SetBevelOuter(b->bevelOuter_);
    SetBevelInnerWidth(b->bevelInnerWidth_);
    SetBevelOuterWidth(b->bevelOuterWidth_);
    SetBorderStyle(b->borderStyle_);
    SetBorderWidth(b->borderWidth_);
    SetBorderSpace(b->borderSpace_);
    SetColor(ciBorder, b->BorderColor());
    SetColor(ciBorderSpace, b->BorderSpaceColor());
    SetColor(ciOuterLight, b->OuterLightColor());
    SetColor(ciOuterShadow, b->OuterShadowColor());
    SetColor(ciInnerLight, b->InnerLightColor());
    SetColor(ciInnerShadow, b->InnerShadowColor());
}
