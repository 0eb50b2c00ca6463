#include "Convert.h"

#include <array>
#include <cstdio>
#include <utility>

namespace {

struct ColorName {
    TColor value;
    const char* name;
};

constexpr std::array<ColorName, 46> kColors{{
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"}, {0xF0CAA6, "clSkyBlue"}, {0xF0FBFF, "clCream"}, {0xA4A0A0, "clMedGray"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"}, {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"}, {clNone, "clNone"},
}};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    std::uint64_t v = 0;
    for (; i < s.size(); ++i) {
        int d = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
        if (d < 0) return std::nullopt;
        v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        // Hexadecimal text names the 32-bit pattern.
        // Negated as a 32-bit pattern too ("-$80000000" has no positive twin).
        auto u = static_cast<std::uint32_t>(v);
        return static_cast<std::int32_t>(neg ? 0u - u : u);
    }
    if (neg) {
        if (v > 0x80000000ull) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(v));
    }
    if (v > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::int32_t StrToInt(std::string_view s) {
    if (auto v = TryStrToInt(s)) return *v;
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

std::optional<TColor> IdentToColor(std::string_view name) {
    for (auto& c : kColors)
        if (name == c.name) return c.value;
    return std::nullopt;
}

std::optional<std::string> ColorToIdent(TColor c) {
    for (auto& k : kColors)
        if (k.value == c) return std::string(k.name);
    return std::nullopt;
}

std::string ColorToString(TColor c) {
    if (auto n = ColorToIdent(c)) return *n;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(c));
    return buf;
}

TColor StringToColor(std::string_view s) {
    if (auto c = IdentToColor(s)) return *c;
    return StrToInt(s);
}
