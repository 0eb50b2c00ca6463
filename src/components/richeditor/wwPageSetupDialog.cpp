#include "wwPageSetupDialog.h"

#include <commdlg.h>

#include <cmath>
#include <cstring>
#include <string>

#include "Forms.h"
#include "Printers.h"
#include "richedit/wwRichEdit.h"

namespace {
// Memory the dialog receives and may replace; whatever it holds at the end
// is freed with the object.
class DialogGlobal {
public:
    explicit DialogGlobal(HGLOBAL& slot) : slot_(slot) {}
    ~DialogGlobal() {
        if (slot_) GlobalFree(slot_);
        slot_ = nullptr;
    }
    DialogGlobal(const DialogGlobal&) = delete;
    DialogGlobal& operator=(const DialogGlobal&) = delete;

private:
    HGLOBAL& slot_;
};

HGLOBAL CopyGlobal(HGLOBAL source) {
    if (!source) return nullptr;
    SIZE_T size = GlobalSize(source);
    HGLOBAL copy = GlobalAlloc(GHND, size);
    if (!copy) return nullptr;
    void* to = GlobalLock(copy);
    void* from = GlobalLock(source);
    if (to && from) std::memcpy(to, from, size);
    if (from) GlobalUnlock(source);
    if (to) GlobalUnlock(copy);
    return copy;
}

// The platform's block of a printer's three names.
HGLOBAL MakeDevNames(const std::string& driver, const std::string& device, const std::string& port) {
    const std::size_t head = sizeof(DEVNAMES);
    const std::size_t size = head + driver.size() + device.size() + port.size() + 3;
    HGLOBAL h = GlobalAlloc(GHND, size);
    if (!h) return nullptr;
    auto* names = static_cast<DEVNAMES*>(GlobalLock(h));
    char* base = reinterpret_cast<char*>(names);
    std::size_t at = head;
    auto put = [&](const std::string& s) {
        std::memcpy(base + at, s.c_str(), s.size() + 1);
        WORD offset = static_cast<WORD>(at);
        at += s.size() + 1;
        return offset;
    };
    names->wDriverOffset = put(driver);
    names->wDeviceOffset = put(device);
    names->wOutputOffset = put(port);
    names->wDefault = 0;
    GlobalUnlock(h);
    return h;
}
}  // namespace

std::function<void(HWND)> TwwPageSetupDialog::OnDialogShown;

CX_IMPLEMENT_CLASS(TwwPageSetupDialog, TComponent, CX_CREATE(TwwPageSetupDialog), {})

TwwPageSetupDialog::TwwPageSetupDialog(TComponent* owner, TwwCustomRichEdit* richEdit)
    : TComponent(owner), RichEdit(richEdit) {}

LONG TwwPageSetupDialog::DialogMargin(double margin) { return static_cast<LONG>(std::trunc(margin * 1000)); }

UINT_PTR CALLBACK TwwPageSetupDialog::Hook(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg != WM_INITDIALOG) return 0;
    // Centred across the work area, at a third of the free height.
    RECT r{}, work = Screen::WorkArea();
    GetWindowRect(dlg, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = work.left + (work.right - work.left - w) / 2;
    const int y = work.top + (work.bottom - work.top - h) / 3;
    SetWindowPos(dlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (OnDialogShown) OnDialogShown(dlg);
    return 0;
}

bool TwwPageSetupDialog::Execute() {
    if (!RichEdit) throw EInvalidOperation("The page setup dialog has no rich text control");
    TPrinter* printer = Printer();
    const bool printerWidth = RichEdit->UsesPrinterWidth();
    const bool inches = RichEdit->MeasurementUnits == TwwMeasurementUnits::muInches;
    TwwPrintMargins* margins = RichEdit->PrintMargins();

    PAGESETUPDLGA psd{};
    psd.lStructSize = sizeof psd;
    psd.hwndOwner = DialogOwner();
    psd.Flags = PSD_MARGINS | PSD_ENABLEPAGESETUPHOOK |
                (inches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS);
    if (!printerWidth) psd.Flags |= PSD_DISABLEPAPER;
    psd.rtMargin = RECT{DialogMargin(margins->Left), DialogMargin(margins->Top), DialogMargin(margins->Right),
                        DialogMargin(margins->Bottom)};
    psd.lpfnPageSetupHook = Hook;

    // The dialog works on copies of the current printer's names and mode.
    DialogGlobal freeMode(psd.hDevMode), freeNames(psd.hDevNames);
    if (printer->Installed()) {
        std::string device, driver, port;
        HGLOBAL mode = nullptr;
        printer->GetPrinter(device, driver, port, mode);
        psd.hDevNames = MakeDevNames(driver, device, port);
        psd.hDevMode = CopyGlobal(mode);
        if (printerWidth && psd.hDevMode) {
            if (auto* dm = static_cast<DEVMODEA*>(GlobalLock(psd.hDevMode))) {
                dm->dmFields |= DM_PAPERSIZE;
                dm->dmPaperSize = static_cast<short>(RichEdit->PrintPageSize & 0xFFFF);
                GlobalUnlock(psd.hDevMode);
            }
        }
    }

    if (!PageSetupDlgA(&psd)) {
        DWORD error = CommDlgExtendedError();
        if (error != 0) throw EPrinter("The page setup dialog could not be shown (error " + std::to_string(error) + ")");
        return false;
    }

    margins->Left = psd.rtMargin.left / 1000.0;
    margins->Top = psd.rtMargin.top / 1000.0;
    margins->Right = psd.rtMargin.right / 1000.0;
    margins->Bottom = psd.rtMargin.bottom / 1000.0;
    if (psd.hDevNames) {
        auto* names = static_cast<DEVNAMES*>(GlobalLock(psd.hDevNames));
        const char* base = reinterpret_cast<const char*>(names);
        std::string driver = base + names->wDriverOffset, device = base + names->wDeviceOffset,
                    port = base + names->wOutputOffset;
        GlobalUnlock(psd.hDevNames);
        short paper = 0;
        bool landscape = false;
        if (auto* dm = psd.hDevMode ? static_cast<DEVMODEA*>(GlobalLock(psd.hDevMode)) : nullptr) {
            paper = dm->dmPaperSize;
            landscape = (dm->dmFields & DM_ORIENTATION) && dm->dmOrientation == DMORIENT_LANDSCAPE;
            GlobalUnlock(psd.hDevMode);
        }
        printer->SetPrinter(device, driver, port, psd.hDevMode);
        printer->SetOrientation(landscape ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait);
        if (paper > 0) RichEdit->SetPrintPageSize(paper);
    }
    return true;
}
