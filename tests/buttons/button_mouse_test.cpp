// The picture button under a real mouse and keyboard: when it clicks, how its
// down look follows the pointer, latching, disabling, hot tracking, the right
// button, the automatic popup menu, accelerators, hints and the hand cursor.
#include "ButtonFixtures.h"
#include "Menus.h"

using namespace testsupport;
using namespace buttontest;

namespace {

struct Counts {
    int clicks = 0, downs = 0, ups = 0, enters = 0, exits = 0;
    void Attach(TMMBitmapButton* b) {
        b->OnClick = [this](TObject*) { ++clicks; };
        b->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
        b->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
        b->OnMouseEnter = [this](TObject*) { ++enters; };
        b->OnMouseExit = [this](TObject*) { ++exits; };
    }
};

void MoveTo(TControl* c, int x, int y) {
    POINT p = ScreenPt(c, x, y);
    MouseMoveTo(p.x, p.y);
}

// Leaves the pointer on the window but away from every button.
void Park(TCustomForm* f) { MoveTo(f, f->ClientWidth() - 3, f->ClientHeight() - 3); }

}  // namespace

TEST(ButtonMouse, PressAndReleaseInsideClicksOnceAfterTheRelease) {
    auto* f = NewForm();
    auto* b = AddButton(f, 40, 40, 80, 30);
    Counts n;
    n.Attach(b);
    ShowForm(f);
    MoveTo(b, 10, 10);
    EXPECT_TRUE(b->Hot());
    MouseDown();
    EXPECT_TRUE(b->Tracking());
    EXPECT_TRUE(b->DrawnDown());
    EXPECT_TRUE(b->MouseCapture());
    EXPECT_EQ(n.clicks, 0);
    // Pressed, hot and ShowPressed: the explorer frame is sunken.
    ExpectRing(b, 0, clBtnShadow, clBtnHighlight, "pressed");
    MouseUp();
    EXPECT_EQ(n.clicks, 1);
    EXPECT_EQ(n.downs, 1);
    EXPECT_EQ(n.ups, 1);
    EXPECT_FALSE(b->Tracking());
    EXPECT_FALSE(b->DrawnDown());
    EXPECT_FALSE(b->MouseCapture());
    // Still under the pointer: hot, raised.
    ExpectRing(b, 0, clBtnHighlight, clBtnShadow, "released, hot");
    Pump(50);
    EXPECT_EQ(n.clicks, 1);
    delete f;
}

TEST(ButtonMouse, DownLookFollowsThePointerAndReleaseOutsideDoesNotClick) {
    auto* f = NewForm();
    // The default see-through explorer button and an opaque light one.
    auto* clear = AddButton(f, 20, 40, 80, 30);
    auto* solid = AddButton(f, 160, 40, 80, 30, TMMButtonStyle::bsLight);
    solid->SetTransparent(false);
    solid->SetColor(clYellow);
    Counts nc, ns;
    nc.Attach(clear);
    ns.Attach(solid);
    ShowForm(f);
    for (TMMBitmapButton* b : {clear, solid}) {
        bool light = b == solid;
        std::string what = light ? "light" : "explorer";
        MoveTo(b, 10, 10);
        MouseDown();
        ExpectRing(b, 0, clBtnShadow, clBtnHighlight, what + " pressed");
        MoveTo(f, 140, 150);
        EXPECT_FALSE(b->DrawnDown()) << what;
        EXPECT_TRUE(b->Tracking()) << what;
        if (light) {
            ExpectRing(b, 0, clBtnHighlight, clBtnShadow, what + " pressed, pointer outside");
        } else {
            // Nothing drawn: the window shows through again.
            Ring r = RingAt(b, 0);
            EXPECT_EQ(Hex(r.top), Hex(Rgb(kFormColor))) << what;
            EXPECT_EQ(Hex(r.bottom), Hex(Rgb(kFormColor))) << what;
        }
        MoveTo(b, 20, 15);
        EXPECT_TRUE(b->DrawnDown()) << what;
        ExpectRing(b, 0, clBtnShadow, clBtnHighlight, what + " pointer back inside");
        MoveTo(f, 140, 150);
        MouseUp();
        EXPECT_FALSE(b->Tracking()) << what;
        EXPECT_FALSE(b->MouseCapture()) << what;
        EXPECT_FALSE(b->Hot()) << what;
    }
    EXPECT_EQ(nc.clicks, 0);
    EXPECT_EQ(ns.clicks, 0);
    EXPECT_EQ(Hex(At(clear, 40, 0)), Hex(Rgb(kFormColor)));
    ExpectRing(solid, 0, clBtnHighlight, clBtnShadow, "light after");
    delete f;
}

TEST(ButtonMouse, AReleaseWithoutThePressDoesNotClick) {
    auto* f = NewForm();
    auto* b = AddButton(f, 40, 40, 80, 30);
    Counts n;
    n.Attach(b);
    ShowForm(f);
    // Pressed on the window beside the button, released over the button.
    MoveTo(f, 200, 150);
    MouseDown();
    MoveTo(b, 10, 10);
    MouseUp();
    EXPECT_EQ(n.clicks, 0);
    EXPECT_FALSE(b->DrawnDown());
    delete f;
}

