// TfcCustomImage: a windowless control that shows a picture at its top-left
// corner, optionally sizing itself to the picture. On displays of 8 bits per
// pixel or less it draws through a TfcBitmap, whose palette comes from the
// picture.
#pragma once

#include <memory>

#include "Controls.h"
#include "Graphics.h"

class TfcCustomImage : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TfcCustomImage(TComponent* owner);
    ~TfcCustomImage() override;

    TPicture* Picture() const { return picture_.get(); }
    // Copies the given picture into the control's own.
    virtual void SetPicture(TPicture* picture);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool SkipPaletteDrawing() const { return skipPaletteDrawing_; }
    // The picture's graphic is drawn transparent (not for metafiles and icons).
    bool PictureTransparent() const { return transparent_; }
    void SetPictureTransparent(bool v);

protected:
    // Runs whenever the picture or its graphic changes.
    virtual void PictureChanged(TObject* sender);
    void Paint() override;
    // Bits per pixel of the display the picture goes to.
    virtual int DisplayBitsPerPixel();
    // SkipPaletteDrawing only ever goes from false to true.
    void SkipPaletteFromNowOn() { skipPaletteDrawing_ = true; }

private:
    std::unique_ptr<TPicture> picture_;
    bool autoSize_ = false;
    bool transparent_ = false;
    bool skipPaletteDrawing_ = false;
};

