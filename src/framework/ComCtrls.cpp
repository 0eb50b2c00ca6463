#include "ComCtrls.h"

CX_IMPLEMENT_CLASS(TTabControl, TWinControl, CX_CREATE(TTabControl), {
    p.Strings("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs);
    p.Int("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex);
    p.Bool("MultiLine", [](TTabControl& t) { return t.MultiLine; }, [](TTabControl& t, bool v) { t.MultiLine = v; }, false);
    p.Bool("MultiSelect", [](TTabControl& t) { return t.MultiSelect; }, [](TTabControl& t, bool v) { t.MultiSelect = v; }, false);
    p.Int("TabHeight", [](TTabControl& t) { return t.TabHeight; }, [](TTabControl& t, int v) { t.TabHeight = v; }, 0);
    p.Int("TabWidth", [](TTabControl& t) { return t.TabWidth; }, [](TTabControl& t, int v) { t.TabWidth = v; }, 0);
    p.Event("OnChange", &TTabControl::OnChange);
    p.Event("OnChanging", &TTabControl::OnChanging);
})

TTabControl::TTabControl(TComponent* owner) : TWinControl(owner) {
    ControlStyle |= csAcceptsControls;
    width_ = 289;
    height_ = 193;
    TabStop = true;
    color_ = clBtnFace;
}

void TTabControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = WC_TABCONTROLA;
    p.style |= WS_CLIPCHILDREN | (TabStop ? WS_TABSTOP : 0) | (MultiLine ? TCS_MULTILINE : 0) |
               (MultiSelect ? TCS_MULTISELECT : 0) | (TabWidth > 0 ? TCS_FIXEDWIDTH : 0);
}

void TTabControl::CreateWnd() {
    TWinControl::CreateWnd();
    for (std::size_t k = 0; k < tabs_.size(); ++k) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabs_[k].c_str());
        SendMessageA(wnd_, TCM_INSERTITEMA, k, reinterpret_cast<LPARAM>(&item));
    }
    if (TabHeight > 0 || TabWidth > 0) SendMessageA(wnd_, TCM_SETITEMSIZE, 0, MAKELPARAM(TabWidth, TabHeight));
    if (tabIndex_ >= 0) SendMessageA(wnd_, TCM_SETCURSEL, static_cast<WPARAM>(tabIndex_), 0);
}

void TTabControl::SetTabs(const std::vector<std::string>& t) {
    tabs_ = t;
    if (wnd_) RecreateWnd();
}

int TTabControl::TabIndex() const {
    if (wnd_) return static_cast<int>(SendMessageA(wnd_, TCM_GETCURSEL, 0, 0));
    return tabIndex_;
}

void TTabControl::SetTabIndex(int i) {
    tabIndex_ = i;
    if (wnd_) SendMessageA(wnd_, TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
}

RECT TTabControl::TabRect(int index) {
    RECT r{};
    SendMessageA(Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

RECT TTabControl::AlignRect() {
    RECT r = ClientRect();
    if (wnd_) SendMessageA(wnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TTabControl::WndProc(TMessage& m) {
    if (m.msg == WM_NCHITTEST) {
        // The platform's tab control is see-through to the mouse wherever
        // there is no tab, so presses on the page would go to the parent and
        // miss the controls lying on it. The whole client area is ours.
        TWinControl::WndProc(m);
        if (m.result == HTTRANSPARENT) m.result = HTCLIENT;
        return;
    }
    if (m.msg == kReflect + WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMHDR*>(m.lParam);
        if (nm->code == TCN_SELCHANGING) {
            bool allow = true;
            if (OnChanging) OnChanging(this, allow);
            m.result = allow ? FALSE : TRUE;
            return;
        }
        if (nm->code == TCN_SELCHANGE) {
            tabIndex_ = TabIndex();
            if (OnChange) OnChange(this);
            return;
        }
    }
    TWinControl::WndProc(m);
}
