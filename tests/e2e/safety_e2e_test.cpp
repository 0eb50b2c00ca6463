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
#include "TestUtil.h"

using namespace e2e;

namespace {

const std::string kId = BOOK_IDENTIFIER_TEXT;

// Generous: a start on a busy machine takes seconds. Waits end as soon as
// their condition holds.
constexpr int kPatience = 30000;

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
// Read clicked on the cover; the reading window or none. Under Wine a press
// soon after a start is now and then lost, and a reader presses again: so
// does this, after five seconds, unless the first press is what is tested.
HWND PressRead(BookProcess& book, HWND skin, bool again = true) {
    RECT r;
    GetWindowRect(skin, &r);
    HWND read = nullptr;
    for (int press = 0; press < (again ? 2 : 1) && !read; ++press) {
        ClickScreen(r.left + 92, r.top + 353);
        WaitUntil([&] { return (read = book.FindWindowOf("TfrmRead")) != nullptr; }, again && press == 0 ? 5000 : 30000);
    }
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

namespace {

// The file-name part of the book's path: the single-instance mutex's name.
std::string ExeFileName() {
    std::string exe = BookExe();
    return exe.substr(exe.find_last_of("\\/") + 1);
}

bool MutexExists() {
    HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, ExeFileName().c_str());
    if (!m) return false;
    CloseHandle(m);
    return true;
}

// Sends the close command to the book's skin window.
void SendClose(CloseCommand& cmd, HWND skin) {
    cmd.WriteText("C");
    cmd.Send(skin, 1);
}

int CountFromEnvironment(const char* name, int fallback) {
    char buf[32] = {};
    if (GetEnvironmentVariableA(name, buf, sizeof buf) == 0) return fallback;
    int n = atoi(buf);
    return n > 0 ? n : fallback;
}

// What the book's window thread is doing, seen from outside: the windows
// holding the capture, the activation and the focus, and whether it is in a
// move, a menu or a modal loop of the system's.
std::string ThreadState(const BookProcess& book) {
    GUITHREADINFO g{};
    g.cbSize = sizeof g;
    if (!GetGUIThreadInfo(book.ThreadId(), &g)) return "(no thread information)";
    auto name = [](HWND w) {
        if (!w) return std::string("none");
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        return std::string(cls) + (IsWindowVisible(w) ? "" : " (hidden)") + (IsWindowEnabled(w) ? "" : " (disabled)");
    };
    return "capture " + name(g.hwndCapture) + ", active " + name(g.hwndActive) + ", focus " + name(g.hwndFocus) +
           ", flags " + std::to_string(g.flags);
}

}  // namespace

// A launcher's bad switch costs the reader neither the settings nor the book:
// with a saved settings file, the error box shows; once it is dismissed with
// a click on OK, one click on Read opens the reading window and, once the
// reader has closed it with Escape, one click on About the About window, at
// every start. The clicks and the key come from the X server, as a reader's
// mouse and keyboard make them (injected where xdotool cannot run, or with
// CODEXIA_BAD_SWITCH_XSERVER=0).
// CODEXIA_BAD_SWITCH_STARTS sets the starts per switch (20 by hand),
// CODEXIA_BAD_SWITCH_BOX_MS how long the box stays up before OK, and
// CODEXIA_BAD_SWITCH_PAUSE_MS the wait between the box and Read (3000 by hand).
TEST_F(SafetyE2E, AfterABadSwitchReadAndAboutOpenOnTheFirstClick) {
    const int starts = CountFromEnvironment("CODEXIA_BAD_SWITCH_STARTS", 1);
    const int pause = CountFromEnvironment("CODEXIA_BAD_SWITCH_PAUSE_MS", 1000);
    const int readBox = CountFromEnvironment("CODEXIA_BAD_SWITCH_BOX_MS", 500);
    const int readPage = CountFromEnvironment("CODEXIA_BAD_SWITCH_PAGE_MS", 1000);
    const char settings[] =
        "[CodexiaBook]\r\nSaveSettings=True\r\nReadingFont=Arial\r\nReadingFontSize=14\r\n"
        "ReadingBackground=clWhite\r\nReadingBookmark=0\r\nNotepadFontColor=clBlack\r\nNotepad=False\r\n"
        "WindowState=wsNormal\r\n";
    char choice[8] = {};
    GetEnvironmentVariableA("CODEXIA_BAD_SWITCH_XSERVER", choice, sizeof choice);
    const bool xserver = choice[0] != '0';
    auto click = [xserver](int x, int y) {
        if (!xserver || !XServerClick(x, y)) ClickScreen(x, y);
    };
    auto escape = [xserver] {
        if (!xserver || !XServerKey("Escape")) testsupport::SendKeyPressInput(VK_ESCAPE);
    };
    int opened = 0, tried = 0;
    for (const char* sw : {"/RI", "/RIabc", "/RKnotacolour", "/NI", "/NKnotacolour"}) {
        for (int k = 0; k < starts; ++k) {
            SCOPED_TRACE(std::string(sw) + " start " + std::to_string(k + 1));
            ++tried;
            WriteFile(Ini(), settings);
            BookProcess book(dir, sw);
            HWND box = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (box = book.FindWindowOf("#32770")) != nullptr; }));
            EXPECT_NE(BoxText(box).find("is not a valid"), std::string::npos) << BoxText(box);
            // The reader reads the box first: the book may finish loading meanwhile.
            Sleep(static_cast<DWORD>(readBox));
            RECT ok;
            ASSERT_TRUE(GetWindowRect(GetDlgItem(box, IDOK), &ok));
            click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
            Sleep(static_cast<DWORD>(pause));
            HWND skin = book.WaitForWindow("TForm1", kPatience);
            ASSERT_NE(skin, nullptr);
            RECT r;
            GetWindowRect(skin, &r);
            click(r.left + 92, r.top + 353);
            HWND read = nullptr;
            WaitUntil([&] { return (read = book.FindWindowOf("TfrmRead")) != nullptr; }, 30000);
            EXPECT_NE(read, nullptr) << "Read: " << ThreadState(book);
            if (read) {
                // Closed as a reader closes it, once read; the reader sees it
                // go, then clicks About.
                Sleep(static_cast<DWORD>(readPage));
                escape();
                EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(read); }, 10000)) << "Escape: " << ThreadState(book);
                Sleep(500);
                click(r.left + 158, r.top + 353);
                HWND about = nullptr;
                WaitUntil([&] { return (about = book.FindWindowOf("TfrmAbout")) != nullptr; }, 10000);
                EXPECT_NE(about, nullptr) << "About: " << ThreadState(book);
                if (about) {
                    ++opened;
                    PostMessageA(about, WM_CLOSE, 0, 0);
                    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
                }
            }
            PostMessageA(skin, WM_CLOSE, 0, 0);
            ASSERT_TRUE(book.WaitForExit(kPatience));
            EXPECT_EQ(ReadFile(Ini()), settings);
        }
    }
    std::printf("%d of %d starts with a bad switch opened Read and About\n", opened, tried);
}

