#include "wwRichParagraphDialog.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "core/DialogEntries.h"
#include "richedit/wwIntl.h"
#include "richedit/wwRichEdit.h"
#include "richedit/wwRichEditorLink.h"
#include "wwRichDialogs.h"

namespace {
// Alignment, offset, right indent, start indent, space before and after, line spacing.
constexpr unsigned kApplyMask = pfrAlignment | pfrOffset | pfrRightIndent | pfrStartIndent | pfrSpaceBefore |
                                pfrSpaceAfter | pfrLineSpacing;
constexpr unsigned kAlignmentBit = 0x01;


void SelectAll(TEdit* e) { SendMessageA(e->Handle(), EM_SETSEL, 0, -1); }
}  // namespace

std::function<void(TwwRichParagraphDialog&)> TwwRichParagraphDialog::OnDialogShown;

CX_IMPLEMENT_CLASS(TwwRichParagraphDialog, TCustomForm, CX_ABSTRACT, {})
CX_LAYOUT_BINDER(TwwRichParagraphDialog)

TwwRichParagraphDialog::TwwRichParagraphDialog(TComponent* owner, TwwCustomRichEdit& richEdit)
    : TForm(owner), richEdit_(richEdit) {
    BindComponents();
}

bool TwwRichParagraphDialog::Execute(TwwCustomRichEdit& richEdit) {
    return ExecuteRichDialog<TwwRichParagraphDialog>(richEdit);
}

void TwwRichParagraphDialog::ApplyTexts() {
    const TwwIntl& intl = WwIntl();
    const TwwRichEditParagraphDlg& t = intl.RichEdit.ParagraphDlg;
    SetCaption(t.ParagraphDlgCaption);
    IndentationLabel->SetCaption(t.IndentationGroupBoxCaption);
    LeftLabel->SetCaption(t.LeftEditCaption);
    RightLabel->SetCaption(t.RightEditCaption);
    FirstLineLabel->SetCaption(t.FirstLineEditCaption);
    AlignmentLabel->SetCaption(t.AlignmentCaption);
    SpacingLabel->SetCaption(t.SpacingGroupCaption);
    BeforeParagraphLabel->SetCaption(t.BeforeParagraphCaption);
    AfterParagraphLabel->SetCaption(t.AfterParagraphCaption);
    LineSpacingLabel->SetCaption(t.WithinParagraphCaption);
    WithinParagraphLabel->SetCaption(t.WithinParagraphAtCaption);
    OKBtn->SetCaption(intl.OKCaption);
    CancelBtn->SetCaption(intl.CancelCaption);
    HelpContext = t.HelpContext;

    std::vector<std::string> alignments{t.AlignLeft, t.AlignCenter, t.AlignRight};
    if (richEdit_.EditorOptions & reoShowJustifyButton) alignments.push_back(t.AlignJustify);
    AlignmentCombo->SetItems(alignments);
    std::vector<std::string> spacings;
    for (int k = Single; k <= Multiple; ++k) spacings.push_back(t.SpacingItem(k));
    LineSpacingComboBox->SetItems(spacings);

    if (richEdit_.EditorOptions & reoShowHints) {
        SetHintShown(LeftEdit, t.LeftEditHint);
        SetHintShown(RightEdit, t.RightEditHint);
        SetHintShown(FirstLineEdit, t.FirstLineEditHint);
        SetHintShown(AlignmentCombo, t.AlignmentHint);
    }
}

void TwwRichParagraphDialog::Fill() {
    const PARAFORMAT2 p = richEdit_.GetParagraphFormat();
    auto onGrid = [this](std::int64_t twips, int grid) {
        twips = std::clamp<std::int64_t>(twips, INT32_MIN, INT32_MAX);
        return richEdit_.FormatUnitsOnGrid(richEdit_.TwipsToUnits(static_cast<int>(twips)), grid);
    };
    // The start indent is the first line's; the other lines are offset from it.
    LeftEdit->SetText(onGrid(std::int64_t{p.dxStartIndent} + p.dxOffset, 0));
    FirstLineEdit->SetText(onGrid(-std::int64_t{p.dxOffset}, 0));
    RightEdit->SetText(onGrid(p.dxRightIndent, 0));

    if (richEdit_.RichEditVersion() >= 2) {
        BeforeParagraphEdit->SetText(onGrid(p.dySpaceBefore, 100));
        AfterParagraphEdit->SetText(onGrid(p.dySpaceAfter, 100));
        const int rule = p.bLineSpacingRule <= Multiple ? int{p.bLineSpacingRule} : int{Single};
        LineSpacingComboBox->SetItemIndex(rule);
        if (rule == Multiple)
            // Twentieths of a line, shown as lines.
            WithinParagraphEdit->SetText(entries::LinesText(p.dyLineSpacing, TwwCustomRichEdit::DecimalSeparator()));
        else if (rule <= Double)
            WithinParagraphEdit->SetText("");
        else
            WithinParagraphEdit->SetText(onGrid(p.dyLineSpacing, 100));
    } else {
        // The short paragraph format has no spacing: shown as none, not to be changed.
        BeforeParagraphEdit->SetText("0");
        AfterParagraphEdit->SetText("0");
        WithinParagraphEdit->SetText("");
        LineSpacingComboBox->SetItemIndex(Single);
        for (TWinControl* c : std::initializer_list<TWinControl*>{BeforeParagraphEdit, AfterParagraphEdit,
                                                                  LineSpacingComboBox, WithinParagraphEdit})
            c->SetEnabled(false);
    }

    const TwwRichEditParagraphDlg& t = WwIntl().RichEdit.ParagraphDlg;
    switch (p.wAlignment) {
    case PFA_JUSTIFY: AlignmentCombo->SetText(t.AlignJustify); break;
    case PFA_RIGHT: AlignmentCombo->SetText(t.AlignRight); break;
    case PFA_CENTER: AlignmentCombo->SetText(t.AlignCenter); break;
    default: AlignmentCombo->SetText(t.AlignLeft); break;
    }
}

