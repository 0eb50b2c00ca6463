// Forms (top-level windows built from their stored layouts) and the
// application object: start-up, the message loop, modal showing, hints and
// the error box for exceptions that reach the loop.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "Controls.h"

// A form's fields and binder as the layout compiler writes them from the
// form's layout into "<Class>.fields.h" (see docs/layout-stream.md):
// CX_LAYOUT_FIELDS(TfrmRead); in the class, CX_LAYOUT_BINDER(TfrmRead) in its
// source, and the constructor calls BindComponents().
#define CX_LAYOUT_FIELDS(T) CX_LAYOUT_FIELDS_##T
#define CX_LAYOUT_BINDER(T) CX_LAYOUT_BINDER_##T

class TCustomForm;
class TApplication;
class TMainMenu;
extern TApplication* Application;

// The form a control sits on (the control itself when it is a form), or null.
TCustomForm* GetParentForm(const TControl* c);

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                       poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
extern const EnumNames kWindowStateNames;

using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                              mrYes = 6, mrNo = 7;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl, public IHandlerSource {
    CX_DECLARE_CLASS()
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Reads the form's stored layout (the resource named after its class, in
    // upper case) and binds the published fields.
    void LoadLayout();
    void LoadLayoutFrom(const void* data, std::size_t size);

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle s);
    unsigned BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(unsigned v);
    TPosition Position = TPosition::poDesigned;
    TWindowState WindowState() const;
    void SetWindowState(TWindowState s);
    // The DPI the stored layout measures in (96 unless it says otherwise).
    int PixelsPerInch = 96;
    // The DPI the form's controls are measured in now: its window's, once
    // the layout is read.
    int CurrentDpi() const { return dpi_; }
    // Rescales the form and its controls to a DPI.
    void ScaleToDpi(int dpi);
    void ChangeScale(int newDpi, int oldDpi) override;
    bool KeyPreview = false;
    // The control that has (or last had) the focus inside the form; it gets
    // the focus back when the form is activated again.
    TWinControl* ActiveControl = nullptr;

    // The menu bar.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* m);

    // The update step: the window sets the enabled, checked and down states
    // of its menu items and buttons in OnUpdate, in one place. It runs from
    // the application's idle handling, after each menu command and before a
    // menu opens or a shortcut is looked up.
    TNotifyEvent OnUpdate;
    virtual void UpdateCommands();

    // The accelerator step: a key (WM_KEYDOWN or WM_SYSKEYDOWN) that is the
    // shortcut of a visible item of the focused control's popup menus or of
    // the menu bar runs that item (through WM_COMMAND) and goes no further; a
    // disabled item's shortcut is taken and does nothing.
    virtual bool IsShortCut(const MSG& msg);
    // Tab and Shift+Tab move the focus in Tab order; Return presses the
    // focused button or else the default button, Escape the cancel button.
    // Not when the focused window wants the key itself (WM_GETDLGCODE).
    virtual bool DialogKey(const MSG& msg);
    // The next (or previous) control Tab reaches after cur: enabled, shown,
    // with TabStop; wraps around. Null when there is none.
    TWinControl* FindNextControl(TWinControl* cur, bool forward) const;
    void SelectNext(TWinControl* cur, bool forward);
    // Called by controls: the focus moved to c; c leaves the form.
    void FocusChanged(TWinControl* c);
    void ControlRemoved(TControl* c);

    // The windowless control that has the keyboard focus while its parent
    // window has the platform's, or null. Setting one focuses its parent
    // window; the focus going to another window clears it.
    TControl* KeyControl() const { return keyControl_; }
    void SetKeyControl(TControl* c);
    // Tab's next (or previous) stop after cur among windows and windowless
    // controls alike; within cur's parent only when siblingsOnly (the arrow
    // keys). Null when there is none.
    TControl* FindNextStop(TControl* cur, bool forward, bool siblingsOnly = false) const;
    // Gives the keyboard focus to a stop (a window or a windowless control).
    void FocusStop(TControl* c);
    // Focus cues (focus marks) as the platform keeps them for the window
    // (WM_QUERYUISTATE): hidden for a user of the mouse until a key is
    // pressed, unless the user's setting always shows them.
    bool FocusCuesShown() const;
    void ShowFocusCues();
    // Called by controls: w got or lost the platform's focus.
    void KeyFocusWindowChanged(TWinControl* w);

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;
    RECT ClientRect() const override { return {0, 0, ClientWidth(), ClientHeight()}; }

    void Show();
    void Close();
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult = mrNone;
    void SetVisible(bool v) override;
    void BringToFront();

    TNotifyEvent OnCreate, OnShow, OnHide, OnDestroy, OnActivate, OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    const THandlerTable& Handlers() const override { return handlers_; }
    void WndProc(TMessage& m) override;
    // The creation handler, run by the application after the layout is read.
    virtual void DoCreate();
    std::string NamePath() const override { return Name(); }

