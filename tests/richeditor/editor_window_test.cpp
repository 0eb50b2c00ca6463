// The editor window as a user meets it: opened modally from a rich text
// control, driven from a second thread with real keys and clicks while the
// window's own loop runs, its menus read from the platform menus it shows,
// its message boxes answered with keys, and saved files read back from disk.
#include <gtest/gtest.h>

#include <dlgs.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "../print/FilePrinter.h"
#include "../print/PrintTestUtil.h"
#include "DialogDriver.h"
#include "Files.h"
#include "Printers.h"
#include "TestUtil.h"
#include "richedit/wwIntl.h"
#include "richeditor/wwRichEditForm.h"
#include "richeditor/wwRichParagraphDialog.h"
#include "richeditor/wwRichTabDialog.h"
#include "richeditor/wwRuler.h"

using namespace testsupport;

namespace {

constexpr unsigned kNotepadOptions = reoShowLoad | reoShowSaveAs | reoShowSaveExit | reoShowPrint | reoShowPageSetup |
                                     reoShowFormatBar | reoShowToolBar | reoShowStatusBar | reoShowHints |
                                     reoShowRuler | reoShowInsertObject | reoCloseOnEscape | reoFlatButtons |
                                     reoShowMainMenuIcons;

// Runs functions on the window's thread (the test's main thread) from the
// driver thread, through a message its loop dispatches.
class UiCall {
public:
    UiCall() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "EditorTestCall";
        RegisterClassA(&wc);
        wnd_ = CreateWindowA("EditorTestCall", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~UiCall() { DestroyWindow(wnd_); }
    void Run(const std::function<void()>& f) const {
        SendMessageA(wnd_, WM_APP, 0, reinterpret_cast<LPARAM>(&f));
    }
    // Waits until the window thread's own loop takes a posted message: the
    // handler it was in when the call was made (a window's showing) is done.
    void ReachLoop() const {
        long before = reached_;
        PostMessageA(wnd_, WM_APP + 1, 0, 0);
        for (int k = 0; k < 1000 && reached_ == before; ++k) Sleep(5);
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_APP) {
            (*reinterpret_cast<const std::function<void()>*>(lp))();
            return 0;
        }
        if (m == WM_APP + 1) {
            ++reached_;
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    HWND wnd_;
    static inline std::atomic<long> reached_{0};
};

// A visible message box (a dialog with the message's text item).
BOOL CALLBACK FindMessageBox(HWND w, LPARAM lp) {
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF)) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// A visible common dialog (open or save: a dialog without a message text).
BOOL CALLBACK FindFileDialog(HWND w, LPARAM lp) {
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(w) && !GetDlgItem(w, 0xFFFF)) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// The user at the keyboard and mouse, on the driver thread.
// Under Wine the X server's pointer, where it was before the first
// synthesized move (the middle of a fresh display), can come back after it:
// the move is made again until the pointer stays put, as a user's hand would
// bring it there.
void MoveTo(int x, int y) {
    for (int k = 0; k < 5; ++k) {
        SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
        Sleep(30);
        POINT now{};
        GetCursorPos(&now);
        if (now.x == x && now.y == y) break;
    }
}

struct Driver {
    const UiCall& ui;
    TwwRichEditForm* form;
    const std::atomic<bool>& gone;  // the window is closed (set on the window's thread)
    HWND window = nullptr;
    DWORD thread = 0;

    template <class F>
    auto On(F f) const {
        decltype(f()) result{};
        ui.Run([&] { result = f(); });
        return result;
    }
    void Do(const std::function<void()>& f) const { ui.Run(f); }
    bool Until(const std::function<bool()>& cond, int ms = 5000) const {
        for (DWORD end = GetTickCount() + static_cast<DWORD>(ms);;) {
            if (On(cond)) return true;
            if (static_cast<int>(end - GetTickCount()) <= 0) return false;
            Sleep(10);
        }
    }
    // Waits until the window's thread has handled everything queued so far.
    void Settle() const {
        Sleep(30);
        Do([] {});
        Sleep(30);
        Do([] {});
    }
    // Paints everything still to paint, for a picture of the screen.
    void Paint() const {
        Do([&] {
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        });
        Settle();
    }
    void Press(WORD vk, bool ctrl = false, bool alt = false, bool shift = false) const {
        SendKeyPressInput(vk, alt, ctrl, shift);
        Settle();
    }
    void Type(const std::string& text) const {
        for (char ch : text) {
            SHORT scan = VkKeyScanA(ch);
            Press(static_cast<WORD>(LOBYTE(scan)), false, false, (HIBYTE(scan) & 1) != 0);
        }
    }
    void Click(TControl* c, int x, int y) const {
        POINT p = On([&] { return c->ClientToScreen(POINT{x, y}); });
        MoveTo(p.x, p.y);
        SendMouseInput(MOUSEEVENTF_LEFTDOWN);
        SendMouseInput(MOUSEEVENTF_LEFTUP);
        Settle();
    }
    bool Closed() const { return On([&] { return gone.load(); }); }
    std::string EditorText() const { return On([&] { return gone ? std::string() : form->RichEdit1->Text(); }); }
    // A message box of the window's thread, once it shows.
    HWND MessageBoxWindow(int ms = 5000) const {
        HWND found = nullptr;
        for (DWORD end = GetTickCount() + static_cast<DWORD>(ms); !found;) {
            EnumThreadWindows(thread, FindMessageBox, reinterpret_cast<LPARAM>(&found));
            if (found || static_cast<int>(end - GetTickCount()) <= 0) break;
            Sleep(10);
        }
        return found;
    }
    // The common dialog the window's thread shows, once it shows; null
    // after ms without one. A busy machine can take many seconds: the font
    // dialog lists every installed font before it shows.
    HWND WaitForDialog(int ms = 15000) const {
        HWND dlg = nullptr;
        for (DWORD end = GetTickCount() + static_cast<DWORD>(ms); !dlg && static_cast<int>(end - GetTickCount()) > 0;) {
            EnumThreadWindows(thread, FindFileDialog, reinterpret_cast<LPARAM>(&dlg));
            if (!dlg) Sleep(10);
        }
        return dlg;
    }
    // Takes the open or save dialog's OK once it shows, and waits for it to go.
    bool AcceptFileDialog() const {
        HWND dlg = WaitForDialog();
        if (!dlg) return false;
        Settle();
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        for (DWORD end = GetTickCount() + 5000; IsWindow(dlg) && IsWindowVisible(dlg);) {
            if (static_cast<int>(end - GetTickCount()) <= 0) return false;
            Sleep(10);
        }
        Settle();
        return true;
    }
    static std::string BoxText(HWND box) {
        char text[512] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        return text;
    }
    // The captions of a platform menu, as the window shows it (owner-drawn
    // items by their framework item).
    std::vector<std::string> MenuCaptions(HMENU menu) const {
        return On([&] {
            std::vector<std::string> out;
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                MENUITEMINFOA mi{};
                mi.cbSize = sizeof mi;
                mi.fMask = MIIM_ID | MIIM_FTYPE;
                GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi);
                if (mi.fType & MFT_SEPARATOR) {
                    out.push_back("-");
                } else if (TMenuItem* item = TMenuItem::FindCommand(mi.wID)) {
                    out.push_back(item->Caption);
                } else {
                    char text[128] = {};
                    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                    out.push_back(text);
                }
            }
            return out;
        });
    }
    // Presses Alt and a menu's letter, and waits for the menu to show.
    void MenuKey(char letter) const {
        Press(static_cast<WORD>(letter), false, true);
        // A busy machine can take seconds to show it.
        for (int k = 0; k < 1500; ++k) {
            HWND menu = FindWindowA("#32768", nullptr);
            if (menu && IsWindowVisible(menu)) break;
            Sleep(10);
        }
        Settle();
    }
    // Opens a menu of the bar with Alt and its letter, reads it, closes it.
    std::vector<std::string> OpenMenu(char letter, int index) const {
        MenuKey(letter);
        HMENU bar = On([&] { return GetMenu(form->WindowHandle()); });
        std::vector<std::string> items = MenuCaptions(GetSubMenu(bar, index));
        Press(VK_ESCAPE);
        Press(VK_ESCAPE);
        return items;
    }
};

// A window holding the control the editor opens on.
class EditorWindowTest : public testing::Test {
protected:
    void SetUp() override {
        host = new TTestForm();
        host->SetBounds(0, 0, 300, 200);
        control = new TwwDBRichEdit(host);
        control->SetParent(host);
        control->SetBounds(0, 0, 280, 180);
        control->EditorOptions = kNotepadOptions;
        control->EditorCaption = "Notepad";
        control->EditorPosition()->Width = 400;
        control->EditorPosition()->Height = 300;
        host->Show();
        Pump(20);
        Errors().clear();
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        dir = std::string(base) + "codexia-editor-" + std::to_string(GetTickCount());
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    void TearDown() override {
        TCommonDialog::OnDialogShown = nullptr;
        delete host;
    }

    // Opens the editor and runs body on a driver thread while it shows;
    // whatever the body leaves open is closed without saving.
    bool Edit(const std::function<void(Driver&)>& body) {
        UiCall ui;
        TwwRichEditForm* form = nullptr;
        std::atomic<bool> gone{false}, done{false};
        control->OnCreateDialog = [&](TObject*, TForm* f) { form = dynamic_cast<TwwRichEditForm*>(f); };
        control->OnCloseDialog = [&](TObject*, TForm*) { gone = true; };
        std::thread driver([&] {
            Driver d{ui, nullptr, gone};
            d.Until([&] { return form && form->WindowHandle() && IsWindowVisible(form->WindowHandle()); }, 10000);
            d.form = form;
            ui.ReachLoop();
            if (form) {
                d.window = d.On([&] { return form->WindowHandle(); });
                d.thread = GetWindowThreadProcessId(d.window, nullptr);
                // Keys go to the foreground window: the editor's, once the
                // platform has activated it (later under load).
                d.Until([&] { return GetForegroundWindow() == d.window; }, 5000);
                body(d);
                d.Do([&] {
                    if (!gone) EndMenu();
                    if (!gone && form->ModalResult == mrNone) {
                        form->RichEdit1->SetModified(false);
                        form->ModalResult = mrCancel;
                        // Wakes the window's loop, which waits for a posted message.
                        PostMessageA(form->WindowHandle(), WM_NULL, 0, 0);
                    }
                });
            }
            done = true;
        });
        bool result = false;
        auto finish = [&] {
            // The driver may still be asking the window's thread.
            while (!done) {
                Application->ProcessMessages();
                Sleep(5);
            }
            driver.join();
        };
        try {
            result = control->EditInWindow();
        } catch (...) {
            finish();
            throw;
        }
        finish();
        return result;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    TTestForm* host = nullptr;
    TwwDBRichEdit* control = nullptr;
    std::string dir;
};

bool MenuShowing() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
}

bool Has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

}  // namespace

