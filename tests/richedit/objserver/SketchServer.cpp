// The test object server (see SketchServer.h). One object class with every
// interface a container meets: IOleObject, IDataObject, IViewObject2,
// IPersistStorage, IPersistFile, a minimal IOleCache and, once linked to a
// file, IOleLink.
#include "SketchServer.h"

#include <olectl.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <string>

namespace {

HMODULE g_module = nullptr;
LONG g_locks = 0;
LONG g_objects = 0;
LONG g_lastVerb = -1000;
LONG g_verbCount = 0;

const wchar_t kDataStream[] = L"SketchData";
constexpr DWORD kMagic = 0x48434B53;  // "SKCH"

int PixelsOf(LONG himetric, int dpi) { return MulDiv(himetric, dpi, 2540); }

void Paint(HDC dc, const RECT& r, COLORREF card) {
    HBRUSH cardBrush = CreateSolidBrush(card);
    FillRect(dc, &r, cardBrush);
    DeleteObject(cardBrush);
    int w = r.right - r.left, h = r.bottom - r.top;
    HBRUSH ovalBrush = CreateSolidBrush(kSketchOvalColour);
    HPEN pen = CreatePen(PS_SOLID, 1, kSketchOvalColour);
    HGDIOBJ oldBrush = SelectObject(dc, ovalBrush), oldPen = SelectObject(dc, pen);
    Ellipse(dc, r.left + w / 4, r.top + h / 4, r.right - w / 4, r.bottom - h / 4);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(ovalBrush);
    DeleteObject(pen);
}

std::wstring ModulePath() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_module, buf, MAX_PATH);
    return std::wstring(buf, n);
}

LPOLESTR TaskString(const std::wstring& s) {
    auto* p = static_cast<LPOLESTR>(CoTaskMemAlloc((s.size() + 1) * sizeof(wchar_t)));
    if (p) wmemcpy(p, s.c_str(), s.size() + 1);
    return p;
}

