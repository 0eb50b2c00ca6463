#include "Dialogs.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>

#include "Forms.h"

namespace {
const EnumNames kColorOptionNames = {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"};
const EnumNames kFontOptionNames = {"fdAnsiOnly", "fdTrueTypeOnly", "fdEffects", "fdFixedPitchOnly",
                                    "fdForceFontExist", "fdNoFaceSel", "fdNoOEMFonts", "fdNoSimulations",
                                    "fdNoSizeSel", "fdNoStyleSel", "fdNoVectorFonts", "fdShowHelp",
                                    "fdWysiwyg", "fdLimitSize", "fdScalableOnly", "fdApplyButton"};
const EnumNames kFontDeviceNames = {"fdScreen", "fdPrinter", "fdBoth"};
}  // namespace

std::function<void(HWND)> TCommonDialog::OnDialogShown;

CX_IMPLEMENT_CLASS(TCommonDialog, TComponent, CX_ABSTRACT, {})

UINT_PTR CALLBACK TCommonDialog::Hook(HWND wnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG && OnDialogShown) {
        // The hook runs inside the dialog's own loop; the caller sees the
        // dialog (a child template here) through its top-level window.
        HWND top = GetAncestor(wnd, GA_ROOT);
        OnDialogShown(top);
    }
    return 0;
}

CX_IMPLEMENT_CLASS(TColorDialog, TCommonDialog, CX_CREATE(TColorDialog), {
    p.Color("Color", [](TColorDialog& d) { return d.Color; }, [](TColorDialog& d, TColor c) { d.Color = c; });
    p.Set("Options", kColorOptionNames, [](TColorDialog& d) { return d.Options; },
          [](TColorDialog& d, unsigned v) { d.Options = v; }, 0u);
})

TColorDialog::TColorDialog(TComponent* owner) : TCommonDialog(owner) {
    for (auto& c : CustomColors) c = RGB(255, 255, 255);
}

bool TColorDialog::Execute() {
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = DialogOwner();
    cc.rgbResult = ColorToRGB(Color);
    cc.lpCustColors = CustomColors;
    cc.Flags = CC_RGBINIT | CC_ENABLEHOOK;
    if (Options & cdFullOpen) cc.Flags |= CC_FULLOPEN;
    if (Options & cdPreventFullOpen) cc.Flags |= CC_PREVENTFULLOPEN;
    if (Options & cdShowHelp) cc.Flags |= CC_SHOWHELP;
    if (Options & cdSolidColor) cc.Flags |= CC_SOLIDCOLOR;
    if (Options & cdAnyColor) cc.Flags |= CC_ANYCOLOR;
    cc.lpfnHook = Hook;
    if (OnShow) OnShow(this);
    bool ok = ChooseColorA(&cc) != 0;
    if (ok) Color = static_cast<TColor>(cc.rgbResult);
    if (OnClose) OnClose(this);
    return ok;
}

CX_IMPLEMENT_CLASS(TFontDialog, TCommonDialog, CX_CREATE(TFontDialog), {
    p.Object("Font", [](TFontDialog& d) -> TPersistent* { return &d.Font; });
    p.Set("Options", kFontOptionNames, [](TFontDialog& d) { return d.Options; },
          [](TFontDialog& d, unsigned v) { d.Options = v; }, unsigned(fdEffects));
    p.Enum("Device", kFontDeviceNames, [](TFontDialog& d) { return d.Device; },
           [](TFontDialog& d, TFontDialogDevice v) { d.Device = v; }, 0);
    p.Int("MinFontSize", [](TFontDialog& d) { return d.MinFontSize; }, [](TFontDialog& d, int v) { d.MinFontSize = v; }, 0);
    p.Int("MaxFontSize", [](TFontDialog& d) { return d.MaxFontSize; }, [](TFontDialog& d, int v) { d.MaxFontSize = v; }, 0);
})

