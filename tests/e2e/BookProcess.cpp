#include "BookProcess.h"

#include <fstream>
#include <sstream>

#include <cstring>
#include <stdexcept>

namespace e2e {

std::string BookExe() { return BOOK_EXE_PATH; }

std::string MakeTempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        std::string dir = std::string(base) + "codexia-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + dir);
    }
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..") out.push_back(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

void RemoveTree(const std::string& dir) {
    for (auto& f : FilesIn(dir)) {
        std::string p = dir + "\\" + f;
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(p.c_str())) RemoveTree(p);
    }
    RemoveDirectoryA(dir.c_str());
}

BookProcess::BookProcess(const std::string& dir, const std::string& args, std::string exe) {
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::vector<char> buf(cmd.begin(), cmd.end());
    buf.push_back('\0');
    if (!CreateProcessA(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_))
        throw std::runtime_error("cannot start " + exe + " (" + std::to_string(GetLastError()) + ")");
}

BookProcess::BookProcess(const std::wstring& dir, const std::string& args) {
    std::string exe = BookExe();
    std::wstring wexe(exe.begin(), exe.end());  // the build path is plain ASCII
    std::wstring cmd = L"\"" + wexe + L"\"" + (args.empty() ? L"" : L" " + std::wstring(args.begin(), args.end()));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::vector<wchar_t> buf(cmd.begin(), cmd.end());
    buf.push_back(L'\0');
    if (!CreateProcessW(wexe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_))
        throw std::runtime_error("cannot start " + exe + " (" + std::to_string(GetLastError()) + ")");
}

BookProcess::~BookProcess() {
    Kill();
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
    if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool BookProcess::Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool BookProcess::WaitForExit(int ms) { return WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(ms)) == WAIT_OBJECT_0; }

DWORD BookProcess::ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

void BookProcess::Kill() {
    if (pi_.hProcess && Running()) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
}

namespace {
struct FindState {
    DWORD pid;
    const std::string* cls;
    bool visibleOnly;
    HWND found;
};
BOOL CALLBACK FindProc(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<FindState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid) return TRUE;
    if (s->visibleOnly && !IsWindowVisible(w)) return TRUE;
    char cls[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (!s->cls->empty() && *s->cls != cls) return TRUE;
    s->found = w;
    return FALSE;
}
}  // namespace

HWND BookProcess::FindWindowOf(const std::string& className, bool visibleOnly) const {
    FindState s{pi_.dwProcessId, &className, visibleOnly, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND BookProcess::WaitForWindow(const std::string& className, int ms) const {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    for (;;) {
        if (HWND w = FindWindowOf(className)) return w;
        if (!Running() || static_cast<int>(end - GetTickCount()) <= 0) return nullptr;
        Sleep(20);
    }
}

CloseCommand::CloseCommand() {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2000, "CodexiaMappingConstant");
    if (!mapping_) throw std::runtime_error("cannot create the close command block");
    view_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
    if (!view_) throw std::runtime_error("cannot map the close command block");
}

CloseCommand::~CloseCommand() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
}

void CloseCommand::WriteText(const std::string& bytes) {
    std::memset(view_, 0, 2000);
    std::memcpy(view_, bytes.data(), bytes.size() < 2000 ? bytes.size() : 2000);
}

std::string CloseCommand::ReadText() const { return std::string(view_, strnlen(view_, 2000)); }

void CloseCommand::Send(HWND skin, WPARAM wParam) const {
    UINT msg = RegisterWindowMessageA("CodexiaMessageConstant");
    PostMessageA(skin, msg, wParam, 0);
}

bool PointerTo(int x, int y) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
        SetCursorPos(x, y);
        Sleep(20);
        POINT p;
        if (GetCursorPos(&p) && p.x == x && p.y == y) {
            Sleep(20);  // and it stays there
            if (GetCursorPos(&p) && p.x == x && p.y == y) return true;
        }
    }
    return false;
}

void ClickScreen(int x, int y) {
    PointerTo(x, y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

bool WaitUntil(const std::function<bool()>& cond, int ms) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (!cond()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Sleep(20);
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

}  // namespace e2e
