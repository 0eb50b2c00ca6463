// The editor window's commands, its keys and the owner-drawn colour menu.
// The states of its menu items and buttons are in wwRichEditFormState.cpp.
#include <cstdio>

#include "Files.h"
#include "core/Convert.h"
#include "richedit/wwIntl.h"
#include "wwPageSetupDialog.h"
#include "wwRichEditForm.h"
#include "wwRuler.h"

// ---------------------------------------------------------------- status bar

void TwwRichEditForm::UpdateLockPanels() {
    if (!StatusBar || StatusBar->Panels().Count() < 3) return;
    const TwwDBRichEditIntl& h = WwIntl().RichEdit;
    StatusBar->Panels()[1].SetText(GetKeyState(VK_CAPITAL) & 1 ? h.CapsLockCaption : std::string());
    StatusBar->Panels()[2].SetText(GetKeyState(VK_NUMLOCK) & 1 ? h.NumLockCaption : std::string());
}

// ---------------------------------------------------------------- keys

void TwwRichEditForm::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
    if (!RichEdit1) return;
    if (Key == VK_ESCAPE) {
        Key = 0;
        if (RichEdit1->ReadOnly() || (Options() & reoCloseOnEscape)) Close();
        else UndoClick(this);
        return;
    }
    if ((Shift & (ssCtrl | ssAlt)) != ssCtrl) return;
    TFontStyle effect;
    switch (Key) {
    case 'B': effect = fsBold; break;
    case 'I': effect = fsItalic; break;
    case 'U': effect = fsUnderline; break;
    default: return;
    }
    Key = 0;
    if (RichEdit1->ReadOnly()) return;
    StyleCommand(effect, (RichEdit1->SelAttributes()->Style() & effect) != 0);
}

namespace {
// The character a Ctrl+letter key makes.
constexpr char CtrlCharacter(char letter) { return static_cast<char>(letter - '@'); }
constexpr char kEscapeCharacter = 0x1B;
}  // namespace

void TwwRichEditForm::FormKeyPress(TObject*, char& Key) {
    // The characters Ctrl+B, Ctrl+I (a Tab) and Ctrl+U make were commands.
    if ((Key == CtrlCharacter('B') || Key == CtrlCharacter('I') || Key == CtrlCharacter('U')) &&
        GetKeyState(VK_CONTROL) < 0)
        Key = 0;
    if (Key == kEscapeCharacter) Key = 0;
}

void TwwRichEditForm::FormKeyUp(TObject*, WORD& Key, TShiftState Shift) {
    UpdateLockPanels();
    if (Key == 'Z' && (Shift & (ssCtrl | ssAlt | ssShift)) == ssCtrl) UndoClick(this);
}

// ---------------------------------------------------------------- format bar

void TwwRichEditForm::StyleCommand(TFontStyle effect, bool wasDown) {
    RichEdit1->SetStyleEffect(effect, !wasDown);
    UpdateState();
}

void TwwRichEditForm::ToggleButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int, int) {
    if (auto* b = dynamic_cast<TSpeedButton*>(Sender)) buttonWasDown_ = b->Down();
}

void TwwRichEditForm::BoldButtonClick(TObject*) { StyleCommand(fsBold, buttonWasDown_); }
void TwwRichEditForm::ItalicButtonClick(TObject*) { StyleCommand(fsItalic, buttonWasDown_); }
void TwwRichEditForm::UnderlineButtonClick(TObject*) { StyleCommand(fsUnderline, buttonWasDown_); }

void TwwRichEditForm::SetAlignment(TEditAlignment a) {
    RichEdit1->Paragraph()->SetAlignment(a);
    UpdateState();
}

void TwwRichEditForm::LeftButtonClick(TObject*) { SetAlignment(TEditAlignment::taLeftJustify); }
void TwwRichEditForm::CenterButtonClick(TObject*) { SetAlignment(TEditAlignment::taCenter); }
void TwwRichEditForm::RightButtonClick(TObject*) { SetAlignment(TEditAlignment::taRightJustify); }

void TwwRichEditForm::JustifyButtonClick(TObject*) {
    TwwParagraphRequest r;
    r.Mask = pfrAlignment;
    r.Alignment = WwIntl().RichEdit.ParagraphDlg.AlignJustify;
    RichEdit1->SetParagraphFormat(r);
    UpdateState();
}

void TwwRichEditForm::BulletButtonClick(TObject*) {
    RichEdit1->SetBullets(!buttonWasDown_);
    UpdateState();
}

void TwwRichEditForm::BulletStyleClick(TObject* Sender) {
    buttonWasDown_ = RichEdit1->GetParagraphFormat().wNumbering == PFN_BULLET;
    BulletButtonClick(Sender);
}

void TwwRichEditForm::HighlightButtonClick(TObject*) {
    RichEdit1->SetHighlightColor(HighlightButton->Down() ? RichEdit1->HighlightColor : TColor(-1));
    UpdateState();
}