// Start and close again and again, as a launcher would: every copy ends by
// itself with code 0, leaves no window and no mutex, and the reader's files
// are byte for byte what they were. CODEXIA_START_CYCLES sets the count
// (200 for the long run by hand).
TEST_F(SafetyE2E, ManyStartAndCloseCommandCyclesLeaveNothingBehind) {
    const int cycles = CountFromEnvironment("CODEXIA_START_CYCLES", 10);
    WriteFile(Ini(), kSettings);
    WriteFile(Notes(), kNotes);
    CloseCommand cmd;
    DWORD started = GetTickCount();
    for (int k = 0; k < cycles; ++k) {
        SCOPED_TRACE("cycle " + std::to_string(k + 1));
        DWORD pid = 0;
        {
            BookProcess book(dir);
            pid = book.Pid();
            HWND skin = book.WaitForWindow("TForm1", kPatience);
            ASSERT_NE(skin, nullptr) << (book.Running() ? std::string("still starting after 30 s")
                                                        : "ended by itself with code " + std::to_string(book.ExitCode()));
            SendClose(cmd, skin);
            ASSERT_TRUE(book.WaitForExit(kPatience));
            EXPECT_EQ(book.ExitCode(), 0u);
            EXPECT_EQ(book.FindWindowOf("", false), nullptr);
        }
        EXPECT_FALSE(MutexExists());
        ASSERT_EQ(ReadFile(Ini()), kSettings);
        ASSERT_EQ(ReadFile(Notes()), kNotes);
        ASSERT_EQ(FilesIn(dir).size(), 2u);
        (void)pid;
    }
    std::printf("%d start/close cycles in %lu ms\n", cycles, static_cast<unsigned long>(GetTickCount() - started));
}

