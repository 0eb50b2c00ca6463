// The entry rules of the paragraph and tab stop dialogs: what a field
// accepts, where a typed tab stop goes, and the line-spacing values.
#include <gtest/gtest.h>

#include "DialogEntries.h"

using units::Unit;
using Items = std::vector<std::string>;

TEST(DialogEntries, FieldsTakeNumbersWithin22Inches) {
    EXPECT_EQ(entries::CheckedTwips("22", Unit::Inches, '.'), 31680);
    EXPECT_EQ(entries::CheckedTwips("-22''", Unit::Inches, '.'), -31680);
    EXPECT_FALSE(entries::CheckedTwips("55.88 cm", Unit::Centimetres, '.')) << "31,717 twips";
    EXPECT_EQ(entries::CheckedTwips("55.8 cm", Unit::Centimetres, '.'), 31672);
    EXPECT_FALSE(entries::CheckedTwips("22.001", Unit::Inches, '.'));
    EXPECT_FALSE(entries::CheckedTwips("", Unit::Inches, '.')) << "an empty field is not a number";
    EXPECT_FALSE(entries::CheckedTwips("1in", Unit::Inches, '.'));
    EXPECT_EQ(entries::CheckedTwips("1,5", Unit::Inches, ','), 2160) << "the locale's separator";
    EXPECT_FALSE(entries::CheckedTwips("1.5", Unit::Inches, ','));
}

TEST(DialogEntries, DecimalsCompareExactly) {
    auto cmp = [](const char* a, const char* b) {
        return entries::CompareDecimal(*units::ParseDecimal(a, '.'), *units::ParseDecimal(b, '.'));
    };
    EXPECT_LT(cmp("0.5", "1"), 0);
    EXPECT_GT(cmp("10", "9.99"), 0) << "by value, not by text";
    EXPECT_EQ(cmp("1.50", "01.5"), 0);
    EXPECT_EQ(cmp("-0", "0.000"), 0);
    EXPECT_LT(cmp("-2", "-1.5"), 0);
    EXPECT_GT(cmp("0.1", "-3"), 0);
    EXPECT_LT(cmp("0.123", "0.13"), 0);
}

TEST(DialogEntries, TabStopsGoInOrderOnce) {
    using P = entries::TabPlace;
    Items list;
    for (const char* typed : {"1", "0.5", "2''"}) {
        P p = entries::PlaceTab(list, typed, Unit::Inches, '.');
        ASSERT_EQ(p.kind, P::Insert) << typed;
        list.insert(list.begin() + p.index, p.text);
    }
    EXPECT_EQ(list, (Items{"0.5''", "1''", "2''"}));
    EXPECT_EQ(entries::PlaceTab(list, "1.00", Unit::Inches, '.').kind, P::Duplicate);
    P between = entries::PlaceTab(list, "1.25 ''", Unit::Inches, '.');
    EXPECT_EQ(between.index, 2);
    EXPECT_EQ(between.text, "1.25''");
    EXPECT_EQ(entries::PlaceTab(list, "10", Unit::Inches, '.').index, 3) << "after 2, though \"10\" < \"2\" as text";
    EXPECT_EQ(entries::PlaceTab(list, "-1", Unit::Inches, '.').kind, P::Refused);
    EXPECT_EQ(entries::PlaceTab(list, "22.01", Unit::Inches, '.').kind, P::Refused);
    EXPECT_EQ(entries::PlaceTab(list, "abc", Unit::Inches, '.').kind, P::Refused);
    EXPECT_EQ(entries::PlaceTab(list, "", Unit::Inches, '.').kind, P::Refused);
    EXPECT_EQ(entries::PlaceTab(list, "0", Unit::Inches, '.').index, 0) << "0 is a position";
    EXPECT_EQ(entries::PlaceTab({}, "2.54CM", Unit::Centimetres, '.').text, "2.54 cm");
}

TEST(DialogEntries, LineSpacingValues) {
    EXPECT_EQ(entries::TwentiethsOfLine("1.5", '.'), 30);
    EXPECT_EQ(entries::TwentiethsOfLine("2", '.'), 40);
    EXPECT_EQ(entries::TwentiethsOfLine("1.17", '.'), 23) << "23.4, truncated";
    EXPECT_EQ(entries::TwentiethsOfLine("-1.17", '.'), -23);
    EXPECT_EQ(entries::TwentiethsOfLine("", '.'), 20);
    EXPECT_EQ(entries::TwentiethsOfLine("x", '.'), 20);
    EXPECT_EQ(entries::LinesText(30, '.'), "1.5");
    EXPECT_EQ(entries::LinesText(40, ','), "2");
    EXPECT_EQ(entries::LinesText(23, ','), "1,15");
    EXPECT_EQ(entries::SixthOfInch(Unit::Inches, '.'), "0.16''");
    EXPECT_EQ(entries::SixthOfInch(Unit::Centimetres, ','), "0,42 cm");
}

TEST(DialogEntries, IndentsFromLeftAndFirstLine) {
    EXPECT_EQ(entries::IndentsFromFields(720, -720).startIndent, 0);    // hanging indent
    EXPECT_EQ(entries::IndentsFromFields(720, -720).offset, 720);
    EXPECT_EQ(entries::IndentsFromFields(720, -1440).offset, 720);     // First line beyond Left
    EXPECT_EQ(entries::IndentsFromFields(720, -1440).startIndent, -720);
    EXPECT_EQ(entries::IndentsFromFields(0, 360).offset, -360);        // first line indented
    EXPECT_EQ(entries::IndentsFromFields(0, 360).startIndent, 360);
}
