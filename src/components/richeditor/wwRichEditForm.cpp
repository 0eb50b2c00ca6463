// The editor window: opening on a control, showing (options, bars, captions
// and hints), the resize layout and the closing rules. The commands and the
// button and menu state are in wwRichEditFormCommands.cpp.
#include "wwRichEditForm.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "Handles.h"
#include "Printers.h"
#include "richedit/wwIntl.h"
#include "richedit/wwRichEditorLink.h"
#include "wwRuler.h"

CX_IMPLEMENT_CLASS(TwwRichEditForm, TCustomForm, CX_ABSTRACT, {})

namespace {

void PrepareSpare();

// Fills the control table's editor entries when the program starts.
struct EditorRegistrar {
    EditorRegistrar() {
        RichEditorLink().EditInWindow = &WwEditInWindow;
        RichEditorLink().PrepareEditorWindow = &PrepareSpare;
    }
} registrar;

// A spare editor window: its layout read and its windows made (most of the
// time an opening takes: the platform makes each combo box's list window, for
// one), hidden, bound to no control yet. Made in a quiet moment once a
// program asks for one and again after each editing, taken by the next
// opening.
TwwRichEditForm* spare = nullptr;
bool sparesWanted = false;
// What the last opening showed: a spare takes its menus and size, so that an
// opening like it changes neither on show (each change of a shown window's
// menu bar or size lays it out again).
struct LastShown {
    bool known = false;
    unsigned options = 0;
    bool readOnly = false, objects = false;
    int width = 0, height = 0;
} lastShown;
UINT_PTR spareTimer = 0;
constexpr UINT kSpareDelayMs = 100;

void CALLBACK MakeSpare(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    spareTimer = 0;
    if (spare || !Application || Application->Terminated()) return;
    auto form = std::make_unique<TwwRichEditForm>(Application);
    try {
        form->Build();
        if (lastShown.known) {
            form->ShowCommandsFor(lastShown.options, lastShown.readOnly, lastShown.objects);
            form->MainMenu1->Sync();
            if (lastShown.width > 0) form->SetBounds(form->Left(), form->Top(), lastShown.width, lastShown.height);
        }
    } catch (...) {
        return;  // no spare: the next opening builds its own and meets the fault there
    }
    spare = form.release();
}

void ScheduleSpare() {
    if (sparesWanted && !spare && !spareTimer) spareTimer = SetTimer(nullptr, 0, kSpareDelayMs, MakeSpare);
}

void PrepareSpare() {
    sparesWanted = true;
    ScheduleSpare();
}

std::unique_ptr<TwwRichEditForm> TakeSpare() {
    std::unique_ptr<TwwRichEditForm> form(spare);
    spare = nullptr;
    // A spare whose window went with its owner's is of no use.
    if (form && !form->WindowHandle()) form.reset();
    return form;
}

// The read-only window has no Load, Save As, Save and Exit, bars, ruler,
// status bar or spelling.
constexpr unsigned kReadOnlyHidden = reoShowLoad | reoShowSaveAs | reoShowSaveExit | reoShowFormatBar |
                                     reoShowToolBar | reoShowStatusBar | reoShowRuler | reoShowSpellCheck;
static_assert(kReadOnlyHidden == 0x22E7);

// A status bar hint without the blanks that follow "|" in the hint texts.
std::string TrimHint(const std::string& hint) {
    const std::size_t first = hint.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return hint.substr(first, hint.find_last_not_of(' ') - first + 1);
}

}  // namespace

CX_LAYOUT_BINDER(TwwRichEditForm)

TwwRichEditForm::TwwRichEditForm(TComponent* owner) : TForm(owner) {
    BindComponents();
    OnUpdate = [this](TObject* s) { FormUpdate(s); };
}

TwwRichEditForm::~TwwRichEditForm() {
    // A window freed while shown (an error on the way) still gives back
    // what it borrowed.
    RestoreHintHandler();
    GiveBackUserButtons();
    // The spare may be freed by its owner (the application) before it is used.
    if (spare == this) spare = nullptr;
}

unsigned TwwRichEditForm::Options() const { return RichEdit1 ? RichEdit1->EditorOptions : 0; }

int TwwRichEditForm::Scaled(int v) const { return ScaleDpi(v, CurrentDpi(), kLayoutDpi); }

// ---------------------------------------------------------------- opening

