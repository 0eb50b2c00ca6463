// The rich text control's stored document on its way into the window: cut
// into pieces, streamed in during idle time or at once when the document is
// needed; and the view's place (the line at the top) kept through re-wraps.
#include "wwRichEditLoad.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "wwRichEdit.h"

// ---------------------------------------------------------------- cutting RTF

TRtfCuts FindRtfCuts(const std::string& rtf) {
    TRtfCuts out;
    const std::size_t n = rtf.size();
    int depth = 0;
    bool bodyFound = false;
    // Per group: whether it is a destination (tables, info, "\*" groups) whose
    // content is not text.
    std::vector<bool> destination;
    auto isLetter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    // Reads the control word at i (rtf[i] == '\\'); returns its name and moves
    // i past its parameter and delimiter.
    auto controlWord = [&](std::size_t& i) {
        std::size_t k = i + 1;
        while (k < n && isLetter(rtf[k])) ++k;
        std::string name = rtf.substr(i + 1, k - i - 1);
        if (k < n && rtf[k] == '-') ++k;
        while (k < n && std::isdigit(static_cast<unsigned char>(rtf[k]))) ++k;
        if (k < n && rtf[k] == ' ') ++k;
        i = k;
        return name;
    };
    std::size_t i = 0;
    while (i < n) {
        char c = rtf[i];
        if (c == '{') {
            ++depth;
            bool dest = !destination.empty() && destination.back();
            // A group's destination word comes first.
            std::size_t k = i + 1;
            if (k + 1 < n && rtf[k] == '\\' && rtf[k + 1] == '*') dest = true;
            if (k < n && rtf[k] == '\\' && k + 1 < n && isLetter(rtf[k + 1])) {
                std::size_t j = k;
                std::string name = controlWord(j);
                static const char* const kDestinations[] = {"fonttbl", "colortbl", "stylesheet", "info", "pict",
                                                            "object", "header", "footer", "listtable",
                                                            "listoverridetable", "revtbl", "rsidtbl", "generator"};
                for (const char* d : kDestinations)
                    if (name == d) dest = true;
            }
            destination.push_back(dest);
            ++i;
            continue;
        }
        if (c == '}') {
            --depth;
            if (!destination.empty()) destination.pop_back();
            ++i;
            continue;
        }
        if (c == '\\') {
            if (i + 1 >= n) break;
            char d = rtf[i + 1];
            if (!isLetter(d)) {
                // A control symbol: "\'hh" carries a character.
                if (d == '\'') {
                    if (!bodyFound && !(destination.empty() || destination.back())) return {};
                    i += 4;
                } else {
                    if (!bodyFound && d != '*' && d != '\r' && d != '\n' && !(destination.empty() || destination.back()))
                        return {};
                    i += 2;
                }
                continue;
            }
            std::size_t start = i;
            std::string name = controlWord(i);
            if (name == "bin" || name == "trowd") return {};
            if (name == "pard" && depth == 1) {
                if (!bodyFound) {
                    bodyFound = true;
                    out.bodyStart = start;
                    continue;
                }
                // The control words that follow decide.
                bool plain = false;
                std::size_t k = i;
                while (k < n) {
                    if (rtf[k] == '\r' || rtf[k] == '\n') {
                        ++k;
                        continue;
                    }
                    if (rtf[k] != '\\' || k + 1 >= n || !isLetter(rtf[k + 1])) break;
                    std::string w = controlWord(k);
                    if (w == "plain") plain = true;
                }
                if (plain && start > out.bodyStart) out.cuts.push_back(start);
            }
            continue;
        }
        if (!bodyFound && c != '\r' && c != '\n' && depth >= 1 && !(destination.empty() || destination.back()))
            return {};  // text before the first paragraph: the header would repeat it
        ++i;
    }
    if (!bodyFound) return {};
    return out;
}

// ---------------------------------------------------------------- the background queue

