// The ruler as a user sees and drags it: the scale read back from the
// window's pixels, and markers dragged with real mouse input, with the
// indents read back from the paragraph.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <thread>

#include "TestUtil.h"
#include "richeditor/wwRuler.h"

using namespace testsupport;

namespace {

// Counts the paragraph requests the editor is sent.
class TCountingEdit : public TwwDBRichEdit {
public:
    using TwwDBRichEdit::TwwDBRichEdit;
    int paragraphRequests = 0;

protected:
    void WndProc(TMessage& m) override {
        if (m.msg == EM_SETPARAFORMAT) ++paragraphRequests;
        TwwDBRichEdit::WndProc(m);
    }
};

// A ruler over a 600-pixel editor, as the editor window lays them out.
struct RulerWindow {
    TTestForm* form;
    TCountingEdit* edit;
    TwwRulerPanel* ruler;
    explicit RulerWindow(TwwMeasurementUnits unit) : form(new TTestForm()) {
        form->SetBorderStyle(TFormBorderStyle::bsNone);
        form->SetBounds(60, 80, 600, 200);
        edit = new TCountingEdit(form);
        edit->MeasurementUnits = unit;
        edit->SetBounds(0, 27, 600, 170);
        edit->SetParent(form);
        edit->SetGutterWidth(6);
        ruler = new TwwRulerPanel(form, edit);
        ruler->SetBounds(0, 0, 600, ruler->Height());
        ruler->SetParent(form);
        form->Show();
        SetForegroundWindow(form->Handle());
        edit->Lines()->SetText("A paragraph of text.\r\nAnother one.");
        edit->SetSelStart(0);
        ruler->UpdateMarkers();
        Pump(50);
    }
    ~RulerWindow() { delete form; }
    RulerWindow(const RulerWindow&) = delete;
    RulerWindow& operator=(const RulerWindow&) = delete;

    // The screen point at the middle of a marker.
    POINT Grip(TwwTrackIcon* m) const { return m->ClientToScreen({5, 6}); }
    PARAFORMAT2 Paragraph() const {
        PARAFORMAT2 p{};
        p.cbSize = sizeof p;
        SendMessageA(edit->Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
        return p;
    }
};

// The ruler's window as it is on the screen.
struct Picture {
    int w = 0, h = 0;
    std::vector<COLORREF> px;
    explicit Picture(HWND wnd) {
        Pump(30);
        UpdateWindow(wnd);
        GdiFlush();
        RECT r;
        GetClientRect(wnd, &r);
        w = r.right;
        h = r.bottom;
        HDC dc = GetDC(wnd);
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px.push_back(GetPixel(mem, x, y));
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(wnd, dc);
    }
    COLORREF At(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
    bool Dark(int x, int y) const {
        COLORREF c = At(x, y);
        return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200;
    }
};

// Mouse input from another thread, while this one pumps (a press on a
// marker takes this thread into the marker's tracking loop).
void Drive(std::vector<std::function<void()>> steps) {
    std::atomic<bool> done{false};
    std::thread input([&] {
        for (auto& step : steps) {
            step();
            Sleep(40);
        }
        done = true;
    });
    while (!done) Pump(5);
    input.join();
    Pump(50);
}

void DragMarker(POINT from, int dx, int dy = 0) {
    Drive({[=] { SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, from.x, from.y); },
           [] { SendMouseInput(MOUSEEVENTF_LEFTDOWN); },
           [=] { SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, from.x + dx / 2, from.y + dy); },
           [=] { SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, from.x + dx, from.y + dy); },
           [] { SendMouseInput(MOUSEEVENTF_LEFTUP); }});
}

// Saved for looking at when CODEXIA_SHOTS names a folder.
void Shoot(HWND wnd, const char* name) {
    if (const char* dir = std::getenv("CODEXIA_SHOTS")) SaveScreenBmp(std::string(dir) + "\\" + name, wnd);
}

