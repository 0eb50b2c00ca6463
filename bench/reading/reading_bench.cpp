// bench_reading BOOK.EXE BOOK.RTF [RUNS [READ_AT_MS]]: opening the reading window against
// a bare rich edit load of the same document, in one run, alternating.
//
// Book: started in a fresh directory; once its skin window is shown and idle,
// Read is pressed with the mouse and the time runs until the reading window is
// visible with the book's text drawn in its rich edit view (read from the
// screen: asking the window for its text would finish the book's load first); the working set is read
// then. Bare: bench_bare_reader.exe (beside this program) loads BOOK.RTF into a
// rich edit window and shows it; it puts the milliseconds from making its
// window to showing it in its title, and the working set is read once it is
// visible with text. Process start to the first window shown is timed for
// both too: the book streams its documents while it starts, so most of its
// load is there. Prints minimum, median and maximum and the ratios of the
// medians. With READ_AT_MS, Read is pressed that long after the process
// started (at the earliest once the skin shows) instead of 300 ms after the
// skin shows.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../BenchCommon.h"

using namespace bench;

namespace {

// Text is on screen in the window: dark pixels in its upper part. Read from
// the screen, not asked of the window: asking for its text would make the
// book finish loading its document first.
bool DrawsText(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    int width = std::min<LONG>(r.right - r.left, 400), height = std::min<LONG>(r.bottom - r.top, 120);
    if (width <= 8 || height <= 8) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    int dark = 0;
    const auto* px = static_cast<const unsigned char*>(bits);
    // Inside the border: skip four pixels on each side.
    for (int y = 4; y < height - 4; ++y)
        for (int x = 4; x < width - 20; ++x) {
            const unsigned char* p = px + (static_cast<std::size_t>(y) * width + x) * 4;
            if (p[0] + p[1] + p[2] < 3 * 96) ++dark;
        }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return dark > 30;
}

BOOL CALLBACK FindText(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    CharUpperA(cls);
    if (std::string(cls).find("RICHEDIT") != std::string::npos && IsWindowVisible(w) && DrawsText(w)) {
        *reinterpret_cast<bool*>(lp) = true;
        return FALSE;
    }
    return TRUE;
}

bool ShowsText(HWND top) {
    bool found = false;
    EnumChildWindows(top, FindText, reinterpret_cast<LPARAM>(&found));
    return found;
}

double WorkingSetMB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return -1;
    return static_cast<double>(pmc.WorkingSetSize) / 1048576.0;
}

struct Sample {
    double start = -1;  // process start to the first window shown
    double ms = -1;     // book: Read to text; bare: its own load and show
    double mb = -1;     // working set with the text shown
};

// The book: start, wait for the skin, press Read, wait for the text.
Sample Book(const std::string& exe, int readAtMs) {
    std::string dir = FreshDir();
    Sample s;
    {
        Process p;
        double started = Now();
        if (!p.Start(exe, "", dir)) return s;
        HWND skin = nullptr;
        if (!WaitUntil([&] { return (skin = TopWindow(p.pi.dwProcessId, "TForm1")) != nullptr; }, 120000)) return s;
        s.start = Now() - started;
        if (readAtMs > 0) {
            double wait = started + readAtMs - Now();
            if (wait > 0) Sleep(static_cast<DWORD>(wait));
        } else {
            WaitForInputIdle(p.pi.hProcess, 5000);
            Sleep(300);
        }
        RECT r;
        GetWindowRect(skin, &r);
        HWND read = nullptr;
        // Under Wine the first press after start is now and then lost: press
        // again, timing from the press that opened the window.
        for (int attempt = 0; attempt < 3 && !read; ++attempt) {
            double t0 = Now();
            Click(r.left + 92, r.top + 353);
            if (WaitUntil([&] { return (read = TopWindow(p.pi.dwProcessId, "TfrmRead")) != nullptr && ShowsText(read); },
                          attempt < 2 ? 3000 : 60000))
                s.ms = Now() - t0;
            else
                read = nullptr;
        }
        if (read) s.mb = WorkingSetMB(p.pi.hProcess);
    }
    RemoveDirectoryA(dir.c_str());
    return s;
}

// The bare rich edit program, timed by itself.
Sample Bare(const std::string& exe, const std::string& rtf) {
    Sample s;
    Process p;
    double started = Now();
    if (!p.Start(exe, rtf, FreshDir())) return s;
    HWND w = nullptr;
    if (!WaitUntil([&] { return (w = TopWindow(p.pi.dwProcessId, "BareReader")) != nullptr && ShowsText(w); }, 120000))
        return s;
    s.start = Now() - started;
    WaitUntil([&] {
        char title[128] = {};
        GetWindowTextA(w, title, sizeof title);
        return std::sscanf(title, "Bare reader %lf", &s.ms) == 1;
    }, 10000);
    s.mb = WorkingSetMB(p.pi.hProcess);
    return s;
}


}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_reading BOOK.EXE BOOK.RTF [RUNS [READ_AT_MS]]\n");
        return 2;
    }
    const std::string bare = Beside("bench_bare_reader.exe");
    // The book and its document by any path: relative, absolute, or the Linux one.
    const std::string book = bench::FullPath(argv[1]), full = bench::FullPath(argv[2]);
    if (book.empty() || full.empty()) return 2;
    int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    int readAt = argc > 4 ? std::atoi(argv[4]) : 0;

    Book(book, readAt);  // warm the file cache and the server
    Bare(bare, full);
    std::vector<double> bookStart, bookMs, bookMb, bareStart, bareMs, bareMb;
    for (int k = 0; k < runs; ++k) {
        Sample a = k % 2 ? Bare(bare, full) : Book(book, readAt);
        Sample b = k % 2 ? Book(book, readAt) : Bare(bare, full);
        if (k % 2) std::swap(a, b);
        if (a.ms < 0 || b.ms < 0 || a.mb < 0 || b.mb < 0) {
            std::printf("run %d failed: book %.1f ms %.1f MB, bare %.1f ms %.1f MB\n", k + 1, a.ms, a.mb, b.ms, b.mb);
            return 1;
        }
        std::printf("  run %d: book start %.1f ms, Read %.1f ms, %.1f MB; bare start %.1f ms, load %.1f ms, %.1f MB\n",
                    k + 1, a.start, a.ms, a.mb, b.start, b.ms, b.mb);
        std::fflush(stdout);
        bookStart.push_back(a.start);
        bareStart.push_back(b.start);
        bookMs.push_back(a.ms);
        bookMb.push_back(a.mb);
        bareMs.push_back(b.ms);
        bareMb.push_back(b.mb);
    }
    Print("book: start to skin", bookStart, "ms");
    Print("bare: start to text", bareStart, "ms");
    Print("book: Read to text", bookMs, "ms");
    Print("bare: load and show", bareMs, "ms");
    Print("book: working set", bookMb, "MB");
    Print("bare: working set", bareMb, "MB");
    std::printf("ratios of medians (book / bare): Read to text / load and show %.2f, start to skin / start to text %.2f,"
                " working set %.2f\n",
                Median(bookMs) / Median(bareMs), Median(bookStart) / Median(bareStart), Median(bookMb) / Median(bareMb));
    return 0;
}
