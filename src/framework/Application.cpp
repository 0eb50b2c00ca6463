// The application object (message loop, pre-translate chain, idle and
// update steps, hints, errors) and the hint window.
#include "Forms.h"

#include <algorithm>

#include "Dialogs.h"
#include "Menus.h"
#include "core/LauncherLink.h"

TApplication* Application = nullptr;

namespace {
constexpr UINT_PTR kHintShowTimer = 1, kHintHideTimer = 2;

// Our form whose window holds w.
TCustomForm* FormOfWindow(HWND w) {
    if (!w) return nullptr;
    return dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetAncestor(w, GA_ROOT)));
}
}  // namespace

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
        PaintDc dc(w);
        RECT r;
        GetClientRect(w, &r);
        UniqueBrush bk(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));
        FillRect(dc, &r, bk.Get());
        SelectRestorer f(dc, self->font_.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        InflateRect(&r, -2, -1);
        DrawTextA(dc, self->text_.c_str(), static_cast<int>(self->text_.size()), &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
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
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(launcher::kIconGroupId));
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

void TApplication::ShowMainForm() {
    // A program that is ending (a second copy) shows nothing.
    if (!mainForm_ || terminated_ || quitPosted_ || mainFormShown_) return;
    mainFormShown_ = true;
    try {
        mainForm_->Show();
        if (HWND w = mainForm_->WindowHandle()) RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    } catch (...) {
        HandleException(mainForm_);
    }
}

void TApplication::Run() {
    ShowMainForm();
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
        // Sleeps until a message is in the queue, even one that came during
        // the idle work and was seen there (a control that looks at the queue
        // to yield, GetQueueStatus or a peek): a plain WaitMessage waits for
        // a message newer than that and would leave a posted close unread.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
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
    quitPosted_ = true;
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
    HWND owner = DialogOwner();
    int answer = ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
    RecoverFromBox(owner);
    return answer;
}

void TApplication::RecoverFromBox(HWND owner) {
    // The box's own loop ran the thread meanwhile: a capture one of our
    // windows took there and whose release the box swallowed stays behind
    // and would keep every click from the controls under the pointer.
    // (GetCapture names only this thread's capture.)
    bool buttonHeld = (GetAsyncKeyState(VK_LBUTTON) | GetAsyncKeyState(VK_RBUTTON) | GetAsyncKeyState(VK_MBUTTON)) < 0;
    if (GetCapture() && !buttonHeld) ReleaseCapture();
    // The window the box belonged to answers again at once, even where the
    // platform gave the activation to nobody when the box went.
    if (owner && IsWindow(owner) && IsWindowVisible(owner) && IsWindowEnabled(owner) && !GetActiveWindow())
        SetActiveWindow(owner);
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
