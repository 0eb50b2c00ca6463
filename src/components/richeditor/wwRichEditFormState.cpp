// The editor window's command table: one row per command, naming the menu
// item, the tool-bar button and the context-menu item that carry it, with
// the rules that give them their visible, enabled and checked (down) states
// from one snapshot of the editor. Handlers never set these states
// themselves: they run their command and ask for an update.
#include "richedit/wwIntl.h"
#include "wwRichEditForm.h"
#include "wwRuler.h"

namespace {

// What the rules read, taken at once.
struct EditorSnapshot {
    // The window as its options made it; fixed once it shows.
    unsigned options = 0;
    bool readOnly = false, objects = false;
    // The document, the clipboard and the bars.
    bool canPaste = false, canUndo = false, canRedo = false, selection = false, text = false, searched = false;
    bool toolBar = false, formatBar = false, statusBar = false, ruler = false;
    // The selection's character and paragraph format: read by the full
    // update only (the idle update leaves what depends on it alone).
    bool format = false;
    TFontStyles style = 0;
    bool bullets = false, highlighted = false;
    WORD alignment = PFA_LEFT;  // PFA_LEFT, PFA_CENTER, PFA_RIGHT or PFA_JUSTIFY
};

using Rule = bool (*)(const EditorSnapshot&);
using F = TwwRichEditForm;

struct CommandRow {
    const char* command;
    TMenuItem* F::*item;      // null: no menu item
    TSpeedButton* F::*button;  // null: no tool or format bar button
    int popup;                 // the editor control's context-menu item (its place), -1: none
    Rule visible;              // item and button; null: as the layout has them
    Rule enabled;              // null: always enabled
    Rule checked;              // item checked, button down, popup item checked; null: no such state
    bool fromFormat = false;   // checked reads the selection's format
};

// The places of the context menu's items (TwwCustomRichEdit::BuiltInPopupItem);
// its items' visibility is its own (the editor control's PopupOptions).
enum : int { pCut = 2, pCopy = 3, pPaste = 4, pBold = 6, pItalic = 7, pUnderline = 8, pBullets = 11 };

// The rules.
bool Writable(const EditorSnapshot& s) { return !s.readOnly; }
bool LoadShown(const EditorSnapshot& s) { return s.options & reoShowLoad; }
bool SaveAsShown(const EditorSnapshot& s) { return s.options & reoShowSaveAs; }
bool SaveExitShown(const EditorSnapshot& s) { return s.options & reoShowSaveExit; }
bool PrintShown(const EditorSnapshot& s) { return s.options & reoShowPrint; }
bool PageSetupShown(const EditorSnapshot& s) { return s.options & reoShowPageSetup; }
bool FileSep1Shown(const EditorSnapshot& s) { return s.options & (reoShowLoad | reoShowSaveExit); }
bool FileSep2Shown(const EditorSnapshot& s) { return s.options & (reoShowPrint | reoShowPageSetup); }
bool ObjectsShown(const EditorSnapshot& s) { return s.objects && !s.readOnly; }
bool JustifyShown(const EditorSnapshot& s) { return (s.options & reoShowJustifyButton) && !s.readOnly; }
bool SpellingShown(const EditorSnapshot& s) { return (s.options & reoShowSpellCheck) && !s.readOnly; }
bool CanUndo(const EditorSnapshot& s) { return s.canUndo; }
bool CanRedo(const EditorSnapshot& s) { return s.canRedo; }
bool CanCut(const EditorSnapshot& s) { return s.selection && !s.readOnly; }
bool CanCopy(const EditorSnapshot& s) { return s.selection; }
bool CanPaste(const EditorSnapshot& s) { return s.canPaste && !s.readOnly; }
bool HasText(const EditorSnapshot& s) { return s.text; }
bool CanFindNext(const EditorSnapshot& s) { return s.searched; }
bool CanReplace(const EditorSnapshot& s) { return s.text && !s.readOnly; }
bool ToolBarShown(const EditorSnapshot& s) { return s.toolBar; }
bool FormatBarShown(const EditorSnapshot& s) { return s.formatBar; }
bool StatusBarShown(const EditorSnapshot& s) { return s.statusBar; }
bool RulerShown(const EditorSnapshot& s) { return s.ruler; }
bool Bullets(const EditorSnapshot& s) { return s.bullets; }
bool Bold(const EditorSnapshot& s) { return s.style & fsBold; }
bool Italic(const EditorSnapshot& s) { return s.style & fsItalic; }
bool Underline(const EditorSnapshot& s) { return s.style & fsUnderline; }
bool Left(const EditorSnapshot& s) { return s.alignment == PFA_LEFT; }
bool Center(const EditorSnapshot& s) { return s.alignment == PFA_CENTER; }
bool Right(const EditorSnapshot& s) { return s.alignment == PFA_RIGHT; }
bool Justified(const EditorSnapshot& s) { return s.alignment == PFA_JUSTIFY; }
bool Highlighted(const EditorSnapshot& s) { return s.highlighted; }

constexpr bool kFormat = true;

// clang-format off
const CommandRow kCommands[] = {
    // command        menu item            button               popup       visible         enabled      checked
    {"New",           nullptr,             &F::NewButton,       -1,         Writable,       nullptr,     nullptr},
    {"Load",          &F::LoadItem,        nullptr,             -1,         LoadShown,      nullptr,     nullptr},
    {"Save As",       &F::SaveAsItem,      nullptr,             -1,         SaveAsShown,    nullptr,     nullptr},
    {"Save and Exit", &F::SaveExitItem,    nullptr,             -1,         SaveExitShown,  nullptr,     nullptr},
    {"FileSep1",      &F::FileSep1,        nullptr,             -1,         FileSep1Shown,  nullptr,     nullptr},
    {"Print",         &F::PrintItem,       &F::PrintButton,     -1,         PrintShown,     nullptr,     nullptr},
    {"Page Setup",    &F::PageSetupItem,   nullptr,             -1,         PageSetupShown, nullptr,     nullptr},
    {"FileSep2",      &F::FileSep2,        nullptr,             -1,         FileSep2Shown,  nullptr,     nullptr},
    {"Undo",          &F::UndoItem,        &F::UndoButton,      -1,         nullptr,        CanUndo,     nullptr},
    {"Redo",          &F::RedoItem,        &F::RedoButton,      -1,         nullptr,        CanRedo,     nullptr},
    {"Cut",           &F::CutItem,         &F::CutButton,       pCut,       nullptr,        CanCut,      nullptr},
    {"Copy",          &F::CopyItem,        &F::CopyButton,      pCopy,      nullptr,        CanCopy,     nullptr},
    {"Paste",         &F::PasteItem,       &F::PasteButton,     pPaste,     nullptr,        CanPaste,    nullptr},
    {"Clear",         &F::ClearItem,       nullptr,             -1,         nullptr,        CanCut,      nullptr},
    {"Select All",    &F::SelectAllItem,   nullptr,             -1,         nullptr,        HasText,     nullptr},
    {"Find",          &F::FindItem,        &F::FindButton,      -1,         nullptr,        HasText,     nullptr},
    {"Find Next",     &F::FindNextItem,    nullptr,             -1,         nullptr,        CanFindNext, nullptr},
    {"Replace",       &F::ReplaceItem,     nullptr,             -1,         nullptr,        CanReplace,  nullptr},
    {"View menu",     &F::ViewMenu,        nullptr,             -1,         Writable,       nullptr,     nullptr},
    {"Toolbar",       &F::ToolbarItem,     nullptr,             -1,         nullptr,        nullptr,     ToolBarShown},
    {"Format Bar",    &F::FormatBarItem,   nullptr,             -1,         nullptr,        nullptr,     FormatBarShown},
    {"Status Bar",    &F::StatusBarItem,   nullptr,             -1,         nullptr,        nullptr,     StatusBarShown},
    {"Ruler",         &F::RulerItem,       nullptr,             -1,         nullptr,        nullptr,     RulerShown},
    {"Insert menu",   &F::InsertMenu,      nullptr,             -1,         ObjectsShown,   nullptr,     nullptr},
    {"Object",        &F::ObjectItem,      nullptr,             -1,         ObjectsShown,   nullptr,     nullptr},
    {"Format menu",   &F::FormatMenu,      nullptr,             -1,         Writable,       nullptr,     nullptr},
    {"Bullets",       &F::BulletStyleItem, &F::BulletButton,    pBullets,   nullptr,        nullptr,     Bullets, kFormat},
    {"Bold",          nullptr,             &F::BoldButton,      pBold,      nullptr,        nullptr,     Bold, kFormat},
    {"Italic",        nullptr,             &F::ItalicButton,    pItalic,    nullptr,        nullptr,     Italic, kFormat},
    {"Underline",     nullptr,             &F::UnderlineButton, pUnderline, nullptr,        nullptr,     Underline, kFormat},
    {"Left",          nullptr,             &F::LeftButton,      -1,         nullptr,        nullptr,     Left, kFormat},
    {"Center",        nullptr,             &F::CenterButton,    -1,         nullptr,        nullptr,     Center, kFormat},
    {"Right",         nullptr,             &F::RightButton,     -1,         nullptr,        nullptr,     Right, kFormat},
    {"Justify",       nullptr,             &F::JustifyButton,   -1,         JustifyShown,   nullptr,     Justified, kFormat},
    {"Highlight",     nullptr,             &F::HighlightButton, -1,         nullptr,        nullptr,     Highlighted, kFormat},
    {"Tools menu",    &F::ToolsMenu,       nullptr,             -1,         SpellingShown,  nullptr,     nullptr},
    {"Spelling",      &F::SpellingItem,    &F::SpellButton,     -1,         SpellingShown,  nullptr,     nullptr},
};
// clang-format on

// The part of the options that decides what shows (as the window applied them).
EditorSnapshot ShownFor(unsigned options, bool readOnly, bool objects) {
    EditorSnapshot s;
    s.options = options;
    s.readOnly = readOnly;
    s.objects = objects;
    return s;
}

EditorSnapshot Take(TwwRichEditForm& f, bool format) {
    TwwCustomRichEdit& e = *f.RichEdit1;
    EditorSnapshot s;
    s.options = e.EditorOptions;
    s.readOnly = e.ReadOnly();
    s.canPaste = e.CanPaste();
    s.canUndo = e.Perform(EM_CANUNDO) != 0;
    s.canRedo = e.Perform(EM_CANREDO) != 0;
    s.selection = e.HasSelection();
    // Text means more than one line, or one line that is not empty.
    TStrings* lines = e.Lines();
    const int count = lines->Count();
    s.text = count > 1 || (count == 1 && !lines->Get(0).empty());
    s.searched = e.HasSearchText();
    s.toolBar = f.Toolbar->Visible();
    s.formatBar = f.FormatBar->Visible();
    s.statusBar = f.StatusBar->Visible();
    s.ruler = f.Ruler && f.Ruler->Visible();
    if (format) {
        s.format = true;
        s.style = e.SelAttributes()->Style();
        const PARAFORMAT2 para = e.GetParagraphFormat();
        s.bullets = para.wNumbering == PFN_BULLET;
        s.alignment = para.wAlignment == PFA_JUSTIFY || para.wAlignment == PFA_RIGHT || para.wAlignment == PFA_CENTER
                          ? para.wAlignment
                          : static_cast<WORD>(PFA_LEFT);
        s.highlighted = ColorToRGB(e.GetHighlightColor()) == ColorToRGB(e.HighlightColor);
    }
    return s;
}

void ApplyVisibility(TwwRichEditForm& f, const EditorSnapshot& s) {
    for (const CommandRow& row : kCommands) {
        if (!row.visible) continue;
        const bool shown = row.visible(s);
        if (row.item) (f.*row.item)->Visible = shown;
        if (row.button) (f.*row.button)->SetVisible(shown);
    }
}

void ApplyStates(TwwRichEditForm& f, const EditorSnapshot& s) {
    TwwCustomRichEdit& e = *f.RichEdit1;
    for (const CommandRow& row : kCommands) {
        TMenuItem* item = row.item ? f.*row.item : nullptr;
        TSpeedButton* button = row.button ? f.*row.button : nullptr;
        TMenuItem* popup = e.BuiltInPopupItem(row.popup);
        if (row.enabled) {
            const bool on = row.enabled(s);
            if (item) item->Enabled = on;
            if (button) button->SetEnabled(on);
            if (popup) popup->Enabled = on;
        }
        if (row.checked && (s.format || !row.fromFormat)) {
            const bool on = row.checked(s);
            if (item) item->Checked = on;
            if (button) button->SetDown(on);
            if (popup) popup->Checked = on;
        }
    }
}

}  // namespace

