#include "Controls.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <unordered_map>

#include "Accessible.h"
#include "Forms.h"
#include "Menus.h"

const EnumNames kAlignNames = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};

TShiftState KeyboardShift() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState ShiftFromKeys(WPARAM keys) {
    TShiftState s = KeyboardShift();
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    return s;
}

HCURSOR CursorHandle(TCursor c) {
    LPCSTR id = IDC_ARROW;
    switch (c) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: case crNoDrop: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
    }
    return LoadCursorA(nullptr, id);
}

std::string GetShortHint(const std::string& hint) {
    auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint) {
    auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::string StripHotkey(const std::string& s) {
    std::string out;
    for (std::size_t k = 0; k < s.size(); ++k) {
        if (s[k] == '&') {
            if (k + 1 < s.size() && s[k + 1] == '&') out += '&';
            if (k + 1 < s.size()) ++k, out += (s[k] == '&' ? "" : std::string(1, s[k]));
            continue;
        }
        out += s[k];
    }
    return out;
}

char HotkeyChar(const std::string& s) {
    for (std::size_t k = 0; k + 1 < s.size(); ++k) {
        if (s[k] != '&') continue;
        if (s[k + 1] == '&') {
            ++k;
            continue;
        }
        return s[k + 1];
    }
    return 0;
}

bool IsAccel(char ch, const std::string& caption) {
    char h = HotkeyChar(caption);
    return h && CharUpperA(reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(static_cast<unsigned char>(h)))) ==
                    CharUpperA(reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(static_cast<unsigned char>(ch))));
}

// ---------------------------------------------------------------- TControl

namespace {
// The stored names of the cursors, by number: the name at k is cursor -k.
const EnumNames kCursorNames = {"crDefault", "crNone", "crArrow", "crCross", "crIBeam", "crSize",
                                "crSizeNESW", "crSizeNS", "crSizeNWSE", "crSizeWE", "crUpArrow",
                                "crHourGlass", "crDrag", "crNoDrop", "crHSplit", "crVSplit",
                                "crMultiDrag", "crSQLWait", "crNo", "crAppStart", "crHelp",
                                "crHandPoint", "crSizeAll"};
}  // namespace

CX_IMPLEMENT_CLASS(TControl, TComponent, CX_ABSTRACT, {
    p.Int("Left", &TControl::Left, &TControl::SetLeft);
    p.Int("Top", &TControl::Top, &TControl::SetTop);
    p.Int("Width", &TControl::Width, &TControl::SetWidth);
    p.Int("Height", &TControl::Height, &TControl::SetHeight);
    p.Enum("Align", kAlignNames, &TControl::Align, &TControl::SetAlign, 0);
    p.Bool("Visible", &TControl::Visible, &TControl::SetVisible, true);
    p.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true);
    p.Str("Caption", &TControl::Caption, &TControl::SetCaption, std::string());
    p.Str("Hint", &TControl::Hint, &TControl::SetHint, std::string());
    p.Str("AccessibleName", &TControl::StoredAccessibleName, &TControl::SetAccessibleName, std::string());
    // A hint setting of its own is stored; one taken from the parent is not.
    p.BoolIf("ShowHint", &TControl::ShowHint, &TControl::SetShowHint,
             [](TControl& c) { return !c.ParentShowHint(); });
    p.Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true);
    p.Custom("Cursor", [](TControl& c, TReader& r) {
        c.SetCursor(-r.ReadEnum(kCursorNames));
    });
    p.Custom("DragCursor", [](TControl& c, TReader& r) {
        c.DragCursor = -r.ReadEnum(kCursorNames);
    });
    p.Object("Font", [](TControl& c) -> TPersistent* { return c.Font(); });
    p.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
    p.Color("Color", &TControl::Color, &TControl::SetColor);
    p.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
    p.Ref<TPopupMenu>("PopupMenu", &TControl::SetPopupMenu);
    p.Event("OnClick", &TControl::OnClick);
    p.Event("OnDblClick", &TControl::OnDblClick);
    p.Event("OnResize", &TControl::OnResize);
    p.Event("OnMouseDown", &TControl::OnMouseDown);
    p.Event("OnMouseUp", &TControl::OnMouseUp);
    p.Event("OnMouseMove", &TControl::OnMouseMove);
})

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this](TObject*) {
        if (!settingFont_) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    if (Application) Application->ControlDestroyed(this);
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* p) {
    if (p == parent_) return;
    if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (p) p->InsertControl(this);
}

void TControl::SetBounds(int l, int t, int w, int h) {
    if (l == left_ && t == top_ && w == width_ && h == height_) return;
    Invalidate();
    left_ = l;
    top_ = t;
    width_ = w;
    height_ = h;
    Invalidate();
    BoundsChanged();
    RequestAlign();
    if (OnResize) OnResize(this);
}

