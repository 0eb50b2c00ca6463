// The About window keeps its tab and page between showings, and its pages
// are the book's read-only documents.
#include <gtest/gtest.h>

#include <algorithm>

#include "ComCtrls.h"
#include "TestUtil.h"
#include "about/unitAbout.h"
#include "buttons/MMBmpBtn.h"
#include "richedit/wwRichEdit.h"

using namespace testsupport;

TEST(About, TheChosenTabAndPageStayBetweenShowings) {
    auto* about = new TfrmAbout(Application);
    about->LoadLayout();
    about->DoCreate();
    EXPECT_EQ(about->TabControl1->TabIndex(), 0);
    EXPECT_TRUE(about->richeditAuthor->Visible());
    EXPECT_FALSE(about->richeditCopyright->Visible());
    EXPECT_TRUE(about->richeditAuthor->ReadOnly());
    EXPECT_TRUE(about->richeditCopyright->ReadOnly());
    EXPECT_GT(about->richeditAuthor->Lines()->Count(), 5);
    EXPECT_GT(about->richeditCopyright->Lines()->Count(), 5);

    about->OnShow = [&](TObject*) {
        // The reader picks the Copyright tab, then closes the window.
        about->TabControl1->SetTabIndex(1);
        about->TabControl1Change(about->TabControl1);
        PostMessageA(about->WindowHandle(), WM_CLOSE, 0, 0);
    };
    about->ShowModal();
    EXPECT_FALSE(about->richeditAuthor->Visible());
    EXPECT_TRUE(about->richeditCopyright->Visible());

    bool copyrightOnShow = false;
    about->OnShow = [&](TObject*) {
        copyrightOnShow = about->TabControl1->TabIndex() == 1 && about->richeditCopyright->Visible();
        about->btnCloseClick(nullptr);
    };
    about->ShowModal();
    EXPECT_TRUE(copyrightOnShow);
    // An index other than the two tabs changes nothing.
    about->TabControl1->SetTabIndex(-1);
    about->TabControl1Change(about->TabControl1);
    EXPECT_TRUE(about->richeditCopyright->Visible());
    delete about;
}

// The Author page opens with the author's portrait: its colours are on the
// screen, not an empty area where the picture would be (a metafile picture
// under Wine).
TEST(About, TheAuthorPageShowsThePortrait) {
    auto* about = new TfrmAbout(Application);
    about->LoadLayout();
    about->DoCreate();
    about->Show();
    Pump(300);
    POINT origin = about->richeditAuthor->ClientToScreen(POINT{0, 0});
    int coloured = 0;
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < 160; y += 2)
        for (int x = 0; x < 340; x += 2) {
            COLORREF c = GetPixel(screen, origin.x + x, origin.y + y);
            int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (std::max({r, g, b}) - std::min({r, g, b}) > 24) ++coloured;
        }
    ReleaseDC(nullptr, screen);
    // The portrait is 154 x 144 pixels, mostly sky, sea and coat: about
    // 5,500 of the points read here; the page's text is black and grey.
    EXPECT_GT(coloured, 3000);
    about->Hide();
    delete about;
}

namespace {
bool g_closeTimedOut = false;
// Ends a modal showing that a click failed to end.
void CALLBACK CloseAfterTimeout(HWND w, UINT, UINT_PTR, DWORD) {
    KillTimer(w, 1);
    g_closeTimedOut = true;
    PostMessageA(w, WM_CLOSE, 0, 0);
}
}  // namespace

TEST(About, TheTabsAndTheCloseButtonWorkWithTheMouse) {
    auto* about = new TfrmAbout(Application);
    about->LoadLayout();
    about->DoCreate();
    about->Show();
    Pump(300);
    // One window per control: the tab control under its children is the one the program drives.
    POINT q = about->TabControl1->ClientToScreen(POINT{200, 20});
    EXPECT_EQ(GetAncestor(WindowFromPoint(q), GA_ROOT), about->WindowHandle());
    RECT second = about->TabControl1->TabRect(1);
    POINT p = about->TabControl1->ClientToScreen(POINT{(second.left + second.right) / 2, (second.top + second.bottom) / 2});
    ClickAt(p.x, p.y);
    EXPECT_TRUE(about->richeditCopyright->Visible());
    EXPECT_FALSE(about->richeditAuthor->Visible());
    POINT b = about->btnClose->ClientToScreen(POINT{0, 0});
    EXPECT_EQ(ScreenPixel(b.x, b.y), GetSysColor(COLOR_BTNHIGHLIGHT));
    about->Hide();

    // Shown modally, a press and release on Close ends the showing. The tab
    // control lets the mouse through to its parent where no tab is; the
    // button on it must get the press all the same.
    g_closeTimedOut = false;
    about->OnShow = [&](TObject*) {
        POINT c = about->btnClose->ClientToScreen(POINT{44, 12});
        SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, c.x, c.y);
        SetCursorPos(c.x, c.y);
        SendMouseInput(MOUSEEVENTF_LEFTDOWN);
        SendMouseInput(MOUSEEVENTF_LEFTUP);
        SetTimer(about->WindowHandle(), 1, 5000, CloseAfterTimeout);
    };
    about->ShowModal();
    KillTimer(about->WindowHandle(), 1);
    EXPECT_FALSE(g_closeTimedOut) << "the Close button did not take the click";
    delete about;
}
