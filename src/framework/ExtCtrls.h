// Extra standard controls: the bevelled panel that holds other controls, the
// tool panel, the label (a windowless line or block of text) and the bevel
// (a windowless frame or line).
#pragma once

#include "Controls.h"

// The cut of a bevel ring: sunk into the surface, raised from it, or an empty
// ring that only takes room.
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
extern const EnumNames kBevelCutNames;
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
extern const EnumNames kAlignmentNames;
// A one-pixel window-frame line around a control, or none.
enum class TBorderStyle { bsNone, bsSingle };
extern const EnumNames kSingleBorderStyleNames;
enum class TTextLayout { tlTop, tlCenter, tlBottom };
extern const EnumNames kTextLayoutNames;

// DrawText's horizontal flag for an alignment.
UINT AlignmentFlag(TAlignment a);
// Draws a bevel ring of the given cut and width (lowered: shadow at the top
// and left, highlight at the bottom and right) and shrinks r by the width.
// bvSpace shrinks without drawing; bvNone does neither.
void DrawBevelRing(TCanvas& canvas, RECT& r, TBevelCut cut, int width, TColor light = clBtnHighlight,
                   TColor shadow = clBtnShadow);

// A windowed container with an outer bevel, a border in its own colour, an
// inner bevel and a centred caption. Its children are aligned inside the frame.
class TCustomPanel : public TCustomControl {
    CX_DECLARE_CLASS()
public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);  // at least 1
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);  // at least 0
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);

    // Width of the frame on each side: bevels that are not bvNone and the border.
    int FrameWidth() const;
    RECT AlignRect() override;

protected:
    void Paint() override;
    bool EraseBackground(HDC) override { return true; }  // Paint covers the whole client area
    // Draws the caption centred vertically in r with the panel's alignment.
    void PaintCaption(const RECT& r);
    void FrameChanged();

    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = TAlignment::taCenter;
};

class TPanel : public TCustomPanel {
    CX_DECLARE_CLASS()
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// The bar under a window's menu that holds its speed buttons: a panel along
// the top with no bevel of its own. Flat, it is parted from the menu by an
// etched line along its top edge.
class TToolPanel : public TCustomPanel {
    CX_DECLARE_CLASS()
public:
    explicit TToolPanel(TComponent* owner);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    RECT AlignRect() override;

protected:
    void Paint() override;
    bool flat_ = true;
};

// Text drawn on the parent's surface. With AutoSize it takes the size of its
// text; "&" marks an accelerator that gives FocusControl the focus.
class TLabel : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* c);

    bool DialogChar(char ch) override;
    void Loaded() override;
    // Resizes to the text now (AutoSize does this after every change).
    void AdjustBounds();

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Notification(TComponent* c, TOperation op) override;
    UINT TextFlags() const;

    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

// A windowless bevel: a box, an etched frame or a single etched line along
// one edge (bsTopLine parts groups of controls), sunk or raised.
enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
extern const EnumNames kBevelShapeNames;
enum class TBevelStyle { bsLowered, bsRaised };
extern const EnumNames kBevelStyleNames;

class TBevel : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape v);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle v);

protected:
    void Paint() override;
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelStyle style_ = TBevelStyle::bsLowered;
};