POINT TControl::ClientOriginInWindow() const {
    POINT p{left_, top_};
    if (parent_) {
        POINT q = parent_->ClientOriginInWindow();
        if (dynamic_cast<const TWinControl*>(this) == nullptr) {
            p.x += q.x;
            p.y += q.y;
        }
    }
    return p;
}

POINT TControl::ClientToScreen(POINT p) const {
    if (auto* w = dynamic_cast<const TWinControl*>(this)) {
        if (w->WindowHandle()) {
            ::ClientToScreen(w->WindowHandle(), &p);
            return p;
        }
    }
    if (parent_) {
        p.x += left_;
        p.y += top_;
        return parent_->ClientToScreen(p);
    }
    return p;
}

POINT TControl::ScreenToClient(POINT p) const {
    POINT o = ClientToScreen(POINT{0, 0});
    return {p.x - o.x, p.y - o.y};
}

void TControl::SetAlign(TAlign a) {
    if (a == align_) return;
    align_ = a;
    RequestAlign();
}

void TControl::RequestAlign() {
    if (parent_ && !Has(csReading)) parent_->Realign();
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    if (!v) Invalidate();
    visible_ = v;
    VisibleChanged();
    if (v) Invalidate();
    if (align_ != TAlign::alNone) RequestAlign();
}

void TControl::VisibleChanged() {}

bool TControl::Showing() const {
    if (!visible_) return false;
    if (auto* w = dynamic_cast<const TWinControl*>(this))
        if (w->WindowHandle()) return IsWindowVisible(w->WindowHandle()) != 0;
    return parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    EnabledChanged();
}

void TControl::SetCaption(const std::string& s) {
    if (s == caption_) return;
    caption_ = s;
    TextChanged();
}

void TControl::SetShowHint(bool v) {
    showHint_ = v;
    parentShowHint_ = false;
}

void TControl::SetParentShowHint(bool v) {
    if (v == parentShowHint_) return;
    parentShowHint_ = v;
    if (v && parent_) showHint_ = parent_->ShowHint();
}

bool TControl::EffectiveShowHint() const {
    if (parentShowHint_ && parent_) return parent_->EffectiveShowHint();
    return showHint_;
}

void TControl::ParentShowHintChanged() {
    if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
}

void TControl::SetPopupMenu(TPopupMenu* m) {
    popupMenu_ = m;
    if (m) m->FreeNotification(this);
}

void TControl::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetParentFont(bool v) {
    if (v == parentFont_) return;
    parentFont_ = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (parentFont_ && parent_) {
        settingFont_ = true;
        font_.Assign(parent_->Font());
        settingFont_ = false;
    }
}

void TControl::FontChanged() { Invalidate(); }

void TControl::ScaleFont(int newDpi, int oldDpi) {
    font_.PixelsPerInch = ScaleDpi(font_.PixelsPerInch, newDpi, oldDpi);
    // A font taken from the parent follows the parent's.
    if (parentFont_ && parent_) return;
    settingFont_ = true;
    // A raster face keeps to its few bitmap sizes: above 96 DPI the
    // platform's scalable interface face takes its place.
    if (newDpi > kLayoutDpi && IsRasterFace(font_.Name())) font_.SetName(kScalableUiFace);
    font_.SetHeight(ScaleDpi(font_.Height(), newDpi, oldDpi));
    settingFont_ = false;
}

void TControl::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi || newDpi <= 0 || oldDpi <= 0) return;
    // The edges scale, not the sizes: controls that met keep meeting.
    int l = ScaleDpi(left_, newDpi, oldDpi), t = ScaleDpi(top_, newDpi, oldDpi);
    int r = ScaleDpi(left_ + width_, newDpi, oldDpi), b = ScaleDpi(top_ + height_, newDpi, oldDpi);
    SetBounds(l, t, r - l, b - t);
    ScaleFont(newDpi, oldDpi);
}

void TControl::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    parentColor_ = false;
    ColorChanged();
}

void TControl::SetParentColor(bool v) {
    if (v == parentColor_) return;
    parentColor_ = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (parentColor_ && parent_) {
        color_ = parent_->Color();
        ColorChanged();
    }
}

void TControl::Invalidate() {
    if (!parent_ || !parent_->WindowHandle() || !visible_) return;
    RECT r = BoundsRect();
    InvalidateRect(parent_->WindowHandle(), &r, !HasStyle(csOpaque));
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!parent_) return;
    TWinControl* p = parent_;
    p->RemoveControl(this);
    p->InsertControl(this);
    Invalidate();
}

