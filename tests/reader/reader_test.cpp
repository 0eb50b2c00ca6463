// The reading window's commands on the real window built from its stored
// layout, its buttons pressed with real mouse input, and the file steps of
// saving the reader's notes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Dialogs.h"
#include "Splitter.h"
#include "StdCtrls.h"
#include "buttons/MMBmpBtn.h"
#include "TestUtil.h"
#include "../richedit/PopupTestUtil.h"
#include "reader/ReaderSettings.h"
#include "reader/ReadingView.h"
#include "reader/unitRead.h"
#include "richedit/wwRichEdit.h"
#include "richedit/wwRichEditFind.h"

using namespace testsupport;

namespace {

std::string TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + "codexia-reader-" + std::to_string(GetTickCount());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

class ReaderTest : public testing::Test {
protected:
    void SetUp() override {
        dir = TempDir();
        SetCurrentDirectoryA(dir.c_str());
        form = new TfrmRead(Application);
        form->Arguments = {"book.exe"};
        form->LoadLayout();
        form->DoCreate();
        Errors().clear();
    }
    void TearDown() override {
        delete form;
        TCommonDialog::OnDialogShown = nullptr;
    }
    // The window shown and in front, for real input.
    void ShowForInput() {
        form->Show();
        SetForegroundWindow(form->Handle());
        WaitFor([&] { return IsWindowVisible(form->Handle()) != FALSE; });
        Pump(50);
    }
    // A click with real input at the centre of one of the window's buttons;
    // what the click does is done when this returns.
    void Press(TControl* button) {
        POINT p = button->ClientToScreen(POINT{button->Width() / 2, button->Height() / 2});
        ClickAt(p.x, p.y);
        WaitFor([] { return HIWORD(GetQueueStatus(QS_INPUT)) == 0; }, 1000);
    }
    int BookSize() { return form->RichEdit2->Font()->Size(); }
    std::string SizeBox() { return form->editFontSize->Text(); }
    std::string dir;
    TfrmRead* form = nullptr;
};

}  // namespace

TEST_F(ReaderTest, SizeCommandsStepByOneAndStopAtTheirTexts) {
    // Nothing chosen: the box shows the book's body size (the stored
    // layout's "8" would name a size the text is not at).
    ASSERT_EQ(SizeBox(), "12");
    ASSERT_EQ(BookSize(), 12);
    ShowForInput();
    for (int k = 0; k < 7; ++k) Press(form->btnIncreaseFont);
    EXPECT_EQ(SizeBox(), "19");
    EXPECT_EQ(BookSize(), 19);
    form->editFontSize->SetText("71");
    Press(form->btnIncreaseFont);
    EXPECT_EQ(SizeBox(), "72");
    EXPECT_EQ(BookSize(), 72);
    Press(form->btnIncreaseFont);
    EXPECT_EQ(SizeBox(), "72");
    form->editFontSize->SetText("3");
    Press(form->btnDecreaseFont);
    EXPECT_EQ(SizeBox(), "2");
    Press(form->btnDecreaseFont);
    EXPECT_EQ(SizeBox(), "2");
    EXPECT_EQ(BookSize(), 2);
    // No clamp beyond the stop texts.
    form->editFontSize->SetText("80");
    Press(form->btnIncreaseFont);
    EXPECT_EQ(SizeBox(), "81");
}

TEST_F(ReaderTest, ASizeTextThatIsNoIntegerRaisesTheConversionError) {
    ShowForInput();
    form->editFontSize->SetText("big");
    Press(form->btnIncreaseFont);
    EXPECT_EQ(TakeErrors(), "'big' is not a valid integer value");
    EXPECT_EQ(SizeBox(), "big");
}

