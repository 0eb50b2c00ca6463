#include "Menus.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "Forms.h"
#include "ImgList.h"
#include "WideText.h"

// ---------------------------------------------------------------- shortcuts

namespace {

struct KeyName {
    WORD vk;
    const char* name;
};
// Names as captions show them first; other spellings read back too.
const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},        {VK_RETURN, "Enter"},   {VK_ESCAPE, "Esc"},   {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},      {VK_END, "End"},        {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},       {VK_RIGHT, "Right"},    {VK_DOWN, "Down"},      {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
    {VK_BACK, "Backspace"}, {VK_RETURN, "Return"}, {VK_ESCAPE, "Escape"}, {VK_PRIOR, "PageUp"},
    {VK_NEXT, "PageDown"}, {VK_INSERT, "Insert"}, {VK_DELETE, "Delete"},
};

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string KeyText(WORD vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, static_cast<char>(vk));
    if (vk >= VK_F1 && vk <= VK_F24) return "F" + std::to_string(vk - VK_F1 + 1);
    for (const auto& k : kKeyNames)
        if (k.vk == vk) return k.name;
    return {};
}

WORD KeyFromText(const std::string& t) {
    if (t.size() == 1) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<WORD>(c);
    }
    std::string l = Lower(t);
    if (l.size() >= 2 && l[0] == 'f' && std::all_of(l.begin() + 1, l.end(), ::isdigit)) {
        int n = std::stoi(l.substr(1));
        if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
    }
    for (const auto& k : kKeyNames)
        if (Lower(k.name) == l) return k.vk;
    return 0;
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
    if (key == 0 || key > 0xFF) return scNone;
    TShortCut s = static_cast<TShortCut>(key);
    if (shift & ssShift) s |= scShift;
    if (shift & ssCtrl) s |= scCtrl;
    if (shift & ssAlt) s |= scAlt;
    return s;
}

std::string ShortCutToText(TShortCut s) {
    std::string key = KeyText(static_cast<WORD>(s & 0xFF));
    if (key.empty()) return {};
    std::string out;
    if (s & scShift) out += "Shift+";
    if (s & scCtrl) out += "Ctrl+";
    if (s & scAlt) out += "Alt+";
    return out + key;
}

TShortCut TextToShortCut(const std::string& text) {
    TShortCut mods = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t plus = text.find('+', start);
        // A "+" at the very end is the key itself.
        if (plus == std::string::npos || plus + 1 == text.size()) break;
        std::string m = Lower(text.substr(start, plus - start));
        if (m == "shift") mods |= scShift;
        else if (m == "ctrl" || m == "control") mods |= scCtrl;
        else if (m == "alt") mods |= scAlt;
        else return scNone;
        start = plus + 1;
    }
    WORD vk = KeyFromText(text.substr(start));
    return vk ? static_cast<TShortCut>(vk | mods) : scNone;
}

// ---------------------------------------------------------------- command ids

