// The find and replace dialogs of the rich text control. They are the
// framework's modeless dialogs shown through the platform's wide dialogs,
// so that a search text in any alphabet reaches the control whole; the
// framework's narrow FindText and ReplaceText hold the same texts in the
// ANSI code page for callers that read them.
#pragma once

#include <string>

#include "Dialogs.h"

class TwwFindDialog : public TReplaceDialog {
    CX_DECLARE_CLASS()
public:
    // replace: the replace dialog (replacement text, Replace, Replace All);
    // otherwise the find dialog.
    TwwFindDialog(TComponent* owner, bool replace);
    bool IsReplace() const { return replace_; }
    // Shows the dialog with WideFindText (and WideReplaceText), or brings the
    // open one forward with WideFindText in its field.
    bool Execute() override;
    // The texts the user typed, in UTF-16, as of the last request.
    std::wstring WideFindText, WideReplaceText;
    // Puts a search text into the dialog (its field too, when it is open).
    void SetSearchText(const std::wstring& text);

protected:
    HWND CreateDialogWindow(FINDREPLACEA& fr) override;
    void Request(DWORD flags) override;

private:
    bool replace_;
    FINDREPLACEW wide_{};
    wchar_t findWide_[256] = {};
    wchar_t replaceWide_[256] = {};
};
