// The page setup dialog driven in its own thread's message loop, as a user
// would: fields read and typed, buttons pressed.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <thread>

#include "../richedit/RichTestUtil.h"
#include "FilePrinter.h"
#include "PrintTestUtil.h"
#include "Dialogs.h"
#include "Printers.h"
#include "richeditor/wwPageSetupDialog.h"

using namespace printtest;

namespace {

// What the script saw in the dialog.
struct Seen {
    std::string leftMargin;
    bool paperEnabled = false;
    RECT placed{};
};

// Runs script on the dialog once its loop runs, then presses the button.
class DialogDriver {
public:
    DialogDriver(std::function<void(HWND)> script, int button) {
        current_ = this;
        script_ = std::move(script);
        button_ = button;
        TwwPageSetupDialog::OnDialogShown = [](HWND dlg) {
            current_->dlg_ = dlg;
            GetWindowRect(dlg, &current_->placed);
            SetTimer(nullptr, 0, 10, Tick);
        };
    }
    ~DialogDriver() {
        TwwPageSetupDialog::OnDialogShown = nullptr;
        current_ = nullptr;
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    RECT placed{};
    bool ran = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        DialogDriver* d = current_;
        if (!d || d->ran) return;
        d->ran = true;
        d->script_(d->dlg_);
        PostMessageA(d->dlg_, WM_COMMAND, static_cast<WPARAM>(d->button_), 0);
    }
    static DialogDriver* current_;
    std::function<void(HWND)> script_;
    int button_ = IDOK;
    HWND dlg_ = nullptr;
};
DialogDriver* DialogDriver::current_ = nullptr;

std::string ItemText(HWND dlg, int id) {
    char buf[128] = {};
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return buf;
}

class PageSetupTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (EnsureFilePrinter(&why).empty()) GTEST_SKIP() << why;
        Printer()->Refresh();
        Printer()->SetPrinterIndex(-1);
        Printer()->SetOrientation(TPrinterOrientation::poPortrait);
        dialog_ = new TwwPageSetupDialog(f_.form, f_.edit);
        f_.edit->HandleNeeded();
    }
    richtest::Fixture f_;
    TwwPageSetupDialog* dialog_ = nullptr;
};

}  // namespace

TEST_F(PageSetupTest, InchMarginsComeBackAndTheDialogIsPlaced) {
    TwwPrintMargins* m = f_.edit->PrintMargins();
    m->Left = m->Top = m->Right = m->Bottom = 1.5;
    std::string shown;
    DialogDriver driver(
        [&](HWND dlg) {
            shown = ItemText(dlg, edt4);
            // A picture of the dialog as shown, to look at.
            RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            testsupport::SaveScreenBmp(OutPath("page-setup.bmp"), dlg);
        },
        IDOK);
    ASSERT_TRUE(dialog_->Execute());
    ASSERT_TRUE(driver.ran);
    EXPECT_EQ(shown.rfind("1.5", 0), 0u) << shown;  // thousandths of an inch shown as inches
    EXPECT_DOUBLE_EQ(m->Left, 1.5);
    EXPECT_DOUBLE_EQ(m->Top, 1.5);
    EXPECT_DOUBLE_EQ(m->Right, 1.5);
    EXPECT_DOUBLE_EQ(m->Bottom, 1.5);
    // Centred across the work area, at a third of the free height.
    RECT work = Screen::WorkArea(), r = driver.placed;
    EXPECT_NEAR(r.left - work.left, (work.right - work.left - (r.right - r.left)) / 2, 1);
    EXPECT_NEAR(r.top - work.top, (work.bottom - work.top - (r.bottom - r.top)) / 3, 1);
}

TEST_F(PageSetupTest, TypedMarginAndCentimetres) {
    f_.edit->MeasurementUnits = TwwMeasurementUnits::muCentimeters;
    TwwPrintMargins* m = f_.edit->PrintMargins();
    m->Left = 2.5;
    m->Top = m->Right = m->Bottom = 2.0;
    std::string shown;
    DialogDriver driver(
        [&](HWND dlg) {
            shown = ItemText(dlg, edt4);
            SetDlgItemTextA(dlg, edt6, "30");  // the right margin, in millimetres
        },
        IDOK);
    ASSERT_TRUE(dialog_->Execute());
    // 2.5 cm goes to the dialog as 2,500 hundredths of a millimetre: 25 mm.
    EXPECT_EQ(shown.rfind("25", 0), 0u) << shown;
    EXPECT_DOUBLE_EQ(m->Left, 2.5);
    EXPECT_DOUBLE_EQ(m->Right, 3.0);
    EXPECT_DOUBLE_EQ(m->Top, 2.0);
}

