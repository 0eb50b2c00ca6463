// Integer and colour texts as settings files and switches carry them.
#include <gtest/gtest.h>

#include "Convert.h"

TEST(Convert, IntegerForms) {
    EXPECT_EQ(StrToInt("14"), 14);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt(" 8"), 8);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    for (const char* bad : {"", " ", "8 ", "1.5", "abc", "2147483648", "$", "12a", "ERROR", "+"})
        EXPECT_FALSE(TryStrToInt(bad).has_value()) << bad;
}

TEST(Convert, ConversionErrorCarriesTheText) {
    try {
        StrToInt("big");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'big' is not a valid integer value");
    }
}

TEST(Convert, ColourTextForms) {
    EXPECT_EQ(ColorToString(clWhite), "clWhite");
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(0x00123456), "$00123456");
    EXPECT_EQ(StringToColor("clFuchsia"), 0xFF00FF);
    EXPECT_EQ(StringToColor("$00C0FFEE"), 0xC0FFEE);
    EXPECT_EQ(StringToColor("255"), 255);
    EXPECT_EQ(StringToColor(ColorToString(0x00ABCDEF)), 0x00ABCDEF);
    EXPECT_THROW(StringToColor("clwhite"), EConvertError);  // names are exact
    EXPECT_THROW(StringToColor("white"), EConvertError);
}

TEST(Convert, NegatedHexadecimalTakesTheWholePattern) {
    EXPECT_EQ(StrToInt("-$80000000"), INT32_MIN);
    EXPECT_EQ(StrToInt("-$1"), -1);
    EXPECT_EQ(StrToInt("-$FFFFFFFF"), 1);
    EXPECT_EQ(StrToInt("-0x7FFFFFFF"), -INT32_MAX);
}
