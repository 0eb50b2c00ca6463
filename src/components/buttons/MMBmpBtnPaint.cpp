// The picture button's drawing: frames by style and state, the glyph strip
// with its generated grey and disabled pictures, the caption, and the redraw
// buffer.
#include <algorithm>

#include "buttons/MMBmpBtn.h"

namespace mmbutton {

int ChooseGlyph(const GlyphState& s) {
    int n = s.numGlyphs;
    if (!s.enabled) {
        if (n >= 2) return 1;
        return s.autoGray ? kDisabledGlyph : 0;
    }
    if (s.explorerLike && !s.down && !s.drawnDown && !s.hot && s.showDisabled)
        return s.autoGray ? kGrayGlyph : (n >= 2 ? 1 : 0);
    if (n >= 4 && s.down) return 3;
    if (n >= 3 && s.drawnDown) return 2;
    return 0;
}

namespace {
bool TopSide(TTextAlign a) {
    return a == TTextAlign::ttaTopLeft || a == TTextAlign::ttaTop || a == TTextAlign::ttaTopRight;
}
bool BottomSide(TTextAlign a) {
    return a == TTextAlign::ttaBottomLeft || a == TTextAlign::ttaBottom || a == TTextAlign::ttaBottomRight;
}
}  // namespace

POINT GlyphOrigin(TTextAlign a, int width, int height, int w, int h, int spacing) {
    POINT p;
    if (BottomSide(a)) p.y = spacing;
    else if (TopSide(a)) p.y = height - h - spacing;
    else p.y = (height - h) / 2;
    if (a == TTextAlign::ttaLeft) p.x = width - w - spacing;
    else if (a == TTextAlign::ttaRight) p.x = spacing;
    else p.x = (width - w) / 2;
    return p;
}

POINT CaptionOrigin(TTextAlign a, int width, int height, const RECT& g, bool hasGlyph, int tw, int th, int spacing) {
    POINT p;
    switch (a) {
    case TTextAlign::ttaTopLeft: case TTextAlign::ttaBottomLeft: case TTextAlign::ttaLeft: p.x = spacing; break;
    case TTextAlign::ttaTopRight: case TTextAlign::ttaRight: case TTextAlign::ttaBottomRight:
        p.x = width - tw - spacing;
        break;
    default: p.x = width / 2 - tw / 2; break;
    }
    if (TopSide(a)) p.y = hasGlyph ? g.top - th - spacing : spacing;
    else if (BottomSide(a)) p.y = hasGlyph ? g.bottom + spacing : height - th - spacing;
    else p.y = height / 2 - th / 2;
    return p;
}

std::vector<std::string> WrapCaption(const std::string& text, int maxWidth, int maxLines,
                                     const std::function<int(const std::string&)>& measure) {
    maxLines = std::max(1, maxLines);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('\n', start);
        std::string para = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!para.empty() && para.back() == '\r') para.pop_back();
        std::string line;
        std::size_t k = 0;
        while (k < para.size()) {
            if (para[k] == ' ') {
                ++k;
                continue;
            }
            std::size_t e = para.find(' ', k);
            std::string word = para.substr(k, e == std::string::npos ? std::string::npos : e - k);
            k = e == std::string::npos ? para.size() : e;
            std::string candidate = line.empty() ? word : line + " " + word;
            if (line.empty() || measure(candidate) <= maxWidth) {
                line = candidate;
            } else {
                lines.push_back(line);
                line = word;
            }
        }
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (static_cast<int>(lines.size()) <= maxLines) return lines;
    std::string last = lines[static_cast<std::size_t>(maxLines - 1)];
    for (std::size_t k = static_cast<std::size_t>(maxLines); k < lines.size(); ++k) last += " " + lines[k];
    if (measure(last) <= maxWidth) last += "...";
    lines.resize(static_cast<std::size_t>(maxLines));
    lines.back() = last;
    return lines;
}

}  // namespace mmbutton

// ---------------------------------------------------------------- glyphs

namespace {

COLORREF PixelAt(const unsigned char* row, int x) { return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]); }
void PutPixel(unsigned char* row, int x, COLORREF c) {
    row[3 * x] = GetBValue(c);
    row[3 * x + 1] = GetGValue(c);
    row[3 * x + 2] = GetRValue(c);
}
int Luma(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }
// A drawn pixel must not turn see-through by chance.
COLORREF Avoid(COLORREF c, COLORREF seeThrough) { return c == seeThrough ? (c ^ 1) : c; }

