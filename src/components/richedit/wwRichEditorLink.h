// The windows a rich text control opens but does not contain: the editor
// window and the paragraph and tab stop dialogs live in the editor family,
// a layer above the control. That family fills this table when the program
// starts (each of its units registers its own entry); the control only calls
// through it, so it never includes the family's headers. An entry left empty
// means the window is not part of this program.
#pragma once

class TwwCustomRichEdit;

struct TwwRichEditorLink {
    // Opens the editor window on the control's document; true when it closed with save.
    bool (*EditInWindow)(TwwCustomRichEdit& control) = nullptr;
    // Has an editor window's windows made ahead, in a quiet moment, so that
    // the next EditInWindow opens at once.
    void (*PrepareEditorWindow)() = nullptr;
    // The paragraph dialog on the control's selection; true when it closed with OK.
    bool (*ParagraphDialog)(TwwCustomRichEdit& control) = nullptr;
    // The tab stops dialog on the control's selection; true when it closed with OK.
    bool (*TabsDialog)(TwwCustomRichEdit& control) = nullptr;
};

// The one table of the process.
TwwRichEditorLink& RichEditorLink();
