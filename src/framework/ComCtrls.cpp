#include "ComCtrls.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdlib>

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

void TTabControl::SelectTab(int index) {
    if (index < 0 || index >= static_cast<int>(tabs_.size()) || index == TabIndex()) return;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) return;
    SetTabIndex(index);
    if (OnChange) OnChange(this);
}

long TTabControl::AccessibleRole() const { return ROLE_SYSTEM_PAGETABLIST; }

void TTabControl::GetAccessibleElements(std::vector<TAccessibleElement>& out) {
    int current = TabIndex();
    for (int k = 0; k < static_cast<int>(tabs_.size()); ++k) {
        TAccessibleElement e;
        e.name = tabs_[static_cast<std::size_t>(k)];
        e.role = ROLE_SYSTEM_PAGETAB;
        e.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | (k == current ? STATE_SYSTEM_SELECTED : 0);
        if (!enabled_) e.state |= STATE_SYSTEM_UNAVAILABLE;
        e.defaultAction = "Switch";
        e.bounds = TabRect(k);
        e.doDefault = [this, k] { SelectTab(k); };
        out.push_back(std::move(e));
    }
    TWinControl::GetAccessibleElements(out);
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

// ---------------------------------------------------------------- TStatusBar

const EnumNames kStatusPanelBevelNames = {"pbNone", "pbLowered", "pbRaised"};

void TStatusPanel::SetText(const std::string& s) {
    if (s == text_) return;
    text_ = s;
    bar_.UpdatePanel(Index());
}

void TStatusPanel::SetWidth(int v) {
    if (v == width_) return;
    width_ = v;
    bar_.UpdatePanels();
}

void TStatusPanel::SetBevel(TStatusPanelBevel v) {
    if (v == bevel_) return;
    bevel_ = v;
    bar_.UpdatePanel(Index());
}

void TStatusPanel::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    bar_.UpdatePanel(Index());
}

int TStatusPanel::Index() const {
    auto& all = bar_.Panels().panels_;
    for (std::size_t k = 0; k < all.size(); ++k)
        if (all[k].get() == this) return static_cast<int>(k);
    return -1;
}

TStatusPanel& TStatusPanels::operator[](int i) {
    if (i < 0 || i >= Count()) throw EInvalidOperation("Status panel index out of bounds (" + std::to_string(i) + ")");
    return *panels_[static_cast<std::size_t>(i)];
}

TStatusPanel& TStatusPanels::Add() {
    panels_.push_back(std::make_unique<TStatusPanel>(bar_));
    bar_.UpdatePanels();
    return *panels_.back();
}

void TStatusPanels::Delete(int i) {
    (*this)[i];
    panels_.erase(panels_.begin() + i);
    bar_.UpdatePanels();
}

void TStatusPanels::Clear() {
    panels_.clear();
    bar_.UpdatePanels();
}

namespace {
void ReadPanels(TStatusBar& bar, TReader& r) {
    layout::Value v = r.ReadValue();
    if (v.tag != layout::Tag::List) r.Fail("a list of panels expected");
    bar.Panels().Clear();
    for (const auto& item : v.list) {
        if (item.tag != layout::Tag::List || item.list.size() < 2 || item.list.size() > 4 ||
            item.list[0].tag != layout::Tag::Int || item.list[1].tag != layout::Tag::String)
            r.Fail("a panel is (width, \"text\"[, bevel][, alignment])");
        TStatusPanel& p = bar.Panels().Add();
        p.SetWidth(item.list[0].i);
        p.SetText(item.list[1].s);
        for (std::size_t k = 2; k < item.list.size(); ++k) {
            const layout::Value& extra = item.list[k];
            int bevel = extra.tag == layout::Tag::Ident ? EnumOrdinal(kStatusPanelBevelNames, extra.s) : -1;
            int align = extra.tag == layout::Tag::Ident ? EnumOrdinal(kAlignmentNames, extra.s) : -1;
            if (bevel >= 0) p.SetBevel(static_cast<TStatusPanelBevel>(bevel));
            else if (align >= 0) p.SetAlignment(static_cast<TAlignment>(align));
            else r.Fail("unknown panel value " + extra.s);
        }
    }
}

bool WritePanels(TStatusBar& bar, layout::Value& out) {
    if (bar.Panels().Count() == 0) return false;
    std::vector<layout::Value> items;
    for (int k = 0; k < bar.Panels().Count(); ++k) {
        TStatusPanel& p = bar.Panels()[k];
        std::vector<layout::Value> one{layout::Value::Int(p.Width()), layout::Value::Str(p.Text())};
        if (p.Bevel() != TStatusPanelBevel::pbLowered)
            one.push_back(layout::Value::Id(kStatusPanelBevelNames[static_cast<std::size_t>(p.Bevel())]));
        if (p.Alignment() != TAlignment::taLeftJustify)
            one.push_back(layout::Value::Id(kAlignmentNames[static_cast<std::size_t>(p.Alignment())]));
        items.push_back(layout::Value::Items(std::move(one)));
    }
    out = layout::Value::Items(std::move(items));
    return true;
}
}  // namespace

