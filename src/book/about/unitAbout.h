// The About window: the Author and Copyright pages under two tabs. It keeps
// the chosen tab and each page's scroll position between showings.
#pragma once

#include "Forms.h"

class TTabControl;
class TMMBitmapButton;
class TwwDBRichEdit;

class TfrmAbout : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmAbout(TComponent* owner);

    TTabControl* TabControl1 = nullptr;
    TMMBitmapButton* btnClose = nullptr;
    TwwDBRichEdit* richeditAuthor = nullptr;
    TwwDBRichEdit* richeditCopyright = nullptr;

    void FormCreate(TObject* Sender);
    void TabControl1Change(TObject* Sender);
    void btnCloseClick(TObject* Sender);

    void WndProc(TMessage& m) override;
};

extern TfrmAbout* frmAbout;