void TControl::SendToBack() {
    if (!parent_) return;
    // Re-insert everything else after this control.
    TWinControl* p = parent_;
    std::vector<TControl*> others;
    for (int k = 0; k < p->ControlCount(); ++k)
        if (p->Controls(k) != this) others.push_back(p->Controls(k));
    for (TControl* c : others) {
        p->RemoveControl(c);
        p->InsertControl(c);
    }
    Invalidate();
}

bool TControl::MouseCapture() const {
    if (auto* w = dynamic_cast<const TWinControl*>(this)) return w->WindowHandle() && GetCapture() == w->WindowHandle();
    return parent_ && parent_->CaptureControl() == this;
}

void TControl::SetMouseCapture(bool v) {
    if (MouseCapture() == v) return;
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        if (v) SetCapture(w->Handle());
        else ReleaseCapture();
        return;
    }
    if (!parent_) return;
    if (v) {
        parent_->SetCaptureControl(this);
    } else if (parent_->CaptureControl() == this) {
        parent_->SetCaptureControl(nullptr);
    }
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}

void TControl::MouseMove(TShiftState s, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, s, x, y);
}

void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}

void TControl::MouseMessage(UINT msg, WPARAM wp, POINT pt) {
    TShiftState s = ShiftFromKeys(wp);
    bool graphic = dynamic_cast<TWinControl*>(this) == nullptr;
    switch (msg) {
    case WM_MOUSEMOVE: MouseMove(s, pt.x, pt.y); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
        if (graphic && HasStyle(csCaptureMouse)) SetMouseCapture(true);
        if (HasStyle(csClickEvents)) clickPending_ = true;
        if (msg == WM_LBUTTONDBLCLK) {
            DblClick();
            s |= ssDouble;
        }
        MouseDown(TMouseButton::mbLeft, s, pt.x, pt.y);
        break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: MouseDown(TMouseButton::mbRight, s, pt.x, pt.y); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: MouseDown(TMouseButton::mbMiddle, s, pt.x, pt.y); break;
    case WM_LBUTTONUP: {
        // Decided before the handlers run: a handler may free the control.
        RECT r = ClientRect();
        bool click = clickPending_ && PtInRect(&r, pt);
        clickPending_ = false;
        if (graphic && HasStyle(csCaptureMouse)) SetMouseCapture(false);
        MouseUp(TMouseButton::mbLeft, s, pt.x, pt.y);
        if (click) Click();
        break;
    }
    case WM_RBUTTONUP: MouseUp(TMouseButton::mbRight, s, pt.x, pt.y); break;
    case WM_MBUTTONUP: MouseUp(TMouseButton::mbMiddle, s, pt.x, pt.y); break;
    default: break;
    }
}

// ---------------------------------------------------------------- TGraphicControl

CX_IMPLEMENT_CLASS(TGraphicControl, TControl, CX_ABSTRACT, {})

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::PaintControl(HDC dc) {
    TCanvas::Binding bound(canvas_, dc);
    canvas_.Font.Assign(&font_);
    canvas_.Brush.SetColor(color_);
    Restore<bool> painting(painting_, true);
    Paint();
}

// ---------------------------------------------------------------- TWinControl

namespace {
thread_local TWinControl* g_creating = nullptr;

// The control behind each of this process's windows, asked for by every
// message to every one of them. A window property would do as well, but under
// Wine reading one is a round trip to the server: some fourteen thousand
// of them while the book loads. Never destroyed, so that windows that go at exit
// still find their way out.
class THandleMap {
public:
    TWinControl* Find(HWND w) {
        AcquireSRWLockShared(&lock_);
        auto it = map_.find(w);
        TWinControl* c = it == map_.end() ? nullptr : it->second;
        ReleaseSRWLockShared(&lock_);
        return c;
    }
    void Set(HWND w, TWinControl* c) {
        AcquireSRWLockExclusive(&lock_);
        if (c) map_[w] = c;
        else map_.erase(w);
        ReleaseSRWLockExclusive(&lock_);
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::unordered_map<HWND, TWinControl*> map_;
};

THandleMap& Handles() {
    static THandleMap* m = new THandleMap;
    return *m;
}
std::map<std::string, WNDPROC>& SuperclassProcs() {
    static std::map<std::string, WNDPROC> m;
    return m;
}
}  // namespace

CX_IMPLEMENT_CLASS(TWinControl, TControl, CX_ABSTRACT, {
    p.Int("TabOrder", [](TWinControl& c) { return c.TabOrder; }, [](TWinControl& c, int v) { c.TabOrder = v; });
    p.Bool("TabStop", [](TWinControl& c) { return c.TabStop; }, [](TWinControl& c, bool v) { c.TabStop = v; });
    p.Event("OnKeyDown", &TWinControl::OnKeyDown);
    p.Event("OnKeyUp", &TWinControl::OnKeyUp);
    p.Event("OnKeyPress", &TWinControl::OnKeyPress);
    p.Event("OnEnter", &TWinControl::OnEnter);
    p.Event("OnExit", &TWinControl::OnExit);
})

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    SetState(csDestroying, true);
    // Children not owned by this control leave it; owned ones go with their owner.
    while (!controls_.empty()) controls_.back()->SetParent(nullptr);
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND w) {
    // Only this process's own windows are known: another's is none of ours.
    return w ? Handles().Find(w) : nullptr;
}