std::unique_ptr<TBitmap> NewCell(int w, int h) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    return b;
}

// Every picture pixel in its grey of equal brightness.
std::unique_ptr<TBitmap> MakeGray(TBitmap& src, COLORREF seeThrough) {
    auto out = NewCell(src.Width(), src.Height());
    for (int y = 0; y < src.Height(); ++y) {
        const unsigned char* in = src.ScanLine(y);
        unsigned char* row = out->ScanLine(y);
        for (int x = 0; x < src.Width(); ++x) {
            COLORREF c = PixelAt(in, x);
            if (c != seeThrough) {
                auto l = static_cast<BYTE>(Luma(c));
                c = Avoid(RGB(l, l, l), seeThrough);
            }
            PutPixel(row, x, c);
        }
    }
    return out;
}

// The dark parts of the picture embossed: a highlight one pixel down and
// right, the shadow colour in place, everything else see-through.
std::unique_ptr<TBitmap> MakeDisabled(TBitmap& src, COLORREF seeThrough) {
    int w = src.Width(), h = src.Height();
    auto out = NewCell(w, h);
    std::vector<bool> dark(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const unsigned char* in = src.ScanLine(y);
        unsigned char* row = out->ScanLine(y);
        for (int x = 0; x < w; ++x) {
            COLORREF c = PixelAt(in, x);
            dark[static_cast<std::size_t>(y) * w + x] = c != seeThrough && Luma(c) < 192;
            PutPixel(row, x, seeThrough);
        }
    }
    COLORREF light = Avoid(ColorToRGB(clBtnHighlight), seeThrough);
    COLORREF shadow = Avoid(ColorToRGB(clBtnShadow), seeThrough);
    for (int y = 0; y + 1 < h; ++y)
        for (int x = 0; x + 1 < w; ++x)
            if (dark[static_cast<std::size_t>(y) * w + x]) PutPixel(out->ScanLine(y + 1), x + 1, light);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (dark[static_cast<std::size_t>(y) * w + x]) PutPixel(out->ScanLine(y), x, shadow);
    return out;
}

}  // namespace

void TMMBitmapButton::RebuildGlyphs() {
    if (Has(csLoading)) return;  // Loaded rebuilds once the layout is read
    glyphs_.clear();
    grayGlyph_.reset();
    disabledGlyph_.reset();
    glyphWidth_ = glyphHeight_ = 0;
    TBitmap* src = SourceBitmap();
    if (src && !src->Empty() && src->Width() >= numGlyphs_) {
        int cw = src->Width() / numGlyphs_, ch = src->Height();
        for (int k = 0; k < numGlyphs_; ++k) {
            auto cell = NewCell(cw, ch);
            BitBlt(cell->Canvas().Handle(), 0, 0, cw, ch, src->Canvas().Handle(), k * cw, 0, SRCCOPY);
            glyphs_.push_back(std::move(cell));
        }
        // tmFixed with clNone: no colour is see-through.
        bool seeThrough = !(transparentMode_ == TTransparentMode::tmFixed && transparentColor_ == clNone);
        COLORREF tc = transparentMode_ == TTransparentMode::tmFixed ? ColorToRGB(transparentColor_)
                                                                      : glyphs_[0]->Canvas().Pixel(0, ch - 1);
        if (autoGray_) {
            grayGlyph_ = MakeGray(*glyphs_[0], seeThrough ? tc : CLR_INVALID);
            disabledGlyph_ = MakeDisabled(*glyphs_[0], seeThrough ? tc : CLR_INVALID);
        }
        auto mark = [&](TBitmap* b) {
            if (!b || !seeThrough) return;
            b->SetTransparentColor(static_cast<TColor>(tc));
            b->SetTransparent(true);
        };
        for (auto& g : glyphs_) mark(g.get());
        mark(grayGlyph_.get());
        mark(disabledGlyph_.get());
        glyphWidth_ = cw;
        glyphHeight_ = ch;
        if (autoSize_) SetBounds(left_, top_, cw, ch);
    }
    Invalidate();
}

TBitmap* TMMBitmapButton::Glyph(int index) const {
    if (index == mmbutton::kGrayGlyph) return grayGlyph_.get();
    if (index == mmbutton::kDisabledGlyph) return disabledGlyph_.get();
    if (index < 0 || index >= static_cast<int>(glyphs_.size())) return nullptr;
    return glyphs_[static_cast<std::size_t>(index)].get();
}