TEST_F(EditorWindowTest, NotepadOptionsShowTheirMenusBarsAndSeparators) {
    control->Lines()->SetText("Notes of the reader");
    const std::string before = control->Text();
    std::vector<std::string> bar, file, insert;
    bool spell = true, justify = true, toolbar = false, format = false, status = false, ruler = false;
    std::string caption;
    RECT window{};
    bool result = Edit([&](Driver& d) {
        bar = d.MenuCaptions(d.On([&] { return GetMenu(d.form->WindowHandle()); }));
        file = d.OpenMenu('F', 0);
        d.Do([&] {
            auto* f = d.form;
            spell = f->SpellButton->Visible();
            justify = f->JustifyButton->Visible();
            toolbar = f->Toolbar->Showing();
            format = f->FormatBar->Showing();
            status = f->StatusBar->Showing() && IsWindowVisible(f->StatusBar->WindowHandle());
            ruler = f->Ruler->Showing();
            caption = f->Caption();
            GetWindowRect(f->WindowHandle(), &window);
        });
        if (const char* shot = std::getenv("CODEXIA_EDITOR_SHOT")) SaveScreenBmp(shot);
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(caption, "Notepad");
    EXPECT_EQ(window.right - window.left, 400);
    EXPECT_EQ(window.bottom - window.top, 300);
    EXPECT_TRUE(Has(bar, "&File") && Has(bar, "&Edit") && Has(bar, "&View") && Has(bar, "&Insert") &&
                Has(bar, "F&ormat"));
    EXPECT_FALSE(Has(bar, "&Tools"));
    EXPECT_FALSE(Has(bar, "Help"));
    EXPECT_EQ(file, (std::vector<std::string>{"&Load", "Save &As", "&Save and Exit", "-", "&Print", "Page Set&up",
                                              "-", "E&xit"}));
    EXPECT_FALSE(spell);
    EXPECT_FALSE(justify);
    EXPECT_TRUE(toolbar && format && status && ruler);
    EXPECT_EQ(control->Text(), before);
    EXPECT_EQ(TakeErrors(), "");
}

TEST_F(EditorWindowTest, SaveAsAloneAmongTheFileCommandsHidesTheFirstSeparator) {
    control->EditorOptions = reoShowSaveAs | reoShowPrint | reoFlatButtons;
    std::vector<std::string> file;
    Edit([&](Driver& d) { file = d.OpenMenu('F', 0); });
    EXPECT_EQ(file, (std::vector<std::string>{"Save &As", "&Print", "-", "E&xit"}));
}

// What a screen reader reads: the platform menus of the window, read with
// the platform's own calls (not through the framework's items), hold every
// caption with its shortcut after a tab, none of them drawn by the program
// as a whole; pictures are the platform's bitmap callback. (Under Wine menus
// are private to their process: they are read here from the driver thread.)
// The "&" letters are the platform's own: Alt+F, L opens the Open dialog.
TEST_F(EditorWindowTest, TheMenusHoldTheirCaptionsAndShortcutsAsTextAndTheirLettersWork) {
    struct Read {
        std::vector<std::wstring> text;
        std::vector<bool> drawn, picture;
    };
    auto read = [](HMENU m) {
        Read r;
        for (int k = 0; k < GetMenuItemCount(m); ++k) {
            wchar_t text[128] = {};
            GetMenuStringW(m, static_cast<UINT>(k), text, 128, MF_BYPOSITION);
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_FTYPE | MIIM_BITMAP;
            GetMenuItemInfoW(m, static_cast<UINT>(k), TRUE, &mi);
            r.text.push_back((mi.fType & MFT_SEPARATOR) ? L"-" : text);
            r.drawn.push_back((mi.fType & MFT_OWNERDRAW) != 0);
            r.picture.push_back(mi.hbmpItem == HBMMENU_CALLBACK);
        }
        return r;
    };
    Read file, edit, colours;
    bool opened = false;
    Edit([&](Driver& d) {
        HMENU bar = GetMenu(d.window);
        file = read(GetSubMenu(bar, 0));
        edit = read(GetSubMenu(bar, 1));
        colours = read(d.On([&] { return d.form->PopupMenu1->Handle(); }));
        d.MenuKey('F');
        d.Press('L');
        if (HWND dlg = d.WaitForDialog()) {
            opened = true;
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
            d.Until([&] { return !IsWindowVisible(dlg); });
        }
    });
    // The captions and shortcuts of the window's stored layout.
    EXPECT_EQ(file.text, (std::vector<std::wstring>{L"&Load", L"Save &As", L"&Save and Exit\tCtrl+S", L"-",
                                                    L"&Print\tCtrl+P", L"Page Set&up", L"-", L"E&xit"}));
    EXPECT_EQ(file.picture, (std::vector<bool>{true, true, true, false, true, true, false, true}));
    ASSERT_GE(edit.text.size(), 3u);
    EXPECT_EQ(edit.text[0], L"&Undo\tCtrl+Z");
    EXPECT_EQ(edit.text[1], L"&Redo\tCtrl+Y");
    EXPECT_EQ(edit.text.back(), L"R&eplace\tCtrl+H");
    for (const Read* r : {&file, &edit})
        for (bool drawn : r->drawn) EXPECT_FALSE(drawn);
    // The colour menu is drawn whole (its swatches), and still holds its names.
    ASSERT_EQ(colours.text.size(), 17u);
    EXPECT_EQ(colours.text.front(), L"Black");
    EXPECT_EQ(colours.text.back(), L"Automatic");
    EXPECT_TRUE(colours.drawn.front());
    EXPECT_TRUE(opened) << "Alt+F, L did not open the Open dialog";
    EXPECT_EQ(TakeErrors(), "");
}

TEST_F(EditorWindowTest, AReadOnlyWindowOffersNoChangesAndEscapeClosesWithoutAQuestion) {
    control->Lines()->SetText("Fixed text");
    control->SetReadOnly(true);
    control->EditorOptions = kNotepadOptions & ~unsigned{reoCloseOnEscape};
    std::vector<std::string> bar, file;
    bool bars = true, asked = true, closed = false;
    Edit([&](Driver& d) {
        bar = d.MenuCaptions(d.On([&] { return GetMenu(d.form->WindowHandle()); }));
        file = d.OpenMenu('F', 0);
        d.Do([&] {
            auto* f = d.form;
            bars = f->Toolbar->Showing() || f->FormatBar->Showing() || f->Ruler->Showing() || f->StatusBar->Showing();
        });
        if (const char* shot = std::getenv("CODEXIA_EDITOR_READONLY_SHOT")) SaveScreenBmp(shot);
        d.Press(VK_ESCAPE);
        asked = d.MessageBoxWindow(300) != nullptr;
        closed = d.Until([&] { return d.gone.load(); });
    });
    EXPECT_FALSE(Has(bar, "&View"));
    EXPECT_FALSE(Has(bar, "F&ormat"));
    EXPECT_FALSE(Has(bar, "&Insert"));
    EXPECT_TRUE(Has(bar, "&Edit"));
    EXPECT_EQ(file, (std::vector<std::string>{"&Print", "Page Set&up", "-", "E&xit"}));
    EXPECT_FALSE(bars);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(closed);
}

TEST_F(EditorWindowTest, ClosingAsksOnlyForAChangedDocumentAndCancelKeepsIt) {
    control->Lines()->SetText("First line");
    control->SetModified(false);
    // Unchanged: Escape closes at once.
    bool asked = true;
    EXPECT_FALSE(Edit([&](Driver& d) {
        d.Press(VK_END, true);
        d.Press(VK_ESCAPE);
        asked = d.MessageBoxWindow(300) != nullptr;
    }));
    EXPECT_FALSE(asked);

    // Changed: asked once; Cancel keeps the window and the text; No discards.
    std::string question, kept;
    int questions = 0;
    bool stillOpen = false;
    EXPECT_FALSE(Edit([&](Driver& d) {
        d.Press(VK_END, true);
        d.Type(" more");
        d.Press(VK_ESCAPE);
        HWND box = d.MessageBoxWindow();
        if (!box) return;
        ++questions;
        question = Driver::BoxText(box);
        d.Press(VK_ESCAPE);  // Cancel
        stillOpen = d.Until([&] { return !d.gone && d.form->Visible() && d.form->ModalResult == mrNone; });
        questions += d.MessageBoxWindow(200) ? 1 : 0;
        kept = d.EditorText();
        d.Press(VK_ESCAPE);
        if (HWND again = d.MessageBoxWindow()) {
            d.Press('N');
            d.Until([&] { return !IsWindow(again) || !IsWindowVisible(again); });
        }
    }));
    EXPECT_EQ(question, "Changes have been made!  Do you wish to save your changes?");
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(kept, "First line more");
    EXPECT_EQ(control->Text(), "First line");
    EXPECT_FALSE(control->Modified());

    // Yes saves the change back into the control.
    EXPECT_TRUE(Edit([&](Driver& d) {
        d.Press(VK_END, true);
        d.Type(" kept");
        d.Press(VK_ESCAPE);
        if (d.MessageBoxWindow()) d.Press('Y');
    }));
    EXPECT_EQ(control->Text(), "First line kept");
    EXPECT_TRUE(control->Modified());
}

TEST_F(EditorWindowTest, CtrlIMakesItalicWithoutATabAndCtrlBBold) {
    control->Lines()->SetText("word");
    std::string text;
    TFontStyles styleAfterI = 0, styleAfterB = 0, styleAfterSecondI = 0;
    bool italicDown = false;
    bool saved = Edit([&](Driver& d) {
        d.Press('A', true);  // Select All
        d.Press('I', true);
        d.Do([&] {
            styleAfterI = d.form->RichEdit1->SelAttributes()->Style();
            italicDown = d.form->ItalicButton->Down();
        });
        d.Press('B', true);
        styleAfterB = d.On([&] { return d.form->RichEdit1->SelAttributes()->Style(); });
        d.Press('I', true);
        styleAfterSecondI = d.On([&] { return d.form->RichEdit1->SelAttributes()->Style(); });
        text = d.EditorText();
        d.Press('S', true);  // Save and Exit
    });
    EXPECT_TRUE(saved);
    EXPECT_EQ(styleAfterI & fsItalic, unsigned{fsItalic});
    EXPECT_TRUE(italicDown);
    EXPECT_EQ(styleAfterB & (fsBold | fsItalic), unsigned{fsBold | fsItalic});
    EXPECT_EQ(styleAfterSecondI & (fsBold | fsItalic), unsigned{fsBold});
    EXPECT_EQ(text, "word");
    EXPECT_EQ(control->Text(), "word");
}

std::atomic<int> undoRequests{0};
LRESULT CALLBACK CountUndo(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && reinterpret_cast<CWPSTRUCT*>(lp)->message == EM_UNDO) ++undoRequests;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(EditorWindowTest, CtrlZUndoesOnceOnItsRelease) {
    control->Lines()->SetText("keep");
    control->SetModified(false);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountUndo, nullptr, GetCurrentThreadId());
    std::string typed, undone;
    int afterDown = -1, afterRelease = -1;
    Edit([&](Driver& d) {
        d.Press(VK_END, true);
        d.Type(" more");
        typed = d.EditorText();
        undoRequests = 0;
        SendKeyInput(VK_CONTROL, false);
        SendKeyInput('Z', false);
        d.Settle();
        afterDown = undoRequests;
        SendKeyInput('Z', true);
        SendKeyInput(VK_CONTROL, true);
        d.Settle();
        afterRelease = undoRequests;
        undone = d.EditorText();
    });
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(typed, "keep more");
    EXPECT_EQ(afterDown, 0);
    EXPECT_EQ(afterRelease, 1);
    EXPECT_NE(undone, typed);
}

TEST_F(EditorWindowTest, TheUserButtonsJoinTheToolBarAndGoBackHidden) {
    auto* mine = new TSpeedButton(host);
    mine->SetParent(host);
    mine->SetBounds(5, 5, 23, 22);
    control->SetUserSpeedButton(0, mine);
    bool onBar = false, shown = false, separator = false;
    int left = 0, expected = -1;
    Edit([&](Driver& d) {
        d.Do([&] {
            auto* f = d.form;
            onBar = mine->Parent() == f->Toolbar;
            shown = mine->Visible();
            separator = f->UserButtonBevel->Visible();
            left = mine->Left();
            expected = f->UndoButton->Left() + f->UndoButton->Width() + 32;
        });
    });
    EXPECT_TRUE(onBar);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(separator);
    EXPECT_EQ(left, expected);
    EXPECT_EQ(mine->Parent(), host);
    EXPECT_FALSE(mine->Visible());
}

TEST_F(EditorWindowTest, AFontNameOutsideTheListShowsRedUntilAListedOneIsChosen) {
    control->Lines()->SetText("");
    TwwRichMemoryStream ms;
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Nowhere Face Sans;}}\\f0\\fs20 Odd face\\par}";
    ms.WriteString(rtf);
    ms.SetPosition(0);
    control->Lines()->LoadFromStream(ms);
    TColor before = clNone, after = clNone;
    std::string shown, chosen, applied;
    Edit([&](Driver& d) {
        d.Press('A', true);  // Select All
        d.Do([&] {
            before = d.form->FontNameCombo->Font()->Color();
            shown = d.form->FontNameCombo->Text();
        });
        // The list opens under a click on the box's arrow; the first face is chosen.
        TComboBox* box = d.form->FontNameCombo;
        int width = d.On([&] { return box->Width(); });
        d.Click(box, width - 8, 10);
        d.Until([&] { return box->DroppedDown(); });
        d.Press(VK_DOWN);
        d.Press(VK_RETURN);
        d.Do([&] {
            after = d.form->FontNameCombo->Font()->Color();
            chosen = d.form->FontNameCombo->Text();
            applied = d.form->RichEdit1->SelAttributes()->Name();
        });
    });
    EXPECT_EQ(shown, "Nowhere Face Sans");
    EXPECT_EQ(before, clRed);
    EXPECT_EQ(after, clWindowText);
    EXPECT_FALSE(chosen.empty());
    EXPECT_NE(chosen, "Nowhere Face Sans");
    EXPECT_EQ(applied, chosen);
}

