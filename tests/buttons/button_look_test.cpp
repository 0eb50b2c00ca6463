// What the picture button draws, read back from the screen: the frame of
// every style up and down, see-through and opaque painting, the reading
// window's bar buttons, the embossed disabled caption, the underlined
// accelerator, caption placement, glyphs from a picture strip and the
// redraw buffer.
#include "ButtonFixtures.h"

using namespace testsupport;
using namespace buttontest;

namespace {

// Pixels of a rectangle of a control that are not the given background.
struct Ink {
    int count = 0;
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};
Ink InkOf(const std::vector<COLORREF>& px, int w, RECT area, const std::function<bool(COLORREF)>& isInk) {
    Ink k;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (isInk(px[static_cast<std::size_t>(y) * w + x])) {
                ++k.count;
                k.box.left = std::min<LONG>(k.box.left, x);
                k.box.top = std::min<LONG>(k.box.top, y);
                k.box.right = std::max<LONG>(k.box.right, x + 1);
                k.box.bottom = std::max<LONG>(k.box.bottom, y + 1);
            }
    return k;
}
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 160; }

struct StyleFrames {
    TMMButtonStyle style;
    const char* name;
    // Rings from the outside in: {top-left, bottom-right}; an empty list means
    // nothing is drawn (the window shows through).
    std::vector<std::pair<TColor, TColor>> up, down;
};

std::vector<StyleFrames> AllStyles() {
    return {
        {TMMButtonStyle::bsRegular, "bsRegular", {{clBtnHighlight, clBlack}, {clBtnFace, clBtnShadow}},
         {{clBlack, clBtnHighlight}, {clBtnShadow, clBtnFace}}},
        {TMMButtonStyle::bsIndent, "bsIndent", {{clBtnShadow, clBtnHighlight}, {clBtnHighlight, clBtnShadow}},
         {{clBlack, clBtnHighlight}, {clBtnShadow, clBtnFace}}},
        {TMMButtonStyle::bsLight, "bsLight", {{clBtnHighlight, clBtnShadow}}, {{clBtnShadow, clBtnHighlight}}},
        {TMMButtonStyle::bsDark, "bsDark", {{clBtnFace, cl3DDkShadow}}, {{cl3DDkShadow, clBtnFace}}},
        {TMMButtonStyle::bsMono, "bsMono", {{clBtnHighlight, cl3DDkShadow}}, {{cl3DDkShadow, clBtnHighlight}}},
        {TMMButtonStyle::bsExplorer, "bsExplorer", {}, {{clBtnShadow, clBtnHighlight}}},
        {TMMButtonStyle::bsHighLight, "bsHighLight", {}, {}},
        {TMMButtonStyle::bsNone, "bsNone", {}, {}},
    };
}

void ExpectFrames(TMMBitmapButton* b, const std::vector<std::pair<TColor, TColor>>& rings, const std::string& what) {
    if (rings.empty()) {
        Ring r = RingAt(b, 0);
        for (COLORREF c : {r.top, r.left, r.right, r.bottom})
            EXPECT_EQ(Hex(c), Hex(Rgb(kFormColor))) << what << ": nothing drawn";
    }
    for (std::size_t k = 0; k < rings.size(); ++k)
        ExpectRing(b, static_cast<int>(k), rings[k].first, rings[k].second, what);
    EXPECT_EQ(Hex(At(b, b->Width() / 2, b->Height() / 2)), Hex(Rgb(kFormColor))) << what << ": see-through inside";
}

}  // namespace

TEST(ButtonLook, EveryStyleDrawsItsFrameUpAndDown) {
    auto* f = NewForm(560, 120);
    std::vector<TMMBitmapButton*> buttons;
    auto styles = AllStyles();
    for (std::size_t k = 0; k < styles.size(); ++k)
        buttons.push_back(AddButton(f, 10 + static_cast<int>(k) * 68, 20, 60, 30, styles[k].style));
    ShowForm(f);
    for (std::size_t k = 0; k < styles.size(); ++k) ExpectFrames(buttons[k], styles[k].up, std::string(styles[k].name) + " up");
    for (auto* b : buttons) b->SetDown(true);
    Pump(30);
    for (std::size_t k = 0; k < styles.size(); ++k)
        ExpectFrames(buttons[k], styles[k].down, std::string(styles[k].name) + " down");
    delete f;
}