// Ten copies started at once: exactly one stays; the nine others end by
// themselves within 5 s, and none writes a file.
TEST_F(SafetyE2E, TenRacingStartsLeaveExactlyOneRunning) {
    std::vector<std::unique_ptr<BookProcess>> books;
    for (int k = 0; k < 10; ++k) books.push_back(std::make_unique<BookProcess>(dir));
    auto running = [&] {
        int n = 0;
        for (auto& b : books) n += b->Running() ? 1 : 0;
        return n;
    };
    // A refused copy goes through the whole start before it ends, so the 5 s
    // are counted on top of the time a start takes on this machine (the time
    // the one copy needed to show its window).
    DWORD begun = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& b : books)
            if (b->FindWindowOf("TForm1")) return true;
        return false;
    }));
    DWORD startMs = GetTickCount() - begun;
    EXPECT_TRUE(WaitUntil([&] { return running() <= 1; }, static_cast<int>(startMs) + 5000))
        << running() << " copies still run " << startMs + 5000 << " ms after the start";
    std::printf("a start took %lu ms; the refused copies had all ended %lu ms after the ten were started\n",
                static_cast<unsigned long>(startMs), static_cast<unsigned long>(GetTickCount() - begun));
    ASSERT_EQ(running(), 1);
    BookProcess* survivor = nullptr;
    for (auto& b : books) {
        if (b->Running()) survivor = b.get();
        else EXPECT_EQ(b->ExitCode(), 0u);
    }
    HWND skin = survivor->WaitForWindow("TForm1", kPatience);
    ASSERT_NE(skin, nullptr);
    CloseCommand cmd;
    SendClose(cmd, skin);
    EXPECT_TRUE(survivor->WaitForExit(kPatience));
    EXPECT_FALSE(MutexExists());
    EXPECT_TRUE(FilesIn(dir).empty());
}

// A close command that arrives while the program is still starting (its
// skin window made but not yet shown) ends it like any other.
TEST_F(SafetyE2E, ACloseCommandDuringStartIsObeyed) {
    WriteFile(Ini(), kSettings);
    CloseCommand cmd;
    BookProcess book(dir);
    HWND skin = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (skin = book.FindWindowOf("TForm1", false)) != nullptr; }));
    bool shownAlready = IsWindowVisible(skin) != 0;
    SendClose(cmd, skin);
    EXPECT_TRUE(book.WaitForExit(kPatience));
    EXPECT_EQ(book.ExitCode(), 0u);
    EXPECT_EQ(ReadFile(Ini()), kSettings);
    EXPECT_EQ(FilesIn(dir).size(), 1u);
    if (shownAlready) std::printf("note: the skin window was already showing when the command was sent\n");
}

namespace {

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.resize(w.size() - 1);
    return w;
}

std::string ReadWideFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "(missing)";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool WriteWideFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    CloseHandle(h);
    return ok;
}

BOOL CALLBACK FindEdit(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) != "Cx.EDIT") return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
}

std::string EditText(HWND parent) {
    HWND edit = nullptr;
    EnumChildWindows(parent, FindEdit, reinterpret_cast<LPARAM>(&edit));
    char buf[64] = {};
    if (edit) SendMessageA(edit, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

}  // namespace

// A book in a folder named in Cyrillic and Chinese letters (which the narrow
// code page cannot spell) reads its settings there, and saves its settings
// and notes there, not somewhere else.
TEST_F(SafetyE2E, AFolderNamedInOtherAlphabetsKeepsItsSettingsAndNotes) {
    const std::wstring folder = Wide(dir) + L"\\\x041A\x043D\x0438\x0433\x0430 \x4E66\x7C4D";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring ini = folder + L"\\" + Wide(kId) + L".Ini", notes = folder + L"\\" + Wide(kId) + L".Rtf";
    ASSERT_TRUE(WriteWideFile(ini, "[CodexiaBook]\r\nSaveSettings=True\r\nReadingFontSize=14\r\n"));
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        BookProcess book(folder);
        HWND skin = book.WaitForWindow("TForm1", kPatience);
        ASSERT_NE(skin, nullptr);
        EXPECT_EQ(book.FindWindowOf("#32770"), nullptr) << "an error was shown";
        HWND read = PressRead(book, skin);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(EditText(read), "14");
        PostMessageA(read, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(read); }));
        EXPECT_EQ(book.FindWindowOf("#32770"), nullptr) << "saving showed a message";
        PostMessageA(skin, WM_CLOSE, 0, 0);
        ASSERT_TRUE(book.WaitForExit(kPatience));
        std::string settings = ReadWideFile(ini);
        EXPECT_NE(settings.find("SaveSettings=True"), std::string::npos) << settings;
        EXPECT_NE(settings.find("ReadingFontSize=14"), std::string::npos) << settings;
        EXPECT_NE(settings.find("Notepad=False"), std::string::npos) << settings;
        EXPECT_EQ(ReadWideFile(notes).rfind("{\\rtf", 0), 0u);
    }
    // Nothing was written beside the folder instead.
    EXPECT_EQ(FilesIn(dir).size(), 1u);
    std::wstring all = folder + L"\\*";
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(all.c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int files = 0;
    do files += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileW(h, &fd));
    FindClose(h);
    EXPECT_EQ(files, 2);
    DeleteFileW(ini.c_str());
    DeleteFileW(notes.c_str());
    RemoveDirectoryW(folder.c_str());
}

