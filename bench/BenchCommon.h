// What the benchmark programs share: the clocks they time with, a document
// streamed into a rich edit window from memory, and draining the queue.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

// Wall clock in ms.
inline double Now() {
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// The process's processor time in ms: less at the mercy of other programs on
// a shared machine than the wall clock.
inline double Cpu() {
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto ms = [](FILETIME t) { return static_cast<double>((ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e4; };
    return ms(k) + ms(u);
}

// Bytes for EM_STREAMIN: an EDITSTREAM{&source, 0, FromMemory}.
struct Source {
    const std::string* bytes;
    std::size_t at = 0;
};

inline DWORD CALLBACK FromMemory(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
    auto* s = reinterpret_cast<Source*>(cookie);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(cb), s->bytes->size() - s->at);
    std::memcpy(buf, s->bytes->data() + s->at, n);
    s->at += n;
    *done = static_cast<LONG>(n);
    return 0;
}

// A program or file named on the command line, as a full Windows path: a
// relative path is taken from the current directory, and a path of the
// machine Wine runs on ("/home/...") is found on drive Z:. Empty, after a
// line on standard error, when nothing is there.
inline std::string FullPath(const char* arg) {
    std::string p = arg;
    if (!p.empty() && p[0] == '/') p = "Z:" + p;
    std::replace(p.begin(), p.end(), '/', '\\');
    char full[MAX_PATH] = {};
    DWORD n = GetFullPathNameA(p.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH || GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "no file at %s\n", arg);
        return {};
    }
    return full;
}

// A program in this program's folder (the baseline beside a benchmark).
inline std::string Beside(const char* name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of("\\/") + 1) + name;
}

// Every message waiting in the thread's queue, dispatched.
inline void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// A visible top-level window of the class in the process, or none.
struct Find {
    DWORD pid;
    const char* cls;
    HWND found = nullptr;
};

inline BOOL CALLBACK FindTop(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid == f->pid && IsWindowVisible(w) && std::string(cls) == f->cls) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

inline HWND TopWindow(DWORD pid, const char* cls) {
    Find f{pid, cls};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// Polls f every millisecond until it holds or ms have passed.
template <class F>
bool WaitUntil(F f, int ms) {
    for (double end = Now() + ms; Now() < end; Sleep(1))
        if (f()) return true;
    return false;
}

// A program started in a folder, ended with its object.
struct Process {
    PROCESS_INFORMATION pi{};
    bool Start(const std::string& exe, const std::string& args, const std::string& dir) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
        std::vector<char> buf(cmd.begin(), cmd.end());
        buf.push_back(0);
        if (CreateProcessA(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
            return true;
        std::printf("cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return false;
    }
    ~Process() {
        if (!pi.hProcess) return;
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
};

// A new empty folder under the temporary folder.
inline std::string FreshDir() {
    char tmp[MAX_PATH], dir[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    GetTempFileNameA(tmp, "crb", 0, dir);
    DeleteFileA(dir);
    CreateDirectoryA(dir, nullptr);
    return dir;
}

// A left click at a screen point, as the mouse gives it.
inline void Click(int x, int y) {
    SetCursorPos(x, y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

// One line of figures: minimum, median and maximum.
inline void Print(const char* name, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    std::printf("  %-26s min %9.1f %s  median %9.1f %s  max %9.1f %s\n", name, v.front(), unit, v[v.size() / 2], unit,
                v.back(), unit);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace bench
