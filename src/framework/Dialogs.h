// The platform's common dialogs as components: colour and font.
#pragma once

#include <windows.h>

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
