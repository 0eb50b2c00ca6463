// print_bench FILE.rtf [RUNS]: prints one RTF document to the PostScript
// file printer (added to the prefix when missing) with 1-inch margins, and
// lays the same text out on screen in the platform's rich edit window at the
// same line width, alternating the two, in one run. Prints minimum, median
// and maximum per side, pages and pages per second, and the ratio of the
// medians (printing / screen layout).
//   print   TwwDBRichEdit::PrintDocument to a file, the whole job;
//   screen  a visible "RichEdit20A" window holding the text, given the page's
//           line width (the whole document laid out again) and painted
//           screenful by screenful from top to bottom.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FilePrinter.h"
#include "Forms.h"
#include "Printers.h"
#include "PrintTestUtil.h"
#include "richedit/wwRichEdit.h"

#include "../BenchCommon.h"

using namespace bench;

namespace {

class TBenchForm : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TBenchForm(TComponent* owner) : TForm(owner) {}
};
CX_IMPLEMENT_CLASS(TBenchForm, TCustomForm, CX_ABSTRACT, {})

// The screen side: the window holds the text already; a new line width
// makes it lay the whole document out, then every screenful is painted.
double ScreenLayout(HWND w, int lineWidth, int& screens) {
    double t0 = Now();
    RECT r{4, 4, 4 + lineWidth, 600};
    SendMessageA(w, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(w, EM_SETSEL, 0, 0);
    SendMessageA(w, EM_SCROLLCARET, 0, 0);
    UpdateWindow(w);
    screens = 1;
    for (;;) {
        LRESULT before = SendMessageA(w, EM_GETFIRSTVISIBLELINE, 0, 0);
        SendMessageA(w, WM_VSCROLL, SB_PAGEDOWN, 0);
        UpdateWindow(w);
        if (SendMessageA(w, EM_GETFIRSTVISIBLELINE, 0, 0) == before) break;
        ++screens;
    }
    double ms = Now() - t0;
    // Back to another width, so that the next run lays out again.
    RECT other{4, 4, 4 + lineWidth / 2, 600};
    SendMessageA(w, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&other));
    return ms;
}

void Report(const char* name, std::vector<double> v, double base) {
    std::sort(v.begin(), v.end());
    double med = v[v.size() / 2];
    std::printf("  %-6s min %10.1f ms  median %10.1f ms  max %10.1f ms  ratio %.3f\n", name, v.front(), med, v.back(),
                base > 0 ? med / base : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_print FILE.rtf [RUNS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string rtf = ss.str();
    if (rtf.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    std::string why;
    if (printtest::EnsureFilePrinter(&why).empty()) {
        std::fprintf(stderr, "no file printer: %s\n", why.c_str());
        return 1;
    }

    TApplication app;
    Application->Initialize();
    Application->SetTitle("PrintBench");
    auto* form = new TBenchForm(Application);
    form->SetBounds(0, 0, 700, 700);
    auto* edit = new TwwDBRichEdit(form);
    edit->SetBounds(0, 0, 680, 660);
    edit->SetParent(form);
    edit->SetTextLimit(0x7FFFFFF0);
    {
        TwwRichMemoryStream ms;
        ms.WriteString(rtf);
        ms.SetPosition(0);
        edit->Lines()->LoadFromStream(ms);
    }
    edit->PrintPageSize = DMPAPER_LETTER;
    edit->ApplyPaperSize();
    Printer()->SetOrientation(TPrinterOrientation::poPortrait);

    // The platform's own window with the same text, shown on screen.
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PrintBenchHost";
    RegisterClassA(&wc);
    HWND host = CreateWindowExA(0, "PrintBenchHost", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 720, 700,
                                nullptr, nullptr, wc.hInstance, nullptr);
    HWND screen = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 0, 700,
                                  640, host, nullptr, wc.hInstance, nullptr);
    SendMessageA(screen, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    Source src{&rtf};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, FromMemory};
    SendMessageA(screen, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    Pump();
    // The page's line width on screen: 8.5 inches less two 1-inch margins.
    HDC sdc = GetDC(screen);
    const int lineWidth = MulDiv(650, GetDeviceCaps(sdc, LOGPIXELSX), 100);
    ReleaseDC(screen, sdc);

    std::printf("%s: %.0f KB of RTF, %d runs, printer \"%s\"\n", path.c_str(), rtf.size() / 1024.0, runs,
                printtest::kFilePrinterName);
    std::vector<double> printed, shown;
    int pages = 0, screens = 0, bytes = 0;
    for (int r = 0; r < runs; ++r) {
        for (int side = 0; side < 2; ++side) {
            if ((side + r) % 2 == 0) {
                const std::string out = printtest::OutPath("book.ps");
                DeleteFileA(out.c_str());
                Printer()->OutputFile = out;
                double t0 = Now();
                edit->PrintDocument(edit->PrintJobName);
                printed.push_back(Now() - t0);
                pages = edit->LastPrintPages();
                bytes = static_cast<int>(printtest::ReadFileText(out).size());
            } else {
                shown.push_back(ScreenLayout(screen, lineWidth, screens));
                Pump();
            }
        }
        std::printf("  run %d: print %.1f ms, screen %.1f ms\n", r + 1, printed.back(), shown.back());
    }
    const double screenMed = Median(shown);
    Report("screen", shown, screenMed);
    Report("print", printed, screenMed);
    std::printf("  printed %d pages (%.0f KB of PostScript) by %s: %.1f pages/s; screen: %d screenfuls\n", pages,
                bytes / 1024.0,
                edit->LastPrintPath() == TwwCustomRichEdit::TPrintPath::TextServices ? "the windowless text services"
                                                                                     : "the window's page formatting",
                pages * 1000.0 / Median(printed), screens);
    delete form;
    return 0;
}
