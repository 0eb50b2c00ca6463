// The tab stops dialog as a user meets it: opened through the control,
// typed into and clicked with real input, its list read from the screen and
// the tab stops read back from the rich edit window.
#include <gtest/gtest.h>

#include "DialogDriver.h"
#include "richeditor/wwRichTabDialog.h"

using dialogdriver::Driver;
using dialogdriver::RichDocument;
using Items = std::vector<std::string>;

namespace {

bool RunTabDialog(RichDocument& doc, Driver& d, std::function<void(Driver&)> script) {
    TwwRichTabDialog::OnDialogShown = [&d](TwwRichTabDialog& dlg) { d.Shown(dlg); };
    bool ok = d.Run([&] { return doc.edit->ShowTabsDialog(); }, std::move(script));
    TwwRichTabDialog::OnDialogShown = nullptr;
    return ok;
}

std::string Joined(const Items& items) {
    std::string s;
    for (auto& i : items) s += i + " ";
    return s;
}

bool IsDefaultButton(HWND button) { return (GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }

}  // namespace

// Set by button and by Return, ordered by number; the same value twice adds
// one item; Return in the empty entry closes with OK.
TEST(TabDialog, SetOrdersByNumberAndReturnInEmptyEntryCloses) {
    RichDocument doc;
    Driver d;
    bool ok = RunTabDialog(doc, d, [](Driver& d) {
        HWND entry = d.Control("Edit1"), list = d.Control("ListBox1"), set = d.ByCaption("Set");
        HWND okButton = d.ByCaption("&OK");
        d.Expect(d.Text(d.Dialog()) == "Tab", "caption " + d.Text(d.Dialog()));
        d.Expect(d.WaitFor([&] { return d.Focus() == entry; }), "the entry does not have the focus");
        d.Expect(!IsDefaultButton(okButton), "OK is the default button while the entry has the focus");

        d.Type("1");
        d.Key(VK_RETURN);  // Set, as the entry is not empty
        d.Expect(d.WaitFor([&] { return d.Items(list) == Items{"1''"}; }), "Return did not set 1''");
        d.Expect(d.Text(entry).empty(), "the entry was not emptied");
        d.Expect(IsWindowVisible(d.Dialog()) != FALSE, "Return in the entry closed the dialog");
        d.Replace(entry, "0.5");
        d.Click(set);
        d.Expect(d.WaitFor([&] { return d.Items(list) == Items{"0.5''", "1''"}; }), "0.5 is not listed first");
        d.Replace(entry, "2''");
        d.Click(set);
        d.Expect(d.WaitFor([&] { return d.Items(list) == Items{"0.5''", "1''", "2''"}; }), "2'' is not listed last");
        d.Expect(d.WaitFor([&] { return d.Text(entry).empty(); }), "the entry was not emptied after Set");

        d.Replace(entry, "1.0");  // the same number: listed as 1''
        d.Click(set);
        d.ClickFocus(entry);  // the Set click is done once the entry has the focus again
        d.Expect(d.Items(list) == Items{"0.5''", "1''", "2''"}, "the same value was added twice");
        d.Expect(d.Text(entry) == "1.0", "the entry lost its text: " + d.Text(entry));
        d.Expect(!IsDefaultButton(okButton), "OK is the default button while the entry has the focus");
        d.ClickFocus(list);
        d.Expect(d.WaitFor([&] { return IsDefaultButton(okButton); }), "OK is not the default button again");

        if (auto path = dialogdriver::ShotPath("tab-stops-dialog.bmp"); !path.empty()) d.SaveBitmap(path);
        d.Replace(entry, "");
        d.Key(VK_RETURN);
        d.Expect(d.WaitFor([&] { return !IsWindowVisible(d.Dialog()); }), "Return in the empty entry did not close");
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(doc.Tabs(), (std::vector<LONG>{720, 1440, 2880}));
}

TEST(TabDialog, NegativeEntryClosesWithOkAndAddsNothing) {
    RichDocument doc;
    doc.SetTabs({720, 1440, 2160});
    Driver d;
    bool ok = RunTabDialog(doc, d, [](Driver& d) {
        HWND entry = d.Control("Edit1"), list = d.Control("ListBox1");
        d.Expect(d.Items(list) == Items{"0.5''", "1''", "1.5''"}, "the list was not filled from the paragraph");
        // Text that is not a number keeps the dialog open with the focus on the entry.
        d.Replace(entry, "abc");
        d.ClickFocus(list);
        d.Click(d.ByCaption("&OK"));
        d.Expect(d.WaitFor([&] { return d.Focus() == entry; }), "the entry did not take the focus");
        d.Expect(IsWindowVisible(d.Dialog()) != FALSE, "the dialog closed on text that is not a number");
        d.Replace(entry, "-1");
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(doc.Tabs(), (std::vector<LONG>{720, 1440, 2160}));
}

TEST(TabDialog, ClearRemovesEverySelectedStopAndClearAllRemovesTheRest) {
    RichDocument doc;
    doc.SetTabs({720, 1440, 2160, 2880});
    Driver d;
    bool ok = RunTabDialog(doc, d, [](Driver& d) {
        HWND list = d.Control("ListBox1");
        d.ClickItem(list, 0);
        d.ClickItem(list, 1, true);
        d.ClickItem(list, 3, true);
        d.Expect(d.WaitFor([&] { return SendMessageA(list, LB_GETSELCOUNT, 0, 0) == 3; }), "three are not selected");
        d.Click(d.ByCaption("Clear"));
        d.Expect(d.WaitFor([&] { return d.Items(list) == Items{"1.5''"}; }), "Clear did not remove the three: " + Joined(d.Items(list)) + " selected " + std::to_string(SendMessageA(list, LB_GETSELCOUNT, 0, 0)));
        d.Click(d.ByCaption("Clear All"));
        d.Expect(d.WaitFor([&] { return d.Items(list).empty(); }), "Clear All left items");
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(doc.Tabs(), std::vector<LONG>{});
}

// A paragraph holds 32 stops: a 33rd is refused with a message, by Set and
// by OK alike, and nothing already listed is lost.
TEST(TabDialog, ThirtyThirdStopIsRefusedWithAMessage) {
    RichDocument doc;
    std::vector<LONG> full;
    for (LONG k = 1; k <= 32; ++k) full.push_back(144 * k);  // 0.1'' to 3.2''
    doc.SetTabs(full);
    Driver d;
    bool ok = RunTabDialog(doc, d, [](Driver& d) {
        HWND entry = d.Control("Edit1"), list = d.Control("ListBox1");
        d.Expect(d.Items(list).size() == 32, "the list does not hold 32 stops");
        auto refused = [&](const std::string& what) {
            HWND box = d.MessageBoxWindow();
            if (!d.Expect(box != nullptr, what + ": no message")) return;
            d.Expect(d.ChildTexts(box).find("at most 32 tab stops") != std::string::npos,
                     what + ": message " + d.ChildTexts(box));
            d.Key(VK_RETURN);
            d.Expect(d.WaitFor([&] { return !IsWindowVisible(box); }), what + ": the message stayed");
            d.Expect(d.Items(list).size() == 32, what + ": the list changed");
            d.Expect(d.Text(entry) == "4", what + ": the entry lost its text");
            d.Expect(IsWindowVisible(d.Dialog()) != FALSE, what + ": the dialog closed");
        };
        d.Replace(entry, "4");
        d.Click(d.ByCaption("Set"));
        refused("Set");
        d.Click(d.ByCaption("&OK"));
        refused("OK");
        d.ClickToClose(d.ByCaption("Cancel"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(doc.Tabs(), full);
}

TEST(TabDialog, ToolTipsWithHintsOn) {
    RichDocument doc;
    Application->ShowHint = true;
    const int pause = Application->HintPause;
    Application->HintPause = 50;
    Driver d;
    bool ok = RunTabDialog(doc, d, [](Driver& d) {
        std::string seen;
        d.Expect(d.HintAt(d.ByCaption("Set"), "Set a new tab position", seen), "tool tip over Set: " + seen);
        d.Expect(d.HintAt(d.ByCaption("Clear All"), "Clear all the tabs", seen), "tool tip over Clear All: " + seen);
        d.Key(VK_ESCAPE);
    });
    Application->HintPause = pause;
    EXPECT_EQ(d.Failures(), "");
    EXPECT_FALSE(ok);
}
