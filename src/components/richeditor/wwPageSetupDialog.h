// The editor's page setup dialog: the platform's page setup dialog bound to
// one rich text control. It shows the control's print margins (in
// thousandths of an inch or hundredths of a millimetre, as the control
// measures), the current printer and its settings, and the paper only when
// the control lays its lines out at the printer's width; OK takes margins,
// printer, orientation and paper back.
#pragma once

#include <windows.h>

#include <functional>

#include "Classes.h"

class TwwCustomRichEdit;

class TwwPageSetupDialog : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TwwPageSetupDialog(TComponent* owner, TwwCustomRichEdit* richEdit = nullptr);
    TwwCustomRichEdit* RichEdit = nullptr;
    // Shows the dialog; true when it closed with OK.
    bool Execute();
    // Tests and automation: called with the dialog's window once it is
    // placed, before the user sees it.
    static std::function<void(HWND)> OnDialogShown;

    // The margin the dialog shows for a margin in the control's units:
    // thousandths (inches) or hundredths of a millimetre (centimetres), the
    // same number times 1,000, truncated toward zero.
    static LONG DialogMargin(double margin);

private:
    static UINT_PTR CALLBACK Hook(HWND, UINT, WPARAM, LPARAM);
};
