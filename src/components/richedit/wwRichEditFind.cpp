// Find, replace and the font dialog of the rich text control.
//
// Every search runs forward from the selection, once round the document:
// from where the search began to the end, then from the top back to where
// it began. The texts stay in UTF-16 from the dialog to the window.
#include "wwRichEditFind.h"

#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>

#include <algorithm>

#include "Forms.h"
#include "WideText.h"
#include "wwIntl.h"
#include "wwRichEdit.h"

// The platform's names for its find and replace calls, used below by name.
#undef FindText
#undef ReplaceText

// ---------------------------------------------------------------- TwwFindDialog

CX_IMPLEMENT_CLASS(TwwFindDialog, TReplaceDialog, CX_ABSTRACT, {})

TwwFindDialog::TwwFindDialog(TComponent* owner, bool replace) : TReplaceDialog(owner), replace_(replace) {}

bool TwwFindDialog::Execute() {
    if (wnd_ && IsWindow(wnd_)) {
        SetDlgItemTextW(wnd_, edt1, WideFindText.c_str());
        SetForegroundWindow(wnd_);
        SetActiveWindow(wnd_);
        return true;
    }
    FindText = AnsiFromWide(WideFindText);
    ReplaceText = AnsiFromWide(WideReplaceText);
    return TReplaceDialog::Execute();
}

void TwwFindDialog::SetSearchText(const std::wstring& text) {
    WideFindText = text;
    FindText = AnsiFromWide(text);
    if (wnd_ && IsWindow(wnd_)) SetDlgItemTextW(wnd_, edt1, text.c_str());
}

HWND TwwFindDialog::CreateDialogWindow(FINDREPLACEA& fr) {
    // The framework prepared its narrow request (owner, flags, hook, the
    // dialog as custom data); the wide one carries the same with wide
    // buffers. Its messages reach the dialog by the custom data.
    lstrcpynW(findWide_, WideFindText.c_str(), static_cast<int>(std::size(findWide_)));
    lstrcpynW(replaceWide_, WideReplaceText.c_str(), static_cast<int>(std::size(replaceWide_)));
    wide_ = FINDREPLACEW{};
    wide_.lStructSize = sizeof wide_;
    wide_.hwndOwner = fr.hwndOwner;
    wide_.hInstance = fr.hInstance;
    wide_.Flags = fr.Flags;
    wide_.lpstrFindWhat = findWide_;
    wide_.wFindWhatLen = sizeof findWide_;  // bytes
    wide_.lpstrReplaceWith = replaceWide_;
    wide_.wReplaceWithLen = sizeof replaceWide_;
    wide_.lCustData = fr.lCustData;
    wide_.lpfnHook = fr.lpfnHook;
    HWND w = replace_ ? ::ReplaceTextW(&wide_) : ::FindTextW(&wide_);
    // Some platforms run the wide dialog on a narrow one: the fields get
    // their texts from here, whole.
    if (w) {
        SetDlgItemTextW(w, edt1, WideFindText.c_str());
        if (replace_) SetDlgItemTextW(w, edt2, WideReplaceText.c_str());
    }
    return w;
}

namespace {
std::wstring FieldText(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    if (!field) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
    return text;
}
}  // namespace

void TwwFindDialog::Request(DWORD flags) {
    // The fields themselves: a platform that runs the wide dialog on a
    // narrow one hands back only what its code page holds.
    if (wnd_ && IsWindow(wnd_)) {
        WideFindText = FieldText(wnd_, edt1);
        if (replace_) WideReplaceText = FieldText(wnd_, edt2);
    } else {
        WideFindText = findWide_;
        WideReplaceText = replaceWide_;
    }
    // The framework's fields follow from its narrow buffers.
    lstrcpynA(findBuf_, AnsiFromWide(WideFindText).c_str(), sizeof findBuf_);
    lstrcpynA(replaceBuf_, AnsiFromWide(WideReplaceText).c_str(), sizeof replaceBuf_);
    TReplaceDialog::Request(flags);
}

// ---------------------------------------------------------------- the window's text

