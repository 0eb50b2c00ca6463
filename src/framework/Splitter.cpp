#include "Splitter.h"

#include <algorithm>

CX_IMPLEMENT_CLASS(TSplitter, TGraphicControl, CX_CREATE(TSplitter), {
    p.Int("MinSize", [](TSplitter& s) { return s.MinSize; }, [](TSplitter& s, int v) { s.MinSize = v; }, 30);
    p.Event("OnMoved", &TSplitter::OnMoved);
})

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
    align_ = TAlign::alLeft;
    width_ = 3;
    height_ = 100;
    cursor_ = crHSplit;
    ControlStyle &= ~csClickEvents;
}

TControl* TSplitter::FindControl() const {
    if (!parent_) return nullptr;
    for (int k = 0; k < parent_->ControlCount(); ++k) {
        TControl* c = parent_->Controls(k);
        if (c == this || !c->Visible() || c->Align() != align_) continue;
        RECT r = c->BoundsRect();
        switch (align_) {
        case TAlign::alLeft: if (r.right == left_) return c; break;
        case TAlign::alRight: if (r.left == left_ + width_) return c; break;
        case TAlign::alTop: if (r.bottom == top_) return c; break;
        case TAlign::alBottom: if (r.top == top_ + height_) return c; break;
        default: break;
        }
    }
    return nullptr;
}

void TSplitter::Paint() {
    Canvas().Brush.SetColor(Color());
    RECT r = ClientRect();
    Canvas().FillRect(r);
}

void TSplitter::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    TGraphicControl::MouseDown(b, s, x, y);
    if (b != TMouseButton::mbLeft) return;
    control_ = FindControl();
    if (!control_) return;
    GetCursorPos(&downAt_);
    startSize_ = (align_ == TAlign::alLeft || align_ == TAlign::alRight) ? control_->Width() : control_->Height();
}

void TSplitter::MouseMove(TShiftState s, int x, int y) {
    TGraphicControl::MouseMove(s, x, y);
    if (!control_ || !MouseCapture()) return;
    POINT p;
    GetCursorPos(&p);
    int delta = 0;
    switch (align_) {
    case TAlign::alLeft: delta = p.x - downAt_.x; break;
    case TAlign::alRight: delta = downAt_.x - p.x; break;
    case TAlign::alTop: delta = p.y - downAt_.y; break;
    case TAlign::alBottom: delta = downAt_.y - p.y; break;
    default: break;
    }
    int size = std::max(MinSize, startSize_ + delta);
    if (align_ == TAlign::alLeft || align_ == TAlign::alRight) control_->SetWidth(size);
    else control_->SetHeight(size);
}

void TSplitter::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
    TGraphicControl::MouseUp(b, s, x, y);
    if (control_ && OnMoved) OnMoved(this);
    control_ = nullptr;
}

void TSplitter::ChangeScale(int newDpi, int oldDpi) {
    MinSize = ScaleDpi(MinSize, newDpi, oldDpi);
    TGraphicControl::ChangeScale(newDpi, oldDpi);
}
