#include "wwRichTabDialog.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "StdCtrls.h"
#include "core/DialogEntries.h"
#include "richedit/wwIntl.h"
#include "richedit/wwRichEdit.h"
#include "richedit/wwRichEditorLink.h"
#include "wwRichDialogs.h"

namespace {
// Tab stops only.
constexpr unsigned kTabStopsMask = 0x20;
// The position bits of a tab stop; the platform keeps alignment and leader above them.
constexpr LONG kTabPositionBits = 0x00FFFFFF;

}  // namespace

std::function<void(TwwRichTabDialog&)> TwwRichTabDialog::OnDialogShown;

CX_IMPLEMENT_CLASS(TwwRichTabDialog, TCustomForm, CX_ABSTRACT, {})
CX_LAYOUT_BINDER(TwwRichTabDialog)

TwwRichTabDialog::TwwRichTabDialog(TComponent* owner, TwwCustomRichEdit& richEdit)
    : TForm(owner), richEdit_(richEdit) {
    BindComponents();
}

bool TwwRichTabDialog::Execute(TwwCustomRichEdit& richEdit) {
    return ExecuteRichDialog<TwwRichTabDialog>(richEdit);
}

void TwwRichTabDialog::ApplyTexts() {
    const TwwIntl& intl = WwIntl();
    const TwwRichEditTabDlg& t = intl.RichEdit.TabDlg;
    SetCaption(t.TabDlgCaption);
    GroupBox1->SetCaption(t.TabGroupBoxCaption);
    SetBtn->SetCaption(t.SetTabButtonCaption);
    ClearBtn->SetCaption(t.ClearTabButtonCaption);
    ClearAllBtn->SetCaption(t.ClearAllButtonCaption);
    OKBtn->SetCaption(intl.OKCaption);
    CancelBtn->SetCaption(intl.CancelCaption);
    HelpContext = t.HelpContext;
    if (richEdit_.EditorOptions & reoShowHints) {
        SetHintShown(Edit1, t.TabPositionEditHint);
        SetHintShown(ListBox1, t.TabListHint);
        SetHintShown(SetBtn, t.SetTabHint);
        SetHintShown(ClearBtn, t.ClearTabHint);
        SetHintShown(ClearAllBtn, t.ClearAllTabsHint);
    }
}

void TwwRichTabDialog::Fill() {
    const PARAFORMAT2 p = richEdit_.GetParagraphFormat();
    const int count = std::clamp<int>(p.cTabCount, 0, kMaxTabs);
    for (int k = 0; k < count; ++k)
        ListBox1->Items()->Add(richEdit_.FormatUnits(richEdit_.TwipsToUnits(p.rgxTabs[k] & kTabPositionBits)));
}

std::vector<int> TwwRichTabDialog::Positions() {
    std::vector<int> tabs;
    TStrings* items = ListBox1->Items();
    for (int k = 0; k < items->Count(); ++k) tabs.push_back(richEdit_.UnitsToTwips(items->Get(k)));
    return tabs;
}

void TwwRichTabDialog::Apply() {
    TwwParagraphRequest r;
    r.Mask = kTabStopsMask;
    r.Tabs = Positions();
    richEdit_.SetParagraphFormat(r);
}

TwwRichTabDialog::TSetResult TwwRichTabDialog::SetTab() {
    TStrings* items = ListBox1->Items();
    const entries::TabPlace place = entries::PlaceTab(items->ToVector(), Edit1->Text(), richEdit_.LengthUnit(),
                                                      TwwCustomRichEdit::DecimalSeparator());
    if (place.kind != entries::TabPlace::Insert) return TSetResult::Ignored;  // the entry keeps its text
    // A paragraph holds no more: say so rather than let the last stops drop
    // unseen when the list is applied.
    if (items->Count() >= kMaxTabs) {
        if (Application)
            Application->MessageBox("A paragraph holds at most " + std::to_string(kMaxTabs) +
                                        " tab stops. Clear a tab stop before setting another.",
                                    Caption(), MB_OK | MB_ICONEXCLAMATION);
        return TSetResult::Full;
    }
    items->Insert(place.index, place.text);
    Edit1->SetText("");
    return TSetResult::Added;
}

void TwwRichTabDialog::FormShow(TObject*) {
    if (OnDialogShown) OnDialogShown(*this);
}

// While the entry has the focus, Return belongs to it: OK is not the default.
void TwwRichTabDialog::Edit1Enter(TObject*) { OKBtn->SetDefault(false); }
void TwwRichTabDialog::Edit1Exit(TObject*) { OKBtn->SetDefault(true); }

void TwwRichTabDialog::Edit1KeyDown(TObject*, WORD& Key, TShiftState Shift) {
    if (Key != VK_RETURN || (Shift & (ssCtrl | ssAlt))) return;
    Key = 0;
    if (Edit1->Text().empty())
        OKBtn->Click();  // an empty entry: Return closes with OK
    else
        SetTab();
}

void TwwRichTabDialog::Edit1KeyPress(TObject*, char& Key) {
    if (Key == '\r') Key = 0;  // taken by the key-down step
}

void TwwRichTabDialog::SetBtnClick(TObject*) { SetTab(); }

void TwwRichTabDialog::ClearBtnClick(TObject*) {
    for (int k = ListBox1->Items()->Count() - 1; k >= 0; --k)
        if (ListBox1->Selected(k)) ListBox1->Items()->Delete(k);
}

void TwwRichTabDialog::ClearAllBtnClick(TObject*) { ListBox1->Items()->Clear(); }

void TwwRichTabDialog::OKBtnClick(TObject*) {
    if (Edit1->Text().empty()) return;
    auto stayOpen = [this] {
        ModalResult = mrNone;
        Edit1->SetFocus();
        SendMessageA(Edit1->Handle(), EM_SETSEL, 0, -1);
    };
    if (!entries::CheckedTwips(Edit1->Text(), richEdit_.LengthUnit(), TwwCustomRichEdit::DecimalSeparator())) {
        stayOpen();
        return;
    }
    // A typed position that the list cannot take keeps the dialog open.
    if (SetTab() == TSetResult::Full) stayOpen();
}

namespace {
struct LinkTabsDialog {
    LinkTabsDialog() {
        RichEditorLink().TabsDialog = [](TwwCustomRichEdit& c) { return TwwRichTabDialog::Execute(c); };
    }
} linkTabsDialog;
}  // namespace
