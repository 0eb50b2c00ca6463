#include "BookProcess.h"

#include <fstream>
#include <sstream>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "Files.h"

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

namespace {
struct ShownState {
    DWORD pid;
    std::string text;
};
BOOL CALLBACK ShownProc(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<ShownState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
    char cls[256] = {}, caption[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, caption, sizeof caption);
    s->text += std::string(cls) + " \"" + caption + "\"";
    if (HWND label = GetDlgItem(w, 0xFFFF)) {
        char said[1024] = {};
        GetWindowTextA(label, said, sizeof said);
        s->text += std::string(": ") + said;
    }
    s->text += "\n";
    return TRUE;
}
}  // namespace

std::string BookProcess::Shown() const {
    if (!Running()) return "(the process has ended)\n";
    ShownState s{pi_.dwProcessId, {}};
    EnumWindows(ShownProc, reinterpret_cast<LPARAM>(&s));
    return s.text.empty() ? "(no visible window)\n" : s.text;
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

void CloseCommand::SendAndWait(HWND skin, WPARAM wParam) const {
    UINT msg = RegisterWindowMessageA("CodexiaMessageConstant");
    DWORD_PTR result = 0;
    SendMessageTimeoutA(skin, msg, wParam, 0, SMTO_NORMAL, 10000, &result);
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

namespace {

// Runs xdotool and waits for it to end. A Unix program started from Wine
// has no process handle to wait on (the wait fails at once and the exit
// code reads 1 while the program still runs), so a shell around it writes
// its exit status to a file once it has ended, and the wait is for that file.
bool RunXdotool(const char* arguments) {
    static int calls = 0;
    char unixPath[96], dosPath[96];
    std::snprintf(unixPath, sizeof unixPath, "/tmp/codexia-xdotool-%lu-%d.rc", GetCurrentProcessId(), ++calls);
    std::snprintf(dosPath, sizeof dosPath, "Z:%s", unixPath);
    for (char* c = dosPath; *c; ++c)
        if (*c == '/') *c = '\\';
    DeleteFileA(dosPath);
    char cmd[400];
    std::snprintf(cmd, sizeof cmd, "/bin/sh -c \"/usr/bin/xdotool %s; echo $? > %s.part && mv %s.part %s\"", arguments,
                  unixPath, unixPath, unixPath);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (!WaitUntil([&] { return GetFileAttributesA(dosPath) != INVALID_FILE_ATTRIBUTES; }, 20000)) return false;
    std::string status = ReadFile(dosPath);
    DeleteFileA(dosPath);
    return std::atoi(status.c_str()) == 0 && !status.empty();
}

}  // namespace

bool XServerClick(int x, int y) {
    char arguments[120];
    std::snprintf(arguments, sizeof arguments, "mousemove %d %d sleep 0.1 mousedown 1 sleep 0.05 mouseup 1", x, y);
    return RunXdotool(arguments);
}

bool XServerKey(const char* key) {
    char arguments[80];
    std::snprintf(arguments, sizeof arguments, "key %s", key);
    return RunXdotool(arguments);
}

bool WaitUntil(const std::function<bool()>& cond, int ms) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (!cond()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        // The test's own windows answer while it waits: a program that
        // sends a message to every top-level window (the platform does so
        // for settings, the clipboard and at exit) would otherwise wait for
        // this process, and the book under test would seem to hang.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
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

std::string CopyFolder(const std::string& from) {
    std::string dir = MakeTempDir();
    for (const std::string& f : FilesIn(from)) {
        std::string path = from + "\\" + f;
        if (!FileExists(path)) continue;  // folders stay behind
        CopyFileA(path.c_str(), (dir + "\\" + f).c_str(), FALSE);
    }
    return dir;
}

void SetMetaField(const std::string& dir, const std::string& field, const std::string* value) {
    std::istringstream in(ReadFile(dir + "\\book.meta"));
    std::string out;
    bool found = false;
    for (std::string l; std::getline(in, l);) {
        if (l.rfind(field + " ", 0) == 0 || l.rfind(field + "=", 0) == 0) {
            found = true;
            if (!value) continue;
            l = field + " = " + *value;
        }
        out += l + "\n";
    }
    if (!found && value) out += field + " = " + *value + "\n";
    WriteFile(dir + "\\book.meta", out);
}

ProgramRun RunProgram(const std::string& exe, const std::string& args, const std::string& dir) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE outR, outW, errR, errW;
    CreatePipe(&outR, &outW, &sa, 0);
    CreatePipe(&errR, &errW, &sa, 0);
    SetHandleInformation(outR, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errR, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = outW;
    si.hStdError = errW;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string cmd = "\"" + exe + "\" " + args;
    std::vector<char> buf(cmd.begin(), cmd.end());
    buf.push_back('\0');
    PROCESS_INFORMATION pi{};
    ProgramRun run;
    BOOL started = CreateProcessA(exe.c_str(), buf.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  dir.c_str(), &si, &pi);
    CloseHandle(outW);
    CloseHandle(errW);
    if (started) {
        auto drain = [](HANDLE h, std::string& into) {
            char chunk[4096];
            DWORD got = 0;
            while (::ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got) into.append(chunk, got);
        };
        drain(outR, run.out);
        drain(errR, run.err);
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &run.exitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    } else {
        run.exitCode = 999;
    }
    CloseHandle(outR);
    CloseHandle(errR);
    return run;
}

}  // namespace e2e
