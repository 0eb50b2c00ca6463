// Drives a modal dialog as a user would, from a second thread: real mouse
// clicks and key presses through the platform's input queue while the
// dialog's modal loop runs on the test's own thread. Controls are found by
// the names their stored layout gives them (handed over when the dialog
// shows) or by caption; state is read from the windows themselves.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "TestUtil.h"
#include "richedit/wwRichEdit.h"

namespace dialogdriver {

class Driver {
public:
    // Called on the test's thread from the dialog's shown hook.
    void Shown(TCustomForm& form) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int k = 0; k < form.ComponentCount(); ++k)
            if (auto* c = dynamic_cast<TWinControl*>(form.Components(k))) controls_[c->Name()] = c->Handle();
        SetForegroundWindow(form.Handle());
        uiThread_ = GetCurrentThreadId();
        dialog_ = form.Handle();
    }

    // Runs show() here (it shows the dialog modally) and script on a second
    // thread once the dialog is on the screen. If the script ends with the
    // dialog still open, the dialog is cancelled so that show() returns.
    template <class Show>
    auto Run(Show show, std::function<void(Driver&)> script) {
        uiThread_ = GetCurrentThreadId();
        std::thread driver([this, script] {
            if (!WaitFor([this] { return dialog_ != nullptr && IsWindowVisible(dialog_); }, 10000)) {
                Fail("the dialog did not show");
                return;
            }
            WaitFor([this] { return Foreground() == dialog_; });
            script(*this);
            if (IsWindow(dialog_) && IsWindowVisible(dialog_)) {
                PostMessageA(dialog_, WM_CLOSE, 0, 0);
                WaitFor([this] { return !IsWindowVisible(dialog_); }, 5000);
            }
        });
        struct Joiner {
            std::thread& t;
            ~Joiner() { t.join(); }
        } joiner{driver};
        return show();
    }

    HWND Dialog() const { return dialog_; }
    // A control by its stored name (null when the dialog has none).
    HWND Control(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = controls_.find(name);
        if (it == controls_.end()) {
            Fail("no control named " + name);
            return nullptr;
        }
        return it->second;
    }
    // A control of the dialog by its caption ("&OK").
    HWND ByCaption(const std::string& caption) {
        struct Search {
            Driver* self;
            std::string caption;
            HWND found = nullptr;
        } s{this, caption};
        struct Callback {
            static BOOL CALLBACK Proc(HWND w, LPARAM p) {
                auto* s = reinterpret_cast<Search*>(p);
                if (s->self->Text(w) != s->caption) return TRUE;
                s->found = w;
                return FALSE;
            }
        };
        EnumChildWindows(dialog_, Callback::Proc, reinterpret_cast<LPARAM>(&s));
        if (!s.found) Fail("no control captioned " + caption);
        return s.found;
    }

    std::string Text(HWND w) {
        char buf[512] = {};
        SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    HWND Focus() {
        GUITHREADINFO gi{};
        gi.cbSize = sizeof gi;
        GetGUIThreadInfo(uiThread_, &gi);
        return gi.hwndFocus;
    }
    HWND Foreground() { return GetForegroundWindow(); }
    bool Enabled(HWND w) { return IsWindowEnabled(w) != FALSE; }

    // Waits on a condition (checked every few milliseconds); false on time-out.
    bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 5000) {
        DWORD end = GetTickCount() + static_cast<DWORD>(timeoutMs);
        for (;;) {
            if (cond()) return true;
            if (static_cast<int>(end - GetTickCount()) <= 0) return false;
            Sleep(5);
        }
    }
    bool Expect(bool ok, const std::string& what) {
        if (!ok) Fail(what);
        return ok;
    }

    // A left click at a screen point.
    // Each button event carries the point too, so that no pointer motion
    // the display reports late can move the press elsewhere.
    void ClickAt(POINT p) {
        MoveTo(p);
        Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, p.x, p.y);
        Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, p.x, p.y);
    }
    // Moves the pointer and waits until the platform has it there and the
    // dialog's thread has taken in what the display reported about it.
    void MoveTo(POINT p) {
        Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p.x, p.y);
        WaitFor([&] {
            POINT now{};
            GetCursorPos(&now);
            return now.x == p.x && now.y == p.y;
        }, 1000);
        Sync();
    }
    // Returns once the dialog's thread has been through its message queue
    // (twice): pointer motion the display reports after a move would
    // otherwise take the modifier keys' state from the display again,
    // between a modifier's press and the key or click it modifies.
    void Sync() {
        DWORD_PTR result = 0;
        for (int k = 0; k < 2; ++k) SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
    }
    void Click(HWND w) {
        if (!w) return;
        RECT r;
        GetWindowRect(w, &r);
        ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // Clicks a control and waits until it has the focus.
    bool ClickFocus(HWND w) {
        Click(w);
        return Expect(WaitFor([&] { return Focus() == w; }), "the click did not focus the control");
    }
    void Key(WORD vk, bool shift = false, bool ctrl = false) {
        if (shift || ctrl) Sync();
        testsupport::SendKeyPressInput(vk, false, ctrl, shift, Extended(vk));
    }
    void HoldKey(WORD vk, bool down) { testsupport::SendKeyInput(vk, !down, Extended(vk)); }
    void Type(const std::string& text) {
        for (char ch : text) {
            SHORT scan = VkKeyScanA(ch);
            if (scan == -1) continue;
            Key(static_cast<WORD>(LOBYTE(scan)), (HIBYTE(scan) & 1) != 0, (HIBYTE(scan) & 2) != 0);
        }
    }
    // Clicks into an edit box, empties it with the keyboard and types text;
    // true once the box shows exactly that text.
    bool Replace(HWND edit, const std::string& text) {
        if (!edit || !ClickFocus(edit)) return false;
        Key(VK_END);
        Key(VK_HOME, true);
        Key(VK_DELETE);
        if (!Expect(WaitFor([&] { return Text(edit).empty(); }), "the box did not empty")) return false;
        Type(text);
        return Expect(WaitFor([&] { return Text(edit) == text; }), "the box does not show '" + text + "' but '" +
                                                                           Text(edit) + "'");
    }
    // Opens a drop-down list with a click and clicks one of its items.
    bool Choose(HWND combo, int index) {
        if (!combo) return false;
        Click(combo);
        COMBOBOXINFO ci{};
        ci.cbSize = sizeof ci;
        if (!Expect(WaitFor([&] { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }), "the list did not drop down"))
            return false;
        GetComboBoxInfo(combo, &ci);
        RECT item{};
        SendMessageA(ci.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ClientToScreen(ci.hwndList, &p);
        ClickAt(p);
        return Expect(WaitFor([&] {
                          return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) == 0 &&
                                 SendMessageA(combo, CB_GETCURSEL, 0, 0) == index;
                      }),
                      "item " + std::to_string(index) + " was not chosen");
    }
    // Clicks a button and waits until the dialog has closed.
    bool ClickToClose(HWND button) {
        Click(button);
        return Expect(WaitFor([&] { return !IsWindowVisible(dialog_); }), "the dialog did not close");
    }
    // A message box the test's thread shows now (null when none shows).
    HWND MessageBoxWindow(int timeoutMs = 5000) {
        struct Callback {
            static BOOL CALLBACK Proc(HWND w, LPARAM p) {
                char cls[32] = {};
                GetClassNameA(w, cls, sizeof cls);
                if (std::string(cls) != "#32770" || !IsWindowVisible(w)) return TRUE;
                *reinterpret_cast<HWND*>(p) = w;
                return FALSE;
            }
        };
        HWND found = nullptr;
        WaitFor(
            [&] {
                EnumThreadWindows(uiThread_, Callback::Proc, reinterpret_cast<LPARAM>(&found));
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }
    // Moves the mouse onto a control; true once the tool tip shows the
    // expected text. The text last seen goes to seen.
    bool HintAt(HWND w, const std::string& expected, std::string& seen) {
        auto tipText = [this] {
            HWND tip = FindWindowA("THintWindow", nullptr);
            return tip && IsWindowVisible(tip) ? Text(tip) : std::string();
        };
        RECT r;
        GetWindowRect(w, &r);
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        MoveTo({x - 1, y});
        MoveTo({x, y});
        bool shown = WaitFor([&] { return (seen = tipText()) == expected; });
        return shown;
    }
    // Every text of a window's children joined by newlines (a message box's message).
    std::string ChildTexts(HWND w) {
        struct Callback {
            static BOOL CALLBACK Proc(HWND c, LPARAM p) {
                char buf[512] = {};
                GetWindowTextA(c, buf, sizeof buf);
                *reinterpret_cast<std::string*>(p) += std::string(buf) + "\n";
                return TRUE;
            }
        };
        std::string all;
        EnumChildWindows(w, Callback::Proc, reinterpret_cast<LPARAM>(&all));
        return all;
    }
    // The list box's items.
    std::vector<std::string> Items(HWND list) {
        std::vector<std::string> items;
        int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int k = 0; k < n; ++k) {
            char buf[256] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(buf));
            items.push_back(buf);
        }
        return items;
    }
    // Clicks item k of a list box (with Ctrl held: adds it to the selection).
    void ClickItem(HWND list, int k, bool ctrl = false) {
        RECT item{};
        SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&item));
        POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ClientToScreen(list, &p);
        if (!ctrl) {
            ClickAt(p);
            return;
        }
        // Ctrl is held over the press only, with no motion in between.
        MoveTo(p);
        HoldKey(VK_CONTROL, true);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Mouse(MOUSEEVENTF_LEFTUP);
        HoldKey(VK_CONTROL, false);
    }
    // Waits until the dialog has painted, then saves it as a 24-bit bitmap file.
    bool SaveBitmap(const std::string& path) {
        struct Callback {
            static BOOL CALLBACK Proc(HWND c, LPARAM p) {
                if (GetUpdateRect(c, nullptr, FALSE)) *reinterpret_cast<bool*>(p) = false;
                return TRUE;
            }
        };
        auto painted = [this] {
            if (GetUpdateRect(dialog_, nullptr, FALSE)) return false;
            bool clean = true;
            EnumChildWindows(dialog_, Callback::Proc, reinterpret_cast<LPARAM>(&clean));
            return clean;
        };
        if (!Expect(WaitFor(painted), "the dialog did not finish painting")) return false;
        RECT r;
        GetWindowRect(dialog_, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        BITMAPINFOHEADER bi{};
        bi.biSize = sizeof bi;
        bi.biWidth = w;
        bi.biHeight = h;
        bi.biPlanes = 1;
        bi.biBitCount = 24;
        const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
        bi.biSizeImage = stride * static_cast<DWORD>(h);
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof fh + sizeof bi;
        fh.bfSize = fh.bfOffBits + bi.biSizeImage;
        bool ok = false;
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&bi, sizeof bi, 1, f) == 1 &&
                 std::fwrite(bits, bi.biSizeImage, 1, f) == 1;
            std::fclose(f);
        }
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        return Expect(ok, "cannot write " + path);
    }

    void Fail(const std::string& what) {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.push_back(what);
    }
    // The failures so far, joined (empty when none).
    std::string Failures() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string s;
        for (auto& f : failures_) s += (s.empty() ? "" : " | ") + f;
        return s;
    }