namespace {

// Dismisses every message box the book shows until none comes for a while;
// their texts.
std::vector<std::string> DismissAll(BookProcess& book, int quietMs = 800) {
    std::vector<std::string> texts;
    // Errors of the creation handlers come before the skin window shows.
    WaitUntil([&] { return book.FindWindowOf("#32770") || book.FindWindowOf("TForm1") || !book.Running(); }, kPatience);
    for (;;) {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = book.FindWindowOf("#32770")) != nullptr || !book.Running(); }, quietMs) ||
            !box)
            return texts;
        texts.push_back(BoxText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    }
}

BOOL CALLBACK FindSaveSettings(HWND w, LPARAM lp) {
    char text[64] = {};
    GetWindowTextA(w, text, sizeof text);
    if (std::string(text) != "Save Settings") return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
}

// Every line of a settings file is "[CodexiaBook]" or key=value with one of
// the seven keys, each key once.
bool WellFormedSettings(const std::string& text, std::string& why) {
    std::istringstream in(text);
    std::string line;
    std::vector<std::string> keys;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (first) {
            first = false;
            if (line != "[CodexiaBook]") return why = "first line " + line.substr(0, 40), false;
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos) return why = "no '=' in " + line.substr(0, 40), false;
        keys.push_back(line.substr(0, eq));
    }
    std::vector<std::string> want = {"SaveSettings", "WindowState", "ReadingFont", "ReadingFontSize",
                                     "ReadingBackground", "ReadingBookmark", "Notepad"};
    for (auto& k : want)
        if (std::count(keys.begin(), keys.end(), k) != 1) return why = "key " + k + " not there once", false;
    if (keys.size() != want.size()) return why = "unexpected keys", false;
    return true;
}

}  // namespace

// Garbage in every switch and every key: the program keeps running, shows
// the conversion error where a number or colour is wanted, and a later close
// with Save Settings checked writes a well-formed file.
TEST_F(SafetyE2E, GarbageSwitchesAndSettingsKeepTheProgramRunning) {
    const std::string longText(30000, 'W');  // about the longest a command line takes
    const std::vector<std::string> switches = {
        "/RI2147483648", "/RI-2147483649", "/RI99999999999999999999", "/RI 12x", "/RK" + longText, "/RKclPurple-ish",
        "/RF" + longText, "/NF\x01\x02\x7F", "/NK", "/NI$", "/RI\t", "/X" + longText};
    for (const std::string& s : switches) {
        SCOPED_TRACE(s.substr(0, 40));
        BookProcess book(dir, "\"" + s + "\"");
        std::vector<std::string> shown = DismissAll(book);
        for (auto& t : shown) EXPECT_NE(t.find("is not a valid integer value"), std::string::npos) << t.substr(0, 80);
        HWND skin = book.WaitForWindow("TForm1", kPatience);
        ASSERT_NE(skin, nullptr);
        ASSERT_TRUE(book.Running());
        PostMessageA(skin, WM_CLOSE, 0, 0);
        EXPECT_TRUE(book.WaitForExit(kPatience));
        EXPECT_TRUE(FilesIn(dir).empty());
    }
    const std::string huge(100000, 'Z');
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings= True\r\nWindowState=" + huge + "\r\nReadingFont=" + huge +
                         "\r\nReadingFontSize=2147483647\r\nReadingBackground=$FFFFFFFFF\r\nReadingBookmark=-2147483648"
                         "\r\nNotepad=\x01\x02\r\n");
    BookProcess book(dir);
    std::vector<std::string> shown = DismissAll(book);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "'$FFFFFFFFF' is not a valid integer value.");
    HWND skin = book.WaitForWindow("TForm1", kPatience);
    ASSERT_NE(skin, nullptr);
    HWND read = PressRead(book, skin);
    ASSERT_NE(read, nullptr);
    HWND box = nullptr;
    EnumChildWindows(read, FindSaveSettings, reinterpret_cast<LPARAM>(&box));
    ASSERT_NE(box, nullptr);
    if (SendMessageA(box, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageA(box, BM_CLICK, 0, 0);
    PostMessageA(read, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(read); }));
    EXPECT_TRUE(DismissAll(book, 300).empty());
    PostMessageA(skin, WM_CLOSE, 0, 0);
    ASSERT_TRUE(book.WaitForExit(kPatience));
    std::string why, text = ReadFile(Ini());
    EXPECT_TRUE(WellFormedSettings(text, why)) << why;
    EXPECT_NE(text.find("SaveSettings=True\r\n"), std::string::npos);
    auto at = text.find("ReadingFontSize=");
    ASSERT_NE(at, std::string::npos);
    std::string size = text.substr(at + 16, text.find('\r', at) - at - 16);
    EXPECT_FALSE(size.empty());
    EXPECT_EQ(size.find_first_not_of("-0123456789"), std::string::npos) << size;
}