protected:
    template <class F, class R, class... A>
    void Handler(const std::string& name, F* self, R (F::*m)(A...)) {
        handlers_.Add<R(A...)>(name, std::function<R(A...)>([self, m](A... a) { return (self->*m)(a...); }));
    }
    // A handler named by the layout's events, with the types of those events
    // (the generated binders): one that does not fit them all does not compile.
    template <class... Events, class F, class R, class... A>
    void LayoutHandler(const std::string& name, F* self, R (F::*m)(A...)) {
        static_assert((std::is_same_v<Events, std::function<R(A...)>> && ...),
                      "the handler's parameters are not those of an event the layout gives it to");
        Handler(name, self, m);
    }
    // A field bound after loading to the component of that name (its class must fit).
    template <class C>
    void Field(const std::string& name, C*& field) {
        fields_.push_back({name, [&field](TComponent* c) {
                               field = dynamic_cast<C*>(c);
                               return field != nullptr;
                           }});
    }
    void CreateParams(TCreateParams& p) override;
    void CreateHandle() override;
    void Notification(TComponent* c, TOperation op) override;
    void DoClose(TCloseAction& action);
    bool CloseQuery();
    void PlaceOnScreen();
    void CreateParamsForSize(TCreateParams& p);
    // The frame's width and height around the client area at a DPI.
    SIZE FrameExtent(int dpi);
    void ColorChanged() override;

    THandlerTable handlers_;
    struct FieldBinding {
        std::string name;
        std::function<bool(TComponent*)> bind;
    };
    std::vector<FieldBinding> fields_;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TWindowState windowState_ = TWindowState::wsNormal;
    int clientWidth_ = -1, clientHeight_ = -1;
    int dpi_ = 96;
    // While the layout's sizes are scaled to the window's DPI: the client
    // size the layout gave (-1: it gave the window's size, frame and all,
    // with the frame of the layout's DPI).
    bool scalingLayout_ = false;
    int layoutClientWidth_ = -1, layoutClientHeight_ = -1;
    bool modal_ = false;
    bool placed_ = false;
    bool closing_ = false;
    bool updating_ = false;
    TMainMenu* menu_ = nullptr;
    TControl* keyControl_ = nullptr;
};

using TForm = TCustomForm;

