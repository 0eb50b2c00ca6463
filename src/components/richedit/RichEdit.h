// The framework's rich edit control: a multi-line edit on the platform's
// rich edit window, with the document as a line list, the selection, the
// default and selection character attributes, paragraph attributes, and
// RTF or plain-text transfer through streams and files.
#pragma once

#include <windows.h>
#include <richedit.h>
// The common dialog header names FindText as a macro; the control's method
// keeps its own name in every file that sees it.
#undef FindText

#include <memory>
#include <string>

#include "Controls.h"
#include "RichEditStreams.h"
#include "StringList.h"

class TCustomRichEdit;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TEditAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TEditBorderStyle { bsNone, bsSingle };
enum class TNumberingStyle { nsNone, nsBullet };
enum TSearchType : unsigned { stWholeWord = 1, stMatchCase = 2 };
extern const EnumNames kScrollStyleNames;
extern const EnumNames kEditAlignmentNames;
extern const EnumNames kEditBorderStyleNames;

using TRichEditResizeEvent = std::function<void(TObject* Sender, const RECT& Rect)>;
using TRichEditProtectChange = std::function<void(TObject* Sender, int StartPos, int EndPos, bool& AllowChange)>;
using TRichEditSaveClipboard = std::function<void(TObject* Sender, int NumObjects, int NumChars, bool& SaveClipboard)>;

// Character attributes of the selection or the document's defaults, read
// from and written to the window on every access.
class TTextAttributes : public TPersistent {
    CX_DECLARE_CLASS()
public:
    enum class Kind { Selected, Default };
    TTextAttributes(TCustomRichEdit& owner, Kind kind) : owner_(owner), kind_(kind) {}

    std::string Name();
    void SetName(const std::string& v);
    int Size();  // points
    void SetSize(int points);
    int Height();  // pixels at the screen's resolution
    void SetHeight(int pixels);
    TFontStyles Style();
    void SetStyle(TFontStyles v);
    TColor Color();
    void SetColor(TColor v);
    int Charset();
    void SetCharset(int v);
    TFontPitch Pitch();
    void SetPitch(TFontPitch v);
    bool Protected();
    void SetProtected(bool v);
    void Assign(TPersistent* source) override;  // from a font or other attributes
    void AssignTo(TFont& font);

private:
    CHARFORMAT2A Get();
    void Set(CHARFORMAT2A& f, DWORD mask);
    TCustomRichEdit& owner_;
    Kind kind_;
};

// Paragraph attributes of the selection; indents in points.
class TParaAttributes : public TPersistent {
    CX_DECLARE_CLASS()
public:
    explicit TParaAttributes(TCustomRichEdit& owner) : owner_(owner) {}
    TEditAlignment Alignment();
    void SetAlignment(TEditAlignment v);
    int FirstIndent();
    void SetFirstIndent(int v);
    int LeftIndent();
    void SetLeftIndent(int v);
    int RightIndent();
    void SetRightIndent(int v);
    TNumberingStyle Numbering();
    void SetNumbering(TNumberingStyle v);
    int TabCount();
    int Tab(int index);
    void SetTabs(const std::vector<int>& points);

private:
    PARAFORMAT2 Get();
    void Set(PARAFORMAT2& p, DWORD mask);
    TCustomRichEdit& owner_;
};

// The base layer's line list: line access through the window's line
// messages, whole-document load and save in RTF or text.
class TRichEditStrings : public TStrings {
    CX_DECLARE_CLASS()
public:
    explicit TRichEditStrings(TCustomRichEdit& owner) : owner_(owner) {}
    int Count() override;
    std::string Get(int index) override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    std::string GetText() override;
    void SetText(const std::string& text) override;
    void SetStrings(const std::vector<std::string>& lines) override;  // as one text

    // Files pick their conversion by extension; loading a file raises the
    // window's text limit afterwards.
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) override;
    // RTF from the stream's position (text when the control's plain-text
    // switch is on); RTF that fails is read again from the same place as
    // text; "Failed to Load Stream" when that fails too.
    void LoadFromStream(TStream& stream) override;
    // "Failed to Save Stream" when the window reports an error.
    void SaveToStream(TStream& stream) override;

    // The longest line a read returns, in bytes; longer lines are cut.
    static constexpr int kLineBufferSize = 4096;

protected:
    void SetUpdateState(bool updating) override;
    TCustomRichEdit& owner_;
    TConversion* conversion_ = nullptr;  // the one of the file being loaded or saved
};