TEST_F(ReaderTest, SizeCommandsAtThe32BitLimitsRaiseInsteadOfWrapping) {
    struct Case {
        const char* text;
        bool increase;
        const char* error;
    } cases[] = {{"2147483647", true, "'2147483648' is not a valid integer value"},
                 {"-2147483648", false, "'-2147483649' is not a valid integer value"},
                 {"2147483648", true, "'2147483648' is not a valid integer value"},
                 {"", false, "'' is not a valid integer value"}};
    ShowForInput();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        form->RichEdit2->Font()->SetSize(9);
        form->editFontSize->SetText(c.text);
        Press(c.increase ? form->btnIncreaseFont : form->btnDecreaseFont);
        EXPECT_EQ(TakeErrors(), c.error);
        EXPECT_EQ(SizeBox(), c.text);
        EXPECT_EQ(BookSize(), 9);
    }
    // One step short of the limit still works.
    form->editFontSize->SetText("2147483646");
    Press(form->btnIncreaseFont);
    EXPECT_EQ(SizeBox(), "2147483647");
}

TEST_F(ReaderTest, CancelledDialogsStillApplyTheirCurrentValues) {
    TCommonDialog::OnDialogShown = [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); };
    ShowForInput();
    form->editFontSize->SetText("12");
    // The dialog opens on the page's font: cancelled, the page keeps it.
    const std::string face = form->RichEdit2->Font()->Name();
    Press(form->btnFont);
    EXPECT_EQ(form->RichEdit2->Font()->Name(), face);
    EXPECT_EQ(BookSize(), 12);
    form->RichEdit2->SetColor(clYellow);
    Press(form->btnBackground);
    EXPECT_EQ(form->RichEdit2->Color(), clWhite);
}

TEST_F(ReaderTest, TheNotepadTakesAThirdOfTheWindow) {
    ShowForInput();
    ASSERT_EQ(form->Width(), 430);
    EXPECT_FALSE(form->RichEdit3->Visible());
    Press(form->btnHideShowNotepad);
    EXPECT_TRUE(form->RichEdit3->Visible());
    EXPECT_TRUE(form->Splitter1->Visible());
    EXPECT_EQ(form->RichEdit3->Width(), 143);
    EXPECT_EQ(form->btnHideShowNotepad->Caption(), "Hide");
    EXPECT_EQ(form->btnHideShowNotepad->Hint(), "Hide");
    // The splitter lies between the book and the notepad.
    EXPECT_EQ(form->Splitter1->Left() + form->Splitter1->Width(), form->RichEdit3->Left());
    form->SetBounds(form->Left(), form->Top(), 600, form->Height());
    Pump(30);
    EXPECT_EQ(form->RichEdit3->Width(), 200);
    Press(form->btnHideShowNotepad);
    EXPECT_FALSE(form->RichEdit3->Visible());
    EXPECT_FALSE(form->Splitter1->Visible());
    EXPECT_EQ(form->btnHideShowNotepad->Caption(), "Show");
    form->Hide();
}