namespace {
// Command ids live in the low word of WM_COMMAND; below 0x100 are the
// dialog ids (IDOK, IDCANCEL...) that a window may also receive.
constexpr UINT kFirstCommand = 0x100, kLastCommand = 0xEFFF;

std::map<UINT, TMenuItem*>& Commands() {
    static std::map<UINT, TMenuItem*> m;
    return m;
}
std::map<HMENU, TMenuItem*>& MenuHandles() {
    static std::map<HMENU, TMenuItem*> m;
    return m;
}
std::vector<UINT>& FreeCommands() {
    static std::vector<UINT> v;
    return v;
}
UINT NewCommand(TMenuItem* item) {
    static UINT next = kFirstCommand;
    UINT id;
    if (!FreeCommands().empty()) {
        id = FreeCommands().back();
        FreeCommands().pop_back();
    } else {
        if (next > kLastCommand) throw EOutOfResources("Too many menu items");
        id = next++;
    }
    Commands()[id] = item;
    return id;
}

void AssignLogFont(TFont& f, const LOGFONTA& lf) {
    f.SetName(lf.lfFaceName);
    f.SetHeight(lf.lfHeight);
    TFontStyles st = 0;
    if (lf.lfWeight >= FW_BOLD) st |= fsBold;
    if (lf.lfItalic) st |= fsItalic;
    if (lf.lfUnderline) st |= fsUnderline;
    if (lf.lfStrikeOut) st |= fsStrikeOut;
    f.SetStyle(st);
    f.SetCharset(lf.lfCharSet);
}

// The system's menu font (the system font when it cannot be read).
LOGFONTA MenuFont() {
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return ncm.lfMenuFont;
    LOGFONTA lf{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    return lf;
}

void PrepareMenuCanvas(TCanvas& c, bool bold) {
    LOGFONTA lf = MenuFont();
    if (bold) lf.lfWeight = FW_BOLD;
    AssignLogFont(c.Font, lf);
    c.Font.SetColor(clMenuText);
    c.Brush.SetColor(clMenu);
}

constexpr int kGutter = 24;  // the picture or check column of a drawn item
}  // namespace

// ---------------------------------------------------------------- TMenuItem

CX_IMPLEMENT_CLASS(TMenuItem, TComponent, CX_CREATE(TMenuItem), {
    p.Str("Caption", [](TMenuItem& m) { return m.Caption; }, [](TMenuItem& m, const std::string& v) { m.Caption = v; });
    p.Bool("Checked", [](TMenuItem& m) { return m.Checked; }, [](TMenuItem& m, bool v) { m.Checked = v; }, false);
    p.Bool("Enabled", [](TMenuItem& m) { return m.Enabled; }, [](TMenuItem& m, bool v) { m.Enabled = v; }, true);
    p.Bool("Visible", [](TMenuItem& m) { return m.Visible; }, [](TMenuItem& m, bool v) { m.Visible = v; }, true);
    p.Bool("Default", [](TMenuItem& m) { return m.Default; }, [](TMenuItem& m, bool v) { m.Default = v; }, false);
    p.Int("ImageIndex", [](TMenuItem& m) { return m.ImageIndex; }, [](TMenuItem& m, int v) { m.ImageIndex = v; }, -1);
    p.Str("Hint", [](TMenuItem& m) { return m.Hint; }, [](TMenuItem& m, const std::string& v) { m.Hint = v; },
          std::string());
    // Stored as the shortcut's text ("Ctrl+S") or as its number.
    p.Custom("ShortCut", [](TMenuItem& m, TReader& r) {
        layout::Value v = r.ReadValue();
        if (v.tag == layout::Tag::Int) {
            if (v.i < 0 || v.i > 0xFFFF) r.Fail("ShortCut " + std::to_string(v.i) + " is out of range");
            m.ShortCut = static_cast<TShortCut>(v.i);
        } else if (v.tag == layout::Tag::String || v.tag == layout::Tag::Ident) {
            m.ShortCut = TextToShortCut(v.s);
            if (!m.ShortCut && !v.s.empty()) r.Fail("ShortCut \"" + v.s + "\" names no key");
        } else {
            r.Fail("ShortCut must be a text or a number");
        }
    });
    ci->Own().back().write = [](TPersistent& o, layout::Value& v) {
        auto& m = static_cast<TMenuItem&>(o);
        if (m.ShortCut == scNone) return false;
        std::string text = ShortCutToText(m.ShortCut);
        v = text.empty() ? layout::Value::Int(m.ShortCut) : layout::Value::Str(text);
        return true;
    };
    p.Event("OnClick", &TMenuItem::OnClick);
    p.Event("OnMeasureItem", &TMenuItem::OnMeasureItem);
    p.Event("OnDrawItem", &TMenuItem::OnDrawItem);
    p.Event("OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem);
})

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) { command_ = NewCommand(this); }

TMenuItem::~TMenuItem() {
    for (TMenuItem* i : items_) i->parent_ = nullptr;
    items_.clear();
    if (parent_) parent_->Remove(this);
    if (handle_) {
        // Emptied first: destroying a menu destroys the sub-menus it holds,
        // and those belong to their own items.
        HMENU h = handle_.Get();
        while (GetMenuItemCount(h) > 0) RemoveMenu(h, 0, MF_BYPOSITION);
        MenuHandles().erase(h);
        handle_.Reset();
    }
    Commands().erase(command_);
    FreeCommands().push_back(command_);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item || item == this) return;
    for (TMenuItem* p = this; p; p = p->parent_)
        if (p == item) throw EInvalidOperation("A menu item cannot hold one of the items above it");
    if (item->parent_) item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    ChildrenChanged();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
    ChildrenChanged();
}

