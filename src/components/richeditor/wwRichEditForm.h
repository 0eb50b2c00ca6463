// The rich text editor window: the full editor a rich text control opens
// modally on a private copy of its document (EditInWindow). Menus, a tool
// bar, a format bar, the ruler, the editor control "RichEdit1" and a status
// bar; which of them exist follows the control's EditorOptions. On save the
// edited document goes back to the control.
#pragma once

#include <string>
#include <vector>

#include <array>
#include <string>

#include "Buttons.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TwwRichEditForm.fields.h"
#include "richedit/wwRichEdit.h"

class TwwRulerPanel;

class TwwRichEditForm : public TForm {
    CX_DECLARE_CLASS()
public:
    // A length of the layout's 96-DPI units in the window's pixels.
    int Scaled(int v) const;
    explicit TwwRichEditForm(TComponent* owner);
    ~TwwRichEditForm() override;

    // The stored layout and the windows of its components, which no control
    // changes: made once, ahead of any control when a spare is made.
    void Build();
    // The menu items and buttons as the options show them: each one the
    // options govern shown or hidden, by the command table (objects: the
    // control can insert objects).
    void ShowCommandsFor(unsigned options, bool readOnly, bool objects);
    // The window's size as its stored layout gives it (after Build).
    SIZE LayoutSize() const { return layoutSize_; }
    // Builds the window for a control: the layout and its windows (Build,
    // when not done yet), the editor control with the control's settings, the
    // ruler. The document is copied in when it shows.
    void Prepare(TwwCustomRichEdit& control);

    // The control that opened the window, its copy and the ruler: made in
    // code, not by the layout.
    TwwCustomRichEdit* OwnerEdit = nullptr;
    TwwCustomRichEdit* RichEdit1 = nullptr;
    TwwRulerPanel* Ruler = nullptr;

    // The components of TwwRichEditForm.layout: the bars and their buttons,
    // the menus, the colour menu (PopupMenu1), the dialogs and the status bar.
    CX_LAYOUT_FIELDS(TwwRichEditForm);

    // The states of the menu items, buttons and context-menu items, by the
    // command table from a snapshot of the editor, and the font boxes: run
    // after every command and selection change (wwRichEditFormState.cpp).
    void UpdateState();
    // The same without what depends on the selection's format (down and
    // checked states of the format commands, the font boxes): the window's
    // update step (idle, before a menu opens, after a menu command).
    void UpdateCommandStates();
    // Places the bars, the ruler, the editor control and the status bar.
    void ResizeLayout();
    // The CAP and NUM panels from the keyboard's lock states.
    void UpdateLockPanels();

    // Window events.
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormResize(TObject* Sender);
    void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void FormKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    void FormKeyPress(TObject* Sender, char& Key);
    void FormUpdate(TObject* Sender);
    void RichEditSelectionChange(TObject* Sender);

    // Commands.
    void NewButtonClick(TObject* Sender);
    void LoadClick(TObject* Sender);
    void SaveAsClick(TObject* Sender);
    void SaveExitClick(TObject* Sender);
    void PrintClick(TObject* Sender);
    void PageSetupClick(TObject* Sender);
    void ExitClick(TObject* Sender);
    void EditMenuClick(TObject* Sender);
    void UndoClick(TObject* Sender);
    void RedoClick(TObject* Sender);
    void CutClick(TObject* Sender);
    void CopyClick(TObject* Sender);
    void PasteClick(TObject* Sender);
    void ClearClick(TObject* Sender);
    void SelectAllClick(TObject* Sender);
    void FindClick(TObject* Sender);
    void FindNextClick(TObject* Sender);
    void ReplaceClick(TObject* Sender);
    void ToolbarItemClick(TObject* Sender);
    void FormatBarItemClick(TObject* Sender);
    void StatusBarItemClick(TObject* Sender);
    void RulerItemClick(TObject* Sender);
    void ObjectClick(TObject* Sender);
    void FontClick(TObject* Sender);
    void BulletStyleClick(TObject* Sender);
    void ParagraphClick(TObject* Sender);
    void TabsClick(TObject* Sender);
    void SpellingClick(TObject* Sender);
    void ToggleButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void BoldButtonClick(TObject* Sender);
    void ItalicButtonClick(TObject* Sender);
    void UnderlineButtonClick(TObject* Sender);
    void ColorButtonClick(TObject* Sender);
    void LeftButtonClick(TObject* Sender);
    void CenterButtonClick(TObject* Sender);
    void RightButtonClick(TObject* Sender);
    void JustifyButtonClick(TObject* Sender);
    void BulletButtonClick(TObject* Sender);
    void HighlightButtonClick(TObject* Sender);
    void FontNameComboCloseUp(TObject* Sender);
    void FontNameComboDropDown(TObject* Sender);
    void FontSizeComboCloseUp(TObject* Sender);
    // A size typed in the font size box and confirmed with Return.
    void FontSizeComboConfirm();
    void ColorItemClick(TObject* Sender);
    void ColorItemMeasure(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    void ColorItemDraw(TObject* Sender, TCanvas* ACanvas, const RECT& ARect, TOwnerDrawState State);

    // Writes the editor's document to a file: plain text or RTF. The file is
    // written beside the target under a temporary name and then put in its
    // place, so a failed save leaves an existing file as it was.
    void SaveDocumentTo(const std::string& fileName, bool plainText);

protected:
    // Return in the font size box's edit part applies the typed size.
    bool PreTranslateMessage(MSG& msg) override;

private:
    bool built_ = false;
    SIZE layoutSize_{};
    std::vector<std::string> screenFonts_;  // the screen's font families, read once per window
    void ApplyOptions();
    void LayoutToolbar();
    void PlaceUserButtons();
    void SetCaptionsAndHints();
    void FillFontNames();
    void GiveBackUserButtons();
    void RestoreHintHandler();
    void StyleCommand(TFontStyle effect, bool wasDown);
    void ToggleBar(TControl* bar, TControl* line);
    void SetAlignment(TEditAlignment a);
    unsigned Options() const;

    bool buttonWasDown_ = false;
    bool resizing_ = false;
    bool hintInstalled_ = false;
    TNotifyEvent savedHint_;
    std::array<TControl*, 2> userButtons_{nullptr, nullptr};
    std::array<TWinControl*, 2> userButtonParents_{nullptr, nullptr};
    int caret_ = 0;
};

// Opens the editor window on a control's document (the control's
// EditInWindow): true when it closed with save.
bool WwEditInWindow(TwwCustomRichEdit& control);
