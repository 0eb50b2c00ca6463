#include "Buttons.h"

#include <algorithm>

const EnumNames kButtonLayoutNames = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};

CX_IMPLEMENT_CLASS(TSpeedButton, TGraphicControl, CX_CREATE(TSpeedButton), {
    p.Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0);
    p.Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false);
    p.Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false);
    p.Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false);
    p.Object("Glyph", [](TSpeedButton& b) -> TPersistent* { return b.GlyphPicture(); });
    p.Int("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1);
    p.Enum("Layout", kButtonLayoutNames, &TSpeedButton::Layout, &TSpeedButton::SetLayout, 0);
    p.Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, -1);
    p.Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, 4);
})

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TPicture>()) {
    width_ = 23;
    height_ = 22;
    parentColor_ = true;
    color_ = clBtnFace;
    ControlStyle &= ~static_cast<unsigned>(csDoubleClicks);
    glyph_->OnChange = [this](TObject*) { GlyphChanged(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetDown(bool v) {
    if (Has(csReading)) {
        // The group index may come later in the layout: settled in Loaded.
        down_ = v;
        return;
    }
    if (groupIndex_ == 0) v = false;
    if (v == down_) return;
    // The last button down of a group stays down unless the group allows all up.
    if (down_ && !allowAllUp_) return;
    down_ = v;
    if (v) UpdateExclusive();
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int v) {
    if (v == groupIndex_) return;
    groupIndex_ = v;
    if (!Has(csReading)) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
    if (v == allowAllUp_) return;
    allowAllUp_ = v;
    if (!Has(csReading)) UpdateExclusive();
}

void TSpeedButton::Loaded() {
    TGraphicControl::Loaded();
    if (groupIndex_ == 0) down_ = false;
    UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !parent_) return;
    for (int k = 0; k < parent_->ControlCount(); ++k) {
        auto* b = dynamic_cast<TSpeedButton*>(parent_->Controls(k));
        if (!b || b == this || b->groupIndex_ != groupIndex_) continue;
        b->allowAllUp_ = allowAllUp_;
        if (down_ && b->down_) {
            b->down_ = false;
            b->Invalidate();
        }
    }
}

void TSpeedButton::SetFlat(bool v) {
    if (v == flat_) return;
    flat_ = v;
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int v) {
    v = std::clamp(v, 1, 4);
    if (v == numGlyphs_) return;
    numGlyphs_ = v;
    GlyphChanged();
}

void TSpeedButton::SetLayout(TButtonLayout v) {
    if (v == layout_) return;
    layout_ = v;
    Invalidate();
}

void TSpeedButton::SetMargin(int v) {
    if (v == margin_) return;
    margin_ = std::max(-1, v);
    Invalidate();
}

void TSpeedButton::SetSpacing(int v) {
    if (v == spacing_) return;
    spacing_ = v;
    Invalidate();
}

void TSpeedButton::GlyphChanged() {
    parts_.clear();
    disabledGlyph_.reset();
    Invalidate();
}

void TSpeedButton::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi || newDpi <= 0 || oldDpi <= 0) return;
    TBitmap* glyph = glyph_->Graphic() ? Glyph() : nullptr;
    if (glyph && !glyph->Empty()) {
        const int parts = std::max(1, numGlyphs_);
        const int w = ScaleDpi(glyph->Width() / parts, newDpi, oldDpi) * parts;
        const int h = ScaleDpi(glyph->Height(), newDpi, oldDpi);
        TBitmap scaled;
        ScaleBitmap(*glyph, scaled, w, h, glyph->TransparentColor(), parts);
        SetGlyph(&scaled);
    }
    if (margin_ > 0) margin_ = ScaleDpi(margin_, newDpi, oldDpi);
    spacing_ = ScaleDpi(spacing_, newDpi, oldDpi);
    TGraphicControl::ChangeScale(newDpi, oldDpi);
}

