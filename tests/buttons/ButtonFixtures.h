// Windows, buttons and screen reading shared by the button and panel tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "buttons/MMBmpBtn.h"
#include "buttons/MMPanel.h"

namespace buttontest {

// A colour no system colour has, so frames and fills stand out from the window.
inline constexpr TColor kFormColor = 0x1EC80A;  // RGB(10, 200, 30)

inline COLORREF Rgb(TColor c) { return ColorToRGB(c); }

// A borderless window in the middle of the screen, not yet shown.
inline testsupport::TTestForm* NewForm(int w = 320, int h = 200) {
    auto* f = new testsupport::TTestForm();
    f->SetBorderStyle(TFormBorderStyle::bsNone);
    f->SetClientWidth(w);
    f->SetClientHeight(h);
    f->SetColor(kFormColor);
    f->Position = TPosition::poScreenCenter;
    return f;
}

// Shows the window with the pointer out of its way.
inline void ShowForm(TCustomForm* f) {
    testsupport::MouseMoveTo(2, 2);
    f->Show();
    testsupport::Pump(60);
}

// A button on the window at the given place.
inline TMMBitmapButton* AddButton(TWinControl* parent, int l, int t, int w, int h,
                                  TMMButtonStyle style = TMMButtonStyle::bsExplorer) {
    TComponent* owner = dynamic_cast<TCustomForm*>(parent) ? parent : parent->Owner();
    auto* b = new TMMBitmapButton(owner);
    b->SetBounds(l, t, w, h);
    b->SetButtonStyle(style);
    b->SetParent(parent);
    return b;
}

inline POINT ScreenPt(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }

// The colour on screen at a point of a control's client area.
inline COLORREF At(TControl* c, int x, int y) {
    POINT p = ScreenPt(c, x, y);
    return testsupport::ScreenPixel(p.x, p.y);
}

// The control's pixels as on screen now, row by row.
inline std::vector<COLORREF> Snapshot(TControl* c) {
    testsupport::Pump(0);
    GdiFlush();
    int w = c->Width(), h = c->Height();
    TBitmap shot;
    shot.SetSize(w, h);
    HDC screen = GetDC(nullptr);
    POINT o = ScreenPt(c, 0, 0);
    BitBlt(shot.Canvas().Handle(), 0, 0, w, h, screen, o.x, o.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    std::vector<COLORREF> out;
    out.reserve(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = shot.ScanLine(y);
        for (int x = 0; x < w; ++x) out.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    }
    return out;
}

// The four sides of a one-pixel ring inset by `inset`, sampled at their middles.
struct Ring {
    COLORREF top, left, right, bottom;
};
inline Ring RingAt(TControl* c, int inset) {
    int w = c->Width(), h = c->Height();
    return {At(c, w / 2, inset), At(c, inset, h / 2), At(c, w - 1 - inset, h / 2), At(c, w / 2, h - 1 - inset)};
}

inline std::string Hex(COLORREF c) {
    char b[16];
    wsprintfA(b, "%06lX", static_cast<unsigned long>(c));
    return b;
}

// Expects a ring whose top and left are topLeft and whose right and bottom are bottomRight.
inline void ExpectRing(TControl* c, int inset, TColor topLeft, TColor bottomRight, const std::string& what) {
    Ring r = RingAt(c, inset);
    EXPECT_EQ(Hex(r.top), Hex(Rgb(topLeft))) << what << ": top of ring " << inset;
    EXPECT_EQ(Hex(r.left), Hex(Rgb(topLeft))) << what << ": left of ring " << inset;
    EXPECT_EQ(Hex(r.right), Hex(Rgb(bottomRight))) << what << ": right of ring " << inset;
    EXPECT_EQ(Hex(r.bottom), Hex(Rgb(bottomRight))) << what << ": bottom of ring " << inset;
}

// A picture strip of cells side by side, each filled with its colour, with
// the bottom-left pixel of every cell and a 2 x 2 corner at the top right in
// fuchsia (the automatic see-through colour).
inline std::unique_ptr<TBitmap> MakeStrip(int cellW, int cellH, const std::vector<COLORREF>& cells) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(cellW * static_cast<int>(cells.size()), cellH);
    HDC dc = b->Canvas().Handle();
    for (std::size_t k = 0; k < cells.size(); ++k) {
        int x0 = static_cast<int>(k) * cellW;
        HBRUSH br = CreateSolidBrush(cells[k]);
        RECT r{x0, 0, x0 + cellW, cellH};
        FillRect(dc, &r, br);
        DeleteObject(br);
        SetPixel(dc, x0, cellH - 1, RGB(255, 0, 255));
        for (int y = 0; y < 2; ++y)
            for (int x = cellW - 2; x < cellW; ++x) SetPixel(dc, x0 + x, y, RGB(255, 0, 255));
    }
    return b;
}

}  // namespace buttontest
