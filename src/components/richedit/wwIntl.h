// The string table of the rich text family: every caption, hint and message
// of the rich text control, its editor window and its dialogs, one object per
// process. Each text is a published string with its default, so a stored
// layout of the table (class TwwIntl) replaces any of them; a text that is
// empty at use shows empty, except where a fallback is named below.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.h"

// Context menu captions of the rich text control.
#define WW_POPUP_MENU_LABELS(X)                                                                         \
    X(EditCaption, "&Edit") X(ViewCaption, "&View") X(CutCaption, "Cu&t") X(CopyCaption, "&Copy")       \
    X(PasteCaption, "&Paste") X(FontCaption, "&Font") X(BulletStyleCaption, "&Bullet Style")            \
    X(BoldCaption, "B&old") X(ItalicCaption, "&Italic") X(UnderlineCaption, "&Underline")               \
    X(ParagraphCaption, "P&aragraph") X(TabsCaption, "&Tabs") X(FindCaption, "Fin&d")                   \
    X(ReplaceCaption, "&Replace") X(InsertObjectCaption, "Insert &Object...")                          \
    X(ObjectPropertiesCaption, "Object P&roperties") X(SpellCheckCaption, "Check &Spelling")

// Main menu captions of the editor window. Redo is left empty (shown as
// "&Redo"); an empty Insert or Ruler shows "&Insert" or "&Ruler".
#define WW_MENU_LABELS(X)                                                                                 \
    X(FileCaption, "&File") X(LoadCaption, "&Load") X(SaveAsCaption, "Save &As")                          \
    X(SaveExitCaption, "&Save and Exit") X(PrintCaption, "&Print") X(PageSetupCaption, "Page Set&up")     \
    X(ExitCaption, "E&xit") X(EditCaption, "&Edit") X(UndoCaption, "&Undo") X(RedoCaption, "")            \
    X(CutCaption, "Cu&t") X(CopyCaption, "&Copy") X(PasteCaption, "&Paste") X(ClearCaption, "Cle&ar")     \
    X(SelectAllCaption, "Select A&ll") X(FindCaption, "&Find") X(FindNextCaption, "Find &Next")            \
    X(ReplaceCaption, "R&eplace") X(ViewCaption, "&View") X(ToolbarCaption, "&Toolbar")                   \
    X(FormatBarCaption, "&Format Bar") X(StatusBarCaption, "&Status Bar") X(RulerCaption, "&Ruler")       \
    X(OptionsCaption, "&Options") X(InsertCaption, "&Insert") X(DateTimeCaption, "Date and Time")         \
    X(ObjectCaption, "&Object...") X(FormatCaption, "F&ormat") X(FontCaption, "&Font")                    \
    X(BulletStyleCaption, "&Bullet Style") X(ParagraphCaption, "&Paragraph") X(TabsCaption, "&Tabs")      \
    X(HelpCaption, "Help") X(ToolsCaption, "&Tools") X(SpellingCaption, "&Spelling")

// The paragraph dialog. The six line-spacing items are left empty and show
// "Single", "1.5 Lines", "Double", "At least", "Exactly", "Multiple".
#define WW_PARAGRAPH_DLG(X)                                                                             \
    X(ParagraphDlgCaption, "Paragraph") X(IndentationGroupBoxCaption, "Indentation")                    \
    X(LeftEditCaption, "Left:") X(RightEditCaption, "Right:") X(FirstLineEditCaption, "First line:")    \
    X(AlignmentCaption, "Alignment") X(SpacingGroupCaption, "Spacing")                                  \
    X(BeforeParagraphCaption, "&Before") X(AfterParagraphCaption, "Aft&er")                             \
    X(WithinParagraphCaption, "Li&ne Spacing") X(WithinParagraphAtCaption, "&At")                       \
    X(AlignLeft, "Left") X(AlignCenter, "Center") X(AlignRight, "Right") X(AlignJustify, "Justify")     \
    X(SpacingSingle, "") X(Spacing1_5, "") X(SpacingDouble, "") X(SpacingAtLeast, "")                   \
    X(SpacingExactly, "") X(SpacingMultiple, "") X(LeftEditHint, "Left Indentation")                    \
    X(RightEditHint, "Right Indentation") X(FirstLineEditHint, "First Line of Paragraph Indentation")   \
    X(AlignmentHint, "Changes Alignment of Paragraph")

// The tab stops dialog.
#define WW_TAB_DLG(X)                                                                                   \
    X(TabDlgCaption, "Tab") X(TabGroupBoxCaption, "&Tab Stop Position") X(SetTabButtonCaption, "Set")   \
    X(ClearTabButtonCaption, "Clear") X(ClearAllButtonCaption, "Clear All")                             \
    X(TabPositionEditHint, "Tab Position Edit Box") X(TabListHint, "List of tabs and their positions")  \
    X(SetTabHint, "Set a new tab position") X(ClearTabHint, "Clear the selected tab position")          \
    X(ClearAllTabsHint, "Clear all the tabs")

