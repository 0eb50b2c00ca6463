// startup_bench PROGRAM_A PROGRAM_B [RUNS]: starts each program in turn, times
// process start to its first visible top-level window, ends it, and prints
// minimum, median and maximum per program and the ratio of the medians. It
// also times how long after that the window answers a message from another
// thread (the program reads its messages): the window is there to use, not
// only to see.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../BenchCommon.h"

namespace {

struct Find {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == f->pid && IsWindowVisible(w)) {
        RECT r;
        GetWindowRect(w, &r);
        if (r.right > r.left && r.bottom > r.top) {
            f->found = w;
            return FALSE;
        }
    }
    return TRUE;
}

struct Times {
    double shown = -1, answers = -1;
};

Times Once(const std::string& exe) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exe + "\"";
    std::vector<char> buf(cmd.begin(), cmd.end());
    buf.push_back(0);
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, dir, &si, &pi)) {
        std::printf("cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return {};
    }
    Find find{pi.dwProcessId, nullptr};
    for (int k = 0; k < 30000 && !find.found; ++k) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&find));
        if (!find.found) Sleep(1);
    }
    QueryPerformanceCounter(&t1);
    LARGE_INTEGER t2 = t1;
    DWORD_PTR result = 0;
    if (find.found && SendMessageTimeoutA(find.found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result))
        QueryPerformanceCounter(&t2);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    Sleep(100);
    if (!find.found) return {};
    auto ms = [&](LARGE_INTEGER a, LARGE_INTEGER b) {
        return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
    };
    return {ms(t0, t1), ms(t1, t2)};
}

void Print(const char* name, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-10s min %8.1f ms  median %8.1f ms  max %8.1f ms  (%zu runs)\n", name, v.front(), v[v.size() / 2],
                v.back(), v.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: startup_bench BOOK.EXE BASELINE.EXE [RUNS]\n");
        return 2;
    }
    int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
    // Either program by any path: relative, absolute, or the Linux one.
    const std::string book = bench::FullPath(argv[1]), baseline = bench::FullPath(argv[2]);
    if (book.empty() || baseline.empty()) return 2;
    std::vector<double> a, b, aa, ba;
    Once(book);  // warm the file cache and the server
    Once(baseline);
    for (int k = 0; k < runs; ++k) {
        Times x = Once(book), y = Once(baseline);
        if (x.shown < 0 || y.shown < 0) {
            std::printf("a program did not show a window\n");
            return 1;
        }
        a.push_back(x.shown);
        b.push_back(y.shown);
        aa.push_back(x.answers);
        ba.push_back(y.answers);
    }
    Print("book", a);
    Print("baseline", b);
    std::printf("then answers a message:\n");
    Print("book", aa);
    Print("baseline", ba);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::printf("ratio of medians (book / baseline): %.2f\n", a[a.size() / 2] / b[b.size() / 2]);
    return 0;
}