void TwwRichEditForm::ColorButtonClick(TObject*) {
    POINT p = ColorButton->ClientToScreen(POINT{-1, ColorButton->Height()});
    PopupMenu1->Popup(p.x, p.y);
}

void TwwRichEditForm::ColorItemClick(TObject* Sender) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item || !RichEdit1) return;
    RichEdit1->SelAttributes()->SetColor(static_cast<TColor>(item->Tag & 0xFFFFFF));
    UpdateState();
}

void TwwRichEditForm::ColorItemMeasure(TObject* Sender, TCanvas* c, int& Width, int& Height) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    Height = c->TextHeight(item->Caption) + 2;
    Width = c->TextWidth(item->Caption) + 45;
}

void TwwRichEditForm::ColorItemDraw(TObject* Sender, TCanvas* c, const RECT& r, TOwnerDrawState State) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    const bool selected = (State & odSelected) != 0;
    c->Brush.SetStyle(TBrushStyle::bsSolid);
    c->Brush.SetColor(selected ? clHighlight : clBtnFace);
    c->Font.SetColor(selected ? clHighlightText : clWindowText);
    c->FillRect(r);
    c->Pen.SetColor(c->Font.Color());
    c->Brush.SetColor(static_cast<TColor>(item->Tag & 0xFFFFFF));
    c->Rectangle(r.left + 3, r.top + 2, r.left + 43, r.bottom - 2);
    c->Brush.SetStyle(TBrushStyle::bsClear);
    RECT text{r.left + 45, r.top, r.right, r.bottom};
    const std::string caption = StripHotkey(item->Caption);
    c->TextRect(text, text.left + 2, r.top + ((r.bottom - r.top) - c->TextHeight(caption)) / 2, caption);
}

void TwwRichEditForm::FontNameComboDropDown(TObject*) { FontNameCombo->Font()->SetColor(clBlack); }

void TwwRichEditForm::FontNameComboCloseUp(TObject*) {
    const std::string face = FontNameCombo->Text();
    if (FontNameCombo->ItemIndex() < 0 || face.empty()) return;
    TTextAttributes* sel = RichEdit1->SelAttributes();
    if (face != sel->Name()) {
        const std::string name = face.substr(0, 31);
        sel->SetName(name);
        sel->SetCharset(RichEdit1->CharsetOfFace(name));
    }
    RichEdit1->SetFocus();
    UpdateState();
}

void TwwRichEditForm::FontSizeComboCloseUp(TObject*) {
    const std::string text = FontSizeCombo->Text();
    if (FontSizeCombo->ItemIndex() < 0 || text.empty()) return;
    RichEdit1->SelAttributes()->SetSize(StrToInt(text));
    RichEdit1->SetFocus();
    UpdateState();
}

void TwwRichEditForm::FontSizeComboConfirm() {
    const std::string text = FontSizeCombo->Text();
    if (text.empty()) return;
    // Not a number: the conversion error shows and the size stays.
    const int size = StrToInt(text);
    RichEdit1->SelAttributes()->SetSize(size);
    RichEdit1->SetFocus();
    UpdateState();
}

bool TwwRichEditForm::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && RichEdit1 && FontSizeCombo &&
        FontSizeCombo->HandleAllocated() && IsChild(FontSizeCombo->WindowHandle(), msg.hwnd) &&
        !FontSizeCombo->DroppedDown() && !(KeyboardShift() & (ssCtrl | ssAlt))) {
        FontSizeComboConfirm();
        return true;
    }
    return TForm::PreTranslateMessage(msg);
}

// ---------------------------------------------------------------- files

void TwwRichEditForm::SaveDocumentTo(const std::string& fileName, bool plainText) {
    const bool wasPlain = RichEdit1->PlainText();
    RichEdit1->SetPlainText(plainText);
    ReplaceOutcome outcome;
    {
        ScopeExit back([&] { RichEdit1->SetPlainText(wasPlain); });
        outcome = ReplaceFileSafely(fileName, [this](const std::string& temp) {
            RichEdit1->Lines()->SaveToFile(temp);
            return true;
        });
    }
    if (outcome.step == ReplaceOutcome::NotMoved)
        throw EInOutError("Cannot write " + fileName + " (error " + std::to_string(outcome.error) + ")");
}

void TwwRichEditForm::NewButtonClick(TObject*) {
    if (Application->MessageBox(WwIntl().UserMessages.RichEditClearWarning, Caption(), MB_OKCANCEL | MB_ICONQUESTION) !=
        IDOK)
        return;
    RichEdit1->Clear();
    RichEdit1->SetModified(true);
    UpdateState();
}

void TwwRichEditForm::LoadClick(TObject*) {
    bool doDefault = true;
    if (OwnerEdit->OnMenuLoadClick) OwnerEdit->OnMenuLoadClick(this, RichEdit1, doDefault);
    if (!doDefault) return;
    if (!OpenDialog1->Execute()) return;
    RichEdit1->Lines()->LoadFromFile(OpenDialog1->FileName);
    RichEdit1->SetFocus();
    UpdateState();
}

