// Forms on screens of another DPI: a layout loaded at 96 DPI keeps its
// numbers to the pixel, and a window told it moved to a monitor of another
// DPI (WM_DPICHANGED) takes the suggested place and rescales its controls,
// their fonts and their parts, read back from the windows themselves.
#include <gtest/gtest.h>

#include <commctrl.h>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Splitter.h"
#include "StdCtrls.h"
#include "TestUtil.h"

using layout::Node;
using layout::Value;
using testsupport::TTestForm;

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

namespace {

Node DpiFormNode() {
    Node f{"TTestForm", "Form1", {}, {}};
    f.props = {{"ClientWidth", Value::Int(300)}, {"ClientHeight", Value::Int(200)},
               {"BorderStyle", Value::Id("bsSizeable")}, {"Font.Name", Value::Str("Arial")},
               {"Font.Height", Value::Int(-11)}};
    Node bar{"TPanel", "Bar", {}, {}};
    bar.props = {{"Align", Value::Id("alTop")}, {"Height", Value::Int(33)}};
    Node button{"TButton", "Button1", {}, {}};
    button.props = {{"Left", Value::Int(11)}, {"Top", Value::Int(5)}, {"Width", Value::Int(75)},
                    {"Height", Value::Int(25)}, {"Caption", Value::Str("Go")},
                    {"Font.Name", Value::Str("Arial")}, {"Font.Height", Value::Int(-16)},
                    {"ParentFont", Value::Bool(false)}};
    bar.children.push_back(button);
    Node split{"TSplitter", "Splitter1", {}, {}};
    split.props = {{"Align", Value::Id("alLeft")}, {"Left", Value::Int(120)}, {"Width", Value::Int(5)}};
    Node left{"TPanel", "Side", {}, {}};
    left.props = {{"Align", Value::Id("alLeft")}, {"Width", Value::Int(120)}};
    Node status{"TStatusBar", "Status", {}, {}};
    status.props = {{"Align", Value::Id("alBottom")}, {"Height", Value::Int(19)},
                    {"Panels", Value::Items({Value::Items({Value::Int(100), Value::Str("One")}),
                                             Value::Items({Value::Int(50), Value::Str("Two")}),
                                             Value::Items({Value::Int(20), Value::Str("Rest")})})}};
    f.children = {bar, left, split, status};
    return f;
}

RECT RectIn(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG FontHeightOf(HWND w) {
    LOGFONTA lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return 0;
    return lf.lfHeight;
}

std::vector<int> StatusParts(HWND w) {
    int parts[8] = {};
    int n = static_cast<int>(SendMessageA(w, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(parts)));
    return std::vector<int>(parts, parts + n);
}

void SendDpiChange(HWND w, int dpi, RECT suggested) {
    SendMessageA(w, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

}  // namespace

TEST(Dpi, TheLayoutsDpiChangesNothingAndAnotherRescalesEverything) {
    auto* form = new TTestForm();
    form->Load(DpiFormNode());
    form->Show();
    testsupport::Pump(50);
    HWND w = form->Handle();
    auto* button = dynamic_cast<TButton*>(form->FindComponent("Button1"));
    auto* bar = dynamic_cast<TPanel*>(form->FindComponent("Bar"));
    auto* side = dynamic_cast<TPanel*>(form->FindComponent("Side"));
    auto* split = dynamic_cast<TSplitter*>(form->FindComponent("Splitter1"));
    auto* status = dynamic_cast<TStatusBar*>(form->FindComponent("Status"));
    ASSERT_TRUE(button && bar && side && split && status);
    ASSERT_EQ(form->CurrentDpi(), 96) << "run at the shared prefix's 96 DPI";

    // At the layout's own DPI: every number as stored.
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    RECT b = RectIn(bar->Handle(), button->Handle());
    EXPECT_EQ(b, (RECT{11, 5, 86, 30}));
    EXPECT_EQ(FontHeightOf(button->Handle()), -16);
    EXPECT_EQ(bar->Font()->Height(), -11);
    EXPECT_EQ(RectIn(w, bar->Handle()).bottom, 33);
    EXPECT_EQ(split->MinSize, 30);
    EXPECT_EQ(StatusParts(status->Handle()), (std::vector<int>{100, 150, -1}));

    // To 144 DPI: the window takes the suggested rectangle, its controls
    // and fonts scale by 3/2.
    RECT suggested{50, 60, 50 + 480, 60 + 360};
    SendDpiChange(w, 144, suggested);
    testsupport::Pump(50);
    EXPECT_EQ(form->CurrentDpi(), 144);
    RECT now;
    GetWindowRect(w, &now);
    EXPECT_EQ(now, suggested);
    // Edges scale (16.5 rounds away from zero), so neighbours keep meeting.
    EXPECT_EQ(RectIn(bar->Handle(), button->Handle()), (RECT{17, 8, 129, 45}));
    EXPECT_EQ(FontHeightOf(button->Handle()), -24);
    EXPECT_EQ(bar->Font()->Height(), -17);  // the form's font, taken by the panel
    EXPECT_EQ(RectIn(w, bar->Handle()).bottom, 50);
    RECT s = RectIn(w, side->Handle());
    EXPECT_EQ(s.right - s.left, 180);
    EXPECT_EQ(split->Left(), s.right);
    EXPECT_EQ(split->Width(), 8);
    EXPECT_EQ(split->MinSize, 45);
    EXPECT_EQ(StatusParts(status->Handle()), (std::vector<int>{150, 225, -1}));

    delete form;
}
