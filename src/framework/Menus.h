// Menus: items with captions, shortcuts, checks, pictures and click
// handlers, shown as a form's main menu or as a popup menu. The platform
// menus hold every item's caption and shortcut as text, so that other
// programs (screen readers) can read them; the framework draws only the
// pictures (the platform's bitmap callback) and items with draw events.
//
// Every item holds one command id for its whole life, so the platform menus
// built from the items (and the commands they send while they are open) keep
// their ids. The items' fields are the truth: the platform menu of an item is
// brought up to date from them just before it opens (WM_INITMENUPOPUP) and
// after each update step of the form.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Handles.h"

class TMenu;
class TCustomImageList;

// A key with its modifiers: the virtual-key code in the low byte.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
TShortCut ShortCut(WORD key, TShiftState shift);
// "Ctrl+S", "Shift+Ctrl+F3", "Del"; empty for none.
std::string ShortCutToText(TShortCut s);
// The reverse ("ctrl+s", "Control+Shift+Z", "F3", "Ctrl+Del" are read too);
// 0 when the text names no key.
TShortCut TextToShortCut(const std::string& text);

enum TOwnerDrawStateFlag : unsigned {
    odSelected = 1, odGrayed = 2, odDisabled = 4, odChecked = 8, odFocused = 16, odDefault = 32, odHotLight = 64,
    odInactive = 128, odNoAccel = 256, odNoFocusRect = 512
};
using TOwnerDrawState = unsigned;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, const RECT& ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, const RECT& ARect, TOwnerDrawState State)>;

class TMenuItem : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    std::string Caption;  // "-" makes a separator
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;
    TShortCut ShortCut = scNone;
    int ImageIndex = -1;  // picture from the menu's Images
    std::string Hint;     // its long part goes to the application's hint while the item is selected
    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const { return items_[static_cast<std::size_t>(i)]; }
    int IndexOf(const TMenuItem* item) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    TMenuItem* ParentItem() const { return parent_; }
    TMenu* ParentMenu() const;
    bool IsLine() const { return Caption == "-"; }
    // Runs the click handler when the item is enabled.
    virtual void Click();
    void AdoptChild(TComponent* child) override;

    // The command id the platform menus carry for this item.
    UINT Command() const { return command_; }
    // The platform menu of this item's children (made on first use).
    HMENU Handle();
    bool HandleAllocated() const { return static_cast<bool>(handle_); }
    // Brings the platform menu of the children up to date with their fields;
    // true when it changed.
    bool Sync();
    // Enabled and visible, with every item above it.
    bool EffectivelyEnabled() const;
    bool EffectivelyVisible() const;
    // The first visible item here or below with this shortcut.
    TMenuItem* FindShortCut(TShortCut s);
    // The caption the platform shows: the caption, then the shortcut after a tab.
    std::string DisplayCaption() const;
    // Wholly drawn by the window (the item has owner-draw events); the
    // platform menu still holds its caption.
    bool IsOwnerDrawn() const;
    // The platform draws the caption and the framework the picture column
    // (the picture, or the check mark of an item without one): an item of a
    // menu with pictures or OwnerDraw, not a separator, not on the bar.
    bool DrawsPicture() const;

    static TMenuItem* FindCommand(UINT id);
    static TMenuItem* FindHandle(HMENU menu);

    // The platform's requests for this item: the whole item when it is
    // owner-drawn, else its picture column.
    void MeasureItem(MEASUREITEMSTRUCT& m);
    void DrawItem(const DRAWITEMSTRUCT& d);

private:
    void DrawPicture(const DRAWITEMSTRUCT& d, bool disabled);
    friend class TMenu;
    void ChildrenChanged();
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on the root item of a menu
    UINT command_ = 0;
    UniqueMenu handle_;
    bool bar_ = false;        // the handle is a menu bar
    std::string built_;       // what the platform menu holds, as last built
    bool stale_ = true;       // rebuild whatever built_ says
};

class TMenu : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    TMenuItem* Items() { return items_; }
    void AdoptChild(TComponent* child) override;
    HMENU Handle() { return items_->Handle(); }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* list);
    // Every item has the framework's picture column, pictures or not.
    bool OwnerDraw = false;
    // The first visible item with this shortcut, or null.
    TMenuItem* FindShortCut(TShortCut s) { return items_->FindShortCut(s); }
    // Brings the platform menus up to date; true when one changed.
    virtual bool Sync();

protected:
    void Notification(TComponent* c, TOperation op) override;
    void Loaded() override;
    virtual bool IsBar() const { return false; }
    TMenuItem* items_;
    TCustomImageList* images_ = nullptr;
    friend class TMenuItem;
};

// The menu bar of a form (the form's Menu property).
class TMainMenu : public TMenu {
    CX_DECLARE_CLASS()
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    // The form window showing the menu, or null.
    HWND WindowHandle() const { return window_; }
    void SetWindowHandle(HWND w);
    bool Sync() override;

protected:
    bool IsBar() const override { return true; }
    HWND window_ = nullptr;
};

class TPopupMenu : public TMenu {
    CX_DECLARE_CLASS()
public:
    explicit TPopupMenu(TComponent* owner);
    bool AutoPopup = true;
    TComponent* PopupComponent = nullptr;
    TNotifyEvent OnPopup;
    // Shows the menu at a screen point and runs the chosen item's click.
    virtual void Popup(int x, int y);
};

// The menu messages a window receives (WM_INITMENU, WM_INITMENUPOPUP,
// WM_MEASUREITEM and WM_DRAWITEM for menus, WM_MENUCHAR, WM_MENUSELECT and
// menu or accelerator WM_COMMAND): true when one of the framework's menus took it.
bool DispatchMenuMessage(TMessage& m);
// Runs the click of the item with this command id; false when there is none.
bool DispatchMenuCommand(UINT id);
