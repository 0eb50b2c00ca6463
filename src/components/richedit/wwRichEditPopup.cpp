// The context menu of the rich text control: twenty items built once, of
// which PopupOptions shows some each time the menu opens, and the items of
// the selected embedded object added each time the control is asked for
// its menu.
#include <windows.h>

#include <ole2.h>
#include <richole.h>

#include "Menus.h"
#include "WideText.h"
#include "wwIntl.h"
#include "wwRichEdit.h"
#include "wwRichEditOle.h"

namespace {
// The items in menu order.
enum PopupItem : int {
    piEdit, piSep2, piCut, piCopy, piPaste, piSep6, piBold, piItalic, piUnderline, piSep10, piFont, piBullet,
    piParagraph, piTabs, piSep15, piFind, piReplace, piSep18, piInsertObject, piSpellCheck, piCount
};
static_assert(piCount == 20);
// The groups of items between the separators.
constexpr unsigned kClipboardItems = rpoPopupCut | rpoPopupCopy | rpoPopupPaste;
constexpr unsigned kStyleItems = rpoPopupBold | rpoPopupItalic | rpoPopupUnderline;
constexpr unsigned kFormatItems = rpoPopupFont | rpoPopupBullet | rpoPopupParagraph | rpoPopupTabs;
constexpr unsigned kFindItems = rpoPopupFind | rpoPopupReplace;
// What a read-only control offers: Edit (as View), Cut, Copy, Paste, Find.
constexpr unsigned kReadOnlyOptions = rpoPopupEdit | kClipboardItems | rpoPopupFind;
// Every option from the given one on, in menu order.
constexpr unsigned PopupOptionsFrom(TwwRichEditPopupOption first) { return kAllPopupOptions & ~(first - 1u); }

bool IsSeparator(int i) { return i == piSep2 || i == piSep6 || i == piSep10 || i == piSep15 || i == piSep18; }

std::string ShortTypeName(const TwwSelectedObject& sel) {
    LPOLESTR w = nullptr;
    if (!(sel.object && SUCCEEDED(sel.object->GetUserType(USERCLASSTYPE_SHORT, &w)) && w))
        if (FAILED(OleRegGetUserType(sel.record.clsid, USERCLASSTYPE_SHORT, &w))) w = nullptr;
    if (!w) return std::string();
    std::string s = AnsiFromWide(w);
    CoTaskMemFree(w);
    return s;
}
}  // namespace

TMenuItem* TwwCustomRichEdit::BuiltInPopupItem(int index) const {
    return index >= 0 && index < piCount ? popupItems_[static_cast<std::size_t>(index)] : nullptr;
}

void TwwCustomRichEdit::CreatePopupMenu() {
    builtInPopup_ = new TPopupMenu(this);
    builtInPopup_->OnPopup = [this](TObject*) { PopupMenuOpening(); };
    // A style toggle sets the effect the item's check says is not there yet.
    auto toggle = [this](TFontStyle effect) {
        return [this, effect](TObject* sender) {
            auto* item = static_cast<TMenuItem*>(sender);
            SetStyleEffect(effect, !item->Checked);
            item->Checked = !item->Checked;
        };
    };
    std::array<TNotifyEvent, piCount> actions{};
    actions[piEdit] = [this](TObject*) { EditInWindow(); };
    actions[piCut] = [this](TObject*) { CutToClipboard(); };
    actions[piCopy] = [this](TObject*) { CopyToClipboard(); };
    actions[piPaste] = [this](TObject*) { PasteFromClipboard(); };
    actions[piBold] = toggle(fsBold);
    actions[piItalic] = toggle(fsItalic);
    actions[piUnderline] = toggle(fsUnderline);
    actions[piFont] = [this](TObject*) { ShowFontDialog(); };
    actions[piBullet] = [this](TObject* sender) {
        auto* item = static_cast<TMenuItem*>(sender);
        SetBullets(!item->Checked);
        item->Checked = !item->Checked;
    };
    actions[piParagraph] = [this](TObject*) { ShowParagraphDialog(); };
    actions[piTabs] = [this](TObject*) { ShowTabsDialog(); };
    actions[piFind] = [this](TObject*) { ShowFindDialog(); };
    actions[piReplace] = [this](TObject*) { ShowReplaceDialog(); };
    actions[piInsertObject] = [this](TObject*) { InsertObjectDialog(); };
    actions[piSpellCheck] = [this](TObject*) { SpellCheck(); };
    for (int i = 0; i < piCount; ++i) {
        auto* item = new TMenuItem(builtInPopup_);
        builtInPopup_->Items()->Add(item);
        item->OnClick = std::move(actions[static_cast<std::size_t>(i)]);
        popupItems_[static_cast<std::size_t>(i)] = item;
    }
    SetPopupCaptions();
    if (!PopupMenu()) SetPopupMenu(builtInPopup_);
}

