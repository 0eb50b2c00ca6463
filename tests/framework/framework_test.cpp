// Forms and controls on real windows: alignment, ownership, modal showing,
// mouse routing to windowless controls, hints and cursors.
#include <gtest/gtest.h>

#include "TestUtil.h"

using namespace testsupport;

namespace {

class TSpot : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TSpot(TComponent* owner) : TGraphicControl(owner) {}
    ~TSpot() override { ++destroyed; }
    int enters = 0, leaves = 0, downs = 0, ups = 0;
    static int destroyed;
    void MouseEnter() override { ++enters; }
    void MouseLeave() override { ++leaves; }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        ++downs;
        TGraphicControl::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
        ++ups;
        TGraphicControl::MouseUp(b, s, x, y);
    }
    void Paint() override {
        Canvas().Brush.SetColor(Color());
        RECT r = ClientRect();
        Canvas().FillRect(r);
    }
};
int TSpot::destroyed = 0;
CX_IMPLEMENT_CLASS(TSpot, TGraphicControl, CX_CREATE(TSpot), {})

class TBox : public TCustomControl {
    CX_DECLARE_CLASS()
public:
    explicit TBox(TComponent* owner) : TCustomControl(owner) { ControlStyle |= csAcceptsControls; }
};
CX_IMPLEMENT_CLASS(TBox, TCustomControl, CX_CREATE(TBox), {})

TTestForm* NewForm(int w = 300, int h = 200) {
    auto* f = new TTestForm();
    f->SetBorderStyle(TFormBorderStyle::bsNone);
    f->SetClientWidth(w);
    f->SetClientHeight(h);
    f->Position = TPosition::poScreenCenter;
    return f;
}

POINT ScreenOf(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }

}  // namespace

TEST(Controls, AlignmentFillsTheClientAreaInOrder) {
    auto* f = NewForm(400, 300);
    auto make = [&](TAlign a, int w, int h) {
        auto* b = new TBox(f);
        b->SetBounds(0, 0, w, h);
        b->SetAlign(a);
        b->SetParent(f);
        return b;
    };
    auto* top = make(TAlign::alTop, 10, 30);
    auto* bottom = make(TAlign::alBottom, 10, 41);
    auto* right = make(TAlign::alRight, 118, 10);
    auto* client = make(TAlign::alClient, 10, 10);
    f->Show();
    Pump(50);
    EXPECT_EQ(top->BoundsRect().bottom, 30);
    EXPECT_EQ(top->Width(), 400);
    EXPECT_EQ(bottom->Top(), 300 - 41);
    EXPECT_EQ(right->Left(), 400 - 118);
    EXPECT_EQ(right->Height(), 300 - 30 - 41);
    EXPECT_EQ(client->BoundsRect().right, 400 - 118);
    EXPECT_EQ(client->Top(), 30);
    // A hidden control gives its place up.
    right->Hide();
    Pump(20);
    EXPECT_EQ(client->Width(), 400);
    f->SetBounds(f->Left(), f->Top(), 600, 300);
    Pump(20);
    EXPECT_EQ(client->Width(), 600);
    delete f;
}

TEST(Controls, OwnersFreeWhatTheyOwn) {
    TSpot::destroyed = 0;
    auto* f = NewForm();
    auto* a = new TSpot(f);
    a->SetParent(f);
    auto* b = new TSpot(f);
    b->SetParent(f);
    delete a;  // freeing one removes it from its owner and parent
    EXPECT_EQ(f->ComponentCount(), 1);
    EXPECT_EQ(f->ControlCount(), 1);
    delete f;
    EXPECT_EQ(TSpot::destroyed, 2);
}

TEST(Controls, MouseInputReachesTheWindowlessControlUnderIt) {
    auto* f = NewForm();
    auto* spot = new TSpot(f);
    spot->SetBounds(50, 50, 60, 40);
    spot->SetColor(clBlue);
    spot->SetParent(f);
    int clicks = 0;
    spot->OnClick = [&](TObject*) { ++clicks; };
    f->Show();
    Pump(100);
    EXPECT_EQ(ScreenPixel(ScreenOf(spot, 5, 5).x, ScreenOf(spot, 5, 5).y), RGB(0, 0, 255));

    POINT in = ScreenOf(spot, 10, 10);
    MouseMoveTo(in.x, in.y);
    EXPECT_EQ(spot->enters, 1);
    EXPECT_EQ(Application->MouseControl(), spot);
    ClickAt(in.x, in.y);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(spot->downs, 1);

    // Press inside, release outside: the control keeps the mouse, no click.
    MouseMoveTo(in.x, in.y);
    MouseDown();
    EXPECT_TRUE(spot->MouseCapture());
    POINT out = ScreenOf(f, 250, 150);
    MouseMoveTo(out.x, out.y);
    MouseUp();
    EXPECT_EQ(spot->ups, 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(spot->MouseCapture());
    Pump(30);
    EXPECT_GE(spot->leaves, 1);
    delete f;
}

namespace {
HWND g_boxOwner = nullptr;
// Takes the mouse for the box's owner from inside the box's loop, as a
// press whose release the box swallowed would, then answers the box.
void CALLBACK CaptureThenAnswer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", "Capture left behind");
    if (!box) return;
    KillTimer(nullptr, id);
    SetCapture(g_boxOwner);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}
}  // namespace

