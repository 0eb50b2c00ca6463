#include "TestUtil.h"

#include <map>

#include <fstream>

namespace testsupport {

void Pump(int milliseconds) {
    DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        Application->ProcessMessages();
        if (milliseconds > 0) Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    DWORD end = GetTickCount() + static_cast<DWORD>(timeoutMs);
    for (;;) {
        Application->ProcessMessages();
        if (cond()) return true;
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Sleep(5);
    }
}

namespace {
std::map<UINT_PTR, std::function<void()>>& Timed() {
    static std::map<UINT_PTR, std::function<void()>> m;
    return m;
}
void CALLBACK RunTimed(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = Timed().find(id);
    if (it == Timed().end()) return;
    auto fn = std::move(it->second);
    Timed().erase(it);
    if (fn) fn();
}
}  // namespace

UINT_PTR After(int ms, std::function<void()> fn) {
    UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(ms), RunTimed);
    Timed()[id] = std::move(fn);
    return id;
}

void Cancel(UINT_PTR id) {
    KillTimer(nullptr, id);
    Timed().erase(id);
}

std::vector<std::string>& Errors() {
    static std::vector<std::string> e;
    return e;
}

std::string TakeErrors() {
    std::string s;
    for (auto& e : Errors()) s += (s.empty() ? "" : " | ") + e;
    Errors().clear();
    return s;
}

void SendMouseInput(DWORD flags, int x, int y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        in.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
        in.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    }
    SendInput(1, &in, sizeof in);
}

namespace {
INPUT KeyEvent(WORD vk, bool up, bool extended) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}
void SendEvents(std::vector<INPUT> events) {
    if (!events.empty()) SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}
}  // namespace

void SendKeyInput(WORD vk, bool up, bool extended) { SendEvents({KeyEvent(vk, up, extended)}); }

void SendKeyPressInput(WORD vk, bool alt, bool ctrl, bool shift, bool extended) {
    std::vector<WORD> held;
    if (alt) held.push_back(VK_MENU);
    if (ctrl) held.push_back(VK_CONTROL);
    if (shift) held.push_back(VK_SHIFT);
    std::vector<INPUT> events;
    for (WORD k : held) events.push_back(KeyEvent(k, false, false));
    events.push_back(KeyEvent(vk, false, extended));
    events.push_back(KeyEvent(vk, true, extended));
    for (auto k = held.rbegin(); k != held.rend(); ++k) events.push_back(KeyEvent(*k, true, false));
    SendEvents(events);
}

void SendTextInput(std::wstring_view text) {
    std::vector<INPUT> events;
    for (wchar_t unit : text) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wScan = unit;
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        events.push_back(down);
        events.push_back(up);
    }
    SendEvents(events);
}

namespace {
void SendMouse(DWORD flags, int x = 0, int y = 0) {
    SendMouseInput(flags, x, y);
    Pump(30);
}
}  // namespace

void MouseMoveTo(int x, int y) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    // Under Wine the X server's pointer event for a window being mapped can
    // undo a warp: move again until the pointer is reported where it was sent.
    WaitFor([&] {
        SetCursorPos(x, y);
        Pump(20);
        POINT p;
        return GetCursorPos(&p) && p.x == x && p.y == y;
    }, 1000);
}
void MouseDown(bool right) { SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN); }
void MouseUp(bool right) { SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP); }

void ClickAt(int x, int y) {
    MouseMoveTo(x, y);
    MouseDown();
    MouseUp();
    Pump(30);
}

void DragBy(int x, int y, int dx, int dy) {
    MouseMoveTo(x, y);
    MouseDown();
    MouseMoveTo(x + dx / 2, y + dy / 2);
    MouseMoveTo(x + dx, y + dy);
    MouseUp();
    Pump(50);
}

void KeyPress(WORD vk, bool alt, bool ctrl, bool shift) {
    SendKeyPressInput(vk, alt, ctrl, shift);
    Pump(50);
}

void HoldKey(WORD vk, bool down) {
    SendKeyInput(vk, !down);
    Pump(20);
}

void TypeText(const std::string& text) {
    for (char ch : text) {
        SHORT scan = VkKeyScanA(ch);
        if (scan == -1) continue;
        KeyPress(static_cast<WORD>(LOBYTE(scan)), false, (HIBYTE(scan) & 2) != 0, (HIBYTE(scan) & 1) != 0);
    }
}

std::string ShownHintText(int timeoutMs) {
    if (!WaitFor([] { return Application->HintWindow() && Application->HintWindow()->Visible(); }, timeoutMs))
        return "";
    char text[256] = {};
    GetWindowTextA(Application->HintWindow()->Handle(), text, sizeof text);
    return text;
}

HCURSOR ScreenCursor() {
    CURSORINFO ci{};
    ci.cbSize = sizeof ci;
    GetCursorInfo(&ci);
    return ci.hCursor;
}

COLORREF ScreenPixel(int x, int y) {
    Pump(0);
    GdiFlush();
    WindowDc dc(nullptr);
    return GetPixel(dc, x, y);
}

bool SaveScreenBmp(const std::string& path, HWND wnd) {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (wnd) GetWindowRect(wnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    TBitmap bmp;
    bmp.SetSize(w, h);
    WindowDc screen(nullptr);
    BitBlt(bmp.Canvas().Handle(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    std::string bytes = bmp.SaveToBytes();
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

std::string PictureData(TBitmap& bmp) {
    TPicture picture;
    picture.Assign(&bmp);
    layout::Writer w;
    picture.SaveData(w);
    return w.Take();
}

std::string LayoutBytes(const layout::Node& root) { return layout::Encode(root); }

CX_IMPLEMENT_CLASS(TTestForm, TCustomForm, CX_ABSTRACT, {})

TTestForm::TTestForm(TComponent* owner) : TForm(owner ? owner : Application) {}

void TTestForm::Load(const layout::Node& root) {
    std::string bytes = LayoutBytes(root);
    LoadLayoutFrom(bytes.data(), bytes.size());
}

}  // namespace testsupport
