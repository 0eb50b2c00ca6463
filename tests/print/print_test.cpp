// Printing a rich text control to a PostScript file printer and reading the
// pages back: page count, job title, words, where the text lies on the
// sheet, and the printer's state after a job that failed half-way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "../richedit/RichTestUtil.h"
#include "PrintTestUtil.h"
#include "Printers.h"

using namespace printtest;

namespace {

class PrintTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string why;
        printerName_ = EnsureFilePrinter(&why);
        setupError_ = printerName_.empty() ? why : std::string();
        int code = -1;
        RunHostCommand("gs --version", &code);
        if (code != 0 && setupError_.empty()) setupError_ = "Ghostscript (gs) is not installed";
        // The printer list may have been read before the printer was added.
        Printer()->Refresh();
    }
    void SetUp() override {
        if (!setupError_.empty()) GTEST_SKIP() << setupError_;
        Printer()->SetPrinterIndex(-1);
        // The platform's driver keeps the last settings a program gave it.
        Printer()->SetOrientation(TPrinterOrientation::poPortrait);
        ASSERT_EQ(Printer()->Printers()[static_cast<std::size_t>(Printer()->PrinterIndex())], printerName_);
    }
    void TearDown() override { Printer()->OutputFile.clear(); }

    static void Load(TwwDBRichEdit* edit, const std::string& rtf) {
        edit->SetTextLimit(0x7FFFFFF0);
        TwwRichMemoryStream ms;
        ms.WriteString(rtf);
        ms.SetPosition(0);
        edit->Lines()->LoadFromStream(ms);
    }
    static std::string PrintTo(TwwDBRichEdit* edit, const std::string& file, const std::string& title) {
        std::string path = OutPath(file);
        DeleteFileA(path.c_str());
        Printer()->OutputFile = path;
        edit->PrintDocument(title);
        Printer()->OutputFile.clear();
        return path;
    }

    static std::string printerName_, setupError_;
};
std::string PrintTest::printerName_, PrintTest::setupError_;

// The file printer exists for this program's run only.
class FilePrinterEnvironment : public testing::Environment {
public:
    void TearDown() override { RemoveFilePrinter(); }
};
testing::Environment* const kFilePrinterEnvironment = testing::AddGlobalTestEnvironment(new FilePrinterEnvironment);

// One-line paragraphs in Arial 12 pt, with words of their own in the first
// and the last paragraph.
std::string LinesDocument(int paragraphs) {
    std::string body = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 ";
    body += "Opening lighthouse harbour paragraph\\par ";
    for (int k = 2; k < paragraphs; ++k) body += "Line " + std::to_string(k) + " of the printed test\\par ";
    body += "Closing lantern anchorage paragraph}";
    return body;
}

// How many one-line paragraphs of Arial 12 pt fit between 1-inch margins on
// the current printer's page.
int LinesPerPage() {
    HDC dc = Printer()->Handle();
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lstrcpyA(lf.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteObject(font);
    int textHeight = Printer()->PhysicalSize().cy - 2 * GetDeviceCaps(dc, LOGPIXELSY);
    return textHeight / std::max(1, static_cast<int>(tm.tmAscent + tm.tmDescent));
}

// Fails the current print job at a chosen page, as a printer that runs out
// of paper or loses its connection would.
class FailingPrinter : public TPrinter {
public:
    int failAtPage = 3;
    void NewPage() override {
        if (PageNumber() + 1 >= failAtPage) throw EPrinter("The printer went away");
        TPrinter::NewPage();
    }
};

// The box around the ink on a rendered page (right and bottom -1: blank).
RECT InkBox(const Picture& pic) {
    RECT box{pic.width, pic.height, -1, -1};
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x)
            if (pic.Ink(x, y)) {
                box.left = std::min<LONG>(box.left, x);
                box.right = std::max<LONG>(box.right, x);
                box.top = std::min<LONG>(box.top, y);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
    return box;
}

}  // namespace

