// Formatting commands of the rich text control and its length conversions.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/RtfHighlight.h"
#include "core/Units.h"
#include "wwRichEdit.h"

namespace {
// A value in units to thousandths (values come from twips in hundredths).
units::Milli ToMilli(double value) { return static_cast<units::Milli>(std::llround(value * 1000)); }
}  // namespace

// ---------------------------------------------------------------- lengths

units::Unit TwwCustomRichEdit::LengthUnit() const {
    return MeasurementUnits == TwwMeasurementUnits::muCentimeters ? units::Unit::Centimetres : units::Unit::Inches;
}

char TwwCustomRichEdit::DecimalSeparator() {
    char sep[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 1 && sep[0] != '\0') return sep[0];
    return '.';
}

int TwwCustomRichEdit::UnitsToTwips(const std::string& text) const {
    auto twips = units::TryUnitsToTwips(text, LengthUnit(), DecimalSeparator());
    if (!twips) {
        auto number = units::ParseDecimal(units::CutUnitCharacters(text), DecimalSeparator());
        if (number) throw Exception("'" + text + "' is out of range");
        throw Exception("'" + text + "' is not a valid floating point value");
    }
    return *twips;
}

double TwwCustomRichEdit::TwipsToUnits(int twips) const {
    return static_cast<double>(units::TwipsToHundredths(twips, LengthUnit())) / 100.0;
}

std::string TwwCustomRichEdit::FormatUnits(double value) const {
    return units::FormatUnits(ToMilli(value), LengthUnit(), DecimalSeparator());
}

std::string TwwCustomRichEdit::FormatUnitsOnGrid(double value, int grid) const {
    return units::FormatUnitsOnGrid(ToMilli(value), LengthUnit(), DecimalSeparator(), grid);
}

// ---------------------------------------------------------------- formatting commands

std::function<TwwAlignmentTexts()> TwwCustomRichEdit::AlignmentTexts;

namespace {
CHARFORMAT2A CharFormatFor(const TwwCustomRichEdit& c) {
    CHARFORMAT2A f{};
    f.cbSize = c.RichEditVersion() < 2 ? sizeof(CHARFORMATA) : sizeof(CHARFORMAT2A);
    return f;
}

int CALLBACK FirstFamilyCharset(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<int*>(found) = font->lfCharSet;
    return 0;  // the first family is enough
}
}  // namespace

int TwwCustomRichEdit::CharsetOfFace(const std::string& faceName) {
    int charset = Font()->Charset();
    if (SwitchOn(cswControlFontCharset)) return charset;
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, faceName.c_str(), LF_FACESIZE - 1);
    int found = -1;
    EnumFontFamiliesExA(WindowDc(nullptr), &lf, FirstFamilyCharset, reinterpret_cast<LPARAM>(&found), 0);
    return found >= 0 ? found : charset;
}

void TwwCustomRichEdit::ApplyFont(const std::string& faceName, int size, TColor color, TFontStyles style) {
    PrepareFieldEdit();
    CHARFORMAT2A f = CharFormatFor(*this);
    std::string face = faceName.substr(0, 31);
    std::strncpy(f.szFaceName, face.c_str(), sizeof f.szFaceName - 1);
    f.bCharSet = static_cast<BYTE>(CharsetOfFace(face));
    f.yHeight = size * 20;
    f.dwEffects = style & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    f.dwMask = CFM_SIZE | CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (color != clNone) {
        f.dwMask |= CFM_COLOR;
        f.crTextColor = ColorToRGB(color);
    }
    SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
}

