#include "RichEdit.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "core/RtfIndents.h"

const EnumNames kScrollStyleNames = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
const EnumNames kEditAlignmentNames = {"taLeftJustify", "taRightJustify", "taCenter"};
const EnumNames kEditBorderStyleNames = {"bsNone", "bsSingle"};

THourglass::THourglass() : saved_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
THourglass::~THourglass() { SetCursor(saved_); }

namespace {

struct InState {
    TRichStreamReader reader;
    bool failed = false;
};

struct OutState {
    TStream& stream;
    TConversion* conversion;
    bool failed = false;
};

// The window's stream callbacks: nothing may be thrown through the window,
// so a failing stream becomes the window's error code.
DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* st = reinterpret_cast<InState*>(cookie);
    try {
        *done = static_cast<LONG>(st->reader.Fill(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(size)));
        return 0;
    } catch (...) {
        *done = 0;
        st->failed = true;
        return 1;
    }
}

DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* st = reinterpret_cast<OutState*>(cookie);
    try {
        const char* p = reinterpret_cast<const char*>(buffer);
        std::size_t n = st->conversion ? st->conversion->ConvertWriteStream(st->stream, p, static_cast<std::size_t>(size))
                                       : st->stream.Write(p, static_cast<std::size_t>(size));
        *done = static_cast<LONG>(n);
        if (n == static_cast<std::size_t>(size)) return 0;
    } catch (...) {
        *done = 0;
    }
    st->failed = true;
    return 1;
}

// Whether the platform's rich edit writes a paragraph's indents under each
// other's names (Wine's does; its reader reads them right). Asked once, of a
// hidden window of its own: a paragraph 720 in with its first line at 360.
bool WriterSwapsIndents() {
    static const bool swaps = [] {
        HWND w = CreateWindowExA(0, "RichEdit20A", "", ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (!w) return false;
        TMemoryStream in, out;
        const char probe[] = "{\\rtf1\\ansi\\pard\\li720\\fi-360 x\\par}";
        in.Write(probe, sizeof probe - 1);
        in.SetPosition(0);
        InState is{TRichStreamReader(in, nullptr)};
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&is), 0, StreamInCallback};
        SendMessageA(w, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
        OutState os{out, nullptr};
        EDITSTREAM oes{reinterpret_cast<DWORD_PTR>(&os), 0, StreamOutCallback};
        SendMessageA(w, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&oes));
        DestroyWindow(w);
        std::string written = out.Bytes();
        return written.find("\\li720\\fi-360") == std::string::npos && written.find("\\li360\\fi360") != std::string::npos;
    }();
    return swaps;
}

BYTE PitchBits(TFontPitch p) {
    return p == TFontPitch::fpFixed ? FIXED_PITCH : p == TFontPitch::fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
}

TFontPitch PitchOf(BYTE bits) {
    switch (bits & 3) {
    case FIXED_PITCH: return TFontPitch::fpFixed;
    case VARIABLE_PITCH: return TFontPitch::fpVariable;
    default: return TFontPitch::fpDefault;
    }
}

TFontStyles StyleOf(DWORD effects) {
    TFontStyles s = 0;
    if (effects & CFE_BOLD) s |= fsBold;
    if (effects & CFE_ITALIC) s |= fsItalic;
    if (effects & CFE_UNDERLINE) s |= fsUnderline;
    if (effects & CFE_STRIKEOUT) s |= fsStrikeOut;
    return s;
}

DWORD EffectsOf(TFontStyles s) {
    DWORD e = 0;
    if (s & fsBold) e |= CFE_BOLD;
    if (s & fsItalic) e |= CFE_ITALIC;
    if (s & fsUnderline) e |= CFE_UNDERLINE;
    if (s & fsStrikeOut) e |= CFE_STRIKEOUT;
    return e;
}

constexpr DWORD kStyleMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;

}  // namespace

// ---------------------------------------------------------------- TTextAttributes

CX_IMPLEMENT_CLASS(TTextAttributes, TPersistent, CX_ABSTRACT, {})

CHARFORMAT2A TTextAttributes::Get() {
    CHARFORMAT2A f{};
    HWND w = owner_.Handle();
    f.cbSize = owner_.Version1Window() ? sizeof(CHARFORMATA) : sizeof(CHARFORMAT2A);
    SendMessageA(w, EM_GETCHARFORMAT, kind_ == Kind::Selected ? SCF_SELECTION : SCF_DEFAULT, reinterpret_cast<LPARAM>(&f));
    return f;
}