class Sketch final : public IOleObject,
                     public IDataObject,
                     public IViewObject2,
                     public IPersistStorage,
                     public IPersistFile,
                     public IOleCache,
                     public IOleLink {
public:
    Sketch() { InterlockedIncrement(&g_objects); }

    // ------------------------------------------------------------ IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
        else if (riid == IID_IDataObject) *out = static_cast<IDataObject*>(this);
        else if (riid == IID_IViewObject || riid == IID_IViewObject2) *out = static_cast<IViewObject2*>(this);
        else if (riid == IID_IPersist || riid == IID_IPersistStorage) *out = static_cast<IPersistStorage*>(this);
        else if (riid == IID_IPersistFile) *out = static_cast<IPersistFile*>(this);
        else if (riid == IID_IOleCache) *out = static_cast<IOleCache*>(this);
        else if (riid == IID_IOleLink && !linkPath_.empty()) *out = static_cast<IOleLink*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // ------------------------------------------------------------ IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (site) site->AddRef();
        if (site_) site_->Release();
        site_ = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {
        if (!site) return E_POINTER;
        *site = site_;
        if (site_) site_->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        InterlockedExchange(&g_lastVerb, verb);
        InterlockedIncrement(&g_verbCount);
        if (verb == 1) {
            card_ = card_ == kSketchCardColour ? kSketchRecolouredCard : kSketchCardColour;
            dirty_ = true;
            Changed();
            return S_OK;
        }
        if (verb == 0 || verb == OLEIVERB_PRIMARY || verb == OLEIVERB_SHOW || verb == OLEIVERB_OPEN ||
            verb == OLEIVERB_HIDE)
            return S_OK;
        if (verb < 0) return E_NOTIMPL;
        return OLEOBJ_E_INVALIDVERB;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override { return OleRegEnumVerbs(CLSID_CodexiaSketch, verbs); }
    STDMETHODIMP Update() override { return linkPath_.empty() ? S_OK : ReadLinkSource(); }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_CodexiaSketch;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) override {
        if (!name) return E_POINTER;
        const char* text = form == USERCLASSTYPE_SHORT ? kSketchShortTypeName : kSketchFullTypeName;
        std::wstring w(text, text + std::strlen(text));
        *name = TaskString(w);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
        extent_ = *size;
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override {
        if (!size) return E_POINTER;
        if (aspect == DVASPECT_ICON) {
            size->cx = size->cy = 847;  // 32 pixels
            return S_OK;
        }
        *size = extent_;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override {
        if (!oleAdvise_ && FAILED(CreateOleAdviseHolder(&oleAdvise_))) return E_OUTOFMEMORY;
        return oleAdvise_->Advise(sink, connection);
    }
    STDMETHODIMP Unadvise(DWORD connection) override {
        return oleAdvise_ ? oleAdvise_->Unadvise(connection) : OLE_E_NOCONNECTION;
    }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override {
        if (e) *e = nullptr;
        return oleAdvise_ ? oleAdvise_->EnumAdvise(e) : E_FAIL;
    }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        if (!status) return E_POINTER;
        *status = OLEMISC_RECOMPOSEONRESIZE | (linkPath_.empty() ? 0 : OLEMISC_ISLINKOBJECT);
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ------------------------------------------------------------ IDataObject
    STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* m) override {
        if (!f || !m) return E_POINTER;
        HRESULT hr = QueryGetData(f);
        if (hr != S_OK) return hr;
        ZeroMemory(m, sizeof(*m));
        if (f->dwAspect == DVASPECT_ICON) {
            HGLOBAL icon = IconPicture();
            if (!icon) return E_OUTOFMEMORY;
            m->tymed = TYMED_MFPICT;
            m->hMetaFilePict = icon;
            return S_OK;
        }
        int w = PixelsOf(extent_.cx, 96), h = PixelsOf(extent_.cy, 96);
        RECT r{0, 0, w, h};
        if (f->cfFormat == CF_BITMAP) {
            HDC screen = GetDC(nullptr);
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
            bi.bmiHeader.biWidth = w;
            bi.bmiHeader.biHeight = h;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 24;
            void* bits = nullptr;
            HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            HDC mem = CreateCompatibleDC(screen);
            ReleaseDC(nullptr, screen);
            if (!bmp || !mem) {
                if (bmp) DeleteObject(bmp);
                if (mem) DeleteDC(mem);
                return E_OUTOFMEMORY;
            }
            HGDIOBJ old = SelectObject(mem, bmp);
            Paint(mem, r, card_);
            SelectObject(mem, old);
            DeleteDC(mem);
            m->tymed = TYMED_GDI;
            m->hBitmap = bmp;
            return S_OK;
        }
        if (f->cfFormat == CF_ENHMETAFILE) {
            RECT frame{0, 0, extent_.cx, extent_.cy};
            HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, L"Sketch\0\0");
            if (!dc) return E_OUTOFMEMORY;
            Paint(dc, r, card_);
            m->tymed = TYMED_ENHMF;
            m->hEnhMetaFile = CloseEnhMetaFile(dc);
            return m->hEnhMetaFile ? S_OK : E_OUTOFMEMORY;
        }
        // CF_METAFILEPICT
        HDC dc = CreateMetaFileW(nullptr);
        if (!dc) return E_OUTOFMEMORY;
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetWindowExtEx(dc, w, h, nullptr);
        Paint(dc, r, card_);
        HMETAFILE mf = CloseMetaFile(dc);
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
        if (!mf || !g) {
            if (mf) DeleteMetaFile(mf);
            if (g) GlobalFree(g);
            return E_OUTOFMEMORY;
        }
        auto* pict = static_cast<METAFILEPICT*>(GlobalLock(g));
        pict->mm = MM_ANISOTROPIC;
        pict->xExt = extent_.cx;
        pict->yExt = extent_.cy;
        pict->hMF = mf;
        GlobalUnlock(g);
        m->tymed = TYMED_MFPICT;
        m->hMetaFilePict = g;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* f) override {
        if (!f) return E_POINTER;
        if (f->lindex != -1) return DV_E_LINDEX;
        if (f->dwAspect == DVASPECT_ICON)
            return f->cfFormat == CF_METAFILEPICT && (f->tymed & TYMED_MFPICT) ? S_OK : DV_E_FORMATETC;
        if (f->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (f->cfFormat == CF_BITMAP && (f->tymed & TYMED_GDI)) return S_OK;
        if (f->cfFormat == CF_ENHMETAFILE && (f->tymed & TYMED_ENHMF)) return S_OK;
        if (f->cfFormat == CF_METAFILEPICT && (f->tymed & TYMED_MFPICT)) return S_OK;
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    // Shared by IDataObject and IOleCache: an icon picture for the icon
    // aspect is kept; other data is not taken.
    STDMETHODIMP SetData(FORMATETC* f, STGMEDIUM* m, BOOL release) override {
        if (!f || !m) return E_POINTER;
        if (f->dwAspect != DVASPECT_ICON || f->cfFormat != CF_METAFILEPICT || m->tymed != TYMED_MFPICT)
            return E_NOTIMPL;
        if (icon_) FreeIcon();
        icon_ = OleDuplicateData(m->hMetaFilePict, CF_METAFILEPICT, GMEM_MOVEABLE);
        if (release) ReleaseStgMedium(m);
        return icon_ ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** e) override {
        if (!e) return E_POINTER;
        *e = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC formats[] = {{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
                               {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT},
                               {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI}};
        return SHCreateStdEnumFmtEtc(3, formats, e);
    }
    STDMETHODIMP DAdvise(FORMATETC* f, DWORD advf, IAdviseSink* sink, DWORD* connection) override {
        if (!dataAdvise_ && FAILED(CreateDataAdviseHolder(&dataAdvise_))) return E_OUTOFMEMORY;
        return dataAdvise_->Advise(static_cast<IDataObject*>(this), f, advf, sink, connection);
    }
    STDMETHODIMP DUnadvise(DWORD connection) override {
        return dataAdvise_ ? dataAdvise_->Unadvise(connection) : OLE_E_NOCONNECTION;
    }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** e) override {
        if (e) *e = nullptr;
        return dataAdvise_ ? dataAdvise_->EnumAdvise(e) : E_FAIL;
    }

    // ------------------------------------------------------------ IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
        if (!dc || !bounds) return E_INVALIDARG;
        RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
        if (aspect == DVASPECT_ICON) {
            HICON icon = LoadIconW(g_module, MAKEINTRESOURCEW(1));
            DrawIconEx(dc, r.left, r.top, icon, r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
            return S_OK;
        }
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        Paint(dc, r, card_);
        return S_OK;
    }
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) override {
        if (set) *set = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD, IAdviseSink* sink) override {
        if (sink) sink->AddRef();
        if (viewSink_) viewSink_->Release();
        viewSink_ = sink;
        viewAspects_ = aspects;
        return S_OK;
    }
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override {
        if (aspects) *aspects = viewAspects_;
        if (advf) *advf = 0;
        if (sink) {
            *sink = viewSink_;
            if (viewSink_) viewSink_->AddRef();
        }
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
        return GetExtent(aspect, size);
    }

    // ------------------------------------------------------------ IPersistStorage / IPersistFile
    STDMETHODIMP GetClassID(CLSID* clsid) override { return GetUserClassID(clsid); }
    STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    STDMETHODIMP InitNew(IStorage*) override {
        dirty_ = true;
        return S_OK;
    }
    STDMETHODIMP Load(IStorage* stg) override {
        if (!stg) return E_POINTER;
        IStream* s = nullptr;
        HRESULT hr = stg->OpenStream(kDataStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s);
        if (FAILED(hr)) return hr;
        DWORD head[4]{};
        ULONG got = 0;
        hr = s->Read(head, sizeof(head), &got);
        if (SUCCEEDED(hr) && (got != sizeof(head) || head[0] != kMagic || head[3] > MAX_PATH)) hr = STG_E_READFAULT;
        std::wstring path(head[3], L'\0');
        if (SUCCEEDED(hr) && head[3] > 0) {
            hr = s->Read(path.data(), head[3] * sizeof(wchar_t), &got);
            if (SUCCEEDED(hr) && got != head[3] * sizeof(wchar_t)) hr = STG_E_READFAULT;
        }
        s->Release();
        if (FAILED(hr)) return hr;
        card_ = head[1];
        updateOption_ = head[2] ? head[2] : DWORD{OLEUPDATE_ALWAYS};
        linkPath_ = path;
        dirty_ = false;
        return S_OK;
    }
    STDMETHODIMP Save(IStorage* stg, BOOL) override {
        if (!stg) return E_POINTER;
        HRESULT hr = WriteClassStg(stg, CLSID_CodexiaSketch);
        if (FAILED(hr)) return hr;
        IStream* s = nullptr;
        hr = stg->CreateStream(kDataStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s);
        if (FAILED(hr)) return hr;
        DWORD head[4] = {kMagic, card_, updateOption_, static_cast<DWORD>(linkPath_.size())};
        hr = s->Write(head, sizeof(head), nullptr);
        if (SUCCEEDED(hr) && !linkPath_.empty())
            hr = s->Write(linkPath_.data(), static_cast<ULONG>(linkPath_.size() * sizeof(wchar_t)), nullptr);
        s->Release();
        return hr;
    }
    STDMETHODIMP SaveCompleted(IStorage*) override {
        dirty_ = false;
        return S_OK;
    }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }
    // A sketch file holds what a storage holds; loading it keeps no link.
    STDMETHODIMP Load(LPCOLESTR file, DWORD) override {
        if (!file) return E_POINTER;
        IStorage* stg = nullptr;
        HRESULT hr = StgOpenStorage(file, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &stg);
        if (FAILED(hr)) return hr;
        std::wstring keep = linkPath_;
        hr = Load(stg);
        linkPath_ = keep;
        stg->Release();
        return hr;
    }
    STDMETHODIMP Save(LPCOLESTR file, BOOL) override {
        if (!file) return E_NOTIMPL;
        IStorage* stg = nullptr;
        HRESULT hr = StgCreateDocfile(file, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg);
        if (FAILED(hr)) return hr;
        std::wstring keep;
        keep.swap(linkPath_);
        hr = Save(stg, FALSE);
        linkPath_.swap(keep);
        if (SUCCEEDED(hr)) hr = stg->Commit(STGC_DEFAULT);
        stg->Release();
        return hr;
    }
    STDMETHODIMP SaveCompleted(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP GetCurFile(LPOLESTR* file) override {
        if (!file) return E_POINTER;
        *file = TaskString(linkPath_);
        return linkPath_.empty() ? S_FALSE : S_OK;
    }

    // ------------------------------------------------------------ IOleCache (minimal)
    STDMETHODIMP Cache(FORMATETC*, DWORD, DWORD* connection) override {
        if (connection) *connection = ++cacheConnections_;
        return S_OK;
    }
    STDMETHODIMP Uncache(DWORD) override { return S_OK; }
    STDMETHODIMP EnumCache(IEnumSTATDATA** e) override {
        if (e) *e = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP InitCache(IDataObject*) override { return E_NOTIMPL; }

    // ------------------------------------------------------------ IOleLink (linked objects only)
    STDMETHODIMP SetUpdateOptions(DWORD option) override {
        if (option != OLEUPDATE_ALWAYS && option != OLEUPDATE_ONCALL) return E_INVALIDARG;
        updateOption_ = option;
        dirty_ = true;
        return S_OK;
    }
    STDMETHODIMP GetUpdateOptions(DWORD* option) override {
        if (!option) return E_POINTER;
        *option = updateOption_;
        return S_OK;
    }
    STDMETHODIMP SetSourceMoniker(IMoniker*, REFCLSID) override { return E_NOTIMPL; }
    STDMETHODIMP GetSourceMoniker(IMoniker** mk) override {
        if (!mk) return E_POINTER;
        return CreateFileMoniker(linkPath_.c_str(), mk);
    }
    STDMETHODIMP SetSourceDisplayName(LPCOLESTR name) override {
        if (!name || !*name) return E_INVALIDARG;
        linkPath_ = name;
        dirty_ = true;
        return S_OK;
    }
    STDMETHODIMP GetSourceDisplayName(LPOLESTR* name) override {
        if (!name) return E_POINTER;
        *name = TaskString(linkPath_);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP BindToSource(DWORD, IBindCtx*) override { return ReadLinkSource(); }
    STDMETHODIMP BindIfRunning() override { return S_OK; }
    STDMETHODIMP GetBoundSource(IUnknown** source) override {
        if (source) *source = nullptr;
        return E_FAIL;
    }
    STDMETHODIMP UnbindSource() override { return S_OK; }
    STDMETHODIMP Update(IBindCtx*) override { return ReadLinkSource(); }

    void SetCard(COLORREF card) { card_ = card; }
    // Made a link: takes its colour from the file now and at every update.
    HRESULT LinkTo(const std::wstring& path) {
        linkPath_ = path;
        return ReadLinkSource();
    }

private:
    ~Sketch() {
        if (site_) site_->Release();
        if (oleAdvise_) oleAdvise_->Release();
        if (dataAdvise_) dataAdvise_->Release();
        if (viewSink_) viewSink_->Release();
        FreeIcon();
        InterlockedDecrement(&g_objects);
    }
    void FreeIcon() {
        if (!icon_) return;
        if (auto* p = static_cast<METAFILEPICT*>(GlobalLock(icon_))) {
            DeleteMetaFile(p->hMF);
            GlobalUnlock(icon_);
        }
        GlobalFree(icon_);
        icon_ = nullptr;
    }
    // The icon aspect's picture: the one the container set, or the class's.
    HGLOBAL IconPicture() {
        if (icon_) return OleDuplicateData(icon_, CF_METAFILEPICT, GMEM_MOVEABLE);
        HICON icon = LoadIconW(g_module, MAKEINTRESOURCEW(1));
        std::wstring label(kSketchShortTypeName, kSketchShortTypeName + std::strlen(kSketchShortTypeName));
        std::wstring path = ModulePath();
        return OleMetafilePictFromIconAndLabel(icon, label.data(), path.data(), 0);
    }
    HRESULT ReadLinkSource() {
        IStorage* stg = nullptr;
        HRESULT hr = StgOpenStorage(linkPath_.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &stg);
        if (FAILED(hr)) return MK_E_CANTOPENFILE;
        std::wstring keep = linkPath_;
        DWORD option = updateOption_;
        hr = Load(stg);
        linkPath_ = keep;
        updateOption_ = option;
        stg->Release();
        if (SUCCEEDED(hr)) Changed();
        return hr;
    }
    // Tells the container the picture changed.
    void Changed() {
        if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
        if (dataAdvise_) dataAdvise_->SendOnDataChange(static_cast<IDataObject*>(this), 0, 0);
        if (site_) site_->SaveObject();
    }

    LONG refs_ = 1;
    IOleClientSite* site_ = nullptr;
    IOleAdviseHolder* oleAdvise_ = nullptr;
    IDataAdviseHolder* dataAdvise_ = nullptr;
    IAdviseSink* viewSink_ = nullptr;
    DWORD viewAspects_ = 0;
    SIZEL extent_{kSketchWidthHimetric, kSketchHeightHimetric};
    COLORREF card_ = kSketchCardColour;
    bool dirty_ = false;
    DWORD cacheConnections_ = 0;
    DWORD updateOption_ = DWORD{OLEUPDATE_ALWAYS};
    std::wstring linkPath_;
    HGLOBAL icon_ = nullptr;
};

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* s = new (std::nothrow) Sketch();
        if (!s) return E_OUTOFMEMORY;
        HRESULT hr = s->QueryInterface(riid, out);
        s->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&g_locks);
        else InterlockedDecrement(&g_locks);
        return S_OK;
    }
};
Factory g_factory;