void TWinControl::Notification(TComponent* c, TOperation op) {
    TControl::Notification(c, op);
    if (op == TOperation::opRemove && c == captureControl_) captureControl_ = nullptr;
}

void TWinControl::InsertControl(TControl* c) {
    controls_.push_back(c);
    c->parent_ = this;
    c->ParentFontChanged();
    c->ParentColorChanged();
    c->ParentShowHintChanged();
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        if (wnd_ && !Has(csReading)) w->HandleNeeded();
    } else {
        c->Invalidate();
    }
    if (c->Align() != TAlign::alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
    auto it = std::find(controls_.begin(), controls_.end(), c);
    if (it == controls_.end()) return;
    if (TCustomForm* form = GetParentForm(this)) form->ControlRemoved(c);
    c->Invalidate();
    if (c == captureControl_) SetCaptureControl(nullptr);
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    controls_.erase(it);
    c->parent_ = nullptr;
    if (c->Align() != TAlign::alNone && !Has(csDestroying)) Realign();
}

void TWinControl::AdoptChild(TComponent* child) {
    if (auto* c = dynamic_cast<TControl*>(child)) c->SetParent(this);
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled, bool allowWindowed) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
        if (windowed && !allowWindowed) continue;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::SetCaptureControl(TControl* c) {
    captureControl_ = c;
    if (c) {
        SetCapture(Handle());
    } else if (wnd_ && GetCapture() == wnd_) {
        ReleaseCapture();
    }
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.caption = caption_;
    p.style = WS_CHILD | WS_CLIPSIBLINGS;
    if (HasStyle(csAcceptsControls)) p.style |= WS_CLIPCHILDREN;
    if (visible_) p.style |= WS_VISIBLE;
    if (!enabled_) p.style |= WS_DISABLED;
    p.x = left_;
    p.y = top_;
    p.width = width_;
    p.height = height_;
    if (parent_) p.wndParent = parent_->Handle();
    p.winClassName = ClassName();
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    HINSTANCE inst = GetModuleHandleA(nullptr);
    if (!p.baseClassName.empty()) {
        // Superclass a platform window class: our procedure first, the
        // platform's for what we pass on.
        auto& procs = SuperclassProcs();
        if (!procs.count(p.baseClassName)) {
            WNDCLASSEXA base{};
            base.cbSize = sizeof base;
            if (!GetClassInfoExA(nullptr, p.baseClassName.c_str(), &base) &&
                !GetClassInfoExA(inst, p.baseClassName.c_str(), &base))
                throw EOutOfResources("Window class " + p.baseClassName + " is not available");
            procs[p.baseClassName] = base.lpfnWndProc;
        }
        defWndProc_ = procs[p.baseClassName];
        if (p.winClassName == ClassName()) p.winClassName = "Cx." + p.baseClassName;
    } else {
        defWndProc_ = DefWindowProcA;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(inst, p.winClassName.c_str(), &wc)) {
        WNDCLASSEXA base{};
        base.cbSize = sizeof base;
        if (!p.baseClassName.empty()) {
            if (!GetClassInfoExA(nullptr, p.baseClassName.c_str(), &base))
                GetClassInfoExA(inst, p.baseClassName.c_str(), &base);
        }
        wc = base;
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = StdWndProc;
        wc.hInstance = inst;
        wc.lpszClassName = p.winClassName.c_str();
        if (p.baseClassName.empty()) {
            wc.style = p.classStyle;
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            wc.hbrBackground = p.background;
        }
        wc.lpszMenuName = nullptr;
        if (!RegisterClassExA(&wc)) throw EOutOfResources("Cannot register window class " + p.winClassName);
    }
    g_creating = this;
    // A window procedure that refuses the window sets no error of its own:
    // the one reported is then this call's, not an older one's.
    SetLastError(0);
    HWND w = CreateWindowExA(p.exStyle, p.winClassName.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                             p.height, p.wndParent, nullptr, inst, nullptr);
    g_creating = nullptr;
    if (!w) {
        DWORD err = GetLastError();
        throw EOutOfResources("Error creating window (" + std::to_string(err) + ", class " + p.winClassName + ")");
    }
    wnd_ = w;
}

