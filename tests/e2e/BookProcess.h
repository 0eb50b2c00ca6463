// Starts the book program in a fresh working directory and drives it from
// outside: its windows, the close command, the files it leaves.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

std::string BookExe();                  // the built program
std::string MakeTempDir();              // a new empty directory
void RemoveTree(const std::string& dir);
std::vector<std::string> FilesIn(const std::string& dir);

class BookProcess {
public:
    // Starts exe (the book by default) with arguments in directory dir.
    explicit BookProcess(const std::string& dir, const std::string& args = "", std::string exe = BookExe());
    // The same in a directory whose name the narrow code page cannot spell.
    explicit BookProcess(const std::wstring& dir, const std::string& args = "");
    ~BookProcess();
    BookProcess(const BookProcess&) = delete;
    BookProcess& operator=(const BookProcess&) = delete;

    bool Running() const;
    bool WaitForExit(int ms);
    DWORD ExitCode() const;
    DWORD Pid() const { return pi_.dwProcessId; }
    DWORD ThreadId() const { return pi_.dwThreadId; }  // the book's main (window) thread
    // A visible top-level window of the process with this class (any when empty).
    HWND FindWindowOf(const std::string& className = "", bool visibleOnly = true) const;
    HWND WaitForWindow(const std::string& className, int ms = 15000) const;
    // The process's visible top-level windows, as class "caption" lines, with
    // a message box's text: what a failed wait reports.
    std::string Shown() const;
    void Kill();

private:
    PROCESS_INFORMATION pi_{};
};

// A copy of a folder's files (not its sub-folders) in a new directory.
std::string CopyFolder(const std::string& from);
// A book folder's book.meta with one field's value changed, added, or
// (value null) its line removed.
void SetMetaField(const std::string& dir, const std::string& field, const std::string* value);

// A console program run to its end: its exit code and what it wrote.
struct ProgramRun {
    DWORD exitCode = 0;
    std::string out, err;
};
ProgramRun RunProgram(const std::string& exe, const std::string& args, const std::string& dir);

// Polls until cond holds; false once ms have passed. Generous by default (a
// start on a busy machine takes seconds): waits end as soon as cond holds.
bool WaitUntil(const std::function<bool()>& cond, int ms = 30000);
std::string ReadFile(const std::string& path);  // the bytes as they are; empty when missing
void WriteFile(const std::string& path, const std::string& text);

// Puts the pointer at a screen point and waits until the platform reports it
// there. Under Wine a warp made while a window is being mapped can be undone
// by the X server's pointer event that follows, and a press sent then lands
// where the pointer was before; false when the pointer never got there.
bool PointerTo(int x, int y);
// A left click with real input at a screen point, once the pointer is there.
void ClickScreen(int x, int y);
// A click made by the X server itself, as a reader's mouse makes it (Wine
// runs the Linux tool from a Windows program); false where the tool is
// missing.
bool XServerClick(int x, int y);
// A key (an X key name: "Escape", "Return") pressed on the X server's own
// keyboard, into the window that has the focus; false where the tool is missing.
bool XServerKey(const char* key);

// The close command as a launcher sends it: the text into the shared block,
// then the registered message to the skin window.
class CloseCommand {
public:
    CloseCommand();
    ~CloseCommand();
    void WriteText(const std::string& bytes);  // raw bytes, no terminator added
    std::string ReadText() const;              // up to the first NUL
    void Send(HWND skin, WPARAM wParam) const;
    // The same, sent: back once the book has handled it (or after 10 s).
    void SendAndWait(HWND skin, WPARAM wParam) const;

private:
    HANDLE mapping_ = nullptr;
    char* view_ = nullptr;
};

}  // namespace e2e
