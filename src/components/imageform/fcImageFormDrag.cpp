// Moving an image form's window: the thread mouse hook that sees a left
// press before the window does, the outline drag loop, and the system's
// full-window move.
#include <windowsx.h>

#include <cstdlib>

#include "Forms.h"
#include "fcimageform.h"

namespace {
// Shared by the image forms of the UI thread (the only thread that makes them).
HHOOK g_mouseHook = nullptr;
int g_hookClients = 0;
// Set while the hook starts a move, so that the presses the move loop
// dispatches do not start another.
bool g_inHook = false;

class InHookScope {
public:
    InHookScope() { g_inHook = true; }
    ~InHookScope() { g_inHook = false; }
    InHookScope(const InHookScope&) = delete;
    InHookScope& operator=(const InHookScope&) = delete;
};

bool Clickable(const TControl* c) { return c && (c->OnClick || c->OnMouseDown); }
}  // namespace

HHOOK TfcCustomImageForm::MouseHook() { return g_mouseHook; }
int TfcCustomImageForm::HookClients() { return g_hookClients; }

void TfcCustomImageForm::AddHookClient() {
    // A hook of this thread with its procedure in this program: no module.
    if (!g_mouseHook && g_hookClients == 0)
        g_mouseHook = SetWindowsHookExA(WH_MOUSE, &TfcCustomImageForm::MouseHookProc, nullptr, GetCurrentThreadId());
    ++g_hookClients;
}

void TfcCustomImageForm::RemoveHookClient() {
    --g_hookClients;
    if (g_hookClients <= 0 && g_mouseHook) {
        UnhookWindowsHookEx(g_mouseHook);
        g_mouseHook = nullptr;
    }
}

LRESULT CALLBACK TfcCustomImageForm::MouseHookProc(int code, WPARAM wp, LPARAM lp) {
    // The rest of the chain always runs first.
    LRESULT result = CallNextHookEx(g_mouseHook, code, wp, lp);
    // Only presses being taken from the queue: a press that is only looked
    // at comes again when it is taken.
    if (g_inHook || code != HC_ACTION) return result;
    if (wp != WM_LBUTTONDOWN && wp != WM_NCLBUTTONDOWN) return result;
    try {
        if (HookPress(*reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp))) result = 1;
    } catch (...) {
        if (Application) Application->HandleException(nullptr);
    }
    return result;
}

bool TfcCustomImageForm::HookPress(const MOUSEHOOKSTRUCT& press) {
    TWinControl* active = Screen::ActiveControl();
    TCustomForm* form = active ? GetParentForm(active) : nullptr;
    if (!form || !form->HandleAllocated()) return false;
    TWinControl* target = TWinControl::FromHandle(press.hwnd);
    for (int k = 0; k < form->ControlCount(); ++k) {
        auto* image = dynamic_cast<TfcCustomImageForm*>(form->Controls(k));
        if (!image) continue;
        TControl* bar = image->captionBarControl_;
        bool clickable = false, inside = false;
        if (target) {
            TWinControl* area = bar && bar->Parent() && bar->Parent() != form ? bar->Parent() : form;
            clickable = Clickable(area->ControlAtPos(area->ScreenToClient(press.pt), true));
            if (bar && bar->Parent()) {
                RECT bounds = bar->BoundsRect();
                inside = PtInRect(&bounds, bar->Parent()->ScreenToClient(press.pt)) && bar->Parent() == target;
            }
        }
        bool start = bar ? (!clickable && inside) || bar == target : !clickable && target == form;
        if (!start) continue;
        POINT at = form->ScreenToClient(press.pt);
        InHookScope scope;
        form->BringToFront();
        image->StartMove(TMouseButton::mbLeft, ssLeft, at.x, at.y);
        // One move per press, even with several image forms on the form.
        return true;
    }
    return false;
}

