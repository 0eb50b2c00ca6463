// The book on a screen of more than 96 DPI, seen from outside: the skin
// window at the scaled size, cut by the scaled cover's outline with no
// see-through colour left inside it, its Read area where the scaled cover
// shows it, and the reading window measured in the screen's pixels.
// Run at whatever DPI the prefix has (at-dpi.sh runs it at 144 and 192); at
// 96 it checks the layout's own sizes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BookProcess.h"
#include "TestUtil.h"

using namespace e2e;

namespace {

// The test reads and clicks in the screen's own pixels: it says it follows
// the monitor's DPI before any window exists, or the platform would hand it
// coordinates scaled back to 96 DPI.
const bool kDpiAware = [] {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto set = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
    if (set && set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return true;  // per monitor, v2
    return SetProcessDPIAware() != FALSE;
}();

// The DPI the prefix is set to, as the user's desktop settings keep it.
int DesktopDpi() {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS || value == 0)
        return 96;
    return static_cast<int>(value);
}

int Px(int layoutUnits, int dpi) { return MulDiv(layoutUnits, dpi, 96); }

void Click(POINT p) { ClickScreen(p.x, p.y); }

// A point of a window given in the layout's units from its top-left corner.
POINT OnWindow(HWND w, int x, int y, int dpi) {
    RECT r;
    GetWindowRect(w, &r);
    return {r.left + Px(x, dpi), r.top + Px(y, dpi)};
}

RECT ChildRect(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct ClassSearch {
    std::string cls;
    std::vector<HWND> found;
};

BOOL CALLBACK NoteChildOfClass(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<ClassSearch*>(lp);
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    if (s->cls == name && IsWindowVisible(w)) s->found.push_back(w);
    return TRUE;
}

// The visible child windows of a window whose class is cls.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& cls) {
    ClassSearch s{cls, {}};
    EnumChildWindows(parent, NoteChildOfClass, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The screen's pixels under a window, as 0x00RRGGBB, rows top first.
std::vector<std::uint32_t> Grab(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<std::uint32_t> out(static_cast<const std::uint32_t*>(bits),
                                   static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(w) * h);
    for (auto& p : out) p &= 0xFFFFFFu;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

class DpiTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kDpiAware);
        dpi = DesktopDpi();
        dir = MakeTempDir();
        book = std::make_unique<BookProcess>(dir);
        skin = book->WaitForWindow("TForm1");
        ASSERT_NE(skin, nullptr) << book->Shown();
        Sleep(500);
    }
    void TearDown() override {
        book.reset();
        RemoveTree(dir);
    }
    int dpi = 96;
    std::string dir;
    std::unique_ptr<BookProcess> book;
    HWND skin = nullptr;
};

}  // namespace

TEST_F(DpiTest, TheSkinIsTheScaledCoverCutByItsScaledOutline) {
    RECT w;
    GetWindowRect(skin, &w);
    EXPECT_EQ(w.right - w.left, Px(400, dpi)) << "at " << dpi << " DPI";
    EXPECT_EQ(w.bottom - w.top, Px(400, dpi));

    // The cover's page (17, 17)-(385, 384) at 96 DPI, in the screen's pixels
    // (a pixel either way: each edge falls where the nearest cover pixel does).
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(skin, rgn), ERROR);
    RECT box;
    GetRgnBox(rgn, &box);
    EXPECT_NEAR(box.left, Px(17, dpi), 1);
    EXPECT_NEAR(box.top, Px(17, dpi), 1);
    EXPECT_NEAR(box.right, Px(385, dpi), 1);
    EXPECT_NEAR(box.bottom, Px(384, dpi), 1);

    // On screen: nothing inside the outline is the see-through fuchsia or a
    // blend of it with the page (a smooth scaling that let the colour bleed),
    // and the page is painted up to the outline.
    std::vector<std::uint32_t> shot = Grab(w);
    const int width = w.right - w.left, height = w.bottom - w.top;
    int inside = 0, fuchsia = 0, pinkish = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!PtInRegion(rgn, x, y)) continue;
            ++inside;
            std::uint32_t p = shot[static_cast<std::size_t>(y) * width + x];
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (p == 0xFF00FFu) ++fuchsia;
            else if (r > 180 && b > 180 && g < r - 80 && g < b - 80) ++pinkish;
        }
    DeleteObject(rgn);
    EXPECT_GT(inside, Px(360, dpi) * Px(360, dpi));
    EXPECT_EQ(fuchsia, 0);
    EXPECT_EQ(pinkish, 0);
}

TEST_F(DpiTest, ReadOpensTheReadingWindowAtTheScreensScale) {
    // The Read area under the word on the scaled cover.
    Click(OnWindow(skin, 92, 353, dpi));
    HWND read = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (read = book->FindWindowOf("TfrmRead")) != nullptr; })) << book->Shown();
    Sleep(500);
    RECT client;
    GetClientRect(read, &client);
    // The layout gives the window's size, 430 x 400 with the frame it has
    // at 96 DPI: the client area inside that frame is what scales (the
    // frame around it is the platform's at the screen's DPI).
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    auto adjust = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    ASSERT_NE(adjust, nullptr);
    RECT frame96{0, 0, 0, 0};
    adjust(&frame96, static_cast<DWORD>(GetWindowLongA(read, GWL_STYLE)), FALSE,
           static_cast<DWORD>(GetWindowLongA(read, GWL_EXSTYLE)), 96);
    EXPECT_NEAR(client.right, Px(430 - (frame96.right - frame96.left), dpi), 1);
    EXPECT_NEAR(client.bottom, Px(400 - (frame96.bottom - frame96.top), dpi), 1);

    // The button bar along the bottom and what it holds.
    std::vector<HWND> panels = ChildrenOfClass(read, "TMMPanel");
    ASSERT_EQ(panels.size(), 1u);
    RECT bar = ChildRect(read, panels[0]);
    EXPECT_NEAR(bar.bottom - bar.top, Px(41, dpi), 1);
    EXPECT_EQ(bar.right - bar.left, client.right);
    EXPECT_EQ(bar.bottom, client.bottom);
    std::vector<HWND> edits = ChildrenOfClass(panels[0], "Cx.EDIT");
    ASSERT_EQ(edits.size(), 1u);
    RECT edit = ChildRect(panels[0], edits[0]);
    EXPECT_NEAR(edit.left, Px(164, dpi), 1);
    EXPECT_NEAR(edit.bottom - edit.top, Px(21, dpi), 1);
    // The check box's caption fits: the box is as wide as its scaled text.
    std::vector<HWND> boxes = ChildrenOfClass(panels[0], "Cx.BUTTON");
    ASSERT_EQ(boxes.size(), 1u);
    RECT check = ChildRect(panels[0], boxes[0]);
    EXPECT_NEAR(check.right - check.left, Px(89, dpi), 1);

    // Close, a picture button at the bar's right, where the scaled layout
    // puts it.
    POINT close{bar.left + Px(378 + 20, dpi), bar.top + Px(2 + 18, dpi)};
    ClientToScreen(read, &close);
    Click(close);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(read) && IsWindowEnabled(skin); }));
}
