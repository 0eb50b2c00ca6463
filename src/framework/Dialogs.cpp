#include "Dialogs.h"

#include <commdlg.h>

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
