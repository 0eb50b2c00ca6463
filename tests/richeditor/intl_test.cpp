// The rich text family's string table: its defaults, the fallbacks of empty
// entries, and a stored table replacing texts.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "richedit/wwRichEdit.h"
#include "richedit/wwIntl.h"

using layout::Node;
using layout::Value;

namespace {
std::string TableBytes(std::vector<std::pair<std::string, Value>> props) {
    return testsupport::LayoutBytes(Node{"TwwIntl", "wwIntl1", std::move(props), {}});
}

// Restores every text after a test that replaced some.
struct FreshTable {
    FreshTable() { Reset(); }
    ~FreshTable() { Reset(); }
    static void Reset() {
        TwwIntl& t = WwIntl();
        t.RichEdit.ParagraphDlg = TwwRichEditParagraphDlg();
        t.RichEdit.MenuLabels = TwwRichEditMenuLabels();
        t.UserMessages = TwwUserMessagesIntl();
        t.OKCaption = "&OK";
    }
};
}  // namespace

TEST(StringTable, OneTableOwnedByTheApplication) {
    TwwIntl& t = WwIntl();
    EXPECT_EQ(&t, wwIntl);
    EXPECT_EQ(t.Owner(), Application);
    EXPECT_EQ(&WwIntl(), &t);
    // A second table made later does not take the first one's place.
    auto* other = new TwwIntl(nullptr);
    EXPECT_EQ(wwIntl, &t);
    delete other;
    EXPECT_EQ(wwIntl, &t);
}

TEST(StringTable, DefaultsAndFallbacks) {
    FreshTable fresh;
    TwwIntl& t = WwIntl();
    // Every published default is the text the table starts with: nothing
    // differs, so nothing would be stored.
    for (auto& [name, value] : StoredProperties(t)) ADD_FAILURE() << name << " differs from its published default";
    EXPECT_EQ(t.OKCaption, "&OK");
    EXPECT_EQ(t.CancelCaption, "Cancel");
    EXPECT_EQ(t.UserMessages.RichEditExitWarning, "Changes have been made!  Do you wish to save your changes?");
    EXPECT_EQ(t.UserMessages.LocateNoMoreMatches, "No more matches found");
    EXPECT_EQ(t.RichEdit.PopupMenuLabels.InsertObjectCaption, "Insert &Object...");
    EXPECT_EQ(t.RichEdit.CapsLockCaption, "CAP");
    EXPECT_EQ(t.RichEdit.BoldHint, "Bold | Makes the selection bold (toggle)");
    EXPECT_EQ(t.RichEdit.TabDlg.TabGroupBoxCaption, "&Tab Stop Position");
    EXPECT_EQ(t.RichEdit.ParagraphDlg.BeforeParagraphCaption, "&Before");
    // Entries left empty show their fallback; others show what they hold.
    EXPECT_EQ(t.RichEdit.MenuLabels.RedoCaption, "");
    EXPECT_EQ(t.RichEdit.MenuLabels.RedoText(), "&Redo");
    EXPECT_EQ(t.RichEdit.ParagraphDlg.SpacingSingle, "");
    const char* spacing[] = {"Single", "1.5 Lines", "Double", "At least", "Exactly", "Multiple"};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(t.RichEdit.ParagraphDlg.SpacingItem(k), spacing[k]);
    EXPECT_EQ(t.RichEdit.ParagraphDlg.SpacingItem(6), "");
    t.RichEdit.MenuLabels.InsertCaption.clear();
    t.RichEdit.MenuLabels.RulerCaption.clear();
    EXPECT_EQ(t.RichEdit.MenuLabels.InsertText(), "&Insert");
    EXPECT_EQ(t.RichEdit.MenuLabels.RulerText(), "&Ruler");
    t.RichEdit.RedoHint.clear();
    EXPECT_EQ(t.RichEdit.RedoHintText(), "Redo | Reverses the last undo action");
    t.UserMessages.RichEditClearWarning.clear();
    EXPECT_EQ(t.UserMessages.RichEditClearWarning, "") << "without a fallback an empty text stays empty";
    t.RichEdit = TwwDBRichEditIntl();
}

TEST(StringTable, StoredTableReplacesTexts) {
    FreshTable fresh;
    TwwIntl& t = WwIntl();
    std::string bytes = TableBytes({{"RichEdit.ParagraphDlg.AlignLeft", Value::Str("Links")},
                                    {"RichEdit.ParagraphDlg.Spacing1_5", Value::Str("Anderthalb")},
                                    {"RichEdit.MenuLabels.RedoCaption", Value::Str("&Wiederholen")},
                                    {"UserMessages.LocateNoMoreMatches", Value::Str("Nichts mehr gefunden")},
                                    {"OKCaption", Value::Str("O&K")}});
    t.LoadFrom(bytes.data(), bytes.size());
    EXPECT_EQ(t.RichEdit.ParagraphDlg.AlignLeft, "Links");
    EXPECT_EQ(t.RichEdit.ParagraphDlg.SpacingItem(1), "Anderthalb");
    EXPECT_EQ(t.RichEdit.ParagraphDlg.SpacingItem(0), "Single");
    EXPECT_EQ(t.RichEdit.MenuLabels.RedoText(), "&Wiederholen");
    EXPECT_EQ(t.UserMessages.LocateNoMoreMatches, "Nichts mehr gefunden");
    EXPECT_EQ(t.OKCaption, "O&K");
    EXPECT_EQ(t.RichEdit.ParagraphDlg.AlignRight, "Right") << "texts the table does not name keep theirs";
    EXPECT_EQ(t.CancelCaption, "Cancel");
    // The rich text control's alignment requests follow the table's texts.
    testsupport::TTestForm form;
    auto* edit = new TwwDBRichEdit(&form);
    edit->SetBounds(0, 0, 200, 100);
    edit->SetParent(&form);
    edit->Lines()->SetText("text");
    TwwParagraphRequest r;
    r.Mask = 0x01;
    r.Alignment = "Links";
    edit->SetParagraphFormat(r);
    EXPECT_EQ(edit->GetParagraphFormat().wAlignment, PFA_LEFT);
    r.Alignment = "Left";
    edit->SetParagraphFormat(r);
    EXPECT_EQ(edit->GetParagraphFormat().wAlignment, PFA_CENTER) << "the old text is just another text now";
    // The table written back holds exactly what differs from the defaults.
    auto stored = StoredProperties(t);
    EXPECT_EQ(stored.size(), 5u);
}

TEST(StringTable, DamagedOrForeignTablesAreRefused) {
    FreshTable fresh;
    TwwIntl& t = WwIntl();
    std::string unknown = TableBytes({{"RichEdit.ParagraphDlg.NoSuchText", Value::Str("x")}});
    try {
        t.LoadFrom(unknown.data(), unknown.size());
        ADD_FAILURE() << "an unknown text was accepted";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("NoSuchText"), std::string::npos) << e.what();
    }
    std::string wrongKind = TableBytes({{"OKCaption", Value::Int(3)}});
    EXPECT_THROW(t.LoadFrom(wrongKind.data(), wrongKind.size()), EReadError);
    std::string form = testsupport::LayoutBytes(Node{"TTestForm", "Form1", {}, {}});
    EXPECT_THROW(t.LoadFrom(form.data(), form.size()), EReadError);
    EXPECT_EQ(t.OKCaption, "&OK");
}