void TWinControl::CreateHandle() {
    if (wnd_) return;
    // The parent's window first: making it makes its children's windows,
    // this one among them, and this one must not be made twice.
    if (parent_) parent_->HandleNeeded();
    if (wnd_) return;
    CreateWnd();
    SendMessageA(wnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), 0);
    UpdateBounds();
    // Children's windows come with the parent's.
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
    Realign();
}

HWND TWinControl::Handle() {
    if (!wnd_) CreateHandle();
    return wnd_;
}

void TWinControl::DestroyChildHandles() {
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
}

void TWinControl::DestroyWnd() {
    if (wnd_) {
        HWND w = wnd_;
        DestroyWindow(w);
        wnd_ = nullptr;
        // Forgotten even where the window's last message did not come here.
        if (Handles().Find(w) == this) Handles().Set(w, nullptr);
    }
}

void TWinControl::DestroyHandle() {
    if (!wnd_) return;
    DestroyChildHandles();
    DestroyWnd();
}

void TWinControl::RecreateWnd() {
    if (!wnd_) return;
    recreating_ = true;
    bool hadFocus = GetFocus() == wnd_;
    DestroyHandle();
    CreateHandle();
    recreating_ = false;
    if (hadFocus) SetFocus();
}

void TWinControl::UpdateBounds() {
    if (!wnd_) return;
    RECT r;
    GetWindowRect(wnd_, &r);
    if (GetWindowLongA(wnd_, GWL_STYLE) & WS_CHILD) MapWindowPoints(nullptr, GetParent(wnd_), reinterpret_cast<POINT*>(&r), 2);
    bool sized = r.right - r.left != width_ || r.bottom - r.top != height_;
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    if (sized) {
        Realign();
        if (OnResize) OnResize(this);
    }
}

void TWinControl::SetBounds(int l, int t, int w, int h) {
    if (!wnd_) {
        TControl::SetBounds(l, t, w, h);
        return;
    }
    if (l == left_ && t == top_ && w == width_ && h == height_) return;
    SetWindowPos(wnd_, nullptr, l, t, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateBounds();
    BoundsChanged();
    RequestAlign();
}

int TWinControl::ClientWidth() const {
    if (!wnd_) return width_;
    RECT r;
    GetClientRect(wnd_, &r);
    return r.right;
}

int TWinControl::ClientHeight() const {
    if (!wnd_) return height_;
    RECT r;
    GetClientRect(wnd_, &r);
    return r.bottom;
}

void TWinControl::SetClientWidth(int v) { SetWidth(width_ - ClientWidth() + v); }
void TWinControl::SetClientHeight(int v) { SetHeight(height_ - ClientHeight() + v); }

void TWinControl::SetVisible(bool v) {
    TControl::SetVisible(v);
    if (wnd_) ShowWindow(wnd_, v ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool v) {
    TControl::SetEnabled(v);
    if (wnd_) EnableWindow(wnd_, v);
}

void TWinControl::SetCaption(const std::string& s) {
    if (s == caption_) return;
    caption_ = s;
    if (wnd_) SetWindowTextA(wnd_, s.c_str());
    TextChanged();
}

void TWinControl::Invalidate() {
    if (wnd_) InvalidateRect(wnd_, nullptr, !HasStyle(csOpaque));
}

void TWinControl::Update() {
    if (wnd_) UpdateWindow(wnd_);
}

void TWinControl::FontChanged() {
    if (wnd_) SendMessageA(wnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
    for (TControl* c : controls_) c->ParentFontChanged();
    Invalidate();
}

void TWinControl::ColorChanged() {
    brush_.Reset();
    for (TControl* c : controls_) c->ParentColorChanged();
    Invalidate();
}

bool TWinControl::Focused() const { return wnd_ && GetFocus() == wnd_; }

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

RECT TWinControl::AlignRect() { return ClientRect(); }

void TWinControl::ScaleChildren(int newDpi, int oldDpi) {
    for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(newDpi, oldDpi);
}

void TWinControl::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi || newDpi <= 0 || oldDpi <= 0) return;
    AlignHeld held(*this);
    TControl::ChangeScale(newDpi, oldDpi);
    ScaleChildren(newDpi, oldDpi);
}

void TWinControl::EnableAlign() {
    if (--alignDisabled_ == 0 && alignPending_) Realign();
}

void TWinControl::Realign() {
    if (alignDisabled_ > 0 || Has(csReading) || Has(csDestroying)) {
        alignPending_ = true;
        return;
    }
    alignPending_ = false;
    RECT r = AlignRect();
    ++alignDisabled_;
    AlignControls(r);
    --alignDisabled_;
}

void TWinControl::AlignControls(RECT& r) {
    auto placed = [&](TAlign a) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == a && c->Visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
            switch (a) {
            case TAlign::alTop: return x->Top() < y->Top();
            case TAlign::alBottom: return x->Top() + x->Height() > y->Top() + y->Height();
            case TAlign::alLeft: return x->Left() < y->Left();
            case TAlign::alRight: return x->Left() + x->Width() > y->Left() + y->Width();
            default: return false;
            }
        });
        return list;
    };
    for (TControl* c : placed(TAlign::alTop)) {
        c->SetBounds(r.left, r.top, r.right - r.left, c->Height());
        r.top += c->Height();
    }
    for (TControl* c : placed(TAlign::alBottom)) {
        c->SetBounds(r.left, r.bottom - c->Height(), r.right - r.left, c->Height());
        r.bottom -= c->Height();
    }
    for (TControl* c : placed(TAlign::alLeft)) {
        c->SetBounds(r.left, r.top, c->Width(), std::max<LONG>(0, r.bottom - r.top));
        r.left += c->Width();
    }
    for (TControl* c : placed(TAlign::alRight)) {
        c->SetBounds(r.right - c->Width(), r.top, c->Width(), std::max<LONG>(0, r.bottom - r.top));
        r.right -= c->Width();
    }
    for (TControl* c : placed(TAlign::alClient))
        c->SetBounds(r.left, r.top, std::max<LONG>(0, r.right - r.left), std::max<LONG>(0, r.bottom - r.top));
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    RECT clip;
    GetClipBox(dc, &clip);
    bool started = first == nullptr;
    for (TControl* c : controls_) {
        if (!started) {
            started = c == first;
            if (!started) continue;
        }
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        RECT r = c->BoundsRect(), hit;
        if (!IntersectRect(&hit, &r, &clip)) continue;
        int saved = SaveDC(dc);
        POINT org;
        GetViewportOrgEx(dc, &org);
        SetViewportOrgEx(dc, org.x + r.left, org.y + r.top, nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->PaintControl(dc);
        RestoreDC(dc, saved);
    }
}

