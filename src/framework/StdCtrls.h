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
