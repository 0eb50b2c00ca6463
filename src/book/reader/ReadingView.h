// How the reader's choices show in the book view. The book's own document
// sets its sizes, faces, colours and styles run by run, so the view's
// default character format alone changes nothing on the page: every choice
// is put on the runs themselves. When the book's text is in, its runs are
// read once (the format map): the body's size, face and colour are those
// of most of its characters. A size puts the body at that many points and
// every other run in proportion, rounded to half points, so headings stay
// larger and every run is drawn at a true size. A face goes on every run.
// The font dialog's style is added to every run and its colour replaces the
// body's colour; runs of other colours keep theirs, and what the reader did
// not choose stays as the book has it. The line at the top of the view stays
// at the top through every change. Choices made before the book's text is
// in are applied when it arrives, and so is the saved reading position.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class TwwCustomRichEdit;

namespace reader {

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

class TReadingView {
public:
    explicit TReadingView(TwwCustomRichEdit& view) : view_(view) {}

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
    void SetBookmark(int position);
    // The book's text is all in: read its format map and apply what was chosen.
    void DocumentArrived();
    bool BookmarkPending() const { return bookmark_.has_value(); }
    // Reads the book's format map once its text is in; true once the body
    // is known.
    bool Measure();
    // A size was set (else the book shows at its own sizes).
    bool SizeChosen() const { return points_ > 0; }
    // The body text's size in the book, in twips, and its face (0 and empty
    // while unknown).
    int BodyTwips() const { return bodyTwips_; }
    const std::string& BodyFace() const { return bodyFace_; }
    const std::vector<TFormatRun>& Runs() const { return runs_; }

private:
    void ReadFormatMap();
    void ApplySizes();
    void ApplyFace();
    void ApplyStyle();
    TwwCustomRichEdit& view_;
    int points_ = 0;
    int bodyTwips_ = 0;
    std::string bodyFace_;
    COLORREF bodyColor_ = 0;
    bool bodyAutoColor_ = true;
    bool measured_ = false;
    std::vector<TFormatRun> runs_;
    std::optional<std::pair<std::string, int>> face_;
    struct Style {
        DWORD effects;
        COLORREF color;
        bool autoColor;
    };
    std::optional<Style> style_;
    std::optional<int> bookmark_;
};

}  // namespace reader