namespace {

bool deferredLoading = false;
std::vector<TwwCustomRichEdit*> queue;
UINT_PTR timer = 0;

// How long one turn of the background load may keep the thread, in ms: the
// windows must answer within a tenth of a second.
constexpr int kTurnMs = 50;
constexpr std::size_t kLastPartBytes = 16 * 1024;
constexpr int kPieceMs = 30;
// All at once, pieces of about this size went fastest (bench/bigload).
constexpr std::size_t kCompletePieceBytes = 128 * 1024;
// The platform window's own undo limit, which the control keeps.
constexpr int kUndoLimit = 100;

void Unqueue(TwwCustomRichEdit* c) {
    queue.erase(std::remove(queue.begin(), queue.end(), c), queue.end());
    if (queue.empty() && timer) {
        KillTimer(nullptr, timer);
        timer = 0;
    }
}

// Input, a posted message (the close command) or a sent one ends the turn.
bool MessageWaiting() { return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0; }

// A thread timer's message comes only when nothing else waits: the load runs
// in the time the program would otherwise sleep.
void CALLBACK LoadTurn(HWND, UINT, UINT_PTR, DWORD) {
    DWORD start = GetTickCount();
    while (!queue.empty()) {
        TwwCustomRichEdit* c = queue.front();
        try {
            if (!c->LoadDocumentPiece(kPieceMs)) Unqueue(c);
        } catch (...) {
            Unqueue(c);
            if (Application) Application->HandleException(c);
            return;
        }
        if (static_cast<int>(GetTickCount() - start) >= kTurnMs || MessageWaiting()) return;
    }
}

void Enqueue(TwwCustomRichEdit* c) {
    if (std::find(queue.begin(), queue.end(), c) == queue.end()) queue.push_back(c);
    if (!timer) timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, LoadTurn);
}

LONG CharCount(HWND w) {
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    return static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
}

}  // namespace

void TwwCustomRichEdit::SetDeferredLoading(bool on) { deferredLoading = on; }
bool TwwCustomRichEdit::DeferredLoading() { return deferredLoading; }

void TwwCustomRichEdit::LoadStoredDocument(std::string bytes) {
    if (storedLoad_) {
        storedLoad_.reset();
        Unqueue(this);
    }
    HandleNeeded();
    auto load = std::make_unique<TwwStoredDocumentLoad>();
    load->rtf = std::move(bytes);
    storedLoad_ = std::move(load);
    if (deferredLoading) Enqueue(this);
    else CompleteDocument();
}

void TwwCustomRichEdit::CompleteDocument() {
    if (!storedLoad_ || pieceLoading_) return;
    THourglass hourglass;
    bool redraw = wnd_ && IsWindowVisible(wnd_);
    // A shown window keeps the line at its top: the rest goes in in front
    // of the last part, which moves on by what went in.
    int top = 0;
    LONG front = 0, before = 0;
    if (redraw) {
        top = TopCharacter();
        front = DocumentFrontLength();
        pieceLoading_ = true;
        before = CharCount(wnd_);
        pieceLoading_ = false;
        SendMessageA(wnd_, WM_SETREDRAW, FALSE, 0);
    }
    // Drawn again however the load ends.
    ScopeExit drawAgain([&] {
        if (!redraw) return;
        if (top > 0) {
            if (top >= front) top += CharCount(wnd_) - before;
            ScrollCharacterToTop(top);
        }
        SendMessageA(wnd_, WM_SETREDRAW, TRUE, 0);
        if (top <= 0) {
            POINT origin{0, 0};
            SendMessageA(wnd_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&origin));
        }
        InvalidateRect(wnd_, nullptr, TRUE);
    });
    while (LoadDocumentPiece(0)) {
    }
}