void TwwRichEditForm::Build() {
    if (built_) return;
    LoadLayout();
    built_ = true;
    layoutSize_ = {Width(), Height()};
    Handle();
    // What every opening does the same: the font list as the screen has it
    // (the printer may narrow it on show) and the menu's pictures (an opening
    // without them takes them off again).
    FillFontNames();
    MainMenu1->SetImages(ImageList1);
}

void TwwRichEditForm::Prepare(TwwCustomRichEdit& c) {
    OwnerEdit = &c;
    Build();

    // The editor control, of the owning control's own class.
    TComponent* made = c.ClassType().create ? c.ClassType().create(this) : nullptr;
    auto* e = dynamic_cast<TwwCustomRichEdit*>(made);
    if (!e) {
        delete made;
        e = new TwwDBRichEdit(this);
    }
    RichEdit1 = e;
    e->SetName("RichEdit1");
    e->SetOleOptions(c.OleOptions());
    e->SetScrollBars(TScrollStyle::ssVertical);
    e->SetWordWrap(c.WordWrap());
    e->SetHideSelection(false);
    e->TabOrder = 3;
    e->TabStop = true;
    e->SetWantTabs(true);
    e->SetWantReturns(true);
    e->PopupOptions = rpoPopupCut | rpoPopupCopy | rpoPopupPaste | rpoPopupFont | rpoPopupBullet | rpoPopupParagraph;
    e->EditorCaption = TwwCustomRichEdit::kDefaultEditorCaption;
    e->MeasurementUnits = c.MeasurementUnits;
    e->PrintMargins()->Assign(c.PrintMargins());
    e->Font()->Assign(c.Font());
    e->OnInitDialog = c.OnInitDialog;
    e->SetEditWidth(c.EditWidth());
    e->PrintPageSize = c.PrintPageSize;
    e->HighlightColor = c.HighlightColor;
    if (c.EditorOptions & reoUseBackColor) e->SetColor(c.Color());
    e->EditorOptions = c.EditorOptions;
    e->SetReadOnly(c.ReadOnly());
    e->SetMaxLength(c.MaxLength());
    e->SetAutoURLDetect(c.AutoURLDetect());
    e->OnURLOpen = c.OnURLOpen;
    caret_ = c.SelStart();

    // The ruler sits under the format bar; the editor control under the ruler.
    Ruler = new TwwRulerPanel(this, e);
    Ruler->SetName("Ruler");
    Ruler->SetTop(FormatBar->Top() + FormatBar->Height() + 10);
    Ruler->SetWidth(ClientWidth());
    Ruler->SetAlign(TAlign::alTop);
    Ruler->SetParent(this);

    e->SetBounds(0, Ruler->Height() + 62, 595, 330);
    e->SetParent(this);
    TTextAttributes* def = e->DefAttributes();
    def->SetName(c.Font()->Name());
    def->SetStyle(c.Font()->Style());
    def->SetColor(c.Font()->Color());
    def->SetSize(c.Font()->Size());
    def->SetPitch(c.Font()->Pitch());
    e->OnSelectionChange = [this](TObject* s) { RichEditSelectionChange(s); };
    // The context menu sets up its own items as it opens; the window's
    // command table then gives the ones it carries their states.
    if (TPopupMenu* popup = e->BuiltInPopupMenu()) {
        TNotifyEvent opening = popup->OnPopup;
        popup->OnPopup = [this, opening](TObject* s) {
            if (opening) opening(s);
            UpdateState();
        };
    }
    ActiveControl = e;
    SetCaption(c.EditorCaption);
    if (e->UsesPrinterWidth()) Ruler->SizeToPage();
}

