// The container side of embedded objects: the answers the rich text
// control gives the platform window through its OLE callback, and the
// process-wide OLE and library set-up shared by all controls.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>
#include <oledlg.h>

#include <string>

#include "Handles.h"

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

// The selected object of a control, as the platform describes it: the
// object record with its object and site (each holding a reference).
struct TwwSelectedObject {
    REOBJECT record{};
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> site;
    ComPtr<IStorage> storage;
};
// Fills selected with the one object the selection holds; false when the
// control has no OLE interface or the selection is not exactly one object.
bool wwGetSelectedObject(TwwCustomRichEdit& control, TwwSelectedObject& selected);
// The text the platform gives for an OLE failure.
std::string wwOleErrorText(HRESULT hr);

// What the Object Properties dialog asks about the selected object.
class TwwOleUIObjInfo final : public IOleUIObjInfoA {
public:
    TwwOleUIObjInfo(TwwCustomRichEdit* control, const TwwSelectedObject& selected);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetObjectInfo(DWORD object, DWORD* size, LPSTR* label, LPSTR* type, LPSTR* shortType,
                                            LPSTR* location) override;
    HRESULT STDMETHODCALLTYPE GetConvertInfo(DWORD object, CLSID* classId, WORD* format, CLSID* convertDefault,
                                             LPCLSID* exclude, UINT* excludeCount) override;
    HRESULT STDMETHODCALLTYPE ConvertObject(DWORD object, REFCLSID newClass) override;
    HRESULT STDMETHODCALLTYPE GetViewInfo(DWORD object, HGLOBAL* metaPict, DWORD* aspect, int* scale) override;
    HRESULT STDMETHODCALLTYPE SetViewInfo(DWORD object, HGLOBAL metaPict, DWORD aspect, int scale,
                                          WINBOOL relativeToOrig) override;

    DWORD Aspect() const { return aspect_; }

private:
    ~TwwOleUIObjInfo();
    LONG refs_ = 1;
    TwwCustomRichEdit* control_;
    TwwSelectedObject held_;  // its own references on the object, site and storage
    DWORD aspect_;
};

// What the Links page of the Object Properties dialog asks about the
// selected linked object: it is the only link.
class TwwOleUILinkInfo final : public IOleUILinkInfoA {
public:
    // Throws the platform's error when the object is not a link.
    TwwOleUILinkInfo(TwwCustomRichEdit* control, const TwwSelectedObject& selected);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    DWORD STDMETHODCALLTYPE GetNextLink(DWORD link) override;
    HRESULT STDMETHODCALLTYPE SetLinkUpdateOptions(DWORD link, DWORD option) override;
    HRESULT STDMETHODCALLTYPE GetLinkUpdateOptions(DWORD link, DWORD* option) override;
    HRESULT STDMETHODCALLTYPE SetLinkSource(DWORD link, LPSTR displayName, ULONG fileNameLength, ULONG* eaten,
                                            WINBOOL validSource) override;
    HRESULT STDMETHODCALLTYPE GetLinkSource(DWORD link, LPSTR* displayName, ULONG* fileNameLength, LPSTR* fullType,
                                            LPSTR* shortType, WINBOOL* sourceAvailable, WINBOOL* selected) override;
    HRESULT STDMETHODCALLTYPE OpenLinkSource(DWORD link) override;
    HRESULT STDMETHODCALLTYPE UpdateLink(DWORD link, WINBOOL errorMessage, WINBOOL reserved) override;
    HRESULT STDMETHODCALLTYPE CancelLink(DWORD link) override;
    HRESULT STDMETHODCALLTYPE GetLastUpdate(DWORD link, FILETIME* lastUpdate) override;

private:
    ~TwwOleUILinkInfo();
    // A failed platform call goes to the application's error display.
    void Report(HRESULT hr);
    LONG refs_ = 1;
    TwwCustomRichEdit* control_;
    TwwSelectedObject held_;  // its own references on the object, site and storage
    ComPtr<IOleLink> link_;
};
