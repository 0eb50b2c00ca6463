// Controls: windowless (graphic) controls painted by their parent and given
// mouse input by it, and windowed controls that own a platform window. One
// window procedure serves every windowed control; exceptions never leave it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Handles.h"

class TWinControl;
class TPopupMenu;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
extern const EnumNames kAlignNames;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;
// The shift state of a mouse message's key flags; Shift, Ctrl and Alt come
// from the keyboard state as the message left the queue.
TShiftState ShiftFromKeys(WPARAM keys);
// Shift, Ctrl and Alt as the keyboard state has them now (key events).
TShiftState KeyboardShift();

// What assistive technology is told about one part of a window (the
// platform's IAccessible, answered for the window by the framework): a child
// window, which answers for itself, or a part without a window of its own.
struct TAccessibleElement {
    HWND window = nullptr;
    std::string name, defaultAction;
    long role = 0, state = 0;
    RECT bounds{};  // in the window's client coordinates
    std::function<void()> doDefault;  // runs later, from the window's queue
};

using TCursor = int;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                         crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                         crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crNo = -18,
                         crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;
HCURSOR CursorHandle(TCursor c);

enum ControlStyleFlag : unsigned {
    csAcceptsControls = 1, csCaptureMouse = 2, csClickEvents = 4, csOpaque = 8, csReplicatable = 16,
    csSetCaption = 32, csDoubleClicks = 64
};

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// The short part of a hint (before "|") is the tool tip; the long part
// (after it, or the whole hint without "|") goes to a status line.
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

// Strips "&" accelerator marks ("&&" is a literal "&").
std::string StripHotkey(const std::string& s);
// The accelerator letter of a caption, or 0.
char HotkeyChar(const std::string& s);
bool IsAccel(char ch, const std::string& caption);

class TControl : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* p);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int l, int t, int w, int h);
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;
    // The origin of this control's client area in its window's client coordinates.
    virtual POINT ClientOriginInWindow() const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);

    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(const std::string& s);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& s) { hint_ = s; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    bool EffectiveShowHint() const;
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c) { cursor_ = c; }
    TCursor DragCursor = crDrag;
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* m);

    TFont* Font() { return &font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    unsigned ControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    bool HasStyle(ControlStyleFlag f) const { return (ControlStyle & f) != 0; }

    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void BringToFront();
    void SendToBack();

    // Mouse capture for this control (a graphic control captures through its
    // parent's window).
    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    virtual void Click();
    // The hint window and status line ask the control under the mouse.
    virtual bool HintVisibleAt(POINT) const { return true; }

    TNotifyEvent OnClick, OnDblClick, OnResize;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Mouse input, in the control's client coordinates.
    virtual void MouseDown(TMouseButton b, TShiftState s, int x, int y);
    virtual void MouseMove(TShiftState s, int x, int y);
    virtual void MouseUp(TMouseButton b, TShiftState s, int x, int y);
    virtual void DblClick();
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // A character typed while the form has no control that takes it (or with
    // Alt): true when this control used it (its accelerator).
    virtual bool DialogChar(char) { return false; }
    // Routes a mouse message (coordinates in this control's client area).
    virtual void MouseMessage(UINT msg, WPARAM wp, POINT pt);

    // Painting of a windowless control onto its parent's device context.
    virtual void PaintControl(HDC) {}

    // Rescales the control from one DPI to another (newDpi / oldDpi): its
    // place and size, its own font, and whatever else it measures in
    // pixels. Layouts are stored at 96 DPI; forms call this on their
    // controls when they load and when their window moves to a monitor of
    // another DPI. Equal DPIs change nothing.
    virtual void ChangeScale(int newDpi, int oldDpi);

    // Tab order among the controls of the same parent (-1: after the set
    // ones, in the order they were added) and whether Tab stops on it.
    int TabOrder = -1;
    bool TabStop = false;

    // The keyboard on a control without a window of its own (a picture
    // button): one that wants the focus says so; its parent window then
    // holds the platform's focus for it and the form remembers which
    // windowless control has it (TCustomForm::KeyControl).
    virtual bool WantsKeyboardFocus() const { return false; }
    // Holds the keyboard focus now: marked by its form, in a focused window.
    bool KeyboardFocused() const;
    // Whether to draw the focus mark: focused, and the window shows focus
    // cues (hidden until the user works with the keyboard, as the platform
    // keeps them with WM_UPDATEUISTATE).
    bool ShowsFocusMark() const;
    // Return or Space while it has the focus: true when it used the key.
    virtual bool KeyboardPress(WORD) { return false; }
    // It gained or lost the focus, or the focus cues came or went.
    virtual void KeyboardFocusChanged() { Invalidate(); }

    // What assistive technology is told. AccessibleName (stored) wins over
    // the control's own name (a button's caption or hint); a role of 0
    // leaves name and role to the platform's answer for a window.
    std::string AccessibleName;
    const std::string& StoredAccessibleName() const { return AccessibleName; }
    void SetAccessibleName(const std::string& s) { AccessibleName = s; }
    virtual std::string GetAccessibleName() const { return AccessibleName; }
    virtual long AccessibleRole() const { return 0; }
    virtual std::string AccessibleDefaultAction() const { return {}; }
    // Performs the default action (it runs from the message queue).
    virtual void DoAccessibleDefaultAction() {}

protected:
    // The font's height rescaled, when the control has a font of its own.
    void ScaleFont(int newDpi, int oldDpi);
    virtual void FontChanged();
    virtual void ColorChanged() { Invalidate(); }
    virtual void VisibleChanged();
    virtual void EnabledChanged() { Invalidate(); }
    virtual void TextChanged() { Invalidate(); }
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    virtual void ParentShowHintChanged();
    virtual void BoundsChanged() {}
    void Notification(TComponent* c, TOperation op) override;
    void RequestAlign();

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    TFont font_;
    bool parentFont_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    bool settingFont_ = false;
    bool clickPending_ = false;
    friend class TWinControl;
};

