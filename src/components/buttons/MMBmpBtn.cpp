// The picture button's properties, state and mouse rules. Its painting is in
// MMBmpBtnPaint.cpp.
#include "buttons/MMBmpBtn.h"

#include <oleacc.h>

#include <algorithm>

#include "Forms.h"
#include "Menus.h"

const EnumNames kMMButtonStyleNames = {"bsRegular", "bsIndent", "bsLight", "bsDark",
                                       "bsMono", "bsExplorer", "bsHighLight", "bsNone"};
const EnumNames kTextAlignNames = {"ttaTopLeft", "ttaTop",        "ttaTopRight", "ttaRight", "ttaBottomRight",
                                   "ttaBottom",  "ttaBottomLeft", "ttaLeft",     "ttaCenter"};
const EnumNames kTransparentModeNames = {"tmAuto", "tmFixed"};

// ---------------------------------------------------------------- TMMGraphicControl

CX_IMPLEMENT_CLASS(TMMGraphicControl, TGraphicControl, CX_ABSTRACT, {
    p.Int("Tag2", [](TMMGraphicControl& c) { return c.Tag2; }, [](TMMGraphicControl& c, int v) { c.Tag2 = v; }, 0);
    p.Event("OnMouseEnter", &TMMGraphicControl::OnMouseEnter);
    p.Event("OnMouseExit", &TMMGraphicControl::OnMouseExit);
})

TMMGraphicControl::TMMGraphicControl(TComponent* owner) : TGraphicControl(owner) {}

TMMGraphicControl::~TMMGraphicControl() { *alive_ = false; }

void TMMGraphicControl::MouseEnter() {
    POINT p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    if (entered_ || p.x < 0 || p.y < 0 || p.x >= width_ || p.y >= height_) return;
    entered_ = true;
    DoMouseEnter();
}

void TMMGraphicControl::MouseLeave() {
    if (!entered_) return;
    entered_ = false;
    DoMouseLeave();
}

void TMMGraphicControl::DoMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TMMGraphicControl::DoMouseLeave() {
    if (OnMouseExit) OnMouseExit(this);
}

// ---------------------------------------------------------------- TMMCustomBitmapListControl

CX_IMPLEMENT_CLASS(TMMCustomBitmapListControl, TMMGraphicControl, CX_ABSTRACT, {})

TMMCustomBitmapListControl::TMMCustomBitmapListControl(TComponent* owner) : TMMGraphicControl(owner) {}

TMMCustomBitmapListControl::~TMMCustomBitmapListControl() {
    if (bitmapList_) bitmapList_->RemoveClient(this);
}

void TMMCustomBitmapListControl::SetBitmapList(TMMBitmapList* list) {
    if (list == bitmapList_) return;
    if (bitmapList_) bitmapList_->RemoveClient(this);
    bitmapList_ = list;
    if (list) list->AddClient(this);
    BitmapListChanged();
}

void TMMCustomBitmapListControl::SetBitmapIndex(int index) {
    if (index == bitmapIndex_) return;
    bitmapIndex_ = index;
    BitmapListChanged();
}

TBitmap* TMMCustomBitmapListControl::SourceBitmap() const {
    return bitmapList_ ? bitmapList_->Bitmaps(bitmapIndex_) : nullptr;
}

void TMMCustomBitmapListControl::Notification(TComponent* c, TOperation op) {
    TMMGraphicControl::Notification(c, op);
    if (op == TOperation::opRemove && c == bitmapList_) {
        bitmapList_ = nullptr;
        if (!Has(csDestroying)) BitmapListChanged();
    }
}

// ---------------------------------------------------------------- TMMBitmapButton

