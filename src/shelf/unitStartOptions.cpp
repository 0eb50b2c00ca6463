#include "shelf/unitStartOptions.h"

#include <memory>

#include "ExtCtrls.h"
#include "StdCtrls.h"

CX_IMPLEMENT_CLASS(TfrmStartOptions, TCustomForm, CX_ABSTRACT, {})
CX_LAYOUT_BINDER(TfrmStartOptions)

TfrmStartOptions::TfrmStartOptions(TComponent* owner) : TForm(owner) { BindComponents(); }

void TfrmStartOptions::SetBook(const shelf::ShelfEntry& book) {
    offered_ = book.tags.switches;
    SetCaption("Start " + book.tags.DisplayTitle());
    auto offers = [&](const char* sw) {
        for (const std::string& s : offered_)
            if (s == sw) return true;
        return false;
    };
    cbReadingFont->SetEnabled(offers("RF"));
    edReadingSize->SetEnabled(offers("RI"));
    cbReadingColour->SetEnabled(offers("RK"));
    cbNotepadFont->SetEnabled(offers("NF"));
    edNotepadSize->SetEnabled(offers("NI"));
    cbNotepadColour->SetEnabled(offers("NK"));
}

shelf::StartOptions TfrmStartOptions::Options() const {
    shelf::StartOptions o;
    o.readingFont = cbReadingFont->Text();
    o.readingSize = edReadingSize->Text();
    o.readingColour = cbReadingColour->Text();
    o.notepadFont = cbNotepadFont->Text();
    o.notepadSize = edNotepadSize->Text();
    o.notepadColour = cbNotepadColour->Text();
    o.maximized = chkMaximized->Checked();
    return o;
}

void TfrmStartOptions::btnStartClick(TObject*) {
    std::vector<std::string> errors;
    shelf::StartArguments(Options(), offered_, &errors);
    if (!errors.empty()) {
        MessageBoxA(Handle(), ("The size " + errors.front() + ".").c_str(), "Codexia Shelf", MB_OK | MB_ICONWARNING);
        return;
    }
    ModalResult = mrOk;
}

bool RunStartOptions(TComponent* owner, const shelf::ShelfEntry& book, std::vector<std::string>& args) {
    auto dlg = std::make_unique<TfrmStartOptions>(owner);
    dlg->LoadLayout();
    dlg->SetBook(book);
    if (dlg->ShowModal() != mrOk) return false;
    args = shelf::StartArguments(dlg->Options(), book.tags.switches);
    return true;
}
