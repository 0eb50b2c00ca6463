// The rich text control: the one document control of the book (the book
// view, the notepad, the About pages). It carries its document inside the
// window layout (Data), exposes it as lines, keeps it across window
// re-creation, opens clicked links through the shell and hosts embedded
// objects through the platform's OLE callback.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Forms.h"
#include "RichEdit.h"

struct IRichEditOle;
namespace units {
enum class Unit;
}
class TFontDialog;
class TMenuItem;
class TRichEditOleCallback;
class TwwFindDialog;
class TwwCustomRichEdit;
struct TwwStoredDocumentLoad;

enum TwwRichEditPopupOption : unsigned {
    rpoPopupEdit = 1u << 0, rpoPopupCut = 1u << 1, rpoPopupCopy = 1u << 2, rpoPopupPaste = 1u << 3,
    rpoPopupBold = 1u << 4, rpoPopupItalic = 1u << 5, rpoPopupUnderline = 1u << 6, rpoPopupFont = 1u << 7,
    rpoPopupBullet = 1u << 8, rpoPopupParagraph = 1u << 9, rpoPopupTabs = 1u << 10, rpoPopupFind = 1u << 11,
    rpoPopupReplace = 1u << 12, rpoPopupInsertObject = 1u << 13, rpoPopupMSWordSpellCheck = 1u << 14
};
inline constexpr unsigned kAllPopupOptions = (rpoPopupMSWordSpellCheck << 1) - 1;
enum TwwRichEditOption : unsigned {
    reoShowLoad = 1u << 0, reoShowSaveAs = 1u << 1, reoShowSaveExit = 1u << 2, reoShowPrint = 1u << 3,
    reoShowPageSetup = 1u << 4, reoShowFormatBar = 1u << 5, reoShowToolBar = 1u << 6, reoShowStatusBar = 1u << 7,
    reoShowHints = 1u << 8, reoShowRuler = 1u << 9, reoShowInsertObject = 1u << 10, reoCloseOnEscape = 1u << 11,
    reoFlatButtons = 1u << 12, reoShowSpellCheck = 1u << 13, reoShowMainMenuIcons = 1u << 14,
    reoShowJustifyButton = 1u << 15, reoUseBackColor = 1u << 16, reoNoConfirmation = 1u << 17
};
enum TwwRichEditOleOption : unsigned { reoAdjustPopupMenu = 1u << 0, reoDisableOLE = 1u << 1 };
// One verb of an embedded object, as a menu offers it.
struct TwwObjectVerb {
    LONG verb = 0;
    std::string name;
    UINT menuFlags = 0;
};
enum class TwwMeasurementUnits { muInches, muCentimeters };
// The entries of CompatibilitySwitches that are read. On, they mean: find
// requests keep their own direction; the version-1 window class even at
// version 2; no realignment request from a control that becomes visible
// under an empty parent; the control font's character set for every face.
enum TwwCompatibilitySwitch : int {
    cswFindKeepsDirection = 0, cswVersion1WindowClass = 1, cswNoRealignOnShow = 2, cswControlFontCharset = 4
};
inline constexpr std::array<std::variant<bool, int>, 7> kDefaultCompatibilitySwitches{
    false, false, false, false, false, 0, false};
enum class TwwRichEditWidth { rewWindowSize, rewPrinterSize };

extern const EnumNames kPopupOptionNames;
extern const EnumNames kEditorOptionNames;
extern const EnumNames kOleOptionNames;
extern const EnumNames kMeasurementUnitNames;
extern const EnumNames kEditWidthNames;

// Every item but the character styles.
inline constexpr unsigned kDefaultPopupOptions =
    kAllPopupOptions & ~static_cast<unsigned>(rpoPopupBold | rpoPopupItalic | rpoPopupUnderline);
static_assert(kDefaultPopupOptions == 0x7F8F);
// Every command from Save and Exit to the main menu's icons.
inline constexpr unsigned kDefaultEditorOptions =
    reoShowSaveExit | reoShowPrint | reoShowPageSetup | reoShowFormatBar | reoShowToolBar | reoShowStatusBar |
    reoShowHints | reoShowRuler | reoShowInsertObject | reoCloseOnEscape | reoFlatButtons | reoShowSpellCheck |
    reoShowMainMenuIcons;
