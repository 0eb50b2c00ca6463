#include "wwIntl.h"

#include <windows.h>

#include "Forms.h"
#include "richedit/wwRichEdit.h"

TwwIntl* wwIntl = nullptr;

#define WW_INTL_PROP(name, text) p.StrField(#name, &Self::name, std::string(text));

CX_IMPLEMENT_CLASS(TwwRichEditPopupMenuLabels, TPersistent, CX_ABSTRACT, {
    using Self = TwwRichEditPopupMenuLabels;
    WW_POPUP_MENU_LABELS(WW_INTL_PROP)
})

CX_IMPLEMENT_CLASS(TwwRichEditMenuLabels, TPersistent, CX_ABSTRACT, {
    using Self = TwwRichEditMenuLabels;
    WW_MENU_LABELS(WW_INTL_PROP)
})

CX_IMPLEMENT_CLASS(TwwRichEditParagraphDlg, TPersistent, CX_ABSTRACT, {
    using Self = TwwRichEditParagraphDlg;
    WW_PARAGRAPH_DLG(WW_INTL_PROP)
    p.Int("HelpContext", [](Self& o) { return o.HelpContext; }, [](Self& o, std::int32_t v) { o.HelpContext = v; }, 0);
})

CX_IMPLEMENT_CLASS(TwwRichEditTabDlg, TPersistent, CX_ABSTRACT, {
    using Self = TwwRichEditTabDlg;
    WW_TAB_DLG(WW_INTL_PROP)
    p.Int("HelpContext", [](Self& o) { return o.HelpContext; }, [](Self& o, std::int32_t v) { o.HelpContext = v; }, 0);
})

CX_IMPLEMENT_CLASS(TwwDBRichEditIntl, TPersistent, CX_ABSTRACT, {
    using Self = TwwDBRichEditIntl;
    WW_RICHEDIT_HINTS(WW_INTL_PROP)
    p.Object("MenuLabels", [](Self& o) -> TPersistent* { return &o.MenuLabels; });
    p.Object("PopupMenuLabels", [](Self& o) -> TPersistent* { return &o.PopupMenuLabels; });
    p.Object("ParagraphDlg", [](Self& o) -> TPersistent* { return &o.ParagraphDlg; });
    p.Object("TabDlg", [](Self& o) -> TPersistent* { return &o.TabDlg; });
})

CX_IMPLEMENT_CLASS(TwwUserMessagesIntl, TPersistent, CX_ABSTRACT, {
    using Self = TwwUserMessagesIntl;
    WW_USER_MESSAGES(WW_INTL_PROP)
})

CX_IMPLEMENT_CLASS(TwwIntl, TComponent, CX_CREATE(TwwIntl), {
    using Self = TwwIntl;
    p.Str("OKCaption", [](Self& o) { return o.OKCaption; }, [](Self& o, const std::string& v) { o.OKCaption = v; },
          std::string("&OK"));
    p.Str("CancelCaption", [](Self& o) { return o.CancelCaption; },
          [](Self& o, const std::string& v) { o.CancelCaption = v; }, std::string("Cancel"));
    p.Object("RichEdit", [](Self& o) -> TPersistent* { return &o.RichEdit; });
    p.Object("UserMessages", [](Self& o) -> TPersistent* { return &o.UserMessages; });
})

#undef WW_INTL_PROP

std::string TwwRichEditParagraphDlg::SpacingItem(int index) const {
    switch (index) {
    case 0: return WwTextOr(SpacingSingle, "Single");
    case 1: return WwTextOr(Spacing1_5, "1.5 Lines");
    case 2: return WwTextOr(SpacingDouble, "Double");
    case 3: return WwTextOr(SpacingAtLeast, "At least");
    case 4: return WwTextOr(SpacingExactly, "Exactly");
    case 5: return WwTextOr(SpacingMultiple, "Multiple");
    default: return {};
    }
}

TwwIntl::TwwIntl(TComponent* owner) : TComponent(owner) {
    if (wwIntl) return;
    wwIntl = this;
    // The control's alignment requests compare with the dialog's own texts.
    TwwCustomRichEdit::AlignmentTexts = [] {
        TwwAlignmentTexts t;
        if (wwIntl) {
            t.Left = wwIntl->RichEdit.ParagraphDlg.AlignLeft;
            t.Right = wwIntl->RichEdit.ParagraphDlg.AlignRight;
            t.Justify = wwIntl->RichEdit.ParagraphDlg.AlignJustify;
        }
        return t;
    };
}

TwwIntl::~TwwIntl() {
    if (wwIntl != this) return;
    wwIntl = nullptr;
    TwwCustomRichEdit::AlignmentTexts = nullptr;
}

void TwwIntl::LoadFrom(const void* data, std::size_t size) {
    TReader r(data, size, "TwwIntl");
    r.ReadRootComponent(this);
}

void TwwIntl::LoadStored() {
    HMODULE mod = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(mod, "TWWINTL", RT_RCDATA);
    if (!res) return;
    HGLOBAL g = LoadResource(mod, res);
    const void* data = g ? LockResource(g) : nullptr;
    if (!data) throw EReadError("Layout of TwwIntl: resource cannot be loaded");
    LoadFrom(data, SizeofResource(mod, res));
}

TwwIntl& WwIntl() {
    if (!wwIntl) new TwwIntl(Application);  // owned by the application, or kept for the process
    return *wwIntl;
}
