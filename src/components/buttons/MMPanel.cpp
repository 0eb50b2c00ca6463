#include "buttons/MMPanel.h"

CX_IMPLEMENT_CLASS(TMMCustomPanel, TCustomPanel, CX_ABSTRACT, {})

TMMCustomPanel::TMMCustomPanel(TComponent* owner) : TCustomPanel(owner), bevel_(std::make_unique<TMMBevel>()) {
    bevelOuter_ = TBevelCut::bvNone;
    bevelInner_ = TBevelCut::bvNone;
    borderWidth_ = 0;
    bevel_->OnChanged = [this](TMMObject*) { BevelChanged(); };
}

TMMCustomPanel::~TMMCustomPanel() { bevel_->OnChanged = nullptr; }

void TMMCustomPanel::BevelChanged() {
    Realign();
    Invalidate();
}

RECT TMMCustomPanel::AlignRect() {
    RECT r = ClientRect();
    int f = bevel_->TotalWidth();
    InflateRect(&r, -f, -f);
    return r;
}

namespace {
int FloorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }
}  // namespace

void TMMCustomPanel::Paint() {
    TCanvas& c = Canvas();
    RECT r = bevel_->Paint(c, ClientRect(), drawBorder_);
    c.Brush.SetColor(color_);
    c.FillRect(r);
    if (caption_.empty()) return;
    HDC dc = c.Handle();
    SelectObject(dc, c.Font.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(c.Font.Color()));
    int h = c.TextHeight("W");
    RECT box{r.left, FloorHalf(r.top + r.bottom - h), r.right, 0};
    box.bottom = box.top + h;
    DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &box,
              AlignmentFlag(alignment_) | DT_VCENTER | DT_EXPANDTABS);
}

CX_IMPLEMENT_CLASS(TMMPanel, TMMCustomPanel, CX_CREATE(TMMPanel), {
    p.Object("Bevel", [](TMMPanel& c) -> TPersistent* { return c.Bevel(); });
    p.Enum("Alignment", kAlignmentNames, &TMMPanel::Alignment, &TMMPanel::SetAlignment,
           static_cast<int>(TAlignment::taCenter));
})
