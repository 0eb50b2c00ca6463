// The rules of the paragraph and tab stop dialogs' entries that need no
// window: which typed lengths a field accepts, where a typed tab stop goes
// in the list, and the values the line-spacing box puts or reads. Exact, in
// integers, like the unit conversions they build on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Units.h"

namespace entries {

// The longest length a field or tab stop takes, either way: 22 inches.
inline constexpr std::int32_t kMaxTwips = 31680;

// A field's length in twips when the text (unit characters cut) reads as a
// number and lies within 22 inches either way; nothing otherwise (an empty
// field included).
std::optional<std::int32_t> CheckedTwips(std::string_view text, units::Unit unit, char decimalSeparator);

// Exact order of two decimal numbers: negative, zero or positive. Zeros
// compare equal whatever their sign; trailing fraction zeros do not count.
int CompareDecimal(const units::Decimal& a, const units::Decimal& b);

// What Set does with a typed tab stop, given the list's texts.
struct TabPlace {
    enum Kind { Insert, Duplicate, Refused } kind = Refused;
    int index = -1;    // Insert: the place in the list
    std::string text;  // Insert and Duplicate: the list text of the typed number
};
// Refused: not a number, or outside 0 to 22 inches. Duplicate: the list
// already holds that exact text. Insert: before the first item whose number
// is greater, or at the end.
TabPlace PlaceTab(const std::vector<std::string>& list, std::string_view typed, units::Unit unit,
                  char decimalSeparator);

// A multiple of the line height in twentieths of a line: the number (unit
// characters cut) × 20, truncated toward zero; 20 (one line) when the text
// is not a number.
int TwentiethsOfLine(std::string_view text, char decimalSeparator);
// A spacing of rule 5 (twentieths of a line) as the number of lines shown.
std::string LinesText(std::int32_t twentieths, char decimalSeparator);

// One sixth of an inch in the unit, truncated to hundredths, as list text
// ("0.16''", "0.42 cm").
std::string SixthOfInch(units::Unit unit, char decimalSeparator);

// The paragraph's indents from the Left and First line fields (twips): the
// other lines' offset is the smaller of -First line and Left, the first
// line starts at Left + First line.
struct Indents {
    std::int32_t startIndent = 0;
    std::int32_t offset = 0;
};
Indents IndentsFromFields(std::int32_t left, std::int32_t firstLine);

}  // namespace entries