std::string ClsidText() {
    wchar_t w[40];
    StringFromGUID2(CLSID_CodexiaSketch, w, 40);
    std::string s;
    for (const wchar_t* p = w; *p; ++p) s += static_cast<char>(*p);
    return s;
}

bool SetKey(const std::string& key, const char* name, const std::string& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_CodexiaSketch) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer() {
    std::string clsid = ClsidText(), key = "CLSID\\" + clsid;
    std::wstring wpath = ModulePath();
    std::string path(wpath.begin(), wpath.end());
    bool ok = SetKey(key, nullptr, kSketchFullTypeName) && SetKey(key + "\\InprocServer32", nullptr, path) &&
              SetKey(key + "\\InprocServer32", "ThreadingModel", "Apartment") &&
              SetKey(key + "\\ProgID", nullptr, kSketchProgId) && SetKey(key + "\\Insertable", nullptr, "") &&
              SetKey(key + "\\DefaultIcon", nullptr, path + ",0") &&
              SetKey(key + "\\AuxUserType\\2", nullptr, kSketchShortTypeName) &&
              SetKey(key + "\\AuxUserType\\3", nullptr, "Codexia Sketch Server") &&
              SetKey(key + "\\Verb\\0", nullptr, "&Show,0,2") && SetKey(key + "\\Verb\\1", nullptr, "&Recolour,0,2") &&
              SetKey(key + "\\MiscStatus", nullptr, "16") &&
              SetKey(key + "\\DataFormats\\GetSet\\0", nullptr, "3,1,32,1") &&
              SetKey(kSketchProgId, nullptr, kSketchFullTypeName) &&
              SetKey(std::string(kSketchProgId) + "\\CLSID", nullptr, clsid) &&
              SetKey(std::string(kSketchProgId) + "\\Insertable", nullptr, "");
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT WINAPI DllUnregisterServer() {
    std::string key = "CLSID\\" + ClsidText();
    RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kSketchProgId);
    return S_OK;
}