static_assert(kDefaultEditorOptions == 0x7FFC);
inline constexpr DWORD kBaseEventMask = ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED;

using TwwURLOpenEvent = std::function<void(TObject* Sender, const std::string& URLLink, bool& UseDefault)>;
using TwwOnRichEditDlgEvent = std::function<void(TObject* Sender, TForm* Form)>;
using TwwRTFNotifyEvent = std::function<void(TForm* Form, TwwCustomRichEdit* RichEdit, bool& DoDefault)>;

// Placement of the editor window; all zero until set.
class TwwFormPosition : public TPersistent {
    CX_DECLARE_CLASS()
public:
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    void Assign(TPersistent* source) override;
};

// Print margins in the control's measurement units.
class TwwPrintMargins : public TPersistent {
    CX_DECLARE_CLASS()
public:
    double Top = 1.0, Bottom = 1.0, Left = 1.0, Right = 1.0;
    // Copies from other margins; any other kind of object is ignored.
    void Assign(TPersistent* source) override;
};

// The optional drawn frame. Disabled, the control paints and sizes as the
// plain platform window.
class TwwEditFrame : public TPersistent {
    CX_DECLARE_CLASS()
public:
    bool Enabled = false;
    bool Transparent = false;
    TColor NonFocusColor = clNone;
    void Assign(TPersistent* source) override;
};

// The control's lines: the base line list's operations, plus the control's
// rules for adding lines, setting the whole text and updating; loading and
// saving go to the base layer's line list of the same control.
class TwwRichEditStrings : public TRichEditStrings {
    CX_DECLARE_CLASS()
public:
    explicit TwwRichEditStrings(TwwCustomRichEdit& owner);
    void AddStrings(TStrings& other) override;
    void SetText(const std::string& text) override;
    void SetStrings(const std::vector<std::string>& lines) override;
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

private:
    TwwCustomRichEdit& control_;
};

// The fields a paragraph-format request sets (TwwParagraphRequest::Mask).
// At most 32 tab stops are sent.
enum TwwParagraphField : unsigned {
    pfrAlignment = 0x01, pfrNumbering = 0x02, pfrOffset = 0x04, pfrRightIndent = 0x08, pfrStartIndent = 0x10,
    pfrTabStops = 0x20, pfrSpaceBefore = 0x40, pfrSpaceAfter = 0x80, pfrLineSpacing = 0x100
};
// A paragraph-format request (SetParagraphFormat), its fields named by the
// mask. Lengths in twips. Line-spacing rule 1 is one and a half lines, 2
// double; other rules are the platform's own.
struct TwwParagraphRequest {
    unsigned Mask = 0;
    std::string Alignment;  // compared with the alignment texts; anything else centres
    int LineSpacingRule = 0;
    int LineSpacing = 0;
    int SpaceAfter = 0;
    int SpaceBefore = 0;
    std::vector<int> Tabs;
    int StartIndent = 0;
    int RightIndent = 0;
    int Offset = 0;
    bool Bullets = false;
};
struct TwwAlignmentTexts {
    std::string Left = "Left", Right = "Right", Justify = "Justify";
};

class TwwCustomRichEdit : public TCustomRichEdit {
    CX_DECLARE_CLASS()
public:
    explicit TwwCustomRichEdit(TComponent* owner);
    ~TwwCustomRichEdit() override;

    // The published defaults of this layer (and kDefaultPopupOptions,
    // kDefaultEditorOptions, kDefaultCompatibilitySwitches above).
    static constexpr TColor kDefaultHighlightColor = 0x0000FFFF;  // yellow
    static constexpr int kDefaultGutterWidth = 3;
    static constexpr unsigned kDefaultOleOptions = reoAdjustPopupMenu;
    static constexpr bool kDefaultAutoURLDetect = false, kDefaultAutoSelect = false, kDefaultAutoDisplay = true;
    static constexpr int kDefaultBorderWidth = 0;
    static constexpr std::int32_t kDefaultPrintPageSize = 1;
    static constexpr char kDefaultEditorCaption[] = "Edit Rich Text";
    static constexpr TwwMeasurementUnits kDefaultMeasurementUnits = TwwMeasurementUnits::muInches;
    static constexpr TwwRichEditWidth kDefaultEditWidth = TwwRichEditWidth::rewWindowSize;