void TMenuItem::ChildrenChanged() {
    // The platform menu must stop naming a removed item's sub-menu at once.
    stale_ = true;
    if (handle_) Sync();
}

TMenu* TMenuItem::ParentMenu() const {
    const TMenuItem* p = this;
    while (p->parent_) p = p->parent_;
    return p->menu_;
}

void TMenuItem::AdoptChild(TComponent* child) {
    if (auto* i = dynamic_cast<TMenuItem*>(child)) Add(i);
}

void TMenuItem::Click() {
    if (Enabled && OnClick) OnClick(this);
}

bool TMenuItem::EffectivelyEnabled() const {
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (!p->Enabled) return false;
    return true;
}

bool TMenuItem::EffectivelyVisible() const {
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (!p->Visible) return false;
    return true;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut s) {
    if (s == scNone) return nullptr;
    for (TMenuItem* i : items_) {
        if (!i->Visible) continue;
        if (i->ShortCut == s) return i;
        if (TMenuItem* found = i->FindShortCut(s)) return found;
    }
    return nullptr;
}

std::string TMenuItem::DisplayCaption() const {
    bool onBar = parent_ && parent_->bar_;
    if (ShortCut == scNone || onBar) return Caption;
    return Caption + "\t" + ShortCutToText(ShortCut);
}

bool TMenuItem::IsOwnerDrawn() const {
    if (parent_ && parent_->bar_) return false;  // the bar keeps the platform's look
    return OnMeasureItem || OnDrawItem || OnAdvancedDrawItem;
}

bool TMenuItem::DrawsPicture() const {
    if ((parent_ && parent_->bar_) || IsLine() || IsOwnerDrawn()) return false;
    // With pictures every item of the menu has the picture column, so that
    // captions line up whether an item has a picture or not, and check marks
    // are drawn in that column too.
    TMenu* m = ParentMenu();
    return m && (m->OwnerDraw || m->images_);
}

TMenuItem* TMenuItem::FindCommand(UINT id) {
    auto it = Commands().find(id);
    return it == Commands().end() ? nullptr : it->second;
}

TMenuItem* TMenuItem::FindHandle(HMENU menu) {
    auto it = MenuHandles().find(menu);
    return it == MenuHandles().end() ? nullptr : it->second;
}

HMENU TMenuItem::Handle() {
    if (!handle_) {
        bar_ = !parent_ && menu_ && menu_->IsBar();
        handle_.Reset(bar_ ? CreateMenu() : CreatePopupMenu());
        if (!handle_) throw EOutOfResources("Cannot create a menu");
        MenuHandles()[handle_.Get()] = this;
        stale_ = true;
        Sync();
    }
    return handle_.Get();
}

bool TMenuItem::Sync() {
    if (!handle_) return false;
    bool changed = false;
    // What the platform menu should hold, as text; rebuilt when it differs.
    std::string want;
    std::vector<TMenuItem*> shown;
    for (TMenuItem* i : items_) {
        if (!i->Visible) continue;
        shown.push_back(i);
        if (i->Count() > 0) i->Handle();
        want += std::to_string(i->command_) + (i->Checked ? "c" : "") + (i->Enabled ? "" : "g") +
                (i->Default ? "d" : "") + (i->IsLine() ? "-" : "") + (i->IsOwnerDrawn() ? "o" : "") +
                (i->DrawsPicture() ? "b" : "") + (i->Count() > 0 ? "p" : "") + "|" + i->DisplayCaption() + '\0';
    }
    if (stale_ || want != built_) {
        HMENU h = handle_.Get();
        while (GetMenuItemCount(h) > 0) RemoveMenu(h, 0, MF_BYPOSITION);
        bool pictures = false;
        UINT pos = 0;
        for (TMenuItem* i : shown) {
            // Every item keeps its caption and shortcut in the platform menu,
            // so that other programs (a screen reader) read it and the
            // platform finds its "&" letter; only pictures, check marks in
            // the picture column and wholly drawn items are the program's.
            std::wstring text = WideFromAnsi(i->DisplayCaption());
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU;
            const bool drawn = i->IsOwnerDrawn();
            mi.fType = drawn ? MFT_OWNERDRAW : i->IsLine() ? MFT_SEPARATOR : MFT_STRING;
            if (!i->IsLine()) {
                mi.fMask |= MIIM_STRING;
                mi.dwTypeData = text.data();
            }
            if (i->DrawsPicture()) {
                mi.fMask |= MIIM_BITMAP;
                mi.hbmpItem = HBMMENU_CALLBACK;
                pictures = true;
            }
            mi.fState = (i->Checked ? MFS_CHECKED : 0u) | (i->Enabled ? 0u : MFS_GRAYED) |
                        (i->Default ? MFS_DEFAULT : 0u);
            mi.wID = i->command_;
            mi.dwItemData = i->command_;
            mi.hSubMenu = i->Count() > 0 ? i->handle_.Get() : nullptr;
            InsertMenuItemW(h, pos++, TRUE, &mi);
        }
        if (!bar_) {
            // The picture column takes the place of the platform's check
            // column: the check mark of an item there is drawn with its
            // picture (the item's checked state stays the platform's).
            MENUINFO info{};
            info.cbSize = sizeof info;
            info.fMask = MIM_STYLE;
            info.dwStyle = pictures ? MNS_NOCHECK : 0;
            SetMenuInfo(h, &info);
        }
        built_ = want;
        stale_ = false;
        changed = true;
    }
    for (TMenuItem* i : shown)
        if (i->Count() > 0 && i->Sync()) changed = true;
    return changed;
}

