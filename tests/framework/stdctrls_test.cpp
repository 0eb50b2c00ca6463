// Standard controls, common dialogs and settings files as the reading and
// About windows use them.
#include <gtest/gtest.h>

#include <memory>

#include "ComCtrls.h"
#include "Dialogs.h"
#include "IniFiles.h"
#include "Splitter.h"
#include "StdCtrls.h"
#include "TestUtil.h"

using namespace testsupport;

namespace {

// Freed when the test ends, whichever way it ends.
std::unique_ptr<TTestForm> OwnedForm() {
    auto f = std::make_unique<TTestForm>();
    f->SetBorderStyle(TFormBorderStyle::bsSizeable);
    f->SetBounds(100, 100, 430, 400);
    return f;
}

std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

}  // namespace

TEST(StdCtrls, EditAndCheckBoxKeepTheirValuesAcrossTheWindow) {
    auto f = OwnedForm();
    auto* edit = new TEdit(f.get());
    edit->SetParent(f.get());
    edit->SetText("8");
    edit->SetReadOnly(true);
    auto* box = new TCheckBox(f.get());
    box->SetParent(f.get());
    box->SetChecked(true);
    f->Show();
    Pump(20);
    EXPECT_EQ(edit->Text(), "8");
    EXPECT_TRUE(GetWindowLongA(edit->Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(box->Checked());
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    SendMessageA(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 1);
    edit->SetText("15");
    EXPECT_EQ(edit->Text(), "15");
}

TEST(StdCtrls, SplitterResizesTheControlBeyondIt) {
    auto f = OwnedForm();
    auto* right = new TEdit(f.get());
    right->SetAlign(TAlign::alRight);
    right->SetWidth(118);
    right->SetParent(f.get());
    auto* split = new TSplitter(f.get());
    split->SetAlign(TAlign::alRight);
    split->SetBounds(0, 0, 6, 10);
    split->SetParent(f.get());
    f->Show();
    Pump(30);
    ASSERT_EQ(split->FindControl(), right);
    POINT p = split->ClientToScreen(POINT{3, 50});
    DragBy(p.x, p.y, -40, 0);
    EXPECT_EQ(right->Width(), 158);
}

TEST(StdCtrls, TabControlPlacesChildrenInItsDisplayAreaAndReportsChanges) {
    auto f = OwnedForm();
    auto* tabs = new TTabControl(f.get());
    tabs->SetBounds(8, 10, 377, 300);
    tabs->SetTabs({"Author", "Copyright"});
    tabs->SetTabIndex(0);
    tabs->SetParent(f.get());
    auto* inner = new TEdit(f.get());
    inner->SetAlign(TAlign::alClient);
    inner->SetParent(tabs);
    int changes = 0;
    tabs->OnChange = [&](TObject*) { ++changes; };
    f->Show();
    Pump(30);
    RECT area = tabs->AlignRect();
    EXPECT_EQ(inner->Top(), area.top);
    EXPECT_GT(area.top, 10);
    RECT second = tabs->TabRect(1);
    POINT p = tabs->ClientToScreen(POINT{(second.left + second.right) / 2, (second.top + second.bottom) / 2});
    ClickAt(p.x, p.y);
    EXPECT_EQ(tabs->TabIndex(), 1);
    EXPECT_EQ(changes, 1);
}

TEST(Dialogs, CancelledDialogsKeepTheirCurrentValues) {
    TColorDialog colors(nullptr);
    colors.Color = clWhite;
    TFontDialog fonts(nullptr);
    fonts.Font.SetName("Arial");
    TCommonDialog::OnDialogShown = [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); };
    EXPECT_FALSE(colors.Execute());
    EXPECT_EQ(colors.Color, clWhite);
    EXPECT_FALSE(fonts.Execute());
    EXPECT_EQ(fonts.Font.Name(), "Arial");
    TCommonDialog::OnDialogShown = [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDOK, 0); };
    EXPECT_TRUE(fonts.Execute());
    EXPECT_EQ(fonts.Font.Name(), "Arial");
    TCommonDialog::OnDialogShown = nullptr;
}

TEST(IniFiles, ValuesRoundTripAndLongValuesAreCut) {
    std::string path = TempFile("codexia-ini-test.Ini");
    DeleteFileA(path.c_str());
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("CodexiaBook", "ReadingFont", "ERROR"), "ERROR");
    ini.WriteString("CodexiaBook", "ReadingFont", "Arial");
    ini.WriteString("CodexiaBook", "ReadingFontSize", "14");
    EXPECT_EQ(ini.ReadString("CodexiaBook", "ReadingFont", "ERROR"), "Arial");
    ini.WriteString("CodexiaBook", "Long", std::string(3000, 'x'));
    EXPECT_EQ(ini.ReadString("CodexiaBook", "Long", "ERROR").size(), 2047u);
    DeleteFileA(path.c_str());
}

TEST(IniFiles, AWriteThatFailsRaisesTheFrameworkError) {
    TIniFile ini("Q:\\no\\such\\drive\\x.Ini");
    try {
        ini.WriteString("S", "K", "V");
        FAIL();
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to Q:\\no\\such\\drive\\x.Ini");
    }
}

namespace {
class TPatch : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TPatch(TComponent* owner) : TGraphicControl(owner) {}
    void Paint() override {
        Canvas().Brush.SetColor(clRed);
        RECT r = ClientRect();
        Canvas().FillRect(r);
    }
};
CX_IMPLEMENT_CLASS(TPatch, TGraphicControl, CX_CREATE(TPatch), {})
}  // namespace

TEST(StdCtrls, WindowlessControlsOnAPlatformControlArePainted) {
    auto f = OwnedForm();
    auto* tabs = new TTabControl(f.get());
    tabs->SetBounds(8, 10, 377, 300);
    tabs->SetTabs({"Author", "Copyright"});
    tabs->SetParent(f.get());
    auto* patch = new TPatch(f.get());
    patch->SetBounds(144, 250, 89, 25);
    patch->SetParent(tabs);
    f->Show();
    Pump(200);
    POINT p = patch->ClientToScreen(POINT{40, 12});
    EXPECT_EQ(ScreenPixel(p.x, p.y), RGB(255, 0, 0));
    InvalidateRect(tabs->Handle(), nullptr, TRUE);
    Pump(200);
    EXPECT_EQ(ScreenPixel(p.x, p.y), RGB(255, 0, 0));
}