    TStrings* Lines() override;
    TwwRichEditStrings& WwLines() { return *lines_; }

    // 1 or 2: the platform window's version; changing it re-creates the window.
    int RichEditVersion() const { return version_; }
    void SetRichEditVersion(int v);
    bool DataRead() const { return dataRead_; }
    bool Loading() const { return loading_ > 0; }

    // Published state.
    bool AutoURLDetect() const { return autoURLDetect_; }
    void SetAutoURLDetect(bool v);
    unsigned OleOptions() const { return oleOptions_; }
    void SetOleOptions(unsigned v);
    unsigned PopupOptions = kDefaultPopupOptions;
    unsigned EditorOptions = kDefaultEditorOptions;
    std::string EditorCaption = kDefaultEditorCaption;
    TwwFormPosition* EditorPosition() { return editorPosition_.get(); }
    TwwPrintMargins* PrintMargins() { return printMargins_.get(); }
    TwwEditFrame* Frame() { return frame_.get(); }
    TwwMeasurementUnits MeasurementUnits = kDefaultMeasurementUnits;
    TwwRichEditWidth EditWidth() const { return editWidth_; }
    void SetEditWidth(TwwRichEditWidth v);
    int GutterWidth() const { return gutterWidth_; }
    void SetGutterWidth(int v);
    // Paper size code for the printer's device mode (low 16 bits used).
    // Set it with SetPrintPageSize so that printer-width layout follows.
    std::int32_t PrintPageSize = kDefaultPrintPageSize;
    std::string PrintJobName;
    // Stores the paper size; under printer-width layout on a form, the
    // printer takes it at once and the lines are laid out again.
    void SetPrintPageSize(std::int32_t v);
    // Writes PrintPageSize into the current printer's device mode.
    void ApplyPaperSize();
    // Where printed text goes, in printer pixels; empty (the default) means
    // inside PrintMargins.
    RECT PageRect{0, 0, 0, 0};
    // Prints the whole document on the current printer as one job titled
    // jobTitle. Printer errors arrive as EPrinter; the printer's mapping mode
    // and the window's page formatting are put back on every way out.
    virtual void PrintDocument(const std::string& jobTitle);
    // How the last PrintDocument laid its pages out: through the platform
    // window's page formatting, or through the windowless text services
    // where the window made no progress on a document with text.
    enum class TPrintPath { None, Window, TextServices };
    TPrintPath LastPrintPath() const { return lastPrintPath_; }
    int LastPrintPages() const { return lastPrintPages_; }
    TColor HighlightColor = kDefaultHighlightColor;
    std::string Title;
    bool AutoSelect = kDefaultAutoSelect;
    bool AutoDisplay = kDefaultAutoDisplay;
    int BorderWidth = kDefaultBorderWidth;
    TControl* UserSpeedButton1() const { return userButtons_[0]; }
    TControl* UserSpeedButton2() const { return userButtons_[1]; }
    void SetUserSpeedButton(int which, TControl* button);

    TwwURLOpenEvent OnURLOpen;
    TwwOnRichEditDlgEvent OnInitDialog, OnCloseDialog, OnCreateDialog;
    TwwRTFNotifyEvent OnMenuLoadClick, OnMenuPrintClick, OnMenuSaveAsClick, OnMenuSaveAndExitClick;

    // Compatibility switches, created with the control, by their entries
    // (TwwCompatibilitySwitch); entries 3, 5 and 6 are not read.
    using Switch = std::variant<bool, int>;
    std::array<Switch, 7> CompatibilitySwitches = kDefaultCompatibilitySwitches;
    bool SwitchOn(int entry) const;  // a TwwCompatibilitySwitch; false for one out of range

