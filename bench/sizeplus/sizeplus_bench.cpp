// bench_sizeplus BOOK.EXE FILE [RUNS [PRESSES [POINTS]]]: the reading window's
// size "+" button against a bare rich edit window of the same text, in one
// run, alternating.
//
// Book: started in a fresh folder; Read is pressed on its skin, the reading
// window's book view is asked for its text length (which makes the book
// finish loading its document) and left to settle; then "+" is pressed with
// the mouse PRESSES times. Bare: bench_bare_size.exe (beside this program)
// with FILE (RTF, or plain text when it ends in .txt) at POINTS (default 12,
// the sample book's body size), its own "+" pressed the same way. Each press
// is timed two ways, from the press: to the page drawn anew (the view's
// pixels on the screen changed and then still for 150 ms with the program
// answering a message within 100 ms after that; the time is when they took
// their last form) and to the program answering a message again
// (the rest of the work, where it is done before the program listens; a
// program that answers at once after the page counts the page's time).
// Prints minimum, median and maximum per side and the ratios of the medians.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../BenchCommon.h"

using namespace bench;

namespace {

// The pixels of a window's client area as the screen shows them.
std::vector<unsigned> Capture(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    POINT o{0, 0};
    ClientToScreen(w, &o);
    int width = r.right, height = r.bottom;
    std::vector<unsigned> out(static_cast<std::size_t>(std::max(0, width * height)));
    if (out.empty()) return out;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, o.x, o.y, SRCCOPY);
    std::memcpy(out.data(), bits, out.size() * 4);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

std::size_t Differ(const std::vector<unsigned>& a, const std::vector<unsigned>& b) {
    if (a.size() != b.size()) return a.size() + b.size();
    std::size_t n = 0;
    for (std::size_t k = 0; k < a.size(); ++k) n += a[k] != b[k];
    return n;
}

struct Child {
    std::string text, cls;
    HWND found = nullptr;
    long area = 0;
};

// The child with the text, or the largest visible child of the class.
BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<Child*>(lp);
    char buf[64] = {};
    if (!IsWindowVisible(w)) return TRUE;
    if (!c->text.empty()) {
        GetWindowTextA(w, buf, sizeof buf);
        if (c->text == buf) c->found = w;
        return c->found ? FALSE : TRUE;
    }
    GetClassNameA(w, buf, sizeof buf);
    CharUpperA(buf);
    RECT r{};
    GetClientRect(w, &r);
    if (std::string(buf).find(c->cls) != std::string::npos && r.right * r.bottom > c->area) {
        c->area = r.right * r.bottom;
        c->found = w;
    }
    return TRUE;
}