void TfcCustomImageForm::ParentMessage(TMessage& m) {
    if (Has(csDesigning)) return;
    if (m.msg == WM_DESTROY) {
        ClearRegion();
        return;
    }
    if (m.msg != WM_LBUTTONDOWN || !parent_) return;
    POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
    TControl* hit = parent_->ControlAtPos(pt, true);
    bool clickable = Clickable(hit);
    TControl* bar = captionBarControl_;
    bool start;
    if (bar) {
        // As for the hook: with a caption bar only presses on it move.
        RECT bounds = bar->BoundsRect();
        bool onBar = bar->Parent() == parent_ && PtInRect(&bounds, pt);
        start = hit == bar || (!clickable && onBar);
    } else {
        start = !clickable && (hit == this || hit == nullptr);
    }
    if (start) StartMove(TMouseButton::mbLeft, ShiftFromKeys(m.wParam), pt.x, pt.y);
}

bool TfcCustomImageForm::UseFullWindowDrag() {
    if (!(options_ & ifUseWindowsDrag)) return false;
    BOOL full = FALSE;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    return full != FALSE;
}

void TfcCustomImageForm::StartMove(TMouseButton, TShiftState shift, int x, int y) {
    TCustomForm* form = ParentForm();
    if (!form) return;
    HWND w = form->Handle();
    if (!(shift & ssLeft)) {
        SendMessageA(w, WM_SYSCOMMAND, SC_MOVE, 0);  // the keyboard move
        return;
    }
    if (UseFullWindowDrag()) {
        // The system moves the whole window while the button is down.
        ReleaseCapture();
        PostMessageA(w, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        return;
    }
    DragLoop(x, y);
}

void TfcCustomImageForm::DragLoop(int x, int y) {
    TCustomForm* form = ParentForm();
    if (!form) return;
    HWND w = form->Handle();
    bool first = true;
    RECT target;
    GetWindowRect(w, &target);
    SetCapture(w);
    struct CaptureRelease {
        HWND w;
        ~CaptureRelease() {
            if (GetCapture() == w) ReleaseCapture();
        }
    } release{w};
    while (GetCapture() == w) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The application's own loop must see the quit message too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // Where the cursor is now that the message came, not where it was
        // before the wait: the outline and the release use the latest place.
        POINT cursor;
        GetCursorPos(&cursor);
        switch (msg.message) {
        case WM_MOUSEMOVE: DragMouseMove(x, y, cursor, first, target); break;
        case WM_LBUTTONUP:
            DragMouseUp(cursor, target);
            DispatchQueuedMessage(msg);
            if (GetCapture() == w) ReleaseCapture();
            break;
        default:
            // As the application's loop would: the pre-translate chain first.
            DispatchQueuedMessage(msg);
            break;
        }
    }
}

void TfcCustomImageForm::DragMouseMove(int x, int y, POINT cursor, bool& first, RECT& target) {
    TCustomForm* form = ParentForm();
    if (!form) return;
    POINT origin = form->ClientToScreen(POINT{x, y});
    if (std::abs(cursor.x - origin.x) <= dragTolerance_ && std::abs(cursor.y - origin.y) <= dragTolerance_) return;
    HWND w = form->Handle();
    if (UseFullWindowDrag()) {
        dragging_ = true;
        Sleep(10);
        MSG skipped;
        while (PeekMessageA(&skipped, w, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
        }
        GetCursorPos(&cursor);
        SetWindowPos(w, nullptr, cursor.x - x, cursor.y - y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    WindowDc screen(nullptr);
    if (first) dragging_ = true;
    else DrawDragOutline(screen, dragRect_);  // XOR: drawing it again erases it
    target = {cursor.x - x, cursor.y - y, cursor.x - x + form->Width(), cursor.y - y + form->Height()};
    DrawDragOutline(screen, target);
    dragRect_ = target;
    first = false;
}

void TfcCustomImageForm::DragMouseUp(POINT, const RECT& target) {
    if (!dragging_) return;
    dragging_ = false;
    if (UseFullWindowDrag()) return;
    TCustomForm* form = ParentForm();
    if (!form) return;
    {
        WindowDc screen(nullptr);
        DrawDragOutline(screen, dragRect_);
    }
    HWND w = form->Handle();
    SetWindowPos(w, nullptr, target.left, target.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (GetCapture() == w) ReleaseCapture();
}

void TfcCustomImageForm::DrawDragOutline(HDC dc, const RECT& r) {
    // Three nested dotted rectangles: a frame 3 pixels wide.
    RECT ring = r;
    for (int k = 0; k < 3; ++k) {
        DrawFocusRect(dc, &ring);
        InflateRect(&ring, -1, -1);
    }
}
