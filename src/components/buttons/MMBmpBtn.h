// The picture button: a windowless push button that draws its own frame (one
// of eight styles), an optional glyph cut from a picture strip of a
// TMMBitmapList, and an optional caption placed by one of nine alignments.
// It can latch down, toggle, track the hot state, paint over its parent's
// image or fill itself, and redraw through an off-screen buffer.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "buttons/MMBmpLst.h"

enum class TMMButtonStyle { bsRegular, bsIndent, bsLight, bsDark, bsMono, bsExplorer, bsHighLight, bsNone };
extern const EnumNames kMMButtonStyleNames;
enum class TTextAlign {
    ttaTopLeft, ttaTop, ttaTopRight, ttaRight, ttaBottomRight, ttaBottom, ttaBottomLeft, ttaLeft, ttaCenter
};
extern const EnumNames kTextAlignNames;
enum class TTransparentMode { tmAuto, tmFixed };
extern const EnumNames kTransparentModeNames;

using TGetGlyphIndexEvent = std::function<void(TObject* Sender, int& Index)>;

// Placement and choice rules of the button, kept free of windows.
namespace mmbutton {

// Glyph indexes beyond the strip's own pictures.
inline constexpr int kNoGlyph = -1, kGrayGlyph = -2, kDisabledGlyph = -3;

struct GlyphState {
    int numGlyphs = 1;
    bool enabled = true, down = false, drawnDown = false, hot = false;
    bool showDisabled = true, autoGray = true;
    bool explorerLike = false;  // bsExplorer and bsHighLight
};
// The picture drawn in a state: a strip index or one of the generated ones.
int ChooseGlyph(const GlyphState& s);

// Top-left corner of the glyph box (glyph w x h; 0 x 0 without a picture).
POINT GlyphOrigin(TTextAlign a, int width, int height, int w, int h, int spacing);
// Top-left corner of a caption of tw x th beside the glyph box g. Without a
// picture the caption keeps to the side its alignment names.
POINT CaptionOrigin(TTextAlign a, int width, int height, const RECT& g, bool hasGlyph, int tw, int th, int spacing);

// Breaks a caption into at most maxLines lines no wider than maxWidth (by the
// measure given), at blanks and line breaks. A word wider than the line gets
// a line of its own. When lines are left over, the last line kept takes the
// rest and ends in "..." if it does not already overflow (then the drawing
// cuts it with an ellipsis).
std::vector<std::string> WrapCaption(const std::string& text, int maxWidth, int maxLines,
                                     const std::function<int(const std::string&)>& measure);

}  // namespace mmbutton

// Windowless controls of the family: enter and exit events, a second tag.
class TMMGraphicControl : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TMMGraphicControl(TComponent* owner);
    ~TMMGraphicControl() override;
    TNotifyEvent OnMouseEnter, OnMouseExit;
    std::int32_t Tag2 = 0;
    // The framework's enter and leave. While a control holds the mouse the
    // framework may report an enter for a pointer that is elsewhere; only a
    // pointer really over the control enters, and each enter has one exit.
    void MouseEnter() override;
    void MouseLeave() override;
    bool Entered() const { return entered_; }

protected:
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    bool entered_ = false;
    // Shared with callbacks that may free the control: false once it is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A windowless control that draws a picture of a TMMBitmapList.
class TMMCustomBitmapListControl : public TMMGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TMMCustomBitmapListControl(TComponent* owner);
    ~TMMCustomBitmapListControl() override;

    TMMBitmapList* BitmapList() const { return bitmapList_; }
    void SetBitmapList(TMMBitmapList* list);
    int BitmapIndex() const { return bitmapIndex_; }
    void SetBitmapIndex(int index);
    // The picture of the list at BitmapIndex, or null.
    TBitmap* SourceBitmap() const;
    // The list or the choice in it changed.
    virtual void BitmapListChanged() {}

protected:
    void Notification(TComponent* c, TOperation op) override;
    TMMBitmapList* bitmapList_ = nullptr;
    int bitmapIndex_ = -1;
};

class TMMBitmapButton : public TMMCustomBitmapListControl {
    CX_DECLARE_CLASS()
public:
    explicit TMMBitmapButton(TComponent* owner);
    ~TMMBitmapButton() override;

