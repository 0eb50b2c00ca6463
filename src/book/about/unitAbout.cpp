#include "about/unitAbout.h"

#include "ComCtrls.h"
#include "buttons/MMBmpBtn.h"
#include "richedit/wwRichEdit.h"

TfrmAbout* frmAbout = nullptr;

CX_IMPLEMENT_CLASS(TfrmAbout, TCustomForm, CX_ABSTRACT, {})
CX_LAYOUT_BINDER(TfrmAbout)

TfrmAbout::TfrmAbout(TComponent* owner) : TForm(owner) { BindComponents(); }

void TfrmAbout::FormCreate(TObject*) {
    richeditAuthor->Show();
    richeditCopyright->Hide();
}

void TfrmAbout::TabControl1Change(TObject*) {
    switch (TabControl1->TabIndex()) {
    case 0:
        richeditAuthor->Show();
        richeditCopyright->Hide();
        break;
    case 1:
        richeditAuthor->Hide();
        richeditCopyright->Show();
        break;
    default: break;
    }
}

void TfrmAbout::btnCloseClick(TObject*) { Close(); }

void TfrmAbout::WndProc(TMessage& m) {
    // Shown while the stored documents are still queued behind the book: the
    // two pages are small, so they come in now, before the window shows.
    if (m.msg == WM_SHOWWINDOW && m.wParam) {
        try {
            richeditAuthor->CompleteDocument();
            richeditCopyright->CompleteDocument();
        } catch (...) {
            Application->HandleException(this);
        }
    }
    TForm::WndProc(m);
}
