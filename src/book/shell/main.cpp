// Program entry: the framework starts, the three windows are made in a fixed
// order (the skin on screen from the moment it is made), and the message loop
// runs until the skin window closes, a quit message arrives, or a second copy
// refuses to run.
#include <windows.h>

#include "Forms.h"
#include "about/unitAbout.h"
#include "reader/ReaderSettings.h"
#include "reader/unitRead.h"
#include "richedit/wwIntl.h"
#include "richedit/wwRichEdit.h"
#include "shell/unitMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The book comes from the program's resources; a reader template
    // carries none.
    const std::string identifier = reader::BookIdentifier();
    if (identifier.empty()) {
        MessageBoxW(nullptr,
                    L"This reader carries no book. A book is made from a book folder with codexia-make, "
                    L"which puts the folder into a copy of this reader.",
                    L"Codexia", MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    TApplication app;
    Application->Initialize();
    Application->SetTitle(identifier);
    // The rich text family's string table, before any window that shows its texts.
    WwIntl().LoadStored();
    // The cover comes first: the stored documents stream into their windows
    // once the skin window is on screen, or sooner where one is needed.
    TwwCustomRichEdit::SetDeferredLoading(true);
    Application->CreateForm(Form1);
    // The skin shows (and paints) as soon as it is made; the reading and
    // About windows are made behind it.
    Application->ShowMainForm();
    Application->CreateForm(frmRead);
    Application->CreateForm(frmAbout);
    Application->Run();
    // The windows go with the application object; no close handler runs here.
    return Application->ExitCode();
}
