#include "Forms.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

#include "Dialogs.h"
#include "Menus.h"
#include "StdCtrls.h"

TApplication* Application = nullptr;

const EnumNames kWindowStateNames = {"wsNormal", "wsMinimized", "wsMaximized"};

namespace {
const EnumNames kBorderStyleNames = {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"};
const EnumNames kBorderIconNames = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
const EnumNames kPositionNames = {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                                  "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
constexpr UINT_PTR kHintShowTimer = 1, kHintHideTimer = 2;

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
    HRSRC res = FindResourceA(mod, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!res) throw EReadError(std::string("Layout of ") + ClassName() + ": resource not found");
    HGLOBAL g = LoadResource(mod, res);
    const void* data = g ? LockResource(g) : nullptr;
    DWORD size = SizeofResource(mod, res);
    if (!data) throw EReadError(std::string("Layout of ") + ClassName() + ": resource cannot be loaded");
    LoadLayoutFrom(data, size);
}

void TCustomForm::LoadLayoutFrom(const void* data, std::size_t size) {
    TReader r(data, size, ClassName());
    try {
        r.ReadRootComponent(this);
    } catch (const layout::StreamError& e) {
        SetState(csReading, false);
        SetState(csLoading, false);
        throw EReadError(e.what());
    }
    for (auto& f : fields_) {
        TComponent* c = FindComponent(f.name);
        if (!c || !f.bind(c))
            throw EReadError(std::string("Layout of ") + ClassName() + ": component " + f.name +
                             (c ? " is of the wrong class" : " is missing"));
    }
    Realign();
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
}

void TCustomForm::UpdateCommands() {
    if (updating_ || Has(csDestroying)) return;
    updating_ = true;
    try {
        if (OnUpdate) OnUpdate(this);
        // An open menu is not rebuilt under the user's eyes; each of its
        // sub-menus is brought up to date as it opens.
        if (menu_ && !(Application && Application->MenuTracking())) menu_->Sync();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
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

// Our form whose window holds w.
TCustomForm* FormOfWindow(HWND w) {
    if (!w) return nullptr;
    return dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetAncestor(w, GA_ROOT)));
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

void TCustomForm::SelectNext(TWinControl* cur, bool forward) {
    TWinControl* next = FindNextControl(cur, forward);
    if (!next) return;
    next->SetFocus();
    // An edit box reached by Tab selects its whole text, as in dialogs.
    if (SendMessageA(next->WindowHandle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(next->WindowHandle(), EM_SETSEL, 0, -1);
}

bool TCustomForm::DialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    WPARAM vk = msg.wParam;
    if (vk != VK_TAB && vk != VK_RETURN && vk != VK_ESCAPE) return false;
    TShiftState shift = KeyboardShift();
    if (shift & (ssCtrl | ssAlt)) return false;
    LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(&msg));
    if (code & DLGC_WANTMESSAGE) return false;
    if (vk == VK_TAB) {
        if (code & DLGC_WANTTAB) return false;
        TWinControl* cur = ControlOfWindow(GetFocus());
        if (!FindNextControl(cur, !(shift & ssShift))) return false;
        SelectNext(cur, !(shift & ssShift));
        return true;
    }
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
    closing_ = true;
    TCloseAction action = TCloseAction::caHide;
    try {
        DoClose(action);
    } catch (...) {
        closing_ = false;
        throw;
    }
    closing_ = false;
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
    auto restore = [&] {
        for (HWND w : disabled)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        modal_ = false;
        SetVisible(false);
        if (previous && IsWindow(previous)) SetActiveWindow(previous);
    };
    try {
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
    } catch (...) {
        restore();
        throw;
    }
    restore();
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

// ---------------------------------------------------------------- THintWindow

THintWindow::THintWindow() = default;
THintWindow::~THintWindow() = default;

LRESULT CALLBACK THintWindow::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<THintWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<THintWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (msg == WM_PAINT && self) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        UniqueBrush bk(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));
        FillRect(dc, &r, bk.Get());
        SelectRestorer f(dc, self->font_.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        InflateRect(&r, -2, -1);
        DrawTextA(dc, self->text_.c_str(), static_cast<int>(self->text_.size()), &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
        EndPaint(w, &ps);
        return 0;
    }
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    return DefWindowProcA(w, msg, wp, lp);
}

void THintWindow::ActivateHint(POINT pos, const std::string& text) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    if (!wnd_) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        if (!GetClassInfoExA(inst, "THintWindow", &wc)) {
            wc.cbSize = sizeof wc;
            wc.style = CS_SAVEBITS | CS_DROPSHADOW;
            wc.lpfnWndProc = Proc;
            wc.hInstance = inst;
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            wc.lpszClassName = "THintWindow";
            RegisterClassExA(&wc);
        }
        wnd_.Reset(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "THintWindow", "", WS_POPUP | WS_BORDER, 0, 0, 0,
                                   0, nullptr, nullptr, inst, this));
        NONCLIENTMETRICSA ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        font_.Reset(CreateFontIndirectA(&ncm.lfStatusFont));
    }
    text_ = text;
    SetWindowTextA(wnd_.Get(), text.c_str());
    WindowDc dc(wnd_.Get());
    SelectRestorer f(dc, font_.Get());
    RECT r{0, 0, 300, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
    int w = r.right + 6, h = r.bottom + 4;
    int sw = Screen::Width(), sh = Screen::Height();
    int x = std::max(0, std::min(static_cast<int>(pos.x), sw - w));
    int y = pos.y + h > sh ? pos.y - h - 24 : pos.y;
    SetWindowPos(wnd_.Get(), HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(wnd_.Get(), nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
    if (wnd_) ShowWindow(wnd_.Get(), SW_HIDE);
}

// ---------------------------------------------------------------- TApplication

CX_IMPLEMENT_CLASS(TApplication, TComponent, CX_ABSTRACT, {})

TApplication::TApplication(TComponent* owner) : TComponent(owner) { Application = this; }

TApplication::~TApplication() {
    SetState(csDestroying, true);
    hintWindow_.reset();
    DestroyComponents();
    if (wnd_) DestroyWindow(wnd_);
    if (Application == this) Application = nullptr;
}

LRESULT CALLBACK TApplication::AppWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (!Application) return DefWindowProcA(w, msg, wp, lp);
    try {
        if (msg == WM_TIMER) {
            Application->HintTimer(wp);
            return 0;
        }
        // Popup menus and dialogs owned by the application window when no form is active.
        TMessage m{w, msg, wp, lp, 0};
        if (DispatchMenuMessage(m)) return m.result;
        if (msg == TFindDialog::FindMessage() && TFindDialog::HandleFindMessage(lp)) return 0;
    } catch (...) {
        Application->HandleException(Application);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = "TApplication";
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(1));
    RegisterClassExA(&wc);
    wnd_ = CreateWindowExA(0, "TApplication", title_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
}

void TApplication::SetTitle(const std::string& t) {
    title_ = t;
    if (wnd_) SetWindowTextA(wnd_, t.c_str());
}

void TApplication::InitForm(TCustomForm* f) {
    if (!mainForm_) mainForm_ = f;
    try {
        f->LoadLayout();
    } catch (...) {
        HandleException(f);
    }
    try {
        f->DoCreate();
    } catch (...) {
        HandleException(f);
    }
}

std::vector<TCustomForm*> TApplication::Forms() const {
    std::vector<TCustomForm*> out;
    for (int k = 0; k < ComponentCount(); ++k)
        if (auto* f = dynamic_cast<TCustomForm*>(Components(k))) out.push_back(f);
    return out;
}

void TApplication::Run() {
    if (mainForm_ && !terminated_) {
        try {
            mainForm_->Show();
        } catch (...) {
            HandleException(mainForm_);
        }
    }
    while (!terminated_) HandleMessage();
}

bool TApplication::IsDialogChar(MSG& msg) {
    if (msg.message != WM_SYSCHAR) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(root));
    if (!form || !IsWindowEnabled(root)) return false;
    if (msg.wParam > 0x7F) return false;  // accelerator letters are ASCII
    char ch = static_cast<char>(msg.wParam);
    std::function<bool(TWinControl*)> walk = [&](TWinControl* w) -> bool {
        for (int k = 0; k < w->ControlCount(); ++k) {
            TControl* c = w->Controls(k);
            if (!c->Visible()) continue;
            if (c->DialogChar(ch)) return true;
            if (auto* wc = dynamic_cast<TWinControl*>(c))
                if (walk(wc)) return true;
        }
        return false;
    };
    try {
        return walk(form);
    } catch (...) {
        HandleException(form);
        return true;
    }
}

bool TApplication::PreProcessMessage(MSG& msg) {
    try {
        // The control the message is for, then its parents up to the form.
        TWinControl* target = nullptr;
        for (HWND w = msg.hwnd; w && !target; w = GetParent(w)) {
            target = TWinControl::FromHandle(w);
            if (!target && !(GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) break;
        }
        for (TWinControl* c = target; c; c = c->Parent())
            if (c->PreTranslateMessage(msg)) return true;
        TCustomForm* form = FormOfWindow(msg.hwnd);
        if (form && !IsWindowEnabled(form->WindowHandle())) form = nullptr;
        // The active form's accelerators (menu shortcuts).
        if (form && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && form->IsShortCut(msg)) return true;
        // Modeless dialogs: Tab, Return and Escape move and close inside them.
        for (auto it = modeless_.rbegin(); it != modeless_.rend(); ++it) {
            HWND d = *it;
            if (IsWindow(d) && (d == msg.hwnd || IsChild(d, msg.hwnd)) && IsDialogMessageW(d, &msg)) return true;
        }
        // The form's own dialog keys and Alt+letter accelerators.
        if (form && form->DialogKey(msg)) return true;
    } catch (...) {
        HandleException(this);
        return true;
    }
    return IsDialogChar(msg);
}

void TApplication::AddModelessDialog(HWND dlg) {
    if (dlg && std::find(modeless_.begin(), modeless_.end(), dlg) == modeless_.end()) modeless_.push_back(dlg);
}

void TApplication::RemoveModelessDialog(HWND dlg) {
    modeless_.erase(std::remove(modeless_.begin(), modeless_.end(), dlg), modeless_.end());
}

void DispatchQueuedMessage(MSG& msg) {
    if (Application && Application->PreProcessMessage(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        exitCode_ = static_cast<int>(msg.wParam);
        return true;
    }
    DispatchQueuedMessage(msg);
    return true;
}

bool TApplication::HandleMessage() {
    if (!ProcessMessage()) {
        Idle();
        WaitMessage();
    }
    return !terminated_;
}

void TApplication::Idle() {
    // The control under the mouse may change without a move reaching it (a
    // release after a capture, a window that moved): enter and leave follow.
    POINT p;
    GetCursorPos(&p);
    TControl* c = nullptr;
    for (HWND w = WindowFromPoint(p); w && !c; w = GetParent(w)) {
        if (TWinControl* wc = TWinControl::FromHandle(w)) {
            POINT local = p;
            ScreenToClient(w, &local);
            c = wc->ControlAtPos(local, false);
            if (!c) c = wc;
        }
    }
    if (c != mouseControl_) MouseOver(c, 0);
    // The update step of every shown form, then the application's own idle work.
    try {
        for (TCustomForm* f : Forms())
            if (f->WindowHandle() && IsWindowVisible(f->WindowHandle())) f->UpdateCommands();
        bool done = true;
        if (OnIdle) OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
    Idle();
}

void TApplication::Terminate() {
    for (auto& proc : TerminateProcs)
        if (!proc()) return;
    PostQuitMessage(0);
}

void TApplication::Minimize() {
    if (mainForm_ && mainForm_->WindowHandle()) ShowWindow(mainForm_->WindowHandle(), SW_MINIMIZE);
}

void TApplication::Restore() {
    if (mainForm_ && mainForm_->WindowHandle()) ShowWindow(mainForm_->WindowHandle(), SW_RESTORE);
}

void TApplication::HandleException(TObject* sender) {
    try {
        throw;
    } catch (const std::exception& e) {
        if (OnException) OnException(sender, e);
        else ShowException(e);
    } catch (...) {
        Exception e("Unknown error");
        if (OnException) OnException(sender, e);
        else ShowException(e);
    }
}

void TApplication::ShowException(const std::exception& e) {
    std::string msg = e.what();
    if (!msg.empty() && msg.back() > '.') msg += '.';
    MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    return ::MessageBoxA(DialogOwner(), text.c_str(), caption.c_str(), flags);
}

HWND TApplication::PopupOwner() const {
    if (TCustomForm* f = Screen::ActiveForm()) return f->WindowHandle();
    return mainForm_ && mainForm_->WindowHandle() ? mainForm_->WindowHandle() : wnd_;
}

void TApplication::MouseOver(TControl* c, UINT msg) {
    if (c != mouseControl_) {
        TControl* old = mouseControl_;
        mouseControl_ = c;
        if (old) old->MouseLeave();
        if (c) c->MouseEnter();
    }
    if (msg != WM_MOUSEMOVE) return;
    if (c != hintControl_) {
        CancelHint();
        hintControl_ = c;
        Hint = c ? GetLongHint(c->Hint()) : std::string();
        if (OnHint) OnHint(this);
        if (c && ShowHint && c->EffectiveShowHint() && !GetShortHint(c->Hint()).empty() && wnd_)
            SetTimer(wnd_, kHintShowTimer, static_cast<UINT>(HintPause), nullptr);
    }
}

void TApplication::MouseLeftWindow(TWinControl* w) {
    if (!mouseControl_) return;
    bool inside = mouseControl_ == w || mouseControl_->Parent() == w;
    if (!inside) return;
    TControl* old = mouseControl_;
    mouseControl_ = nullptr;
    old->MouseLeave();
    CancelHint();
    hintControl_ = nullptr;
}

void TApplication::CancelHint() {
    if (wnd_) {
        KillTimer(wnd_, kHintShowTimer);
        KillTimer(wnd_, kHintHideTimer);
    }
    if (hintWindow_) hintWindow_->ReleaseHandle();
    hintShowing_ = false;
}

void TApplication::HintTimer(UINT_PTR id) {
    KillTimer(wnd_, id);
    if (id == kHintHideTimer) {
        CancelHint();
        return;
    }
    if (!hintControl_ || hintControl_ != mouseControl_) return;
    if (!hintWindow_) hintWindow_ = std::make_unique<THintWindow>();
    POINT pt;
    GetCursorPos(&pt);
    pt.y += GetSystemMetrics(SM_CYCURSOR) * 3 / 4;
    hintWindow_->ActivateHint(pt, GetShortHint(hintControl_->Hint()));
    hintShowing_ = true;
    SetTimer(wnd_, kHintHideTimer, static_cast<UINT>(HintHidePause), nullptr);
}

void TApplication::ControlDestroyed(TControl* c) {
    if (mouseControl_ == c) mouseControl_ = nullptr;
    if (hintControl_ == c) {
        hintControl_ = nullptr;
        CancelHint();
    }
}

namespace Screen {
int Width() { return GetSystemMetrics(SM_CXSCREEN); }
int Height() { return GetSystemMetrics(SM_CYSCREEN); }
RECT WorkArea() {
    RECT r{0, 0, Width(), Height()};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}
TCustomForm* ActiveForm() { return dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetActiveWindow())); }
TWinControl* ActiveControl() { return TWinControl::FromHandle(GetFocus()); }
}  // namespace Screen

HWND DialogOwner() {
    if (TCustomForm* f = Screen::ActiveForm()) return f->WindowHandle();
    if (Application && Application->MainForm() && Application->MainForm()->WindowHandle() &&
        IsWindowVisible(Application->MainForm()->WindowHandle()))
        return Application->MainForm()->WindowHandle();
    return nullptr;
}