TEST(ButtonMouse, SwitchTogglesDownOnEachClickInside) {
    auto* f = NewForm();
    auto* b = AddButton(f, 40, 40, 80, 30);
    b->SetSwitch(true);
    Counts n;
    n.Attach(b);
    ShowForm(f);
    POINT p = ScreenPt(b, 10, 10);
    ClickAt(p.x, p.y);
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(b->DrawnDown());
    ExpectRing(b, 0, clBtnShadow, clBtnHighlight, "latched down");
    ClickAt(p.x, p.y);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->DrawnDown());
    EXPECT_EQ(n.clicks, 2);
    // Released outside: no toggle, no click.
    MoveTo(b, 10, 10);
    MouseDown();
    MoveTo(f, 200, 150);
    MouseUp();
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(n.clicks, 2);
    delete f;
}

TEST(ButtonMouse, DisabledButtonIgnoresTheMouseAndDisablingEndsAPress) {
    auto* f = NewForm();
    auto* b = AddButton(f, 40, 40, 80, 30);
    b->SetCaption("Off");
    b->SetEnabled(false);
    Counts n;
    n.Attach(b);
    ShowForm(f);
    auto before = Snapshot(b);
    POINT p = ScreenPt(b, 10, 10);
    MoveTo(b, 10, 10);
    MouseDown();
    EXPECT_FALSE(b->Tracking());
    EXPECT_FALSE(b->DrawnDown());
    EXPECT_EQ(Snapshot(b), before);
    MouseUp();
    EXPECT_EQ(n.clicks + n.downs + n.ups + n.enters, 0);
    EXPECT_FALSE(b->Hot());

    b->SetEnabled(true);
    Pump(30);
    Park(f);
    MoveTo(b, 10, 10);
    MouseDown();
    ASSERT_TRUE(b->Tracking());
    b->SetEnabled(false);
    EXPECT_FALSE(b->Tracking());
    EXPECT_FALSE(b->PressedInside());
    EXPECT_FALSE(b->DrawnDown());
    EXPECT_FALSE(b->Hot());
    EXPECT_FALSE(b->MouseCapture());
    MouseUp();
    EXPECT_EQ(n.clicks, 0);
    (void)p;
    delete f;
}

TEST(ButtonMouse, EnterAndLeaveMakeExplorerButtonsHotExceptWhenDown) {
    auto* f = NewForm();
    auto* up = AddButton(f, 20, 40, 80, 30);
    auto* latched = AddButton(f, 160, 40, 80, 30);
    latched->SetDown(true);
    latched->SetShowPressed(false);
    Counts nu, nl;
    nu.Attach(up);
    nl.Attach(latched);
    ShowForm(f);
    Park(f);
    EXPECT_EQ(Hex(At(up, 40, 0)), Hex(Rgb(kFormColor)));  // explorer at rest: no frame
    MoveTo(up, 10, 10);
    EXPECT_TRUE(up->Hot());
    ExpectRing(up, 0, clBtnHighlight, clBtnShadow, "hot");
    Park(f);
    EXPECT_FALSE(up->Hot());
    EXPECT_EQ(Hex(At(up, 40, 0)), Hex(Rgb(kFormColor)));
    EXPECT_EQ(nu.enters, 1);
    EXPECT_EQ(nu.exits, 1);

    auto before = Snapshot(latched);
    MoveTo(latched, 10, 10);
    EXPECT_FALSE(latched->Hot());
    EXPECT_EQ(Snapshot(latched), before);
    EXPECT_EQ(nl.enters, 1);  // the events come all the same
    Park(f);
    EXPECT_EQ(nl.exits, 1);
    delete f;
}

TEST(ButtonMouse, RightButtonPressesOnlyWhenAllowed) {
    auto* f = NewForm();
    auto* b = AddButton(f, 40, 40, 80, 30);
    Counts n;
    n.Attach(b);
    ShowForm(f);
    MoveTo(b, 10, 10);
    MouseDown(true);
    EXPECT_FALSE(b->Tracking());
    MouseUp(true);
    EXPECT_EQ(n.clicks, 0);
    EXPECT_EQ(n.downs, 1);  // the framework's event still comes

    b->SetAllowRightMouse(true);
    MouseDown(true);
    EXPECT_TRUE(b->DrawnDown());
    MouseUp(true);
    EXPECT_EQ(n.clicks, 1);
    // A left release does not end a right press.
    MouseDown(true);
    MouseDown();
    MouseUp();
    EXPECT_TRUE(b->Tracking());
    EXPECT_EQ(n.clicks, 1);
    MouseUp(true);
    EXPECT_EQ(n.clicks, 2);
    delete f;
}

namespace {
// A popup menu that records where it was asked to show instead of showing.
class TRecordingMenu : public TPopupMenu {
public:
    explicit TRecordingMenu(TComponent* owner) : TPopupMenu(owner) {}
    std::vector<POINT> shown;
    std::function<void()> whileShown;
    void Popup(int x, int y) override {
        shown.push_back(POINT{x, y});
        if (whileShown) whileShown();
    }
};
}  // namespace

