// Standard windowed controls on the platform's own classes: the edit box,
// the combo box, the list box, the group box and the check box.
#pragma once

#include <vector>

#include "Controls.h"
#include "StringList.h"

class TCustomEdit : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TCustomEdit(TComponent* owner);
    std::string Text() const;
    void SetText(const std::string& s);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    // The most characters the box takes (typed or pasted); 0: no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    TNotifyEvent OnChange;
    long AccessibleRole() const override;  // editable text

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;
    bool readOnly_ = false;
    int maxLength_ = 0;
    bool settingText_ = false;
};

class TEdit : public TCustomEdit {
    CX_DECLARE_CLASS()
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// The items of a combo box or list box. The control keeps them while it has
// no window and puts them into its window when it has one; a sorted control
// keeps them in order (case ignored), so an index means the same in both.
class TListItems : public TStrings {
public:
    struct Messages {
        UINT insert, remove, reset, getText, getTextLen;
    };
    TListItems(TWinControl& owner, const Messages& m) : owner_(owner), msg_(m) {}
    int Count() override { return Size(); }
    int Size() const { return static_cast<int>(items_.size()); }
    std::string Get(int index) override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const std::string& s) override;
    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);
    // Puts every item into the owner's new window.
    void Fill();

private:
    void Check(int index) const;
    TWinControl& owner_;
    Messages msg_;
    std::vector<std::string> items_;
    bool sorted_ = false;
};

// A drop-down list (csDropDownList: a choice among the items only), an edit
// box with a drop-down list (csDropDown), or an edit box over a list that
// always shows (csSimple). The text takes the font's colour, in the edit
// part and in the list alike.
enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };
extern const EnumNames kComboBoxStyleNames;

class TCustomComboBox : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TCustomComboBox(TComponent* owner);
    TStrings* Items() { return &items_; }
    void SetItems(const std::vector<std::string>& items);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle v);
    int ItemIndex() const;
    void SetItemIndex(int i);
    // The edit part's text (a drop-down list: the chosen item's). Setting
    // it on a drop-down list chooses the item of that text, or none.
    std::string Text() const;
    void SetText(const std::string& s);
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool v) { items_.SetSorted(v); }
    // How many items the drop-down list shows before it scrolls.
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int v);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    bool DroppedDown() const;
    void SetDroppedDown(bool v);
    // The platform window of the drop-down list (while there is a window).
    HWND ListHandle() const;
    void Loaded() override;

    // OnChange: the text changed (typed, or another item chosen).
    // OnClick: another item was chosen. OnDropDown: the list is about to
    // show. OnCloseUp: the list closed; by then the choice is in Text.
    TNotifyEvent OnChange, OnDropDown, OnCloseUp;

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& m) override;
    void FitDropDown();

    TListItems items_;
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    int itemIndex_ = -1;
    int dropDownCount_ = 8;
    int maxLength_ = 0;
};

class TComboBox : public TCustomComboBox {
    CX_DECLARE_CLASS()
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// A list of items, with one item chosen or (MultiSelect) several: with
// ExtendedSelect, Ctrl+click adds an item and Shift+click a range; without
// it, each click turns an item on or off.
class TCustomListBox : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TCustomListBox(TComponent* owner);
    TStrings* Items() { return &items_; }
    void SetItems(const std::vector<std::string>& items);
    // The chosen item (MultiSelect: the item with the focus rectangle), or -1.
    int ItemIndex() const;
    void SetItemIndex(int i);
    bool Selected(int i) const;
    void SetSelected(int i, bool v);
    int SelCount() const;
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool ExtendedSelect() const { return extendedSelect_; }
    void SetExtendedSelect(bool v);
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool v) { items_.SetSorted(v); }
    // The rectangle of an item in the control's client coordinates.
    RECT ItemRect(int i);

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& m) override;

    TListItems items_;
    bool multiSelect_ = false;
    bool extendedSelect_ = true;
    int itemIndex_ = -1;
    std::vector<int> selected_;  // kept while there is no window
};

class TListBox : public TCustomListBox {
    CX_DECLARE_CLASS()
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// An etched frame with a caption in its top edge, holding other controls.
class TGroupBox : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TGroupBox(TComponent* owner);
    RECT AlignRect() override;

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;
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
