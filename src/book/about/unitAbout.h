// The About window: the Author and Copyright pages under two tabs. It keeps
// the chosen tab and each page's scroll position between showings.
#pragma once

#include "Forms.h"
#include "TfrmAbout.fields.h"

class TfrmAbout : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmAbout(TComponent* owner);

    // The tabs and the two pages under them, from TfrmAbout.layout.
    CX_LAYOUT_FIELDS(TfrmAbout);

    void FormCreate(TObject* Sender);
    void TabControl1Change(TObject* Sender);
    void btnCloseClick(TObject* Sender);

    void WndProc(TMessage& m) override;
};

extern TfrmAbout* frmAbout;
