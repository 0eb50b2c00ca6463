// Helpers for tests that run real windows under the platform: message
// pumping, synthesized mouse and keyboard input, screen pixels, layouts
// made in code, and the errors the application would have shown.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Forms.h"
#include "core/LayoutStream.h"

namespace testsupport {

// Dispatches messages for the given time (at least once).
void Pump(int milliseconds = 0);
// Runs fn from the thread's message loop after ms, whichever loop runs then
// (a modal form's, a menu's own); Cancel takes it back if it has not run.
UINT_PTR After(int ms, std::function<void()> fn);
void Cancel(UINT_PTR id);
// Pumps until cond() holds or the time runs out; returns cond().
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 3000);

// Errors that reached the application's error handling, oldest first.
std::vector<std::string>& Errors();
std::string TakeErrors();  // joined by " | ", and cleared

// Input events into the platform's input queue, with no pumping: for
// drivers on another thread or in another process, or inside a modal loop.
// One mouse event; absolute moves take screen coordinates.
void SendMouseInput(DWORD flags, int screenX = 0, int screenY = 0);
// One key down or up; extended marks a key of the keyboard's extended set
// (the arrows, Home, End, Delete...) as one.
void SendKeyInput(WORD vk, bool up, bool extended = false);
// A key pressed and let go with Alt, Ctrl and Shift held around it (down in
// that order, up in the reverse), as one batch.
void SendKeyPressInput(WORD vk, bool alt = false, bool ctrl = false, bool shift = false, bool extended = false);
// Text as a keyboard of any layout types it: each UTF-16 unit down and up,
// as one batch.
void SendTextInput(std::wstring_view text);

// Input through the platform's input queue (as a user's would be).
void MouseMoveTo(int screenX, int screenY);
void MouseDown(bool right = false);
void MouseUp(bool right = false);
void ClickAt(int screenX, int screenY);
void DragBy(int screenX, int screenY, int dx, int dy);  // press, move, release
void KeyPress(WORD vk, bool alt = false, bool ctrl = false, bool shift = false);
// Presses (down) or lets go of one key, such as VK_CONTROL held over clicks.
void HoldKey(WORD vk, bool down);
// Types text key by key, as a user would (letters, digits, punctuation).
void TypeText(const std::string& text);

// The text of the application's hint window once it shows (empty when it
// does not show within the time), and the cursor on the screen now.
std::string ShownHintText(int timeoutMs = 3000);
HCURSOR ScreenCursor();

// The colour of a screen pixel (after pending painting is done).
COLORREF ScreenPixel(int x, int y);
// Saves the screen (or a window) to a PNG-convertible BMP for looking at.
bool SaveScreenBmp(const std::string& path, HWND wnd = nullptr);

// The stored form of a picture property ("Glyph.Data", "Picture.Data").
std::string PictureData(TBitmap& bmp);

// A layout made in code, as the layout compiler would store it.
std::string LayoutBytes(const layout::Node& root);
// A form whose layout is given in code (for tests of components).
class TTestForm : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TTestForm(TComponent* owner = nullptr);
    void Load(const layout::Node& root);
    // Handlers the layout can name.
    template <class Sig>
    void AddHandler(const std::string& name, std::function<Sig> fn) {
        handlers_.Add<Sig>(name, std::move(fn));
    }
};

}  // namespace testsupport
