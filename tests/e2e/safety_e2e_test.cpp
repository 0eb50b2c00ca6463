// The book started the way things go wrong: bad switches, files it cannot
// read, links it must not run. Driven from outside in fresh directories;
// the files it leaves are read back byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "BookProcess.h"

using namespace e2e;

namespace {

const std::string kId = BOOK_IDENTIFIER_TEXT;

// Generous: a start on a busy machine takes seconds. Waits end as soon as
// their condition holds.
constexpr int kPatience = 30000;

bool WaitUntil(const std::function<bool()>& cond, int ms = kPatience) {
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

// The text of a message box of another process (its label's id is 0xFFFF).
std::string BoxText(HWND box) {
    std::vector<char> buf(200000, '\0');
    SendMessageA(GetDlgItem(box, 0xFFFF), WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    return buf.data();
}

// Waits for the book's message box, returns its text and presses OK.
std::string DismissBox(BookProcess& book) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = book.FindWindowOf("#32770")) != nullptr; })) return "(no message box)";
    std::string text = BoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    return text;
}

// Presses Read on the cover with real input; the reading window it opens.
HWND PressRead(BookProcess& book, HWND skin) {
    RECT r;
    GetWindowRect(skin, &r);
    SetCursorPos(r.left + 92, r.top + 353);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    HWND read = nullptr;
    WaitUntil([&] { return (read = book.FindWindowOf("TfrmRead")) != nullptr; });
    return read;
}

class SafetyE2E : public testing::Test {
protected:
    void SetUp() override { dir = MakeTempDir(); }
    void TearDown() override { RemoveTree(dir); }
    std::string Ini() const { return dir + "\\" + kId + ".Ini"; }
    std::string Notes() const { return dir + "\\" + kId + ".Rtf"; }
    std::string dir;
};

const char kSettings[] =
    "[CodexiaBook]\r\nSaveSettings=True\r\nWindowState=wsNormal\r\nReadingFont=Arial\r\nReadingFontSize=14\r\n"
    "ReadingBackground=clCream\r\nReadingBookmark=5\r\nNotepad=False\r\n";
const char kNotes[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 My own notes.\\par}";

}  // namespace

// A start whose creation failed before the settings were read: the error
// shows, and a close of the reading window afterwards deletes nothing.
TEST_F(SafetyE2E, AFailedStartNeverDeletesTheSettings) {
    struct Case {
        const char* args;
        const char* lock;  // a file the test holds open without sharing, or null
        const char* error;
    };
    for (const Case& c : {Case{"/RI", nullptr, "'' is not a valid integer value."},
                          Case{"/RKnocolour", nullptr, "'nocolour' is not a valid integer value."},
                          Case{"/NIbig", nullptr, "'big' is not a valid integer value."},
                          Case{"", "Ini", "File access denied."}, Case{"", "Rtf", nullptr}}) {
        SCOPED_TRACE(std::string(c.args) + (c.lock ? std::string(" lock ") + c.lock : ""));
        WriteFile(Ini(), kSettings);
        WriteFile(Notes(), kNotes);
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (c.lock) {
            std::string p = std::string(c.lock) == "Ini" ? Ini() : Notes();
            lock = CreateFileA(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        }
        BookProcess book(dir, c.args);
        std::string shown = DismissBox(book);
        if (c.error) EXPECT_EQ(shown, c.error);
        else EXPECT_NE(shown, "(no message box)");
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        HWND skin = book.WaitForWindow("TForm1", kPatience);
        ASSERT_NE(skin, nullptr);
        HWND read = PressRead(book, skin);
        ASSERT_NE(read, nullptr);
        PostMessageA(read, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(read); }));
        PostMessageA(skin, WM_CLOSE, 0, 0);
        ASSERT_TRUE(book.WaitForExit(kPatience));
        EXPECT_EQ(book.ExitCode(), 0u);
        EXPECT_EQ(ReadFile(Ini()), kSettings);
        EXPECT_EQ(ReadFile(Notes()), kNotes);
    }
}