TEST_F(EditorWindowTest, SaveAsTextWritesPlainTextAndTheEditorStaysRich) {
    control->Lines()->SetText("");
    TwwRichMemoryStream ms;
    ms.WriteString("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Plain \\b bold\\b0  words\\par}");
    ms.SetPosition(0);
    control->Lines()->LoadFromStream(ms);
    const std::string txt = dir + "\\notes.txt", rtfName = dir + "\\notes.rtf";
    // The save dialog comes up with the name and filter chosen, and takes OK.
    bool plainAfter = true;
    std::string errorsAfterHeld, keptAfterFailure, loaded;
    Edit([&](Driver& d) {
        auto saveAs = [&](const std::string& name, int filter) {
            d.Do([&] {
                d.form->SaveDialog1->FileName = name;
                d.form->SaveDialog1->FilterIndex = filter;
            });
            d.MenuKey('F');
            d.Press('A');
            d.AcceptFileDialog();
        };
        saveAs(txt, 2);
        d.Until([&] { return FileExists(txt); });
        plainAfter = d.On([&] { return d.form->RichEdit1->PlainText(); });
        saveAs(rtfName, 1);
        d.Until([&] { return FileExists(rtfName); });
        // Yes to the overwrite question while another program holds the
        // file: the save fails and the file stays as it was.
        d.Do([&] {
            d.form->RichEdit1->SelectAll();
            d.form->RichEdit1->SetSelText("replaced");
        });
        HANDLE held = CreateFileA(rtfName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        saveAs(rtfName, 1);
        if (d.MessageBoxWindow()) d.Press('Y');
        d.Until([&] { return !Errors().empty(); }, 3000);
        CloseHandle(held);
        errorsAfterHeld = d.On([] { return TakeErrors(); });
        keptAfterFailure = ReadFile(rtfName);
        // Load reads the text file back.
        d.Do([&] { d.form->OpenDialog1->FileName = txt; });
        d.MenuKey('F');
        d.Press('L');
        d.AcceptFileDialog();
        d.Until([&] { return d.form->RichEdit1->Text().find("Plain bold words") == 0; });
        loaded = d.EditorText();
    });
    EXPECT_EQ(ReadFile(txt), "Plain bold words");
    EXPECT_FALSE(plainAfter);
    std::string rtf = ReadFile(rtfName);
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("\\b bold"), std::string::npos) << rtf;
    EXPECT_NE(errorsAfterHeld.find("Cannot write"), std::string::npos) << errorsAfterHeld;
    EXPECT_EQ(keptAfterFailure, rtf);
    EXPECT_EQ(loaded.rfind("Plain bold words", 0), 0u) << loaded;
    // No temporary file is left beside them.
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.~*").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST_F(EditorWindowTest, TheColourMenuColoursTheSelectionAndCapsLockShowsInTheStatusBar) {
    control->Lines()->SetText("colour me");
    // The window at its stored size, so that the whole format bar shows.
    control->EditorPosition()->Width = 0;
    control->EditorPosition()->Height = 0;
    int items = 0;
    COLORREF colour = 0;
    std::string capOn, capOff;
    bool saved = Edit([&](Driver& d) {
        d.Press('A', true);
        items = d.On([&] { return d.form->PopupMenu1->Items()->Count(); });
        TSpeedButton* button = d.form->ColorButton;
        // The menu drops under the button; Red is its tenth item. Another
        // program's window in the way takes a click: try again.
        for (int attempt = 0; attempt < 3 && !MenuShowing(); ++attempt) {
            d.Click(button, 11, 11);
            for (int k = 0; k < 200 && !MenuShowing(); ++k) Sleep(10);
        }
        if (MenuShowing()) {
            for (int k = 0; k < 10; ++k) d.Press(VK_DOWN);
            d.Press(VK_RETURN);
        }
        d.Settle();
        colour = d.On([&] { return ColorToRGB(d.form->RichEdit1->SelAttributes()->Color()); });
        d.Press(VK_CAPITAL);
        capOn = d.On([&] { return d.form->StatusBar->Panels()[1].Text(); });
        d.Press(VK_CAPITAL);
        capOff = d.On([&] { return d.form->StatusBar->Panels()[1].Text(); });
        d.Press('S', true);
    });
    EXPECT_TRUE(saved);
    EXPECT_EQ(items, 17);
    EXPECT_EQ(colour, RGB(255, 0, 0));
    EXPECT_EQ(capOn, "CAP");
    EXPECT_EQ(capOff, "");
}

