// The button's rules that need no screen: glyph choice by state, glyph and
// caption placement for the nine alignments, caption wrapping with the
// ellipsis, the constructor's defaults, and the picture list's stored form
// (good, damaged and shared by buttons).
#include "ButtonFixtures.h"

using namespace buttontest;
using namespace mmbutton;
using layout::Node;
using layout::Value;

TEST(ButtonRules, GlyphChoiceByState) {
    GlyphState s;
    EXPECT_EQ(ChooseGlyph(s), 0);
    s.enabled = false;
    EXPECT_EQ(ChooseGlyph(s), kDisabledGlyph);
    s.autoGray = false;
    EXPECT_EQ(ChooseGlyph(s), 0);
    s.numGlyphs = 2;
    EXPECT_EQ(ChooseGlyph(s), 1);
    s = GlyphState{};
    s.numGlyphs = 3;
    s.drawnDown = true;
    EXPECT_EQ(ChooseGlyph(s), 2);
    s.numGlyphs = 2;
    EXPECT_EQ(ChooseGlyph(s), 0);
    s = GlyphState{};
    s.numGlyphs = 4;
    s.down = s.drawnDown = true;
    EXPECT_EQ(ChooseGlyph(s), 3);
    s.down = false;
    EXPECT_EQ(ChooseGlyph(s), 2);
    s.enabled = false;
    EXPECT_EQ(ChooseGlyph(s), 1);
    // Explorer-like buttons at rest show grey (generated, or picture 1).
    s = GlyphState{};
    s.explorerLike = true;
    EXPECT_EQ(ChooseGlyph(s), kGrayGlyph);
    s.autoGray = false;
    EXPECT_EQ(ChooseGlyph(s), 0);
    s.numGlyphs = 2;
    EXPECT_EQ(ChooseGlyph(s), 1);
    s.hot = true;
    EXPECT_EQ(ChooseGlyph(s), 0);
    s.hot = false;
    s.showDisabled = false;
    EXPECT_EQ(ChooseGlyph(s), 0);
    s.showDisabled = true;
    s.numGlyphs = 4;
    s.down = s.drawnDown = true;
    EXPECT_EQ(ChooseGlyph(s), 3);
}

TEST(ButtonRules, GlyphAndCaptionPlacementForTheNineAlignments) {
    // A 100 x 60 button, a 20 x 16 glyph, spacing 2, a 30 x 13 caption.
    const int W = 100, H = 60, w = 20, h = 16, sp = 2, tw = 30, th = 13;
    struct Expect {
        TTextAlign a;
        POINT glyph, caption;
    };
    // Top alignments: glyph at the bottom, caption above it; bottom ones the
    // reverse; left puts the glyph at the right, right at the left.
    Expect cases[] = {
        {TTextAlign::ttaTopLeft, {40, H - h - sp}, {sp, (H - h - sp) - th - sp}},
        {TTextAlign::ttaTop, {40, 42}, {50 - 15, 42 - th - sp}},
        {TTextAlign::ttaTopRight, {40, 42}, {W - tw - sp, 42 - th - sp}},
        {TTextAlign::ttaRight, {sp, 22}, {W - tw - sp, 30 - 6}},
        {TTextAlign::ttaBottomRight, {40, sp}, {W - tw - sp, sp + h + sp}},
        {TTextAlign::ttaBottom, {40, sp}, {35, 20}},
        {TTextAlign::ttaBottomLeft, {40, sp}, {sp, 20}},
        {TTextAlign::ttaLeft, {W - w - sp, 22}, {sp, 24}},
        {TTextAlign::ttaCenter, {40, 22}, {35, 24}},
    };
    for (auto& c : cases) {
        std::string what = kTextAlignNames[static_cast<int>(c.a)];
        POINT g = GlyphOrigin(c.a, W, H, w, h, sp);
        EXPECT_EQ(g.x, c.glyph.x) << what;
        EXPECT_EQ(g.y, c.glyph.y) << what;
        RECT box{g.x, g.y, g.x + w, g.y + h};
        POINT t = CaptionOrigin(c.a, W, H, box, true, tw, th, sp);
        EXPECT_EQ(t.x, c.caption.x) << what;
        EXPECT_EQ(t.y, c.caption.y) << what;
    }
    // Halves truncate: 101 wide, 31 of text: 50 - 15.
    EXPECT_EQ(CaptionOrigin(TTextAlign::ttaCenter, 101, 61, RECT{}, false, 31, 13, 2).x, 35);
    EXPECT_EQ(CaptionOrigin(TTextAlign::ttaCenter, 101, 61, RECT{}, false, 31, 13, 2).y, 30 - 6);
    // Without a picture the caption stays on its own side.
    EXPECT_EQ(CaptionOrigin(TTextAlign::ttaTop, W, H, RECT{50, 58, 50, 58}, false, tw, th, sp).y, sp);
    EXPECT_EQ(CaptionOrigin(TTextAlign::ttaBottomLeft, W, H, RECT{50, 2, 50, 2}, false, tw, th, sp).y, H - th - sp);
}