TEST_F(PrintTest, EmptyDocumentPrintsOneBlankPage) {
    richtest::Fixture f;
    f.edit->HandleNeeded();
    std::string path = PrintTo(f.edit, "empty.ps", "Empty notes");
    std::string ps = ReadFileText(path);
    ASSERT_FALSE(ps.empty());
    EXPECT_EQ(PsPages(ps), 1);
    EXPECT_EQ(PsTitle(ps), "Empty notes");
    std::string text = PsText(path);
    EXPECT_EQ(text.find_first_not_of(" \r\n\t\f"), std::string::npos) << text;
}

TEST_F(PrintTest, LongDocumentPagesTitleAndWords) {
    richtest::Fixture f;
    f.edit->HandleNeeded();
    // Forty pages' worth of lines on letter paper with 1-inch margins.
    f.edit->PrintPageSize = DMPAPER_LETTER;
    f.edit->ApplyPaperSize();
    SIZE sheet = Printer()->PhysicalSize();
    ASSERT_EQ(sheet.cx * 100 / Printer()->XDpi(), 850);
    ASSERT_EQ(sheet.cy * 100 / Printer()->YDpi(), 1100);
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 20);
    Load(f.edit, LinesDocument(40 * perPage - perPage / 2));
    EXPECT_EQ(f.edit->PrintJobName, Application->Title());
    std::string path = PrintTo(f.edit, "forty.ps", f.edit->PrintJobName);
    std::string ps = ReadFileText(path);
    ASSERT_FALSE(ps.empty());
    EXPECT_EQ(PsTitle(ps), Application->Title());
    EXPECT_NEAR(PsPages(ps), 40, 1);
    EXPECT_EQ(f.edit->LastPrintPages(), PsPages(ps));
    // The platform window lays the pages out itself where it formats pages
    // (Windows); where it formats none (Wine 8 answers 0 and draws
    // nothing), the windowless text services did.
    FORMATRANGE probe{};
    probe.hdc = probe.hdcTarget = Printer()->Handle();
    probe.rc = probe.rcPage = RECT{1440, 1440, 10800, 14400};
    probe.chrg = {0, -1};
    LRESULT formatted = SendMessageA(f.edit->Handle(), EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&probe));
    SendMessageA(f.edit->Handle(), EM_FORMATRANGE, FALSE, 0);
    EXPECT_EQ(f.edit->LastPrintPath(), formatted > 0 ? TwwCustomRichEdit::TPrintPath::Window
                                                      : TwwCustomRichEdit::TPrintPath::TextServices);
    std::string text = PsText(path);
    for (const char* word : {"Opening", "lighthouse", "harbour", "Closing", "lantern", "anchorage"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
    // Each line is printed once: pages break between lines.
    std::size_t count = 0;
    for (std::size_t at = text.find("Line 100 of"); at != std::string::npos; at = text.find("Line 100 of", at + 1))
        ++count;
    EXPECT_EQ(count, 1u);

    // The text lies inside the margins on the sheet (72 pixels an inch).
    Picture pic = RenderPage(path, 2, 72);
    ASSERT_GT(pic.width, 0);
    RECT ink = InkBox(pic);
    const int left = ink.left, top = ink.top, right = ink.right, bottom = ink.bottom;
    ASSERT_GE(right, 0) << "the page is blank";
    EXPECT_GE(left, 71);
    EXPECT_LE(left, 76);  // lines start at the left margin
    EXPECT_GE(top, 71);
    EXPECT_LE(top, 80);
    EXPECT_LE(right, pic.width - 71);
    EXPECT_LE(bottom, pic.height - 71);
    EXPECT_GE(bottom, pic.height - 72 - 30);  // the page is full down to the bottom margin
}

TEST_F(PrintTest, MappingModeAndJobAfterAFailureMidJob) {
    richtest::Fixture f;
    f.edit->HandleNeeded();
    Load(f.edit, LinesDocument(400));
    auto saved = SetProcessPrinter(std::make_unique<FailingPrinter>());
    HDC dc = Printer()->Handle();
    SetMapMode(dc, MM_LOMETRIC);
    Printer()->OutputFile = OutPath("failed.ps");
    try {
        f.edit->PrintDocument("Failing job");
        ADD_FAILURE() << "the failure did not arrive";
    } catch (const EPrinter& e) {
        EXPECT_STREQ(e.what(), "The printer went away");
    }
    EXPECT_EQ(GetMapMode(Printer()->Handle()), MM_LOMETRIC);
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_TRUE(Printer()->Aborted());
    // The same printer prints the next job whole.
    static_cast<FailingPrinter*>(Printer())->failAtPage = 1000;
    std::string path = PrintTo(f.edit, "after-failure.ps", "After failure");
    EXPECT_GE(PsPages(ReadFileText(path)), 2);
    EXPECT_FALSE(Printer()->Aborted());
    SetProcessPrinter(std::move(saved));
}

TEST_F(PrintTest, PrinterListReadOnceAndAgainOnDeviceChange) {
    const std::string second = "Codexia Second File Printer";
    DeleteSecondPrinter(second);  // left over from an interrupted run
    TPrinter printer;
    const std::size_t before = printer.Printers().size();
    ASSERT_GE(before, 1u);
    ASSERT_TRUE(AddSecondPrinter(second));
    // Asking again does not read the platform's list again...
    EXPECT_EQ(printer.Printers().size(), before);
    // ...until the platform announces a change of devices.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("devices"), SMTO_ABORTIFHUNG,
                        2000, &result);
    const auto& names = printer.Printers();
    EXPECT_EQ(names.size(), before + 1);
    EXPECT_NE(std::find(names.begin(), names.end(), second), names.end());
    // Chosen, then removed: the printer falls back to the default one.
    printer.SetPrinter(second, "", "", nullptr);
    EXPECT_EQ(printer.Printers()[static_cast<std::size_t>(printer.PrinterIndex())], second);
    ASSERT_TRUE(DeleteSecondPrinter(second));
    SendMessageTimeoutA(HWND_BROADCAST, WM_DEVMODECHANGE, 0, reinterpret_cast<LPARAM>(second.c_str()),
                        SMTO_ABORTIFHUNG, 2000, &result);
    EXPECT_EQ(printer.Printers().size(), before);
    EXPECT_EQ(printer.Printers()[static_cast<std::size_t>(printer.PrinterIndex())], printerName_);
    // A printer that is not installed is refused as a printer error.
    EXPECT_THROW(printer.SetPrinter(second, "", "", nullptr), EPrinter);
}