    // Streams RTF (or text with the plain-text switch) into the document or,
    // with selection, over the selection; a positive chunk limit closes the
    // RTF early after that many chunks. Whole-document loads fall back to
    // text; "Failed to Load Stream" when nothing could be read.
    virtual void LoadStreamLimited(TStream& stream, bool selection, int chunkLimit);
    // Find without the forced search-down flag: the request passes with only
    // whole word and match case.
    virtual int FindTextRaw(const std::string& text, int start, int length, unsigned searchTypes);
    // Whether pasting makes sense now: the window's answer, refused for a
    // bitmap and granted for a metafile on the clipboard.
    bool CanPaste();
    bool HasSelection();
    // Recomputes the formatting rectangle from the window or printer width.
    void UpdateFormatRect();
    bool UsesPrinterWidth();
    // Lengths in MeasurementUnits: text to twips (unit characters cut, the
    // locale's decimal separator, truncated toward zero; an error for text
    // that is not a number), twips to units (to hundredths), and the texts
    // shown for a value, plain or put on the unit's grid (or 1/grid).
    int UnitsToTwips(const std::string& text) const;
    double TwipsToUnits(int twips) const;
    // The unit MeasurementUnits names, for the length arithmetic.
    units::Unit LengthUnit() const;
    std::string FormatUnits(double value) const;
    std::string FormatUnitsOnGrid(double value, int grid = 0) const;
    // The decimal separator of the user's locale.
    static char DecimalSeparator();

    // Formatting commands on the selection (wwRichEditFormat.cpp). Face names
    // are cut at 31 characters, sizes are points; colour clNone leaves the
    // text colour alone.
    void ApplyFont(const std::string& faceName, int size, TColor color, TFontStyles style);
    void SetStyleEffect(TFontStyle effect, bool on);
    void SetBullets(bool on);
    void SetParagraphFormat(const TwwParagraphRequest& request);
    // The selection's paragraph format in the window's form (156 bytes below
    // version 2, else 188); all zero without a window.
    PARAFORMAT2 GetParagraphFormat();
    // -1 removes highlighting and restores Color as the background.
    void SetHighlightColor(TColor color);
    TColor GetHighlightColor();
    // The character set of a face: the first installed family's, else the control font's.
    int CharsetOfFace(const std::string& faceName);
    // The texts alignment requests are compared with; the editor's string
    // table supplies its own ("Left", "Right", "Justify" without one).
    static std::function<TwwAlignmentTexts()> AlignmentTexts;
    // Copies the document of source into destination through a memory stream.
    static void CopyDocument(TwwCustomRichEdit& source, TwwCustomRichEdit& destination);
    // The platform window's OLE interface (none with reoDisableOLE or before the window exists).
    IRichEditOle* OleInterface() const { return richEditOle_.Get(); }
    TRichEditOleCallback* OleCallback() const { return callback_.Get(); }
    void Clear() override;

    // The view's place: the first character of the line at the top of the
    // window, and a scroll that brings the line holding a character to the
    // top. The window's own re-wrap on a resize keeps that line at the top.
    int TopCharacter();
    void ScrollCharacterToTop(int position);

    // Stored documents loaded in the background. While deferred loading is
    // on (the program turns it on before it makes its windows), a control
    // that reads its stored Data keeps it and streams it into its window
    // piece by piece in idle time, after the windows are on screen; anything
    // that needs the document before (its text, the selection, finding,
    // saving, a key or a click in the window) finishes the load at once.
    // OnDocumentLoaded follows when the stored document is all in.
    static void SetDeferredLoading(bool on);
    static bool DeferredLoading();
    bool DocumentPending() const { return storedLoad_ != nullptr; }
    // Loads a stored document (the bytes Data carries after its count): now,
    // or with deferred loading on, in idle time.
    void LoadStoredDocument(std::string bytes);
    // Finishes a pending stored document now.
    void CompleteDocument();
    // Loads the next piece of the pending stored document, at most about
    // budgetMs of work; false once nothing is pending.
    bool LoadDocumentPiece(int budgetMs);
    TNotifyEvent OnDocumentLoaded;
    // Each part of a stored document as it goes in: count characters at
    // position at. whole: the part is the whole document so far (the first
    // part loaded; whatever was known of the window's text before is gone).
    std::function<void(LONG at, LONG count, bool whole)> OnDocumentPart;
    // How much of the document's start is in and in its final place: all of
    // it once nothing is pending; while a stored document comes in, the text
    // in front of the part still to come.
    LONG DocumentFrontLength();
    // Before the window's document is read by others (streamed out, laid out
    // for printing, a run's format asked for): work still to do on it is done.
    TNotifyEvent OnDocumentRead;
    // Requests on the part of a stored document that is in: while one of
    // these lives, messages to the window do not finish the load first.
    class TPartialUse {
    public:
        explicit TPartialUse(TwwCustomRichEdit& c) : c_(c), own_(c.pieceLoading_) { c_.pieceLoading_ = true; }
        ~TPartialUse() { c_.pieceLoading_ = own_; }
        TPartialUse(const TPartialUse&) = delete;
        TPartialUse& operator=(const TPartialUse&) = delete;

