// The paragraph dialog as a user meets it: opened through the control, its
// fields read from the screen, typed into and clicked with real input, and
// the result read back from the rich edit window's paragraph format.
#include <gtest/gtest.h>

#include "DialogDriver.h"
#include "richedit/wwIntl.h"
#include "richeditor/wwRichParagraphDialog.h"

using dialogdriver::Driver;
using dialogdriver::RichDocument;

namespace {

// Opens the paragraph dialog on the document and runs the script against it.
bool RunParagraphDialog(RichDocument& doc, Driver& d, std::function<void(Driver&)> script) {
    TwwRichParagraphDialog::OnDialogShown = [&d](TwwRichParagraphDialog& dlg) { d.Shown(dlg); };
    bool ok = d.Run([&] { return doc.edit->ShowParagraphDialog(); }, std::move(script));
    TwwRichParagraphDialog::OnDialogShown = nullptr;
    return ok;
}

}  // namespace

TEST(ParagraphDialog, HangingIndentShowsNegativeFirstLineAndRoundTrips) {
    RichDocument doc;
    PARAFORMAT2 start{};
    start.dwMask = PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT | PFM_ALIGNMENT;
    start.dxStartIndent = 0;
    start.dxOffset = 720;  // the other lines half an inch right of the first
    start.dxRightIndent = 360;
    start.wAlignment = PFA_CENTER;
    doc.SetParagraph(start);

    Driver d;
    bool ok = RunParagraphDialog(doc, d, [](Driver& d) {
        d.Expect(d.Text(d.Dialog()) == "Paragraph", "caption " + d.Text(d.Dialog()));
        d.Expect(d.Text(d.Control("LeftEdit")) == "0.5''", "Left shows " + d.Text(d.Control("LeftEdit")));
        d.Expect(d.Text(d.Control("FirstLineEdit")) == "-0.5''",
                 "First line shows " + d.Text(d.Control("FirstLineEdit")));
        d.Expect(d.Text(d.Control("RightEdit")) == "0.25''", "Right shows " + d.Text(d.Control("RightEdit")));
        d.Expect(d.Text(d.Control("AlignmentCombo")) == "Center", "alignment " + d.Text(d.Control("AlignmentCombo")));
        d.Expect(d.Text(d.Control("BeforeParagraphEdit")) == "0''", "Before " + d.Text(d.Control("BeforeParagraphEdit")));
        d.Expect(d.Text(d.Control("WithinParagraphEdit")).empty(), "At is not empty for single spacing");
        if (auto path = dialogdriver::ShotPath("paragraph-dialog.bmp"); !path.empty()) d.SaveBitmap(path);
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    PARAFORMAT2 p = doc.Paragraph();
    EXPECT_EQ(p.dxStartIndent, 0);
    EXPECT_EQ(p.dxOffset, 720);
    EXPECT_EQ(p.dxRightIndent, 360);
    EXPECT_EQ(p.wAlignment, PFA_CENTER);
}

TEST(ParagraphDialog, FirstLineLeftOfLeftGivesNegativeStartIndent) {
    RichDocument doc;
    Driver d;
    bool ok = RunParagraphDialog(doc, d, [](Driver& d) {
        d.Replace(d.Control("LeftEdit"), "0.5");
        d.Replace(d.Control("FirstLineEdit"), "-1''");
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    PARAFORMAT2 p = doc.Paragraph();
    EXPECT_EQ(p.dxOffset, 720);        // the smaller of -First line (1440) and Left (720)
    EXPECT_EQ(p.dxStartIndent, -720);  // Left + First line
}

// Each failing field takes the focus and the dialog stays open, with no
// message; an empty field fails like text that is not a number.
TEST(ParagraphDialog, FailingFieldTakesTheFocusAndKeepsTheDialogOpen) {
    RichDocument doc;
    Driver d;
    bool ok = RunParagraphDialog(doc, d, [](Driver& d) {
        HWND left = d.Control("LeftEdit"), right = d.Control("RightEdit"), first = d.Control("FirstLineEdit");
        HWND ok = d.ByCaption("&OK");
        // The focus is elsewhere before each OK, so that only the check can put it there.
        auto okLeavesFocusOn = [&](HWND field, HWND elsewhere, const std::string& what) {
            d.ClickFocus(elsewhere);
            d.Click(ok);
            d.Expect(d.WaitFor([&] { return d.Focus() == field; }), what + ": the focus did not go to the field");
            d.Expect(IsWindowVisible(d.Dialog()) != FALSE, what + ": the dialog closed");
            d.Expect(d.MessageBoxWindow(200) == nullptr, what + ": a message was shown");
        };
        d.Replace(left, "");
        okLeavesFocusOn(left, right, "empty Left");
        d.Replace(left, "1");
        d.Replace(right, "1in");  // i and n are not unit characters
        okLeavesFocusOn(right, first, "Right 1in");
        d.Replace(right, "22.01");  // beyond 22 inches
        okLeavesFocusOn(right, first, "Right beyond 22 inches");
        d.Replace(right, "");
        d.Replace(first, "");  // First line is checked before Right
        okLeavesFocusOn(first, left, "empty First line before empty Right");
        d.Key(VK_ESCAPE);
        d.Expect(d.WaitFor([&] { return !IsWindowVisible(d.Dialog()); }), "Escape did not close the dialog");
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_FALSE(ok);
    PARAFORMAT2 p = doc.Paragraph();
    EXPECT_EQ(p.dxStartIndent, 0);
    EXPECT_EQ(p.dxRightIndent, 0);
}

TEST(ParagraphDialog, LineSpacingBoxRules) {
    RichDocument doc;
    Driver d;
    bool ok = RunParagraphDialog(doc, d, [](Driver& d) {
        HWND spacing = d.Control("LineSpacingComboBox"), at = d.Control("WithinParagraphEdit");
        d.Choose(spacing, TwwRichParagraphDialog::Exactly);
        d.Expect(d.WaitFor([&] { return d.Text(at) == "0.16''"; }), "Exactly puts " + d.Text(at));
        d.Choose(spacing, TwwRichParagraphDialog::Multiple);
        d.Expect(d.WaitFor([&] { return d.Text(at) == "1"; }), "Multiple puts " + d.Text(at));
        d.Choose(spacing, TwwRichParagraphDialog::Single);
        d.Expect(d.WaitFor([&] { return d.Text(at).empty(); }), "Single leaves " + d.Text(at));
        // A key typed into At under a fixed rule switches to Multiple.
        d.ClickFocus(at);
        d.Type("2");
        d.Expect(d.WaitFor([&] {
                     return d.Text(at) == "2" &&
                            SendMessageA(spacing, CB_GETCURSEL, 0, 0) == TwwRichParagraphDialog::Multiple;
                 }),
                 "typing into At did not switch to Multiple");
        d.Replace(d.Control("BeforeParagraphEdit"), "0.1");
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    PARAFORMAT2 p = doc.Paragraph();
    EXPECT_EQ(p.bLineSpacingRule, 5);
    EXPECT_EQ(p.dyLineSpacing, 40);  // two lines, in twentieths
    EXPECT_EQ(p.dySpaceBefore, 144);

    // Shown again: two lines as a multiple; then 1.5 Lines goes out as rule 5 with 30.
    Driver again;
    ok = RunParagraphDialog(doc, again, [](Driver& d) {
        HWND spacing = d.Control("LineSpacingComboBox"), at = d.Control("WithinParagraphEdit");
        d.Expect(SendMessageA(spacing, CB_GETCURSEL, 0, 0) == TwwRichParagraphDialog::Multiple, "rule not Multiple");
        d.Expect(d.Text(at) == "2", "At shows " + d.Text(at));
        d.Expect(d.Text(d.Control("BeforeParagraphEdit")) == "0.1''", "Before shows " +
                                                                          d.Text(d.Control("BeforeParagraphEdit")));
        d.Choose(spacing, TwwRichParagraphDialog::OneAndHalf);
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(again.Failures(), "");
    EXPECT_TRUE(ok);
    p = doc.Paragraph();
    EXPECT_EQ(p.bLineSpacingRule, 5);
    EXPECT_EQ(p.dyLineSpacing, 30);
}

TEST(ParagraphDialog, CentimetresTypedAndShown) {
    RichDocument doc(TwwMeasurementUnits::muCentimeters);
    Driver d;
    bool ok = RunParagraphDialog(doc, d, [](Driver& d) {
        d.Expect(d.Text(d.Control("LeftEdit")) == "0 cm", "Left shows " + d.Text(d.Control("LeftEdit")));
        HWND at = d.Control("WithinParagraphEdit");
        d.Choose(d.Control("LineSpacingComboBox"), TwwRichParagraphDialog::AtLeast);
        d.Expect(d.WaitFor([&] { return d.Text(at) == "0.42 cm"; }), "At least puts " + d.Text(at));
        d.Replace(d.Control("LeftEdit"), "1 cm");
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    PARAFORMAT2 p = doc.Paragraph();
    EXPECT_EQ(p.dxStartIndent, 567);  // 1 × 1440 / 2.537, truncated
    EXPECT_EQ(p.bLineSpacingRule, 3);
    EXPECT_EQ(p.dyLineSpacing, 238);  // 0.42 cm
}

TEST(ParagraphDialog, VersionOneShowsNoSpacingToChange) {
    RichDocument doc(TwwMeasurementUnits::muInches, 1);
    Driver d;
    bool ok = RunParagraphDialog(doc, d, [](Driver& d) {
        for (const char* name : {"BeforeParagraphEdit", "AfterParagraphEdit"}) {
            d.Expect(d.Text(d.Control(name)) == "0", std::string(name) + " shows " + d.Text(d.Control(name)));
            d.Expect(!d.Enabled(d.Control(name)), std::string(name) + " is enabled");
        }
        d.Expect(d.Text(d.Control("WithinParagraphEdit")).empty(), "At is not empty");
        d.Expect(!d.Enabled(d.Control("WithinParagraphEdit")), "At is enabled");
        d.Expect(!d.Enabled(d.Control("LineSpacingComboBox")), "the line spacing box is enabled");
        d.Replace(d.Control("RightEdit"), "0.5");
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(d.Failures(), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(doc.Paragraph().dxRightIndent, 720);
}

namespace {
// Puts back the string table's texts a test replaces.
struct TableTexts {
    TwwRichEditParagraphDlg& t = WwIntl().RichEdit.ParagraphDlg;
    std::vector<std::pair<std::string*, std::string>> saved;
    TableTexts() {
        for (std::string* s : {&t.ParagraphDlgCaption, &t.AlignLeft, &t.AlignCenter, &t.AlignRight, &t.AlignJustify,
                               &t.SpacingDouble, &WwIntl().OKCaption})
            saved.emplace_back(s, *s);
    }
    ~TableTexts() {
        for (auto& [field, text] : saved) *field = text;
    }
    TableTexts(const TableTexts&) = delete;
    TableTexts& operator=(const TableTexts&) = delete;
};

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int k = 0; k < n; ++k) {
        char buf[128] = {};
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(buf));
        items.push_back(buf);
    }
    return items;
}
}  // namespace

// The alignment box offers the string table's texts, and the choice reaches
// the paragraph whatever the table calls it. A justified paragraph keeps its
// alignment when the box offers no Justify to show it.
TEST(ParagraphDialog, AlignmentBoxFollowsTheStringTable) {
    RichDocument doc;
    PARAFORMAT2 start{};
    start.dwMask = PFM_ALIGNMENT;
    start.wAlignment = PFA_JUSTIFY;
    doc.SetParagraph(start);
    ASSERT_EQ(doc.edit->EditorOptions & reoShowJustifyButton, 0u);

    Driver plain;
    bool ok = RunParagraphDialog(doc, plain, [](Driver& d) {
        HWND align = d.Control("AlignmentCombo");
        d.Expect(ComboItems(align) == std::vector<std::string>{"Left", "Center", "Right"},
                 "items without Justify");
        d.Expect(SendMessageA(align, CB_GETCURSEL, 0, 0) == CB_ERR, "an alignment is chosen for a justified paragraph");
        d.ClickToClose(d.ByCaption("&OK"));
    });
    EXPECT_EQ(plain.Failures(), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(doc.Paragraph().wAlignment, PFA_JUSTIFY);

    TableTexts texts;
    TwwRichEditParagraphDlg& t = WwIntl().RichEdit.ParagraphDlg;
    t.ParagraphDlgCaption = "Absatz";
    t.AlignLeft = "Links";
    t.AlignCenter = "Mitte";
    t.AlignRight = "Rechts";
    t.AlignJustify = "Blocksatz";
    t.SpacingDouble = "Doppelt";
    WwIntl().OKCaption = "&Gut";
    doc.edit->EditorOptions |= reoShowJustifyButton;
    Driver renamed;
    ok = RunParagraphDialog(doc, renamed, [](Driver& d) {
        d.Expect(d.Text(d.Dialog()) == "Absatz", "caption " + d.Text(d.Dialog()));
        HWND align = d.Control("AlignmentCombo");
        d.Expect(ComboItems(align) == std::vector<std::string>{"Links", "Mitte", "Rechts", "Blocksatz"},
                 "alignment items from the table");
        d.Expect(d.Text(align) == "Blocksatz", "alignment shows " + d.Text(align));
        d.Expect(ComboItems(d.Control("LineSpacingComboBox")) ==
                     std::vector<std::string>{"Single", "1.5 Lines", "Doppelt", "At least", "Exactly", "Multiple"},
                 "line spacing items: the table's, or the fallbacks");
        d.Choose(align, 0);
        d.ClickToClose(d.ByCaption("&Gut"));
    });
    EXPECT_EQ(renamed.Failures(), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(doc.Paragraph().wAlignment, PFA_LEFT);
}

TEST(ParagraphDialog, ToolTipsWithHintsOn) {
    RichDocument doc;
    ASSERT_NE(doc.edit->EditorOptions & reoShowHints, 0u);
    Application->ShowHint = true;
    const int pause = Application->HintPause;
    Application->HintPause = 50;
    Driver d;
    bool ok = RunParagraphDialog(doc, d, [](Driver& d) {
        std::string seen;
        d.Expect(d.HintAt(d.Control("LeftEdit"), "Left Indentation", seen), "tool tip over Left: " + seen);
        d.Expect(d.HintAt(d.Control("AlignmentCombo"), "Changes Alignment of Paragraph", seen),
                 "tool tip over the alignment box: " + seen);
        d.Key(VK_ESCAPE);
    });
    Application->HintPause = pause;
    EXPECT_EQ(d.Failures(), "");
    EXPECT_FALSE(ok);
}
