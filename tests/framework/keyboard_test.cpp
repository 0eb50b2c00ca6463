// The keyboard as a user meets it, through the platform's input queue: the
// shift state in key events, the form's key preview, Tab order, and Return
// and Escape on a modal form's default and cancel buttons.
#include <gtest/gtest.h>

#include <map>

#include "StdCtrls.h"
#include "TestUtil.h"

using namespace testsupport;

namespace {

struct KeySeen {
    WORD key;
    TShiftState shift;
    bool operator==(const KeySeen&) const = default;
};

TTestForm* NewForm(int w = 360, int h = 240) {
    auto* f = new TTestForm();
    f->SetBounds(120, 120, w, h);
    return f;
}

TEdit* AddEdit(TWinControl* parent, int top, int tabOrder = -1) {
    auto* e = new TEdit(parent->Owner() ? parent->Owner() : parent);
    e->SetBounds(10, top, 150, 22);
    e->TabOrder = tabOrder;
    e->SetParent(parent);
    return e;
}

void ShowAndFocus(TTestForm* f, TWinControl* c) {
    f->Show();
    Pump(30);
    SetForegroundWindow(f->Handle());
    c->SetFocus();
    Pump(20);
}

// A plain container, as a panel.
class TBoxForTabs : public TCustomControl {
    CX_DECLARE_CLASS()
public:
    explicit TBoxForTabs(TComponent* owner) : TCustomControl(owner) { ControlStyle |= csAcceptsControls; }
};
CX_IMPLEMENT_CLASS(TBoxForTabs, TCustomControl, CX_CREATE(TBoxForTabs), {})

}  // namespace

TEST(Keyboard, KeyEventsCarryShiftAndCtrlFromTheKeyboard) {
    auto* f = NewForm();
    auto* edit = AddEdit(f, 10);
    std::vector<KeySeen> downs, ups;
    edit->OnKeyDown = [&](TObject*, WORD& k, TShiftState s) {
        if (k != VK_CONTROL && k != VK_SHIFT) downs.push_back({k, s});
    };
    edit->OnKeyUp = [&](TObject*, WORD& k, TShiftState s) {
        if (k != VK_CONTROL && k != VK_SHIFT) ups.push_back({k, s});
    };
    ShowAndFocus(f, edit);
    KeyPress('B', false, true);
    KeyPress('I', false, true);
    KeyPress('U', false, true);
    KeyPress(VK_INSERT, false, false, true);
    KeyPress('Z');
    std::vector<KeySeen> want = {{'B', ssCtrl}, {'I', ssCtrl}, {'U', ssCtrl}, {VK_INSERT, ssShift}, {'Z', 0}};
    EXPECT_EQ(downs, want);
    EXPECT_EQ(ups, want);
    delete f;
}

TEST(Keyboard, KeyPreviewGivesTheFormEachKeyFirst) {
    auto* f = NewForm();
    auto* edit = AddEdit(f, 10);
    std::string order;
    f->KeyPreview = true;
    f->OnKeyDown = [&](TObject* sender, WORD& k, TShiftState s) {
        if (k == 'I' && (s & ssCtrl)) {
            order += sender == f ? "form:I " : "?";
            k = 0;  // the form takes Ctrl+I: no tab goes into the edit box
        }
    };
    f->OnKeyPress = [&](TObject*, char& ch) {
        if (ch == '\t') ch = 0;
        if (ch == 'q') order += "form:q ";
    };
    edit->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
        if (k == 'I') order += "edit:I ";
        if (k == 'Q') order += "edit:Q ";
    };
    ShowAndFocus(f, edit);
    KeyPress('I', false, true);
    KeyPress('Q');
    EXPECT_EQ(order, "form:I edit:Q form:q ");
    EXPECT_EQ(edit->Text(), "q");
    f->KeyPreview = false;
    order.clear();
    KeyPress('Q');
    EXPECT_EQ(order, "edit:Q ");
    delete f;
}

TEST(Keyboard, TabAndShiftTabFollowTabOrder) {
    auto* f = NewForm(360, 300);
    // Made in one order, visited in another; the panel's edits come in its place.
    auto* a = AddEdit(f, 10, 2);
    auto* b = AddEdit(f, 40, 0);
    auto* panel = new TBoxForTabs(f);
    panel->SetBounds(180, 10, 150, 200);
    panel->TabOrder = 1;
    panel->SetParent(f);
    auto* c = AddEdit(panel, 10, 1);
    auto* d = AddEdit(panel, 40, 0);
    auto* skipped = AddEdit(f, 70, 3);
    skipped->TabStop = false;
    auto* disabled = AddEdit(f, 100, 4);
    disabled->SetEnabled(false);
    ShowAndFocus(f, b);
    ASSERT_EQ(GetFocus(), b->Handle());
    std::vector<TWinControl*> forward;
    for (int k = 0; k < 5; ++k) {
        KeyPress(VK_TAB);
        forward.push_back(TWinControl::FromHandle(GetFocus()));
    }
    EXPECT_EQ(forward, (std::vector<TWinControl*>{d, c, a, b, d}));
    std::vector<TWinControl*> back;
    for (int k = 0; k < 3; ++k) {
        KeyPress(VK_TAB, false, false, true);
        back.push_back(TWinControl::FromHandle(GetFocus()));
    }
    EXPECT_EQ(back, (std::vector<TWinControl*>{b, a, c}));
    EXPECT_EQ(f->ActiveControl, c);
    delete f;
}