namespace {

struct PaneFind {
    HWND best = nullptr;
    int bestLeft = -1;
};
// The rightmost rich edit window of the reading window: the notepad pane.
BOOL CALLBACK FindPane(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    auto* f = reinterpret_cast<PaneFind*>(lp);
    RECT r;
    GetWindowRect(w, &r);
    CharUpperA(cls);
    if (std::strstr(cls, "RICHEDIT") && IsWindowVisible(w) && r.left > f->bestLeft) {
        f->best = w;
        f->bestLeft = r.left;
    }
    return TRUE;
}

HWND NotepadPane(HWND read) {
    PaneFind f;
    EnumChildWindows(read, FindPane, reinterpret_cast<LPARAM>(&f));
    return f.best;
}

// A run of the book with the reading window opened through Read and its
// notepad pane found, for settings that show the pane (Notepad=True).
struct ReadingRun {
    explicit ReadingRun(const std::string& dir) : book(dir) {
        skin = book.WaitForWindow("TForm1", kPatience);
        if (skin) read = PressRead(book, skin);
        // The pane right of the splitter, once the window shows it.
        if (read)
            WaitUntil([&] {
                HWND p = NotepadPane(read);
                RECT r{}, c{};
                if (!p || !GetWindowRect(p, &r) || !GetWindowRect(read, &c)) return false;
                pane = r.left - c.left > (c.right - c.left) / 3 ? p : nullptr;
                return pane != nullptr;
            });
    }
    // Closes the reading window, then the book; each may take up to ms.
    testing::AssertionResult Close(int ms = kPatience) {
        PostMessageA(read, WM_CLOSE, 0, 0);
        if (!WaitUntil([&] { return !IsWindowVisible(read); }, ms))
            return testing::AssertionFailure() << "the reading window stays; shown:\n" << book.Shown();
        PostMessageA(skin, WM_CLOSE, 0, 0);
        if (!book.WaitForExit(ms)) return testing::AssertionFailure() << "the book runs on; shown:\n" << book.Shown();
        return testing::AssertionSuccess();
    }
    BookProcess book;
    HWND skin = nullptr, read = nullptr, pane = nullptr;
};

BOOL CALLBACK FindNotepad(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (_stricmp(cls, "Notepad") == 0) *reinterpret_cast<bool*>(lp) = true;
    return TRUE;
}

}  // namespace