TSpeedButton::State TSpeedButton::CurrentState() const {
    if (!enabled_) return State::Disabled;
    if (pressed_) return State::Pressed;
    if (down_) return State::Down;
    return State::Up;
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    if (b == TMouseButton::mbLeft && enabled_) {
        dragging_ = true;
        pressed_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(b, s, x, y);
}

void TSpeedButton::MouseMove(TShiftState s, int x, int y) {
    if (dragging_) {
        RECT r = ClientRect();
        bool inside = PtInRect(&r, POINT{x, y}) != 0;
        if (inside != pressed_) {
            pressed_ = inside;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(s, x, y);
}

void TSpeedButton::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
    if (b == TMouseButton::mbLeft && dragging_) {
        dragging_ = false;
        pressed_ = false;
        RECT r = ClientRect();
        // The click itself follows from the framework's mouse handling.
        if (groupIndex_ != 0 && PtInRect(&r, POINT{x, y})) SetDown(!down_);
        Invalidate();
    }
    TGraphicControl::MouseUp(b, s, x, y);
}

void TSpeedButton::MouseEnter() {
    mouseIn_ = true;
    if (flat_ && enabled_) Invalidate();
}

void TSpeedButton::MouseLeave() {
    mouseIn_ = false;
    if (flat_ && enabled_) Invalidate();
}

void TSpeedButton::EnabledChanged() {
    if (!enabled_) pressed_ = dragging_ = false;
    Invalidate();
}

// ---------------------------------------------------------------- painting

TBitmap* TSpeedButton::GlyphFor(State s) {
    auto* g = dynamic_cast<TBitmap*>(glyph_->Graphic());
    if (!g || g->Empty() || g->Width() < numGlyphs_) return nullptr;
    int w = g->Width() / numGlyphs_, h = g->Height();
    TColor see = g->TransparentColor();
    if (parts_.empty()) {
        for (int k = 0; k < numGlyphs_; ++k) {
            auto part = std::make_unique<TBitmap>();
            part->SetSize(w, h);
            BitBlt(part->Canvas().Handle(), 0, 0, w, h, g->Canvas().Handle(), k * w, 0, SRCCOPY);
            part->SetTransparentColor(see);
            part->SetTransparent(true);
            parts_.push_back(std::move(part));
        }
    }
    int index = s == State::Disabled ? 1 : s == State::Pressed ? 2 : s == State::Down ? 3 : 0;
    if (index < numGlyphs_) return parts_[static_cast<std::size_t>(index)].get();
    if (s != State::Disabled) return parts_[0].get();
    if (!disabledGlyph_) {
        // Embossed from the first picture: its darker pixels in the shadow
        // colour over the same shape in the highlight colour, one pixel off.
        TBitmap& src = *parts_[0];
        const TColor key = 0x00030201;
        auto out = std::make_unique<TBitmap>();
        out->SetSize(w, h);
        TCanvas& c = out->Canvas();
        c.Brush.SetColor(key);
        RECT all{0, 0, w, h};
        c.FillRect(all);
        std::vector<POINT> dark;
        COLORREF seeRgb = ColorToRGB(see);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                COLORREF p = src.Canvas().Pixel(x, y);
                if (p == seeRgb) continue;
                int lum = (GetRValue(p) * 30 + GetGValue(p) * 59 + GetBValue(p) * 11) / 100;
                if (lum < 192) dark.push_back({x, y});
            }
        for (POINT p : dark)
            if (p.x + 1 < w && p.y + 1 < h) c.SetPixel(p.x + 1, p.y + 1, clBtnHighlight);
        for (POINT p : dark) c.SetPixel(p.x, p.y, clBtnShadow);
        out->SetTransparentColor(key);
        out->SetTransparent(true);
        disabledGlyph_ = std::move(out);
    }
    return disabledGlyph_.get();
}

void TSpeedButton::DrawFace(const RECT& client, State s) {
    TCanvas& c = Canvas();
    HDC dc = c.Handle();
    RECT r = client;
    bool sunk = s == State::Pressed || s == State::Down;
    if (!flat_) {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (sunk ? DFCS_PUSHED : 0));
        InflateRect(&r, -2, -2);
    } else {
        c.Brush.SetColor(color_);
        c.FillRect(r);
        if (sunk) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        else if (mouseIn_ && enabled_) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        InflateRect(&r, -1, -1);
    }
    if (s == State::Down && !(flat_ && mouseIn_)) {
        // A button that stays down shows a checked face.
        static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        UniqueBitmap bits(CreateBitmap(8, 8, 1, 1, pattern));
        UniqueBrush brush(CreatePatternBrush(bits.Get()));
        COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
        COLORREF oldBk = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        FillRect(dc, &r, brush.Get());
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBk);
    }
}

void TSpeedButton::DrawContent(RECT r, State s) {
    TCanvas& c = Canvas();
    HDC dc = c.Handle();
    if (s == State::Pressed || s == State::Down) OffsetRect(&r, 1, 1);
    TBitmap* g = GlyphFor(s);
    int gw = g ? g->Width() : 0, gh = g ? g->Height() : 0;
    SelectObject(dc, c.Font.Handle());
    RECT text{0, 0, 0, 0};
    if (!caption_.empty()) DrawTextA(dc, caption_.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
    int tw = text.right, th = text.bottom;
    int gap = (g && tw > 0) ? spacing_ : 0;
    int w = r.right - r.left, h = r.bottom - r.top;
    POINT gp{}, tp{};
    bool across = layout_ == TButtonLayout::blGlyphLeft || layout_ == TButtonLayout::blGlyphRight;
    if (across) {
        int total = gw + gap + tw;
        int start = margin_ < 0 ? (w - total) / 2 : margin_;
        bool glyphFirst = layout_ == TButtonLayout::blGlyphLeft;
        if (margin_ >= 0 && !glyphFirst) start = w - margin_ - total;
        gp = {glyphFirst ? start : start + tw + gap, (h - gh) / 2};
        tp = {glyphFirst ? start + gw + gap : start, (h - th) / 2};
    } else {
        int total = gh + gap + th;
        int start = margin_ < 0 ? (h - total) / 2 : margin_;
        bool glyphFirst = layout_ == TButtonLayout::blGlyphTop;
        if (margin_ >= 0 && !glyphFirst) start = h - margin_ - total;
        gp = {(w - gw) / 2, glyphFirst ? start : start + th + gap};
        tp = {(w - tw) / 2, glyphFirst ? start + gh + gap : start};
    }
    if (g) c.Draw(r.left + gp.x, r.top + gp.y, g);
    if (tw > 0) {
        SelectObject(dc, c.Font.Handle());
        SetBkMode(dc, TRANSPARENT);
        RECT box{r.left + tp.x, r.top + tp.y, r.left + tp.x + tw, r.top + tp.y + th};
        if (s == State::Disabled) {
            RECT lit = box;
            OffsetRect(&lit, 1, 1);
            SetTextColor(dc, ColorToRGB(clBtnHighlight));
            DrawTextA(dc, caption_.c_str(), -1, &lit, DT_SINGLELINE);
            SetTextColor(dc, ColorToRGB(clBtnShadow));
        } else {
            SetTextColor(dc, ColorToRGB(c.Font.Color()));
        }
        DrawTextA(dc, caption_.c_str(), -1, &box, DT_SINGLELINE);
    }
}

void TSpeedButton::Paint() {
    RECT r = ClientRect();
    State s = CurrentState();
    DrawFace(r, s);
    DrawContent(r, s);
}