    private:
        TwwCustomRichEdit& c_;
        bool own_;
    };

    // Operations the control family adds, in their order. The paragraph and
    // tab stop dialogs belong to the editor family: in a program without
    // them they raise EInvalidOperation naming the dialog.
    virtual void RemoveHighlight();       // removes highlighting from the selection (formatting commands)
    virtual bool GetReadOnly() { return ReadOnly(); }
    virtual void PrepareFieldEdit() {}    // before a change to a bound field: no field is ever bound
    virtual void UpdateFieldData() {}     // writes back to a bound field: no field is ever bound
    virtual bool IsFieldLoaded() { return true; }
    virtual void* GetBoundField() { return nullptr; }
    // Fires OnURLOpen; UseDefault still true afterwards lets the shell open the link.
    virtual void DoURLOpen(const std::string& URLLink, bool& UseDefault);
    virtual bool IsTransparent() { return frame_->Transparent; }
    virtual void LoadFromField() {}       // loads a bound field's document: no field is ever bound
    // Builds the built-in context menu; it is the control's menu until a
    // PopupMenu of the program's own replaces it.
    virtual void CreatePopupMenu();
    virtual void CreateDialogs();         // the find, replace and font dialogs, then CreatePopupMenu
    virtual bool InsertObjectDialog();    // the platform's insert-object dialog (embedded-object commands)
    virtual bool ObjectPropertiesDialog();  // the platform's object-properties dialog (embedded-object commands)
    // Opens the editor window on the document; true when it closed with OK.
    // The editor window belongs to the editor family (see wwRichEditorLink.h):
    // in a program without it nothing opens and the answer is false.
    virtual bool EditInWindow();
    // Asks for an editor window to be made ahead in a quiet moment (a program
    // that will open one soon calls it; nothing happens without the family).
    static void PrepareEditorWindow();
    // The find and replace dialogs (modeless, one of each per control): the
    // selection is the search text unless it is empty or holds a line break,
    // else the last search text; the selection stays visible meanwhile.
    virtual void ShowFindDialog();
    virtual void ShowReplaceDialog();
    // The font dialog on the selection's font; the chosen font goes to the
    // selection. True when the user confirmed.
    virtual bool ShowFontDialog();
    virtual bool ShowParagraphDialog();   // the paragraph dialog; true when it closed with OK
    virtual bool ShowTabsDialog();        // the tab stops dialog; true when it closed with OK
    // Selects the next match of the find dialog's text after the selection,
    // once round the document from where the search began; at the end, the
    // message "No more matches found" and the search begins anew.
    virtual void FindNextMatch();
    // The text the last search used (wide, so any alphabet is found); Find
    // Next has something to repeat when it is not empty.
    const std::wstring& LastSearchText() const { return lastSearchText_; }
    bool HasSearchText() const { return !lastSearchText_.empty(); }
    // The replace dialog's request: the selected match is replaced and the
    // next one selected; with Replace All, every match once. A read-only
    // control replaces nothing.
    virtual void ReplaceNextMatch();
    // Replaces the first match at or after the selection start and puts the
    // caret after the replacement; false when there is none (or the control
    // is read-only, or findText is empty). searchTypes: stMatchCase, stWholeWord.
    virtual bool FindAndReplace(const std::string& findText, const std::string& replaceText, unsigned searchTypes);
    bool FindAndReplace(const std::wstring& findText, const std::wstring& replaceText, unsigned searchTypes);
    // The first match of text in [start, start + length) (to the end when
    // length reaches past it), searched forward; -1 when there is none.
    int FindWideText(const std::wstring& text, int start, int length, unsigned searchTypes);
    // The selection's text and the whole text's length in UTF-16 units (a
    // paragraph break counts one), and the selection replaced as one undo step.
    std::wstring SelTextW();
    int TextLengthW();
    void SetSelTextW(const std::wstring& text);
    TwwFindDialog* FindDialog() const { return findDialog_; }
    TwwFindDialog* ReplaceDialog() const { return replaceDialog_; }
    TFontDialog* FontDialog() const { return fontDialog_; }
    // The built-in context menu and its 20 items in order (separators too).
    TPopupMenu* BuiltInPopupMenu() const { return builtInPopup_; }
    TMenuItem* BuiltInPopupItem(int index) const;
    // Sets the built-in menu's captions from the string table again.
    void SetPopupCaptions();
    virtual void DoInitDialog(TForm* form);
    virtual void DoCloseDialog(TForm* form);
    virtual void DoCreateDialog(TForm* form);
    virtual bool SpellCheck() { return true; }  // there is no spelling checker: nothing to do
    // Printing through an external word processor is not provided: false.
    virtual bool PrintWithWordProcessor(const std::string& templateFile);