bool WwEditInWindow(TwwCustomRichEdit& control) {
    THourglass hourglass;
    control.LoadFromField();
    std::unique_ptr<TwwRichEditForm> form = TakeSpare();
    if (!form) form = std::make_unique<TwwRichEditForm>(Application);
    // The editor's copy of the document goes before the window, on every path.
    ScopeExit clearCopy([&] {
        if (form->RichEdit1) form->RichEdit1->Clear();
    });
    // The next opening finds a window made ahead.
    ScopeExit again([] { ScheduleSpare(); });
    form->Build();

    // Placement: a size of 0 keeps the layout's; a left or top below 1
    // centres the window in the work area. Placed before the editor control
    // and the ruler join it: one layout less. The stored size is in the
    // layout's 96-DPI units, the layout's own already in the window's pixels.
    TwwFormPosition* pos = control.EditorPosition();
    int w = pos->Width > 0 ? form->Scaled(pos->Width) : form->LayoutSize().cx;
    int h = pos->Height > 0 ? form->Scaled(pos->Height) : form->LayoutSize().cy;
    RECT area = Screen::WorkArea();
    int x = pos->Left >= 1 ? pos->Left : area.left + ((area.right - area.left) - w) / 2;
    int y = pos->Top >= 1 ? pos->Top : area.top + ((area.bottom - area.top) - h) / 2;
    form->Position = TPosition::poDesigned;
    form->SetBounds(std::max(0, x), std::max(0, y), w, h);
    lastShown.width = w;
    lastShown.height = h;

    form->Prepare(control);
    TwwCustomRichEdit* editor = form->RichEdit1;
    control.DoCreateDialog(form.get());
    const TModalResult result = form->ShowModal();
    if (result == mrOk) {
        if (editor->Modified()) {
            control.PrepareFieldEdit();
            TwwCustomRichEdit::CopyDocument(*editor, control);
            control.DoCloseDialog(form.get());
            control.SetModified(true);
        } else {
            control.DoCloseDialog(form.get());
        }
        control.PrintMargins()->Assign(editor->PrintMargins());
        control.SetPrintPageSize(editor->PrintPageSize);
    } else {
        control.DoCloseDialog(form.get());
    }
    return result == mrOk;
}

// ---------------------------------------------------------------- showing

void TwwRichEditForm::FormShow(TObject*) {
    if (!RichEdit1 || !OwnerEdit) return;
    if (ColorAutomaticItem) ColorAutomaticItem->Tag = static_cast<std::int32_t>(ColorToRGB(RichEdit1->Font()->Color()));

    savedHint_ = Application->OnHint;
    hintInstalled_ = true;
    Application->OnHint = [this](TObject*) {
        if (StatusBar && StatusBar->Panels().Count() > 0) StatusBar->Panels()[0].SetText(TrimHint(Application->Hint));
    };

    // The copy keeps the owning control's own modified flag as it was.
    bool ownerModified = OwnerEdit->Modified();
    TwwCustomRichEdit::CopyDocument(*OwnerEdit, *RichEdit1);
    OwnerEdit->SetModified(ownerModified);
    RichEdit1->SetSelStart(std::min(caret_, RichEdit1->GetTextLen()));
    ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    RichEdit1->SetGutterWidth(6);
    FillFontNames();
    UpdateLockPanels();
    UpdateState();
    RichEdit1->SetModified(false);
    ApplyOptions();
    SetCaptionsAndHints();
    RichEdit1->DoInitDialog(this);
    ResizeLayout();
    MainMenu1->SetImages((Options() & reoShowMainMenuIcons) ? ImageList1 : nullptr);
    UpdateState();
    UpdateCommands();  // the menu bar as the options left it
    if (RichEdit1->CanFocus()) RichEdit1->SetFocus();
}

void TwwRichEditForm::ApplyOptions() {
    unsigned& o = RichEdit1->EditorOptions;
    const bool ro = RichEdit1->ReadOnly();
    if (ro) o &= ~kReadOnlyHidden;
    // Spelling needs a control that can check it; none here can.
    if (!RichEdit1->ClassType().InheritsFromName("TwwDBRichEditMSWord")) o &= ~unsigned{reoShowSpellCheck};

    const bool objects = (o & reoShowInsertObject) && !(RichEdit1->OleOptions() & reoDisableOLE);
    ShowCommandsFor(o, ro, objects);
    lastShown.known = true;
    lastShown.options = o;
    lastShown.readOnly = ro;
    lastShown.objects = objects;

    LayoutToolbar();

    StatusBar->SetVisible((o & reoShowStatusBar) != 0);
    FormatBar->SetVisible((o & reoShowFormatBar) != 0);
    FormatBarBevel->SetVisible((o & reoShowFormatBar) != 0);
    Toolbar->SetVisible((o & reoShowToolBar) != 0);
    ToolBarBevel->SetVisible((o & reoShowToolBar) != 0);
    Ruler->SetVisible((o & reoShowRuler) != 0);
    RulerBevel->SetVisible((o & reoShowRuler) != 0);

    PlaceUserButtons();

    if (!(o & reoFlatButtons)) {
        Toolbar->SetHeight(Toolbar->Height() + 4);
        FormatBar->SetHeight(FormatBar->Height() + 2);
        for (TPanel* bar : {Toolbar, FormatBar}) {
            const int down = bar == Toolbar ? 2 : 1;
            for (int i = 0; i < bar->ControlCount(); ++i) {
                TControl* c = bar->Controls(i);
                if (auto* b = dynamic_cast<TSpeedButton*>(c)) {
                    b->SetTop(b->Top() + down);
                    b->SetFlat(false);
                    // One pixel less of margin: a centred picture is placed
                    // by hand one pixel left of the centre.
                    int margin = b->Margin();
                    if (margin < 0) {
                        const int parts = std::max(1, b->NumGlyphs());
                        const int glyph = b->Glyph() ? b->Glyph()->Width() / parts : 0;
                        margin = (b->Width() - glyph) / 2;
                    }
                    b->SetMargin(std::max(0, margin - 1));
                } else if (dynamic_cast<TBevel*>(c)) {
                    c->Hide();
                }
            }
        }
    }
}

