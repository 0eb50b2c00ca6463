// The book maker's checks of a book folder and the resources it builds.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "BookFolder.h"
#include "BookResources.h"

using namespace bookmaker;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// A folder held in memory: file name -> bytes.
ReadFile FromMap(const std::map<std::string, std::string>& files) {
    return [files](const std::string& name, std::string& bytes, std::string& error) {
        auto it = files.find(name);
        if (it == files.end()) {
            error = "the file is not in the book folder";
            return false;
        }
        bytes = it->second;
        return true;
    };
}

ReadFile FromSample() {
    return [](const std::string& name, std::string& bytes, std::string& error) {
        bytes = Slurp(std::string(CODEXIA_ROOT) + "/content/" + name);
        if (bytes.empty()) error = "the file is not in the book folder";
        return !bytes.empty();
    };
}

std::string Bmp(int w, int h, int bits) {
    int stride = ((w * bits / 8 + 3) / 4) * 4;
    std::string f(54 + static_cast<std::size_t>(stride) * h, '\0');
    auto put32 = [&](std::size_t at, unsigned v) {
        for (int k = 0; k < 4; ++k) f[at + k] = char((v >> (8 * k)) & 0xFF);
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<unsigned>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<unsigned>(w));
    put32(22, static_cast<unsigned>(h));
    f[26] = 1;
    f[28] = static_cast<char>(bits);
    return f;
}

const char* kGoodMeta =
    "# a test book\n"
    "identifier = Codexia-Test_Author-A_Test\n"
    "title = A Test\nauthor = Test Author\nyear = 2026\ndate = 01-31\nrating = G\nseries = 1-1\n"
    "book = book.rtf\nauthor_page = author.rtf\ncopyright_page = copyright.rtf\ncover = cover.bmp\n";

std::map<std::string, std::string> GoodFiles() {
    return {{"book.rtf", "{\\rtf1\\ansi {\\b Chapter}\\par Text \\{ \\'e9\\}.}"},
            {"author.rtf", "{\\rtf1 Author}\r\n"},
            {"copyright.rtf", "{\\rtf1 {\\*\\pict\\bin3 {{{}Copyright}"},
            {"cover.bmp", Bmp(400, 400, 24)}};
}

std::u16string Utf16At(const std::string& b, std::size_t at, std::size_t chars) {
    std::u16string s;
    for (std::size_t k = 0; k < chars; ++k)
        s.push_back(static_cast<char16_t>(static_cast<unsigned char>(b[at + 2 * k]) |
                                          static_cast<unsigned char>(b[at + 2 * k + 1]) << 8));
    return s;
}

}  // namespace

TEST(BookMaker, TheSampleFolderAndAGoodOneHaveNoProblems) {
    Book sample;
    EXPECT_EQ(CheckBook(Slurp(std::string(CODEXIA_ROOT) + "/content/book.meta"), FromSample(), sample),
              std::vector<std::string>{});
    EXPECT_EQ(sample.files.size(), 5u) << "the three documents, the cover and the icon";
    Book good;
    EXPECT_EQ(CheckBook(kGoodMeta, FromMap(GoodFiles()), good), std::vector<std::string>{});
    EXPECT_EQ(good.Field("title"), "A Test");
}

TEST(BookMaker, EveryProblemOfABrokenFolderIsOneLineNamingTheFileAndTheField) {
    std::string meta =
        "identifier = Codexia-Test Author-A_Test\n"  // a space
        "title = A \"quoted\" title\n"
        "year = 26\ndate = 13-01\nrating = G\nseries = 1-1\nseries = 2-2\ncolour = red\nnot a field line\n"
        "book = book.rtf\nauthor_page = author.rtf\ncopyright_page = gone.rtf\ncover = cover.bmp\nicon = book.ico\n";
    auto files = GoodFiles();
    files["book.rtf"] = "{\\rtf1\\ansi {\\b Chapter}\\par Text cut sho";
    files["cover.bmp"] = Bmp(399, 400, 24);
    files["book.ico"] = "not an icon";
    Book book;
    std::vector<std::string> p = CheckBook(meta, FromMap(files), book);
    std::vector<std::string> expected = {
        "book.meta: field 'series' given twice",
        "book.meta: unknown field 'colour'",
        "book.meta: malformed line: not a field line",
        "book.meta: field 'identifier' is malformed: 'Codexia-Test Author-A_Test' (expected "
        "Maker-Surname_Given_Names-Title_Words)",
        "book.meta: field 'title' is malformed: 'A \"quoted\" title' (expected the book's title)",
        "book.meta: field 'author' is missing (the author's name)",
        "book.meta: field 'year' is malformed: '26' (expected four digits)",
        "book.meta: field 'date' is malformed: '13-01' (expected month-day, e.g. 12-20)",
        "book.rtf (field 'book'): the document ends before its groups are closed (1 is still open): the file "
        "is cut short",
        "gone.rtf (field 'copyright_page'): the file is not in the book folder",
        "cover.bmp (field 'cover'): the picture is 399 x 400; a cover is 400 x 400",
        "book.ico (field 'icon'): not an icon file",
    };
    EXPECT_EQ(p, expected);

    // A cover the picture code cannot take, and text after a document.
    EXPECT_NE(CheckCover(Bmp(400, 400, 16)), "");
    EXPECT_NE(CheckCover("BM"), "");
    EXPECT_NE(CheckRtf("{\\rtf1 a} b"), "");
    EXPECT_NE(CheckRtf("plain text"), "");
    EXPECT_NE(CheckRtf("{\\rtf1 {\\bin99 ab}}"), "") << "raw bytes past the end";
}