void TwwRichEditForm::SaveAsClick(TObject*) {
    bool doDefault = true;
    if (OwnerEdit->OnMenuSaveAsClick) OwnerEdit->OnMenuSaveAsClick(this, RichEdit1, doDefault);
    if (!doDefault) return;
    if (!SaveDialog1->Execute()) return;
    const std::string name = SaveDialog1->FileName;
    if (FileExists(name)) {
        char text[1024];
        std::snprintf(text, sizeof text, "OK to overwrite %s", name.c_str());
        if (Application->MessageBox(text, Caption(), MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) return;
    }
    SaveDocumentTo(name, SaveDialog1->FilterIndex == 2);
}

void TwwRichEditForm::PrintClick(TObject*) {
    bool doDefault = true;
    if (OwnerEdit->OnMenuPrintClick) OwnerEdit->OnMenuPrintClick(this, RichEdit1, doDefault);
    if (!doDefault) return;
    PrintDialog1->Collate = true;
    if (!PrintDialog1->Execute()) return;
    RichEdit1->PrintDocument(OwnerEdit->PrintJobName);
}

void TwwRichEditForm::PageSetupClick(TObject*) {
    TwwPageSetupDialog dialog(this, RichEdit1);
    if (!dialog.Execute()) return;
    if (RichEdit1->UsesPrinterWidth()) {
        Ruler->SizeToPage();
        Ruler->UpdateMarkers();
        Ruler->MarkerMoved(Ruler->RightMarker());
    } else {
        RichEdit1->UpdateFormatRect();
    }
}

void TwwRichEditForm::SaveExitClick(TObject*) {
    bool doDefault = true;
    if (OwnerEdit->OnMenuSaveAndExitClick) OwnerEdit->OnMenuSaveAndExitClick(this, RichEdit1, doDefault);
    if (!doDefault) return;
    ModalResult = mrOk;
}

void TwwRichEditForm::ExitClick(TObject*) { ModalResult = mrCancel; }

// ---------------------------------------------------------------- edit, view, insert, format

void TwwRichEditForm::EditMenuClick(TObject*) { UpdateCommandStates(); }

void TwwRichEditForm::UndoClick(TObject*) {
    RichEdit1->Undo();
    UpdateState();
}

void TwwRichEditForm::RedoClick(TObject*) {
    RichEdit1->Perform(EM_REDO);
    UpdateState();
}

void TwwRichEditForm::CutClick(TObject*) {
    RichEdit1->CutToClipboard();
    UpdateState();
}
void TwwRichEditForm::CopyClick(TObject*) {
    RichEdit1->CopyToClipboard();
    UpdateState();
}
void TwwRichEditForm::PasteClick(TObject*) {
    RichEdit1->PasteFromClipboard();
    UpdateState();
}
void TwwRichEditForm::ClearClick(TObject*) {
    RichEdit1->ClearSelection();
    UpdateState();
}
void TwwRichEditForm::SelectAllClick(TObject*) {
    RichEdit1->SelectAll();
    UpdateState();
}
void TwwRichEditForm::FindClick(TObject*) { RichEdit1->ShowFindDialog(); }
void TwwRichEditForm::FindNextClick(TObject*) {
    RichEdit1->FindNextMatch();
    UpdateState();
}
void TwwRichEditForm::ReplaceClick(TObject*) { RichEdit1->ShowReplaceDialog(); }

void TwwRichEditForm::ToggleBar(TControl* bar, TControl* line) {
    bar->SetVisible(!bar->Visible());
    if (line) line->SetVisible(bar->Visible());
    ResizeLayout();
    UpdateCommandStates();  // the View item's check mark
}

void TwwRichEditForm::ToolbarItemClick(TObject*) { ToggleBar(Toolbar, ToolBarBevel); }
void TwwRichEditForm::FormatBarItemClick(TObject*) { ToggleBar(FormatBar, FormatBarBevel); }
void TwwRichEditForm::StatusBarItemClick(TObject*) { ToggleBar(StatusBar, nullptr); }
void TwwRichEditForm::RulerItemClick(TObject*) { ToggleBar(Ruler, RulerBevel); }

void TwwRichEditForm::ObjectClick(TObject*) {
    RichEdit1->InsertObjectDialog();
    UpdateState();
}

void TwwRichEditForm::FontClick(TObject*) {
    RichEdit1->ShowFontDialog();
    UpdateState();
}

void TwwRichEditForm::ParagraphClick(TObject*) {
    if (RichEdit1->ShowParagraphDialog()) Ruler->UpdateMarkers();
    UpdateState();
}

void TwwRichEditForm::TabsClick(TObject*) {
    RichEdit1->ShowTabsDialog();
    UpdateState();
}

void TwwRichEditForm::SpellingClick(TObject*) { RichEdit1->SpellCheck(); }