TFontDialog::TFontDialog(TComponent* owner) : TCommonDialog(owner) {}

bool TFontDialog::Execute() {
    LOGFONTA lf{};
    GetObjectA(Font.Handle(), sizeof lf, &lf);
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = DialogOwner();
    cf.lpLogFont = &lf;
    cf.rgbColors = ColorToRGB(Font.Color());
    cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;
    switch (Device) {
    case TFontDialogDevice::fdScreen: cf.Flags |= CF_SCREENFONTS; break;
    case TFontDialogDevice::fdPrinter: cf.Flags |= CF_PRINTERFONTS; break;
    case TFontDialogDevice::fdBoth: cf.Flags |= CF_BOTH; break;
    }
    if (Options & fdEffects) cf.Flags |= CF_EFFECTS;
    if (Options & fdTrueTypeOnly) cf.Flags |= CF_TTONLY;
    if (Options & fdFixedPitchOnly) cf.Flags |= CF_FIXEDPITCHONLY;
    if (Options & fdForceFontExist) cf.Flags |= CF_FORCEFONTEXIST;
    if (Options & fdNoFaceSel) cf.Flags |= CF_NOFACESEL;
    if (Options & fdNoOEMFonts) cf.Flags |= CF_NOOEMFONTS;
    if (Options & fdNoSimulations) cf.Flags |= CF_NOSIMULATIONS;
    if (Options & fdNoSizeSel) cf.Flags |= CF_NOSIZESEL;
    if (Options & fdNoStyleSel) cf.Flags |= CF_NOSTYLESEL;
    if (Options & fdNoVectorFonts) cf.Flags |= CF_NOVECTORFONTS;
    if (Options & fdShowHelp) cf.Flags |= CF_SHOWHELP;
    if (Options & fdWysiwyg) cf.Flags |= CF_WYSIWYG;
    if (Options & fdScalableOnly) cf.Flags |= CF_SCALABLEONLY;
    if (Options & fdApplyButton) cf.Flags |= CF_APPLY;
    if ((Options & fdLimitSize) || MinFontSize > 0 || MaxFontSize > 0) {
        cf.Flags |= CF_LIMITSIZE;
        cf.nSizeMin = MinFontSize;
        cf.nSizeMax = MaxFontSize;
    }
    cf.lpfnHook = Hook;
    if (OnShow) OnShow(this);
    bool ok = ChooseFontA(&cf) != 0;
    if (ok) {
        Font.SetName(lf.lfFaceName);
        Font.SetHeight(lf.lfHeight);
        TFontStyles st = 0;
        if (lf.lfWeight >= FW_BOLD) st |= fsBold;
        if (lf.lfItalic) st |= fsItalic;
        if (lf.lfUnderline) st |= fsUnderline;
        if (lf.lfStrikeOut) st |= fsStrikeOut;
        Font.SetStyle(st);
        Font.SetCharset(lf.lfCharSet);
        Font.SetColor(static_cast<TColor>(cf.rgbColors));
    }
    if (OnClose) OnClose(this);
    return ok;
}

