// The speed button: a windowless button for tool bars, with a picture, a
// caption or both. Buttons of one parent that share a group index form a
// group in which one is down at a time.
#pragma once

#include <memory>
#include <vector>

#include "Controls.h"

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
extern const EnumNames kButtonLayoutNames;

class TSpeedButton : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    // Down stays down until another button of the group goes down (or, with
    // AllowAllUp, until it is pressed again). A button outside any group
    // (GroupIndex 0) is never left down.
    bool Down() const { return down_; }
    void SetDown(bool v);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    // Shared by the whole group: may the last button down be raised?
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v);
    // Flat: no frame until the mouse is over it (or it is down).
    bool Flat() const { return flat_; }
    void SetFlat(bool v);

    // The picture: NumGlyphs equal pictures side by side, for the button up,
    // disabled, pressed and down; the ones not given are made from the first.
    // Pixels of the colour of its bottom-left pixel are see-through.
    TBitmap* Glyph() { return glyph_->Bitmap(); }
    void SetGlyph(TBitmap* b) { glyph_->Assign(b); }
    TPicture* GlyphPicture() { return glyph_.get(); }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v);  // 1 to 4
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v);
    // Distance of the picture from the edge; -1: picture and caption centred.
    int Margin() const { return margin_; }
    void SetMargin(int v);
    // Between picture and caption.
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);

    // How the button shows now.
    enum class State { Up, Disabled, Pressed, Down };
    State CurrentState() const;
    bool MouseInControl() const { return mouseIn_; }

    void Click() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void Loaded() override;
    // The picture scales with the button (smoothly; its see-through pixels
    // stay crisp), as do its margin and spacing.
    void ChangeScale(int newDpi, int oldDpi) override;

protected:
    void Paint() override;
    void EnabledChanged() override;

private:
    void UpdateExclusive();
    void GlyphChanged();
    // The picture for a state (built on first use), or null.
    TBitmap* GlyphFor(State s);
    void DrawFace(const RECT& r, State s);
    void DrawContent(RECT r, State s);

    std::unique_ptr<TPicture> glyph_;
    std::vector<std::unique_ptr<TBitmap>> parts_;  // the glyph cut into its states
    std::unique_ptr<TBitmap> disabledGlyph_;
    int numGlyphs_ = 1;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool flat_ = false;
    bool pressed_ = false;   // the mouse holds the button
    bool dragging_ = false;  // a press started on the button
    bool mouseIn_ = false;
};
