#include "wwRichEditOle.h"

#include "Menus.h"
#include "wwRichEdit.h"

namespace richeditruntime {
namespace {
int users = 0;
bool oleStarted = false;
}  // namespace

void Acquire() {
    if (users++ > 0) return;
    static const HMODULE riched20 = [] {
        UINT mode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
        HMODULE h = LoadLibraryA("RICHED20.DLL");
        SetErrorMode(mode);
        return h;
    }();
    (void)riched20;
    oleStarted = SUCCEEDED(OleInitialize(nullptr));
}

void Release() {
    if (users == 0 || --users > 0) return;
    if (oleStarted) OleUninitialize();
    oleStarted = false;
}

int Users() { return users; }
}  // namespace richeditruntime

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IRichEditOleCallback)) {
        *object = static_cast<IRichEditOleCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TRichEditOleCallback::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE TRichEditOleCallback::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetNewStorage(LPSTORAGE* storage) {
    if (!storage) return E_INVALIDARG;
    *storage = nullptr;
    // A compound file on global memory that grows as needed and goes with it.
    ComPtr<ILockBytes> bytes;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put())) || !bytes) return E_OUTOFMEMORY;
    HRESULT hr =
        StgCreateDocfileOnILockBytes(bytes.Get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, storage);
    if (FAILED(hr) || !*storage) {
        *storage = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* doc,
                                                                  LPOLEINPLACEFRAMEINFO) {
    // Objects are never activated in place.
    if (frame) *frame = nullptr;
    if (doc) *doc = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::ShowContainerUI(WINBOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG) { return S_OK; }

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::DeleteObject(LPOLEOBJECT) { return S_OK; }

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, WINBOOL, HGLOBAL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::ContextSensitiveHelp(WINBOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* data) {
    // The window then uses its own clipboard formats.
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetDragDropEffect(WINBOOL drag, DWORD keyState, LPDWORD effect) {
    // While the control itself is the drag source the effect stays as it is.
    if (drag || !effect) return S_OK;
    DWORD chosen = DROPEFFECT_MOVE;
    bool ctrl = (keyState & MK_CONTROL) != 0, shift = (keyState & MK_SHIFT) != 0;
    if (ctrl && shift) chosen = DROPEFFECT_LINK;
    else if (ctrl) chosen = DROPEFFECT_COPY;
    if (*effect & chosen) *effect = chosen;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TRichEditOleCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* menu) {
    // The control shows its own menu; the window shows none of its own.
    if (menu) *menu = nullptr;
    TwwCustomRichEdit* c = control_;
    if (!c || !c->PopupPending() || !c->PopupMenu()) return S_OK;
    try {
        POINT pt;
        GetCursorPos(&pt);
        TPopupMenu* popup = c->PlatformMajorVersion() >= 5 ? c->GetPopupMenu() : c->PopupMenu();
        c->SetPopupPending(false);
        if (popup) {
            popup->PopupComponent = c;
            popup->Popup(pt.x, pt.y);
        }
    } catch (...) {
        // Nothing is thrown into the platform window.
        if (Application) Application->HandleException(c);
    }
    return S_OK;
}