// A capture that nothing tracks any longer (taken while a box's loop ran,
// its release lost) neither outlives the box nor keeps the window's
// windowless controls from their clicks.
TEST(Controls, ACaptureLeftBehindDoesNotSwallowTheNextClicks) {
    auto* f = NewForm();
    auto* spot = new TSpot(f);
    spot->SetBounds(50, 50, 60, 40);
    spot->SetParent(f);
    int clicks = 0;
    spot->OnClick = [&](TObject*) { ++clicks; };
    f->Show();
    Pump(50);
    POINT in = ScreenOf(spot, 10, 10);

    // Left behind in the window's own handling: the next press reaches the control.
    SetCapture(f->Handle());
    ClickAt(in.x, in.y);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GetCapture(), nullptr);
    ClickAt(in.x, in.y);
    EXPECT_EQ(clicks, 2);

    // Left behind by a box's loop: gone once the box is.
    g_boxOwner = f->Handle();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CaptureThenAnswer);
    Application->MessageBox("A box", "Capture left behind", MB_OK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetActiveWindow(), f->Handle());
    ClickAt(in.x, in.y);
    EXPECT_EQ(clicks, 3);
    delete f;
}

TEST(Controls, HintShowsTheShortPartAndCursorFollowsTheControl) {
    auto* f = NewForm();
    auto* spot = new TSpot(f);
    spot->SetBounds(20, 20, 60, 40);
    spot->SetParent(f);
    spot->SetHint("Read Codexia|Opens the book");
    spot->SetShowHint(true);
    spot->SetCursor(crHandPoint);
    std::string longHint;
    Application->OnHint = [&](TObject*) { longHint = Application->Hint; };
    f->Show();
    Pump(50);
    POINT p = ScreenOf(spot, 30, 20);
    MouseMoveTo(p.x - 1, p.y);
    MouseMoveTo(p.x, p.y);
    EXPECT_EQ(longHint, "Opens the book");
    EXPECT_EQ(ShownHintText(), "Read Codexia");
    EXPECT_EQ(ScreenCursor(), LoadCursor(nullptr, IDC_HAND));
    Application->OnHint = nullptr;
    delete f;
    Pump(20);
}

TEST(Forms, ShowModalDisablesTheOthersAndCloseEndsIt) {
    auto* owner = NewForm();
    owner->Show();
    Pump(30);
    auto* dlg = NewForm(200, 100);
    dlg->SetBorderStyle(TFormBorderStyle::bsSingle);
    int closes = 0;
    bool ownerEnabledInside = true;
    dlg->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
    dlg->OnShow = [&](TObject*) {
        ownerEnabledInside = IsWindowEnabled(owner->WindowHandle()) != 0;
        PostMessageA(dlg->WindowHandle(), WM_CLOSE, 0, 0);
    };
    TModalResult r = dlg->ShowModal();
    EXPECT_EQ(r, mrCancel);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(IsWindowEnabled(owner->WindowHandle()));
    EXPECT_FALSE(dlg->Visible());
    // A close handler that refuses keeps the window up; a second close with
    // the handler relenting ends it.
    int calls = 0;
    dlg->OnClose = [&](TObject*, TCloseAction& a) {
        if (++calls == 1) a = TCloseAction::caNone;
    };
    dlg->OnShow = [&](TObject*) {
        PostMessageA(dlg->WindowHandle(), WM_CLOSE, 0, 0);
        PostMessageA(dlg->WindowHandle(), WM_CLOSE, 0, 0);
    };
    dlg->ShowModal();
    EXPECT_EQ(calls, 2);
    EXPECT_THROW(
        {
            dlg->Show();
            dlg->ShowModal();
        },
        EInvalidOperation);
    delete dlg;
    delete owner;
}

TEST(Forms, ExceptionsInHandlersReachTheErrorHandlingNotTheCaller) {
    auto* f = NewForm();
    f->Show();
    auto* spot = new TSpot(f);
    spot->SetBounds(0, 0, 50, 50);
    spot->SetParent(f);
    spot->OnClick = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
    Pump(30);
    Errors().clear();
    POINT p = ScreenOf(spot, 10, 10);
    ClickAt(p.x, p.y);
    EXPECT_EQ(TakeErrors(), "'x' is not a valid integer value");
    delete f;
}

TEST(Forms, PlacementCentresOnScreenAndOverTheOwner) {
    auto* f = NewForm(400, 400);
    f->Show();
    Pump(20);
    RECT r;
    GetWindowRect(f->WindowHandle(), &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 400) / 2);
    delete f;
}

TEST(Text, HintsAndAccelerators) {
    EXPECT_EQ(GetShortHint("Read|Opens the book"), "Read");
    EXPECT_EQ(GetLongHint("Read|Opens the book"), "Opens the book");
    EXPECT_EQ(GetLongHint("Close"), "Close");
    EXPECT_EQ(HotkeyChar("&Close"), 'C');
    EXPECT_EQ(HotkeyChar("Save && Exit"), 0);
    EXPECT_EQ(StripHotkey("Fin&d && Replace"), "Find & Replace");
    EXPECT_TRUE(IsAccel('c', "&Close"));
    EXPECT_FALSE(IsAccel('l', "&Close"));
}