TEST(ButtonLook, IndentAndRegularLeaveTheirBaseLinesBetweenTheRings) {
    auto* f = NewForm();
    auto* indent = AddButton(f, 20, 20, 60, 30, TMMButtonStyle::bsIndent);
    ShowForm(f);
    // The etched look: shadow, highlight; then shadow, highlight on the far sides.
    EXPECT_EQ(Hex(At(indent, 30, 0)), Hex(Rgb(clBtnShadow)));
    EXPECT_EQ(Hex(At(indent, 30, 1)), Hex(Rgb(clBtnHighlight)));
    EXPECT_EQ(Hex(At(indent, 58, 15)), Hex(Rgb(clBtnShadow)));
    EXPECT_EQ(Hex(At(indent, 59, 15)), Hex(Rgb(clBtnHighlight)));
    EXPECT_EQ(Hex(At(indent, 30, 28)), Hex(Rgb(clBtnShadow)));
    EXPECT_EQ(Hex(At(indent, 30, 29)), Hex(Rgb(clBtnHighlight)));
    delete f;
}

TEST(ButtonLook, OpaqueButtonsFillWithTheirColourAndLatchedDownWithoutShowPressedIsBare) {
    auto* f = NewForm();
    auto* b = AddButton(f, 20, 20, 60, 30, TMMButtonStyle::bsLight);
    b->SetTransparent(false);
    b->SetColor(clAqua);
    auto* flat = AddButton(f, 120, 20, 60, 30, TMMButtonStyle::bsLight);
    flat->SetDown(true);
    flat->SetShowPressed(false);
    ShowForm(f);
    EXPECT_EQ(Hex(At(b, 30, 15)), Hex(Rgb(clAqua)));
    EXPECT_EQ(Hex(At(b, 1, 1)), Hex(Rgb(clAqua)));
    ExpectRing(b, 0, clBtnHighlight, clBtnShadow, "opaque light");
    b->SetTransparent(true);
    Pump(30);
    EXPECT_EQ(Hex(At(b, 30, 15)), Hex(Rgb(kFormColor)));
    ExpectFrames(flat, {}, "light, latched, no ShowPressed");
    delete f;
}

TEST(ButtonLook, ReadingWindowBarButtonShowsAFixedRaisedFrameAroundItsCentredCaption) {
    auto* f = NewForm(422, 41);
    f->SetColor(clBtnFace);
    auto* b = AddButton(f, 2, 2, 73, 36);
    b->SetCaption("Background");
    b->SetDown(true);
    b->SetShowPressed(false);
    b->SetShowDisabled(false);
    b->SetCursor(crHandPoint);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    ShowForm(f);
    MouseMoveTo(ScreenPt(f, 400, 20).x, ScreenPt(f, 400, 20).y);
    ExpectRing(b, 0, clBtnHighlight, clBtnShadow, "bar button");
    EXPECT_EQ(Hex(At(b, 1, 1)), Hex(Rgb(clBtnFace)));  // one pixel wide
    auto rest = Snapshot(b);
    Ink ink = InkOf(rest, 73, RECT{1, 1, 72, 35}, Dark);
    ASSERT_GT(ink.count, 20);
    int cx = (ink.box.left + ink.box.right) / 2, cy = (ink.box.top + ink.box.bottom) / 2;
    EXPECT_NEAR(cx, 73 / 2, 2) << "caption centred across";
    EXPECT_NEAR(cy, 36 / 2, 3) << "caption centred down";
    // No hot tracking, and no shift while pressed.
    POINT in = ScreenPt(b, 10, 10);
    MouseMoveTo(in.x, in.y);
    EXPECT_EQ(Snapshot(b), rest);
    MouseDown();
    EXPECT_EQ(Snapshot(b), rest);
    MouseUp();
    EXPECT_EQ(Snapshot(b), rest);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b->Down());
    delete f;
}

