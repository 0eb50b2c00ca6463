#include "DialogEntries.h"

#include <algorithm>

namespace entries {

namespace {
std::string Whole(const units::Decimal& d) {
    std::size_t lead = d.intDigits.find_first_not_of('0');
    return lead == std::string::npos ? std::string() : d.intDigits.substr(lead);
}
std::string Fraction(const units::Decimal& d) {
    std::size_t last = d.fracDigits.find_last_not_of('0');
    return last == std::string::npos ? std::string() : d.fracDigits.substr(0, last + 1);
}
}  // namespace

std::optional<std::int32_t> CheckedTwips(std::string_view text, units::Unit unit, char decimalSeparator) {
    auto twips = units::TryUnitsToTwips(text, unit, decimalSeparator);
    if (!twips || *twips < -kMaxTwips || *twips > kMaxTwips) return std::nullopt;
    return twips;
}

int CompareDecimal(const units::Decimal& a, const units::Decimal& b) {
    const std::string wa = Whole(a), wb = Whole(b), fa = Fraction(a), fb = Fraction(b);
    const int signA = wa.empty() && fa.empty() ? 0 : (a.negative ? -1 : 1);
    const int signB = wb.empty() && fb.empty() ? 0 : (b.negative ? -1 : 1);
    if (signA != signB) return signA < signB ? -1 : 1;
    int magnitude = 0;
    if (wa.size() != wb.size())
        magnitude = wa.size() < wb.size() ? -1 : 1;
    else if (wa != wb)
        magnitude = wa < wb ? -1 : 1;
    else if (fa != fb)
        magnitude = fa < fb ? -1 : 1;  // digits without trailing zeros: text order is numeric order
    return signA < 0 ? -magnitude : magnitude;
}

TabPlace PlaceTab(const std::vector<std::string>& list, std::string_view typed, units::Unit unit,
                  char decimalSeparator) {
    TabPlace place;
    auto number = units::ParseDecimal(units::CutUnitCharacters(typed), decimalSeparator);
    auto twips = units::TryUnitsToTwips(typed, unit, decimalSeparator);
    if (!number || !twips || *twips < 0 || *twips > kMaxTwips) return place;
    place.text = units::DecimalText(*number, decimalSeparator) + units::UnitSuffix(unit);
    if (std::find(list.begin(), list.end(), place.text) != list.end()) {
        place.kind = TabPlace::Duplicate;
        return place;
    }
    place.kind = TabPlace::Insert;
    place.index = static_cast<int>(list.size());
    for (std::size_t k = 0; k < list.size(); ++k) {
        auto listed = units::ParseDecimal(units::CutUnitCharacters(list[k]), decimalSeparator);
        if (listed && CompareDecimal(*listed, *number) > 0) {
            place.index = static_cast<int>(k);
            break;
        }
    }
    return place;
}

int TwentiethsOfLine(std::string_view text, char decimalSeparator) {
    auto d = units::ParseDecimal(units::CutUnitCharacters(text), decimalSeparator);
    if (!d) return 20;
    const std::string whole = Whole(*d);
    if (whole.size() > 8) return 20;  // far beyond any spacing: taken as one line
    std::int64_t value = whole.empty() ? 0 : std::stoll(whole);
    // floor(fraction × 20), digit by digit from the last.
    std::int64_t carry = 0;
    for (auto it = d->fracDigits.rbegin(); it != d->fracDigits.rend(); ++it) carry = ((*it - '0') * 20 + carry) / 10;
    value = value * 20 + carry;
    return static_cast<int>(d->negative ? -value : value);
}

std::string LinesText(std::int32_t twentieths, char decimalSeparator) {
    return units::MilliText(std::int64_t{twentieths} * 50, decimalSeparator);
}

std::string SixthOfInch(units::Unit unit, char decimalSeparator) {
    // Hundredths: 100 / 6 of an inch, or 100 × 2.537 / 6 of a centimetre, truncated.
    const std::int64_t hundredths = unit == units::Unit::Inches ? 100 / 6 : 253700 / 6000;
    return units::FormatUnits(hundredths * 10, unit, decimalSeparator);
}

Indents IndentsFromFields(std::int32_t left, std::int32_t firstLine) {
    return {left + firstLine, std::min(-firstLine, left)};
}

}  // namespace entries