namespace {
const EnumNames kOpenOptionNames = {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir",
                                    "ofShowHelp", "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent",
                                    "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt", "ofShareAware",
                                    "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton",
                                    "ofNoLongNames", "ofOldStyleDialog", "ofNoDereferenceLinks",
                                    "ofEnableIncludeNotify", "ofEnableSizing"};
const EnumNames kPrintOptionNames = {"poPrintToFile", "poPageNums", "poSelection", "poWarning", "poHelp",
                                     "poDisablePrintToFile"};
const EnumNames kPrintRangeNames = {"prAllPages", "prSelection", "prPageNums"};
const EnumNames kPageSetupOptionNames = {"psoDefaultMinMargins", "psoDisableMargins", "psoDisableOrientation",
                                         "psoDisablePagePainting", "psoDisablePaper", "psoDisablePrinter",
                                         "psoMargins", "psoMinMargins", "psoShowHelp", "psoWarning",
                                         "psoNoNetworkButton"};
const EnumNames kPageUnitNames = {"pmDefault", "pmMillimeters", "pmInches"};
const EnumNames kFindOptionNames = {"frDown", "frFindNext", "frHideMatchCase", "frHideWholeWord", "frHideUpDown",
                                    "frMatchCase", "frDisableMatchCase", "frDisableUpDown", "frDisableWholeWord",
                                    "frReplace", "frReplaceAll", "frWholeWord", "frShowHelp"};

// A dialog the platform could not show (not a cancel by the user).
[[noreturn]] void DialogFailed(const char* what, DWORD code) {
    char hex[16];
    wsprintfA(hex, "%04lX", static_cast<unsigned long>(code));
    std::string reason;
    switch (code) {
    case PDERR_NODEFAULTPRN: reason = "no printer is installed"; break;
    case PDERR_PRINTERNOTFOUND: reason = "the printer was not found"; break;
    case FNERR_INVALIDFILENAME: reason = "the file name is not valid"; break;
    case FNERR_BUFFERTOOSMALL: reason = "too many files were chosen"; break;
    default: reason = std::string("error ") + hex; break;
    }
    throw Exception(std::string("The ") + what + " dialog could not be shown: " + reason);
}

HWND OwnerWindow() {
    HWND w = DialogOwner();
    if (!w && Application) w = Application->Handle();
    return w;
}

void Shown(HWND dialogOrChild) {
    if (TCommonDialog::OnDialogShown) TCommonDialog::OnDialogShown(GetAncestor(dialogOrChild, GA_ROOT));
}
}  // namespace

// ---------------------------------------------------------------- open and save

CX_IMPLEMENT_CLASS(TOpenDialog, TCommonDialog, CX_CREATE(TOpenDialog), {
    p.Str("FileName", [](TOpenDialog& d) { return d.FileName; }, [](TOpenDialog& d, const std::string& v) { d.FileName = v; }, std::string());
    p.Str("Filter", [](TOpenDialog& d) { return d.Filter; }, [](TOpenDialog& d, const std::string& v) { d.Filter = v; }, std::string());
    p.Int("FilterIndex", [](TOpenDialog& d) { return d.FilterIndex; }, [](TOpenDialog& d, int v) { d.FilterIndex = v; }, 1);
    p.Str("DefaultExt", [](TOpenDialog& d) { return d.DefaultExt; }, [](TOpenDialog& d, const std::string& v) { d.DefaultExt = v; }, std::string());
    p.Str("InitialDir", [](TOpenDialog& d) { return d.InitialDir; }, [](TOpenDialog& d, const std::string& v) { d.InitialDir = v; }, std::string());
    p.Str("Title", [](TOpenDialog& d) { return d.Title; }, [](TOpenDialog& d, const std::string& v) { d.Title = v; }, std::string());
    p.Set("Options", kOpenOptionNames, [](TOpenDialog& d) { return d.Options; },
          [](TOpenDialog& d, unsigned v) { d.Options = v; }, unsigned(ofHideReadOnly | ofEnableSizing));
})
CX_IMPLEMENT_CLASS(TSaveDialog, TOpenDialog, CX_CREATE(TSaveDialog), {})

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}

UINT_PTR CALLBACK TOpenDialog::FileHook(HWND wnd, UINT msg, WPARAM, LPARAM lp) {
    // Explorer dialogs: the hook is a child of the dialog; the dialog is
    // complete once it tells its child it is ready.
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == CDN_INITDONE) Shown(wnd);
    return 0;
}