TEST(ButtonLook, DisabledCaptionIsEmbossed) {
    auto* f = NewForm();
    auto* b = AddButton(f, 20, 20, 120, 40, TMMButtonStyle::bsNone);
    b->Font()->SetHeight(-24);
    b->Font()->SetStyle(fsBold);
    b->SetCaption("Hem");
    b->SetEnabled(false);
    ShowForm(f);
    auto px = Snapshot(b);
    COLORREF light = Rgb(clBtnHighlight), shadow = Rgb(clBtnShadow);
    Ink shadowInk = InkOf(px, 120, RECT{0, 0, 120, 40}, [&](COLORREF c) { return c == shadow; });
    Ink lightInk = InkOf(px, 120, RECT{0, 0, 120, 40}, [&](COLORREF c) { return c == light; });
    Ink textInk = InkOf(px, 120, RECT{0, 0, 120, 40}, [&](COLORREF c) { return c == Rgb(clWindowText); });
    EXPECT_GT(shadowInk.count, 20);
    EXPECT_GT(lightInk.count, 5);
    EXPECT_EQ(textInk.count, 0) << "no caption in the font colour";
    // The highlight copy lies one pixel right and down of the shadow copy.
    EXPECT_EQ(lightInk.box.right, shadowInk.box.right + 1);
    EXPECT_EQ(lightInk.box.bottom, shadowInk.box.bottom + 1);
    b->SetEnabled(true);
    Pump(30);
    px = Snapshot(b);
    EXPECT_GT(InkOf(px, 120, RECT{0, 0, 120, 40}, [&](COLORREF c) { return c == Rgb(clWindowText); }).count, 20);
    delete f;
}

TEST(ButtonLook, AcceleratorLetterIsUnderlined) {
    auto* f = NewForm();
    auto* marked = AddButton(f, 20, 20, 89, 25, TMMButtonStyle::bsNone);
    marked->SetCaption("&Close");
    auto* plain = AddButton(f, 20, 80, 89, 25, TMMButtonStyle::bsNone);
    plain->SetCaption("Close");
    ShowForm(f);
    auto a = Snapshot(marked), b = Snapshot(plain);
    Ink all = InkOf(b, 89, RECT{0, 0, 89, 25}, Dark);
    std::vector<COLORREF> extra(a.size(), Rgb(kFormColor));
    int added = 0, removed = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (Dark(a[k]) && !Dark(b[k])) {
            extra[k] = RGB(0, 0, 0);
            ++added;
        }
        if (!Dark(a[k]) && Dark(b[k])) ++removed;
    }
    EXPECT_EQ(removed, 0);
    ASSERT_GT(added, 2);
    Ink line = InkOf(extra, 89, RECT{0, 0, 89, 25}, Dark);
    EXPECT_EQ(line.box.bottom - line.box.top, 1) << "one underline row";
    EXPECT_GE(line.box.top, all.box.bottom - 3) << "under the letters";
    EXPECT_LT(line.box.right, all.box.left + (all.box.right - all.box.left) / 3) << "under the first letter only";
    delete f;
}

TEST(ButtonLook, CaptionGoesOnTheSideItsAlignmentNames) {
    auto* f = NewForm(300, 300);
    auto* b = AddButton(f, 20, 20, 200, 120, TMMButtonStyle::bsNone);
    b->SetCaption("Wg");
    ShowForm(f);
    struct Case {
        TTextAlign a;
        int hx, vy;  // -1 left/top, 0 centre, 1 right/bottom
    };
    for (Case c : {Case{TTextAlign::ttaTopLeft, -1, -1}, Case{TTextAlign::ttaTop, 0, -1}, Case{TTextAlign::ttaTopRight, 1, -1},
                   Case{TTextAlign::ttaRight, 1, 0}, Case{TTextAlign::ttaBottomRight, 1, 1}, Case{TTextAlign::ttaBottom, 0, 1},
                   Case{TTextAlign::ttaBottomLeft, -1, 1}, Case{TTextAlign::ttaLeft, -1, 0}, Case{TTextAlign::ttaCenter, 0, 0}}) {
        b->SetTextAlign(c.a);
        Pump(20);
        Ink k = InkOf(Snapshot(b), 200, RECT{0, 0, 200, 120}, Dark);
        ASSERT_GT(k.count, 5) << kTextAlignNames[static_cast<int>(c.a)];
        int cx = (k.box.left + k.box.right) / 2, cy = (k.box.top + k.box.bottom) / 2;
        std::string what = kTextAlignNames[static_cast<int>(c.a)];
        if (c.hx < 0) { EXPECT_LT(k.box.left, 8) << what; }
        if (c.hx > 0) { EXPECT_GT(k.box.right, 192) << what; }
        if (c.hx == 0) { EXPECT_NEAR(cx, 100, 3) << what; }
        if (c.vy < 0) { EXPECT_LT(k.box.top, 20) << what; }
        if (c.vy > 0) { EXPECT_GT(k.box.bottom, 100) << what; }
        if (c.vy == 0) { EXPECT_NEAR(cy, 60, 4) << what; }
    }
    delete f;
}

