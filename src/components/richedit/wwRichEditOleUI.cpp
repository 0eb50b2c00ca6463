// Embedded-object commands of the rich text control: the insert-object and
// object-properties dialogs, verbs, and the two objects through which the
// properties dialog reaches the selected object.
#include <algorithm>
#include <cstring>

#include "Forms.h"
#include "WideText.h"
#include "wwRichEdit.h"
#include "wwRichEditOle.h"

#include <shellapi.h>

namespace {

const char kInvalidSourceMessage[] = "Cannot link to an invalid source.";
const char kBreakLinkMessage[] = "Break link operation is not supported.";
const char kPropertiesCaption[] = "%s Properties";

std::string Narrow(LPCOLESTR w) { return w ? AnsiFromWide(w) : std::string(); }

std::wstring Widen(const char* s) { return s ? WideFromAnsi(s) : std::wstring(); }

// Takes over a string from the task allocator.
std::string TakeTaskString(LPOLESTR w) {
    std::string s = Narrow(w);
    if (w) CoTaskMemFree(w);
    return s;
}

// A copy in the task allocator, as the dialogs free it.
LPSTR TaskCopy(const std::string& s) {
    auto* p = static_cast<LPSTR>(CoTaskMemAlloc(s.size() + 1));
    if (p) std::memcpy(p, s.c_str(), s.size() + 1);
    return p;
}

std::string UserType(IOleObject* object, const CLSID& clsid, DWORD form) {
    LPOLESTR w = nullptr;
    if (object && SUCCEEDED(object->GetUserType(form, &w)) && w) return TakeTaskString(w);
    if (SUCCEEDED(OleRegGetUserType(clsid, form, &w)) && w) return TakeTaskString(w);
    return {};
}

// Takes over the references a record came with from the platform.
TwwSelectedObject HoldRecord(const REOBJECT& r) {
    TwwSelectedObject held;
    held.record = r;
    held.object = ComPtr<IOleObject>::Attach(r.poleobj);
    held.site = ComPtr<IOleClientSite>::Attach(r.polesite);
    held.storage = ComPtr<IStorage>::Attach(r.pstg);
    return held;
}

RECT ClientRectOf(TwwCustomRichEdit* c) {
    RECT r{0, 0, 0, 0};
    if (c && c->WindowHandle()) GetClientRect(c->WindowHandle(), &r);
    return r;
}

// The class's icon as a metafile picture. The platform gives it; where it
// does not, the picture is made from the class's registered icon.
HGLOBAL ClassIconPicture(const CLSID& clsid) {
    if (HGLOBAL g = OleGetIconOfClass(clsid, nullptr, TRUE)) return g;
    LPOLESTR label = nullptr;
    OleRegGetUserType(clsid, USERCLASSTYPE_SHORT, &label);
    HICON icon = nullptr;
    wchar_t path[MAX_PATH] = L"";
    LPOLESTR text = nullptr;
    if (SUCCEEDED(StringFromCLSID(clsid, &text))) {
        std::wstring key = std::wstring(L"CLSID\\") + text + L"\\DefaultIcon";
        CoTaskMemFree(text);
        wchar_t value[MAX_PATH + 16] = L"";
        LONG size = sizeof(value);
        if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) == ERROR_SUCCESS) {
            std::wstring v = value;
            int index = 0;
            auto comma = v.rfind(L',');
            if (comma != std::wstring::npos) {
                index = _wtoi(v.c_str() + comma + 1);
                v.resize(comma);
            }
            lstrcpynW(path, v.c_str(), MAX_PATH);
            ExtractIconExW(path, index, &icon, nullptr, 1);
        }
    }
    bool own = icon != nullptr;
    if (!icon) icon = LoadIconA(nullptr, IDI_APPLICATION);
    wchar_t empty[] = L"";
    HGLOBAL g = OleMetafilePictFromIconAndLabel(icon, label ? label : empty, path, 0);
    if (own) DestroyIcon(icon);
    if (label) CoTaskMemFree(label);
    return g;
}

