// Lengths as the user sees them (inches or centimetres) and as documents hold
// them (twips, 1,440 to the inch). Centimetres are taken as 2.537 to the inch.
// Everything here is exact: numbers are read as decimal digits and worked in
// integers, so that 2.537 cm is 1,440 twips and not 1,439.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace units {

enum class Unit { Inches, Centimetres };

// Thousandths of a unit: the finest step any length text carries here.
using Milli = std::int64_t;

// A plain decimal number as typed: sign, integer digits, fraction digits
// (either may be empty, not both).
struct Decimal {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
};

// The text without its trailing unit characters (blank, apostrophe, C, M, c, m).
std::string_view CutUnitCharacters(std::string_view text);

// Leading blanks, an optional sign, digits with at most one decimal separator.
// Nothing else: no exponent, no group separators.
std::optional<Decimal> ParseDecimal(std::string_view text, char decimalSeparator);

// The shortest decimal form: no leading zeros but one before the separator,
// no trailing zeros, no separator for whole numbers, "0" for zero.
std::string DecimalText(const Decimal& d, char decimalSeparator);
std::string MilliText(Milli value, char decimalSeparator);

// A number a program formatted with a point ("%g", std::to_string) as the
// user's decimal separator writes it: the text TryUnitsToTwips reads with
// that separator. The value read back is the one written, whatever the
// separator.
std::string WithDecimalSeparator(std::string pointText, char decimalSeparator);

// Text in the unit to twips: unit characters cut, the rest read as a decimal
// number, × 1,440, ÷ 2.537 for centimetres, truncated toward zero. Nothing
// when the rest is not a number or the twips do not fit 32 bits.
std::optional<std::int32_t> TryUnitsToTwips(std::string_view text, Unit unit, char decimalSeparator);

// Twips to hundredths of the unit, rounded to the nearest (halves away from zero).
std::int64_t TwipsToHundredths(std::int64_t twips, Unit unit);

// Grid steps per unit: 8 to the inch, 20 to the centimetre.
int DefaultGrid(Unit unit);

// A value put on a grid of 1/g: moved away from zero by 1/(1.5 g), taken to
// thousandths toward zero, and the remainder of 1000 div g (with the value's
// sign) removed.
Milli OnGrid(Milli value, int g);

// "''" after inches, " cm" after centimetres.
const char* UnitSuffix(Unit unit);

// The number's shortest form and the unit suffix.
std::string FormatUnits(Milli value, Unit unit, char decimalSeparator);
// The same, first put on the grid g (0: the unit's own grid).
std::string FormatUnitsOnGrid(Milli value, Unit unit, char decimalSeparator, int g = 0);
// The list text of a typed length: its number in shortest form and the unit
// suffix. Nothing when the text (unit characters cut) is not a number.
std::optional<std::string> ListText(std::string_view typed, Unit unit, char decimalSeparator);

}  // namespace units