void TMenuItem::MeasureItem(MEASUREITEMSTRUCT& m) {
    TMenu* menu = ParentMenu();
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    if (!IsOwnerDrawn()) {
        // The picture column: a picture and the space before the caption.
        // The platform adds a pixel above and below.
        m.itemWidth = static_cast<UINT>((images ? images->Width() : 16) + kGutter - 16);
        m.itemHeight = static_cast<UINT>((images ? images->Height() : 16) + 2);
        return;
    }
    WindowDc dc(nullptr);
    TCanvas c;
    c.SetHandle(dc);
    PrepareMenuCanvas(c, Default);
    int w = 0, h = 0;
    if (IsLine()) {
        h = 8;
    } else {
        RECT r{0, 0, 0, 0};
        SelectObject(dc, c.Font.Handle());
        DrawTextA(dc, Caption.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
        w = kGutter + (r.right - r.left) + 12;
        if (ShortCut) w += 24 + c.TextWidth(ShortCutToText(ShortCut));
        h = std::max<int>(r.bottom - r.top + 4, (images ? images->Height() : 16) + 4);
    }
    if (OnMeasureItem) OnMeasureItem(this, &c, w, h);
    c.SetHandle(nullptr);
    m.itemWidth = static_cast<UINT>(std::max(0, w));
    m.itemHeight = static_cast<UINT>(std::max(0, h));
}

void TMenuItem::DrawItem(const DRAWITEMSTRUCT& d) {
    TOwnerDrawState st = 0;
    if (d.itemState & ODS_SELECTED) st |= odSelected;
    if (d.itemState & ODS_GRAYED) st |= odGrayed;
    if (d.itemState & ODS_DISABLED) st |= odDisabled;
    if (d.itemState & ODS_CHECKED) st |= odChecked;
    if (d.itemState & ODS_FOCUS) st |= odFocused;
    if (d.itemState & ODS_DEFAULT) st |= odDefault;
    if (d.itemState & ODS_HOTLIGHT) st |= odHotLight;
    if (d.itemState & ODS_INACTIVE) st |= odInactive;
    if (d.itemState & ODS_NOACCEL) st |= odNoAccel;
    if (d.itemState & ODS_NOFOCUSRECT) st |= odNoFocusRect;
    if (!IsOwnerDrawn()) {
        DrawPicture(d, !Enabled || (st & (odGrayed | odDisabled)) != 0);
        return;
    }
    TCanvas c;
    c.SetHandle(d.hDC);
    PrepareMenuCanvas(c, Default);
    const bool selected = (st & odSelected) != 0;
    if (selected) {
        c.Brush.SetColor(clHighlight);
        c.Font.SetColor(clHighlightText);
    }
    if (st & (odGrayed | odDisabled)) c.Font.SetColor(clGrayText);
    c.RequireObjects();
    if (OnAdvancedDrawItem) OnAdvancedDrawItem(this, &c, d.rcItem, st);
    else if (OnDrawItem) OnDrawItem(this, &c, d.rcItem, selected);
    else c.FillRect(d.rcItem);
    c.SetHandle(nullptr);
}

void TMenuItem::DrawPicture(const DRAWITEMSTRUCT& d, bool disabled) {
    // The platform has drawn the row (its background, caption and shortcut);
    // this is the picture column on it, see-through.
    TMenu* menu = ParentMenu();
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    const RECT r = d.rcItem;
    // The picture at the column's start (the rest of it is the space before
    // the caption), a check mark where the picture would be.
    const int width = images ? images->Width() : 16;
    const int midX = r.left + width / 2, midY = (r.top + r.bottom) / 2;
    if (images && ImageIndex >= 0 && ImageIndex < images->Count()) {
        const int x = r.left, y = midY - images->Height() / 2;
        if (Checked) {
            RECT box{x - 2, y - 2, x + images->Width() + 2, y + images->Height() + 2};
            DrawEdge(d.hDC, &box, BDR_SUNKENOUTER, BF_RECT);
        }
        TCanvas c;
        c.SetHandle(d.hDC);
        images->Draw(c, x, y, ImageIndex, !disabled);
        c.SetHandle(nullptr);
        return;
    }
    if (!Checked) return;
    const bool selected = (d.itemState & ODS_SELECTED) != 0;
    const TColor ink = disabled ? clGrayText : selected ? clHighlightText : clMenuText;
    const int cw = GetSystemMetrics(SM_CXMENUCHECK), ch = GetSystemMetrics(SM_CYMENUCHECK);
    const RECT box{midX - cw / 2, midY - ch / 2, midX - cw / 2 + cw, midY - ch / 2 + ch};
    // The check glyph is drawn black on white into a mask, then in the ink.
    UniqueDc mem(CreateCompatibleDC(d.hDC));
    UniqueBitmap bits(CreateBitmap(cw, ch, 1, 1, nullptr));
    SelectRestorer maskSelected(mem.Get(), bits.Get());
    RECT all{0, 0, cw, ch};
    DrawFrameControl(mem.Get(), &all, DFC_MENU, DFCS_MENUCHECK);
    COLORREF oldText = SetTextColor(d.hDC, RGB(0, 0, 0));
    COLORREF oldBk = SetBkColor(d.hDC, RGB(255, 255, 255));
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(ink)));
    {
        SelectRestorer inkSelected(d.hDC, brush.Get());
        // Where the mask is black, paint the ink; keep the rest.
        BitBlt(d.hDC, box.left, box.top, cw, ch, mem.Get(), 0, 0, 0x00B8074A);
    }
    SetTextColor(d.hDC, oldText);
    SetBkColor(d.hDC, oldBk);
}