void TTextAttributes::Set(CHARFORMAT2A& f, DWORD mask) {
    HWND w = owner_.Handle();
    f.cbSize = owner_.Version1Window() ? sizeof(CHARFORMATA) : sizeof(CHARFORMAT2A);
    f.dwMask = mask;
    SendMessageA(w, EM_SETCHARFORMAT, kind_ == Kind::Selected ? SCF_SELECTION : SCF_DEFAULT, reinterpret_cast<LPARAM>(&f));
}

std::string TTextAttributes::Name() { return Get().szFaceName; }

void TTextAttributes::SetName(const std::string& v) {
    CHARFORMAT2A f{};
    lstrcpynA(f.szFaceName, v.c_str(), LF_FACESIZE);
    Set(f, CFM_FACE);
}

int TTextAttributes::Size() { return Get().yHeight / 20; }

void TTextAttributes::SetSize(int points) {
    CHARFORMAT2A f{};
    f.yHeight = points * 20;
    Set(f, CFM_SIZE);
}

int TTextAttributes::Height() { return MulDiv(Size(), owner_.ScreenPixelsPerInch(), 72); }
void TTextAttributes::SetHeight(int pixels) { SetSize(MulDiv(pixels, 72, owner_.ScreenPixelsPerInch())); }

TFontStyles TTextAttributes::Style() { return StyleOf(Get().dwEffects); }

void TTextAttributes::SetStyle(TFontStyles v) {
    CHARFORMAT2A f{};
    f.dwEffects = EffectsOf(v);
    Set(f, kStyleMask);
}

TColor TTextAttributes::Color() {
    CHARFORMAT2A f = Get();
    if (f.dwEffects & CFE_AUTOCOLOR) return clWindowText;
    return static_cast<TColor>(f.crTextColor);
}

void TTextAttributes::SetColor(TColor v) {
    CHARFORMAT2A f{};
    if (v == clWindowText) f.dwEffects = CFE_AUTOCOLOR;
    else f.crTextColor = ColorToRGB(v);
    Set(f, CFM_COLOR);
}

int TTextAttributes::Charset() { return Get().bCharSet; }

void TTextAttributes::SetCharset(int v) {
    CHARFORMAT2A f{};
    f.bCharSet = static_cast<BYTE>(v);
    Set(f, CFM_CHARSET);
}

TFontPitch TTextAttributes::Pitch() { return PitchOf(Get().bPitchAndFamily); }

void TTextAttributes::SetPitch(TFontPitch v) {
    // The pitch travels with the face name.
    CHARFORMAT2A f = Get();
    f.bPitchAndFamily = static_cast<BYTE>((f.bPitchAndFamily & ~3) | PitchBits(v));
    Set(f, CFM_FACE);
}

bool TTextAttributes::Protected() { return (Get().dwEffects & CFE_PROTECTED) != 0; }

void TTextAttributes::SetProtected(bool v) {
    CHARFORMAT2A f{};
    f.dwEffects = v ? CFE_PROTECTED : 0;
    Set(f, CFM_PROTECTED);
}

void TTextAttributes::Assign(TPersistent* source) {
    if (auto* font = dynamic_cast<TFont*>(source)) {
        CHARFORMAT2A f{};
        lstrcpynA(f.szFaceName, font->Name().c_str(), LF_FACESIZE);
        f.bPitchAndFamily = PitchBits(font->Pitch());
        f.yHeight = font->Size() * 20;
        f.dwEffects = EffectsOf(font->Style());
        if (font->Color() == clWindowText) f.dwEffects |= CFE_AUTOCOLOR;
        else f.crTextColor = ColorToRGB(font->Color());
        f.bCharSet = static_cast<BYTE>(font->Charset());
        Set(f, CFM_FACE | CFM_SIZE | kStyleMask | CFM_COLOR | CFM_CHARSET);
        return;
    }
    if (auto* a = dynamic_cast<TTextAttributes*>(source)) {
        CHARFORMAT2A f = a->Get();
        Set(f, CFM_FACE | CFM_SIZE | kStyleMask | CFM_COLOR | CFM_CHARSET | CFM_PROTECTED);
        return;
    }
    TPersistent::Assign(source);
}

void TTextAttributes::AssignTo(TFont& font) {
    CHARFORMAT2A f = Get();
    font.SetName(f.szFaceName);
    font.SetSize(f.yHeight / 20);
    font.SetStyle(StyleOf(f.dwEffects));
    font.SetColor((f.dwEffects & CFE_AUTOCOLOR) ? clWindowText : static_cast<TColor>(f.crTextColor));
    font.SetCharset(f.bCharSet);
    font.SetPitch(PitchOf(f.bPitchAndFamily));
}