    TMMButtonStyle ButtonStyle() const { return style_; }
    void SetButtonStyle(TMMButtonStyle v);
    bool Down() const { return down_; }
    void SetDown(bool v);
    bool Switch() const { return switch_; }
    void SetSwitch(bool v) { switch_ = v; }
    bool ShowPressed() const { return showPressed_; }
    void SetShowPressed(bool v);
    int DownIndentHoriz() const { return downIndentHoriz_; }
    void SetDownIndentHoriz(int v);
    int DownIndentVert() const { return downIndentVert_; }
    void SetDownIndentVert(int v);
    bool ShowDisabled() const { return showDisabled_; }
    void SetShowDisabled(bool v);
    bool AutoGray() const { return autoGray_; }
    void SetAutoGray(bool v);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    TTextAlign TextAlign() const { return textAlign_; }
    void SetTextAlign(TTextAlign v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    // Setting a colour fixes it (tmFixed); tmAuto takes the strip's
    // bottom-left pixel.
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor v);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode v);
    bool DoubleBuffer() const { return doubleBuffer_; }
    void SetDoubleBuffer(bool v);
    bool AllowRightMouse() const { return allowRightMouse_; }
    void SetAllowRightMouse(bool v) { allowRightMouse_ = v; }

    TGetGlyphIndexEvent OnGetGlyphIndex;

    // The state the button is in.
    bool Tracking() const { return tracking_; }
    bool PressedInside() const { return pressedInside_; }
    bool DrawnDown() const { return drawnDown_; }
    bool Hot() const { return hot_; }
    // The picture drawn now (see mmbutton::ChooseGlyph), kNoGlyph without one.
    int CurrentGlyph() const;
    int GlyphWidth() const { return glyphWidth_; }
    int GlyphHeight() const { return glyphHeight_; }
    // A strip picture or a generated one (kGrayGlyph, kDisabledGlyph), or null.
    TBitmap* Glyph(int index) const;
    // The redraw buffer: the composed button on top, the parent's image below.
    TBitmap* Buffer() const { return buffer_.get(); }

    // Draws the current state at once (press, move, release, enter, leave).
    void Redraw();

    // The keyboard: a button with TabStop takes the focus; Return or Space
    // clicks it. Assistive technology sees a push button named by its
    // caption, or by the short part of its hint when it has none.
    bool WantsKeyboardFocus() const override { return TabStop && Visible() && Enabled(); }
    bool KeyboardPress(WORD key) override;
    std::string GetAccessibleName() const override;
    long AccessibleRole() const override;
    std::string AccessibleDefaultAction() const override { return "Press"; }
    void DoAccessibleDefaultAction() override { Click(); }

    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMessage(UINT msg, WPARAM wp, POINT pt) override;
    bool DialogChar(char ch) override;
    void PaintControl(HDC dc) override;
    void ChangeScale(int newDpi, int oldDpi) override;
    void Loaded() override;
    void BitmapListChanged() override { RebuildGlyphs(); }

protected:
    void DoMouseEnter() override;
    void DoMouseLeave() override;
    void Paint() override;
    void EnabledChanged() override;
    void BoundsChanged() override;

private:
    bool PressButton(TMouseButton b) const {
        return b == TMouseButton::mbLeft || (b == TMouseButton::mbRight && allowRightMouse_);
    }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    bool ExplorerLike() const {
        return style_ == TMMButtonStyle::bsExplorer || style_ == TMMButtonStyle::bsHighLight;
    }
    void Release(TMouseButton b, TShiftState s, int x, int y);
    void ShowPopup(TMouseButton b, TShiftState s);
    void RebuildGlyphs();
    void UpdateBuffer();
    void Compose(HDC dc);
    void PaintFrames(TCanvas& c);
    void PaintCaption(TCanvas& c, const RECT& glyph, bool hasGlyph, int dx, int dy);
    template <class V>
    void StoreAndInvalidate(V& field, V value) {
        if (field == value) return;
        field = value;
        Invalidate();
    }

    TMMButtonStyle style_ = TMMButtonStyle::bsExplorer;
    bool down_ = false;
    bool switch_ = false;
    bool showPressed_ = true;
    int downIndentHoriz_ = 1, downIndentVert_ = 1;
    bool showDisabled_ = true;
    bool autoGray_ = true;
    int numGlyphs_ = 1;
    bool autoSize_ = false;
    int borderWidth_ = 1;
    int spacing_ = 2;
    TTextAlign textAlign_ = TTextAlign::ttaCenter;
    bool wordWrap_ = false;
    bool transparent_ = true;
    TColor transparentColor_ = clNone;
    TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
    bool doubleBuffer_ = false;
    bool allowRightMouse_ = false;

    bool tracking_ = false, pressedInside_ = false, drawnDown_ = false, hot_ = false;
    TMouseButton trackButton_ = TMouseButton::mbLeft;

    std::vector<std::unique_ptr<TBitmap>> glyphs_;
    std::unique_ptr<TBitmap> grayGlyph_, disabledGlyph_;
    int glyphWidth_ = 0, glyphHeight_ = 0;
    std::unique_ptr<TBitmap> buffer_;
};