namespace {
CHARRANGE SelectionOf(HWND w) {
    CHARRANGE r{0, 0};
    SendMessageW(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}
void Select(HWND w, LONG start, LONG end) {
    CHARRANGE r{start, end};
    SendMessageW(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageW(w, EM_SCROLLCARET, 0, 0);
}
bool SameRange(const CHARRANGE& a, const CHARRANGE& b) { return a.cpMin == b.cpMin && a.cpMax == b.cpMax; }
bool HoldsLineBreak(const std::wstring& s) { return s.find_first_of(L"\r\n\v") != std::wstring::npos; }
unsigned SearchTypesOf(const TFindDialog& d) {
    return ((d.Options & frMatchCase) ? stMatchCase : 0u) | ((d.Options & frWholeWord) ? stWholeWord : 0u);
}
}  // namespace

int TwwCustomRichEdit::TextLengthW() {
    GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>(SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
}

std::wstring TwwCustomRichEdit::SelTextW() {
    HWND w = Handle();
    CHARRANGE r = SelectionOf(w);
    if (r.cpMax <= r.cpMin) return {};
    // An embedded object is one character; a break may grow to two.
    std::wstring buf(static_cast<std::size_t>(r.cpMax - r.cpMin) * 2 + 2, L'\0');
    GETTEXTEX how{};
    how.cb = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    how.flags = GT_SELECTION;
    how.codepage = 1200;
    auto n = SendMessageW(w, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<std::size_t>(std::clamp<LRESULT>(n, 0, static_cast<LRESULT>(buf.size()))));
    return buf;
}

void TwwCustomRichEdit::SetSelTextW(const std::wstring& text) {
    SETTEXTEX how{ST_SELECTION | ST_KEEPUNDO, 1200};
    SendMessageW(Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
}

int TwwCustomRichEdit::FindWideText(const std::wstring& text, int start, int length, unsigned searchTypes) {
    if (text.empty()) return -1;
    int total = TextLengthW();
    if (start < 0) start = 0;
    if (start > total) return -1;
    FINDTEXTEXW ft{};
    ft.chrg.cpMin = start;
    ft.chrg.cpMax = length < 0 || length > total - start ? total : start + length;
    ft.lpstrText = text.c_str();
    WPARAM flags = FR_DOWN;
    if (searchTypes & stWholeWord) flags |= FR_WHOLEWORD;
    if (searchTypes & stMatchCase) flags |= FR_MATCHCASE;
    // Through the control's own window procedure, as every find request.
    return static_cast<int>(SendMessageW(Handle(), EM_FINDTEXTEXW, flags, reinterpret_cast<LPARAM>(&ft)));
}

// ---------------------------------------------------------------- dialogs

void TwwCustomRichEdit::CreateDialogs() {
    findDialog_ = new TwwFindDialog(this, false);
    findDialog_->Options = frDown | frHideUpDown;
    findDialog_->OnFind = [this](TObject*) { FindRequest(*findDialog_); };
    findDialog_->OnClose = [this](TObject*) { DialogClosed(); };
    replaceDialog_ = new TwwFindDialog(this, true);
    replaceDialog_->Options = frDown | frHideUpDown;
    replaceDialog_->OnFind = [this](TObject*) { FindRequest(*replaceDialog_); };
    replaceDialog_->OnReplace = [this](TObject*) {
        lastSearchText_ = replaceDialog_->WideFindText;
        findDialog_->SetSearchText(lastSearchText_);
        ReplaceNextMatch();
    };
    replaceDialog_->OnClose = [this](TObject*) { DialogClosed(); };
    fontDialog_ = new TFontDialog(this);
    fontDialog_->Device = TFontDialogDevice::fdBoth;
    fontDialog_->MinFontSize = 0;
    fontDialog_->MaxFontSize = 0;
    CreatePopupMenu();
}

void TwwCustomRichEdit::ShowSearchDialog(TwwFindDialog& dialog) {
    std::wstring selected = SelTextW();
    dialog.SetSearchText(!selected.empty() && !HoldsLineBreak(selected) ? selected : lastSearchText_);
    BeginSearch();
    searchLeft_ = SelectionOf(Handle());
    // The match stays visible while the dialog has the focus; the setting
    // comes back when the last of the two dialogs closes.
    if (!findDialog_->Handle() && !replaceDialog_->Handle()) savedHideSelection_ = HideSelection();
    SetHideSelection(false);
    dialog.Execute();
}

void TwwCustomRichEdit::ShowFindDialog() { ShowSearchDialog(*findDialog_); }
void TwwCustomRichEdit::ShowReplaceDialog() { ShowSearchDialog(*replaceDialog_); }

void TwwCustomRichEdit::DialogClosed() {
    if (!findDialog_->Handle() && !replaceDialog_->Handle()) SetHideSelection(savedHideSelection_);
}

void TwwCustomRichEdit::FindRequest(TwwFindDialog& dialog) {
    lastSearchText_ = dialog.WideFindText;
    if (&dialog != findDialog_) {
        // Find Next in the replace dialog searches as that dialog says, and
        // the find commands repeat that search.
        findDialog_->SetSearchText(lastSearchText_);
        findDialog_->Options = (findDialog_->Options & ~(frMatchCase | frWholeWord)) |
                               (dialog.Options & (frMatchCase | frWholeWord));
    }
    FindNextMatch();
}

void TwwCustomRichEdit::FindNextMatch() {
    if (findDialog_->WideFindText.empty() && !lastSearchText_.empty()) findDialog_->SetSearchText(lastSearchText_);
    SearchStep(*findDialog_, false);
}

void TwwCustomRichEdit::ReplaceNextMatch() { SearchStep(*replaceDialog_, true); }

void TwwCustomRichEdit::SearchStep(TwwFindDialog& dialog, bool replacing) {
    const std::wstring what = dialog.WideFindText;
    if (what.empty()) return;  // nothing to look for
    if (replacing && GetReadOnly()) {
        MessageBeep(MB_OK);  // a read-only document is never changed
        return;
    }
    const std::wstring replacement = dialog.WideReplaceText;
    const unsigned types = SearchTypesOf(dialog);
    const LONG n = static_cast<LONG>(what.size());
    const LONG added = static_cast<LONG>(replacement.size()) - n;
    HWND w = Handle();
    // Replace All goes round once: each pass replaces one match and moves
    // past it, so there are never more passes than characters.
    const bool all = replacing && (dialog.Options & frReplaceAll);
    int passes = TextLengthW() + 2;
    if (!SameRange(SelectionOf(w), searchLeft_)) BeginSearch();
    // Whatever way the step ends, the next one knows the selection it left.
    ScopeExit left([this, w] { searchLeft_ = SelectionOf(w); });
    // A match at the place the search began counts going round only when
    // it was not met going forward.
    auto countsAfterWrap = [this](int at) {
        return at >= 0 && (at < searchStart_ || (at == searchStart_ && !searchStartMet_));
    };
    do {
        CHARRANGE sel = SelectionOf(w);
        // A selection is stepped over; the caret alone is a place to start.
        LONG from = sel.cpMax > sel.cpMin ? sel.cpMin + 1 : sel.cpMin;
        if (replacing) {
            int at = FindWideText(what, sel.cpMin, -1, types);
            if (at == sel.cpMin && sel.cpMax - sel.cpMin == n) {
                if (searchWrapped_) searchStart_ += added;
                else if (at == searchStart_) searchStartMet_ = true;
                SetSelTextW(replacement);
                LONG caret = at + static_cast<LONG>(replacement.size());
                Select(w, caret, caret);
                // The search goes on after the replacement, never into it.
                sel = CHARRANGE{caret, caret};
                from = caret;
            }
        }
        int match = FindWideText(what, from, -1, types);
        if (searchWrapped_ && !countsAfterWrap(match)) match = -1;
        if (!searchWrapped_ && match < 0 && sel.cpMin > 0) {
            match = FindWideText(what, 0, -1, types);
            searchWrapped_ = true;
            if (!countsAfterWrap(match)) match = -1;
        }
        if (match < 0) {
            NoMoreMatches(dialog);
            return;
        }
        if (!searchWrapped_ && match == searchStart_) searchStartMet_ = true;
        Select(w, match, match + n);
    } while (all && --passes > 0);
    for (TwwFindDialog* d : {findDialog_, replaceDialog_}) KeepMatchInSight(*d);
}

void TwwCustomRichEdit::KeepMatchInSight(TwwFindDialog& dialog) {
    // A dialog lying over the match moves below it, or above it when there
    // is no room below.
    HWND d = dialog.Handle(), w = Handle();
    if (!d || !IsWindowVisible(d)) return;
    CHARRANGE sel = SelectionOf(w);
    POINTL first{}, last{};
    SendMessageW(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), sel.cpMin);
    SendMessageW(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last), std::max(sel.cpMin, sel.cpMax - 1));
    const int lineHeight = std::max(8, SelAttributes()->Height());
    POINT topLeft{std::min(first.x, last.x), std::min(first.y, last.y)};
    POINT bottomRight{std::max(first.x, last.x) + lineHeight, std::max(first.y, last.y) + lineHeight + 4};
    ::ClientToScreen(w, &topLeft);
    ::ClientToScreen(w, &bottomRight);
    RECT match{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}, box{}, overlap{};
    GetWindowRect(d, &box);
    if (!IntersectRect(&overlap, &match, &box)) return;
    RECT work = Screen::WorkArea();
    const int height = box.bottom - box.top, gap = 16;
    int top = match.bottom + gap;
    if (top + height > work.bottom) top = std::max<int>(work.top, match.top - gap - height);
    SetWindowPos(d, nullptr, box.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TwwCustomRichEdit::NoMoreMatches(TwwFindDialog& dialog) {
    // The box belongs to the dialog in use, so that it waits for the answer.
    HWND active = GetActiveWindow(), owner = DialogOwner();
    if (active && (active == findDialog_->Handle() || active == replaceDialog_->Handle())) owner = active;
    else if (dialog.Handle() && IsWindowVisible(dialog.Handle())) owner = dialog.Handle();
    std::wstring text = WideFromAnsi(WwIntl().UserMessages.LocateNoMoreMatches);
    std::wstring caption = WideFromAnsi(Application ? Application->Title() : std::string());
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    BeginSearch();
}

void TwwCustomRichEdit::BeginSearch() {
    searchStart_ = SelectionOf(Handle()).cpMin;
    searchWrapped_ = false;
    searchStartMet_ = false;
}

bool TwwCustomRichEdit::FindAndReplace(const std::string& findText, const std::string& replaceText,
                                       unsigned searchTypes) {
    return FindAndReplace(WideFromAnsi(findText), WideFromAnsi(replaceText), searchTypes);
}

bool TwwCustomRichEdit::FindAndReplace(const std::wstring& findText, const std::wstring& replaceText,
                                       unsigned searchTypes) {
    if (findText.empty() || GetReadOnly()) return false;
    HWND w = Handle();
    int at = FindWideText(findText, SelectionOf(w).cpMin, -1, searchTypes);
    if (at < 0) return false;
    Select(w, at, at + static_cast<LONG>(findText.size()));
    SetSelTextW(replaceText);
    LONG caret = at + static_cast<LONG>(replaceText.size());
    Select(w, caret, caret);
    return true;
}

// ---------------------------------------------------------------- font dialog

bool TwwCustomRichEdit::ShowFontDialog() {
    TTextAttributes* sel = SelAttributes();
    TFont& font = fontDialog_->Font;
    font.SetName(sel->Name());
    font.SetStyle(sel->Style());
    const TColor before = sel->Color();
    font.SetColor(before);
    font.SetSize(sel->Size());
    font.SetPitch(sel->Pitch());
    if (UsesPrinterWidth()) fontDialog_->Options |= fdWysiwyg;
    else fontDialog_->Options &= ~static_cast<unsigned>(fdWysiwyg);
    if (!fontDialog_->Execute()) return false;
    PrepareFieldEdit();
    // The colour the selection had means no colour, so that mixed colours
    // stay. The dialog answers in plain RGB: the automatic text colour
    // comes back as its RGB value and is the same colour.
    TColor color = ColorToRGB(font.Color()) == ColorToRGB(before) ? clNone : font.Color();
    ApplyFont(font.Name(), font.Size(), color, font.Style());
    return true;
}