// Hints of the editor window ("short | long"), and the lock captions of its
// status bar.
#define WW_RICHEDIT_HINTS(X)                                                                            \
    X(FontNameHint, "Font | Changes the font of the selection")                                         \
    X(FontSizeHint, "Font Size | Changes the font size of the selection")                               \
    X(NewHint, "New | Creates a new document") X(LoadHint, "Load | Load from file")                     \
    X(SaveAsHint, "Save As | Save to file") X(PrintHint, "Print | Prints the active document")          \
    X(FindHint, "Find | Finds the specified text")                                                      \
    X(CutHint, "Cut | Cuts the selection and puts it on the Clipboard")                                 \
    X(CopyHint, "Copy | Copies the selection and puts it on the Clipboard")                             \
    X(UndoHint, "Undo | Reverses the last action") X(RedoHint, "Redo | Reverses the last undo action")  \
    X(PasteHint, "Paste | Inserts Clipboard contents") X(BoldHint, "Bold | Makes the selection bold (toggle)") \
    X(ColorHint, "Color | Formats the selection with a color")                                          \
    X(UnderlineHint, "Underline | Formats the selection with a continuous underline (toggle)")           \
    X(ItalicHint, "Italic | Makes the selection italic (toggle)")                                       \
    X(LeftHint, "Align Left | Left-justifies paragraph (toggle)")                                       \
    X(CenterHint, "Center | Center-justifies paragraph (toggle)")                                       \
    X(RightHint, "Align Right | Right-justifies paragraph (toggle)")                                    \
    X(JustifyHint, "Justify | Full Justification for paragraph (toggle)")                               \
    X(BulletsHint, "Bullets | Inserts a bullet on this line (toggle)")                                  \
    X(HighlightHint, "Highlight Text | Makes the selection highlighted")                                \
    X(SpellCheckHint, "Check spelling")                                                                 \
    X(SaveExitHint, "Save And Exit | Saves changes and exits editor")                                   \
    X(PageSetupHint, "Page Setup | Changes page layout settings") X(ExitHint, "Exit")                   \
    X(ClearHint, "Erases the Selection") X(SelectAllHint, "Selects all of the text")                    \
    X(FindNextHint, "Repeats the last find") X(ReplaceHint, "Replaces specific text with different text") \
    X(InsertObjectHint, "Inserts new embedded object") X(ToolbarHint, "Shows or hides the toolbar")     \
    X(FormatBarHint, "Shows or hides the format bar") X(StatusBarHint, "Shows or hides the status bar") \
    X(OptionsHint, "Sets options") X(FontHint, "Selects font for current selection")                    \
    X(ParagraphHint, "Formats current or selected paragraph(s)") X(TabsHint, "Sets tabs")              \
    X(CapsLockCaption, "CAP") X(NumLockCaption, "NUM")

// Messages of the rich text family.
#define WW_USER_MESSAGES(X)                                                                             \
    X(LocateNoMoreMatches, "No more matches found")                                                     \
    X(RichEditExitWarning, "Changes have been made!  Do you wish to save your changes?")                \
    X(RichEditClearWarning, "Clear entire text?")                                                       \
    X(RichEditSpellCheckComplete, "The spell check is complete.")                                       \
    X(RichEditMSWordNotFound, "Unable to start Microsoft Word's Spell Checker.")

#define WW_INTL_FIELD(name, text) std::string name = text;

// The text, or the fallback when the text is empty.
inline std::string WwTextOr(const std::string& text, const char* fallback) { return text.empty() ? fallback : text; }

class TwwRichEditPopupMenuLabels : public TPersistent {
    CX_DECLARE_CLASS()
public:
    WW_POPUP_MENU_LABELS(WW_INTL_FIELD)
};

class TwwRichEditMenuLabels : public TPersistent {
    CX_DECLARE_CLASS()
public:
    WW_MENU_LABELS(WW_INTL_FIELD)
    std::string RedoText() const { return WwTextOr(RedoCaption, "&Redo"); }
    std::string InsertText() const { return WwTextOr(InsertCaption, "&Insert"); }
    std::string RulerText() const { return WwTextOr(RulerCaption, "&Ruler"); }
};

class TwwRichEditParagraphDlg : public TPersistent {
    CX_DECLARE_CLASS()
public:
    WW_PARAGRAPH_DLG(WW_INTL_FIELD)
    std::int32_t HelpContext = 0;
    // Line-spacing item 0 to 5 with its fallback; empty outside that range.
    std::string SpacingItem(int index) const;
};

class TwwRichEditTabDlg : public TPersistent {
    CX_DECLARE_CLASS()
public:
    WW_TAB_DLG(WW_INTL_FIELD)
    std::int32_t HelpContext = 0;
};

class TwwDBRichEditIntl : public TPersistent {
    CX_DECLARE_CLASS()
public:
    WW_RICHEDIT_HINTS(WW_INTL_FIELD)
    std::string RedoHintText() const { return WwTextOr(RedoHint, "Redo | Reverses the last undo action"); }
    TwwRichEditMenuLabels MenuLabels;
    TwwRichEditPopupMenuLabels PopupMenuLabels;
    TwwRichEditParagraphDlg ParagraphDlg;
    TwwRichEditTabDlg TabDlg;
};

class TwwUserMessagesIntl : public TPersistent {
    CX_DECLARE_CLASS()
public:
    WW_USER_MESSAGES(WW_INTL_FIELD)
};

class TwwIntl : public TComponent {
    CX_DECLARE_CLASS()
public:
    // The first one made is the process's table until it is freed.
    explicit TwwIntl(TComponent* owner);
    ~TwwIntl() override;
    std::string OKCaption = "&OK";
    std::string CancelCaption = "Cancel";
    TwwDBRichEditIntl RichEdit;
    TwwUserMessagesIntl UserMessages;

    // Replaces texts from a stored layout of the table; the texts it does not
    // name keep their values.
    void LoadFrom(const void* data, std::size_t size);
    // Reads the program's stored table (resource TWWINTL) when it has one.
    void LoadStored();
};

#undef WW_INTL_FIELD

// The process's string table: made at start-up, owned by the application.
extern TwwIntl* wwIntl;
// The process's table, made with the application as owner when there is none yet.
TwwIntl& WwIntl();