int TMMBitmapButton::CurrentGlyph() const {
    if (glyphs_.empty()) return mmbutton::kNoGlyph;
    mmbutton::GlyphState s;
    s.numGlyphs = static_cast<int>(glyphs_.size());
    s.enabled = enabled_;
    s.down = down_;
    s.drawnDown = drawnDown_;
    s.hot = hot_;
    s.showDisabled = showDisabled_;
    s.autoGray = autoGray_;
    s.explorerLike = ExplorerLike();
    int index = mmbutton::ChooseGlyph(s);
    if (OnGetGlyphIndex) {
        int given = -1;
        OnGetGlyphIndex(const_cast<TMMBitmapButton*>(this), given);
        if (given >= 0 && given < s.numGlyphs) index = given;
    }
    return Glyph(index) ? index : 0;
}

// ---------------------------------------------------------------- painting

void TMMBitmapButton::PaintFrames(TCanvas& c) {
    int w = width_, h = height_, bw = borderWidth_;
    auto ring = [&](RECT r, TColor color, int n) { c.Frame3D(r, color, color, n); };
    c.Brush.SetColor(color_);
    c.Pen.SetColor(clBlack);
    c.Pen.SetWidth(std::max(1, bw));
    switch (style_) {
    case TMMButtonStyle::bsRegular:
        if (transparent_) ring(RECT{1, 1, w, h}, clBlack, bw);
        else if (bw > 0) c.Rectangle(1, 1, w, h);
        else c.FillRect(RECT{1, 1, w, h});
        break;
    case TMMButtonStyle::bsIndent:
        if (transparent_) {
            ring(RECT{0, 0, w - 1, h - 1}, clBtnShadow, bw);
        } else if (bw > 0) {
            c.Pen.SetColor(clBtnShadow);
            c.Rectangle(0, 0, w - 1, h - 1);
        } else {
            c.FillRect(RECT{0, 0, w - 1, h - 1});
        }
        ring(RECT{1, 1, w, h}, clBtnHighlight, bw);
        break;
    default:
        if (!transparent_) c.FillRect(RECT{0, 0, w, h});
        break;
    }
    if (Has(csDesigning) && transparent_) {
        c.Pen.SetStyle(TPenStyle::psDot);
        c.Pen.SetWidth(1);
        c.Brush.SetStyle(TBrushStyle::bsClear);
        c.Rectangle(0, 0, w, h);
        c.Pen.SetStyle(TPenStyle::psSolid);
    }

    RECT f{0, 0, w, h};
    auto frame = [&](TColor topLeft, TColor bottomRight, int n) { c.Frame3D(f, topLeft, bottomRight, n); };
    if (drawnDown_) {
        switch (style_) {
        case TMMButtonStyle::bsRegular: case TMMButtonStyle::bsIndent:
            if (showPressed_) {
                frame(clBlack, clBtnHighlight, bw);
                frame(clBtnShadow, clBtnFace, bw);
            }
            break;
        case TMMButtonStyle::bsLight:
            if (showPressed_) frame(clBtnShadow, clBtnHighlight, 1);
            break;
        case TMMButtonStyle::bsDark:
            if (showPressed_) frame(cl3DDkShadow, clBtnFace, 1);
            break;
        case TMMButtonStyle::bsMono:
            if (showPressed_) frame(cl3DDkShadow, clBtnHighlight, 1);
            break;
        case TMMButtonStyle::bsExplorer:
            if (hot_ || down_) {
                if (showPressed_) frame(clBtnShadow, clBtnHighlight, bw);
                else frame(clBtnHighlight, clBtnShadow, bw);
            }
            break;
        default: break;
        }
        return;
    }
    switch (style_) {
    case TMMButtonStyle::bsRegular:
        frame(clBtnHighlight, clBlack, bw);
        frame(clBtnFace, clBtnShadow, bw);
        break;
    case TMMButtonStyle::bsIndent: frame(clBtnShadow, clBtnHighlight, bw); break;
    case TMMButtonStyle::bsLight: frame(clBtnHighlight, clBtnShadow, 1); break;
    case TMMButtonStyle::bsDark: frame(clBtnFace, cl3DDkShadow, 1); break;
    case TMMButtonStyle::bsMono: frame(clBtnHighlight, cl3DDkShadow, 1); break;
    case TMMButtonStyle::bsExplorer:
        if (hot_) frame(clBtnHighlight, clBtnShadow, bw);
        break;
    default: break;
    }
}

