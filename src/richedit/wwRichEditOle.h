// The container side of embedded objects: the answers the rich text
// control gives the platform window through its OLE callback, and the
// process-wide OLE and library set-up shared by all controls.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

class TwwCustomRichEdit;

// OLE is initialised while any rich text control exists. The version-2
// library is loaded with the first control and stays for the process: the
// window class superclassed from it keeps pointing into it.
namespace richeditruntime {
void Acquire();
void Release();
int Users();
}  // namespace richeditruntime

class TRichEditOleCallback final : public IRichEditOleCallback {
public:
    explicit TRichEditOleCallback(TwwCustomRichEdit* control) : control_(control) {}
    // The control is going away; later calls answer without it.
    void Detach() { control_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE* storage) override;
    HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* doc,
                                                LPOLEINPLACEFRAMEINFO frameInfo) override;
    HRESULT STDMETHODCALLTYPE ShowContainerUI(WINBOOL show) override;
    HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID clsid, LPSTORAGE storage, LONG cp) override;
    HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT object) override;
    HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD reco, WINBOOL really,
                                              HGLOBAL metaPict) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL enterMode) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE* range, DWORD reco, LPDATAOBJECT* data) override;
    HRESULT STDMETHODCALLTYPE GetDragDropEffect(WINBOOL drag, DWORD keyState, LPDWORD effect) override;
    HRESULT STDMETHODCALLTYPE GetContextMenu(WORD selType, LPOLEOBJECT object, CHARRANGE* range, HMENU* menu) override;

private:
    ~TRichEditOleCallback() = default;
    LONG refs_ = 1;
    TwwCustomRichEdit* control_;
};