bool TwwCustomRichEdit::LoadDocumentPiece(int budgetMs) {
    if (!storedLoad_) return false;
    if (pieceLoading_) return true;
    TwwStoredDocumentLoad& load = *storedLoad_;
    HWND w = Handle();
    LoadingGuard guard(*this);
    pieceLoading_ = true;
    DWORD mask = EventMask();
    // What went in, told once the piece is done.
    LONG partAt = 0, partCount = -1;
    bool partWhole = false;
    {
        // A piece that fails keeps what came in; the rest of the stored
        // document is given up, after the settings below are back.
        ScopeExit giveUp([this] { FinishStoredDocument(); });
        ScopeExit settingsBack([&] {
            SendMessageA(w, EM_SETUNDOLIMIT, kUndoLimit, 0);
            SetEventMask(mask);
            pieceLoading_ = false;
        });
        // Nobody hears of the selection and the text moving while the
        // document comes in, and a load is nothing to undo: without an
        // undo record each piece goes in faster.
        SetEventMask(0);
        SendMessageA(w, EM_SETUNDOLIMIT, 0, 0);
        if (!load.started) {
            // Where the document is cut is found when its load begins, not
            // while the windows are made: a long book's scan would hold
            // back the cover.
            TRtfCuts cuts = FindRtfCuts(load.rtf);
            if (!cuts.cuts.empty()) {
                load.points.push_back(cuts.bodyStart);
                // The last part, loaded first as the whole document, is a good
                // screenful or more: paragraph formats that carry from one
                // paragraph to the next in the platform's reading carry there
                // as in one load.
                for (std::size_t cut : cuts.cuts)
                    if (load.rtf.size() - cut >= kLastPartBytes) load.points.push_back(cut);
            }
            // The document may be longer than the window's text limit: the
            // limit makes room while the stored document loads.
            SetTextLimit(0x7FFFFFF0);
            load.started = true;
            TwwRichMemoryStream ms;
            if (load.points.empty()) {
                ms.WriteString(load.rtf);
            } else {
                ms.WriteString(load.rtf.substr(0, load.points.front()));
                ms.WriteString(load.rtf.substr(load.points.back()));
            }
            ms.SetPosition(0);
            BaseLines().LoadFromStream(ms);
            load.next = 0;
            load.insertAt = 0;
            // The paragraph the pieces go in front of takes the paragraph
            // formats each piece leaves in force: its own are kept aside and
            // put back at the end (the offset from the indent is not set again
            // on top of it).
            CHARRANGE first{0, 0};
            SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
            load.lastPartFormat.cbSize = sizeof load.lastPartFormat;
            load.lastPartFormat.dwMask = PFM_ALL2;
            SendMessageA(w, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&load.lastPartFormat));
            load.lastPartFormat.dwMask &= ~static_cast<DWORD>(PFM_OFFSETINDENT);
            partCount = CharCount(w);
            partWhole = true;
        } else if (!load.points.empty() && load.next + 1 < load.points.size()) {
            // The next parts, as many as the time allows.
            // In the background a piece is sized by the slowest speed seen,
            // so the windows answer between pieces; all at once, pieces of
            // about a hundred paragraphs go fastest.
            std::size_t budgetBytes = budgetMs <= 0 ? kCompletePieceBytes
                                      : load.bytesPerMs > 0
                                          ? std::clamp<std::size_t>(static_cast<std::size_t>(load.bytesPerMs * budgetMs),
                                                                    2 * 1024, 32 * 1024)
                                          : std::size_t{8 * 1024};
            std::size_t from = load.points[load.next], j = load.next + 1;
            while (j + 1 < load.points.size() && load.points[j] - from < budgetBytes) ++j;
            std::size_t to = load.points[j];
            TwwRichMemoryStream ms;
            ms.WriteString(load.rtf.substr(0, load.points.front()));
            ms.WriteString(load.rtf.substr(from, to - from));
            ms.WriteString("}");
            ms.SetPosition(0);
            CHARRANGE saved{};
            SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
            bool shown = IsWindowVisible(w) != FALSE;
            int top = shown ? TopCharacter() : 0;
            // The caret goes where the piece goes, which scrolls a shown
            // window there: nothing is drawn until the view is back.
            if (shown) SendMessageA(w, WM_SETREDRAW, FALSE, 0);
            LONG before = CharCount(w);
            CHARRANGE at{load.insertAt, load.insertAt};
            SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
            DWORD t0 = GetTickCount();
            bool ok = StreamIn(ms, SF_RTF | SFF_SELECTION);
            DWORD spent = GetTickCount() - t0;
            if (!ok) {
                if (shown) {
                    SendMessageA(w, WM_SETREDRAW, TRUE, 0);
                    InvalidateRect(w, nullptr, TRUE);
                }
                throw EStreamError("Failed to Load Stream");
            }
            LONG added = CharCount(w) - before;
            partAt = load.insertAt;
            partCount = added;
            // What lies after the insertion moves with the text, but a caret
            // or a view at the very start stays there: the book's first
            // page shows as soon as it is in.
            auto moved = [&](LONG at) { return at > load.insertAt || (at == load.insertAt && at > 0); };
            if (moved(saved.cpMin)) saved.cpMin += added;
            if (moved(saved.cpMax)) saved.cpMax += added;
            if (moved(top)) top += added;
            load.insertAt += added;
            load.next = j;
            double rate = static_cast<double>(to - from) / std::max<DWORD>(spent, 1);
            load.bytesPerMs = load.bytesPerMs > 0 ? std::min(load.bytesPerMs, rate) : rate;
            SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
            if (shown) {
                ScrollCharacterToTop(top);
                SendMessageA(w, WM_SETREDRAW, TRUE, 0);
                InvalidateRect(w, nullptr, TRUE);
            }
        }
        giveUp.Dismiss();
    }
    if (partCount >= 0 && OnDocumentPart) OnDocumentPart(partAt, partCount, partWhole);
    if (load.points.empty() || load.next + 1 >= load.points.size()) {
        // The last part's first paragraph gets its formats back; a shown
        // window draws nothing of the caret's trip there, and the caret
        // goes back where the reader left it (the start unless the reader
        // or the program placed it while the rest came in).
        const bool pieces = !load.points.empty();
        bool shown = pieces && IsWindowVisible(w) != FALSE;
        int top = shown ? TopCharacter() : 0;
        if (shown) SendMessageA(w, WM_SETREDRAW, FALSE, 0);
        CHARRANGE kept{0, 0};
        if (pieces) {
            pieceLoading_ = true;
            SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
            CHARRANGE at{load.insertAt, load.insertAt};
            SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
            SendMessageA(w, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&load.lastPartFormat));
            pieceLoading_ = false;
        }
        FinishStoredDocument();
        if (kept.cpMin != 0 || kept.cpMax != 0) SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
        if (shown) {
            ScrollCharacterToTop(top);
            SendMessageA(w, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(w, nullptr, TRUE);
        }
        if (OnDocumentLoaded) OnDocumentLoaded(this);
        return false;
    }
    return true;
}

