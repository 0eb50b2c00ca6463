#include "Menus.h"

#include <algorithm>

#include "Forms.h"

CX_IMPLEMENT_CLASS(TMenuItem, TComponent, CX_CREATE(TMenuItem), {
    p.Str("Caption", [](TMenuItem& m) { return m.Caption; }, [](TMenuItem& m, const std::string& v) { m.Caption = v; });
    p.Bool("Checked", [](TMenuItem& m) { return m.Checked; }, [](TMenuItem& m, bool v) { m.Checked = v; }, false);
    p.Bool("Enabled", [](TMenuItem& m) { return m.Enabled; }, [](TMenuItem& m, bool v) { m.Enabled = v; }, true);
    p.Bool("Visible", [](TMenuItem& m) { return m.Visible; }, [](TMenuItem& m, bool v) { m.Visible = v; }, true);
    p.Bool("Default", [](TMenuItem& m) { return m.Default; }, [](TMenuItem& m, bool v) { m.Default = v; }, false);
    p.Event("OnClick", &TMenuItem::OnClick);
})

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    for (TMenuItem* i : items_) i->parent_ = nullptr;
    if (parent_) parent_->Remove(this);
}

void TMenuItem::Add(TMenuItem* item) {
    if (item->parent_) item->parent_->Remove(item);
    items_.push_back(item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->parent_ = nullptr;
}

void TMenuItem::AdoptChild(TComponent* child) {
    if (auto* i = dynamic_cast<TMenuItem*>(child)) Add(i);
}

void TMenuItem::Click() {
    if (Enabled && OnClick) OnClick(this);
}

void TMenuItem::BuildMenu(HMENU menu, UINT& nextId, std::vector<TMenuItem*>& byId) {
    for (TMenuItem* i : items_) {
        if (!i->Visible) continue;
        if (i->Caption == "-") {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (i->Checked ? MF_CHECKED : 0) | (i->Enabled ? 0 : MF_GRAYED);
        if (i->Count() > 0) {
            HMENU sub = CreatePopupMenu();
            i->BuildMenu(sub, nextId, byId);
            AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), i->Caption.c_str());
        } else {
            UINT id = nextId++;
            byId.resize(id + 1, nullptr);
            byId[id] = i;
            AppendMenuA(menu, flags, id, i->Caption.c_str());
            if (i->Default) SetMenuDefaultItem(menu, id, FALSE);
        }
    }
}

CX_IMPLEMENT_CLASS(TMenu, TComponent, CX_ABSTRACT, {})

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

TMenu::~TMenu() = default;

void TMenu::AdoptChild(TComponent* child) { items_->AdoptChild(child); }

CX_IMPLEMENT_CLASS(TPopupMenu, TMenu, CX_CREATE(TPopupMenu), {
    p.Bool("AutoPopup", [](TPopupMenu& m) { return m.AutoPopup; }, [](TPopupMenu& m, bool v) { m.AutoPopup = v; }, true);
    p.Event("OnPopup", &TPopupMenu::OnPopup);
})

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    UniqueMenu menu(CreatePopupMenu());
    UINT next = 1;
    std::vector<TMenuItem*> byId;
    items_->BuildMenu(menu.Get(), next, byId);
    HWND owner = Application ? Application->PopupOwner() : nullptr;
    UINT id = static_cast<UINT>(TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    if (id > 0 && id < byId.size() && byId[id]) byId[id]->Click();
}