void TwwRichEditForm::ShowCommandsFor(unsigned options, bool readOnly, bool objects) {
    ApplyVisibility(*this, ShownFor(options, readOnly, objects));
}

void TwwRichEditForm::UpdateCommandStates() {
    if (!RichEdit1 || !RichEdit1->HandleAllocated()) return;
    ApplyStates(*this, Take(*this, false));
}

void TwwRichEditForm::UpdateState() {
    if (!RichEdit1 || !RichEdit1->HandleAllocated()) return;
    ApplyStates(*this, Take(*this, true));

    // The font boxes show the selection's face and size; a face the list
    // does not hold shows in red.
    TTextAttributes* sel = RichEdit1->SelAttributes();
    const std::string face = sel->Name();
    const int faceIndex = FontNameCombo->Items()->IndexOf(face);
    if (faceIndex >= 0) {
        FontNameCombo->SetItemIndex(faceIndex);
        FontNameCombo->Font()->SetColor(clWindowText);
    } else {
        FontNameCombo->SetItemIndex(-1);
        FontNameCombo->SetText(face);
        FontNameCombo->Font()->SetColor(clRed);
    }
    const std::string size = std::to_string(sel->Size());
    const int sizeIndex = FontSizeCombo->Items()->IndexOf(size);
    if (sizeIndex >= 0) {
        FontSizeCombo->SetItemIndex(sizeIndex);
    } else {
        FontSizeCombo->SetItemIndex(-1);
        FontSizeCombo->SetText(size);
    }
    if (Ruler) Ruler->UpdateMarkers();
}

void TwwRichEditForm::FormUpdate(TObject*) { UpdateCommandStates(); }

void TwwRichEditForm::RichEditSelectionChange(TObject*) {
    if (Visible()) UpdateState();
}
