// What the benchmark programs share: the clocks they time with, a document
// streamed into a rich edit window from memory, and draining the queue.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

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

// Every message waiting in the thread's queue, dispatched.
inline void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace bench
