// bench_crisp_text TEXT.txt POINTS WIDTH HEIGHT [FACE]: the platform's own
// drawing of a text, the baseline of bench/crisp/crisp.sh. A window at the
// screen's top left whose client area (WIDTH x HEIGHT) shows the text
// (UTF-8) in FACE (default Times New Roman) at POINTS, black on white, word
// wrapped by DrawText, with a 2-pixel margin as a rich edit view has.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring g_text;
HFONT g_font = nullptr;

LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HGDIOBJ old = SelectObject(dc, g_font);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        InflateRect(&r, -2, -2);
        DrawTextW(dc, g_text.c_str(), static_cast<int>(g_text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        EndPaint(w, &ps);
        return 0;
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    if (__argc < 5) return 2;
    std::string bytes;
    if (FILE* f = std::fopen(__argv[1], "rb")) {
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        std::fclose(f);
    }
    g_text.resize(bytes.size());
    g_text.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), g_text.data(), static_cast<int>(g_text.size()))));
    int points = std::atoi(__argv[2]), width = std::atoi(__argv[3]), height = std::atoi(__argv[4]);
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    g_font = CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0,
                         __argc > 5 ? __argv[5] : "Times New Roman");
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = "CrispText";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "CrispText", "Crisp text", WS_POPUP, 0, 0, width, height, nullptr, nullptr, inst, nullptr);
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
