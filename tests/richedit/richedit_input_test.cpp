// The control under real mouse and keyboard input: clicking detected links
// (press and release on the same link), the UseDefault choice, the right
// click that keeps the selection, F2, and pasting refused for bitmaps.
#include <gtest/gtest.h>

#include "RichTestUtil.h"
#include "StdCtrls.h"

using namespace testsupport;

namespace {

class TProbeEdit : public TwwDBRichEdit {
public:
    using TwwDBRichEdit::TwwDBRichEdit;
    std::vector<std::string> opened;
    int editorRequests = 0;
    bool EditInWindow() override {
        ++editorRequests;
        return false;
    }

protected:
    void OpenURL(const std::string& link) override { opened.push_back(link); }
};

struct Shown {
    TTestForm* form;
    TProbeEdit* edit;
    explicit Shown(const std::string& text, bool links = true) : form(new TTestForm()), edit(nullptr) {
        form->SetBounds(200, 150, 480, 320);
        form->SetCaption("Rich text input");
        edit = new TProbeEdit(form);
        edit->SetName("RichEdit1");
        edit->SetBounds(10, 10, 440, 240);
        edit->SetParent(form);
        edit->SetAutoURLDetect(links);
        edit->Font()->SetName("Arial");
        edit->Font()->SetSize(12);
        form->Show();
        SetForegroundWindow(form->Handle());
        edit->Lines()->SetText(text);
        edit->SetFocus();
        Pump(100);
    }
    ~Shown() { delete form; }
    // Screen point inside the character at index.
    POINT At(int index) { return richtest::ScreenPointOf(edit->Handle(), index); }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
};

void PutClipboard(HWND owner, const char* text, bool bitmap, bool metafile) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    if (text) {
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
        memcpy(GlobalLock(g), text, strlen(text) + 1);
        GlobalUnlock(g);
        SetClipboardData(CF_TEXT, g);
    }
    if (bitmap) {
        HDC screen = GetDC(nullptr);
        SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 8, 8));
        ReleaseDC(nullptr, screen);
    }
    if (metafile) {
        HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        Rectangle(dc, 0, 0, 10, 10);
        SetClipboardData(CF_ENHMETAFILE, CloseEnhMetaFile(dc));
    }
    CloseClipboard();
}

}  // namespace

TEST(RichEditLinks, ClickOnALinkOpensItThroughDoURLOpen) {
    Shown s("Visit http://example.com/lantern today");
    std::vector<std::string> seen;
    s.edit->OnURLOpen = [&](TObject* sender, const std::string& url, bool& useDefault) {
        EXPECT_EQ(sender, s.edit);
        EXPECT_TRUE(useDefault);
        seen.push_back(url);
    };
    POINT p = s.At(12);
    ClickAt(p.x, p.y);
    ASSERT_TRUE(WaitFor([&] { return !seen.empty(); }, 2000)) << "no link was opened";
    EXPECT_EQ(seen[0], "http://example.com/lantern");
    ASSERT_EQ(s.edit->opened.size(), 1u);
    EXPECT_EQ(s.edit->opened[0], "http://example.com/lantern");
}

TEST(RichEditLinks, UseDefaultFalseOpensNothing) {
    Shown s("Visit http://example.com/lantern today");
    int asked = 0;
    s.edit->OnURLOpen = [&](TObject*, const std::string&, bool& useDefault) {
        ++asked;
        useDefault = false;
    };
    POINT p = s.At(15);
    ClickAt(p.x, p.y);
    ASSERT_TRUE(WaitFor([&] { return asked > 0; }, 2000));
    Pump(50);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(s.edit->opened.empty());
}

TEST(RichEditLinks, PressAndReleaseMustBothBeOnTheLink) {
    Shown s("Visit http://example.com/lantern today and more plain words here");
    int asked = 0;
    s.edit->OnURLOpen = [&](TObject*, const std::string&, bool&) { ++asked; };
    // Press on the link, release on plain text.
    POINT link = s.At(12), plain = s.At(50);
    MouseMoveTo(link.x, link.y);
    MouseDown();
    MouseMoveTo(plain.x, plain.y);
    MouseUp();
    Pump(100);
    EXPECT_EQ(asked, 0);
    // Press on plain text, release on the link.
    MouseMoveTo(plain.x, plain.y);
    MouseDown();
    MouseMoveTo(link.x, link.y);
    MouseUp();
    Pump(100);
    EXPECT_EQ(asked, 0);
    // A plain click on the link afterwards still works.
    ClickAt(link.x, link.y);
    EXPECT_TRUE(WaitFor([&] { return asked == 1; }, 2000));
    EXPECT_EQ(s.edit->opened.size(), 1u);
}