TEST(NotesFile, AFailedSaveLeavesThePreviousNotes) {
    std::string dir = TempDir();
    std::string notes = dir + "\\Book.Rtf";
    {
        std::ofstream f(notes, std::ios::binary);
        f << "{\\rtf1 old notes}";
    }
    EXPECT_THROW(reader::SaveNotesFile(notes,
                                       [](const std::string& path) {
                                           std::ofstream f(path, std::ios::binary);
                                           f << "{\\rtf1 half";
                                           throw EInOutError("Disk full");
                                       }),
                 EInOutError);
    {
        std::ifstream in(notes, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        EXPECT_EQ(s.str(), "{\\rtf1 old notes}");
    }
    // Only the notes file is left: the partial file is gone.
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.Rtf").c_str(), &fd);
    int count = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do ++count;
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    EXPECT_EQ(count, 1);
    reader::SaveNotesFile(notes, [](const std::string& path) {
        std::ofstream f(path, std::ios::binary);
        f << "{\\rtf1 new notes}";
    });
    std::ifstream again(notes, std::ios::binary);
    std::stringstream t;
    t << again.rdbuf();
    EXPECT_EQ(t.str(), "{\\rtf1 new notes}");
}

TEST(Switches, PrefixesAreCaseSensitiveAndValuesUntrimmed) {
    using reader::Switch;
    auto s = reader::ParseSwitches({"C:\\book.exe", "/RFArial", "/RI14", "/rf Times", "/NK$00FF00", "/RF", "/Xyz",
                                    "/X", "/NI 20"});
    ASSERT_EQ(s.size(), 7u);
    EXPECT_EQ(s[0].which, Switch::ReadingFont);
    EXPECT_EQ(s[0].value, "Arial");
    EXPECT_EQ(s[1].value, "14");
    EXPECT_EQ(s[2].which, Switch::NotepadColor);
    EXPECT_EQ(s[3].which, Switch::ReadingFont);
    EXPECT_EQ(s[3].value, "");
    EXPECT_EQ(s[4].which, Switch::Maximized);
    EXPECT_EQ(s[5].which, Switch::Maximized);
    EXPECT_EQ(s[6].which, Switch::NotepadSize);
    EXPECT_EQ(s[6].value, " 20");
}

// ---------------------------------------------------------------- the choices on the page

namespace {

struct Look {
    std::string face;
    int twips = 0;
    DWORD effects = 0;
    COLORREF color = 0;
};

Look LookAt(TwwCustomRichEdit* e, int position) {
    HWND w = e->Handle();
    CHARRANGE saved{};
    SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    CHARRANGE r{position, position + 1};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2A f{};
    f.cbSize = sizeof f;
    SendMessageA(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    return {f.szFaceName, static_cast<int>(f.yHeight), f.dwEffects, f.crTextColor};
}

// The height on screen of the line that holds the position: the distance to the next line.
int LineHeightAt(TwwCustomRichEdit* e, int position) {
    HWND w = e->Handle();
    LRESULT line = SendMessageA(w, EM_EXLINEFROMCHAR, 0, position);
    POINTL a{}, b{};
    SendMessageA(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&a), SendMessageA(w, EM_LINEINDEX, line, 0));
    SendMessageA(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&b), SendMessageA(w, EM_LINEINDEX, line + 1, 0));
    return b.y - a.y;
}

int Find(TwwCustomRichEdit* e, const std::string& text) { return e->FindText(text, 0, e->GetTextLen(), stMatchCase); }

int FirstVisibleLine(TwwCustomRichEdit* e) { return static_cast<int>(SendMessageA(e->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0)); }
int LineOf(TwwCustomRichEdit* e, int position) {
    return static_cast<int>(SendMessageA(e->Handle(), EM_EXLINEFROMCHAR, 0, position));
}

}  // namespace

TEST_F(ReaderTest, SizeCommandsSetTrueSizesOnEveryRunAndHeadingsStayLarger) {
    ShowForInput();
    TwwDBRichEdit* book = form->RichEdit2;
    int heading = book->FindText("The Crossing to Inchmore", Find(book, "Chapter Five"), book->GetTextLen(), stMatchCase);
    ASSERT_GT(heading, 0);
    int body = heading + 200;
    int italic = Find(book, "a novel");
    // The book as its author set it: no zoom, its own sizes.
    WPARAM num = 0;
    LPARAM den = 0;
    SendMessageA(book->Handle(), EM_GETZOOM, reinterpret_cast<WPARAM>(&num), reinterpret_cast<LPARAM>(&den));
    EXPECT_TRUE(num == 0 || static_cast<LPARAM>(num) == den) << num << "/" << den;
    ASSERT_EQ(LookAt(book, body).twips, 240);
    ASSERT_EQ(LookAt(book, heading).twips, 360);
    int bodyBefore = LineHeightAt(book, body);
    for (int k = 0; k < 3; ++k) Press(form->btnIncreaseFont);
    EXPECT_EQ(SizeBox(), "15");
    EXPECT_EQ(BookSize(), 15);
    // Every run at a true size: the body at 15, the rest in proportion,
    // to the half point (the 18-point heading at 22.5, the 14-point
    // subtitle at 17.5); bold and italics stay.
    EXPECT_EQ(LookAt(book, body).twips, 300);
    EXPECT_EQ(LookAt(book, heading).twips, 450);
    EXPECT_EQ(LookAt(book, italic).twips, 350);
    EXPECT_TRUE(LookAt(book, heading).effects & CFE_BOLD);
    EXPECT_TRUE(LookAt(book, italic).effects & CFE_ITALIC);
    SendMessageA(book->Handle(), EM_GETZOOM, reinterpret_cast<WPARAM>(&num), reinterpret_cast<LPARAM>(&den));
    EXPECT_TRUE(num == 0 || static_cast<LPARAM>(num) == den) << "no zoom: " << num << "/" << den;
    Pump(30);
    int bodyAfter = LineHeightAt(book, body);
    EXPECT_GT(bodyAfter, bodyBefore + 2) << "three sizes larger shows on the page";
    EXPECT_GT(LineHeightAt(book, heading), bodyAfter) << "a heading stays taller than the body";
    // Down to 8 and back to 12: the book's own sizes again, no drift.
    for (int k = 0; k < 7; ++k) Press(form->btnDecreaseFont);
    EXPECT_EQ(LookAt(book, body).twips, 160);
    EXPECT_EQ(LookAt(book, heading).twips, 240);
    for (int k = 0; k < 4; ++k) Press(form->btnIncreaseFont);
    EXPECT_EQ(LookAt(book, body).twips, 240);
    EXPECT_EQ(LookAt(book, heading).twips, 360);
    EXPECT_EQ(LookAt(book, italic).twips, 280);
    form->Hide();
}

