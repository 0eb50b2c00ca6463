#include "StdCtrls.h"

#include "Forms.h"

CX_IMPLEMENT_CLASS(TCustomEdit, TWinControl, CX_ABSTRACT, {
    p.Str("Text", &TCustomEdit::Text, &TCustomEdit::SetText);
    p.Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false);
    p.Int("MaxLength", [](TCustomEdit& e) { return e.MaxLength; }, [](TCustomEdit& e, int v) { e.MaxLength = v; }, 0);
    p.Event("OnChange", &TCustomEdit::OnChange);
})
CX_IMPLEMENT_CLASS(TEdit, TCustomEdit, CX_CREATE(TEdit), {})

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    width_ = 121;
    height_ = 21;
    TabStop = true;
    parentColor_ = false;
    color_ = clWindow;
    ControlStyle &= ~csSetCaption;
}

void TCustomEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "EDIT";
    p.style |= ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0) | (TabStop ? WS_TABSTOP : 0);
    p.exStyle |= WS_EX_CLIENTEDGE;
}

std::string TCustomEdit::Text() const {
    if (!wnd_) return caption_;
    int n = GetWindowTextLengthA(wnd_);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    GetWindowTextA(wnd_, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(n));
    return s;
}

void TCustomEdit::SetText(const std::string& s) {
    caption_ = s;
    if (wnd_) SetWindowTextA(wnd_, s.c_str());
}

void TCustomEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    if (wnd_) SendMessageA(wnd_, EM_SETREADONLY, v, 0);
}

void TCustomEdit::WndProc(TMessage& m) {
    if (m.msg == kReflect + WM_COMMAND && HIWORD(m.wParam) == EN_CHANGE) {
        caption_ = Text();
        if (OnChange) OnChange(this);
        return;
    }
    TWinControl::WndProc(m);
}

CX_IMPLEMENT_CLASS(TCheckBox, TWinControl, CX_CREATE(TCheckBox), {
    p.Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false);
})

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    width_ = 97;
    height_ = 17;
    TabStop = true;
    color_ = clBtnFace;
    parentColor_ = true;
    // Clicks come from the platform's notification, mouse or keyboard alike.
    ControlStyle &= ~csClickEvents;
}

void TCheckBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "BUTTON";
    p.style |= BS_AUTOCHECKBOX | (TabStop ? WS_TABSTOP : 0);
}

void TCheckBox::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageA(wnd_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const {
    if (wnd_) return SendMessageA(wnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void TCheckBox::SetChecked(bool v) {
    checked_ = v;
    if (wnd_) SendMessageA(wnd_, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::WndProc(TMessage& m) {
    if (m.msg == kReflect + WM_COMMAND && HIWORD(m.wParam) == BN_CLICKED) {
        checked_ = Checked();
        Click();
        return;
    }
    if (m.msg == WM_DESTROY) checked_ = Checked();
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- push button

namespace {
const EnumNames kModalResultNames = {"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore",
                                     "mrYes",  "mrNo", "mrAll",    "mrNoToAll", "mrYesToAll"};
}  // namespace

CX_IMPLEMENT_CLASS(TButton, TWinControl, CX_CREATE(TButton), {
    p.Bool("Default", &TButton::Default, &TButton::SetDefault, false);
    p.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
    // Stored as a number or as a name (mrOk).
    p.Custom("ModalResult", [](TButton& b, TReader& r) {
        layout::Value v = r.ReadValue();
        if (v.tag == layout::Tag::Int) {
            b.ModalResult = v.i;
        } else if (v.tag == layout::Tag::Ident) {
            int k = EnumOrdinal(kModalResultNames, v.s);
            if (k < 0) r.Fail("ModalResult " + v.s + " is not a modal result");
            b.ModalResult = k;
        } else {
            r.Fail("ModalResult must be a number or a modal result name");
        }
    });
    ci->Own().back().write = [](TPersistent& o, layout::Value& v) {
        auto& b = static_cast<TButton&>(o);
        if (b.ModalResult == 0) return false;
        v = layout::Value::Int(b.ModalResult);
        return true;
    };
})

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    width_ = 75;
    height_ = 25;
    TabStop = true;
    color_ = clBtnFace;
    parentColor_ = true;
    // Clicks come from the platform's notification, mouse or keyboard alike.
    ControlStyle &= ~csClickEvents;
}

void TButton::SetDefault(bool v) {
    default_ = v;
    UpdateDefaultLook(nullptr);
}

void TButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.baseClassName = "BUTTON";
    p.style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (TabStop ? WS_TABSTOP : 0);
}

void TButton::UpdateDefaultLook(TButton* focusedButton) {
    if (!wnd_) return;
    bool look = focusedButton ? focusedButton == this : default_;
    LONG style = GetWindowLongA(wnd_, GWL_STYLE);
    bool now = (style & 0x0F) == BS_DEFPUSHBUTTON;
    if (look != now) SendMessageA(wnd_, BM_SETSTYLE, look ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (ModalResult != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->ModalResult = ModalResult;
    TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
    if (m.msg == kReflect + WM_COMMAND && HIWORD(m.wParam) == BN_CLICKED) {
        Click();
        return;
    }
    TWinControl::WndProc(m);
}