// The notes file is anyone's to edit: a program link in it, clicked in the
// notepad pane with the real mouse, starts nothing and the reader is told why.
TEST_F(SafetyE2E, AProgramLinkInTheNotesStartsNothing) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nNotepad=True\r\n");
    WriteFile(Notes(), "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs28 file://C:/windows/system32/notepad.exe\\par}");
    BookProcess book(dir);
    HWND skin = book.WaitForWindow("TForm1", kPatience);
    ASSERT_NE(skin, nullptr);
    HWND read = PressRead(book, skin);
    ASSERT_NE(read, nullptr);
    HWND pane = NotepadPane(read);
    ASSERT_NE(pane, nullptr);
    Sleep(300);
    POINT p{30, 10};
    ClientToScreen(pane, &p);
    ClickScreen(p.x, p.y);
    std::string shown = DismissBox(book);
    EXPECT_EQ(shown.rfind("The link file://C:/windows/system32/notepad.exe was not opened: ", 0), 0u) << shown;
    Sleep(500);
    bool notepad = false;
    EnumWindows(FindNotepad, reinterpret_cast<LPARAM>(&notepad));
    EXPECT_FALSE(notepad) << "a Notepad window opened";
    PostMessageA(skin, WM_CLOSE, 0, 0);
    EXPECT_TRUE(book.WaitForExit(kPatience));
}

namespace {

// Types text as a keyboard in another layout would: one UTF-16 unit per key.
void TypeUnicode(const std::wstring& text) { testsupport::SendTextInput(text); }

// The characters a stored rich text document holds as \uN escapes, in order.
std::wstring EscapedCharacters(const std::string& rtf) {
    std::wstring out;
    for (size_t at = rtf.find("\\u"); at != std::string::npos; at = rtf.find("\\u", at + 2)) {
        size_t end = at + 2;
        bool negative = end < rtf.size() && rtf[end] == '-';
        if (negative) ++end;
        if (end >= rtf.size() || !isdigit(static_cast<unsigned char>(rtf[end]))) continue;
        long v = std::strtol(rtf.c_str() + end, nullptr, 10);
        out += static_cast<wchar_t>(negative ? 65536 - v : v);
    }
    return out;
}

}  // namespace

// Greek and Chinese typed into the notepad pane are kept as typed: saved in
// the notes file, read back at the next start and saved again unchanged.
TEST_F(SafetyE2E, GreekAndChineseTypedIntoTheNotesSurviveARestart) {
    const std::wstring typed = L"\x0395\x03bb\x03bb\x03b7\x03bd\x03b9\x03ba\x03ac \x4e2d\x6587";
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nNotepad=True\r\n");
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        ReadingRun r(dir);
        HWND pane = r.pane;
        ASSERT_NE(pane, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(pane) != FALSE; }));
        if (run == 0) {
            POINT p{30, 10};
            ClientToScreen(pane, &p);
            ClickScreen(p.x, p.y);
            ASSERT_TRUE(WaitUntil([&] {
                GUITHREADINFO gi = {};
                gi.cbSize = sizeof gi;
                return GetGUIThreadInfo(r.book.ThreadId(), &gi) && gi.hwndFocus == pane;
            }));
            TypeUnicode(typed);
            // Typing is done when the pane holds every character.
            ASSERT_TRUE(WaitUntil([&] {
                return SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0) >= static_cast<LRESULT>(typed.size());
            }));
        }
        ASSERT_TRUE(r.Close());
        // The space between the words is stored as itself, the letters as escapes.
        EXPECT_NE(EscapedCharacters(ReadFile(Notes())).find(L"\x0395\x03bb\x03bb\x03b7\x03bd\x03b9\x03ba\x03ac\x4e2d\x6587"),
                  std::wstring::npos)
            << ReadFile(Notes());
    }
}

namespace {

// Notes of about n characters in paragraphs of words, some bold.
std::string LongNotes(std::size_t n) {
    static const char* const kWords[] = {"harbour", "lantern", "tide", "quay", "ferry", "gull", "rope", "mast",
                                         "anchor", "lamp", "wick", "bell", "clock", "letter", "kettle", "bread"};
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    std::size_t chars = 0;
    for (unsigned k = 0; chars < n; ++k) {
        std::string word = kWords[(k * 7 + k / 13) % 16];
        if (k % 97 == 0) {
            rtf += "\\b " + word + "\\b0 ";
        } else {
            rtf += word + " ";
        }
        chars += word.size() + 1;
        if (k % 40 == 39) {
            rtf += "\\par\n";
            chars += 1;
        }
    }
    return rtf + "\\par}";
}

struct RtfSource {
    const std::string* s;
    std::size_t at;
};

DWORD CALLBACK ReadRtfSource(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
    auto* src = reinterpret_cast<RtfSource*>(cookie);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(cb), src->s->size() - src->at);
    std::memcpy(buf, src->s->data() + src->at, n);
    src->at += n;
    *done = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK AppendOut(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buf), static_cast<std::size_t>(cb));
    *done = cb;
    return 0;
}

