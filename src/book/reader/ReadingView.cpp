#include "reader/ReadingView.h"

#include <richedit.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "Forms.h"

#include "richedit/wwRichEdit.h"

namespace reader {

int MostCommon(const std::vector<int>& values) {
    std::map<int, int> counts;
    for (int v : values) ++counts[v];
    int best = 0, bestCount = 0;
    for (auto& [value, count] : counts)
        if (count > bestCount) {
            best = value;
            bestCount = count;
        }
    return best;
}

int ScaledTwips(int twips, int bodyTwips, int wantTwips) {
    if (bodyTwips <= 0) return twips;
    double halfPoints = static_cast<double>(twips) * wantTwips / bodyTwips / 10.0;
    return std::max(1, static_cast<int>(std::lround(halfPoints))) * 10;
}

namespace {

// What a run's format map holds: every part of a run that a choice changes
// or that tells the body from the rest.
constexpr DWORD kMapMask = CFM_SIZE | CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR;

// One idle-time turn keeps the thread about this long (ms): its slices are
// sized by what changes have cost so far to end the turn near it, with
// kTurnEndMs left for the batch's end (the selection and the view put back).
constexpr double kTurnMs = 40, kTurnEndMs = 3;
// A slice while the cost is not known yet, and the bounds of any slice. (A
// change costs the platform window a few milliseconds on a 5 MB book however
// short it is, and some 45 microseconds a character more.)
constexpr LONG kFirstSlice = 500, kMinSlice = 50, kMaxSlice = 64000;
// Past the last character shown, the page's stretch runs on by what the
// page gains at the new size, and at least this much (the rest of the last
// line and the one below it).
constexpr LONG kPageSlack = 300;
// Loading the book as far as a page keeps text this far past its end.
constexpr LONG kPageMargin = 2000;
// While the book is loaded as far as a page, pieces of about this much work (ms).
constexpr int kPartMs = 30;

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c{};
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
}

CHARFORMAT2A NewFormat(TwwCustomRichEdit& view, DWORD mask) {
    CHARFORMAT2A f{};
    f.cbSize = view.Version1Window() ? sizeof(CHARFORMATA) : sizeof(CHARFORMAT2A);
    f.dwMask = mask;
    return f;
}

bool SameFormat(const TFormatRun& a, const TFormatRun& b) {
    return a.twips == b.twips && a.face == b.face && a.charset == b.charset && a.effects == b.effects &&
           a.autoColor == b.autoColor && (a.autoColor || a.color == b.color);
}

LONG CharCount(HWND w) {
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    return static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
}

// Input, a posted message or a sent one ends an idle-time turn.
bool MessageWaiting() { return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0; }

// The views with a turn to come, by their thread timer.
std::vector<std::pair<UINT_PTR, TReadingView*>>& Timers() {
    static std::vector<std::pair<UINT_PTR, TReadingView*>> timers;
    return timers;
}

}  // namespace

// ---------------------------------------------------------------- what changes cost

void TChangeCost::Change(LONG chars, double ms) {
    // A short change is all fixed cost.
    if (chars > 64) return;
    fixed_ = fixed_ > 0 ? (3 * fixed_ + ms) / 4 : ms;
}

void TChangeCost::Stretch(LONG chars, double ms) {
    if (chars <= 0) return;
    double per = std::max(1e-5, (ms - fixed_) / chars);
    perChar_ = perChar_ > 0 ? (perChar_ + per) / 2 : per;
}

LONG TChangeCost::CharsFor(double ms) const {
    if (!Known()) return kFirstSlice;
    double chars = (ms - fixed_) / perChar_;
    return static_cast<LONG>(std::clamp(chars, 1.0, 1e9));
}

