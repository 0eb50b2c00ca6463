#include "Forms.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

#include "Dialogs.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"

const EnumNames kWindowStateNames = {"wsNormal", "wsMinimized", "wsMaximized"};

namespace {
const EnumNames kBorderStyleNames = {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"};
const EnumNames kBorderIconNames = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
const EnumNames kPositionNames = {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                                  "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};

// The window styles of a border style and its icons. The one mapping: the
// sizes worked out before the window exists and the window made from them
// must agree (a tool window's caption is lower than a normal one's).
void FormWindowStyles(TFormBorderStyle bs, unsigned icons, DWORD& style, DWORD& exStyle) {
    style = 0;
    exStyle = 0;
    switch (bs) {
    case TFormBorderStyle::bsNone: style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle: case TFormBorderStyle::bsToolWindow: style |= WS_CAPTION | WS_BORDER; break;
    case TFormBorderStyle::bsSizeable: case TFormBorderStyle::bsSizeToolWin: style |= WS_CAPTION | WS_THICKFRAME; break;
    case TFormBorderStyle::bsDialog:
        style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
        exStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    bool tool = bs == TFormBorderStyle::bsToolWindow || bs == TFormBorderStyle::bsSizeToolWin;
    if (tool) exStyle |= WS_EX_TOOLWINDOW;
    if (bs != TFormBorderStyle::bsNone && (icons & biSystemMenu)) {
        style |= WS_SYSMENU;
        if (bs != TFormBorderStyle::bsDialog && !tool) {
            if (icons & biMinimize) style |= WS_MINIMIZEBOX;
            if (icons & biMaximize) style |= WS_MAXIMIZEBOX;
        }
    }
}
}  // namespace

TCustomForm* GetParentForm(const TControl* c) {
    while (c && c->Parent()) c = c->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

// ---------------------------------------------------------------- TCustomForm

CX_IMPLEMENT_CLASS(TCustomForm, TWinControl, CX_ABSTRACT, {
    p.Enum("BorderStyle", kBorderStyleNames, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle);
    p.Set("BorderIcons", kBorderIconNames, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons);
    p.Enum("Position", kPositionNames, [](TCustomForm& f) { return f.Position; },
           [](TCustomForm& f, TPosition v) { f.Position = v; });
    p.Int("ClientWidth", [](TCustomForm& f) { return f.ClientWidth(); }, [](TCustomForm& f, int v) { f.SetClientWidth(v); });
    p.Int("ClientHeight", [](TCustomForm& f) { return f.ClientHeight(); }, [](TCustomForm& f, int v) { f.SetClientHeight(v); });
    p.Int("PixelsPerInch", [](TCustomForm& f) { return f.PixelsPerInch; }, [](TCustomForm& f, int v) { f.PixelsPerInch = v; });
    p.Bool("KeyPreview", [](TCustomForm& f) { return f.KeyPreview; }, [](TCustomForm& f, bool v) { f.KeyPreview = v; }, false);
    p.Enum("WindowState", kWindowStateNames, &TCustomForm::WindowState, &TCustomForm::SetWindowState, 0);
    p.Event("OnCreate", &TCustomForm::OnCreate);
    p.Event("OnShow", &TCustomForm::OnShow);
    p.Event("OnHide", &TCustomForm::OnHide);
    p.Event("OnDestroy", &TCustomForm::OnDestroy);
    p.Event("OnActivate", &TCustomForm::OnActivate);
    p.Event("OnDeactivate", &TCustomForm::OnDeactivate);
    p.Event("OnClose", &TCustomForm::OnClose);
    p.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
    p.Ref<TWinControl>("ActiveControl", [](TCustomForm& f, TWinControl* c) { f.ActiveControl = c; });
    p.Ref<TMainMenu>("Menu", &TCustomForm::SetMenu);
    p.Event("OnUpdate", &TCustomForm::OnUpdate);
})

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    ControlStyle |= csAcceptsControls;
    visible_ = false;
    color_ = clBtnFace;
    parentFont_ = false;
    width_ = 320;
    height_ = 240;
}

TCustomForm::~TCustomForm() {
    // The platform destroys a window's menu with the window: the menu bar
    // belongs to its component, so it leaves first.
    SetMenu(nullptr);
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
        }
    }
    if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
}

void TCustomForm::LoadLayout() {
    std::string name = ClassName();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    HMODULE mod = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(mod, name.c_str(), RT_RCDATA);
    if (!res) throw EReadError(std::string("Layout of ") + ClassName() + ": resource not found");
    HGLOBAL g = LoadResource(mod, res);
    const void* data = g ? LockResource(g) : nullptr;
    DWORD size = SizeofResource(mod, res);
    if (!data) throw EReadError(std::string("Layout of ") + ClassName() + ": resource cannot be loaded");
    LoadLayoutFrom(data, size);
}

void TCustomForm::LoadLayoutFrom(const void* data, std::size_t size) {
    TReader r(data, size, ClassName());
    r.ReadRootComponent(this);
    for (auto& f : fields_) {
        TComponent* c = FindComponent(f.name);
        if (!c || !f.bind(c))
            throw EReadError(std::string("Layout of ") + ClassName() + ": component " + f.name +
                             (c ? " is of the wrong class" : " is missing"));
    }
    // The layout measures at its own DPI; the window shows at the screen's.
    dpi_ = PixelsPerInch > 0 ? PixelsPerInch : kLayoutDpi;
    {
        Restore<bool> scaling(scalingLayout_, true);
        ScaleToDpi(WindowDpi(wnd_));
    }
    Realign();
}

void TCustomForm::ScaleToDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    ChangeScale(dpi, dpi_);
}