bool TWinControl::EraseBackground(HDC dc) {
    if (!brush_) brush_.Reset(CreateSolidBrush(ColorToRGB(color_)));
    RECT r;
    GetClientRect(wnd_, &r);
    FillRect(dc, &r, brush_.Get());
    return true;
}

void TWinControl::WMPaint(TMessage& m) {
    if (defWndProc_ != DefWindowProcA) {
        // A platform control paints itself; windowless children go on top.
        DefaultHandler(m);
        bool any = std::any_of(controls_.begin(), controls_.end(),
                               [](TControl* c) { return !dynamic_cast<TWinControl*>(c) && c->Visible(); });
        if (any) {
            WindowDc dc(wnd_);
            PaintControls(dc);
        }
        return;
    }
    PaintDc dc(wnd_);
    PaintWindow(dc);
    PaintControls(dc);
}

void TWinControl::DefaultHandler(TMessage& m) {
    m.result = CallWindowProcA(defWndProc_ ? defWndProc_ : DefWindowProcA, m.hwnd, m.msg, m.wParam, m.lParam);
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
    TMessage m{wnd_, msg, wp, lp, 0};
    WndProc(m);
    return m.result;
}

void TWinControl::HandleMouse(TMessage& m) {
    POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
    // A capture this window no longer holds (taken by a modal box's loop
    // without word reaching us) is nobody's: the mouse goes where it points.
    if (captureControl_ && GetCapture() != wnd_) captureControl_ = nullptr;
    // A press while the window holds a capture of its own that no control
    // tracks: whatever took it missed its release. Left in place, every
    // later press would go to the window and none to the control under it.
    bool press = m.msg == WM_LBUTTONDOWN || m.msg == WM_RBUTTONDOWN || m.msg == WM_MBUTTONDOWN;
    if (press && !captureControl_ && GetCapture() == wnd_) ReleaseCapture();
    TControl* target = captureControl_;
    if (!target && GetCapture() != wnd_) target = ControlAtPos(pt, false);
    if (!target && captureControl_ == nullptr && GetCapture() == wnd_) target = nullptr;
    if (target && target != this) {
        POINT local{pt.x - target->Left(), pt.y - target->Top()};
        if (Application) Application->MouseOver(target, m.msg);
        target->MouseMessage(m.msg, m.wParam, local);
        m.result = 0;
        return;
    }
    if (Application) Application->MouseOver(this, m.msg);
    MouseMessage(m.msg, m.wParam, pt);
    DefaultHandler(m);
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.msg) {
    case WM_PAINT: WMPaint(m); return;
    case WM_ERASEBKGND:
        if (defWndProc_ != DefWindowProcA) break;
        m.result = EraseBackground(reinterpret_cast<HDC>(m.wParam)) ? 1 : 0;
        return;
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
        if (m.msg == WM_MOUSEMOVE) {
            TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, wnd_, 0};
            TrackMouseEvent(&t);
        } else if (m.msg != WM_MOUSEMOVE && Application) {
            Application->CancelHint();
        }
        HandleMouse(m);
        return;
    case WM_MOUSELEAVE:
        if (Application) Application->MouseLeftWindow(this);
        break;
    case WM_CAPTURECHANGED:
        if (captureControl_ && reinterpret_cast<HWND>(m.lParam) != wnd_) captureControl_ = nullptr;
        break;
    case WM_SETCURSOR:
        if (LOWORD(m.lParam) == HTCLIENT && reinterpret_cast<HWND>(m.wParam) == wnd_) {
            POINT pt;
            GetCursorPos(&pt);
            ::ScreenToClient(wnd_, &pt);
            TControl* c = captureControl_ ? captureControl_ : ControlAtPos(pt, true);
            if (!c) c = this;
            if (c->Cursor() != crDefault) {
                ::SetCursor(CursorHandle(c->Cursor()));
                m.result = TRUE;
                return;
            }
        }
        break;
    case WM_SIZE: case WM_MOVE:
        DefaultHandler(m);
        UpdateBounds();
        if (m.msg == WM_SIZE) Realign();
        return;
    case WM_COMMAND:
        if (m.lParam) {
            if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(m.lParam))) {
                m.result = c->Perform(kReflect + m.msg, m.wParam, m.lParam);
                return;
            }
        }
        break;
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(m.lParam);
        if (TWinControl* c = FromHandle(nm->hwndFrom)) {
            m.result = c->Perform(kReflect + m.msg, m.wParam, m.lParam);
            return;
        }
        break;
    }
    case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
        if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(m.lParam))) {
            m.result = c->Perform(kReflect + m.msg, m.wParam, m.lParam);
            return;
        }
        break;
    case kReflect + WM_CTLCOLOREDIT: case kReflect + WM_CTLCOLORSTATIC: case kReflect + WM_CTLCOLORBTN:
    case kReflect + WM_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(m.wParam);
        SetTextColor(dc, ColorToRGB(font_.Color()));
        SetBkColor(dc, ColorToRGB(color_));
        if (!brush_) brush_.Reset(CreateSolidBrush(ColorToRGB(color_)));
        m.result = reinterpret_cast<LRESULT>(brush_.Get());
        return;
    }
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_KEYUP: case WM_SYSKEYUP: {
        bool down = m.msg == WM_KEYDOWN || m.msg == WM_SYSKEYDOWN;
        WORD key = static_cast<WORD>(m.wParam);
        TShiftState shift = KeyboardShift();
        TCustomForm* form = GetParentForm(this);
        if (form && form != this && form->KeyPreview) {
            if (down) form->KeyDown(key, shift);
            else form->KeyUp(key, shift);
        }
        if (key != 0) {
            if (down) KeyDown(key, shift);
            else KeyUp(key, shift);
        }
        if (key == 0) return;
        m.wParam = key;
        break;
    }
    case WM_CHAR: {
        char ch = static_cast<char>(m.wParam);
        TCustomForm* form = GetParentForm(this);
        if (form && form != this && form->KeyPreview) form->KeyPress(ch);
        if (ch != 0) KeyPress(ch);
        if (ch == 0) return;
        m.wParam = static_cast<unsigned char>(ch);
        break;
    }
    case WM_SETFOCUS:
        if (TCustomForm* form = GetParentForm(this)) {
            if (form != this) form->FocusChanged(this);
            form->KeyFocusWindowChanged(this);
        }
        if (OnEnter) OnEnter(this);
        break;
    case WM_KILLFOCUS:
        if (TCustomForm* form = GetParentForm(this)) form->KeyFocusWindowChanged(this);
        if (OnExit) OnExit(this);
        break;
    case WM_UPDATEUISTATE:
        DefaultHandler(m);
        if (TCustomForm* form = GetParentForm(this); form && form->KeyControl() &&
                                                      form->KeyControl()->Parent() == this)
            form->KeyControl()->KeyboardFocusChanged();
        return;
    case WM_GETOBJECT:
        if (static_cast<LONG>(m.lParam) == static_cast<LONG>(OBJID_CLIENT) && AnswersAccessibility()) {
            m.result = AnswerAccessibleObject(this, m.wParam);
            if (m.result) return;
        }
        break;
    case WM_CONTEXTMENU:
        if (popupMenu_ && popupMenu_->AutoPopup) {
            POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
            if (pt.x == -1 && pt.y == -1) pt = ClientToScreen(POINT{0, 0});
            popupMenu_->PopupComponent = this;
            popupMenu_->Popup(pt.x, pt.y);
            return;
        }
        break;
    default:
        if (m.msg == AccessibleActionMessage()) {
            RunAccessibleAction(this, static_cast<long>(m.wParam));
            return;
        }
        break;
    }
    DefaultHandler(m);
}