// Many format changes made as one: nobody hears of them or of the selection
// moving, nothing is drawn until the end, nothing is kept to undo (the view is
// read-only), and the reader's selection and the line at the top of the view
// are as they were (the document's start exactly at the top when it was
// there). The requests work on the part of the book that is in. A quiet
// batch changes nothing on the page: the page is drawn again only if its top
// line did not come back to the very same place.
class TViewBatch {
public:
    explicit TViewBatch(TwwCustomRichEdit& v, bool quiet = false, TChangeCost* cost = nullptr)
        : v_(v), use_(v), w_(v.Handle()), quiet_(quiet), cost_(cost) {
        SendMessageA(w_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved_));
        top_ = v_.TopCharacter();
        if (quiet_) topY_ = TopY();
        mask_ = static_cast<DWORD>(SendMessageA(w_, EM_GETEVENTMASK, 0, 0));
        // No notifications at all while the batch lasts: nobody listens for
        // the view's own format changes.
        SendMessageA(w_, EM_SETEVENTMASK, 0, 0);
        SendMessageA(w_, EM_SETUNDOLIMIT, 0, 0);
        // Drawing already held back (a load all at once) stays held back.
        redraw_ = (GetWindowLongA(w_, GWL_STYLE) & WS_VISIBLE) != 0;
        if (redraw_) SendMessageA(w_, WM_SETREDRAW, FALSE, 0);
        // A view that is not on the screen (the book loading behind the
        // cover) hides its selection as well: each move of a selection
        // that shows is drawn anew, and under Wine asks the server to,
        // drawn or not (the format map's thousands of moves took half the
        // load's time).
        hidden_ = !IsWindowVisible(w_);
        if (hidden_) SendMessageA(w_, EM_HIDESELECTION, TRUE, 0);
    }
    ~TViewBatch() {
        SendMessageA(w_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved_));
        if (top_ > 0) v_.ScrollCharacterToTop(top_);
        // The changes' selections scrolled the window while nothing was
        // drawn: the start goes back to the top before drawing is on again.
        // (Done after, the window moves the pixels it showed before the
        // changes by the scroll and paints only the strip that opens: on a
        // long book each idle turn slid the page further down.)
        if (top_ <= 0) ToStart();
        if (redraw_) SendMessageA(w_, WM_SETREDRAW, TRUE, 0);
        // Should redraw on still move the view, it goes back and is drawn
        // whole at once.
        const bool scrolled = top_ <= 0 && ToStart();
        SendMessageA(w_, EM_SETUNDOLIMIT, 100, 0);
        SendMessageA(w_, EM_SETEVENTMASK, 0, mask_);
        if (hidden_) SendMessageA(w_, EM_HIDESELECTION, FALSE, 0);
        if (!redraw_) return;
        if (quiet_ && !scrolled && TopY() == topY_) SendMessageA(w_, WM_NCPAINT, 1, 0);  // the scroll bar's thumb only
        else if (scrolled) RedrawWindow(w_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        else InvalidateRect(w_, nullptr, TRUE);
    }
    TViewBatch(const TViewBatch&) = delete;
    TViewBatch& operator=(const TViewBatch&) = delete;
    void Set(LONG from, LONG to, CHARFORMAT2A& f) {
        CHARRANGE r{from, to};
        const double start = cost_ ? NowMs() : 0;
        SendMessageA(w_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        SendMessageA(w_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
        if (cost_) cost_->Change(to - from, NowMs() - start);
    }
    HWND Window() const { return w_; }

private:
    // The view scrolled to the document's start unless it is there; true
    // when it moved.
    bool ToStart() {
        POINT at{};
        SendMessageA(w_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
        if (at.x == 0 && at.y == 0) return false;
        POINT origin{0, 0};
        SendMessageA(w_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&origin));
        return true;
    }
    // Where the top line's text stands in the window.
    LONG TopY() {
        POINTL at{};
        SendMessageA(w_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), std::max(0, top_));
        return at.y;
    }
    TwwCustomRichEdit& v_;
    TwwCustomRichEdit::TPartialUse use_;
    HWND w_;
    bool quiet_;
    TChangeCost* cost_;
    LONG topY_ = 0;
    CHARRANGE saved_{};
    int top_ = 0;
    DWORD mask_ = 0;
    bool redraw_ = false;
    bool hidden_ = false;
};