void TwwRichEditForm::LayoutToolbar() {
    // Tool bar: each group starts after the visible end of the one before.
    if (!PrintButton->Visible()) PrintSeparator->SetLeft(PrintSeparator->Left() - PrintButton->Width());
    FindButton->SetLeft(PrintSeparator->Left() + Scaled(5));
    SpellButton->SetLeft(FindButton->Left() + FindButton->Width());
    TSpeedButton* last = SpellButton->Visible() ? SpellButton : FindButton;
    FindSeparator->SetLeft(last->Left() + last->Width() + Scaled(3));
    CutButton->SetLeft(FindSeparator->Left() + Scaled(5));
    CopyButton->SetLeft(CutButton->Left() + CutButton->Width());
    PasteButton->SetLeft(CopyButton->Left() + CopyButton->Width());
    PasteSeparator->SetLeft(PasteButton->Left() + PasteButton->Width() + Scaled(3));
    UndoButton->SetLeft(PasteSeparator->Left() + Scaled(5));
    RedoButton->SetLeft(UndoButton->Left() + UndoButton->Width());
    TSpeedButton* lastUndo = RedoButton->Visible() ? RedoButton : UndoButton;
    UserButtonBevel->SetLeft(lastUndo->Left() + lastUndo->Width() + Scaled(3));

    // Format bar: without Justify its separator closes up on Right.
    if (!JustifyButton->Visible()) JustifySeparator->SetLeft(Scaled(485));
    BulletButton->SetLeft(JustifySeparator->Left() + Scaled(5));
    HighlightButton->SetLeft(BulletButton->Left() + Scaled(24));
}

void TwwRichEditForm::PlaceUserButtons() {
    const bool flat = (Options() & reoFlatButtons) != 0;
    int left = UndoButton->Left() + UndoButton->Width() + Scaled(32);
    for (int k = 0; k < 2; ++k) {
        TControl* b = k == 0 ? OwnerEdit->UserSpeedButton1() : OwnerEdit->UserSpeedButton2();
        if (!b) continue;
        UserButtonBevel->Show();
        userButtons_[static_cast<std::size_t>(k)] = b;
        userButtonParents_[static_cast<std::size_t>(k)] = b->Parent();
        b->SetParent(Toolbar);
        b->Show();
        if (auto* sb = dynamic_cast<TSpeedButton*>(b)) sb->SetFlat(flat);
        b->SetBounds(left, UndoButton->Top(), b->Width(), UndoButton->Height());
        left = b->Left() + b->Width();
    }
}

void TwwRichEditForm::GiveBackUserButtons() {
    for (std::size_t k = 0; k < 2; ++k) {
        TControl* b = userButtons_[k];
        if (!b) continue;
        b->Hide();
        b->SetParent(userButtonParents_[k]);
        userButtons_[k] = nullptr;
        userButtonParents_[k] = nullptr;
    }
}

void TwwRichEditForm::RestoreHintHandler() {
    if (!hintInstalled_ || !Application) return;
    Application->OnHint = savedHint_;
    savedHint_ = nullptr;
    hintInstalled_ = false;
}