// ---------------------------------------------------------------- TMenu

CX_IMPLEMENT_CLASS(TMenu, TComponent, CX_ABSTRACT, {
    p.Ref<TCustomImageList>("Images", &TMenu::SetImages);
    p.Bool("OwnerDraw", [](TMenu& m) { return m.OwnerDraw; }, [](TMenu& m, bool v) { m.OwnerDraw = v; }, false);
})

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) { items_->menu_ = this; }

TMenu::~TMenu() = default;

void TMenu::AdoptChild(TComponent* child) { items_->AdoptChild(child); }

void TMenu::SetImages(TCustomImageList* list) {
    if (images_ == list) return;
    images_ = list;
    if (list) list->FreeNotification(this);
    // Items with pictures change between drawn and plain.
    if (!Has(csLoading)) Sync();
}

void TMenu::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == images_) {
        images_ = nullptr;
        if (!Has(csDestroying)) Sync();
    }
}

void TMenu::Loaded() {
    TComponent::Loaded();
    Sync();
}

bool TMenu::Sync() { return items_->Sync(); }

// ---------------------------------------------------------------- TMainMenu

CX_IMPLEMENT_CLASS(TMainMenu, TMenu, CX_CREATE(TMainMenu), {})

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() { SetWindowHandle(nullptr); }

void TMainMenu::SetWindowHandle(HWND w) {
    if (window_ && window_ != w && IsWindow(window_) && items_->HandleAllocated() &&
        GetMenu(window_) == items_->Handle())
        SetMenu(window_, nullptr);
    window_ = w;
    if (w) {
        HMENU h = Handle();
        Sync();
        if (GetMenu(w) != h) SetMenu(w, h);
    }
}

bool TMainMenu::Sync() {
    bool changed = TMenu::Sync();
    if (changed && window_ && IsWindow(window_)) DrawMenuBar(window_);
    return changed;
}