CX_IMPLEMENT_CLASS(TMMBitmapButton, TMMCustomBitmapListControl, CX_CREATE(TMMBitmapButton), {
    p.Enum("ButtonStyle", kMMButtonStyleNames, &TMMBitmapButton::ButtonStyle, &TMMBitmapButton::SetButtonStyle,
           static_cast<int>(TMMButtonStyle::bsExplorer));
    p.Bool("Down", &TMMBitmapButton::Down, &TMMBitmapButton::SetDown, false);
    p.Bool("Switch", &TMMBitmapButton::Switch, &TMMBitmapButton::SetSwitch, false);
    p.Bool("ShowPressed", &TMMBitmapButton::ShowPressed, &TMMBitmapButton::SetShowPressed, true);
    p.Int("DownIndentHoriz", &TMMBitmapButton::DownIndentHoriz, &TMMBitmapButton::SetDownIndentHoriz, 1);
    p.Int("DownIndentVert", &TMMBitmapButton::DownIndentVert, &TMMBitmapButton::SetDownIndentVert, 1);
    p.Bool("ShowDisabled", &TMMBitmapButton::ShowDisabled, &TMMBitmapButton::SetShowDisabled, true);
    p.Bool("AutoGray", &TMMBitmapButton::AutoGray, &TMMBitmapButton::SetAutoGray, true);
    p.Int("NumGlyphs", &TMMBitmapButton::NumGlyphs, &TMMBitmapButton::SetNumGlyphs, 1);
    p.Bool("AutoSize", &TMMBitmapButton::AutoSize, &TMMBitmapButton::SetAutoSize, false);
    p.Int("BorderWidth", &TMMBitmapButton::BorderWidth, &TMMBitmapButton::SetBorderWidth, 1);
    p.Int("Spacing", &TMMBitmapButton::Spacing, &TMMBitmapButton::SetSpacing, 2);
    p.Enum("TextAlign", kTextAlignNames, &TMMBitmapButton::TextAlign, &TMMBitmapButton::SetTextAlign,
           static_cast<int>(TTextAlign::ttaCenter));
    p.Bool("WordWrap", &TMMBitmapButton::WordWrap, &TMMBitmapButton::SetWordWrap, false);
    p.Bool("Transparent", &TMMBitmapButton::Transparent, &TMMBitmapButton::SetTransparent, true);
    p.Color("TransparentColor", &TMMBitmapButton::TransparentColor, &TMMBitmapButton::SetTransparentColor, clNone);
    // Always stored, after the colour: reading a colour fixes the mode.
    p.Enum("TransparentMode", kTransparentModeNames, &TMMBitmapButton::TransparentMode,
           &TMMBitmapButton::SetTransparentMode);
    p.Ref<TMMBitmapList>("BitmapList", &TMMBitmapButton::SetBitmapList);
    p.Int("BitmapIndex", &TMMBitmapButton::BitmapIndex, &TMMBitmapButton::SetBitmapIndex, -1);
    p.Bool("DoubleBuffer", &TMMBitmapButton::DoubleBuffer, &TMMBitmapButton::SetDoubleBuffer, false);
    p.Bool("AllowRightMouse", &TMMBitmapButton::AllowRightMouse, &TMMBitmapButton::SetAllowRightMouse, false);
    p.Event("OnGetGlyphIndex", &TMMBitmapButton::OnGetGlyphIndex);
    p.Int("TabOrder", [](TMMBitmapButton& c) { return c.TabOrder; }, [](TMMBitmapButton& c, int v) { c.TabOrder = v; });
    p.Bool("TabStop", [](TMMBitmapButton& c) { return c.TabStop; }, [](TMMBitmapButton& c, bool v) { c.TabStop = v; });
})

TMMBitmapButton::TMMBitmapButton(TComponent* owner) : TMMCustomBitmapListControl(owner) {
    // The button captures the mouse and clicks by its own rules.
    ControlStyle &= ~static_cast<unsigned>(csCaptureMouse | csClickEvents);
    width_ = 40;
    height_ = 40;
    color_ = clBtnFace;
    parentColor_ = true;
}

TMMBitmapButton::~TMMBitmapButton() {
    if (tracking_) SetMouseCapture(false);
}

void TMMBitmapButton::SetButtonStyle(TMMButtonStyle v) {
    if (v == style_) return;
    style_ = v;
    RebuildGlyphs();
}

void TMMBitmapButton::SetDown(bool v) {
    down_ = v;
    pressedInside_ = v;
    drawnDown_ = v;
    Redraw();
}