// Each field's form at its borders: one folder per value, the rest good.
TEST(BookMaker, FieldFormsAcceptAndRefuseAtTheirBorders) {
    struct Case {
        const char* field;
        const char* value;
        bool good;
    };
    const Case cases[] = {
        {"identifier", "A-B-C", true},
        {"identifier", "Codexia-Marlow_Ines-Lanterns_Over_The_Quiet_Harbour", true},
        {"identifier", "Code_xia-Test_Author-A_Test", false},  // the maker's part has no underscores
        {"identifier", "Codexia-Test__Author-A_Test", false},
        {"identifier", "Codexia-Test_Author-A_Test_", false},
        {"identifier", "Codexia-Test_Author", false},
        {"identifier", "Codexia-Test_Author-A-Test", false},
        {"identifier", "Codexia-Tést-A_Test", false},
        {"title", "Θάλασσα, it's {1} ~ \x7f", true},
        {"title", "a \\ b", false},
        {"title", "tab\there", false},
        {"author", "\"Q\"", false},
        {"year", "0000", true},
        {"year", "20261", false},
        {"year", "2O26", false},
        {"date", "12-31", true},
        {"date", "01-01", true},
        {"date", "00-10", false},
        {"date", "12-32", false},
        {"date", "1-20", false},
        {"date", "10-00", false},
        {"series", "10-12", true},
        {"series", "1-", false},
        {"series", "-1", false},
        {"series", "1-2-3", false},
    };
    for (const Case& c : cases) {
        std::string meta = kGoodMeta;
        std::string key = std::string(c.field) + " = ";
        std::size_t at = meta.find(key);
        ASSERT_NE(at, std::string::npos) << c.field;
        meta.replace(at + key.size(), meta.find('\n', at) - at - key.size(), c.value);
        Book book;
        std::vector<std::string> p = CheckBook(meta, FromMap(GoodFiles()), book);
        EXPECT_EQ(p.empty(), c.good) << c.field << " = " << c.value << (p.empty() ? "" : ": " + p[0]);
    }
}

TEST(BookMaker, LauncherStringsAndTheirTableBlock) {
    Book book;
    ASSERT_EQ(CheckBook(kGoodMeta, FromMap(GoodFiles()), book), std::vector<std::string>{});
    book.meta["title"] = "Θάλασσα и маяк";
    std::vector<std::string> lines = LauncherStrings(book);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[5], "[NAM] Codexia-Test_Author-A_Test.Exe");
    EXPECT_EQ(lines[10], "[FEA] [AUT] Test Author [BOO] Θάλασσα и маяк [YEA] 2026 [RAT] G");

    // Block 1 holds ids 0 to 15: id 0 and 12 to 15 empty, each string counted.
    std::string b = StringTableBlock(lines, 1);
    std::size_t at = 0;
    std::vector<std::u16string> ids;
    for (int k = 0; k < 16; ++k) {
        std::size_t n = static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
        ids.push_back(Utf16At(b, at + 2, n));
        at += 2 + 2 * n;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_EQ(ids[0], u"");
    EXPECT_EQ(ids[1], u"[VER] 1");
    EXPECT_EQ(ids[5], u"[TIT] Θάλασσα и маяк");
    EXPECT_EQ(ids[11].substr(0, 5), u"[FEA]");
    EXPECT_EQ(ids[12], u"");
    EXPECT_EQ(Utf16("\xF0\x9F\x93\x96"), u"\U0001F4D6") << "beyond the first plane: a surrogate pair";
}

TEST(BookMaker, IconAndVersionResources) {
    std::string ico = Slurp(std::string(CODEXIA_ROOT) + "/content/book.ico");
    ASSERT_EQ(CheckIcon(ico), "");
    std::vector<Resource> r = IconResources(ico, 1, 1);
    std::size_t count = static_cast<unsigned char>(ico[4]);
    ASSERT_EQ(r.size(), count + 1);
    const Resource& group = r.back();
    EXPECT_EQ(group.type, kTypeGroupIcon);
    EXPECT_EQ(group.bytes.size(), 6 + 14 * count);
    for (std::size_t k = 0; k < count; ++k) {
        EXPECT_EQ(r[k].type, kTypeIcon);
        EXPECT_EQ(r[k].id, k + 1);
        EXPECT_EQ(group.bytes.substr(6 + 14 * k, 12), ico.substr(6 + 16 * k, 12));
        EXPECT_EQ(static_cast<unsigned char>(group.bytes[6 + 14 * k + 12]), k + 1);
        EXPECT_EQ(r[k].bytes.size(), static_cast<unsigned char>(ico[6 + 16 * k + 8]) |
                                         static_cast<unsigned char>(ico[6 + 16 * k + 9]) << 8 |
                                         static_cast<unsigned char>(ico[6 + 16 * k + 10]) << 16);
    }

    Book book;
    ASSERT_EQ(CheckBook(kGoodMeta, FromMap(GoodFiles()), book), std::vector<std::string>{});
    std::string v = VersionInfo(book);
    EXPECT_EQ(static_cast<unsigned char>(v[0]) | static_cast<unsigned char>(v[1]) << 8, v.size());
    std::u16string text = Utf16At(v, 0, v.size() / 2);
    EXPECT_NE(text.find(u"ProductName"), std::u16string::npos);
    EXPECT_NE(text.find(std::u16string(u"A Test by Test Author") + u'\0'), std::u16string::npos);
    EXPECT_NE(text.find(u"Codexia-Test_Author-A_Test.Exe"), std::u16string::npos);
}
