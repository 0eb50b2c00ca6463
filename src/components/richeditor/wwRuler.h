// The ruler above the editor of the rich text editor window: a scale in the
// editor control's unit and three draggable markers for the indents of the
// paragraph at the selection (left, first line, right). Dragging a marker
// snaps it to the scale and writes the new indent into the paragraphs of the
// selection.
#pragma once

#include <cstdint>
#include <memory>

#include "ExtCtrls.h"
#include "richedit/wwRichEdit.h"

// A small picture that the user drags sideways between two bounds. The
// picture is drawn transparently: its bottom-left pixel's colour is not drawn.
class TwwTrackIcon : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TwwTrackIcon(TComponent* owner);
    ~TwwTrackIcon() override;

    // One of the built-in pictures, "wwRulerUp" or "wwRulerDown"; the
    // control takes the picture's size.
    void SetPictureName(const std::string& name);
    TBitmap& Picture() { return *picture_; }

    // Lowest and highest left while dragging; 0 is no bound.
    int LowerBound = 0;
    int UpperBound = 0;
    // After a drag that moved the marker.
    TNotifyEvent OnEndDrag;

    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;

protected:
    void Paint() override;

private:
    void Track(POINT pressed);
    std::unique_ptr<TBitmap> picture_;
};

// The built-in marker pictures: 11 by 11, 16 colours, "wwRulerUp" pointing
// up and "wwRulerDown" pointing down; nothing for other names.
std::unique_ptr<TBitmap> WwRulerPicture(const std::string& name);

class TwwRulerPanel : public TCustomPanel {
    CX_DECLARE_CLASS()
public:
    // A ruler for the editor control, 25 pixels high below 97 pixels per
    // inch and 27 from there on, with its three markers.
    TwwRulerPanel(TComponent* owner, TwwCustomRichEdit* editor);

    TwwCustomRichEdit* Editor() const { return editor_; }
    // The scale's area: (6, 4, width - 6, height - 4) after every size change.
    const RECT& DrawRect() const { return rect_; }
    TwwTrackIcon* LeftMarker() const { return left_; }
    TwwTrackIcon* RightMarker() const { return right_; }
    TwwTrackIcon* FirstLineMarker() const { return firstLine_; }
    // The screen's pixels per inch as the editor control read them.
    int PixelsPerInch() const;

    // Places the markers for the paragraph at the editor's selection.
    void UpdateMarkers();
    // With the printer's width: the ruler as long as the page less the margins.
    void SizeToPage();
    // The page width the scale is drawn to, in twips (0: the window's width).
    std::int64_t PageTwips() const { return pageTwips_; }
    // What follows the drag of a marker: it snaps to the scale, stays clear
    // of the right marker, and the paragraphs of the selection take the indent.
    void MarkerMoved(TObject* marker);

protected:
    void Paint() override;
    void BoundsChanged() override;

private:
    void ResetRect();
    void PaintScale();
    TwwTrackIcon* MakeMarker(const char* picture);
    TwwCustomRichEdit* editor_;
    RECT rect_{0, 0, 0, 0};
    std::int64_t pageTwips_ = 0;  // the printer's page width at the last SizeToPage
    TwwTrackIcon* left_ = nullptr;
    TwwTrackIcon* right_ = nullptr;
    TwwTrackIcon* firstLine_ = nullptr;
};
