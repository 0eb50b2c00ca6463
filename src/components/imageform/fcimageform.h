// TfcImageForm: a windowless control that turns the form it lies on into its
// picture. The form loses its border, takes the picture's size, is cut to the
// picture's outline (every pixel of the transparent colour is cut away) and
// moves when the user presses the left button anywhere on it and drags:
// either by an outline that follows the mouse, or by the system's own
// full-window move when the user's setting asks for it.
//
// The outline travels with the stored layout as the binary property
// RegionData (a 32-bit count N, then the platform's region data of N bytes);
// N = 0 means "build the outline from the picture when loading".
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "Classes.h"
#include "Controls.h"
#include "Handles.h"
#include "fcImage.h"

class TCustomForm;

enum TfcImageFormOption : unsigned { ifUseWindowsDrag = 1, ifNoPaletteDither = 2 };
using TfcImageFormOptions = unsigned;
extern const EnumNames kfcImageFormOptionNames;

class TfcCustomImageForm : public TfcCustomImage {
    CX_DECLARE_CLASS()
public:
    explicit TfcCustomImageForm(TComponent* owner);
    ~TfcCustomImageForm() override;

    // ---- the outline
    // The outline last built or loaded, or null when there is none. Once
    // applied it belongs to the form's window, which may have let the handle
    // go already: use it only to tell whether there is an outline.
    HRGN Region() const { return region_; }
    // The outline's region data (the platform's header and rectangles), read
    // back from the window that wears it; empty when there is none.
    std::string OutlineData() const;
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor c) { transparentColor_ = c; }
    // TransparentColor, or for clNone the picture's bottom-left pixel.
    TColor EffectiveTransparentColor();
    // Builds the outline afresh from the picture and applies it.
    virtual void RebuildRegion();
    // Takes the outline off the window and forgets it.
    void ClearRegion();
    // Replaces the window's outline by a copy scaled by the two factors.
    virtual void ScaleRegion(float sx, float sy);
    void DefineProperties(TFiler& filer) override;

    // ---- moving the form
    TfcImageFormOptions Options() const { return options_; }
    void SetOptions(TfcImageFormOptions v) { options_ = v; }
    int DragTolerance() const { return dragTolerance_; }
    void SetDragTolerance(int v) { dragTolerance_ = v; }
    TControl* CaptionBarControl() const { return captionBarControl_; }
    void SetCaptionBarControl(TControl* c);
    bool Dragging() const { return dragging_; }
    RECT DragRect() const { return dragRect_; }

    virtual void DrawDragOutline(HDC dc, const RECT& r);
    // Starts moving the form from a press at (x, y), in the form's client
    // coordinates.
    virtual void StartMove(TMouseButton button, TShiftState shift, int x, int y);
    // For a form's window procedure that routes its messages here.
    virtual void ParentMessage(TMessage& m);
    virtual void DragLoop(int x, int y);
    virtual void DragMouseMove(int x, int y, POINT cursor, bool& first, RECT& target);
    virtual void DragMouseUp(POINT cursor, const RECT& target);
    virtual bool UseFullWindowDrag();

    // The form this control makes into a picture (its parent), or null.
    TCustomForm* ParentForm() const;
    void SetParent(TWinControl* p) override;
    void SetBounds(int l, int t, int w, int h) override;
    // Copies the picture and sizes the form's client area to it.
    void SetPicture(TPicture* picture) override;
    // At another DPI the picture is scaled once, smoothly, from the picture
    // as loaded (never from an earlier scaled copy), the form takes its size
    // and the outline is cut afresh from the scaled picture.
    void ChangeScale(int newDpi, int oldDpi) override;

    // The thread's mouse hook, shared by the image forms made outside
    // design time, and how many of them there are.
    static HHOOK MouseHook();
    static int HookClients();

protected:
    void Paint() override;
    void Notification(TComponent* c, TOperation op) override;
    // A new picture (not the scaled copy put in its place) is the one to
    // scale from.
    void PictureChanged(TObject* sender) override;

private:
    static LRESULT CALLBACK MouseHookProc(int code, WPARAM wp, LPARAM lp);
    // A left press the hook saw: true when it started a move (the press is
    // then not delivered).
    static bool HookPress(const MOUSEHOOKSTRUCT& press);
    static void AddHookClient();
    static void RemoveHookClient();
    HWND FormWindow(bool create) const;
    void RemoveWindowRegion();
    void ForgetRegion();
    void TakeRegion(UniqueRegion r, bool redraw);
    void ReadRegionData(layout::Reader& in);
    void WriteRegionData(layout::Writer& out);
    [[noreturn]] void RefuseRegionData(layout::Reader& in, const std::string& why);

    int dragTolerance_ = 5;
    TColor transparentColor_ = clNone;
    // region_ names the outline. Until it is applied, ownedRegion_ owns it;
    // once SetWindowRgn took it, the window owns it and releases it when its
    // outline is replaced or removed, or when the window goes, and the
    // handle is not used again (the outline is read back from the window).
    HRGN region_ = nullptr;
    UniqueRegion ownedRegion_;
    TControl* captionBarControl_ = nullptr;
    TfcImageFormOptions options_ = 0;
    RECT dragRect_{0, 0, 0, 0};
    bool dragging_ = false;
    bool hookClient_ = false;
    // The picture as loaded, and the DPI it was made for, once it has been
    // scaled for another.
    std::unique_ptr<TBitmap> unscaled_;
    int unscaledDpi_ = 0;
    bool showingScaled_ = false;
};

// Publishes the properties, in their stored order: Options, Align, AutoSize,
// Picture, PopupMenu, ShowHint, Visible, OnClick, OnDblClick, OnMouseDown,
// OnMouseMove, OnMouseUp, CaptionBarControl, DragTolerance,
// TransparentColor; then RegionData.
class TfcImageForm : public TfcCustomImageForm {
    CX_DECLARE_CLASS()
public:
    explicit TfcImageForm(TComponent* owner) : TfcCustomImageForm(owner) {}
};
