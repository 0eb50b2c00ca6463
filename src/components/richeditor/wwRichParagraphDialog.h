// The paragraph dialog: alignment, indentation and spacing of the paragraphs
// in the selection of one rich text control, shown and typed in the
// control's measurement unit. It is built from its stored layout, fills
// itself from the paragraph at the selection, checks every length on OK
// (the first field that fails takes the focus; no message) and writes the
// result back in one paragraph-format request.
#pragma once

#include <functional>

#include "Forms.h"

class TPanel;
class TLabel;
class TEdit;
class TComboBox;
class TButton;
class TwwCustomRichEdit;

class TwwRichParagraphDialog : public TForm {
    CX_DECLARE_CLASS()
public:
    TwwRichParagraphDialog(TComponent* owner, TwwCustomRichEdit& richEdit);

    // Builds the dialog for the control, shows it modally and applies the
    // entries on OK; true when it closed with OK.
    static bool Execute(TwwCustomRichEdit& richEdit);
    // Tests and automation: called with the dialog once it is on the screen.
    static std::function<void(TwwRichParagraphDialog&)> OnDialogShown;

    TPanel* Panel1 = nullptr;
    TLabel* AlignmentLabel = nullptr;
    TComboBox* AlignmentCombo = nullptr;
    TLabel* IndentationLabel = nullptr;
    TLabel* LeftLabel = nullptr;
    TEdit* LeftEdit = nullptr;
    TLabel* RightLabel = nullptr;
    TEdit* RightEdit = nullptr;
    TLabel* FirstLineLabel = nullptr;
    TEdit* FirstLineEdit = nullptr;
    TLabel* SpacingLabel = nullptr;
    TLabel* BeforeParagraphLabel = nullptr;
    TEdit* BeforeParagraphEdit = nullptr;
    TLabel* AfterParagraphLabel = nullptr;
    TEdit* AfterParagraphEdit = nullptr;
    TLabel* LineSpacingLabel = nullptr;
    TComboBox* LineSpacingComboBox = nullptr;
    TLabel* WithinParagraphLabel = nullptr;
    TEdit* WithinParagraphEdit = nullptr;
    TButton* OKBtn = nullptr;
    TButton* CancelBtn = nullptr;
    int HelpContext = 0;

    // Line-spacing items, in the order of the platform's rules.
    enum Spacing { Single, OneAndHalf, Double, AtLeast, Exactly, Multiple };

    void FormShow(TObject* Sender);
    void OKBtnClick(TObject* Sender);
    void LineSpacingComboBoxChange(TObject* Sender);
    void WithinParagraphEditKeyPress(TObject* Sender, char& Key);

    // Captions, hints and items from the string table.
    void ApplyTexts();
    // The entries for the paragraph at the control's selection.
    void Fill();
    // The entries as one paragraph-format request (after the checks passed).
    void Apply();
    // The first entry that fails the check, or null when all pass.
    TEdit* FirstFailingField();

private:
    TwwCustomRichEdit& richEdit_;
};
