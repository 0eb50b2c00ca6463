// codexia-make as an author meets it: the book it makes carries the same
// resources as the build compiles from the folder; a broken folder is
// refused with one line per problem and nothing written; a book made from
// another folder is that book, from the launcher's strings to its text.
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "../e2e/BookProcess.h"

using namespace e2e;

namespace {

// Runs codexia-make with these arguments; its output and error text.
ProgramRun Make(const std::string& args, const std::string& dir) { return RunProgram(MAKER_EXE, args, dir); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (!l.empty()) out.push_back(l);
    }
    return out;
}

std::string CopyOfSample() { return CopyFolder(SAMPLE_DIR); }
void SetField(const std::string& dir, const std::string& field, const std::string* value) {
    SetMetaField(dir, field, value);
}
void SetField(const std::string& dir, const std::string& field, const std::string& value) {
    SetMetaField(dir, field, &value);
}

std::string Key(LPCSTR p) {
    return IS_INTRESOURCE(p) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(p)) : std::string(p);
}

// Every resource of a module of these types, by "type/name".
struct ResContext {
    std::map<std::string, std::string>* out;
    LPCSTR type;
};
BOOL CALLBACK AddResource(HMODULE mod, LPCSTR t, LPSTR name, LONG_PTR param) {
    auto* c = reinterpret_cast<ResContext*>(param);
    HRSRC r = FindResourceA(mod, name, t);
    HGLOBAL g = r ? LoadResource(mod, r) : nullptr;
    const char* d = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    (*c->out)[Key(c->type) + "/" + Key(name)] = d ? std::string(d, SizeofResource(mod, r)) : "";
    return TRUE;
}
std::map<std::string, std::string> Resources(HMODULE m, const std::vector<LPCSTR>& types) {
    std::map<std::string, std::string> out;
    for (LPCSTR type : types) {
        ResContext ctx{&out, type};
        EnumResourceNamesA(m, type, AddResource, reinterpret_cast<LONG_PTR>(&ctx));
    }
    return out;
}

// The text of every rich text control in a window of another process, in
// UTF-16 (a plain WM_GETTEXT would pass through the ANSI code page).
struct TextContext {
    HANDLE process;
    std::wstring text;
};
BOOL CALLBACK AddRichText(HWND c, LPARAM p) {
    auto* x = reinterpret_cast<TextContext*>(p);
    wchar_t cls[64] = {};
    GetClassNameW(c, cls, 64);
    if (!wcsstr(cls, L"RICH") && !wcsstr(cls, L"Rich")) return TRUE;
    const DWORD chars = 1 << 16;
    char* remote = static_cast<char*>(
        VirtualAllocEx(x->process, nullptr, sizeof(GETTEXTEX) + chars * 2, MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return TRUE;
    GETTEXTEX gt{};
    gt.cb = chars * 2;
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    WriteProcessMemory(x->process, remote, &gt, sizeof gt, nullptr);
    LRESULT n = SendMessageW(c, EM_GETTEXTEX, reinterpret_cast<WPARAM>(remote),
                             reinterpret_cast<LPARAM>(remote + sizeof gt));
    std::wstring t(static_cast<std::size_t>(n), L'\0');
    ReadProcessMemory(x->process, remote + sizeof gt, t.data(), t.size() * 2, nullptr);
    VirtualFreeEx(x->process, remote, 0, MEM_RELEASE);
    x->text += t;
    return TRUE;
}
std::wstring RichText(DWORD pid, HWND window) {
    TextContext ctx{OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid), {}};
    if (!ctx.process) return {};
    EnumChildWindows(window, AddRichText, reinterpret_cast<LPARAM>(&ctx));
    CloseHandle(ctx.process);
    return ctx.text;
}

// A made book from outside, started in dir: its caption is its identifier,
// a second copy is refused, its reading window shows each word, and the
// close command ends it.
void CheckMadeBook(const std::string& exe, const std::string& id, const std::vector<std::wstring>& words,
                   const std::string& dir) {
    BookProcess book(dir, "", exe);
    HWND skin = book.WaitForWindow("TForm1");
    ASSERT_NE(skin, nullptr);
    char caption[256] = {};
    GetWindowTextA(skin, caption, sizeof caption);
    EXPECT_EQ(std::string(caption), id);
    {
        BookProcess second(dir, "", exe);
        EXPECT_TRUE(second.WaitForExit(15000)) << "a second copy of the made book is refused";
    }
    RECT r;
    GetWindowRect(skin, &r);
    HWND read = nullptr;
    for (int press = 0; press < 2 && !read; ++press) {
        ClickScreen(r.left + 92, r.top + 353);
        WaitUntil([&] { return (read = book.FindWindowOf("TfrmRead")) != nullptr; }, 8000);
    }
    ASSERT_NE(read, nullptr);
    std::wstring text;
    auto showsAll = [&] {
        for (const std::wstring& w : words)
            if (text.find(w) == std::wstring::npos) return false;
        return !text.empty();
    };
    EXPECT_TRUE(WaitUntil([&] {
        text = RichText(book.Pid(), read);
        return showsAll();
    }, 15000)) << "the reading window does not show every word";
    CloseCommand cmd;
    cmd.WriteText("C");
    cmd.Send(skin, 1);
    EXPECT_TRUE(book.WaitForExit(8000));
}

class MakerTest : public testing::Test {
protected:
    void TearDown() override {
        for (auto& d : dirs_) RemoveTree(d);
    }
    std::string Dir(std::string d) {
        dirs_.push_back(d);
        return d;
    }
    std::vector<std::string> dirs_;
};

}  // namespace

