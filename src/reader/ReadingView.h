// How the reader's choices show in the book view. The book's own document
// sets its sizes and faces on every paragraph, so the view's default
// character format alone changes nothing on the page. The size box's points
// therefore scale the whole book through the window's zoom, relative to the
// book's own body size: "15" shows the body text at 15 points and the
// headings keep their larger size. A chosen face goes on every run of text,
// keeping sizes, bold and italics. The line at the top of the view stays at
// the top through every change. Choices made before the book's text is in
// are applied when it arrives, and so is the saved reading position.
#pragma once

#include <optional>
#include <string>
#include <vector>

class TwwCustomRichEdit;

namespace reader {

// The most frequent value (the smallest of equally frequent ones); 0 for none.
int MostCommon(const std::vector<int>& values);

class TReadingView {
public:
    explicit TReadingView(TwwCustomRichEdit& view) : view_(view) {}

    // The view's font size becomes points, and the book shows its body text
    // at that size.
    void SetSize(int points);
    // The view's font has its face already; this puts it on every run.
    void SetFace(const std::string& name, int charset);
    // The book keeps its own faces: a face chosen before the book's text
    // came in is not put on it (one already on the page stays there).
    void ClearFace() { face_.reset(); }
    // The caret goes to the position, and its line to the top of the view.
    void SetBookmark(int position);
    // The book's text is all in: measure it and apply what was chosen.
    void DocumentArrived();
    bool BookmarkPending() const { return bookmark_.has_value(); }
    // The body text's size in the book, in twips (0 while unknown).
    int BodyTwips() const { return bodyTwips_; }

private:
    int MeasureBody();
    void ApplyZoom();
    void ApplyFace();
    TwwCustomRichEdit& view_;
    int points_ = 0;
    int bodyTwips_ = 0;
    bool measured_ = false;
    std::optional<std::pair<std::string, int>> face_;
    std::optional<int> bookmark_;
};

}  // namespace reader