void FreeIconPicture(HGLOBAL g) {
    if (!g) return;
    if (auto* p = static_cast<METAFILEPICT*>(GlobalLock(g))) {
        DeleteMetaFile(p->hMF);
        GlobalUnlock(g);
    }
    GlobalFree(g);
}

// Switches the object's cached presentation from one aspect to the other:
// the old aspect's cache entries go, the new one is cached, an icon gets its picture.
void SwitchCachedAspect(IOleObject* object, DWORD oldAspect, DWORD newAspect, HGLOBAL iconPicture) {
    auto cache = ComPtr<IOleObject>(object).As<IOleCache>(IID_IOleCache);
    if (!cache) return;
    ComPtr<IEnumSTATDATA> entries;
    if (SUCCEEDED(cache->EnumCache(entries.Put())) && entries) {
        STATDATA sd;
        while (entries->Next(1, &sd, nullptr) == S_OK) {
            if (sd.formatetc.dwAspect == oldAspect) cache->Uncache(sd.dwConnection);
            auto sink = ComPtr<IAdviseSink>::Attach(sd.pAdvSink);  // the entry's reference, given back
            if (sd.formatetc.ptd) CoTaskMemFree(sd.formatetc.ptd);
        }
    }
    FORMATETC fe{0, nullptr, newAspect, -1, TYMED_NULL};
    DWORD connection = 0;
    cache->Cache(&fe, ADVF_PRIMEFIRST, &connection);
    if (newAspect == DVASPECT_ICON && iconPicture) {
        HGLOBAL copy = static_cast<HGLOBAL>(OleDuplicateData(iconPicture, CF_METAFILEPICT, GMEM_MOVEABLE));
        if (copy) {
            FORMATETC ife{CF_METAFILEPICT, nullptr, DVASPECT_ICON, -1, TYMED_MFPICT};
            STGMEDIUM m{};
            m.tymed = TYMED_MFPICT;
            m.hMetaFilePict = copy;
            if (FAILED(cache->SetData(&ife, &m, TRUE))) ReleaseStgMedium(&m);
        }
    }
}

}  // namespace

std::string wwOleErrorText(HRESULT hr) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : std::string();
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
    if (s.empty()) {
        char buf[48];
        wsprintfA(buf, "OLE error %08lX", static_cast<unsigned long>(hr));
        s = buf;
    }
    return s;
}

