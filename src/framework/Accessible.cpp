// The IAccessible a control's window answers with. The platform's library
// (oleacc) is loaded when assistive technology first asks, not at start.
#include "Accessible.h"

#include <oleacc.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Handles.h"
#include "WideText.h"

namespace {

const IID kIID_IAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Oleacc {
    decltype(&::LresultFromObject) lresultFromObject = nullptr;
    decltype(&::CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
    decltype(&::AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;
    bool Ready() const { return lresultFromObject && createStdAccessibleObject && accessibleObjectFromWindow; }
};

const Oleacc& Library() {
    static const Oleacc lib = [] {
        Oleacc l;
        // Loaded for the rest of the run: the objects handed out use it.
        if (HMODULE h = LoadLibraryA("oleacc.dll")) {
            l.lresultFromObject = reinterpret_cast<decltype(l.lresultFromObject)>(
                reinterpret_cast<void*>(GetProcAddress(h, "LresultFromObject")));
            l.createStdAccessibleObject = reinterpret_cast<decltype(l.createStdAccessibleObject)>(
                reinterpret_cast<void*>(GetProcAddress(h, "CreateStdAccessibleObject")));
            l.accessibleObjectFromWindow = reinterpret_cast<decltype(l.accessibleObjectFromWindow)>(
                reinterpret_cast<void*>(GetProcAddress(h, "AccessibleObjectFromWindow")));
        }
        return l;
    }();
    return lib;
}

HRESULT MakeBstr(const std::string& s, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (s.empty()) return S_FALSE;
    std::wstring w = WideFromAnsi(StripHotkey(s));
    *out = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT MakeI4(long v, VARIANT* out) {
    if (!out) return E_INVALIDARG;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = v;
    return S_OK;
}

class WindowAccessible final : public IAccessible {
public:
    explicit WindowAccessible(HWND wnd) : wnd_(wnd) {
        if (Library().Ready())
            Library().createStdAccessibleObject(wnd, OBJID_CLIENT, kIID_IAccessible, std_.PutVoid());
    }

    // ---- IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIID_IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // ---- IDispatch: the interface is used through its own methods only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (!n) return E_INVALIDARG;
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // ---- IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (!Alive()) return E_FAIL;
        return std_ ? std_->get_accParent(out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        if (!out) return E_INVALIDARG;
        *out = 0;
        if (!Alive()) return E_FAIL;
        *out = static_cast<long>(Elements().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k <= 0) return E_INVALIDARG;
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (!e.window) return S_FALSE;  // a simple child: the caller asks this object about it
        return Library().accessibleObjectFromWindow(e.window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                                    reinterpret_cast<void**>(out));
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) {
            TWinControl* c = TWinControl::FromHandle(wnd_);
            std::string name = c ? c->GetAccessibleName() : std::string();
            if (!name.empty()) return MakeBstr(name, out);
            // A control with a role of its own has no name but the one it
            // gives: the platform's would be its text (a whole document).
            if (c && c->AccessibleRole() != 0) return S_FALSE;
            return std_ ? std_->get_accName(id, out) : S_FALSE;
        }
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) return Forward(e.window, [&](IAccessible* a, VARIANT self) { return a->get_accName(self, out); });
        return MakeBstr(e.name, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->get_accValue(id, out) : S_FALSE;
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) return Forward(e.window, [&](IAccessible* a, VARIANT self) { return a->get_accValue(self, out); });
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->get_accDescription(id, out) : S_FALSE;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* out) override {
        if (!out) return E_INVALIDARG;
        VariantInit(out);
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) {
            TWinControl* c = TWinControl::FromHandle(wnd_);
            if (c && c->AccessibleRole() != 0) return MakeI4(c->AccessibleRole(), out);
            return std_ ? std_->get_accRole(id, out) : MakeI4(ROLE_SYSTEM_CLIENT, out);
        }
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) return Forward(e.window, [&](IAccessible* a, VARIANT self) { return a->get_accRole(self, out); });
        return MakeI4(e.role, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* out) override {
        if (!out) return E_INVALIDARG;
        VariantInit(out);
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->get_accState(id, out) : MakeI4(0, out);
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) return Forward(e.window, [&](IAccessible* a, VARIANT self) { return a->get_accState(self, out); });
        long state = e.state;
        if (!IsWindowVisible(wnd_)) state |= STATE_SYSTEM_INVISIBLE;
        return MakeI4(state, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->get_accKeyboardShortcut(id, out) : S_FALSE;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_INVALIDARG;
        VariantInit(out);
        auto els = Elements();
        for (std::size_t i = 0; i < els.size(); ++i)
            if (!els[i].window && (els[i].state & STATE_SYSTEM_FOCUSED)) return MakeI4(static_cast<long>(i + 1), out);
        return std_ ? std_->get_accFocus(out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_INVALIDARG;
        VariantInit(out);
        auto els = Elements();
        for (std::size_t i = 0; i < els.size(); ++i)
            if (!els[i].window && (els[i].state & STATE_SYSTEM_SELECTED)) return MakeI4(static_cast<long>(i + 1), out);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->get_accDefaultAction(id, out) : S_FALSE;
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) {
            return Forward(e.window,
                           [&](IAccessible* a, VARIANT self) { return a->get_accDefaultAction(self, out); });
        }
        return MakeBstr(e.defaultAction, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT id) override {
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->accSelect(flags, id) : DISP_E_MEMBERNOTFOUND;
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) return Forward(e.window, [&](IAccessible* a, VARIANT self) { return a->accSelect(flags, self); });
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT id) override {
        if (!x || !y || !w || !h) return E_INVALIDARG;
        *x = *y = *w = *h = 0;
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->accLocation(x, y, w, h, id) : S_FALSE;
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        RECT r = e.bounds;
        if (e.window) {
            GetWindowRect(e.window, &r);
        } else {
            MapWindowPoints(wnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        }
        *x = r.left;
        *y = r.top;
        *w = r.right - r.left;
        *h = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
        if (!out) return E_INVALIDARG;
        VariantInit(out);
        auto els = Elements();
        long k = ChildIndex(start, els);
        if (k < 0) return E_INVALIDARG;
        long n = static_cast<long>(els.size()), to = 0;
        if (k == 0) {
            if (dir == NAVDIR_FIRSTCHILD) to = n > 0 ? 1 : 0;
            else if (dir == NAVDIR_LASTCHILD) to = n;
            else return std_ ? std_->accNavigate(dir, start, out) : S_FALSE;
        } else if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN || dir == NAVDIR_RIGHT) {
            to = k < n ? k + 1 : 0;
        } else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP || dir == NAVDIR_LEFT) {
            to = k - 1;
        }
        if (to <= 0) return S_FALSE;
        return ChildVariant(els, to, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_INVALIDARG;
        VariantInit(out);
        if (!Alive()) return E_FAIL;
        POINT p{x, y};
        ScreenToClient(wnd_, &p);
        auto els = Elements();
        for (std::size_t i = 0; i < els.size(); ++i)
            if (!els[i].window && PtInRect(&els[i].bounds, p)) return MakeI4(static_cast<long>(i + 1), out);
        return std_ ? std_->accHitTest(x, y, out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
        auto els = Elements();
        long k = ChildIndex(id, els);
        if (k < 0) return E_INVALIDARG;
        if (k == 0) return std_ ? std_->accDoDefaultAction(id) : DISP_E_MEMBERNOTFOUND;
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) return Forward(e.window, [&](IAccessible* a, VARIANT self) { return a->accDoDefaultAction(self); });
        if (!e.doDefault) return DISP_E_MEMBERNOTFOUND;
        if (e.state & STATE_SYSTEM_UNAVAILABLE) return E_FAIL;
        return PostMessageA(wnd_, AccessibleActionMessage(), static_cast<WPARAM>(k), 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~WindowAccessible() = default;

    bool Alive() const { return IsWindow(wnd_) && TWinControl::FromHandle(wnd_) != nullptr; }

    std::vector<TAccessibleElement> Elements() const {
        std::vector<TAccessibleElement> els;
        if (TWinControl* c = TWinControl::FromHandle(wnd_)) c->GetAccessibleElements(els);
        return els;
    }

    // 0 for the window itself, 1.. for a child; -1 for an id that names nothing.
    static long ChildIndex(const VARIANT& id, const std::vector<TAccessibleElement>& els) {
        if (id.vt != VT_I4) return -1;
        if (id.lVal == CHILDID_SELF) return 0;
        return id.lVal >= 1 && id.lVal <= static_cast<long>(els.size()) ? id.lVal : -1;
    }

    HRESULT ChildVariant(const std::vector<TAccessibleElement>& els, long k, VARIANT* out) const {
        const TAccessibleElement& e = els[static_cast<std::size_t>(k - 1)];
        if (e.window) {
            IDispatch* d = nullptr;
            if (SUCCEEDED(Library().accessibleObjectFromWindow(e.window, static_cast<DWORD>(OBJID_WINDOW),
                                                               IID_IDispatch, reinterpret_cast<void**>(&d))) &&
                d) {
                out->vt = VT_DISPATCH;
                out->pdispVal = d;
                return S_OK;
            }
        }
        return MakeI4(k, out);
    }

    // A question about a child window, put to the child's own object.
    template <class F>
    HRESULT Forward(HWND child, F&& ask) const {
        ComPtr<IAccessible> a;
        const DWORD id = static_cast<DWORD>(OBJID_WINDOW);
        HRESULT hr = Library().accessibleObjectFromWindow(child, id, kIID_IAccessible, a.PutVoid());
        if (FAILED(hr) || !a) return FAILED(hr) ? hr : E_FAIL;
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        return ask(a.Get(), self);
    }

    LONG refs_ = 1;
    HWND wnd_;
    ComPtr<IAccessible> std_;
};

}  // namespace

LRESULT AnswerAccessibleObject(TWinControl* c, WPARAM wParam) {
    if (!c || !c->HandleAllocated() || !Library().Ready()) return 0;
    // The result holds a reference of its own.
    auto object = ComPtr<WindowAccessible>::Attach(new WindowAccessible(c->WindowHandle()));
    LRESULT r = Library().lresultFromObject(kIID_IAccessible, wParam, object.Get());
    return r > 0 ? r : 0;
}

UINT AccessibleActionMessage() {
    static const UINT msg = RegisterWindowMessageA("CodexiaAccessibleAction");
    return msg;
}

void RunAccessibleAction(TWinControl* c, long child) {
    std::vector<TAccessibleElement> els;
    c->GetAccessibleElements(els);
    if (child < 1 || child > static_cast<long>(els.size())) return;
    const TAccessibleElement& e = els[static_cast<std::size_t>(child - 1)];
    if (!e.window && e.doDefault) e.doDefault();
}