// The book the build made with codexia-make, against the resources this
// test program has compiled straight in from the same folder.
TEST_F(MakerTest, TheMadeBookCarriesTheResourcesTheBuildCompiles) {
    HMODULE made = LoadLibraryExA(BookExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(made, nullptr);
    const std::vector<LPCSTR> types = {RT_RCDATA, RT_STRING, RT_VERSION, RT_GROUP_ICON, RT_ICON, MAKEINTRESOURCEA(24)};
    auto book = Resources(made, types);
    auto compiled = Resources(GetModuleHandleA(nullptr), types);
    FreeLibrary(made);
    std::vector<std::string> missing, differ;
    for (const auto& [key, bytes] : compiled) {
        auto it = book.find(key);
        if (it == book.end()) missing.push_back(key);
        else if (it->second != bytes) differ.push_back(key + " (" + std::to_string(it->second.size()) + " bytes, compiled " +
                                                       std::to_string(bytes.size()) + ")");
    }
    for (const char* layout : {"RCDATA/TFORM1", "RCDATA/TFRMREAD", "RCDATA/TFRMABOUT"})
        EXPECT_TRUE(compiled.count(std::string("#10/") + (layout + 7))) << layout << " is compiled into the test";
    EXPECT_EQ(missing, std::vector<std::string>{});
    EXPECT_EQ(differ, std::vector<std::string>{});
    EXPECT_EQ(book.size(), compiled.size()) << "the made book has resources the build does not compile";
}

TEST_F(MakerTest, ABrokenFolderIsRefusedWithOneLinePerProblemAndNothingWritten) {
    std::string folder = Dir(CopyOfSample()), out = Dir(MakeTempDir());
    SetField(folder, "identifier", std::string("Codexia-Marlow Ines-Lanterns"));
    SetField(folder, "year", nullptr);
    // A cover one column short, and a document cut short.
    std::string cover = ReadFile(folder + "\\cover.bmp");
    std::string narrow = cover;
    narrow[18] = static_cast<char>(399 & 0xFF);
    narrow[19] = static_cast<char>(399 >> 8);
    WriteFile(folder + "\\cover.bmp", narrow);
    std::string rtf = ReadFile(folder + "\\book.rtf");
    WriteFile(folder + "\\book.rtf", rtf.substr(0, rtf.size() / 2));

    ProgramRun run = Make("\"" + folder + "\" -o \"" + out + "\\book.Exe\" --template \"" TEMPLATE_EXE "\"", out);
    EXPECT_EQ(run.exitCode, 1u);
    std::vector<std::string> lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 5u) << run.err;
    EXPECT_NE(lines[0].find("book.meta: field 'identifier' is malformed: 'Codexia-Marlow Ines-Lanterns'"), std::string::npos);
    EXPECT_EQ(lines[1], "book.meta: field 'year' is missing (four digits)");
    EXPECT_NE(lines[2].find("book.rtf (field 'book'): the document ends before its groups are closed"), std::string::npos);
    EXPECT_EQ(lines[3], "cover.bmp (field 'cover'): the picture is 399 x 400; a cover is 400 x 400");
    EXPECT_NE(lines[4].find("4 problems"), std::string::npos);
    EXPECT_EQ(FilesIn(out), std::vector<std::string>{}) << "nothing is written, not even a temporary file";

    // An output folder that does not exist, and a template that is not one.
    WriteFile(folder + "\\book.rtf", rtf);
    WriteFile(folder + "\\cover.bmp", cover);
    SetField(folder, "identifier", std::string("Codexia-Marlow_Ines-Lanterns"));
    SetField(folder, "year", std::string("2001"));
    run = Make("\"" + folder + "\" -o \"" + out + "\\no\\such\\folder\\book.Exe\" --template \"" TEMPLATE_EXE "\"", out);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.err.find("cannot write in"), std::string::npos) << run.err;
    run = Make("\"" + folder + "\" -o \"" + out + "\\book.Exe\" --template \"" + folder + "\\cover.bmp\"", out);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.err.find("not a Codexia reader template"), std::string::npos) << run.err;
    EXPECT_EQ(FilesIn(out), std::vector<std::string>{});
    run = Make("", out);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.err.find("usage: codexia-make"), std::string::npos);
}

