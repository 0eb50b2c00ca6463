// The platform window under the control: class and styles, the event mask,
// typography, background colour, formatting rectangle, the font as the
// document's default format, find requests, and the OLE side: the window's
// interface, the installed callback and the callback's answers.
#include <gtest/gtest.h>

#include <cstdio>

#include "RichTestUtil.h"
#include "richedit/wwRichEditOle.h"

using richtest::Fixture;
using richtest::Rtf;

namespace {
// Whether the platform's window keeps typography options at all (Wine 8's
// answers 0 whatever was set; Windows reads back what was set).
bool PlatformKeepsTypography(HWND parent) {
    HWND bare = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | ES_MULTILINE, 0, 0, 50, 50, parent, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bare, EM_SETTYPOGRAPHYOPTIONS, TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY);
    bool kept = (SendMessageA(bare, EM_GETTYPOGRAPHYOPTIONS, 0, 0) & TO_ADVANCEDTYPOGRAPHY) != 0;
    DestroyWindow(bare);
    return kept;
}

WNDPROC PlatformProc(const char* cls) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    return GetClassInfoExA(nullptr, cls, &wc) ? wc.lpfnWndProc : nullptr;
}
}  // namespace

TEST(RichEditWindow, VersionTwoWindowAndItsSettings) {
    Fixture fx;
    fx.edit->SetColor(clYellow);
    HWND w = fx.edit->Handle();
    EXPECT_EQ(fx.edit->WindowClassName(), "RICHEDIT20A");
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(cls, "Cx.RICHEDIT20A");
    EXPECT_EQ(static_cast<DWORD>(SendMessageA(w, EM_GETEVENTMASK, 0, 0)), 0x002C0001u);
    if (PlatformKeepsTypography(fx.form->Handle()))
        EXPECT_EQ(SendMessageA(w, EM_GETTYPOGRAPHYOPTIONS, 0, 0) & TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY);
    else
        std::printf("note: this platform's rich edit keeps no typography options; advanced typography not checked\n");
    // The background colour answers with the previous one when changed.
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(w, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3))), RGB(255, 255, 0));
    LONG style = GetWindowLongA(w, GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_FALSE(style & ES_NOHIDESEL);
    EXPECT_FALSE(style & ES_DISABLENOSCROLL);
    EXPECT_FALSE(GetClassLongPtrA(w, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW));
}

TEST(RichEditWindow, SwitchOneKeepsTheVersionOneClass) {
    Fixture fx;
    fx.edit->CompatibilitySwitches[1] = true;
    fx.edit->HandleNeeded();
    EXPECT_EQ(fx.edit->WindowClassName(), "RICHEDIT");
    EXPECT_EQ(fx.edit->RichEditVersion(), 2);
}

TEST(RichEditWindow, LinkDetectionFollowsAutoURLDetect) {
    Fixture fx;
    HWND w = fx.edit->Handle();
    fx.edit->SetAutoURLDetect(true);
    EXPECT_EQ(static_cast<DWORD>(SendMessageA(w, EM_GETEVENTMASK, 0, 0)), 0x002C0001u | 0x04000000u);
    fx.edit->SetAutoURLDetect(false);
    EXPECT_EQ(static_cast<DWORD>(SendMessageA(w, EM_GETEVENTMASK, 0, 0)), 0x002C0001u);
    fx.edit->SetAutoURLDetect(true);
    fx.edit->SetHideScrollBars(false);  // a new window keeps the setting
    EXPECT_TRUE(SendMessageA(fx.edit->Handle(), EM_GETEVENTMASK, 0, 0) & ENM_LINK);
}

TEST(RichEditWindow, FormatRectangleLeavesTheGutter) {
    Fixture fx;
    fx.edit->SetBorderStyle(TEditBorderStyle::bsNone);
    HWND w = fx.edit->Handle();
    RECT r{};
    SendMessageA(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.left, 3 - 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, fx.edit->ClientWidth() - 2);
    EXPECT_EQ(r.bottom, fx.edit->Height() - 2);
    fx.edit->SetBounds(10, 10, 300, 150);
    SendMessageA(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.right, 298) << "a resize recomputes the rectangle";
    fx.edit->SetGutterWidth(12);
    SendMessageA(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.left, 10);
}

TEST(RichEditWindow, FontBecomesTheDefaultFormat) {
    Fixture fx;
    fx.edit->Font()->SetName("Arial");
    fx.edit->Font()->SetSize(14);
    fx.edit->Font()->SetStyle(fsItalic);
    fx.edit->Font()->SetColor(clRed);
    TTextAttributes* def = fx.edit->DefAttributes();
    EXPECT_EQ(def->Name(), "Arial");
    EXPECT_EQ(def->Size(), 14);
    EXPECT_EQ(def->Style(), unsigned(fsItalic));
    EXPECT_EQ(def->Color(), clRed);
    // Text typed into an empty document takes it.
    fx.edit->SetSelText("typed");
    fx.edit->SelectAll();
    EXPECT_EQ(fx.edit->SelAttributes()->Name(), "Arial");
    EXPECT_EQ(fx.edit->SelAttributes()->Size(), 14);
    // The platform's font message does not reformat a loaded document.
    TwwRichMemoryStream ms;
    ms.WriteString(Rtf("{\\fs40 big} words"));
    ms.SetPosition(0);
    fx.edit->Lines()->LoadFromStream(ms);
    SendMessageA(fx.edit->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FONT)), TRUE);
    fx.edit->SetSelStart(0);
    fx.edit->SetSelLength(3);
    EXPECT_EQ(fx.edit->SelAttributes()->Size(), 20);
}

