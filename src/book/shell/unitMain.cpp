#include "unitMain.h"

#include <cstring>

#include "about/unitAbout.h"
#include "buttons/MMBmpBtn.h"
#include "imageform/fcimageform.h"
#include "reader/unitRead.h"

TForm1* Form1 = nullptr;

CX_IMPLEMENT_CLASS(TForm1, TCustomForm, CX_ABSTRACT, {})
CX_LAYOUT_BINDER(TForm1)

TForm1::TForm1(TComponent* owner) : TForm(owner) { BindComponents(); }

TForm1::~TForm1() = default;

void CheckSingleInstance() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    char buffer[256] = {};
    lstrcpynA(buffer, name, sizeof buffer);
    // Owned by the UI thread and never closed: it marks this copy until the process ends.
    UniqueKernelHandle mutex(CreateMutexA(nullptr, TRUE, buffer));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        Application->Terminate();
        return;
    }
    mutex.Release();
}

HANDLE ObtainMappingHandle() {
    UniqueKernelHandle h(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingSize, kMappingName));
    if (!h) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        h.Reset();
        return OpenFileMappingA(FILE_MAP_WRITE, FALSE, kMappingName);
    }
    return h.Release();
}

std::string ReadCommandText(const char* view, std::size_t viewSize) {
    std::size_t limit = viewSize < 255 ? viewSize : 255;
    std::size_t n = 0;
    while (n < limit && view[n] != '\0') ++n;
    return std::string(view, n);
}

void TForm1::FormCreate(TObject*) {
    CheckSingleInstance();
    MessageId = static_cast<std::uint16_t>(RegisterWindowMessageA(kMessageName));
    MappingHandle.Reset(ObtainMappingHandle());
}

void TForm1::WndProc(TMessage& m) {
    if (m.msg == static_cast<UINT>(MessageId) && m.wParam == launcher::kCommandWaiting && MappingHandle) {
        if (MappedView view{MapViewOfFile(MappingHandle.Get(), FILE_MAP_WRITE, 0, 0, 0)}) {
            // The block is read, never written: the sender owns its content.
            std::string text = ReadCommandText(static_cast<const char*>(view.Get()), kMappingSize);
            if (text == "C") Close();
        }
    }
    TForm::WndProc(m);
}

void TForm1::btnReadClick(TObject*) { frmRead->ShowModal(); }

void TForm1::btnAboutClick(TObject*) { frmAbout->ShowModal(); }

void TForm1::btnMinimizeClick(TObject*) { Application->Minimize(); }

void TForm1::btnCloseClick(TObject*) { Close(); }
