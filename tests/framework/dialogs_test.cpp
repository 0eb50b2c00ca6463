// The common dialogs as components, driven as a user would: the modeless
// find and replace dialogs take Tab, Return and Escape through the
// application's loop and report through their events; the save dialog adds
// its default extension and reads its filter back.
#include <gtest/gtest.h>

#include <windows.h>

#include <dlgs.h>

#include <cstdio>
#include <fstream>

#include "Dialogs.h"
#include "StdCtrls.h"
#include "TestUtil.h"

using namespace testsupport;

namespace {

TTestForm* ShownForm() {
    auto* f = new TTestForm();
    f->SetBounds(100, 100, 400, 300);
    auto* edit = new TEdit(f);
    edit->SetBounds(10, 10, 200, 22);
    edit->SetParent(f);
    f->Show();
    Pump(30);
    SetForegroundWindow(f->Handle());
    edit->SetFocus();
    Pump(20);
    return f;
}

void Type(const char* text) {
    for (const char* c = text; *c; ++c) KeyPress(static_cast<WORD>(toupper(static_cast<unsigned char>(*c))));
}

std::string FocusText() {
    char buf[256] = {};
    GetWindowTextA(GetFocus(), buf, sizeof buf);
    return buf;
}

}  // namespace

TEST(Dialogs, FindDialogIsModelessTakesTabReturnAndEscape) {
    auto* f = ShownForm();
    auto* find = new TFindDialog(f);
    find->FindText = "lantern";
    find->Options = frDown | frHideUpDown;
    std::vector<std::string> found;
    int closes = 0;
    find->OnFind = [&](TObject*) { found.push_back(find->FindText); };
    find->OnClose = [&](TObject*) { ++closes; };
    ASSERT_TRUE(find->Execute());
    HWND dlg = find->Handle();
    ASSERT_TRUE(dlg && IsWindowVisible(dlg));
    ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == dlg; }));
    EXPECT_EQ(Application->ModelessDialogs(), std::vector<HWND>{dlg});
    HWND text = GetDlgItem(dlg, edt1);
    ASSERT_EQ(GetFocus(), text);
    EXPECT_EQ(FocusText(), "lantern");
    // Tab leaves the text box for the next field, Shift+Tab comes back.
    KeyPress(VK_TAB);
    EXPECT_NE(GetFocus(), text);
    EXPECT_TRUE(IsChild(dlg, GetFocus()));
    KeyPress(VK_TAB, false, false, true);
    EXPECT_EQ(GetFocus(), text);
    // Typed text and Return: Find Next with the new text.
    SendMessageA(text, EM_SETSEL, 0, -1);
    Type("harbour");
    KeyPress(VK_RETURN);
    ASSERT_EQ(found, std::vector<std::string>{"harbour"});
    EXPECT_TRUE(find->Options & frFindNext);
    EXPECT_TRUE(find->Options & frDown);
    EXPECT_TRUE(IsWindowVisible(dlg));  // still open: it is modeless
    // Escape closes it.
    KeyPress(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(find->Handle(), nullptr);
    EXPECT_TRUE(Application->ModelessDialogs().empty());
    // Shown again where it was.
    POINT was = find->Position();
    ASSERT_TRUE(find->Execute());
    RECT r;
    GetWindowRect(find->Handle(), &r);
    EXPECT_EQ(r.left, was.x);
    EXPECT_EQ(r.top, was.y);
    find->CloseDialog();
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(found.size(), 1u);
    delete f;
    EXPECT_EQ(TakeErrors(), "");
}

TEST(Dialogs, ReplaceDialogReportsReplaceAllWithBothTexts) {
    auto* f = ShownForm();
    auto* dlg = new TReplaceDialog(f);
    dlg->FindText = "quiet";
    dlg->ReplaceText = "calm";
    dlg->Options = frDown | frMatchCase;
    std::vector<std::string> events;
    dlg->OnReplace = [&](TObject*) {
        events.push_back(dlg->FindText + ">" + dlg->ReplaceText + ((dlg->Options & frReplaceAll) ? " all" : " one") +
                         ((dlg->Options & frMatchCase) ? " case" : ""));
    };
    dlg->OnFind = [&](TObject*) { events.push_back("find " + dlg->FindText); };
    ASSERT_TRUE(dlg->Execute());
    HWND w = dlg->Handle();
    ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == w; }));
    SetDlgItemTextA(w, edt2, "still");
    SendMessageA(GetDlgItem(w, psh2), BM_CLICK, 0, 0);  // Replace All
    Pump(20);
    SendMessageA(GetDlgItem(w, psh1), BM_CLICK, 0, 0);  // Replace
    Pump(20);
    EXPECT_EQ(events, (std::vector<std::string>{"quiet>still all case", "quiet>still one case"}));
    delete dlg;  // an open dialog goes with its component
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(Application->ModelessDialogs().empty());
    delete f;
    EXPECT_EQ(TakeErrors(), "");
}

TEST(Dialogs, SaveDialogAddsTheDefaultExtensionAndReadsTheFilterBack) {
    auto* f = ShownForm();
    auto* save = new TSaveDialog(f);
    save->Filter = "Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT";
    save->DefaultExt = "rtf";
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    save->InitialDir = dir;
    save->Options |= ofOverwritePrompt;
    std::string name = "cx-dialog-test";
    std::remove((std::string(dir) + name + ".rtf").c_str());
    TCommonDialog::OnDialogShown = [&](HWND d) {
        // The name box, then OK, as typed.
        SendMessageA(d, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageA(d, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name.c_str()));
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    bool ok = save->Execute();
    TCommonDialog::OnDialogShown = nullptr;
    ASSERT_TRUE(ok);
    EXPECT_EQ(save->FileName, std::string(dir) + name + ".rtf");
    EXPECT_EQ(save->FilterIndex, 1);
    ASSERT_EQ(save->Files.size(), 1u);
    delete f;
    EXPECT_EQ(TakeErrors(), "");
}