void TwwRichEditForm::SetCaptionsAndHints() {
    TwwIntl& intl = WwIntl();
    const TwwRichEditMenuLabels& m = intl.RichEdit.MenuLabels;
    const TwwDBRichEditIntl& h = intl.RichEdit;
    FileMenu->Caption = m.FileCaption;
    LoadItem->Caption = m.LoadCaption;
    SaveAsItem->Caption = m.SaveAsCaption;
    SaveExitItem->Caption = m.SaveExitCaption;
    PrintItem->Caption = m.PrintCaption;
    PageSetupItem->Caption = m.PageSetupCaption;
    ExitItem->Caption = m.ExitCaption;
    EditMenu->Caption = m.EditCaption;
    UndoItem->Caption = m.UndoCaption;
    RedoItem->Caption = m.RedoText();
    CutItem->Caption = m.CutCaption;
    CopyItem->Caption = m.CopyCaption;
    PasteItem->Caption = m.PasteCaption;
    ClearItem->Caption = m.ClearCaption;
    SelectAllItem->Caption = m.SelectAllCaption;
    FindItem->Caption = m.FindCaption;
    FindNextItem->Caption = m.FindNextCaption;
    ReplaceItem->Caption = m.ReplaceCaption;
    ViewMenu->Caption = m.ViewCaption;
    ToolbarItem->Caption = m.ToolbarCaption;
    FormatBarItem->Caption = m.FormatBarCaption;
    StatusBarItem->Caption = m.StatusBarCaption;
    RulerItem->Caption = m.RulerText();
    OptionsItem->Caption = m.OptionsCaption;
    InsertMenu->Caption = m.InsertText();
    DateTimeItem->Caption = m.DateTimeCaption;
    ObjectItem->Caption = m.ObjectCaption;
    FormatMenu->Caption = m.FormatCaption;
    FontItem->Caption = m.FontCaption;
    BulletStyleItem->Caption = m.BulletStyleCaption;
    ParagraphItem->Caption = m.ParagraphCaption;
    TabsItem->Caption = m.TabsCaption;
    HelpMenu->Caption = m.HelpCaption;
    ToolsMenu->Caption = m.ToolsCaption;
    SpellingItem->Caption = m.SpellingCaption;

    const bool hints = (Options() & reoShowHints) != 0;
    auto tip = [hints](TControl* c, const std::string& text) {
        c->SetShowHint(hints);
        c->SetHint(hints ? text : std::string());
    };
    tip(FontNameCombo, h.FontNameHint);
    tip(FontSizeCombo, h.FontSizeHint);
    tip(NewButton, h.NewHint);
    tip(LoadButton1, h.LoadHint);
    tip(SaveAsButton, h.SaveAsHint);
    tip(PrintButton, h.PrintHint);
    tip(FindButton, h.FindHint);
    tip(SpellButton, h.SpellCheckHint);
    tip(CutButton, h.CutHint);
    tip(CopyButton, h.CopyHint);
    tip(PasteButton, h.PasteHint);
    tip(UndoButton, h.UndoHint);
    tip(RedoButton, h.RedoHintText());
    tip(BoldButton, h.BoldHint);
    tip(ItalicButton, h.ItalicHint);
    tip(UnderlineButton, h.UnderlineHint);
    tip(ColorButton, h.ColorHint);
    tip(LeftButton, h.LeftHint);
    tip(CenterButton, h.CenterHint);
    tip(RightButton, h.RightHint);
    tip(JustifyButton, h.JustifyHint);
    tip(BulletButton, h.BulletsHint);
    tip(HighlightButton, h.HighlightHint);
    if (!hints) {
        // No hints at all: the status bar shows none either.
        Application->OnHint = nullptr;
        return;
    }
    LoadItem->Hint = LoadButton1->Hint();
    SaveAsItem->Hint = SaveAsButton->Hint();
    PrintItem->Hint = PrintButton->Hint();
    UndoItem->Hint = UndoButton->Hint();
    CutItem->Hint = CutButton->Hint();
    CopyItem->Hint = CopyButton->Hint();
    PasteItem->Hint = PasteButton->Hint();
    FindItem->Hint = FindButton->Hint();
    BulletStyleItem->Hint = BulletButton->Hint();
    SpellingItem->Hint = h.SpellCheckHint;
    SaveExitItem->Hint = h.SaveExitHint;
    PageSetupItem->Hint = h.PageSetupHint;
    ExitItem->Hint = h.ExitHint;
    ClearItem->Hint = h.ClearHint;
    SelectAllItem->Hint = h.SelectAllHint;
    FindNextItem->Hint = h.FindNextHint;
    ReplaceItem->Hint = h.ReplaceHint;
    ObjectItem->Hint = h.InsertObjectHint;
    ToolbarItem->Hint = h.ToolbarHint;
    FormatBarItem->Hint = h.FormatBarHint;
    StatusBarItem->Hint = h.StatusBarHint;
    OptionsItem->Hint = h.OptionsHint;
    FontItem->Hint = h.FontHint;
    ParagraphItem->Hint = h.ParagraphHint;
    TabsItem->Hint = h.TabsHint;
}