// Pictures of the window for looking at (and for the documentation): a
// tool, not a check, run by tests/shoot.sh editor.
TEST_F(EditorWindowTest, DISABLED_Screenshots) {
    const char* shots = std::getenv("CODEXIA_EDITOR_SHOTS");
    if (!shots) GTEST_SKIP() << "CODEXIA_EDITOR_SHOTS not set";
    const std::string out = shots;
    TwwRichMemoryStream ms;
    ms.WriteString(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
        "{\\colortbl;\\red128\\green0\\blue0;\\red0\\green0\\blue128;\\red255\\green255\\blue0;}"
        "\\f1\\fs24\\b Notes on the harbour\\b0\\par"
        "\\f0\\fs20 The lanterns are lit at dusk by the \\i harbour master\\i0 , one by one.\\par"
        "\\cf1 Marlow writes the tide tables in red ink\\cf0 ; the \\ul ferry\\ulnone  leaves at "
        "\\highlight3 six\\highlight0 .\\par "
        "Check the moorings\\par "
        "Light the lanterns\\par "
        "Write up the log\\par"
        "\\pard\\qc\\cf2\\b A centred line in navy\\b0\\cf0\\par\\pard\\par}");
    ms.SetPosition(0);
    control->Lines()->LoadFromStream(ms);
    control->SetSelStart(60);
    control->EditorPosition()->Width = 0;
    control->EditorPosition()->Height = 0;
    Edit([&](Driver& d) {
        // The three short lines (the fourth to the sixth) become a list with
        // the window's own Bullets button.
        d.Do([&] {
            auto* e = d.form->RichEdit1;
            const int from = static_cast<int>(e->Perform(EM_LINEINDEX, 3));
            e->SetSelStart(from);
            e->SetSelLength(static_cast<int>(e->Perform(EM_LINEINDEX, 5)) + 3 - from);
        });
        d.Click(d.form->BulletButton, 11, 11);
        d.Do([&] { d.form->RichEdit1->SetSelStart(62); });
        d.Paint();
        SaveScreenBmp(out + "\\editor-window.bmp", d.window);
        std::thread pick([&] {
            for (int k = 0; k < 500; ++k) {
                HWND menu = FindWindowA("#32768", nullptr);
                if (menu && IsWindowVisible(menu)) break;
                Sleep(10);
            }
            Sleep(100);
            SaveScreenBmp(out + "\\editor-colour-menu.bmp");
            SendKeyInput(VK_ESCAPE, false);
            SendKeyInput(VK_ESCAPE, true);
        });
        d.Click(d.form->ColorButton, 11, 11);
        pick.join();
        d.Settle();
        d.Press('E', false, true);
        Sleep(100);
        SaveScreenBmp(out + "\\editor-edit-menu.bmp");
        d.Press(VK_ESCAPE);
        d.Press(VK_ESCAPE);
        // The File menu, the View menu's check marks, and the Format menu
        // with the caret in the list (Bullet Style checked).
        for (const auto& [letter, name] :
             {std::pair<char, const char*>{'F', "file"}, {'V', "view"}, {'O', "format"}}) {
            if (letter == 'O')
                d.Do([&] { d.form->RichEdit1->SetSelStart(static_cast<int>(d.form->RichEdit1->Perform(EM_LINEINDEX, 4))); });
            d.MenuKey(letter);
            Sleep(100);
            SaveScreenBmp(out + "\\editor-" + name + "-menu.bmp");
            d.Press(VK_ESCAPE);
            d.Press(VK_ESCAPE);
        }
        d.Do([&] { d.form->RichEdit1->SetSelStart(62); });
        // The paragraph dialog, opened from the Format menu over the window.
        HWND paragraph = nullptr;
        TwwRichParagraphDialog::OnDialogShown = [&](TwwRichParagraphDialog& dlg) { paragraph = dlg.Handle(); };
        d.MenuKey('O');
        d.Press('P');
        d.Until([&] { return paragraph && IsWindowVisible(paragraph); });
        d.Paint();
        d.Do([&] {
            RedrawWindow(paragraph, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        });
        d.Settle();
        SaveScreenBmp(out + "\\editor-paragraph-dialog.bmp");
        TwwRichParagraphDialog::OnDialogShown = nullptr;
        if (paragraph) PostMessageA(paragraph, WM_CLOSE, 0, 0);
        d.Until([&] { return !paragraph || !IsWindowVisible(paragraph); });
    });
    control->EditorOptions = kNotepadOptions & ~unsigned{reoFlatButtons};
    Edit([&](Driver& d) {
        d.Paint();
        SaveScreenBmp(out + "\\editor-raised.bmp", d.window);
    });
    control->EditorOptions = kNotepadOptions;
    control->EditorPosition()->Width = 400;
    control->EditorPosition()->Height = 300;
    Edit([&](Driver& d) {
        d.Paint();
        SaveScreenBmp(out + "\\editor-notepad-size.bmp", d.window);
    });
    control->SetReadOnly(true);
    Edit([&](Driver& d) {
        d.Paint();
        SaveScreenBmp(out + "\\editor-read-only.bmp", d.window);
    });
}

TEST_F(EditorWindowTest, HintsGoToTheStatusBarOnlyWithTheHintOption) {
    control->Lines()->SetText("hints");
    control->EditorPosition()->Width = 0;
    control->EditorPosition()->Height = 0;
    auto hover = [&](Driver& d) {
        TSpeedButton* bold = d.form->BoldButton;
        POINT p = d.On([&] { return bold->ClientToScreen(POINT{11, 11}); });
        SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p.x - 30, p.y);
        d.Settle();
        SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p.x, p.y);
        d.Settle();
        d.Until([&] { return !d.form->StatusBar->Panels()[0].Text().empty(); }, 1000);
        return d.On([&] { return d.form->StatusBar->Panels()[0].Text(); });
    };
    std::string with, without;
    TNotifyEvent before = Application->OnHint;
    bool restored = false;
    Edit([&](Driver& d) { with = hover(d); });
    restored = static_cast<bool>(Application->OnHint) == static_cast<bool>(before);
    control->EditorOptions = kNotepadOptions & ~unsigned{reoShowHints};
    Edit([&](Driver& d) { without = hover(d); });
    EXPECT_EQ(with, "Makes the selection bold (toggle)");
    EXPECT_EQ(without, "");
    EXPECT_TRUE(restored);
}

namespace {

// The selection of the editor control, as the platform has it.
CHARRANGE Selection(const Driver& d) {
    return d.On([&] {
        CHARRANGE r{};
        SendMessageA(d.form->RichEdit1->WindowHandle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
        return r;
    });
}

// A visible find or replace dialog of the window's thread (a dialog with
// the find text box).
HWND SearchDialog(const Driver& d, int ms = 5000) {
    struct S {
        static BOOL CALLBACK Proc(HWND w, LPARAM lp) {
            char cls[32] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (std::string(cls) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, 0x480)) {
                *reinterpret_cast<HWND*>(lp) = w;
                return FALSE;
            }
            return TRUE;
        }
    };
    HWND found = nullptr;
    for (DWORD end = GetTickCount() + static_cast<DWORD>(ms); !found;) {
        EnumThreadWindows(d.thread, S::Proc, reinterpret_cast<LPARAM>(&found));
        if (found || static_cast<int>(end - GetTickCount()) <= 0) break;
        Sleep(10);
    }
    return found;
}

void ClickWindow(const Driver& d, HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    MoveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMouseInput(MOUSEEVENTF_LEFTDOWN);
    SendMouseInput(MOUSEEVENTF_LEFTUP);
    d.Settle();
}

// File, Page Setup, and what act does in the dialog, then Return. False
// when the dialog did not show.
bool InPageSetup(Driver& d, const std::function<void(HWND dlg)>& act) {
    d.MenuKey('F');
    d.Press('U');
    HWND dlg = d.WaitForDialog(10000);
    if (!dlg) return false;
    d.Settle();
    act(dlg);
    d.Press(VK_RETURN);
    d.Until([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); });
    return true;
}

// The left margin's text in Page Setup replaced by typing; *shown is the
// margin the dialog showed first.
bool SetLeftMarginInPageSetup(Driver& d, const std::string& typed, std::string* shown) {
    return InPageSetup(d, [&](HWND dlg) {
        HWND left = GetDlgItem(dlg, 0x483);
        char text[64] = {};
        GetWindowTextA(left, text, sizeof text);
        *shown = text;
        ClickWindow(d, left);
        d.Press(VK_HOME);
        d.Press(VK_END, false, false, true);
        d.Type(typed);
    });
}

}  // namespace

// Format, Paragraph and Tabs from the window's own menu: the dialogs open
// over the window, and what is typed there reaches the paragraph and the
// ruler.
TEST_F(EditorWindowTest, TheFormatMenuOpensTheParagraphAndTabDialogs) {
    control->Lines()->SetText("An indented paragraph");
    control->EditorPosition()->Width = 0;
    control->EditorPosition()->Height = 0;
    dialogdriver::Driver para, tabs;
    TwwRichParagraphDialog::OnDialogShown = [&](TwwRichParagraphDialog& dlg) { para.Shown(dlg); };
    TwwRichTabDialog::OnDialogShown = [&](TwwRichTabDialog& dlg) { tabs.Shown(dlg); };
    int markerBefore = 0, markerAfter = 0, inchPixels = 0;
    PARAFORMAT2 after{};
    bool paraShown = false, tabsShown = false;
    Edit([&](Driver& d) {
        d.Do([&] {
            markerBefore = d.form->Ruler->LeftMarker()->Left();
            inchPixels = GetDeviceCaps(WindowDc(nullptr), LOGPIXELSX);
        });
        d.MenuKey('O');
        d.Press('P');
        paraShown = para.WaitFor([&] { return para.Dialog() && IsWindowVisible(para.Dialog()); });
        if (paraShown) {
            para.WaitFor([&] { return para.Foreground() == para.Dialog(); });
            para.Replace(para.Control("LeftEdit"), "1");
            if (const char* shot = std::getenv("CODEXIA_EDITOR_PARAGRAPH_SHOT")) SaveScreenBmp(shot);
            para.ClickToClose(para.ByCaption("&OK"));
        }
        d.Settle();
        d.Do([&] { markerAfter = d.form->Ruler->LeftMarker()->Left(); });

        d.MenuKey('O');
        d.Press('T');
        tabsShown = tabs.WaitFor([&] { return tabs.Dialog() && IsWindowVisible(tabs.Dialog()); });
        if (tabsShown) {
            tabs.WaitFor([&] { return tabs.Focus() == tabs.Control("Edit1"); });
            tabs.Type("2");
            tabs.Key(VK_RETURN);  // Set
            tabs.WaitFor([&] { return tabs.Items(tabs.Control("ListBox1")).size() == 1; });
            tabs.Key(VK_RETURN);  // the entry is empty again: OK
            tabs.WaitFor([&] { return !IsWindowVisible(tabs.Dialog()); });
        }
        d.Settle();
        d.Do([&] { after = d.form->RichEdit1->GetParagraphFormat(); });
        d.Press('S', true);
    });
    TwwRichParagraphDialog::OnDialogShown = nullptr;
    TwwRichTabDialog::OnDialogShown = nullptr;
    EXPECT_TRUE(paraShown);
    EXPECT_TRUE(tabsShown);
    EXPECT_EQ(para.Failures(), "");
    EXPECT_EQ(tabs.Failures(), "");
    EXPECT_EQ(after.dxStartIndent + after.dxOffset, 1440);  // the other lines start an inch in
    EXPECT_EQ(after.dxStartIndent, 1440);                   // and the first with them
    // The ruler's left marker moved an inch to the right.
    EXPECT_NEAR(markerAfter - markerBefore, inchPixels, 2);
    ASSERT_EQ(after.cTabCount, 1);
    EXPECT_EQ(after.rgxTabs[0] & 0xFFFFFF, 2 * 1440);
    EXPECT_EQ(TakeErrors(), "");
}

