#include "Printers.h"

#include <winspool.h>

#include <cstring>

namespace {
std::unique_ptr<TPrinter>& ProcessPrinter() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

const char* const kWatcherClass = "TPrinterWatcher";

// A device mode locked for the duration.
class LockedDevMode {
public:
    explicit LockedDevMode(HGLOBAL h) : h_(h), p_(h ? static_cast<DEVMODEA*>(GlobalLock(h)) : nullptr) {}
    ~LockedDevMode() {
        if (p_) GlobalUnlock(h_);
    }
    LockedDevMode(const LockedDevMode&) = delete;
    LockedDevMode& operator=(const LockedDevMode&) = delete;
    DEVMODEA* Get() const { return p_; }

private:
    HGLOBAL h_;
    DEVMODEA* p_;
};

// An open printer, closed with the object.
class OpenedPrinter {
public:
    explicit OpenedPrinter(const std::string& name) {
        if (!OpenPrinterA(const_cast<char*>(name.c_str()), &h_, nullptr)) h_ = nullptr;
    }
    ~OpenedPrinter() {
        if (h_) ClosePrinter(h_);
    }
    OpenedPrinter(const OpenedPrinter&) = delete;
    OpenedPrinter& operator=(const OpenedPrinter&) = delete;
    HANDLE Get() const { return h_; }

private:
    HANDLE h_ = nullptr;
};
}  // namespace

TPrinter* Printer() {
    auto& p = ProcessPrinter();
    if (!p) p = std::make_unique<TPrinter>();
    return p.get();
}

std::unique_ptr<TPrinter> SetProcessPrinter(std::unique_ptr<TPrinter> printer) {
    std::swap(ProcessPrinter(), printer);
    return printer;
}

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
    if (printing_ && dc_) AbortDoc(dc_.Get());
    canvas_.reset();
    FreeDc();
    if (devMode_) GlobalFree(devMode_);
    if (watcher_) {
        SetWindowLongPtrA(watcher_, GWLP_USERDATA, 0);
        DestroyWindow(watcher_);
    }
}

void TPrinter::Fail(const std::string& text, DWORD error) {
    std::string message = text;
    if (error != 0) {
        char buf[256] = {};
        if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buf,
                           sizeof buf, nullptr)) {
            std::string s = buf;
            while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
            message += ": " + s;
        } else {
            message += ": error " + std::to_string(error);
        }
    }
    throw EPrinter(message);
}

// ---------------------------------------------------------------- installed printers

