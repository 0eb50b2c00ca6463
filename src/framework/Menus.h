// Menus: items with captions, checks and click handlers, shown as a popup
// menu or a window's main menu.
#pragma once

#include <windows.h>

#include "Classes.h"
#include "Handles.h"

class TMenuItem : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    std::string Caption;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;
    TNotifyEvent OnClick;
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const { return items_[static_cast<std::size_t>(i)]; }
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    TMenuItem* ParentItem() const { return parent_; }
    void Click();
    void AdoptChild(TComponent* child) override;
    // Builds a platform menu of the visible children; command ids from next.
    void BuildMenu(HMENU menu, UINT& nextId, std::vector<TMenuItem*>& byId);

private:
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
};

class TMenu : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    TMenuItem* Items() { return items_; }
    void AdoptChild(TComponent* child) override;

protected:
    TMenuItem* items_;
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