// A hidden window of the platform's rich edit holding the document.
HWND PlatformWindowWith(const std::string& rtf) {
    LoadLibraryA("RICHED20.DLL");
    HWND w = CreateWindowExA(0, "RichEdit20A", "", ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    SendMessageA(w, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    RtfSource src{&rtf, 0};
    EDITSTREAM in{reinterpret_cast<DWORD_PTR>(&src), 0, ReadRtfSource};
    SendMessageA(w, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&in));
    return w;
}

// The first paragraphs' indents (first line / offset of the other lines,
// in twips) as the platform's rich edit reads the document.
std::string IndentsOf(const std::string& rtf, int paragraphs = 2) {
    HWND w = PlatformWindowWith(rtf);
    std::string out;
    for (int k = 0; k < paragraphs; ++k) {
        LRESULT at = SendMessageA(w, EM_LINEINDEX, k, 0);
        CHARRANGE r{static_cast<LONG>(at), static_cast<LONG>(at)};
        SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        PARAFORMAT2 pf{};
        pf.cbSize = sizeof pf;
        SendMessageA(w, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
        if (k) out += ' ';
        out += std::to_string(pf.dxStartIndent);
        out += '/';
        out += std::to_string(pf.dxOffset);
    }
    DestroyWindow(w);
    return out;
}

// The text of an RTF document as the platform's rich edit window reads it.
std::string PlainTextOf(const std::string& rtf) {
    HWND w = PlatformWindowWith(rtf);
    std::string text;
    EDITSTREAM out{reinterpret_cast<DWORD_PTR>(&text), 0, AppendOut};
    SendMessageA(w, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&out));
    DestroyWindow(w);
    return text;
}

}  // namespace

// Long notes are neither cut at load nor at save: notes of 100,000
// characters (and, with CODEXIA_BIG_DOCUMENTS set, 2,000,000) shown in the
// notepad pane, saved at close, and saved again after a restart keep every
// character, and the second save is the first one byte for byte.
TEST_F(SafetyE2E, LongNotesSurviveACloseAndARestart) {
    std::vector<std::size_t> lengths = {100000};
    if (GetEnvironmentVariableA("CODEXIA_BIG_DOCUMENTS", nullptr, 0) > 0) lengths.push_back(2000000);
    for (std::size_t n : lengths) {
        SCOPED_TRACE(std::to_string(n) + " characters");
        const std::string original = LongNotes(n);
        const std::string text = PlainTextOf(original);
        ASSERT_GE(text.size(), n);
        const std::size_t chars = text.size() - static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nNotepad=True\r\n");
        WriteFile(Notes(), original);
        std::string saved[2];
        for (int run = 0; run < 2; ++run) {
            SCOPED_TRACE("run " + std::to_string(run + 1));
            ReadingRun r(dir);
            ASSERT_NE(r.pane, nullptr);
            // The pane counts a paragraph break as one character, less the last.
            GETTEXTLENGTHEX all{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
            auto shown = [&] { return SendMessageA(r.pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&all), 0); };
            EXPECT_TRUE(WaitUntil([&] { return shown() >= static_cast<LRESULT>(chars - 1); }, 120000))
                << "the pane shows " << shown() << " of " << chars << " characters";
            ASSERT_TRUE(r.Close(120000));
            saved[run] = ReadFile(Notes());
            EXPECT_EQ(PlainTextOf(saved[run]), text) << "every character is kept";
        }
        EXPECT_TRUE(saved[0] == saved[1]) << "a restart saves the same file again";
    }
}

// The reader's notes keep their paragraphs' indents through saves and
// restarts (the platform's writer under Wine names them wrongly; the
// control writes them right).
TEST_F(SafetyE2E, NotesKeepTheirIndentsThroughRestarts) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nNotepad=True\r\n");
    WriteFile(Notes(), "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\pard\\li720\\fi-360 A hanging note.\\par"
                       "\\pard\\fi360 A first line set in.\\par}");
    std::string saved[2];
    for (std::string& s : saved) {
        ReadingRun r(dir);
        ASSERT_NE(r.pane, nullptr);
        ASSERT_TRUE(r.Close());
        s = ReadFile(Notes());
        // First-line indent / offset of the others, as the platform reads the file.
        EXPECT_EQ(IndentsOf(s), "360/360 360/-360") << s;
    }
    EXPECT_EQ(saved[1], saved[0]);
}