void TPrinter::EnsureWatcher() {
    if (watcher_) return;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = inst;
    wc.lpszClassName = kWatcherClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    // A hidden top-level window: the platform announces device and setting
    // changes to top-level windows only.
    watcher_ = CreateWindowExA(0, kWatcherClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
    if (watcher_) SetWindowLongPtrA(watcher_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK TPrinter::WatchProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DEVMODECHANGE || msg == WM_SETTINGCHANGE) {
        // A printer added, removed or made the default, or its settings changed.
        if (auto* self = reinterpret_cast<TPrinter*>(GetWindowLongPtrA(w, GWLP_USERDATA))) self->Refresh();
    }
    return DefWindowProcA(w, msg, wp, lp);
}

void TPrinter::Refresh() { loaded_ = false; }

void TPrinter::Load() {
    if (loaded_) return;
    EnsureWatcher();
    loaded_ = true;
    std::vector<std::string> names;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, returned = 0;
    EnumPrintersA(flags, nullptr, 4, nullptr, 0, &needed, &returned);
    if (needed > 0) {
        std::vector<BYTE> buf(needed);
        if (EnumPrintersA(flags, nullptr, 4, buf.data(), needed, &needed, &returned)) {
            auto* info = reinterpret_cast<PRINTER_INFO_4A*>(buf.data());
            for (DWORD k = 0; k < returned; ++k)
                if (info[k].pPrinterName) names.emplace_back(info[k].pPrinterName);
        }
    }
    printers_ = std::move(names);
    // The current printer stays current while it is installed.
    index_ = -1;
    for (std::size_t k = 0; k < printers_.size(); ++k)
        if (!device_.empty() && printers_[k] == device_) index_ = static_cast<int>(k);
    if (index_ < 0 && !device_.empty()) {
        device_.clear();
        driver_.clear();
        port_.clear();
        if (devMode_) GlobalFree(devMode_);
        devMode_ = nullptr;
        FreeDc();
    }
}

const std::vector<std::string>& TPrinter::Printers() {
    Load();
    return printers_;
}

int TPrinter::PrinterIndex() {
    NeedPrinter();
    return index_;
}

void TPrinter::NeedPrinter() {
    Load();
    if (index_ >= 0 || printers_.empty()) return;
    char name[512];
    DWORD size = sizeof name;
    std::string chosen = printers_.front();
    if (GetDefaultPrinterA(name, &size)) {
        for (auto& p : printers_)
            if (p == name) chosen = p;
    }
    SelectCurrent(chosen, nullptr);
}

void TPrinter::SetPrinterIndex(int index) {
    if (printing_) throw EPrinter("Cannot change the printer while printing");
    Load();
    if (index < -1 || index >= static_cast<int>(printers_.size())) throw EPrinter("Printer selected is not valid");
    if (index == -1) {
        index_ = -1;
        device_.clear();
        NeedPrinter();
        return;
    }
    if (index == index_ && devMode_) {
        // The same printer again: the next context takes the mode over.
        FreeDc();
        return;
    }
    SelectCurrent(printers_[static_cast<std::size_t>(index)], nullptr);
}

void TPrinter::SelectCurrent(const std::string& name, HGLOBAL devModeToCopy) {
    OpenedPrinter h(name);
    if (!h.Get()) Fail("Printer selected is not valid", GetLastError());
    std::string driver, port;
    DWORD needed = 0;
    ::GetPrinterA(h.Get(), 2, nullptr, 0, &needed);
    if (needed > 0) {
        std::vector<BYTE> buf(needed);
        if (::GetPrinterA(h.Get(), 2, buf.data(), needed, &needed)) {
            auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buf.data());
            if (info->pDriverName) driver = info->pDriverName;
            if (info->pPortName) port = info->pPortName;
        }
    }
    HGLOBAL mode = nullptr;
    char* device = const_cast<char*>(name.c_str());
    LONG size = DocumentPropertiesA(nullptr, h.Get(), device, nullptr, nullptr, 0);
    if (size > 0) {
        mode = GlobalAlloc(GHND, static_cast<SIZE_T>(size));
        if (!mode) throw EOutOfResources("Out of memory for the printer's settings");
        LockedDevMode out(mode);
        LONG r;
        if (devModeToCopy) {
            LockedDevMode in(devModeToCopy);
            r = DocumentPropertiesA(nullptr, h.Get(), device, out.Get(), in.Get(), DM_IN_BUFFER | DM_OUT_BUFFER);
        } else {
            r = DocumentPropertiesA(nullptr, h.Get(), device, out.Get(), nullptr, DM_OUT_BUFFER);
        }
        if (r < 0) {
            // The driver gave no settings: the printer works with its own.
            GlobalUnlock(mode);
            GlobalFree(mode);
            mode = nullptr;
        }
    }
    FreeDc();
    if (devMode_) GlobalFree(devMode_);
    devMode_ = mode;
    device_ = name;
    driver_ = driver;
    port_ = port;
    index_ = -1;
    for (std::size_t k = 0; k < printers_.size(); ++k)
        if (printers_[k] == name) index_ = static_cast<int>(k);
}

void TPrinter::GetPrinter(std::string& device, std::string& driver, std::string& port, HGLOBAL& devMode) {
    NeedPrinter();
    device = device_;
    driver = driver_;
    port = port_;
    devMode = devMode_;
}

void TPrinter::SetPrinter(const std::string& device, const std::string&, const std::string&, HGLOBAL devMode) {
    if (printing_) throw EPrinter("Cannot change the printer while printing");
    Load();
    bool known = false;
    for (auto& p : printers_) known = known || p == device;
    if (!known) {
        // Perhaps installed since the list was read.
        Refresh();
        Load();
        for (auto& p : printers_) known = known || p == device;
    }
    if (!known) throw EPrinter("Printer selected is not valid");
    SelectCurrent(device, devMode);
}