bool TOpenDialog::Execute() {
    std::string filter = Filter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    std::vector<char> buffer(Options & ofAllowMultiSelect ? 65536 : 4096, '\0');
    std::memcpy(buffer.data(), FileName.c_str(), std::min(FileName.size(), buffer.size() - 1));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow();
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(FilterIndex, 1));
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    const std::pair<unsigned, DWORD> flags[] = {
        {ofReadOnly, OFN_READONLY}, {ofOverwritePrompt, OFN_OVERWRITEPROMPT}, {ofHideReadOnly, OFN_HIDEREADONLY},
        {ofNoChangeDir, OFN_NOCHANGEDIR}, {ofShowHelp, OFN_SHOWHELP}, {ofNoValidate, OFN_NOVALIDATE},
        {ofAllowMultiSelect, OFN_ALLOWMULTISELECT}, {ofPathMustExist, OFN_PATHMUSTEXIST},
        {ofFileMustExist, OFN_FILEMUSTEXIST}, {ofCreatePrompt, OFN_CREATEPROMPT}, {ofShareAware, OFN_SHAREAWARE},
        {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN}, {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
        {ofNoNetworkButton, OFN_NONETWORKBUTTON}, {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
        {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY}, {ofEnableSizing, OFN_ENABLESIZING}};
    for (auto [o, f] : flags)
        if (Options & o) ofn.Flags |= f;
    ofn.lpfnHook = FileHook;
    if (OnShow) OnShow(this);
    BOOL ok = RunDialog(ofn);
    DWORD err = ok ? 0 : CommDlgExtendedError();
    if (OnClose) OnClose(this);
    if (err) DialogFailed("file", err);
    if (!ok) return false;
    Files.clear();
    const char* first = buffer.data();
    std::string dir = first;
    const char* next = first + dir.size() + 1;
    if ((Options & ofAllowMultiSelect) && *next) {
        // A folder, then the names chosen in it.
        if (!dir.empty() && dir.back() != '\\') dir += '\\';
        for (; *next; next += std::strlen(next) + 1) Files.push_back(dir + next);
    } else {
        Files.push_back(dir);
    }
    FileName = Files.front();
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    Options &= ~(ofReadOnly | ofExtensionDifferent);
    if (ofn.Flags & OFN_READONLY) Options |= ofReadOnly;
    if (ofn.Flags & OFN_EXTENSIONDIFFERENT) Options |= ofExtensionDifferent;
    return true;
}

// ---------------------------------------------------------------- printing

void TPrinterChoice::Reset(HGLOBAL devMode, HGLOBAL devNames) {
    if (devMode_ && devMode_ != devMode) GlobalFree(devMode_);
    if (devNames_ && devNames_ != devNames) GlobalFree(devNames_);
    devMode_ = devMode;
    devNames_ = devNames;
}

CX_IMPLEMENT_CLASS(TPrintDialog, TCommonDialog, CX_CREATE(TPrintDialog), {
    p.Bool("Collate", [](TPrintDialog& d) { return d.Collate; }, [](TPrintDialog& d, bool v) { d.Collate = v; }, false);
    p.Int("Copies", [](TPrintDialog& d) { return d.Copies; }, [](TPrintDialog& d, int v) { d.Copies = v; }, 1);
    p.Int("FromPage", [](TPrintDialog& d) { return d.FromPage; }, [](TPrintDialog& d, int v) { d.FromPage = v; }, 0);
    p.Int("ToPage", [](TPrintDialog& d) { return d.ToPage; }, [](TPrintDialog& d, int v) { d.ToPage = v; }, 0);
    p.Int("MinPage", [](TPrintDialog& d) { return d.MinPage; }, [](TPrintDialog& d, int v) { d.MinPage = v; }, 0);
    p.Int("MaxPage", [](TPrintDialog& d) { return d.MaxPage; }, [](TPrintDialog& d, int v) { d.MaxPage = v; }, 0);
    p.Set("Options", kPrintOptionNames, [](TPrintDialog& d) { return d.Options; },
          [](TPrintDialog& d, unsigned v) { d.Options = v; }, 0u);
    p.Enum("PrintRange", kPrintRangeNames, [](TPrintDialog& d) { return d.PrintRange; },
           [](TPrintDialog& d, TPrintRange v) { d.PrintRange = v; }, 0);
    p.Bool("PrintToFile", [](TPrintDialog& d) { return d.PrintToFile; }, [](TPrintDialog& d, bool v) { d.PrintToFile = v; }, false);
})

TPrintDialog::TPrintDialog(TComponent* owner) : TCommonDialog(owner) {}

UINT_PTR CALLBACK TPrintDialog::PrintHook(HWND wnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) Shown(wnd);
    return 0;
}