void TMMBitmapButton::PaintCaption(TCanvas& c, const RECT& glyph, bool hasGlyph, int dx, int dy) {
    if (caption_.empty()) return;
    HDC dc = c.Handle();
    SelectObject(dc, c.Font.Handle());
    auto measure = [dc](const std::string& s) {
        RECT r{0, 0, 0, 0};
        DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, DT_CALCRECT | DT_SINGLELINE);
        return static_cast<int>(r.right);
    };
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    int lineHeight = std::max<int>(1, tm.tmHeight);
    std::vector<std::string> lines;
    if (wordWrap_) lines = mmbutton::WrapCaption(caption_, width_, height_ / lineHeight, measure);
    else lines.push_back(caption_);
    int tw = 0;
    for (auto& l : lines) tw = std::max(tw, measure(l));
    tw = std::min(tw, width_);
    int th = lineHeight * static_cast<int>(lines.size());
    POINT o = mmbutton::CaptionOrigin(textAlign_, width_, height_, glyph, hasGlyph, tw, th, spacing_);
    o.x += dx;
    o.y += dy;
    SetBkMode(dc, TRANSPARENT);
    auto draw = [&](int x, int y, TColor color) {
        SetTextColor(dc, ColorToRGB(color));
        for (std::size_t k = 0; k < lines.size(); ++k) {
            int top = y + static_cast<int>(k) * lineHeight;
            RECT box{x, top, x + tw, top + lineHeight};
            DrawTextA(dc, lines[k].c_str(), static_cast<int>(lines[k].size()), &box,
                      DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS | DT_NOCLIP);
        }
    };
    if (enabled_) {
        draw(o.x, o.y, c.Font.Color());
    } else {
        draw(o.x + 1, o.y + 1, clBtnHighlight);
        draw(o.x, o.y, clBtnShadow);
    }
}

void TMMBitmapButton::Paint() {
    TCanvas& c = Canvas();
    PaintFrames(c);
    IntersectClipRect(c.Handle(), 0, 0, width_, height_);
    bool shift = drawnDown_ && showPressed_;
    int dx = shift ? downIndentHoriz_ : 0, dy = shift ? downIndentVert_ : 0;
    bool hasGlyph = !glyphs_.empty();
    int gw = hasGlyph ? glyphWidth_ : 0, gh = hasGlyph ? glyphHeight_ : 0;
    POINT go = mmbutton::GlyphOrigin(textAlign_, width_, height_, gw, gh, spacing_);
    RECT g{go.x, go.y, go.x + gw, go.y + gh};
    if (hasGlyph) c.Draw(go.x + dx, go.y + dy, Glyph(CurrentGlyph()));
    PaintCaption(c, g, hasGlyph, dx, dy);
    if (ShowsFocusMark()) {
        // The platform's dotted focus rectangle: around the whole area of a
        // frameless button, inside the frame of the others.
        int inset = style_ == TMMButtonStyle::bsNone ? 0 : borderWidth_ + 2;
        RECT f{inset, inset, width_ - inset, height_ - inset};
        if (f.right > f.left && f.bottom > f.top) {
            SetTextColor(c.Handle(), RGB(0, 0, 0));
            SetBkColor(c.Handle(), RGB(255, 255, 255));
            DrawFocusRect(c.Handle(), &f);
        }
    }
}

// ---------------------------------------------------------------- buffer

void TMMBitmapButton::PaintControl(HDC dc) {
    if (!buffer_ || buffer_->Empty()) {
        TMMCustomBitmapListControl::PaintControl(dc);
        return;
    }
    // The parent has drawn what lies under the button: keep it below.
    BitBlt(buffer_->Canvas().Handle(), 0, height_, width_, height_, dc, 0, 0, SRCCOPY);
    Compose(dc);
}

void TMMBitmapButton::Compose(HDC dc) {
    HDC b = buffer_->Canvas().Handle();
    BitBlt(b, 0, 0, width_, height_, b, 0, height_, SRCCOPY);
    int saved = SaveDC(b);
    IntersectClipRect(b, 0, 0, width_, height_);
    TMMCustomBitmapListControl::PaintControl(b);
    RestoreDC(b, saved);
    BitBlt(dc, 0, 0, width_, height_, b, 0, 0, SRCCOPY);
}
