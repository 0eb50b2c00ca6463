// A window with every button style in every state and the panel cases, saved
// as a bitmap for looking at. Runs when CODEXIA_SHOT_DIR names a folder
// (tests/shoot.sh buttons sets it and turns the result into PNG files).
#include <cstdlib>

#include "ButtonFixtures.h"
#include "ExtCtrls.h"

using namespace testsupport;
using namespace buttontest;

namespace {

// A button whose hot state can be set without moving the pointer.
class TShowButton : public TMMBitmapButton {
public:
    explicit TShowButton(TComponent* owner) : TMMBitmapButton(owner) {}
    using TMMBitmapButton::DoMouseEnter;
};

TShowButton* Put(TWinControl* parent, int l, int t, int w, int h, TMMButtonStyle style, const std::string& caption) {
    auto* b = new TShowButton(parent->Owner() && !dynamic_cast<TCustomForm*>(parent) ? parent->Owner() : parent);
    b->SetBounds(l, t, w, h);
    b->SetButtonStyle(style);
    b->SetCaption(caption);
    b->SetParent(parent);
    return b;
}

TLabel* Label(TWinControl* parent, int l, int t, const std::string& text) {
    auto* lab = new TLabel(parent);
    lab->SetBounds(l, t, 10, 10);
    lab->SetTransparent(true);
    lab->SetParent(parent);
    lab->SetCaption(text);
    return lab;
}

}  // namespace

// Every button style and state and every panel in one picture: a tool for
// looking, not a check, run by tests/shoot.sh buttons.
TEST(Gallery, DISABLED_AllStylesStatesAndPanels) {
    const char* dir = std::getenv("CODEXIA_SHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "set CODEXIA_SHOT_DIR to save the gallery";
    auto* f = NewForm(900, 560);
    f->SetColor(clBtnFace);
    const char* rows[] = {"up", "hot", "pressed", "Down", "Down, no ShowPressed", "disabled", "opaque (clInfoBk)"};
    for (int r = 0; r < 7; ++r) Label(f, 8, 34 + r * 40, rows[r]);
    for (int s = 0; s < 8; ++s) {
        int x = 150 + s * 92;
        Label(f, x, 8, kMMButtonStyleNames[static_cast<std::size_t>(s)]);
        for (int r = 0; r < 7; ++r) {
            auto* b = Put(f, x, 26 + r * 40, 84, 32, static_cast<TMMButtonStyle>(s), "&Button");
            switch (r) {
            case 1: b->DoMouseEnter(); break;
            case 2: b->SetShowPressed(true); b->DoMouseEnter(); break;
            case 3: b->SetDown(true); break;
            case 4: b->SetDown(true); b->SetShowPressed(false); break;
            case 5: b->SetEnabled(false); break;
            case 6: b->SetTransparent(false); b->SetColor(clInfoBk); break;
            default: break;
            }
        }
    }
    // The pressed row: drawn down without latching.
    for (int k = 0; k < f->ControlCount(); ++k)
        if (auto* b = dynamic_cast<TShowButton*>(f->Controls(k)))
            if (b->Top() == 26 + 2 * 40) b->MouseDown(TMouseButton::mbLeft, 0, 5, 5);

    // The reading window's bar.
    auto* bar = new TMMPanel(f);
    bar->SetBounds(8, 316, 422, 41);
    bar->SetParent(f);
    struct Bar {
        int left, width;
        const char* caption;
    };
    for (Bar b : {Bar{2, 73, "Background"}, Bar{76, 40, "Font"}, Bar{117, 22, "-"}, Bar{140, 21, "+"},
                  Bar{192, 49, "Notepad"}, Bar{242, 39, "Show"}, Bar{378, 41, "&Close"}}) {
        auto* btn = Put(bar, b.left, 2, b.width, 36, TMMButtonStyle::bsExplorer, b.caption);
        btn->SetDown(true);
        btn->SetShowPressed(false);
    }
    // Panel cases.
    auto* space = new TMMPanel(f);
    space->SetBounds(450, 316, 140, 60);
    space->SetCaption("bvSpace 4");
    space->Bevel()->SetBevelOuter(TBevelCut::bvSpace);
    space->Bevel()->SetBevelOuterWidth(4);
    space->SetParent(f);
    auto* red = new TMMPanel(f);
    red->SetBounds(600, 316, 140, 60);
    red->SetCaption("border 3 red");
    red->Bevel()->SetBorderWidth(3);
    red->Bevel()->SetColor(TMMBevel::ciBorder, clRed);
    red->Bevel()->SetBevelInner(TBevelCut::bvRaised);
    red->SetParent(f);
    auto* single = new TMMPanel(f);
    single->SetBounds(750, 316, 140, 60);
    single->SetCaption("single + space");
    single->SetAlignment(TAlignment::taLeftJustify);
    single->Bevel()->SetBorderStyle(TBorderStyle::bsSingle);
    single->Bevel()->SetBorderSpace(2);
    single->Bevel()->SetColor(TMMBevel::ciBorderSpace, clNavy);
    single->SetParent(f);
    auto* plain = new TPanel(f);
    plain->SetBounds(450, 390, 140, 60);
    plain->SetCaption("TPanel");
    plain->SetBevelInner(TBevelCut::bvLowered);
    plain->SetBorderWidth(2);
    plain->SetParent(f);

    // Glyph strips and placements.
    auto* list = new TMMBitmapList(f);
    auto strip = MakeStrip(16, 16, {RGB(200, 0, 0), RGB(0, 0, 200), RGB(200, 200, 0), RGB(0, 160, 160)});
    list->Add(strip.get());
    const TTextAlign aligns[] = {TTextAlign::ttaTopLeft, TTextAlign::ttaTop,        TTextAlign::ttaTopRight,
                                 TTextAlign::ttaRight,   TTextAlign::ttaBottomRight, TTextAlign::ttaBottom,
                                 TTextAlign::ttaBottomLeft, TTextAlign::ttaLeft,    TTextAlign::ttaCenter};
    for (int k = 0; k < 9; ++k) {
        auto* g = Put(f, 8 + k * 48, 380 + (k % 2) * 0, 46, 56, TMMButtonStyle::bsLight, "Go");
        g->SetBitmapList(list);
        g->SetBitmapIndex(0);
        g->SetNumGlyphs(4);
        g->SetTextAlign(aligns[k]);
    }
    auto* wrap = Put(f, 8, 450, 120, 40, TMMButtonStyle::bsRegular, "A caption that wraps and is cut short at the end");
    wrap->SetWordWrap(true);
    auto* gray = Put(f, 140, 450, 50, 40, TMMButtonStyle::bsExplorer, "");
    gray->SetBitmapList(list);
    gray->SetBitmapIndex(0);
    gray->SetNumGlyphs(4);
    gray->SetNumGlyphs(1);
    auto* off = Put(f, 200, 450, 50, 40, TMMButtonStyle::bsExplorer, "");
    off->SetBitmapList(list);
    off->SetBitmapIndex(0);
    off->SetEnabled(false);

    ShowForm(f);
    Pump(200);
    std::string path = std::string(dir) + "\\buttons_gallery.bmp";
    EXPECT_TRUE(SaveScreenBmp(path, f->WindowHandle())) << path;
    for (int k = 0; k < f->ControlCount(); ++k)
        if (auto* b = dynamic_cast<TShowButton*>(f->Controls(k))) b->SetMouseCapture(false);
    delete f;
}
