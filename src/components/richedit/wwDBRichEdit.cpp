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
    p.Enum("ScrollBars", kScrollStyleNames, &R::ScrollBars, &R::SetScrollBars, static_cast<int>(R::kDefaultScrollBars));
    p.Enum("Alignment", kEditAlignmentNames, &R::Alignment, &R::SetAlignment, static_cast<int>(R::kDefaultAlignment));
    p.Bool("AutoURLDetect", &R::AutoURLDetect, &R::SetAutoURLDetect, R::kDefaultAutoURLDetect);
    p.Bool("AutoSelect", [](R& c) { return c.AutoSelect; }, [](R& c, bool v) { c.AutoSelect = v; },
           R::kDefaultAutoSelect);
    p.Bool("AutoDisplay", [](R& c) { return c.AutoDisplay; }, [](R& c, bool v) { c.AutoDisplay = v; },
           R::kDefaultAutoDisplay);
    p.Enum("BorderStyle", kEditBorderStyleNames, &R::BorderStyle, &R::SetBorderStyle,
           static_cast<int>(R::kDefaultBorderStyle));
    p.Int("BorderWidth", [](R& c) { return c.BorderWidth; }, [](R& c, int v) { c.BorderWidth = v; },
          R::kDefaultBorderWidth);
    p.Str("DataField", [](R& c) { return c.DataField; }, [](R& c, const std::string& v) { c.DataField = v; },
          std::string());
    p.Str("DataSource", [](R& c) { return c.DataSource; }, [](R& c, const std::string& v) { c.DataSource = v; },
          std::string());
    p.Object("Frame", [](R& c) -> TPersistent* { return c.Frame(); });
    p.Int("GutterWidth", &R::GutterWidth, &R::SetGutterWidth, R::kDefaultGutterWidth);
    p.Bool("HideSelection", &R::HideSelection, &R::SetHideSelection, R::kDefaultHideSelection);
    p.Bool("HideScrollBars", &R::HideScrollBars, &R::SetHideScrollBars, R::kDefaultHideScrollBars);
    p.Int("MaxLength", &R::MaxLength, &R::SetMaxLength, R::kDefaultMaxLength);
    p.Set("OleOptions", kOleOptionNames, &R::OleOptions, &R::SetOleOptions, R::kDefaultOleOptions);
    p.Int("PrintPageSize", [](R& c) { return c.PrintPageSize; }, [](R& c, std::int32_t v) { c.SetPrintPageSize(v); },
          R::kDefaultPrintPageSize);
    p.Ref<TControl>("UserSpeedButton1", [](R& c, TControl* b) { c.SetUserSpeedButton(0, b); });
    p.Ref<TControl>("UserSpeedButton2", [](R& c, TControl* b) { c.SetUserSpeedButton(1, b); });
    p.Color("HighlightColor", [](R& c) { return c.HighlightColor; }, [](R& c, TColor v) { c.HighlightColor = v; },
            R::kDefaultHighlightColor);
    p.Str("Title", [](R& c) { return c.Title; }, [](R& c, const std::string& v) { c.Title = v; }, std::string());
    p.Str("PrintJobName", [](R& c) { return c.PrintJobName; }, [](R& c, const std::string& v) { c.PrintJobName = v; });
    p.Bool("ReadOnly", &R::ReadOnly, &R::SetReadOnly, R::kDefaultReadOnly);
    p.Bool("WantReturns", &R::WantReturns, &R::SetWantReturns, R::kDefaultWantReturns);
    p.Bool("WantTabs", &R::WantTabs, &R::SetWantTabs, R::kDefaultWantTabs);
    p.Bool("WordWrap", &R::WordWrap, &R::SetWordWrap, R::kDefaultWordWrap);
    p.Set("PopupOptions", kPopupOptionNames, [](R& c) { return c.PopupOptions; },
          [](R& c, unsigned v) { c.PopupOptions = v; }, kDefaultPopupOptions);
    p.Set("EditorOptions", kEditorOptionNames, [](R& c) { return c.EditorOptions; },
          [](R& c, unsigned v) { c.EditorOptions = v; }, kDefaultEditorOptions);
    p.Str("EditorCaption", [](R& c) { return c.EditorCaption; },
          [](R& c, const std::string& v) { c.EditorCaption = v; }, std::string(R::kDefaultEditorCaption));
    p.Object("EditorPosition", [](R& c) -> TPersistent* { return c.EditorPosition(); });
    p.Enum("MeasurementUnits", kMeasurementUnitNames, [](R& c) { return c.MeasurementUnits; },
           [](R& c, TwwMeasurementUnits v) { c.MeasurementUnits = v; },
           static_cast<int>(R::kDefaultMeasurementUnits));
    p.Object("PrintMargins", [](R& c) -> TPersistent* { return c.PrintMargins(); });
    p.Enum("EditWidth", kEditWidthNames, &R::EditWidth, &R::SetEditWidth, static_cast<int>(R::kDefaultEditWidth));
    p.Bool("Ctl3D", [](R& c) { return c.Ctl3D; }, [](R& c, bool v) { c.Ctl3D = v; }, R::kDefaultCtl3D);
    p.Bool("ParentCtl3D", [](R& c) { return c.ParentCtl3D; }, [](R& c, bool v) { c.ParentCtl3D = v; },
           R::kDefaultParentCtl3D);
    p.Enum("DragMode", kDragModeNames, [](R& c) { return c.DragMode; }, [](R& c, int v) { c.DragMode = v; },
           R::kDefaultDragMode);
    p.Enum("ImeMode", kImeModeNames, [](R& c) { return c.ImeMode; }, [](R& c, int v) { c.ImeMode = v; },
           R::kDefaultImeMode);
    p.Str("ImeName", [](R& c) { return c.ImeName; }, [](R& c, const std::string& v) { c.ImeName = v; }, std::string());
    p.Set("Anchors", kAnchorNames, [](R& c) { return c.Anchors; }, [](R& c, unsigned v) { c.Anchors = v; },
          R::kDefaultAnchors);
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

TwwDBRichEdit::TwwDBRichEdit(TComponent* owner) : TwwCustomRichEdit(owner) { ControlStyle |= csReplicatable; }
