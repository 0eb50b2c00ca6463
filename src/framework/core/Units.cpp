#include "Units.h"

#include <cstring>
#include <limits>

namespace units {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Numerator and denominator of twips per unit: 1440 / 1 to the inch,
// 1440000 / 2537 to the centimetre.
std::int64_t TwipsNumerator(Unit u) { return u == Unit::Inches ? 1440 : 1440000; }
std::int64_t TwipsDenominator(Unit u) { return u == Unit::Inches ? 1 : 2537; }

// n / d rounded to the nearest, halves away from zero (d > 0).
std::int64_t RoundDiv(std::int64_t n, std::int64_t d) {
    std::int64_t a = n < 0 ? -n : n;
    std::int64_t q = (2 * a + d) / (2 * d);
    return n < 0 ? -q : q;
}
}  // namespace

std::string_view CutUnitCharacters(std::string_view text) {
    while (!text.empty() && std::strchr(" 'CMcm", text.back()) != nullptr && text.back() != '\0')
        text.remove_suffix(1);
    return text;
}

std::optional<Decimal> ParseDecimal(std::string_view text, char decimalSeparator) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    Decimal d;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) d.negative = text[i++] == '-';
    while (i < text.size() && IsDigit(text[i])) d.intDigits += text[i++];
    if (i < text.size() && text[i] == decimalSeparator) {
        ++i;
        while (i < text.size() && IsDigit(text[i])) d.fracDigits += text[i++];
    }
    if (i != text.size() || (d.intDigits.empty() && d.fracDigits.empty())) return std::nullopt;
    return d;
}

std::string DecimalText(const Decimal& d, char decimalSeparator) {
    std::size_t lead = d.intDigits.find_first_not_of('0');
    std::string whole = lead == std::string::npos ? "0" : d.intDigits.substr(lead);
    std::size_t last = d.fracDigits.find_last_not_of('0');
    std::string frac = last == std::string::npos ? "" : d.fracDigits.substr(0, last + 1);
    bool zero = whole == "0" && frac.empty();
    std::string s = d.negative && !zero ? "-" : "";
    s += whole;
    if (!frac.empty()) s += decimalSeparator + frac;
    return s;
}

std::string MilliText(Milli value, char decimalSeparator) {
    Decimal d;
    d.negative = value < 0;
    std::uint64_t a = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    d.intDigits = std::to_string(a / 1000);
    std::string frac = std::to_string(a % 1000);
    d.fracDigits = std::string(3 - frac.size(), '0') + frac;
    return DecimalText(d, decimalSeparator);
}

std::string WithDecimalSeparator(std::string pointText, char decimalSeparator) {
    for (char& c : pointText)
        if (c == '.') c = decimalSeparator;
    return pointText;
}

std::optional<std::int32_t> TryUnitsToTwips(std::string_view text, Unit unit, char decimalSeparator) {
    auto d = ParseDecimal(CutUnitCharacters(text), decimalSeparator);
    if (!d) return std::nullopt;
    std::size_t lead = d->intDigits.find_first_not_of('0');
    std::string whole = lead == std::string::npos ? "" : d->intDigits.substr(lead);
    // Twelve digits times 1,440,000 still fit 63 bits; far more than 32-bit twips.
    if (whole.size() > 12) return std::nullopt;
    const std::int64_t c = TwipsNumerator(unit);
    std::int64_t whole64 = whole.empty() ? 0 : std::stoll(whole);
    // floor(fraction × c), digit by digit from the last: the carry out of the
    // first fraction digit is the whole part of the product. What is left
    // below one cannot change the truncated result, as the denominator is
    // a whole number.
    std::int64_t carry = 0;
    for (auto it = d->fracDigits.rbegin(); it != d->fracDigits.rend(); ++it) carry = ((*it - '0') * c + carry) / 10;
    std::int64_t twips = (whole64 * c + carry) / TwipsDenominator(unit);
    if (twips > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(d->negative ? -twips : twips);
}

std::int64_t TwipsToHundredths(std::int64_t twips, Unit unit) {
    // inches: twips × 100 / 1440; centimetres: twips × 2.537 × 100 / 1440.
    return unit == Unit::Inches ? RoundDiv(twips * 5, 72) : RoundDiv(twips * 2537, 14400);
}

int DefaultGrid(Unit unit) { return unit == Unit::Inches ? 8 : 20; }

Milli OnGrid(Milli value, int g) {
    if (g <= 0) return value;
    // value + 1/(1.5 g) in thousandths is value + 2000/(3 g); that shift is
    // never whole (g = 8, 20, 100), so truncating the sum toward zero keeps
    // the whole part of the shift, with the value's sign.
    Milli shift = 2000 / (3 * static_cast<Milli>(g));
    Milli t = value < 0 ? value - shift : value + shift;
    Milli step = 1000 / g;
    if (step <= 0) return t;
    return t - t % step;
}

const char* UnitSuffix(Unit unit) { return unit == Unit::Inches ? "''" : " cm"; }

std::string FormatUnits(Milli value, Unit unit, char decimalSeparator) {
    return MilliText(value, decimalSeparator) + UnitSuffix(unit);
}

std::string FormatUnitsOnGrid(Milli value, Unit unit, char decimalSeparator, int g) {
    return FormatUnits(OnGrid(value, g > 0 ? g : DefaultGrid(unit)), unit, decimalSeparator);
}

std::optional<std::string> ListText(std::string_view typed, Unit unit, char decimalSeparator) {
    auto d = ParseDecimal(CutUnitCharacters(typed), decimalSeparator);
    if (!d) return std::nullopt;
    return DecimalText(*d, decimalSeparator) + UnitSuffix(unit);
}

}  // namespace units
