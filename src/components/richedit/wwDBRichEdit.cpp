// The published face of the rich text control and its small setting objects.
#include "wwRichEdit.h"

const EnumNames kPopupOptionNames = {
    "rpoPopupEdit", "rpoPopupCut", "rpoPopupCopy", "rpoPopupPaste", "rpoPopupBold", "rpoPopupItalic",
    "rpoPopupUnderline", "rpoPopupFont", "rpoPopupBullet", "rpoPopupParagraph", "rpoPopupTabs", "rpoPopupFind",
    "rpoPopupReplace", "rpoPopupInsertObject", "rpoPopupMSWordSpellCheck"};
const EnumNames kEditorOptionNames = {
    "reoShowLoad", "reoShowSaveAs", "reoShowSaveExit", "reoShowPrint", "reoShowPageSetup", "reoShowFormatBar",
    "reoShowToolBar", "reoShowStatusBar", "reoShowHints", "reoShowRuler", "reoShowInsertObject", "reoCloseOnEscape",
    "reoFlatButtons", "reoShowSpellCheck", "reoShowMainMenuIcons", "reoShowJustifyButton", "reoUseBackColor",
    "reoNoConfirmation"};
const EnumNames kOleOptionNames = {"reoAdjustPopupMenu", "reoDisableOLE"};
const EnumNames kMeasurementUnitNames = {"muInches", "muCentimeters"};
const EnumNames kEditWidthNames = {"rewWindowSize", "rewPrinterSize"};

namespace {
const EnumNames kDragModeNames = {"dmManual", "dmAutomatic"};
const EnumNames kImeModeNames = {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha",
                                 "imHira", "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel"};
const EnumNames kAnchorNames = {"akLeft", "akTop", "akRight", "akBottom"};
}  // namespace

// ---------------------------------------------------------------- setting objects

CX_IMPLEMENT_CLASS(TwwFormPosition, TPersistent, CX_ABSTRACT, {
    p.Int("Left", [](TwwFormPosition& f) { return f.Left; }, [](TwwFormPosition& f, std::int32_t v) { f.Left = v; });
    p.Int("Top", [](TwwFormPosition& f) { return f.Top; }, [](TwwFormPosition& f, std::int32_t v) { f.Top = v; });
    p.Int("Width", [](TwwFormPosition& f) { return f.Width; }, [](TwwFormPosition& f, std::int32_t v) { f.Width = v; });
    p.Int("Height", [](TwwFormPosition& f) { return f.Height; }, [](TwwFormPosition& f, std::int32_t v) { f.Height = v; });
})

void TwwFormPosition::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TwwFormPosition*>(source)) {
        Left = s->Left;
        Top = s->Top;
        Width = s->Width;
        Height = s->Height;
        return;
    }
    TPersistent::Assign(source);
}

CX_IMPLEMENT_CLASS(TwwPrintMargins, TPersistent, CX_ABSTRACT, {
    p.Float("Top", [](TwwPrintMargins& m) { return m.Top; }, [](TwwPrintMargins& m, double v) { m.Top = v; });
    p.Float("Bottom", [](TwwPrintMargins& m) { return m.Bottom; }, [](TwwPrintMargins& m, double v) { m.Bottom = v; });
    p.Float("Left", [](TwwPrintMargins& m) { return m.Left; }, [](TwwPrintMargins& m, double v) { m.Left = v; });
    p.Float("Right", [](TwwPrintMargins& m) { return m.Right; }, [](TwwPrintMargins& m, double v) { m.Right = v; });
})

void TwwPrintMargins::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TwwPrintMargins*>(source)) {
        Top = s->Top;
        Bottom = s->Bottom;
        Left = s->Left;
        Right = s->Right;
    }
}