void TwwRichEditForm::FillFontNames() {
    if (screenFonts_.empty()) {
        WindowDc dc(nullptr);
        screenFonts_ = FontFamilies(dc);
    }
    std::vector<std::string> names;
    if (RichEdit1 && RichEdit1->UsesPrinterWidth()) {
        // The families that the application's printer (as chosen in Page
        // Setup or Print) also offers.
        const std::vector<std::string>& printer = Printer()->Fonts();
        std::set_intersection(screenFonts_.begin(), screenFonts_.end(), printer.begin(), printer.end(),
                              std::back_inserter(names));
    } else {
        names = screenFonts_;
    }
    // The list the window was built with is most often the one wanted or
    // holds it (the printer lacks a few families): take out what is not
    // wanted rather than fill the box again.
    TStrings& items = *FontNameCombo->Items();
    const std::vector<std::string> shown = items.ToVector();
    std::vector<std::string> held = shown;  // the box keeps its own order
    std::sort(held.begin(), held.end());
    if (std::includes(held.begin(), held.end(), names.begin(), names.end())) {
        for (int k = items.Count() - 1; k >= 0; --k)
            if (!std::binary_search(names.begin(), names.end(), shown[static_cast<std::size_t>(k)])) items.Delete(k);
    } else {
        FontNameCombo->SetItems(names);
    }
}

// ---------------------------------------------------------------- layout

void TwwRichEditForm::FormResize(TObject*) { ResizeLayout(); }

void TwwRichEditForm::ResizeLayout() {
    if (!RichEdit1 || !Ruler || resizing_) return;
    try {
        Restore<bool> resizing(resizing_, true);
        const int width = ClientWidth();
        if (!RichEdit1->UsesPrinterWidth()) Ruler->SetWidth(width);
        if (StatusBar->Panels().Count() > 0)
            StatusBar->Panels()[0].SetWidth(std::max(0, Width() - Scaled(90)));

        const int gap = Scaled(2);
        int top = (FormatBar->Visible() ? FormatBar->Height() + gap : 0) + (Toolbar->Visible() ? Toolbar->Height() + gap : 0);
        if (Ruler->Visible()) {
            RulerBevel->SetTop(top);
            Ruler->SetTop(top + gap);
            top += Ruler->Height() + gap;
        }
        int height = ClientHeight() - top - (StatusBar->Visible() ? StatusBar->Height() : 0);
        RichEdit1->SetBounds(RichEdit1->Left(), top, width, std::max(0, height));

        TwwTrackIcon* right = Ruler->RightMarker();
        right->UpperBound = Ruler->DrawRect().right - right->Width() / 2;
        Ruler->UpdateMarkers();
        if (StatusBar->Visible())
            StatusBar->SetBounds(0, RichEdit1->Top() + RichEdit1->Height(), RichEdit1->Width(), StatusBar->Height());
        RichEdit1->UpdateFormatRect();
        if (RichEdit1->UsesPrinterWidth()) {
            // A page laid out to the paper's width is laid out again: one
            // pixel wider and back makes the window wrap its lines anew.
            RichEdit1->SetWidth(RichEdit1->Width() + 1);
            RichEdit1->SetWidth(RichEdit1->Width() - 1);
        }
        RichEdit1->Invalidate();
    } catch (...) {
        Application->MessageBox("Error in resize", Application->Title(), MB_OK | MB_ICONSTOP);
    }
}

// ---------------------------------------------------------------- closing

void TwwRichEditForm::FormClose(TObject*, TCloseAction& Action) {
    if (ModalResult != mrOk && RichEdit1) {
        if (Options() & reoNoConfirmation) {
            ModalResult = mrOk;
        } else if (RichEdit1->Modified() && !RichEdit1->ReadOnly()) {
            int answer = Application->MessageBox(WwIntl().UserMessages.RichEditExitWarning, Caption(),
                                                 MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL) {
                Action = TCloseAction::caNone;
                return;
            }
            ModalResult = answer == IDYES ? mrOk : mrCancel;
        } else {
            ModalResult = mrCancel;
        }
    }
    RestoreHintHandler();
    GiveBackUserButtons();
}
