#include "reader/ReadingView.h"

#include <richedit.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

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

// Many format changes made as one: nobody hears of the selection moving,
// nothing is drawn until the end, and the reader's selection and the line
// at the top of the view are as they were (the document's start exactly at
// the top when it was there).
class TViewBatch {
public:
    explicit TViewBatch(TwwCustomRichEdit& v) : v_(v), w_(v.Handle()) {
        SendMessageA(w_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved_));
        top_ = v_.TopCharacter();
        mask_ = static_cast<DWORD>(SendMessageA(w_, EM_GETEVENTMASK, 0, 0));
        SendMessageA(w_, EM_SETEVENTMASK, 0, mask_ & ~static_cast<DWORD>(ENM_SELCHANGE));
        SendMessageA(w_, WM_SETREDRAW, FALSE, 0);
    }
    ~TViewBatch() {
        SendMessageA(w_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved_));
        if (top_ > 0) v_.ScrollCharacterToTop(top_);
        SendMessageA(w_, WM_SETREDRAW, TRUE, 0);
        if (top_ <= 0) {
            // Redraw on lays the text out anew where it had been held back:
            // the start goes to the top after that.
            POINT origin{0, 0};
            SendMessageA(w_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&origin));
        }
        SendMessageA(w_, EM_SETEVENTMASK, 0, mask_);
        InvalidateRect(w_, nullptr, TRUE);
    }
    TViewBatch(const TViewBatch&) = delete;
    TViewBatch& operator=(const TViewBatch&) = delete;
    void Set(LONG from, LONG to, CHARFORMAT2A& f) {
        CHARRANGE r{from, to};
        SendMessageA(w_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        SendMessageA(w_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    }
    void SetAll(CHARFORMAT2A& f) { SendMessageA(w_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&f)); }
    HWND Window() const { return w_; }

private:
    TwwCustomRichEdit& v_;
    HWND w_;
    CHARRANGE saved_{};
    int top_ = 0;
    DWORD mask_ = 0;
};

}  // namespace