CX_IMPLEMENT_CLASS(TwwEditFrame, TPersistent, CX_ABSTRACT, {
    p.Bool("Enabled", [](TwwEditFrame& f) { return f.Enabled; }, [](TwwEditFrame& f, bool v) { f.Enabled = v; }, false);
    p.Bool("Transparent", [](TwwEditFrame& f) { return f.Transparent; },
           [](TwwEditFrame& f, bool v) { f.Transparent = v; }, false);
    p.Color("NonFocusColor", [](TwwEditFrame& f) { return f.NonFocusColor; },
            [](TwwEditFrame& f, TColor v) { f.NonFocusColor = v; }, clNone);
})

void TwwEditFrame::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TwwEditFrame*>(source)) {
        Enabled = s->Enabled;
        Transparent = s->Transparent;
        NonFocusColor = s->NonFocusColor;
        return;
    }
    TPersistent::Assign(source);
}

// ---------------------------------------------------------------- TwwDBRichEdit

using R = TwwDBRichEdit;

CX_IMPLEMENT_CLASS(TwwDBRichEdit, TwwCustomRichEdit, CX_CREATE(TwwDBRichEdit), {
    // The document is stored as Data; Lines may be read from a layout but are never written.
    p.Object("Lines", [](R& c) -> TPersistent* { return c.Lines(); });
    p.Enum("ScrollBars", kScrollStyleNames, &R::ScrollBars, &R::SetScrollBars, 0);
    p.Enum("Alignment", kEditAlignmentNames, &R::Alignment, &R::SetAlignment, 0);
    p.Bool("AutoURLDetect", &R::AutoURLDetect, &R::SetAutoURLDetect, false);
    p.Bool("AutoSelect", [](R& c) { return c.AutoSelect; }, [](R& c, bool v) { c.AutoSelect = v; }, false);
    p.Bool("AutoDisplay", [](R& c) { return c.AutoDisplay; }, [](R& c, bool v) { c.AutoDisplay = v; }, true);
    p.Enum("BorderStyle", kEditBorderStyleNames, &R::BorderStyle, &R::SetBorderStyle, 1);
    p.Int("BorderWidth", [](R& c) { return c.BorderWidth; }, [](R& c, int v) { c.BorderWidth = v; }, 0);
    p.Str("DataField", [](R& c) { return c.DataField; }, [](R& c, const std::string& v) { c.DataField = v; },
          std::string());
    p.Str("DataSource", [](R& c) { return c.DataSource; }, [](R& c, const std::string& v) { c.DataSource = v; },
          std::string());
    p.Object("Frame", [](R& c) -> TPersistent* { return c.Frame(); });
    p.Int("GutterWidth", &R::GutterWidth, &R::SetGutterWidth, 3);
    p.Bool("HideSelection", &R::HideSelection, &R::SetHideSelection, true);
    p.Bool("HideScrollBars", &R::HideScrollBars, &R::SetHideScrollBars, true);
    p.Int("MaxLength", &R::MaxLength, &R::SetMaxLength, 0);
    p.Set("OleOptions", kOleOptionNames, &R::OleOptions, &R::SetOleOptions, reoAdjustPopupMenu);
    p.Int("PrintPageSize", [](R& c) { return c.PrintPageSize; }, [](R& c, std::int32_t v) { c.SetPrintPageSize(v); }, 1);
    p.Ref<TControl>("UserSpeedButton1", [](R& c, TControl* b) { c.SetUserSpeedButton(0, b); });
    p.Ref<TControl>("UserSpeedButton2", [](R& c, TControl* b) { c.SetUserSpeedButton(1, b); });
    p.Color("HighlightColor", [](R& c) { return c.HighlightColor; }, [](R& c, TColor v) { c.HighlightColor = v; },
            0x0000FFFF);
    p.Str("Title", [](R& c) { return c.Title; }, [](R& c, const std::string& v) { c.Title = v; }, std::string());
    p.Str("PrintJobName", [](R& c) { return c.PrintJobName; }, [](R& c, const std::string& v) { c.PrintJobName = v; });
    p.Bool("ReadOnly", &R::ReadOnly, &R::SetReadOnly, false);
    p.Bool("WantReturns", &R::WantReturns, &R::SetWantReturns, true);
    p.Bool("WantTabs", &R::WantTabs, &R::SetWantTabs, false);
    p.Bool("WordWrap", &R::WordWrap, &R::SetWordWrap, true);
    p.Set("PopupOptions", kPopupOptionNames, [](R& c) { return c.PopupOptions; },
          [](R& c, unsigned v) { c.PopupOptions = v; }, kDefaultPopupOptions);
    p.Set("EditorOptions", kEditorOptionNames, [](R& c) { return c.EditorOptions; },
          [](R& c, unsigned v) { c.EditorOptions = v; }, kDefaultEditorOptions);
    p.Str("EditorCaption", [](R& c) { return c.EditorCaption; },
          [](R& c, const std::string& v) { c.EditorCaption = v; }, std::string("Edit Rich Text"));
    p.Object("EditorPosition", [](R& c) -> TPersistent* { return c.EditorPosition(); });
    p.Enum("MeasurementUnits", kMeasurementUnitNames, [](R& c) { return c.MeasurementUnits; },
           [](R& c, TwwMeasurementUnits v) { c.MeasurementUnits = v; }, 0);
    p.Object("PrintMargins", [](R& c) -> TPersistent* { return c.PrintMargins(); });
    p.Enum("EditWidth", kEditWidthNames, &R::EditWidth, &R::SetEditWidth, 0);
    p.Bool("Ctl3D", [](R& c) { return c.Ctl3D; }, [](R& c, bool v) { c.Ctl3D = v; }, true);
    p.Bool("ParentCtl3D", [](R& c) { return c.ParentCtl3D; }, [](R& c, bool v) { c.ParentCtl3D = v; }, true);
    p.Enum("DragMode", kDragModeNames, [](R& c) { return c.DragMode; }, [](R& c, int v) { c.DragMode = v; }, 0);
    p.Enum("ImeMode", kImeModeNames, [](R& c) { return c.ImeMode; }, [](R& c, int v) { c.ImeMode = v; }, 3);
    p.Str("ImeName", [](R& c) { return c.ImeName; }, [](R& c, const std::string& v) { c.ImeName = v; }, std::string());
    p.Set("Anchors", kAnchorNames, [](R& c) { return c.Anchors; }, [](R& c, unsigned v) { c.Anchors = v; }, 3u);
    p.Event<void(TObject*)>("OnChange", &R::OnChange);
    p.Event<void(TObject*)>("OnSelectionChange", &R::OnSelectionChange);
    p.Event<void(TObject*, const RECT&)>("OnResizeRequest", &R::OnResizeRequest);
    p.Event<void(TObject*, int, int, bool&)>("OnProtectChange", &R::OnProtectChange);
    p.Event<void(TObject*, int, int, bool&)>("OnSaveClipboard", &R::OnSaveClipboard);
    p.Event<void(TObject*, const std::string&, bool&)>("OnURLOpen", &R::OnURLOpen);
    p.Event<void(TObject*, TForm*)>("OnInitDialog", &R::OnInitDialog);
    p.Event<void(TObject*, TForm*)>("OnCloseDialog", &R::OnCloseDialog);
    p.Event<void(TObject*, TForm*)>("OnCreateDialog", &R::OnCreateDialog);
    p.Event<void(TForm*, TwwCustomRichEdit*, bool&)>("OnMenuLoadClick", &R::OnMenuLoadClick);
    p.Event<void(TForm*, TwwCustomRichEdit*, bool&)>("OnMenuPrintClick", &R::OnMenuPrintClick);
    p.Event<void(TForm*, TwwCustomRichEdit*, bool&)>("OnMenuSaveAsClick", &R::OnMenuSaveAsClick);
    p.Event<void(TForm*, TwwCustomRichEdit*, bool&)>("OnMenuSaveAndExitClick", &R::OnMenuSaveAndExitClick);
})

TwwDBRichEdit::TwwDBRichEdit(TComponent* owner) : TwwCustomRichEdit(owner) {
    ControlStyle |= csReplicatable;
    AutoDisplay = true;
    SetOleOptions(reoAdjustPopupMenu);
    SetGutterWidth(3);
    CompatibilitySwitches = {false, false, false, false, false, 0, false};
}