SIZE TCustomForm::FrameExtent(int dpi) {
    TCreateParams p;
    CreateParamsForSize(p);
    RECT r{0, 0, 0, 0};
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    if (!adjustForDpi || !adjustForDpi(&r, p.style, menu_ != nullptr, p.exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&r, p.style, menu_ != nullptr, p.exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

void TCustomForm::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi || newDpi <= 0 || oldDpi <= 0) return;
    // The client area scales; the frame is the platform's at the new DPI.
    // A size stored with its frame (Width, Height) had the frame of the
    // layout's DPI around it.
    int cw = ClientWidth(), ch = ClientHeight();
    if (scalingLayout_) {
        SIZE frame = FrameExtent(oldDpi);
        cw = layoutClientWidth_ >= 0 ? layoutClientWidth_ : width_ - frame.cx;
        ch = layoutClientHeight_ >= 0 ? layoutClientHeight_ : height_ - frame.cy;
    }
    dpi_ = newDpi;
    {
        AlignHeld held(*this);
        left_ = ScaleDpi(left_, newDpi, oldDpi);
        top_ = ScaleDpi(top_, newDpi, oldDpi);
        ScaleFont(newDpi, oldDpi);
        // The picture lists first: controls that draw from them size to them.
        for (int i = 0; i < ComponentCount(); ++i)
            if (auto* images = dynamic_cast<TCustomImageList*>(Components(i))) images->ScaleImages(newDpi, oldDpi);
        ScaleChildren(newDpi, oldDpi);
        SetClientWidth(ScaleDpi(cw, newDpi, oldDpi));
        SetClientHeight(ScaleDpi(ch, newDpi, oldDpi));
    }
    if (menu_ && wnd_) DrawMenuBar(wnd_);
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s) {
    if (s == borderStyle_) return;
    int cw = clientWidth_ >= 0 ? clientWidth_ : -1, ch = clientHeight_ >= 0 ? clientHeight_ : -1;
    borderStyle_ = s;
    if (cw >= 0) SetClientWidth(cw);
    if (ch >= 0) SetClientHeight(ch);
    if (wnd_) RecreateWnd();
}

void TCustomForm::SetBorderIcons(unsigned v) {
    if (v == borderIcons_) return;
    borderIcons_ = v;
    if (wnd_) RecreateWnd();
}

TWindowState TCustomForm::WindowState() const {
    if (wnd_ && IsWindowVisible(wnd_)) {
        if (IsIconic(wnd_)) return TWindowState::wsMinimized;
        if (IsZoomed(wnd_)) return TWindowState::wsMaximized;
        return TWindowState::wsNormal;
    }
    return windowState_;
}

void TCustomForm::SetWindowState(TWindowState s) {
    windowState_ = s;
    if (wnd_ && IsWindowVisible(wnd_))
        ShowWindow(wnd_, s == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                         : s == TWindowState::wsMinimized ? SW_MINIMIZE : SW_SHOWNORMAL);
}

void TCustomForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    DWORD style = 0, exStyle = 0;
    FormWindowStyles(borderStyle_, borderIcons_, style, exStyle);
    p.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS | style;
    p.exStyle = exStyle;
    if (!enabled_) p.style |= WS_DISABLED;
    // The main form carries the task bar button; the others are owned by it.
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || main == this) {
        p.wndParent = nullptr;
        p.exStyle |= WS_EX_APPWINDOW;
    } else {
        p.wndParent = main->Handle();
    }
    if (clientWidth_ >= 0 || clientHeight_ >= 0) {
        RECT r{0, 0, clientWidth_ >= 0 ? clientWidth_ : 0, clientHeight_ >= 0 ? clientHeight_ : 0};
        AdjustWindowRectEx(&r, p.style, menu_ != nullptr, p.exStyle);
        if (clientWidth_ >= 0) width_ = r.right - r.left;
        if (clientHeight_ >= 0) height_ = r.bottom - r.top;
    }
    p.width = width_;
    p.height = height_;
    p.winClassName = ClassName();
}