TEST_F(ReaderTest, AtTheStartTheFirstLineStaysAtTheTopThroughSizeChanges) {
    ShowForInput();
    TwwDBRichEdit* book = form->RichEdit2;
    // The view scrolled to its very start (the book opens with an empty
    // spacer line of fixed height, whose text may stand above it).
    auto firstLineTop = [&] {
        POINT at{-1, -1};
        SendMessageA(book->Handle(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
        return at.y + FirstVisibleLine(book);
    };
    EXPECT_EQ(firstLineTop(), 0);
    for (const char* size : {"8", "30", "15", "2"}) {
        form->editFontSize->SetText(size);
        Press(form->btnIncreaseFont);
        EXPECT_EQ(firstLineTop(), 0) << size;
        Press(form->btnDecreaseFont);
        EXPECT_EQ(firstLineTop(), 0) << size;
    }
    form->Hide();
}

TEST_F(ReaderTest, TheFontDialogsStyleAndColourGoOnTheBodyAndTheBookKeepsItsOwn) {
    TwwDBRichEdit* book = form->RichEdit2;
    int heading = book->FindText("The Crossing to Inchmore", Find(book, "Chapter Five"), book->GetTextLen(), stMatchCase);
    int body = heading + 200;
    int italic = Find(book, "a novel");
    int dot = Find(book, "\xb7");
    Look headingBefore = LookAt(book, heading), dotBefore = LookAt(book, dot);
    ASSERT_FALSE(LookAt(book, body).effects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE));
    ASSERT_NE(headingBefore.color, RGB(200, 0, 0));
    // The dialog opens on the page's font and, cancelled, applies it as it is.
    ShowForInput();
    TCommonDialog::OnDialogShown = [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); };
    form->RichEdit2->Font()->SetStyle(fsBold | fsUnderline);
    form->RichEdit2->Font()->SetColor(static_cast<TColor>(RGB(200, 0, 0)));
    Press(form->btnFont);
    Look b = LookAt(book, body);
    EXPECT_TRUE(b.effects & CFE_BOLD);
    EXPECT_TRUE(b.effects & CFE_UNDERLINE);
    EXPECT_FALSE(b.effects & CFE_AUTOCOLOR);
    EXPECT_EQ(b.color, RGB(200, 0, 0)) << "the body takes the colour";
    EXPECT_EQ(LookAt(book, heading).color, headingBefore.color) << "a coloured heading keeps its colour";
    EXPECT_EQ(LookAt(book, dot).color, dotBefore.color);
    EXPECT_TRUE(LookAt(book, italic).effects & CFE_ITALIC) << "the book's italics stay";
    EXPECT_TRUE(LookAt(book, italic).effects & CFE_BOLD);
    EXPECT_GT(LookAt(book, heading).twips, b.twips) << "the heading stays larger";
    // Chosen no more: the book's own effects and colour come back.
    form->RichEdit2->Font()->SetStyle(0);
    form->RichEdit2->Font()->SetColor(clWindowText);
    Press(form->btnFont);
    b = LookAt(book, body);
    EXPECT_FALSE(b.effects & (CFE_BOLD | CFE_UNDERLINE));
    EXPECT_TRUE(b.effects & CFE_AUTOCOLOR);
    EXPECT_TRUE(LookAt(book, heading).effects & CFE_BOLD) << "the heading's own bold stays";
    EXPECT_TRUE(LookAt(book, italic).effects & CFE_ITALIC);
    EXPECT_FALSE(LookAt(book, italic).effects & CFE_BOLD);
}