void TwwCustomRichEdit::SetPopupCaptions() {
    if (!builtInPopup_) return;
    const TwwRichEditPopupMenuLabels& l = WwIntl().RichEdit.PopupMenuLabels;
    const std::string* captions[piCount] = {
        &l.EditCaption, nullptr, &l.CutCaption, &l.CopyCaption, &l.PasteCaption, nullptr, &l.BoldCaption,
        &l.ItalicCaption, &l.UnderlineCaption, nullptr, &l.FontCaption, &l.BulletStyleCaption, &l.ParagraphCaption,
        &l.TabsCaption, nullptr, &l.FindCaption, &l.ReplaceCaption, nullptr, &l.InsertObjectCaption,
        &l.SpellCheckCaption};
    for (int i = 0; i < piCount; ++i)
        popupItems_[static_cast<std::size_t>(i)]->Caption = IsSeparator(i) ? "-" : *captions[i];
}

void TwwCustomRichEdit::PopupMenuOpening() {
    popupPending_ = false;
    // A working copy of the options: what this opening shows.
    unsigned o = PopupOptions;
    // Spell checking belongs to a control family this program does not have.
    if (!ClassType().InheritsFromName("TwwDBRichEditMSWord")) o &= ~static_cast<unsigned>(rpoPopupMSWordSpellCheck);
    const bool readOnly = GetReadOnly();
    const TwwRichEditPopupMenuLabels& l = WwIntl().RichEdit.PopupMenuLabels;
    if (readOnly) o &= kReadOnlyOptions;
    popupItems_[piEdit]->Caption = readOnly ? l.ViewCaption : l.EditCaption;

    auto any = [o](unsigned bits) { return (o & bits) != 0; };
    const bool insertObject = any(rpoPopupInsertObject) && !(OleOptions() & reoDisableOLE);
    // A separator shows with an item of the group before it and one after it.
    const bool shown[piCount] = {
        any(rpoPopupEdit),
        any(rpoPopupEdit) && any(PopupOptionsFrom(rpoPopupCut)),
        any(rpoPopupCut), any(rpoPopupCopy), any(rpoPopupPaste),
        any(kClipboardItems) && any(PopupOptionsFrom(rpoPopupBold)),
        any(rpoPopupBold), any(rpoPopupItalic), any(rpoPopupUnderline),
        any(kStyleItems) && any(PopupOptionsFrom(rpoPopupFont)),
        any(rpoPopupFont), any(rpoPopupBullet), any(rpoPopupParagraph), any(rpoPopupTabs),
        any(kFormatItems) && (any(kFindItems) || insertObject || any(rpoPopupMSWordSpellCheck)),
        any(rpoPopupFind), any(rpoPopupReplace),
        insertObject && any(kFindItems),
        insertObject,
        any(rpoPopupMSWordSpellCheck)};
    for (int i = 0; i < piCount; ++i) popupItems_[static_cast<std::size_t>(i)]->Visible = shown[i];

    const bool selection = HasSelection();
    popupItems_[piCut]->Enabled = selection && !readOnly;
    popupItems_[piCopy]->Enabled = selection;
    popupItems_[piPaste]->Enabled = !readOnly && CanPaste();
    popupItems_[piBullet]->Checked = GetParagraphFormat().wNumbering != 0;
    const TFontStyles style = SelAttributes()->Style();
    popupItems_[piBold]->Checked = (style & fsBold) != 0;
    popupItems_[piItalic]->Checked = (style & fsItalic) != 0;
    popupItems_[piUnderline]->Checked = (style & fsUnderline) != 0;
}

// ---------------------------------------------------------------- the selected object's items

void TwwCustomRichEdit::FreeObjectItems() {
    // Sub-items were added after their item: they go first.
    for (auto it = objectItems_.rbegin(); it != objectItems_.rend(); ++it) delete *it;
    objectItems_.clear();
}

void TwwCustomRichEdit::AddObjectItems(TPopupMenu& menu) {
    FreeObjectItems();
    TwwSelectedObject sel;
    if (!wwGetSelectedObject(*this, sel)) {
        ObjectVerbs.clear();
        return;
    }
    auto add = [this](TMenuItem* parent, const std::string& caption) {
        auto* item = new TMenuItem(this);
        item->Caption = caption;
        parent->Add(item);
        objectItems_.push_back(item);
        return item;
    };
    const TwwRichEditPopupMenuLabels& l = WwIntl().RichEdit.PopupMenuLabels;
    add(menu.Items(), "-");
    add(menu.Items(), l.ObjectPropertiesCaption)->OnClick = [this](TObject*) { ObjectPropertiesDialog(); };
    TMenuItem* object = add(menu.Items(), ShortTypeName(sel) + " &Object");
    if (GetReadOnly()) {
        object->Enabled = false;
        ObjectVerbs.clear();
        return;
    }
    ObjectVerbs = SelectedObjectVerbs();
    for (std::size_t k = 0; k < ObjectVerbs.size(); ++k) {
        TMenuItem* verb = add(object, ObjectVerbs[k].name);
        verb->Default = ObjectVerbs[k].verb == 0;
        verb->OnClick = [this, k](TObject*) { ExecuteVerb(static_cast<int>(k)); };
    }
}

TPopupMenu* TwwCustomRichEdit::GetPopupMenu() {
    TPopupMenu* menu = PopupMenu();
    if (!menu) return nullptr;
    menu->PopupComponent = this;
    if ((OleOptions() & reoAdjustPopupMenu) && OleInterface()) AddObjectItems(*menu);
    return menu;
}