TEST(Keyboard, ReturnAndEscapePressTheDefaultAndCancelButtonsOfAModalForm) {
    auto* f = NewForm(320, 200);
    f->SetBorderStyle(TFormBorderStyle::bsDialog);
    auto* edit = AddEdit(f, 10, 0);
    auto* ok = new TButton(f);
    ok->SetBounds(10, 120, 75, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->ModalResult = mrOk;
    ok->TabOrder = 1;
    ok->SetParent(f);
    auto* cancel = new TButton(f);
    cancel->SetBounds(100, 120, 75, 25);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->ModalResult = mrCancel;
    cancel->TabOrder = 2;
    cancel->SetParent(f);
    auto* no = new TButton(f);
    no->SetBounds(190, 120, 75, 25);
    no->SetCaption("No");
    no->ModalResult = mrNo;
    no->TabOrder = 3;
    no->SetParent(f);
    f->ActiveControl = edit;
    int okClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    auto press = [&](WORD vk) {
        After(150, [vk] {
            SendKeyInput(vk, false);
            SendKeyInput(vk, true);
        });
        // A modal loop that the keys never reach must not hang the test.
        UINT_PTR guard = After(5000, [f] { f->ModalResult = mrAbort; });
        TModalResult r = f->ShowModal();
        Cancel(guard);
        return r;
    };
    EXPECT_EQ(press(VK_RETURN), mrOk);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 0);
    EXPECT_EQ(edit->Text(), "");  // Return went to the button, not into the box

    EXPECT_EQ(press(VK_ESCAPE), mrCancel);
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(okClicks, 1);

    // A focused button takes Return itself.
    f->ActiveControl = no;
    EXPECT_EQ(press(VK_RETURN), mrNo);
    EXPECT_EQ(okClicks, 1);
    delete f;
}

TEST(Keyboard, ToolWindowKeepsItsClientSizeWhenItsWindowIsMade) {
    for (auto bs : {TFormBorderStyle::bsToolWindow, TFormBorderStyle::bsSizeToolWin, TFormBorderStyle::bsDialog,
                    TFormBorderStyle::bsSingle}) {
        auto* f = NewForm();
        f->SetBorderStyle(bs);
        f->SetClientWidth(300);
        f->SetClientHeight(150);
        int w = f->Width(), h = f->Height();
        EXPECT_EQ(f->ClientHeight(), 150);
        f->HandleNeeded();
        RECT r;
        GetClientRect(f->Handle(), &r);
        EXPECT_EQ(r.right, 300) << static_cast<int>(bs);
        EXPECT_EQ(r.bottom, 150) << static_cast<int>(bs);
        EXPECT_EQ(f->Width(), w);
        EXPECT_EQ(f->Height(), h);
        delete f;
    }
    // The outer size given first: the client size read before and after agree.
    auto* g = NewForm();
    g->SetBorderStyle(TFormBorderStyle::bsToolWindow);
    g->SetBounds(10, 10, 300, 200);
    int before = g->ClientHeight();
    g->HandleNeeded();
    EXPECT_EQ(g->ClientHeight(), before);
    delete g;
}

TEST(Keyboard, ButtonsAreStoredInLayouts) {
    auto* f = new TTestForm();
    int clicks = 0;
    f->AddHandler<void(TObject*)>("btnCancelClick", [&](TObject*) { ++clicks; });
    layout::Node n{"TTestForm", "frmButtons", {}, {}};
    layout::Node ok{"TButton", "btnOK", {}, {}};
    ok.props = {{"Caption", layout::Value::Str("&OK")}, {"Default", layout::Value::Bool(true)},
                {"ModalResult", layout::Value::Int(1)}, {"TabOrder", layout::Value::Int(0)}};
    layout::Node cancel{"TButton", "btnCancel", {}, {}};
    cancel.props = {{"Caption", layout::Value::Str("Cancel")}, {"Cancel", layout::Value::Bool(true)},
                    {"ModalResult", layout::Value::Id("mrCancel")}, {"OnClick", layout::Value::Id("btnCancelClick")}};
    n.children = {ok, cancel};
    f->Load(n);
    auto* a = dynamic_cast<TButton*>(f->FindComponent("btnOK"));
    auto* b = dynamic_cast<TButton*>(f->FindComponent("btnCancel"));
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->Default());
    EXPECT_EQ(a->ModalResult, mrOk);
    EXPECT_TRUE(b->Cancel());
    EXPECT_EQ(b->ModalResult, mrCancel);
    f->Show();
    Pump(20);
    EXPECT_EQ(GetWindowLongA(a->Handle(), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(f->ModalResult, mrCancel);
    bool stored = false;
    for (auto& [name, v] : StoredProperties(*b))
        if (name == "ModalResult") stored = v == layout::Value::Int(mrCancel);
    EXPECT_TRUE(stored);
    delete f;
}