TEST(ButtonRules, WrappingBreaksAtBlanksAndEndsWithAnEllipsis) {
    auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 10; };  // 10 per character
    using V = std::vector<std::string>;
    EXPECT_EQ(WrapCaption("Save Settings", 200, 3, width), V{"Save Settings"});
    EXPECT_EQ(WrapCaption("Save Settings", 80, 3, width), (V{"Save", "Settings"}));
    EXPECT_EQ(WrapCaption("a bb ccc dddd", 60, 9, width), (V{"a bb", "ccc", "dddd"}));
    EXPECT_EQ(WrapCaption("Unbreakable", 50, 3, width), V{"Unbreakable"});
    EXPECT_EQ(WrapCaption("one\ntwo", 200, 3, width), (V{"one", "two"}));
    EXPECT_EQ(WrapCaption("one\r\n\r\ntwo", 200, 5, width), (V{"one", "", "two"}));
    // Too many lines: the last kept line takes the rest and is cut by the drawing.
    EXPECT_EQ(WrapCaption("a bb ccc dddd", 60, 2, width), (V{"a bb", "ccc dddd"}));
    // A rest that fits gets its ellipsis here.
    EXPECT_EQ(WrapCaption("one\ntwo\nsix", 200, 2, width), (V{"one", "two six..."}));
    EXPECT_EQ(WrapCaption("a b", 10, 0, width), V{"a b"});
    EXPECT_EQ(WrapCaption("  spaced   out  ", 200, 2, width), V{"spaced out"});
}

TEST(ButtonRules, ConstructorDefaults) {
    TMMBitmapButton b(nullptr);
    EXPECT_EQ(b.Width(), 40);
    EXPECT_EQ(b.Height(), 40);
    EXPECT_EQ(b.ButtonStyle(), TMMButtonStyle::bsExplorer);
    EXPECT_FALSE(b.Down());
    EXPECT_FALSE(b.Switch());
    EXPECT_TRUE(b.ShowPressed());
    EXPECT_EQ(b.DownIndentHoriz(), 1);
    EXPECT_EQ(b.DownIndentVert(), 1);
    EXPECT_TRUE(b.ShowDisabled());
    EXPECT_TRUE(b.AutoGray());
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_FALSE(b.AutoSize());
    EXPECT_EQ(b.BorderWidth(), 1);
    EXPECT_EQ(b.Spacing(), 2);
    EXPECT_EQ(b.TextAlign(), TTextAlign::ttaCenter);
    EXPECT_FALSE(b.WordWrap());
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentMode(), TTransparentMode::tmAuto);
    EXPECT_EQ(b.BitmapList(), nullptr);
    EXPECT_EQ(b.BitmapIndex(), -1);
    EXPECT_FALSE(b.DoubleBuffer());
    EXPECT_FALSE(b.AllowRightMouse());
    EXPECT_EQ(b.Caption(), "");
    EXPECT_EQ(b.CurrentGlyph(), kNoGlyph);
    // Floors of the counted values.
    b.SetNumGlyphs(0);
    b.SetDownIndentHoriz(-3);
    b.SetBorderWidth(-1);
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_EQ(b.DownIndentHoriz(), 0);
    EXPECT_EQ(b.BorderWidth(), 0);
    // Down carries the pressed and drawn-down states with it.
    b.SetDown(true);
    EXPECT_TRUE(b.PressedInside());
    EXPECT_TRUE(b.DrawnDown());
    b.SetDown(false);
    EXPECT_FALSE(b.DrawnDown());
}