private:
    void Mouse(DWORD flags, int x = 0, int y = 0) { testsupport::SendMouseInput(flags, x, y); }
    // The editing keys the dialogs' fields take, sent as the extended keys they are.
    static bool Extended(WORD vk) {
        return vk == VK_END || vk == VK_HOME || vk == VK_DELETE || (vk >= VK_LEFT && vk <= VK_DOWN);
    }

    std::mutex mutex_;
    std::map<std::string, HWND> controls_;
    std::vector<std::string> failures_;
    std::atomic<HWND> dialog_{nullptr};
    DWORD uiThread_ = 0;
};

// A shown form holding one rich text control with two paragraphs, the caret
// in the first. Hints stay off while it lives, so that no tool tip lies
// under a click.
struct RichDocument {
    testsupport::TTestForm* form;
    TwwDBRichEdit* edit;
    bool hints;
    explicit RichDocument(TwwMeasurementUnits unit = TwwMeasurementUnits::muInches, int version = 2)
        : form(new testsupport::TTestForm()), hints(Application->ShowHint) {
        Application->ShowHint = false;
        form->SetBounds(40, 40, 500, 300);
        edit = new TwwDBRichEdit(form);
        edit->MeasurementUnits = unit;
        if (version != 2) edit->SetRichEditVersion(version);
        edit->SetBounds(0, 0, 480, 260);
        edit->SetParent(form);
        form->Show();
        edit->Lines()->SetText("First paragraph.\r\nSecond paragraph.");
        edit->SetSelStart(0);
        testsupport::Pump(20);
    }
    ~RichDocument() {
        delete form;
        Application->ShowHint = hints;
    }
    RichDocument(const RichDocument&) = delete;
    RichDocument& operator=(const RichDocument&) = delete;

