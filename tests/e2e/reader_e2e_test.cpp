// The reading window's settings and notes as a reader leaves them: the
// program is started in fresh directories, driven from outside, and the
// files it leaves are read back.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "BookProcess.h"

using namespace e2e;

namespace {

const std::string kId = BOOK_IDENTIFIER_TEXT;

bool WaitUntil(const std::function<bool()>& cond, int ms = 8000) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (!cond()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Sleep(30);
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

std::map<std::string, std::string> IniValues(const std::string& path) {
    std::map<std::string, std::string> out;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

struct ChildFind {
    std::string cls, text;
    HWND found = nullptr;
};
BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<ChildFind*>(lp);
    char cls[128] = {}, text[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    if (f->cls == cls && (f->text.empty() || f->text == text)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}
// The text of another process's control (its window text is kept by the control).
std::string TextOf(HWND w) {
    char buf[256] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

HWND Child(HWND parent, const std::string& cls, const std::string& text = "") {
    ChildFind f{cls, text};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// A book run: start, open the reading window through Read, act, close.
class Reader {
public:
    Reader(const std::string& dir, const std::string& args = "") : book(dir, args) {
        skin = book.WaitForWindow("TForm1");
        if (!skin) return;
        Sleep(200);
    }
    // Presses Read on the cover, as a reader would.
    bool Open() {
        if (!skin) return false;
        RECT r;
        GetWindowRect(skin, &r);
        SetCursorPos(r.left + 92, r.top + 353);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof(INPUT));
        return WaitUntil([&] { return (read = book.FindWindowOf("TfrmRead")) != nullptr; });
    }
    HWND CheckBox() const { return Child(read, "Cx.BUTTON", "Save Settings"); }
    bool Checked() const { return SendMessageA(CheckBox(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetChecked(bool v) {
        if (Checked() != v) SendMessageA(CheckBox(), BM_CLICK, 0, 0);
    }
    void CloseReading() {
        PostMessageA(read, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindowVisible(read); });
    }
    bool Quit() {
        PostMessageA(skin, WM_CLOSE, 0, 0);
        return book.WaitForExit(8000) && book.ExitCode() == 0;
    }
    BookProcess book;
    HWND skin = nullptr;
    HWND read = nullptr;
};

class ReaderE2E : public testing::Test {
protected:
    void SetUp() override { dir = MakeTempDir(); }
    void TearDown() override { RemoveTree(dir); }
    std::string Ini() const { return dir + "\\" + kId + ".Ini"; }
    std::string Notes() const { return dir + "\\" + kId + ".Rtf"; }
    std::string dir;
};

}  // namespace

TEST_F(ReaderE2E, UncheckedCloseLeavesNoFile) {
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    EXPECT_FALSE(r.Checked());
    r.CloseReading();
    EXPECT_TRUE(r.Quit());
    EXPECT_TRUE(FilesIn(dir).empty());
}

TEST_F(ReaderE2E, CheckedCloseWritesTheTemplateWithAllKeysAndTheNotes) {
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    r.SetChecked(true);
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    auto v = IniValues(Ini());
    EXPECT_EQ(v["SaveSettings"], "True");
    EXPECT_EQ(v["WindowState"], "wsNormal");
    EXPECT_EQ(v["ReadingFont"], "MS Sans Serif");
    EXPECT_EQ(v["ReadingFontSize"], "8");
    EXPECT_EQ(v["ReadingBackground"], "clWindow");
    EXPECT_EQ(v["ReadingBookmark"], "0");
    EXPECT_EQ(v["Notepad"], "False");
    std::string text = ReadFile(Ini());
    EXPECT_EQ(text.rfind("[CodexiaBook]", 0), 0u) << text;
    EXPECT_LT(text.find("SaveSettings="), text.find("WindowState="));
    EXPECT_LT(text.find("ReadingBookmark="), text.find("Notepad="));
    EXPECT_EQ(ReadFile(Notes()).rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(FilesIn(dir).size(), 2u);
}

TEST_F(ReaderE2E, SaveSettingsFalseAppliesNothingAndCloseDeletesTheFile) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=False\r\nReadingFont=Arial\r\nReadingFontSize=20\r\n");
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    EXPECT_FALSE(r.Checked());
    EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), "8");
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    EXPECT_TRUE(FilesIn(dir).empty());
}

TEST_F(ReaderE2E, SwitchesAreSavedBackAndLowerCaseSwitchesDoNothing) {
    {
        Reader r(dir, "/RFArial /RI14");
        ASSERT_TRUE(r.Open());
        EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), "14");
        r.SetChecked(true);
        r.CloseReading();
        ASSERT_TRUE(r.Quit());
        auto v = IniValues(Ini());
        EXPECT_EQ(v["ReadingFont"], "Arial");
        EXPECT_EQ(v["ReadingFontSize"], "14");
    }
    DeleteFileA(Ini().c_str());
    {
        Reader r(dir, "/rfArial /ri14");
        ASSERT_TRUE(r.Open());
        r.SetChecked(true);
        r.CloseReading();
        ASSERT_TRUE(r.Quit());
        auto v = IniValues(Ini());
        EXPECT_EQ(v["ReadingFont"], "MS Sans Serif");
        EXPECT_EQ(v["ReadingFontSize"], "8");
    }
}

TEST_F(ReaderE2E, TheSettingsFileOverridesMaximized) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nWindowState=wsNormal\r\n");
    Reader r(dir, "/X");
    ASSERT_TRUE(r.Open());
    EXPECT_FALSE(IsZoomed(r.read));
    r.CloseReading();
    EXPECT_TRUE(r.Quit());
}

TEST_F(ReaderE2E, AMinimizedWindowKeepsTheStoredWindowState) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nWindowState=wsMaximized\r\n");
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    ShowWindow(r.read, SW_MINIMIZE);
    WaitUntil([&] { return IsIconic(r.read) != 0; });
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    EXPECT_EQ(IniValues(Ini())["WindowState"], "wsMaximized");
}