void TReadingView::ReadFormatMap() {
    runs_.clear();
    bodyTwips_ = 0;
    bodyFace_.clear();
    HWND w = view_.Handle();
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    LONG length = static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
    if (length < 1) return;
    TViewBatch batch(view_);
    // Halves of a stretch until each is of one format: the platform window
    // says which parts of a selection's format vary within it.
    std::vector<std::pair<LONG, LONG>> todo{{0, length}};
    std::vector<TFormatRun> found;
    while (!todo.empty()) {
        auto [from, to] = todo.back();
        todo.pop_back();
        CHARRANGE r{from, to};
        SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        CHARFORMAT2A f = NewFormat(view_, 0);
        SendMessageA(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
        if ((f.dwMask & kMapMask) != kMapMask && to - from > 1) {
            LONG mid = from + (to - from) / 2;
            todo.push_back({mid, to});  // the later half waits: runs come out in order
            todo.push_back({from, mid});
            continue;
        }
        TFormatRun run;
        run.from = from;
        run.to = to;
        run.twips = static_cast<int>(f.yHeight);
        run.face = f.szFaceName;
        run.charset = f.bCharSet;
        run.effects = f.dwEffects & kStyleEffects;
        run.autoColor = (f.dwEffects & CFE_AUTOCOLOR) != 0;
        run.color = run.autoColor ? 0 : f.crTextColor;
        if (!found.empty() && found.back().to == from && SameFormat(found.back(), run)) found.back().to = to;
        else found.push_back(run);
    }
    runs_ = std::move(found);
    // The body: the size, face and colour of most of the characters.
    std::map<int, LONG> sizes;
    std::map<std::string, LONG> faces;
    std::map<std::pair<bool, COLORREF>, LONG> colors;
    for (const TFormatRun& run : runs_) {
        sizes[run.twips] += run.to - run.from;
        faces[run.face] += run.to - run.from;
        colors[{run.autoColor, run.color}] += run.to - run.from;
    }
    auto most = [](const auto& counts) {
        auto best = counts.begin();
        for (auto it = counts.begin(); it != counts.end(); ++it)
            if (it->second > best->second) best = it;
        return best->first;
    };
    bodyTwips_ = most(sizes);
    bodyFace_ = most(faces);
    std::tie(bodyAutoColor_, bodyColor_) = most(colors);
}

bool TReadingView::Measure() {
    if (view_.DocumentPending()) return false;
    if (!measured_) {
        ReadFormatMap();
        measured_ = true;
    }
    return bodyTwips_ > 0;
}

void TReadingView::ApplySizes() {
    if (points_ <= 0 || !Measure()) return;
    int want = points_ * 20;
    TViewBatch batch(view_);
    CHARFORMAT2A f = NewFormat(view_, CFM_SIZE);
    f.yHeight = want;
    batch.SetAll(f);
    // The other sizes, one stretch of equal size at a time.
    for (std::size_t k = 0; k < runs_.size();) {
        std::size_t end = k + 1;
        while (end < runs_.size() && runs_[end].twips == runs_[k].twips && runs_[end].from == runs_[end - 1].to) ++end;
        if (runs_[k].twips != bodyTwips_) {
            f.yHeight = ScaledTwips(runs_[k].twips, bodyTwips_, want);
            batch.Set(runs_[k].from, runs_[end - 1].to, f);
        }
        k = end;
    }
}

void TReadingView::ApplyFace() {
    if (!face_ || !Measure()) return;
    TViewBatch batch(view_);
    CHARFORMAT2A f = NewFormat(view_, CFM_FACE | CFM_CHARSET);
    lstrcpynA(f.szFaceName, face_->first.c_str(), LF_FACESIZE);
    f.bCharSet = static_cast<BYTE>(face_->second);
    f.bPitchAndFamily = DEFAULT_PITCH;
    batch.SetAll(f);
    if (face_->first != bodyFace_) return;
    // The body's own face: the book's other faces come back with it.
    for (const TFormatRun& run : runs_) {
        if (run.face == bodyFace_) continue;
        lstrcpynA(f.szFaceName, run.face.c_str(), LF_FACESIZE);
        f.bCharSet = run.charset;
        batch.Set(run.from, run.to, f);
    }
}

void TReadingView::ApplyStyle() {
    if (!style_ || !Measure()) return;
    TViewBatch batch(view_);
    CHARFORMAT2A f = NewFormat(view_, CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR);
    f.dwEffects = style_->effects | (style_->autoColor ? CFE_AUTOCOLOR : 0);
    f.crTextColor = style_->color;
    batch.SetAll(f);
    // The book's own effects stay where the reader chose none, and runs of
    // another colour than the body's (links, marks) keep theirs.
    for (const TFormatRun& run : runs_) {
        bool ownEffects = (run.effects & ~style_->effects) != 0;
        bool ownColor = run.autoColor != bodyAutoColor_ || (!run.autoColor && run.color != bodyColor_);
        if (!ownEffects && !ownColor) continue;
        CHARFORMAT2A g = NewFormat(view_, (ownEffects ? CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE : 0) | (ownColor ? CFM_COLOR : 0));
        g.dwEffects = (run.effects | style_->effects) | (ownColor && run.autoColor ? CFE_AUTOCOLOR : 0);
        g.crTextColor = run.color;
        batch.Set(run.from, run.to, g);
    }
}

void TReadingView::SetSize(int points) {
    points_ = points;
    view_.Font()->SetSize(points);
    if (view_.DocumentPending()) return;
    ApplySizes();
}

void TReadingView::SetFace(const std::string& name, int charset) {
    face_ = std::make_pair(name, charset);
    if (view_.DocumentPending()) return;
    ApplyFace();
}

void TReadingView::SetStyle(DWORD effects, COLORREF color, bool autoColor) {
    style_ = Style{effects & kStyleEffects, color, autoColor};
    if (view_.DocumentPending()) return;
    ApplyStyle();
}

void TReadingView::SetBookmark(int position) {
    if (view_.DocumentPending()) {
        bookmark_ = position;
        return;
    }
    bookmark_.reset();
    view_.SetSelStart(position);
    view_.ScrollCharacterToTop(view_.SelStart());
}

void TReadingView::DocumentArrived() {
    measured_ = false;
    Measure();
    ApplySizes();
    ApplyFace();
    ApplyStyle();
    if (bookmark_) SetBookmark(*bookmark_);
}

}  // namespace reader
