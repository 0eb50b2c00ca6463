// Printing of the rich text control: the paper size, the page rectangle
// inside the print margins, and the two passes over the document (measuring,
// then printing) on the current printer. Where the platform window cannot
// format pages, the pages are laid out by the platform's windowless text
// services instead (wwTextServicePages).
#include <cstdio>

#include "Handles.h"
#include "Printers.h"
#include "core/PageRect.h"
#include "core/Units.h"
#include "wwRichEdit.h"
#include "wwTextServicePages.h"

namespace {
// A margin as the text the unit conversion reads: the shortest form that
// gives the number back, with the user's decimal separator.
std::string MarginText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return units::WithDecimalSeparator(buf, TwwCustomRichEdit::DecimalSeparator());
}

page::PrinterPage PageOf(TPrinter& printer) {
    SIZE sheet = printer.PhysicalSize();
    POINT offset = printer.PrintableOffset();
    return {sheet.cx, sheet.cy, offset.x, offset.y, printer.XDpi(), printer.YDpi()};
}

}  // namespace

void TwwCustomRichEdit::SetPrintPageSize(std::int32_t v) {
    PrintPageSize = v;
    if (Has(csLoading) || Has(csReading) || !GetParentForm(this)) return;
    if (!UsesPrinterWidth()) return;
    ApplyPaperSize();
    UpdateFormatRect();
}

void TwwCustomRichEdit::ApplyPaperSize() {
    TPrinter* printer = Printer();
    std::string device, driver, port;
    HGLOBAL mode = nullptr;
    printer->SetPrinterIndex(printer->PrinterIndex());
    printer->GetPrinter(device, driver, port, mode);
    if (!mode) return;
    if (auto* dm = static_cast<DEVMODEA*>(GlobalLock(mode))) {
        dm->dmFields |= DM_PAPERSIZE;
        dm->dmPaperSize = static_cast<short>(PrintPageSize & 0xFFFF);
        GlobalUnlock(mode);
    }
    // Selecting the printer again makes it take the mode over.
    printer->SetPrinterIndex(printer->PrinterIndex());
}

void TwwCustomRichEdit::PrintDocument(const std::string& jobTitle) {
    HWND w = Handle();
    if (UsesPrinterWidth()) ApplyPaperSize();
    TPrinter* printer = Printer();
    printer->Title = jobTitle;
    lastPrintPath_ = TPrintPath::Window;
    lastPrintPages_ = 0;
    printer->BeginDoc();
    {
        // A failure anywhere below ends the job unfinished; a finished job
        // is no longer printing when this runs.
        ScopeExit abandon([printer] {
            if (printer->Printing()) printer->Abort();
        });
        HDC dc = printer->Handle();
        {
        const page::PrinterPage sheet = PageOf(*printer);
        const page::Margins margins{UnitsToTwips(MarginText(printMargins_->Left)),
                                    UnitsToTwips(MarginText(printMargins_->Top)),
                                    UnitsToTwips(MarginText(printMargins_->Right)),
                                    UnitsToTwips(MarginText(printMargins_->Bottom))};
        const page::TwipsRect r =
            page::ForJob(sheet, margins, {PageRect.left, PageRect.top, PageRect.right, PageRect.bottom});

        FORMATRANGE range{};
        range.hdc = dc;
        range.hdcTarget = dc;
        range.rc = RECT{r.left, r.top, r.right, r.bottom};
        range.rcPage = range.rc;
        GETTEXTLENGTHEX gtl{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
        const LRESULT textLength = SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
        range.chrg.cpMin = 0;
        range.chrg.cpMax = -1;
        const int oldMode = SetMapMode(dc, MM_TEXT);
        SendMessageA(w, EM_FORMATRANGE, FALSE, 0);
        ScopeExit restore([w, dc, oldMode] {
            SendMessageA(w, EM_FORMATRANGE, FALSE, 0);
            if (oldMode) SetMapMode(dc, oldMode);
        });

        // Measuring pass: where the document ends, as the window pages it.
        LRESULT from = 0, endMark = 0;
        for (;;) {
            range.rc = RECT{r.left, r.top, r.right, r.bottom};
            range.chrg.cpMin = static_cast<LONG>(from);
            range.chrg.cpMax = -1;
            endMark = SendMessageA(w, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
            if (endMark <= from || endMark >= textLength || endMark == -1) break;
            from = endMark;
        }
        SendMessageA(w, EM_FORMATRANGE, FALSE, 0);

        if (textLength > 0 && endMark <= 0) {
            // The window formats no page of a document that has text: lay
            // the pages out with the platform's windowless text services.
            lastPrintPath_ = TPrintPath::TextServices;
            TwwRichMemoryStream rtf;
            WwLines().SaveToStream(rtf);
            CHARFORMAT2W cf{};
            cf.cbSize = sizeof cf;
            SendMessageW(w, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
            RECT device{page::HorizontalDevice(sheet, r.left), page::VerticalDevice(sheet, r.top),
                        page::HorizontalDevice(sheet, r.right), page::VerticalDevice(sheet, r.bottom)};
            TTextServicePages pages(dc, device, cf);
            if (!pages.Load(rtf.Bytes())) throw EPrinter("The document could not be laid out for printing");
            for (int k = 0; k < pages.PageCount(); ++k) {
                if (k > 0) printer->NewPage();
                pages.DrawPage(k);
                lastPrintPages_ = k + 1;
            }
        } else {
            // Printing pass: page after page until the end mark.
            LRESULT at = 0;
            for (;;) {
                range.rc = RECT{r.left, r.top, r.right, r.bottom};
                range.chrg.cpMin = static_cast<LONG>(at);
                range.chrg.cpMax = -1;
                LRESULT next = SendMessageA(w, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
                lastPrintPages_ = printer->PageNumber();
                if (next <= at || next >= endMark || next == -1) break;
                printer->NewPage();
                at = next;
            }
        }
        }
        printer->EndDoc();
    }
}