TEST(RichEditWindow, FindRequestsAlwaysSearchDown) {
    Fixture fx;
    fx.edit->Lines()->SetText("cat dog cat bird cat");
    HWND w = fx.edit->Handle();
    // Found forwards from 1, though the request asked for no direction.
    EXPECT_EQ(fx.edit->FindText("cat", 1, 100, 0), 8);
    FINDTEXTEXA ft{};
    ft.chrg.cpMin = 12;
    ft.chrg.cpMax = -1;
    ft.lpstrText = "cat";
    EXPECT_EQ(SendMessageA(w, EM_FINDTEXTEX, 0, reinterpret_cast<LPARAM>(&ft)), 17);
    // The same request straight to the platform window searches backwards.
    WNDPROC platform = PlatformProc("RICHEDIT20A");
    ASSERT_NE(platform, nullptr);
    EXPECT_EQ(CallWindowProcA(platform, w, EM_FINDTEXTEX, 0, reinterpret_cast<LPARAM>(&ft)), 8);
    EXPECT_EQ(fx.edit->FindText("CAT", 0, 100, stMatchCase), -1);
    EXPECT_EQ(fx.edit->FindText("ca", 0, 100, stWholeWord), -1);
}

TEST(RichEditWindow, FindTextRawPassesTheRequestUnchanged) {
    Fixture fx;
    fx.edit->Lines()->SetText("cat dog cat bird cat");
    // Without the search-down flag the window searches back from the start of the range.
    EXPECT_EQ(fx.edit->FindTextRaw("cat", 12, -12, 0), 8);
    EXPECT_EQ(fx.edit->FindText("cat", 12, -12, 0), -1) << "forced down, nothing lies between 12 and 0";
    EXPECT_FALSE(fx.edit->SwitchOn(0)) << "switch 0 is set only during the raw request";
    // A caller's own setting of the switch, of either kind, comes back as it was.
    fx.edit->CompatibilitySwitches[0] = 1;
    EXPECT_EQ(fx.edit->FindTextRaw("cat", 12, -12, 0), 8);
    ASSERT_TRUE(std::holds_alternative<int>(fx.edit->CompatibilitySwitches[0]));
    EXPECT_EQ(std::get<int>(fx.edit->CompatibilitySwitches[0]), 1);
    EXPECT_EQ(fx.edit->FindText("cat", 12, -12, 0), 8) << "not forced down while the caller keeps the switch on";
}

TEST(RichEditWindow, SelectionAndTextAccess) {
    Fixture fx;
    fx.edit->Lines()->SetText("Hello World");
    fx.edit->SetSelStart(6);
    EXPECT_EQ(fx.edit->SelLength(), 0);
    EXPECT_FALSE(fx.edit->HasSelection());
    fx.edit->SetSelLength(5);
    EXPECT_EQ(fx.edit->SelText(), "World");
    EXPECT_TRUE(fx.edit->HasSelection());
    fx.edit->SetSelText("There");
    EXPECT_EQ(fx.edit->Text(), "Hello There");
    EXPECT_TRUE(fx.edit->Modified());
    fx.edit->Clear();
    EXPECT_EQ(fx.edit->GetTextLen(), 0);
    EXPECT_FALSE(fx.edit->Modified());
}