TReadingView::TReadingView(TwwCustomRichEdit& view) : view_(view) {
    // Every run carries its size and face: the view's font is the reader's
    // choice on record, not a new default format for the whole book.
    view_.FontSetsDefaultFormat = false;
    view_.OnDocumentPart = [this](LONG at, LONG count, bool whole) { PartArrived(at, count, whole); };
    view_.OnDocumentRead = [this](TObject*) { Complete(); };
}

TReadingView::~TReadingView() {
    Unschedule();
    view_.OnDocumentPart = nullptr;
    view_.OnDocumentRead = nullptr;
    view_.FontSetsDefaultFormat = true;
}

// ---------------------------------------------------------------- the format map

std::vector<TFormatRun> TReadingView::ReadFormatMap(LONG from, LONG to) {
    std::vector<TFormatRun> found;
    if (to <= from) return found;
    HWND w = view_.Handle();
    // Halves of a stretch until each is of one format: the platform window
    // says which parts of a selection's format vary within it.
    std::vector<std::pair<LONG, LONG>> todo{{from, to}};
    while (!todo.empty()) {
        auto [a, b] = todo.back();
        todo.pop_back();
        CHARRANGE r{a, b};
        SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        CHARFORMAT2A f = NewFormat(view_, 0);
        SendMessageA(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
        if ((f.dwMask & kMapMask) != kMapMask && b - a > 1) {
            LONG mid = a + (b - a) / 2;
            todo.push_back({mid, b});  // the later half waits: runs come out in order
            todo.push_back({a, mid});
            continue;
        }
        TFormatRun run;
        run.from = a;
        run.to = b;
        run.twips = static_cast<int>(f.yHeight);
        run.face = f.szFaceName;
        run.charset = f.bCharSet;
        run.effects = f.dwEffects & kStyleEffects;
        run.autoColor = (f.dwEffects & CFE_AUTOCOLOR) != 0;
        run.color = run.autoColor ? 0 : f.crTextColor;
        if (!found.empty() && found.back().to == a && SameFormat(found.back(), run)) found.back().to = b;
        else found.push_back(run);
    }
    return found;
}

void TReadingView::Count(const std::vector<TFormatRun>& runs) {
    for (const TFormatRun& run : runs) {
        sizeCounts_[run.twips] += run.to - run.from;
        faceCounts_[run.face] += run.to - run.from;
        colorCounts_[{run.autoColor, run.color}] += run.to - run.from;
    }
}

void TReadingView::FindBody() {
    // The body: the size, face and colour of most of the characters in.
    auto most = [](const auto& counts) {
        auto best = counts.begin();
        for (auto it = counts.begin(); it != counts.end(); ++it)
            if (it->second > best->second) best = it;
        return best->first;
    };
    if (sizeCounts_.empty()) return;
    bodyTwips_ = most(sizeCounts_);
    bodyFace_ = most(faceCounts_);
    std::tie(bodyAutoColor_, bodyColor_) = most(colorCounts_);
}

bool TReadingView::Measure() {
    if (!mapped_ && view_.HandleAllocated()) {
        TViewBatch batch(view_);
        runs_ = ReadFormatMap(0, CharCount(batch.Window()));
        Count(runs_);
        FindBody();
        mapped_ = true;
    }
    return bodyTwips_ > 0;
}

void TReadingView::PartArrived(LONG at, LONG count, bool whole) {
    if (whole) {
        // A new document: nothing known of it yet.
        runs_.clear();
        sizeCounts_.clear();
        faceCounts_.clear();
        colorCounts_.clear();
        bodyTwips_ = 0;
        bodyFace_.clear();
        waiting_.clear();
        dirty_ = 0;
        Unschedule();
        mapped_ = true;
    } else if (!mapped_) {
        return;  // the first Measure reads it with the rest
    }
    const int bodyBefore = bodyTwips_;
    const std::string faceBefore = bodyFace_;
    const unsigned chosen = Chosen();
    bool bodyMoved = false;
    {
        TViewBatch batch(view_);
        // What lay from at on moves on with the new text; a stretch still
        // waiting across it is cut in two.
        auto k = std::partition_point(runs_.begin(), runs_.end(), [&](const TFormatRun& r) { return r.from < at; });
        for (auto it = k; it != runs_.end(); ++it) {
            it->from += count;
            it->to += count;
        }
        std::vector<std::pair<LONG, LONG>> moved;
        for (auto [a, b] : waiting_) {
            if (b <= at) {
                moved.push_back({a, b});
            } else if (a >= at) {
                moved.push_back({a + count, b + count});
            } else {
                moved.push_back({a, at});
                moved.push_back({at + count, b + count});
            }
        }
        waiting_ = std::move(moved);
        std::vector<TFormatRun> part = ReadFormatMap(at, at + count);
        Count(part);
        runs_.insert(k, part.begin(), part.end());
        FindBody();
        bodyMoved = bodyBefore > 0 && (bodyTwips_ != bodyBefore || bodyFace_ != faceBefore);
        // The new text as chosen.
        if (!bodyMoved) ApplyIn(batch, at, at + count, chosen);
    }
    // The body turned out otherwise than the text before showed: everything
    // follows the body now known.
    if (bodyMoved && chosen) Changed(chosen);
}

// ---------------------------------------------------------------- putting the choices on

unsigned TReadingView::Chosen() const {
    return (points_ > 0 ? kSize : 0u) | (face_ ? kFace : 0u) | (style_ ? kStyle : 0u);
}

void TReadingView::ApplyIn(TViewBatch& batch, LONG from, LONG to, unsigned what) {
    if (to <= from || !Measure()) return;
    if (what & kSize) ApplySizes(batch, from, to);
    if (what & kFace) ApplyFace(batch, from, to);
    if (what & kStyle) ApplyStyle(batch, from, to);
}

namespace {
// The first run that reaches past from.
std::vector<TFormatRun>::const_iterator RunAt(const std::vector<TFormatRun>& runs, LONG from) {
    return std::partition_point(runs.begin(), runs.end(), [&](const TFormatRun& r) { return r.to <= from; });
}
}  // namespace

void TReadingView::ApplySizes(TViewBatch& batch, LONG from, LONG to) {
    if (points_ <= 0) return;
    int want = points_ * 20;
    CHARFORMAT2A f = NewFormat(view_, CFM_SIZE);
    f.yHeight = want;
    batch.Set(from, to, f);
    // The other sizes, one stretch of equal size at a time.
    for (auto it = RunAt(runs_, from); it != runs_.end() && it->from < to;) {
        auto end = it + 1;
        while (end != runs_.end() && end->from < to && end->twips == it->twips && end->from == (end - 1)->to) ++end;
        if (it->twips != bodyTwips_) {
            f.yHeight = ScaledTwips(it->twips, bodyTwips_, want);
            batch.Set(std::max(from, it->from), std::min(to, (end - 1)->to), f);
        }
        it = end;
    }
}

void TReadingView::ApplyFace(TViewBatch& batch, LONG from, LONG to) {
    if (!face_) return;
    CHARFORMAT2A f = NewFormat(view_, CFM_FACE | CFM_CHARSET);
    lstrcpynA(f.szFaceName, face_->first.c_str(), LF_FACESIZE);
    f.bCharSet = static_cast<BYTE>(face_->second);
    f.bPitchAndFamily = DEFAULT_PITCH;
    batch.Set(from, to, f);
    if (face_->first != bodyFace_) return;
    // The body's own face: the book's other faces come back with it.
    for (auto it = RunAt(runs_, from); it != runs_.end() && it->from < to; ++it) {
        if (it->face == bodyFace_) continue;
        lstrcpynA(f.szFaceName, it->face.c_str(), LF_FACESIZE);
        f.bCharSet = it->charset;
        batch.Set(std::max(from, it->from), std::min(to, it->to), f);
    }
}

void TReadingView::ApplyStyle(TViewBatch& batch, LONG from, LONG to) {
    if (!style_) return;
    CHARFORMAT2A f = NewFormat(view_, CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR);
    f.dwEffects = style_->effects | (style_->autoColor ? CFE_AUTOCOLOR : 0);
    f.crTextColor = style_->color;
    batch.Set(from, to, f);
    // The book's own effects stay where the reader chose none, and runs of
    // another colour than the body's (links, marks) keep theirs.
    for (auto it = RunAt(runs_, from); it != runs_.end() && it->from < to; ++it) {
        bool ownEffects = (it->effects & ~style_->effects) != 0;
        bool ownColor = it->autoColor != bodyAutoColor_ || (!it->autoColor && it->color != bodyColor_);
        if (!ownEffects && !ownColor) continue;
        CHARFORMAT2A g =
            NewFormat(view_, (ownEffects ? CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE : 0) | (ownColor ? CFM_COLOR : 0));
        g.dwEffects = (it->effects | style_->effects) | (ownColor && it->autoColor ? CFE_AUTOCOLOR : 0);
        g.crTextColor = it->color;
        batch.Set(std::max(from, it->from), std::min(to, it->to), g);
    }
}

// ---------------------------------------------------------------- the page first, the rest in idle time

std::pair<LONG, LONG> TReadingView::PageRange() {
    TwwCustomRichEdit::TPartialUse use(view_);
    HWND w = view_.Handle();
    LONG length = CharCount(w);
    LONG top = std::min<LONG>(view_.TopCharacter(), length);
    // The top line's paragraph from its start: its lines break as the
    // finished book's do.
    LONG from = std::max<LONG>(0, top - 4096);
    if (top > from) {
        std::string text(static_cast<std::size_t>(top - from) + 1, '\0');
        TEXTRANGEA tr{{from, top}, text.data()};
        LRESULT got = SendMessageA(w, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
        std::size_t cr = text.find_last_of('\r', static_cast<std::size_t>(std::max<LRESULT>(0, got)));
        if (got > 0 && cr != std::string::npos && cr < static_cast<std::size_t>(got)) from += static_cast<LONG>(cr) + 1;
        else if (got > 0 && cr == std::string::npos) from = top;  // a paragraph longer than that: from the top line
    }
    RECT r{};
    GetClientRect(w, &r);
    POINTL corner{r.right - 1, r.bottom - 1};
    LONG last = static_cast<LONG>(SendMessageA(w, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner)));
    last = std::max(last, top);
    double more = (last - top) * std::max(0.0, pageGrowth_ - 1);
    LONG to = std::min(length, last + std::max(kPageSlack, static_cast<LONG>(std::min(more, 1e6))));
    // The character at the corner is not always the last one shown (a line
    // shorter than the view, a tall line at the top): the stretch runs on
    // until its end lies below the view.
    for (int k = 0; k < 8 && to < length; ++k) {
        POINTL at{};
        SendMessageA(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), to);
        if (at.y >= r.bottom) break;
        to = std::min(length, to + std::max(kPageSlack, to - from));
    }
    return {from, std::max(from, to)};
}

