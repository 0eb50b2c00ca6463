// The About window: the Author and Copyright pages under two tabs.
#pragma once

#include "Forms.h"

class TfrmAbout : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmAbout(TComponent* owner);
};

extern TfrmAbout* frmAbout;
