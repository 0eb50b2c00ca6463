// Lengths between the user's units and twips: the texts the paragraph and tab
// dialogs accept, the numbers they show, and the grid the ruler snaps to.
#include <gtest/gtest.h>

#include <cstdint>

#include "Units.h"

using units::Unit;

namespace {
std::optional<std::int32_t> In(const char* s, char sep = '.') { return units::TryUnitsToTwips(s, Unit::Inches, sep); }
std::optional<std::int32_t> Cm(const char* s, char sep = '.') {
    return units::TryUnitsToTwips(s, Unit::Centimetres, sep);
}
}  // namespace

TEST(Units, TextToTwips) {
    EXPECT_EQ(Cm("1"), 567) << "1 × 1440 / 2.537 = 567.6, truncated";
    EXPECT_EQ(Cm("2.537"), 1440) << "exact: a floating product would give 1439";
    EXPECT_EQ(Cm("-2.537 cm"), -1440);
    EXPECT_EQ(Cm("-1"), -567) << "toward zero, not down";
    EXPECT_EQ(Cm("5.074"), 2880);
    EXPECT_EQ(In("1''"), 1440);
    EXPECT_EQ(In("0.5"), 720);
    EXPECT_EQ(In(" 0.375 "), 540);
    EXPECT_EQ(In("-0.001"), -1);
    EXPECT_EQ(In("0.0006"), 0);
    EXPECT_EQ(In("22"), 31680);
    EXPECT_EQ(In(".5"), 720);
    EXPECT_EQ(In("1."), 1440);
    EXPECT_EQ(In("+2"), 2880);
    // Unit characters are cut from the end in any mix; other letters are not.
    EXPECT_EQ(Cm("1 cm"), 567);
    EXPECT_EQ(Cm("1CM"), 567);
    EXPECT_EQ(Cm("1cM ' "), 567);
    EXPECT_EQ(In("1 cm"), 1440) << "the unit characters say nothing about the unit";
    for (const char* bad : {"1in", "", "cm", "''", "-", ".", "1.2.3", "1e3", "1,5", "one", "1 5", "--1", "0x10"})
        EXPECT_FALSE(In(bad).has_value()) << bad;
    EXPECT_FALSE(In("9999999999999").has_value()) << "beyond 32-bit twips";
    EXPECT_FALSE(In("1491309").has_value());
    EXPECT_EQ(In("1491308"), 2147483520);
}

TEST(Units, CommaDecimalLocale) {
    EXPECT_EQ(In("1,5", ','), 2160);
    EXPECT_EQ(Cm("2,537 cm", ','), 1440);
    EXPECT_FALSE(In("1.5", ',').has_value()) << "only the locale's separator";
    EXPECT_EQ(units::FormatUnits(1500, Unit::Inches, ','), "1,5''");
    EXPECT_EQ(units::FormatUnitsOnGrid(420, Unit::Centimetres, ','), "0,45 cm");
    EXPECT_EQ(units::ListText("007,250", Unit::Centimetres, ','), "7,25 cm");
}

TEST(Units, TwipsToHundredths) {
    EXPECT_EQ(units::TwipsToHundredths(567, Unit::Centimetres), 100) << "567 twips = 0.99894 cm";
    EXPECT_EQ(units::TwipsToHundredths(-567, Unit::Centimetres), -100);
    EXPECT_EQ(units::TwipsToHundredths(1440, Unit::Centimetres), 254);  // 2.537
    EXPECT_EQ(units::TwipsToHundredths(1440, Unit::Inches), 100);
    EXPECT_EQ(units::TwipsToHundredths(720, Unit::Inches), 50);
    EXPECT_EQ(units::TwipsToHundredths(36, Unit::Inches), 3) << "0.025: halves go away from zero";
    EXPECT_EQ(units::TwipsToHundredths(-36, Unit::Inches), -3);
    EXPECT_EQ(units::TwipsToHundredths(7, Unit::Inches), 0);
    EXPECT_EQ(units::TwipsToHundredths(8, Unit::Inches), 1);
    // 1 cm typed, stored and shown again.
    auto twips = Cm("1");
    ASSERT_TRUE(twips);
    EXPECT_EQ(units::FormatUnitsOnGrid(units::TwipsToHundredths(*twips, Unit::Centimetres) * 10, Unit::Centimetres, '.',
                                       100),
              "1 cm");
    EXPECT_EQ(units::MilliText(units::TwipsToHundredths(*twips, Unit::Centimetres) * 10, '.'), "1");
}