// A control without a window of its own.
class TGraphicControl : public TControl {
    CX_DECLARE_CLASS()
public:
    explicit TGraphicControl(TComponent* owner);
    TCanvas& Canvas() { return canvas_; }
    void PaintControl(HDC dc) override;

protected:
    virtual void Paint() {}
    TCanvas canvas_;
    bool painting_ = false;
};

struct TCreateParams {
    std::string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    HWND wndParent = nullptr;
    std::string winClassName;     // our window class
    std::string baseClassName;    // a platform class to superclass, or empty
    UINT classStyle = CS_DBLCLKS;
    HBRUSH background = nullptr;
};

// A platform message as the window procedure received it.
struct TMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
};

class TWinControl : public TControl {
    CX_DECLARE_CLASS()
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    void AdoptChild(TComponent* child) override;
    HWND Handle();  // creates the window when needed
    HWND WindowHandle() const { return wnd_; }
    bool HandleAllocated() const { return wnd_ != nullptr; }
    void HandleNeeded() { Handle(); }
    void RecreateWnd();
    static TWinControl* FromHandle(HWND w);

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int i) const { return controls_[static_cast<std::size_t>(i)]; }
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    // Topmost child under a point of the client area. Windowless children only
    // unless allowWindowed; disabled ones only when allowDisabled.
    TControl* ControlAtPos(POINT p, bool allowDisabled, bool allowWindowed = false) const;
    void Realign();
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();
    // Holds the alignment of the children back for the length of a scope;
    // what was asked for meanwhile is done as the scope ends.
    class AlignHeld {
    public:
        explicit AlignHeld(TWinControl& c) : c_(c) { c_.DisableAlign(); }
        ~AlignHeld() { c_.EnableAlign(); }
        AlignHeld(const AlignHeld&) = delete;
        AlignHeld& operator=(const AlignHeld&) = delete;

    private:
        TWinControl& c_;
    };
    bool Focused() const;
    virtual bool CanFocus() const;
    void SetFocus();
    void SetBounds(int l, int t, int w, int h) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void SetCaption(const std::string& s) override;
    void Invalidate() override;
    void Update() override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;
    // The rectangle children are aligned in (the client area less any frame).
    virtual RECT AlignRect();
    void ChangeScale(int newDpi, int oldDpi) override;

    // The window procedure of this control; descendants extend it and pass
    // what they do not handle on to the inherited one.
    virtual void WndProc(TMessage& m);
    // What the platform would do with the message (the superclassed window's
    // procedure, or the default one).
    void DefaultHandler(TMessage& m);
    LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);

    TControl* CaptureControl() const { return captureControl_; }
    void SetCaptureControl(TControl* c);

    // A first look at a message the loop took from the queue for this
    // control's window (or a window inside it), before any translation: true
    // when the control used it. The loop asks the control the message is for,
    // then each parent up to the form.
    virtual bool PreTranslateMessage(MSG& msg);
    // Key events; the form sees each first when its KeyPreview is set. A key
    // set to 0 goes no further.
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // The windowed controls inside this one in Tab order: each parent's
    // children by TabOrder (unset ones last, in insertion order), a
    // container's own children right after it.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The same with the windowless controls among them, in one order.
    void GetTabOrderControls(std::vector<TControl*>& list) const;

    // The window's own answer to assistive technology (WM_GETOBJECT for its
    // client area): a window with a name or role of its own, or with
    // windowless parts that have a role, answers itself; others leave it to
    // the platform.
    virtual bool AnswersAccessibility() const;
    // Its children as assistive technology sees them: its shown child
    // windows and its shown windowless controls that have a role, in Tab
    // order. A control with parts of its own (a tab control's tabs) adds them.
    virtual void GetAccessibleElements(std::vector<TAccessibleElement>& out);
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter, OnExit;

protected:
    virtual void CreateParams(TCreateParams& p);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void CreateHandle();
    void DestroyHandle();
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc, TControl* first = nullptr);
    virtual void AlignControls(RECT& r);
    virtual void WMPaint(TMessage& m);
    virtual bool EraseBackground(HDC dc);
    void UpdateShowing();
    void FontChanged() override;
    void ColorChanged() override;
    void UpdateBounds();
    void Notification(TComponent* c, TOperation op) override;
    void DestroyChildHandles();
    // Rescales the children, alignment held until all have their new sizes.
    void ScaleChildren(int newDpi, int oldDpi);

    HWND wnd_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;
    TControl* captureControl_ = nullptr;
    int alignDisabled_ = 0;
    bool alignPending_ = false;
    bool recreating_ = false;
    UniqueBrush brush_;

private:
    static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void MainWndProc(TMessage& m);
    void HandleMouse(TMessage& m);
    friend class TApplication;
};

// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TCustomControl(TComponent* owner);
    TCanvas& Canvas() { return canvas_; }

protected:
    void PaintWindow(HDC dc) override;
    virtual void Paint() {}
    TCanvas canvas_;
};

// Notifications a parent reflects to the child control they are about
// (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR...): the child sees kReflect + the message.
inline constexpr UINT kReflect = 0xBC00;