void TwwCustomRichEdit::SetStyleEffect(TFontStyle effect, bool on) {
    PrepareFieldEdit();
    HWND w = Handle();
    CHARFORMAT2A f = CharFormatFor(*this);
    SendMessageA(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    const DWORD bit = effect & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    f.dwEffects = on ? (f.dwEffects | bit) : (f.dwEffects & ~bit);
    f.dwMask = bit;
    SendMessageA(w, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
}

void TwwCustomRichEdit::SetBullets(bool on) {
    PrepareFieldEdit();
    PARAFORMAT2 p{};
    p.cbSize = version_ < 2 ? sizeof(PARAFORMAT) : sizeof(PARAFORMAT2);
    if (on) {
        p.dwMask = PFM_NUMBERING | PFM_OFFSET;
        p.wNumbering = PFN_BULLET;
        p.dxOffset = 720;
    } else {
        p.dwMask = PFM_NUMBERING;
        p.wNumbering = 0;
    }
    SendMessageA(Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
}

void TwwCustomRichEdit::SetParagraphFormat(const TwwParagraphRequest& r) {
    PrepareFieldEdit();
    PARAFORMAT2 p{};
    p.cbSize = version_ < 2 ? sizeof(PARAFORMAT) : sizeof(PARAFORMAT2);
    static constexpr std::pair<unsigned, DWORD> kMask[] = {
        {pfrAlignment, PFM_ALIGNMENT},     {pfrNumbering, PFM_NUMBERING},     {pfrOffset, PFM_OFFSET},
        {pfrRightIndent, PFM_RIGHTINDENT}, {pfrStartIndent, PFM_STARTINDENT}, {pfrTabStops, PFM_TABSTOPS},
        {pfrSpaceBefore, PFM_SPACEBEFORE}, {pfrSpaceAfter, PFM_SPACEAFTER},   {pfrLineSpacing, PFM_LINESPACING}};
    for (auto [bit, platform] : kMask)
        if (r.Mask & bit) p.dwMask |= platform;
    // The short form has no spacing fields: a version-1 window gets none.
    constexpr DWORD kSpacingFields = PFM_SPACEBEFORE | PFM_SPACEAFTER | PFM_LINESPACING;
    if (version_ < 2) p.dwMask &= ~kSpacingFields;
    TwwAlignmentTexts texts = AlignmentTexts ? AlignmentTexts() : TwwAlignmentTexts{};
    if (r.Alignment == texts.Left)
        p.wAlignment = PFA_LEFT;
    else if (r.Alignment == texts.Right)
        p.wAlignment = PFA_RIGHT;
    else if (r.Alignment == texts.Justify)
        p.wAlignment = PFA_JUSTIFY;
    else
        p.wAlignment = PFA_CENTER;
    p.wNumbering = r.Bullets ? PFN_BULLET : 0;
    p.dxStartIndent = r.StartIndent;
    p.dxRightIndent = r.RightIndent;
    p.dxOffset = r.Offset;
    std::size_t tabs = std::min<std::size_t>(r.Tabs.size(), MAX_TAB_STOPS);
    p.cTabCount = static_cast<SHORT>(tabs);
    for (std::size_t k = 0; k < tabs; ++k) p.rgxTabs[k] = r.Tabs[k];
    p.dySpaceBefore = r.SpaceBefore;
    p.dySpaceAfter = r.SpaceAfter;
    if (r.LineSpacingRule == 1 || r.LineSpacingRule == 2) {
        p.bLineSpacingRule = 5;  // twentieths of a line
        p.dyLineSpacing = r.LineSpacingRule == 1 ? 30 : 40;
    } else {
        p.bLineSpacingRule = static_cast<BYTE>(r.LineSpacingRule);
        p.dyLineSpacing = r.LineSpacing;
    }
    SendMessageA(Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
}

PARAFORMAT2 TwwCustomRichEdit::GetParagraphFormat() {
    PARAFORMAT2 p{};
    if (!HandleAllocated()) return p;
    p.cbSize = version_ < 2 ? sizeof(PARAFORMAT) : sizeof(PARAFORMAT2);
    SendMessageA(wnd_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
    return p;
}

void TwwCustomRichEdit::SetHighlightColor(TColor color) {
    PrepareFieldEdit();
    if (color == -1) {
        RemoveHighlight();
        color = Color();
    }
    if (version_ < 2) return;
    HWND w = Handle();
    CHARFORMAT2A f = CharFormatFor(*this);
    f.dwMask = CFM_BACKCOLOR;
    f.crBackColor = ColorToRGB(color);
    SendMessageA(w, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    CHARRANGE r{};
    SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    r.cpMax = r.cpMin;
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

TColor TwwCustomRichEdit::GetHighlightColor() {
    if (version_ < 2 || !HandleAllocated()) return Color();
    CHARFORMAT2A f = CharFormatFor(*this);
    SendMessageA(wnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    // A selection on the window's own background has no colour of its own.
    if (!(f.dwMask & CFM_BACKCOLOR) || (f.dwEffects & CFE_AUTOBACKCOLOR)) return Color();
    return static_cast<TColor>(f.crBackColor);
}

namespace {
LONG TextLength(HWND w) {
    GETTEXTLENGTHEX q{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    return static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&q), 0));
}
}  // namespace

void TwwCustomRichEdit::RemoveHighlight() {
    HWND w = Handle();
    CHARRANGE sel{};
    SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const LONG before = TextLength(w);
    TwwRichMemoryStream out;
    if (!StreamOut(out, SF_RTF | SFF_SELECTION)) throw EStreamError("Failed to Save Stream");
    std::string edited = rtf::RemoveHighlightWords(out.Bytes());
    // Text streamed over a selection may start from the character format of
    // what it replaces: that format must not bring the highlight back.
    if (version_ >= 2) {
        CHARFORMAT2A plain = CharFormatFor(*this);
        plain.dwMask = CFM_BACKCOLOR;
        plain.dwEffects = CFE_AUTOBACKCOLOR;
        SendMessageA(w, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&plain));
    }
    TwwRichMemoryStream in;
    in.WriteString(edited);
    in.SetPosition(0);
    LoadStreamLimited(in, true, 0);
    // Only formatting went, so the text must be as long as before. Windows
    // differ at the document's end: the RTF of a selection that takes in the
    // final paragraph mark ends in a break, which one window adds as a new
    // line and another drops from a line it had. Either way the break is
    // put back as it was, rather than the document gaining or losing a line.
    const LONG end = std::min(sel.cpMax, before);
    const LONG delta = TextLength(w) - before;
    if (delta > 0 && TextRange(end, end + delta) == std::string(static_cast<std::size_t>(delta), '\r')) {
        CHARRANGE extra{end, end + delta};
        SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&extra));
        SendMessageA(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    } else if (delta < 0 && sel.cpMax > sel.cpMin) {
        CHARRANGE at{end + delta, end + delta};
        SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
        std::string breaks(static_cast<std::size_t>(-delta), '\r');
        SendMessageA(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(breaks.c_str()));
    }
    // The same characters are selected again.
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
}
