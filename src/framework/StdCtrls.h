// Standard windowed controls on the platform's own classes: the edit box and
// the check box.
#pragma once

#include "Controls.h"

class TCustomEdit : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TCustomEdit(TComponent* owner);
    std::string Text() const;
    void SetText(const std::string& s);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    int MaxLength = 0;
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;
    bool readOnly_ = false;
};

class TEdit : public TCustomEdit {
    CX_DECLARE_CLASS()
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TCheckBox : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const;
    void SetChecked(bool v);

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;
    bool checked_ = false;
};

// ---------------------------------------------------------------- push button

// A push button on the platform's button. Default takes Return in its form
// (unless another button has the focus), Cancel takes Escape; a click with a
// ModalResult sets the form's ModalResult (closing a modal form).
class TButton : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TButton(TComponent* owner);
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    int ModalResult = 0;  // mrNone, mrOk, mrCancel... (Forms.h)
    void Click() override;
    // The default-button frame: on the focused button, or on the default
    // button while no button has the focus.
    void UpdateDefaultLook(TButton* focusedButton);

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;
    bool default_ = false;
    bool cancel_ = false;
};
