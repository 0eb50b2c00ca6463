// The notepad's editor window as a reader uses it, from outside the real
// book: Read, Notepad, type with a bold word, Save and Exit, close with Save
// Settings; the notes file holds the text, the next start shows it, and F2
// in the notepad opens the editor again.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "BookProcess.h"
#include "TestUtil.h"

using namespace e2e;

namespace {

const std::string kId = BOOK_IDENTIFIER_TEXT;

void ClickAt(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    ClickScreen(p.x, p.y);
}

void Key(WORD vk, bool ctrl = false, bool shift = false) {
    testsupport::SendKeyPressInput(vk, false, ctrl, shift);
    Sleep(20);
}

void Type(const std::string& text) {
    for (char ch : text) {
        SHORT scan = VkKeyScanA(ch);
        Key(LOBYTE(scan), false, (HIBYTE(scan) & 1) != 0);
    }
}

std::string WindowText(HWND w) {
    char buf[512] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

BOOL CALLBACK CollectRichText(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    std::string c = cls;
    for (char& ch : c) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    if (c.find("RICHEDIT") != std::string::npos)
        reinterpret_cast<std::vector<std::string>*>(lp)->push_back(WindowText(w));
    return TRUE;
}

BOOL CALLBACK FindSaveSettings(HWND w, LPARAM lp) {
    char text[64] = {};
    GetWindowTextA(w, text, sizeof text);
    if (std::string(text) == "Save Settings") {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// The rich edit windows of a window, with their texts.
std::vector<std::string> RichTexts(HWND parent) {
    std::vector<std::string> out;
    EnumChildWindows(parent, CollectRichText, reinterpret_cast<LPARAM>(&out));
    return out;
}

BOOL CALLBACK FindNotesPane(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    std::string c = cls;
    for (char& ch : c) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    if (c.find("RICHEDIT") != std::string::npos && IsWindowVisible(w) &&
        WindowText(w).find("A note with bold words.") != std::string::npos) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// The notepad pane once it shows: the visible rich edit holding the notes.
HWND NotesPane(HWND read) {
    HWND found = nullptr;
    EnumChildWindows(read, FindNotesPane, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND OpenReading(BookProcess& book) {
    HWND skin = book.WaitForWindow("TForm1");
    if (!skin) return nullptr;
    HWND read = nullptr;
    Sleep(200);
    // Read is the lower left click area of the cover.
    ClickAt(skin, 92, 353);
    WaitUntil([&] { return (read = book.FindWindowOf("TfrmRead")) != nullptr; });
    return read;
}

}  // namespace

TEST(NotepadE2E, TheNotesEditedInTheEditorWindowAreSavedAndShownAgain) {
    std::string dir = MakeTempDir();
    const std::string notes = dir + "\\" + kId + ".Rtf";
    {
        BookProcess book(dir);
        HWND read = OpenReading(book);
        ASSERT_TRUE(read);
        // Notepad sits on the button bar (41 high) along the reading window's bottom.
        RECT client;
        GetClientRect(read, &client);
        ClickAt(read, 192 + 24, client.bottom - 41 + 20);
        HWND editor = book.WaitForWindow("TwwRichEditForm");
        ASSERT_TRUE(editor);
        char caption[64] = {};
        GetWindowTextA(editor, caption, sizeof caption);
        EXPECT_STREQ(caption, "Notepad");
        RECT er;
        GetWindowRect(editor, &er);
        EXPECT_EQ(er.right - er.left, 400);
        EXPECT_EQ(er.bottom - er.top, 300);
        // Typing goes to the editor control once it has the focus.
        WaitUntil([&] {
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            char cls[64] = {};
            if (!GetGUIThreadInfo(GetWindowThreadProcessId(editor, nullptr), &gui) || !gui.hwndFocus) return false;
            GetClassNameA(gui.hwndFocus, cls, sizeof cls);
            CharUpperA(cls);
            return GetAncestor(gui.hwndFocus, GA_ROOT) == editor && std::string(cls).find("RICHEDIT") != std::string::npos;
        });
        Type("A note with ");
        Key('B', true);
        Type("bold");
        Key('B', true);
        Type(" words.");
        WaitUntil([&] {
            for (auto& t : RichTexts(editor))
                if (t.find("A note with bold words.") != std::string::npos) return true;
            return false;
        });
        Key('S', true);  // Save and Exit
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }));
        HWND check = nullptr;
        EnumChildWindows(read, FindSaveSettings, reinterpret_cast<LPARAM>(&check));
        ASSERT_TRUE(check);
        if (SendMessageA(check, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageA(check, BM_CLICK, 0, 0);
        PostMessageA(read, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindowVisible(read); });
        PostMessageA(book.FindWindowOf("TForm1"), WM_CLOSE, 0, 0);
        EXPECT_TRUE(book.WaitForExit(8000));
    }
    std::string rtf = ReadFile(notes);
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("A note with "), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b bold\\b0"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(" words."), std::string::npos) << rtf;
    {
        // The next start shows the notes in the notepad.
        BookProcess book(dir);
        HWND read = OpenReading(book);
        ASSERT_TRUE(read);
        bool shown = WaitUntil([&] {
            for (auto& t : RichTexts(read))
                if (t.find("A note with bold words.") != std::string::npos) return true;
            return false;
        });
        EXPECT_TRUE(shown);
        // Show the notepad pane, click into it and press F2: the editor opens
        // on the notes; Escape closes the unchanged notes without a question.
        RECT client;
        GetClientRect(read, &client);
        ClickAt(read, 242 + 19, client.bottom - 41 + 20);
        HWND pane = nullptr;
        WaitUntil([&] { return (pane = NotesPane(read)) != nullptr; });
        ClickAt(read, client.right - 30, 40);
        WaitUntil([&] {
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            return GetGUIThreadInfo(GetWindowThreadProcessId(read, nullptr), &gui) && gui.hwndFocus == pane;
        });
        Key(VK_F2);
        HWND editor = book.WaitForWindow("TwwRichEditForm", 8000);
        EXPECT_TRUE(editor);
        if (editor) {
            bool hasNotes = WaitUntil([&] {
                for (auto& t : RichTexts(editor))
                    if (t.find("A note with bold words.") != std::string::npos) return true;
                return false;
            });
            EXPECT_TRUE(hasNotes);
            Key(VK_ESCAPE);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }));
        }
        PostMessageA(read, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindowVisible(read); });
        PostMessageA(book.FindWindowOf("TForm1"), WM_CLOSE, 0, 0);
        EXPECT_TRUE(book.WaitForExit(8000));
    }
    RemoveTree(dir);
}