// Edit, Find finds a word; Find Next (F3) goes on to the next until none is
// left; Edit, Replace replaces them all.
TEST_F(EditorWindowTest, FindFindNextAndReplaceFromTheEditMenu) {
    control->Lines()->SetText("one fish two fish red fish");
    std::vector<CHARRANGE> found;
    std::string noMore, afterReplace;
    bool findShown = false, replaceShown = false;
    Edit([&](Driver& d) {
        d.Press(VK_HOME, true);
        d.MenuKey('E');
        d.Press('F');
        HWND dlg = SearchDialog(d);
        findShown = dlg != nullptr;
        if (dlg) {
            d.Type("fish");
            d.Press(VK_RETURN);  // Find Next, the dialog's default button
            found.push_back(Selection(d));
            d.Press(VK_ESCAPE);  // closes the dialog
            d.Until([&] { return !IsWindowVisible(dlg); });
        }
        d.Until([&] { return GetForegroundWindow() == d.window; });
        d.Press(VK_F3);
        found.push_back(Selection(d));
        d.Press(VK_F3);
        found.push_back(Selection(d));
        SendKeyInput(VK_F3, false);
        SendKeyInput(VK_F3, true);
        if (HWND box = d.MessageBoxWindow()) {
            noMore = Driver::BoxText(box);
            d.Press(VK_RETURN);
        }
        d.Until([&] { return GetForegroundWindow() == d.window; });

        d.MenuKey('E');
        d.Press('E');
        HWND rep = SearchDialog(d);
        replaceShown = rep != nullptr;
        if (rep) {
            d.Settle();
            // The find text comes from the last search; the replacement is typed.
            HWND with = GetDlgItem(rep, 0x481);
            ClickWindow(d, with);
            d.Type("cake");
            ClickWindow(d, GetDlgItem(rep, 0x401));  // Replace All
            if (HWND box = d.MessageBoxWindow(2000)) {
                (void)box;
                d.Press(VK_RETURN);
            }
            d.Until([&] { return d.EditorText().find("fish") == std::string::npos; });
            afterReplace = d.EditorText();
            PostMessageA(rep, WM_COMMAND, IDCANCEL, 0);
        }
    });
    EXPECT_TRUE(findShown);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].cpMin, 4);
    EXPECT_EQ(found[0].cpMax, 8);
    EXPECT_EQ(found[1].cpMin, 13);
    EXPECT_EQ(found[2].cpMin, 22);
    EXPECT_EQ(noMore, "No more matches found");
    EXPECT_TRUE(replaceShown);
    EXPECT_EQ(afterReplace, "one cake two cake red cake");
    EXPECT_EQ(TakeErrors(), "");
}

// Format, Font: the face typed in the font dialog is applied to the selection.
TEST_F(EditorWindowTest, TheFontDialogFromTheFormatMenuAppliesAFace) {
    control->Lines()->SetText("face me");
    std::string face;
    bool shown = false;
    Edit([&](Driver& d) {
        d.Press('A', true);
        d.MenuKey('O');
        d.Press('F');
        HWND dlg = d.WaitForDialog();
        shown = dlg != nullptr;
        if (dlg) {
            d.Settle();
            HWND faceBox = GetDlgItem(dlg, 0x470);
            ClickWindow(d, faceBox);
            d.Press(VK_HOME);
            d.Press(VK_END, false, false, true);
            d.Type("Courier New");
            d.Press(VK_RETURN);
            d.Until([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); });
        }
        d.Settle();
        face = d.On([&] { return d.form->RichEdit1->SelAttributes()->Name(); });
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(face, "Courier New");
}

// The font size box: a size typed and confirmed with Return applies to the
// selection; a text that is no number shows the conversion error and the
// size stays.
TEST_F(EditorWindowTest, ASizeTypedInTheSizeBoxAppliesOnReturn) {
    control->Lines()->SetText("size me");
    control->EditorPosition()->Width = 0;
    control->EditorPosition()->Height = 0;
    int typed = 0, afterBad = 0;
    std::string errors, shownText, firstText;
    bool focusBack = false;
    Edit([&](Driver& d) {
        d.Press('A', true);
        TComboBox* box = d.form->FontSizeCombo;
        int x = 10;
        auto enter = [&](const std::string& text) {
            d.Until([&] { return GetForegroundWindow() == d.window; });
            // Each click elsewhere in the box: two at one place would be a double click.
            d.Click(box, x, 10);
            x += 8;
            d.Until([&] { return IsChild(box->WindowHandle(), GetFocus()) != FALSE; });
            d.Press(VK_HOME);
            d.Press(VK_END, false, false, true);
            d.Type(text);
            shownText = d.On([&] { return box->Text(); });
            d.Press(VK_RETURN);
        };
        enter("23");
        firstText = shownText;
        d.Do([&] {
            typed = d.form->RichEdit1->SelAttributes()->Size();
            focusBack = GetFocus() == d.form->RichEdit1->WindowHandle();
        });
        enter("2x");
        d.Until([&] { return !Errors().empty(); }, 2000);
        d.Do([&] {
            afterBad = d.form->RichEdit1->SelAttributes()->Size();
            errors = TakeErrors();
        });
    });
    EXPECT_EQ(firstText, "23");
    EXPECT_EQ(typed, 23);
    EXPECT_TRUE(focusBack);
    EXPECT_EQ(shownText, "2x");
    EXPECT_EQ(errors, "'2x' is not a valid integer value");
    EXPECT_EQ(afterBad, 23);
}

// Without flat buttons the buttons are raised, lower by their bar's step,
// their pictures one pixel less from the edge, and the separators hidden.
TEST_F(EditorWindowTest, RaisedButtonsMoveDownAndLoseAPixelOfMargin) {
    struct Look {
        int boldTop = 0, boldMargin = 0, boldWidth = 0, glyph = 0, newTop = 0;
        bool flat = true, separator = true;
    };
    auto look = [&] {
        Look l;
        Edit([&](Driver& d) {
            d.Do([&] {
                auto* f = d.form;
                l.flat = f->BoldButton->Flat();
                l.boldTop = f->BoldButton->Top();
                l.boldMargin = f->BoldButton->Margin();
                l.boldWidth = f->BoldButton->Width();
                l.glyph = f->BoldButton->Glyph()->Width() / std::max(1, f->BoldButton->NumGlyphs());
                l.newTop = f->NewButton->Top();
                l.separator = f->FindSeparator->Visible();
            });
        });
        return l;
    };
    Look flat = look();
    control->EditorOptions = kNotepadOptions & ~unsigned{reoFlatButtons};
    Look raised = look();
    EXPECT_TRUE(flat.flat);
    EXPECT_TRUE(flat.separator);
    EXPECT_EQ(flat.boldMargin, -1);
    EXPECT_FALSE(raised.flat);
    EXPECT_FALSE(raised.separator);
    EXPECT_EQ(raised.boldMargin, (raised.boldWidth - raised.glyph) / 2 - 1);
    EXPECT_EQ(raised.boldTop, flat.boldTop + 1);
    EXPECT_EQ(raised.newTop, flat.newTop + 2);
}

// File, Print prints through the print dialog to the default printer (here
// one that writes PostScript files); File, Page Setup takes margins typed in
// the platform's dialog, and they come back to the control on save.
// Where the user's decimal separator is a comma: a fractional margin typed in
// Page Setup ("0,75") reaches the printed page with the text on it, and a
// control laid out to the page width resizes, both without a conversion
// error. The separator is the user's own setting, put back afterwards.
// Under Wine 8 the page setup dialog keeps the separator it found at its
// first show in the process (a later change reads "0,75" as 75 inches):
// this test comes before the others that show it.
TEST_F(EditorWindowTest, UnderACommaSeparatorFractionalMarginsPrintAndThePageWidthResizes) {
    std::string why;
    if (printtest::EnsureFilePrinter(&why).empty()) GTEST_SKIP() << why;
    char separator[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
    struct Restore {
        std::string separator;
        ~Restore() {
            SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator.c_str());
            Printer()->OutputFile.clear();
            printtest::RemoveFilePrinter();
            Printer()->Refresh();
        }
    } restore{separator};
    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","));
    ASSERT_EQ(TwwCustomRichEdit::DecimalSeparator(), ',');
    Printer()->Refresh();
    Printer()->SetPrinterIndex(-1);
    control->Lines()->SetText("Harbour notes to print");
    control->PrintJobName = "Comma print job";
    control->SetEditWidth(TwwRichEditWidth::rewPrinterSize);
    ASSERT_TRUE(control->UsesPrinterWidth());
    control->SetWidth(control->Width() + 40);
    control->SetWidth(control->Width() - 40);
    EXPECT_EQ(TakeErrors(), "") << "the page-width layout on resize";
    // Where the text reader on the machine Wine runs on can read it back.
    const std::string out = printtest::OutPath("editor-comma.ps");
    DeleteFileA(out.c_str());
    Printer()->OutputFile = out;
    bool setupShown = false, printShown = false;
    std::string shownLeft;
    // Windows' page setup dialog reads the user's separator; Wine 8's reads
    // a point whatever the separator (it takes "0,75" for 75 inches).
    const char* typed = "0,75";
    bool saved = Edit([&](Driver& d) {
        setupShown = SetLeftMarginInPageSetup(d, typed, &shownLeft);
        d.Settle();
        d.MenuKey('F');
        d.Press('P');
        printShown = d.AcceptFileDialog();
        d.Until([&] { return FileExists(out); }, 10000);
        d.Until([&] { return GetForegroundWindow() == d.window; });
        d.Press('S', true);  // Save and Exit
    });
    EXPECT_TRUE(setupShown);
    EXPECT_TRUE(printShown);
    EXPECT_TRUE(saved);
    EXPECT_DOUBLE_EQ(control->PrintMargins()->Left, 0.75);
    EXPECT_EQ(TakeErrors(), "") << "printing with a fractional margin";
    EXPECT_NE(ReadFile(out).find("Comma print job"), std::string::npos);
    EXPECT_NE(printtest::PsText(out).find("Harbour notes to print"), std::string::npos) << printtest::PsText(out);
}