bool TPrintDialog::Execute() {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = OwnerWindow();
    pd.hDevMode = Printer.DevMode();
    pd.hDevNames = Printer.DevNames();
    pd.Flags = PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIESANDCOLLATE;
    if (Collate) pd.Flags |= PD_COLLATE;
    if (PrintToFile) pd.Flags |= PD_PRINTTOFILE;
    if (!(Options & poPrintToFile)) pd.Flags |= PD_HIDEPRINTTOFILE;
    if (Options & poDisablePrintToFile) pd.Flags |= PD_DISABLEPRINTTOFILE;
    if (!(Options & poPageNums)) pd.Flags |= PD_NOPAGENUMS;
    if (!(Options & poSelection)) pd.Flags |= PD_NOSELECTION;
    if (!(Options & poWarning)) pd.Flags |= PD_NOWARNING;
    if (Options & poHelp) pd.Flags |= PD_SHOWHELP;
    if (PrintRange == TPrintRange::prSelection) pd.Flags |= PD_SELECTION;
    if (PrintRange == TPrintRange::prPageNums) pd.Flags |= PD_PAGENUMS;
    pd.nCopies = static_cast<WORD>(std::max(Copies, 1));
    pd.nFromPage = static_cast<WORD>(FromPage);
    pd.nToPage = static_cast<WORD>(ToPage);
    pd.nMinPage = static_cast<WORD>(MinPage);
    pd.nMaxPage = static_cast<WORD>(MaxPage);
    pd.lpfnPrintHook = PrintHook;
    if (OnShow) OnShow(this);
    BOOL ok = PrintDlgA(&pd);
    DWORD err = ok ? 0 : CommDlgExtendedError();
    // The platform may hand back new blocks, chosen or not.
    Printer.Reset(pd.hDevMode, pd.hDevNames);
    if (OnClose) OnClose(this);
    if (err) DialogFailed("print", err);
    if (!ok) return false;
    Collate = (pd.Flags & PD_COLLATE) != 0;
    Copies = pd.nCopies;
    // Asked for with the device's own copies and collation, the dialog
    // leaves them in the device settings and reports one copy here.
    if (HGLOBAL mode = Printer.DevMode()) {
        if (const auto* dm = static_cast<const DEVMODEA*>(GlobalLock(mode))) {
            if (dm->dmFields & DM_COPIES) Copies = std::max<int>(dm->dmCopies, 1);
            if (dm->dmFields & DM_COLLATE) Collate = dm->dmCollate == DMCOLLATE_TRUE;
            GlobalUnlock(mode);
        }
    }
    PrintToFile = (pd.Flags & PD_PRINTTOFILE) != 0;
    PrintRange = (pd.Flags & PD_SELECTION) ? TPrintRange::prSelection
                 : (pd.Flags & PD_PAGENUMS) ? TPrintRange::prPageNums : TPrintRange::prAllPages;
    FromPage = pd.nFromPage;
    ToPage = pd.nToPage;
    return true;
}