// ---------------------------------------------------------------- TParaAttributes

CX_IMPLEMENT_CLASS(TParaAttributes, TPersistent, CX_ABSTRACT, {})

PARAFORMAT2 TParaAttributes::Get() {
    PARAFORMAT2 p{};
    HWND w = owner_.Handle();
    p.cbSize = owner_.Version1Window() ? sizeof(PARAFORMAT) : sizeof(PARAFORMAT2);
    SendMessageA(w, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
    return p;
}

void TParaAttributes::Set(PARAFORMAT2& p, DWORD mask) {
    HWND w = owner_.Handle();
    p.cbSize = owner_.Version1Window() ? sizeof(PARAFORMAT) : sizeof(PARAFORMAT2);
    p.dwMask = mask;
    SendMessageA(w, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
}

TEditAlignment TParaAttributes::Alignment() {
    switch (Get().wAlignment) {
    case PFA_RIGHT: return TEditAlignment::taRightJustify;
    case PFA_CENTER: return TEditAlignment::taCenter;
    default: return TEditAlignment::taLeftJustify;
    }
}

void TParaAttributes::SetAlignment(TEditAlignment v) {
    PARAFORMAT2 p{};
    p.wAlignment = v == TEditAlignment::taRightJustify ? PFA_RIGHT : v == TEditAlignment::taCenter ? PFA_CENTER : PFA_LEFT;
    Set(p, PFM_ALIGNMENT);
}

int TParaAttributes::FirstIndent() { return Get().dxStartIndent / 20; }

void TParaAttributes::SetFirstIndent(int v) {
    PARAFORMAT2 p{};
    p.dxStartIndent = v * 20;
    Set(p, PFM_STARTINDENT);
}

int TParaAttributes::LeftIndent() { return Get().dxOffset / 20; }

void TParaAttributes::SetLeftIndent(int v) {
    PARAFORMAT2 p{};
    p.dxOffset = v * 20;
    Set(p, PFM_OFFSET);
}

int TParaAttributes::RightIndent() { return Get().dxRightIndent / 20; }

void TParaAttributes::SetRightIndent(int v) {
    PARAFORMAT2 p{};
    p.dxRightIndent = v * 20;
    Set(p, PFM_RIGHTINDENT);
}

TNumberingStyle TParaAttributes::Numbering() {
    return Get().wNumbering == PFN_BULLET ? TNumberingStyle::nsBullet : TNumberingStyle::nsNone;
}

void TParaAttributes::SetNumbering(TNumberingStyle v) {
    PARAFORMAT2 p{};
    p.wNumbering = v == TNumberingStyle::nsBullet ? PFN_BULLET : 0;
    Set(p, PFM_NUMBERING);
}

int TParaAttributes::TabCount() { return Get().cTabCount; }

int TParaAttributes::Tab(int index) {
    PARAFORMAT2 p = Get();
    if (index < 0 || index >= p.cTabCount) return 0;
    return (p.rgxTabs[index] & 0x00FFFFFF) / 20;
}

void TParaAttributes::SetTabs(const std::vector<int>& points) {
    PARAFORMAT2 p{};
    p.cTabCount = static_cast<SHORT>(std::min<std::size_t>(points.size(), MAX_TAB_STOPS));
    for (int k = 0; k < p.cTabCount; ++k) p.rgxTabs[k] = points[static_cast<std::size_t>(k)] * 20;
    Set(p, PFM_TABSTOPS);
}

// ---------------------------------------------------------------- TRichEditStrings

CX_IMPLEMENT_CLASS(TRichEditStrings, TStrings, CX_ABSTRACT, {})

int TRichEditStrings::Count() {
    HWND w = owner_.Handle();
    int n = static_cast<int>(SendMessageA(w, EM_GETLINECOUNT, 0, 0));
    if (n > 0) {
        LRESULT last = SendMessageA(w, EM_LINEINDEX, static_cast<WPARAM>(n - 1), 0);
        if (last >= 0 && SendMessageA(w, EM_LINELENGTH, static_cast<WPARAM>(last), 0) == 0) --n;
    }
    return n;
}

std::string TRichEditStrings::Get(int index) {
    char buf[kLineBufferSize];
    *reinterpret_cast<WORD*>(buf) = kLineBufferSize;
    auto n = static_cast<std::size_t>(
        SendMessageA(owner_.Handle(), EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf)));
    n = std::min<std::size_t>(n, kLineBufferSize);
    std::string s(buf, n);
    if (s.size() >= 2 && s[s.size() - 2] == '\r' && s.back() == '\n') s.resize(s.size() - 2);
    else if (!s.empty() && s.back() == '\r') s.pop_back();
    return s;
}

void TRichEditStrings::Put(int index, const std::string& s) {
    if (index < 0) return;
    HWND w = owner_.Handle();
    LRESULT start = SendMessageA(w, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0) return;
    LRESULT len = SendMessageA(w, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    CHARRANGE r{static_cast<LONG>(start), static_cast<LONG>(start + len)};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(w, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s.c_str()));
}

void TRichEditStrings::Insert(int index, const std::string& s) {
    if (index < 0) return;
    HWND w = owner_.Handle();
    LRESULT start = SendMessageA(w, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    std::string text;
    if (start >= 0) {
        text = s + "\r\n";
    } else {
        // Past the last line: only a non-empty last line gets a line break and the text.
        if (index == 0) return;
        LRESULT prev = SendMessageA(w, EM_LINEINDEX, static_cast<WPARAM>(index - 1), 0);
        if (prev < 0) return;
        LRESULT len = SendMessageA(w, EM_LINELENGTH, static_cast<WPARAM>(prev), 0);
        if (len == 0) return;
        start = prev + len;
        text = "\r\n" + s;
    }
    CHARRANGE r{static_cast<LONG>(start), static_cast<LONG>(start)};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(w, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TRichEditStrings::Delete(int index) {
    if (index < 0) return;
    HWND w = owner_.Handle();
    LRESULT start = SendMessageA(w, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0) return;
    LRESULT end = SendMessageA(w, EM_LINEINDEX, static_cast<WPARAM>(index + 1), 0);
    if (end < 0) end = start + SendMessageA(w, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    CHARRANGE r{static_cast<LONG>(start), static_cast<LONG>(end)};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(w, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
}

void TRichEditStrings::Clear() { owner_.Clear(); }

std::string TRichEditStrings::GetText() { return owner_.Text(); }

void TRichEditStrings::SetText(const std::string& text) {
    TMemoryStream ms;
    ms.WriteString(text);
    ms.SetPosition(0);
    if (!owner_.StreamIn(ms, SF_TEXT)) throw EStreamError("Failed to Load Stream");
}

void TRichEditStrings::SetStrings(const std::vector<std::string>& lines) {
    std::string text;
    for (auto& s : lines) text += s + "\r\n";
    SetText(text);
}

void TRichEditStrings::LoadFromFile(const std::string& fileName) {
    std::unique_ptr<TConversion> conversion = ConversionForFile(fileName);
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    // A long file must not stop at the window's text limit while it loads.
    owner_.SetTextLimit(0x7FFFFFF0);
    {
        Restore<TConversion*> converting(conversion_, conversion.get());
        LoadFromStream(f);
    }
    owner_.SetTextLimit(0x7FFFFFF0);
}

void TRichEditStrings::SaveToFile(const std::string& fileName) {
    std::unique_ptr<TConversion> conversion = ConversionForFile(fileName);
    TFileStream f(fileName, fmCreate);
    Restore<TConversion*> converting(conversion_, conversion.get());
    SaveToStream(f);
}

void TRichEditStrings::LoadFromStream(TStream& stream) {
    std::int64_t start = stream.Position();
    if (!owner_.PlainText()) {
        if (owner_.StreamIn(stream, SF_RTF, conversion_)) return;
        stream.SetPosition(start);
    }
    if (!owner_.StreamIn(stream, SF_TEXT, conversion_)) throw EStreamError("Failed to Load Stream");
}

void TRichEditStrings::SaveToStream(TStream& stream) {
    if (!owner_.StreamOut(stream, owner_.PlainText() ? SF_TEXT : SF_RTF, conversion_))
        throw EStreamError("Failed to Save Stream");
}

void TRichEditStrings::SetUpdateState(bool updating) {
    if (!owner_.HandleAllocated()) return;
    if (owner_.Showing()) SendMessageA(owner_.WindowHandle(), WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating) {
        owner_.Repaint();
        owner_.NotifyTextChanged();
    }
}

// ---------------------------------------------------------------- TCustomRichEdit

CX_IMPLEMENT_CLASS(TCustomRichEdit, TWinControl, CX_ABSTRACT, {})

TCustomRichEdit::TCustomRichEdit(TComponent* owner)
    : TWinControl(owner),
      baseLines_(std::make_unique<TRichEditStrings>(*this)),
      defAttributes_(*this, TTextAttributes::Kind::Default),
      selAttributes_(*this, TTextAttributes::Kind::Selected),
      paragraph_(*this) {
    TabStop = true;
    width_ = 185;
    height_ = 89;
    parentColor_ = false;
    color_ = clWindow;
    ControlStyle &= ~csSetCaption;
    platformMajorVersion_ = LOBYTE(LOWORD(GetVersion()));
    WindowDc screen(nullptr);
    screenPixelsPerInch_ = GetDeviceCaps(screen, LOGPIXELSY);
}

TCustomRichEdit::~TCustomRichEdit() {
    SetState(csDestroying, true);
    DestroyHandle();
}

long TCustomRichEdit::AccessibleRole() const { return ROLE_SYSTEM_TEXT; }

bool TCustomRichEdit::Dying() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (c->Has(csDestroying)) return true;
    return false;
}

bool TCustomRichEdit::Version1Window() const { return windowClass_ == "RICHEDIT"; }

void TCustomRichEdit::CreateParams(TCreateParams& p) {
    // The version-1 library stays loaded for the life of the process: the
    // superclassed window procedure lives in it.
    static const HMODULE riched32 = [] {
        HMODULE h = LoadLibraryA("RICHED32.DLL");
        return reinterpret_cast<std::uintptr_t>(h) <= 32 ? nullptr : h;
    }();
    (void)riched32;
    if (!parent_) throw EInvalidOperation("Control '" + NamePath() + "' has no parent window");
    TWinControl::CreateParams(p);
    p.baseClassName = "RICHEDIT";
    windowClass_ = p.baseClassName;
    p.style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (TabStop) p.style |= WS_TABSTOP;
    if (wantReturns_) p.style |= ES_WANTRETURN;
    if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth) p.style |= WS_HSCROLL;
    if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth) p.style |= WS_VSCROLL;
    if (!wordWrap_) p.style |= ES_AUTOHSCROLL;
    if (readOnly_) p.style |= ES_READONLY;
    if (!hideSelection_) p.style |= ES_NOHIDESEL;
    if (!hideScrollBars_) p.style |= ES_DISABLENOSCROLL;
    if (alignment_ == TEditAlignment::taRightJustify) p.style |= ES_RIGHT;
    else if (alignment_ == TEditAlignment::taCenter) p.style |= ES_CENTER;
    if (borderStyle_ == TEditBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomRichEdit::CreateWnd() {
    TWinControl::CreateWnd();
    // The window repaints what a resize uncovers itself.
    auto cs = GetClassLongPtrA(wnd_, GCL_STYLE);
    if (cs & (CS_HREDRAW | CS_VREDRAW)) SetClassLongPtrA(wnd_, GCL_STYLE, cs & ~(CS_HREDRAW | CS_VREDRAW));
    SendMessageA(wnd_, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED);
    SendMessageA(wnd_, EM_SETBKGNDCOLOR, 0, ColorToRGB(color_));
    // The platform's own default format is not the control's font.
    CopyFontToDefAttributes();
    if (maxLength_ > 0) SetTextLimit(maxLength_);
    if (!wordWrap_) SendMessageA(wnd_, EM_SETTARGETDEVICE, 0, 1);
    if (keptDocument_) {
        std::unique_ptr<TMemoryStream> doc = std::move(keptDocument_);
        doc->SetPosition(0);
        baseLines_->LoadFromStream(*doc);
    }
}

void TCustomRichEdit::DestroyWnd() {
    if (wnd_ && !Dying() && GetTextLen() > 0) {
        auto doc = std::make_unique<TMemoryStream>();
        baseLines_->SaveToStream(*doc);
        keptDocument_ = std::move(doc);
    }
    TWinControl::DestroyWnd();
}

namespace {
// Whether a UTF-16 character survives the trip through the ANSI code page.
bool FitsAnsiCodePage(wchar_t c) {
    char out[4];
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, out, sizeof out, nullptr, &lost);
    return n > 0 && !lost;
}
}  // namespace

bool TCustomRichEdit::PreTranslateMessage(MSG& msg) {
    if (msg.message != WM_CHAR || msg.hwnd != wnd_ || msg.wParam < 0x80 || msg.wParam > 0xFFFF)
        return TWinControl::PreTranslateMessage(msg);
    const auto c = static_cast<wchar_t>(msg.wParam);
    std::wstring text;
    if (IS_HIGH_SURROGATE(c)) {
        pendingHighSurrogate_ = c;
        return true;
    }
    if (IS_LOW_SURROGATE(c)) {
        if (!pendingHighSurrogate_) return true;  // half a character: nothing to type
        text = {pendingHighSurrogate_, c};
    } else {
        pendingHighSurrogate_ = 0;
        if (FitsAnsiCodePage(c)) return false;  // the usual path keeps it
        text.assign(1, c);
    }
    pendingHighSurrogate_ = 0;
    if (ReadOnly()) {
        MessageBeep(MB_OK);
        return true;
    }
    // The text limit holds as for any typed character.
    GETTEXTLENGTHEX count{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto length = SendMessageW(wnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&count), 0);
    CHARRANGE sel{};
    SendMessageW(wnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const auto limit = SendMessageW(wnd_, EM_GETLIMITTEXT, 0, 0);
    if (length - (sel.cpMax - sel.cpMin) + static_cast<LRESULT>(text.size()) > limit) {
        MessageBeep(MB_OK);
        return true;
    }
    // As a typed character: one undo step, the selection replaced, the
    // character in the window's current format.
    SETTEXTEX how{ST_SELECTION | ST_KEEPUNDO, 1200};
    SendMessageW(wnd_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

void TCustomRichEdit::WndProc(TMessage& m) {
    switch (m.msg) {
    case WM_SETFONT:
        // The document's default format follows Font (see FontChanged); the
        // platform would apply the font to the whole text.
        m.result = 0;
        return;
    case kReflect + WM_COMMAND:
        if (HIWORD(m.wParam) == EN_CHANGE) {
            Change();
            return;
        }
        break;
    case kReflect + WM_NOTIFY: {
        auto* h = reinterpret_cast<NMHDR*>(m.lParam);
        switch (h->code) {
        case EN_SELCHANGE: SelectionChange(); m.result = 0; return;
        case EN_REQUESTRESIZE: RequestSize(reinterpret_cast<REQRESIZE*>(h)->rc); m.result = 0; return;
        case EN_PROTECTED: {
            auto* p = reinterpret_cast<ENPROTECTED*>(h);
            m.result = ProtectChange(p->chrg.cpMin, p->chrg.cpMax) ? 0 : 1;
            return;
        }
        case EN_SAVECLIPBOARD: {
            auto* s = reinterpret_cast<ENSAVECLIPBOARD*>(h);
            m.result = SaveClipboard(s->cObjectCount, s->cch) ? 0 : 1;
            return;
        }
        default: break;
        }
        break;
    }
    case WM_CHAR:
        if ((m.wParam == '\t' && !wantTabs_) || (m.wParam == '\r' && !wantReturns_)) return;
        break;
    case WM_GETDLGCODE: {
        // Some rich edit windows claim every key. Tab and Return are the
        // control's only when it wants them; otherwise the form moves the
        // focus or presses its default button, as in any dialog.
        TWinControl::WndProc(m);
        if (!wantTabs_) m.result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        const auto* key = reinterpret_cast<const MSG*>(m.lParam);
        if (key && key->message == WM_KEYDOWN &&
            ((key->wParam == VK_TAB && !wantTabs_) || (key->wParam == VK_RETURN && !wantReturns_)))
            m.result &= ~static_cast<LRESULT>(DLGC_WANTMESSAGE | DLGC_WANTALLKEYS);
        return;
    }
    case WM_KEYDOWN:
        // Some rich edit windows break the paragraph at the key, before the character.
        if (m.wParam == VK_RETURN && !wantReturns_ && GetKeyState(VK_CONTROL) >= 0) {
            if (OnKeyDown) {
                WORD key = VK_RETURN;
                OnKeyDown(this, key, ShiftFromKeys(0));
            }
            return;
        }
        break;
    case WM_RBUTTONUP:
        TWinControl::WndProc(m);
        if (platformMajorVersion_ < 5 && wnd_) {
            POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
            ::ClientToScreen(wnd_, &pt);
            SendMessageA(wnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd_), MAKELPARAM(pt.x, pt.y));
        }
        return;
    default: break;
    }
    TWinControl::WndProc(m);
}

void TCustomRichEdit::CopyFontToDefAttributes() {
    if (!wnd_) return;
    CHARFORMAT2A now{};
    now.cbSize = Version1Window() ? sizeof(CHARFORMATA) : sizeof(CHARFORMAT2A);
    SendMessageA(wnd_, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&now));
    CHARFORMAT2A f{};
    DWORD mask = 0;
    TFont& font = font_;
    if (font.Name() != now.szFaceName || PitchOf(now.bPitchAndFamily) != font.Pitch()) {
        lstrcpynA(f.szFaceName, font.Name().c_str(), LF_FACESIZE);
        f.bPitchAndFamily = PitchBits(font.Pitch());
        mask |= CFM_FACE;
    }
    if (now.yHeight != font.Size() * 20) {
        f.yHeight = font.Size() * 20;
        mask |= CFM_SIZE;
    }
    if (StyleOf(now.dwEffects) != font.Style()) {
        f.dwEffects |= EffectsOf(font.Style());
        mask |= kStyleMask;
    }
    TColor nowColor = (now.dwEffects & CFE_AUTOCOLOR) ? clWindowText : static_cast<TColor>(now.crTextColor);
    if (nowColor != font.Color()) {
        if (font.Color() == clWindowText) f.dwEffects |= CFE_AUTOCOLOR;
        else f.crTextColor = ColorToRGB(font.Color());
        mask |= CFM_COLOR;
    }
    if (now.bCharSet != font.Charset()) {
        f.bCharSet = static_cast<BYTE>(font.Charset());
        mask |= CFM_CHARSET;
    }
    if (!mask) return;
    f.cbSize = now.cbSize;
    f.dwMask = mask;
    SendMessageA(wnd_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&f));
}

void TCustomRichEdit::FontChanged() {
    if (FontSetsDefaultFormat) CopyFontToDefAttributes();
    // The WM_SETFONT this sends stops at WndProc.
    TWinControl::FontChanged();
}

void TCustomRichEdit::ColorChanged() {
    if (wnd_) SendMessageA(wnd_, EM_SETBKGNDCOLOR, 0, ColorToRGB(color_));
    TWinControl::ColorChanged();
}

void TCustomRichEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomRichEdit::SelectionChange() {
    if (OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit::RequestSize(const RECT& r) {
    if (OnResizeRequest) OnResizeRequest(this, r);
}

bool TCustomRichEdit::ProtectChange(int startPos, int endPos) {
    bool allow = false;
    if (OnProtectChange) OnProtectChange(this, startPos, endPos, allow);
    return allow;
}

bool TCustomRichEdit::SaveClipboard(int numObjects, int numChars) {
    bool save = true;
    if (OnSaveClipboard) OnSaveClipboard(this, numObjects, numChars, save);
    return save;
}

bool TCustomRichEdit::StreamIn(TStream& stream, UINT format, TConversion* conversion, int chunkLimit) {
    HWND w = Handle();
    InState st{TRichStreamReader(stream, conversion, chunkLimit)};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&st);
    es.pfnCallback = StreamInCallback;
    SendMessageA(w, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0 && !st.failed;
}

bool TCustomRichEdit::StreamOut(TStream& stream, UINT format, TConversion* conversion) {
    HWND w = Handle();
    OutState st{stream, conversion};
    EDITSTREAM es{};
    es.pfnCallback = StreamOutCallback;
    if ((format & SF_RTF) && WriterSwapsIndents()) {
        // The document is written whole, its indents put right, then passed on:
        // read back, its paragraphs stay where they were.
        TMemoryStream whole;
        OutState wholeState{whole, nullptr};
        es.dwCookie = reinterpret_cast<DWORD_PTR>(&wholeState);
        SendMessageA(w, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
        if (es.dwError != 0 || wholeState.failed) return false;
        std::string fixed = rtfindents::FromSwapped(std::string_view(whole.Memory() ? whole.Memory() : "",
                                                                     static_cast<std::size_t>(whole.Size())));
        LONG done = 0;
        if (!fixed.empty() && StreamOutCallback(reinterpret_cast<DWORD_PTR>(&st), reinterpret_cast<LPBYTE>(fixed.data()),
                                                static_cast<LONG>(fixed.size()), &done) != 0)
            return false;
        return !st.failed;
    }
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&st);
    SendMessageA(w, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0 && !st.failed;
}

void TCustomRichEdit::SetTextLimit(int limit) {
    if (wnd_) SendMessageA(wnd_, EM_EXLIMITTEXT, 0, limit);
}

int TCustomRichEdit::SelStart() {
    CHARRANGE r{};
    SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMin;
}

void TCustomRichEdit::SetSelStart(int v) {
    CHARRANGE r{v, v};
    SendMessageA(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

int TCustomRichEdit::SelLength() {
    CHARRANGE r{};
    SendMessageA(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMax - r.cpMin;
}

void TCustomRichEdit::SetSelLength(int v) {
    HWND w = Handle();
    CHARRANGE r{};
    SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    r.cpMax = r.cpMin + v;
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(w, EM_SCROLLCARET, 0, 0);
}

std::string TCustomRichEdit::SelText() {
    HWND w = Handle();
    CHARRANGE r{};
    SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    if (r.cpMax <= r.cpMin) return {};
    // Two bytes a character leaves room for any code page.
    std::string s(static_cast<std::size_t>(r.cpMax - r.cpMin) * 2 + 1, '\0');
    auto n = SendMessageA(w, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(std::max<LRESULT>(0, n)));
    return s;
}

void TCustomRichEdit::SetSelText(const std::string& s) {
    SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s.c_str()));
}

void TCustomRichEdit::SelectAll() {
    CHARRANGE r{0, -1};
    SendMessageA(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

std::string TCustomRichEdit::Text() {
    HWND w = Handle();
    auto n = SendMessageA(w, WM_GETTEXTLENGTH, 0, 0);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    auto got = SendMessageA(w, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(std::max<LRESULT>(0, std::min(got, n))));
    return s;
}

int TCustomRichEdit::GetTextLen() { return static_cast<int>(SendMessageA(Handle(), WM_GETTEXTLENGTH, 0, 0)); }

bool TCustomRichEdit::Modified() { return SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0; }
void TCustomRichEdit::SetModified(bool v) { SendMessageA(Handle(), EM_SETMODIFY, v ? TRUE : FALSE, 0); }

void TCustomRichEdit::Clear() {
    keptDocument_.reset();
    if (!wnd_) return;
    SetWindowTextA(wnd_, "");
    SendMessageA(wnd_, EM_SETMODIFY, FALSE, 0);
}

void TCustomRichEdit::ClearSelection() { SendMessageA(Handle(), WM_CLEAR, 0, 0); }
void TCustomRichEdit::CopyToClipboard() { SendMessageA(Handle(), WM_COPY, 0, 0); }
void TCustomRichEdit::CutToClipboard() { SendMessageA(Handle(), WM_CUT, 0, 0); }
void TCustomRichEdit::PasteFromClipboard() { SendMessageA(Handle(), WM_PASTE, 0, 0); }
void TCustomRichEdit::Undo() { SendMessageA(Handle(), EM_UNDO, 0, 0); }

int TCustomRichEdit::FindText(const std::string& text, int start, int length, unsigned searchTypes) {
    FINDTEXTEXA ft{};
    ft.chrg.cpMin = start;
    ft.chrg.cpMax = start + length;
    ft.lpstrText = text.c_str();
    WPARAM flags = 0;
    if (searchTypes & stWholeWord) flags |= FR_WHOLEWORD;
    if (searchTypes & stMatchCase) flags |= FR_MATCHCASE;
    return static_cast<int>(SendMessageA(Handle(), EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&ft)));
}

void TCustomRichEdit::SetScrollBars(TScrollStyle v) {
    if (v == scrollBars_) return;
    scrollBars_ = v;
    RecreateWnd();
}

void TCustomRichEdit::SetAlignment(TEditAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    RecreateWnd();
}

void TCustomRichEdit::SetBorderStyle(TEditBorderStyle v) {
    if (v == borderStyle_) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomRichEdit::SetHideSelection(bool v) {
    if (v == hideSelection_) return;
    hideSelection_ = v;
    if (wnd_) SendMessageA(wnd_, EM_SETOPTIONS, v ? ECOOP_AND : ECOOP_OR, v ? ~static_cast<LPARAM>(ECO_NOHIDESEL) : ECO_NOHIDESEL);
}

void TCustomRichEdit::SetHideScrollBars(bool v) {
    if (v == hideScrollBars_) return;
    hideScrollBars_ = v;
    RecreateWnd();
}

void TCustomRichEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    if (wnd_) SendMessageA(wnd_, EM_SETREADONLY, v ? TRUE : FALSE, 0);
}

void TCustomRichEdit::SetMaxLength(int v) {
    maxLength_ = v;
    if (wnd_) SetTextLimit(v > 0 ? v : 0);
}

void TCustomRichEdit::SetWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    RecreateWnd();
}