TEST(ButtonLook, GlyphsComeFromTheStripByState) {
    auto* f = NewForm();
    auto* list = new TMMBitmapList(f);
    COLORREF up = RGB(200, 0, 0), disabled = RGB(0, 0, 200), pressed = RGB(200, 200, 0), latched = RGB(0, 200, 200);
    auto strip = MakeStrip(16, 16, {up, disabled, pressed, latched});
    list->Add(strip.get());
    auto* b = AddButton(f, 20, 20, 40, 40, TMMButtonStyle::bsLight);
    b->SetBitmapList(list);
    b->SetBitmapIndex(0);
    b->SetNumGlyphs(4);
    ShowForm(f);
    ASSERT_EQ(b->GlyphWidth(), 16);
    // The glyph box is centred: 12..28; the corner pixels are see-through.
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(up));
    EXPECT_EQ(Hex(At(b, 27, 12)), Hex(Rgb(kFormColor)));
    EXPECT_EQ(Hex(At(b, 12, 27)), Hex(Rgb(kFormColor)));
    b->SetEnabled(false);
    Pump(30);
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(disabled));
    b->SetEnabled(true);
    b->SetDown(true);
    Pump(30);
    EXPECT_EQ(b->CurrentGlyph(), 3);
    EXPECT_EQ(Hex(At(b, 21, 21)), Hex(latched));  // shifted by the down indents
    EXPECT_EQ(Hex(At(b, 12, 12)), Hex(Rgb(kFormColor)));
    b->SetDown(false);
    POINT p = ScreenPt(b, 5, 5);
    MouseMoveTo(p.x, p.y);
    MouseDown();
    EXPECT_EQ(b->CurrentGlyph(), 2);
    EXPECT_EQ(Hex(At(b, 21, 21)), Hex(pressed));
    MouseUp();
    // The window's own choice wins.
    b->OnGetGlyphIndex = [](TObject*, int& index) { index = 1; };
    b->Invalidate();
    Pump(30);
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(disabled));
    b->OnGetGlyphIndex = [](TObject*, int& index) { index = 7; };  // not in the strip: ignored
    EXPECT_EQ(b->CurrentGlyph(), 0);
    delete f;
}