class TCustomRichEdit : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TCustomRichEdit(TComponent* owner);
    ~TCustomRichEdit() override;

    // The published defaults: the members start with them, and a stored
    // layout leaves out a property that has its default.
    static constexpr TScrollStyle kDefaultScrollBars = TScrollStyle::ssNone;
    static constexpr TEditAlignment kDefaultAlignment = TEditAlignment::taLeftJustify;
    static constexpr TEditBorderStyle kDefaultBorderStyle = TEditBorderStyle::bsSingle;
    static constexpr bool kDefaultHideSelection = true, kDefaultHideScrollBars = true, kDefaultReadOnly = false,
                          kDefaultWantReturns = true, kDefaultWantTabs = false, kDefaultWordWrap = true;
    static constexpr int kDefaultMaxLength = 0;
    long AccessibleRole() const override;  // text, read-only or not

    // The document as lines.
    virtual TStrings* Lines() { return baseLines_.get(); }
    TRichEditStrings& BaseLines() { return *baseLines_; }

    int SelStart();
    void SetSelStart(int v);
    int SelLength();
    void SetSelLength(int v);
    std::string SelText();
    void SetSelText(const std::string& s);
    void SelectAll();
    std::string Text();  // paragraphs end with CR LF
    int GetTextLen();
    bool Modified();
    void SetModified(bool v);
    // Empties the document and clears the modified flag.
    virtual void Clear();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    // The first match of text within [start, start + length), or -1.
    int FindText(const std::string& text, int start, int length, unsigned searchTypes);

    TTextAttributes* DefAttributes() { return &defAttributes_; }
    TTextAttributes* SelAttributes() { return &selAttributes_; }
    TParaAttributes* Paragraph() { return &paragraph_; }

    bool PlainText() const { return plainText_; }
    void SetPlainText(bool v) { plainText_ = v; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    TEditAlignment Alignment() const { return alignment_; }
    void SetAlignment(TEditAlignment v);
    TEditBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TEditBorderStyle v);
    bool HideSelection() const { return hideSelection_; }
    virtual void SetHideSelection(bool v);
    bool HideScrollBars() const { return hideScrollBars_; }
    virtual void SetHideScrollBars(bool v);
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool v);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);

    // Whether a change of Font becomes the window's default character
    // format at once. A view whose runs all carry their own formats can keep
    // Font as a record of the reader's choice only: under some rich edit
    // implementations a new default lays the whole document out again.
    bool FontSetsDefaultFormat = true;

    TNotifyEvent OnChange, OnSelectionChange;
    TRichEditResizeEvent OnResizeRequest;
    TRichEditProtectChange OnProtectChange;
    TRichEditSaveClipboard OnSaveClipboard;

    // Streams the whole document (or, with SFF_SELECTION, the selection) in
    // or out in the format (SF_RTF or SF_TEXT). False when the window or the
    // stream reports an error.
    bool StreamIn(TStream& stream, UINT format, TConversion* conversion = nullptr, int chunkLimit = 0);
    bool StreamOut(TStream& stream, UINT format, TConversion* conversion = nullptr);
    // The platform window class the window was made from ("RICHEDIT20A", "RICHEDIT").
    const std::string& WindowClassName() const { return windowClass_; }
    // The window's text limit (EM_EXLIMITTEXT); 0 is the platform's default.
    void SetTextLimit(int limit);
    int ScreenPixelsPerInch() const { return screenPixelsPerInch_; }
    // Whether the window takes the version-1 format structures.
    bool Version1Window() const;
    void NotifyTextChanged() { TextChanged(); }

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& m) override;
    void FontChanged() override;
    void ColorChanged() override;
    // Typed characters outside the ANSI code page (Greek, Chinese...) go
    // into the text here, in UTF-16: through the framework's ANSI window
    // procedure they would arrive as "?".
    bool PreTranslateMessage(MSG& msg) override;
    // Change and selection notifications of the window.
    virtual void Change();
    virtual void SelectionChange();
    virtual void RequestSize(const RECT& r);
    virtual bool ProtectChange(int startPos, int endPos);
    virtual bool SaveClipboard(int numObjects, int numChars);
    // The control or one of its parents is being freed: its document goes with it.
    bool Dying() const;
    // Copies the control font into the default attributes, each value only when it differs.
    void CopyFontToDefAttributes();
    // What the right-button release consults: platforms before 5 raise the
    // context menu request themselves.
    int platformMajorVersion_;
    int screenPixelsPerInch_ = 96;
    std::string windowClass_;

private:
    std::unique_ptr<TRichEditStrings> baseLines_;
    TTextAttributes defAttributes_;
    TTextAttributes selAttributes_;
    TParaAttributes paragraph_;
    std::unique_ptr<TMemoryStream> keptDocument_;  // the base layer's document across re-creation
    bool plainText_ = false;
    TScrollStyle scrollBars_ = kDefaultScrollBars;
    TEditAlignment alignment_ = kDefaultAlignment;
    TEditBorderStyle borderStyle_ = kDefaultBorderStyle;
    bool hideSelection_ = kDefaultHideSelection;
    bool hideScrollBars_ = kDefaultHideScrollBars;
    bool readOnly_ = kDefaultReadOnly;
    int maxLength_ = kDefaultMaxLength;
    bool wantReturns_ = kDefaultWantReturns;
    bool wantTabs_ = kDefaultWantTabs;
    bool wordWrap_ = kDefaultWordWrap;
    wchar_t pendingHighSurrogate_ = 0;  // the first half of a typed character outside the basic plane
};

// The hourglass for the duration of a long operation.
class THourglass {
public:
    THourglass();
    ~THourglass();
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;

private:
    HCURSOR saved_;
};
