// The book with the keyboard alone, and as a screen reader reads it: real
// keys through SendInput, names and roles read back from another process
// through the platform's accessibility interfaces (oleacc).
#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "BookProcess.h"
#include "TestUtil.h"

using namespace e2e;

namespace {

// A key with Alt, Ctrl or Shift held, then time for the book to answer.
void Key(WORD vk, bool alt = false, bool ctrl = false, bool shift = false) {
    testsupport::SendKeyPressInput(vk, alt, ctrl, shift);
    Sleep(250);
}

struct Element {
    std::string name;
    long role = 0, state = 0;
    RECT place{};   // on the screen
    HWND window = nullptr;  // a child window's element: its handle
};

std::string Narrow(BSTR b) {
    std::string s;
    if (b) {
        for (UINT k = 0; k < SysStringLen(b); ++k) s += static_cast<char>(b[k]);
        SysFreeString(b);
    }
    return s;
}

class Accessible {
public:
    explicit Accessible(HWND w) {
        AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                   reinterpret_cast<void**>(&a_));
    }
    ~Accessible() {
        if (a_) a_->Release();
    }
    explicit operator bool() const { return a_ != nullptr; }
    IAccessible* operator->() const { return a_; }

    Element Self() const { return Describe(CHILDID_SELF); }
    // The children as AccessibleChildren gives them: simple ones described
    // here, child windows by their handle.
    std::vector<Element> Children() const {
        std::vector<Element> out;
        long n = 0;
        if (!a_ || FAILED(a_->get_accChildCount(&n)) || n <= 0) return out;
        std::vector<VARIANT> v(static_cast<std::size_t>(n));
        long got = 0;
        AccessibleChildren(a_, 0, n, v.data(), &got);
        for (long k = 0; k < got; ++k) {
            VARIANT& c = v[static_cast<std::size_t>(k)];
            if (c.vt == VT_I4) {
                out.push_back(Describe(c.lVal));
            } else if (c.vt == VT_DISPATCH && c.pdispVal) {
                Element e;
                IAccessible* child = nullptr;
                if (SUCCEEDED(c.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
                    WindowFromAccessibleObject(child, &e.window);
                    child->Release();
                }
                out.push_back(e);
            }
            VariantClear(&c);
        }
        return out;
    }
    Element Describe(long id) const {
        Element e;
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        BSTR name = nullptr;
        if (a_->get_accName(v, &name) == S_OK) e.name = Narrow(name);
        VARIANT r;
        VariantInit(&r);
        if (SUCCEEDED(a_->get_accRole(v, &r)) && r.vt == VT_I4) e.role = r.lVal;
        if (SUCCEEDED(a_->get_accState(v, &r)) && r.vt == VT_I4) e.state = r.lVal;
        long x = 0, y = 0, w = 0, h = 0;
        if (SUCCEEDED(a_->accLocation(&x, &y, &w, &h, v))) e.place = {x, y, x + w, y + h};
        return e;
    }
    HRESULT DoDefault(long id) const {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return a_->accDoDefaultAction(v);
    }

private:
    IAccessible* a_ = nullptr;
};

std::vector<std::string> Names(const std::vector<Element>& els) {
    std::vector<std::string> out;
    for (const Element& e : els)
        if (!e.window) out.push_back(e.name);
    return out;
}

// The number (from 1) of the simple child with the focus, 0 for none.
long FocusedChild(HWND w) {
    Accessible a(w);
    auto els = a.Children();
    for (std::size_t k = 0; k < els.size(); ++k)
        if (!els[k].window && (els[k].state & STATE_SYSTEM_FOCUSED)) return static_cast<long>(k + 1);
    return 0;
}

HWND FocusOf(const BookProcess& book) {
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    GetGUIThreadInfo(book.ThreadId(), &gi);
    return gi.hwndFocus;
}

HWND ChildOfClass(HWND parent, const char* cls) {
    struct Find {
        const char* cls;
        HWND found;
    } f{cls, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM lp) -> BOOL {
            auto* f = reinterpret_cast<Find*>(lp);
            char name[64] = {};
            GetClassNameA(w, name, sizeof name);
            if (lstrcmpiA(name, f->cls) != 0) return TRUE;
            f->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::string Text(HWND w) {
    char buf[64] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// The colours along the edge of a rectangle on the screen.
std::vector<COLORREF> Edge(const RECT& r) {
    std::vector<COLORREF> out;
    HDC dc = GetDC(nullptr);
    for (int x = r.left; x < r.right; ++x) {
        out.push_back(GetPixel(dc, x, r.top));
        out.push_back(GetPixel(dc, x, r.bottom - 1));
    }
    ReleaseDC(nullptr, dc);
    return out;
}

class KeyboardTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        dir = MakeTempDir();
        book = std::make_unique<BookProcess>(dir);
        skin = book->WaitForWindow("TForm1");
        ASSERT_NE(skin, nullptr);
        Sleep(500);
        SetForegroundWindow(skin);
        Sleep(200);
    }
    void TearDown() override {
        book.reset();
        RemoveTree(dir);
        CoUninitialize();
    }
    std::string dir;
    std::unique_ptr<BookProcess> book;
    HWND skin = nullptr;
};

}  // namespace

// The four click areas are push buttons named by their hints, in reading
// order, where the words are on the cover; the focus mark waits for a key.
TEST_F(KeyboardTest, SkinAreasAreNamedButtonsAndShowTheFocusOnlyAfterAKey) {
    Accessible a(skin);
    ASSERT_TRUE(a);
    auto els = a.Children();
    ASSERT_EQ(Names(els), (std::vector<std::string>{"Read Codexia", "About Codexia", "Minimize Codexia",
                                                     "Close Codexia"}));
    RECT win;
    GetWindowRect(skin, &win);
    const int lefts[] = {68, 132, 196, 288}, widths[] = {49, 52, 79, 49};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(els[static_cast<std::size_t>(k)].name);
        const Element& e = els[static_cast<std::size_t>(k)];
        EXPECT_EQ(e.role, ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_TRUE(e.state & STATE_SYSTEM_FOCUSABLE);
        EXPECT_FALSE(e.state & STATE_SYSTEM_FOCUSED);
        EXPECT_EQ(e.place.left - win.left, lefts[k]);
        EXPECT_EQ(e.place.top - win.top, 344);
        EXPECT_EQ(e.place.right - e.place.left, widths[k]);
        EXPECT_EQ(e.place.bottom - e.place.top, 19);
    }
    // A mouse user sees the cover as printed, the pointer over Read or not.
    RECT read = els[0].place;
    std::vector<COLORREF> plain = Edge(read);
    ClickScreen(win.left + 200, win.top + 100);  // a press on the cover (no area)
    Sleep(300);
    EXPECT_EQ(Edge(read), plain);
    PointerTo(read.left + 10, read.top + 8);
    Sleep(300);
    EXPECT_EQ(Edge(read), plain);

    // Tab: the focus on Read, its mark drawn; the arrows move it.
    Key(VK_TAB);
    EXPECT_EQ(FocusedChild(skin), 1);
    EXPECT_NE(Edge(read), plain);
    Key(VK_RIGHT);
    EXPECT_EQ(FocusedChild(skin), 2);
    EXPECT_EQ(Edge(read), plain) << "the mark left Read";
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(FocusedChild(skin), 1) << "the arrows go round";
    Key(VK_TAB, false, false, true);
    EXPECT_EQ(FocusedChild(skin), 4);
}

// The default action of the areas and of the About window's tabs; the
// reading window's bar, book view, notepad and size box with their names.
TEST_F(KeyboardTest, DefaultActionsAndTheNamesOfTheOtherWindows) {
    Accessible a(skin);
    ASSERT_EQ(a.DoDefault(1), S_OK);  // Read
    HWND read = book->WaitForWindow("TfrmRead");
    ASSERT_NE(read, nullptr) << book->Shown();
    Sleep(300);

    HWND bar = ChildOfClass(read, "TMMPanel");
    ASSERT_NE(bar, nullptr);
    Accessible b(bar);
    auto els = b.Children();
    EXPECT_EQ(Names(els), (std::vector<std::string>{"Background", "Font", "Decrease", "Increase", "Notepad",
                                                     "Show", "Close"}));
    for (const Element& e : els) {
        if (e.window) continue;
        EXPECT_EQ(e.role, ROLE_SYSTEM_PUSHBUTTON) << e.name;
    }
    HWND size = ChildOfClass(bar, "Cx.Edit");
    ASSERT_NE(size, nullptr);
    Element box = Accessible(size).Self();
    EXPECT_EQ(box.name, "Font size");
    EXPECT_EQ(box.role, ROLE_SYSTEM_TEXT);

    std::vector<std::string> views;
    EnumChildWindows(
        read,
        [](HWND w, LPARAM lp) -> BOOL {
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (_strnicmp(cls, "Cx.RichEdit", 11) == 0) {
                Element e = Accessible(w).Self();
                reinterpret_cast<std::vector<std::string>*>(lp)->push_back(
                    e.name + (e.role == ROLE_SYSTEM_TEXT ? " (text)" : " (other role)"));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&views));
    std::sort(views.begin(), views.end());
    EXPECT_EQ(views, (std::vector<std::string>{"Book (text)", "Notes (text)"}));

    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(read); }, 10000)) << "Escape closes the reading window";

    ASSERT_EQ(a.DoDefault(2), S_OK);  // About
    HWND about = book->WaitForWindow("TfrmAbout");
    ASSERT_NE(about, nullptr) << book->Shown();
    Sleep(300);
    HWND tabs = ChildOfClass(about, "Cx.SysTabControl32");
    ASSERT_NE(tabs, nullptr);
    Accessible t(tabs);
    EXPECT_EQ(t.Self().role, ROLE_SYSTEM_PAGETABLIST);
    auto pages = t.Children();
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[0].name, "Author");
    EXPECT_EQ(pages[1].name, "Copyright");
    EXPECT_EQ(pages[0].role, ROLE_SYSTEM_PAGETAB);
    EXPECT_TRUE(pages[0].state & STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(pages[1].state & STATE_SYSTEM_SELECTED);
    ASSERT_EQ(t.DoDefault(2), S_OK);
    EXPECT_TRUE(WaitUntil([&] { return (t.Describe(2).state & STATE_SYSTEM_SELECTED) != 0; }, 5000));
    EXPECT_FALSE(t.Describe(1).state & STATE_SYSTEM_SELECTED);
    Key('C', true);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }, 10000));
}