TEST(ButtonRules, StoredValuesComeBackTheSame) {
    Node form{"TTestForm", "Form1", {}, {}};
    Node button{"TMMBitmapButton", "btnClose", {}, {}};
    button.props = {{"Caption", Value::Str("&Close")},       {"ButtonStyle", Value::Id("bsIndent")},
                    {"Down", Value::Bool(true)},             {"ShowPressed", Value::Bool(false)},
                    {"Switch", Value::Bool(true)},           {"DownIndentVert", Value::Int(3)},
                    {"Spacing", Value::Int(5)},              {"TextAlign", Value::Id("ttaRight")},
                    {"WordWrap", Value::Bool(true)},         {"Transparent", Value::Bool(false)},
                    {"TransparentColor", Value::Id("clRed")}, {"TransparentMode", Value::Id("tmAuto")},
                    {"AllowRightMouse", Value::Bool(true)},  {"Cursor", Value::Id("crHandPoint")}};
    form.children.push_back(button);
    auto load = [](const Node& n) {
        auto* f = new testsupport::TTestForm();
        f->Load(n);
        return f;
    };
    auto* f = load(form);
    auto* b = dynamic_cast<TMMBitmapButton*>(f->FindComponent("btnClose"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->TransparentColor(), clRed);
    EXPECT_EQ(b->TransparentMode(), TTransparentMode::tmAuto);
    EXPECT_TRUE(b->DrawnDown());
    // What the button stores reads back into the same values (the hint
    // properties belong to the framework and are left out).
    auto own = [](TMMBitmapButton* x) {
        auto props = StoredProperties(*x);
        std::erase_if(props, [](auto& p) { return p.first.find("Hint") != std::string::npos; });
        return props;
    };
    Node again{"TTestForm", "Form1", {}, {}};
    Node stored{"TMMBitmapButton", "btnClose", {}, {}};
    for (auto& [name, value] : own(b)) stored.props.emplace_back(name, value);
    again.children.push_back(stored);
    auto* g = load(again);
    auto* c = dynamic_cast<TMMBitmapButton*>(g->FindComponent("btnClose"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(own(c), own(b));
    EXPECT_EQ(c->TransparentMode(), TTransparentMode::tmAuto);
    EXPECT_EQ(c->ButtonStyle(), TMMButtonStyle::bsIndent);
    EXPECT_EQ(c->TextAlign(), TTextAlign::ttaRight);
    EXPECT_EQ(c->DownIndentVert(), 3);
    delete f;
    delete g;
}

namespace {

std::string ListPayload(const std::vector<std::string>& files) {
    layout::Writer w;
    w.U32(static_cast<std::uint32_t>(files.size()));
    for (auto& f : files) {
        w.U32(static_cast<std::uint32_t>(f.size()));
        w.Bytes(f);
    }
    return w.Take();
}

std::string StripFile(int cells) {
    std::vector<COLORREF> colors;
    for (int k = 0; k < cells; ++k) colors.push_back(RGB(40 * k, 100, 200));
    return MakeStrip(8, 8, colors)->SaveToBytes();
}

Node FormWithList(const std::string& payload) {
    Node form{"TTestForm", "Form1", {}, {}};
    form.children.push_back(Node{"TMMBitmapList", "MMBitmapList1", {{"Bitmaps", Value::Bin(payload)}}, {}});
    Node button{"TMMBitmapButton", "btnPicture", {}, {}};
    button.props = {{"BitmapList", Value::Id("MMBitmapList1")}, {"BitmapIndex", Value::Int(1)},
                    {"NumGlyphs", Value::Int(3)}, {"AutoSize", Value::Bool(true)},
                    {"DoubleBuffer", Value::Bool(true)}, {"ButtonStyle", Value::Id("bsMono")},
                    {"TextAlign", Value::Id("ttaBottomLeft")}, {"TransparentMode", Value::Id("tmFixed")},
                    {"Tag2", Value::Int(7)}};
    form.children.push_back(button);
    return form;
}

}  // namespace

TEST(BitmapList, StoredFormRoundTripsAndFeedsButtonsFromALayout) {
    std::string payload = ListPayload({StripFile(1), StripFile(3)});
    auto* f = new testsupport::TTestForm();
    f->Load(FormWithList(payload));
    auto* list = dynamic_cast<TMMBitmapList*>(f->FindComponent("MMBitmapList1"));
    auto* b = dynamic_cast<TMMBitmapButton*>(f->FindComponent("btnPicture"));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Bitmaps(1)->Width(), 24);
    EXPECT_EQ(list->Bitmaps(2), nullptr);
    EXPECT_EQ(b->BitmapList(), list);
    EXPECT_EQ(b->ButtonStyle(), TMMButtonStyle::bsMono);
    EXPECT_EQ(b->TextAlign(), TTextAlign::ttaBottomLeft);
    EXPECT_EQ(b->TransparentMode(), TTransparentMode::tmFixed);
    EXPECT_EQ(b->Tag2, 7);
    // The strip is cut once the layout is read; AutoSize takes one cell.
    EXPECT_EQ(b->GlyphWidth(), 8);
    EXPECT_EQ(b->Width(), 8);
    EXPECT_EQ(b->Height(), 8);
    ASSERT_NE(b->Buffer(), nullptr);
    EXPECT_EQ(b->Buffer()->Height(), 16);
    EXPECT_EQ(list->SaveToBytes(), payload);
    auto stored = StoredProperties(*list);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].first, "Bitmaps");
    EXPECT_EQ(stored[0].second.s, payload);

    // Changes in the list reach the button; a freed list leaves it bare.
    list->Delete(0);
    EXPECT_EQ(b->GlyphWidth(), 0);
    b->SetBitmapIndex(0);
    EXPECT_EQ(b->GlyphWidth(), 8);
    delete list;
    EXPECT_EQ(b->BitmapList(), nullptr);
    EXPECT_EQ(b->GlyphWidth(), 0);
    delete f;
}