TEST_F(PrintTest, CentimetreMarginsAndASetPageRectangleOnTheSheet) {
    richtest::Fixture f;
    f.edit->HandleNeeded();
    Load(f.edit, LinesDocument(12));
    f.edit->PrintPageSize = DMPAPER_LETTER;
    f.edit->ApplyPaperSize();
    // 2.537 cm is exactly one inch here: text starts 72 pixels in at 72 dpi.
    f.edit->MeasurementUnits = TwwMeasurementUnits::muCentimeters;
    TwwPrintMargins* m = f.edit->PrintMargins();
    m->Left = m->Top = m->Right = m->Bottom = 2.537;
    std::string path = PrintTo(f.edit, "centimetres.ps", "Centimetres");
    RECT ink = InkBox(RenderPage(path, 1, 72));
    ASSERT_GE(ink.right, 0);
    EXPECT_NEAR(ink.left, 72, 3);
    EXPECT_NEAR(ink.top, 72, 9);
    // A page rectangle in printer pixels wins over the margins: 3 inches
    // from the printable area's corner across, 4 down.
    const int dpiX = Printer()->XDpi(), dpiY = Printer()->YDpi();
    const POINT offset = Printer()->PrintableOffset();
    f.edit->PageRect = RECT{3 * dpiX, 4 * dpiY, 7 * dpiX, 9 * dpiY};
    path = PrintTo(f.edit, "page-rect.ps", "Page rectangle");
    ink = InkBox(RenderPage(path, 1, 72));
    ASSERT_GE(ink.right, 0);
    EXPECT_NEAR(ink.left, 3 * 72 + offset.x * 72 / dpiX, 3);
    EXPECT_NEAR(ink.top, 4 * 72 + offset.y * 72 / dpiY, 9);
    EXPECT_LE(ink.right, 7 * 72 + offset.x * 72 / dpiX + 1);
}