void TCustomForm::CreateHandle() {
    TWinControl::CreateHandle();
    clientWidth_ = clientHeight_ = -1;
    if (menu_) menu_->SetWindowHandle(wnd_);
    // Focus marks wait for the keyboard, unless the user always wants them.
    BOOL cues = FALSE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    if (!cues) SendMessageA(wnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
}

void TCustomForm::SetMenu(TMainMenu* m) {
    if (m == menu_) return;
    if (menu_) menu_->SetWindowHandle(nullptr);
    menu_ = m;
    if (m) {
        m->FreeNotification(this);
        if (wnd_) m->SetWindowHandle(wnd_);
    }
}

void TCustomForm::Notification(TComponent* c, TOperation op) {
    TWinControl::Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == menu_) menu_ = nullptr;
    if (c == ActiveControl) ActiveControl = nullptr;
    if (c == keyControl_) keyControl_ = nullptr;
}

void TCustomForm::UpdateCommands() {
    if (updating_ || Has(csDestroying)) return;
    Restore<bool> updating(updating_, true);
    if (OnUpdate) OnUpdate(this);
    // An open menu is not rebuilt under the user's eyes; each of its
    // sub-menus is brought up to date as it opens.
    if (menu_ && !(Application && Application->MenuTracking())) menu_->Sync();
}

void TCustomForm::FocusChanged(TWinControl* c) {
    ActiveControl = c;
    // The focused push button shows as the default one; else the default button.
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* w : all)
        if (auto* b = dynamic_cast<TButton*>(w)) b->UpdateDefaultLook(dynamic_cast<TButton*>(c));
}

void TCustomForm::ControlRemoved(TControl* c) {
    for (const TControl* a = keyControl_; a; a = a->Parent())
        if (a == c) {
            keyControl_ = nullptr;
            break;
        }
    for (const TControl* a = ActiveControl; a; a = a->Parent())
        if (a == c) {
            ActiveControl = nullptr;
            return;
        }
}