    // The first paragraph's format, as the window reports it.
    PARAFORMAT2 Paragraph() const {
        PARAFORMAT2 p{};
        p.cbSize = sizeof p;
        SendMessageA(edit->Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
        return p;
    }
    // Sets the first paragraph's format directly (the starting state of a test).
    void SetParagraph(PARAFORMAT2 p) const {
        p.cbSize = sizeof p;
        SendMessageA(edit->Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
    }
    void SetTabs(const std::vector<LONG>& tabs) const {
        PARAFORMAT2 p{};
        p.dwMask = PFM_TABSTOPS;
        p.cTabCount = static_cast<SHORT>(tabs.size());
        for (std::size_t k = 0; k < tabs.size(); ++k) p.rgxTabs[k] = tabs[k];
        SetParagraph(p);
    }
    std::vector<LONG> Tabs() const {
        PARAFORMAT2 p = Paragraph();
        return std::vector<LONG>(p.rgxTabs, p.rgxTabs + p.cTabCount);
    }
};

// Where screenshots of the dialogs go when the environment names a folder.
inline std::string ShotPath(const char* name) {
    const char* dir = std::getenv("CODEXIA_SHOT_DIR");
    return dir && *dir ? std::string(dir) + "\\" + name : std::string();
}

}  // namespace dialogdriver
