// Taking highlighting out of RTF: the control words go, document text that
// merely reads like one stays.
#include <gtest/gtest.h>

#include "RtfHighlight.h"

using rtf::RemoveHighlightWords;

TEST(RtfHighlight, ControlWordsWithNumberAndBlankGo) {
    EXPECT_EQ(RemoveHighlightWords(R"({\rtf1 a\highlight2 b\highlight0 c})"), R"({\rtf1 abc})");
    EXPECT_EQ(RemoveHighlightWords(R"({\highlight2\b x\highlight0\b0 y})"), R"({\b x\b0 y})");
    EXPECT_EQ(RemoveHighlightWords(R"({\highlight x})"), R"({x})");
    EXPECT_EQ(RemoveHighlightWords(R"(\highlight3  two blanks)"), " two blanks") << "only the one blank that ends it";
    EXPECT_EQ(RemoveHighlightWords(R"(\highlight3)"), "");
}

TEST(RtfHighlight, EscapedTextAndOtherWordsStay) {
    // The document text "\highlight" is stored with its backslash doubled.
    EXPECT_EQ(RemoveHighlightWords(R"({\rtf1 see \\highlight1 here})"), R"({\rtf1 see \\highlight1 here})");
    // An escaped backslash followed by a real control word: the word goes.
    EXPECT_EQ(RemoveHighlightWords(R"(a\\\highlight2 b)"), R"(a\\b)");
    EXPECT_EQ(RemoveHighlightWords(R"(\highlighting \cb2 \'e9\{\highlight1 \})"), R"(\highlighting \cb2 \'e9\{\})");
    // Binary data is passed over, whatever bytes it holds.
    std::string bin = std::string("{\\pict\\bin6 ") + "\\highl" + "}\\highlight1 x";
    EXPECT_EQ(RemoveHighlightWords(bin), std::string("{\\pict\\bin6 ") + "\\highl" + "}x");
    EXPECT_EQ(RemoveHighlightWords("trailing \\"), "trailing \\");
}