// A small window that shows the short part of a hint near the mouse.
class THintWindow {
public:
    THintWindow();
    ~THintWindow();
    void ActivateHint(POINT screenPos, const std::string& text);
    void ReleaseHandle();
    HWND Handle() const { return wnd_.Get(); }
    bool Visible() const { return wnd_ && IsWindowVisible(wnd_.Get()); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    UniqueWindow wnd_;
    UniqueFont font_;
    std::string text_;
};

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
    CX_DECLARE_CLASS()
public:
    explicit TApplication(TComponent* owner = nullptr);
    ~TApplication() override;

    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& t);
    HWND Handle() const { return wnd_; }

    // Creates a form: its constructor, its stored layout, then its creation
    // handler. The first form created is the main form.
    template <class F>
    void CreateForm(F*& ref) {
        auto* f = new F(this);
        ref = f;
        InitForm(f);
    }
    void InitForm(TCustomForm* f);
    TCustomForm* MainForm() const { return mainForm_; }

    // Shows the main form now and paints it, unless the program is ending
    // (Terminate was called) or it was shown before: the windows made after
    // it then come up behind a window the user already sees.
    void ShowMainForm();
    // Shows the main form (if not yet shown) and dispatches messages until
    // the program ends.
    void Run();
    // Handles one message (waiting for it); false once a quit message arrived.
    bool HandleMessage();
    // The pre-translate chain every loop runs on a message it took from the
    // queue: the control the message is for and its parents up to the form
    // (PreTranslateMessage), the active form's accelerator step, the
    // registered modeless dialogs (IsDialogMessage), the form's dialog keys
    // (Tab, Return, Escape) and its Alt+letter accelerators. True when a step
    // took the message; otherwise the loop translates and dispatches it.
    bool PreProcessMessage(MSG& msg);
    // Modeless dialog windows (find and replace) whose Tab, Return and
    // Escape the loop hands to IsDialogMessage.
    void AddModelessDialog(HWND dlg);
    void RemoveModelessDialog(HWND dlg);
    const std::vector<HWND>& ModelessDialogs() const { return modeless_; }
    // Idle work an application adds; Done (true) lets the loop wait.
    std::function<void(TObject* Sender, bool& Done)> OnIdle;
    // Inside a menu's own loop (between WM_ENTERMENULOOP and WM_EXITMENULOOP).
    bool MenuTracking() const { return menuLoops_ > 0; }
    void MenuLoop(bool entering) { menuLoops_ += entering ? 1 : (menuLoops_ > 0 ? -1 : 0); }
    void ProcessMessages();
    // Work done when the message queue is empty.
    void Idle();
    bool ProcessMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }
    int ExitCode() const { return exitCode_; }
    void Minimize();
    void Restore();
    // Procedures that may refuse termination.
    std::vector<std::function<bool()>> TerminateProcs;

    // Shows the current exception in the error box (or OnException).
    void HandleException(TObject* sender);
    void ShowException(const std::exception& e);
    TExceptionEvent OnException;
    // The platform's message box over the active form (or the main form);
    // once it is gone, no capture its loop left behind stays, and its owner
    // is active again if nothing else is.
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);
    void RecoverFromBox(HWND owner);

    // Hints.
    bool ShowHint = true;
    int HintPause = 500;
    int HintHidePause = 2500;
    std::string Hint;  // long part of the hint under the mouse
    TNotifyEvent OnHint;
    void MouseOver(TControl* c, UINT msg);
    void MouseLeftWindow(TWinControl* w);
    void CancelHint();
    void ControlDestroyed(TControl* c);
    TControl* MouseControl() const { return mouseControl_; }
    THintWindow* HintWindow() { return hintWindow_.get(); }
    HWND PopupOwner() const;

    std::vector<TCustomForm*> Forms() const;

private:
    static LRESULT CALLBACK AppWndProc(HWND, UINT, WPARAM, LPARAM);
    void HintTimer(UINT_PTR id);
    bool IsDialogChar(MSG& msg);
    std::string title_;
    HWND wnd_ = nullptr;
    TCustomForm* mainForm_ = nullptr;
    bool mainFormShown_ = false;
    bool quitPosted_ = false;  // Terminate asked for the end; the quit message is on its way
    bool terminated_ = false;
    int exitCode_ = 0;
    TControl* mouseControl_ = nullptr;
    TControl* hintControl_ = nullptr;
    std::unique_ptr<THintWindow> hintWindow_;
    bool hintShowing_ = false;
    std::vector<HWND> modeless_;
    int menuLoops_ = 0;
    friend class TCustomForm;
};

// Runs the application's pre-translate chain on a message a loop of its own
// took from the queue (a drag loop), then translates and dispatches it.
// Every loop takes messages with the wide API (GetMessageW, PeekMessageW):
// typed characters then arrive in UTF-16, whatever the ANSI code page, and
// the platform converts them for windows that want ANSI.
void DispatchQueuedMessage(MSG& msg);

// The screen: size, work area, the active form and control.
namespace Screen {
int Width();
int Height();
RECT WorkArea();
TCustomForm* ActiveForm();
TWinControl* ActiveControl();
}  // namespace Screen

// The window from which the platform's modal dialogs (colour, font, message
// boxes) are owned: the active form's window, or the main form's.
HWND DialogOwner();
