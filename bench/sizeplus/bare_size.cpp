// bench_bare_size FILE POINTS: the baseline of bench_sizeplus. A window with a
// "+" button over a rich edit window holding FILE (RTF, or plain text when
// the name ends in .txt), streamed in at once; each press of "+" gives all
// the text one point more, starting from POINTS, as one character format
// change. The caption says "Bare size ready" once the text is in.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../BenchCommon.h"

namespace {

HWND g_edit = nullptr;
int g_points = 12;
constexpr int kPlus = 101;

LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == kPlus && HIWORD(wp) == BN_CLICKED) {
        CHARFORMAT2A f{};
        f.cbSize = sizeof f;
        f.dwMask = CFM_SIZE;
        f.yHeight = ++g_points * 20;
        SendMessageA(g_edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&f));
        return 0;
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    g_points = std::atoi(__argv[2]);
    std::string bytes;
    if (FILE* f = std::fopen(__argv[1], "rb")) {
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        std::fclose(f);
    }
    bool text = bytes.size() > 0 && std::string(__argv[1]).size() > 4 &&
                _stricmp(__argv[1] + std::string(__argv[1]).size() - 4, ".txt") == 0;
    LoadLibraryA("RICHED20.DLL");
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = "BareSize";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "BareSize", "Bare size", WS_OVERLAPPEDWINDOW, 100, 100, 440, 420, nullptr, nullptr,
                               inst, nullptr);
    CreateWindowExA(0, "BUTTON", "+", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 8, 4, 28, 28, top,
                    reinterpret_cast<HMENU>(kPlus), inst, nullptr);
    g_edit = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 40, 300, 325, top,
                             nullptr, inst, nullptr);
    SendMessageA(g_edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    CHARFORMAT2A f{};
    f.cbSize = sizeof f;
    f.dwMask = CFM_SIZE | CFM_FACE;
    f.yHeight = g_points * 20;
    lstrcpyA(f.szFaceName, "Times New Roman");
    SendMessageA(g_edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&f));
    bench::Source src{&bytes};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, bench::FromMemory};
    SendMessageA(g_edit, EM_STREAMIN, text ? SF_TEXT : SF_RTF, reinterpret_cast<LPARAM>(&es));
    if (text) SendMessageA(g_edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&f));
    ShowWindow(top, SW_SHOW);
    UpdateWindow(top);
    SetWindowTextA(top, "Bare size ready");
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