// ---------------------------------------------------------------- TPopupMenu

CX_IMPLEMENT_CLASS(TPopupMenu, TMenu, CX_CREATE(TPopupMenu), {
    p.Bool("AutoPopup", [](TPopupMenu& m) { return m.AutoPopup; }, [](TPopupMenu& m, bool v) { m.AutoPopup = v; }, true);
    p.Event("OnPopup", &TPopupMenu::OnPopup);
})

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    HMENU h = Handle();
    Sync();
    HWND owner = Application ? Application->PopupOwner() : nullptr;
    UINT id = static_cast<UINT>(
        TrackPopupMenu(h, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    if (id == 0) return;
    DispatchMenuCommand(id);
    if (TCustomForm* f = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(owner))) f->UpdateCommands();
}

// ---------------------------------------------------------------- messages

bool DispatchMenuCommand(UINT id) {
    TMenuItem* item = TMenuItem::FindCommand(id);
    if (!item) return false;
    if (item->EffectivelyEnabled()) item->Click();
    return true;
}

namespace {
// The item a platform owner-draw request names (its data is the command id).
TMenuItem* DrawnItem(ULONG_PTR data) { return TMenuItem::FindCommand(static_cast<UINT>(data)); }
}  // namespace

bool DispatchMenuMessage(TMessage& m) {
    switch (m.msg) {
    case WM_INITMENUPOPUP: {
        if (HIWORD(m.lParam)) return false;  // the window menu
        TMenuItem* item = TMenuItem::FindHandle(reinterpret_cast<HMENU>(m.wParam));
        if (!item) return false;
        // The item over a sub-menu hears of the opening (its click), then
        // the window's update step sets the states, then the menu is rebuilt.
        if (item->ParentItem()) item->Click();
        if (auto* f = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(m.hwnd))) f->UpdateCommands();
        item->Sync();
        m.result = 0;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(m.lParam);
        if (m.wParam != 0 || mi->CtlType != ODT_MENU) return false;
        TMenuItem* item = DrawnItem(mi->itemData);
        if (!item) return false;
        item->MeasureItem(*mi);
        m.result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(m.lParam);
        if (m.wParam != 0 || di->CtlType != ODT_MENU) return false;
        TMenuItem* item = DrawnItem(di->itemData);
        if (!item) return false;
        item->DrawItem(*di);
        m.result = TRUE;
        return true;
    }
    case WM_MENUCHAR: {
        // The platform leaves the "&" letters of wholly drawn items to the
        // window: they are found here.
        TMenuItem* parent = TMenuItem::FindHandle(reinterpret_cast<HMENU>(m.lParam));
        if (!parent) return false;
        char ch = static_cast<char>(LOWORD(m.wParam));
        int pos = 0;
        for (int k = 0; k < parent->Count(); ++k) {
            TMenuItem* i = parent->Items(k);
            if (!i->Visible) continue;
            if (!i->IsLine() && i->Enabled && IsAccel(ch, i->Caption)) {
                m.result = MAKELRESULT(pos, MNC_EXECUTE);
                return true;
            }
            ++pos;
        }
        return false;
    }
    case WM_MENUSELECT: {
        if (!Application) return false;
        UINT flags = HIWORD(m.wParam);
        TMenuItem* item = nullptr;
        if (flags == 0xFFFF && !m.lParam) {
            item = nullptr;  // the menu closed
        } else if (flags & MF_POPUP) {
            HMENU sub = GetSubMenu(reinterpret_cast<HMENU>(m.lParam), LOWORD(m.wParam));
            item = TMenuItem::FindHandle(sub);  // the item that opens the sub-menu
        } else {
            item = TMenuItem::FindCommand(LOWORD(m.wParam));
        }
        std::string hint = item ? GetLongHint(item->Hint) : std::string();
        if (hint != Application->Hint) {
            Application->Hint = hint;
            if (Application->OnHint) Application->OnHint(Application);
        }
        return false;
    }
    case WM_COMMAND:
        // Menus send 0 in the high word, accelerators 1; controls name themselves.
        if (m.lParam != 0 || HIWORD(m.wParam) > 1) return false;
        if (!DispatchMenuCommand(LOWORD(m.wParam))) return false;
        if (auto* f = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(m.hwnd))) f->UpdateCommands();
        m.result = 0;
        return true;
    default: return false;
    }
}