CX_IMPLEMENT_CLASS(TPageSetupDialog, TCommonDialog, CX_CREATE(TPageSetupDialog), {
    p.Set("Options", kPageSetupOptionNames, [](TPageSetupDialog& d) { return d.Options; },
          [](TPageSetupDialog& d, unsigned v) { d.Options = v; }, unsigned(psoDefaultMinMargins));
    p.Enum("Units", kPageUnitNames, [](TPageSetupDialog& d) { return d.Units; },
           [](TPageSetupDialog& d, TPageMeasureUnits v) { d.Units = v; }, 0);
    p.Int("MarginLeft", [](TPageSetupDialog& d) { return d.Margin.left; }, [](TPageSetupDialog& d, int v) { d.Margin.left = v; }, 0);
    p.Int("MarginTop", [](TPageSetupDialog& d) { return d.Margin.top; }, [](TPageSetupDialog& d, int v) { d.Margin.top = v; }, 0);
    p.Int("MarginRight", [](TPageSetupDialog& d) { return d.Margin.right; }, [](TPageSetupDialog& d, int v) { d.Margin.right = v; }, 0);
    p.Int("MarginBottom", [](TPageSetupDialog& d) { return d.Margin.bottom; }, [](TPageSetupDialog& d, int v) { d.Margin.bottom = v; }, 0);
})

TPageSetupDialog::TPageSetupDialog(TComponent* owner) : TCommonDialog(owner) {}

UINT_PTR CALLBACK TPageSetupDialog::PageSetupHook(HWND wnd, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* psd = reinterpret_cast<PAGESETUPDLGA*>(lp);
        if (auto* self = psd ? reinterpret_cast<TPageSetupDialog*>(psd->lCustData) : nullptr) self->Shown(wnd);
        ::Shown(wnd);
    }
    return 0;
}

bool TPageSetupDialog::Execute() {
    PAGESETUPDLGA psd{};
    psd.lStructSize = sizeof psd;
    psd.hwndOwner = OwnerWindow();
    psd.hDevMode = Printer.DevMode();
    psd.hDevNames = Printer.DevNames();
    psd.Flags = PSD_ENABLEPAGESETUPHOOK | PSD_MARGINS;
    if (Units == TPageMeasureUnits::pmMillimeters) psd.Flags |= PSD_INHUNDREDTHSOFMILLIMETERS;
    if (Units == TPageMeasureUnits::pmInches) psd.Flags |= PSD_INTHOUSANDTHSOFINCHES;
    const std::pair<unsigned, DWORD> flags[] = {
        {psoDefaultMinMargins, PSD_DEFAULTMINMARGINS}, {psoDisableMargins, PSD_DISABLEMARGINS},
        {psoDisableOrientation, PSD_DISABLEORIENTATION}, {psoDisablePagePainting, PSD_DISABLEPAGEPAINTING},
        {psoDisablePaper, PSD_DISABLEPAPER}, {psoDisablePrinter, PSD_DISABLEPRINTER},
        {psoMinMargins, PSD_MINMARGINS}, {psoShowHelp, PSD_SHOWHELP}, {psoNoNetworkButton, PSD_NONETWORKBUTTON}};
    for (auto [o, f] : flags)
        if (Options & o) psd.Flags |= f;
    if (!(Options & psoWarning)) psd.Flags |= PSD_NOWARNING;
    psd.rtMargin = Margin;
    psd.rtMinMargin = MinMargin;
    psd.ptPaperSize = {PageWidth, PageHeight};
    psd.lpfnPageSetupHook = PageSetupHook;
    psd.lCustData = reinterpret_cast<LPARAM>(this);
    Prepare(psd);
    if (OnShow) OnShow(this);
    BOOL ok = PageSetupDlgA(&psd);
    DWORD err = ok ? 0 : CommDlgExtendedError();
    Printer.Reset(psd.hDevMode, psd.hDevNames);
    if (OnClose) OnClose(this);
    if (err) DialogFailed("page setup", err);
    if (!ok) return false;
    Margin = psd.rtMargin;
    MinMargin = psd.rtMinMargin;
    PageWidth = psd.ptPaperSize.x;
    PageHeight = psd.ptPaperSize.y;
    if (psd.Flags & PSD_INHUNDREDTHSOFMILLIMETERS) Units = TPageMeasureUnits::pmMillimeters;
    else if (psd.Flags & PSD_INTHOUSANDTHSOFINCHES) Units = TPageMeasureUnits::pmInches;
    Accepted(psd);
    return true;
}

