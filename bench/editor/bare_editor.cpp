// The editor benchmark's baseline: a window that, clicked, opens a modal
// window with a menu, a rich edit control and a combo box holding every font
// face, as little as an editor can show.
#include <windows.h>
#include <richedit.h>

namespace {

HINSTANCE instance;
HWND host;
bool done;

int CALLBACK AddFace(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM combo) {
    if (lf->lfFaceName[0] != '@' &&
        SendMessageA(reinterpret_cast<HWND>(combo), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(lf->lfFaceName)) == CB_ERR)
        SendMessageA(reinterpret_cast<HWND>(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lf->lfFaceName));
    return 1;
}

LRESULT CALLBACK EditorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: {
            HWND combo = CreateWindowA("COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL, 4, 4,
                                       160, 300, w, reinterpret_cast<HMENU>(1), instance, nullptr);
            HDC dc = GetDC(nullptr);
            LOGFONTA lf{};
            lf.lfCharSet = DEFAULT_CHARSET;
            EnumFontFamiliesExA(dc, &lf, AddFace, reinterpret_cast<LPARAM>(combo), 0);
            ReleaseDC(nullptr, dc);
            CreateWindowExA(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA, "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 4, 34, 380,
                            200, w, reinterpret_cast<HMENU>(2), instance, nullptr);
            return 0;
        }
        case WM_CLOSE:
            done = true;
            EnableWindow(host, TRUE);
            DestroyWindow(w);
            return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// Shows the editor and runs its modal loop until it closes.
void OpenEditor() {
    HMENU bar = CreateMenu(), file = CreatePopupMenu(), edit = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 10, "&New");
    AppendMenuA(file, MF_STRING, 11, "E&xit");
    AppendMenuA(edit, MF_STRING, 20, "&Undo\tCtrl+Z");
    AppendMenuA(edit, MF_STRING, 21, "Cu&t\tCtrl+X");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    HWND w = CreateWindowExA(0, "BareEditor", "Bare editor", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, host, bar,
                             instance, nullptr);
    EnableWindow(host, FALSE);
    ShowWindow(w, SW_SHOW);
    done = false;
    MSG m;
    while (!done && GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

LRESULT CALLBACK HostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONUP:
            OpenEditor();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    instance = inst;
    LoadLibraryA("riched20.dll");
    WNDCLASSA wc{};
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = "BareEditorHost";
    RegisterClassA(&wc);
    wc.lpfnWndProc = EditorProc;
    wc.lpszClassName = "BareEditor";
    RegisterClassA(&wc);
    host = CreateWindowA("BareEditorHost", "Bare editor host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                         inst, nullptr);
    ShowWindow(host, SW_SHOW);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