namespace {
// The framework control a window belongs to (the window or one it holds).
TWinControl* ControlOfWindow(HWND w) {
    while (w) {
        if (TWinControl* c = TWinControl::FromHandle(w)) return c;
        if (!(GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) return nullptr;
        w = GetParent(w);
    }
    return nullptr;
}

bool IsModifierKey(WPARAM vk) {
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_LSHIFT || vk == VK_RSHIFT ||
           vk == VK_LCONTROL || vk == VK_RCONTROL || vk == VK_LMENU || vk == VK_RMENU || vk == VK_CAPITAL ||
           vk == VK_NUMLOCK;
}

TButton* FindButton(const TWinControl* root, bool wantDefault) {
    std::vector<TWinControl*> all;
    root->GetTabOrderList(all);
    for (TWinControl* w : all)
        if (auto* b = dynamic_cast<TButton*>(w))
            if ((wantDefault ? b->Default() : b->Cancel()) && b->CanFocus() && b->HandleAllocated() &&
                IsWindowVisible(b->WindowHandle()))
                return b;
    return nullptr;
}
}  // namespace

bool TCustomForm::IsShortCut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (IsModifierKey(msg.wParam)) return false;
    TShortCut sc = ShortCut(static_cast<WORD>(msg.wParam), KeyboardShift());
    if (sc == scNone) return false;
    // The focused control's popup menus first (and its parents'), then the bar.
    std::vector<TMenu*> menus;
    for (TControl* c = ControlOfWindow(msg.hwnd); c && c != this; c = c->Parent())
        if (c->PopupMenu()) menus.push_back(c->PopupMenu());
    if (PopupMenu()) menus.push_back(PopupMenu());
    if (menu_) menus.push_back(menu_);
    TMenuItem* item = nullptr;
    for (TMenu* m : menus)
        if ((item = m->FindShortCut(sc))) break;
    if (!item) return false;
    UpdateCommands();  // the item's state as the window sees it now
    if (item->EffectivelyEnabled() && item->EffectivelyVisible())
        SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 1), 0);
    return true;
}

TWinControl* TCustomForm::FindNextControl(TWinControl* cur, bool forward) const {
    std::vector<TWinControl*> all, stops;
    GetTabOrderList(all);
    for (TWinControl* w : all)
        if (w->TabStop && w->CanFocus() && w->HandleAllocated() && IsWindowVisible(w->WindowHandle()) &&
            IsWindowEnabled(w->WindowHandle()))
            stops.push_back(w);
    if (stops.empty()) return nullptr;
    auto it = std::find(stops.begin(), stops.end(), cur);
    if (it == stops.end()) return forward ? stops.front() : stops.back();
    std::size_t k = static_cast<std::size_t>(it - stops.begin()), n = stops.size();
    return stops[forward ? (k + 1) % n : (k + n - 1) % n];
}

void TCustomForm::SetKeyControl(TControl* c) {
    if (c && (!c->Parent() || !c->Parent()->HandleAllocated())) return;
    TControl* old = keyControl_;
    keyControl_ = c;
    if (old && old != c) old->KeyboardFocusChanged();
    if (!c) return;
    HWND w = c->Parent()->WindowHandle();
    if (GetFocus() != w) ::SetFocus(w);
    c->KeyboardFocusChanged();
}

void TCustomForm::KeyFocusWindowChanged(TWinControl* w) {
    if (!keyControl_) return;
    if (keyControl_->Parent() == w) {
        keyControl_->KeyboardFocusChanged();  // the mark comes and goes with the window's focus
        return;
    }
    // The focus went to another window of the form: the windowless control lost it.
    if (GetFocus() == w->WindowHandle()) SetKeyControl(nullptr);
}

