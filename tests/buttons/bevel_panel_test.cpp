// The bevel's change notifications and copying, the bevelled panel's rings,
// caption and child layout on real windows, and the framework's own panel and
// label that it builds on.
#include "ButtonFixtures.h"
#include "ExtCtrls.h"

using namespace testsupport;
using namespace buttontest;
using layout::Node;
using layout::Value;

namespace {

struct Heard {
    int changing = 0, changed = 0;
    void Listen(TMMObject& o) {
        o.OnChanging = [this](TMMObject*) { ++changing; };
        o.OnChanged = [this](TMMObject*) { ++changed; };
    }
};

// A panel that counts its re-layouts and paintings.
class TCountingPanel : public TMMPanel {
public:
    explicit TCountingPanel(TComponent* owner) : TMMPanel(owner) {}
    int aligns = 0, paints = 0;

protected:
    void AlignControls(RECT& r) override {
        ++aligns;
        TMMPanel::AlignControls(r);
    }
    void Paint() override {
        ++paints;
        TMMPanel::Paint();
    }
};

// A panel along the bottom of a window with one child filling it.
template <class P = TMMPanel>
P* AddBar(TCustomForm* f, TControl** child, int height = 41) {
    auto* p = new P(f);
    p->SetBounds(0, 0, f->ClientWidth(), height);
    p->SetAlign(TAlign::alBottom);
    p->SetParent(f);
    auto* c = new TMMBitmapButton(f);
    c->SetButtonStyle(TMMButtonStyle::bsNone);
    c->SetAlign(TAlign::alClient);
    c->SetParent(p);
    *child = c;
    return p;
}

RECT Bounds(TControl* c) { return c->BoundsRect(); }
bool Same(RECT a, RECT b) { return EqualRect(&a, &b) != 0; }

}  // namespace