bool TWinControl::PreTranslateMessage(MSG&) { return false; }

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    std::vector<TWinControl*> kids;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) kids.push_back(w);
    std::stable_sort(kids.begin(), kids.end(), [](TWinControl* a, TWinControl* b) {
        auto key = [](TWinControl* w) { return w->TabOrder < 0 ? INT_MAX : w->TabOrder; };
        return key(a) < key(b);
    });
    for (TWinControl* w : kids) {
        list.push_back(w);
        w->GetTabOrderList(list);
    }
}

void TWinControl::GetTabOrderControls(std::vector<TControl*>& list) const {
    std::vector<TControl*> kids(controls_.begin(), controls_.end());
    std::stable_sort(kids.begin(), kids.end(), [](TControl* a, TControl* b) {
        auto key = [](TControl* c) { return c->TabOrder < 0 ? INT_MAX : c->TabOrder; };
        return key(a) < key(b);
    });
    for (TControl* c : kids) {
        list.push_back(c);
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->GetTabOrderControls(list);
    }
}

bool TControl::KeyboardFocused() const {
    TCustomForm* form = GetParentForm(this);
    return form && form->KeyControl() == this && parent_ && parent_->WindowHandle() &&
           GetFocus() == parent_->WindowHandle();
}

bool TControl::ShowsFocusMark() const {
    if (!KeyboardFocused()) return false;
    TCustomForm* form = GetParentForm(this);
    return form && form->FocusCuesShown();
}