void TReadingView::Done(LONG from, LONG to) {
    std::vector<std::pair<LONG, LONG>> left;
    for (auto [a, b] : waiting_) {
        if (b <= from || a >= to) {
            left.push_back({a, b});
            continue;
        }
        if (a < from) left.push_back({a, from});
        if (b > to) left.push_back({to, b});
    }
    waiting_ = std::move(left);
}

void TReadingView::ApplyWaiting(TViewBatch& batch, LONG from, LONG to) {
    std::vector<std::pair<LONG, LONG>> parts;
    for (auto [a, b] : waiting_)
        if (a < to && b > from) parts.push_back({std::max(a, from), std::min(b, to)});
    for (auto [a, b] : parts) {
        ApplyIn(batch, a, b, dirty_);
        Done(a, b);
    }
}

void TReadingView::ApplyPage() {
    // A smaller size fits more on the page than the stretch reckoned at the
    // old one: asked again once laid out, until the page is all done.
    for (int k = 0; k < 4 && !waiting_.empty(); ++k) {
        auto [from, to] = PageRange();
        bool any = false;
        for (auto [a, b] : waiting_) any = any || (a < to && b > from);
        if (!any) break;
        TViewBatch batch(view_, false, &cost_);
        const LONG before = Waiting();
        const double start = NowMs();
        ApplyWaiting(batch, from, to);
        cost_.Stretch(before - Waiting(), NowMs() - start);
    }
}

