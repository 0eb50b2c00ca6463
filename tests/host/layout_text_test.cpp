// The readable layout form and what the compiler computes from it.
#include <gtest/gtest.h>

#include <map>

#include "../../tools/layoutc/LayoutText.h"
#include "RegionBands.h"

using namespace layouttext;
using layout::Tag;

namespace {

std::string Bmp24(int w, int h, const std::function<std::uint32_t(int, int)>& rgb, bool topDown = false) {
    int stride = ((w * 3 + 3) / 4) * 4;
    std::string f(54 + static_cast<std::size_t>(stride) * h, '\0');
    auto put16 = [&](std::size_t at, unsigned v) { f[at] = char(v & 0xFF); f[at + 1] = char((v >> 8) & 0xFF); };
    auto put32 = [&](std::size_t at, unsigned v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
    f[0] = 'B'; f[1] = 'M';
    put32(2, static_cast<unsigned>(f.size())); put32(10, 54); put32(14, 40);
    put32(18, static_cast<unsigned>(w)); put32(22, static_cast<unsigned>(topDown ? -h : h));
    put16(26, 1); put16(28, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = rgb(x, y);
            std::size_t at = 54 + static_cast<std::size_t>(stride) * (topDown ? y : h - 1 - y) + 3 * x;
            f[at] = char((c >> 16) & 0xFF); f[at + 1] = char((c >> 8) & 0xFF); f[at + 2] = char(c & 0xFF);
        }
    return f;
}

layout::Node ParseWith(const std::string& text, std::map<std::string, std::string> files = {}) {
    Options o;
    o.fileName = "test.layout";
    o.vars = {{"BOOK_TITLE", "Lanterns"}};
    o.readFile = [files](const std::string& p) {
        auto it = files.find(p);
        if (it == files.end()) throw std::runtime_error("cannot read " + p);
        return it->second;
    };
    return Parse(text, o);
}

}  // namespace

TEST(LayoutText, ValuesAndNesting) {
    auto n = ParseWith(R"(
        # a comment
        object Form1: TForm1 {
            Caption = "${BOOK_TITLE} by " "Ines"
            Left = -243
            Color = $00FF00FF
            Margin = 1.5
            BorderStyle = bsNone
            Visible = False
            Options = [ifUseWindowsDrag, ifNoPaletteDither]
            Tabs.Strings = ("Author", "Copyright")
            Data = document("{\\rtf1 \$x}")
            object btnRead: TMMBitmapButton { Hint = "Read\tCodexia" }
        }
    )");
    EXPECT_EQ(n.className, "TForm1");
    EXPECT_EQ(n.Find("Caption")->s, "Lanterns by Ines");
    EXPECT_EQ(n.Find("Left")->i, -243);
    EXPECT_EQ(n.Find("Color")->i, 0xFF00FF);
    EXPECT_DOUBLE_EQ(n.Find("Margin")->d, 1.5);
    EXPECT_EQ(n.Find("BorderStyle")->tag, Tag::Ident);
    EXPECT_EQ(n.Find("Visible")->tag, Tag::False);
    EXPECT_EQ(n.Find("Options")->set.size(), 2u);
    EXPECT_EQ(n.Find("Tabs.Strings")->list.size(), 2u);
    EXPECT_EQ(n.Find("Data")->s, std::string("\x0A\0\0\0{\\rtf1 $x}", 14));
    ASSERT_EQ(n.children.size(), 1u);
    EXPECT_EQ(n.children[0].Find("Hint")->s, "Read\tCodexia");
}

TEST(LayoutText, ErrorsNameTheLine) {
    auto expectError = [](const std::string& text, const std::string& part) {
        try {
            ParseWith(text);
            FAIL() << text;
        } catch (const ParseError& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    expectError("object A: B {\n X = \n}", "test.layout:3");
    expectError("object A: B { X = \"${NOPE}\" }", "NOPE");
    expectError("object A: B { X = 1 X = 2 }", "twice");
    expectError("object A: B { X = picture(\"missing.bmp\") }", "missing.bmp");
    expectError("object A: B { X = 99999999999 }", "bad integer");
    expectError("object A: B {", "'}' expected");
}

TEST(LayoutText, RegionFromPictureMatchesTheSkinOutline) {
    // A 400 x 400 picture with a fuchsia margin of 17, 17, 15, 16.
    auto cover = Bmp24(400, 400, [](int x, int y) {
        bool margin = x < 17 || y < 17 || x >= 385 || y >= 384;
        return margin ? 0xFF00FFu : 0xFFFFFFu;
    });
    auto n = ParseWith(R"(object F: TfcImageForm {
        Picture.Data = picture("cover.bmp")
        TransparentColor = clFuchsia
        RegionData = region() })", {{"cover.bmp", cover}});
    const std::string& r = n.Find("RegionData")->s;
    ASSERT_EQ(r.size(), 52u);
    std::vector<std::int32_t> words;
    for (std::size_t k = 0; k < r.size(); k += 4) {
        std::uint32_t u = 0;
        for (int b = 0; b < 4; ++b) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(r[k + b])) << (8 * b);
        words.push_back(static_cast<std::int32_t>(u));
    }
    EXPECT_EQ(words, (std::vector<std::int32_t>{48, 32, 1, 1, 16, 17, 17, 385, 384, 17, 17, 385, 384}));

    // clNone takes the bottom-left pixel, which is fuchsia: the same outline.
    auto none = ParseWith(R"(object F: TfcImageForm {
        Picture.Data = picture("cover.bmp")
        RegionData = region() })", {{"cover.bmp", cover}});
    EXPECT_EQ(none.Find("RegionData")->s, r);
}

TEST(LayoutText, RegionEdgeCases) {
    auto solid = Bmp24(5, 3, [](int, int) { return 0x123456u; });
    auto n = ParseWith(R"(object F: TfcImageForm { Picture.Data = picture("a.bmp") TransparentColor = clFuchsia RegionData = region() })",
                       {{"a.bmp", solid}});
    // No transparent pixel: one rectangle, the whole picture.
    EXPECT_EQ(n.Find("RegionData")->s.substr(0, 4), std::string("\x30\0\0\0", 4));
    EXPECT_EQ(n.Find("RegionData")->s.substr(36), region::RegionDataBytes({{0, 0, 5, 3}}).substr(32));

    auto allClear = Bmp24(5, 3, [](int, int) { return 0xFF00FFu; }, true);
    auto m = ParseWith(R"(object F: TfcImageForm { Picture.Data = picture("a.bmp") RegionData = region() })",
                       {{"a.bmp", allClear}});
    EXPECT_EQ(m.Find("RegionData")->s, std::string(4, '\0'));

    auto nopic = ParseWith(R"(object F: TfcImageForm { RegionData = region() })");
    EXPECT_EQ(nopic.Find("RegionData")->s, std::string(4, '\0'));
}
