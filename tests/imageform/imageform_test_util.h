// Pictures made in code, the stored skin layout, and mouse input that keeps
// coming while the UI thread sits in a modal move loop.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestUtil.h"

namespace imageformtest {

std::string ReadFile(const std::string& path);

// A bitmap file of 24 or 8 bits per pixel whose pixel (x, y) (top row 0) has
// the given colour. An 8-bit file gets a colour table of the colours used,
// in order of first use (at most 256).
std::string BmpFile(int width, int height, int bitsPerPixel, const std::function<TColor(int x, int y)>& pixel,
                    bool topDown = false);

std::string Le32(std::uint32_t v);
// The little-endian 32-bit words of a byte string (whole words only).
std::vector<std::int32_t> Words(const std::string& bytes);

// The value a component would store for a property, if it stores one.
std::optional<layout::Value> Stored(TPersistent& obj, const std::string& name);

// The window probe layout: the sample cover with its compiled outline.
std::string SkinLayoutBytes();
testsupport::TTestForm* LoadSkinForm();

// The platform's region data of a window's outline; empty when it has none.
std::string WindowRegionData(HWND w);

// Steps run one after another on a thread of their own, a short pause apart,
// while Run() keeps this thread's messages flowing.
class InputScript {
public:
    // As the mouse moves: one input event. With place, the cursor is also
    // put there directly (a second move message).
    InputScript& MoveTo(int x, int y, bool place = true);
    InputScript& Down();
    InputScript& Up();
    InputScript& Pause(int ms);
    InputScript& Then(std::function<void()> step);  // runs on the script's thread
    void Run(int stepPauseMs = 60);

private:
    std::vector<std::function<void()>> steps_;
};

// Temporarily sets the full-window-drag system setting.
class DragFullWindowsSetting {
public:
    explicit DragFullWindowsSetting(bool on);
    ~DragFullWindowsSetting();
    DragFullWindowsSetting(const DragFullWindowsSetting&) = delete;
    DragFullWindowsSetting& operator=(const DragFullWindowsSetting&) = delete;

private:
    BOOL old_ = FALSE;
};

}  // namespace imageformtest