LONG TReadingView::Waiting() const {
    LONG n = 0;
    for (auto [a, b] : waiting_) n += b - a;
    return n;
}

void TReadingView::Changed(unsigned what) {
    if (!Measure()) return;  // nothing in yet: the parts take it as they come
    dirty_ |= what;
    {
        TwwCustomRichEdit::TPartialUse use(view_);
        waiting_.assign(1, {0, CharCount(view_.Handle())});
    }
    if (!IsWindowVisible(view_.Handle())) {
        // No page to show first.
        Complete();
        return;
    }
    ApplyPage();
    if (waiting_.empty()) {
        dirty_ = 0;
    } else {
        // The page is drawn before the rest is begun.
        UpdateWindow(view_.Handle());
        Schedule();
    }
}

void TReadingView::Complete() {
    Unschedule();
    if (waiting_.empty()) return;
    {
        TViewBatch batch(view_);
        std::vector<std::pair<LONG, LONG>> all = std::move(waiting_);
        waiting_.clear();
        for (auto [a, b] : all) ApplyIn(batch, a, b, dirty_);
    }
    dirty_ = 0;
}

void TReadingView::Schedule() {
    if (timer_) return;
    // A thread timer's message comes only when nothing else waits.
    timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, TurnTimer);
    if (timer_) Timers().push_back({timer_, this});
}