TEST_F(PageSetupTest, PaperOnlyWithPrinterWidthAndOrientationTakenBack) {
    bool paperEnabled = true;
    {
        DialogDriver driver([&](HWND dlg) { paperEnabled = IsWindowEnabled(GetDlgItem(dlg, cmb2)) != FALSE; }, IDCANCEL);
        EXPECT_FALSE(dialog_->Execute());
    }
    EXPECT_FALSE(paperEnabled);

    f_.edit->SetEditWidth(TwwRichEditWidth::rewPrinterSize);
    ASSERT_TRUE(f_.edit->UsesPrinterWidth());
    std::string paper;
    {
        DialogDriver driver(
            [&](HWND dlg) {
                paperEnabled = IsWindowEnabled(GetDlgItem(dlg, cmb2)) != FALSE;
                // A4, then landscape, as a user would choose them.
                HWND combo = GetDlgItem(dlg, cmb2);
                int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
                for (int k = 0; k < n; ++k) {
                    char name[128] = {};
                    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(name));
                    if (std::string(name).find("A4") != std::string::npos) {
                        paper = name;
                        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(k), 0);
                        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(cmb2, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
                        break;
                    }
                }
                SendDlgItemMessageA(dlg, rad2, BM_CLICK, 0, 0);
            },
            IDOK);
        EXPECT_TRUE(dialog_->Execute());
    }
    EXPECT_TRUE(paperEnabled);
    ASSERT_FALSE(paper.empty());
    EXPECT_EQ(f_.edit->PrintPageSize, DMPAPER_A4);
    EXPECT_EQ(Printer()->Orientation(), TPrinterOrientation::poLandscape);
    // The printer's page is now A4 across: wider than tall.
    SIZE sheet = Printer()->PhysicalSize();
    EXPECT_GT(sheet.cx, sheet.cy);
    EXPECT_NEAR(sheet.cx * 254 / Printer()->XDpi(), 2970, 10);  // 297 mm

    // Back to letter, upright, for the other tests.
    f_.edit->SetPrintPageSize(DMPAPER_LETTER);
    Printer()->SetOrientation(TPrinterOrientation::poPortrait);
    EXPECT_NEAR(Printer()->PhysicalSize().cx * 100 / Printer()->XDpi(), 850, 2);
}

TEST_F(PageSetupTest, CancelChangesNothing) {
    TwwPrintMargins* m = f_.edit->PrintMargins();
    m->Left = 1.25;
    f_.edit->PrintPageSize = 5;
    HGLOBAL before = nullptr;
    std::string device, driver, port;
    Printer()->GetPrinter(device, driver, port, before);
    SIZE sheet = Printer()->PhysicalSize();
    DialogDriver drive(
        [&](HWND dlg) {
            SetDlgItemTextA(dlg, edt4, "3");
            SendDlgItemMessageA(dlg, rad2, BM_CLICK, 0, 0);
        },
        IDCANCEL);
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_TRUE(drive.ran);
    EXPECT_DOUBLE_EQ(m->Left, 1.25);
    EXPECT_EQ(f_.edit->PrintPageSize, 5);
    HGLOBAL after = nullptr;
    std::string device2, driver2, port2;
    Printer()->GetPrinter(device2, driver2, port2, after);
    EXPECT_EQ(device2, device);
    EXPECT_EQ(after, before);
    EXPECT_EQ(Printer()->Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_EQ(Printer()->PhysicalSize().cx, sheet.cx);
}

// The framework's print dialog component as the editor's Print uses it
// (collation on): the copies typed into the dialog and the printer chosen
// come back to the component; Cancel reports false and changes nothing. The
// dialog is found and driven from a second thread, as a user at the screen
// would (Wine does not call this dialog's hook).
namespace {
struct PrintDialogUser {
    std::string shownCopies;
    bool collateShown = false;
    bool found = false;
    std::thread worker;
    PrintDialogUser(const char* copies, int button) {
        worker = std::thread([this, copies, button] {
            HWND dlg = nullptr;
            for (int k = 0; k < 1000 && !dlg; ++k) {
                dlg = FindWindowA("#32770", "Print");
                if (!dlg || !IsWindowVisible(dlg)) dlg = nullptr, Sleep(10);
            }
            if (!dlg) return;
            found = true;
            shownCopies = ItemText(dlg, edt3);
            collateShown = IsDlgButtonChecked(dlg, chx2) == BST_CHECKED;
            SetDlgItemTextA(dlg, edt3, copies);
            PostMessageA(dlg, WM_COMMAND, static_cast<WPARAM>(button), 0);
        });
    }
    ~PrintDialogUser() {
        if (worker.joinable()) worker.join();
    }
};
}  // namespace

TEST_F(PageSetupTest, PrintDialogReportsTheTypedCopiesCollationAndPrinter) {
    TPrintDialog print(f_.form);
    print.Collate = true;
    {
        PrintDialogUser user("3", IDOK);
        ASSERT_TRUE(print.Execute());
        user.worker.join();
        ASSERT_TRUE(user.found);
        EXPECT_EQ(user.shownCopies, "1");
        EXPECT_TRUE(user.collateShown);
    }
    EXPECT_EQ(print.Copies, 3);
    EXPECT_TRUE(print.Collate);
    ASSERT_NE(print.Printer.DevNames(), nullptr);
    auto* names = static_cast<DEVNAMES*>(GlobalLock(print.Printer.DevNames()));
    std::string device = reinterpret_cast<const char*>(names) + names->wDeviceOffset;
    GlobalUnlock(print.Printer.DevNames());
    EXPECT_EQ(device, kFilePrinterName);

    PrintDialogUser cancel("7", IDCANCEL);
    EXPECT_FALSE(print.Execute());
    cancel.worker.join();
    EXPECT_TRUE(cancel.found);
    EXPECT_EQ(print.Copies, 3);
}