void TMMBitmapButton::SetShowPressed(bool v) { StoreAndInvalidate(showPressed_, v); }
void TMMBitmapButton::SetDownIndentHoriz(int v) { StoreAndInvalidate(downIndentHoriz_, std::max(0, v)); }
void TMMBitmapButton::SetDownIndentVert(int v) { StoreAndInvalidate(downIndentVert_, std::max(0, v)); }
void TMMBitmapButton::SetShowDisabled(bool v) { StoreAndInvalidate(showDisabled_, v); }
void TMMBitmapButton::SetBorderWidth(int v) { StoreAndInvalidate(borderWidth_, std::max(0, v)); }
void TMMBitmapButton::SetSpacing(int v) { StoreAndInvalidate(spacing_, v); }
void TMMBitmapButton::SetTextAlign(TTextAlign v) { StoreAndInvalidate(textAlign_, v); }
void TMMBitmapButton::SetWordWrap(bool v) { StoreAndInvalidate(wordWrap_, v); }

void TMMBitmapButton::SetAutoGray(bool v) {
    if (v == autoGray_) return;
    autoGray_ = v;
    RebuildGlyphs();
}

void TMMBitmapButton::SetNumGlyphs(int v) {
    v = std::max(1, v);
    if (v == numGlyphs_) return;
    numGlyphs_ = v;
    RebuildGlyphs();
}

void TMMBitmapButton::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    RebuildGlyphs();
}

void TMMBitmapButton::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    if (v) ControlStyle &= ~static_cast<unsigned>(csOpaque);
    else ControlStyle |= csOpaque;
    Invalidate();
}

void TMMBitmapButton::SetTransparentColor(TColor v) {
    if (v == transparentColor_ && transparentMode_ == TTransparentMode::tmFixed) return;
    transparentColor_ = v;
    transparentMode_ = TTransparentMode::tmFixed;
    RebuildGlyphs();
}

void TMMBitmapButton::SetTransparentMode(TTransparentMode v) {
    if (v == transparentMode_) return;
    transparentMode_ = v;
    RebuildGlyphs();
}

void TMMBitmapButton::SetDoubleBuffer(bool v) {
    if (v == doubleBuffer_) return;
    doubleBuffer_ = v;
    UpdateBuffer();
    Invalidate();
}

void TMMBitmapButton::UpdateBuffer() {
    if (!doubleBuffer_) {
        buffer_.reset();
        return;
    }
    // Not while the layout is read: Loaded makes it.
    if (Has(csLoading) || Has(csDesigning)) return;
    if (!buffer_) buffer_ = std::make_unique<TBitmap>();
    buffer_->SetSize(width_, height_ * 2);
}

void TMMBitmapButton::BoundsChanged() {
    TMMCustomBitmapListControl::BoundsChanged();
    if (buffer_) UpdateBuffer();
}

void TMMBitmapButton::Loaded() {
    TMMCustomBitmapListControl::Loaded();
    UpdateBuffer();
    RebuildGlyphs();
}

void TMMBitmapButton::EnabledChanged() {
    if (!enabled_) {
        if (tracking_) SetMouseCapture(false);
        tracking_ = pressedInside_ = drawnDown_ = hot_ = false;
    } else {
        // A latched button comes back down.
        pressedInside_ = drawnDown_ = down_;
    }
    Invalidate();
}

// ---------------------------------------------------------------- mouse

void TMMBitmapButton::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    if (!PressButton(b)) {
        TMMCustomBitmapListControl::MouseDown(b, s, x, y);
        return;
    }
    // A capture taken away (a modal window, another program) ends the tracking.
    if (tracking_ && !MouseCapture()) tracking_ = pressedInside_ = false;
    if (enabled_ && !tracking_) {
        SetMouseCapture(true);
        tracking_ = true;
        trackButton_ = b;
        if (Inside(x, y)) {
            pressedInside_ = true;
            drawnDown_ = true;
            Redraw();
        }
    }
    std::shared_ptr<bool> alive = alive_;
    TMMCustomBitmapListControl::MouseDown(b, s, x, y);
    if (!*alive) return;
    if (tracking_ && popupMenu_ && popupMenu_->AutoPopup) ShowPopup(b, s);
}

void TMMBitmapButton::ShowPopup(TMouseButton b, TShiftState s) {
    std::shared_ptr<bool> alive = alive_;
    POINT at = ClientToScreen(POINT{0, height_});
    popupMenu_->PopupComponent = this;
    popupMenu_->Popup(at.x, at.y + 2);
    if (!*alive) return;
    // The presses and moves made while the menu was up are not the button's.
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageA(&m, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
    }
    // The menu took the press: the release happens outside, so no click.
    Release(b, s, -1, -1);
}

