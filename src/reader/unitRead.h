// The reading window: the book, the notepad pane and the reading commands.
#pragma once

#include "Forms.h"

class TfrmRead : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmRead(TComponent* owner);
};

extern TfrmRead* frmRead;
