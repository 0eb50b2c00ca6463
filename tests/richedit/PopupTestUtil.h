// Driving the context menu and the boxes and dialogs it opens, as a user
// does: the menu opened with a real right click and read back from the
// platform's menu while it is open; items, buttons and keys pressed with
// real input from a thread timer, which runs inside the menu's or the
// box's own modal loop.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TestUtil.h"

namespace popuptest {

// A step run on every tick of a thread timer until it returns true. Several
// may run at once (a menu that opens a dialog that shows a box).
class Watcher {
public:
    explicit Watcher(std::function<bool()> step) : step_(std::move(step)) {
        id_ = SetTimer(nullptr, 0, 25, Tick);
        Live()[id_] = this;
    }
    ~Watcher() {
        KillTimer(nullptr, id_);
        Live().erase(id_);
    }
    bool Done() const { return done_; }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

private:
    static std::map<UINT_PTR, Watcher*>& Live() {
        static std::map<UINT_PTR, Watcher*> m;
        return m;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        auto it = Live().find(id);
        if (it == Live().end()) return;
        Watcher* w = it->second;
        // A step that leads into a modal loop is not run again inside it.
        if (w->busy_ || w->done_) return;
        w->busy_ = true;
        bool done = w->step_();
        if (Live().count(id)) {
            w->busy_ = false;
            w->done_ = done;
        }
    }
    std::function<bool()> step_;
    UINT_PTR id_ = 0;
    bool busy_ = false, done_ = false;
};

// Input sent from inside a step: no pumping there.
inline void RawClick(int x, int y) {
    testsupport::SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    SetCursorPos(x, y);
    // On a fresh display the pointer can spring back once: put it back.
    for (int tries = 0; tries < 5; ++tries) {
        POINT p{};
        GetCursorPos(&p);
        if (p.x == x && p.y == y) break;
        Sleep(10);
        SetCursorPos(x, y);
    }
    testsupport::SendMouseInput(MOUSEEVENTF_LEFTDOWN);
    testsupport::SendMouseInput(MOUSEEVENTF_LEFTUP);
}
inline POINT CentreOf(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
inline void ClickWindow(HWND w) {
    POINT c = CentreOf(w);
    RawClick(c.x, c.y);
}

// Visible top-level windows of this thread with the class name.
struct ThreadWindowSearch {
    const char* cls;
    std::vector<HWND> found;
    static BOOL CALLBACK Visit(HWND w, LPARAM lp) {
        auto* c = reinterpret_cast<ThreadWindowSearch*>(lp);
        char name[64] = {};
        GetClassNameA(w, name, sizeof name);
        if (lstrcmpiA(name, c->cls) == 0 && IsWindowVisible(w)) c->found.push_back(w);
        return TRUE;
    }
};
inline std::vector<HWND> ThreadWindows(const char* className) {
    ThreadWindowSearch search{className, {}};
    EnumThreadWindows(GetCurrentThreadId(), ThreadWindowSearch::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One item of a platform menu as it shows.
struct SeenItem {
    std::string caption;
    bool separator = false, enabled = true, checked = false, isDefault = false;
    std::vector<SeenItem> sub;
};

inline std::vector<SeenItem> ReadMenu(HMENU menu) {
    std::vector<SeenItem> items;
    int n = GetMenuItemCount(menu);
    for (int pos = 0; pos < n; ++pos) {
        SeenItem it;
        char text[256] = {};
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STATE;
        mi.dwTypeData = text;
        mi.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mi);
        UINT state = GetMenuState(menu, static_cast<UINT>(pos), MF_BYPOSITION);
        it.caption = text;
        it.separator = (mi.fType & MFT_SEPARATOR) != 0;
        it.enabled = !(state & (MF_GRAYED | MF_DISABLED));
        it.checked = (state & MF_CHECKED) != 0;
        it.isDefault = (mi.fState & MFS_DEFAULT) != 0;
        if (mi.hSubMenu) it.sub = ReadMenu(mi.hSubMenu);
        items.push_back(std::move(it));
    }
    return items;
}

// The captions, separators as "-".
inline std::vector<std::string> Captions(const std::vector<SeenItem>& items) {
    std::vector<std::string> c;
    for (auto& i : items) c.push_back(i.separator ? "-" : i.caption);
    return c;
}

inline const SeenItem* Item(const std::vector<SeenItem>& items, const std::string& caption) {
    for (auto& i : items)
        if (!i.separator && i.caption == caption) return &i;
    return nullptr;
}

// What to do once the context menu is open and read: press Escape (empty
// path), or click the item with the caption, going through sub-menus
// ({"Sketch &Object", "Draw"}).
struct MenuResult {
    bool opened = false;
    std::vector<SeenItem> items;
};

inline int PositionOf(HMENU menu, const std::string& caption) {
    int n = GetMenuItemCount(menu);
    for (int pos = 0; pos < n; ++pos) {
        char text[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(pos), text, sizeof text, MF_BYPOSITION);
        if (caption == text) return pos;
    }
    return -1;
}

// Right-clicks at the screen point; while the menu is open reads it, saves
// the screen to shot (when not empty), then follows path.
inline MenuResult RightClickMenu(POINT at, std::vector<std::string> path, const std::string& shot = "") {
    MenuResult result;
    bool finished = false;
    int ticks = 0, seenTicks = 0;
    std::size_t depth = 0;
    HMENU current = nullptr;
    int closingTicks = 0;
    Watcher w([&]() -> bool {
        ++ticks;
        auto menus = ThreadWindows("#32768");
        if (menus.empty()) {
            if (ticks > 200) finished = true;  // no menu came
            return finished;
        }
        if (finished) {
            // The last key or click was lost: the menu's modal loop would
            // hold the caller for ever, so end it as the platform would.
            if (++closingTicks > 40) EndMenu();
            return false;
        }
        if (!result.opened) {
            // Give the menu a tick to be laid out and painted.
            if (++seenTicks < 3) return false;
            HWND mw = menus.front();
            current = reinterpret_cast<HMENU>(SendMessageW(mw, MN_GETHMENU, 0, 0));
            result.opened = true;
            result.items = ReadMenu(current);
            if (!shot.empty()) testsupport::SaveScreenBmp(shot);
            seenTicks = 0;
        }
        if (depth >= path.size()) {
            testsupport::SendKeyPressInput(VK_ESCAPE);
            finished = true;
            return false;
        }
        if (depth > 0) {
            // The sub-menu opened by the last step: its window shows its menu.
            HMENU sub = nullptr;
            for (HWND m : menus) {
                HMENU h = reinterpret_cast<HMENU>(SendMessageW(m, MN_GETHMENU, 0, 0));
                if (PositionOf(h, path[depth]) >= 0) sub = h;
            }
            if (!sub) {
                if (++seenTicks > 100) finished = true;
                return false;
            }
            if (++seenTicks < 3) return false;
            current = sub;
        }
        int pos = PositionOf(current, path[depth]);
        RECT r{};
        if (pos < 0 || !GetMenuItemRect(nullptr, current, static_cast<UINT>(pos), &r)) {
            testsupport::SendKeyPressInput(VK_ESCAPE);
            finished = true;
            return false;
        }
        ++depth;
        seenTicks = 0;
        RawClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        if (depth >= path.size()) finished = true;
        return false;
    });
    testsupport::MouseMoveTo(at.x, at.y);
    testsupport::MouseDown(true);
    testsupport::MouseUp(true);
    testsupport::WaitFor([&] { return finished; }, 8000);
    testsupport::WaitFor([] { return ThreadWindows("#32768").empty(); }, 3000);
    return result;
}

// Waits for a message box of this thread (a dialog other than those in
// except), reads its text and presses its OK button with the mouse. Run
// the action that should show it while the watcher exists.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<HWND> except = {})
        : watcher_([this, except] {
              for (HWND d : ThreadWindows("#32770")) {
                  if (std::find(except.begin(), except.end(), d) != except.end()) continue;
                  if (std::find(answered_.begin(), answered_.end(), d) != answered_.end()) continue;
                  HWND ok = GetDlgItem(d, IDOK);
                  if (!ok || !IsWindowVisible(ok)) continue;
                  // The box's text: every static child's.
                  std::wstring text;
                  for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                      char cls[32] = {};
                      GetClassNameA(c, cls, sizeof cls);
                      wchar_t t[512] = {};
                      if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextW(c, t, 512) > 0) text += t;
                  }
                  if (text.empty()) continue;
                  texts_.push_back(text);
                  answered_.push_back(d);
                  ClickWindow(ok);
                  return false;  // and keep answering later boxes
              }
              return false;
          }) {}
    const std::vector<std::wstring>& Texts() const { return texts_; }
    int Count() const { return static_cast<int>(texts_.size()); }

private:
    std::vector<std::wstring> texts_;
    std::vector<HWND> answered_;
    Watcher watcher_;
};

}  // namespace popuptest