// ---------------------------------------------------------------- find and replace

namespace {
std::vector<TFindDialog*>& OpenFindDialogs() {
    static std::vector<TFindDialog*> v;
    return v;
}
}  // namespace

CX_IMPLEMENT_CLASS(TFindDialog, TCommonDialog, CX_CREATE(TFindDialog), {
    p.Str("FindText", [](TFindDialog& d) { return d.FindText; }, [](TFindDialog& d, const std::string& v) { d.FindText = v; }, std::string());
    p.Set("Options", kFindOptionNames, [](TFindDialog& d) { return d.Options; },
          [](TFindDialog& d, unsigned v) { d.Options = v; }, unsigned(frDown));
    p.Event("OnFind", &TFindDialog::OnFind);
    p.Event("OnClose", static_cast<TNotifyEvent TFindDialog::*>(&TFindDialog::OnClose));
})
CX_IMPLEMENT_CLASS(TReplaceDialog, TFindDialog, CX_CREATE(TReplaceDialog), {
    p.Str("ReplaceText", [](TReplaceDialog& d) { return d.ReplaceText; }, [](TReplaceDialog& d, const std::string& v) { d.ReplaceText = v; }, std::string());
    p.Event("OnReplace", &TReplaceDialog::OnReplace);
})

TFindDialog::TFindDialog(TComponent* owner) : TCommonDialog(owner) {}

TFindDialog::~TFindDialog() {
    OnClose = nullptr;
    if (wnd_) {
        HWND w = wnd_;
        wnd_ = nullptr;
        if (Application) Application->RemoveModelessDialog(w);
        DestroyWindow(w);
    }
    auto& open = OpenFindDialogs();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
}

UINT TFindDialog::FindMessage() {
    static const UINT id = RegisterWindowMessageA(FINDMSGSTRINGA);
    return id;
}

UINT_PTR CALLBACK TFindDialog::FindHook(HWND wnd, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* fr = reinterpret_cast<FINDREPLACEA*>(lp);
        auto* self = fr ? reinterpret_cast<TFindDialog*>(fr->lCustData) : nullptr;
        if (self && self->position_.x >= 0)
            SetWindowPos(wnd, nullptr, self->position_.x, self->position_.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;  // the dialog shows and gives its first field the focus
    }
    return 0;
}

bool TFindDialog::Execute() {
    if (wnd_ && IsWindow(wnd_)) {
        SetDlgItemTextA(wnd_, edt1, FindText.c_str());
        SetForegroundWindow(wnd_);
        SetActiveWindow(wnd_);
        return true;
    }
    lstrcpynA(findBuf_, FindText.c_str(), sizeof findBuf_);
    if (auto* r = dynamic_cast<TReplaceDialog*>(this)) lstrcpynA(replaceBuf_, r->ReplaceText.c_str(), sizeof replaceBuf_);
    fr_ = FINDREPLACEA{};
    fr_.lStructSize = sizeof fr_;
    fr_.hwndOwner = OwnerWindow();
    fr_.lpstrFindWhat = findBuf_;
    fr_.wFindWhatLen = sizeof findBuf_;
    fr_.lpstrReplaceWith = replaceBuf_;
    fr_.wReplaceWithLen = sizeof replaceBuf_;
    fr_.lCustData = reinterpret_cast<LPARAM>(this);
    fr_.lpfnHook = FindHook;
    fr_.Flags = FR_ENABLEHOOK;
    const std::pair<unsigned, DWORD> flags[] = {
        {frDown, FR_DOWN}, {frHideMatchCase, FR_HIDEMATCHCASE}, {frHideWholeWord, FR_HIDEWHOLEWORD},
        {frHideUpDown, FR_HIDEUPDOWN}, {frMatchCase, FR_MATCHCASE}, {frDisableMatchCase, FR_NOMATCHCASE},
        {frDisableUpDown, FR_NOUPDOWN}, {frDisableWholeWord, FR_NOWHOLEWORD}, {frWholeWord, FR_WHOLEWORD},
        {frShowHelp, FR_SHOWHELP}};
    for (auto [o, f] : flags)
        if (Options & o) fr_.Flags |= f;
    if (!fr_.hwndOwner) throw Exception("The find dialog needs a window to belong to");
    if (OnShow) OnShow(this);
    wnd_ = CreateDialogWindow(fr_);
    if (!wnd_) DialogFailed("find", CommDlgExtendedError());
    OpenFindDialogs().push_back(this);
    if (Application) Application->AddModelessDialog(wnd_);
    Shown(wnd_);
    return true;
}

