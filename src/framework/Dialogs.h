// The platform's common dialogs as components: colour, font, open and save,
// print, page setup, and the modeless find and replace dialogs.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
// The platform names its find and replace calls with macros that would
// rename the dialogs' fields.
#undef FindText
#undef ReplaceText
#include <vector>

#include "Classes.h"
#include "Graphics.h"

class TCommonDialog : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TCommonDialog(TComponent* owner) : TComponent(owner) {}
    virtual bool Execute() = 0;
    TNotifyEvent OnShow, OnClose;
    // Tests and automation: called with the dialog's window once it shows.
    static std::function<void(HWND)> OnDialogShown;

protected:
    static UINT_PTR CALLBACK Hook(HWND, UINT, WPARAM, LPARAM);
};

enum TColorDialogOption : unsigned { cdFullOpen = 1, cdPreventFullOpen = 2, cdShowHelp = 4, cdSolidColor = 8, cdAnyColor = 16 };
class TColorDialog : public TCommonDialog {
    CX_DECLARE_CLASS()
public:
    explicit TColorDialog(TComponent* owner);
    bool Execute() override;
    TColor Color = clBlack;
    unsigned Options = 0;
    COLORREF CustomColors[16];
};

enum TFontDialogOption : unsigned {
    fdAnsiOnly = 1 << 0, fdTrueTypeOnly = 1 << 1, fdEffects = 1 << 2, fdFixedPitchOnly = 1 << 3,
    fdForceFontExist = 1 << 4, fdNoFaceSel = 1 << 5, fdNoOEMFonts = 1 << 6, fdNoSimulations = 1 << 7,
    fdNoSizeSel = 1 << 8, fdNoStyleSel = 1 << 9, fdNoVectorFonts = 1 << 10, fdShowHelp = 1 << 11,
    fdWysiwyg = 1 << 12, fdLimitSize = 1 << 13, fdScalableOnly = 1 << 14, fdApplyButton = 1 << 15
};
enum class TFontDialogDevice { fdScreen, fdPrinter, fdBoth };
class TFontDialog : public TCommonDialog {
    CX_DECLARE_CLASS()
public:
    explicit TFontDialog(TComponent* owner);
    bool Execute() override;
    TFont Font;
    unsigned Options = fdEffects;
    TFontDialogDevice Device = TFontDialogDevice::fdScreen;
    int MinFontSize = 0, MaxFontSize = 0;
};

// ---------------------------------------------------------------- open and save

enum TOpenOption : unsigned {
    ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2, ofNoChangeDir = 1u << 3,
    ofShowHelp = 1u << 4, ofNoValidate = 1u << 5, ofAllowMultiSelect = 1u << 6, ofExtensionDifferent = 1u << 7,
    ofPathMustExist = 1u << 8, ofFileMustExist = 1u << 9, ofCreatePrompt = 1u << 10, ofShareAware = 1u << 11,
    ofNoReadOnlyReturn = 1u << 12, ofNoTestFileCreate = 1u << 13, ofNoNetworkButton = 1u << 14,
    ofNoLongNames = 1u << 15, ofOldStyleDialog = 1u << 16, ofNoDereferenceLinks = 1u << 17,
    ofEnableIncludeNotify = 1u << 18, ofEnableSizing = 1u << 19
};

// The open-file dialog. Filter pairs descriptions and patterns with "|"
// ("Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT"); FilterIndex
// counts from 1. Execute is false when the user cancels; a dialog the
// platform cannot show raises an error naming the reason.
class TOpenDialog : public TCommonDialog {
    CX_DECLARE_CLASS()
public:
    explicit TOpenDialog(TComponent* owner);
    bool Execute() override;
    std::string FileName, Filter, DefaultExt, InitialDir, Title;
    int FilterIndex = 1;
    unsigned Options = ofHideReadOnly | ofEnableSizing;
    std::vector<std::string> Files;  // the chosen files (several with ofAllowMultiSelect)

protected:
    virtual BOOL RunDialog(OPENFILENAMEA& ofn) { return GetOpenFileNameA(&ofn); }
    static UINT_PTR CALLBACK FileHook(HWND, UINT, WPARAM, LPARAM);
};

// The save-file dialog; ofOverwritePrompt asks before an existing file is chosen.
class TSaveDialog : public TOpenDialog {
    CX_DECLARE_CLASS()
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

protected:
    BOOL RunDialog(OPENFILENAMEA& ofn) override { return GetSaveFileNameA(&ofn); }
};

// ---------------------------------------------------------------- printing

// The printer chosen in a print or page setup dialog (the platform's
// DEVMODE and DEVNAMES blocks), handed to the next dialog run.
class TPrinterChoice {
public:
    TPrinterChoice() = default;
    ~TPrinterChoice() { Reset(nullptr, nullptr); }
    TPrinterChoice(const TPrinterChoice&) = delete;
    TPrinterChoice& operator=(const TPrinterChoice&) = delete;
    HGLOBAL DevMode() const { return devMode_; }
    HGLOBAL DevNames() const { return devNames_; }
    // Takes ownership of both blocks (the old ones are freed).
    void Reset(HGLOBAL devMode, HGLOBAL devNames);

private:
    HGLOBAL devMode_ = nullptr;
    HGLOBAL devNames_ = nullptr;
};

