// How the reader's choices show in the book view. The book's own document
// sets its sizes, faces, colours and styles run by run, so the view's
// default character format alone changes nothing on the page: every choice
// is put on the runs themselves. As the book's text comes in, its runs are
// read (the format map): the body's size, face and colour are those of most
// of its characters. A size puts the body at that many points and every
// other run in proportion, rounded to half points, so headings stay larger
// and every run is drawn at a true size. A face goes on every run. The font
// dialog's style is added to every run and its colour replaces the body's
// colour; runs of other colours keep theirs, and what the reader did not
// choose stays as the book has it. The line at the top of the view stays at
// the top through every change.
//
// A choice goes first on the page the reader sees (from the top line's
// paragraph to well past the last line shown), which is drawn at once; the
// rest of the book follows in idle time, a slice at a time, the page first
// again whenever the reader has moved to text not done yet. Another choice
// meanwhile starts over from the page with everything chosen, so no run is
// left as an earlier choice had it. Reading the book's formats, streaming it
// out or printing it finishes the rest first. Each part of the book that
// comes in later takes the choices as it arrives, and the window's first
// showing loads the book only as far as the page it opens on.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class TwwCustomRichEdit;

namespace reader {

class TViewBatch;

// The most frequent value (the smallest of equally frequent ones); 0 for none.
int MostCommon(const std::vector<int>& values);

// A run's size when the body goes from bodyTwips to wantTwips: in
// proportion, rounded to half points (10 twips), never below half a point.
int ScaledTwips(int twips, int bodyTwips, int wantTwips);

// One stretch of the book's text whose size, face, effects and colour are
// the same throughout, as the book has them.
struct TFormatRun {
    LONG from = 0, to = 0;
    int twips = 0;
    std::string face;
    BYTE charset = 0;
    DWORD effects = 0;  // CFE_BOLD, CFE_ITALIC, CFE_UNDERLINE
    COLORREF color = 0;
    bool autoColor = false;
};

// The effects the font dialog can add to every run.
inline constexpr DWORD kStyleEffects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE;

// The cost of format changes in the view, learnt as they are made: a fixed
// part per change and a part per character. Starts unknown.
class TChangeCost {
public:
    // One change of so many characters took ms.
    void Change(LONG chars, double ms);
    // A stretch of so many characters, all its changes, took ms.
    void Stretch(LONG chars, double ms);
    bool Known() const { return perChar_ > 0; }
    // The expected time for a stretch of chars.
    double Expected(LONG chars) const { return fixed_ + perChar_ * chars; }
    // The characters a stretch may have to take about ms (at least 1).
    LONG CharsFor(double ms) const;

private:
    double fixed_ = 0, perChar_ = 0;
};

class TReadingView {
public:
    explicit TReadingView(TwwCustomRichEdit& view);
    ~TReadingView();
    TReadingView(const TReadingView&) = delete;
    TReadingView& operator=(const TReadingView&) = delete;

    // The view's font size becomes points, and the book shows its body text
    // at that size.
    void SetSize(int points);
    // The view's font has its face already; this puts it on every run. The
    // body's own face means the book's own faces: its other runs keep theirs.
    void SetFace(const std::string& name, int charset);
    // Effects (of kStyleEffects) added to every run, and the body's colour
    // (the window's text colour when autoColor).
    void SetStyle(DWORD effects, COLORREF color, bool autoColor);
    // The caret goes to the position, and its line to the top of the view.
    // While the book still comes in to a hidden view, the position waits
    // for the view's showing (OpenPage) or the book's end.
    void SetBookmark(int position);
    // The view is about to show while the book still comes in: the book is
    // loaded now as far as the page it opens on (the bookmark's, or the
    // first), which shows as chosen; the rest keeps coming in idle time.
    void OpenPage();
    // The book's text is all in.
    void DocumentArrived();
    bool BookmarkPending() const { return bookmark_.has_value(); }
    // Reads the format map of the text that is in, once; true once the body
    // is known.
    bool Measure();
    // A size was set (else the book shows at its own sizes).
    bool SizeChosen() const { return points_ > 0; }
    // The body text's size in the book, in twips, and its face (0 and empty
    // while unknown).
    int BodyTwips() const { return bodyTwips_; }
    const std::string& BodyFace() const { return bodyFace_; }
    const std::vector<TFormatRun>& Runs() const { return runs_; }
    // Whether runs still wait for the last choices, and putting them on now.
    bool Pending() const { return !waiting_.empty(); }
    void Complete();

private:
    // The choices, as bits of what is to be put on a stretch of text.
    enum : unsigned { kSize = 1, kFace = 2, kStyle = 4 };
    unsigned Chosen() const;
    void Changed(unsigned what);
    void PartArrived(LONG at, LONG count, bool whole);
    std::vector<TFormatRun> ReadFormatMap(LONG from, LONG to);
    void Count(const std::vector<TFormatRun>& runs);
    void FindBody();
    void ApplyIn(TViewBatch& batch, LONG from, LONG to, unsigned what);
    void ApplySizes(TViewBatch& batch, LONG from, LONG to);
    void ApplyFace(TViewBatch& batch, LONG from, LONG to);
    void ApplyStyle(TViewBatch& batch, LONG from, LONG to);
    // The stretch of the page: from the top line's paragraph to well past
    // the last line shown.
    std::pair<LONG, LONG> PageRange();
    // Puts what waits on the part of [from, to) that waits.
    void ApplyWaiting(TViewBatch& batch, LONG from, LONG to);
    void Done(LONG from, LONG to);
    // The characters still waiting.
    LONG Waiting() const;
    void ApplyPage();
    void Schedule();
    void Unschedule();
    void Turn();
    static void CALLBACK TurnTimer(HWND, UINT, UINT_PTR id, DWORD);
    // Loads the stored document now until the page that opens at position is in.
    void LoadThrough(LONG position);
    void PlaceAt(LONG position);

    TwwCustomRichEdit& view_;
    int points_ = 0;
    int bodyTwips_ = 0;
    std::string bodyFace_;
    COLORREF bodyColor_ = 0;
    bool bodyAutoColor_ = true;
    bool mapped_ = false;
    std::vector<TFormatRun> runs_;
    std::map<int, LONG> sizeCounts_;
    std::map<std::string, LONG> faceCounts_;
    std::map<std::pair<bool, COLORREF>, LONG> colorCounts_;
    std::optional<std::pair<std::string, int>> face_;
    struct Style {
        DWORD effects;
        COLORREF color;
        bool autoColor;
    };
    std::optional<Style> style_;
    std::optional<int> bookmark_;
    // The stretches of text, ascending and apart, that still wait for the
    // choices of dirty_, and the idle-time timer that puts them on.
    std::vector<std::pair<LONG, LONG>> waiting_;
    unsigned dirty_ = 0;
    UINT_PTR timer_ = 0;
    // What a format change costs the window, measured as they are made: a
    // change of a few characters (its cost whatever its length, which grows
    // with the document) and each character more, counting the other
    // stretches a slice brings with it. Idle-time slices are sized by it.
    TChangeCost cost_;
    // How much more text the page holds after the change than before (the
    // square of the old size over the new): the page's stretch reaches that
    // far past the last line shown.
    double pageGrowth_ = 1;
};

}  // namespace reader