bool wwGetSelectedObject(TwwCustomRichEdit& control, TwwSelectedObject& selected) {
    IRichEditOle* ole = control.OleInterface();
    HWND wnd = control.WindowHandle();
    if (!ole || !wnd) return false;
    CHARRANGE sel{};
    SendMessageA(wnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    if (sel.cpMax - sel.cpMin != 1) return false;
    if (SendMessageA(wnd, EM_SELECTIONTYPE, 0, 0) != SEL_OBJECT) return false;
    REOBJECT r{};
    r.cbStruct = sizeof(r);
    HRESULT hr = ole->GetObject(REO_IOB_SELECTION, &r, REO_GETOBJ_ALL_INTERFACES);
    TwwSelectedObject found = HoldRecord(r);
    if (FAILED(hr) || !found.object) {
        found = TwwSelectedObject{};
        r = REOBJECT{};
        r.cbStruct = sizeof(r);
        r.cp = sel.cpMin;
        hr = ole->GetObject(REO_IOB_USE_CP, &r, REO_GETOBJ_ALL_INTERFACES);
        found = HoldRecord(r);
        if (FAILED(hr) || !found.object) return false;
    }
    selected = std::move(found);
    return true;
}

// ---------------------------------------------------------------- the control's object commands

bool TwwCustomRichEdit::InsertObjectDialog() {
    IRichEditOle* ole = OleInterface();
    if (!ole || !WindowHandle()) return false;
    ComPtr<IOleClientSite> site;
    HRESULT hr = ole->GetClientSite(site.Put());
    if (FAILED(hr)) throw Exception(wwOleErrorText(hr));
    // The new object's storage: a compound file on global memory, freed with it.
    ComPtr<IStorage> storage;
    hr = OleCallback()->GetNewStorage(storage.Put());
    if (FAILED(hr)) throw Exception(wwOleErrorText(hr));

    char file[256] = "";
    ComPtr<IOleObject> object;
    OLEUIINSERTOBJECTA io{};
    io.cbStruct = sizeof(io);
    io.dwFlags = IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT | IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT |
                 IOF_VERIFYSERVERSEXIST;
    io.hWndOwner = WindowHandle();
    io.lpszFile = file;
    io.cchFile = sizeof(file);
    io.iid = IID_IOleObject;
    io.oleRender = OLERENDER_DRAW;
    io.lpIOleClientSite = site.Get();
    io.lpIStorage = storage.Get();
    io.ppvObj = object.PutVoid();
    UINT answer = OleUIInsertObjectA(&io);
    struct IconGuard {
        HGLOBAL& g;
        ~IconGuard() { FreeIconPicture(g); }
    } iconGuard{io.hMetaPict};
    if (answer != OLEUI_OK || !object) return answer == OLEUI_OK;

    if (GetTextLen() == 0) PrepareFieldEdit();
    const bool created = (io.dwFlags & IOF_SELECTCREATENEW) != 0;
    OleSetContainedObject(object.Get(), TRUE);
    REOBJECT r{};
    r.cbStruct = sizeof(r);
    r.cp = REO_CP_SELECTION;
    r.clsid = io.clsid;
    if (!created) object->GetUserClassID(&r.clsid);
    r.poleobj = object.Get();
    r.pstg = storage.Get();
    r.polesite = site.Get();
    r.dvaspect = DVASPECT_CONTENT;
    r.dwFlags = REO_RESIZABLE | (created ? REO_BLANK : 0);
    if (io.dwFlags & IOF_CHECKDISPLAYASICON) {
        HGLOBAL icon = io.hMetaPict ? io.hMetaPict : ClassIconPicture(r.clsid);
        SwitchCachedAspect(object.Get(), DVASPECT_CONTENT, DVASPECT_ICON, icon);
        if (icon != io.hMetaPict) FreeIconPicture(icon);
        r.dvaspect = DVASPECT_ICON;
    }
    CHARRANGE sel{};
    SendMessageA(WindowHandle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    hr = ole->InsertObject(&r);
    if (FAILED(hr)) throw Exception(wwOleErrorText(hr));
    // The new object stands where the selection began; it becomes the selection.
    CHARRANGE objectRange{sel.cpMin, sel.cpMin + 1};
    SendMessageA(WindowHandle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&objectRange));
    SendMessageA(WindowHandle(), EM_SCROLLCARET, 0, 0);
    ole->SetDvaspect(REO_IOB_SELECTION, r.dvaspect);
    if (created) {
        RECT rc = ClientRectOf(this);
        hr = object->DoVerb(OLEIVERB_SHOW, nullptr, site.Get(), 0, WindowHandle(), &rc);
        if (FAILED(hr)) throw Exception(wwOleErrorText(hr));
    }
    return true;
}

bool TwwCustomRichEdit::ObjectPropertiesDialog() {
    TwwSelectedObject sel;
    if (!wwGetSelectedObject(*this, sel)) return false;
    if (sel.record.dwFlags & REO_OPEN) return false;  // open in its server
    const bool linked = static_cast<bool>(sel.object.As<IOleLink>(IID_IOleLink));

    auto* objInfo = new TwwOleUIObjInfo(this, sel);
    ComPtr<IOleUIObjInfoA> objInfoRef = ComPtr<IOleUIObjInfoA>::Attach(objInfo);
    ComPtr<IOleUILinkInfoA> linkInfoRef;
    if (linked) linkInfoRef = ComPtr<IOleUILinkInfoA>::Attach(new TwwOleUILinkInfo(this, sel));

    std::string name = UserType(sel.object.Get(), sel.record.clsid, USERCLASSTYPE_FULL);
    std::string caption(sizeof(kPropertiesCaption) + name.size(), '\0');
    caption.resize(static_cast<std::size_t>(wsprintfA(caption.data(), kPropertiesCaption, name.c_str())));

    PROPSHEETHEADERA ps{};
    ps.dwSize = sizeof(ps);
    ps.hwndParent = WindowHandle();
    ps.pszCaption = caption.c_str();
    OLEUIGNRLPROPSA general{};
    general.cbStruct = sizeof(general);
    OLEUIVIEWPROPSA view{};
    view.cbStruct = sizeof(view);
    view.dwFlags = VPF_DISABLESCALE;
    OLEUILINKPROPSA links{};
    links.cbStruct = sizeof(links);
    links.dwFlags = ELF_DISABLECANCELLINK;
    OLEUIOBJECTPROPSA op{};
    op.cbStruct = sizeof(op);
    op.dwFlags = OPF_DISABLECONVERT | (linked ? OPF_OBJECTISLINK : 0);
    op.lpPS = &ps;
    op.dwObject = 1;
    op.lpObjInfo = objInfoRef.Get();
    op.dwLink = linked ? 1 : 0;
    op.lpLinkInfo = linkInfoRef.Get();
    op.lpGP = &general;
    op.lpVP = &view;
    op.lpLP = &links;
    return OleUIObjectPropertiesA(&op) == OLEUI_OK;
}

void TwwCustomRichEdit::ExecuteVerb(int index) {
    TwwSelectedObject sel;
    if (!wwGetSelectedObject(*this, sel)) return;
    LONG verb = index;
    if (index > 0) {
        if (static_cast<std::size_t>(index) >= ObjectVerbs.size()) throw Exception("Invalid Verb");
        verb = ObjectVerbs[static_cast<std::size_t>(index)].verb;
    } else if (index == -65536) {
        verb = 0;
    }
    RECT rc = ClientRectOf(this);
    HRESULT hr = sel.object->DoVerb(verb, nullptr, sel.site.Get(), 0, WindowHandle(), &rc);
    if (FAILED(hr)) throw Exception(wwOleErrorText(hr));
}

std::vector<TwwObjectVerb> TwwCustomRichEdit::SelectedObjectVerbs() {
    std::vector<TwwObjectVerb> verbs;
    TwwSelectedObject sel;
    if (!wwGetSelectedObject(*this, sel)) return verbs;
    ComPtr<IEnumOLEVERB> e;
    if (FAILED(sel.object->EnumVerbs(e.Put())) || !e) return verbs;
    OLEVERB v;
    while (e->Next(1, &v, nullptr) == S_OK) {
        if (v.lVerb >= 0 && (v.grfAttribs & OLEVERBATTRIB_ONCONTAINERMENU))
            verbs.push_back({v.lVerb, Narrow(v.lpszVerbName), v.fuFlags});
        if (v.lpszVerbName) CoTaskMemFree(v.lpszVerbName);
    }
    return verbs;
}

// ---------------------------------------------------------------- object information

TwwOleUIObjInfo::TwwOleUIObjInfo(TwwCustomRichEdit* control, const TwwSelectedObject& selected)
    : control_(control),
      held_(selected),
      aspect_(selected.record.dvaspect == DVASPECT_ICON ? DVASPECT_ICON : DVASPECT_CONTENT) {}

TwwOleUIObjInfo::~TwwOleUIObjInfo() = default;

HRESULT STDMETHODCALLTYPE TwwOleUIObjInfo::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = static_cast<IOleUIObjInfoA*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE TwwOleUIObjInfo::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
ULONG STDMETHODCALLTYPE TwwOleUIObjInfo::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE TwwOleUIObjInfo::GetObjectInfo(DWORD, DWORD* size, LPSTR* label, LPSTR* type,
                                                         LPSTR* shortType, LPSTR* location) {
    try {
        if (size) *size = static_cast<DWORD>(-1);  // not given
        if (label) *label = TaskCopy(UserType(held_.object.Get(), held_.record.clsid, USERCLASSTYPE_FULL));
        if (type) *type = TaskCopy(UserType(nullptr, held_.record.clsid, USERCLASSTYPE_FULL));
        if (shortType) *shortType = TaskCopy(UserType(held_.object.Get(), held_.record.clsid, USERCLASSTYPE_SHORT));
        if (location) {
            std::string app = Application ? Application->Title() : std::string();
            std::string title = control_ ? control_->Title : std::string();
            auto first = title.find_first_not_of(" \t\r\n"), last = title.find_last_not_of(" \t\r\n");
            title = first == std::string::npos ? std::string() : title.substr(first, last - first + 1);
            *location = TaskCopy(title.empty() ? app : title + " - " + app);
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TwwOleUIObjInfo::GetConvertInfo(DWORD, CLSID* classId, WORD* format, CLSID* convertDefault,
                                                          LPCLSID* exclude, UINT* excludeCount) {
    if (classId) *classId = held_.record.clsid;
    if (format) *format = 0;
    if (convertDefault) *convertDefault = CLSID_NULL;
    if (exclude) *exclude = nullptr;
    if (excludeCount) *excludeCount = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TwwOleUIObjInfo::ConvertObject(DWORD, REFCLSID) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TwwOleUIObjInfo::GetViewInfo(DWORD, HGLOBAL* metaPict, DWORD* aspect, int* scale) try {
    if (metaPict) {
        *metaPict = nullptr;
        if (aspect_ == DVASPECT_ICON && held_.object.Get()) {
            auto data = held_.object.As<IDataObject>(IID_IDataObject);
            FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_ICON, -1, TYMED_MFPICT};
            STGMEDIUM m{};
            if (data && SUCCEEDED(data->GetData(&fe, &m)) && m.tymed == TYMED_MFPICT) {
                if (m.pUnkForRelease) {
                    *metaPict = static_cast<HGLOBAL>(OleDuplicateData(m.hMetaFilePict, CF_METAFILEPICT, GMEM_MOVEABLE));
                    ReleaseStgMedium(&m);
                } else {
                    *metaPict = m.hMetaFilePict;
                }
            }
        }
        if (!*metaPict) *metaPict = ClassIconPicture(held_.record.clsid);
    }
    if (aspect) *aspect = aspect_;
    if (scale) *scale = 100;  // relative scaling is off
    return S_OK;
} catch (...) {
    return E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE TwwOleUIObjInfo::SetViewInfo(DWORD, HGLOBAL metaPict, DWORD aspect, int, WINBOOL) try {
    if (!control_ || !control_->OleInterface()) return E_NOTIMPL;
    const bool icon = aspect == DVASPECT_ICON || (aspect != DVASPECT_CONTENT && aspect_ == DVASPECT_ICON);
    const DWORD wanted = icon ? DVASPECT_ICON : DVASPECT_CONTENT;
    if (wanted != aspect_ || (icon && metaPict)) {
        SwitchCachedAspect(held_.object.Get(), aspect_, wanted, metaPict);
        aspect_ = wanted;
    }
    return control_->OleInterface()->SetDvaspect(REO_IOB_SELECTION, aspect_);
} catch (...) {
    return E_UNEXPECTED;
}

// ---------------------------------------------------------------- link information

TwwOleUILinkInfo::TwwOleUILinkInfo(TwwCustomRichEdit* control, const TwwSelectedObject& selected)
    : control_(control), held_(selected) {
    HRESULT hr = held_.object ? held_.object->QueryInterface(IID_IOleLink, link_.PutVoid()) : E_POINTER;
    if (FAILED(hr) || !link_) throw Exception(wwOleErrorText(FAILED(hr) ? hr : E_NOINTERFACE));
}

TwwOleUILinkInfo::~TwwOleUILinkInfo() = default;

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = static_cast<IOleUILinkInfoA*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE TwwOleUILinkInfo::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
ULONG STDMETHODCALLTYPE TwwOleUILinkInfo::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

void TwwOleUILinkInfo::Report(HRESULT hr) {
    if (SUCCEEDED(hr) || !Application) return;
    try {
        throw Exception(wwOleErrorText(hr));
    } catch (...) {
        Application->HandleException(control_);
    }
}

DWORD STDMETHODCALLTYPE TwwOleUILinkInfo::GetNextLink(DWORD link) {
    // The selected object is the only link.
    return link == 0 ? 1 : 0;
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::SetLinkUpdateOptions(DWORD, DWORD option) {
    HRESULT hr = link_->SetUpdateOptions(option);
    if (SUCCEEDED(hr) && control_) control_->SetModified(true);
    return hr;
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::GetLinkUpdateOptions(DWORD, DWORD* option) {
    if (!option) return E_POINTER;
    return link_->GetUpdateOptions(option);
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::SetLinkSource(DWORD, LPSTR displayName, ULONG, ULONG* eaten,
                                                          WINBOOL validSource) {
    if (!validSource) {
        if (Application) Application->MessageBox(kInvalidSourceMessage, Application->Title(), MB_OK | MB_ICONWARNING);
        return E_FAIL;
    }
    std::wstring name;
    try {
        name = Widen(displayName);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = link_->SetSourceDisplayName(name.c_str());
    if (FAILED(hr)) return hr;
    if (eaten) *eaten = displayName ? static_cast<ULONG>(std::strlen(displayName)) : 0;
    if (held_.object.Get()) Report(held_.object.Get()->Update());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::GetLinkSource(DWORD, LPSTR* displayName, ULONG* fileNameLength,
                                                          LPSTR* fullType, LPSTR* shortType, WINBOOL* sourceAvailable,
                                                          WINBOOL* selected) {
    try {
        LPOLESTR w = nullptr;
        HRESULT hr = link_->GetSourceDisplayName(&w);
        if (FAILED(hr)) return hr;
        std::string name = TakeTaskString(w);
        if (displayName) *displayName = TaskCopy(name);
        // The file part ends where an item inside the file is named.
        if (fileNameLength) *fileNameLength = static_cast<ULONG>(std::min(name.find('!'), name.size()));
        if (fullType) *fullType = TaskCopy(UserType(held_.object.Get(), held_.record.clsid, USERCLASSTYPE_FULL));
        if (shortType) *shortType = TaskCopy(UserType(held_.object.Get(), held_.record.clsid, USERCLASSTYPE_SHORT));
        if (sourceAvailable) *sourceAvailable = TRUE;
        if (selected) *selected = TRUE;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::OpenLinkSource(DWORD) {
    if (!held_.object.Get()) return S_OK;
    RECT rc = ClientRectOf(control_);
    Report(held_.object.Get()->DoVerb(OLEIVERB_SHOW, nullptr, held_.site.Get(),
                                   0, control_ ? control_->WindowHandle() : nullptr, &rc));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::UpdateLink(DWORD, WINBOOL, WINBOOL) {
    if (held_.object.Get()) Report(held_.object.Get()->Update());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::CancelLink(DWORD) {
    if (Application) Application->MessageBox(kBreakLinkMessage, Application->Title(), MB_OK | MB_ICONWARNING);
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TwwOleUILinkInfo::GetLastUpdate(DWORD, FILETIME*) { return S_OK; }