TEST_F(ReaderE2E, ASettingsFileThatCannotBeCreatedShowsTheMessageAndSavesNothing) {
    // A directory in the settings file's place: the file cannot be created,
    // as in a read-only folder (root's files are not read-only to it here).
    ASSERT_TRUE(CreateDirectoryA(Ini().c_str(), nullptr));
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    r.SetChecked(true);
    PostMessageA(r.read, WM_CLOSE, 0, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = r.book.FindWindowOf("#32770")) != nullptr; }));
    HWND label = Child(box, "Static", "Unable to save. Copy Codexia to rewritable drive and try again.");
    EXPECT_NE(label, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(r.read); }));
    ASSERT_TRUE(r.Quit());
    EXPECT_EQ(FilesIn(dir).size(), 1u);  // the directory alone: no notes file
}

TEST_F(ReaderE2E, GarbageSettingsShowErrorsAndTheProgramKeepsRunning) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=Maybe\r\nWindowState=huge\r\nReadingFont=ERROR\r\n"
                     "ReadingFontSize=big\r\nReadingBackground=purple-ish\r\nReadingBookmark=x\r\nNotepad=yes\r\n");
    BookProcess book(dir);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = book.FindWindowOf("#32770")) != nullptr; }));
    EXPECT_NE(Child(box, "Static", "'big' is not a valid integer value."), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND skin = book.WaitForWindow("TForm1");
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(book.Running());
    PostMessageA(skin, WM_CLOSE, 0, 0);
    EXPECT_TRUE(book.WaitForExit(8000));
}

TEST_F(ReaderE2E, ACloseCommandWhileReadingSavesNothing) {
    CloseCommand cmd;
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    r.SetChecked(true);
    cmd.WriteText("C");
    cmd.Send(r.skin, 1);
    EXPECT_TRUE(r.book.WaitForExit(8000));
    EXPECT_TRUE(FilesIn(dir).empty());
}
