// The baseline for opening the reading window: the least a Windows program
// does to show a document in a rich edit window. It reads the RTF file named
// on its command line, makes a top-level window of the reading window's size
// with a read-only "RichEdit20A" child, streams the bytes in and shows it. It puts the
// milliseconds from loading the rich edit library to the window painted in
// its title, for the driver to read.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Source {
    const std::vector<char>* bytes;
    std::size_t at = 0;
};

DWORD CALLBACK FromMemory(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
    auto* s = reinterpret_cast<Source*>(cookie);
    std::size_t n = s->bytes->size() - s->at;
    if (n > static_cast<std::size_t>(cb)) n = static_cast<std::size_t>(cb);
    std::memcpy(buf, s->bytes->data() + s->at, n);
    s->at += n;
    *done = static_cast<LONG>(n);
    return 0;
}

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmdLine, int) {
    std::vector<char> rtf;
    HANDLE f = CreateFileA(cmdLine, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 2;
    rtf.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    ReadFile(f, rtf.data(), static_cast<DWORD>(rtf.size()), &got, nullptr);
    CloseHandle(f);

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    LoadLibraryA("RICHED20.DLL");
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BareReader";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "BareReader", "Bare reader", WS_OVERLAPPEDWINDOW, 100, 100, 430, 400, nullptr, nullptr,
                             inst, nullptr);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, 0, 298, 325, w,
                                nullptr, inst, nullptr);
    SendMessageA(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    Source src{&rtf};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, FromMemory};
    SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    QueryPerformanceCounter(&t1);
    char title[64];
    std::snprintf(title, sizeof title, "Bare reader %.2f",
                  static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart));
    SetWindowTextA(w, title);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
