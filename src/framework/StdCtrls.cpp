#include "StdCtrls.h"

#include <oleacc.h>

#include <commctrl.h>

#include <algorithm>
#include "Forms.h"

CX_IMPLEMENT_CLASS(TCustomEdit, TWinControl, CX_ABSTRACT, {
    p.Str("Text", &TCustomEdit::Text, &TCustomEdit::SetText);
    p.Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false);
    p.Int("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0);
    p.Event("OnChange", &TCustomEdit::OnChange);
})
CX_IMPLEMENT_CLASS(TEdit, TCustomEdit, CX_CREATE(TEdit), {})

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    width_ = 121;
    height_ = 21;
    TabStop = true;
    parentColor_ = false;
    color_ = clWindow;
    ControlStyle &= ~csSetCaption;
}

long TCustomEdit::AccessibleRole() const { return ROLE_SYSTEM_TEXT; }

void TCustomEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "EDIT";
    p.style |= ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0) | (TabStop ? WS_TABSTOP : 0);
    p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(wnd_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetMaxLength(int v) {
    maxLength_ = std::max(0, v);
    if (wnd_) SendMessageA(wnd_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

std::string TCustomEdit::Text() const {
    if (!wnd_) return caption_;
    int n = GetWindowTextLengthA(wnd_);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    GetWindowTextA(wnd_, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(n));
    return s;
}

void TCustomEdit::SetText(const std::string& s) {
    caption_ = s;
    if (!wnd_) return;
    settingText_ = true;
    SetWindowTextA(wnd_, s.c_str());
    settingText_ = false;
}

void TCustomEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    if (wnd_) SendMessageA(wnd_, EM_SETREADONLY, v, 0);
}

void TCustomEdit::WndProc(TMessage& m) {
    if (m.msg == kReflect + WM_COMMAND && HIWORD(m.wParam) == EN_CHANGE) {
        // Some platforms report a change for a key the length limit refused.
        std::string now = Text();
        if (now == caption_ && !settingText_) return;
        caption_ = now;
        if (OnChange) OnChange(this);
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TListItems

namespace {
std::string WindowItemText(HWND w, UINT getLen, UINT getText, int index) {
    LRESULT n = SendMessageA(w, getLen, static_cast<WPARAM>(index), 0);
    if (n < 0) return {};
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    n = SendMessageA(w, getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return s;
}

bool SortsBefore(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }
}  // namespace

void TListItems::Check(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size())) IndexError(index);
}

std::string TListItems::Get(int index) {
    Check(index);
    return items_[static_cast<std::size_t>(index)];
}

void TListItems::Put(int index, const std::string& s) {
    Check(index);
    if (sorted_) {
        Delete(index);
        Add(s);
        return;
    }
    items_[static_cast<std::size_t>(index)] = s;
    if (HWND w = owner_.WindowHandle()) {
        SendMessageA(w, msg_.remove, static_cast<WPARAM>(index), 0);
        SendMessageA(w, msg_.insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
    }
}

void TListItems::Insert(int index, const std::string& s) {
    if (index < 0 || index > static_cast<int>(items_.size())) IndexError(index);
    items_.insert(items_.begin() + index, s);
    if (HWND w = owner_.WindowHandle()) {
        LRESULT r = SendMessageA(w, msg_.insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
        if (r < 0) {
            items_.erase(items_.begin() + index);
            throw EOutOfResources("Cannot add an item to " + owner_.Name());
        }
    }
}

int TListItems::Add(const std::string& s) {
    int at = static_cast<int>(items_.size());
    if (sorted_) at = static_cast<int>(std::upper_bound(items_.begin(), items_.end(), s, SortsBefore) - items_.begin());
    Insert(at, s);
    return at;
}

void TListItems::Delete(int index) {
    Check(index);
    items_.erase(items_.begin() + index);
    if (HWND w = owner_.WindowHandle()) SendMessageA(w, msg_.remove, static_cast<WPARAM>(index), 0);
}

void TListItems::Clear() {
    items_.clear();
    if (HWND w = owner_.WindowHandle()) SendMessageA(w, msg_.reset, 0, 0);
}

void TListItems::SetSorted(bool v) {
    if (v == sorted_) return;
    sorted_ = v;
    if (!v) return;
    std::vector<std::string> all = items_;
    std::stable_sort(all.begin(), all.end(), SortsBefore);
    SetStrings(all);
}

void TListItems::Fill() {
    HWND w = owner_.WindowHandle();
    SendMessageA(w, msg_.reset, 0, 0);
    for (std::size_t k = 0; k < items_.size(); ++k)
        SendMessageA(w, msg_.insert, k, reinterpret_cast<LPARAM>(items_[k].c_str()));
}

// ---------------------------------------------------------------- TCustomComboBox

const EnumNames kComboBoxStyleNames = {"csDropDown", "csSimple", "csDropDownList"};

namespace {
const TListItems::Messages kComboMessages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETLBTEXT,
                                          CB_GETLBTEXTLEN};
// Posted to the combo box itself when its list closes: the closing
// notification comes before the choice has reached the edit part.
constexpr UINT kComboClosedUp = WM_APP + 0x3C1;
}  // namespace

CX_IMPLEMENT_CLASS(TCustomComboBox, TWinControl, CX_ABSTRACT, {
    p.Enum("Style", kComboBoxStyleNames, &TCustomComboBox::Style, &TCustomComboBox::SetStyle, 0);
    p.Bool("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted, false);
    p.Strings("Items", [](TCustomComboBox& c) { return c.Items()->ToVector(); }, &TCustomComboBox::SetItems);
    p.Int("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex, -1);
    p.Str("Text", &TCustomComboBox::Text, &TCustomComboBox::SetText, std::string());
    p.Int("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8);
    p.Int("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength, 0);
    p.Event("OnChange", &TCustomComboBox::OnChange);
    p.Event("OnDropDown", &TCustomComboBox::OnDropDown);
    p.Event("OnCloseUp", &TCustomComboBox::OnCloseUp);
})
CX_IMPLEMENT_CLASS(TComboBox, TCustomComboBox, CX_CREATE(TComboBox), {})

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner), items_(*this, kComboMessages) {
    width_ = 145;
    height_ = 21;
    TabStop = true;
    parentColor_ = false;
    color_ = clWindow;
    ControlStyle &= ~static_cast<unsigned>(csSetCaption | csClickEvents);
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "COMBOBOX";
    p.caption.clear();
    static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
    p.style |= styles[static_cast<int>(style_)] | WS_VSCROLL | CBS_AUTOHSCROLL | (TabStop ? WS_TABSTOP : 0);
    // The window's height is the closed box and the list below it; the
    // platform makes the closed box as high as its font needs.
    if (style_ != TComboBoxStyle::csSimple) p.height = height_ + 2 + 16 * std::max(1, dropDownCount_);
}

void TCustomComboBox::CreateWnd() {
    TWinControl::CreateWnd();
    items_.Fill();
    SendMessageA(wnd_, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    SendMessageA(wnd_, CB_SETMINVISIBLE, static_cast<WPARAM>(std::max(1, dropDownCount_)), 0);
    if (itemIndex_ >= 0 && itemIndex_ < items_.Count()) SendMessageA(wnd_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    else if (style_ != TComboBoxStyle::csDropDownList) SetWindowTextA(wnd_, caption_.c_str());
}

void TCustomComboBox::DestroyWnd() {
    if (wnd_) {
        itemIndex_ = ItemIndex();
        caption_ = Text();
    }
    TWinControl::DestroyWnd();
}

void TCustomComboBox::SetItems(const std::vector<std::string>& items) { items_.SetStrings(items); }

void TCustomComboBox::Loaded() {
    TWinControl::Loaded();
    // The layout may name the choice (by index or by text) before the items.
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    if (itemIndex_ >= 0) {
        caption_ = items_.Get(itemIndex_);
    } else if (style_ == TComboBoxStyle::csDropDownList && !caption_.empty()) {
        itemIndex_ = items_.IndexOf(caption_);
        if (itemIndex_ < 0) caption_.clear();
    }
    if (wnd_) {
        SendMessageA(wnd_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
        if (itemIndex_ < 0 && style_ != TComboBoxStyle::csDropDownList) SetWindowTextA(wnd_, caption_.c_str());
    }
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
    if (v == style_) return;
    style_ = v;
    RecreateWnd();
}

int TCustomComboBox::ItemIndex() const {
    if (wnd_) return static_cast<int>(SendMessageA(wnd_, CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomComboBox::SetItemIndex(int i) {
    if (i < -1 || (i >= items_.Count() && !Has(csReading))) i = -1;
    itemIndex_ = i;
    if (i >= 0 && i < items_.Count()) caption_ = items_.Get(i);
    if (wnd_) SendMessageA(wnd_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

std::string TCustomComboBox::Text() const {
    if (!wnd_) return caption_;
    if (style_ == TComboBoxStyle::csDropDownList) {
        int i = ItemIndex();
        return i < 0 ? std::string() : WindowItemText(wnd_, CB_GETLBTEXTLEN, CB_GETLBTEXT, i);
    }
    int n = GetWindowTextLengthA(wnd_);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    n = GetWindowTextA(wnd_, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(std::max(0, n)));
    return s;
}

void TCustomComboBox::SetText(const std::string& s) {
    if (style_ == TComboBoxStyle::csDropDownList) {
        int found = -1;
        for (int k = 0; k < items_.Count() && found < 0; ++k)
            if (items_.Get(k) == s) found = k;
        if (found >= 0 || !Has(csReading)) SetItemIndex(found);
        if (found < 0) caption_ = Has(csReading) ? s : std::string();
        return;
    }
    caption_ = s;
    if (wnd_) SetWindowTextA(wnd_, s.c_str());
}

void TCustomComboBox::SetDropDownCount(int v) {
    dropDownCount_ = std::max(1, v);
    if (wnd_) SendMessageA(wnd_, CB_SETMINVISIBLE, static_cast<WPARAM>(dropDownCount_), 0);
}

void TCustomComboBox::SetMaxLength(int v) {
    maxLength_ = std::max(0, v);
    if (wnd_) SendMessageA(wnd_, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

bool TCustomComboBox::DroppedDown() const { return wnd_ && SendMessageA(wnd_, CB_GETDROPPEDSTATE, 0, 0); }

void TCustomComboBox::SetDroppedDown(bool v) { SendMessageA(Handle(), CB_SHOWDROPDOWN, v, 0); }

HWND TCustomComboBox::ListHandle() const {
    if (!wnd_) return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(wnd_, &info) ? info.hwndList : nullptr;
}

void TCustomComboBox::FitDropDown() {
    // The list is as high as DropDownCount items (fewer when there are fewer).
    if (style_ == TComboBoxStyle::csSimple) return;
    int rows = std::clamp(items_.Count(), 1, dropDownCount_);
    int itemHeight = static_cast<int>(SendMessageA(wnd_, CB_GETITEMHEIGHT, 0, 0));
    RECT closed;
    GetWindowRect(wnd_, &closed);
    SetWindowPos(wnd_, nullptr, 0, 0, closed.right - closed.left,
                 closed.bottom - closed.top + rows * itemHeight + 2 * GetSystemMetrics(SM_CYBORDER),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::WndProc(TMessage& m) {
    switch (m.msg) {
    case kReflect + WM_COMMAND:
        switch (HIWORD(m.wParam)) {
        case CBN_DROPDOWN:
            FitDropDown();
            if (OnDropDown) OnDropDown(this);
            return;
        case CBN_CLOSEUP: PostMessageA(wnd_, kComboClosedUp, 0, 0); return;
        case CBN_SELCHANGE: {
            int i = ItemIndex();
            itemIndex_ = i;
            if (i >= 0) caption_ = items_.Get(i);
            Click();
            if (OnChange) OnChange(this);
            return;
        }
        case CBN_EDITCHANGE:
            caption_ = Text();
            itemIndex_ = ItemIndex();
            if (OnChange) OnChange(this);
            return;
        default: break;
        }
        break;
    case kComboClosedUp:
        if (OnCloseUp) OnCloseUp(this);
        return;
    case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSTATIC:
        // The edit part and the list are the platform's own children: they
        // take their colours here, not from the form.
        if (reinterpret_cast<HWND>(m.lParam) != wnd_) {
            m.result = Perform(kReflect + m.msg, m.wParam, m.lParam);
            return;
        }
        break;
    default: break;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TCustomListBox

namespace {
const TListItems::Messages kListMessages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETTEXT,
                                         LB_GETTEXTLEN};
}  // namespace

CX_IMPLEMENT_CLASS(TCustomListBox, TWinControl, CX_ABSTRACT, {
    p.Bool("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect, false);
    p.Bool("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect, true);
    p.Bool("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted, false);
    p.Strings("Items", [](TCustomListBox& c) { return c.Items()->ToVector(); }, &TCustomListBox::SetItems);
    p.Int("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex, -1);
})
CX_IMPLEMENT_CLASS(TListBox, TCustomListBox, CX_CREATE(TListBox), {})

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner), items_(*this, kListMessages) {
    width_ = 121;
    height_ = 97;
    TabStop = true;
    parentColor_ = false;
    color_ = clWindow;
    // Clicks come from the platform's selection notification.
    ControlStyle &= ~static_cast<unsigned>(csSetCaption | csClickEvents);
}

void TCustomListBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "LISTBOX";
    p.caption.clear();
    p.style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | (TabStop ? WS_TABSTOP : 0);
    if (multiSelect_) p.style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
    TWinControl::CreateWnd();
    items_.Fill();
    if (multiSelect_) {
        for (int i : selected_)
            if (i < items_.Count()) SendMessageA(wnd_, LB_SETSEL, TRUE, i);
        if (itemIndex_ >= 0) SendMessageA(wnd_, LB_SETCARETINDEX, static_cast<WPARAM>(itemIndex_), FALSE);
    } else if (itemIndex_ >= 0) {
        SendMessageA(wnd_, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    }
}

void TCustomListBox::DestroyWnd() {
    if (wnd_) {
        itemIndex_ = ItemIndex();
        selected_.clear();
        for (int k = 0; k < items_.Count(); ++k)
            if (Selected(k)) selected_.push_back(k);
    }
    TWinControl::DestroyWnd();
}

void TCustomListBox::SetItems(const std::vector<std::string>& items) {
    items_.SetStrings(items);
    selected_.clear();
}

void TCustomListBox::SetMultiSelect(bool v) {
    if (v == multiSelect_) return;
    multiSelect_ = v;
    RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool v) {
    if (v == extendedSelect_) return;
    extendedSelect_ = v;
    RecreateWnd();
}

int TCustomListBox::ItemIndex() const {
    if (!wnd_) return itemIndex_;
    if (multiSelect_) {
        int caret = static_cast<int>(SendMessageA(wnd_, LB_GETCARETINDEX, 0, 0));
        return caret >= 0 && caret < items_.Size() ? caret : -1;
    }
    return static_cast<int>(SendMessageA(wnd_, LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int i) {
    if (i < -1) i = -1;
    itemIndex_ = i;
    if (!wnd_) {
        if (!multiSelect_) selected_.assign(i >= 0 ? 1 : 0, i);
        return;
    }
    if (multiSelect_) {
        if (i >= 0) SendMessageA(wnd_, LB_SETCARETINDEX, static_cast<WPARAM>(i), FALSE);
    } else {
        SendMessageA(wnd_, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
}

bool TCustomListBox::Selected(int i) const {
    if (i < 0 || i >= items_.Size())
        throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
    if (!wnd_) return std::find(selected_.begin(), selected_.end(), i) != selected_.end();
    return SendMessageA(wnd_, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
}

void TCustomListBox::SetSelected(int i, bool v) {
    if (i < 0 || i >= items_.Count()) throw EStringListError("List index out of bounds (" + std::to_string(i) + ")");
    if (wnd_) {
        if (multiSelect_) SendMessageA(wnd_, LB_SETSEL, v, i);
        else if (v) SendMessageA(wnd_, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        else if (ItemIndex() == i) SendMessageA(wnd_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return;
    }
    if (!multiSelect_) selected_.clear();
    auto it = std::find(selected_.begin(), selected_.end(), i);
    if (v && it == selected_.end()) selected_.push_back(i);
    if (!v && it != selected_.end()) selected_.erase(it);
    if (!multiSelect_) itemIndex_ = v ? i : -1;
}

int TCustomListBox::SelCount() const {
    if (!wnd_) return static_cast<int>(selected_.size());
    if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
    return static_cast<int>(SendMessageA(wnd_, LB_GETSELCOUNT, 0, 0));
}

RECT TCustomListBox::ItemRect(int i) {
    RECT r{};
    SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
}

void TCustomListBox::WndProc(TMessage& m) {
    if (m.msg == kReflect + WM_COMMAND && HIWORD(m.wParam) == LBN_SELCHANGE) {
        itemIndex_ = ItemIndex();
        Click();
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TGroupBox

CX_IMPLEMENT_CLASS(TGroupBox, TWinControl, CX_CREATE(TGroupBox), {})

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
    ControlStyle |= csAcceptsControls;
    ControlStyle &= ~static_cast<unsigned>(csClickEvents);
    width_ = 185;
    height_ = 105;
    color_ = clBtnFace;
    parentColor_ = true;
}

void TGroupBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "BUTTON";
    p.style |= BS_GROUPBOX;
}

RECT TGroupBox::AlignRect() {
    // Inside the frame, below the caption.
    RECT r = ClientRect();
    WindowDc dc(nullptr);
    SelectRestorer font(dc, font_.Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    r.top += tm.tmHeight;
    InflateRect(&r, -2, -2);
    return r;
}

void TGroupBox::WndProc(TMessage& m) {
    switch (m.msg) {
    case WM_NCHITTEST:
        // The platform's group box lets the mouse through to what lies
        // under it; the controls it holds lie in it.
        TWinControl::WndProc(m);
        if (m.result == HTTRANSPARENT) m.result = HTCLIENT;
        return;
    case WM_ERASEBKGND:
        // The platform's group box paints its frame and caption only.
        m.result = EraseBackground(reinterpret_cast<HDC>(m.wParam)) ? 1 : 0;
        return;
    default: break;
    }
    TWinControl::WndProc(m);
}

CX_IMPLEMENT_CLASS(TCheckBox, TWinControl, CX_CREATE(TCheckBox), {
    p.Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false);
})

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    width_ = 97;
    height_ = 17;
    TabStop = true;
    color_ = clBtnFace;
    parentColor_ = true;
    // Clicks come from the platform's notification, mouse or keyboard alike.
    ControlStyle &= ~csClickEvents;
}

void TCheckBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "BUTTON";
    p.style |= BS_AUTOCHECKBOX | (TabStop ? WS_TABSTOP : 0);
}

void TCheckBox::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(wnd_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const {
    if (wnd_) return SendMessageA(wnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void TCheckBox::SetChecked(bool v) {
    checked_ = v;
    if (wnd_) SendMessageA(wnd_, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::WndProc(TMessage& m) {
    if (m.msg == kReflect + WM_COMMAND && HIWORD(m.wParam) == BN_CLICKED) {
        checked_ = Checked();
        Click();
        return;
    }
    if (m.msg == WM_DESTROY) checked_ = Checked();
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- push button

namespace {
const EnumNames kModalResultNames = {"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore",
                                     "mrYes",  "mrNo", "mrAll",    "mrNoToAll", "mrYesToAll"};
}  // namespace

CX_IMPLEMENT_CLASS(TButton, TWinControl, CX_CREATE(TButton), {
    p.Bool("Default", &TButton::Default, &TButton::SetDefault, false);
    p.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
    // Stored as a number or as a name (mrOk).
    p.Custom("ModalResult", [](TButton& b, TReader& r) {
        layout::Value v = r.ReadValue();
        if (v.tag == layout::Tag::Int) {
            b.ModalResult = v.i;
        } else if (v.tag == layout::Tag::Ident) {
            int k = EnumOrdinal(kModalResultNames, v.s);
            if (k < 0) r.Fail("ModalResult " + v.s + " is not a modal result");
            b.ModalResult = k;
        } else {
            r.Fail("ModalResult must be a number or a modal result name");
        }
    });
    ci->Own().back().write = [](TPersistent& o, layout::Value& v) {
        auto& b = static_cast<TButton&>(o);
        if (b.ModalResult == 0) return false;
        v = layout::Value::Int(b.ModalResult);
        return true;
    };
})

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    width_ = 75;
    height_ = 25;
    TabStop = true;
    color_ = clBtnFace;
    parentColor_ = true;
    // Clicks come from the platform's notification, mouse or keyboard alike.
    ControlStyle &= ~csClickEvents;
}

void TButton::SetDefault(bool v) {
    default_ = v;
    UpdateDefaultLook(nullptr);
}

void TButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "BUTTON";
    p.style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (TabStop ? WS_TABSTOP : 0);
}

void TButton::UpdateDefaultLook(TButton* focusedButton) {
    if (!wnd_) return;
    bool look = focusedButton ? focusedButton == this : default_;
    LONG style = GetWindowLongA(wnd_, GWL_STYLE);
    bool now = (style & 0x0F) == BS_DEFPUSHBUTTON;
    if (look != now) SendMessageA(wnd_, BM_SETSTYLE, look ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (ModalResult != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->ModalResult = ModalResult;
    TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
    if (m.msg == kReflect + WM_COMMAND && HIWORD(m.wParam) == BN_CLICKED) {
        Click();
        return;
    }
    TWinControl::WndProc(m);
}