enum TPrintDialogOption : unsigned {
    poPrintToFile = 1, poPageNums = 2, poSelection = 4, poWarning = 8, poHelp = 16, poDisablePrintToFile = 32
};
enum class TPrintRange { prAllPages, prSelection, prPageNums };

class TPrintDialog : public TCommonDialog {
    CX_DECLARE_CLASS()
public:
    explicit TPrintDialog(TComponent* owner);
    bool Execute() override;
    bool Collate = false;
    int Copies = 1;
    int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
    unsigned Options = 0;
    TPrintRange PrintRange = TPrintRange::prAllPages;
    bool PrintToFile = false;
    TPrinterChoice Printer;

protected:
    static UINT_PTR CALLBACK PrintHook(HWND, UINT, WPARAM, LPARAM);
};

enum TPageSetupDialogOption : unsigned {
    psoDefaultMinMargins = 1u << 0, psoDisableMargins = 1u << 1, psoDisableOrientation = 1u << 2,
    psoDisablePagePainting = 1u << 3, psoDisablePaper = 1u << 4, psoDisablePrinter = 1u << 5,
    psoMargins = 1u << 6, psoMinMargins = 1u << 7, psoShowHelp = 1u << 8, psoWarning = 1u << 9,
    psoNoNetworkButton = 1u << 10
};
enum class TPageMeasureUnits { pmDefault, pmMillimeters, pmInches };

// The page setup dialog: margins and paper size in thousandths of an inch
// or hundredths of a millimetre (Units; pmDefault is the platform's choice,
// reported back in Units). Descendants adjust the platform's request before
// it shows (Prepare), see the dialog's window (Shown) and read the result (Accepted).
class TPageSetupDialog : public TCommonDialog {
    CX_DECLARE_CLASS()
public:
    explicit TPageSetupDialog(TComponent* owner);
    bool Execute() override;
    RECT Margin{0, 0, 0, 0};     // left, top, right, bottom
    RECT MinMargin{0, 0, 0, 0};
    int PageWidth = 0, PageHeight = 0;
    TPageMeasureUnits Units = TPageMeasureUnits::pmDefault;
    unsigned Options = psoDefaultMinMargins;
    TPrinterChoice Printer;

protected:
    virtual void Prepare(PAGESETUPDLGA&) {}
    virtual void Shown(HWND) {}
    virtual void Accepted(const PAGESETUPDLGA&) {}
    static UINT_PTR CALLBACK PageSetupHook(HWND, UINT, WPARAM, LPARAM);
};

// ---------------------------------------------------------------- find and replace

enum TFindOption : unsigned {
    frDown = 1u << 0, frFindNext = 1u << 1, frHideMatchCase = 1u << 2, frHideWholeWord = 1u << 3,
    frHideUpDown = 1u << 4, frMatchCase = 1u << 5, frDisableMatchCase = 1u << 6, frDisableUpDown = 1u << 7,
    frDisableWholeWord = 1u << 8, frReplace = 1u << 9, frReplaceAll = 1u << 10, frWholeWord = 1u << 11,
    frShowHelp = 1u << 12
};

// The modeless find dialog. Execute shows it (or brings it forward with the
// current FindText) and returns at once; the dialog registers with the
// application as a modeless dialog, so Tab, Return and Escape work in it.
// Its requests arrive as OnFind (frFindNext set), and OnClose when it goes;
// FindText and Options hold what the user set.
class TFindDialog : public TCommonDialog {
    CX_DECLARE_CLASS()
public:
    explicit TFindDialog(TComponent* owner);
    ~TFindDialog() override;
    bool Execute() override;
    void CloseDialog();
    HWND Handle() const { return wnd_; }
    std::string FindText;
    unsigned Options = frDown;
    // The dialog's top-left corner on the screen (its place when it shows;
    // left at the platform's choice while x is below 0).
    POINT Position() const;
    void SetPosition(POINT p);
    TNotifyEvent OnFind;

    // The registered message the dialogs send to their owner, and its handling.
    static UINT FindMessage();
    static bool HandleFindMessage(LPARAM lp);

protected:
    virtual HWND CreateDialogWindow(FINDREPLACEA& fr) { return ::FindTextA(&fr); }
    virtual void Request(DWORD flags);
    static UINT_PTR CALLBACK FindHook(HWND, UINT, WPARAM, LPARAM);
    FINDREPLACEA fr_{};
    char findBuf_[256] = {};
    char replaceBuf_[256] = {};
    HWND wnd_ = nullptr;
    POINT position_{-1, -1};
};

// The modeless replace dialog: as the find dialog, with ReplaceText and
// OnReplace (frReplace or frReplaceAll set).
class TReplaceDialog : public TFindDialog {
    CX_DECLARE_CLASS()
public:
    explicit TReplaceDialog(TComponent* owner) : TFindDialog(owner) {}
    std::string ReplaceText;
    TNotifyEvent OnReplace;

protected:
    HWND CreateDialogWindow(FINDREPLACEA& fr) override { return ::ReplaceTextA(&fr); }
    void Request(DWORD flags) override;
};