// Where the scale's ticks must be: trunc((r + i/e) × p) + 6 for every
// position before the length (editor width − 12) / p, whole units excepted.
std::set<int> ExpectedTicks(double p, int e, double length, std::set<int>* half) {
    std::set<int> xs;
    for (int r = 0; r <= static_cast<int>(length) + 1 && r < length; ++r)
        for (int i = 1; i < e; ++i) {
            double at = r + static_cast<double>(i) / e;
            if (at >= length) break;
            int x = static_cast<int>(at * p) + 6;
            xs.insert(x);
            if (i == e / 2) half->insert(x);
        }
    return xs;
}

void CheckScale(const RulerWindow& w, double p, int e, int numbers) {
    Picture pic(w.ruler->Handle());
    ASSERT_EQ(pic.w, 600);
    ASSERT_EQ(pic.h, 25);
    const int L = 6, T = 4, R = 594, B = 21;
    // The frame, at the four edges.
    // (The markers cover the left edge but for row 13, between them.)
    EXPECT_EQ(pic.At(L - 1, 13), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(pic.At(300, T), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(pic.At(L, 13), RGB(0, 0, 0));
    EXPECT_EQ(pic.At(300, T + 1), RGB(0, 0, 0));
    EXPECT_EQ(pic.At(300, B), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(pic.At(R + 1, 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(pic.At(300, B + 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(pic.At(R + 2, 10), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(pic.At(L + 20, 8), RGB(255, 255, 255));
    // Ticks: the dark pixels of row T + 8, away from the numbers, are exactly
    // the ticks; the half-unit ones reach up to T + 7 and down to B − 6.
    std::set<int> half;
    const double length = (600 - 12) / p;
    std::set<int> ticks = ExpectedTicks(p, e, length, &half);
    auto nearNumber = [&](int x) {
        for (int r = 1; r < length; ++r)
            if (std::abs(x - (static_cast<int>(r * p) + L)) <= 6) return true;
        return false;
    };
    std::set<int> seen;
    for (int x = L + 1; x < R; ++x)
        if (!nearNumber(x) && pic.Dark(x, T + 8)) seen.insert(x);
    std::set<int> wanted;
    for (int x : ticks)
        if (!nearNumber(x)) wanted.insert(x);
    EXPECT_EQ(seen, wanted);
    const int rightMarker = w.ruler->RightMarker()->Left();
    for (int x : ticks) {
        bool longer = half.count(x) > 0;
        EXPECT_TRUE(pic.Dark(x, T + 8) && pic.Dark(x, T + 9)) << x;
        EXPECT_EQ(pic.Dark(x, T + 7), longer) << x;
        EXPECT_FALSE(pic.Dark(x, T + 6)) << x;
        if (x >= rightMarker) continue;  // the right marker covers the lower rows
        EXPECT_EQ(pic.Dark(x, B - 6), longer) << x;
        EXPECT_FALSE(pic.Dark(x, B - 5)) << x;
    }
    // A number at every whole unit from 1 on, and none past the end.
    auto hasInk = [&](int cx) {
        for (int x = cx - 5; x <= cx + 5; ++x)
            for (int y = T + 3; y < B; ++y)
                if (x > L && x < R && pic.Dark(x, y)) return true;
        return false;
    };
    for (int r = 1; r <= numbers; ++r) EXPECT_TRUE(hasInk(static_cast<int>(r * p) + L)) << "number " << r;
}

}  // namespace

TEST(Ruler, ScaleInInches) {
    RulerWindow w(TwwMeasurementUnits::muInches);
    EXPECT_EQ(w.ruler->Height(), 25);
    CheckScale(w, 96.0, 8, 6);
    Shoot(w.ruler->Handle(), "ruler-inches.bmp");
}

TEST(Ruler, ScaleInCentimetres) {
    RulerWindow w(TwwMeasurementUnits::muCentimeters);
    CheckScale(w, 96.0 / 2.537, 4, 15);
    Shoot(w.ruler->Handle(), "ruler-centimetres.bmp");
}

TEST(Ruler, MarkersAndTheirPictures) {
    RulerWindow w(TwwMeasurementUnits::muInches);
    TwwTrackIcon *left = w.ruler->LeftMarker(), *right = w.ruler->RightMarker(), *first = w.ruler->FirstLineMarker();
    EXPECT_EQ(left->Width(), 11);
    EXPECT_EQ(left->Height(), 11);
    EXPECT_EQ(left->Top(), 14);
    EXPECT_EQ(first->Top(), 2);
    EXPECT_EQ(left->Left(), 1);
    EXPECT_EQ(first->Left(), 1);
    EXPECT_EQ(right->Left(), 589);
    EXPECT_EQ(left->LowerBound, 1);
    EXPECT_EQ(left->UpperBound, 589);
    // 16 colours; the bottom-left pixel's colour is not drawn.
    EXPECT_EQ(left->Picture().BitsPerPixel(), 4);
    EXPECT_EQ(first->Picture().BitsPerPixel(), 4);
    if (const char* dir = std::getenv("CODEXIA_SHOTS")) {
        for (auto [m, name] : {std::pair{left, "wwRulerUp.bmp"}, {first, "wwRulerDown.bmp"}}) {
            std::string bytes = m->Picture().SaveToBytes();
            FILE* f = std::fopen((std::string(dir) + "\\" + name).c_str(), "wb");
            if (f) {
                std::fwrite(bytes.data(), 1, bytes.size(), f);
                std::fclose(f);
            }
        }
    }
    Picture pic(w.ruler->Handle());
    EXPECT_EQ(pic.At(1 + 5, 14), RGB(0, 0, 0)) << "the up marker's point";
    EXPECT_EQ(pic.At(1 + 0, 14 + 10), GetSysColor(COLOR_BTNFACE)) << "see-through corner";
    EXPECT_EQ(pic.At(1 + 5, 2 + 10), RGB(0, 0, 0)) << "the down marker's point";
    EXPECT_EQ(pic.At(1 + 0, 2 + 10), GetSysColor(COLOR_BTNFACE)) << "see-through beside the point";
    // Indents move the markers: left at offset + start, first line at start.
    TwwParagraphRequest r;
    r.Mask = 0x1C;
    r.StartIndent = 1440;
    r.Offset = -720;
    r.RightIndent = 720;
    w.edit->SetParagraphFormat(r);
    w.ruler->UpdateMarkers();
    EXPECT_EQ(left->Left(), 48 + 1);
    EXPECT_EQ(first->Left(), 96 + 1);
    EXPECT_EQ(right->Left(), 600 - 48 - 11);
    // A ruler for a screen of 120 pixels per inch is higher.
    struct THighDpiEdit : TwwDBRichEdit {
        explicit THighDpiEdit(TComponent* o) : TwwDBRichEdit(o) { screenPixelsPerInch_ = 120; }
    };
    auto* high = new THighDpiEdit(w.form);
    auto* tall = new TwwRulerPanel(w.form, high);
    EXPECT_EQ(tall->Height(), 27);
    EXPECT_EQ(tall->PixelsPerInch(), 120);
}

TEST(Ruler, DraggingTheLeftMarkerAsTheExampleGoes) {
    RulerWindow w(TwwMeasurementUnits::muInches);
    TwwTrackIcon* left = w.ruler->LeftMarker();
    DragMarker(w.Grip(left), 30, 3);
    EXPECT_EQ(left->Left(), 37) << "centre 36 snaps to 0.375 inch";
    PARAFORMAT2 p = w.Paragraph();
    EXPECT_EQ(p.dxStartIndent, 0);
    EXPECT_EQ(p.dxOffset, 540);
    EXPECT_EQ(w.edit->paragraphRequests, 1);
    EXPECT_EQ(GetCapture(), nullptr) << "the capture ends with the release";
    // Past the right marker it stops 48 pixels left of it.
    DragMarker(w.Grip(left), 700);
    EXPECT_EQ(left->Left(), w.ruler->RightMarker()->Left() - 48);
    EXPECT_EQ(w.Paragraph().dxOffset, (589 - 48 - 1) * 15);
    EXPECT_EQ(w.ruler->RightMarker()->Left(), 589) << "only the dragged marker moves";
}

TEST(Ruler, PressAndReleaseWithoutMovingChangesNothing) {
    RulerWindow w(TwwMeasurementUnits::muInches);
    TwwTrackIcon* first = w.ruler->FirstLineMarker();
    POINT g = w.Grip(first);
    Drive({[=] { SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, g.x, g.y); },
           [] { SendMouseInput(MOUSEEVENTF_LEFTDOWN); }, [] { SendMouseInput(MOUSEEVENTF_LEFTUP); }});
    EXPECT_EQ(first->Left(), 1);
    EXPECT_EQ(w.edit->paragraphRequests, 0);
    // Moving only up and down leaves the marker where it is, too.
    DragMarker(g, 0, 4);
    EXPECT_EQ(first->Left(), 1);
    EXPECT_EQ(w.edit->paragraphRequests, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Ruler, RightMarkerChangesOnlyTheRightIndent) {
    RulerWindow w(TwwMeasurementUnits::muInches);
    TwwParagraphRequest r;
    r.Mask = 0x14;
    r.StartIndent = 720;
    r.Offset = 360;
    w.edit->SetParagraphFormat(r);
    w.ruler->UpdateMarkers();
    DragMarker(w.Grip(w.ruler->RightMarker()), -89);
    EXPECT_EQ(w.ruler->RightMarker()->Left(), 505);
    PARAFORMAT2 p = w.Paragraph();
    EXPECT_EQ(p.dxRightIndent, (605 - 6 - 505 - 4) * 15);
    EXPECT_EQ(p.dxStartIndent, 720);
    EXPECT_EQ(p.dxOffset, 360);
}

TEST(Ruler, CentimetresSnapToQuarterCentimetres) {
    RulerWindow w(TwwMeasurementUnits::muCentimeters);
    TwwTrackIcon* left = w.ruler->LeftMarker();
    DragMarker(w.Grip(left), 40);  // centre at 46 pixels: 1.2157 cm, down to 1 cm
    EXPECT_EQ(left->Left(), 38);
    EXPECT_EQ(w.Paragraph().dxOffset, 555);
    DragMarker(w.Grip(left), 10);  // centre at 53: 1.4007 cm, down to 1.25 cm
    EXPECT_EQ(left->Left(), 48);   // 47.3 + 1
    EXPECT_EQ(w.Paragraph().dxOffset, 705);
    TwwTrackIcon* first = w.ruler->FirstLineMarker();
    DragMarker(w.Grip(first), 20);  // centre at 26: 0.687 cm, down to 0.5 cm
    EXPECT_EQ(first->Left(), 19);   // 18.9 + 1
    PARAFORMAT2 p = w.Paragraph();
    EXPECT_EQ(p.dxStartIndent, 270);
    EXPECT_EQ(p.dxOffset, 435);
}

// Last in this program: the application is left terminated.
TEST(Ruler, AQuitMessageEndsTrackingAndIsPostedAgain) {
    RulerWindow w(TwwMeasurementUnits::muInches);
    TwwTrackIcon* left = w.ruler->LeftMarker();
    POINT g = w.Grip(left);
    DWORD ui = GetCurrentThreadId();
    Drive({[=] { SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, g.x, g.y); },
           [] { SendMouseInput(MOUSEEVENTF_LEFTDOWN); },
           [=] { SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, g.x + 20, g.y); },
           [=] { PostThreadMessageA(ui, WM_QUIT, 42, 0); },
           [=] { SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, g.x + 40, g.y); },
           [] { SendMouseInput(MOUSEEVENTF_LEFTUP); }});
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(left->Left(), 21) << "moved until the quit message, then left alone";
    EXPECT_EQ(w.edit->paragraphRequests, 0) << "no end of drag";
    EXPECT_TRUE(Application->Terminated()) << "the quit message reached the main loop";
    EXPECT_EQ(Application->ExitCode(), 42);
}