TEST_F(EditorWindowTest, PrintAndPageSetupFromTheFileMenu) {
    std::string why;
    if (printtest::EnsureFilePrinter(&why).empty()) GTEST_SKIP() << why;
    struct Remove {
        ~Remove() {
            Printer()->OutputFile.clear();
            printtest::RemoveFilePrinter();
            Printer()->Refresh();
        }
    } remove;
    Printer()->Refresh();
    Printer()->SetPrinterIndex(-1);
    control->Lines()->SetText("Harbour notes to print");
    control->PrintJobName = "Editor print job";
    control->PrintMargins()->Left = 1;
    const std::string out = dir + "\\editor-print.ps";
    Printer()->OutputFile = out;
    bool printShown = false, setupShown = false;
    std::string shownLeft;
    bool saved = Edit([&](Driver& d) {
        d.MenuKey('F');
        d.Press('P');
        printShown = d.AcceptFileDialog();
        d.Until([&] { return FileExists(out); }, 10000);
        d.Until([&] { return GetForegroundWindow() == d.window; });

        setupShown = SetLeftMarginInPageSetup(d, "2", &shownLeft);
        d.Settle();
        d.Press('S', true);  // Save and Exit
    });
    EXPECT_TRUE(printShown);
    std::string ps = ReadFile(out);
    EXPECT_EQ(ps.rfind("%!PS", 0), 0u) << ps.substr(0, 40);
    EXPECT_NE(ps.find("Editor print job"), std::string::npos);
    EXPECT_TRUE(setupShown);
    EXPECT_EQ(shownLeft.rfind("1", 0), 0u) << shownLeft;
    EXPECT_TRUE(saved);
    EXPECT_DOUBLE_EQ(control->PrintMargins()->Left, 2.0);
    EXPECT_DOUBLE_EQ(control->PrintMargins()->Top, 1.0);
    EXPECT_EQ(TakeErrors(), "");
}