    // The context-menu state the OLE callback consults.
    bool PopupPending() const { return popupPending_; }
    void SetPopupPending(bool v) { popupPending_ = v; }
    // The menu a right click shows, tied to this control; with
    // reoAdjustPopupMenu the selected embedded object's items are added to
    // it (and those of the last time taken away).
    virtual TPopupMenu* GetPopupMenu();
    int PlatformMajorVersion() const { return platformMajorVersion_; }

    // Embedded objects. ExecuteVerb runs a verb on the selected object: an
    // index above 0 is looked up in ObjectVerbs (the verbs the last context
    // menu offered), -65536 is verb 0, others are verb numbers; an index past
    // the list raises "Invalid Verb", an OLE failure its platform text.
    void ExecuteVerb(int index);
    std::vector<TwwObjectVerb> ObjectVerbs;
    // The selected object's verbs that belong on a menu, in its own order
    // (empty without exactly one selected object).
    std::vector<TwwObjectVerb> SelectedObjectVerbs();

    void DefineProperties(TFiler& filer) override;
    void Loaded() override;
    void Notification(TComponent* c, TOperation op) override;

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& m) override;
    void Change() override;
    // Opens a web or mail link with the shell's "open" verb under the
    // hourglass; any other link is refused with a one-line message.
    virtual void OpenURL(const std::string& link);
    // Asks the window for its OLE interface and hands it the callback.
    virtual void InstallOleCallback();

    std::wstring lastSearchText_;  // the find commands' last search text
    // The opening step of the built-in menu: visibility, captions, states.
    virtual void PopupMenuOpening();

    // Set while the control fills itself, so that change-driven code does not react.
    class LoadingGuard {
    public:
        explicit LoadingGuard(TwwCustomRichEdit& c) : c_(c) { ++c_.loading_; }
        ~LoadingGuard() { --c_.loading_; }
        LoadingGuard(const LoadingGuard&) = delete;
        LoadingGuard& operator=(const LoadingGuard&) = delete;

    private:
        TwwCustomRichEdit& c_;
    };