TEST(Units, GridRoundingBothSigns) {
    struct Case {
        units::Milli value;
        int g;
        units::Milli grid;
    };
    const Case cases[] = {
        // Eighths of an inch: the shift is 83 thousandths, the step 125.
        {375, 8, 375}, {300, 8, 375}, {291, 8, 250}, {292, 8, 375}, {41, 8, 0}, {42, 8, 125}, {1000, 8, 1000},
        {-300, 8, -375}, {-291, 8, -250}, {-42, 8, -125}, {-41, 8, 0}, {0, 8, 0},
        // Twentieths of a centimetre: shift 33, step 50.
        {1000, 20, 1000}, {990, 20, 1000}, {960, 20, 950}, {967, 20, 1000}, {16, 20, 0}, {17, 20, 50},
        {-960, 20, -950}, {-967, 20, -1000}, {-17, 20, -50},
        // Hundredths: shift 6, step 10.
        {125, 100, 130}, {123, 100, 120}, {124, 100, 130}, {-124, 100, -130}, {-123, 100, -120}, {4, 100, 10},
        {3, 100, 0}, {-4, 100, -10}};
    for (const Case& c : cases) EXPECT_EQ(units::OnGrid(c.value, c.g), c.grid) << c.value << " on 1/" << c.g;
}

TEST(Units, TextsShownAndListed) {
    EXPECT_EQ(units::FormatUnits(1000, Unit::Centimetres, '.'), "1 cm");
    EXPECT_EQ(units::FormatUnits(-250, Unit::Inches, '.'), "-0.25''");
    EXPECT_EQ(units::FormatUnits(0, Unit::Inches, '.'), "0''");
    EXPECT_EQ(units::FormatUnits(12345, Unit::Inches, '.'), "12.345''");
    EXPECT_EQ(units::FormatUnitsOnGrid(300, Unit::Inches, '.'), "0.375''");
    EXPECT_EQ(units::FormatUnitsOnGrid(-300, Unit::Inches, '.'), "-0.375''");
    EXPECT_EQ(units::FormatUnitsOnGrid(960, Unit::Centimetres, '.'), "0.95 cm");
    EXPECT_EQ(units::FormatUnitsOnGrid(1270, Unit::Centimetres, '.', 100), "1.27 cm");
    EXPECT_EQ(units::ListText("1", Unit::Inches, '.'), "1''");
    EXPECT_EQ(units::ListText("0.50''", Unit::Inches, '.'), "0.5''");
    EXPECT_EQ(units::ListText("00.5", Unit::Inches, '.'), "0.5''");
    EXPECT_EQ(units::ListText("2 cm", Unit::Centimetres, '.'), "2 cm");
    EXPECT_EQ(units::ListText("-0.0", Unit::Inches, '.'), "0''");
    EXPECT_EQ(units::ListText("0.123456", Unit::Inches, '.'), "0.123456''") << "as typed, not rounded";
    EXPECT_FALSE(units::ListText("1in", Unit::Inches, '.').has_value());
}

// A margin the program formats itself reads back the same under a comma as
// under a point: the print margins ("%.15g") and the page-width layout
// (std::to_string) both go through this.
TEST(Units, ProgramFormattedNumbersReadBackUnderEitherSeparator) {
    for (double v : {0.0, 0.75, 1.0, 0.333333333, 2.5, 12.125, 0.001}) {
        char g[64];
        std::snprintf(g, sizeof g, "%.15g", v);
        for (const std::string& text : {std::string(g), std::to_string(v)}) {
            SCOPED_TRACE(text);
            auto point = units::TryUnitsToTwips(text, Unit::Inches, '.');
            ASSERT_TRUE(point.has_value());
            EXPECT_EQ(units::TryUnitsToTwips(units::WithDecimalSeparator(text, ','), Unit::Inches, ','), point);
            EXPECT_EQ(units::WithDecimalSeparator(text, '.'), text);
            EXPECT_FALSE(units::TryUnitsToTwips(text, Unit::Inches, ',').has_value() && text.find('.') != std::string::npos)
                << "the fault: a point read where a comma is the separator";
        }
    }
}