CX_IMPLEMENT_CLASS(TStatusBar, TWinControl, CX_CREATE(TStatusBar), {
    p.Bool("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, false);
    p.Str("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText, std::string());
    p.Bool("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, true);
    PropertyInfo panels;
    panels.name = "Panels";
    panels.read = [](TPersistent& o, TReader& r) { ReadPanels(static_cast<TStatusBar&>(o), r); };
    panels.write = [](TPersistent& o, layout::Value& v) { return WritePanels(static_cast<TStatusBar&>(o), v); };
    ci->Own().push_back(std::move(panels));
})

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner), panels_(*this) {
    align_ = TAlign::alBottom;
    width_ = 200;
    height_ = 19;
    color_ = clBtnFace;
    parentColor_ = false;
    ControlStyle &= ~static_cast<unsigned>(csSetCaption);
}

void TStatusBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = STATUSCLASSNAMEA;
    p.caption.clear();
    // The framework places the bar (Align), not the platform.
    p.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY | (sizeGrip_ ? SBARS_SIZEGRIP : 0);
}

void TStatusBar::CreateWnd() {
    TWinControl::CreateWnd();
    UpdatePanels();
}

void TStatusBar::SetSimplePanel(bool v) {
    if (v == simplePanel_) return;
    simplePanel_ = v;
    if (wnd_) SendMessageA(wnd_, SB_SIMPLE, v, 0);
    UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::string& s) {
    simpleText_ = s;
    if (wnd_ && simplePanel_) SendMessageA(wnd_, SB_SETTEXTA, 255 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(s.c_str()));
}

void TStatusBar::SetSizeGrip(bool v) {
    if (v == sizeGrip_) return;
    sizeGrip_ = v;
    RecreateWnd();
}

void TStatusBar::UpdatePanels() {
    if (!wnd_) return;
    SendMessageA(wnd_, SB_SIMPLE, simplePanel_, 0);
    if (simplePanel_) {
        SendMessageA(wnd_, SB_SETTEXTA, 255 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(simpleText_.c_str()));
        return;
    }
    int n = std::max(1, panels_.Count());
    std::vector<int> edges(static_cast<std::size_t>(n), -1);
    int at = 0;
    for (int k = 0; k + 1 < panels_.Count(); ++k) {
        at += panels_[k].Width();
        edges[static_cast<std::size_t>(k)] = at;
    }
    SendMessageA(wnd_, SB_SETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(edges.data()));
    if (panels_.Count() == 0) SendMessageA(wnd_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
    for (int k = 0; k < panels_.Count(); ++k) UpdatePanel(k);
}

void TStatusBar::UpdatePanel(int index) {
    if (!wnd_ || simplePanel_ || index < 0 || index >= panels_.Count()) return;
    TStatusPanel& p = panels_[index];
    // Tabs before the text centre it (one) or put it at the right (two).
    std::string text = p.Alignment() == TAlignment::taCenter       ? "\t" + p.Text()
                       : p.Alignment() == TAlignment::taRightJustify ? "\t\t" + p.Text()
                                                                     : p.Text();
    WPARAM flags = p.Bevel() == TStatusPanelBevel::pbNone ? SBT_NOBORDERS
                   : p.Bevel() == TStatusPanelBevel::pbRaised ? SBT_POPOUT : 0;
    SendMessageA(wnd_, SB_SETTEXTA, static_cast<WPARAM>(index) | flags, reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::WndProc(TMessage& m) {
    if (m.msg == WM_SIZE) {
        // The platform's bar lays its parts out again for its new width.
        TWinControl::WndProc(m);
        InvalidateRect(wnd_, nullptr, TRUE);
        return;
    }
    TWinControl::WndProc(m);
}

// ----------------------------------------------------------------- TListView

CX_IMPLEMENT_CLASS(TListView, TWinControl, CX_CREATE(TListView), {
    p.Strings("Columns", &TListView::Columns, &TListView::SetColumns);
    p.Event("OnActivate", &TListView::OnActivate);
    p.Event("OnSelect", &TListView::OnSelect);
})

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    width_ = 250;
    height_ = 150;
    TabStop = true;
    color_ = clWindow;
}

void TListView::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = WC_LISTVIEWA;
    p.style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | (TabStop ? WS_TABSTOP : 0);
    p.exStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(wnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (std::size_t k = 0; k < columns_.size(); ++k) {
        std::string caption = columns_[k];
        int width = 100;
        std::size_t eq = caption.rfind('=');
        if (eq != std::string::npos) {
            width = std::atoi(caption.c_str() + eq + 1);
            caption.resize(eq);
        }
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = caption.data();
        col.cx = ScaleDpi(width, columnDpi_, kLayoutDpi);
        col.iSubItem = static_cast<int>(k);
        SendMessageA(wnd_, LVM_INSERTCOLUMNA, k, reinterpret_cast<LPARAM>(&col));
    }
    if (images_) SendMessageA(wnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    for (int r = 0; r < RowCount(); ++r) InsertRow(r);
    if (selected_ >= 0) SetSelected(selected_);
}

void TListView::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi || newDpi <= 0 || oldDpi <= 0) return;
    columnDpi_ = ScaleDpi(columnDpi_, newDpi, oldDpi);
    if (wnd_)
        for (int k = 0; k < static_cast<int>(columns_.size()); ++k) {
            int w = static_cast<int>(SendMessageA(wnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(k), 0));
            SendMessageA(wnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(k), MAKELPARAM(ScaleDpi(w, newDpi, oldDpi), 0));
        }
    TWinControl::ChangeScale(newDpi, oldDpi);
}

void TListView::SetColumns(const std::vector<std::string>& c) {
    columns_ = c;
    if (wnd_) RecreateWnd();
}

void TListView::InsertRow(int index) {
    const Row& row = rows_[static_cast<std::size_t>(index)];
    LVITEMA item{};
    item.mask = LVIF_TEXT | (row.image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    item.pszText = const_cast<char*>(row.cells.empty() ? "" : row.cells[0].c_str());
    item.iImage = row.image;
    SendMessageA(wnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (std::size_t c = 1; c < row.cells.size(); ++c) {
        LVITEMA sub{};
        sub.iSubItem = static_cast<int>(c);
        sub.pszText = const_cast<char*>(row.cells[c].c_str());
        SendMessageA(wnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
}

void TListView::Clear() {
    rows_.clear();
    selected_ = -1;
    if (wnd_) SendMessageA(wnd_, LVM_DELETEALLITEMS, 0, 0);
}

int TListView::AddRow(const std::vector<std::string>& cells, int image) {
    rows_.push_back(Row{cells, image});
    int index = RowCount() - 1;
    if (wnd_) InsertRow(index);
    return index;
}

const std::string& TListView::Cell(int row, int column) const {
    static const std::string none;
    if (row < 0 || row >= RowCount()) return none;
    const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
    return column >= 0 && column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)] : none;
}

void TListView::SetCell(int row, int column, const std::string& text) {
    if (row < 0 || row >= RowCount() || column < 0) return;
    auto& cells = rows_[static_cast<std::size_t>(row)].cells;
    if (column >= static_cast<int>(cells.size())) cells.resize(static_cast<std::size_t>(column) + 1);
    if (cells[static_cast<std::size_t>(column)] == text) return;
    cells[static_cast<std::size_t>(column)] = text;
    if (!wnd_) return;
    LVITEMA sub{};
    sub.iSubItem = column;
    sub.pszText = const_cast<char*>(text.c_str());
    SendMessageA(wnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
}

int TListView::Selected() const {
    if (wnd_) return static_cast<int>(SendMessageA(wnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return selected_;
}

void TListView::SetSelected(int row) {
    selected_ = row;
    if (!wnd_ || row < 0 || row >= RowCount()) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(wnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageA(wnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void TListView::SetImages(HIMAGELIST images) {
    images_ = images;
    if (wnd_) SendMessageA(wnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
}

RECT TListView::RowRect(int row) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageA(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return r;
}

void TListView::WndProc(TMessage& m) {
    if (m.msg == WM_GETDLGCODE) {
        // Return on a row activates it, rather than the form's default button.
        TWinControl::WndProc(m);
        auto* msg = reinterpret_cast<MSG*>(m.lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) m.result |= DLGC_WANTMESSAGE;
        return;
    }
    if (m.msg == kReflect + WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMHDR*>(m.lParam);
        if (nm->code == LVN_ITEMACTIVATE) {
            if (OnActivate) OnActivate(this);
            return;
        }
        if (nm->code == LVN_ITEMCHANGED) {
            auto* lv = reinterpret_cast<NMLISTVIEW*>(m.lParam);
            if ((lv->uChanged & LVIF_STATE) && ((lv->uNewState ^ lv->uOldState) & LVIS_SELECTED)) {
                selected_ = Selected();
                if (OnSelect) OnSelect(this);
            }
            return;
        }
        if (nm->code == LVN_COLUMNCLICK) {
            if (OnColumnClick) OnColumnClick(this, reinterpret_cast<NMLISTVIEW*>(m.lParam)->iSubItem);
            return;
        }
    }
    TWinControl::WndProc(m);
}

void TTabControl::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi) return;
    TabHeight = ScaleDpi(TabHeight, newDpi, oldDpi);
    TabWidth = ScaleDpi(TabWidth, newDpi, oldDpi);
    if (wnd_ && (TabHeight > 0 || TabWidth > 0))
        SendMessageA(wnd_, TCM_SETITEMSIZE, 0, MAKELPARAM(TabWidth, TabHeight));
    TWinControl::ChangeScale(newDpi, oldDpi);
}

void TStatusBar::ChangeScale(int newDpi, int oldDpi) {
    if (newDpi == oldDpi) return;
    for (int i = 0; i < panels_.Count(); ++i)
        panels_[i].SetWidth(ScaleDpi(panels_[i].Width(), newDpi, oldDpi));
    TWinControl::ChangeScale(newDpi, oldDpi);
}