void TFindDialog::CloseDialog() {
    // As the dialog's own Cancel: it says so to its owner (OnClose) and goes.
    if (wnd_ && IsWindow(wnd_)) SendMessageA(wnd_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

POINT TFindDialog::Position() const {
    if (wnd_ && IsWindow(wnd_)) {
        RECT r;
        GetWindowRect(wnd_, &r);
        return {r.left, r.top};
    }
    return position_;
}

void TFindDialog::SetPosition(POINT p) {
    position_ = p;
    if (wnd_ && IsWindow(wnd_) && p.x >= 0)
        SetWindowPos(wnd_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TFindDialog::HandleFindMessage(LPARAM lp) {
    auto* fr = reinterpret_cast<FINDREPLACEA*>(lp);
    if (!fr) return false;
    for (TFindDialog* d : OpenFindDialogs())
        if (fr == &d->fr_ || fr->lCustData == reinterpret_cast<LPARAM>(d)) {
            d->Request(fr->Flags);
            return true;
        }
    return false;
}

void TFindDialog::Request(DWORD flags) {
    FindText = findBuf_;
    // With the direction hidden or fixed the user cannot change it: it stays
    // as it was set (the platform dialog may report it as up).
    bool fixedDirection = (Options & (frHideUpDown | frDisableUpDown)) != 0;
    bool down = fixedDirection ? (Options & frDown) != 0 : (flags & FR_DOWN) != 0;
    Options &= ~(frDown | frMatchCase | frWholeWord | frFindNext | frReplace | frReplaceAll);
    if (down) Options |= frDown;
    if (flags & FR_MATCHCASE) Options |= frMatchCase;
    if (flags & FR_WHOLEWORD) Options |= frWholeWord;
    if (flags & FR_FINDNEXT) Options |= frFindNext;
    if (flags & FR_REPLACE) Options |= frReplace;
    if (flags & FR_REPLACEALL) Options |= frReplaceAll;
    if (flags & FR_DIALOGTERM) {
        if (wnd_) {
            RECT r;
            if (IsWindow(wnd_) && GetWindowRect(wnd_, &r)) position_ = {r.left, r.top};
            if (Application) Application->RemoveModelessDialog(wnd_);
        }
        wnd_ = nullptr;
        auto& open = OpenFindDialogs();
        open.erase(std::remove(open.begin(), open.end(), this), open.end());
        if (OnClose) OnClose(this);
        return;
    }
    if ((flags & FR_FINDNEXT) && OnFind) OnFind(this);
}

void TReplaceDialog::Request(DWORD flags) {
    ReplaceText = replaceBuf_;
    TFindDialog::Request(flags);
    if (!(flags & FR_DIALOGTERM) && (flags & (FR_REPLACE | FR_REPLACEALL)) && OnReplace) OnReplace(this);
}