void TReadingView::Unschedule() {
    if (!timer_) return;
    KillTimer(nullptr, timer_);
    auto& timers = Timers();
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const auto& t) { return t.first == timer_; }),
                 timers.end());
    timer_ = 0;
}

void CALLBACK TReadingView::TurnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    for (auto [timer, view] : Timers())
        if (timer == id) {
            try {
                view->Turn();
            } catch (...) {
                view->Unschedule();
                if (Application) Application->HandleException(nullptr);
            }
            return;
        }
    KillTimer(nullptr, id);
}

void TReadingView::Turn() {
    const double start = NowMs();
    if (!view_.HandleAllocated()) {
        Unschedule();
        return;
    }
    // The page first: the reader may have moved to text not done yet. (A
    // view hidden meanwhile has no page: the rest goes on from the start.)
    const bool shown = IsWindowVisible(view_.Handle()) != FALSE;
    if (shown) ApplyPage();
    if (waiting_.empty()) {
        Unschedule();
        dirty_ = 0;
        return;
    }
    LONG top = 0;
    if (shown) {
        TwwCustomRichEdit::TPartialUse use(view_);
        top = view_.TopCharacter();
    }
    TViewBatch batch(view_, true, &cost_);
    for (int slices = 0; !waiting_.empty(); ++slices) {
        // As much as the turn has time left for, by what changes cost.
        const double left = kTurnMs - kTurnEndMs - (NowMs() - start);
        if (slices > 0 && (left <= 0 || (cost_.Known() && cost_.Expected(kMinSlice) > left))) break;
        const LONG slice = std::clamp(cost_.CharsFor(left), kMinSlice, kMaxSlice);
        // On from the page to the end, then back from the page to the start.
        auto next = std::find_if(waiting_.begin(), waiting_.end(), [&](const auto& r) { return r.second > top; });
        LONG from, to;
        if (next != waiting_.end()) {
            from = std::max(next->first, top);
            to = std::min(next->second, from + slice);
        } else {
            to = waiting_.back().second;
            from = std::max(waiting_.back().first, to - slice);
        }
        const double t0 = NowMs();
        ApplyIn(batch, from, to, dirty_);
        Done(from, to);
        const double spent = NowMs() - t0;
        cost_.Stretch(to - from, spent);
        if (MessageWaiting()) break;
    }
    if (waiting_.empty()) {
        Unschedule();
        dirty_ = 0;
    }
}