TEST(RichEditWindow, TypedTabsAndReturnsFollowTheirSwitches) {
    Fixture fx;
    HWND w = fx.edit->Handle();
    SendMessageA(w, WM_CHAR, '\t', 0);
    SendMessageA(w, WM_CHAR, 'a', 0);
    fx.edit->SetWantReturns(false);
    SendMessageA(w, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(w, WM_CHAR, '\r', 0);
    EXPECT_EQ(fx.edit->Text(), "a");
    fx.edit->SetWantTabs(true);
    SendMessageA(w, WM_CHAR, '\t', 0);
    EXPECT_EQ(fx.edit->Text(), "a\t");
    fx.edit->SetWantReturns(true);
    SendMessageA(w, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(w, WM_CHAR, '\r', 0);
    EXPECT_EQ(fx.edit->Text(), "a\t\r\n");
}

TEST(RichEditOle, WindowGetsTheCallbackUnlessOleIsOff) {
    Fixture fx;
    fx.edit->HandleNeeded();
    ASSERT_NE(fx.edit->OleInterface(), nullptr);
    EXPECT_GE(richeditruntime::Users(), 1);
    // The window hands out the interface the control holds.
    IRichEditOle* ole = nullptr;
    ASSERT_TRUE(SendMessageA(fx.edit->Handle(), EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)));
    ASSERT_NE(ole, nullptr);
    ole->Release();
    fx.edit->SetOleOptions(reoDisableOLE);
    EXPECT_EQ(fx.edit->OleInterface(), nullptr);
}

TEST(RichEditOle, OleFailureIsReportedAfterTheWindowIsComplete) {
    class TNoOleEdit : public TwwDBRichEdit {
    public:
        using TwwDBRichEdit::TwwDBRichEdit;
        void InstallOleCallback() override { throw Exception("Unable to get interface"); }
    };
    Fixture fx;
    auto* e = new TNoOleEdit(fx.form);
    e->SetParent(fx.form);
    e->SetAutoURLDetect(true);
    try {
        e->HandleNeeded();
        FAIL() << "no OLE failure reported";
    } catch (const Exception& ex) {
        EXPECT_STREQ(ex.what(), "Unable to get interface");
    }
    ASSERT_TRUE(e->HandleAllocated());
    EXPECT_TRUE(SendMessageA(e->WindowHandle(), EM_GETEVENTMASK, 0, 0) & ENM_LINK);
}

TEST(RichEditOle, CallbackAnswers) {
    Fixture fx;
    fx.edit->HandleNeeded();
    TRichEditOleCallback* cb = fx.edit->OleCallback();
    ASSERT_NE(cb, nullptr);
    IStorage* storage = nullptr;
    ASSERT_EQ(cb->GetNewStorage(&storage), S_OK);
    ASSERT_NE(storage, nullptr);
    IStream* s = nullptr;
    EXPECT_EQ(storage->CreateStream(L"probe", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s), S_OK);
    if (s) s->Release();
    storage->Release();

    auto* frame = reinterpret_cast<IOleInPlaceFrame*>(1);
    auto* doc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    EXPECT_EQ(cb->GetInPlaceContext(&frame, &doc, nullptr), E_NOTIMPL);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(cb->ShowContainerUI(TRUE), E_NOTIMPL);
    EXPECT_EQ(cb->QueryInsertObject(nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(cb->DeleteObject(nullptr), S_OK);
    EXPECT_EQ(cb->QueryAcceptData(nullptr, nullptr, 0, TRUE, nullptr), S_OK);
    EXPECT_EQ(cb->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    auto* data = reinterpret_cast<IDataObject*>(1);
    EXPECT_EQ(cb->GetClipboardData(nullptr, 0, &data), E_NOTIMPL);
    EXPECT_EQ(data, nullptr);
    HMENU menu = reinterpret_cast<HMENU>(1);
    EXPECT_EQ(cb->GetContextMenu(0, nullptr, nullptr, &menu), S_OK);
    EXPECT_EQ(menu, nullptr);
    IUnknown* unk = nullptr;
    EXPECT_EQ(cb->QueryInterface(IID_IRichEditOleCallback, reinterpret_cast<void**>(&unk)), S_OK);
    if (unk) unk->Release();
}

TEST(RichEditOle, DropEffectFromTheKeys) {
    Fixture fx;
    TRichEditOleCallback* cb = fx.edit->OleCallback();
    auto effect = [&](BOOL drag, DWORD keys, DWORD allowed) {
        DWORD e = allowed;
        EXPECT_EQ(cb->GetDragDropEffect(drag, keys, &e), S_OK);
        return e;
    };
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(effect(FALSE, MK_CONTROL | MK_SHIFT, all), DWORD(DROPEFFECT_LINK));
    EXPECT_EQ(effect(FALSE, MK_CONTROL, all), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(effect(FALSE, MK_ALT, all), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(effect(FALSE, 0, all), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(effect(FALSE, MK_CONTROL, DROPEFFECT_MOVE), DWORD(DROPEFFECT_MOVE)) << "copy not allowed: unchanged";
    EXPECT_EQ(effect(TRUE, MK_CONTROL, all), all) << "the control's own drag keeps its effects";
}

TEST(RichEditOle, CallbackOutlivingItsControlAnswersAlone) {
    auto* f = new testsupport::TTestForm();
    auto* e = new TwwDBRichEdit(f);
    e->SetParent(f);
    TRichEditOleCallback* cb = e->OleCallback();
    cb->AddRef();
    delete f;
    HMENU menu = nullptr;
    EXPECT_EQ(cb->GetContextMenu(0, nullptr, nullptr, &menu), S_OK);
    cb->Release();
}

TEST(RichEditUnits, TextToTwipsTruncatesTowardZero) {
    Fixture fx;
    EXPECT_EQ(fx.edit->UnitsToTwips("1''"), 1440);
    EXPECT_EQ(fx.edit->UnitsToTwips(" 0.5 "), 720);
    EXPECT_EQ(fx.edit->UnitsToTwips("-0.001"), -1);
    fx.edit->MeasurementUnits = TwwMeasurementUnits::muCentimeters;
    EXPECT_EQ(fx.edit->UnitsToTwips("1 cm"), 567);
    EXPECT_EQ(fx.edit->UnitsToTwips("2.537cm"), 1440) << "centimetres use 2.537 to the inch";
    EXPECT_THROW(fx.edit->UnitsToTwips("two cm"), Exception);
    EXPECT_THROW(fx.edit->UnitsToTwips("cm"), Exception);
}