TEST(RichEditMouse, RightClickKeepsTheSelection) {
    Shown s("one two three four", false);
    int leftClicks = 0;
    s.edit->OnClick = [&](TObject*) { ++leftClicks; };
    s.edit->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        if (b == TMouseButton::mbLeft) ++leftClicks;
    };
    // No menu: the built-in one would wait for an answer (its own tests
    // drive it).
    s.edit->SetPopupMenu(nullptr);
    s.edit->SetSelStart(4);
    s.edit->SetSelLength(3);
    POINT p = s.At(10);
    MouseMoveTo(p.x, p.y);
    MouseDown(true);
    MouseUp(true);
    Pump(100);
    EXPECT_EQ(s.edit->SelStart(), 4);
    EXPECT_EQ(s.edit->SelLength(), 3);
    EXPECT_EQ(leftClicks, 0) << "the right click is not reported as a left one";
    // With nothing selected the caret stays where it was. (Wait out the
    // double-click time: Wine's window counts its own clicks, and a second
    // press soon after would select a word.)
    Pump(static_cast<int>(GetDoubleClickTime()) + 100);
    s.edit->SetSelStart(1);
    MouseDown(true);
    MouseUp(true);
    Pump(100);
    EXPECT_EQ(s.edit->SelStart(), 1);
    EXPECT_EQ(s.edit->SelLength(), 0);
}

TEST(RichEditKeyboard, F2AsksForTheEditorOnlyWithThePopupEditOption) {
    Shown s("text", false);
    int keyDowns = 0;
    s.edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        if (key == VK_F2) ++keyDowns;
    };
    KeyPress(VK_F2);
    EXPECT_EQ(s.edit->editorRequests, 1);
    EXPECT_EQ(keyDowns, 0) << "the key is used up";
    s.edit->PopupOptions &= ~rpoPopupEdit;
    KeyPress(VK_F2);
    EXPECT_EQ(s.edit->editorRequests, 1);
    EXPECT_EQ(keyDowns, 1);
}

TEST(RichEditKeyboard, PastingIsRefusedWhenTheClipboardHoldsABitmap) {
    Shown s("start ", false);
    s.edit->SetSelStart(6);
    // Keys the control refuses never reach the window (nor OnKeyDown, which
    // comes on the way there).
    int pasteKeys = 0;
    s.edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        if (key == VK_INSERT || key == 'V') ++pasteKeys;
    };
    PutClipboard(s.form->Handle(), "PASTED", true, false);
    EXPECT_FALSE(s.edit->CanPaste());
    KeyPress(VK_INSERT, false, false, true);
    KeyPress('V', false, true, false);
    EXPECT_EQ(pasteKeys, 0);
    EXPECT_EQ(s.edit->Text(), "start ") << "text beside a bitmap is not pasted";
    PutClipboard(s.form->Handle(), nullptr, true, false);
    KeyPress(VK_INSERT, false, false, true);
    EXPECT_EQ(pasteKeys, 0);
    EXPECT_EQ(s.edit->Text(), "start ");
    // Text alone goes in. (Wine's window pastes on Ctrl+V only; Shift+Insert
    // is checked by its reaching the window.)
    PutClipboard(s.form->Handle(), "PASTED", false, false);
    EXPECT_TRUE(s.edit->CanPaste());
    KeyPress(VK_INSERT, false, false, true);
    EXPECT_EQ(pasteKeys, 1);
    s.edit->SetSelStart(s.edit->GetTextLen());
    KeyPress('V', false, true, false);
    EXPECT_EQ(pasteKeys, 2);
    std::string text = s.edit->Text();
    EXPECT_EQ(text.substr(text.size() - 6), "PASTED");
    // A metafile picture makes pasting possible.
    PutClipboard(s.form->Handle(), nullptr, false, true);
    EXPECT_TRUE(s.edit->CanPaste());
    s.edit->SetReadOnly(true);
    PutClipboard(s.form->Handle(), "PASTED", false, false);
    EXPECT_TRUE(s.edit->CanPaste()) << "the question is asked as if the control were writable";
    EXPECT_TRUE(GetWindowLongA(s.edit->Handle(), GWL_STYLE) & ES_READONLY);
}

// Tab and Return belong to the control only when it wants them: otherwise Tab
// moves to the next control and Return presses the form's default button, as
// in any dialog.
TEST(RichEditKeyboard, TabAndReturnGoToTheFormUnlessTheControlWantsThem) {
    Shown s("text", false);
    auto* next = new TEdit(s.form);
    next->SetBounds(10, 260, 100, 22);
    next->SetParent(s.form);
    auto* ok = new TButton(s.form);
    ok->SetBounds(300, 260, 80, 24);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetParent(s.form);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    s.edit->SetWantTabs(false);
    s.edit->SetWantReturns(false);
    s.edit->SetFocus();
    s.edit->SetSelStart(4);
    Pump(30);
    KeyPress(VK_RETURN);
    EXPECT_EQ(clicks, 1) << "Return presses the default button";
    EXPECT_EQ(s.edit->Text(), "text");
    KeyPress(VK_TAB);
    EXPECT_EQ(GetFocus(), next->Handle()) << "Tab moves on";
    EXPECT_EQ(s.edit->Text(), "text");
    KeyPress(VK_TAB, false, false, true);
    EXPECT_EQ(GetFocus(), s.edit->Handle()) << "Shift+Tab comes back";

    s.edit->SetWantTabs(true);
    s.edit->SetWantReturns(true);
    s.edit->SetSelStart(4);
    KeyPress(VK_TAB);
    KeyPress(VK_RETURN);
    EXPECT_EQ(GetFocus(), s.edit->Handle());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(s.edit->Text(), "text\t\r\n");
}