// A page laid out to the paper's width follows the paper chosen in Page
// Setup (the application's printer, not the system's default one):
// Landscape, clicked there, widens the ruler's page and the text's width, and
// the document is laid out again in fewer lines.
TEST_F(EditorWindowTest, TurningThePaperInPageSetupLaysThePageOutAgain) {
    std::string why;
    if (printtest::EnsureFilePrinter(&why).empty()) GTEST_SKIP() << why;
    struct Restore {
        ~Restore() {
            Printer()->SetOrientation(TPrinterOrientation::poPortrait);
            printtest::RemoveFilePrinter();
            Printer()->Refresh();
        }
    } restore;
    Printer()->Refresh();
    Printer()->SetPrinterIndex(-1);
    Printer()->SetOrientation(TPrinterOrientation::poPortrait);
    // Long paragraphs: each wraps on either paper, in fewer lines on the wider.
    std::string text;
    for (int k = 0; k < 6; ++k) {
        for (int w = 0; w < 8; ++w)
            text += "The lamps along the harbour wall were lit one by one as the boats came in from the grey sea. ";
        text += "\r\n";
    }
    control->Lines()->SetText(text);
    control->SetEditWidth(TwwRichEditWidth::rewPrinterSize);
    ASSERT_TRUE(control->UsesPrinterWidth());
    // Wide enough for a landscape page.
    control->EditorPosition()->Width = 1200;
    control->EditorPosition()->Height = 400;
    // What the user sees of the page: its lines, the width the text is laid
    // out in and the page width the ruler's scale runs to.
    struct Page {
        LRESULT lines = 0;
        LONG text = 0;
        std::int64_t ruler = 0;
    } upright, turned;
    bool shown = false;
    Edit([&](Driver& d) {
        auto page = [&] {
            return d.On([&] {
                HWND w = d.form->RichEdit1->Handle();
                RECT r{};
                SendMessageA(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
                return Page{SendMessageA(w, EM_GETLINECOUNT, 0, 0), r.right - r.left, d.form->Ruler->PageTwips()};
            });
        };
        upright = page();
        shown = InPageSetup(d, [&](HWND dlg) { ClickWindow(d, GetDlgItem(dlg, rad2)); });
        d.Settle();
        turned = page();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(Printer()->Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_GT(upright.lines, 12);
    EXPECT_LT(turned.lines, upright.lines);
    EXPECT_GT(turned.text, upright.text);
    // The ruler's page is the application's printer's, as Page Setup left it.
    EXPECT_GT(turned.ruler, upright.ruler);
    EXPECT_EQ(turned.ruler, std::int64_t{Printer()->PhysicalSize().cx} * 1440 / Printer()->XDpi());
    EXPECT_EQ(TakeErrors(), "");
}

// ---------------------------------------------------------------- commands and their states, by table

namespace {

// The platform states (MF_GRAYED, MF_CHECKED) of items of the menu bar's
// menu opened with Alt and its letter, read while it shows: what the user
// sees once the window has set them for the opening.
std::vector<UINT> MenuStates(const Driver& d, char menu, const std::vector<TMenuItem*>& items) {
    d.MenuKey(menu);
    std::vector<UINT> states = d.On([&] {
        std::vector<UINT> s;
        HMENU bar = GetMenu(d.window);
        for (TMenuItem* i : items) s.push_back(GetMenuState(bar, i->Command(), MF_BYCOMMAND));
        return s;
    });
    d.Press(VK_ESCAPE);
    d.Press(VK_ESCAPE);
    return states;
}

constexpr UINT kNoItem = static_cast<UINT>(-1);
bool MenuEnabled(UINT state) { return state != kNoItem && !(state & (MF_GRAYED | MF_DISABLED)); }
bool MenuChecked(UINT state) { return state != kNoItem && (state & MF_CHECKED); }

// Puts text on the clipboard (none: empties it).
void SetClipboardText(HWND owner, const char* text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    if (text) {
        const std::size_t size = std::strlen(text) + 1;
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(g), text, size);
        GlobalUnlock(g);
        SetClipboardData(CF_TEXT, g);
    }
    CloseClipboard();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

// New asks "Clear entire text?": Cancel keeps the notes; OK empties them and
// counts as a change, so that Save and Exit hands the empty document back to
// the control.
TEST_F(EditorWindowTest, NewAsksBeforeClearingAndOnlyOKEmptiesTheNotes) {
    struct Row {
        const char* answer;
        WORD key;
        bool clears;
    };
    const Row rows[] = {{"Cancel", VK_ESCAPE, false}, {"OK", VK_RETURN, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        control->Lines()->SetText("Notes of the reader");
        control->SetModified(false);
        std::string question, shown;
        bool saved = Edit([&](Driver& d) {
            d.Click(d.form->NewButton, 11, 11);
            if (HWND box = d.MessageBoxWindow()) {
                question = Driver::BoxText(box);
                d.Press(row.key);
                d.Until([&] { return !IsWindow(box) || !IsWindowVisible(box); });
            }
            shown = d.EditorText();
            d.Press('S', true);  // Save and Exit
        });
        EXPECT_EQ(question, "Clear entire text?");
        EXPECT_EQ(shown, row.clears ? "" : "Notes of the reader");
        EXPECT_TRUE(saved);
        EXPECT_EQ(control->Text(), row.clears ? "" : "Notes of the reader");
        EXPECT_EQ(control->Modified(), row.clears);
    }
}

// The format bar: Left, Center, Right and Justify set the paragraph's
// alignment and leave exactly their own button down (also when clicked while
// down already); the Bullets button and Format, Bullet Style switch bullets in
// turn and show the same state; Highlight down marks the selection, up takes
// the mark away.
TEST_F(EditorWindowTest, TheFormatBarSetsAlignmentBulletsAndHighlightAndShowsThem) {
    control->Lines()->SetText("A paragraph to format");
    control->EditorOptions = kNotepadOptions | reoShowJustifyButton;
    control->EditorPosition()->Width = 0;  // the whole format bar shows
    control->EditorPosition()->Height = 0;
    int steps = 0;
    Edit([&](Driver& d) {
        TwwRichEditForm* f = d.form;
        HWND editor = d.On([&] { return f->RichEdit1->WindowHandle(); });
        auto paragraph = [&] {
            return d.On([&] {
                PARAFORMAT2 p{};
                p.cbSize = sizeof p;
                SendMessageA(editor, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
                return p;
            });
        };
        TSpeedButton* const alignButtons[] = {f->LeftButton, f->CenterButton, f->RightButton, f->JustifyButton};
        struct Align {
            const char* click;
            TSpeedButton* button;
            WORD alignment;
        };
        const Align aligns[] = {{"Center", f->CenterButton, PFA_CENTER},
                                {"Center again", f->CenterButton, PFA_CENTER},
                                {"Right", f->RightButton, PFA_RIGHT},
                                {"Justify", f->JustifyButton, PFA_JUSTIFY},
                                {"Justify again", f->JustifyButton, PFA_JUSTIFY},
                                {"Left", f->LeftButton, PFA_LEFT},
                                {"Left again", f->LeftButton, PFA_LEFT}};
        for (const Align& a : aligns) {
            SCOPED_TRACE(a.click);
            d.Click(a.button, 11, 11);
            EXPECT_EQ(paragraph().wAlignment, a.alignment);
            std::vector<TSpeedButton*> down = d.On([&] {
                std::vector<TSpeedButton*> v;
                for (TSpeedButton* b : alignButtons)
                    if (b->Down()) v.push_back(b);
                return v;
            });
            EXPECT_EQ(down, std::vector<TSpeedButton*>{a.button});
            ++steps;
        }

        struct Bullets {
            const char* by;
            bool menu, on;
        };
        const Bullets bullets[] = {{"Bullets button", false, true},
                                   {"Bullet Style item", true, false},
                                   {"Bullet Style item", true, true},
                                   {"Bullets button", false, false}};
        for (const Bullets& b : bullets) {
            SCOPED_TRACE(std::string(b.by) + (b.on ? " on" : " off"));
            if (b.menu) {
                d.MenuKey('O');
                d.Press('B');
            } else {
                d.Click(f->BulletButton, 11, 11);
            }
            EXPECT_EQ(paragraph().wNumbering == PFN_BULLET, b.on);
            EXPECT_EQ(d.On([&] { return f->BulletButton->Down(); }), b.on);
            EXPECT_EQ(MenuChecked(MenuStates(d, 'O', {f->BulletStyleItem})[0]), b.on);
            ++steps;
        }

        // Highlight on the whole text, then off again; read with the whole
        // text selected once more.
        for (bool on : {true, false}) {
            SCOPED_TRACE(on ? "Highlight down" : "Highlight up");
            d.Press('A', true);
            d.Click(f->HighlightButton, 11, 11);
            d.Press('A', true);
            CHARFORMAT2A cf = d.On([&] {
                CHARFORMAT2A c{};
                c.cbSize = sizeof c;
                SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&c));
                return c;
            });
            const bool marked = (cf.dwMask & CFM_BACKCOLOR) && !(cf.dwEffects & CFE_AUTOBACKCOLOR) &&
                                cf.crBackColor == RGB(255, 255, 0);
            EXPECT_EQ(marked, on);
            EXPECT_EQ(d.On([&] { return f->HighlightButton->Down(); }), on);
            ++steps;
        }
    });
    EXPECT_EQ(steps, 13);
    EXPECT_EQ(TakeErrors(), "");
}

// Undo and Redo by the Edit menu, the tool buttons and the keys (Escape
// undoes where it does not close the window): each takes the last typing
// back or brings it back, and the menu items and buttons are enabled as the
// control answers EM_CANUNDO and EM_CANREDO.
TEST_F(EditorWindowTest, UndoAndRedoByMenuButtonsAndKeysFollowTheControl) {
    control->Lines()->SetText("base");
    control->EditorOptions = kNotepadOptions & ~unsigned{reoCloseOnEscape};
    control->EditorPosition()->Width = 0;
    control->EditorPosition()->Height = 0;
    using Act = std::function<void(const Driver&)>;
    struct Way {
        const char* name;
        Act undo, redo;
    };
    const Way ways[] = {
        {"Edit menu",
         [](const Driver& d) {
             d.MenuKey('E');
             d.Press('U');
         },
         [](const Driver& d) {
             d.MenuKey('E');
             d.Press('R');
         }},
        {"tool buttons", [](const Driver& d) { d.Click(d.form->UndoButton, 11, 11); },
         [](const Driver& d) { d.Click(d.form->RedoButton, 11, 11); }},
        {"Ctrl+Z and Ctrl+Y", [](const Driver& d) { d.Press('Z', true); }, [](const Driver& d) { d.Press('Y', true); }},
        {"Escape and Ctrl+Y", [](const Driver& d) { d.Press(VK_ESCAPE); }, [](const Driver& d) { d.Press('Y', true); }},
    };
    int checks = 0;
    Edit([&](Driver& d) {
        TwwRichEditForm* f = d.form;
        // What the control answers, and the buttons and menu items as shown.
        auto states = [&](const char* when, int canUndo, int canRedo) {
            SCOPED_TRACE(when);
            struct Control {
                bool undo = false, redo = false, undoButton = false, redoButton = false;
            } c = d.On([&] {
                HWND e = f->RichEdit1->WindowHandle();
                return Control{SendMessageA(e, EM_CANUNDO, 0, 0) != 0, SendMessageA(e, EM_CANREDO, 0, 0) != 0,
                               f->UndoButton->Enabled(), f->RedoButton->Enabled()};
            });
            if (canUndo >= 0) {
                EXPECT_EQ(c.undo, canUndo != 0);
            }
            if (canRedo >= 0) {
                EXPECT_EQ(c.redo, canRedo != 0);
            }
            EXPECT_EQ(c.undoButton, c.undo);
            EXPECT_EQ(c.redoButton, c.redo);
            std::vector<UINT> menu = MenuStates(d, 'E', {f->UndoItem, f->RedoItem});
            EXPECT_EQ(MenuEnabled(menu[0]), c.undo);
            EXPECT_EQ(MenuEnabled(menu[1]), c.redo);
            ++checks;
        };
        states("a new window", 0, 0);
        char letter = 'a';
        for (const Way& way : ways) {
            SCOPED_TRACE(way.name);
            const std::string before = d.EditorText();
            d.Press(VK_END, true);
            d.Type(std::string(1, letter++));
            const std::string typed = d.EditorText();
            EXPECT_EQ(typed, before + static_cast<char>(letter - 1));
            states("typed", 1, 0);
            way.undo(d);
            EXPECT_EQ(d.EditorText(), before);
            states("undone", -1, 1);
            way.redo(d);
            EXPECT_EQ(d.EditorText(), typed);
            states("redone", 1, 0);
        }
    });
    EXPECT_EQ(checks, 13);
    EXPECT_EQ(TakeErrors(), "");
}

// Cut, Copy, Clear, Paste, Select All, Find, Find Next and Replace in the
// Edit menu, and the tool buttons of those that have one, are enabled by
// the text, the selection, the clipboard, a search made and read-only.
TEST_F(EditorWindowTest, TheEditCommandsAreEnabledByTextSelectionClipboardAndReadOnly) {
    enum { Cut, Copy, Clear, Paste, SelectAll, Find, FindNext, Replace, Count };
    struct Row {
        const char* situation;
        const char* text;
        const char* clipboard;
        enum { None, ShiftEnd, Search } select;
        bool readOnly;
        std::array<int, Count> enabled;
    };
    const Row rows[] = {
        // Shift+End finds nothing to select there.
        {"an empty document", "", "pasted", Row::ShiftEnd, false, {0, 0, 0, 1, 0, 0, 0, 0}},
        {"text, no selection, nothing to paste", "Some notes", nullptr, Row::None, false, {0, 0, 0, 0, 1, 1, 0, 1}},
        {"text selected by a search", "Some notes", "pasted", Row::Search, false, {1, 1, 1, 1, 1, 1, 1, 1}},
        {"read-only, text selected", "Some notes", "pasted", Row::ShiftEnd, true, {0, 1, 0, 0, 1, 1, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        control->Lines()->SetText(row.text);
        control->SetReadOnly(row.readOnly);
        SetClipboardText(host->Handle(), row.clipboard);
        std::vector<UINT> menu;
        struct Buttons {
            bool shown = false, cut = false, copy = false, paste = false, find = false;
        } buttons;
        std::string selected;
        Edit([&](Driver& d) {
            TwwRichEditForm* f = d.form;
            d.Press(VK_HOME, true);
            if (row.select == Row::ShiftEnd) d.Press(VK_END, false, false, true);
            if (row.select == Row::Search) {
                d.Press('F', true);
                if (HWND dlg = SearchDialog(d)) {
                    d.Type("notes");
                    d.Press(VK_RETURN);
                    d.Press(VK_ESCAPE);
                    d.Until([&] { return !IsWindowVisible(dlg); });
                }
                d.Until([&] { return GetForegroundWindow() == d.window; });
            }
            selected = d.On([&] { return f->RichEdit1->SelText(); });
            buttons = d.On([&] {
                return Buttons{f->Toolbar->Showing(), f->CutButton->Enabled(), f->CopyButton->Enabled(),
                               f->PasteButton->Enabled(), f->FindButton->Enabled()};
            });
            menu = MenuStates(d, 'E',
                              {f->CutItem, f->CopyItem, f->ClearItem, f->PasteItem, f->SelectAllItem, f->FindItem,
                               f->FindNextItem, f->ReplaceItem});
        });
        EXPECT_EQ(selected, row.select == Row::None ? "" : row.select == Row::Search ? "notes" : row.text);
        ASSERT_EQ(menu.size(), std::size_t{Count});
        const char* names[] = {"Cut", "Copy", "Clear", "Paste", "Select All", "Find", "Find Next", "Replace"};
        for (int k = 0; k < Count; ++k) EXPECT_EQ(MenuEnabled(menu[k]), row.enabled[k] != 0) << names[k];
        // The read-only window has no tool bar.
        EXPECT_EQ(buttons.shown, !row.readOnly);
        if (buttons.shown) {
            EXPECT_EQ(buttons.cut, row.enabled[Cut] != 0);
            EXPECT_EQ(buttons.copy, row.enabled[Copy] != 0);
            EXPECT_EQ(buttons.paste, row.enabled[Paste] != 0);
            EXPECT_EQ(buttons.find, row.enabled[Find] != 0);
        }
    }
    SetClipboardText(host->Handle(), nullptr);
    EXPECT_EQ(TakeErrors(), "");
}

// The editor control's context menu, opened with a right click on the
// selected text, shows Cut, Copy, Paste and Bullet Style as the Edit menu
// and the buttons show them: one rule for each command, also when read-only.
TEST_F(EditorWindowTest, TheContextMenuShowsTheStatesOfTheEditMenuAndTheButtons) {
    struct Row {
        const char* situation;
        bool readOnly;
        std::array<int, 3> enabled;  // Cut, Copy, Paste
    };
    const Row rows[] = {{"a bulleted line selected, something to paste", false, {1, 1, 1}},
                        {"read-only, text selected", true, {0, 1, 0}}};
    control->EditorPosition()->Width = 0;  // the whole format bar shows
    control->EditorPosition()->Height = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        control->Lines()->SetText("Some notes");
        control->SetReadOnly(row.readOnly);
        SetClipboardText(host->Handle(), "pasted");
        std::vector<UINT> popup, menu;
        bool bulletsDown = false, shown = false;
        std::string selected;
        Edit([&](Driver& d) {
            TwwRichEditForm* f = d.form;
            d.Press(VK_HOME, true);
            d.Press(VK_END, false, false, true);
            if (!row.readOnly) d.Click(f->BulletButton, 11, 11);
            bulletsDown = d.On([&] { return f->BulletButton->Down(); });
            menu = MenuStates(d, 'E', {f->CutItem, f->CopyItem, f->PasteItem});
            TwwCustomRichEdit* e = f->RichEdit1;
            POINT p = d.On([&] { return e->ClientToScreen(POINT{12, 8}); });
            MoveTo(p.x, p.y);
            SendMouseInput(MOUSEEVENTF_RIGHTDOWN);
            SendMouseInput(MOUSEEVENTF_RIGHTUP);
            for (int k = 0; k < 300 && !MenuShowing(); ++k) Sleep(10);
            shown = MenuShowing();
            d.Settle();
            popup = d.On([&] {
                std::vector<UINT> v;
                HMENU h = e->BuiltInPopupMenu()->Handle();
                for (int i : {2, 3, 4, 11}) v.push_back(GetMenuState(h, e->BuiltInPopupItem(i)->Command(), MF_BYCOMMAND));
                return v;
            });
            d.Press(VK_ESCAPE);
            selected = d.On([&] { return e->SelText(); });
        });
        ASSERT_TRUE(shown);
        EXPECT_EQ(selected, "Some notes");
        ASSERT_EQ(popup.size(), 4u);
        const char* names[] = {"Cut", "Copy", "Paste"};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(MenuEnabled(popup[k]), row.enabled[k] != 0) << names[k];
            EXPECT_EQ(MenuEnabled(menu[k]), row.enabled[k] != 0) << names[k];
        }
        // Bullet Style: checked with its button down; the read-only menu has none.
        EXPECT_EQ(bulletsDown, !row.readOnly);
        if (row.readOnly) EXPECT_EQ(popup[3], kNoItem);
        else EXPECT_TRUE(MenuChecked(popup[3]));
    }
    SetClipboardText(host->Handle(), nullptr);
    EXPECT_EQ(TakeErrors(), "");
}

// The four View items hide and show their bars, each keeps its check mark
// with its bar, and the editor control takes the space a bar leaves (above
// it for the bars over the text, below for the status bar) and gives it back.
TEST_F(EditorWindowTest, TheViewItemsHideAndShowTheirBarsAndTheEditorFillsTheSpace) {
    control->Lines()->SetText("view");
    struct Row {
        const char* name;
        char letter;
        TMenuItem* TwwRichEditForm::*item;
        TWinControl* (*bar)(TwwRichEditForm*);
        bool above;  // over the text, with a two-pixel line
    };
    const Row rows[] = {
        {"Toolbar", 'T', &TwwRichEditForm::ToolbarItem, [](TwwRichEditForm* f) -> TWinControl* { return f->Toolbar; },
         true},
        {"Format Bar", 'F', &TwwRichEditForm::FormatBarItem,
         [](TwwRichEditForm* f) -> TWinControl* { return f->FormatBar; }, true},
        {"Ruler", 'R', &TwwRichEditForm::RulerItem, [](TwwRichEditForm* f) -> TWinControl* { return f->Ruler; }, true},
        {"Status Bar", 'S', &TwwRichEditForm::StatusBarItem,
         [](TwwRichEditForm* f) -> TWinControl* { return f->StatusBar; }, false},
    };
    struct Look {
        RECT editor{}, client{};
        int bar = 0, status = 0;  // heights; the status bar's while it shows
        bool shown = false, checked = false;
    };
    int rowsDone = 0;
    Edit([&](Driver& d) {
        TwwRichEditForm* f = d.form;
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            auto look = [&] {
                Look l = d.On([&] {
                    Look s;
                    GetWindowRect(f->RichEdit1->WindowHandle(), &s.editor);
                    MapWindowPoints(nullptr, d.window, reinterpret_cast<POINT*>(&s.editor), 2);
                    GetClientRect(d.window, &s.client);
                    HWND bar = row.bar(f)->WindowHandle();
                    RECT r{};
                    GetWindowRect(bar, &r);
                    s.bar = r.bottom - r.top;
                    s.shown = IsWindowVisible(bar) != FALSE;
                    HWND status = f->StatusBar->WindowHandle();
                    GetWindowRect(status, &r);
                    s.status = IsWindowVisible(status) ? r.bottom - r.top : 0;
                    return s;
                });
                l.checked = MenuChecked(MenuStates(d, 'V', {f->*row.item})[0]);
                // The editor fills the width, and the height down to the status bar.
                EXPECT_EQ(l.editor.left, 0);
                EXPECT_EQ(l.editor.right, l.client.right);
                EXPECT_EQ(l.editor.bottom, l.client.bottom - l.status);
                return l;
            };
            auto toggle = [&] {
                d.MenuKey('V');
                d.Press(static_cast<WORD>(row.letter));
            };
            const Look before = look();
            EXPECT_TRUE(before.shown && before.checked);
            toggle();
            const Look hidden = look();
            EXPECT_FALSE(hidden.shown);
            EXPECT_FALSE(hidden.checked);
            if (row.above) {
                EXPECT_EQ(hidden.editor.top, before.editor.top - before.bar - 2);
                EXPECT_EQ(hidden.editor.bottom, before.editor.bottom);
            } else {
                EXPECT_EQ(hidden.editor.top, before.editor.top);
                EXPECT_EQ(hidden.editor.bottom, before.editor.bottom + before.bar);
            }
            toggle();
            const Look again = look();
            EXPECT_TRUE(again.shown && again.checked);
            EXPECT_TRUE(EqualRect(&again.editor, &before.editor));
            ++rowsDone;
        }
    });
    EXPECT_EQ(rowsDone, 4);
}

// A handler of the owning control's Load, Save As, Print or Save and Exit
// event that clears the do-the-default flag stops the command: no dialog
// shows, nothing is read or written and the window stays open. A handler
// that leaves the flag lets the command go on.
TEST_F(EditorWindowTest, TheOwnersHandlersCanStopLoadSaveAsPrintAndSaveAndExit) {
    // With a printer a Print that went on would show its dialog (without
    // one the row shows only that the handler was asked).
    const bool printer = !printtest::EnsureFilePrinter().empty();
    struct Remove {
        bool printer;
        ~Remove() {
            Printer()->OutputFile.clear();
            if (printer) printtest::RemoveFilePrinter();
            Printer()->Refresh();
        }
    } remove{printer};
    Printer()->Refresh();
    Printer()->SetPrinterIndex(-1);
    control->Lines()->SetText("Kept notes");
    const std::string loadable = dir + "\\other.rtf", saved = dir + "\\saved.rtf", printed = dir + "\\printed.ps";
    WriteText(loadable, "{\\rtf1\\ansi Loaded words\\par}");
    Printer()->OutputFile = printed;
    struct Row {
        const char* command;
        TwwRTFNotifyEvent TwwCustomRichEdit::*event;
        char item;  // in the File menu
    };
    const Row rows[] = {{"Load", &TwwCustomRichEdit::OnMenuLoadClick, 'L'},
                        {"Save As", &TwwCustomRichEdit::OnMenuSaveAsClick, 'A'},
                        {"Print", &TwwCustomRichEdit::OnMenuPrintClick, 'P'},
                        {"Save and Exit", &TwwCustomRichEdit::OnMenuSaveAndExitClick, 'S'}};
    // Heard on the window's thread: which event, and whether it named the
    // window and its editor control.
    std::vector<std::string> heard;
    TwwRichEditForm* window = nullptr;
    bool named = true;
    for (const Row& row : rows)
        control->*row.event = [&, command = row.command](TForm* f, TwwCustomRichEdit* e, bool& doDefault) {
            heard.push_back(command);
            named = named && window && f == window && e == window->RichEdit1;
            doDefault = false;
        };
    int rowsDone = 0;
    bool result = Edit([&](Driver& d) {
        d.Do([&] {
            window = d.form;
            d.form->OpenDialog1->FileName = loadable;
            d.form->SaveDialog1->FileName = saved;
        });
        for (const Row& row : rows) {
            SCOPED_TRACE(row.command);
            if (d.Closed()) break;
            d.Do([&] { heard.clear(); });
            d.MenuKey('F');
            d.Press(static_cast<WORD>(row.item));
            HWND dlg = d.WaitForDialog(1000);
            HWND box = d.MessageBoxWindow(200);
            EXPECT_EQ(dlg, nullptr);
            EXPECT_EQ(box, nullptr) << Driver::BoxText(box);
            if (dlg) PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
            if (box) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            d.Settle();
            EXPECT_EQ(d.On([&] { return heard; }), std::vector<std::string>{row.command});
            EXPECT_TRUE(d.On([&] { return !d.gone && d.form->ModalResult == mrNone && IsWindowVisible(d.window); }));
            EXPECT_EQ(d.EditorText(), "Kept notes");
            ++rowsDone;
        }
        d.Do([&] {
            control->OnMenuSaveAndExitClick = [&](TForm*, TwwCustomRichEdit*, bool&) { heard.push_back("go on"); };
        });
        d.Type("x");
        d.Press('S', true);
    });
    EXPECT_EQ(rowsDone, 4);
    EXPECT_TRUE(named);
    EXPECT_TRUE(result);
    EXPECT_EQ(control->Text(), "xKept notes");
    EXPECT_EQ(GetFileAttributesA(saved.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(printed.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(TakeErrors(), "");
}

// The control's EditorPosition places the window: a width or height of 0
// keeps the stored layout's (610 by 455), a left or top below 1 centres the
// window that way in the work area.
TEST_F(EditorWindowTest, TheEditorPositionPlacesTheWindowOrCentresIt) {
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    constexpr int kCentred = -1;
    struct Row {
        int left, top, width, height;  // as set
        int x, y, w, h;                // as shown
    };
    const Row rows[] = {
        {0, 0, 0, 0, kCentred, kCentred, 610, 455},     {40, 30, 500, 350, 40, 30, 500, 350},
        {-20, 50, 0, 320, kCentred, 50, 610, 320},     {60, 0, 450, 0, 60, kCentred, 450, 455},
        {1, 1, 420, 310, 1, 1, 420, 310},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.left << "," << row.top << " " << row.width << "x" << row.height);
        TwwFormPosition* pos = control->EditorPosition();
        pos->Left = row.left;
        pos->Top = row.top;
        pos->Width = row.width;
        pos->Height = row.height;
        RECT shown{};
        Edit([&](Driver& d) {
            shown = d.On([&] {
                RECT r{};
                GetWindowRect(d.window, &r);
                return r;
            });
        });
        const int x = row.x == kCentred ? area.left + (area.right - area.left - row.w) / 2 : row.x;
        const int y = row.y == kCentred ? area.top + (area.bottom - area.top - row.h) / 2 : row.y;
        EXPECT_EQ(shown.left, x);
        EXPECT_EQ(shown.top, y);
        EXPECT_EQ(shown.right - shown.left, row.w);
        EXPECT_EQ(shown.bottom - shown.top, row.h);
    }
}

// Save As onto a file that exists asks "OK to overwrite <name>"; No and
// Cancel leave the file as it was, Yes writes the document over it.
TEST_F(EditorWindowTest, SaveAsOverAnExistingFileAsksAndOnlyYesWrites) {
    control->Lines()->SetText("New words");
    const std::string name = dir + "\\existing.rtf";
    struct Row {
        const char* answer;
        WORD key;
        bool writes;
    };
    const Row rows[] = {{"No", 'N', false}, {"Cancel", VK_ESCAPE, false}, {"Yes", 'Y', true}};
    int rowsDone = 0;
    Edit([&](Driver& d) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.answer);
            WriteText(name, "old contents");
            d.Do([&] {
                d.form->SaveDialog1->FileName = name;
                d.form->SaveDialog1->FilterIndex = 1;
            });
            d.MenuKey('F');
            d.Press('A');
            EXPECT_TRUE(d.AcceptFileDialog());
            std::string question;
            if (HWND box = d.MessageBoxWindow()) {
                question = Driver::BoxText(box);
                d.Press(row.key);
                d.Until([&] { return !IsWindow(box) || !IsWindowVisible(box); });
            }
            d.Settle();
            EXPECT_EQ(question, "OK to overwrite " + name);
            const std::string now = ReadFile(name);
            if (row.writes) {
                EXPECT_EQ(now.rfind("{\\rtf", 0), 0u) << now;
                EXPECT_NE(now.find("New words"), std::string::npos) << now;
            } else {
                EXPECT_EQ(now, "old contents");
            }
            EXPECT_FALSE(d.Closed());
            ++rowsDone;
        }
    });
    EXPECT_EQ(rowsDone, 3);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.~*").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);  // no temporary file left beside it
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    EXPECT_EQ(TakeErrors(), "");
}
