// The shelf's entry: one window listing the books of a folder.
//   Codexia Shelf.exe [folder]
#include <windows.h>

#include "Forms.h"
#include "shelf/unitShelf.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TApplication app;
    Application->Initialize();
    Application->SetTitle("Codexia Shelf");
    Application->CreateForm(frmShelf);
    Application->Run();
    return Application->ExitCode();
}
