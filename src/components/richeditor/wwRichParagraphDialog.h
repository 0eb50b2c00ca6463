// The paragraph dialog: alignment, indentation and spacing of the paragraphs
// in the selection of one rich text control, shown and typed in the
// control's measurement unit. It is built from its stored layout, fills
// itself from the paragraph at the selection, checks every length on OK
// (the first field that fails takes the focus; no message) and writes the
// result back in one paragraph-format request.
#pragma once

#include <functional>

#include "Forms.h"
#include "TwwRichParagraphDialog.fields.h"

class TEdit;
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

    // The entries, their labels and the buttons, from TwwRichParagraphDialog.layout.
    CX_LAYOUT_FIELDS(TwwRichParagraphDialog);
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
