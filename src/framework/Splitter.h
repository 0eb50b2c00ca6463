// A bar between two aligned controls that the user drags to resize the one
// it is attached to (the control just beyond it on the side it is aligned to).
#pragma once

#include "Controls.h"

class TSplitter : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TSplitter(TComponent* owner);
    int MinSize = 30;
    TNotifyEvent OnMoved;
    // The control the splitter resizes, or null.
    TControl* FindControl() const;
    void ChangeScale(int newDpi, int oldDpi) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

private:
    TControl* control_ = nullptr;
    POINT downAt_{};
    int startSize_ = 0;
};
