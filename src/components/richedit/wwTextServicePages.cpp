#include "wwTextServicePages.h"

#include <textserv.h>

#include <cstring>

#include "Handles.h"

namespace {
// The platform's interface identifiers for the windowless text services.
const IID kIID_ITextServices = {0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};

struct RtfSource {
    const std::string* text;
    std::size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buf, LONG size, LONG* done) {
    auto* src = reinterpret_cast<RtfSource*>(cookie);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), src->text->size() - src->at);
    std::memcpy(buf, src->text->data() + src->at, n);
    src->at += n;
    *done = static_cast<LONG>(n);
    return 0;
}
}  // namespace

// The host the text services lay out and draw for: a page-sized client on
// the printer's context, transparent, without scroll bars, caret or focus.
// The object lives on the stack of its owner's object and outlives the
// services, so reference counts are not kept.
class TTextServicePages::Host : public ITextHost {
public:
    Host(HDC dc, const RECT& page, const CHARFORMAT2W& cf) : dc_(dc), page_(page), charFormat_(cf) {
        paraFormat_.cbSize = sizeof paraFormat_;
        paraFormat_.dwMask = PFM_ALL;
        paraFormat_.wAlignment = PFA_LEFT;
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    bool Create() {
        HMODULE lib = GetModuleHandleA("RICHED20.DLL");
        if (!lib) lib = LoadLibraryA("RICHED20.DLL");
        if (!lib) return false;
        auto create = reinterpret_cast<PCreateTextServices>(
            reinterpret_cast<void*>(GetProcAddress(lib, "CreateTextServices")));
        if (!create || FAILED(create(nullptr, this, unknown_.Put())) || !unknown_) return false;
        return SUCCEEDED(unknown_->QueryInterface(kIID_ITextServices, services_.PutVoid())) && services_;
    }
    ITextServices* Services() const { return services_.Get(); }
    LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) {
        LRESULT result = 0;
        services_->TxSendMessage(msg, wp, lp, &result);
        return result;
    }
    const RECT& Page() const { return page_; }
    HDC Dc() const { return dc_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *out = static_cast<IUnknown*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // ITextHost
    HDC TxGetDC() override { return dc_; }
    INT TxReleaseDC(HDC) override { return 1; }
    WINBOOL TxShowScrollBar(INT, WINBOOL) override { return TRUE; }
    WINBOOL TxEnableScrollBar(INT, INT) override { return TRUE; }
    WINBOOL TxSetScrollRange(INT, LONG, INT, WINBOOL) override { return TRUE; }
    WINBOOL TxSetScrollPos(INT, INT, WINBOOL) override { return TRUE; }
    void TxInvalidateRect(LPCRECT, WINBOOL) override {}
    void TxViewChange(WINBOOL) override {}
    WINBOOL TxCreateCaret(HBITMAP, INT, INT) override { return TRUE; }
    WINBOOL TxShowCaret(WINBOOL) override { return TRUE; }
    WINBOOL TxSetCaretPos(INT, INT) override { return TRUE; }
    WINBOOL TxSetTimer(UINT, UINT) override { return FALSE; }
    void TxKillTimer(UINT) override {}
    void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
    void TxSetCapture(WINBOOL) override {}
    void TxSetFocus() override {}
    void TxSetCursor(HCURSOR, WINBOOL) override {}
    WINBOOL TxScreenToClient(LPPOINT) override { return TRUE; }
    WINBOOL TxClientToScreen(LPPOINT) override { return TRUE; }
    HRESULT TxActivate(LONG* old) override {
        if (old) *old = 0;
        return S_OK;
    }
    HRESULT TxDeactivate(LONG) override { return S_OK; }
    HRESULT TxGetClientRect(LPRECT r) override {
        *r = page_;
        return S_OK;
    }
    HRESULT TxGetViewInset(LPRECT r) override {
        *r = RECT{0, 0, 0, 0};
        return S_OK;
    }
    HRESULT TxGetCharFormat(const CHARFORMATW** cf) override {
        *cf = reinterpret_cast<const CHARFORMATW*>(&charFormat_);
        return S_OK;
    }
    HRESULT TxGetParaFormat(const PARAFORMAT** pf) override {
        *pf = reinterpret_cast<const PARAFORMAT*>(&paraFormat_);
        return S_OK;
    }
    COLORREF TxGetSysColor(int index) override {
        // Paper is white and automatic text black, whatever the screen's colours.
        if (index == COLOR_WINDOW) return RGB(255, 255, 255);
        if (index == COLOR_WINDOWTEXT) return RGB(0, 0, 0);
        return GetSysColor(index);
    }
    HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override {
        *style = TXTBACK_TRANSPARENT;
        return S_OK;
    }
    HRESULT TxGetMaxLength(DWORD* length) override {
        *length = 0x7FFFFFF0;
        return S_OK;
    }
    HRESULT TxGetScrollBars(DWORD* bars) override {
        *bars = 0;
        return S_OK;
    }
    HRESULT TxGetPasswordChar(TCHAR*) override { return S_FALSE; }
    HRESULT TxGetAcceleratorPos(LONG* cp) override {
        *cp = -1;
        return S_OK;
    }
    HRESULT TxGetExtent(LPSIZEL) override { return E_NOTIMPL; }
    HRESULT OnTxCharFormatChange(const CHARFORMATW*) override { return S_OK; }
    HRESULT OnTxParaFormatChange(const PARAFORMAT*) override { return S_OK; }
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override {
        *bits = (TXTBIT_RICHTEXT | TXTBIT_MULTILINE | TXTBIT_WORDWRAP) & mask;
        return S_OK;
    }
    HRESULT TxNotify(DWORD, void*) override { return S_OK; }
    HIMC TxImmGetContext() override { return nullptr; }
    void TxImmReleaseContext(HIMC) override {}
    HRESULT TxGetSelectionBarWidth(LONG* width) override {
        *width = 0;
        return S_OK;
    }

private:
    HDC dc_;
    RECT page_;
    CHARFORMAT2W charFormat_;
    PARAFORMAT2 paraFormat_{};
    // Declared in this order, the services go before the object that made them.
    ComPtr<IUnknown> unknown_;
    ComPtr<ITextServices> services_;
};

TTextServicePages::TTextServicePages(HDC dc, const RECT& page, const CHARFORMAT2W& defaultFormat)
    : host_(std::make_unique<Host>(dc, page, defaultFormat)) {}

TTextServicePages::~TTextServicePages() = default;

bool TTextServicePages::Load(const std::string& rtf) {
    pages_.clear();
    if (!host_->Create()) return false;
    ITextServices* svc = host_->Services();
    RECT page = host_->Page();
    // Active in place on the page: the services lay the document out on the
    // printer's context at the page's width, without drawing.
    svc->OnTxInPlaceActivate(&page);
    host_->Send(EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    RtfSource src{&rtf, 0};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = ReadRtf;
    host_->Send(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    if (es.dwError != 0) return false;

    // Line tops, in the layout's coordinates, then the bottom of the last line.
    const int lines = static_cast<int>(host_->Send(EM_GETLINECOUNT, 0, 0));
    std::vector<std::int32_t> tops;
    tops.reserve(static_cast<std::size_t>(lines) + 1);
    for (int k = 0; k < lines; ++k) {
        LPARAM first = host_->Send(EM_LINEINDEX, static_cast<WPARAM>(k), 0);
        POINTL at{0, 0};
        host_->Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), first);
        tops.push_back(at.y);
    }
    LONG minPos = 0, maxPos = 0, pos = 0, pageSize = 0;
    WINBOOL enabled = FALSE;
    svc->TxGetVScroll(&minPos, &maxPos, &pos, &pageSize, &enabled);
    std::int32_t bottom = page.top + maxPos;
    if (!tops.empty() && bottom <= tops.back()) bottom = tops.back() + (tops.size() > 1 ? tops.back() - tops[tops.size() - 2] : 1);
    tops.push_back(bottom);
    pages_ = page::BreakLines(tops, page.bottom - page.top);
    return true;
}

void TTextServicePages::DrawPage(int index) {
    if (index < 0 || index >= PageCount()) return;
    const page::Band& band = pages_[static_cast<std::size_t>(index)];
    HDC dc = host_->Dc();
    RECT page = host_->Page();
    int saved = SaveDC(dc);
    // The page's stretch of the layout moves up to the page's top; only
    // the lines of this page are drawn.
    OffsetWindowOrgEx(dc, 0, band.top - page.top, nullptr);
    RECT update{page.left, band.top, page.right, band.bottom};
    RECTL bounds{page.left, page.top, page.right, page.bottom};
    host_->Services()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr, &update, nullptr, 0,
                              TXTVIEW_INACTIVE);
    RestoreDC(dc, saved);
}
