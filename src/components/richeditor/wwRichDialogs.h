// What the paragraph and tab stops dialogs share: how one is run for a rich
// text control, and how their hints are switched on.
#pragma once

#include <memory>
#include <string>

#include "Forms.h"

class TwwCustomRichEdit;

// Builds the dialog for the control from its stored layout, puts in the
// string table's texts and the values at the selection, shows it modally and
// applies it on OK; true when it closed with OK.
template <class Dialog>
bool ExecuteRichDialog(TwwCustomRichEdit& richEdit) {
    std::unique_ptr<Dialog> dialog(new Dialog(Application, richEdit));
    dialog->LoadLayout();
    dialog->ApplyTexts();
    dialog->Fill();
    if (dialog->ShowModal() != mrOk) return false;
    dialog->Apply();
    return true;
}

// The control's hint, shown.
inline void SetHintShown(TControl* c, const std::string& text) {
    c->SetHint(text);
    c->SetShowHint(true);
}