bool TCustomForm::FocusCuesShown() const {
    if (!wnd_) return false;
    return !(SendMessageA(wnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void TCustomForm::ShowFocusCues() {
    if (wnd_ && !FocusCuesShown()) SendMessageA(wnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

namespace {
bool IsStop(const TControl* c) {
    if (auto* w = dynamic_cast<const TWinControl*>(c))
        return w->TabStop && w->CanFocus() && w->HandleAllocated() && IsWindowVisible(w->WindowHandle()) &&
               IsWindowEnabled(w->WindowHandle());
    const TWinControl* p = c->Parent();
    return c->WantsKeyboardFocus() && c->Showing() && p && p->HandleAllocated() &&
           IsWindowVisible(p->WindowHandle()) && IsWindowEnabled(p->WindowHandle());
}
}  // namespace

TControl* TCustomForm::FindNextStop(TControl* cur, bool forward, bool siblingsOnly) const {
    std::vector<TControl*> all, stops;
    GetTabOrderControls(all);
    for (TControl* c : all)
        if (IsStop(c) && (!siblingsOnly || (cur && c->Parent() == cur->Parent()))) stops.push_back(c);
    if (stops.empty()) return nullptr;
    auto it = std::find(stops.begin(), stops.end(), cur);
    if (it == stops.end()) return forward ? stops.front() : stops.back();
    std::size_t k = static_cast<std::size_t>(it - stops.begin()), n = stops.size();
    return stops[forward ? (k + 1) % n : (k + n - 1) % n];
}

void TCustomForm::FocusStop(TControl* c) {
    auto* next = dynamic_cast<TWinControl*>(c);
    if (!next) {
        SetKeyControl(c);
        return;
    }
    SetKeyControl(nullptr);
    next->SetFocus();
    // An edit box reached by Tab selects its whole text, as in dialogs; a
    // document (a multi-line box) keeps its caret and place.
    if ((SendMessageA(next->WindowHandle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) &&
        !(GetWindowLongA(next->WindowHandle(), GWL_STYLE) & ES_MULTILINE))
        SendMessageA(next->WindowHandle(), EM_SETSEL, 0, -1);
}

void TCustomForm::SelectNext(TWinControl* cur, bool forward) {
    if (TWinControl* next = FindNextControl(cur, forward)) FocusStop(next);
}

bool TCustomForm::DialogKey(const MSG& msg) {
    // Alt shows the focus marks too, as it does the accelerator underlines.
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_MENU) ShowFocusCues();
    if (msg.message != WM_KEYDOWN) return false;
    WPARAM vk = msg.wParam;
    bool arrow = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
    if (vk != VK_TAB && vk != VK_RETURN && vk != VK_ESCAPE && vk != VK_SPACE && !arrow) return false;
    TShiftState shift = KeyboardShift();
    if (shift & (ssCtrl | ssAlt)) return false;
    LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(&msg));
    if (code & DLGC_WANTMESSAGE) return false;
    // A windowless control with the focus: its parent window has the keys.
    TControl* key = keyControl_ && keyControl_->KeyboardFocused() ? keyControl_ : nullptr;
    if (vk == VK_TAB || arrow) {
        if (vk == VK_TAB && (code & DLGC_WANTTAB)) return false;
        if (arrow && ((code & DLGC_WANTARROWS) || !key)) return false;
        TControl* cur = key ? key : static_cast<TControl*>(ControlOfWindow(GetFocus()));
        bool forward = vk == VK_TAB ? !(shift & ssShift) : vk == VK_RIGHT || vk == VK_DOWN;
        TControl* next = FindNextStop(cur, forward, arrow);
        if (!next) return false;
        ShowFocusCues();
        FocusStop(next);
        return true;
    }
    if (key && (vk == VK_RETURN || vk == VK_SPACE)) {
        // Held down, the key repeats: one press, one click.
        if (msg.lParam & (1 << 30)) return true;
        return key->KeyboardPress(static_cast<WORD>(vk));
    }
    if (vk == VK_SPACE) return false;
    TButton* button = nullptr;
    if (vk == VK_RETURN) {
        button = dynamic_cast<TButton*>(ControlOfWindow(GetFocus()));
        if (!button) button = FindButton(this, true);
    } else {
        button = FindButton(this, false);
    }
    if (!button || !button->CanFocus()) return false;
    button->Click();
    return true;
}

int TCustomForm::ClientWidth() const {
    if (wnd_) return TWinControl::ClientWidth();
    if (clientWidth_ >= 0) return clientWidth_;
    TCreateParams p;
    const_cast<TCustomForm*>(this)->CreateParamsForSize(p);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, p.style, menu_ != nullptr, p.exStyle);
    return width_ - (r.right - r.left);
}

int TCustomForm::ClientHeight() const {
    if (wnd_) return TWinControl::ClientHeight();
    if (clientHeight_ >= 0) return clientHeight_;
    TCreateParams p;
    const_cast<TCustomForm*>(this)->CreateParamsForSize(p);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, p.style, menu_ != nullptr, p.exStyle);
    return height_ - (r.bottom - r.top);
}

void TCustomForm::CreateParamsForSize(TCreateParams& p) {
    FormWindowStyles(borderStyle_, borderIcons_, p.style, p.exStyle);
}

void TCustomForm::SetClientWidth(int v) {
    if (Has(csReading)) layoutClientWidth_ = v;
    if (wnd_) {
        TWinControl::SetClientWidth(v);
        return;
    }
    clientWidth_ = v;
    TCreateParams p;
    CreateParamsForSize(p);
    RECT r{0, 0, v, 0};
    AdjustWindowRectEx(&r, p.style, menu_ != nullptr, p.exStyle);
    width_ = r.right - r.left;
    Realign();
}

void TCustomForm::SetClientHeight(int v) {
    if (Has(csReading)) layoutClientHeight_ = v;
    if (wnd_) {
        TWinControl::SetClientHeight(v);
        return;
    }
    clientHeight_ = v;
    TCreateParams p;
    CreateParamsForSize(p);
    RECT r{0, 0, 0, v};
    AdjustWindowRectEx(&r, p.style, menu_ != nullptr, p.exStyle);
    height_ = r.bottom - r.top;
    Realign();
}

void TCustomForm::ColorChanged() {
    TWinControl::ColorChanged();
}

void TCustomForm::PlaceOnScreen() {
    placed_ = true;
    RECT area{0, 0, Screen::Width(), Screen::Height()};
    int x = left_, y = top_;
    TCustomForm* owner = Application ? Application->MainForm() : nullptr;
    switch (Position) {
    case TPosition::poScreenCenter: case TPosition::poDesktopCenter:
        x = (area.right - width_) / 2;
        y = (area.bottom - height_) / 2;
        break;
    case TPosition::poOwnerFormCenter: case TPosition::poMainFormCenter:
        if (owner && owner != this && owner->WindowHandle()) {
            RECT o;
            GetWindowRect(owner->WindowHandle(), &o);
            x = o.left + ((o.right - o.left) - width_) / 2;
            y = o.top + ((o.bottom - o.top) - height_) / 2;
        } else {
            x = (area.right - width_) / 2;
            y = (area.bottom - height_) / 2;
        }
        break;
    default: break;
    }
    x = std::max(0, std::min(x, static_cast<int>(area.right) - width_));
    y = std::max(0, std::min(y, static_cast<int>(area.bottom) - height_));
    SetBounds(x, y, width_, height_);
}

void TCustomForm::SetVisible(bool v) {
    if (v) {
        Handle();
        if (!placed_) PlaceOnScreen();
        bool was = visible_;
        visible_ = true;
        int cmd = windowState_ == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                  : windowState_ == TWindowState::wsMinimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
        if (!IsWindowVisible(wnd_)) ShowWindow(wnd_, cmd);
        if (!was && OnShow) OnShow(this);
        if (ActiveControl && ActiveControl->CanFocus()) ActiveControl->SetFocus();
    } else {
        if (wnd_ && IsWindowVisible(wnd_)) {
            if (IsZoomed(wnd_)) windowState_ = TWindowState::wsMaximized;
            else if (!IsIconic(wnd_)) windowState_ = TWindowState::wsNormal;
            ShowWindow(wnd_, SW_HIDE);
        }
        bool was = visible_;
        visible_ = false;
        if (was && OnHide) OnHide(this);
    }
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::BringToFront() {
    if (wnd_) SetForegroundWindow(wnd_);
}

bool TCustomForm::CloseQuery() {
    bool can = true;
    if (OnCloseQuery) OnCloseQuery(this, can);
    return can;
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
    if (closing_) return;
    if (modal_) {
        ModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = TCloseAction::caHide;
    {
        Restore<bool> closing(closing_, true);
        DoClose(action);
    }
    if (action == TCloseAction::caNone) return;
    if (action == TCloseAction::caMinimize) {
        SetWindowState(TWindowState::wsMinimized);
        return;
    }
    Hide();
    if (Application && Application->MainForm() == this) Application->Terminate();
}

namespace {
BOOL CALLBACK DisableForModal(HWND w, LPARAM lp) {
    auto* state = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(lp);
    if (w != state->first && IsWindowVisible(w) && IsWindowEnabled(w)) {
        EnableWindow(w, FALSE);
        state->second->push_back(w);
    }
    return TRUE;
}
}  // namespace

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled()) throw EInvalidOperation("Cannot make a visible window modal");
    if (Application) Application->CancelHint();
    if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    HWND previous = GetActiveWindow();
    Handle();
    // Every other enabled window of the thread is disabled while this one shows.
    std::vector<HWND> disabled;
    std::pair<HWND, std::vector<HWND>*> enumState(wnd_, &disabled);
    EnumThreadWindows(GetCurrentThreadId(), DisableForModal, reinterpret_cast<LPARAM>(&enumState));
    modal_ = true;
    ModalResult = mrNone;
    {
        ScopeExit restore([&] {
            for (HWND w : disabled)
                if (IsWindow(w)) EnableWindow(w, TRUE);
            modal_ = false;
            SetVisible(false);
            // The window that was active before takes the activation back; where
            // there was none (a start whose error box left nobody active), the
            // main form does. Left to the platform, the hidden window can stay
            // the active one under Wine.
            HWND back = previous;
            auto usable = [](HWND w) { return w && IsWindow(w) && IsWindowVisible(w) && IsWindowEnabled(w); };
            if (!usable(back) && Application && Application->MainForm()) back = Application->MainForm()->WindowHandle();
            if (usable(back) && back != wnd_) SetActiveWindow(back);
            else if (previous && IsWindow(previous)) SetActiveWindow(previous);
        });
        Show();
        for (;;) {
            if (!Application || Application->Terminated()) break;
            Application->HandleMessage();
            if (Application->Terminated()) break;
            if (ModalResult != mrNone) {
                TCloseAction action = TCloseAction::caHide;
                DoClose(action);
                if (action == TCloseAction::caNone) ModalResult = mrNone;
                else break;
            }
        }
    }
    return ModalResult;
}

void TCustomForm::WndProc(TMessage& m) {
    switch (m.msg) {
    case WM_CLOSE:
        Close();
        return;
    case WM_SYSCOMMAND:
        if ((m.wParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
            Application->Minimize();
            return;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(m.wParam) != WA_INACTIVE) {
            if (OnActivate) OnActivate(this);
            // The focus goes back to the control that had it.
            if (!HIWORD(m.wParam) && ActiveControl && ActiveControl->HandleAllocated() && ActiveControl->CanFocus() &&
                IsWindowVisible(ActiveControl->WindowHandle())) {
                ::SetFocus(ActiveControl->WindowHandle());
                m.result = 0;
                return;
            }
        } else if (OnDeactivate) {
            OnDeactivate(this);
        }
        break;
    case WM_DESTROY:
        if (menu_ && GetMenu(wnd_)) ::SetMenu(wnd_, nullptr);
        break;
    case 0x02E0: {  // WM_DPICHANGED: the window went to a monitor of another DPI
        ChangeScale(HIWORD(m.wParam), dpi_);
        if (auto* r = reinterpret_cast<const RECT*>(m.lParam))
            SetWindowPos(wnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        m.result = 0;
        return;
    }
    case WM_ENTERMENULOOP: case WM_EXITMENULOOP:
        if (Application) Application->MenuLoop(m.msg == WM_ENTERMENULOOP);
        if (m.msg == WM_EXITMENULOOP) UpdateCommands();
        break;
    case WM_INITMENU:
        if (menu_ && reinterpret_cast<HMENU>(m.wParam) == GetMenu(wnd_)) {
            UpdateCommands();
            menu_->Sync();
            m.result = 0;
            return;
        }
        break;
    case WM_ENTERIDLE:
        // A menu's or a platform dialog's own loop is waiting.
        if (Application) Application->Idle();
        break;
    default:
        if (DispatchMenuMessage(m)) return;
        if (m.msg == TFindDialog::FindMessage() && TFindDialog::HandleFindMessage(m.lParam)) return;
        break;
    }
    TWinControl::WndProc(m);
}