TEST(BitmapList, DamagedStoredFormsAreRefusedWholeWithThePictureNamed) {
    std::string good = StripFile(2);
    std::string bad = good;
    bad[0] = 'X';
    std::string shortFile = good.substr(0, 40);
    struct Case {
        std::string payload, part;
    };
    std::vector<Case> cases = {
        {std::string("\x01\x00", 2), "Bitmaps"},
        {ListPayload({good, bad}), "picture 1"},
        {ListPayload({shortFile}), "picture 0"},
        {ListPayload({good}) + "zz", "unexpected bytes"},
        {std::string("\xFF\xFF\xFF\x7F", 4) + good, "exceeds"},
        {ListPayload({good}).substr(0, 30), "picture 0"},
    };
    for (auto& c : cases) {
        TMMBitmapList list(nullptr);
        TBitmap keep;
        keep.SetSize(4, 4);
        list.Add(&keep);
        try {
            list.LoadFromBytes(c.payload);
            ADD_FAILURE() << "accepted a damaged list: " << c.part;
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.part), std::string::npos) << e.what();
        }
        EXPECT_EQ(list.Count(), 1) << "the list keeps what it held";
    }
    // In a layout: the window, the component and the property are named.
    auto* f = new testsupport::TTestForm();
    try {
        f->Load(FormWithList(ListPayload({good, bad})));
        ADD_FAILURE() << "accepted a damaged layout";
    } catch (const EReadError& e) {
        std::string m = e.what();
        EXPECT_NE(m.find("TTestForm"), std::string::npos) << m;
        EXPECT_NE(m.find("MMBitmapList1"), std::string::npos) << m;
        EXPECT_NE(m.find("Bitmaps"), std::string::npos) << m;
        EXPECT_NE(m.find("picture 1"), std::string::npos) << m;
    }
    delete f;
}

TEST(BitmapList, FreedButtonsLeaveTheList) {
    TMMBitmapList list(nullptr);
    auto strip = MakeStrip(8, 8, {RGB(1, 2, 3)});
    {
        TMMBitmapButton b(nullptr);
        b.SetBitmapList(&list);
        b.SetBitmapIndex(0);
        list.Add(strip.get());
        EXPECT_EQ(b.GlyphWidth(), 8);
    }
    list.Add(strip.get());  // would reach a freed button
    EXPECT_EQ(list.Count(), 2);
}
