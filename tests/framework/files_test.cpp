// The file steps every program shares: whether a name is there, and a file
// replaced only once its new content is complete.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "Files.h"
#include "WideText.h"

namespace {

std::string NewFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static int n = 0;
    std::string dir = std::string(base) + "cx-files-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++n);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

int EntriesIn(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    int n = 0;
    if (h == INVALID_HANDLE_VALUE) return 0;
    do n += std::string(fd.cFileName) != "." && std::string(fd.cFileName) != "..";
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

}  // namespace

TEST(Files, FilesFoldersAndMissingNamesAreToldApart) {
    const std::string dir = NewFolder(), file = dir + "\\notes.txt", missing = dir + "\\none.txt";
    Write(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_TRUE(PathExists(file));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_TRUE(PathExists(dir));
    EXPECT_FALSE(FileExists(missing) || DirectoryExists(missing) || PathExists(missing));
    EXPECT_TRUE(FileExists(WideFromAnsi(file)));
    EXPECT_TRUE(DirectoryExists(WideFromAnsi(dir)));
    EXPECT_FALSE(PathExists(WideFromAnsi(missing)));
}

TEST(Files, TemporaryNamesStayBesideKeepTheExtensionAndSkipNamesInUse) {
    const std::string dir = NewFolder();
    const std::string first = TemporaryNameBeside(dir + "\\Book.Rtf");
    EXPECT_EQ(first.rfind(dir + "\\Book.~", 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 4), ".Rtf") << first;
    Write(first, "taken");
    const std::string second = TemporaryNameBeside(dir + "\\Book.Rtf");
    EXPECT_NE(second, first);
    EXPECT_FALSE(PathExists(second));
    // A dot in a folder's name is no extension.
    const std::string plain = TemporaryNameBeside(std::string("C:\\a.b\\name"));
    EXPECT_EQ(plain.rfind("C:\\a.b\\name.~", 0), 0u) << plain;
    EXPECT_EQ(plain.find('.', plain.find(".~") + 1), std::string::npos) << plain;
}

TEST(Files, EveryFailedReplacementLeavesTheOldFileAndNoTemporaryOne) {
    const std::string dir = NewFolder(), path = dir + "\\doc.rtf";
    Write(path, "old");
    auto half = [](const std::string& temp) {
        Write(temp, "ha");
        return false;
    };
    EXPECT_EQ(ReplaceFileSafely(path, half).step, ReplaceOutcome::NotWritten);
    EXPECT_THROW(ReplaceFileSafely(path,
                                   [](const std::string& temp) -> bool {
                                       Write(temp, "half");
                                       throw std::runtime_error("disk full");
                                   }),
                 std::runtime_error);
    // Held open without sharing: the new file cannot take its place.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ReplaceOutcome blocked = ReplaceFileSafely(path, [](const std::string& temp) {
        Write(temp, "new");
        return true;
    });
    CloseHandle(held);
    EXPECT_EQ(blocked.step, ReplaceOutcome::NotMoved);
    EXPECT_NE(blocked.error, 0u);
    EXPECT_FALSE(blocked);
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(EntriesIn(dir), 1);

    const ReplaceOutcome done = ReplaceFileSafely(WideFromAnsi(path), [](const std::wstring& temp) {
        Write(AnsiFromWide(temp), "new");
        return true;
    });
    EXPECT_TRUE(done);
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(EntriesIn(dir), 1);
}