TEdit* TwwRichParagraphDialog::FirstFailingField() {
    auto Checked = [this](const std::string& text) {
        return entries::CheckedTwips(text, richEdit_.LengthUnit(), TwwCustomRichEdit::DecimalSeparator()).has_value();
    };
    for (TEdit* e : {LeftEdit, FirstLineEdit, RightEdit, BeforeParagraphEdit, AfterParagraphEdit})
        if (!Checked(e->Text())) return e;
    const std::string at = WithinParagraphEdit->Text();
    if (!at.empty() && !Checked(at)) return WithinParagraphEdit;
    return nullptr;
}

void TwwRichParagraphDialog::Apply() {
    auto twips = [this](TEdit* e) { return richEdit_.UnitsToTwips(e->Text()); };
    const int left = twips(LeftEdit), firstLine = twips(FirstLineEdit);
    TwwParagraphRequest r;
    r.Mask = kApplyMask;
    r.Alignment = AlignmentCombo->Text();
    // No alignment chosen (a justified paragraph while the box offers no
    // Justify): the paragraphs keep theirs rather than being centred.
    if (AlignmentCombo->ItemIndex() < 0) r.Mask &= ~kAlignmentBit;
    const entries::Indents indents = entries::IndentsFromFields(left, firstLine);
    r.Offset = indents.offset;
    r.StartIndent = indents.startIndent;
    r.RightIndent = twips(RightEdit);
    r.SpaceBefore = twips(BeforeParagraphEdit);
    r.SpaceAfter = twips(AfterParagraphEdit);
    r.LineSpacingRule = std::max(0, LineSpacingComboBox->ItemIndex());
    const std::string at = WithinParagraphEdit->Text();
    if (r.LineSpacingRule == Multiple)
        r.LineSpacing = entries::TwentiethsOfLine(at, TwwCustomRichEdit::DecimalSeparator());
    else
        r.LineSpacing = at.empty() ? 0 : richEdit_.UnitsToTwips(at);
    r.Bullets = false;
    richEdit_.SetParagraphFormat(r);
}

void TwwRichParagraphDialog::FormShow(TObject*) {
    if (OnDialogShown) OnDialogShown(*this);
}

void TwwRichParagraphDialog::OKBtnClick(TObject*) {
    if (TEdit* failing = FirstFailingField()) {
        ModalResult = mrNone;
        failing->SetFocus();
        SelectAll(failing);
    }
}

void TwwRichParagraphDialog::LineSpacingComboBoxChange(TObject*) {
    switch (LineSpacingComboBox->ItemIndex()) {
    case Single: case OneAndHalf: case Double: WithinParagraphEdit->SetText(""); break;
    case AtLeast: case Exactly: WithinParagraphEdit->SetText(entries::SixthOfInch(richEdit_.LengthUnit(), TwwCustomRichEdit::DecimalSeparator())); break;
    case Multiple: WithinParagraphEdit->SetText("1"); break;
    default: break;
    }
}

void TwwRichParagraphDialog::WithinParagraphEditKeyPress(TObject*, char&) {
    // A spacing typed for a fixed rule makes it a multiple of the line.
    const int rule = LineSpacingComboBox->ItemIndex();
    if (rule == Single || rule == OneAndHalf || rule == Double) LineSpacingComboBox->SetItemIndex(Multiple);
}

namespace {
struct LinkParagraphDialog {
    LinkParagraphDialog() {
        RichEditorLink().ParagraphDialog = [](TwwCustomRichEdit& c) { return TwwRichParagraphDialog::Execute(c); };
    }
} linkParagraphDialog;
}  // namespace
