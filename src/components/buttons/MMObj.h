// Change-notifying objects of the button and panel family, and the bevel: the
// description of a frame of up to five nested rings that a panel draws around
// its interior.
#pragma once

#include <functional>

#include "ExtCtrls.h"

// An object that tells its owner before and after it changes. Updates can be
// bracketed: the first BeginUpdate sends the changing notification, the last
// matching EndUpdate the changed one, and changes in between send nothing.
class TMMObject : public TPersistent {
    CX_DECLARE_CLASS()
public:
    using THook = std::function<void(TMMObject* Sender)>;
    THook OnChanging;
    THook OnChanged;

    void BeginUpdate();
    void EndUpdate();  // an unmatched call is ignored
    int UpdateCount() const { return updateCount_; }

protected:
    // A property changed: the changed notification, unless an update is open.
    void Changed();

private:
    int updateCount_ = 0;
};

class TMMBevel : public TMMObject {
    CX_DECLARE_CLASS()
public:
    TMMBevel();

    // The indexed colours.
    enum ColorIndex { ciBorder, ciBorderSpace, ciInnerLight, ciInnerShadow, ciOuterLight, ciOuterShadow, ciCount };

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    int BevelInnerWidth() const { return bevelInnerWidth_; }
    void SetBevelInnerWidth(int v);  // at least 1
    int BevelOuterWidth() const { return bevelOuterWidth_; }
    void SetBevelOuterWidth(int v);  // at least 1
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);  // at least 0
    int BorderSpace() const { return borderSpace_; }
    void SetBorderSpace(int v);  // at least 0
    TColor GetColor(int index) const { return colors_[index]; }
    void SetColor(int index, TColor v);

    TColor BorderColor() const { return colors_[ciBorder]; }
    TColor BorderSpaceColor() const { return colors_[ciBorderSpace]; }
    TColor InnerLightColor() const { return colors_[ciInnerLight]; }
    TColor InnerShadowColor() const { return colors_[ciInnerShadow]; }
    TColor OuterLightColor() const { return colors_[ciOuterLight]; }
    TColor OuterShadowColor() const { return colors_[ciOuterShadow]; }

    // The width the frame takes on each side; a bvSpace bevel counts although
    // it draws nothing.
    int TotalWidth() const;
    // Draws the rings inside outer, from the outside in, and returns the
    // interior. Without drawBorder the border ring only takes its room.
    RECT Paint(TCanvas& canvas, RECT outer, bool drawBorder) const;

    // Copies another bevel's thirteen values as one change.
    void Assign(TPersistent* source) override;

private:
    template <class V>
    void Store(V& field, V value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    TBevelCut bevelOuter_ = TBevelCut::bvLowered;
    int bevelInnerWidth_ = 1;
    int bevelOuterWidth_ = 1;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    int borderWidth_ = 0;
    int borderSpace_ = 0;
    TColor colors_[ciCount];
};