HWND ChildWithText(HWND top, const char* text) {
    Child c{text, ""};
    EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

HWND LargestChild(HWND top, const char* cls) {
    Child c{"", cls};
    EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

BOOL CALLBACK ListChild(HWND w, LPARAM) {
    char cls[64] = {}, text[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    RECT r{};
    GetWindowRect(w, &r);
    std::printf("    %s \"%s\" %ld,%ld %ldx%ld%s\n", cls, text, r.left, r.top, r.right - r.left, r.bottom - r.top,
                IsWindowVisible(w) ? "" : " hidden");
    return TRUE;
}

bool Answers(HWND w, int ms) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, ms, &r) != 0;
}

struct Times {
    std::vector<double> page, answer;
};

// Presses the button and times the view's page drawn anew and the program's answer.
bool Press(POINT button, HWND view, Times& t) {
    std::vector<unsigned> before = Capture(view), last = before;
    double t0 = Now();
    Click(button.x, button.y);
    double lastAt = t0;
    bool changed = false;
    while (Now() - t0 < 300000) {
        std::vector<unsigned> now = Capture(view);
        if (Differ(now, last) > 50) {
            last = std::move(now);
            lastAt = Now();
        }
        changed = changed || Differ(last, before) > 500;
        if (changed && Now() - lastAt > 150) {
            // Still pixels count only from a program that answers: one busy
            // with the change draws nothing until it is done.
            if (!Answers(view, 100)) continue;
            now = Capture(view);
            if (Differ(now, last) > 50) {
                last = std::move(now);
                lastAt = Now();
                continue;
            }
            break;
        }
        Sleep(1);
    }
    if (!changed) return false;
    t.page.push_back(lastAt - t0);
    // A program that answers at once was done by the page; one still busy
    // answers when the rest of its work is done.
    double asked = Now();
    if (!Answers(view, 300000)) return false;
    double answered = Now();
    t.answer.push_back(answered - asked < 5 ? lastAt - t0 : answered - t0);
    return true;
}

// Settles: the program idle and its view still.
void Settle(HANDLE process) {
    WaitForInputIdle(process, 10000);
    Sleep(400);
}

bool Book(const std::string& exe, int presses, Times& t) {
    std::string dir = FreshDir();
    bool ok = false;
    {
        Process p;
        if (!p.Start(exe, "", dir)) return false;
        HWND skin = nullptr, read = nullptr;
        if (!WaitUntil([&] { return (skin = TopWindow(p.pi.dwProcessId, "TForm1")) != nullptr; }, 120000)) return false;
        Settle(p.pi.hProcess);
        RECT r;
        GetWindowRect(skin, &r);
        for (int attempt = 0; attempt < 3 && !read; ++attempt) {
            Click(r.left + 92, r.top + 353);
            WaitUntil([&] { return (read = TopWindow(p.pi.dwProcessId, "TfrmRead")) != nullptr; },
                      attempt < 2 ? 10000 : 120000);
        }
        HWND view = read ? LargestChild(read, "RICHEDIT") : nullptr;
        // The picture buttons are drawn by their panel and have no windows of
        // their own: "+" lies in the tool panel at 140, 2, 21 x 36 (the
        // reading window's layout).
        HWND panel = read ? LargestChild(read, "TMMPANEL") : nullptr;
        if (!view || !panel) {
            std::printf("book: no reading window, book view or + button; its windows:\n");
            if (read) EnumChildWindows(read, ListChild, 0);
            return false;
        }
        DWORD_PTR length = 0;
        SendMessageTimeoutA(view, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 300000, &length);
        Settle(p.pi.hProcess);
        RECT pr{};
        GetWindowRect(panel, &pr);
        POINT plus{pr.left + 150, pr.top + 20};
        ok = true;
        for (int k = 0; k < presses && ok; ++k) {
            ok = Press(plus, view, t);
            Settle(p.pi.hProcess);
        }
    }
    RemoveDirectoryA(dir.c_str());
    return ok;
}

bool Bare(const std::string& exe, const std::string& file, int points, int presses, Times& t) {
    Process p;
    if (!p.Start(exe, "\"" + file + "\" " + std::to_string(points), FreshDir())) return false;
    HWND top = nullptr;
    if (!WaitUntil([&] {
            char title[64] = {};
            top = TopWindow(p.pi.dwProcessId, "BareSize");
            return top && GetWindowTextA(top, title, sizeof title) && std::string(title) == "Bare size ready";
        }, 600000))
        return false;
    HWND view = LargestChild(top, "RICHEDIT"), button = ChildWithText(top, "+");
    if (!view || !button) return false;
    RECT br{};
    GetWindowRect(button, &br);
    POINT plus{(br.left + br.right) / 2, (br.top + br.bottom) / 2};
    Settle(p.pi.hProcess);
    bool ok = true;
    for (int k = 0; k < presses && ok; ++k) {
        ok = Press(plus, view, t);
        Settle(p.pi.hProcess);
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_sizeplus BOOK.EXE FILE [RUNS [PRESSES [POINTS]]]\n");
        return 2;
    }
    const std::string bare = Beside("bench_bare_size.exe");
    const std::string book = FullPath(argv[1]), file = FullPath(argv[2]);
    if (book.empty() || file.empty()) return 2;
    int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    int presses = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
    int points = argc > 5 ? std::atoi(argv[5]) : 12;
    Times bookT, bareT;
    for (int k = 0; k < runs; ++k) {
        Times a, b;
        bool okA = k % 2 ? Bare(bare, file, points, presses, b) : Book(book, presses, a);
        bool okB = k % 2 ? Book(book, presses, a) : Bare(bare, file, points, presses, b);
        if (!okA || !okB) {
            std::printf("run %d failed (book %s, bare %s)\n", k + 1, a.page.size() == std::size_t(presses) ? "ok" : "failed",
                        b.page.size() == std::size_t(presses) ? "ok" : "failed");
            return 1;
        }
        std::printf("  run %d: book page %.1f ms, answer %.1f ms; bare page %.1f ms, answer %.1f ms (medians)\n", k + 1,
                    Median(a.page), Median(a.answer), Median(b.page), Median(b.answer));
        std::fflush(stdout);
        bookT.page.insert(bookT.page.end(), a.page.begin(), a.page.end());
        bookT.answer.insert(bookT.answer.end(), a.answer.begin(), a.answer.end());
        bareT.page.insert(bareT.page.end(), b.page.begin(), b.page.end());
        bareT.answer.insert(bareT.answer.end(), b.answer.begin(), b.answer.end());
    }
    Print("book: + to page", bookT.page, "ms");
    Print("book: + to answer", bookT.answer, "ms");
    Print("bare: + to page", bareT.page, "ms");
    Print("bare: + to answer", bareT.answer, "ms");
    std::printf("ratios of medians (book / bare): page %.2f, answer %.2f\n", Median(bookT.page) / Median(bareT.page),
                Median(bookT.answer) / Median(bareT.answer));
    return 0;
}
