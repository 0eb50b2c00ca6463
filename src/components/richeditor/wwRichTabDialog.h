// The tab stops dialog: the tab stop positions of the paragraphs in the
// selection of one rich text control, listed in the control's measurement
// unit and stored in twips. Built from its stored layout; Set adds the
// entry's position in order (an exact duplicate or a position outside 0 to
// 22 inches adds nothing), Clear removes the selected stops, Clear All every
// stop, and OK writes the list back as the paragraphs' tab stops.
#pragma once

#include <functional>
#include <vector>

#include "Forms.h"
#include "TwwRichTabDialog.fields.h"

class TwwCustomRichEdit;

class TwwRichTabDialog : public TForm {
    CX_DECLARE_CLASS()
public:
    TwwRichTabDialog(TComponent* owner, TwwCustomRichEdit& richEdit);

    // Builds the dialog for the control, shows it modally and applies the
    // list on OK; true when it closed with OK.
    static bool Execute(TwwCustomRichEdit& richEdit);
    // Tests and automation: called with the dialog once it is on the screen.
    static std::function<void(TwwRichTabDialog&)> OnDialogShown;
    // The most tab stops a paragraph holds.
    static constexpr int kMaxTabs = 32;

    // The entry (Edit1), the list and the buttons, from TwwRichTabDialog.layout.
    CX_LAYOUT_FIELDS(TwwRichTabDialog);
    int HelpContext = 0;

    void FormShow(TObject* Sender);
    void Edit1Enter(TObject* Sender);
    void Edit1Exit(TObject* Sender);
    void Edit1KeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void Edit1KeyPress(TObject* Sender, char& Key);
    void SetBtnClick(TObject* Sender);
    void ClearBtnClick(TObject* Sender);
    void ClearAllBtnClick(TObject* Sender);
    void OKBtnClick(TObject* Sender);

    void ApplyTexts();
    // The list from the paragraph at the control's selection.
    void Fill();
    // The list as the paragraphs' tab stops.
    void Apply();

    // What Set did with the entry.
    enum class TSetResult { Added, Ignored, Full };
    TSetResult SetTab();
    // The list's positions in twips, in list order.
    std::vector<int> Positions();

private:
    TwwCustomRichEdit& richEdit_;
};
