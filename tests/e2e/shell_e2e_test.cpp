// The program as a launcher sees it: the close command through the shared
// block and the registered message, the single-instance guard, and the
// metadata strings in the executable.
#include <gtest/gtest.h>

#include "BookProcess.h"

using namespace e2e;

namespace {

constexpr int kExitWait = 8000;

class ShellTest : public testing::Test {
protected:
    void SetUp() override { dir = MakeTempDir(); }
    void TearDown() override { RemoveTree(dir); }
    std::string dir;
};

}  // namespace

TEST_F(ShellTest, CloseCommandWithCAndOneEndsTheProgramAndLeavesTheBlock) {
    CloseCommand cmd;
    BookProcess book(dir);
    HWND skin = book.WaitForWindow("TForm1");
    ASSERT_NE(skin, nullptr) << "the skin window never showed";
    char caption[256] = {};
    GetWindowTextA(skin, caption, sizeof caption);
    EXPECT_STREQ(caption, BOOK_IDENTIFIER_TEXT);

    cmd.WriteText("C");
    cmd.Send(skin, 1);
    ASSERT_TRUE(book.WaitForExit(kExitWait));
    EXPECT_EQ(book.ExitCode(), 0u);
    // The program reads the block and never writes it.
    EXPECT_EQ(cmd.ReadText(), "C");
    EXPECT_TRUE(FilesIn(dir).empty());

    // The block still says "C": a plain close message ends the next book too.
    BookProcess next(dir);
    HWND skin2 = next.WaitForWindow("TForm1");
    ASSERT_NE(skin2, nullptr);
    cmd.Send(skin2, 1);
    EXPECT_TRUE(next.WaitForExit(kExitWait));
}

TEST_F(ShellTest, OtherTextsAndOtherParametersAreIgnored) {
    CloseCommand cmd;
    BookProcess book(dir);
    HWND skin = book.WaitForWindow("TForm1");
    ASSERT_NE(skin, nullptr);
    // Each message is sent, not posted: the block is rewritten for the next
    // one only once the book has read it for this one.
    const std::string texts[] = {"c", "C ", "CLOSE", "", std::string(300, 'C')};
    for (const auto& t : texts) {
        cmd.WriteText(t);
        cmd.SendAndWait(skin, 1);
        Sleep(300);  // time for a wrong close to show
        EXPECT_TRUE(book.Running()) << "closed by text '" << t.substr(0, 10) << "' (" << t.size() << " bytes)";
    }
    // 300 characters with no NUL anywhere in the first 2000 bytes' reach of the reader.
    cmd.WriteText(std::string(2000, 'C'));
    cmd.SendAndWait(skin, 1);
    Sleep(300);
    EXPECT_TRUE(book.Running());

    cmd.WriteText("C");
    for (WPARAM w : {WPARAM(0), WPARAM(2)}) {
        cmd.SendAndWait(skin, w);
        Sleep(300);
        EXPECT_TRUE(book.Running()) << "closed by wParam " << w;
    }
    cmd.Send(skin, 1);
    EXPECT_TRUE(book.WaitForExit(kExitWait));
    EXPECT_EQ(book.ExitCode(), 0u);
    EXPECT_TRUE(FilesIn(dir).empty());
}

TEST_F(ShellTest, ASecondCopyEndsByItselfAndACopyUnderAnotherNameRuns) {
    CloseCommand cmd;
    BookProcess first(dir);
    HWND skin = first.WaitForWindow("TForm1");
    ASSERT_NE(skin, nullptr);

    DWORD start = GetTickCount();
    BookProcess second(dir);
    // It ends without showing a cover of its own, not even for a moment.
    bool shown = false;
    while (second.Running() && GetTickCount() - start < 10000) {
        shown = shown || second.FindWindowOf("TForm1") != nullptr;
        Sleep(1);
    }
    EXPECT_FALSE(shown) << "the second copy showed its skin";
    ASSERT_TRUE(second.WaitForExit(10000)) << "the second copy kept running";
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(FilesIn(dir).empty());

    std::string otherDir = MakeTempDir();
    std::string other = otherDir + "\\Another-Book.Exe";
    ASSERT_TRUE(CopyFileA(BookExe().c_str(), other.c_str(), FALSE));
    {
        BookProcess copy(dir, "", other);
        HWND skin2 = copy.WaitForWindow("TForm1");
        ASSERT_NE(skin2, nullptr) << "a copy under another file name did not run";
        Sleep(500);
        EXPECT_TRUE(copy.Running());
        EXPECT_TRUE(first.Running());
        cmd.WriteText("C");
        cmd.Send(skin2, 1);
        EXPECT_TRUE(copy.WaitForExit(kExitWait));
        EXPECT_EQ(copy.ExitCode(), 0u) << "the copy ended abnormally";
    }
    cmd.Send(skin, 1);
    EXPECT_TRUE(first.WaitForExit(kExitWait));
    EXPECT_EQ(first.ExitCode(), 0u) << "the first copy ended abnormally";
    RemoveTree(otherDir);
}

TEST(Metadata, TheElevenLauncherStrings) {
    HMODULE m = LoadLibraryExA(BookExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(m, nullptr);
    auto str = [&](UINT id) {
        char buf[512] = {};
        LoadStringA(m, id, buf, sizeof buf);
        return std::string(buf);
    };
    const std::string author = BOOK_AUTHOR_TEXT, title = BOOK_TITLE_TEXT, year = BOOK_YEAR_TEXT,
                      rating = BOOK_RATING_TEXT;
    EXPECT_EQ(str(1), "[VER] 1");
    EXPECT_EQ(str(2), "[COM] RF-RI-RK-NF-NI-NK");
    EXPECT_EQ(str(3), "[SEN] C");
    EXPECT_EQ(str(4), "[AUT] " + author);
    EXPECT_EQ(str(5), "[TIT] " + title);
    EXPECT_EQ(str(6), std::string("[NAM] ") + BOOK_IDENTIFIER_TEXT + ".Exe");
    EXPECT_EQ(str(7), "[YEA] " + year);
    EXPECT_EQ(str(8), std::string("[DAT] ") + BOOK_DATE_TEXT);
    EXPECT_EQ(str(9), "[RAT] " + rating);
    EXPECT_EQ(str(10), std::string("[SER] ") + BOOK_SERIES_TEXT);
    EXPECT_EQ(str(11), "[FEA] [AUT] " + author + " [BOO] " + title + " [YEA] " + year + " [RAT] " + rating);
    EXPECT_EQ(str(12), "");
    FreeLibrary(m);
}