// Another book: its own identifier, names and a text in Greek and Cyrillic.
TEST_F(MakerTest, ABookMadeFromAnotherFolderIsThatBook) {
    std::string folder = Dir(CopyOfSample()), out = Dir(MakeTempDir()), run1 = Dir(MakeTempDir());
    const std::string id = "Codexia-Lindqvist_Mara-Salt_Roads";
    SetField(folder, "identifier", id);
    SetField(folder, "title", std::string("Salt Roads"));
    SetField(folder, "author", std::string("Mara Lindqvist"));
    SetField(folder, "year", std::string("2026"));
    WriteFile(folder + "\\book.rtf",
              "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs24 "
              "The keeper said \\u952?\\u940?\\u955?\\u945?\\u963?\\u963?\\u945? and the boy answered "
              "\\u1084?\\u1072?\\u1103?\\u1082?.\\par}");
    const std::string exe = out + "\\" + id + ".Exe";
    ProgramRun run = Make("\"" + folder + "\" -o \"" + exe + "\" --template \"" TEMPLATE_EXE "\"", out);
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find("made"), std::string::npos);
    EXPECT_EQ(FilesIn(out), std::vector<std::string>{id + ".Exe"}) << "no temporary file is left";

    HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(m, nullptr);
    auto str = [&](UINT sid) {
        char buf[512] = {};
        LoadStringA(m, sid, buf, sizeof buf);
        return std::string(buf);
    };
    EXPECT_EQ(str(4), "[AUT] Mara Lindqvist");
    EXPECT_EQ(str(5), "[TIT] Salt Roads");
    EXPECT_EQ(str(6), "[NAM] " + id + ".Exe");
    EXPECT_EQ(str(7), "[YEA] 2026");
    EXPECT_EQ(str(11), "[FEA] [AUT] Mara Lindqvist [BOO] Salt Roads [YEA] 2026 [RAT] G");
    FreeLibrary(m);

    // Its reading window shows the Greek and the Cyrillic words; it leaves
    // no files in the working folder.
    CheckMadeBook(exe, id, {L"\u03b8\u03ac\u03bb\u03b1\u03c3\u03c3\u03b1", L"\u043c\u0430\u044f\u043a"}, run1);
    EXPECT_EQ(FilesIn(run1), std::vector<std::string>{});
}

// A book made elsewhere, checked from outside: run by the README recipe's
// test (tests/scripts/new_book_test.sh), not by the suite, with
// CODEXIA_MADE_BOOK, its CODEXIA_MADE_ID and a word of its text,
// CODEXIA_MADE_WORD (its UTF-8 bytes in hexadecimal, which pass through the
// environment unchanged; any text when empty).
TEST(MadeBook, DISABLED_ShowsItsNameAndTextRefusesASecondCopyAndCloses) {
    const char* exe = std::getenv("CODEXIA_MADE_BOOK");
    const char* id = std::getenv("CODEXIA_MADE_ID");
    if (!exe || !id) GTEST_SKIP() << "no made book named";
    std::string hex = std::getenv("CODEXIA_MADE_WORD") ? std::getenv("CODEXIA_MADE_WORD") : "", word;
    for (std::size_t k = 0; k + 1 < hex.size(); k += 2)
        word.push_back(static_cast<char>(std::stoi(hex.substr(k, 2), nullptr, 16)));
    std::wstring wword(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, word.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, word.c_str(), -1, wword.data(), static_cast<int>(wword.size()));
    wword.resize(wcslen(wword.c_str()));
    std::string dir = MakeTempDir();
    CheckMadeBook(exe, id, {wword}, dir);
    RemoveTree(dir);
}