// ---------------------------------------------------------------- choices

void TReadingView::SetSize(int points) {
    // The page holds more text at a smaller size, less at a larger one.
    const int before = points_ > 0 ? points_ * 20 : (Measure() ? bodyTwips_ : 0);
    pageGrowth_ = before > 0 && points > 0 ? std::pow(static_cast<double>(before) / (points * 20), 2.0) : 4.0;
    points_ = points;
    view_.Font()->SetSize(points);
    Changed(kSize);
}

void TReadingView::SetFace(const std::string& name, int charset) {
    face_ = std::make_pair(name, charset);
    pageGrowth_ = 1.25;  // another face may be narrower
    Changed(kFace);
}

void TReadingView::SetStyle(DWORD effects, COLORREF color, bool autoColor) {
    style_ = Style{effects & kStyleEffects, color, autoColor};
    pageGrowth_ = 1.25;  // without bold the text may be narrower
    Changed(kStyle);
}

// ---------------------------------------------------------------- the reading place

void TReadingView::PlaceAt(LONG position) {
    TwwCustomRichEdit::TPartialUse use(view_);
    if (position <= 0) {
        POINT origin{0, 0};
        SendMessageA(view_.Handle(), EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&origin));
    } else {
        view_.ScrollCharacterToTop(position);
    }
}

void TReadingView::LoadThrough(LONG position) {
    while (view_.DocumentPending()) {
        LONG front = view_.DocumentFrontLength();
        if (front > position) {
            // The page at the position shows only text in its final place:
            // its last character lies in front of the part still to come.
            PlaceAt(position);
            TwwCustomRichEdit::TPartialUse use(view_);
            HWND w = view_.Handle();
            RECT r{};
            GetClientRect(w, &r);
            POINTL corner{r.right - 1, r.bottom - 1};
            LONG last = static_cast<LONG>(SendMessageA(w, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner)));
            if (last + kPageMargin < front) return;
        }
        view_.LoadDocumentPiece(kPartMs);
    }
}

void TReadingView::SetBookmark(int position) {
    if (view_.DocumentPending() && !IsWindowVisible(view_.Handle())) {
        bookmark_ = position;
        return;
    }
    bookmark_.reset();
    LoadThrough(position);
    TwwCustomRichEdit::TPartialUse use(view_);
    view_.SetSelStart(position);
    view_.ScrollCharacterToTop(view_.SelStart());
}

void TReadingView::OpenPage() {
    if (!view_.DocumentPending()) return;
    LONG position = bookmark_.value_or(0);
    LoadThrough(position);
    if (!view_.DocumentPending()) return;  // all in: DocumentArrived placed it
    if (bookmark_) {
        bookmark_.reset();
        TwwCustomRichEdit::TPartialUse use(view_);
        view_.SetSelStart(position);
    }
    PlaceAt(position);
}

void TReadingView::DocumentArrived() {
    Measure();
    if (bookmark_) SetBookmark(*bookmark_);
}

}  // namespace reader