private:
    friend class TwwRichEditStrings;
    bool KeyDown(WPARAM key);
    void RightButtonUp(TMessage& m);
    void LinkNotify(TMessage& m);
    std::string TextRange(LONG start, LONG end);
    bool CursorIn(const CHARRANGE& r);
    void ReadData(layout::Reader& payload);
    void WriteData(layout::Writer& payload);
    // Loads a document with MaxLength raised by one for the duration.
    void LoadWithRaisedLimit(TStream& stream);
    DWORD EventMask();
    void SetEventMask(DWORD mask);
    void FinishStoredDocument();
    // Whether a message to the window needs the whole stored document first;
    // a replaced document drops what was still to come.
    void DocumentNeededFor(const TMessage& m);
    void ApplyLinkDetection();

    std::unique_ptr<TwwRichEditStrings> lines_;
    std::unique_ptr<TwwFormPosition> editorPosition_;
    std::unique_ptr<TwwPrintMargins> printMargins_;
    std::unique_ptr<TwwEditFrame> frame_;
    ComPtr<TRichEditOleCallback> callback_;  // one reference held for the control's life
    ComPtr<IRichEditOle> richEditOle_;
    UniqueModule richLib_;                   // the version-2 library of the current window
    std::unique_ptr<TwwRichMemoryStream> savedDocument_;
    bool saved_ = false;
    bool dataRead_ = false;
    bool versionRead_ = false;
    std::optional<std::string> pendingData_;
    std::optional<std::vector<std::string>> pendingLines_;
    int version_ = 2;
    int loading_ = 0;
    bool autoURLDetect_ = kDefaultAutoURLDetect;
    unsigned oleOptions_ = kDefaultOleOptions;
    TwwRichEditWidth editWidth_ = kDefaultEditWidth;
    int gutterWidth_ = kDefaultGutterWidth;
    TColor rememberedColor_ = clNone;
    std::array<TControl*, 2> userButtons_{nullptr, nullptr};
    bool linkPressed_ = false;
    CHARRANGE pressedLink_{0, 0};
    bool rightClickBusy_ = false;
    bool popupPending_ = false;
    bool painting_ = false;
    // The formatting rectangle last set, and the window's own account of it.
    RECT wantedRect_{0, 0, 0, 0}, windowRect_{0, 0, 0, 0};
    bool formatRectKnown_ = false;
    TPrintPath lastPrintPath_ = TPrintPath::None;
    int lastPrintPages_ = 0;
    // One step of a search on a dialog (find, or replace with replacing).
    void SearchStep(TwwFindDialog& dialog, bool replacing);
    void NoMoreMatches(TwwFindDialog& dialog);
    void KeepMatchInSight(TwwFindDialog& dialog);
    void BeginSearch();
    void FindRequest(TwwFindDialog& dialog);
    void DialogClosed();
    void ShowSearchDialog(TwwFindDialog& dialog);
    void AddObjectItems(TPopupMenu& menu);
    void FreeObjectItems();
    TwwFindDialog* findDialog_ = nullptr;     // owned by the control
    TwwFindDialog* replaceDialog_ = nullptr;  // owned by the control
    TFontDialog* fontDialog_ = nullptr;       // owned by the control
    TPopupMenu* builtInPopup_ = nullptr;      // owned by the control
    std::array<TMenuItem*, 20> popupItems_{};
    std::vector<TMenuItem*> objectItems_;     // added to the menu in use for the selected object
    // The search state: where it began, whether it went round the end, and
    // whether the match at its beginning was already met going forward.
    bool searchWrapped_ = false;
    int searchStart_ = 0;
    bool searchStartMet_ = false;
    // The selection the last search step left: another one means the reader
    // moved, and the next step begins a new search from there.
    CHARRANGE searchLeft_{-1, -1};
    bool savedHideSelection_ = true;
    std::unique_ptr<TwwStoredDocumentLoad> storedLoad_;
    bool pieceLoading_ = false;  // the control's own requests while it loads a piece
    int sizeTop_ = -1;           // the line at the top while the window changes size
};

// The control as the book's windows use it: every property published, and
// an optional binding to a database field that nothing in the book sets.
class TwwDBRichEdit : public TwwCustomRichEdit {
    CX_DECLARE_CLASS()
public:
    explicit TwwDBRichEdit(TComponent* owner);
    std::string DataSource;  // name of a data source; not used
    std::string DataField;   // not used
    // Framework-standard settings a layout may carry; kept as given. Their
    // defaults: 3D look of its own and of the parent, manual dragging, the
    // input method as it is (imDontCare), anchored left and top.
    static constexpr bool kDefaultCtl3D = true, kDefaultParentCtl3D = true;
    static constexpr int kDefaultDragMode = 0, kDefaultImeMode = 3;
    static constexpr unsigned kDefaultAnchors = 3;
    bool Ctl3D = kDefaultCtl3D;
    bool ParentCtl3D = kDefaultParentCtl3D;
    int DragMode = kDefaultDragMode;
    int ImeMode = kDefaultImeMode;
    std::string ImeName;
    unsigned Anchors = kDefaultAnchors;
};