LONG TwwCustomRichEdit::DocumentFrontLength() {
    if (!storedLoad_) return wnd_ ? CharCount(wnd_) : 0;
    return storedLoad_->started ? storedLoad_->insertAt : 0;
}

void TwwCustomRichEdit::FinishStoredDocument() {
    std::unique_ptr<TwwStoredDocumentLoad> load = std::move(storedLoad_);
    Unqueue(this);
    if (!load || !wnd_ || Dying()) return;
    LoadingGuard guard(*this);
    if (load->started) {
        // Typing is limited again as the layout says; without a limit of
        // its own the control keeps the window open to any length.
        SetTextLimit(MaxLength() > 0 ? MaxLength() : 0x7FFFFFF0);
        CHARRANGE start{0, 0};
        SendMessageA(wnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
        SendMessageA(wnd_, EM_EMPTYUNDOBUFFER, 0, 0);
        SendMessageA(wnd_, EM_SETMODIFY, FALSE, 0);
    }
}

void TwwCustomRichEdit::DocumentNeededFor(const TMessage& m) {
    switch (m.msg) {
    case WM_SETTEXT:
        // The document is replaced: what was still to come is not wanted.
        FinishStoredDocument();
        return;
    case EM_STREAMIN:
        if (!(m.wParam & SFF_SELECTION)) {
            FinishStoredDocument();
            return;
        }
        break;
    case EM_SETCHARFORMAT:
        if (m.wParam == SCF_DEFAULT) return;
        break;
    case EM_GETCHARFORMAT:
        if (m.wParam == SCF_DEFAULT) return;
        break;
    case EM_EXGETSEL: case EM_EXSETSEL: case EM_GETSEL: case EM_SETSEL: case WM_GETTEXT: case WM_GETTEXTLENGTH:
    case EM_GETTEXTLENGTHEX: case EM_GETTEXTEX: case EM_GETTEXTRANGE: case EM_GETSELTEXT: case EM_FINDTEXT:
    case EM_FINDTEXTEX: case EM_FINDTEXTW: case EM_FINDTEXTEXW: case EM_FINDWORDBREAK: case EM_STREAMOUT:
    case EM_REPLACESEL: case EM_GETLINECOUNT: case EM_LINEINDEX: case EM_LINELENGTH: case EM_GETLINE:
    case EM_LINEFROMCHAR: case EM_EXLINEFROMCHAR: case EM_POSFROMCHAR: case EM_CHARFROMPOS: case EM_SETPARAFORMAT:
    case EM_GETPARAFORMAT: case EM_SCROLLCARET: case EM_LINESCROLL: case EM_GETFIRSTVISIBLELINE: case EM_SCROLL:
    case EM_SETSCROLLPOS: case EM_SELECTIONTYPE: case EM_FORMATRANGE: case WM_COPY: case WM_CUT: case WM_PASTE:
    case WM_CLEAR: case EM_UNDO: case EM_REDO: case WM_KEYDOWN: case WM_CHAR: case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_VSCROLL: case WM_MOUSEWHEEL: case EM_PASTESPECIAL:
        break;
    default: return;
    }
    CompleteDocument();
}

// ---------------------------------------------------------------- the view's place

int TwwCustomRichEdit::TopCharacter() {
    if (!wnd_) return 0;
    bool own = pieceLoading_;
    pieceLoading_ = true;
    LRESULT line;
    if (Version1Window()) {
        line = SendMessageA(wnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
    } else {
        // Not scrolled: the document's start. (A first line of a fixed
        // height taller than its text, as a book's opening spacer, answers
        // the question below with the line after it.)
        POINT scrolled{};
        SendMessageA(wnd_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
        if (scrolled.y <= 0) {
            pieceLoading_ = own;
            return 0;
        }
        // The line whose text shows at the top of the formatting rectangle.
        RECT r{};
        SendMessageA(wnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        POINTL p{r.left + 1, r.top + 1};
        LRESULT at = SendMessageA(wnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&p));
        line = SendMessageA(wnd_, EM_EXLINEFROMCHAR, 0, at);
    }
    auto index = SendMessageA(wnd_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    pieceLoading_ = own;
    return static_cast<int>(std::max<LRESULT>(0, index));
}

void TwwCustomRichEdit::ScrollCharacterToTop(int position) {
    if (!wnd_) return;
    bool own = pieceLoading_;
    pieceLoading_ = true;
    auto lineOf = [&](int pos) { return static_cast<LONG>(SendMessageA(wnd_, EM_EXLINEFROMCHAR, 0, pos)); };
    LONG target = lineOf(position);
    LONG lineStart = static_cast<LONG>(SendMessageA(wnd_, EM_LINEINDEX, static_cast<WPARAM>(target), 0));
    if (Version1Window()) {
        // Line scrolls move by a standard line's height: ask again until the
        // line is there or nothing moves.
        LONG last = -1;
        for (int k = 0; k < 16; ++k) {
            LONG first = static_cast<LONG>(SendMessageA(wnd_, EM_GETFIRSTVISIBLELINE, 0, 0));
            if (first == target || first == last) break;
            last = first;
            SendMessageA(wnd_, EM_LINESCROLL, 0, target - first);
        }
    } else {
        // Lines differ in height: scroll by the pixels between the line and
        // the top of the formatting rectangle, and check again. The scroll
        // position read back comes scaled to 16 bits in a long document, so
        // the position asked for is corrected by what shows instead.
        auto measure = [&](POINTL& at, RECT& r) {
            SendMessageA(wnd_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), lineStart);
            SendMessageA(wnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        };
        POINTL at{}, start{};
        RECT r{};
        measure(at, r);
        SendMessageA(wnd_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&start), 0);
        LONG x = std::max<LONG>(0, r.left - start.x);
        LONG want = at.y - start.y, last = LONG_MIN;
        bool repainted = false;
        for (int k = 0; k < 16 && at.y != r.top; ++k) {
            POINT pos{x, std::max<LONG>(0, want)};
            SendMessageA(wnd_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
            measure(at, r);
            if (at.y == last) {
                // Held back: the end of the document, or a window that has
                // not laid out that far yet (a paint lays out further).
                if (repainted || !IsWindowVisible(wnd_)) break;
                repainted = true;
                RedrawWindow(wnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            }
            last = at.y;
            want = std::max<LONG>(0, want) + (at.y - r.top);
        }
    }
    pieceLoading_ = own;
}