TEST(Bevel, StartsAsTheReadingBarAndCountsItsRings) {
    TMMBevel b;
    EXPECT_EQ(b.BevelInner(), TBevelCut::bvNone);
    EXPECT_EQ(b.BevelOuter(), TBevelCut::bvLowered);
    EXPECT_EQ(b.BevelInnerWidth(), 1);
    EXPECT_EQ(b.BevelOuterWidth(), 1);
    EXPECT_EQ(b.BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(b.BorderWidth(), 0);
    EXPECT_EQ(b.BorderSpace(), 0);
    EXPECT_EQ(b.BorderColor(), clBtnFace);
    EXPECT_EQ(b.BorderSpaceColor(), clBlack);
    EXPECT_EQ(b.InnerLightColor(), clBtnHighlight);
    EXPECT_EQ(b.InnerShadowColor(), clBtnShadow);
    EXPECT_EQ(b.OuterLightColor(), clBtnHighlight);
    EXPECT_EQ(b.OuterShadowColor(), clBtnShadow);
    EXPECT_EQ(b.TotalWidth(), 1);
    b.SetBevelOuter(TBevelCut::bvSpace);
    b.SetBevelOuterWidth(4);
    EXPECT_EQ(b.TotalWidth(), 4);
    b.SetBevelInner(TBevelCut::bvRaised);
    b.SetBevelInnerWidth(2);
    b.SetBorderWidth(3);
    b.SetBorderSpace(5);
    b.SetBorderStyle(TBorderStyle::bsSingle);
    EXPECT_EQ(b.TotalWidth(), 4 + 2 + 3 + 5 + 1);
    b.SetBevelOuter(TBevelCut::bvNone);
    EXPECT_EQ(b.TotalWidth(), 2 + 3 + 5 + 1);
    // Widths below their floor are raised to it.
    b.SetBevelInnerWidth(0);
    b.SetBorderWidth(-2);
    b.SetBorderSpace(-1);
    EXPECT_EQ(b.BevelInnerWidth(), 1);
    EXPECT_EQ(b.BorderWidth(), 0);
    EXPECT_EQ(b.BorderSpace(), 0);
}

TEST(Bevel, SettersNotifyOnlyRealChanges) {
    TMMBevel b;
    Heard h;
    h.Listen(b);
    b.SetBevelOuter(TBevelCut::bvLowered);
    b.SetBevelOuterWidth(1);
    b.SetColor(TMMBevel::ciBorder, clBtnFace);
    b.SetBevelOuterWidth(0);  // raised to 1: no change
    EXPECT_EQ(h.changed, 0);
    b.SetBevelOuter(TBevelCut::bvRaised);
    b.SetColor(TMMBevel::ciOuterShadow, clRed);
    b.SetBorderSpace(2);
    EXPECT_EQ(h.changed, 3);
    EXPECT_EQ(h.changing, 0);
    EXPECT_EQ(b.OuterShadowColor(), clRed);
    EXPECT_THROW(b.SetColor(6, clRed), EInvalidOperation);
    EXPECT_THROW(b.SetColor(-1, clRed), EInvalidOperation);
    EXPECT_EQ(h.changed, 3);
}

TEST(Bevel, UpdatesSendOneChangingAndOneChanged) {
    TMMBevel b;
    Heard h;
    h.Listen(b);
    b.BeginUpdate();
    b.BeginUpdate();
    EXPECT_EQ(h.changing, 1);
    b.SetBorderWidth(4);
    b.SetBevelInner(TBevelCut::bvLowered);
    b.EndUpdate();
    EXPECT_EQ(h.changed, 0);
    b.EndUpdate();
    EXPECT_EQ(h.changed, 1);
    EXPECT_EQ(b.UpdateCount(), 0);
    b.EndUpdate();  // unmatched: ignored
    EXPECT_EQ(h.changed, 1);
    EXPECT_EQ(b.UpdateCount(), 0);
    b.SetBorderWidth(5);
    EXPECT_EQ(h.changed, 2);
}

TEST(Bevel, AssignCopiesAllThirteenValuesAsOneChange) {
    TMMBevel from;
    from.SetBevelInner(TBevelCut::bvRaised);
    from.SetBevelOuter(TBevelCut::bvSpace);
    from.SetBevelInnerWidth(2);
    from.SetBevelOuterWidth(3);
    from.SetBorderStyle(TBorderStyle::bsSingle);
    from.SetBorderWidth(4);
    from.SetBorderSpace(5);
    TColor colors[] = {clRed, clGreen, clBlue, clYellow, clAqua, clFuchsia};
    for (int k = 0; k < TMMBevel::ciCount; ++k) from.SetColor(k, colors[k]);
    TMMBevel to;
    Heard h;
    h.Listen(to);
    to.Assign(&from);
    EXPECT_EQ(h.changing, 1);
    EXPECT_EQ(h.changed, 1);
    EXPECT_EQ(to.BevelInner(), TBevelCut::bvRaised);
    EXPECT_EQ(to.BevelOuter(), TBevelCut::bvSpace);
    EXPECT_EQ(to.BevelInnerWidth(), 2);
    EXPECT_EQ(to.BevelOuterWidth(), 3);
    EXPECT_EQ(to.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_EQ(to.BorderWidth(), 4);
    EXPECT_EQ(to.BorderSpace(), 5);
    for (int k = 0; k < TMMBevel::ciCount; ++k) EXPECT_EQ(to.GetColor(k), colors[k]) << "colour " << k;
    EXPECT_EQ(to.UpdateCount(), 0);
    // Another kind of object: the framework's refusal, and nothing changes.
    TFont font;
    EXPECT_THROW(to.Assign(&font), EInvalidOperation);
    EXPECT_EQ(to.BorderWidth(), 4);
    EXPECT_EQ(h.changed, 1);
    EXPECT_EQ(to.UpdateCount(), 0);
}

TEST(MMPanel, ReadingBarDrawsALoweredRingAndInsetsItsChildrenByOne) {
    auto* f = NewForm(422, 120);
    TControl* child = nullptr;
    auto* bar = AddBar(f, &child);
    ShowForm(f);
    EXPECT_EQ(bar->Top(), 120 - 41);
    ExpectRing(bar, 0, clBtnShadow, clBtnHighlight, "bar");
    EXPECT_EQ(Hex(At(bar, 5, 5)), Hex(Rgb(clBtnFace)));
    EXPECT_EQ(Hex(At(bar, 1, 1)), Hex(Rgb(clBtnFace)));
    EXPECT_EQ(Hex(At(bar, 420, 39)), Hex(Rgb(clBtnFace)));
    EXPECT_TRUE(Same(Bounds(child), RECT{1, 1, 421, 40}));
    delete f;
}

TEST(MMPanel, SpaceBevelInsetsChildrenButDrawsNothing) {
    auto* f = NewForm(300, 120);
    TControl* child = nullptr;
    auto* p = AddBar(f, &child, 60);
    p->SetColor(clYellow);
    p->Bevel()->SetBevelOuter(TBevelCut::bvSpace);
    p->Bevel()->SetBevelOuterWidth(4);
    ShowForm(f);
    EXPECT_TRUE(Same(Bounds(child), RECT{4, 4, 296, 56}));
    for (POINT q : {POINT{0, 0}, POINT{1, 30}, POINT{3, 3}, POINT{150, 0}, POINT{299, 59}, POINT{296, 30}})
        EXPECT_EQ(Hex(At(p, q.x, q.y)), Hex(Rgb(clYellow))) << q.x << "," << q.y;
    delete f;
}

TEST(MMPanel, BorderRingLiesBetweenTheOuterAndInnerBevels) {
    auto* f = NewForm(300, 120);
    TControl* child = nullptr;
    auto* p = AddBar(f, &child, 60);
    p->Bevel()->SetBorderWidth(3);
    p->Bevel()->SetColor(TMMBevel::ciBorder, clRed);
    p->Bevel()->SetBevelInner(TBevelCut::bvRaised);
    ShowForm(f);
    int mid = 30;
    EXPECT_EQ(Hex(At(p, 0, mid)), Hex(Rgb(clBtnShadow)));
    for (int x = 1; x <= 3; ++x) EXPECT_EQ(Hex(At(p, x, mid)), Hex(Rgb(clRed))) << x;
    EXPECT_EQ(Hex(At(p, 4, mid)), Hex(Rgb(clBtnHighlight)));
    EXPECT_EQ(Hex(At(p, 5, mid)), Hex(Rgb(clBtnFace)));
    EXPECT_EQ(Hex(At(p, 299, mid)), Hex(Rgb(clBtnHighlight)));
    for (int x = 296; x <= 298; ++x) EXPECT_EQ(Hex(At(p, x, mid)), Hex(Rgb(clRed))) << x;
    EXPECT_EQ(Hex(At(p, 295, mid)), Hex(Rgb(clBtnShadow)));
    for (int y = 1; y <= 3; ++y) EXPECT_EQ(Hex(At(p, 150, y)), Hex(Rgb(clRed))) << y;
    EXPECT_TRUE(Same(Bounds(child), RECT{5, 5, 295, 55}));
    delete f;
}

TEST(MMPanel, SingleBorderAndBorderSpaceRings) {
    auto* f = NewForm(300, 120);
    TControl* child = nullptr;
    auto* p = AddBar(f, &child, 60);
    p->Bevel()->BeginUpdate();
    p->Bevel()->SetBorderStyle(TBorderStyle::bsSingle);
    p->Bevel()->SetBorderSpace(2);
    p->Bevel()->SetColor(TMMBevel::ciBorderSpace, clBlue);
    p->Bevel()->EndUpdate();
    ShowForm(f);
    EXPECT_EQ(Hex(At(p, 0, 30)), Hex(Rgb(clWindowFrame)));
    EXPECT_EQ(Hex(At(p, 1, 30)), Hex(Rgb(clBtnShadow)));
    EXPECT_EQ(Hex(At(p, 2, 30)), Hex(Rgb(clBlue)));
    EXPECT_EQ(Hex(At(p, 3, 30)), Hex(Rgb(clBlue)));
    EXPECT_EQ(Hex(At(p, 4, 30)), Hex(Rgb(clBtnFace)));
    EXPECT_TRUE(Same(Bounds(child), RECT{4, 4, 296, 56}));
    delete f;
}

TEST(MMPanel, ChangingTheOuterBevelRelaysOutAndRepaints) {
    auto* f = NewForm(300, 120);
    TControl* child = nullptr;
    auto* p = AddBar(f, &child, 60);
    ShowForm(f);
    ASSERT_TRUE(Same(Bounds(child), RECT{1, 1, 299, 59}));
    p->Bevel()->SetBevelOuter(TBevelCut::bvNone);
    EXPECT_TRUE(Same(Bounds(child), RECT{0, 0, 300, 60}));
    Pump(30);
    EXPECT_EQ(Hex(At(p, 150, 0)), Hex(Rgb(clBtnFace)));
    EXPECT_EQ(Hex(At(p, 0, 30)), Hex(Rgb(clBtnFace)));
    p->Bevel()->SetBevelOuter(TBevelCut::bvRaised);
    EXPECT_TRUE(Same(Bounds(child), RECT{1, 1, 299, 59}));
    Pump(30);
    ExpectRing(p, 0, clBtnHighlight, clBtnShadow, "raised");
    delete f;
}

TEST(MMPanel, AssigningABevelRelaysOutAndRepaintsOnce) {
    auto* f = NewForm(300, 120);
    TControl* child = nullptr;
    auto* p = AddBar<TCountingPanel>(f, &child, 60);
    ShowForm(f);
    Pump(50);
    p->aligns = p->paints = 0;
    TMMBevel other;
    other.SetBevelInner(TBevelCut::bvRaised);
    other.SetBevelOuter(TBevelCut::bvRaised);
    other.SetBevelInnerWidth(2);
    other.SetBevelOuterWidth(3);
    other.SetBorderStyle(TBorderStyle::bsSingle);
    other.SetBorderWidth(1);
    other.SetBorderSpace(1);
    TColor colors[] = {clRed, clGreen, clBlue, clYellow, clAqua, clFuchsia};
    for (int k = 0; k < TMMBevel::ciCount; ++k) other.SetColor(k, colors[k]);
    TMMBevel* before = p->Bevel();
    p->SetBevel(&other);
    EXPECT_EQ(p->Bevel(), before);  // the same object, new values
    EXPECT_EQ(p->aligns, 1);
    Pump(50);
    EXPECT_EQ(p->paints, 1);
    int inset = 3 + 1 + 2 + 1 + 1;
    EXPECT_TRUE(Same(Bounds(child), RECT{inset, inset, 300 - inset, 60 - inset}));
    EXPECT_EQ(Hex(At(p, 1, 30)), Hex(Rgb(clAqua)));  // outer light, raised
    delete f;
}

TEST(MMPanel, CaptionIsCentredDownAndAlignedAcross) {
    auto* f = NewForm(300, 120);
    auto* p = new TMMPanel(f);
    p->SetBounds(20, 20, 200, 60);
    p->SetCaption("Wide");
    p->SetParent(f);
    ShowForm(f);
    auto inkBox = [&] {
        auto px = Snapshot(p);
        RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = 1; y < 59; ++y)
            for (int x = 1; x < 199; ++x) {
                COLORREF c = px[static_cast<std::size_t>(y) * 200 + x];
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 160) {
                    box.left = std::min<LONG>(box.left, x);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.top = std::min<LONG>(box.top, y);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
            }
        return box;
    };
    RECT c = inkBox();
    EXPECT_NEAR((c.left + c.right) / 2, 100, 2);
    EXPECT_NEAR((c.top + c.bottom) / 2, 30, 3);
    p->SetAlignment(TAlignment::taLeftJustify);
    Pump(30);
    RECT l = inkBox();
    EXPECT_LE(l.left, 3);
    EXPECT_EQ(l.top, c.top);
    p->SetAlignment(TAlignment::taRightJustify);
    Pump(30);
    RECT r = inkBox();
    EXPECT_GE(r.right, 196);
    delete f;
}

TEST(MMPanel, LayoutStoresTheBevelAsSubProperties) {
    Node form{"TTestForm", "Form1", {{"ClientWidth", Value::Int(300)}, {"ClientHeight", Value::Int(100)}}, {}};
    Node panel{"TMMPanel", "MMPanel1", {}, {}};
    panel.props = {{"Align", Value::Id("alBottom")},         {"Height", Value::Int(41)},
                   {"Caption", Value::Str("Bar")},           {"Alignment", Value::Id("taRightJustify")},
                   {"Bevel.BevelOuter", Value::Id("bvRaised")}, {"Bevel.BorderWidth", Value::Int(2)},
                   {"Bevel.BorderColor", Value::Id("clRed")},   {"Bevel.InnerShadowColor", Value::Int(0x123456)}};
    form.children.push_back(panel);
    auto* f = new TTestForm();
    f->Load(form);
    auto* p = dynamic_cast<TMMPanel*>(f->FindComponent("MMPanel1"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Bevel()->BevelOuter(), TBevelCut::bvRaised);
    EXPECT_EQ(p->Bevel()->BorderWidth(), 2);
    EXPECT_EQ(p->Bevel()->BorderColor(), clRed);
    EXPECT_EQ(p->Bevel()->InnerShadowColor(), 0x123456);
    EXPECT_EQ(p->Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(p->Top(), 100 - 41);
    auto stored = StoredProperties(*p);
    auto find = [&](const std::string& n) -> const Value* {
        for (auto& [k, v] : stored)
            if (k == n) return &v;
        return nullptr;
    };
    ASSERT_NE(find("Bevel.BevelOuter"), nullptr);
    EXPECT_EQ(find("Bevel.BevelOuter")->s, "bvRaised");
    ASSERT_NE(find("Bevel.BorderWidth"), nullptr);
    EXPECT_EQ(find("Bevel.BorderWidth")->i, 2);
    EXPECT_EQ(find("Bevel.BevelInner"), nullptr) << "defaults are not stored";
    EXPECT_EQ(find("BevelOuter"), nullptr) << "the framework panel's bevels are not published";
    delete f;

    Node bad = form;
    bad.children[0].props.push_back({"Bevel.BevelOuter", Value::Id("bvSideways")});
    auto* g = new TTestForm();
    try {
        g->Load(bad);
        ADD_FAILURE() << "accepted an unknown bevel cut";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("bvSideways"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("MMPanel1"), std::string::npos) << e.what();
    }
    delete g;
}

TEST(FrameworkPanel, BevelsBorderAndAlignRect) {
    auto* f = NewForm(300, 120);
    TControl* child = nullptr;
    auto* p = AddBar<TPanel>(f, &child, 60);
    ShowForm(f);
    ExpectRing(p, 0, clBtnHighlight, clBtnShadow, "raised panel");
    EXPECT_TRUE(Same(Bounds(child), RECT{1, 1, 299, 59}));
    p->SetBevelInner(TBevelCut::bvLowered);
    p->SetBevelWidth(2);
    p->SetBorderWidth(3);
    EXPECT_EQ(p->FrameWidth(), 7);
    EXPECT_TRUE(Same(Bounds(child), RECT{7, 7, 293, 53}));
    Pump(30);
    EXPECT_EQ(Hex(At(p, 1, 30)), Hex(Rgb(clBtnHighlight)));
    EXPECT_EQ(Hex(At(p, 5, 30)), Hex(Rgb(clBtnShadow)));  // inner lowered
    EXPECT_EQ(Hex(At(p, 7, 30)), Hex(Rgb(clBtnFace)));
    delete f;
}

TEST(Label, SizesToItsTextAndPaintsItsColour) {
    auto* f = NewForm(300, 120);
    auto* l = new TLabel(f);
    l->SetBounds(10, 10, 5, 5);
    l->SetParent(f);
    l->SetCaption("Caption bar");
    int w1 = l->Width();
    EXPECT_GT(w1, 30);
    EXPECT_GT(l->Height(), 8);
    l->SetCaption("Caption bar, longer");
    EXPECT_GT(l->Width(), w1);
    EXPECT_EQ(l->Color(), kFormColor);  // the parent's colour
    l->SetColor(clYellow);
    ShowForm(f);
    EXPECT_EQ(Hex(At(l, 0, 0)), Hex(Rgb(clYellow)));
    l->SetTransparent(true);
    Pump(30);
    EXPECT_EQ(Hex(At(l, 0, 0)), Hex(Rgb(kFormColor)));
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 200, 40);
    l->SetLayout(TTextLayout::tlBottom);
    l->SetTransparent(false);
    Pump(30);
    auto px = Snapshot(l);
    int lowest = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            COLORREF c = px[static_cast<std::size_t>(y) * 200 + x];
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 160) lowest = y;
        }
    EXPECT_GT(lowest, 30);

    auto* target = new TPanel(f);
    target->SetBounds(10, 60, 50, 30);
    target->SetParent(f);
    l->SetCaption("&Name");
    l->SetFocusControl(target);
    EXPECT_FALSE(l->DialogChar('x'));
    EXPECT_TRUE(l->DialogChar('n'));
    EXPECT_EQ(GetFocus(), target->WindowHandle());
    delete target;
    EXPECT_EQ(l->FocusControl(), nullptr);
    EXPECT_FALSE(l->DialogChar('n'));
    delete f;
}