LONG WINAPI SketchLastVerb(LONG* count) {
    if (count) *count = g_verbCount;
    return g_lastVerb;
}

HRESULT WINAPI SketchWriteFile(LPCWSTR path, COLORREF card) {
    auto* s = new (std::nothrow) Sketch();
    if (!s) return E_OUTOFMEMORY;
    s->SetCard(card);
    HRESULT hr = static_cast<IPersistFile*>(s)->Save(path, TRUE);
    s->Release();
    return hr;
}

HRESULT WINAPI SketchCreateLink(LPCWSTR path, IOleClientSite* site, IStorage* storage, IOleObject** object) {
    if (!path || !object) return E_POINTER;
    *object = nullptr;
    auto* s = new (std::nothrow) Sketch();
    if (!s) return E_OUTOFMEMORY;
    HRESULT hr = s->LinkTo(path);
    if (SUCCEEDED(hr) && storage) hr = s->InitNew(storage);
    if (SUCCEEDED(hr) && storage) hr = WriteClassStg(storage, CLSID_CodexiaSketch);
    if (SUCCEEDED(hr)) hr = s->SetClientSite(site);
    if (SUCCEEDED(hr)) *object = static_cast<IOleObject*>(s);
    else s->Release();
    return hr;
}

}  // extern "C"
