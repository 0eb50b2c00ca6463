// Text conversions shared by the program and the layout compiler: integers in
// the framework's forms, and colours with their names.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The framework's colour: red in bits 0-7, green 8-15, blue 16-23; values with
// the high byte 0xFF name system colours (low byte = the platform's index).
using TColor = std::int32_t;

inline constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                        clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                        clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor SysColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<std::uint32_t>(index)); }
inline constexpr TColor clScrollBar = SysColor(0), clBackground = SysColor(1), clActiveCaption = SysColor(2),
                        clInactiveCaption = SysColor(3), clMenu = SysColor(4), clWindow = SysColor(5),
                        clWindowFrame = SysColor(6), clMenuText = SysColor(7), clWindowText = SysColor(8),
                        clCaptionText = SysColor(9), clActiveBorder = SysColor(10), clInactiveBorder = SysColor(11),
                        clAppWorkSpace = SysColor(12), clHighlight = SysColor(13), clHighlightText = SysColor(14),
                        clBtnFace = SysColor(15), clBtnShadow = SysColor(16), clGrayText = SysColor(17),
                        clBtnText = SysColor(18), clInactiveCaptionText = SysColor(19),
                        clBtnHighlight = SysColor(20), cl3DDkShadow = SysColor(21), cl3DLight = SysColor(22),
                        clInfoText = SysColor(23), clInfoBk = SysColor(24);

// The framework's conversion error ("'%s' is not a valid integer value").
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Integer text: optional blanks, an optional sign, then decimal digits, or "$"
// or "0x" and hexadecimal digits. Nothing may follow. Out of the 32-bit range
// or malformed: nullopt.
std::optional<std::int32_t> TryStrToInt(std::string_view s);
// As above; raises EConvertError "'<s>' is not a valid integer value".
std::int32_t StrToInt(std::string_view s);

std::optional<TColor> IdentToColor(std::string_view name);
std::optional<std::string> ColorToIdent(TColor c);
// "clWhite" when the colour has a name, else "$" and eight hex digits.
std::string ColorToString(TColor c);
// A colour name, or an integer in any form TryStrToInt accepts.
// Raises EConvertError for anything else.
TColor StringToColor(std::string_view s);