TEST_F(ReaderTest, TheFormatMapCoversTheBookInOrderAndNamesItsBody) {
    reader::TReadingView& v = form->View();
    ASSERT_TRUE(v.Measure());
    EXPECT_EQ(v.BodyTwips(), 240);
    EXPECT_EQ(v.BodyFace(), "Times New Roman");
    const auto& runs = v.Runs();
    ASSERT_GT(runs.size(), 100u);
    EXPECT_EQ(runs.front().from, 0);
    for (std::size_t k = 1; k < runs.size(); ++k) {
        ASSERT_EQ(runs[k].from, runs[k - 1].to) << k;
        ASSERT_LT(runs[k].from, runs[k].to) << k;
    }
    TwwDBRichEdit* book = form->RichEdit2;
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    EXPECT_EQ(runs.back().to, SendMessageA(book->Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
    // A run is what the window holds there.
    for (std::size_t k = 0; k < runs.size(); k += 37) {
        Look l = LookAt(book, runs[k].from);
        EXPECT_EQ(l.twips, runs[k].twips) << k;
        EXPECT_EQ(l.face, runs[k].face) << k;
    }
}
TEST_F(ReaderTest, TheFontCommandPutsItsFaceOnEveryRunKeepingSizesAndItalics) {
    TwwDBRichEdit* book = form->RichEdit2;
    int heading = book->FindText("The Crossing to Inchmore", Find(book, "Chapter Five"), book->GetTextLen(), stMatchCase);
    int italic = Find(book, "a novel");
    ASSERT_GT(heading, 0);
    ASSERT_GE(italic, 0);
    Look headingBefore = LookAt(book, heading);
    ASSERT_TRUE(LookAt(book, italic).effects & CFE_ITALIC);
    ShowForInput();
    TCommonDialog::OnDialogShown = [](HWND dlg) {
        HWND faces = GetDlgItem(dlg, 0x470);
        if (SendMessageA(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Tahoma")) >= 0)
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    };
    Press(form->btnFont);
    ASSERT_EQ(book->Font()->Name(), "Tahoma");
    EXPECT_EQ(LookAt(book, heading).face, "Tahoma");
    EXPECT_EQ(LookAt(book, Find(book, "Chapter Nine") + 300).face, "Tahoma");
    EXPECT_EQ(LookAt(book, heading).twips, headingBefore.twips);
    EXPECT_EQ(LookAt(book, heading).effects & CFE_BOLD, headingBefore.effects & CFE_BOLD);
    EXPECT_TRUE(LookAt(book, italic).effects & CFE_ITALIC) << "italics stay";
    EXPECT_EQ(SizeBox(), "12");
}

TEST_F(ReaderTest, TheLineAtTheTopStaysThroughSizeChangesAndTheBookmarkComesIntoView) {
    ShowForInput();
    TwwDBRichEdit* book = form->RichEdit2;
    int place = Find(book, "Chapter Five") + 1500;
    book->ScrollCharacterToTop(place);
    int top = book->TopCharacter();
    ASSERT_GT(top, 0);
    ASSERT_EQ(FirstVisibleLine(book), LineOf(book, top));
    Press(form->btnIncreaseFont);
    Press(form->btnIncreaseFont);
    EXPECT_EQ(FirstVisibleLine(book), LineOf(book, top));
    Press(form->btnDecreaseFont);
    EXPECT_EQ(FirstVisibleLine(book), LineOf(book, top));
    // The reading position as the settings give it: its line at the top.
    form->View().SetBookmark(place + 700);
    EXPECT_EQ(book->SelStart(), place + 700);
    EXPECT_EQ(FirstVisibleLine(book), LineOf(book, place + 700));
    form->Hide();
}

TEST(ReadingView, OtherSizesFollowTheBodyToTheHalfPoint) {
    EXPECT_EQ(reader::ScaledTwips(360, 240, 300), 450);   // 18 pt with a 12-pt body at 15: 22.5
    EXPECT_EQ(reader::ScaledTwips(440, 240, 300), 550);   // 22 -> 27.5
    EXPECT_EQ(reader::ScaledTwips(200, 240, 160), 130);   // 10 -> 6.67, to 6.5
    EXPECT_EQ(reader::ScaledTwips(360, 240, 240), 360);   // the book's own
    EXPECT_EQ(reader::ScaledTwips(200, 240, 20), 20);     // 10 -> 0.83, to 1
    EXPECT_EQ(reader::ScaledTwips(200, 240, 10), 10) << "never below half a point";
    EXPECT_EQ(reader::ScaledTwips(1920, 240, 1440), 11520) << "72 with a 12-pt body";
}

TEST(ReadingView, TheBodySizeIsTheMostCommonOne) {
    EXPECT_EQ(reader::MostCommon({}), 0);
    EXPECT_EQ(reader::MostCommon({240, 720, 240, 1440, 240, 720}), 240);
    EXPECT_EQ(reader::MostCommon({300, 200, 300, 200}), 200) << "the smaller of equals";
}

// On the real reading window: the book view's context menu holds only Find,
// and Find, typed into, finds a phrase of the last chapter and selects it in
// view; the notepad's menu holds its editing items.
TEST_F(ReaderTest, TheBookViewsMenuFindsAPhraseOfTheLastChapter) {
    ShowForInput();
    TwwDBRichEdit* book = form->RichEdit2;
    book->SetFocus();
    book->SetSelStart(0);
    RECT r{};
    GetWindowRect(book->Handle(), &r);
    popuptest::MenuResult m = popuptest::RightClickMenu({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, {"Fin&d"});
    ASSERT_TRUE(m.opened);
    EXPECT_EQ(popuptest::Captions(m.items), std::vector<std::string>{"Fin&d"});
    ASSERT_TRUE(WaitFor([&] { return book->FindDialog()->Handle() != nullptr; }, 3000)) << "no find dialog";
    HWND dlg = book->FindDialog()->Handle();
    WaitFor([&] { return IsChild(dlg, GetFocus()); }, 2000);
    TypeText("anchor quilt");
    POINT ok = popuptest::CentreOf(GetDlgItem(dlg, IDOK));
    ClickAt(ok.x, ok.y);
    ASSERT_TRUE(WaitFor([&] { return book->SelLength() == 12; }, 3000)) << "nothing was found";
    int want = book->FindText("anchor quilt", 0, book->GetTextLen(), 0);
    EXPECT_EQ(book->SelStart(), want);
    EXPECT_GT(want, Find(book, "Chapter Ten")) << "the phrase of the last chapter";
    POINTL at{};
    SendMessageA(book->Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), want);
    RECT client{};
    GetClientRect(book->Handle(), &client);
    EXPECT_TRUE(at.y >= 0 && at.y < client.bottom) << "the match is in view";
    KeyPress(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 3000));

    // The notepad pane, shown: Edit, the clipboard items, the styles, Find.
    Press(form->btnHideShowNotepad);
    ASSERT_TRUE(form->RichEdit3->Visible());
    form->RichEdit3->SetFocus();
    GetWindowRect(form->RichEdit3->Handle(), &r);
    m = popuptest::RightClickMenu({(r.left + r.right) / 2, r.bottom - 40}, {});
    ASSERT_TRUE(m.opened);
    EXPECT_EQ(popuptest::Captions(m.items),
              (std::vector<std::string>{"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "B&old", "&Italic",
                                        "&Underline", "-", "Fin&d"}));
    form->Hide();
}