TEST(ButtonMouse, AutomaticPopupShowsBelowTheButtonAndTakesThePress) {
    auto* f = NewForm();
    auto* b = AddButton(f, 40, 40, 80, 30);
    auto* menu = new TRecordingMenu(f);
    b->SetPopupMenu(menu);
    Counts n;
    n.Attach(b);
    ShowForm(f);
    bool downWhileShown = false;
    menu->whileShown = [&] {
        downWhileShown = b->DrawnDown();
        // Mouse messages that arrive while the menu is up are dropped.
        LPARAM at = MAKELPARAM(50, 50);
        PostMessageA(f->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(f->WindowHandle(), WM_LBUTTONUP, 0, at);
    };
    MoveTo(b, 10, 10);
    MouseDown();
    ASSERT_EQ(menu->shown.size(), 1u);
    POINT corner = ScreenPt(b, 0, 30);
    EXPECT_EQ(menu->shown[0].x, corner.x);
    EXPECT_EQ(menu->shown[0].y, corner.y + 2);
    EXPECT_EQ(menu->PopupComponent, b);
    EXPECT_TRUE(downWhileShown);
    EXPECT_FALSE(b->Tracking());
    EXPECT_FALSE(b->DrawnDown());
    EXPECT_FALSE(b->MouseCapture());
    MouseUp();
    Pump(50);
    EXPECT_EQ(n.downs, 1);
    EXPECT_EQ(n.clicks, 0);  // dismissing the menu never clicks
    EXPECT_EQ(menu->shown.size(), 1u);

    menu->AutoPopup = false;
    POINT p = ScreenPt(b, 10, 10);
    ClickAt(p.x, p.y);
    EXPECT_EQ(menu->shown.size(), 1u);
    EXPECT_EQ(n.clicks, 1);
    delete f;
}

TEST(ButtonMouse, HandlersMayFreeTheButton) {
    auto* f = NewForm();
    auto* a = AddButton(f, 20, 40, 80, 30);
    auto* b = AddButton(f, 160, 40, 80, 30);
    auto* menu = new TRecordingMenu(f);
    b->SetPopupMenu(menu);
    a->OnClick = [&](TObject*) { delete a; };
    menu->whileShown = [&] { delete b; };
    ShowForm(f);
    POINT pa = ScreenPt(a, 10, 10), pb = ScreenPt(b, 10, 10);
    ClickAt(pa.x, pa.y);
    ClickAt(pb.x, pb.y);
    EXPECT_EQ(f->ControlCount(), 0);
    EXPECT_EQ(TakeErrors(), "");
    delete f;
}

TEST(ButtonMouse, AltAndTheAcceleratorClickTheEnabledButton) {
    auto* f = NewForm();
    auto* close = AddButton(f, 20, 40, 80, 30);
    close->SetCaption("&Close");
    auto* open = AddButton(f, 160, 40, 80, 30);
    open->SetCaption("&Open");
    Counts nc, no;
    nc.Attach(close);
    no.Attach(open);
    ShowForm(f);
    SetForegroundWindow(f->WindowHandle());
    Pump(30);
    KeyPress('C', true);
    EXPECT_EQ(nc.clicks, 1);
    EXPECT_EQ(no.clicks, 0);
    KeyPress('O', true);
    EXPECT_EQ(no.clicks, 1);
    close->SetEnabled(false);
    KeyPress('C', true);
    EXPECT_EQ(nc.clicks, 1);
    EXPECT_FALSE(close->DialogChar('c'));
    close->SetEnabled(true);
    EXPECT_TRUE(close->DialogChar('c'));
    EXPECT_FALSE(close->DialogChar('l'));
    EXPECT_EQ(nc.clicks, 2);
    delete f;
}

TEST(ButtonMouse, InvisibleClickAreaClicksAndShowsItsHintAndHandCursor) {
    // The skin window's click areas: no frame, no caption, no picture.
    auto* f = NewForm();
    auto* b = AddButton(f, 68, 100, 49, 19, TMMButtonStyle::bsNone);
    b->SetDown(true);
    b->SetShowPressed(false);
    b->SetShowDisabled(false);
    b->SetCursor(crHandPoint);
    b->SetHint("Read Codexia|Opens the book");
    b->SetParentShowHint(false);
    b->SetShowHint(true);
    Counts n;
    n.Attach(b);
    ShowForm(f);
    Park(f);
    auto plain = std::vector<COLORREF>(static_cast<std::size_t>(49 * 19), Rgb(kFormColor));
    EXPECT_EQ(Snapshot(b), plain);
    MoveTo(b, 20, 9);
    MoveTo(b, 21, 9);
    EXPECT_EQ(Snapshot(b), plain);
    EXPECT_EQ(ShownHintText(), "Read Codexia");
    EXPECT_EQ(ScreenCursor(), LoadCursor(nullptr, IDC_HAND));
    MouseDown();
    EXPECT_EQ(Snapshot(b), plain);
    MouseUp();
    EXPECT_EQ(n.clicks, 1);
    EXPECT_EQ(Snapshot(b), plain);
    delete f;
    Pump(20);
}
