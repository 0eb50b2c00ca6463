// The bevelled panel of the button family: the framework's panel with its own
// bevels switched off, framed instead by an owned TMMBevel of up to five rings.
// Children are aligned inside the bevel's total width.
#pragma once

#include <memory>

#include "buttons/MMObj.h"

class TMMCustomPanel : public TCustomPanel {
    CX_DECLARE_CLASS()
public:
    explicit TMMCustomPanel(TComponent* owner);
    ~TMMCustomPanel() override;

    // The owned bevel; setting it copies the values into the same object.
    TMMBevel* Bevel() const { return bevel_.get(); }
    void SetBevel(TMMBevel* b) { bevel_->Assign(b); }
    RECT AlignRect() override;

protected:
    void Paint() override;
    // The bevel changed: re-lay out the children and repaint.
    virtual void BevelChanged();

    std::unique_ptr<TMMBevel> bevel_;
    bool drawBorder_ = true;
};

class TMMPanel : public TMMCustomPanel {
    CX_DECLARE_CLASS()
public:
    explicit TMMPanel(TComponent* owner) : TMMCustomPanel(owner) {}
};
