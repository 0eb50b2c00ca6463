// The control on screen: the background colour reaches the window, the book
// shows with its formatting and links. With CODEXIA_SHOT_DIR set, the window
// is also saved as richedit.bmp there for looking at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "RichTestUtil.h"

using namespace testsupport;
using namespace richtest;

TEST(RichEditLook, BackgroundAndBookOnScreen) {
    auto* f = new TTestForm();
    f->SetBounds(40, 40, 760, 560);
    f->SetCaption("Rich text look");
    auto* book = new TwwDBRichEdit(f);
    book->SetBounds(8, 8, 460, 500);
    book->SetScrollBars(TScrollStyle::ssVertical);
    book->SetAutoURLDetect(true);
    book->SetReadOnly(true);
    book->SetMaxLength(1000000);
    book->SetParent(f);
    auto* note = new TwwDBRichEdit(f);
    note->SetBounds(476, 8, 260, 240);
    note->SetColor(RGB(255, 240, 200));
    note->SetRichEditVersion(1);
    note->SetParent(f);
    auto* plain = new TwwDBRichEdit(f);
    plain->SetBounds(476, 256, 260, 252);
    plain->SetColor(RGB(200, 230, 255));
    plain->SetParent(f);
#ifdef BOOK_RTF
    book->Lines()->LoadFromFile(BOOK_RTF);
#endif
    TwwRichMemoryStream ms;
    ms.WriteString(Rtf("A version-1 window: {\\b bold}, {\\i italic}, {\\ul underlined}.\\par "
                       "Visit http://example.com/ for more."));
    ms.SetPosition(0);
    note->Lines()->LoadFromStream(ms);
    note->SetAutoURLDetect(true);
    plain->SetAutoURLDetect(true);
    plain->Lines()->SetText("Plain text\r\nwith lines\r\nand http://example.org/ too\r\n");
    f->Show();
    SetForegroundWindow(f->Handle());
    Pump(300);
    // A blank place low in the windows shows their background colours.
    POINT p = note->ClientToScreen(POINT{200, 200});
    EXPECT_EQ(ScreenPixel(p.x, p.y), RGB(255, 240, 200));
    p = plain->ClientToScreen(POINT{200, 200});
    EXPECT_EQ(ScreenPixel(p.x, p.y), RGB(200, 230, 255));
    // Links are marked, also in a window made again.
    auto linkAt = [](TwwDBRichEdit* e, int pos) {
        e->SetSelStart(pos);
        e->SetSelLength(1);
        CHARFORMAT2A cf{};
        cf.cbSize = sizeof cf;
        SendMessageA(e->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return (cf.dwEffects & CFE_LINK) != 0;
    };
    int at = static_cast<int>(plain->Text().find("http://")) - 2;  // paragraph marks count once
    EXPECT_TRUE(linkAt(plain, at + 3));
    EXPECT_FALSE(linkAt(plain, 2));
    plain->SetHideScrollBars(false);
    EXPECT_TRUE(linkAt(plain, at + 3)) << "after re-creation";
    plain->SetSelStart(0);
    Pump(100);
    if (const char* dir = std::getenv("CODEXIA_SHOT_DIR"))
        SaveScreenBmp(std::string(dir) + "\\richedit.bmp", f->Handle());
    delete f;
}