void TMMBitmapButton::MouseMove(TShiftState s, int x, int y) {
    std::shared_ptr<bool> alive = alive_;
    TMMCustomBitmapListControl::MouseMove(s, x, y);
    if (!*alive) return;
    if (pressedInside_ && !down_) {
        bool in = Inside(x, y);
        if (in != drawnDown_) {
            drawnDown_ = in;
            Redraw();
        }
    }
}

void TMMBitmapButton::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
    if (!PressButton(b)) {
        TMMCustomBitmapListControl::MouseUp(b, s, x, y);
        return;
    }
    Release(b, s, x, y);
}

void TMMBitmapButton::MouseMessage(UINT msg, WPARAM wp, POINT pt) {
    // The release may free the button (its click handler closes things):
    // nothing may touch it afterwards.
    if (msg == WM_LBUTTONUP) {
        MouseUp(TMouseButton::mbLeft, ShiftFromKeys(wp), pt.x, pt.y);
        return;
    }
    TMMCustomBitmapListControl::MouseMessage(msg, wp, pt);
}

void TMMBitmapButton::Release(TMouseButton b, TShiftState s, int x, int y) {
    // Only a release that ends this button's own press clicks it.
    bool click = false;
    if (enabled_ && tracking_ && b == trackButton_) {
        tracking_ = false;
        pressedInside_ = false;
        if (!down_) drawnDown_ = false;
        hot_ = Inside(x, y);
        if (switch_ && hot_) SetDown(!down_);
        else Redraw();
        click = hot_;
    }
    std::shared_ptr<bool> alive = alive_;
    TMMCustomBitmapListControl::MouseUp(b, s, x, y);
    if (!*alive) return;
    if (!tracking_) SetMouseCapture(false);
    if (click) Click();
}

void TMMBitmapButton::DoMouseEnter() {
    if (enabled_ && !down_) {
        hot_ = true;
        if (ExplorerLike()) Redraw();
    }
    TMMCustomBitmapListControl::DoMouseEnter();
}

void TMMBitmapButton::DoMouseLeave() {
    if (enabled_ && !down_) {
        hot_ = false;
        if (ExplorerLike()) Redraw();
    }
    TMMCustomBitmapListControl::DoMouseLeave();
}

bool TMMBitmapButton::KeyboardPress(WORD key) {
    if (!enabled_ || (key != VK_RETURN && key != VK_SPACE)) return false;
    Click();
    return true;
}

std::string TMMBitmapButton::GetAccessibleName() const {
    if (!AccessibleName.empty()) return AccessibleName;
    // A caption that is a sign ("+", "-") says less than the hint.
    std::string caption = StripHotkey(caption_);
    bool words = std::any_of(caption.begin(), caption.end(), [](char ch) { return IsCharAlphaNumericA(ch); });
    std::string hint = GetShortHint(hint_);
    return words || hint.empty() ? caption : hint;
}

long TMMBitmapButton::AccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }

bool TMMBitmapButton::DialogChar(char ch) {
    if (!enabled_ || !IsAccel(ch, caption_)) return false;
    Click();
    return true;
}

// ---------------------------------------------------------------- redraw

void TMMBitmapButton::Redraw() {
    if (!parent_ || !parent_->WindowHandle() || !Showing() || width_ <= 0 || height_ <= 0) return;
    if (!buffer_ && transparent_) {
        // What lies under a see-through button must come back first: the
        // parent repaints the button's place, then the button on top.
        Invalidate();
        Update();
        return;
    }
    WindowDc dc(parent_->WindowHandle());
    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, left_, top_, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    if (buffer_ && !buffer_->Empty()) Compose(dc);
    else TMMCustomBitmapListControl::PaintControl(dc);
    RestoreDC(dc, saved);
}

void TMMBitmapButton::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi) return;
    spacing_ = ScaleDpi(spacing_, newDpi, oldDpi);
    TMMCustomBitmapListControl::ChangeScale(newDpi, oldDpi);
    RebuildGlyphs();
}
