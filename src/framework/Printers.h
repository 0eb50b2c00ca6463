// The printers of the machine and the current one: its names and device
// mode, its paper, a print job page by page on its device context. The list
// of installed printers is read once and read again only when the platform
// announces a change of devices or settings.
#pragma once

#include <windows.h>
// Always with the platform's spooler names, which rename GetPrinter and
// SetPrinter: every unit then sees the same member names.
#include <winspool.h>

#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "Graphics.h"

// Printer failures: no printer, a job the printer refused, a page it would
// not start.
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

enum class TPrinterOrientation { poPortrait, poLandscape };

class TPrinter {
public:
    TPrinter();
    virtual ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Names of the installed printers.
    const std::vector<std::string>& Printers();
    bool Installed() { return !Printers().empty(); }
    // Reads the installed printers again at the next question.
    void Refresh();

    // The current printer: an index into Printers(), -1 for none. Setting
    // -1 chooses the platform's default printer; setting the current index
    // again makes the printer take its device mode over.
    int PrinterIndex();
    void SetPrinterIndex(int index);

    // Names of the current printer and its device mode (owned by the
    // printer; null without a printer).
    void GetPrinter(std::string& device, std::string& driver, std::string& port, HGLOBAL& devMode);
    // Makes device the current printer with a copy of devMode (none: the
    // printer's own defaults). The device must be installed.
    void SetPrinter(const std::string& device, const std::string& driver, const std::string& port, HGLOBAL devMode);

    TPrinterOrientation Orientation();
    void SetOrientation(TPrinterOrientation o);

    // The page in device units: the printable area, the whole sheet and the
    // printable area's corner on it; and device units per inch.
    int PageWidth();
    int PageHeight();
    SIZE PhysicalSize();
    POINT PrintableOffset();
    int XDpi();
    int YDpi();

    // The job: its title (the document name the spooler shows) and, when
    // set, the file the job is written to instead of the printer's port.
    std::string Title;
    std::string OutputFile;
    virtual void BeginDoc();
    virtual void EndDoc();
    virtual void NewPage();
    virtual void Abort();
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const { return pageNumber_; }

    // The printer's device context: the job's while printing, otherwise one
    // for measuring. It stays the same until the printer or its mode changes.
    HDC Handle();
    // The same, or null when there is no printer or it cannot be used (it
    // went away): for what falls back to the screen without a printer.
    HDC HandleIfAny();
    // The font families the current printer offers (FontFamilies of its
    // context; none without a printer), read once while the context stays.
    const std::vector<std::string>& Fonts();
    TCanvas& Canvas();

protected:
    // Throws EPrinter with text and the platform's last error.
    [[noreturn]] static void Fail(const std::string& text, DWORD error);

private:
    void Load();
    void SelectCurrent(const std::string& name, HGLOBAL devModeToCopy);
    void FreeDc();
    void NeedPrinter();
    void EnsureWatcher();
    static LRESULT CALLBACK WatchProc(HWND, UINT, WPARAM, LPARAM);

    std::vector<std::string> printers_;
    bool loaded_ = false;
    int index_ = -1;
    std::string device_, driver_, port_;
    HGLOBAL devMode_ = nullptr;
    UniqueDc dc_;
    std::vector<std::string> fonts_;
    bool fontsRead_ = false;
    std::unique_ptr<TCanvas> canvas_;
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
    HWND watcher_ = nullptr;
};

// The process-wide printer, made on first use.
TPrinter* Printer();
// Puts another printer object in place of the process-wide one (tests, or a
// program with its own kind of printer) and hands back the one it replaced.
// Null makes a new one at the next use.
std::unique_ptr<TPrinter> SetProcessPrinter(std::unique_ptr<TPrinter> printer);
