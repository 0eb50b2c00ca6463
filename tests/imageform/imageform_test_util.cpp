#include "imageform_test_util.h"

#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace imageformtest {

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string Le32(std::uint32_t v) {
    std::string s;
    for (int k = 0; k < 4; ++k) s.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    return s;
}

std::vector<std::int32_t> Words(const std::string& bytes) {
    std::vector<std::int32_t> out;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        std::uint32_t u = 0;
        for (int k = 0; k < 4; ++k) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
        out.push_back(static_cast<std::int32_t>(u));
    }
    return out;
}

std::string BmpFile(int width, int height, int bpp, const std::function<TColor(int, int)>& pixel, bool topDown) {
    std::vector<std::uint32_t> palette;
    std::map<std::uint32_t, int> index;
    if (bpp == 8) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                auto c = static_cast<std::uint32_t>(pixel(x, y));
                if (index.emplace(c, static_cast<int>(palette.size())).second) palette.push_back(c);
            }
        if (palette.size() > 256) throw std::runtime_error("more than 256 colours in an 8-bit picture");
    }
    std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    std::size_t off = 14 + 40 + 4 * palette.size();
    std::string f(off + stride * static_cast<std::size_t>(height), '\0');
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int k = 0; k < n; ++k) f[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    f[0] = 'B';
    f[1] = 'M';
    put(2, static_cast<std::uint32_t>(f.size()), 4);
    put(10, static_cast<std::uint32_t>(off), 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(topDown ? -height : height), 4);
    put(26, 1, 2);
    put(28, static_cast<std::uint32_t>(bpp), 2);
    put(46, static_cast<std::uint32_t>(palette.size()), 4);
    for (std::size_t k = 0; k < palette.size(); ++k) {
        std::uint32_t c = palette[k];  // red in the low byte
        put(54 + 4 * k, ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF), 4);
    }
    for (int y = 0; y < height; ++y) {
        std::size_t row = off + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            auto c = static_cast<std::uint32_t>(pixel(x, y));
            if (bpp == 8) {
                f[row + static_cast<std::size_t>(x)] = static_cast<char>(index[c]);
            } else {
                std::size_t at = row + 3 * static_cast<std::size_t>(x);
                f[at] = static_cast<char>((c >> 16) & 0xFF);
                f[at + 1] = static_cast<char>((c >> 8) & 0xFF);
                f[at + 2] = static_cast<char>(c & 0xFF);
            }
        }
    }
    return f;
}

std::optional<layout::Value> Stored(TPersistent& obj, const std::string& name) {
    for (auto& [n, v] : StoredProperties(obj))
        if (n == name) return v;
    return std::nullopt;
}

std::string SkinLayoutBytes() { return ReadFile(SKIN_LAYOUT_PATH); }

testsupport::TTestForm* LoadSkinForm() {
    auto* form = new testsupport::TTestForm();
    std::string bytes = SkinLayoutBytes();
    try {
        form->LoadLayoutFrom(bytes.data(), bytes.size());
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

std::string WindowRegionData(HWND w) {
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    std::string out;
    if (GetWindowRgn(w, r) != ERROR) {
        DWORD n = GetRegionData(r, 0, nullptr);
        std::vector<DWORD> buf((n + 3) / 4 + 1);
        if (n && GetRegionData(r, n, reinterpret_cast<RGNDATA*>(buf.data())) == n)
            out.assign(reinterpret_cast<const char*>(buf.data()), n);
    }
    DeleteObject(r);
    return out;
}

using testsupport::SendMouseInput;

InputScript& InputScript::MoveTo(int x, int y, bool place) {
    steps_.push_back([x, y, place] {
        SendMouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
        if (place) SetCursorPos(x, y);
    });
    return *this;
}
InputScript& InputScript::Down() {
    steps_.push_back([] { SendMouseInput(MOUSEEVENTF_LEFTDOWN); });
    return *this;
}
InputScript& InputScript::Up() {
    steps_.push_back([] { SendMouseInput(MOUSEEVENTF_LEFTUP); });
    return *this;
}
InputScript& InputScript::Pause(int ms) {
    steps_.push_back([ms] { Sleep(static_cast<DWORD>(ms)); });
    return *this;
}
InputScript& InputScript::Then(std::function<void()> step) {
    steps_.push_back(std::move(step));
    return *this;
}

void InputScript::Run(int stepPauseMs) {
    std::atomic<bool> done{false};
    std::thread input([&] {
        for (auto& step : steps_) {
            step();
            Sleep(static_cast<DWORD>(stepPauseMs));
        }
        done = true;
    });
    // A press may take this thread into a move loop until the release; the
    // pumping goes on afterwards until the script is through.
    while (!done) testsupport::Pump(5);
    input.join();
    testsupport::Pump(50);
}

DragFullWindowsSetting::DragFullWindowsSetting(bool on) {
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &old_, 0);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, on ? TRUE : FALSE, nullptr, 0);
}
DragFullWindowsSetting::~DragFullWindowsSetting() {
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, old_, nullptr, 0);
}

}  // namespace imageformtest