TEST(ButtonLook, ExplorerButtonsShowTheGreyGlyphUntilHot) {
    auto* f = NewForm();
    auto* list = new TMMBitmapList(f);
    auto strip = MakeStrip(16, 16, {RGB(200, 0, 0)});
    list->Add(strip.get());
    auto* b = AddButton(f, 20, 20, 40, 40);
    b->SetBitmapList(list);
    b->SetBitmapIndex(0);
    ShowForm(f);
    COLORREF gray = At(b, 20, 20);
    EXPECT_EQ(GetRValue(gray), GetGValue(gray));
    EXPECT_EQ(GetGValue(gray), GetBValue(gray));
    EXPECT_EQ(b->CurrentGlyph(), mmbutton::kGrayGlyph);
    POINT p = ScreenPt(b, 5, 5);
    MouseMoveTo(p.x, p.y);
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(RGB(200, 0, 0)));
    MouseMoveTo(ScreenPt(f, 300, 190).x, ScreenPt(f, 300, 190).y);
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(gray));
    b->SetShowDisabled(false);
    Pump(30);
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(RGB(200, 0, 0)));
    // A disabled one-picture button shows the generated embossed picture.
    b->SetEnabled(false);
    Pump(30);
    EXPECT_EQ(b->CurrentGlyph(), mmbutton::kDisabledGlyph);
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(Rgb(clBtnShadow)));
    EXPECT_EQ(Hex(At(b, 12, 12)), Hex(Rgb(clBtnShadow)));
    // The highlight copy shows where the shadow copy does not cover it: one
    // right and down of the picture's edge by the see-through corner.
    EXPECT_EQ(Hex(At(b, 12 + 14, 12 + 1)), Hex(Rgb(clBtnHighlight)));
    EXPECT_EQ(Hex(At(b, 12 + 15, 12 + 1)), Hex(Rgb(kFormColor)));
    b->SetAutoGray(false);
    Pump(30);
    EXPECT_EQ(Hex(At(b, 20, 20)), Hex(RGB(200, 0, 0)));
    delete f;
}

TEST(ButtonLook, AutoSizeTakesOnePictureAndFixedColourMayShowEverything) {
    auto* f = NewForm();
    auto* list = new TMMBitmapList(f);
    auto strip = MakeStrip(24, 18, {RGB(200, 0, 0), RGB(0, 0, 200)});
    list->Add(strip.get());
    auto* b = AddButton(f, 20, 20, 40, 40, TMMButtonStyle::bsNone);
    b->SetAutoSize(true);
    EXPECT_EQ(b->Width(), 40);  // no picture yet: no effect
    b->SetNumGlyphs(2);
    b->SetBitmapList(list);
    b->SetBitmapIndex(0);
    EXPECT_EQ(b->Width(), 24);
    EXPECT_EQ(b->Height(), 18);
    ShowForm(f);
    EXPECT_EQ(Hex(At(b, 0, 17)), Hex(Rgb(kFormColor)));
    b->SetTransparentColor(clNone);  // fixed, and no colour is see-through
    EXPECT_EQ(b->TransparentMode(), TTransparentMode::tmFixed);
    Pump(30);
    EXPECT_EQ(Hex(At(b, 0, 17)), Hex(RGB(255, 0, 255)));
    b->SetTransparentMode(TTransparentMode::tmAuto);
    Pump(30);
    EXPECT_EQ(Hex(At(b, 0, 17)), Hex(Rgb(kFormColor)));
    delete f;
}

TEST(ButtonLook, DoubleBufferKeepsTheWindowImageBelowAndRedrawsFromIt) {
    auto* f = NewForm();
    auto* b = AddButton(f, 20, 20, 60, 30);
    b->SetDoubleBuffer(true);
    ASSERT_NE(b->Buffer(), nullptr);
    EXPECT_EQ(b->Buffer()->Width(), 60);
    EXPECT_EQ(b->Buffer()->Height(), 60);
    ShowForm(f);
    EXPECT_EQ(Hex(b->Buffer()->Canvas().Pixel(30, 45) & 0xFFFFFF), Hex(Rgb(kFormColor)));
    POINT p = ScreenPt(b, 10, 10);
    MouseMoveTo(p.x, p.y);
    ExpectRing(b, 0, clBtnHighlight, clBtnShadow, "buffered hot");
    MouseDown();
    ExpectRing(b, 0, clBtnShadow, clBtnHighlight, "buffered pressed");
    EXPECT_EQ(Hex(b->Buffer()->Canvas().Pixel(30, 0) & 0xFFFFFF), Hex(Rgb(clBtnShadow)));
    MouseMoveTo(ScreenPt(f, 300, 190).x, ScreenPt(f, 300, 190).y);
    EXPECT_EQ(Hex(At(b, 30, 0)), Hex(Rgb(kFormColor)));
    MouseUp();
    b->SetBounds(20, 20, 70, 36);
    EXPECT_EQ(b->Buffer()->Width(), 70);
    EXPECT_EQ(b->Buffer()->Height(), 72);
    b->SetDoubleBuffer(false);
    EXPECT_EQ(b->Buffer(), nullptr);
    delete f;
}
