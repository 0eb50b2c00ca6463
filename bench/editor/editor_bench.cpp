// bench_editor BOOK.EXE [RUNS]: opening the editor window from the reading
// window's Notepad button against a bare window of the same kind, in one run,
// alternating.
//
// Book: started in a fresh directory, Read pressed, and once the reading
// window is up, Notepad is clicked RUNS times: the time runs from the button's
// release to the editor window shown and answering a message (its modal loop
// running); the editor is then closed (unchanged, it closes without a
// question). Bare: bench_bare_editor.exe (beside this program) opens, on a
// click, a modal window with a menu, a rich edit control and a combo box of
// every font face; timed the same way. Prints minimum, median and maximum per
// side and the ratio of the medians.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../BenchCommon.h"

using namespace bench;

namespace {

void ClickClient(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    Click(p.x, p.y);
}

// From a click on the window at (x, y) to a visible window of the class that
// answers a message; then closes it. -1 when it did not open.
double OpenAndClose(DWORD pid, HWND owner, int x, int y, const char* cls) {
    SetCursorPos(0, 0);
    Sleep(500);  // a quiet moment before each press, as between a reader's clicks
    const double t0 = Now();
    ClickClient(owner, x, y);
    HWND w = nullptr;
    if (!WaitUntil([&] { return (w = TopWindow(pid, cls)) != nullptr; }, 10000)) return -1;
    DWORD_PTR r = 0;
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
    const double ms = Now() - t0;
    PostMessageA(w, WM_CLOSE, 0, 0);
    if (!WaitUntil([&] { return !IsWindow(w) || !IsWindowVisible(w); }, 10000)) return -1;
    return ms;
}


}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_editor BOOK.EXE [RUNS]\n");
        return 2;
    }
    const std::string bare = Beside("bench_bare_editor.exe");
    const std::string book = FullPath(argv[1]);
    if (book.empty()) return 2;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;

    Process b, h;
    if (!b.Start(book, "", FreshDir()) || !h.Start(bare, "", FreshDir())) return 1;
    HWND skin = nullptr, host = nullptr, read = nullptr;
    if (!WaitUntil([&] { return (skin = TopWindow(b.pi.dwProcessId, "TForm1")) != nullptr; }, 120000) ||
        !WaitUntil([&] { return (host = TopWindow(h.pi.dwProcessId, "BareEditorHost")) != nullptr; }, 60000)) {
        std::printf("a program did not show a window\n");
        return 1;
    }
    WaitForInputIdle(b.pi.hProcess, 5000);
    Sleep(2000);  // the book's own load is over
    RECT r;
    GetWindowRect(skin, &r);
    for (int attempt = 0; attempt < 3 && !read; ++attempt) {
        Click(r.left + 92, r.top + 353);
        WaitUntil([&] { return (read = TopWindow(b.pi.dwProcessId, "TfrmRead")) != nullptr; }, 5000);
    }
    if (!read) {
        std::printf("the reading window did not open\n");
        return 1;
    }
    Sleep(1000);
    // Notepad sits on the button bar (41 high) along the reading window's bottom.
    RECT client;
    GetClientRect(read, &client);
    auto openBook = [&] { return OpenAndClose(b.pi.dwProcessId, read, 192 + 24, client.bottom - 41 + 20, "TwwRichEditForm"); };
    auto openBare = [&] { return OpenAndClose(h.pi.dwProcessId, host, 100, 80, "BareEditor"); };
    // The first opening of each loads what later ones find ready: timed apart.
    const double firstBook = openBook(), firstBare = openBare();
    std::printf("  first opening: book %.1f ms, bare %.1f ms\n", firstBook, firstBare);
    std::vector<double> bookMs, bareMs;
    for (int k = 0; k < runs; ++k) {
        const bool bookFirst = k % 2 == 0;
        const double x = bookFirst ? openBook() : openBare();
        const double y = bookFirst ? openBare() : openBook();
        const double bk = bookFirst ? x : y, br = bookFirst ? y : x;
        if (bk < 0 || br < 0) {
            std::printf("run %d failed: book %.1f ms, bare %.1f ms\n", k + 1, bk, br);
            return 1;
        }
        std::printf("  run %d: book %.1f ms, bare %.1f ms\n", k + 1, bk, br);
        std::fflush(stdout);
        bookMs.push_back(bk);
        bareMs.push_back(br);
    }
    Print("book: Notepad to editor", bookMs, "ms");
    Print("bare: click to window", bareMs, "ms");
    std::printf("ratio of medians (book / bare): %.2f\n", Median(bookMs) / Median(bareMs));
    return 0;
}