TPrinterOrientation TPrinter::Orientation() {
    NeedPrinter();
    LockedDevMode m(devMode_);
    return m.Get() && (m.Get()->dmFields & DM_ORIENTATION) && m.Get()->dmOrientation == DMORIENT_LANDSCAPE
               ? TPrinterOrientation::poLandscape
               : TPrinterOrientation::poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation o) {
    NeedPrinter();
    {
        LockedDevMode m(devMode_);
        if (!m.Get()) return;
        m.Get()->dmFields |= DM_ORIENTATION;
        m.Get()->dmOrientation = o == TPrinterOrientation::poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    }
    FreeDc();
}

// ---------------------------------------------------------------- device context and page

void TPrinter::FreeDc() {
    if (printing_) return;  // the job's context lives until the job ends
    if (canvas_) canvas_->SetHandle(nullptr);
    dc_.Reset();
    fonts_.clear();
    fontsRead_ = false;
}

const std::vector<std::string>& TPrinter::Fonts() {
    if (!fontsRead_) {
        HDC dc = HandleIfAny();
        fonts_ = dc ? FontFamilies(dc) : std::vector<std::string>{};
        fontsRead_ = dc != nullptr;
    }
    return fonts_;
}

HDC TPrinter::Handle() {
    if (dc_) return dc_.Get();
    NeedPrinter();
    if (device_.empty()) throw EPrinter("There is no default printer currently selected");
    LockedDevMode m(devMode_);
    dc_.Reset(CreateDCA(nullptr, device_.c_str(), nullptr, m.Get()));
    if (!dc_) dc_.Reset(CreateDCA("WINSPOOL", device_.c_str(), nullptr, m.Get()));
    if (!dc_) Fail("The printer " + device_ + " cannot be used", GetLastError());
    return dc_.Get();
}

HDC TPrinter::HandleIfAny() {
    if (!Installed()) return nullptr;
    try {
        return Handle();
    } catch (const EPrinter&) {
        return nullptr;
    }
}

TCanvas& TPrinter::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>();
    HDC dc = Handle();
    if (canvas_->Handle() != dc) canvas_->SetHandle(dc);
    return *canvas_;
}

int TPrinter::PageWidth() { return GetDeviceCaps(Handle(), HORZRES); }
int TPrinter::PageHeight() { return GetDeviceCaps(Handle(), VERTRES); }
SIZE TPrinter::PhysicalSize() {
    HDC dc = Handle();
    return {GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT)};
}
POINT TPrinter::PrintableOffset() {
    HDC dc = Handle();
    return {GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY)};
}
int TPrinter::XDpi() { return GetDeviceCaps(Handle(), LOGPIXELSX); }
int TPrinter::YDpi() { return GetDeviceCaps(Handle(), LOGPIXELSY); }

// ---------------------------------------------------------------- the job

void TPrinter::BeginDoc() {
    if (printing_) throw EPrinter("Printing in progress");
    // A context whose job was aborted takes no new job on every platform:
    // the next job gets a fresh one.
    if (aborted_) FreeDc();
    aborted_ = false;
    HDC dc = Handle();
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = Title.c_str();
    info.lpszOutput = OutputFile.empty() ? nullptr : OutputFile.c_str();
    SetLastError(0);
    if (StartDocA(dc, &info) <= 0) Fail("The printer refused the job \"" + Title + "\"", GetLastError());
    if (StartPage(dc) <= 0) {
        DWORD error = GetLastError();
        AbortDoc(dc);
        Fail("The printer did not start a page", error);
    }
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
}

void TPrinter::NewPage() {
    if (!printing_) throw EPrinter("Printer is not currently printing");
    if (EndPage(dc_.Get()) <= 0) Fail("The printer did not finish page " + std::to_string(pageNumber_), GetLastError());
    if (StartPage(dc_.Get()) <= 0) Fail("The printer did not start a page", GetLastError());
    ++pageNumber_;
}

void TPrinter::EndDoc() {
    if (!printing_) throw EPrinter("Printer is not currently printing");
    printing_ = false;
    if (EndPage(dc_.Get()) <= 0) {
        DWORD error = GetLastError();
        AbortDoc(dc_.Get());
        Fail("The printer did not finish page " + std::to_string(pageNumber_), error);
    }
    if (::EndDoc(dc_.Get()) <= 0) Fail("The printer did not finish the job \"" + Title + "\"", GetLastError());
}

void TPrinter::Abort() {
    if (!printing_) throw EPrinter("Printer is not currently printing");
    printing_ = false;
    aborted_ = true;
    AbortDoc(dc_.Get());
}
