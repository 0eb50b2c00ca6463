// The control's context menu and its find, replace and font dialogs, used
// as a reader uses them: a right click opens the menu (read back from the
// platform's menu while it is open), items are clicked, the dialogs are
// typed into and their buttons pressed, and the results are read back from
// the rich edit window. With CODEXIA_SHOT_DIR set, the notepad's menu and
// the find dialog with its match are saved there as pictures.
#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cstdlib>

#include "PopupTestUtil.h"
#include "RichTestUtil.h"
#include "Menus.h"
#include "richedit/wwRichEditFind.h"

using namespace testsupport;
using namespace popuptest;

namespace {

constexpr unsigned kNotepadOptions = rpoPopupEdit | rpoPopupCut | rpoPopupCopy | rpoPopupPaste | rpoPopupBold |
                                     rpoPopupItalic | rpoPopupUnderline | rpoPopupFind;

class TProbeEdit : public TwwDBRichEdit {
public:
    using TwwDBRichEdit::TwwDBRichEdit;
    int editorRequests = 0;
    bool EditInWindow() override {
        ++editorRequests;
        return false;
    }
};

// The window's own text and selection.
std::wstring WindowText(HWND w) {
    GETTEXTLENGTHEX len{GTL_NUMCHARS | GTL_PRECISE, 1200};
    auto n = SendMessageW(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
    std::wstring buf(static_cast<std::size_t>(n) + 1, L'\0');
    GETTEXTEX how{};
    how.cb = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    how.flags = GT_DEFAULT;
    how.codepage = 1200;
    auto got = SendMessageW(w, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<std::size_t>(got));
    return buf;
}
CHARRANGE WindowSelection(HWND w) {
    CHARRANGE r{};
    SendMessageW(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}
void PutText(HWND w, const std::wstring& text) {
    // Over a selection of everything: Wine's window set wholly by this
    // request leaves paragraphs that a later paragraph format trips over.
    SendMessageW(w, EM_SETSEL, 0, -1);
    SETTEXTEX how{ST_SELECTION, 1200};
    SendMessageW(w, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
}
std::wstring FieldText(HWND dlg, int id) {
    wchar_t t[256] = {};
    GetDlgItemTextW(dlg, id, t, 256);
    return t;
}
bool SelectionHidden(HWND w) { return !(SendMessageW(w, EM_GETOPTIONS, 0, 0) & ECO_NOHIDESEL); }

// Types text of any alphabet, character by character, as a keyboard sends it.
void TypeUnicode(const std::wstring& text) {
    for (wchar_t ch : text) {
        SendTextInput(std::wstring_view(&ch, 1));
        Pump(20);
    }
}
// Replaces a dialog field's text by typing: Home, Shift+End, then the text.
void RetypeField(HWND field, const std::string& text) {
    SetFocus(field);
    KeyPress(VK_HOME);
    KeyPress(VK_END, false, false, true);
    if (text.empty()) KeyPress(VK_DELETE);
    TypeText(text);
}
void Press(HWND button) {
    POINT c = CentreOf(button);
    ClickAt(c.x, c.y);
}

struct Shown {
    TTestForm* form;
    TProbeEdit* edit;
    explicit Shown(const std::wstring& text, unsigned options = kDefaultPopupOptions, bool readOnly = false)
        : form(new TTestForm()), edit(nullptr) {
        form->SetBounds(120, 80, 520, 360);
        form->SetCaption("Notes");
        edit = new TProbeEdit(form);
        edit->SetName("RichEdit1");
        edit->SetBounds(10, 10, 480, 280);
        edit->SetParent(form);
        edit->PopupOptions = options;
        edit->Font()->SetName("Arial");
        edit->Font()->SetSize(12);
        form->Show();
        SetForegroundWindow(form->Handle());
        PutText(edit->Handle(), text);
        edit->SetReadOnly(readOnly);
        edit->SetFocus();
        WaitFor([&] { return GetFocus() == edit->Handle(); }, 2000);
    }
    ~Shown() { delete form; }
    HWND Wnd() { return edit->Handle(); }
    // A screen point inside the character at index.
    POINT At(int index) { return richtest::ScreenPointOf(edit->Handle(), index); }
    // A point below the text, so that a click there never lands on a word.
    POINT Below(int dx = 0) {
        RECT r;
        GetWindowRect(edit->Handle(), &r);
        return {r.left + 60 + dx, r.bottom - 30};
    }
    void Select(int start, int end) {
        CHARRANGE r{start, end};
        SendMessageW(edit->Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    }
    // Opens a search dialog through the context menu; its window, or null.
    HWND OpenDialog(const std::string& caption, TwwFindDialog* dialog, int dx = 0) {
        MenuResult m = RightClickMenu(Below(dx), {caption});
        if (!m.opened) return nullptr;
        if (!WaitFor([&] { return dialog->Handle() && IsWindowVisible(dialog->Handle()); }, 3000)) return nullptr;
        HWND dlg = dialog->Handle();
        WaitFor([&] { return GetForegroundWindow() == dlg && IsChild(dlg, GetFocus()); }, 2000);
        return dlg;
    }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
};

void PutClipboardText(HWND owner, const char* text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(g), text, strlen(text) + 1);
    GlobalUnlock(g);
    SetClipboardData(CF_TEXT, g);
    CloseClipboard();
}

std::string ShotPath(const char* name) {
    const char* dir = std::getenv("CODEXIA_SHOT_DIR");
    return dir ? std::string(dir) + "\\" + name : std::string();
}

}  // namespace

// ---------------------------------------------------------------- the menu

TEST(RichEditPopupMenu, TheBookViewShowsOnlyFind) {
    Shown s(L"Lanterns over the quiet harbour.", rpoPopupFind, true);
    MenuResult m = RightClickMenu(s.Below(), {});
    ASSERT_TRUE(m.opened);
    ASSERT_EQ(Captions(m.items), std::vector<std::string>{"Fin&d"});
    EXPECT_TRUE(m.items[0].enabled);
}

TEST(RichEditPopupMenu, TheNotepadShowsItsItemsWithStatesAndTogglesBold) {
    Shown s(L"bold plain words", kNotepadOptions);
    s.Select(0, 4);
    s.edit->SetStyleEffect(fsBold, true);
    PutClipboardText(s.form->Handle(), "clip");
    MenuResult m = RightClickMenu(s.At(1), {}, ShotPath("context-menu.bmp"));
    ASSERT_TRUE(m.opened);
    const std::vector<std::string> want = {"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "B&old",
                                           "&Italic", "&Underline", "-", "Fin&d"};
    EXPECT_EQ(Captions(m.items), want) << "no separator before Find without Font, Bullet, Paragraph or Tabs";
    ASSERT_EQ(m.items.size(), want.size());
    EXPECT_TRUE(m.items[2].enabled && m.items[3].enabled && m.items[4].enabled);
    EXPECT_TRUE(m.items[6].checked) << "the selection is bold";
    EXPECT_FALSE(m.items[7].checked || m.items[8].checked);
    EXPECT_EQ(WindowSelection(s.Wnd()).cpMin, 0) << "the right click kept the selection";
    EXPECT_EQ(WindowSelection(s.Wnd()).cpMax, 4);

    // Bold clicked on a bold selection takes the bold away; Italic adds italic.
    RightClickMenu(s.At(2), {"B&old"});
    EXPECT_TRUE(WaitFor([&] { return !(s.edit->SelAttributes()->Style() & fsBold); }, 2000));
    RightClickMenu(s.At(1), {"&Italic"});
    EXPECT_TRUE(WaitFor([&] { return (s.edit->SelAttributes()->Style() & fsItalic) != 0; }, 2000));

    // Without a selection Cut and Copy are disabled; Edit opens the editor.
    s.Select(6, 6);
    m = RightClickMenu(s.Below(), {"&Edit"});
    ASSERT_TRUE(m.opened);
    ASSERT_NE(Item(m.items, "Cu&t"), nullptr);
    EXPECT_FALSE(Item(m.items, "Cu&t")->enabled);
    EXPECT_FALSE(Item(m.items, "&Copy")->enabled);
    EXPECT_TRUE(Item(m.items, "&Paste")->enabled);
    EXPECT_TRUE(WaitFor([&] { return s.edit->editorRequests == 1; }, 2000));
}

TEST(RichEditPopupMenu, ReadOnlyShowsViewWithCutAndPasteDisabled) {
    Shown s(L"Only to be read.", kDefaultPopupOptions, true);
    s.Select(0, 4);
    PutClipboardText(s.form->Handle(), "clip");
    MenuResult m = RightClickMenu(s.At(1), {});
    ASSERT_TRUE(m.opened);
    EXPECT_EQ(Captions(m.items), (std::vector<std::string>{"&View", "-", "Cu&t", "&Copy", "&Paste", "-", "Fin&d"}));
    ASSERT_EQ(m.items.size(), 7u);
    EXPECT_FALSE(m.items[2].enabled) << "nothing is cut from a read-only document";
    EXPECT_TRUE(m.items[3].enabled);
    EXPECT_FALSE(m.items[4].enabled) << "nothing is pasted into a read-only document";
}

TEST(RichEditPopupMenu, EveryOptionShowsEveryItemButSpellCheck) {
    Shown s(L"x", 0x7FFF);
    s.edit->Lines()->SetText("all of them");
    MenuResult m = RightClickMenu(s.Below(), {});
    ASSERT_TRUE(m.opened);
    EXPECT_EQ(Captions(m.items),
              (std::vector<std::string>{"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "B&old", "&Italic",
                                        "&Underline", "-", "&Font", "&Bullet Style", "P&aragraph", "&Tabs", "-",
                                        "Fin&d", "&Replace", "-", "Insert &Object..."}));
    // Bullets toggled from the menu are checked the next time it opens.
    s.Select(0, 0);
    // (Each right click somewhere else: two at one place are a double click
    // to the window, which selects.)
    RightClickMenu(s.Below(30), {"&Bullet Style"});
    ASSERT_TRUE(WaitFor([&] { return s.edit->GetParagraphFormat().wNumbering == PFN_BULLET; }, 2000));
    m = RightClickMenu(s.Below(60), {});
    ASSERT_NE(Item(m.items, "&Bullet Style"), nullptr);
    EXPECT_TRUE(Item(m.items, "&Bullet Style")->checked);
}

TEST(RichEditPopupMenu, AUserMenuReplacesTheBuiltInOne) {
    Shown s(L"text", kNotepadOptions);
    auto* user = new TPopupMenu(s.form);
    auto* only = new TMenuItem(user);
    only->Caption = "Say &hello";
    int clicks = 0;
    only->OnClick = [&](TObject*) { ++clicks; };
    user->Items()->Add(only);
    s.edit->SetPopupMenu(user);
    MenuResult m = RightClickMenu(s.Below(), {"Say &hello"});
    ASSERT_TRUE(m.opened);
    EXPECT_EQ(Captions(m.items), std::vector<std::string>{"Say &hello"});
    EXPECT_TRUE(WaitFor([&] { return clicks == 1; }, 2000));
}

// ---------------------------------------------------------------- find

TEST(RichEditFind, WrapsOnceThenSaysNoMoreMatchesAndTheDialogKeysWork) {
    Shown s(L"harbour lights over the quiet water", kNotepadOptions);
    s.edit->SetHideSelection(true);
    int end = static_cast<int>(WindowText(s.Wnd()).size());
    s.Select(end, end);
    HWND dlg = s.OpenDialog("Fin&d", s.edit->FindDialog());
    ASSERT_TRUE(dlg) << "the find dialog did not show";
    EXPECT_FALSE(SelectionHidden(s.Wnd())) << "the match stays visible while the dialog has the focus";
    HWND field = GetDlgItem(dlg, edt1);
    EXPECT_EQ(GetFocus(), field);
    EXPECT_EQ(FieldText(dlg, edt1), L"") << "no selection and no earlier search";
    TypeText("harbour");
    EXPECT_EQ(FieldText(dlg, edt1), L"harbour");

    // The only match lies before the caret: the search goes round once.
    Press(GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(WaitFor([&] { return WindowSelection(s.Wnd()).cpMax == 7; }, 3000));
    EXPECT_EQ(WindowSelection(s.Wnd()).cpMin, 0);
    {
        // The dialog does not lie over the match.
        RECT box{}, overlap{};
        GetWindowRect(dlg, &box);
        POINT a = s.At(0), b = s.At(6);
        RECT match{a.x - 3, a.y - 6, b.x + 6, b.y + 8};
        EXPECT_FALSE(IntersectRect(&overlap, &box, &match));
    }
    if (auto shot = ShotPath("find-dialog.bmp"); !shot.empty()) SaveScreenBmp(shot);
    EXPECT_EQ(s.edit->LastSearchText(), L"harbour");

    // Round once already: the next Find Next ends the search with a message.
    {
        BoxAnswerer box({dlg});
        Press(GetDlgItem(dlg, IDOK));
        ASSERT_TRUE(WaitFor([&] { return box.Count() == 1; }, 3000)) << "no message came";
        EXPECT_EQ(box.Texts()[0], L"No more matches found");
        WaitFor([&] { return ThreadWindows("#32770").size() == 1; }, 3000);
    }
    // The search begins anew from the selection: the match is the one selected.
    {
        BoxAnswerer box({dlg});
        Press(GetDlgItem(dlg, IDOK));
        ASSERT_TRUE(WaitFor([&] { return box.Count() == 1; }, 3000));
        WaitFor([&] { return ThreadWindows("#32770").size() == 1; }, 3000);
    }
    EXPECT_EQ(WindowSelection(s.Wnd()).cpMin, 0);

    // Tab leaves the text field and comes back; Escape closes the dialog.
    SetForegroundWindow(dlg);
    SetFocus(field);
    KeyPress(VK_TAB);
    EXPECT_NE(GetFocus(), field);
    EXPECT_TRUE(IsChild(dlg, GetFocus()));
    KeyPress(VK_TAB, false, false, true);
    EXPECT_EQ(GetFocus(), field);
    KeyPress(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 3000)) << "Escape did not close the dialog";
    EXPECT_TRUE(s.edit->HideSelection());
    EXPECT_TRUE(SelectionHidden(s.Wnd())) << "the control's own setting came back";
}

TEST(RichEditFind, TheSelectionIsTheSearchTextUnlessItHoldsALineBreak) {
    Shown s(L"first line\rsecond line", kNotepadOptions);
    s.Select(0, 5);
    HWND dlg = s.OpenDialog("Fin&d", s.edit->FindDialog());
    ASSERT_TRUE(dlg);
    EXPECT_EQ(FieldText(dlg, edt1), L"first");
    // A match at the caret with nothing selected is found at once.
    RetypeField(GetDlgItem(dlg, edt1), "second");
    Press(GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(WaitFor([&] { return WindowSelection(s.Wnd()).cpMin == 11; }, 3000));
    KeyPress(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 3000));

    s.edit->SetFocus();
    s.Select(6, 17);  // "line", the break, "second"
    dlg = s.OpenDialog("Fin&d", s.edit->FindDialog(), 60);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(FieldText(dlg, edt1), L"second") << "a selection with a line break is not a search text";
    KeyPress(VK_ESCAPE);
    WaitFor([&] { return !IsWindow(dlg); }, 3000);

    // At the very start, with nothing selected, a match there is found.
    s.edit->SetFocus();
    s.Select(0, 0);
    dlg = s.OpenDialog("Fin&d", s.edit->FindDialog(), 120);
    ASSERT_TRUE(dlg);
    RetypeField(GetDlgItem(dlg, edt1), "first");
    Press(GetDlgItem(dlg, IDOK));
    EXPECT_TRUE(WaitFor([&] { return WindowSelection(s.Wnd()).cpMax == 5; }, 3000));
    EXPECT_EQ(WindowSelection(s.Wnd()).cpMin, 0);
    KeyPress(VK_ESCAPE);
    WaitFor([&] { return !IsWindow(dlg); }, 3000);
}

TEST(RichEditFind, AGreekWordTypedIntoTheDialogIsFound) {
    const std::wstring text = L"\u03a4\u03bf \u03c6\u03c9\u03c2 \u03c4\u03bf\u03c5 "
                              L"\u03bb\u03b9\u03bc\u03b1\u03bd\u03b9\u03bf\u03cd \u03ad\u03bb\u03b1\u03bc\u03c8\u03b5";
    const std::wstring word = L"\u03bb\u03b9\u03bc\u03b1\u03bd\u03b9\u03bf\u03cd";  // "harbour's"
    // The first half is put in, the rest typed into the notepad.
    Shown s(text.substr(0, 11), kNotepadOptions | rpoPopupReplace);
    s.Select(11, 11);
    TypeUnicode(text.substr(11));
    ASSERT_EQ(WindowText(s.Wnd()), text) << "typed Greek letters must reach the text";
    s.Select(0, 0);
    HWND dlg = s.OpenDialog("Fin&d", s.edit->FindDialog());
    ASSERT_TRUE(dlg);
    TypeUnicode(word);
    ASSERT_EQ(FieldText(dlg, edt1), word);
    Press(GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(WaitFor([&] { return WindowSelection(s.Wnd()).cpMax > 0; }, 3000));
    CHARRANGE r = WindowSelection(s.Wnd());
    EXPECT_EQ(r.cpMin, 11);
    EXPECT_EQ(text.substr(static_cast<std::size_t>(r.cpMin), static_cast<std::size_t>(r.cpMax - r.cpMin)), word);
    EXPECT_EQ(s.edit->SelTextW(), word);
    EXPECT_EQ(s.edit->LastSearchText(), word);
    KeyPress(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 3000));

    // Replaced by another Greek word, typed too: the text keeps its letters.
    s.edit->SetFocus();
    s.Select(3, 6);  // "φως", the selection becomes the search text
    dlg = s.OpenDialog("&Replace", s.edit->ReplaceDialog());
    ASSERT_TRUE(dlg);
    EXPECT_EQ(FieldText(dlg, edt1), L"\u03c6\u03c9\u03c2");
    SetFocus(GetDlgItem(dlg, edt2));
    const std::wstring moon = L"\u03c6\u03b5\u03b3\u03b3\u03ac\u03c1\u03b9";
    TypeUnicode(moon);
    {
        // Replaced, and no other match: the message says so.
        BoxAnswerer box({dlg});
        Press(GetDlgItem(dlg, psh1));
        EXPECT_TRUE(WaitFor([&] { return box.Count() == 1; }, 3000));
        WaitFor([&] { return ThreadWindows("#32770").size() == 1; }, 3000);
    }
    ASSERT_TRUE(WaitFor([&] { return WindowText(s.Wnd()).find(moon) != std::wstring::npos; }, 3000));
    EXPECT_EQ(WindowText(s.Wnd()), L"\u03a4\u03bf " + moon + text.substr(6));
    KeyPress(VK_ESCAPE);
    WaitFor([&] { return !IsWindow(dlg); }, 3000);
}

// ---------------------------------------------------------------- replace

TEST(RichEditReplace, ReplaceAllReplacesEachMatchOnce) {
    Shown s(L"banana", kDefaultPopupOptions);
    s.Select(0, 0);
    HWND dlg = s.OpenDialog("&Replace", s.edit->ReplaceDialog());
    ASSERT_TRUE(dlg);
    HWND find = GetDlgItem(dlg, edt1), with = GetDlgItem(dlg, edt2);
    TypeText("a");
    KeyPress(VK_TAB);
    EXPECT_EQ(GetFocus(), with) << "Tab moves to the replacement field";
    TypeText("aa");
    auto replaceAll = [&](const std::wstring& want) {
        BoxAnswerer box({dlg});
        Press(GetDlgItem(dlg, psh2));
        EXPECT_TRUE(WaitFor([&] { return box.Count() == 1; }, 5000)) << "Replace All ends with the message";
        WaitFor([&] { return ThreadWindows("#32770").size() == 1; }, 3000);
        EXPECT_EQ(WindowText(s.Wnd()), want);
    };
    // A replacement holding the search text: one pass, each match once.
    replaceAll(L"baanaanaa");

    // Matches side by side, with the caret inside the text: all of them.
    PutText(s.Wnd(), L"aaa");
    s.Select(1, 1);
    RetypeField(find, "a");
    RetypeField(with, "b");
    replaceAll(L"bbb");

    // A replacement that begins where the search began is not met again.
    PutText(s.Wnd(), L"a");
    s.Select(0, 1);
    RetypeField(with, "aa");
    replaceAll(L"aa");

    // Read-only: Replace All changes nothing (a Find Next afterwards shows
    // that the press was dealt with).
    PutText(s.Wnd(), L"one cat, two cats");
    s.edit->SetReadOnly(true);
    s.Select(0, 0);
    RetypeField(find, "cat");
    RetypeField(with, "dog");
    Press(GetDlgItem(dlg, psh2));
    Press(GetDlgItem(dlg, psh1));
    Press(GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(WaitFor([&] { return WindowSelection(s.Wnd()).cpMin == 4; }, 3000));
    EXPECT_EQ(WindowText(s.Wnd()), L"one cat, two cats");
    KeyPress(VK_ESCAPE);
    WaitFor([&] { return !IsWindow(dlg); }, 3000);
}

TEST(RichEditReplace, FindAndReplaceAndTheSoundCases) {
    Shown s(L"one cat, two cats", kDefaultPopupOptions);
    s.Select(5, 5);
    EXPECT_FALSE(s.edit->FindAndReplace(std::wstring(L"cat"), std::wstring(L"owl"), stWholeWord));
    EXPECT_EQ(WindowText(s.Wnd()), L"one cat, two cats") << "whole word: \"cats\" is not \"cat\"";
    s.Select(0, 0);
    EXPECT_TRUE(s.edit->FindAndReplace(std::string("cat"), std::string("owl"), 0));
    EXPECT_EQ(WindowText(s.Wnd()), L"one owl, two cats");
    EXPECT_EQ(WindowSelection(s.Wnd()).cpMin, 7) << "the caret follows the replacement";
    EXPECT_FALSE(s.edit->FindAndReplace(std::wstring(), std::wstring(L"x"), 0)) << "an empty search does nothing";
    EXPECT_EQ(WindowText(s.Wnd()), L"one owl, two cats");
    s.edit->SetReadOnly(true);
    s.Select(0, 0);
    EXPECT_FALSE(s.edit->FindAndReplace(std::wstring(L"two"), std::wstring(L"six"), 0));
    EXPECT_EQ(WindowText(s.Wnd()), L"one owl, two cats");
}

// ---------------------------------------------------------------- font

TEST(RichEditFont, TheFontDialogSetsTheChosenSizeOnTheSelection) {
    Shown s(L"small print here", 0x7FFF);
    s.Select(0, 5);
    ASSERT_EQ(s.edit->SelAttributes()->Size(), 12);
    // In the dialog: the size field takes "20" typed, then OK.
    int step = 0;
    bool sawDialog = false;
    Watcher answer([&] {
        for (HWND d : ThreadWindows("#32770")) {
            HWND size = GetDlgItem(d, cmb3);
            if (!size) continue;
            sawDialog = true;
            HWND sizeEdit = GetWindow(size, GW_CHILD);
            switch (step++) {
            case 0: ClickWindow(sizeEdit ? sizeEdit : size); return false;
            case 1:
                SendKeyPressInput(VK_HOME);
                SendKeyPressInput(VK_END, false, false, true);
                SendKeyPressInput('2');
                SendKeyPressInput('0');
                return false;
            default: ClickWindow(GetDlgItem(d, IDOK)); return true;
            }
        }
        return false;
    });
    RightClickMenu(s.At(1), {"&Font"});
    ASSERT_TRUE(WaitFor([&] { return answer.Done(); }, 5000)) << (sawDialog ? "the dialog did not close" : "no font dialog");
    EXPECT_TRUE(WaitFor([&] { return s.edit->SelAttributes()->Size() == 20; }, 2000));
    EXPECT_EQ(s.edit->SelAttributes()->Name(), "Arial") << "the face stays";
    s.Select(6, 10);
    EXPECT_EQ(s.edit->SelAttributes()->Size(), 12) << "only the selection changed";
}

TEST(RichEditFont, ConfirmingTheDialogKeepsTheColoursOfAMixedSelection) {
    Shown s(L"red and black", 0x7FFF);
    s.Select(0, 3);
    s.edit->SelAttributes()->SetColor(clRed);
    s.Select(0, 13);
    Watcher answer([&] {
        for (HWND d : ThreadWindows("#32770"))
            if (GetDlgItem(d, cmb3)) {
                ClickWindow(GetDlgItem(d, IDOK));
                return true;
            }
        return false;
    });
    RightClickMenu(s.At(5), {"&Font"});
    ASSERT_TRUE(WaitFor([&] { return answer.Done(); }, 5000)) << "no font dialog";
    s.Select(0, 3);
    EXPECT_EQ(s.edit->SelAttributes()->Color(), clRed) << "the red word stays red";
    s.Select(8, 13);
    EXPECT_EQ(ColorToRGB(s.edit->SelAttributes()->Color()), RGB(0, 0, 0)) << "the black word stays black";
}