bool TWinControl::AnswersAccessibility() const {
    if (!AccessibleName.empty() || AccessibleRole() != 0) return true;
    for (TControl* c : controls_)
        if (!dynamic_cast<TWinControl*>(c) && c->AccessibleRole() != 0) return true;
    return false;
}

void TWinControl::GetAccessibleElements(std::vector<TAccessibleElement>& out) {
    std::vector<TControl*> kids(controls_.begin(), controls_.end());
    std::stable_sort(kids.begin(), kids.end(), [](TControl* a, TControl* b) {
        auto key = [](TControl* c) { return c->TabOrder < 0 ? INT_MAX : c->TabOrder; };
        return key(a) < key(b);
    });
    for (TControl* c : kids) {
        if (!c->Visible()) continue;
        TAccessibleElement e;
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            if (!w->HandleAllocated() || !IsWindowVisible(w->WindowHandle())) continue;
            e.window = w->WindowHandle();
        } else {
            if (c->AccessibleRole() == 0) continue;
            e.name = c->GetAccessibleName();
            e.role = c->AccessibleRole();
            e.defaultAction = c->AccessibleDefaultAction();
            if (!c->Enabled()) e.state |= STATE_SYSTEM_UNAVAILABLE;
            if (c->WantsKeyboardFocus()) e.state |= STATE_SYSTEM_FOCUSABLE;
            if (c->KeyboardFocused()) e.state |= STATE_SYSTEM_FOCUSED;
            e.bounds = c->BoundsRect();
            e.doDefault = [c] {
                if (c->Enabled()) c->DoAccessibleDefaultAction();
            };
        }
        out.push_back(std::move(e));
    }
}

void TWinControl::MainWndProc(TMessage& m) {
    try {
        WndProc(m);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = Handles().Find(wnd);
    if (!self && g_creating) {
        self = g_creating;
        g_creating = nullptr;
        self->wnd_ = wnd;
        Handles().Set(wnd, self);
    }
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    TMessage m{wnd, msg, wp, lp, 0};
    if (msg == WM_NCDESTROY) {
        self->MainWndProc(m);
        Handles().Set(wnd, nullptr);
        if (self->wnd_ == wnd) self->wnd_ = nullptr;
        return m.result;
    }
    self->MainWndProc(m);
    return m.result;
}

// ---------------------------------------------------------------- TCustomControl

CX_IMPLEMENT_CLASS(TCustomControl, TWinControl, CX_ABSTRACT, {})

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(HDC dc) {
    TCanvas::Binding bound(canvas_, dc);
    canvas_.Font.Assign(&font_);
    canvas_.Brush.SetColor(color_);
    Paint();
}