// A whole session without the mouse: Read, the size by Ctrl+plus and
// Ctrl+minus, Close, and Close on the cover ends the program.
TEST_F(KeyboardTest, AKeyboardOnlySession) {
    Key(VK_TAB);
    ASSERT_EQ(FocusedChild(skin), 1);
    Key(VK_RETURN);
    HWND read = book->WaitForWindow("TfrmRead");
    ASSERT_NE(read, nullptr) << book->Shown();
    Sleep(500);
    HWND bar = ChildOfClass(read, "TMMPanel");
    HWND size = ChildOfClass(bar, "Cx.Edit");
    ASSERT_NE(size, nullptr);

    // The bar comes after the book view; then the size box after the four buttons.
    int tabs = 0;
    while (FocusOf(*book) != size && tabs < 12) {
        Key(VK_TAB);
        ++tabs;
    }
    ASSERT_EQ(FocusOf(*book), size) << "Tab never reached the size box";
    EXPECT_LE(tabs, 6);

    HWND view = nullptr;
    EnumChildWindows(
        read,
        [](HWND w, LPARAM lp) -> BOOL {
            if (Accessible(w).Self().name != "Book") return TRUE;
            *reinterpret_cast<HWND*>(lp) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&view));
    ASSERT_NE(view, nullptr);
    const int first = std::stoi(Text(size));
    LRESULT lines = SendMessageA(view, EM_GETLINECOUNT, 0, 0);
    Key(VK_OEM_PLUS, false, true);
    EXPECT_EQ(Text(size), std::to_string(first + 1));
    EXPECT_GT(SendMessageA(view, EM_GETLINECOUNT, 0, 0), lines) << "a larger page takes more lines";
    Key(VK_OEM_MINUS, false, true);
    EXPECT_EQ(Text(size), std::to_string(first));
    Key(VK_OEM_PLUS, false, true);
    EXPECT_EQ(Text(size), std::to_string(first + 1));

    // Notepad, Show, Save Settings, then Close.
    for (int k = 0; k < 4; ++k) Key(VK_TAB);
    Accessible b(bar);
    auto els = b.Children();
    ASSERT_FALSE(els.empty());
    EXPECT_EQ(els.back().name, "Close");
    EXPECT_TRUE(els.back().state & STATE_SYSTEM_FOCUSED);
    Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(read); }, 10000));
    Sleep(300);

    // Back on the cover the focus is where it was: Read; three Tabs to Close.
    EXPECT_EQ(FocusedChild(skin), 1);
    for (int k = 0; k < 3; ++k) Key(VK_TAB);
    ASSERT_EQ(FocusedChild(skin), 4);
    Key(VK_RETURN);
    EXPECT_TRUE(book->WaitForExit(15000)) << book->Shown();
}
